// dice_test.cpp - the Dice machine: the hand table over all 7776 outcomes and the
// documented example hands, the HOLD buttons (flips, pulse colours, lit state, no
// lasting effect before the first spin), SPIN only in the first two phases, the
// scoring delay and the banner's timeline, a life lost on "NOTHING" and the game's
// end on the third loss. Everything is played through the real pointer.
#include <cmath>
#include <map>

#include "reels_support.h"

namespace {

using gametest::Record;

constexpr float kHoldW = 112 / 2.6f;
constexpr float kHoldH = 72 / 1.5f;

class Dice : public reeltest::ReelGame {
protected:
    void SetUp() override {
        ReelGame::SetUp();
        StartMachine(kMachineDice);
        ASSERT_EQ(game->state, kScreenPlay);
    }
    void PayLine(const int (&faces)[5]) {
        for (int i = 0; i < 5; ++i) {
            game->reels.reelPos[i] = 0;
            game->reels.Symbol(i, 0) = faces[i];
        }
    }
    void FixStrips(const int (&faces)[5]) {
        for (int i = 0; i < 5; ++i) SetStrip(i, faces[i]);
    }
    void Spin() {
        ClickAt(game->spinX, game->spinY);
        TickUntilRest();
    }
    float HoldY() const { return game->reels.reelCentreY + 1.5f * game->reels.reelPitch * game->reels.reelScale + 2; }
    void ClickHold(int i) { ClickAt(game->reels.ColumnX(i), HoldY()); }
    std::vector<Record> HoldBoxes() const {
        return Records([](const Record& r) {
            return r.kind == kKindRect && std::fabs(r.w - kHoldW) < 0.01f && std::fabs(r.h - kHoldH) < 0.01f;
        });
    }
    // The overlay frames of the buttons, in drawing order: 5 HOLD buttons, then SPIN.
    std::vector<int> OverlayFrames() const {
        std::vector<int> f;
        for (const Record& r : Records([](const Record& x) { return x.kind == 10; })) f.push_back(static_cast<int>(r.frame));
        return f;
    }
    // Ticks until the hand is scored (phase 3); returns the ticks taken.
    int TickUntilScored() {
        int n = 0;
        while (game->phase != 3 && n < 100) {
            Tick();
            ++n;
        }
        return n;
    }
    void PlayTurn(const int (&faces)[5]) {
        FixStrips(faces);
        Spin();
        Spin();
        TickUntilScored();
        for (int n = 0; game->phase == 3 && n < 200; ++n) Tick();
    }
    // The SPIN button's label is the last white text drawn ("SPIN n " shows as SPINn).
    std::string SpinLabel() const {
        const std::string white = TextInColour(255, 255, 255);
        return white.size() < 5 ? white : white.substr(white.size() - 5);
    }
    std::string Name() const { return game->dice.handName.ToUtf8(); }
};

TEST_F(Dice, AllOutcomesOfFiveDiceGiveTheDocumentedDistribution) {
    std::map<std::string, int> seen;
    std::map<std::string, int> values;
    int faces[5];
    for (int n = 0; n < 7776; ++n) {
        int k = n;
        for (int i = 0; i < 5; ++i) {
            faces[i] = k % 6 + 1;
            k /= 6;
        }
        for (int i = 0; i < 5; ++i) {
            game->reels.reelPos[i] = 0;
            game->reels.Symbol(i, 0) = faces[i];
        }
        game->dice.ReadHand();
        ++seen[Name()];
        values[Name()] = game->dice.handValue;
        int sum = 0;
        for (int f = 1; f <= 6; ++f) sum += game->dice.faceCounts[f];
        ASSERT_EQ(sum, 5);
    }
    const std::map<std::string, int> expected = {
        {"NOTHING", 6120},      {"Small Seq. Unordered", 904}, {"Large Seq. Unordered", 228},
        {"Small Sequence", 64}, {"4 of a Kind", 150},          {"Full House", 300},
        {"Large Sequence", 4},  {"Yahtzee!", 6}};
    EXPECT_EQ(seen, expected);
    const std::map<std::string, int> table = {
        {"NOTHING", 0},      {"Small Seq. Unordered", 15}, {"Large Seq. Unordered", 25}, {"Small Sequence", 30},
        {"4 of a Kind", 35}, {"Full House", 40},           {"Large Sequence", 40},       {"Yahtzee!", 50}};
    EXPECT_EQ(values, table);
}

TEST_F(Dice, ExampleHandsScoreTheirValuePlusTheFaces) {
    const struct {
        int faces[5];
        const char* name;
        int added;
    } cases[] = {
        {{1, 2, 3, 4, 6}, "Small Sequence", 30 + 16},
        {{2, 1, 3, 4, 6}, "Small Seq. Unordered", 15 + 16},
        {{6, 5, 4, 3, 1}, "Small Sequence", 30 + 19},
        {{1, 2, 3, 4, 5}, "Large Sequence", 40 + 15},
        {{6, 5, 4, 3, 2}, "Large Sequence", 40 + 20},
        {{1, 3, 2, 4, 5}, "Large Seq. Unordered", 25 + 15},
        {{3, 3, 3, 3, 3}, "Yahtzee!", 50 + 15},
        {{2, 2, 5, 5, 5}, "Full House", 40 + 19},
        {{4, 1, 4, 4, 4}, "4 of a Kind", 35 + 17},
        {{1, 1, 2, 3, 6}, "NOTHING", 0 + 13},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PayLine(c.faces);
        game->score = 100;
        const std::vector<int> sounds = SoundsOf([this] { game->dice.Score(); });
        EXPECT_EQ(Name(), c.name);
        EXPECT_EQ(game->score, 100 + c.added);
        EXPECT_EQ(game->phase, 3);
        EXPECT_EQ(game->dice.bannerX, 640 + 512);
        EXPECT_EQ(sounds, std::vector<int>{game->dice.handValue == 0 ? 13 : 12});
    }
}

TEST_F(Dice, HoldButtonsFlipBetweenTheSpinsAndPulseWhileUnheld) {
    // Before the first spin every button is red and dim, and a flip does not last.
    std::vector<Record> boxes = HoldBoxes();
    ASSERT_EQ(boxes.size(), 5u);
    for (const Record& b : boxes) {
        EXPECT_EQ(b.r, 180);
        EXPECT_EQ(b.b, 0);
    }
    EXPECT_EQ(OverlayFrames(), (std::vector<int>{2, 2, 2, 2, 2, 0}));  // SPIN lit
    PressAt(game->reels.ColumnX(1), HoldY());
    EXPECT_EQ(game->reels.holds[1], 1);
    ReleaseMouse();
    Tick();
    EXPECT_EQ(game->reels.holds[1], 0);

    Spin();
    ASSERT_EQ(game->phase, 1);
    const std::vector<int> sounds = SoundsOf([this] { ClickHold(3); });
    EXPECT_EQ(sounds, std::vector<int>{99});
    EXPECT_EQ(game->reels.holds[3], 1);
    const int ms = kx_app_Millisecs();
    boxes = HoldBoxes();
    ASSERT_EQ(boxes.size(), 5u);
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        if (i == 3) {
            EXPECT_EQ(boxes[i].r, 0);
            EXPECT_EQ(boxes[i].g, 80);
            EXPECT_EQ(boxes[i].b, 180);
        } else {
            EXPECT_EQ(boxes[i].r, 50 + ((160 * i + ms) / 3) % 200);
            EXPECT_EQ(boxes[i].g, 0);
        }
    }
    EXPECT_EQ(OverlayFrames(), (std::vector<int>{0, 0, 0, 2, 0, 0}));  // held: dim
    // Holding the pointer down flips once; a second click flips back.
    PressAt(game->reels.ColumnX(0), HoldY());
    Tick(3);
    EXPECT_EQ(game->reels.holds[0], 1);
    ReleaseMouse();
    Tick();
    ClickHold(0);
    EXPECT_EQ(game->reels.holds[0], 0);
}

