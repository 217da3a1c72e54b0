// machine_colours_test.cpp - one reading of a colour named without an alpha in
// every machine: it is opaque, whatever translucent lane, band or bar was drawn
// before it. Read from the display list after real ticks of each machine.
#include "game_harness.h"

namespace {

using gametest::Record;

class MachineColours : public gametest::GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        Render();
        RunLoader();
    }
    // The backing rectangle of the labelled button whose overlay frame is drawn at
    // (x, y): the last rectangle before that overlay record.
    Record BackingAt(float x, float y) {
        int overlay = -1;
        for (int i = 0; i < RecordCount() && overlay < 0; ++i) {
            const Record r = Rec(i);
            if (r.kind == kImgOverlay && r.x == x && r.y == y) overlay = i;
        }
        EXPECT_GE(overlay, 0) << "no button at " << x << ", " << y;
        for (int i = overlay - 1; i >= 0; --i) {
            if (Rec(i).kind == kKindRect) return Rec(i);
        }
        ADD_FAILURE() << "no backing";
        return Record{};
    }
    const MachineControls& Controls() { return game->m_CurrentMachine()->Controls(); }
};

TEST_F(MachineColours, EverySpinBackingIsOpaqueGreen) {
    for (int m = kMachineQuillmorPlat; m <= kMachineDice; ++m) {
        SCOPED_TRACE(m);
        StartMachine(m);
        const MachineControls& c = Controls();
        int spin = c.count - 1;  // SPIN is the last control but in Cometrow
        if (m == kMachineCometrow) spin = 0;
        const Record back = BackingAt(c.items[spin].x, c.items[spin].y);
        EXPECT_EQ(back.alpha, 1);
        EXPECT_EQ(back.r, 0);
        EXPECT_EQ(back.g, 120);
        EXPECT_EQ(back.b, 0);
    }
    // Cometrow's "Move->" backing too, in its own blue.
    StartMachine(kMachineCometrow);
    const Record move = BackingAt(Controls().items[1].x, Controls().items[1].y);
    EXPECT_EQ(move.alpha, 1);
    EXPECT_EQ(move.b, 120);
}

TEST_F(MachineColours, WhatFollowsATranslucentLaneOrBarIsOpaque) {
    // Cubewick's walker and QuillmorPlat's entrance, ledges and runner come after
    // the lane at alpha 0.8.
    StartMachine(kMachineCubewick);
    EXPECT_EQ(ImageAtY(kImgReels, game->reels.reelCentreY).alpha, 1);
    StartMachine(kMachineQuillmorPlat);
    int lane = -1, sprites = 0;
    for (int i = 0; i < RecordCount(); ++i) {
        const Record r = Rec(i);
        if (r.kind == kKindRect && r.alpha == 0.8f) lane = i;
        if (lane >= 0 && i > lane && r.kind == kImgReels) {
            EXPECT_EQ(r.alpha, 1) << "record " << i;
            sprites += 1;
        }
    }
    EXPECT_GE(sprites, 4);  // entrance, two ledges, the runner
    // Fizzcrate's nudge counter follows the highlight bar's dark lines at 0.7.
    StartMachine(kMachineFizzcrate);
    bool counter = false;
    for (int i = 0; i < RecordCount(); ++i) {
        const Record r = Rec(i);
        if (r.kind == kKindRect && r.w == 100 && r.h == 64) {
            counter = true;
            EXPECT_EQ(r.alpha, 1);
        }
    }
    EXPECT_TRUE(counter);
}

// The Dice banner's bands fade in and out; the hand's name and value over them
// do not.
TEST_F(MachineColours, TheDiceBannerTextsStayOpaqueWhileTheirBandsFade) {
    StartMachine(kMachineDice);
    game->phase = 3;  // the banner
    game->dice.handName = String("Full House");
    game->dice.bannerX = kx_Tumbleroo_jscrw / 2 + 256 + 128;  // half faded in
    Tick();
    int bands = 0, letters = 0;
    for (int i = 0; i < RecordCount(); ++i) {
        const Record r = Rec(i);
        if (r.kind == kKindRect && r.h == 32 && r.w == kx_Tumbleroo_jscrw + 1) {
            EXPECT_NEAR(r.alpha, 0.5f, 0.01f);
            bands += 1;
        }
        const bool orange = r.r == 255 && r.g == 125 && r.b == 0;
        const bool blue = r.r == 0 && r.g == 125 && r.b == 255;
        if (r.kind == kImgFont && (orange || blue)) {
            EXPECT_EQ(r.alpha, 1);
            letters += 1;
        }
    }
    EXPECT_EQ(bands, 2);
    EXPECT_GE(letters, 9);  // "Full House" and the value
}

}  // namespace
