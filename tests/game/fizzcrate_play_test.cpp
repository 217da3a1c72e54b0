// fizzcrate_play_test.cpp - the crate puzzle played through the real game object:
// the SPIN button and the nudge arrows pressed with the mouse through the input
// device, the reels left to roll and settle tick by tick, and the three visible
// rows planted on the stopped strips before the search reads them. Covers the
// scores by run length and row, the run rhythm with its sounds, runs broken by
// matched cells, lives lost and restored, when nudges are taken, both layouts'
// turns, the debug lines of a search, fading and emptied cells, and a whole game.
#include <AL/al.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "game_harness.h"
#include "media/audio_device.h"

namespace {

using gametest::GameTest;
using gametest::Record;

constexpr int kFizzcrate = 4;
constexpr int kReels = 6;
constexpr int kTickLimit = 2000;  // far beyond the slowest spin
constexpr int kEmptied = 32;

using Row = std::array<int, kReels>;

// No two neighbours alike in any row: a layout without a run.
const Row kQuietAbove = {1, 2, 1, 2, 1, 2};
const Row kQuietPayLine = {3, 4, 3, 4, 3, 4};
const Row kQuietBelow = {5, 6, 5, 6, 5, 6};

struct Sound {
    int slot;
    float rate;
};

class Fizzcrate : public GameTest {
protected:
    int soundMark = 0;

    void SetUp() override {
        GameTest::SetUp();
        Enter();
    }

    // The machine started on a freshly loaded game, as the menu starts it.
    void Enter() {
        Render();
        RunLoader();
        StartMachine(kFizzcrate);
        ASSERT_EQ(game->state, kScreenPlay);
        ASSERT_EQ(game->reels.reelCount, kReels);
        soundMark = game->sfxChannel;
    }

    void UsePortrait() {
        Recreate(480, 640);
        Enter();
        ASSERT_EQ(game->landscape, 0);
    }

    // The mouse held on a virtual point for one tick; Release lets go for one more.
    // A quarter unit in, clear of the truncation at a box's exact centre line.
    void Press(float x, float y) { PressAt(x + 0.25f, y + 0.25f); }

    float SpinButtonX() const { return game->landscape ? game->spinX : game->spinX + 0.25f * game->spinW; }
    float CounterX() const { return game->landscape ? game->spinX : game->spinX - 0.25f * game->spinW; }
    float CounterY() const { return game->landscape ? game->spinY + 0.3f * game->spinH : game->spinY; }
    float ArrowY(bool up) const {
        const float rows = static_cast<float>(game->reels.reelPitch) * game->reels.reelScale * 2.5f;
        return game->reels.reelCentreY + (up ? -rows : rows) + 2;
    }

    int WaitStill() {
        int n = 0;
        while (game->reels.reelsMoving != 0 && n < kTickLimit) {
            Tick();
            ++n;
        }
        EXPECT_LT(n, kTickLimit) << "the reels never stopped";
        return n;
    }

    void Spin() {
        Press(SpinButtonX(), game->spinY);
        ASSERT_EQ(game->phase, 1);
        ReleaseAndTick();
        WaitStill();
    }

    void PressArrow(int reel, bool up) { Press(game->reels.ColumnX(reel), ArrowY(up)); }

    void Nudge(int reel, bool up) {
        PressArrow(reel, up);
        ReleaseAndTick();
        WaitStill();
    }

    // The portrait turn's three nudges, leaving reel 0 one cell up from the spin.
    void SpendPortraitNudges() {
        Nudge(0, true);
        Nudge(0, false);
        Nudge(0, true);
        ASSERT_EQ(game->fizzcrate.nudges, 0);
    }

    int CellIndex(int reel, int row) const {
        int c = (game->reels.reelPos[reel] + row) % 100;
        if (c < 0) c += 100;
        return kx_Tumbleroo_Reels::Cell(reel, c);
    }
    int Symbol(int reel, int row) const { return game->reels.reelCells[CellIndex(reel, row)]; }
    int Overlay(int reel, int row) const { return game->reels.reelCells[CellIndex(reel, row) + 1]; }

