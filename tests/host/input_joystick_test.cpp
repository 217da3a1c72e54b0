// input_joystick_test.cpp - joystick 1 in the toolkit's layout: a GLFW gamepad
// state translated into the fixed gamepad layout, and a joystick without a mapping
// passed on raw with its hats as buttons; then through the input device, up to
// the play keys the real game object reads from it.
#include "host/input.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include "game/shell/game.h"
#include "host/app.h"

namespace {

GLFWgamepadstate RestingPad() {
    GLFWgamepadstate pad = {};
    pad.axes[GLFW_GAMEPAD_AXIS_LEFT_TRIGGER] = -1.0f;
    pad.axes[GLFW_GAMEPAD_AXIS_RIGHT_TRIGGER] = -1.0f;
    return pad;
}

int PressedCount(const glfw2::JoystickState& joy) {
    int n = 0;
    for (int i = 0; i < joy.buttonCount; ++i) n += joy.buttons[i] ? 1 : 0;
    return n;
}

// ---------------------------------------------------------------------------
// Gamepad layout
// ---------------------------------------------------------------------------

TEST(GamepadLayout, EachGlfwButtonLandsOnItsToolkitButtonAlone) {
    const struct {
        int glfwButton;
        int toolkitButton;
    } cases[] = {
        {GLFW_GAMEPAD_BUTTON_A, 0},           {GLFW_GAMEPAD_BUTTON_B, 1},
        {GLFW_GAMEPAD_BUTTON_X, 2},           {GLFW_GAMEPAD_BUTTON_Y, 3},
        {GLFW_GAMEPAD_BUTTON_LEFT_BUMPER, 4}, {GLFW_GAMEPAD_BUTTON_RIGHT_BUMPER, 5},
        {GLFW_GAMEPAD_BUTTON_BACK, 6},        {GLFW_GAMEPAD_BUTTON_START, 7},
        {GLFW_GAMEPAD_BUTTON_DPAD_LEFT, 8},   {GLFW_GAMEPAD_BUTTON_DPAD_UP, 9},
        {GLFW_GAMEPAD_BUTTON_DPAD_RIGHT, 10}, {GLFW_GAMEPAD_BUTTON_DPAD_DOWN, 11},
    };
    for (const auto& c : cases) {
        GLFWgamepadstate pad = RestingPad();
        pad.buttons[c.glfwButton] = GLFW_PRESS;
        glfw2::JoystickState joy = glfw2::JoystickFromGamepad(pad);
        EXPECT_EQ(joy.buttonCount, 12);
        EXPECT_EQ(joy.buttons[c.toolkitButton], 1) << "GLFW button " << c.glfwButton;
        EXPECT_EQ(PressedCount(joy), 1) << "GLFW button " << c.glfwButton;
    }
}

TEST(GamepadLayout, GuideAndThumbButtonsAreNotPresented) {
    GLFWgamepadstate pad = RestingPad();
    pad.buttons[GLFW_GAMEPAD_BUTTON_GUIDE] = GLFW_PRESS;
    pad.buttons[GLFW_GAMEPAD_BUTTON_LEFT_THUMB] = GLFW_PRESS;
    pad.buttons[GLFW_GAMEPAD_BUTTON_RIGHT_THUMB] = GLFW_PRESS;
    glfw2::JoystickState joy = glfw2::JoystickFromGamepad(pad);
    EXPECT_EQ(PressedCount(joy), 0);
    for (int i = joy.buttonCount; i < 32; ++i) EXPECT_EQ(joy.buttons[i], 0) << i;
}

TEST(GamepadLayout, SticksAndTriggersInToolkitOrder) {
    GLFWgamepadstate pad = {};
    pad.axes[GLFW_GAMEPAD_AXIS_LEFT_X] = 0.25f;
    pad.axes[GLFW_GAMEPAD_AXIS_LEFT_Y] = -0.75f;  // pushed up
    pad.axes[GLFW_GAMEPAD_AXIS_RIGHT_X] = -0.5f;
    pad.axes[GLFW_GAMEPAD_AXIS_RIGHT_Y] = 0.625f;
    pad.axes[GLFW_GAMEPAD_AXIS_LEFT_TRIGGER] = 1.0f;    // fully pulled
    pad.axes[GLFW_GAMEPAD_AXIS_RIGHT_TRIGGER] = -1.0f;  // released
    glfw2::JoystickState joy = glfw2::JoystickFromGamepad(pad);
    ASSERT_EQ(joy.axisCount, 6);
    EXPECT_FLOAT_EQ(joy.axes[0], 0.25f);
    EXPECT_FLOAT_EQ(joy.axes[1], -0.75f);
    EXPECT_FLOAT_EQ(joy.axes[2], 1.0f);
    EXPECT_FLOAT_EQ(joy.axes[3], -0.5f);
    EXPECT_FLOAT_EQ(joy.axes[4], 0.625f);
    EXPECT_FLOAT_EQ(joy.axes[5], 0.0f);
    pad.axes[GLFW_GAMEPAD_AXIS_RIGHT_TRIGGER] = 0.0f;  // half way
    EXPECT_FLOAT_EQ(glfw2::JoystickFromGamepad(pad).axes[5], 0.5f);
}

// ---------------------------------------------------------------------------
// Raw joysticks
// ---------------------------------------------------------------------------

TEST(RawJoystick, AxesAndButtonsPassThrough) {
    const float axes[] = {0.5f, -0.5f, 0.125f};
    const unsigned char buttons[] = {GLFW_PRESS, GLFW_RELEASE, GLFW_PRESS};
    glfw2::JoystickState joy = glfw2::JoystickFromRaw(axes, 3, buttons, 3, nullptr, 0);
    ASSERT_EQ(joy.axisCount, 3);
    EXPECT_FLOAT_EQ(joy.axes[0], 0.5f);
    EXPECT_FLOAT_EQ(joy.axes[1], -0.5f);
    EXPECT_FLOAT_EQ(joy.axes[2], 0.125f);
    EXPECT_EQ(joy.axes[3], 0.0f);
    ASSERT_EQ(joy.buttonCount, 3);
    EXPECT_EQ(joy.buttons[0], 1);
    EXPECT_EQ(joy.buttons[1], 0);
    EXPECT_EQ(joy.buttons[2], 1);
}

TEST(RawJoystick, HatsFollowTheButtonsLeftUpRightDown) {
    const unsigned char buttons[] = {GLFW_RELEASE, GLFW_PRESS};
    const unsigned char hats[] = {GLFW_HAT_LEFT_UP, GLFW_HAT_DOWN};
    glfw2::JoystickState joy = glfw2::JoystickFromRaw(nullptr, 0, buttons, 2, hats, 2);
    ASSERT_EQ(joy.buttonCount, 2 + 8);
    const unsigned char expected[] = {0, 1, /*hat 0*/ 1, 1, 0, 0, /*hat 1*/ 0, 0, 0, 1};
    for (int i = 0; i < 10; ++i) EXPECT_EQ(joy.buttons[i], expected[i]) << i;
    EXPECT_EQ(joy.axisCount, 0);
}

TEST(RawJoystick, EachHatDirectionAlone) {
    const unsigned char directions[] = {GLFW_HAT_LEFT, GLFW_HAT_UP, GLFW_HAT_RIGHT, GLFW_HAT_DOWN};
    for (int d = 0; d < 4; ++d) {
        glfw2::JoystickState joy = glfw2::JoystickFromRaw(nullptr, 0, nullptr, 0, &directions[d], 1);
        ASSERT_EQ(joy.buttonCount, 4);
        for (int i = 0; i < 4; ++i) EXPECT_EQ(joy.buttons[i], i == d ? 1 : 0) << d << "/" << i;
    }
    const unsigned char centred = GLFW_HAT_CENTERED;
    glfw2::JoystickState joy = glfw2::JoystickFromRaw(nullptr, 0, nullptr, 0, &centred, 1);
    EXPECT_EQ(PressedCount(joy), 0);
}

TEST(RawJoystick, CutAtSixAxesAndThirtyTwoButtonsWithHats) {
    float axes[9];
    for (int i = 0; i < 9; ++i) axes[i] = 0.1f * static_cast<float>(i + 1);
    unsigned char buttons[30];
    for (auto& b : buttons) b = GLFW_PRESS;
    const unsigned char hats[] = {GLFW_HAT_LEFT, GLFW_HAT_RIGHT};
    glfw2::JoystickState joy = glfw2::JoystickFromRaw(axes, 9, buttons, 30, hats, 2);
    EXPECT_EQ(joy.axisCount, 6);
    EXPECT_FLOAT_EQ(joy.axes[5], 0.6f);
    ASSERT_EQ(joy.buttonCount, 32);
    EXPECT_EQ(joy.buttons[29], 1);
    EXPECT_EQ(joy.buttons[30], 1);  // hat 0 left
    EXPECT_EQ(joy.buttons[31], 0);  // hat 0 up; hat 1 does not fit

    unsigned char many[40];
    for (auto& b : many) b = GLFW_PRESS;
    EXPECT_EQ(glfw2::JoystickFromRaw(nullptr, 0, many, 40, hats, 2).buttonCount, 32);
}

TEST(RawJoystick, MissingArraysAndNegativeCountsReadAsNone) {
    glfw2::JoystickState joy = glfw2::JoystickFromRaw(nullptr, 4, nullptr, 8, nullptr, 3);
    EXPECT_EQ(joy.axisCount, 0);
    EXPECT_EQ(joy.buttonCount, 0);
    const float axes[] = {1.0f};
    const unsigned char buttons[] = {GLFW_PRESS};
    joy = glfw2::JoystickFromRaw(axes, -1, buttons, -2, buttons, -3);
    EXPECT_EQ(joy.axisCount, 0);
    EXPECT_EQ(joy.buttonCount, 0);
}

// ---------------------------------------------------------------------------
// Through the device
// ---------------------------------------------------------------------------

class FixedJoystickBackend : public glfw2::Backend {
public:
    glfw2::JoystickState joystick;
    bool Init() override { return true; }
    void Terminate() override {}
    glfw2::VidMode GetDesktopMode() override { return glfw2::VidMode(); }
    bool OpenWindow(int, int, bool) override { return true; }
    void SetWindowPos(int, int) override {}
    void SetWindowTitle(const char*) override {}
    int GetWindowParam(int) override { return 0; }
    void GetWindowSize(int* w, int* h) override { *w = *h = 0; }
    double GetTime() override { return 0; }
    void Sleep(double) override {}
    void PollEvents() override {}
    void WaitEvents() override {}
    void SwapBuffers() override {}
    void GetMousePos(float* x, float* y) override { *x = *y = 0; }
    glfw2::JoystickState GetJoystick() override { return joystick; }
};

TEST(GamepadLayout, PushingUpAndStartReachTheGameThroughTheDevice) {
    FixedJoystickBackend backend;
    glfw2::SetBackend(&backend);
    GLFWgamepadstate pad = RestingPad();
    pad.axes[GLFW_GAMEPAD_AXIS_LEFT_Y] = -1.0f;
    pad.axes[GLFW_GAMEPAD_AXIS_RIGHT_Y] = -1.0f;
    pad.buttons[GLFW_GAMEPAD_BUTTON_START] = GLFW_PRESS;
    pad.buttons[GLFW_GAMEPAD_BUTTON_DPAD_RIGHT] = GLFW_PRESS;
    backend.joystick = glfw2::JoystickFromGamepad(pad);

    gxtkInput* input = new gxtkInput();
    input->BeginUpdate();
    glfw2::SetBackend(nullptr);
    EXPECT_LT(input->JoyY(0), -0.4f);
    EXPECT_FLOAT_EQ(input->JoyY(1), 1.0f);  // stick 1 reads up as positive
    EXPECT_FLOAT_EQ(input->JoyZ(0), 0.0f);  // triggers at rest
    EXPECT_FLOAT_EQ(input->JoyZ(1), 0.0f);
    EXPECT_EQ(input->KeyDown(256 + 7), 1);
    EXPECT_EQ(input->KeyDown(256 + 10), 1);
    EXPECT_EQ(input->KeyDown(256 + 0), 0);
}


// Every pad input the play-key table names, through the gamepad translation, the
// input device's update and the game's own play-key test; each gives its play key
// alone, and the buttons the table leaves out give none.
class PadPlayKeys : public ::testing::Test {
protected:
    FixedJoystickBackend backend;
    kx_Tumbleroo_MyApp* game = nullptr;

