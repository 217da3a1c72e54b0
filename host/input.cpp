// input.cpp - the input device gxtkInput and the kx_input_ module functions.
// The host's window callbacks (host/app.cpp) call TransKey, OnKeyDown, KeyToChar,
// PutChar and OnKeyUp from inside event polling; the main loop calls BeginUpdate
// and EndUpdate around every game update; the game reads the rest.
#include "host/input.h"

#include <GLFW/glfw3.h>

#include <algorithm>
#include <utility>

gxtkInput* kx_input_device = nullptr;

namespace {

constexpr int kJoyButtonMax = 32;
constexpr int kJoyUnitShift = 4;  // 16 codes (and 16 stick indices) per joystick unit
constexpr int kCursorCharBase = 0x10000;
constexpr int kDeleteChar = 127;

// Stick slots in joyValues.
constexpr int kStick0X = 0, kStick0Y = 1, kStick0Z = 2;
constexpr int kStick1X = 3, kStick1Y = 4, kStick1Z = 5;

// Unit bits of a joystick index or button code. Shifted unsigned so that a
// negative unit from a faulty caller is a bad code (read as 0), not undefined.
int UnitBits(int unit) { return static_cast<int>(static_cast<unsigned>(unit) << kJoyUnitShift); }

bool IsShift(int code) { return code == kKeyLeftShift || code == kKeyRightShift; }
bool IsControl(int code) { return code == kKeyLeftControl || code == kKeyRightControl; }

// Shift or Control for one of their side keys, else 0.
int DerivedOf(int code) {
    if (IsShift(code)) return kKeyShift;
    if (IsControl(code)) return kKeyControl;
    return 0;
}

// The two side keys of Shift or Control.
void SidesOf(int derived, int* left, int* right) {
    *left = derived == kKeyShift ? kKeyLeftShift : kKeyLeftControl;
    *right = derived == kKeyShift ? kKeyRightShift : kKeyRightControl;
}

}  // namespace

// Every key word, the queue, its counters, the pointer and the sticks start at 0
// through the member initialisers.
gxtkInput::gxtkInput() {}

// ---------------------------------------------------------------------------
// Reading the device
// ---------------------------------------------------------------------------

// The key word a query reads: touch 0 is the left mouse button, and anything
// outside 1..511 reads as a key that is up and was never hit.
int gxtkInput::KeyWord(int key) const {
    if (key == kKeyTouch0) return keyStates[kKeyMouseLeft];
    if (key <= 0 || key >= kInputKeyCount) return 0;
    return keyStates[key];
}

int gxtkInput::SetKeyboardEnabled(int) { return 0; }
int gxtkInput::KeyDown(int key) { return (KeyWord(key) & kKeyDownBit) ? 1 : 0; }
int gxtkInput::KeyHit(int key) { return KeyWord(key) & kKeyHitMask; }

int gxtkInput::GetChar() {
    if (charGet >= charPut) return 0;
    return charQueue[charGet++];
}

float gxtkInput::MouseX() { return mouseX; }
float gxtkInput::MouseY() { return mouseY; }
float gxtkInput::TouchX(int) { return mouseX; }
float gxtkInput::TouchY(int) { return mouseY; }

float gxtkInput::JoyX(int index) {
    if (index == 0) return joyValues[kStick0X];
    if (index == 1) return joyValues[kStick1X];
    return 0;
}

// Stick 1's y comes negated, stick 0's as stored.
float gxtkInput::JoyY(int index) {
    if (index == 0) return joyValues[kStick0Y];
    if (index == 1) return -joyValues[kStick1Y];
    return 0;
}

float gxtkInput::JoyZ(int index) {
    if (index == 0) return joyValues[kStick0Z];
    if (index == 1) return joyValues[kStick1Z];
    return 0;
}

float gxtkInput::AccelX() { return 0; }
float gxtkInput::AccelY() { return 0; }
float gxtkInput::AccelZ() { return 0; }

// ---------------------------------------------------------------------------
// Feeding the device
// ---------------------------------------------------------------------------

// Marks one code down and counts the press; false when it already was down (an
// auto-repeat), which must neither count again nor touch Shift/Control. The count
// stops at 255 so that a long burst between two updates (for instance while the
// game is suspended) can never carry into the down bit. A press of a tapped key
// whose release still waits for the update is a fresh press: it counts, and the
// key is held from now on.
bool gxtkInput::PressOne(int code) {
    int& word = keyStates[code];
    if ((word & kKeyDownBit) && !(word & kKeyReleaseDueBit)) return false;
    int hits = word & kKeyHitMask;
    if (hits < kKeyHitMask) ++hits;
    word = kKeyDownBit | hits;
    return true;
}