    void PlantRow(int row, const Row& symbols) {
        for (int i = 0; i < kReels; ++i) {
            game->reels.reelCells[CellIndex(i, row)] = symbols[i];
            game->reels.reelCells[CellIndex(i, row) + 1] = 0;
        }
    }
    void PlantRows(const Row& above, const Row& payLine, const Row& below) {
        PlantRow(-1, above);
        PlantRow(0, payLine);
        PlantRow(1, below);
    }

    // Effects started since the last call: the sample on each channel the ring
    // moved over, named by its sound slot, and the channel's pitch.
    std::vector<Sound> NewSounds() {
        std::vector<Sound> out;
        while (soundMark != game->sfxChannel) {
            soundMark = (soundMark + 1) % kSfxRing;
            const gxtkChannel& ch = kx_audio_device->channels[game->channels[soundMark]];
            Sound s{-1, 0};
            for (int slot = 0; slot < kSoundSlots; ++slot) {
                if (game->sounds[slot] && game->sounds[slot]->sample == ch.sample) s.slot = slot;
            }
            alGetSourcef(ch.source, AL_PITCH, &s.rate);
            out.push_back(s);
        }
        return out;
    }
    std::vector<Sound> NewSounds(int slot) {
        std::vector<Sound> out;
        for (const Sound& s : NewSounds()) {
            if (s.slot == slot) out.push_back(s);
        }
        return out;
    }

    // Ticks until the turn is over (phase back to 0), noting the tick of each score.
    std::vector<int> FinishTurn() {
        std::vector<int> scoredAt;
        for (int n = 1; n < kTickLimit && game->phase != 0; ++n) {
            const int before = game->score;
            Tick();
            if (game->score != before) scoredAt.push_back(n);
        }
        EXPECT_EQ(game->phase, 0) << "the turn never ended";
        return scoredAt;
    }

    // A whole portrait turn whose three visible rows are planted once the
    // nudges are spent, while the first search still waits.
    std::vector<int> PlayPlantedTurn(const Row& above, const Row& payLine, const Row& below) {
        Spin();
        SpendPortraitNudges();
        PlantRows(above, payLine, below);
        NewSounds();
        return FinishTurn();
    }

    // The records of the nudge arrows: reel-sheet frames 16-18 and 24-26.
    std::vector<Record> ArrowRecords() const {
        std::vector<Record> out;
        for (int i = 0; i < RecordCount(); ++i) {
            const Record r = Rec(i);
            const int f = static_cast<int>(r.frame);
            if (r.kind == kImgReels && ((f >= 16 && f <= 18) || (f >= 24 && f <= 26))) out.push_back(r);
        }
        return out;
    }

    // The digit the nudge counter shows: the green size-2 glyph below the panel's top.
    int ShownNudges() const {
        for (int i = 0; i < RecordCount(); ++i) {
            const Record r = Rec(i);
            if (r.kind == game->fontSlot && r.g == 255 && r.r == 100 && r.w == 2 && r.y > game->spinY - 40 &&
                r.y < CounterY() + 40 && r.x > CounterX() - 60 && r.x < CounterX() + 60) {
                return static_cast<int>(r.frame) + 32 - '0';
            }
        }
        return -1;
    }
};

// ---------------------------------------------------------------------------
// Scoring
// ---------------------------------------------------------------------------

TEST_F(Fizzcrate, ARunScoresByItsLengthAndRowWithAPitchedSound) {
    UsePortrait();
    for (int row = -1; row <= 1; ++row) {
        for (int n = 2; n <= 6; ++n) {
            SCOPED_TRACE(testing::Message() << "row " << row << ", run of " << n);
            game->lives = 3;
            Row rows[3] = {kQuietAbove, kQuietPayLine, kQuietBelow};
            for (int i = 0; i < n; ++i) rows[row + 1][i] = 8;
            const int before = game->score;
            const std::vector<int> scoredAt = PlayPlantedTurn(rows[0], rows[1], rows[2]);
            const int points = (row == 0 ? 15 : 5) * n * n;
            EXPECT_EQ(game->score - before, points);
            EXPECT_EQ(scoredAt.size(), 1u);
            const std::vector<Sound> runs = NewSounds(kSfxChime);
            ASSERT_EQ(runs.size(), 1u);
            EXPECT_NEAR(runs[0].rate, n / 3.0f + (row == 0 ? 0.9f : 0.5f), 1e-5f);
            // The matched cells end the turn emptied; their neighbours stay plain.
            for (int i = 0; i < kReels; ++i) EXPECT_EQ(Overlay(i, row), i < n ? kEmptied : 0) << "reel " << i;
        }
    }
}

TEST_F(Fizzcrate, TheTablesOfPointsMatchTheDesign) {
    UsePortrait();
    const struct {
        int row, n, points;
    } cases[] = {{-1, 2, 20}, {1, 3, 45}, {0, 2, 60}, {0, 4, 240}, {1, 6, 180}, {0, 6, 540}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "row " << c.row << ", run of " << c.n);
        Row rows[3] = {kQuietAbove, kQuietPayLine, kQuietBelow};
        for (int i = kReels - c.n; i < kReels; ++i) rows[c.row + 1][i] = 7;  // runs ending at the last reel
        game->lives = 3;
        const int before = game->score;
        PlayPlantedTurn(rows[0], rows[1], rows[2]);
        EXPECT_EQ(game->score - before, c.points);
    }
}

