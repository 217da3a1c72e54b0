// controls.cpp - the game's input: play keys (abstract buttons fed by keys, joystick
// buttons and the first stick), the per-tick pointer and touch capture in virtual
// units, and the key lock with Back over the credits box. m_OnUpdate runs the
// capture and the lock at the start of every tick; every screen asks m_PlayKey.
#include "game/shell/game.h"
#include "host/input.h"

namespace {

constexpr int kMaxSources = 4;
constexpr int kNone = -1;
// Strict: a stick at exactly the threshold does not count.
constexpr float kStickThreshold = 0.4f;
constexpr int kJoystickUnit = 0;

enum StickTest { STICK_NONE, STICK_X_BELOW, STICK_X_ABOVE, STICK_Y_BELOW, STICK_Y_ABOVE };

struct PlayKeySources {
    int playKey;
    int keys[kMaxSources];  // keyboard keys and joystick buttons; kNone ends the list
    StickTest stick;
};

const PlayKeySources kSources[] = {
    {PK_UP, {38, 87, 265, kNone}, STICK_Y_BELOW},
    {PK_LEFT, {37, 65, 264, kNone}, STICK_X_BELOW},
    {PK_RIGHT, {39, 68, 266, kNone}, STICK_X_ABOVE},
    {PK_DOWN, {40, 83, 267, kNone}, STICK_Y_ABOVE},
    {PK_A, {90, 74, 32, 13}, STICK_NONE},
    {PK_A, {256, kNone, kNone, kNone}, STICK_NONE},
    {PK_B, {88, 75, 17, 257}, STICK_NONE},
    {PK_X, {67, 76, 16, 258}, STICK_NONE},
    {PK_Y, {86, 73, 259, kNone}, STICK_NONE},
    {PK_BACK, {27, 46, 8, 263}, STICK_NONE},
};

const int kAllPlayKeys[] = {PK_UP, PK_LEFT, PK_RIGHT, PK_DOWN, PK_A, PK_B, PK_X, PK_Y, PK_BACK};

bool StickHeld(StickTest test) {
    switch (test) {
        case STICK_X_BELOW: return kx_input_JoyX(0, kJoystickUnit) < -kStickThreshold;
        case STICK_X_ABOVE: return kx_input_JoyX(0, kJoystickUnit) > kStickThreshold;
        case STICK_Y_BELOW: return kx_input_JoyY(0, kJoystickUnit) < -kStickThreshold;
        case STICK_Y_ABOVE: return kx_input_JoyY(0, kJoystickUnit) > kStickThreshold;
        default: return false;
    }
}

bool SourcesHeld(const PlayKeySources& s) {
    for (int key : s.keys) {
        if (key != kNone && kx_input_KeyDown(key)) return true;
    }
    return StickHeld(s.stick);
}

// Virtual units, truncated toward zero; before the first fit the scale is still 0
// and the position reads as 0 rather than as a division by zero.
int ToVirtual(float pixels, float scale) { return scale > 0 ? static_cast<int>(pixels / scale) : 0; }

}  // namespace

bool kx_Tumbleroo_MyApp::m_PlayKey(int key) {
    for (const PlayKeySources& s : kSources) {
        if (s.playKey == key && SourcesHeld(s)) return true;
    }
    return false;
}

int kx_Tumbleroo_MyApp::m_iCade(int mode) {
    if (mode == 0) kx_input_device->SetKeyboardEnabled(0);
    return 0;
}

// Touch 0 goes down at the control's centre for the rest of this tick, as a click
// there would put it; called between the pointer capture and the screen's run.
int kx_Tumbleroo_MyApp::m_PressControl(const MachineControl& control) {
    if (pointerDown == 0) pointerHit = 1;
    pointerDown = 1;
    pointerX = static_cast<int>(control.x);
    pointerY = static_cast<int>(control.y);
    touchDown[0] = 1;
    touchX[0] = pointerX;
    touchY[0] = pointerY;
    return 0;
}

// The order matters: the previous position is taken before the new one is read, and
// pointerWasDown still holds last tick's button while the new press is detected.
int kx_Tumbleroo_MyApp::m_CapturePointer() {
    pointerPrevX = pointerX;
    pointerPrevY = pointerY;
    pointerX = ToVirtual(kx_input_MouseX(), scaleX);
    pointerY = ToVirtual(kx_input_MouseY(), scaleY);
    const int buttonDown = kx_input_KeyDown(kKeyMouseLeft);
    if (pointerWasDown == 0 && buttonDown) {
        pointerPrevX = pointerX;  // a new press never shows movement
        pointerPrevY = pointerY;
    }
    pointerDown = buttonDown;
    pointerHit = kx_input_KeyHit(kKeyMouseLeft) ? 1 : 0;
    for (int i = 0; i < kTouchCount; ++i) {
        touchDown[i] = 0;
        touchX[i] = kAbsent;
        touchY[i] = kAbsent;
        if (kx_input_TouchDown(i)) {
            touchDown[i] = 1;
            touchX[i] = ToVirtual(kx_input_TouchX(i), scaleX);
            touchY[i] = ToVirtual(kx_input_TouchY(i), scaleY);
            pointerDown = 1;
        }
    }
    pointerWasDown = buttonDown;
    if (pointerDown == 0) pointerUsed = 0;
    return 0;
}

int kx_Tumbleroo_MyApp::m_KeyLock() {
    bool anyHeld = false;
    for (int key : kAllPlayKeys) anyHeld = anyHeld || m_PlayKey(key);
    if (!anyHeld) keyUsed = 0;
    if (keyUsed == 0 && pointerUsed == 0 && m_PlayKey(PK_BACK) && state == kScreenMenu && creditsOpen == 1) {
        creditsOpen = 0;
        keyUsed = 1;
        pointerUsed = 1;
    }
    return 0;
}
