// shell_controls_test.cpp - play keys from the keyboard, joystick buttons and the
// stick; the one-action-per-press latches; the pointer and touch capture in
// virtual units; Back over the credits box. Input goes through the real input
// device and the host's update bracket.
#include "game_harness.h"
#include "host/input.h"

namespace {

using gametest::GameTest;

class ShellControls : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        Render();  // the fit sets the scale the capture divides by
    }
};

struct KeySources {
    int playKey;
    std::vector<int> keys;
    int joyButton;
};

const KeySources kTable[] = {
    {PK_UP, {38, 87}, 9},           {PK_LEFT, {37, 65}, 8},       {PK_RIGHT, {39, 68}, 10},
    {PK_DOWN, {40, 83}, 11},        {PK_A, {90, 74, 32, 13}, 0},  {PK_B, {88, 75, 17}, 1},
    {PK_X, {67, 76, 16}, 2},        {PK_Y, {86, 73}, 3},          {PK_BACK, {27, 46, 8}, 7},
};
const int kPlayKeys[] = {PK_UP, PK_LEFT, PK_RIGHT, PK_DOWN, PK_A, PK_B, PK_X, PK_Y, PK_BACK};

int HeldCount(kx_Tumbleroo_MyApp* game) {
    int n = 0;
    for (int k : kPlayKeys) n += game->m_PlayKey(k) ? 1 : 0;
    return n;
}

TEST_F(ShellControls, EachKeyboardKeyAndJoystickButtonHoldsExactlyItsPlayKey) {
    for (const KeySources& s : kTable) {
        for (int code : s.keys) {
            SCOPED_TRACE(testing::Message() << "key " << code);
            PressKey(code);
            Tick();
            EXPECT_TRUE(game->m_PlayKey(s.playKey));
            EXPECT_EQ(HeldCount(game), 1);
            ReleaseKey(code);
            Tick();
            EXPECT_FALSE(game->m_PlayKey(s.playKey));
        }
        SCOPED_TRACE(testing::Message() << "joystick button " << s.joyButton);
        SetJoyButton(s.joyButton, true);
        Tick();
        EXPECT_TRUE(game->m_PlayKey(s.playKey));
        EXPECT_EQ(HeldCount(game), 1);
        SetJoyButton(s.joyButton, false);
        Tick();
        EXPECT_FALSE(game->m_PlayKey(s.playKey));
    }
}

TEST_F(ShellControls, TheStickCountsOnlyBeyondItsThreshold) {
    struct StickCase {
        float x, y;
        int held;  // the play key held, or -1 for none
    };
    const StickCase cases[] = {
        {0, -0.4f, -1}, {0, -0.41f, PK_UP},   {0, 0.4f, -1}, {0, 0.41f, PK_DOWN},
        {-0.4f, 0, -1}, {-0.41f, 0, PK_LEFT}, {0.4f, 0, -1}, {0.41f, 0, PK_RIGHT},
    };
    for (const StickCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "stick " << c.x << "," << c.y);
        SetStick(c.x, c.y);
        Tick();
        EXPECT_EQ(HeldCount(game), c.held < 0 ? 0 : 1);
        if (c.held >= 0) {
            EXPECT_TRUE(game->m_PlayKey(c.held));
        }
    }
}

TEST_F(ShellControls, UnknownPlayKeysAreNeverHeld) {
    for (int code : {38, 37, 39, 40, 90, 88, 67, 86, 27}) PressKey(code);
    SetStick(1, 1);
    Tick();
    for (int k = 14; k <= 17; ++k) EXPECT_FALSE(game->m_PlayKey(k));
    EXPECT_FALSE(game->m_PlayKey(1));
    EXPECT_FALSE(game->m_PlayKey(-1));
}

TEST_F(ShellControls, KeyUsedHoldsUntilEveryPlayKeyIsReleased) {
    RunLoader();
    PressKey(40);
    Tick();
    game->keyUsed = 1;  // some control took the press
    PressKey(38);       // a second key while the first is held
    Tick();
    EXPECT_EQ(game->keyUsed, 1);
    ReleaseKey(40);
    Tick();
    EXPECT_EQ(game->keyUsed, 1);  // 38 is still held
    ReleaseKey(38);
    Tick();
    EXPECT_EQ(game->keyUsed, 0);
}