TEST_F(Fizzcrate, RunsOfOneSearchScoreOneAtATimeEightTicksApartEachWithItsSound) {
    UsePortrait();
    Spin();
    SpendPortraitNudges();
    PlantRows({8, 8, 1, 2, 1, 2}, kQuietPayLine, {5, 6, 7, 7, 7, 6});
    NewSounds();
    const std::vector<int> scoredAt = FinishTurn();
    ASSERT_EQ(scoredAt.size(), 2u);
    // The row above is searched first; scoring sets delay to 8 and the same
    // tick's count-down takes one of them, so the next run scores 8 ticks on.
    EXPECT_EQ(scoredAt[1] - scoredAt[0], 8);
    EXPECT_EQ(game->score, 20 + 45);
    const std::vector<Sound> runs = NewSounds(kSfxChime);
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_NEAR(runs[0].rate, 2 / 3.0f + 0.5f, 1e-5f);
    EXPECT_NEAR(runs[1].rate, 1.5f, 1e-5f);
}

TEST_F(Fizzcrate, ACellMatchedEarlierBreaksARunInTwo) {
    UsePortrait();
    Spin();
    SpendPortraitNudges();
    PlantRows(kQuietAbove, {6, 6, 6, 6, 6, 2}, kQuietBelow);
    game->reels.reelCells[CellIndex(2, 0) + 1] = 6 + 8;  // reel 2's crate already lit this turn
    const std::vector<int> scoredAt = FinishTurn();
    // Two runs of two on the pay line, not one of five (375).
    ASSERT_EQ(scoredAt.size(), 2u);
    EXPECT_EQ(game->score, 60 + 60);
    EXPECT_EQ(Overlay(0, 0), kEmptied);
    EXPECT_EQ(Overlay(4, 0), kEmptied);
    EXPECT_EQ(Overlay(5, 0), 0);
}

TEST_F(Fizzcrate, EachSearchWritesItsRunLengthsToTheDebugOutput) {
    UsePortrait();
    Spin();
    SpendPortraitNudges();
    PlantRows(kQuietAbove, {8, 8, 8, 4, 3, 4}, kQuietBelow);
    // The first search has run; the ones during the wait score nothing but still report.
    testing::internal::CaptureStdout();
    Tick();
    const std::string waiting = testing::internal::GetCapturedStdout();
    std::string quietRow;
    for (int i = 0; i < kReels; ++i) quietRow += "C1\n";
    // A run is reported when the next reel breaks it, so the pay line's trailing
    // single is never written.
    EXPECT_EQ(waiting, quietRow + "C1\nC3\nC1\nC1\n" + quietRow);
    EXPECT_EQ(game->score, 0);
}

// ---------------------------------------------------------------------------
// Lives
// ---------------------------------------------------------------------------

