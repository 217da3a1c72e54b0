// shell_buttons_test.cpp - image buttons and labelled buttons: the strict box
// edges, all touches against touch 0 only, the labelled buttons' fixed hit box,
// styles and pressed frames, the small button's size round trip, and the
// highlight bar. The pointer comes through the real input device.
#include "game_harness.h"

namespace {

using gametest::GameTest;
using gametest::Record;

constexpr int kSlot = 40;

class ShellButtons : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        Render();
        // No screen and no loader: the ticks below only capture the pointer.
        game->loadStep = 0;
        game->state = 0;
        game->imageScale = 1;
        game->slotInfo[3 * kSlot] = 64;
        game->slotInfo[3 * kSlot + 1] = 64;
        game->m_CLS2D(kAbsent, 0, 0, 0);
    }
    void MouseDownAt(float x, float y) {
        MoveMouse(x, y);
        PressMouse();
        Tick();
        game->m_CLS2D(kAbsent, 0, 0, 0);
    }
    Record Last() { return Rec(RecordCount() - 1); }
};

TEST_F(ShellButtons, ThePressedBoxIsOpenAtItsEdges) {
    const struct {
        float x, y;
        int pressed;
    } cases[] = {{131, 100, 1}, {132, 100, 0}, {69, 100, 1}, {68, 100, 0},
                 {100, 131, 1}, {100, 132, 0}, {100, 69, 1}, {100, 68, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        MouseDownAt(c.x, c.y);
        EXPECT_EQ(game->m_Button(kSlot, 100, 100, 2), c.pressed);
        EXPECT_EQ(game->m_Button0(kSlot, 100, 100, 2), c.pressed == 1);
        EXPECT_EQ(game->m_MouseIn_Centered(100, 100, 64, 64), c.pressed == 1);
        ReleaseMouse();
    }
    // The button draws its frame at the current draw state.
    const Record r = Last();
    EXPECT_EQ(r.kind, kSlot);
    EXPECT_EQ(r.frame, 2);
    EXPECT_EQ(r.x, 100);
}

TEST_F(ShellButtons, TheBoxScalesWithTheDrawSizeAndTheTier) {
    MouseDownAt(163, 100);
    game->m_SetSize(2, kAbsent);
    EXPECT_EQ(game->m_Button(kSlot, 100, 100, 0), 1);
    game->imageScale = 0.5f;  // sheet pixels at tier 2 are half a unit
    EXPECT_EQ(game->m_Button(kSlot, 100, 100, 0), 0);
    game->m_SetSize(4, kAbsent);
    EXPECT_EQ(game->m_Button(kSlot, 100, 100, 0), 1);
}

TEST_F(ShellButtons, AllTouchesCountForButtonButOnlyTouchZeroForButton0) {
    MouseDownAt(10, 10);
    game->touchDown[1] = 1;  // a second finger over the button
    game->touchX[1] = 100;
    game->touchY[1] = 100;
    EXPECT_EQ(game->m_Button(kSlot, 100, 100, 0), 1);
    EXPECT_EQ(game->loopIndex, 10);
    EXPECT_FALSE(game->m_Button0(kSlot, 100, 100, 0));
    EXPECT_EQ(game->loopIndex, 0);
    EXPECT_TRUE(game->m_MouseIn_Centered(100, 100, 64, 64));
    game->touchDown[1] = 0;  // lifted: its stale position no longer counts for the box test
    EXPECT_FALSE(game->m_MouseIn_Centered(100, 100, 64, 64));
    EXPECT_EQ(game->loopIndex, 10);
}

TEST_F(ShellButtons, NothingIsPressedWhileThePointerIsUp) {
    MouseDownAt(100, 100);
    ReleaseMouse();
    Tick();
    EXPECT_EQ(game->m_Button(kSlot, 100, 100, 0), 0);
    EXPECT_FALSE(game->m_Button0(kSlot, 100, 100, 0));
    EXPECT_EQ(game->touchX[0], kAbsent);
}

TEST_F(ShellButtons, TheLargeButtonStretchesItsBoxButNotItsHitArea) {
    game->fontSlot = 90;
    game->slotInfo[270] = 7;
    game->slotInfo[271] = 10;
    MouseDownAt(355, 200);
    game->m_SetCol(0, 120, 0, 1);
    EXPECT_EQ(game->m_AButton(300, 200, String("SPIN!"), 1, 2, 1), 1);
    const Record box = Rec(0);
    EXPECT_EQ(box.kind, kKindRect);
    EXPECT_FLOAT_EQ(box.x, 300 - 112);
    EXPECT_FLOAT_EQ(box.w, 224);
    EXPECT_FLOAT_EQ(box.y, 200 - 36);
    EXPECT_FLOAT_EQ(box.h, 72);
    EXPECT_EQ(box.g, 120);  // the caller's colour
    EXPECT_EQ(RecordCount(), 1 + 5 + 1);  // box, five glyphs, overlay
    EXPECT_EQ(Rec(1).w, 2);              // the label at twice the size
    EXPECT_EQ(Last().kind, 10);
    EXPECT_EQ(Last().frame, 1);  // style 1 pressed
    EXPECT_EQ(Last().w, 1);
    EXPECT_FLOAT_EQ(game->drawA, 1);
    EXPECT_FLOAT_EQ(game->drawG, 255);
    EXPECT_FLOAT_EQ(game->drawSizeX, 1);

    ReleaseMouse();
    MouseDownAt(357, 200);  // inside the stretched box, outside the hit area
    EXPECT_EQ(game->m_AButton(300, 200, String("SPIN!"), 1, 2, 1), 0);
    EXPECT_EQ(Last().frame, 0);
    EXPECT_EQ(game->m_AButton(300, 200, String("SPIN!"), 0, 1, 1), 0);
    EXPECT_EQ(Last().frame, 2);
    ReleaseMouse();
    MouseDownAt(300, 200);
    EXPECT_EQ(game->m_AButton(300, 200, String("SPIN!"), 0, 1, 1), 1);
    EXPECT_EQ(Last().frame, 3);
}

TEST_F(ShellButtons, TheSmallButtonRespondsToAbout43By48UnitsAndRestoresTheSize) {
    const struct {
        float dx, dy;
        int pressed;
    } cases[] = {{21, 0, 1}, {22, 0, 0}, {-21, 0, 1}, {-22, 0, 0}, {0, 23, 1}, {0, 24, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.dx << "," << c.dy);
        MouseDownAt(200 + c.dx, 200 + c.dy);
        EXPECT_EQ(game->m_BButton(200, 200, String("HOLD"), 1, 1, 1), c.pressed);
        EXPECT_NEAR(game->drawSizeX, 1, 1e-6);
        EXPECT_NEAR(game->drawSizeY, 1, 1e-6);
        EXPECT_NEAR(Last().w, 1 / 2.6f, 1e-6);  // the overlay at the reduced size
        EXPECT_NEAR(Last().h, 1 / 1.5f, 1e-6);
        ReleaseMouse();
    }
}

TEST_F(ShellButtons, TheHighlightBarSpansTheCentreRow) {
    Render();
    game->reels.reelPitch = 32;
    game->reels.reelScale = 2;
    game->reels.reelCentreY = 200;
    game->m_HighlightBar();
    ASSERT_EQ(RecordCount(), 3);
    EXPECT_FLOAT_EQ(Rec(0).x, -1);
    EXPECT_FLOAT_EQ(Rec(0).y, 166);
    EXPECT_FLOAT_EQ(Rec(0).w, 642);
    EXPECT_FLOAT_EQ(Rec(0).h, 70);
    EXPECT_FLOAT_EQ(Rec(0).alpha, 0.2f);
    EXPECT_FLOAT_EQ(Rec(1).y, 165);
    EXPECT_FLOAT_EQ(Rec(2).y, 235);
    EXPECT_FLOAT_EQ(Rec(2).h, 2);
    EXPECT_FLOAT_EQ(game->drawR, 0);
    EXPECT_FLOAT_EQ(game->drawA, 0.7f);
}

}  // namespace
