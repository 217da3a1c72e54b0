// machines_test.cpp - a whole game on each of the five machines, started from the
// menu with a tap on the selected icon and played by clicks on the machine's own
// controls until its three lives are gone; the game-over overlay hands back to
// the menu, which takes the score into the last-ten table on screen and in the
// state file. The Dice scenario then restarts the program in the same folder.
#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/play_support.h"

namespace e2e {
namespace {

// Cubewick and QuillmorPlat lose a life by chance or by the run timer; a whole
// game stays well inside this.
constexpr double kGameSeconds = 200;
// Scores already in the table before the game: the new one is written in front.
constexpr int kSeededLast = 777;
constexpr int kSeededTop = 900000;

const std::string kLoadMessages =
    "Settings Loaded\nBadges Loaded\nHighscore 0 Loaded\nHighscore 1 Loaded\nHighscore 2 Loaded\n"
    "Highscore 3 Loaded\nHighscore 4 Loaded\n";

bool OnlyRunLengths(const std::string& text) {
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) return false;
        std::string line = text.substr(start, end - start);
        if (line.size() < 2 || line[0] != 'C' || line.find_first_not_of("0123456789", 1) != std::string::npos)
            return false;
        start = end + 1;
    }
    return true;
}

struct Case {
    int machine;
    const char* name;
};

class WholeGame : public ::testing::TestWithParam<Case> {};

std::string Describe(const std::vector<Mask>& rows) {
    std::string d;
    for (const Mask& m : rows) d += std::to_string(m.Count()) + " ";
    return d;
}

TEST_P(WholeGame, EndsWhenTheLivesAreLostAndTheMenuRecordsTheScore) {
    const Case c = GetParam();
    const int row = c.machine - 1;
    Session s(c.name);
    ASSERT_TRUE(s.ready());
    Progress seed = SeededProgress(c.machine);
    seed.last[row][0] = kSeededLast;
    seed.top[row][0] = kSeededTop;  // out of reach: the new score lands below it
    std::string seeded = seed.Serialise();
    ASSERT_TRUE(WriteFile(s.StatePath(), seeded));
    ASSERT_TRUE(s.Launch());

    Image menu = StillMenu(s);
    ASSERT_TRUE(IsMenu(menu));
    std::vector<Mask> before = LastColumnRows(menu);
    ASSERT_GE(before.size(), 4u) << "heading and rows of the last-ten column: " << Describe(before);

    Image playing;
    ASSERT_TRUE(StartSelectedMachine(s, c.machine, &playing)) << "machine " << c.machine << " did not start";
    s.Keep(playing, "play");

    GameResult game = PlayUntilSaved(s, ControlsOf(c.machine), seeded, kGameSeconds);
    ASSERT_TRUE(game.ended) << "the game did not end and save";
    ASSERT_FALSE(game.overlay.empty()) << "no game-over overlay was seen";
    s.Keep(game.overlay, "gameover");

    ParsedProgress p = ParseProgress(game.saved);
    ASSERT_TRUE(p.AllValid()) << game.saved;
    const int score = p.values.last[row][0];
    EXPECT_GE(score, 0);
    EXPECT_EQ(p.values.last[row][1], kSeededLast) << "the older score moved one place down";
    EXPECT_EQ(p.values.top[row][0], kSeededTop);
    EXPECT_EQ(p.values.top[row][1], score > 0 ? score : 0) << "a score above zero enters the top ten";
    EXPECT_EQ(p.values.settings[1], c.machine);
    for (int other = 0; other < kMachines; ++other) {
        if (other == row) continue;
        EXPECT_EQ(p.values.last[other][0], 0) << "machine " << other + 1 << " was not played";
    }

    // On screen: the seeded score now stands on the second row, and the first row
    // shows the new score, which looks like the zeros below it only when it is 0.
    Image after = StillMenu(s);
    ASSERT_TRUE(IsMenu(after));
    s.Keep(after, "menu");
    std::vector<Mask> rows = LastColumnRows(after);
    ASSERT_EQ(rows.size(), before.size()) << Describe(before) << "/ " << Describe(rows);
    EXPECT_TRUE(rows[2].SameShape(before[1])) << "seeded score not on the second row: " << Describe(rows);
    EXPECT_EQ(rows[1].SameShape(before[2]), score == 0) << "first row against a zero row, score " << score;

    EXPECT_EQ(s.Close(kExitSeconds), 0);
    // Beside the load messages only Fizzcrate's run lengths ("C" and a number) are
    // printed, one per searched run.
    std::string out = s.Output();
    ASSERT_EQ(out.compare(0, kLoadMessages.size(), kLoadMessages), 0) << out;
    EXPECT_TRUE(OnlyRunLengths(out.substr(kLoadMessages.size()))) << out;

    if (c.machine != kDice) return;
    // A restart in the same folder reports every section and shows the same table.
    ASSERT_TRUE(s.Launch());
    EXPECT_TRUE(s.WaitForOutput("Highscore 4 Loaded\n", kScreenSeconds)) << s.Output();
    Image restarted = StillMenu(s);
    s.Keep(restarted, "restarted");
    std::vector<Mask> restartedRows = LastColumnRows(restarted);
    ASSERT_EQ(restartedRows.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) EXPECT_TRUE(restartedRows[i].SameShape(rows[i])) << "row " << i;
    EXPECT_EQ(s.Close(kExitSeconds), 0);
    EXPECT_EQ(s.Output(), kLoadMessages);
}

INSTANTIATE_TEST_SUITE_P(Machines, WholeGame,
                         ::testing::Values(Case{kQuillmorPlat, "quillmorplat"}, Case{kCubewick, "cubewick"},
                                           Case{kCometrow, "cometrow"}, Case{kFizzcrate, "fizzcrate"},
                                           Case{kDice, "dice"}),
                         [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace e2e