TEST_F(Fizzcrate, ATurnWithoutARunCostsALifeAndScoresNothing) {
    UsePortrait();
    EXPECT_EQ(game->lives, 3);
    const std::vector<int> scoredAt = PlayPlantedTurn(kQuietAbove, kQuietPayLine, kQuietBelow);
    EXPECT_TRUE(scoredAt.empty());
    EXPECT_EQ(game->score, 0);
    EXPECT_EQ(game->lives, 2);
    EXPECT_TRUE(NewSounds(kSfxChime).empty());
    EXPECT_EQ(game->gameOver, 0);
}

TEST_F(Fizzcrate, ARunOfFourRestoresALifeUnlessFiveAreHeld) {
    UsePortrait();
    const struct {
        int livesBefore, livesAtScore, livesAfter, lifeSounds;
    } cases[] = {{3, 4, 3, 1}, {4, 5, 4, 1}, {5, 5, 4, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.livesBefore << " lives");
        game->lives = c.livesBefore;
        Spin();
        SpendPortraitNudges();
        PlantRows(kQuietAbove, {8, 8, 8, 8, 3, 4}, kQuietBelow);
        NewSounds();
        const int before = game->score;
        while (game->score == before && game->phase != 0) Tick();
        EXPECT_EQ(game->score - before, 240);
        EXPECT_EQ(game->lives, c.livesAtScore);
        EXPECT_EQ(NewSounds(kSfxBank1).size(), static_cast<size_t>(c.lifeSounds));
        FinishTurn();
        EXPECT_EQ(game->lives, c.livesAfter);
    }
}

TEST_F(Fizzcrate, LitCellsFadeForThirtyTicksThenStayEmptyUntilTheNextSpin) {
    UsePortrait();
    Spin();
    SpendPortraitNudges();
    PlantRows(kQuietAbove, {7, 7, 7, 4, 3, 4}, kQuietBelow);
    while (game->phase != 3) Tick();
    EXPECT_EQ(Overlay(0, 0), 7 + 8);
    // Fading: the lit frame (symbol + 8, drawn as frame symbol + 7) at the timer's alpha.
    int ticks = 0;
    while (game->phase == 3) {
        Tick();
        ++ticks;
        if (game->phase != 3) break;
        bool seen = false;
        for (int i = 0; i < RecordCount(); ++i) {
            const Record r = Rec(i);
            if (r.kind == kImgReels && r.frame == 14) {
                // The reels drew before this tick's step of 2.
                EXPECT_FLOAT_EQ(r.alpha, (game->fizzcrate.fadeTimer + 2) / 60);
                seen = true;
            }
        }
        EXPECT_TRUE(seen);
    }
    EXPECT_EQ(ticks, 29);  // the tick the fade began took the first step of 2
    EXPECT_EQ(game->lives, 2);
    EXPECT_EQ(Overlay(0, 0), kEmptied);
    EXPECT_EQ(Overlay(2, 0), kEmptied);
    EXPECT_EQ(Overlay(3, 0), 0);
    Spin();
    EXPECT_EQ(Overlay(0, 0), 0);  // a spin clears every overlay
}

// ---------------------------------------------------------------------------
// Nudges
// ---------------------------------------------------------------------------

