// cometrow_play_test.cpp - the lane crossing played through the real game object:
// SPIN and "Move->" pressed with the mouse through the input device, the reels
// rolled and then left drifting tick by tick, and the strips cleared or filled
// with obstacles where a case needs them. Covers the move's timeline in single
// precision, the drift of the lanes under a standing ship, the start position,
// the half-cell rule of the collision test, crossings and crashes with their
// sounds, when "Move->" is refused, the ship's place, and a whole game.
#include <AL/al.h>

#include <cmath>
#include <string>
#include <vector>

#include "game_harness.h"
#include "media/audio_device.h"

namespace {

using gametest::GameTest;
using gametest::Record;

constexpr int kCometrow = 3;
constexpr int kLanes = 8;
constexpr int kTickLimit = 2000;
constexpr int kSpace = 1;
constexpr int kRock = 2;
constexpr int kShipFrame = 16;

enum { kReady = 0, kSpinning = 1, kCrossing = 2, kOver = 5 };

class Cometrow : public GameTest {
protected:
    int soundMark = 0;

    void SetUp() override {
        GameTest::SetUp();
        Enter();
    }

    void Enter() {
        Render();
        RunLoader();
        StartMachine(kCometrow);
        ASSERT_EQ(game->state, kScreenPlay);
        ASSERT_EQ(game->reels.reelCount, kLanes);
        soundMark = game->sfxChannel;
    }

    // A quarter unit in, clear of the truncation at a box's exact centre line.
    void Press(float x, float y) { PressAt(x + 0.25f, y + 0.25f); }

    float SpinX() const { return game->landscape ? game->spinX : game->spinX - game->spinW / 3.5f; }
    float MoveX() const { return game->landscape ? game->spinX : game->spinX + game->spinW / 3.5f; }
    float MoveY() const { return game->landscape ? game->spinY + 0.25f * game->spinH : game->spinY; }

    void PressSpin() { Press(SpinX(), game->spinY); }
    void PressMove() { Press(MoveX(), MoveY()); }

    // SPIN, then the ticks until the reels have stopped and the crossing begun.
    void SpinToCrossing() {
        ReleaseMouse();
        for (int n = 0; n < kTickLimit && game->reels.reelsMoving != 0; ++n) Tick();  // lanes settling
        PressSpin();
        ASSERT_EQ(game->phase, kSpinning);
        ReleaseAndTick();
        for (int n = 0; n < kTickLimit && game->phase == kSpinning; ++n) Tick();
        ASSERT_EQ(game->phase, kCrossing);
    }

    void FillLane(int lane, int symbol) {
        for (int c = 0; c < 100; ++c) game->reels.Symbol(lane, c) = symbol;
    }
    void ClearLanes() {
        for (int lane = 0; lane < kLanes; ++lane) FillLane(lane, kSpace);
    }
    void SetCell(int lane, int pos, int symbol) { game->reels.Symbol(lane, pos) = symbol; }

    // One whole move, the press tick first: returns the ticks it took.
    int Move() {
        const float from = game->cometrow.shipPos;
        PressMove();
        int ticks = 1;
        ReleaseMouse();
        while (game->cometrow.shipStep > 0 && ticks < 20 && game->phase == kCrossing) {
            Tick();
            ++ticks;
        }
        EXPECT_TRUE(game->cometrow.shipPos == from + 1 || game->phase != kCrossing);
        return ticks;
    }

    std::vector<int> NewSounds(int slot) {
        std::vector<int> out;
        while (soundMark != game->sfxChannel) {
            soundMark = (soundMark + 1) % kSfxRing;
            const gxtkChannel& ch = kx_audio_device->channels[game->channels[soundMark]];
            if (game->sounds[slot] && game->sounds[slot]->sample == ch.sample) {
                float rate = 0;
                alGetSourcef(ch.source, AL_PITCH, &rate);
                EXPECT_FLOAT_EQ(rate, 1);
                out.push_back(slot);
            }
        }
        return out;
    }

