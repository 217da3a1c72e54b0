// focus_ring_test.cpp - the focus ring over a machine's controls, played through
// the real input device tick by tick: keys and a pad (buttons, d-pad, stick through
// the joystick seam) move it and press the control under it as a click would; the
// ring is drawn only from the first play-key press until a pointer press.
#include <GLFW/glfw3.h>

#include "game_harness.h"
#include "host/input.h"

namespace {

constexpr int kRingFrame = 6;  // the icon sheet's ring, as the pause menu draws it
constexpr int kSpace = 32, kKeyLeft = 37, kKeyUp = 38, kKeyRight = 39, kKeyDown = 40;

class FocusRingTest : public gametest::GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        Render();
        RunLoader();
    }
    const MachineControls& Controls() { return game->m_CurrentMachine()->Controls(); }
    // The ring records of the latest tick's display list.
    std::vector<gametest::Record> Rings() {
        std::vector<gametest::Record> rings;
        for (int i = 0; i < RecordCount(); ++i) {
            const gametest::Record r = Rec(i);
            if (r.kind == kImgIcons && r.frame == kRingFrame) rings.push_back(r);
        }
        return rings;
    }
    // The ring is drawn once, centred on the control and a little larger than it.
    void ExpectRingOn(const MachineControl& c) {
        const std::vector<gametest::Record> rings = Rings();
        ASSERT_EQ(rings.size(), 1u);
        EXPECT_FLOAT_EQ(rings[0].x, c.x);
        EXPECT_FLOAT_EQ(rings[0].y, c.y);
        const float frame = game->imageScale * static_cast<float>(game->slotInfo[3 * kImgIcons]);
        EXPECT_GT(rings[0].w * frame, c.w);
        EXPECT_LT(rings[0].w * frame, 1.5f * c.w);
        EXPECT_GT(rings[0].h * frame, c.h);
        EXPECT_EQ(rings[0].r, 255);
        EXPECT_EQ(rings[0].g, 255);
        EXPECT_EQ(rings[0].b, 100);
    }
    int NearestInRow(int row, float x) {
        int best = -1;
        for (int i = 0; i < Controls().count; ++i) {
            const MachineControl& c = Controls().items[i];
            if (c.row == row && (best < 0 || std::abs(c.x - x) < std::abs(Controls().items[best].x - x))) best = i;
        }
        return best;
    }
    // The pad as the joystick seam reads it: at rest but for what the test sets.
    GLFWgamepadstate pad = RestingPad();
    static GLFWgamepadstate RestingPad() {
        GLFWgamepadstate p = {};
        p.axes[GLFW_GAMEPAD_AXIS_LEFT_TRIGGER] = -1.0f;
        p.axes[GLFW_GAMEPAD_AXIS_RIGHT_TRIGGER] = -1.0f;
        return p;
    }
    // Held for two ticks, then released for one.
    void PadTap(int button) {
        pad.buttons[button] = GLFW_PRESS;
        gametest::Backend().joystick = glfw2::JoystickFromGamepad(pad);
        Tick(2);
        pad.buttons[button] = GLFW_RELEASE;
        gametest::Backend().joystick = glfw2::JoystickFromGamepad(pad);
        Tick();
    }
    void StickTap(float x, float y) {
        pad.axes[GLFW_GAMEPAD_AXIS_LEFT_X] = x;
        pad.axes[GLFW_GAMEPAD_AXIS_LEFT_Y] = y;
        gametest::Backend().joystick = glfw2::JoystickFromGamepad(pad);
        Tick(2);
        pad.axes[GLFW_GAMEPAD_AXIS_LEFT_X] = 0;
        pad.axes[GLFW_GAMEPAD_AXIS_LEFT_Y] = 0;
        gametest::Backend().joystick = glfw2::JoystickFromGamepad(pad);
        Tick();
    }
};

// Space on a fresh machine both shows the ring on SPIN and spins; held, it spins
// once; a click elsewhere hides the ring and the next key shows it where it was.
TEST_F(FocusRingTest, TheFirstKeyShowsTheRingOnSpinAndActsAHeldKeyActsOnce) {
    StartMachine(kMachineDice);
    EXPECT_TRUE(Rings().empty());
    const MachineControl spin = Controls().items[5];
    ASSERT_TRUE(spin.spin);
    PressKey(kSpace);
    Tick();
    EXPECT_EQ(game->phase, 1);
    ExpectRingOn(spin);
    for (int t = 0; t < 400; ++t) Tick();  // the reels stop while Space is still held
    EXPECT_EQ(game->reels.reelsMoving, 0);
    EXPECT_EQ(game->phase, 1) << "a held key spun twice";
    ReleaseKey(kSpace);
    Tick();

    ClickAt(20, 460);  // an empty corner: no control
    EXPECT_TRUE(Rings().empty());
    EXPECT_EQ(game->phase, 1);
    TapKey(kKeyLeft);  // SPIN is alone in its row: the ring shows and stays
    ExpectRingOn(Controls().items[5]);
}

