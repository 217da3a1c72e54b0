// start_menu_test.cpp - the program from its start: the centred, titled window,
// the loading screen and then the menu; the menu by keyboard (unlocking with the
// first action key, moving the selection, Escape) and the credits box by the
// pointer; closing the window; running without data/ and without a display.
#include <gtest/gtest.h>

#include "tests/e2e/play_support.h"
#include "tests/e2e/progress_file.h"
#include "tests/e2e/screens.h"
#include "tests/e2e/session.h"

namespace e2e {
namespace {

constexpr double kPlacementSeconds = 5;
// The selection band and the list around it.
constexpr int kListX = 180, kListY = 150, kListW = 160, kListH = 330;

double ListChange(const Image& a, const Image& b) {
    return a.Crop(kListX, kListY, kListW, kListH).DifferenceTo(b.Crop(kListX, kListY, kListW, kListH), 8);
}

TEST(Start, OpensTheCentredWindowShowsLoadingThenTheMenuAndClosesWithZero) {
    Session s("start");
    ASSERT_TRUE(s.ready()) << "display or window manager did not start";
    ASSERT_TRUE(s.Launch()) << "no window titled Tumbleroo";

    // The window is opened, then moved to the centre; the window manager may show
    // it for a moment before the move has been carried out.
    hosttest::WindowInfo g;
    WaitUntil(
        [&] {
            g = s.Geometry();
            return g.x == (kDesktopWidth - kWindowWidth) / 2 && g.y == (kDesktopHeight - kWindowHeight) / 2;
        },
        kPlacementSeconds);
    EXPECT_EQ(g.width, kWindowWidth);
    EXPECT_EQ(g.height, kWindowHeight);
    EXPECT_EQ(g.x, (kDesktopWidth - kWindowWidth) / 2) << "centred horizontally";
    EXPECT_EQ(g.y, (kDesktopHeight - kWindowHeight) / 2) << "centred vertically";

    Image loading;
    ASSERT_TRUE(s.WaitForShot(IsLoadingScreen, kScreenSeconds, &loading)) << "no loading screen";
    s.Keep(loading, "loading");

    Image menu = StillMenu(s);
    ASSERT_TRUE(IsMenu(menu)) << "the menu did not follow the loading screen";
    s.Keep(menu, "menu");
    // Pictures, text and icons: a drawn menu holds many colours.
    EXPECT_GT(menu.CountColours(2000), 1000);

    EXPECT_EQ(s.Close(kExitSeconds), 0);
    EXPECT_EQ(s.Output(), "") << "a first start has no saved progress to report";
    EXPECT_TRUE(s.ReadState().empty()) << "nothing was saved without a reason";
}

TEST(Menu, KeyboardUnlocksMovesAndIgnoresEscapeWhileTheTitleOpensTheCredits) {
    Session s("menu");
    ASSERT_TRUE(s.ready());
    ASSERT_TRUE(s.Launch());
    Image first = StillMenu(s);
    ASSERT_TRUE(IsMenu(first));

    // The first action key on machine 1 buys it: 45 coins are paid in, the unlock
    // bit is set and saved at once, and the game does not start on that press.
    s.Key("z");
    std::string saved;
    ASSERT_TRUE(s.WaitForStateChange("", kScreenSeconds, &saved)) << "unlocking saved nothing";
    ParsedProgress p = ParseProgress(saved);
    ASSERT_TRUE(p.wellFormed) << saved;
    EXPECT_TRUE(p.AllValid()) << "checksums of the saved file: " << saved;
    EXPECT_EQ(p.values.settings[2], 1) << "unlock bit of machine 1";
    EXPECT_EQ(p.values.settings[3], 45) << "coins";
    EXPECT_EQ(p.values.settings[5], 1) << "sound still on";
    EXPECT_EQ(p.values.settings[1], 1) << "last machine";
    Image afterUnlock = StillMenu(s);
    EXPECT_TRUE(IsMenu(afterUnlock)) << "the unlocking press also started the machine";

    // Down selects machine 2 (the list moves one entry), Up brings machine 1 back.
    s.Key("Down");
    Image second = StillMenu(s);
    EXPECT_GT(ListChange(afterUnlock, second), 0.05) << "Down did not move the list";
    s.Key("Up");
    Image back = StillMenu(s);
    EXPECT_LT(ListChange(afterUnlock, back), 0.01) << "Up did not bring machine 1 back";
    // Up on the first machine does nothing.
    s.Key("Up");
    EXPECT_LT(ListChange(afterUnlock, StillMenu(s)), 0.01);

    // Escape in the menu neither closes the program nor changes the screen.
    s.Key("Escape");
    Image afterEscape = StillMenu(s);
    EXPECT_TRUE(s.running());
    EXPECT_TRUE(SameScreen(back, afterEscape));
    EXPECT_EQ(s.ReadState(), saved) << "Escape changed the saved progress";

    // The title picture opens the credits box; a press anywhere closes it.
    s.Click(kCreditsButton.x, kCreditsButton.y);
    Image credits;
    ASSERT_TRUE(s.WaitForShot(IsCreditsOpen, kScreenSeconds, &credits)) << "no credits box";
    s.Keep(credits, "credits");
    s.Click(320, 420);
    Image closed;
    EXPECT_TRUE(s.WaitForShot([](const Image& img) { return IsMenu(img) && !IsCreditsOpen(img); }, kScreenSeconds,
                              &closed));
    EXPECT_TRUE(SameScreen(StillMenu(s), back)) << "closing the credits changed the menu";

    EXPECT_EQ(s.Close(kExitSeconds), 0);
}

TEST(Start, WithoutDataItRunsWithoutPicturesAndClosesWithZero) {
    Session::Options o;
    o.withData = false;
    Session s("nodata", o);
    ASSERT_TRUE(s.ready());
    ASSERT_TRUE(s.Launch());
    // After the loading screen the menu draws only its flat rectangles (the dark
    // blue clear colour, the score panel, the highlight) in a handful of colours:
    // no sprite, no glyph.
    Image shot;
    ASSERT_TRUE(s.WaitForShot(
        [](const Image& img) { return !IsLoadingScreen(img) && Near(img.At(10, 100), {0, 0, 80}, 4); },
        kScreenSeconds, &shot))
        << "the menu's clear colour never showed";
    s.Keep(shot, "screen");
    EXPECT_LT(shot.CountColours(64), 16);
    EXPECT_TRUE(Near(shot.At(kSoundSwitch.x, kSoundSwitch.y), {0, 0, 80}, 4)) << "the sound switch has no picture";
    EXPECT_TRUE(s.running());
    EXPECT_EQ(s.Close(kExitSeconds), 0);
}

TEST(Start, WithoutADisplayItSaysSoAndExitsWith255) {
    hosttest::TempDir dir;
    hosttest::ChildProcess child = hosttest::Spawn(
        TUMBLEROO_BINARY_DIR "/tumbleroo", dir.path(), hosttest::EnvironmentWithout({"DISPLAY", "WAYLAND_DISPLAY"}, {}));
    EXPECT_EQ(hosttest::WaitExit(child, kExitSeconds), 255);
    EXPECT_EQ(hosttest::ReadAll(child), "glfwInit failed\n");
}

}  // namespace
}  // namespace e2e