    bool FindShip(Record* ship) const {
        for (int i = 0; i < RecordCount(); ++i) {
            const Record r = Rec(i);
            if (r.kind == 1 && r.frame == kShipFrame) {
                *ship = r;
                return true;
            }
        }
        return false;
    }
};

// ---------------------------------------------------------------------------
// The move
// ---------------------------------------------------------------------------

TEST_F(Cometrow, AMoveCompletesOnItsEighthTickInSinglePrecision) {
    SpinToCrossing();
    ClearLanes();
    const int before = game->score;
    PressMove();
    ReleaseMouse();
    // The press tick counts as the first; each tick adds 0.1 in single precision.
    EXPECT_FLOAT_EQ(game->cometrow.shipStep, 0.2f);
    for (int tick = 2; tick <= 7; ++tick) {
        Tick();
        EXPECT_EQ(game->cometrow.shipPos, -1) << "tick " << tick;
        EXPECT_GT(game->cometrow.shipStep, 0) << "tick " << tick;
    }
    // Exactly, not approximately: 0.4f + 0.1f rounds to 0.5f on the 4th tick and
    // seven additions reach 0.9000001f, past 0.9, on the 8th (in double arithmetic
    // the sum would still be just under 0.9 there).
    Tick();
    EXPECT_EQ(game->cometrow.shipPos, 0);
    EXPECT_EQ(game->cometrow.shipStep, 0);
    EXPECT_EQ(game->score, before + 5);
    EXPECT_EQ(game->phase, kCrossing);
}

TEST_F(Cometrow, TheShipNeverCrashesAtTheStartAndEntersLaneZeroOnItsFifthTick) {
    SpinToCrossing();
    for (int lane = 0; lane < kLanes; ++lane) FillLane(lane, kRock);
    // At -1, left of lane 0, nothing is under the ship.
    Tick(60);
    EXPECT_EQ(game->phase, kCrossing);
    EXPECT_EQ(game->lives, 3);
    PressMove();
    ReleaseMouse();
    int tick = 1;
    while (game->phase == kCrossing && tick < 10) {
        if (tick == 4) {
            EXPECT_EQ(game->cometrow.shipStep, 0.5f);  // exactly half: not yet past it
        }
        Tick();
        ++tick;
    }
    EXPECT_EQ(tick, 5);
    EXPECT_EQ(game->lives, 2);
    EXPECT_EQ(game->phase, kReady);
    EXPECT_EQ(game->cometrow.shipPos, -1);  // it stays where it crashed
    EXPECT_EQ(NewSounds(kSfxBank3).size(), 1u);
}

TEST_F(Cometrow, TheFirstCrashOfTheSessionSaysWhyForTwoSecondsAndTheNextSaysNothing) {
    float alpha = 0;
    for (int crash = 1; crash <= 2; ++crash) {
        SCOPED_TRACE("crash " + std::to_string(crash));
        SpinToCrossing();
        for (int lane = 0; lane < kLanes; ++lane) FillLane(lane, kRock);
        Tick(60);
        EXPECT_EQ(DrawnLossNote(&alpha), "");
        PressMove();
        ReleaseMouse();
        const int lives = game->lives;
        for (int tick = 0; tick < 10 && game->lives == lives; ++tick) Tick();
        ASSERT_EQ(game->lives, lives - 1);
        if (crash == 2) {
            EXPECT_EQ(DrawnLossNote(&alpha), "") << "only the session's first lost life is explained";
            break;
        }
        EXPECT_EQ(DrawnLossNote(&alpha), "Theshipcrashed!") << "spaces draw no glyph";
        EXPECT_FLOAT_EQ(alpha, 1);
        int shown = 1;
        while (!DrawnLossNote(&alpha).empty() && shown < 500) {
            Tick();
            ++shown;
        }
        EXPECT_EQ(shown, 2 * 60 + 1) << "two seconds, counted from the crash's tick";
    }
}

TEST_F(Cometrow, AMoveLeavesTheOldLaneOnItsFifthTick) {
    for (int fillAfter : {3, 4}) {
        SCOPED_TRACE(testing::Message() << "lane 0 filled after tick " << fillAfter);
        game->lives = 3;
        SpinToCrossing();
        ClearLanes();
        Move();
        ASSERT_EQ(game->cometrow.shipPos, 0);
        PressMove();
        ReleaseMouse();
        for (int tick = 1; tick < 8 && game->phase == kCrossing; ++tick) {
            if (tick == fillAfter) FillLane(0, kRock);
            Tick();
        }
        if (fillAfter == 3) {
            EXPECT_EQ(game->lives, 2);  // still over lane 0 on the 4th tick
            EXPECT_EQ(game->cometrow.shipPos, 0);
        } else {
            EXPECT_EQ(game->lives, 3);  // already over lane 1 on the 5th
            EXPECT_EQ(game->cometrow.shipPos, 1);
            EXPECT_EQ(game->phase, kCrossing);
        }
        game->phase = kReady;
    }
}

// ---------------------------------------------------------------------------
// Drifting lanes and the collision test
// ---------------------------------------------------------------------------

TEST_F(Cometrow, EvenLanesDriftDownAndOddLanesUp) {
    SpinToCrossing();
    ClearLanes();
    std::vector<int> start(kLanes);
    for (int i = 0; i < kLanes; ++i) start[i] = game->reels.reelPos[i];
    Tick(120);
    EXPECT_EQ(game->phase, kCrossing);
    for (int i = 0; i < kLanes; ++i) {
        const int moved = ((game->reels.reelPos[i] - start[i]) % 100 + 100) % 100;
        SCOPED_TRACE(testing::Message() << "lane " << i);
        EXPECT_NE(moved, 0);
        // Even lanes roll downward (positions fall), odd lanes upward.
        if (i % 2 == 0) {
            EXPECT_GT(moved, 50);
        } else {
            EXPECT_LT(moved, 50);
        }
    }
    EXPECT_EQ(game->reels.reelsMoving, 1);  // the drifting reels never count as stopped
}

TEST_F(Cometrow, StandingStillInALaneIsNotSafe) {
    for (int lane : {0, 1}) {
        SCOPED_TRACE(testing::Message() << "lane " << lane);
        game->lives = 3;
        SpinToCrossing();
        ClearLanes();
        for (int m = 0; m <= lane; ++m) Move();
        ASSERT_EQ(game->cometrow.shipPos, lane);
        // A rock one cell off the pay line, on the side its lane drifts from.
        const int under = game->cometrow.CellUnder(lane);
        const int rockAt = lane % 2 == 0 ? under - 1 : under + 1;
        SetCell(lane, rockAt, kRock);
        int ticks = 0;
        while (game->phase == kCrossing && ticks < 200) {
            Tick();
            ++ticks;
        }
        EXPECT_LT(ticks, 200);
        EXPECT_EQ(game->lives, 2);
        EXPECT_EQ(game->cometrow.CellUnder(lane), (rockAt + 100) % 100);
        EXPECT_EQ(NewSounds(kSfxBank3).size(), 1u);
    }
    // With clear lanes the ship stands as long as it likes.
    SpinToCrossing();
    ClearLanes();
    Move();
    Tick(300);
    EXPECT_EQ(game->phase, kCrossing);
    EXPECT_EQ(game->lives, 2);
}

TEST_F(Cometrow, AtExactlyHalfACellTheCentreLineCellIsUnderTheShip) {
    SpinToCrossing();
    const float below = std::nextafter(-0.5f, -1.0f);
    const float above = std::nextafter(0.5f, 1.0f);
    const struct {
        int pos;
        float offset;
        int under;
    } cases[] = {{40, 0.5f, 40}, {40, -0.5f, 40}, {40, above, 39}, {40, below, 41},
                 {0, above, 99}, {99, below, 0},  {0, -0.5f, 0},   {99, 0.5f, 99}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.pos << " at " << c.offset);
        game->reels.reelPos[3] = c.pos;
        game->reels.reelOffset[3] = c.offset;
        EXPECT_EQ(game->cometrow.CellUnder(3), c.under);
    }
}

