// input_device_test.cpp - the input device's key words, hit counts, Shift/Control
// derivation, character queue, module functions, and its per-update reading of the
// pointer and joystick 1 through a test backend of the window layer.
#include "host/input.h"

#include <gtest/gtest.h>

namespace {

// A window layer with no window: only the pointer and the joystick are read.
class PointerAndStickBackend : public glfw2::Backend {
public:
    float mouseX = 0, mouseY = 0;
    glfw2::JoystickState joystick;
    int mouseReads = 0;

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
    void GetMousePos(float* x, float* y) override {
        ++mouseReads;
        *x = mouseX;
        *y = mouseY;
    }
    glfw2::JoystickState GetJoystick() override { return joystick; }

    void SetAxes(std::initializer_list<float> values) {
        joystick.axisCount = static_cast<int>(values.size());
        int i = 0;
        for (float v : values) joystick.axes[i++] = v;
    }
    void SetButtons(std::initializer_list<int> values) {
        joystick.buttonCount = static_cast<int>(values.size());
        int i = 0;
        for (int v : values) joystick.buttons[i++] = static_cast<unsigned char>(v);
    }
};

class InputDevice : public ::testing::Test {
protected:
    void SetUp() override {
        input = new gxtkInput();
        glfw2::SetBackend(&backend);
    }
    void TearDown() override {
        glfw2::SetBackend(nullptr);
        kx_input_device = nullptr;
    }
    // One game update with nothing read in between.
    void Update() {
        input->BeginUpdate();
        input->EndUpdate();
    }
    void Tap(int code) {
        input->OnKeyDown(code);
        input->OnKeyUp(code);
    }
    // What the host's key callback does for a press of a GLFW key.
    void PressGlfwKey(int glfwKey) {
        int code = TransKey(glfwKey);
        if (!code) return;
        input->OnKeyDown(code);
        if (int ch = KeyToChar(code)) input->PutChar(ch);
    }

    PointerAndStickBackend backend;
    gxtkInput* input = nullptr;
};

// ---------------------------------------------------------------------------
// Down bits and hit counts
// ---------------------------------------------------------------------------

TEST_F(InputDevice, StartsWithEverythingUpAndEmpty) {
    for (int key = 0; key < kInputKeyCount; ++key) {
        ASSERT_EQ(input->KeyDown(key), 0) << key;
        ASSERT_EQ(input->KeyHit(key), 0) << key;
    }
    EXPECT_EQ(input->GetChar(), 0);
    EXPECT_EQ(input->MouseX(), 0.0f);
    EXPECT_EQ(input->MouseY(), 0.0f);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(input->JoyX(i), 0.0f);
        EXPECT_EQ(input->JoyY(i), 0.0f);
        EXPECT_EQ(input->JoyZ(i), 0.0f);
    }
}

// A tap shorter than a tick reads as a press held for one update, then released:
// the game reads held states, and would otherwise never see it.
TEST_F(InputDevice, PressAndReleaseBetweenUpdatesIsHeldForOneUpdateWithOneHit) {
    Tap(90);
    input->BeginUpdate();
    EXPECT_EQ(input->KeyDown(90), 1);
    EXPECT_EQ(input->KeyHit(90), 1);
    input->EndUpdate();
    EXPECT_EQ(input->keyStates[90], 0) << "released at the end of the update that saw it";
    input->BeginUpdate();
    EXPECT_EQ(input->KeyHit(90), 0);
    EXPECT_EQ(input->KeyDown(90), 0);
}

// A press the game has already seen held is released the moment it goes up, as
// before; so is a tap's second release, which changes nothing.
TEST_F(InputDevice, AKeySeenHeldGoesUpAtOnceAndATapGoesUpOnlyOnce) {
    input->OnKeyDown(90);
    Update();
    input->OnKeyUp(90);
    EXPECT_EQ(input->KeyDown(90), 0);
    EXPECT_EQ(input->keyStates[90], 0);

    Tap(65);
    input->OnKeyUp(65);
    EXPECT_EQ(input->keyStates[65], kKeyDownBit | kKeyReleaseDueBit | 1);
    Update();
    EXPECT_EQ(input->keyStates[65], 0);
}

// Down, up and down again before the update: the second press is a fresh one and
// the key stays held after the update, as a held key does.
TEST_F(InputDevice, TapThenPressAgainBeforeTheUpdateStaysHeld) {
    Tap(32);
    input->OnKeyDown(32);
    input->BeginUpdate();
    EXPECT_EQ(input->KeyHit(32), 2);
    EXPECT_EQ(input->KeyDown(32), 1);
    input->EndUpdate();
    EXPECT_EQ(input->keyStates[32], kKeyDownBit);
    input->OnKeyUp(32);
    EXPECT_EQ(input->KeyDown(32), 0);
}