TEST_F(Fizzcrate, NudgesAreTakenOnlyInPhasesOneAndTwoWithEveryReelAtRest) {
    UsePortrait();
    // Phase 0, even with nudges in hand.
    game->fizzcrate.nudges = 2;
    PressArrow(1, true);
    EXPECT_EQ(game->reels.reelSpeed[1], 0);
    EXPECT_EQ(game->fizzcrate.nudges, 2);
    EXPECT_EQ(game->phase, 0);
    ReleaseAndTick();
    game->fizzcrate.nudges = 0;

    // Phase 1 while the reels still roll.
    Press(SpinButtonX(), game->spinY);
    ReleaseAndTick();
    ASSERT_EQ(game->fizzcrate.nudges, 3);
    PressArrow(1, true);
    EXPECT_EQ(game->fizzcrate.nudges, 3);
    EXPECT_EQ(game->phase, 1);
    ReleaseAndTick();
    WaitStill();

    // Phase 1 at rest: the up arrow starts the reel upward.
    const int pos = game->reels.reelPos[2];
    PressArrow(2, true);
    EXPECT_FLOAT_EQ(game->reels.reelSpeed[2], -24 * kx_Tumbleroo_Friction);
    EXPECT_EQ(game->fizzcrate.nudges, 2);
    EXPECT_EQ(game->phase, 2);
    EXPECT_EQ(game->reels.reelsMoving, 1);
    ReleaseAndTick();

    // Phase 2 while that reel settles.
    PressArrow(3, false);
    EXPECT_EQ(game->reels.reelSpeed[3], 0);
    EXPECT_EQ(game->fizzcrate.nudges, 2);
    ReleaseAndTick();
    WaitStill();
    EXPECT_EQ(game->reels.reelPos[2], (pos + 1) % 100);  // the cell below rose onto the pay line
    EXPECT_EQ(game->reels.reelOffset[2], 0);

    // Phase 2 at rest: the down arrow moves the strip one cell down, and a press
    // held on after the reel has settled nudges only once.
    const int pos4 = game->reels.reelPos[4];
    PressArrow(4, false);
    EXPECT_FLOAT_EQ(game->reels.reelSpeed[4], 24 * kx_Tumbleroo_Friction);
    EXPECT_EQ(game->fizzcrate.nudges, 1);
    Tick(60);
    EXPECT_EQ(game->reels.reelsMoving, 0);
    EXPECT_EQ(game->fizzcrate.nudges, 1);
    ReleaseAndTick();
    WaitStill();
    EXPECT_EQ(game->reels.reelPos[4], (pos4 + 99) % 100);
    Nudge(5, true);
    EXPECT_EQ(game->fizzcrate.nudges, 0);

    // Phase 3, with a nudge put back in hand.
    while (game->phase != 3) Tick();
    game->fizzcrate.nudges = 1;
    PressArrow(0, true);
    EXPECT_EQ(game->reels.reelSpeed[0], 0);
    EXPECT_EQ(game->fizzcrate.nudges, 1);
    ReleaseAndTick();
}

TEST_F(Fizzcrate, ArrowsAnimateAtFullAlphaOnlyWhileTheFirstNudgeIsAwaited) {
    UsePortrait();
    std::vector<Record> arrows = ArrowRecords();
    ASSERT_EQ(arrows.size(), 2u * kReels);
    for (const Record& r : arrows) {
        EXPECT_FLOAT_EQ(r.alpha, 0.5f);
        EXPECT_TRUE(r.frame == 16 || r.frame == 24);
        EXPECT_FLOAT_EQ(r.w, game->reels.reelScale);
    }
    Spin();
    Tick();
    // Phase 1 at rest: frames 16-18 and 24-26 stepping every 350 ms, reel i a step ahead.
    arrows = ArrowRecords();
    ASSERT_EQ(arrows.size(), 2u * kReels);
    const int a0 = (kx_app_Millisecs() % 1000) / 350;
    for (int i = 0; i < kReels; ++i) {
        const int a = (a0 + i) % 3;
        EXPECT_FLOAT_EQ(arrows[2 * i].alpha, 1);
        EXPECT_EQ(arrows[2 * i].frame, 16 + a) << "reel " << i;
        EXPECT_EQ(arrows[2 * i + 1].frame, 24 + a) << "reel " << i;
        EXPECT_FLOAT_EQ(arrows[2 * i].x, game->reels.ColumnX(i));
        EXPECT_FLOAT_EQ(arrows[2 * i].y, ArrowY(true));
        EXPECT_FLOAT_EQ(arrows[2 * i + 1].y, ArrowY(false));
    }
    // The animation moves on with the clock.
    std::vector<float> frames;
    for (int t = 0; t < 40; ++t) {
        Tick();
        frames.push_back(ArrowRecords()[0].frame);
    }
    EXPECT_NE(*std::min_element(frames.begin(), frames.end()), *std::max_element(frames.begin(), frames.end()));
    // Phase 2: dim and still, yet they still take a nudge.
    Nudge(0, true);
    for (const Record& r : ArrowRecords()) {
        EXPECT_FLOAT_EQ(r.alpha, 0.5f);
        EXPECT_TRUE(r.frame == 16 || r.frame == 24);
    }
    Nudge(0, false);
    EXPECT_EQ(game->fizzcrate.nudges, 1);
}