TEST_F(Cometrow, TheCrossingTickTestsTheOffsetAfterItsDrift) {
    SpinToCrossing();
    ClearLanes();
    Move();
    ASSERT_EQ(game->cometrow.shipPos, 0);
    const float drift = 3.5f * kx_Tumbleroo_Friction;
    const float start = 0.5f - drift;
    ASSERT_EQ(start + drift, 0.5f);  // lane 0 drifts by +drift to exactly one half
    const int pos = game->reels.reelPos[0];
    SetCell(0, pos - 1, kRock);
    // The machine's tick on its own, so that nothing but its drift moves the lane.
    game->reels.reelOffset[0] = start;
    game->m_Game_Cometrow();
    EXPECT_EQ(game->phase, kCrossing);
    EXPECT_EQ(game->reels.reelOffset[0], 0.5f);
    game->m_Game_Cometrow();  // now past one half: the rock above is under the ship
    EXPECT_EQ(game->phase, kReady);
    EXPECT_EQ(game->lives, 2);
}

// ---------------------------------------------------------------------------
// Crossing, crashes and the buttons
// ---------------------------------------------------------------------------

TEST_F(Cometrow, ACrossingOfAllEightLanesScores145) {
    SpinToCrossing();
    ClearLanes();
    for (int m = 0; m < 9; ++m) EXPECT_EQ(Move(), 8) << "move " << m;
    EXPECT_EQ(game->score, 145);
    EXPECT_EQ(game->cometrow.shipPos, 8);
    EXPECT_EQ(game->phase, kReady);
    EXPECT_EQ(game->lives, 3);
    EXPECT_EQ(NewSounds(kSfxBank2).size(), 1u);
    // The ship waits on the far side until the next spin puts it back.
    Tick(30);
    EXPECT_EQ(game->cometrow.shipPos, 8);
    PressSpin();
    EXPECT_EQ(game->cometrow.shipPos, -1);
    EXPECT_EQ(game->phase, kSpinning);
}