TEST_F(InputDevice, SeveralPressesBetweenUpdatesAreAllCounted) {
    for (int i = 0; i < 3; ++i) Tap(32);
    input->BeginUpdate();
    EXPECT_EQ(input->KeyHit(32), 3);
    input->EndUpdate();
    EXPECT_EQ(input->KeyHit(32), 0);
}

TEST_F(InputDevice, AutoRepeatNeitherCountsAgainNorChangesTheWord) {
    input->OnKeyDown(37);
    input->OnKeyDown(37);
    input->OnKeyDown(37);
    EXPECT_EQ(input->keyStates[37], kKeyDownBit | 1);
    EXPECT_EQ(input->KeyHit(37), 1);
    Update();
    input->OnKeyDown(37);  // still held: repeats arrive
    input->BeginUpdate();
    EXPECT_EQ(input->KeyDown(37), 1);
    EXPECT_EQ(input->KeyHit(37), 0);
}

TEST_F(InputDevice, HeldArrowQueuesItsCharacterOnEveryRepeat) {
    PressGlfwKey(263);  // GLFW left arrow
    PressGlfwKey(263);
    PressGlfwKey(263);
    EXPECT_EQ(input->KeyHit(37), 1);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(input->GetChar(), 65573);
    EXPECT_EQ(input->GetChar(), 0);
}

TEST_F(InputDevice, EndUpdateClearsHitsAndCharactersButKeepsDownBits) {
    input->OnKeyDown(65);
    Tap(66);
    input->PutChar('a');
    input->PutChar('b');
    input->EndUpdate();
    EXPECT_EQ(input->KeyDown(65), 1);
    EXPECT_EQ(input->KeyHit(65), 0);
    EXPECT_EQ(input->KeyHit(66), 0);
    EXPECT_EQ(input->KeyDown(66), 0);
    EXPECT_EQ(input->keyStates[65], kKeyDownBit);
    EXPECT_EQ(input->charPut, 0);
    EXPECT_EQ(input->charGet, 0);
    EXPECT_EQ(input->GetChar(), 0);
}

TEST_F(InputDevice, ReleaseOfAKeyThatIsUpChangesNothing) {
    input->OnKeyUp(70);
    EXPECT_EQ(input->keyStates[70], 0);
    input->OnKeyDown(70);
    Update();
    input->OnKeyUp(70);
    input->OnKeyUp(70);
    EXPECT_EQ(input->keyStates[70], 0);
}

// A long burst between two updates (the game suspended) must not carry the count
// into the down bit.
TEST_F(InputDevice, HitCountStopsAt255WithoutTouchingTheDownBit) {
    for (int i = 0; i < 300; ++i) Tap(88);
    EXPECT_EQ(input->KeyHit(88), 255);
    EXPECT_EQ(input->keyStates[88], kKeyDownBit | kKeyReleaseDueBit | 255);
    input->OnKeyDown(88);
    EXPECT_EQ(input->keyStates[88], kKeyDownBit | 255);
}

// ---------------------------------------------------------------------------
// Shift and Control
// ---------------------------------------------------------------------------

TEST_F(InputDevice, ShiftStaysDownWhileEitherSideIsDown) {
    input->OnKeyDown(kKeyLeftShift);
    input->OnKeyDown(kKeyRightShift);
    EXPECT_EQ(input->KeyDown(kKeyShift), 1);
    EXPECT_EQ(input->KeyHit(kKeyShift), 1);
    EXPECT_EQ(input->KeyHit(kKeyLeftShift), 1);
    EXPECT_EQ(input->KeyHit(kKeyRightShift), 1);
    Update();
    input->OnKeyUp(kKeyLeftShift);
    EXPECT_EQ(input->KeyDown(kKeyShift), 1);
    EXPECT_EQ(input->KeyDown(kKeyLeftShift), 0);
    input->OnKeyUp(kKeyRightShift);
    EXPECT_EQ(input->KeyDown(kKeyShift), 0);
}

