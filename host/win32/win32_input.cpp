// win32_input.cpp - virtual keys to GLFW 3 key codes and XInput pads to the
// toolkit's gamepad layout (see win32_input.h). The Win32 backend's window
// procedure and GetJoystick call these.
#include "host/win32/win32_input.h"

#include <windows.h>
#include <xinput.h>

#include <GLFW/glfw3.h>

#include <algorithm>

#include "host/input.h"

namespace win32 {
namespace {

// Keys whose virtual key alone names them.
struct KeyPair {
    unsigned vk;
    int key;
};
constexpr KeyPair kPlainKeys[] = {
    {VK_SPACE, GLFW_KEY_SPACE},          {VK_OEM_7, GLFW_KEY_APOSTROPHE},
    {VK_OEM_COMMA, GLFW_KEY_COMMA},      {VK_OEM_MINUS, GLFW_KEY_MINUS},
    {VK_OEM_PERIOD, GLFW_KEY_PERIOD},    {VK_OEM_2, GLFW_KEY_SLASH},
    {VK_OEM_1, GLFW_KEY_SEMICOLON},      {VK_OEM_PLUS, GLFW_KEY_EQUAL},
    {VK_OEM_4, GLFW_KEY_LEFT_BRACKET},   {VK_OEM_5, GLFW_KEY_BACKSLASH},
    {VK_OEM_6, GLFW_KEY_RIGHT_BRACKET},  {VK_OEM_3, GLFW_KEY_GRAVE_ACCENT},
    {VK_ESCAPE, GLFW_KEY_ESCAPE},        {VK_TAB, GLFW_KEY_TAB},
    {VK_BACK, GLFW_KEY_BACKSPACE},       {VK_CAPITAL, GLFW_KEY_CAPS_LOCK},
    {VK_NUMLOCK, GLFW_KEY_NUM_LOCK},     {VK_SCROLL, GLFW_KEY_SCROLL_LOCK},
    {VK_PAUSE, GLFW_KEY_PAUSE},          {VK_SNAPSHOT, GLFW_KEY_PRINT_SCREEN},
    {VK_LWIN, GLFW_KEY_LEFT_SUPER},      {VK_RWIN, GLFW_KEY_RIGHT_SUPER},
    {VK_APPS, GLFW_KEY_MENU},            {VK_NUMPAD0, GLFW_KEY_KP_0},
    {VK_DECIMAL, GLFW_KEY_KP_DECIMAL},   {VK_DIVIDE, GLFW_KEY_KP_DIVIDE},
    {VK_MULTIPLY, GLFW_KEY_KP_MULTIPLY}, {VK_SUBTRACT, GLFW_KEY_KP_SUBTRACT},
    {VK_ADD, GLFW_KEY_KP_ADD},
};

// The navigation keys exist twice: the extended ones are the dedicated keys, the
// others the keypad's with Num Lock off (which the toolkit ignores like any
// keypad key).
struct NavigationKey {
    unsigned vk;
    int key;     // the dedicated key
    int keypad;  // the same key on the keypad
};
constexpr NavigationKey kNavigationKeys[] = {
    {VK_INSERT, GLFW_KEY_INSERT, GLFW_KEY_KP_0},   {VK_DELETE, GLFW_KEY_DELETE, GLFW_KEY_KP_DECIMAL},
    {VK_HOME, GLFW_KEY_HOME, GLFW_KEY_KP_7},       {VK_END, GLFW_KEY_END, GLFW_KEY_KP_1},
    {VK_PRIOR, GLFW_KEY_PAGE_UP, GLFW_KEY_KP_9},   {VK_NEXT, GLFW_KEY_PAGE_DOWN, GLFW_KEY_KP_3},
    {VK_LEFT, GLFW_KEY_LEFT, GLFW_KEY_KP_4},       {VK_RIGHT, GLFW_KEY_RIGHT, GLFW_KEY_KP_6},
    {VK_UP, GLFW_KEY_UP, GLFW_KEY_KP_8},           {VK_DOWN, GLFW_KEY_DOWN, GLFW_KEY_KP_2},
    // Enter the other way round: the keypad's Enter is the extended one.
    {VK_RETURN, GLFW_KEY_KP_ENTER, GLFW_KEY_ENTER},
};

// The left and right Shift keys share one virtual key; their scan codes differ.
constexpr unsigned kRightShiftScanCode = 0x36;

// XInput's buttons in the order of the toolkit's gamepad layout (glfw2::PAD_A ...).
constexpr unsigned short kPadButtonBits[glfw2::PAD_BUTTON_COUNT] = {
    XINPUT_GAMEPAD_A,          XINPUT_GAMEPAD_B,         XINPUT_GAMEPAD_X,
    XINPUT_GAMEPAD_Y,          XINPUT_GAMEPAD_LEFT_SHOULDER, XINPUT_GAMEPAD_RIGHT_SHOULDER,
    XINPUT_GAMEPAD_BACK,       XINPUT_GAMEPAD_START,     XINPUT_GAMEPAD_DPAD_LEFT,
    XINPUT_GAMEPAD_DPAD_UP,    XINPUT_GAMEPAD_DPAD_RIGHT, XINPUT_GAMEPAD_DPAD_DOWN,
};

// A stick axis in -1..1, the same scale for both directions. XInput's sticks read
// y positive upwards; the toolkit's positive downwards (as GLFW's gamepads do).
float StickAxis(short value) { return std::clamp((static_cast<float>(value) + 0.5f) / 32767.5f, -1.0f, 1.0f); }
float TriggerAxis(unsigned char value) { return static_cast<float>(value) / 255.0f; }

using XInputGetStateFn = DWORD(WINAPI*)(DWORD, XINPUT_STATE*);

// Whichever XInput the system has; null without one.
XInputGetStateFn LoadXInput() {
    const wchar_t* libraries[] = {L"xinput1_4.dll", L"xinput1_3.dll", L"xinput9_1_0.dll"};
    for (const wchar_t* name : libraries) {
        if (HMODULE module = LoadLibraryW(name)) {
            return reinterpret_cast<XInputGetStateFn>(reinterpret_cast<void*>(GetProcAddress(module, "XInputGetState")));
        }
    }
    return nullptr;
}

}  // namespace

int KeyFromVirtualKey(unsigned vk, unsigned scanCode, bool extended) {
    if ((vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z')) return static_cast<int>(vk);
    if (vk >= VK_F1 && vk <= VK_F24) return GLFW_KEY_F1 + static_cast<int>(vk - VK_F1);
    if (vk >= VK_NUMPAD1 && vk <= VK_NUMPAD9) return GLFW_KEY_KP_1 + static_cast<int>(vk - VK_NUMPAD1);
    switch (vk) {
        case VK_SHIFT: return scanCode == kRightShiftScanCode ? GLFW_KEY_RIGHT_SHIFT : GLFW_KEY_LEFT_SHIFT;
        case VK_CONTROL: return extended ? GLFW_KEY_RIGHT_CONTROL : GLFW_KEY_LEFT_CONTROL;
        case VK_MENU: return extended ? GLFW_KEY_RIGHT_ALT : GLFW_KEY_LEFT_ALT;
        default: break;
    }
    for (const NavigationKey& k : kNavigationKeys) {
        if (k.vk == vk) return extended ? k.key : k.keypad;
    }
    for (const KeyPair& k : kPlainKeys) {
        if (k.vk == vk) return k.key;
    }
    return 0;
}

glfw2::JoystickState JoystickFromPad(const PadState& pad) {
    glfw2::JoystickState joy;
    joy.axisCount = glfw2::PAD_AXIS_COUNT;
    joy.axes[glfw2::PAD_LEFT_X] = StickAxis(pad.thumbLX);
    joy.axes[glfw2::PAD_LEFT_Y] = -StickAxis(pad.thumbLY);
    joy.axes[glfw2::PAD_LEFT_TRIGGER] = TriggerAxis(pad.leftTrigger);
    joy.axes[glfw2::PAD_RIGHT_X] = StickAxis(pad.thumbRX);
    joy.axes[glfw2::PAD_RIGHT_Y] = -StickAxis(pad.thumbRY);
    joy.axes[glfw2::PAD_RIGHT_TRIGGER] = TriggerAxis(pad.rightTrigger);
    joy.buttonCount = glfw2::PAD_BUTTON_COUNT;
    for (int i = 0; i < glfw2::PAD_BUTTON_COUNT; ++i) joy.buttons[i] = (pad.buttons & kPadButtonBits[i]) ? 1 : 0;
    return joy;
}

glfw2::JoystickState ReadFirstPad() {
    static const XInputGetStateFn getState = LoadXInput();
    if (!getState) return glfw2::JoystickState();
    for (DWORD user = 0; user < XUSER_MAX_COUNT; ++user) {
        XINPUT_STATE state = {};
        if (getState(user, &state) != ERROR_SUCCESS) continue;
        const XINPUT_GAMEPAD& g = state.Gamepad;
        PadState pad;
        pad.buttons = g.wButtons;
        pad.leftTrigger = g.bLeftTrigger;
        pad.rightTrigger = g.bRightTrigger;
        pad.thumbLX = g.sThumbLX;
        pad.thumbLY = g.sThumbLY;
        pad.thumbRX = g.sThumbRX;
        pad.thumbRY = g.sThumbRY;
        return JoystickFromPad(pad);
    }
    return glfw2::JoystickState();
}

}  // namespace win32