TEST_F(Dice, HeldDiceStayThroughTheSecondSpinAndTheHoldsAreReleased) {
    Spin();
    int pos[5];
    for (int i = 0; i < 5; ++i) pos[i] = game->reels.reelPos[i];
    ClickHold(0);
    ClickHold(2);
    ClickAt(game->spinX, game->spinY);
    EXPECT_EQ(game->phase, 2);
    EXPECT_EQ(game->dice.delay, 30);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(game->reels.holds[i], 0);
    EXPECT_EQ(game->reels.reelSpeed[0], 0);
    EXPECT_EQ(game->reels.reelSpeed[2], 0);
    EXPECT_GT(game->reels.reelSpeed[1], 0);
    TickUntilRest();
    EXPECT_EQ(game->reels.reelPos[0], pos[0]);
    EXPECT_EQ(game->reels.reelPos[2], pos[2]);
}

TEST_F(Dice, SpinWorksOnlyInTheFirstTwoPhasesWithTheReelsAtRest) {
    EXPECT_EQ(SpinLabel(), "SPIN2");
    ClickAt(game->spinX, game->spinY);
    EXPECT_EQ(game->phase, 1);
    EXPECT_EQ(game->reels.reelsMoving, 1);
    const float speed = game->reels.reelSpeed[4];
    ClickAt(game->spinX, game->spinY);  // while rolling: nothing
    EXPECT_EQ(game->phase, 1);
    EXPECT_LT(game->reels.reelSpeed[4], speed);
    EXPECT_EQ(OverlayFrames().back(), 2);  // dim while moving
    TickUntilRest();
    EXPECT_EQ(SpinLabel(), "SPIN1");
    ClickAt(game->spinX, game->spinY);
    EXPECT_EQ(game->phase, 2);
    TickUntilRest();
    EXPECT_EQ(game->phase, 2);
    // (Phase 4 lasts one tick unless the game is over; the game-over test covers it.)
    for (int phase : {2, 3}) {
        SCOPED_TRACE(phase);
        game->phase = phase;
        game->dice.delay = 500;  // keeps phase 2 from scoring meanwhile
        game->dice.bannerX = 5000;  // keeps the banner from ending meanwhile
        ClickAt(game->spinX, game->spinY);
        for (int i = 0; i < 5; ++i) EXPECT_EQ(game->reels.reelSpeed[i], 0);
        EXPECT_EQ(OverlayFrames().back(), 2);
        EXPECT_EQ(SpinLabel(), "SPIN0");
    }
}