bool gxtkInput::ReleaseOne(int code) {
    int& word = keyStates[code];
    if (!(word & kKeyDownBit)) return false;
    word &= ~(kKeyDownBit | kKeyReleaseDueBit);
    return true;
}

// Codes outside the table come only from a faulty caller; they are ignored rather
// than written past the table.
int gxtkInput::OnKeyDown(int key) {
    if (key <= 0 || key >= kInputKeyCount) return 0;
    if (!PressOne(key)) return 0;
    if (int derived = DerivedOf(key)) PressOne(derived);
    return 0;
}

// A key still counting presses no update has seen went down after the last update:
// its release waits for the end of the next one (EndUpdate), so that update sees it
// held. A key the game has already seen held goes up at once, as it always did.
int gxtkInput::OnKeyUp(int key) {
    if (key <= 0 || key >= kInputKeyCount) return 0;
    int& word = keyStates[key];
    if (!(word & kKeyDownBit) || (word & kKeyReleaseDueBit)) return 0;
    if (word & kKeyHitMask) {
        word |= kKeyReleaseDueBit;
        // Shift or Control waits with its last side key, so that pressing a side key
        // again before the update counts as a fresh press of Shift or Control too.
        int derived = DerivedOf(key);
        if (derived && !SideHeld(derived)) keyStates[derived] |= kKeyReleaseDueBit;
        return 0;
    }
    Release(key);
    return 0;
}

// Shift (16) and Control (17) go up only when neither side's key is still down.
void gxtkInput::Release(int code) {
    if (!ReleaseOne(code)) return;
    int derived = DerivedOf(code);
    if (!derived) return;
    int left = 0, right = 0;
    SidesOf(derived, &left, &right);
    if (!KeyDown(left) && !KeyDown(right)) ReleaseOne(derived);
}

// A side key of Shift or Control that is down and not merely waiting for its release.
bool gxtkInput::SideHeld(int derived) const {
    int left = 0, right = 0;
    SidesOf(derived, &left, &right);
    auto held = [this](int code) { return (keyStates[code] & (kKeyDownBit | kKeyReleaseDueBit)) == kKeyDownBit; };
    return held(left) || held(right);
}

// Characters past the 32nd of one update are dropped.
int gxtkInput::PutChar(int code) {
    if (charPut < kInputCharQueueSize) charQueue[charPut++] = code;
    return 0;
}

// ---------------------------------------------------------------------------
// Update bracket
// ---------------------------------------------------------------------------

int gxtkInput::BeginUpdate() {
    glfw2::GetMousePos(&mouseX, &mouseY);
    ReadJoystick();
    return 0;
}

// A 4-axis stick carries the second stick's y on its third axis (stick 0 has no
// z then); a 5-axis one has the second stick's axes the other way round.
void gxtkInput::ReadJoystick() {
    glfw2::JoystickState joy = glfw2::GetJoystick();
    int axes = std::min(std::max(joy.axisCount, 0), kInputJoyValueCount);
    for (int i = 0; i < kInputJoyValueCount; ++i) joyValues[i] = i < axes ? joy.axes[i] : 0.0f;
    if (axes == 4) {
        joyValues[kStick1Y] = joyValues[kStick0Z];
        joyValues[kStick0Z] = 0;
    } else if (axes == 5) {
        std::swap(joyValues[kStick1X], joyValues[kStick1Y]);
    }
    int buttons = std::min(std::max(joy.buttonCount, 0), kJoyButtonMax);
    for (int i = 0; i < buttons; ++i) {
        if (joy.buttons[i]) {
            OnKeyDown(kKeyJoyButton0 + i);
        } else {
            OnKeyUp(kKeyJoyButton0 + i);
        }
    }
}

// Hits are per update; down bits carry over, except those of taps the update has
// now seen. Unread characters are dropped.
int gxtkInput::EndUpdate() {
    int due = 0;
    for (int& word : keyStates) {
        word &= ~kKeyHitMask;
        due |= word;
    }
    if (due & kKeyReleaseDueBit) ReleaseDueKeys();
    charPut = 0;
    charGet = 0;
    return 0;
}

// Shift and Control are due only when every side key pressed is due as well, so
// the order of release within one EndUpdate does not matter.
void gxtkInput::ReleaseDueKeys() {
    for (int code = 1; code < kInputKeyCount; ++code) {
        if (keyStates[code] & kKeyReleaseDueBit) Release(code);
    }
}

// ---------------------------------------------------------------------------
// Key translation
// ---------------------------------------------------------------------------