TEST_F(Cometrow, MoveIsRefusedUnlessCrossingWithTheShipStanding) {
    // Phase 0.
    PressMove();
    ReleaseAndTick();
    EXPECT_EQ(game->cometrow.shipStep, 0);
    // Phase 1, the reels rolling.
    PressSpin();
    ReleaseAndTick();
    PressMove();
    EXPECT_EQ(game->cometrow.shipStep, 0);
    EXPECT_EQ(game->phase, kSpinning);
    ReleaseAndTick();
    for (int n = 0; n < kTickLimit && game->phase == kSpinning; ++n) Tick();
    ClearLanes();
    // A move under way: a second press neither restarts nor speeds it.
    PressMove();
    ReleaseAndTick();
    const float step = game->cometrow.shipStep;
    PressMove();
    EXPECT_FLOAT_EQ(game->cometrow.shipStep, step + 0.1f);
    ReleaseAndTick();
    while (game->cometrow.shipStep > 0) Tick();
    EXPECT_EQ(game->cometrow.shipPos, 0);
    // Phases 3 and 4 last only within the tick that finds them; a press in that
    // tick comes before they are handled and is refused.
    for (int phase : {3, 4}) {
        SCOPED_TRACE(testing::Message() << "phase " << phase);
        game->phase = phase;
        PressMove();
        EXPECT_EQ(game->cometrow.shipStep, 0);
        EXPECT_EQ(game->phase, kReady);
        ReleaseAndTick();
    }
    EXPECT_EQ(game->lives, 2);       // the crash of phase 3
    EXPECT_EQ(game->score, 5 + 100);  // the move and the arrival of phase 4
    // Phase 5: after the last crash.
    game->lives = 1;
    SpinToCrossing();
    FillLane(0, kRock);
    Move();
    ASSERT_EQ(game->phase, kOver);
    const float crashedAt = game->cometrow.shipStep;  // the ship stays part-way, where it crashed
    EXPECT_GT(crashedAt, 0.5f);
    PressMove();
    EXPECT_EQ(game->cometrow.shipStep, crashedAt);
    ReleaseAndTick();
}

TEST_F(Cometrow, TheThirdCrashEndsTheGame) {
    for (int crash = 1; crash <= 3; ++crash) {
        SCOPED_TRACE(testing::Message() << "crash " << crash);
        SpinToCrossing();
        FillLane(0, kRock);
        Move();
        EXPECT_EQ(game->lives, 3 - crash);
        EXPECT_EQ(NewSounds(kSfxBank3).size(), 1u);
    }
    EXPECT_EQ(game->gameOver, 1);
    EXPECT_EQ(game->phase, kOver);
    // No further spin once the reels have settled.
    ReleaseAndTick();
    Tick(30);
    ASSERT_EQ(game->reels.reelsMoving, 0);
    PressSpin();
    EXPECT_EQ(game->phase, kOver);
    for (int i = 0; i < kLanes; ++i) EXPECT_EQ(game->reels.reelSpeed[i], 0);
    ReleaseAndTick();
}

