// input.h - the input device: toolkit key codes with down bits and hit counts, the
// typed-character queue, the pointer and joystick 1, and the kx_input_ module
// functions the game reads them through. Implemented in host/input.cpp (the joystick
// translation in host/joystick.cpp); the host's window callbacks (host/app.cpp) feed
// it, and the host calls BeginUpdate and EndUpdate around every game update.
#pragma once

#include "host/glfw2.h"
#include "runtime/runtime.h"

// Sizes of the device's tables and the key words' layout.
constexpr int kInputKeyCount = 512;
constexpr int kInputCharQueueSize = 32;
constexpr int kInputJoyValueCount = 6;
constexpr int kKeyDownBit = 0x100;
constexpr int kKeyHitMask = 0xff;
// Set on a key that went down and up again before any update saw it: the key reads
// down through the next update and is released at its end, so a tap shorter than a
// tick still acts once.
constexpr int kKeyReleaseDueBit = 0x200;

// Toolkit key codes the device itself treats specially.
constexpr int kKeyMouseLeft = 1;
constexpr int kKeyShift = 16;
constexpr int kKeyControl = 17;
constexpr int kKeyLeftShift = 160;
constexpr int kKeyRightShift = 161;
constexpr int kKeyLeftControl = 162;
constexpr int kKeyRightControl = 163;
constexpr int kKeyJoyButton0 = 256;  // 256 + 16 x unit + button
constexpr int kKeyTouch0 = 384;      // reads the left mouse button

struct gxtkInput : gxtkObject {
    // bit 8: down; bits 0-7: presses since the last EndUpdate; bit 9: release due
    int keyStates[kInputKeyCount] = {};
    int charQueue[kInputCharQueueSize] = {};
    int charPut = 0;
    int charGet = 0;
    float mouseX = 0, mouseY = 0;
    float joyValues[kInputJoyValueCount] = {};  // stick 0 x, y, z, stick 1 x, y, z

    // User-provided so that `new gxtkInput()` never zero-fills the collector's header.
    gxtkInput();

    virtual int SetKeyboardEnabled(int enable);
    virtual int KeyDown(int key);
    virtual int KeyHit(int key);
    virtual int GetChar();
    virtual float MouseX();
    virtual float MouseY();
    virtual float JoyX(int index);
    virtual float JoyY(int index);
    virtual float JoyZ(int index);
    virtual float TouchX(int index);
    virtual float TouchY(int index);
    virtual float AccelX();
    virtual float AccelY();
    virtual float AccelZ();

    int BeginUpdate();
    int EndUpdate();
    int OnKeyDown(int key);
    int OnKeyUp(int key);
    int PutChar(int code);

private:
    int KeyWord(int key) const;
    bool PressOne(int code);
    bool ReleaseOne(int code);
    void Release(int code);
    void ReleaseDueKeys();
    bool SideHeld(int derived) const;
    void ReadJoystick();
};

// Window-library key (GLFW 3 code) to toolkit code; 0 for keys the toolkit ignores.
int TransKey(int glfwKey);
// The character a key press also queues, or 0.
int KeyToChar(int code);

extern gxtkInput* kx_input_device;

// The input module: each call goes to the device in kx_input_device.
int kx_input_SetInputDevice(gxtkInput* device);
int kx_input_KeyDown(int key);
int kx_input_KeyHit(int key);
int kx_input_GetChar();
int kx_input_EnableKeyboard();
int kx_input_DisableKeyboard();
float kx_input_MouseX();
float kx_input_MouseY();
int kx_input_MouseDown(int button);
int kx_input_MouseHit(int button);
int kx_input_TouchDown(int index);
float kx_input_TouchX(int index);
float kx_input_TouchY(int index);
float kx_input_JoyX(int index, int unit);
float kx_input_JoyY(int index, int unit);
int kx_input_JoyDown(int button, int unit);
float kx_input_AccelX();
float kx_input_AccelY();

// ---------------------------------------------------------------------------
// Joystick 1 in the toolkit's layout (host/joystick.cpp). ReadGlfw3Joystick asks
// GLFW and hands what it got to one of these pure translations, which tests feed
// directly.
// ---------------------------------------------------------------------------
struct GLFWgamepadstate;

namespace glfw2 {

// Button indices of the toolkit's gamepad layout.
enum GamepadButton {
    PAD_A = 0, PAD_B, PAD_X, PAD_Y, PAD_LEFT_SHOULDER, PAD_RIGHT_SHOULDER, PAD_BACK, PAD_START,
    PAD_DPAD_LEFT, PAD_DPAD_UP, PAD_DPAD_RIGHT, PAD_DPAD_DOWN,
    PAD_BUTTON_COUNT
};
// Axis indices of the toolkit's gamepad layout (stick y positive downwards, the
// triggers from 0 released to 1 fully pulled).
enum GamepadAxis {
    PAD_LEFT_X = 0, PAD_LEFT_Y, PAD_LEFT_TRIGGER, PAD_RIGHT_X, PAD_RIGHT_Y, PAD_RIGHT_TRIGGER,
    PAD_AXIS_COUNT
};

// A joystick GLFW knows a gamepad mapping for.
JoystickState JoystickFromGamepad(const GLFWgamepadstate& pad);

// A joystick without a mapping: up to 6 axes and the buttons, then 4 buttons per
// hat (left, up, right, down), all cut at 32. `hats` holds GLFW hat bit masks.
JoystickState JoystickFromRaw(const float* axes, int axisCount, const unsigned char* buttons,
                              int buttonCount, const unsigned char* hats, int hatCount);

}  // namespace glfw2
