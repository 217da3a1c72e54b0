// hot_path_test.cpp - what the game does on every tick without building new text:
// right-justified numbers put together on the stack against the long way of
// concatenation and slicing, and the menu's score texts, kept between ticks, that
// must still follow every change of a table entry, of the machine and of the rows.
#include <climits>
#include <string>

#include "progress_fixture.h"

namespace {

using progresstest::kKeyDown;
using progresstest::ProgressTest;

// The number's field as plainly as it can be said: width + 1 copies of pad, then
// the digits, then the last width characters (all of it for a width of 0 or less,
// less the first -width characters for a negative width).
std::string Reference(int value, int width, const std::string& pad) {
    std::string s;
    const int copies = width > 0 ? width + 1 : 1;
    for (int i = 0; i < copies; ++i) s += pad;
    s += std::to_string(value);
    const int len = static_cast<int>(s.size());
    int from = -width;
    if (from < 0) from = len + from < 0 ? 0 : len + from;
    if (from > len) from = len;
    return s.substr(static_cast<size_t>(from));
}

class HotPath : public ProgressTest {};

}  // namespace

TEST_F(HotPath, NumberFieldsMatchTheLongWayForEveryPadAndWidth) {
    const char* const pads[] = {"", " ", "0", "ab", "-"};
    const int widths[] = {-2, 0, 1, 2, 3, 5, 8, 10, 40, 60};  // "ab" at 60 is too long for the stack
    const int values[] = {0, 7, -5, 42, 123456, INT_MIN, INT_MAX};
    for (const char* pad : pads) {
        for (int width : widths) {
            for (int value : values) {
                const String got = game->m_rstr(value, width, String(pad));
                EXPECT_EQ(got.ToUtf8(), Reference(value, width, pad))
                    << "value " << value << ", width " << width << ", pad \"" << pad << "\"";
                EXPECT_EQ(game->loopIndex, width > 0 ? width + 1 : 1);
            }
        }
    }
}

TEST_F(HotPath, TheMenuScoreTextsFollowEveryChangeOfTheirTable) {
    MenuReady();
    ASSERT_EQ(game->state, kScreenMenu);
    const int machine = game->machine;
    const int best = (machine - 1) * 10;
    const int last = 50 + best;
    ASSERT_GE(TextLines(255, 200, 100).size(), 3u);
    EXPECT_EQ(TextLines(255, 200, 100)[1], "       0");

    game->scores[best] = 98765;
    game->scores[last + 1] = 4321;
    Tick();
    EXPECT_EQ(TextLines(255, 200, 100)[1], "   98765");
    EXPECT_EQ(TextLines(200, 255, 100)[2], "    4321");

    game->scores[best] = 0;
    Tick();
    EXPECT_EQ(TextLines(255, 200, 100)[1], "       0");
    EXPECT_EQ(TextLines(200, 255, 100)[2], "    4321");

    // Another machine shows its own tables.
    game->scores[machine * 10] = 555;
    TapKey(kKeyDown);
    Tick(20);
    ASSERT_EQ(game->machine, machine + 1);
    EXPECT_EQ(TextLines(255, 200, 100)[1], "     555");
    EXPECT_EQ(TextLines(200, 255, 100)[2], "       0");
}

TEST_F(HotPath, TheMenuScoreTextsFollowTheRowsAShorterScreenLeaves) {
    MenuReady();
    const size_t tall = TextLines(255, 200, 100).size();
    SetWindowSize(640, 240);
    Render();  // the new size starts a reload; the menu resumes after it
    RunLoader();
    Render();
    Tick(40);
    const std::vector<std::string> lines = TextLines(255, 200, 100);
    ASSERT_FALSE(lines.empty());
    EXPECT_LT(lines.size(), tall);
    const std::string heading = lines.size() == 2 ? "Highscore" : "Top " + std::to_string(lines.size() - 1);
    EXPECT_EQ(lines[0], heading);
}
