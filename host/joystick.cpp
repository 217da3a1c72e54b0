// joystick.cpp - joystick 1 as GLFW 3 reports it, translated into the toolkit's
// layout. The GLFW 3 backend's GetJoystick calls ReadGlfw3Joystick once per update
// (through the input device's BeginUpdate); the two translations are pure so that
// tests can feed them without a joystick.
//
// A joystick GLFW has a gamepad mapping for is presented in one fixed layout (A, B,
// X, Y, shoulders, Back, Start, then the d-pad left, up, right, down; both sticks
// with their triggers), so the game's button numbers mean the same on every pad.
// Anything else is passed on raw.
#include "host/input.h"

#include <GLFW/glfw3.h>

#include <algorithm>

namespace glfw2 {
namespace {

constexpr int kMaxAxes = 6;
constexpr int kMaxButtons = 32;
constexpr int kButtonsPerHat = 4;

// Where each toolkit button comes from in GLFW's gamepad state.
constexpr int kPadButtonSource[PAD_BUTTON_COUNT] = {
    GLFW_GAMEPAD_BUTTON_A,           GLFW_GAMEPAD_BUTTON_B,
    GLFW_GAMEPAD_BUTTON_X,           GLFW_GAMEPAD_BUTTON_Y,
    GLFW_GAMEPAD_BUTTON_LEFT_BUMPER, GLFW_GAMEPAD_BUTTON_RIGHT_BUMPER,
    GLFW_GAMEPAD_BUTTON_BACK,        GLFW_GAMEPAD_BUTTON_START,
    GLFW_GAMEPAD_BUTTON_DPAD_LEFT,   GLFW_GAMEPAD_BUTTON_DPAD_UP,
    GLFW_GAMEPAD_BUTTON_DPAD_RIGHT,  GLFW_GAMEPAD_BUTTON_DPAD_DOWN,
};

// A hat's four buttons, in the same order as the gamepad layout's d-pad.
constexpr unsigned char kHatDirections[kButtonsPerHat] = {
    GLFW_HAT_LEFT, GLFW_HAT_UP, GLFW_HAT_RIGHT, GLFW_HAT_DOWN,
};

// GLFW's triggers rest at -1; the toolkit's rest at 0 and reach 1 fully pulled.
float TriggerValue(float glfwValue) { return (glfwValue + 1.0f) * 0.5f; }

unsigned char Pressed(bool down) { return down ? 1 : 0; }

}  // namespace

// GLFW's gamepad sticks already read y positive downwards, as the toolkit wants.
JoystickState JoystickFromGamepad(const GLFWgamepadstate& pad) {
    JoystickState joy;
    joy.axisCount = PAD_AXIS_COUNT;
    joy.axes[PAD_LEFT_X] = pad.axes[GLFW_GAMEPAD_AXIS_LEFT_X];
    joy.axes[PAD_LEFT_Y] = pad.axes[GLFW_GAMEPAD_AXIS_LEFT_Y];
    joy.axes[PAD_LEFT_TRIGGER] = TriggerValue(pad.axes[GLFW_GAMEPAD_AXIS_LEFT_TRIGGER]);
    joy.axes[PAD_RIGHT_X] = pad.axes[GLFW_GAMEPAD_AXIS_RIGHT_X];
    joy.axes[PAD_RIGHT_Y] = pad.axes[GLFW_GAMEPAD_AXIS_RIGHT_Y];
    joy.axes[PAD_RIGHT_TRIGGER] = TriggerValue(pad.axes[GLFW_GAMEPAD_AXIS_RIGHT_TRIGGER]);
    joy.buttonCount = PAD_BUTTON_COUNT;
    for (int i = 0; i < PAD_BUTTON_COUNT; ++i) {
        joy.buttons[i] = Pressed(pad.buttons[kPadButtonSource[i]] == GLFW_PRESS);
    }
    return joy;
}

// Axes past the sixth and buttons past the 32nd (hat buttons included) are dropped;
// null arrays or negative counts read as none.
JoystickState JoystickFromRaw(const float* axes, int axisCount, const unsigned char* buttons,
                              int buttonCount, const unsigned char* hats, int hatCount) {
    JoystickState joy;
    joy.axisCount = axes ? std::clamp(axisCount, 0, kMaxAxes) : 0;
    std::copy(axes, axes + joy.axisCount, joy.axes);

    int count = 0;
    int plain = buttons ? std::clamp(buttonCount, 0, kMaxButtons) : 0;
    for (; count < plain; ++count) joy.buttons[count] = Pressed(buttons[count] == GLFW_PRESS);
    int hatTotal = hats ? std::max(hatCount, 0) : 0;
    for (int h = 0; h < hatTotal; ++h) {
        for (int d = 0; d < kButtonsPerHat && count < kMaxButtons; ++d) {
            joy.buttons[count++] = Pressed((hats[h] & kHatDirections[d]) != 0);
        }
    }
    joy.buttonCount = count;
    return joy;
}

// GLFW itself appends every hat to the button array as four buttons (its hat-button
// init hint, which this program leaves at its default, on). Those are cut off here
// and the hats re-appended in the toolkit's left, up, right, down order.
JoystickState ReadGlfw3Joystick() {
    const int jid = GLFW_JOYSTICK_1;
    if (!glfwJoystickPresent(jid)) return JoystickState();
    GLFWgamepadstate pad;
    if (glfwJoystickIsGamepad(jid) && glfwGetGamepadState(jid, &pad)) return JoystickFromGamepad(pad);

    int axisCount = 0, buttonCount = 0, hatCount = 0;
    const float* axes = glfwGetJoystickAxes(jid, &axisCount);
    const unsigned char* buttons = glfwGetJoystickButtons(jid, &buttonCount);
    const unsigned char* hats = glfwGetJoystickHats(jid, &hatCount);
    if (hats && buttonCount >= hatCount * kButtonsPerHat) buttonCount -= hatCount * kButtonsPerHat;
    return JoystickFromRaw(axes, axisCount, buttons, buttonCount, hats, hatCount);
}

}  // namespace glfw2