// Both Shift keys tapped between two updates: Shift reads held through the update
// and goes up with the second of them.
TEST_F(InputDevice, TappedShiftKeysHoldShiftForOneUpdate) {
    input->OnKeyDown(kKeyLeftShift);
    input->OnKeyDown(kKeyRightShift);
    input->OnKeyUp(kKeyLeftShift);
    input->OnKeyUp(kKeyRightShift);
    input->BeginUpdate();
    EXPECT_EQ(input->KeyDown(kKeyShift), 1);
    EXPECT_EQ(input->KeyHit(kKeyShift), 1);
    input->EndUpdate();
    for (int code : {kKeyShift, kKeyLeftShift, kKeyRightShift}) EXPECT_EQ(input->keyStates[code], 0) << code;
}

TEST_F(InputDevice, ControlFollowsBothControlKeys) {
    input->OnKeyDown(kKeyRightControl);
    input->OnKeyDown(kKeyLeftControl);
    Update();
    input->OnKeyUp(kKeyRightControl);
    EXPECT_EQ(input->KeyDown(kKeyControl), 1);
    input->OnKeyUp(kKeyLeftControl);
    EXPECT_EQ(input->KeyDown(kKeyControl), 0);
    EXPECT_EQ(input->KeyDown(kKeyShift), 0);
    EXPECT_EQ(input->KeyHit(kKeyShift), 0);
}

TEST_F(InputDevice, EachFreshShiftPressCountsOneHit) {
    Tap(kKeyLeftShift);
    Tap(kKeyRightShift);
    EXPECT_EQ(input->KeyHit(kKeyShift), 2);
    // A repeat of a held Shift does not count again.
    input->OnKeyDown(kKeyLeftShift);
    input->OnKeyDown(kKeyLeftShift);
    EXPECT_EQ(input->KeyHit(kKeyShift), 3);
}

TEST_F(InputDevice, PlainKeysDoNotDriveShiftOrControl) {
    Tap(16);
    Tap(17);
    input->OnKeyDown(65);
    EXPECT_EQ(input->KeyHit(kKeyLeftShift), 0);
    EXPECT_EQ(input->KeyHit(kKeyLeftControl), 0);
    // Releasing the derived code directly does not release a side key.
    input->OnKeyDown(kKeyLeftShift);
    input->OnKeyUp(kKeyShift);
    EXPECT_EQ(input->KeyDown(kKeyLeftShift), 1);
}

// ---------------------------------------------------------------------------
// Characters
// ---------------------------------------------------------------------------

TEST_F(InputDevice, CharacterQueueHoldsThirtyTwoAndDropsTheRest) {
    for (int i = 0; i < 33; ++i) input->PutChar('A' + i);
    EXPECT_EQ(input->charPut, 32);
    for (int i = 0; i < 32; ++i) ASSERT_EQ(input->GetChar(), 'A' + i) << i;
    EXPECT_EQ(input->GetChar(), 0);
    EXPECT_EQ(input->GetChar(), 0);
    input->EndUpdate();
    input->PutChar('z');
    EXPECT_EQ(input->GetChar(), 'z');
}

// ---------------------------------------------------------------------------
// Codes outside the table, touch 0, and keys the toolkit ignores
// ---------------------------------------------------------------------------

TEST_F(InputDevice, OutOfRangeCodesReadZeroAndAreNeverWritten) {
    for (int key = 0; key < kInputKeyCount; ++key) input->OnKeyDown(key);
    for (int key : {0, 512, -5, 100000, -100000}) {
        EXPECT_EQ(input->KeyDown(key), 0) << key;
        EXPECT_EQ(input->KeyHit(key), 0) << key;
    }
    gxtkInput* other = new gxtkInput();
    for (int key : {0, 512, -5, 1 << 20}) {
        other->OnKeyDown(key);
        other->OnKeyUp(key);
    }
    for (int key = 0; key < kInputKeyCount; ++key) ASSERT_EQ(other->keyStates[key], 0) << key;
}

TEST_F(InputDevice, TouchZeroReadsTheLeftMouseButton) {
    EXPECT_EQ(input->KeyDown(kKeyTouch0), 0);
    input->OnKeyDown(kKeyMouseLeft);
    EXPECT_EQ(input->KeyDown(kKeyTouch0), 1);
    EXPECT_EQ(input->KeyHit(kKeyTouch0), 1);
    Update();
    input->OnKeyUp(kKeyMouseLeft);
    EXPECT_EQ(input->KeyDown(kKeyTouch0), 0);
    // The word at 384 itself is not what touch 0 reads.
    input->EndUpdate();
    input->OnKeyDown(kKeyTouch0);
    EXPECT_EQ(input->KeyDown(kKeyTouch0), 0);
}