// ---------------------------------------------------------------------------
// The two layouts
// ---------------------------------------------------------------------------

TEST_F(Fizzcrate, APortraitTurnHasThreeNudgesAndItsFirstSearchWaitsEightTicks) {
    UsePortrait();
    Press(SpinButtonX(), game->spinY);
    EXPECT_EQ(game->fizzcrate.nudges, 3);
    EXPECT_EQ(game->fizzcrate.delay, 8);
    ReleaseAndTick();
    // The count stays put while the reels roll.
    while (game->reels.reelsMoving != 0) {
        EXPECT_EQ(game->fizzcrate.nudges, 3);
        Tick();
    }
    Tick();
    EXPECT_EQ(ShownNudges(), 3);
    SpendPortraitNudges();
    EXPECT_EQ(ShownNudges(), 0);
    // The last nudge has come to rest and the first search has run: a pay-line
    // run planted now scores once the eight ticks of delay have run down.
    EXPECT_EQ(game->phase, 2);
    PlantRows(kQuietAbove, {8, 8, 3, 4, 3, 4}, kQuietBelow);
    int ticks = 0;
    while (game->score == 0 && ticks < 20) {
        Tick();
        ++ticks;
    }
    EXPECT_EQ(ticks, 8);
    EXPECT_EQ(game->score, 60);
    // A fourth press finds no nudge left.
    const int pos = game->reels.reelPos[3];
    PressArrow(3, true);
    ReleaseAndTick();
    EXPECT_EQ(game->reels.reelPos[3], pos);
    EXPECT_EQ(game->reels.reelSpeed[3], 0);
    EXPECT_EQ(game->fizzcrate.nudges, 0);
}

TEST_F(Fizzcrate, ALandscapeTurnDrawsItsNudgesWhileTheReelsRollAndMayScoreAtOnce) {
    ASSERT_EQ(game->landscape, 1);
    Press(SpinButtonX(), game->spinY);
    EXPECT_EQ(game->phase, 1);
    EXPECT_EQ(game->fizzcrate.nudges, 0);  // the press tick draws nothing: no reel has moved yet
    ReleaseAndTick();
    std::vector<int> seen;
    int previous = game->fizzcrate.nudges;
    while (game->reels.reelsMoving != 0) {
        Tick();
        if (game->reels.reelsMoving == 0) break;
        ASSERT_GE(game->fizzcrate.nudges, 1);
        ASSERT_LE(game->fizzcrate.nudges, 5);
        EXPECT_EQ(ShownNudges(), previous);  // the counter is drawn before the draw
        previous = game->fizzcrate.nudges;
        seen.push_back(game->fizzcrate.nudges);
    }
    ASSERT_GT(seen.size(), 50u);
    EXPECT_NE(*std::min_element(seen.begin(), seen.end()), *std::max_element(seen.begin(), seen.end()));
    const int given = game->fizzcrate.nudges;
    Tick();
    EXPECT_EQ(game->fizzcrate.nudges, given);  // settled: the last draw stands
    EXPECT_EQ(ShownNudges(), given);

    // Spend all but one nudge on reel 5, then plant a pay-line run on reels 0-2
    // and spend the last: the search finds it in the tick the reel comes to rest.
    for (int k = 1; k < given; ++k) Nudge(5, k % 2 == 1);
    // Reel 5 is all 8s around the pay line, so the last nudge brings no new run.
    PlantRows({1, 2, 1, 2, 1, 8}, {7, 7, 7, 4, 3, 8}, {5, 6, 5, 6, 5, 8});
    game->reels.reelCells[CellIndex(5, -2)] = 8;
    game->reels.reelCells[CellIndex(5, 2)] = 8;
    PressArrow(5, true);
    ReleaseAndTick();
    int ticks = 0;
    while (game->reels.reelsMoving != 0) {
        EXPECT_EQ(game->score, 0);
        Tick();
        ++ticks;
    }
    EXPECT_EQ(game->score, 135);
    EXPECT_GT(ticks, 0);
}

