// machine_controls_test.cpp - every machine's list of controls: the rows in reading
// order each machine gives, the hit boxes checked by real clicks at their centres in
// both layouts, and a press through m_PressControl acting as a click does.
#include <vector>

#include "game_harness.h"

namespace {

class MachineControlsTest : public gametest::GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        Render();  // the fit: one virtual unit per pixel, landscape
        RunLoader();
    }
    const MachineControls& Controls() { return game->m_CurrentMachine()->Controls(); }
    std::vector<int> Rows() {
        std::vector<int> rows;
        for (int i = 0; i < Controls().count; ++i) rows.push_back(Controls().items[i].row);
        return rows;
    }
    // The pointer held at the control's centre for one tick, through the window.
    void ClickControl(const MachineControl& c) { ClickAt(c.x, c.y); }
    // A tick whose pointer capture is followed by a press of the control.
    void PressControlTick(const MachineControl& c) {
        game->m_CapturePointer();
        game->m_PressControl(c);
        game->m_KeyLock();
        game->m_RunScreen();
        game->m_ResetDraw();
    }
};

TEST_F(MachineControlsTest, RowsFollowReadingOrderInEveryMachine) {
    StartMachine(kMachineDice);
    EXPECT_EQ(Rows(), (std::vector<int>{0, 0, 0, 0, 0, 1}));  // five HOLD buttons, then SPIN
    // The HOLD buttons are listed left to right, under their reels.
    for (int i = 0; i < 5; ++i) EXPECT_FLOAT_EQ(Controls().items[i].x, game->reels.ColumnX(i)) << i;

    StartMachine(kMachineFizzcrate);
    std::vector<int> fizz(6, 0);
    fizz.insert(fizz.end(), 6, 1);
    fizz.push_back(2);
    EXPECT_EQ(Rows(), fizz);  // the up arrows, the down arrows, SPIN
    EXPECT_LT(Controls().items[0].y, Controls().items[6].y);
    EXPECT_LT(Controls().items[0].x, Controls().items[5].x);

    StartMachine(kMachineCometrow);
    EXPECT_EQ(Rows(), (std::vector<int>{0, 1}));  // landscape: "Move->" below SPIN

    StartMachine(kMachineCubewick);
    EXPECT_EQ(Rows(), std::vector<int>{0});
    StartMachine(kMachineQuillmorPlat);
    EXPECT_EQ(Rows(), std::vector<int>{0});
    EXPECT_FLOAT_EQ(Controls().items[0].x, game->spinX);
    EXPECT_FLOAT_EQ(Controls().items[0].y, game->spinY);
}

TEST_F(MachineControlsTest, PortraitCometrowPutsBothButtonsOnOneRow) {
    Recreate(480, 640);
    Render();
    RunLoader();
    StartMachine(kMachineCometrow);
    ASSERT_EQ(Rows(), (std::vector<int>{0, 0}));
    EXPECT_LT(Controls().items[0].x, Controls().items[1].x);  // SPIN left of "Move->"
}

// A click at the listed centre of a HOLD box holds its reel, so the box is where the
// button is; a click just outside the box's right edge holds nothing.
TEST_F(MachineControlsTest, ClicksAtListedBoxesPressTheirButtons) {
    StartMachine(kMachineDice);
    ClickControl(Controls().items[5]);  // SPIN
    EXPECT_EQ(game->phase, 1);
    SettleReels();
    const MachineControl hold = Controls().items[2];
    ClickControl(hold);
    EXPECT_EQ(game->reels.holds[2], 1);
    MachineControl outside = hold;
    outside.x = hold.x + hold.w / 2 + 2;
    ClickControl(outside);
    for (int r = 0; r < 5; ++r) EXPECT_EQ(game->reels.holds[r], r == 2 ? 1 : 0) << r;
}

TEST_F(MachineControlsTest, APressThroughTheListActsAsAClick) {
    StartMachine(kMachineFizzcrate);
    const MachineControl spin = Controls().items[Controls().count - 1];
    PressControlTick(spin);
    EXPECT_EQ(game->phase, 1);
    EXPECT_EQ(game->pointerUsed, 1);
    EXPECT_GT(game->reels.reelSpeed[0], 0);  // spinning
    SettleReels();
    // In landscape the nudges are drawn while the reels roll; an up arrow nudges.
    ASSERT_GE(game->fizzcrate.nudges, 1);
    const int nudges = game->fizzcrate.nudges;
    Tick();  // the pointer is up: the press is free again
    PressControlTick(Controls().items[3]);
    EXPECT_EQ(game->fizzcrate.nudges, nudges - 1);
    EXPECT_LT(game->reels.reelSpeed[3], 0);  // up: a negative speed
}

}  // namespace