TEST_F(InputDevice, AltAndKeypadKeysChangeNothing) {
    // GLFW: left/right Alt, keypad 0, keypad Enter, Caps Lock, F13.
    for (int glfwKey : {342, 346, 320, 335, 280, 302}) PressGlfwKey(glfwKey);
    for (int key = 0; key < kInputKeyCount; ++key) ASSERT_EQ(input->keyStates[key], 0) << key;
    EXPECT_EQ(input->charPut, 0);
}

// ---------------------------------------------------------------------------
// Pointer and joystick through BeginUpdate
// ---------------------------------------------------------------------------

TEST_F(InputDevice, BeginUpdateReadsThePointerEveryUpdate) {
    backend.mouseX = 123.5f;
    backend.mouseY = 45.25f;
    input->BeginUpdate();
    EXPECT_EQ(input->MouseX(), 123.5f);
    EXPECT_EQ(input->MouseY(), 45.25f);
    EXPECT_EQ(input->TouchX(0), 123.5f);
    EXPECT_EQ(input->TouchY(7), 45.25f);
    backend.mouseX = -3;
    input->EndUpdate();
    EXPECT_EQ(input->MouseX(), 123.5f);  // only read at the start of an update
    input->BeginUpdate();
    EXPECT_EQ(input->MouseX(), -3.0f);
    EXPECT_EQ(backend.mouseReads, 2);
}

TEST_F(InputDevice, SixAxesAreTakenAsRead) {
    backend.SetAxes({0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f});
    input->BeginUpdate();
    EXPECT_FLOAT_EQ(input->JoyX(0), 0.1f);
    EXPECT_FLOAT_EQ(input->JoyY(0), 0.2f);
    EXPECT_FLOAT_EQ(input->JoyZ(0), 0.3f);
    EXPECT_FLOAT_EQ(input->JoyX(1), 0.4f);
    EXPECT_FLOAT_EQ(input->JoyY(1), -0.5f);  // stick 1's y comes negated
    EXPECT_FLOAT_EQ(input->JoyZ(1), 0.6f);
    for (int index : {-1, 2, 16, 17}) {
        EXPECT_EQ(input->JoyX(index), 0.0f) << index;
        EXPECT_EQ(input->JoyY(index), 0.0f) << index;
        EXPECT_EQ(input->JoyZ(index), 0.0f) << index;
    }
}

TEST_F(InputDevice, FourAxesMoveTheThirdToStickOneY) {
    backend.SetAxes({0.1f, 0.2f, 0.7f, 0.4f});
    input->BeginUpdate();
    kx_input_SetInputDevice(input);
    EXPECT_FLOAT_EQ(kx_input_JoyY(1, 0), -0.7f);
    EXPECT_FLOAT_EQ(kx_input_JoyX(1, 0), 0.4f);
    EXPECT_EQ(input->JoyZ(0), 0.0f);
    EXPECT_EQ(input->JoyZ(1), 0.0f);
    EXPECT_FLOAT_EQ(kx_input_JoyX(0, 0), 0.1f);
    EXPECT_FLOAT_EQ(kx_input_JoyY(0, 0), 0.2f);
    EXPECT_EQ(kx_input_JoyX(0, 1), 0.0f);  // a second unit reads nothing
    EXPECT_EQ(kx_input_JoyY(1, 1), 0.0f);
    EXPECT_EQ(kx_input_JoyX(1, -1), 0.0f);
}

TEST_F(InputDevice, FiveAxesSwapStickOne) {
    backend.SetAxes({0.1f, 0.2f, 0.3f, 0.4f, 0.5f});
    input->BeginUpdate();
    EXPECT_FLOAT_EQ(input->JoyZ(0), 0.3f);
    EXPECT_FLOAT_EQ(input->JoyX(1), 0.5f);
    EXPECT_FLOAT_EQ(input->JoyY(1), -0.4f);
    EXPECT_EQ(input->JoyZ(1), 0.0f);
}

TEST_F(InputDevice, FewerAxesLeaveTheRestAtZeroAndAVanishedStickClears) {
    backend.SetAxes({0.9f, -0.9f, 0.9f, 0.9f, 0.9f, 0.9f});
    input->BeginUpdate();
    backend.SetAxes({-0.5f, 0.25f});
    input->BeginUpdate();
    EXPECT_FLOAT_EQ(input->JoyX(0), -0.5f);
    EXPECT_FLOAT_EQ(input->JoyY(0), 0.25f);
    EXPECT_EQ(input->JoyZ(0), 0.0f);
    EXPECT_EQ(input->JoyX(1), 0.0f);
    EXPECT_EQ(input->JoyY(1), 0.0f);
    EXPECT_EQ(input->JoyZ(1), 0.0f);
    backend.SetAxes({});
    input->BeginUpdate();
    EXPECT_EQ(input->JoyX(0), 0.0f);
    EXPECT_EQ(input->JoyY(0), 0.0f);
}

