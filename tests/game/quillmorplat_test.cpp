// quillmorplat_test.cpp - the QuillmorPlat machine played through the real game
// object: SPIN pressed with the mouse through the input device, the reels left to
// stop by themselves, then a level laid out on the still strips before the runner's
// first decision. Covers the left ledge, walls, climb and drop with their
// exceptions and rides, coins, hazards, the exit, the run timer that counts only
// still ticks, the drawing, and a whole game to its end.
#include <algorithm>
#include <string>
#include <vector>

#include "game_harness.h"
#include "media/audio_device.h"

namespace {

using gametest::GameTest;
using gametest::Record;

constexpr int kReels = 8;
constexpr int kCellTicks = 16;
constexpr int kRunTicks = 600;

enum { FLOOR = 1, WALL = 2, CLIMB = 3, COIN = 4, HAZARD = 5, DROP = 6 };
enum { DECIDE = 0, WALK = 1, TURN = 2, RIDE = 3 };

class QuillmorPlat : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        Render();  // fits the virtual screen, so pointer positions map 1:1
        RunLoader();
        StartGame();
    }

    void StartGame() {
        StartMachine(kMachineQuillmorPlat);
        ASSERT_EQ(game->state, kScreenPlay);
    }

    int Cell(int reel, int row) const { return kx_Tumbleroo_Reels::Cell(reel, game->reels.reelPos[reel] + row); }

    // Cell `row` rows below the pay line (negative: above) of a reel.
    void Put(int reel, int row, int symbol) {
        game->reels.reelCells[Cell(reel, row)] = symbol;
        game->reels.reelCells[Cell(reel, row) + 1] = 0;
    }

    // A spin onto a level of plain floor; the test then places what it needs.
    void SpinOntoFloor() {
        PressSpin();
        ASSERT_EQ(game->phase, 1);
        SettleReels();
        for (int r = 0; r < kReels; ++r) {
            for (int row = 0; row < 100; ++row) Put(r, row, FLOOR);
        }
        ASSERT_EQ(game->quillmorPlat.runTimer, kRunTicks);
        ASSERT_EQ(game->quillmorPlat.runnerAction, DECIDE);
    }

    int SoundPlayed(int back = 0) const {
        const int ring = (game->sfxChannel - back + kSfxRing) % kSfxRing;
        const gxtkSample* sample = app->audio->channels[game->channels[ring]].sample;
        for (int slot = 0; slot < kSoundSlots; ++slot) {
            if (game->sounds[slot] && game->sounds[slot]->sample == sample) return slot;
        }
        return -1;
    }
    int SoundsSince(int channel) const { return (game->sfxChannel - channel + kSfxRing) % kSfxRing; }

    // Tick until the ride ends (the runner decides again in that same tick).
    int Ride() {
        int ticks = 0;
        while (game->quillmorPlat.runnerAction == RIDE && ticks < 300) {
            Tick();
            ++ticks;
        }
        return ticks;
    }

    // The runner is the reel-sheet image drawn exactly on the pay line's y.
    Record Runner() const { return ImageAtY(kImgReels, game->reels.reelCentreY); }
};

TEST_F(QuillmorPlat, LoaderSetsTheMachineUp) {
    EXPECT_EQ(game->reels.reelCount, kReels);
    EXPECT_EQ(game->soundSet, 1);
    EXPECT_EQ(game->reelSheet, String("Reel_Plat"));
    EXPECT_EQ(game->reels.reelFrameR, 180);
    EXPECT_EQ(game->reels.reelFrameG, 40);
    EXPECT_EQ(game->lives, 3);
    EXPECT_EQ(game->phase, 0);
    EXPECT_EQ(game->quillmorPlat.runnerPos, -1);
    EXPECT_EQ(game->quillmorPlat.runnerDir, 1);
    const int counts[] = {0, 50, 10, 10, 15, 5, 10, 0};
    for (int k = 1; k <= 7; ++k) EXPECT_EQ(game->reels.symbolCounts[k], counts[k]) << k;
}