TEST_F(Cometrow, TheShipStandsJustRightOfItsLanesCentreAndSlidesDuringAMove) {
    Record ship{};
    ASSERT_TRUE(FindShip(&ship));
    EXPECT_FLOAT_EQ(ship.y, game->reels.reelCentreY);
    EXPECT_FLOAT_EQ(ship.w, game->reels.reelScale);
    EXPECT_FLOAT_EQ(ship.h, game->reels.reelScale);
    const float lane = game->reels.reelScale * game->reels.reelPitch;
    // Left of lane 0, by about a column.
    EXPECT_NEAR(ship.x - game->reels.ColumnX(0), -lane + 2.4f * game->reels.reelScale - 2, 0.01f);
    SpinToCrossing();
    ClearLanes();
    for (int m = 0; m < 3; ++m) {
        PressMove();
        ReleaseMouse();
        float last = -1e9f;
        while (game->cometrow.shipStep > 0) {
            ASSERT_TRUE(FindShip(&ship));
            EXPECT_GT(ship.x, last);
            last = ship.x;
            Tick();
        }
        Tick();
        ASSERT_TRUE(FindShip(&ship));
        const float offCentre = ship.x - game->reels.ColumnX(m);
        EXPECT_GT(offCentre, 0) << "lane " << m;
        EXPECT_LT(offCentre, 0.1f * lane) << "lane " << m;
    }
}

TEST_F(Cometrow, ThePortraitLayoutPutsTheButtonsSideBySide) {
    Recreate(480, 640);
    Enter();
    ASSERT_EQ(game->landscape, 0);
    // The landscape position of "Move->" (below SPIN) does nothing here.
    Press(game->spinX, game->spinY + 0.25f * game->spinH);
    ReleaseAndTick();
    EXPECT_EQ(game->phase, kReady);
    SpinToCrossing();
    ClearLanes();
    EXPECT_EQ(Move(), 8);
    EXPECT_EQ(game->cometrow.shipPos, 0);
}

// ---------------------------------------------------------------------------
// A whole game
// ---------------------------------------------------------------------------

TEST_F(Cometrow, AWholeGamePlaysToGameOverAndReturnsToTheMenu) {
    int moves = 0;
    int crossings = 0;
    int crashes = 0;
    for (int turn = 0; turn < 40 && game->gameOver == 0; ++turn) {
        SpinToCrossing();
        while (game->phase == kCrossing) {
            const int lives = game->lives;
            const int before = game->score;
            Move();
            if (game->lives < lives) {
                ++crashes;
            } else {
                ++moves;
                if (game->score - before == 105) ++crossings;
            }
        }
    }
    ASSERT_EQ(game->gameOver, 1);
    EXPECT_EQ(crashes, 3);
    EXPECT_EQ(game->score, 5 * moves + 100 * crossings);
    EXPECT_EQ(game->phase, kOver);
    const int final = game->score;
    for (int n = 0; n < 200 && game->state != kScreenMenu; ++n) Tick();
    EXPECT_EQ(game->state, kScreenMenu);
    EXPECT_EQ(game->scores[50 + 10 * (kCometrow - 1)], final);
}

}  // namespace

namespace {

// ---------------------------------------------------------------------------
// The screen
// ---------------------------------------------------------------------------

TEST_F(Cometrow, TheShipIsDrawnAtItsLaneOverTheBlackLanes) {
    if (!gametest::HaveRealData()) GTEST_SKIP() << "the reel sheets come with the generated art";
    SpinToCrossing();
    ClearLanes();
    Move();
    Move();
    ASSERT_EQ(game->cometrow.shipPos, 1);
    std::vector<unsigned> withShip = RenderAndRead();
    ASSERT_FALSE(withShip.empty());
    game->cometrow.shipPos = 20;  // far off to the right for the comparison frame
    Tick();
    std::vector<unsigned> without = RenderAndRead();
    const int x = static_cast<int>(game->reels.ColumnX(1));
    const int y = static_cast<int>(game->reels.reelCentreY);
    int changed = 0;
    for (int dx = -12; dx <= 12; ++dx) {
        for (int dy = -12; dy <= 12; ++dy) changed += PixelAt(withShip, x + dx, y + dy) != PixelAt(without, x + dx, y + dy);
    }
    EXPECT_GT(changed, 50);
    // Away from the pay line's band the empty lanes show the black behind the reels.
    const int gapY = game->reels.reelTop + 2;
    EXPECT_LT(Red(PixelAt(without, x, gapY)) + Green(PixelAt(without, x, gapY)), 60);
}

}  // namespace