// Up goes to the HOLD under SPIN's x, Left/Right walk the row and stop at its ends,
// PK_A holds the die as a click on its HOLD does (the tick sound included), Down
// comes back to SPIN, whose press spins only the unheld reels.
TEST_F(FocusRingTest, DiceHoldsAreChosenAndTheSecondSpinStartedByKeys) {
    StartMachine(kMachineDice);
    TapKey(kSpace);
    SettleReels();
    Tick();
    ASSERT_EQ(game->phase, 1);
    TapKey(kKeyUp);
    const int up = NearestInRow(0, Controls().items[5].x);
    ExpectRingOn(Controls().items[up]);
    for (int i = 0; i < 6; ++i) TapKey(kKeyLeft);
    ExpectRingOn(Controls().items[0]);
    TapKey(kSpace);
    EXPECT_EQ(game->reels.holds[0], 1);
    TapKey(kKeyRight);
    TapKey(kKeyRight);
    TapKey(90);  // Z is PK_A too
    EXPECT_EQ(game->reels.holds[2], 1);
    TapKey(kSpace);  // a second press releases the hold again
    EXPECT_EQ(game->reels.holds[2], 0);
    for (int r = 1; r < 5; ++r) EXPECT_EQ(game->reels.holds[r], 0) << r;

    TapKey(kKeyDown);
    ExpectRingOn(Controls().items[5]);
    const int heldFace = game->reels.PaySymbol(0);
    TapKey(kSpace);
    EXPECT_EQ(game->phase, 2);
    EXPECT_EQ(game->reels.reelSpeed[0], 0) << "the held reel spun";
    EXPECT_GT(game->reels.reelSpeed[1], 0);
    SettleReels();
    EXPECT_EQ(game->reels.PaySymbol(0), heldFace);
}

// A dim control takes the focus but a press on it does nothing: Cometrow's "Move->"
// before the lanes have been spun, and SPIN while the ship crosses.
TEST_F(FocusRingTest, DimControlsTakeTheFocusButDoNothing) {
    StartMachine(kMachineCometrow);
    TapKey(kKeyDown);  // landscape: "Move->" below SPIN
    ExpectRingOn(Controls().items[1]);
    TapKey(kSpace);
    EXPECT_EQ(game->phase, 0);
    EXPECT_EQ(game->cometrow.shipStep, 0);
    TapKey(kKeyUp);
    TapKey(kSpace);
    EXPECT_EQ(game->phase, 1);
    SettleReels();
    Tick();
    ASSERT_EQ(game->phase, 2);
    TapKey(kSpace);  // SPIN is dim while crossing
    EXPECT_EQ(game->phase, 2);
    TapKey(kKeyDown);
    PressKey(kSpace);
    Tick();
    EXPECT_GT(game->cometrow.shipStep, 0) << "Move-> did not step the ship";
    ReleaseKey(kSpace);
}

// With the pause menu open the keys are the pause menu's: the ring neither moves
// nor presses the machine's controls underneath.
TEST_F(FocusRingTest, ThePauseMenuKeepsTheKeys) {
    StartMachine(kMachineQuillmorPlat);
    TapKey(27);  // Escape pauses
    ASSERT_EQ(game->paused, 1);
    TapKey(kKeyRight);
    EXPECT_EQ(game->pauseCursor, 1);
    TapKey(kKeyLeft);
    EXPECT_EQ(game->pauseCursor, 0);
    EXPECT_EQ(game->focusShown, 0);
    TapKey(kSpace);  // resumes, does not spin
    EXPECT_EQ(game->phase, 0);
    EXPECT_EQ(game->reels.reelsMoving, 0);
}

// A pad plays Fizzcrate: A spins, the stick climbs from SPIN to the up arrows, the
// d-pad walks right, A nudges that reel up; the d-pad's Down reaches the down arrow.
TEST_F(FocusRingTest, APadPlaysFizzcrateThroughTheJoystickSeam) {
    StartMachine(kMachineFizzcrate);
    PadTap(GLFW_GAMEPAD_BUTTON_A);
    EXPECT_EQ(game->phase, 1);
    ExpectRingOn(Controls().items[12]);
    SettleReels();
    Tick();
    const int nudges = game->fizzcrate.nudges;
    ASSERT_GE(nudges, 1);
    StickTap(0, -1);
    StickTap(0, -1);
    const int upArrow = NearestInRow(0, Controls().items[12].x);
    ExpectRingOn(Controls().items[upArrow]);
    PadTap(GLFW_GAMEPAD_BUTTON_DPAD_LEFT);
    ExpectRingOn(Controls().items[upArrow - 1]);
    PadTap(GLFW_GAMEPAD_BUTTON_A);
    EXPECT_EQ(game->fizzcrate.nudges, nudges - 1);
    EXPECT_LT(game->reels.reelSpeed[upArrow - 1], 0) << "up: a negative speed";
    PadTap(GLFW_GAMEPAD_BUTTON_DPAD_DOWN);
    ExpectRingOn(Controls().items[upArrow - 1 + 6]);
    StickTap(1, 0);
    ExpectRingOn(Controls().items[upArrow + 6]);
}

}  // namespace