TEST_F(QuillmorPlat, AWallOnReelZeroTurnsTheRunnerOffTheLeftLedgeToItsDeath) {
    SpinOntoFloor();
    Put(0, 0, WALL);
    Tick();  // at the left ledge, facing a wall
    EXPECT_EQ(game->quillmorPlat.runnerAction, TURN);
    EXPECT_EQ(game->score, 10);
    Tick();  // turns and decides again: nothing ahead but the drop off the ledge
    EXPECT_EQ(game->quillmorPlat.runnerDir, -1);
    EXPECT_EQ(game->quillmorPlat.runnerAction, WALK);
    EXPECT_EQ(game->score, 15);
    Tick(kCellTicks - 1);
    EXPECT_EQ(Runner().w, game->reels.reelScale * -1);  // drawn mirrored while it faces left
    EXPECT_EQ(game->phase, 1);
    EXPECT_EQ(game->lives, 3);
    Tick();
    EXPECT_EQ(game->quillmorPlat.runnerPos, -2);
    EXPECT_EQ(game->lives, 2);
    EXPECT_EQ(game->phase, 0);
    EXPECT_EQ(game->quillmorPlat.runnerAnim, 15);
    EXPECT_EQ(game->score, 15);  // no walk bonus for the fatal step
    EXPECT_EQ(SoundPlayed(), 13);
    Tick(20);
    EXPECT_EQ(Runner().frame, 23);  // the dead frame stays until the next spin
}

TEST_F(QuillmorPlat, ClimbAndDropAreRefusedUnderAWallOrOntoAWallOrClimb) {
    SpinOntoFloor();
    Put(0, 0, CLIMB);
    Put(0, -1, WALL);
    Put(1, 0, DROP);
    Put(1, 1, WALL);
    Put(2, 0, DROP);
    Put(2, 1, CLIMB);
    Put(3, 0, CLIMB);  // floor above: this one climbs
    Put(4, -1, DROP);  // on the row above, floor below it: this one drops back
    Tick();
    EXPECT_EQ(game->score, 5);
    for (int reel = 0; reel < 3; ++reel) {
        Tick(kCellTicks);
        EXPECT_EQ(game->quillmorPlat.runnerPos, reel);
        EXPECT_EQ(game->quillmorPlat.runnerAction, WALK) << reel;
        EXPECT_EQ(game->score, 10 + 5 * reel) << reel;
        for (int r = 0; r < kReels; ++r) EXPECT_EQ(game->reels.reelSpeed[r], 0);
    }
    std::vector<int> before(kReels);
    for (int r = 0; r < kReels; ++r) before[r] = game->reels.reelPos[r];
    Tick(kCellTicks);
    EXPECT_EQ(game->quillmorPlat.runnerPos, 3);
    EXPECT_EQ(game->quillmorPlat.runnerAction, RIDE);
    EXPECT_EQ(game->score, 35);  // a ride scores 15 and no walk bonus
    for (int r = 0; r < kReels; ++r) EXPECT_FLOAT_EQ(game->reels.reelSpeed[r], 24 * kReelFriction);
    EXPECT_GT(Ride(), 20);
    // Every reel turned one cell: the row above is now the pay line.
    for (int r = 0; r < kReels; ++r) EXPECT_EQ(game->reels.reelPos[r], (before[r] + 99) % 100) << r;
    EXPECT_EQ(game->quillmorPlat.runnerPos, 3);
    EXPECT_EQ(game->quillmorPlat.runnerAction, WALK);
    EXPECT_EQ(game->score, 40);
    Tick(kCellTicks);
    EXPECT_EQ(game->quillmorPlat.runnerPos, 4);
    EXPECT_EQ(game->quillmorPlat.runnerAction, RIDE);
    for (int r = 0; r < kReels; ++r) EXPECT_FLOAT_EQ(game->reels.reelSpeed[r], -24 * kReelFriction);
    EXPECT_EQ(game->score, 55);
    Ride();
    for (int r = 0; r < kReels; ++r) EXPECT_EQ(game->reels.reelPos[r], before[r]) << r;
    EXPECT_EQ(game->phase, 1);
}

TEST_F(QuillmorPlat, ACoinVisitedTwiceScoresOnce) {
    SpinOntoFloor();
    Put(0, 0, COIN);
    Put(2, 0, WALL);
    Tick();
    Tick(kCellTicks);  // onto the coin
    EXPECT_EQ(game->score, 5 + 25 + 5);
    EXPECT_EQ(game->reels.reelCells[Cell(0, 0) + 1], 1);
    EXPECT_EQ(SoundPlayed(), 11);
    Tick(kCellTicks);  // at reel 1, facing the wall
    EXPECT_EQ(game->quillmorPlat.runnerAction, TURN);
    EXPECT_EQ(game->score, 45);
    Tick();
    EXPECT_EQ(game->score, 50);
    const int channel = game->sfxChannel;
    Tick(kCellTicks);  // back onto the collected coin
    EXPECT_EQ(game->quillmorPlat.runnerPos, 0);
    EXPECT_EQ(game->quillmorPlat.runnerDir, -1);
    EXPECT_EQ(game->score, 55);
    EXPECT_EQ(SoundsSince(channel), 2);  // two footsteps and no coin sound
    EXPECT_EQ(SoundPlayed(), 14);
    Tick(2 * kCellTicks);  // off the left ledge
    EXPECT_EQ(game->score, 60);
    EXPECT_EQ(game->lives, 2);
    // The next spin brings fresh coins.
    PressSpin();
    EXPECT_EQ(game->reels.reelCells[Cell(0, 0) + 1], 0);
}