    void SetUp() override {
        glfw2::SetBackend(&backend);
        kxInit();
        kxMain();
        game = static_cast<kx_Tumbleroo_MyApp*>(kx_app_device->m_app);
    }
    void TearDown() override { glfw2::SetBackend(nullptr); }

    // The play keys held in the update that reads `pad`.
    std::vector<int> Held(const GLFWgamepadstate& pad) {
        backend.joystick = glfw2::JoystickFromGamepad(pad);
        app->input->BeginUpdate();
        std::vector<int> held;
        for (int key : {PK_UP, PK_LEFT, PK_RIGHT, PK_DOWN, PK_A, PK_B, PK_X, PK_Y, PK_BACK}) {
            if (game->m_PlayKey(key)) held.push_back(key);
        }
        app->input->EndUpdate();
        return held;
    }
    std::vector<int> Button(int glfwButton) {
        GLFWgamepadstate pad = RestingPad();
        pad.buttons[glfwButton] = GLFW_PRESS;
        return Held(pad);
    }
    std::vector<int> LeftStick(float x, float y) {
        GLFWgamepadstate pad = RestingPad();
        pad.axes[GLFW_GAMEPAD_AXIS_LEFT_X] = x;
        pad.axes[GLFW_GAMEPAD_AXIS_LEFT_Y] = y;
        return Held(pad);
    }
};

using Keys = std::vector<int>;

TEST_F(PadPlayKeys, ButtonsAndDpadGiveTheirPlayKeys) {
    EXPECT_EQ(Held(RestingPad()), Keys{});
    EXPECT_EQ(Button(GLFW_GAMEPAD_BUTTON_A), Keys{PK_A});
    EXPECT_EQ(Button(GLFW_GAMEPAD_BUTTON_B), Keys{PK_B});
    EXPECT_EQ(Button(GLFW_GAMEPAD_BUTTON_X), Keys{PK_X});
    EXPECT_EQ(Button(GLFW_GAMEPAD_BUTTON_Y), Keys{PK_Y});
    EXPECT_EQ(Button(GLFW_GAMEPAD_BUTTON_START), Keys{PK_BACK});
    EXPECT_EQ(Button(GLFW_GAMEPAD_BUTTON_DPAD_UP), Keys{PK_UP});
    EXPECT_EQ(Button(GLFW_GAMEPAD_BUTTON_DPAD_LEFT), Keys{PK_LEFT});
    EXPECT_EQ(Button(GLFW_GAMEPAD_BUTTON_DPAD_RIGHT), Keys{PK_RIGHT});
    EXPECT_EQ(Button(GLFW_GAMEPAD_BUTTON_DPAD_DOWN), Keys{PK_DOWN});
    for (int unused : {GLFW_GAMEPAD_BUTTON_BACK, GLFW_GAMEPAD_BUTTON_LEFT_BUMPER, GLFW_GAMEPAD_BUTTON_RIGHT_BUMPER,
                       GLFW_GAMEPAD_BUTTON_GUIDE, GLFW_GAMEPAD_BUTTON_LEFT_THUMB}) {
        EXPECT_EQ(Button(unused), Keys{}) << unused;
    }
}

// The stick counts past 0.4 either way (strictly), the pad's y pointing down.
TEST_F(PadPlayKeys, TheLeftStickGivesTheDirectionsPastItsThreshold) {
    EXPECT_EQ(LeftStick(-1, 0), Keys{PK_LEFT});
    EXPECT_EQ(LeftStick(1, 0), Keys{PK_RIGHT});
    EXPECT_EQ(LeftStick(0, -1), Keys{PK_UP});
    EXPECT_EQ(LeftStick(0, 1), Keys{PK_DOWN});
    EXPECT_EQ(LeftStick(0.41f, -0.41f), (Keys{PK_UP, PK_RIGHT}));
    EXPECT_EQ(LeftStick(0.4f, 0.4f), Keys{});
    GLFWgamepadstate pad = RestingPad();
    pad.axes[GLFW_GAMEPAD_AXIS_RIGHT_X] = 1;
    pad.axes[GLFW_GAMEPAD_AXIS_RIGHT_Y] = 1;
    EXPECT_EQ(Held(pad), Keys{}) << "the right stick is no play key";
}

// A pad button is read once per update: held across updates it stays held (the
// tap latch for keys never holds a pad button over), released it is gone at once.
TEST_F(PadPlayKeys, AHeldButtonStaysHeldUntilTheUpdateThatReadsItReleased) {
    EXPECT_EQ(Button(GLFW_GAMEPAD_BUTTON_A), Keys{PK_A});
    EXPECT_EQ(Button(GLFW_GAMEPAD_BUTTON_A), Keys{PK_A});
    EXPECT_EQ(Held(RestingPad()), Keys{});
}

}  // namespace