TEST_F(Fizzcrate, ThePanelPlacesCounterAndButtonByLayout) {
    // Landscape: the button on the panel centre, the counter below it.
    auto findText = [this](char c, float* x, float* y) {
        for (int i = 0; i < RecordCount(); ++i) {
            const Record r = Rec(i);
            if (r.kind == game->fontSlot && r.frame == c - 32 && r.w == 1) {
                *x = r.x;
                *y = r.y;
                return true;
            }
        }
        return false;
    };
    float x = 0, y = 0;
    ASSERT_TRUE(findText('N', &x, &y));  // first letter of "Nudges", size 1
    EXPECT_NEAR(y, game->spinY + 0.3f * game->spinH - 32, 1);
    EXPECT_LT(x, game->spinX);
    UsePortrait();
    ASSERT_TRUE(findText('N', &x, &y));
    EXPECT_NEAR(y, game->spinY - 32, 1);
    EXPECT_LT(x, game->spinX - 0.25f * game->spinW);
    // The SPIN button answers on its own side of the panel only.
    Press(game->spinX - 0.25f * game->spinW, game->spinY);
    EXPECT_EQ(game->phase, 0);
    ReleaseAndTick();
    Press(SpinButtonX(), game->spinY);
    EXPECT_EQ(game->phase, 1);
    ReleaseAndTick();
}

// ---------------------------------------------------------------------------
// A whole game
// ---------------------------------------------------------------------------

TEST_F(Fizzcrate, AWholeGameEndsWhenTheLastLifeIsGoneAndReturnsToTheMenu) {
    UsePortrait();
    int turns = 0;
    int runPoints = 0;
    while (game->gameOver == 0 && turns < 25) {
        const int livesBefore = game->lives;
        const int before = game->score;
        Spin();
        Nudge(turns % kReels, true);
        Nudge((turns + 1) % kReels, false);
        Nudge((turns + 2) % kReels, true);
        std::vector<int> scoredAt = FinishTurn();
        runPoints += game->score - before;
        if (scoredAt.empty()) {
            EXPECT_EQ(game->lives, livesBefore - 1);
        }
        ++turns;
    }
    ASSERT_EQ(game->gameOver, 1);
    EXPECT_EQ(game->lives, 0);
    EXPECT_EQ(game->score, runPoints);
    const int final = game->score;
    // The game-over overlay runs its course and the menu records the score.
    for (int n = 0; n < 200 && game->state != kScreenMenu; ++n) Tick();
    EXPECT_EQ(game->state, kScreenMenu);
    EXPECT_EQ(game->scores[50 + 10 * (kFizzcrate - 1)], final);
}

}  // namespace

namespace {

// ---------------------------------------------------------------------------
// The screen
// ---------------------------------------------------------------------------

TEST_F(Fizzcrate, TheFrameAndTheArrowsReachThePixels) {
    if (!gametest::HaveRealData()) GTEST_SKIP() << "the reel sheets come with the generated art";
    Spin();
    Tick();
    std::vector<unsigned> px = RenderAndRead();
    ASSERT_FALSE(px.empty());
    // Left of the reels and above the window: the frame's green.
    const int frameX = static_cast<int>(game->reels.ColumnX(0) - game->reels.reelScale * 32) - 10;
    const int frameY = game->reels.reelTop - 5;
    EXPECT_EQ(Red(PixelAt(px, frameX, frameY)), 0);
    EXPECT_EQ(Green(PixelAt(px, frameX, frameY)), 80);
    EXPECT_EQ(Blue(PixelAt(px, frameX, frameY)), 0);
    // A lit arrow changes its pixels against the dim one of a later phase.
    const int ax = static_cast<int>(game->reels.ColumnX(2));
    const int ay = static_cast<int>(ArrowY(true));
    int lit = 0;
    for (int dy = -8; dy <= 8; ++dy) lit += Green(PixelAt(px, ax, ay + dy));
    Nudge(0, true);
    px = RenderAndRead();
    int dim = 0;
    for (int dy = -8; dy <= 8; ++dy) dim += Green(PixelAt(px, ax, ay + dy));
    EXPECT_NE(lit, dim);
}

}  // namespace
