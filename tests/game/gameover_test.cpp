// gameover_test.cpp - the end of a game: the overlay's time line (nothing on the
// first tick, the hand-over to the menu at 90, the fade from 73), what the overlay
// draws, the place rule with ties, the table update (equal entries stay above the
// new score, the last ten newest first) and the two runs of m_GameOver in the tick
// in which the game ends.
#include <algorithm>

#include "progress_fixture.h"

namespace {

using gametest::Record;
using progresstest::ProgressTest;

constexpr int kTop = TopTenAt(kMachineCometrow);
constexpr int kLast = LastTenAt(kMachineCometrow);

class GameOver : public ProgressTest {
protected:
    void SetUp() override {
        ProgressTest::SetUp();
        RunLoader();
        Render();
        game->machine = kMachineCometrow;
    }
    void SetTop(std::initializer_list<int> values) {
        int i = 0;
        for (int v : values) game->scores[kTop + i++] = v;
    }
    std::vector<int> Top() const {
        std::vector<int> out;
        for (int i = 0; i < 10; ++i) out.push_back(game->scores[kTop + i]);
        return out;
    }
    std::vector<int> Last() const {
        std::vector<int> out;
        for (int i = 0; i < 10; ++i) out.push_back(game->scores[kLast + i]);
        return out;
    }
    // One overlay step on an empty list, as the play state runs it.
    void Step() {
        game->m_CLS2D(kAbsent, 0, 0, 0);
        game->m_GameOver();
    }
    // A finished game going back to the menu: the table update runs in state 2.
    void FinishGame(int score) {
        game->score = score;
        game->state = kScreenBackToMenu;
        Tick();
    }
};

// ---------------------------------------------------------------------------
// Time line and drawing
// ---------------------------------------------------------------------------

TEST_F(GameOver, TheOverlayIsHiddenOnTheFirstTickThenBuildsUpForEightyNine) {
    game->state = kScreenPlay;
    game->gameOver = 1;
    game->score = -1;  // below every entry: no highscore line
    SetTop({0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    Step();
    EXPECT_EQ(RecordCount(), 0);
    EXPECT_EQ(game->gameOverTimer, 1);
    Step();
    const Record shade = Rec(0);
    EXPECT_EQ(shade.kind, kKindRect);
    EXPECT_FLOAT_EQ(shade.x, -1);
    EXPECT_FLOAT_EQ(shade.w, 642);
    EXPECT_FLOAT_EQ(shade.h, 482);
    EXPECT_FLOAT_EQ(shade.alpha, 1 / 40.0f);
    EXPECT_FLOAT_EQ(shade.r + shade.g + shade.b, 0);
    // Bands 2 x 12 units long from the left and from the right edge.
    EXPECT_FLOAT_EQ(Rec(1).w, 24);
    EXPECT_FLOAT_EQ(Rec(1).x, -1);
    EXPECT_FLOAT_EQ(Rec(2).x, 640 - 24);
    EXPECT_FLOAT_EQ(Rec(2).w, 25);
    for (int t = 2; t < 89; ++t) Step();
    EXPECT_EQ(game->gameOverTimer, 89);
    EXPECT_EQ(game->state, kScreenPlay);
    // The shade stops at 0.7 and the bands at 0.45 of the height (216).
    EXPECT_FLOAT_EQ(Rec(0).alpha, 0.7f);
    EXPECT_FLOAT_EQ(Rec(1).w, 432);
    Step();
    EXPECT_EQ(game->state, kScreenBackToMenu);
    EXPECT_EQ(game->gameOverTimer, 73);
}

TEST_F(GameOver, TheWordsComeInFromTheEdgesUntilTheBandsStop) {
    game->state = kScreenPlay;
    game->gameOver = 1;
    game->score = -1;
    game->gameOverTimer = 10;
    Step();
    std::vector<Record> glyphs = SlotRecords(game->fontSlot);
    ASSERT_EQ(glyphs.size(), 8u);  // GAME and OVER
    EXPECT_FLOAT_EQ(glyphs[0].y, 120);        // b = 120
    EXPECT_FLOAT_EQ(glyphs[4].y, 480 - 120);
    EXPECT_FLOAT_EQ(glyphs[0].w, 4);
    EXPECT_FLOAT_EQ(glyphs[0].frame, 'G' - 32);
    EXPECT_FLOAT_EQ(glyphs[4].frame, 'O' - 32);
    // Centred on 0.35 and 0.65 of the width: 3 advances of 28 units across.
    EXPECT_FLOAT_EQ(glyphs[0].x, 224 - 42);
    EXPECT_FLOAT_EQ(glyphs[4].x, 416 - 42);
    game->gameOverTimer = 60;
    Step();
    glyphs = SlotRecords(game->fontSlot);
    EXPECT_FLOAT_EQ(glyphs[0].y, 216);
    EXPECT_FLOAT_EQ(glyphs[4].y, 264);
}

TEST_F(GameOver, AScoreThatReachesTheTableNamesItsPlace) {
    SetTop({900, 800, 700, 600, 500, 400, 300, 200, 100, 50});
    game->state = kScreenPlay;
    game->score = 650;
    game->gameOverTimer = 30;
    Step();
    const std::vector<std::string> lines = TextLines(100, 255, 100);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "New Highscore");
    EXPECT_EQ(lines[1], "           4th");
    // A box behind it, centred, 32 units high, at H - b / 1.5.
    bool box = false;
    for (int i = 0; i < RecordCount(); ++i) {
        const Record r = Rec(i);
        if (r.kind == kKindRect && r.b == 255 && r.g == 125) {
            EXPECT_FLOAT_EQ(r.x, 224);
            EXPECT_FLOAT_EQ(r.w, 192);
            EXPECT_FLOAT_EQ(r.y, 480 - 216 / 1.5f - 16);
            box = true;
        }
    }
    EXPECT_TRUE(box);
    game->score = 49;
    Step();
    EXPECT_TRUE(TextLines(100, 255, 100).empty());
}

TEST_F(GameOver, OverTheMenuTheOverlayFadesFrom73InStepsOfTwo) {
    game->state = kScreenMenu;
    game->gameOverTimer = 73;
    int ticks = 0;
    while (game->gameOverTimer > 0 && ticks < 100) {
        Step();
        ++ticks;
        EXPECT_EQ(game->gameOverTimer, std::max(73 - 2 * ticks, 0));
    }
    EXPECT_EQ(ticks, 37);
    EXPECT_EQ(game->gameOverTimer, 0);
    Step();
    EXPECT_EQ(RecordCount(), 0);
    EXPECT_EQ(game->gameOverTimer, 0);
    EXPECT_EQ(game->state, kScreenMenu);
}

TEST_F(GameOver, InTheTickTheGameEndsItRunsTwiceAndTheMenuTakesOver) {
    game->state = kScreenPlay;
    game->gameOver = 1;
    game->score = 10;
    game->gameOverTimer = 89;
    Tick();
    // Once in play (89 -> 90, handed over at 73), once more in state 2 (73 -> 71).
    EXPECT_EQ(game->state, kScreenBackToMenu);
    EXPECT_EQ(game->gameOverTimer, 71);
    Tick();
    EXPECT_EQ(game->state, kScreenMenu);
    EXPECT_EQ(game->gameOverTimer, 69);
    EXPECT_EQ(game->scores[kLast], 10);
    Tick();
    EXPECT_EQ(game->gameOverTimer, 67);
    // The menu's list is underneath and the overlay on top of it.
    EXPECT_EQ(Rec(RecordCount() - 1).kind, game->fontSlot);
}

// ---------------------------------------------------------------------------
// Place rule
// ---------------------------------------------------------------------------

TEST_F(GameOver, APlaceCountsTiesAsReachingTheEntry) {
    SetTop({500, 400, 400, 300, 200, 100, 90, 80, 70, 60});
    struct Case {
        int score;
        const char* text;
        int place;
    };
    const Case cases[] = {{501, "1st!", 1}, {500, "1st!", 1}, {499, "2nd", 2}, {400, "2nd", 2},
                          {399, "4th", 4},  {250, "5th", 5},  {95, "7th", 7},  {75, "9th", 9},
                          {60, "10th", 10}, {59, "", 0},      {-5, "", 0}};
    for (const Case& c : cases) {
        game->score = c.score;
        game->loopIndex = 77;
        const String text = game->m_MyNth();
        EXPECT_EQ(text.ToUtf8(), c.text) << c.score;
        EXPECT_EQ(game->loopIndex, c.place) << c.score;
    }
    SetTop({0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    game->score = 0;
    EXPECT_EQ(game->m_MyNth().ToUtf8(), "1st!");
    // Every machine reads its own table.
    game->machine = kMachineDice;
    game->scores[40] = 10;
    game->score = 9;
    EXPECT_EQ(game->m_MyNth().ToUtf8(), "2nd");
}

// ---------------------------------------------------------------------------
// Table update
// ---------------------------------------------------------------------------

TEST_F(GameOver, TheTableUpdateInsertsBelowEqualEntriesAndDropsTheTenth) {
    SetTop({500, 400, 400, 300, 200, 100, 90, 80, 70, 60});
    FinishGame(400);
    EXPECT_EQ(Top(), (std::vector<int>{500, 400, 400, 400, 300, 200, 100, 90, 80, 70}));
    EXPECT_EQ(game->newRank, 3);
    FinishGame(1000);
    EXPECT_EQ(Top(), (std::vector<int>{1000, 500, 400, 400, 400, 300, 200, 100, 90, 80}));
    EXPECT_EQ(game->newRank, 0);
    // Equal to the tenth: announced as 10th but not entered.
    game->score = 80;
    EXPECT_EQ(game->m_MyNth().ToUtf8(), "10th");
    FinishGame(80);
    EXPECT_EQ(Top(), (std::vector<int>{1000, 500, 400, 400, 400, 300, 200, 100, 90, 80}));
    EXPECT_EQ(game->newRank, -1);
    EXPECT_EQ(Last(), (std::vector<int>{80, 1000, 400, 0, 0, 0, 0, 0, 0, 0}));
    // Other machines' tables are untouched.
    for (int i = 0; i < 100; ++i) {
        if (i / 10 != kMachineCometrow - 1 && i / 10 != 5 + kMachineCometrow - 1) {
            EXPECT_EQ(game->scores[i], 0) << i;
        }
    }
}

TEST_F(GameOver, AZeroScoreOnAnEmptyTableEntersOnlyTheLastTen) {
    game->score = 0;
    EXPECT_EQ(game->m_MyNth().ToUtf8(), "1st!");
    FinishGame(0);
    EXPECT_EQ(game->newRank, -1);
    EXPECT_EQ(Top(), std::vector<int>(10, 0));
    FinishGame(5);
    EXPECT_EQ(Top()[0], 5);
    EXPECT_EQ(Top()[1], 0);
    EXPECT_EQ(Last()[0], 5);
}

TEST_F(GameOver, TheLastTenHoldTheTenNewestScoresNewestFirst) {
    for (int g = 1; g <= 12; ++g) FinishGame(g * 11);
    EXPECT_EQ(Last(), (std::vector<int>{132, 121, 110, 99, 88, 77, 66, 55, 44, 33}));
    EXPECT_EQ(Top(), (std::vector<int>{132, 121, 110, 99, 88, 77, 66, 55, 44, 33}));
    FinishGame(1);
    EXPECT_EQ(Last()[0], 1);
    EXPECT_EQ(Last()[9], 44);
    EXPECT_EQ(Top()[9], 33);
}

TEST_F(GameOver, EveryFinishedGameIsSaved) {
    EXPECT_FALSE(progresstest::StateFileExists());
    FinishGame(321);
    const std::vector<std::string> saved = progresstest::Pieces(progresstest::ReadStateFile());
    ASSERT_EQ(saved.size(), 141u);
    // Row 2 starts at element 77: (top 0, last 0, top 1, last 1, ...).
    EXPECT_EQ(saved[77], "321");
    EXPECT_EQ(saved[78], "321");
    EXPECT_EQ(saved[79], "0");
}

}  // namespace