TEST_F(QuillmorPlat, AHazardKillsWithoutAWalkBonus) {
    SpinOntoFloor();
    Put(2, 0, HAZARD);
    Tick(1 + 3 * kCellTicks);
    EXPECT_EQ(game->quillmorPlat.runnerPos, 2);
    EXPECT_EQ(game->score, 15);
    EXPECT_EQ(game->lives, 2);
    EXPECT_EQ(game->phase, 0);
    EXPECT_EQ(game->quillmorPlat.runnerAnim, 15);
}

TEST_F(QuillmorPlat, TheExitScoresAHundredWithoutTheWalkBonus) {
    SpinOntoFloor();
    Tick();
    const int channel = game->sfxChannel;
    Tick(kCellTicks);
    EXPECT_EQ(SoundsSince(channel), 2);  // two footsteps a cell
    EXPECT_EQ(SoundPlayed(), 14);
    Tick(8 * kCellTicks - 1);
    EXPECT_EQ(game->quillmorPlat.runnerPos, 7);
    EXPECT_EQ(game->score, 45);
    EXPECT_EQ(game->phase, 1);
    Tick();
    EXPECT_EQ(game->quillmorPlat.runnerPos, 8);
    EXPECT_EQ(game->score, 145);
    EXPECT_EQ(game->phase, 0);
    EXPECT_EQ(game->quillmorPlat.runnerAnim, 31);
    EXPECT_EQ(game->lives, 3);
    EXPECT_EQ(game->quillmorPlat.runTimer, kRunTicks - (1 + 9 * kCellTicks));
    EXPECT_EQ(SoundPlayed(), 12);
    Tick(30);
    EXPECT_EQ(game->score, 145);
}

TEST_F(QuillmorPlat, TheRideDoesNotUseUpTheTimer) {
    SpinOntoFloor();
    Put(0, 0, CLIMB);
    Tick(1 + kCellTicks);
    ASSERT_EQ(game->quillmorPlat.runnerAction, RIDE);
    const int timer = game->quillmorPlat.runTimer;
    EXPECT_EQ(timer, kRunTicks - 1 - kCellTicks);
    int rideTicks = 0;
    while (game->quillmorPlat.runnerAction == RIDE && rideTicks < 300) {
        Tick();
        ++rideTicks;
        if (game->reels.reelsMoving == 1) {
            EXPECT_EQ(game->quillmorPlat.runTimer, timer);
        }
    }
    EXPECT_GT(rideTicks, 20);
    EXPECT_EQ(game->quillmorPlat.runTimer, timer - 1);  // the still tick that ended the ride
}

TEST_F(QuillmorPlat, TimeRunsOutAfterSixHundredStillTicksBetweenTwoWalls) {
    SpinOntoFloor();
    // Climbing on reel 1 lifts the runner into a row closed by walls on reels 0 and 3.
    Put(1, 0, CLIMB);
    Put(0, -1, WALL);
    Put(3, -1, WALL);
    int still = 0, moving = 0, turns = 0;
    while (game->phase == 1 && still + moving < 3 * kRunTicks) {
        if (still == kRunTicks - 1) {
            EXPECT_EQ(game->quillmorPlat.runTimer, 1);
            EXPECT_EQ(game->lives, 3);
        }
        Tick();
        if (game->reels.reelsMoving == 0) {
            ++still;
        } else {
            ++moving;
        }
        if (game->quillmorPlat.runnerAction == TURN) ++turns;
    }
    EXPECT_EQ(still, kRunTicks);
    EXPECT_GT(moving, 20);  // the ride's ticks did not count
    EXPECT_GT(turns, 10);   // back and forth between the walls
    EXPECT_GE(game->quillmorPlat.runnerPos, 1);
    EXPECT_LE(game->quillmorPlat.runnerPos, 2);
    EXPECT_EQ(game->quillmorPlat.runTimer, 0);
    EXPECT_EQ(game->lives, 2);
    EXPECT_EQ(game->phase, 0);
    EXPECT_EQ(game->quillmorPlat.runnerAnim, 15);
    EXPECT_EQ(SoundPlayed(), 13);
}

