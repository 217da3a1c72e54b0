// reels_motion_test.cpp - the reels in motion, in a running Dice game: m_Spin's
// speeds and holds, settling from offsets 0.3 and 0.6 with both snap bands, the
// rules without snap or click, reelsMoving with the stop click, the whirr, and a full spin
// started from the SPIN button, from rest to rest.
#include <cmath>

#include "reels_support.h"

namespace {

using reeltest::RefGenerator;

constexpr float F = 0.015f;

class ReelMotion : public reeltest::ReelGame {
protected:
    void SetUp() override {
        ReelGame::SetUp();
        StartMachine(kMachineDice);
        ASSERT_EQ(game->state, kScreenPlay);
        ASSERT_EQ(game->reels.reelCount, 5);
    }
    void Place(int r, float speed, float offset, int pos = 50) {
        game->reels.reelSpeed[r] = speed;
        game->reels.reelOffset[r] = offset;
        game->reels.reelPos[r] = pos;
    }
    bool AtRest(int r) const { return game->reels.reelSpeed[r] == 0 && game->reels.reelOffset[r] == 0; }
    // One m_HandleReels call, with the sounds it started.
    std::vector<int> Handle() {
        return SoundsOf([this] { game->m_HandleReels(); });
    }
};

TEST_F(ReelMotion, SpinSpeedsRiseReelByReelAndHeldReelsStayPut) {
    game->reels.holds[2] = 1;
    game->reels.Overlay(2, 7) = 4;  // overlays, on a held reel and a free one
    game->reels.Overlay(4, 99) = 9;
    kx_random_Seed = 777;
    game->m_Spin(1.5f, 0.25f);
    RefGenerator gen(777);
    float v = gen.Rnd2(1.5f, 2.5f);
    for (int r = 0; r < 5; ++r) {
        SCOPED_TRACE(r);
        EXPECT_EQ(game->reels.reelSpeed[r], r == 2 ? 0.0f : v);
        EXPECT_EQ(game->reels.holds[r], 0);
        const float next = v + gen.Rnd2(0.25f, 0.5f);
        EXPECT_GE(next - v, 0.25f);
        EXPECT_LE(next - v, 0.5f);
        v = next;
    }
    EXPECT_EQ(kx_random_Seed, gen.Seed());
    EXPECT_EQ(game->reels.Overlay(2, 7), 0);
    EXPECT_EQ(game->reels.Overlay(4, 99), 0);
    EXPECT_GE(game->reels.reelSpeed[0], 1.5f);
    EXPECT_LT(game->reels.reelSpeed[0], 2.5f);
}

TEST_F(ReelMotion, SettlingBackFromThreeTenthsSnapsInsideTheAtRestBand) {
    Place(0, 0, 0.3f);
    std::vector<int> sounds = Handle();
    EXPECT_EQ(game->reels.reelSpeed[0], -8 * F);  // the creep starts before it moves
    EXPECT_EQ(game->reels.reelOffset[0], 0.3f);
    EXPECT_TRUE(sounds.empty());
    float last = 0.3f;
    int ticks = 1;
    while (!AtRest(0) && ticks < 100) {
        last = game->reels.reelOffset[0];
        sounds = Handle();
        ++ticks;
        if (!AtRest(0)) {
            EXPECT_LT(game->reels.reelOffset[0], last) << "tick " << ticks;
            EXPECT_GT(game->reels.reelOffset[0], 0) << "tick " << ticks;
            EXPECT_TRUE(sounds.empty());
        }
    }
    ASSERT_TRUE(AtRest(0));
    EXPECT_GT(last, 0);
    EXPECT_LT(last, 4.5f * F);
    EXPECT_EQ(game->reels.reelPos[0], 50);
    EXPECT_EQ(sounds, std::vector<int>{2});  // the stop click, once
    EXPECT_EQ(game->reels.reelsMoving, 1);         // a reel that snaps still counts in its tick
    EXPECT_TRUE(Handle().empty());
    EXPECT_EQ(game->reels.reelsMoving, 0);
}

TEST_F(ReelMotion, SettlingFromSixTenthsCreepsForwardIntoTheNextCell) {
    for (float start : {0.6f, -0.6f}) {
        SCOPED_TRACE(start);
        Place(1, 0, start);
        Handle();
        EXPECT_EQ(game->reels.reelSpeed[1], start > 0 ? 8 * F : -8 * F);
        int ticks = 1;
        bool wrapped = false;
        while (!AtRest(1) && ticks < 100) {
            Handle();
            ++ticks;
            wrapped = wrapped || game->reels.reelPos[1] != 50;
        }
        ASSERT_TRUE(AtRest(1));
        EXPECT_TRUE(wrapped);
        // Offsets grow as the symbols roll down, so a forward creep brings the cell
        // above onto the centre line.
        EXPECT_EQ(game->reels.reelPos[1], start > 0 ? 49 : 51);
    }
}

TEST_F(ReelMotion, TheSnapBandsSitAtThreeAndFourAndAHalfFrictions) {
    // At rest off the boundary: inside 4.5F it snaps at once, without a click (it
    // was not moving); just outside it starts to creep.
    Place(0, 0, 0.066f);
    Place(1, 0, -0.066f);
    Place(2, 0, 0.069f);
    EXPECT_TRUE(Handle().empty());
    EXPECT_TRUE(AtRest(0));
    EXPECT_TRUE(AtRest(1));
    EXPECT_EQ(game->reels.reelSpeed[2], -8 * F);
    // Slowing through 0: inside 3F of the boundary it snaps and clicks in the same tick.
    Place(2, 0.01f, 0.04f);  // moves to 0.0425 first
    Place(3, 0.01f, 0.05f);  // moves to 0.0525: turns into a creep, slowed at once
    EXPECT_EQ(Handle(), std::vector<int>{2});
    EXPECT_TRUE(AtRest(2));
    EXPECT_FLOAT_EQ(game->reels.reelSpeed[3], -5 * F);
    EXPECT_EQ(game->reels.reelsMoving, 1);  // both were moving at the slowing steps
}

TEST_F(ReelMotion, ReelsWithoutSnapFloatAndReelsWithoutClickStopSilently) {
    game->reels.rules.snap = 0;
    Place(0, 0, 0.04f);
    bool crept = false;
    for (int i = 0; i < 120; ++i) {
        EXPECT_TRUE(Handle().empty());
        EXPECT_FALSE(AtRest(0)) << "tick " << i;
        crept = crept || game->reels.reelSpeed[0] != 0;
    }
    EXPECT_TRUE(crept);
    EXPECT_LT(std::fabs(game->reels.reelOffset[0]), 0.5f);  // it hovers about the boundary
    game->reels.rules.snap = 1;
    for (int click : {0, 1}) {
        SCOPED_TRACE(click);
        game->reels.rules.click = click;
        Place(0, 0, 0.3f);
        std::vector<int> heard;
        for (int i = 0; i < 100 && !AtRest(0); ++i) {
            for (int s : Handle()) heard.push_back(s);
        }
        EXPECT_TRUE(AtRest(0));
        EXPECT_EQ(heard, click == 1 ? std::vector<int>{kSfxReelStop} : std::vector<int>{});
    }
}

TEST_F(ReelMotion, ReelsMovingCountsEveryReelMovingAtTheSlowingSteps) {
    Tick();
    EXPECT_EQ(game->reels.reelsMoving, 0);
    EXPECT_EQ(game->reels.reelSound, 0);
    Place(4, -2, 0);  // rolling up
    Tick();
    EXPECT_EQ(game->reels.reelsMoving, 1);
    EXPECT_LT(game->reels.reelSound, 0);
    // An upward roll never whirrs.
    for (int i = 0; i < 60; ++i) {
        for (int s : TickSounds()) EXPECT_NE(s, 3);
    }
}

TEST_F(ReelMotion, AFastRollWhirrsAtOnceThenEveryTwelveToTwentyOneTicks) {
    Place(0, 2.0f, 0);
    game->reels.whirrTimer = 5;
    // Faster than the whirr threshold: the first tick after a slow one whirrs at once.
    game->reels.reelSpeed[0] = 0;
    Tick();
    EXPECT_EQ(game->reels.whirrTimer, 0);
    Place(0, 2.0f, 0);
    const int before = game->sfxChannel;
    EXPECT_EQ(TickSounds(), std::vector<int>{3});
    const int ch = (before + 1) % kSfxRing;
    EXPECT_FLOAT_EQ(ChannelParam(ch, AL_GAIN), 5 / 20.0f);  // 10 * 2.0 - 3, at most 5 steps
    const float pitch = ChannelParam(ch, AL_PITCH);
    EXPECT_GE(pitch, 0.6f);
    EXPECT_LE(pitch, 1.0f);
    EXPECT_GE(game->reels.whirrTimer, 12);
    EXPECT_LE(game->reels.whirrTimer, 21);
    int gap = 0;
    std::vector<int> heard;
    while (heard.empty() && gap < 30) {
        heard = TickSounds();
        ++gap;
    }
    EXPECT_EQ(heard, std::vector<int>{3});
    EXPECT_GE(gap, 13);
    EXPECT_LE(gap, 22);
}

// Pressing SPIN in a running Dice game: every reel rolls down from its predicted
// start speed, losing exactly one friction step per tick, then settles onto a cell
// near the distance it rolled, with one click per reel.
TEST_F(ReelMotion, AFullSpinGoesFromRestToRest) {
    int startPos[5];
    for (int r = 0; r < 5; ++r) startPos[r] = game->reels.reelPos[r];
    const int seed = kx_random_Seed;
    const float spinX = game->spinX, spinY = game->spinY;
    PressAt(spinX, spinY);
    RefGenerator gen(seed);
    float v[5];
    v[0] = gen.Rnd2(1.5f, 2.5f);
    for (int r = 1; r < 5; ++r) v[r] = v[r - 1] + gen.Rnd2(0.25f, 0.5f);
    ReleaseMouse();

    float expect[5];
    double rolled[5] = {};
    int rollTicks[5] = {};
    int stopTick[5] = {};
    int clicks = 0;
    // The machine spins after the reels have moved in its tick: they start next tick.
    for (int r = 0; r < 5; ++r) {
        expect[r] = v[r];
        EXPECT_EQ(game->reels.reelSpeed[r], v[r]) << "reel " << r;
    }
    int tick = 0;
    while ((tick == 0 || game->reels.reelsMoving != 0) && tick < 1000) {
        for (int s : TickSounds()) clicks += s == 2;
        ++tick;
        for (int r = 0; r < 5; ++r) {
            if (expect[r] > 0) {
                rolled[r] += expect[r] * 0.25f;
                expect[r] = expect[r] - F;
                ++rollTicks[r];
                if (expect[r] > 0) {
                    ASSERT_EQ(game->reels.reelSpeed[r], expect[r]) << "reel " << r << " tick " << tick;
                }
            }
            if (stopTick[r] == 0 && AtRest(r)) stopTick[r] = tick;
        }
    }
    EXPECT_EQ(clicks, 5);
    int last = 0;
    for (int r = 0; r < 5; ++r) {
        SCOPED_TRACE(r);
        EXPECT_TRUE(AtRest(r));
        // Rolling lasts while the speed stays positive: about v / F ticks.
        EXPECT_NEAR(rollTicks[r], v[r] / F, 1.0);
        EXPECT_GE(stopTick[r], rollTicks[r]);
        EXPECT_LE(stopTick[r], rollTicks[r] + 45);  // settling never takes long
        last = std::max(last, stopTick[r]);
        const int moved = ((startPos[r] - game->reels.reelPos[r]) % 100 + 100) % 100;
        const int cells = static_cast<int>(std::floor(rolled[r]));
        EXPECT_TRUE(moved == cells % 100 || moved == (cells + 1) % 100) << moved << " vs " << rolled[r];
    }
    // Stopped reels report no motion from the tick after the last one settles.
    EXPECT_GE(tick, last);
    EXPECT_LE(tick, last + 1);
    EXPECT_GT(tick, 100);  // starting at 1.5 or more and slowing by 0.015: over 100 ticks
}

}  // namespace