TEST_F(InputDevice, JoystickButtonsPressAndReleaseCodesFrom256) {
    backend.SetButtons({1, 0, 0, 1});
    input->BeginUpdate();
    EXPECT_EQ(input->KeyDown(256), 1);
    EXPECT_EQ(input->KeyHit(256), 1);
    EXPECT_EQ(input->KeyDown(257), 0);
    EXPECT_EQ(input->KeyDown(259), 1);
    input->EndUpdate();
    input->BeginUpdate();  // still held: no new hit
    EXPECT_EQ(input->KeyDown(256), 1);
    EXPECT_EQ(input->KeyHit(256), 0);
    input->EndUpdate();
    backend.SetButtons({0, 1, 0, 1});
    input->BeginUpdate();
    EXPECT_EQ(input->KeyDown(256), 0);
    EXPECT_EQ(input->KeyDown(257), 1);
    EXPECT_EQ(input->KeyHit(257), 1);
    kx_input_SetInputDevice(input);
    EXPECT_EQ(kx_input_JoyDown(1, 0), 1);
    EXPECT_EQ(kx_input_JoyDown(3, 0), 1);
    EXPECT_EQ(kx_input_JoyDown(0, 0), 0);
    EXPECT_EQ(kx_input_JoyDown(1, -1), 0);  // no unit below 0
}

TEST_F(InputDevice, ThirtyTwoButtonsAtMost) {
    glfw2::JoystickState& joy = backend.joystick;
    joy.buttonCount = 40;  // a backend reporting more than it holds is cut at 32
    for (int i = 0; i < 32; ++i) joy.buttons[i] = 1;
    input->BeginUpdate();
    EXPECT_EQ(input->KeyDown(256 + 31), 1);
    EXPECT_EQ(input->KeyDown(256 + 32), 0);
    EXPECT_EQ(input->KeyHit(256 + 32), 0);
}

// ---------------------------------------------------------------------------
// The module functions
// ---------------------------------------------------------------------------

TEST_F(InputDevice, ModuleFunctionsReadTheStoredDevice) {
    kx_input_SetInputDevice(input);
    EXPECT_EQ(kx_input_device, input);
    input->OnKeyDown(2);  // right mouse button
    input->OnKeyDown(1);
    input->OnKeyDown(87);
    input->PutChar('q');
    backend.mouseX = 10;
    backend.mouseY = 20;
    input->BeginUpdate();
    EXPECT_EQ(kx_input_MouseDown(1), 1);
    EXPECT_EQ(kx_input_MouseHit(1), 1);
    EXPECT_EQ(kx_input_MouseDown(2), 0);
    EXPECT_EQ(kx_input_KeyDown(87), 1);
    EXPECT_EQ(kx_input_KeyHit(87), 1);
    EXPECT_EQ(kx_input_TouchDown(0), 1);
    EXPECT_EQ(kx_input_TouchDown(1), 0);
    EXPECT_EQ(kx_input_MouseX(), 10.0f);
    EXPECT_EQ(kx_input_MouseY(), 20.0f);
    EXPECT_EQ(kx_input_TouchX(3), 10.0f);
    EXPECT_EQ(kx_input_TouchY(3), 20.0f);
    EXPECT_EQ(kx_input_GetChar(), 'q');
    EXPECT_EQ(kx_input_GetChar(), 0);
    EXPECT_EQ(kx_input_AccelX(), 0.0f);
    EXPECT_EQ(kx_input_AccelY(), 0.0f);
    EXPECT_EQ(kx_input_EnableKeyboard(), 0);
    EXPECT_EQ(kx_input_DisableKeyboard(), 0);
    EXPECT_EQ(kx_input_KeyDown(87), 1);  // the keyboard switch has no effect
}

TEST_F(InputDevice, StoringTheDeviceGreysItForARunningCollection) {
    // Through the write barrier: a white object stored mid-cycle is queued.
    ASSERT_EQ(input->flags & 3, gc_markbit);
    int queued = gc_list_count(gc_queued_list);
    kx_input_SetInputDevice(input);
    EXPECT_NE(input->flags & 3, gc_markbit);
    EXPECT_EQ(gc_list_count(gc_queued_list), queued + 1);
}

}  // namespace