TEST_F(ShellControls, PointerUsedHoldsUntilThePointerIsReleased) {
    RunLoader();
    PressMouse();
    Tick();
    game->pointerUsed = 1;
    Tick(3);
    EXPECT_EQ(game->pointerUsed, 1);
    ReleaseMouse();
    Tick();
    EXPECT_EQ(game->pointerUsed, 0);
}

TEST_F(ShellControls, ANewPressShowsNoMovementAndHeldMotionShowsTheLastTick) {
    Recreate(1280, 960);
    Render();
    MoveMouse(200, 200);
    Tick();
    EXPECT_EQ(game->pointerX, 100);
    MoveMouse(240, 261);  // virtual (120, 130)
    PressMouse();
    Tick();
    EXPECT_EQ(game->pointerX, 120);
    EXPECT_EQ(game->pointerY, 130);
    EXPECT_EQ(game->pointerPrevX, 120);
    EXPECT_EQ(game->pointerPrevY, 130);
    EXPECT_EQ(game->pointerDown, 1);
    EXPECT_EQ(game->pointerHit, 1);
    EXPECT_EQ(game->pointerWasDown, 1);
    MoveMouse(300, 261);
    Tick();
    EXPECT_EQ(game->pointerPrevX, 120);
    EXPECT_EQ(game->pointerX, 150);
    EXPECT_EQ(game->pointerHit, 0);  // a hit counts only on the tick of the press
    ReleaseMouse();
    Tick();
    EXPECT_EQ(game->pointerDown, 0);
    EXPECT_EQ(game->pointerWasDown, 0);
}

TEST_F(ShellControls, TouchesAreCapturedInVirtualUnitsAndGoUpToTheAbsentValue) {
    Recreate(1280, 480);
    Render();
    MoveMouse(1, 10);  // half a virtual unit from the left edge
    PressMouse();
    Tick();
    EXPECT_EQ(game->touchDown[0], 1);
    EXPECT_EQ(game->touchX[0], 0);
    EXPECT_EQ(game->touchY[0], 5);
    for (int i = 1; i < kTouchCount; ++i) {
        EXPECT_EQ(game->touchDown[i], 0);
        EXPECT_EQ(game->touchX[i], kAbsent);
    }
    ReleaseMouse();
    PressTouch(3);
    Tick();
    EXPECT_EQ(game->touchDown[0], 0);
    EXPECT_EQ(game->touchX[0], kAbsent);
    EXPECT_EQ(game->touchY[0], kAbsent);
    EXPECT_EQ(game->touchDown[3], 1);
    EXPECT_EQ(game->touchX[3], 0);
    // A touch alone holds the pointer down but is not the mouse button.
    EXPECT_EQ(game->pointerDown, 1);
    EXPECT_EQ(game->pointerWasDown, 0);
    ReleaseTouch(3);
    Tick();
    EXPECT_EQ(game->touchX[3], kAbsent);
    EXPECT_EQ(game->pointerDown, 0);
}

TEST_F(ShellControls, BackClosesTheCreditsBoxAndTakesThePress) {
    RunLoader();
    game->creditsOpen = 1;
    PressKey(27);
    Tick();
    EXPECT_EQ(game->creditsOpen, 0);
    EXPECT_EQ(game->keyUsed, 1);
    EXPECT_EQ(game->pointerUsed, 1);
    // Held on, it does nothing more; reopening does not close again until released.
    game->creditsOpen = 1;
    Tick();
    EXPECT_EQ(game->creditsOpen, 1);
    ReleaseKey(27);
    Tick();
    SetJoyButton(7, true);  // the joystick's Back button
    Tick();
    EXPECT_EQ(game->creditsOpen, 0);
}

TEST_F(ShellControls, BackDoesNotCloseTheCreditsBoxOutsideTheMenu) {
    RunLoader();
    game->creditsOpen = 1;
    game->state = kScreenPlay;
    PressKey(8);
    Tick();
    // In a game Back belongs to the pause control, never to the credits box.
    EXPECT_EQ(game->creditsOpen, 1);
    EXPECT_EQ(game->paused, 1);
}

}  // namespace