TEST_F(Dice, TheHandIsScoredThirtyTicksAfterTheReelsStop) {
    const int faces[5] = {2, 2, 5, 5, 5};
    FixStrips(faces);
    Spin();
    ClickAt(game->spinX, game->spinY);
    TickUntilRest();  // the first tick at rest counts
    EXPECT_EQ(game->phase, 2);
    EXPECT_EQ(game->dice.delay, 29);
    Tick(28);
    EXPECT_EQ(game->phase, 2);
    EXPECT_EQ(game->score, 0);
    const std::vector<int> sounds = TickSounds();
    EXPECT_EQ(game->phase, 3);
    EXPECT_EQ(Name(), "Full House");
    EXPECT_EQ(game->score, 59);
    EXPECT_EQ(sounds, std::vector<int>{12});
}

// The banner starts at W + 512 on the scoring tick, moves 12 a tick, fades in over
// its last 256 units before the middle, rests there, and fades out beyond.
TEST_F(Dice, TheBannerCrossesTheScreenAndEndsTheTurn) {
    const int faces[5] = {3, 3, 3, 3, 3};
    PayLine(faces);
    game->phase = 2;
    game->dice.delay = 1;
    struct Seen {
        float alpha, nameX, valueX;
        int bands;
    };
    std::vector<Seen> seen;
    auto centre = [this](float r, float g, float b) {
        const std::vector<Record> glyphs =
            Records([&](const Record& x) { return x.kind == game->fontSlot && x.r == r && x.g == g && x.b == b; });
        return glyphs.empty() ? -9999.0f : (glyphs.front().x + glyphs.back().x) / 2;
    };
    int ticks = 0;
    do {
        Tick();
        ++ticks;
        const std::vector<Record> bands =
            Records([](const Record& r) { return r.kind == kKindRect && r.w == 641 && r.h == 32; });
        Seen s{-1, centre(255, 125, 0), centre(0, 125, 255), static_cast<int>(bands.size())};
        if (!bands.empty()) s.alpha = bands[0].alpha;
        if (bands.size() == 2) {
            EXPECT_EQ(bands[0].y, 480 * 0.3f - 16);
            EXPECT_EQ(bands[1].y, 480 * 0.55f - 16);
            EXPECT_EQ(bands[0].x, -1);
        }
        seen.push_back(s);
    } while (game->phase == 3 && ticks < 300);
    ASSERT_EQ(ticks, 139);  // from 1152 to below -512 in steps of 12
    EXPECT_EQ(game->phase, 0);
    EXPECT_EQ(game->lives, 3);
    EXPECT_EQ(game->score, 65);
    for (const Seen& s : seen) EXPECT_EQ(s.bands, 2);
    EXPECT_EQ(seen[0].alpha, 0);  // far right: faded out
    EXPECT_NEAR(seen[0].nameX, 1472, 0.05);
    EXPECT_FLOAT_EQ(seen[36].alpha, 1 - 144 / 256.0f);  // 400 from the middle
    EXPECT_NEAR(seen[36].nameX, 608, 0.05);
    EXPECT_NEAR(seen[36].valueX, 640 - 608, 0.05);
    EXPECT_EQ(seen[49].alpha, 1);  // 244 from the middle: at rest
    EXPECT_NEAR(seen[49].nameX, 320, 0.05);
    EXPECT_NEAR(seen[49].valueX, 320, 0.05);
    EXPECT_FLOAT_EQ(seen[91].alpha, 1 - 4 / 256.0f);  // 260 past the middle: leaving
    EXPECT_NEAR(seen[91].nameX, 312, 0.05);
    EXPECT_NEAR(seen[91].valueX, 328, 0.05);
}