namespace {

// Keys other than digits and letters that the toolkit knows, by GLFW 3 code.
int TransOtherKey(int glfwKey) {
    switch (glfwKey) {
        case GLFW_KEY_SPACE: return 32;
        case GLFW_KEY_APOSTROPHE: return 222;
        case GLFW_KEY_COMMA: return 188;
        case GLFW_KEY_MINUS: return 189;
        case GLFW_KEY_PERIOD: return 190;
        case GLFW_KEY_SLASH: return 191;
        case GLFW_KEY_SEMICOLON: return 186;
        case GLFW_KEY_EQUAL: return 187;
        case GLFW_KEY_LEFT_BRACKET: return 219;
        case GLFW_KEY_BACKSLASH: return 220;
        case GLFW_KEY_RIGHT_BRACKET: return 221;
        case GLFW_KEY_GRAVE_ACCENT: return 192;
        case GLFW_KEY_ESCAPE: return 27;
        case GLFW_KEY_UP: return 38;
        case GLFW_KEY_DOWN: return 40;
        case GLFW_KEY_LEFT: return 37;
        case GLFW_KEY_RIGHT: return 39;
        case GLFW_KEY_LEFT_SHIFT: return kKeyLeftShift;
        case GLFW_KEY_RIGHT_SHIFT: return kKeyRightShift;
        case GLFW_KEY_LEFT_CONTROL: return kKeyLeftControl;
        case GLFW_KEY_RIGHT_CONTROL: return kKeyRightControl;
        case GLFW_KEY_TAB: return 9;
        case GLFW_KEY_ENTER: return 13;
        case GLFW_KEY_BACKSPACE: return 8;
        case GLFW_KEY_INSERT: return 45;
        case GLFW_KEY_DELETE: return 46;
        case GLFW_KEY_PAGE_UP: return 33;
        case GLFW_KEY_PAGE_DOWN: return 34;
        case GLFW_KEY_HOME: return 36;
        case GLFW_KEY_END: return 35;
        default: return 0;
    }
}

constexpr int kToolkitF1 = 112;

}  // namespace

// Digits and capital letters share their codes between GLFW and the toolkit;
// F1-F12 keep their order; everything else goes through the table.
int TransKey(int glfwKey) {
    if (glfwKey >= GLFW_KEY_0 && glfwKey <= GLFW_KEY_9) return glfwKey;
    if (glfwKey >= GLFW_KEY_A && glfwKey <= GLFW_KEY_Z) return glfwKey;
    if (glfwKey >= GLFW_KEY_F1 && glfwKey <= GLFW_KEY_F12) return kToolkitF1 + (glfwKey - GLFW_KEY_F1);
    return TransOtherKey(glfwKey);
}

// Editing keys queue themselves; the cursor block queues its code moved above the
// 16-bit range so that it cannot be mistaken for a typed character.
int KeyToChar(int code) {
    switch (code) {
        case 8: case 9: case 13: case 27:
            return code;
        case 33: case 34: case 35: case 36: case 37: case 38: case 39: case 40: case 45:
            return code + kCursorCharBase;
        case 46:
            return kDeleteChar;
        default:
            return 0;
    }
}

// ---------------------------------------------------------------------------
// The input module
// ---------------------------------------------------------------------------

int kx_input_SetInputDevice(gxtkInput* device) {
    gc_assign(kx_input_device, device);
    return 0;
}

int kx_input_KeyDown(int key) { return kx_input_device->KeyDown(key); }
int kx_input_KeyHit(int key) { return kx_input_device->KeyHit(key); }
int kx_input_GetChar() { return kx_input_device->GetChar(); }
int kx_input_EnableKeyboard() { return kx_input_device->SetKeyboardEnabled(1); }
int kx_input_DisableKeyboard() { return kx_input_device->SetKeyboardEnabled(0); }
float kx_input_MouseX() { return kx_input_device->MouseX(); }
float kx_input_MouseY() { return kx_input_device->MouseY(); }
int kx_input_MouseDown(int button) { return kx_input_device->KeyDown(1 + button); }
int kx_input_MouseHit(int button) { return kx_input_device->KeyHit(1 + button); }
int kx_input_TouchDown(int index) { return kx_input_device->KeyDown(kKeyTouch0 + index); }
float kx_input_TouchX(int index) { return kx_input_device->TouchX(index); }
float kx_input_TouchY(int index) { return kx_input_device->TouchY(index); }
float kx_input_JoyX(int index, int unit) { return kx_input_device->JoyX(index | UnitBits(unit)); }
float kx_input_JoyY(int index, int unit) { return kx_input_device->JoyY(index | UnitBits(unit)); }
int kx_input_JoyDown(int button, int unit) {
    return kx_input_device->KeyDown(button | kKeyJoyButton0 | UnitBits(unit));
}
float kx_input_AccelX() { return kx_input_device->AccelX(); }
float kx_input_AccelY() { return kx_input_device->AccelY(); }
