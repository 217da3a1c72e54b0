// play_flow_test.cpp - one game from its start: the start's resets and the
// reseeding from the clock (positions and strips predicted from the generator's
// documented sequence), a machine the cabinet lacks, the eased score and its text,
// the hearts, and the pause control by Back and by the pause button.
#include "reels_support.h"

namespace {

using gametest::Record;
using reeltest::ExpectedStrip;
using reeltest::RefGenerator;

class PlayFlow : public reeltest::ReelGame {
protected:
    void StartDice() { StartMachine(kMachineDice); }
    std::vector<int> EaseFrom(int shown, int target, int limit) {
        game->shownScore = shown;
        game->score = target;
        std::vector<int> seen;
        while (static_cast<int>(seen.size()) < limit) {
            Tick();
            seen.push_back(game->shownScore);
            if (game->shownScore == target) break;
        }
        return seen;
    }
    std::vector<Record> Hearts() const {
        return Records([](const Record& r) { return r.kind == 5; });
    }
};

TEST_F(PlayFlow, StartingAGameResetsItAndReseedsFromTheClock) {
    game->score = 77;
    game->gameOver = 1;
    game->gameOverTimer = 40;
    game->reels.symbolBank = 2;
    game->phase = 3;
    game->reels.reelOffset[16] = 0.5f;
    game->reels.reelSpeed[16] = 2;
    gametest::Backend().now = 12.5;
    game->machine = kMachineDice;
    game->state = kScreenStartGame;
    Tick();
    const int ms = kx_app_Millisecs();
    EXPECT_EQ(ms, 12516);
    EXPECT_EQ(game->state, kScreenPlay);
    EXPECT_EQ(game->score, 0);
    EXPECT_EQ(game->gameOver, 0);
    EXPECT_EQ(game->gameOverTimer, 0);
    EXPECT_EQ(game->reels.symbolBank, 0);
    EXPECT_EQ(game->phase, 0);
    EXPECT_EQ(game->lives, 3);
    EXPECT_EQ(game->settings[kSettingLastMachine], kMachineDice);
    // Reels 0..16 get positions 0..98 from the first draws after the reseed, then the
    // machine's loader shuffles its strips with the draws that follow.
    RefGenerator gen(ms);
    for (int r = 0; r < 17; ++r) {
        EXPECT_EQ(game->reels.reelPos[r], static_cast<int>(gen.Rnd() * 99)) << "reel " << r;
        EXPECT_EQ(game->reels.reelOffset[r], 0);
        EXPECT_EQ(game->reels.reelSpeed[r], 0);
    }
    const std::vector<int> dice = {17, 16, 17, 16, 17, 17};
    for (int r = 0; r < 16; ++r) {
        const std::vector<int> strip = ExpectedStrip(dice, gen);
        for (int c = 0; c < 100; ++c) ASSERT_EQ(Symbol(r, c), strip[c]) << "reel " << r << " cell " << c;
    }
    EXPECT_EQ(kx_random_Seed, gen.Seed());
}

TEST_F(PlayFlow, TwoGamesOnTheSameMachineGetNewPositions) {
    std::vector<int> first, second, again;
    auto start = [this](double now, std::vector<int>& pos) {
        gametest::Backend().now = now;
        game->state = kScreenStartGame;
        game->machine = kMachineDice;
        Tick();
        for (int r = 0; r < 5; ++r) pos.push_back(game->reels.reelPos[r]);
        RunLoader();
    };
    start(3.0, first);
    start(7.25, second);
    start(3.0, again);
    EXPECT_NE(first, second);
    EXPECT_EQ(first, again);  // the same clock gives the same game
}

TEST_F(PlayFlow, AMachineTheCabinetLacksGoesBackToTheMenu) {
    for (int m : {0, 6}) {
        game->machine = m;
        game->state = kScreenStartGame;
        Tick();
        EXPECT_EQ(game->state, kScreenMenu) << m;
    }
}

TEST_F(PlayFlow, AGameTickClearsToBlueAndDrawsTheReelsFirst) {
    StartDice();
    game->menuIntro = 0;
    Tick();
    EXPECT_EQ(game->clearB, 255);
    EXPECT_EQ(game->clearR, 0);
    EXPECT_EQ(game->menuIntro, -32);
    const Record back = Rec(0);  // the reels' background, in the machine's colour
    EXPECT_EQ(back.kind, kKindRect);
    EXPECT_EQ(back.g, 80);
    EXPECT_EQ(back.x, 0);
    EXPECT_FLOAT_EQ(back.w, 640 * 0.7f);
}

TEST_F(PlayFlow, TheShownScoreEasesUpAndDown) {
    StartDice();
    const std::vector<int> up = {16, 30, 41, 50, 58, 65, 70, 75, 79, 82, 85, 87, 89, 90, 91, 92, 93, 94, 100};
    EXPECT_EQ(EaseFrom(0, 100, 50), up);
    const std::vector<int> down = EaseFrom(500, 0, 50);
    ASSERT_EQ(down.size(), 28u);
    EXPECT_EQ(down[25], 7);
    EXPECT_EQ(down[26], 6);
    EXPECT_EQ(down[27], 0);
    EXPECT_EQ(EaseFrom(40, 45, 5), std::vector<int>{45});  // a gap under 6 closes at once
}

TEST_F(PlayFlow, TheScoreShowsItsLastEightDigitsOnThePanelsTopEdge) {
    StartDice();
    const struct {
        int score;
        const char* text;
    } cases[] = {{1234, "00001234"}, {0, "00000000"}, {123456789, "23456789"}};
    for (const auto& c : cases) {
        game->score = game->shownScore = c.score;
        Tick();
        EXPECT_EQ(TextInColour(100, 255, 100), c.text);
    }
    const std::vector<Record> glyphs = Records([](const Record& r) { return r.r == 100 && r.g == 255 && r.b == 100; });
    ASSERT_EQ(glyphs.size(), 8u);
    EXPECT_FLOAT_EQ(glyphs[0].alpha, 0.8f);
    EXPECT_EQ(glyphs[0].w, 2);
    // Nine characters 14 apart at size 2, centred on the middle of the panel's top
    // edge; the leading space takes a place but draws nothing.
    EXPECT_NEAR(glyphs.front().x, game->spinX - 42, 0.05);
    EXPECT_NEAR(glyphs.back().x, game->spinX + 56, 0.05);
    EXPECT_NEAR(glyphs[0].y, game->spinY - game->spinH * 0.5f, 0.01);
}

TEST_F(PlayFlow, HeartsSitInACentredRowOnThePanelsBottomEdge) {
    StartDice();
    Tick();
    std::vector<Record> hearts = Hearts();
    ASSERT_EQ(hearts.size(), 3u);
    const float offsets[] = {-32, 0, 32};
    for (int i = 0; i < 3; ++i) {
        EXPECT_FLOAT_EQ(hearts[i].x, game->spinX + offsets[i]);
        EXPECT_FLOAT_EQ(hearts[i].y, game->spinY + game->spinH * 0.5f - 8);
        EXPECT_EQ(hearts[i].frame, 0);
        EXPECT_EQ(hearts[i].w, 1);  // drawn after a reset of the draw state
    }
    game->lives = 1;
    Tick();
    hearts = Hearts();
    ASSERT_EQ(hearts.size(), 1u);
    EXPECT_FLOAT_EQ(hearts[0].x, game->spinX);
    game->lives = 0;
    Tick();
    EXPECT_TRUE(Hearts().empty());
}

TEST_F(PlayFlow, BackOpensThePauseMenuOncePerPress) {
    StartDice();
    PressKey(27);  // Escape
    const std::vector<int> sounds = TickSounds();
    EXPECT_EQ(game->paused, 1);
    EXPECT_EQ(game->pauseSlide, 1);
    EXPECT_EQ(game->pauseCursor, 0);
    EXPECT_EQ(game->keyUsed, 1);
    EXPECT_EQ(sounds, std::vector<int>{98});
    Tick(3);  // held: nothing more
    EXPECT_EQ(game->pauseSlide, 1);
    // Open, the pause menu takes Back itself (to resume); the play flow stays out of it.
    game->pauseCursor = 1;
    ReleaseKey(27);
    Tick();
    PressKey(27);
    Tick();
    EXPECT_EQ(game->pauseSlide, -1);
    EXPECT_EQ(game->pauseCursor, 1);
    ReleaseKey(27);
}

TEST_F(PlayFlow, ThePauseButtonOpensThePauseMenuAndTheGameRunsOnUnderIt) {
    StartDice();
    PressAt(16, 16);
    EXPECT_EQ(game->paused, 1);
    EXPECT_EQ(game->pauseSlide, 1);
    EXPECT_EQ(game->pointerUsed, 1);
    const std::vector<Record> button = Records([](const Record& r) { return r.kind == 97 && r.x == 16 && r.y == 16; });
    ASSERT_FALSE(button.empty());
    EXPECT_EQ(button[0].frame, 0);
    ReleaseMouse();
    game->reels.reelSpeed[0] = 2;  // the reels keep rolling while paused
    Tick(5);
    EXPECT_EQ(game->paused, 1);
    EXPECT_EQ(game->reels.reelsMoving, 1);
    // A press elsewhere over the game does not touch the pause state.
    game->pauseCursor = 1;
    ClickAt(300, 470);
    EXPECT_EQ(game->pauseCursor, 1);
}

}  // namespace