// Each of the runner's deaths, as the first of a fresh session, names its cause.
TEST_F(QuillmorPlat, TheFirstDeathOfASessionSaysWhetherTheRunnerFellHitAHazardOrRanOutOfTime) {
    enum Cause { OFF_THE_LEDGE, HAZARD_AHEAD, BOXED_IN };
    const std::pair<Cause, const char*> deaths[] = {
        {OFF_THE_LEDGE, "Fell off the ledge!"}, {HAZARD_AHEAD, "Hit a hazard!"}, {BOXED_IN, "Out of time!"}};
    for (const auto& death : deaths) {
        SCOPED_TRACE(death.second);
        Recreate();
        Render();
        RunLoader();
        StartGame();
        SpinOntoFloor();
        if (death.first == OFF_THE_LEDGE) Put(0, 0, WALL);  // turned back off the left ledge
        if (death.first == HAZARD_AHEAD) Put(2, 0, HAZARD);
        if (death.first == BOXED_IN) {  // lifted into a row closed by two walls
            Put(1, 0, CLIMB);
            Put(0, -1, WALL);
            Put(3, -1, WALL);
        }
        for (int i = 0; i < 2000 && game->lives == 3; ++i) {
            Tick();
            if (game->lives == 3) {
                ASSERT_EQ(DrawnLossNote(), "") << "the note came before the death";
            }
        }
        ASSERT_EQ(game->lives, 2);
        std::string expected = death.second;
        expected.erase(std::remove(expected.begin(), expected.end(), ' '), expected.end());
        EXPECT_EQ(DrawnLossNote(), expected);
    }
}

TEST_F(QuillmorPlat, DrawsTheLedgesTheRunnerAndAShrinkingTimerBar) {
    SpinOntoFloor();
    Tick(40);
    const float s = game->reels.reelScale;
    const float cx = game->reels.reelCentreX;
    const float cy = game->reels.reelCentreY;
    int ledges = 0, entrances = 0;
    const Record* bar = nullptr;
    std::vector<Record> all;
    for (int i = 0; i < RecordCount(); ++i) all.push_back(Rec(i));
    for (const Record& r : all) {
        if (r.kind == 1 && r.y == cy + 2 && r.frame == 0 &&
            (r.x == cx - 16 * s * 9 || r.x == cx + 16 * s * 9)) {
            ++ledges;
        }
        if (r.kind == 1 && r.frame == 10 && r.x == cx - 16 * s * 10) ++entrances;
        if (r.kind == kKindRect && r.h == 24 && r.r == 100 && r.g == 255) bar = &r;
    }
    EXPECT_EQ(ledges, 2);
    EXPECT_EQ(entrances, 1);
    ASSERT_NE(bar, nullptr);
    // Drawn before this tick's count: the timer then still held one more tick.
    EXPECT_FLOAT_EQ(bar->w, 0.5f * kx_Tumbleroo_jscrw * (game->quillmorPlat.runTimer + 1) / kRunTicks);
    EXPECT_LT(bar->w, 0.5f * kx_Tumbleroo_jscrw);
    const Record runner = Runner();
    EXPECT_EQ(runner.w, s);
    EXPECT_GE(runner.frame, 17);
    EXPECT_LE(runner.frame, 20);
}

TEST_F(QuillmorPlat, AWholeGamePlaysToGameOverAndTheNextStartsReady) {
    int runs = 0;
    while (game->gameOver == 0 && runs < 100) {
        PressSpin();
        ++runs;
        const int lives = game->lives;
        for (int t = 0; t < 3000 && game->phase == 1; ++t) Tick();
        EXPECT_NE(game->phase, 1);
        EXPECT_GE(game->lives, lives - 1);
    }
    ASSERT_EQ(game->gameOver, 1) << runs << " runs";
    EXPECT_EQ(game->lives, 0);
    EXPECT_EQ(game->phase, 5);
    const int final = game->score;
    for (int t = 0; t < 200 && game->state != kScreenMenu; ++t) Tick();
    EXPECT_EQ(game->state, kScreenMenu);
    EXPECT_EQ(game->scores[50 + 10 * (kMachineQuillmorPlat - 1)], final);

    StartGame();
    EXPECT_EQ(game->phase, 0);
    EXPECT_EQ(game->gameOver, 0);
    EXPECT_EQ(game->lives, 3);
    float spinFrame = -1;
    for (int i = 0; i < RecordCount(); ++i) {
        if (Rec(i).kind == 10) spinFrame = Rec(i).frame;
    }
    EXPECT_EQ(spinFrame, 0);  // "SPIN!" lit
}

}  // namespace