TEST_F(Dice, ATurnWithNoHandCostsALifeAndTheThirdLossEndsTheGame) {
    const int nothing[5] = {1, 1, 2, 3, 6};
    PlayTurn(nothing);
    EXPECT_EQ(Name(), "NOTHING");
    EXPECT_EQ(game->score, 13);  // the faces count even without a hand
    EXPECT_EQ(game->lives, 2);
    EXPECT_EQ(game->phase, 0);
    EXPECT_EQ(game->gameOver, 0);
    const int yahtzee[5] = {6, 6, 6, 6, 6};
    PlayTurn(yahtzee);
    EXPECT_EQ(game->lives, 2);
    EXPECT_EQ(game->score, 13 + 80);
    PlayTurn(nothing);
    EXPECT_EQ(game->lives, 1);
    PlayTurn(nothing);
    EXPECT_EQ(game->lives, 0);
    EXPECT_EQ(game->gameOver, 1);
    EXPECT_EQ(game->phase, 4);
    EXPECT_EQ(game->score, 13 + 80 + 13 + 13);
    // The machine stays in its last phase: no further lives go, no spin starts.
    ClickAt(game->spinX, game->spinY);
    Tick(5);
    EXPECT_EQ(game->lives, 0);
    EXPECT_EQ(game->phase, 4);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(game->reels.reelSpeed[i], 0);
}

}  // namespace
