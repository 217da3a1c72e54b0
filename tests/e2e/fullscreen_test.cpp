// fullscreen_test.cpp - the window and fullscreen as a player meets them under a
// window manager: F11 and Alt+Enter fill the 1920 x 1080 screen with the game
// fitted to it and bring the window back to its size and place; a game closed in
// fullscreen starts in fullscreen; `--windowed` and a damaged settings file start
// in the window. Also: a click or a key stroke whose press and release reach the
// game between two ticks acts, once.
#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/e2e/play_support.h"

namespace e2e {
namespace {

constexpr double kModeSeconds = 20;
// The menu's virtual screen fitted by the height of the full screen.
constexpr double kFullScale = static_cast<double>(kDesktopHeight) / kWindowHeight;

std::string SettingsPath(const Session& s) { return s.dir() + "/.tumbleroo-settings"; }

bool FillsScreen(const hosttest::WindowInfo& g) {
    return g.x == 0 && g.y == 0 && g.width == kDesktopWidth && g.height == kDesktopHeight;
}

bool SamePlace(const hosttest::WindowInfo& a, const hosttest::WindowInfo& b) {
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

// The menu drawn over the whole screen: its sound switch where the fit puts it.
bool IsFullscreenMenu(const Image& shot) {
    if (shot.width() != kDesktopWidth || shot.height() != kDesktopHeight) return false;
    Rgb c = shot.At(static_cast<int>((kSoundSwitch.x - 20) * kFullScale), static_cast<int>(kSoundSwitch.y * kFullScale));
    return c.g > 150 && c.r < 110 && c.b < 110;
}

constexpr int kPlacementSlack = 32;

bool NearPlace(const hosttest::WindowInfo& a, const hosttest::WindowInfo& b) {
    return std::abs(a.x - b.x) <= kPlacementSlack && std::abs(a.y - b.y) <= kPlacementSlack && a.width == b.width &&
           a.height == b.height;
}

bool WaitForFullscreenMenu(Session& s, Image* shot) {
    return WaitUntil([&] { return FillsScreen(s.Geometry()); }, kModeSeconds) &&
           s.WaitForShot(IsFullscreenMenu, kModeSeconds, shot);
}

bool WaitForWindowAt(Session& s, const hosttest::WindowInfo& where) {
    return WaitUntil([&] { return SamePlace(s.Geometry(), where); }, kModeSeconds);
}

TEST(Fullscreen, F11AndAltEnterFillTheScreenAndRestoreTheWindowAndTheModeIsRemembered) {
    Session s("fullscreen");
    ASSERT_TRUE(s.ready());
    ASSERT_TRUE(s.Launch());
    Image menu = StillMenu(s);
    ASSERT_TRUE(IsMenu(menu));
    hosttest::WindowInfo window = s.Geometry();
    ASSERT_EQ(window.width, kWindowWidth);

    for (const char* keys : {"F11", "alt+Return"}) {
        s.Key(keys);
        Image full;
        ASSERT_TRUE(WaitForFullscreenMenu(s, &full)) << keys << " did not fill the screen";
        s.Keep(full, std::string("full-") + keys);
        s.Key(keys);
        ASSERT_TRUE(WaitForWindowAt(s, window)) << keys << " did not bring the window back to " << window.x << ","
                                                << window.y;
        Image back;
        ASSERT_TRUE(s.WaitForShot(IsMenu, kScreenSeconds, &back)) << keys;
        EXPECT_EQ(back.width(), kWindowWidth);
    }
    // Enter on a fresh cabinet's menu would unlock the first machine and save.
    EXPECT_TRUE(IsMenu(StillMenu(s)));
    EXPECT_EQ(s.ReadState(), "") << "Alt+Enter also confirmed on the menu";
    std::string settings;
    ASSERT_TRUE(ReadFile(SettingsPath(s), &settings));
    EXPECT_EQ(settings, "window=windowed\n");

    // Closed in fullscreen, the next start is in fullscreen.
    s.Key("F11");
    Image full;
    ASSERT_TRUE(WaitForFullscreenMenu(s, &full));
    EXPECT_EQ(s.Close(kExitSeconds), 0);
    ASSERT_TRUE(ReadFile(SettingsPath(s), &settings));
    EXPECT_EQ(settings, "window=fullscreen\n");
    ASSERT_TRUE(s.Launch());
    ASSERT_TRUE(WaitForFullscreenMenu(s, &full)) << "the remembered fullscreen was not restored at start";
    s.Keep(full, "restarted");
    // Started in fullscreen, the window it leaves for is the centred one of a start.
    // That window was never shown before the switch, so the window manager places
    // it afresh: its size is exact, its place within a title bar's height (a busy
    // machine has seen 7 pixels lower).
    s.Key("F11");
    EXPECT_TRUE(WaitUntil([&] { return NearPlace(s.Geometry(), window); }, kModeSeconds)) << "at " << s.Geometry().x << "," << s.Geometry().y << " "
                                            << s.Geometry().width << "x" << s.Geometry().height;
    EXPECT_EQ(s.Close(kExitSeconds), 0);
}

TEST(Fullscreen, TheWindowedOptionAndADamagedSettingsFileStartInTheWindow) {
    Session::Options options;
    options.args = {"--windowed"};
    Session s("windowed", options);
    ASSERT_TRUE(s.ready());
    ASSERT_TRUE(WriteFile(SettingsPath(s), "window=fullscreen\n"));
    ASSERT_TRUE(s.Launch());
    Image menu = StillMenu(s);
    EXPECT_TRUE(IsMenu(menu));
    EXPECT_EQ(s.Geometry().width, kWindowWidth);
    EXPECT_EQ(s.Close(kExitSeconds), 0);
    std::string settings;
    ASSERT_TRUE(ReadFile(SettingsPath(s), &settings));
    EXPECT_EQ(settings, "window=windowed\n") << "the option's choice is remembered";

    Session d("damaged-settings");
    ASSERT_TRUE(d.ready());
    ASSERT_TRUE(WriteFile(SettingsPath(d), std::string("window=fullscreen\n\0\0\x7f\x01garbage", 29)));
    ASSERT_TRUE(d.Launch());
    menu = StillMenu(d);
    EXPECT_TRUE(IsMenu(menu));
    EXPECT_EQ(d.Geometry().width, kWindowWidth);
    EXPECT_TRUE(d.running());
    EXPECT_EQ(d.Close(kExitSeconds), 0);
}

// xdotool's click and key send the press and the release back to back: both reach
// the program in one event poll, before the next tick reads the button.
TEST(QuickPress, AClickAndAKeyStrokeBetweenTwoTicksActOnce) {
    Session s("quickpress");
    ASSERT_TRUE(s.ready());
    ASSERT_TRUE(WriteFile(s.StatePath(), SeededProgress(kDice).Serialise()));
    ASSERT_TRUE(s.Launch());
    Image menu = StillMenu(s);

    s.QuickClick(kSoundSwitch.x, kSoundSwitch.y);
    const int x = kSoundSwitch.x - 32, y = kSoundSwitch.y - 32, side = 64;
    Image off;
    ASSERT_TRUE(s.WaitForShot(
        [&](const Image& img) {
            return IsMenu(img) && img.Crop(x, y, side, side).DifferenceTo(menu.Crop(x, y, side, side), 8) > 0.02;
        },
        kScreenSeconds, &off))
        << "a quick click on the sound switch did nothing";
    s.Keep(off, "sound-off");
    // Iconifying saves: the switch was turned once, to off.
    s.Iconify();
    std::string saved;
    ASSERT_TRUE(s.WaitForStateChange(SeededProgress(kDice).Serialise(), kScreenSeconds, &saved));
    ParsedProgress p = ParseProgress(saved);
    ASSERT_TRUE(p.AllValid()) << saved;
    EXPECT_EQ(p.values.settings[5], 0) << "sound";
    s.Restore();
    ASSERT_TRUE(s.WaitForShot(IsMenu, kScreenSeconds, &menu));

    Image playing;
    ASSERT_TRUE(StartSelectedMachine(s, kDice, &playing));
    StillReels(s, kDice);
    s.QuickKey("Escape");
    Image paused;
    EXPECT_TRUE(s.WaitForShot(
        [](const Image& img) { return PausePanelAt(img, kPanelOpenedY) || PausePanelAt(img, kPanelRestoredY); },
        kScreenSeconds, &paused))
        << "a quick Escape did not open the pause menu";
    s.Keep(paused, "paused");
    EXPECT_EQ(s.Close(kExitSeconds), 0);
}

}  // namespace
}  // namespace e2e
