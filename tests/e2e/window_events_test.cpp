// window_events_test.cpp - what the window manager does to a game in progress:
// iconifying saves at once and brings the pause menu back fully open, resuming
// continues the game, and the pause menu's menu button ends it into the tables;
// resizing reloads the pictures at the large tier and the game goes on where it
// was; a state file with one damaged row.
#include <gtest/gtest.h>

#include <unistd.h>

#include "tests/e2e/play_support.h"

namespace e2e {
namespace {

constexpr int kSeededLast = 321;
constexpr int kLargeWidth = 1300, kLargeHeight = 1000;
bool ReelsMoving(Session& s) {
    Image first = s.Shot(), later;
    return s.WaitForShot([&](const Image& b) { return ReelChange(first, b) > 0.02; }, kScreenSeconds, &later);
}

TEST(Pause, IconifyingSavesAndReturnsPausedResumeContinuesAndTheMenuButtonEndsTheGame) {
    Session s("pause");
    ASSERT_TRUE(s.ready());
    Progress seed = SeededProgress(kDice);
    seed.last[kDice - 1][0] = kSeededLast;
    ASSERT_TRUE(WriteFile(s.StatePath(), seed.Serialise()));
    ASSERT_TRUE(s.Launch());
    std::vector<Mask> before = LastColumnRows(StillMenu(s));
    Image playing;
    ASSERT_TRUE(StartSelectedMachine(s, kDice, &playing));
    // The file was read at start-up; from now on only a save brings it back.
    ASSERT_EQ(unlink(s.StatePath().c_str()), 0);

    s.Click(kSpin.x, kSpin.y);
    ASSERT_TRUE(ReelsMoving(s)) << "SPIN did not start the reels";
    s.Iconify();
    std::string saved;
    ASSERT_TRUE(s.WaitForStateChange("", kScreenSeconds, &saved)) << "iconifying did not save";
    ParsedProgress p = ParseProgress(saved);
    EXPECT_TRUE(p.AllValid()) << saved;
    EXPECT_EQ(p.values.last[kDice - 1][0], kSeededLast);
    EXPECT_EQ(p.values.settings[1], kDice);

    // Back from the task bar, the pause menu is there at once, fully open (its
    // centre at half the height, not where a slide-in stops).
    s.Restore();
    Image paused;
    ASSERT_TRUE(s.WaitForShot([](const Image& img) { return PausePanelAt(img, kPanelRestoredY); }, kScreenSeconds,
                              &paused))
        << "no pause menu after restoring";
    EXPECT_FALSE(PausePanelAt(paused, kPanelOpenedY));
    EXPECT_FALSE(IsPlaying(paused, kDice)) << "the game is darkened under the pause menu";
    s.Keep(paused, "paused");

    // Resume: the panel slides away and the game takes clicks again.
    s.Click(ResumeButton(kPanelRestoredY).x, ResumeButton(kPanelRestoredY).y);
    Image resumed;
    ASSERT_TRUE(s.WaitForShot([](const Image& img) { return IsPlaying(img, kDice); }, kScreenSeconds, &resumed));
    StillReels(s, kDice);
    s.Click(kSpin.x, kSpin.y);
    bool moving = ReelsMoving(s);
    EXPECT_TRUE(moving) << "the second spin of the turn did not start after resuming";

    // Escape opens the pause menu by sliding it in; its menu button ends the game,
    // which the menu then records.
    s.Key("Escape");
    // The panel slides in 24 units a tick until its centre reaches half the
    // height; where it stops depends on where the last slide-out left it.
    Image opened;
    int panelY = 0;
    ASSERT_TRUE(s.WaitForShot(
        [&](const Image& img) {
            for (int y : {kPanelRestoredY, kPanelOpenedY})
                if (PausePanelAt(img, y)) panelY = y;
            return panelY != 0;
        },
        kScreenSeconds, &opened))
        << "Escape did not open the pause menu";
    s.Keep(opened, "pausemenu");
    s.Click(MenuButton(panelY).x, MenuButton(panelY).y);
    std::string ended;
    ASSERT_TRUE(s.WaitForStateChange(saved, kScreenSeconds, &ended)) << "quitting from the pause menu saved nothing";
    p = ParseProgress(ended);
    ASSERT_TRUE(p.AllValid()) << ended;
    EXPECT_EQ(p.values.last[kDice - 1][1], kSeededLast) << "the quit game was not entered in front of it";
    Image menu = StillMenu(s);
    ASSERT_TRUE(IsMenu(menu));
    std::vector<Mask> rows = LastColumnRows(menu);
    ASSERT_EQ(rows.size(), before.size());
    EXPECT_TRUE(rows[2].SameShape(before[1])) << "the older score is not on the second row";
    EXPECT_EQ(s.Close(kExitSeconds), 0);
}

TEST(Resize, ReloadsAtTheLargeTierAndTheGameGoesOnWhereItWas) {
    Session s("resize");
    ASSERT_TRUE(s.ready());
    ASSERT_TRUE(WriteFile(s.StatePath(), SeededProgress(kDice).Serialise()));
    ASSERT_TRUE(s.Launch());
    StillMenu(s);
    Image playing;
    ASSERT_TRUE(StartSelectedMachine(s, kDice, &playing));
    Image small = StillReels(s, kDice);
    ASSERT_TRUE(IsPlaying(small, kDice));

    s.Resize(kLargeWidth, kLargeHeight);
    Image loading;
    ASSERT_TRUE(s.WaitForShot(
        [](const Image& img) { return img.width() == kLargeWidth && IsLoadingScreenAnySize(img); }, kScreenSeconds,
        &loading))
        << "no loading screen after the resize";
    s.Keep(loading, "loading");
    // The virtual screen is fitted by the height (1000 / 480): the frame pixel of
    // the 640 x 480 layout lands at twice and a bit its position.
    const double scale = static_cast<double>(kLargeHeight) / kWindowHeight;
    Image large;
    ASSERT_TRUE(s.WaitForShot(
        [&](const Image& img) {
            return img.width() == kLargeWidth &&
                   Near(img.At(static_cast<int>(kFramePixel.x * scale), static_cast<int>(kFramePixel.y * scale)),
                        FrameColour(kDice), 14);
        },
        kScreenSeconds, &large))
        << "the game did not come back at the large size";
    large = s.Shot();
    s.Keep(large, "large");
    // Pictures drawn from the large sheets keep their edges; the small frame merely
    // stretched to the same size would be soft.
    Image stretched = small.Scaled(kLargeWidth, kLargeHeight);
    double sharp = large.EdgeEnergy(0, 0, kLargeWidth, kLargeHeight);
    double soft = stretched.EdgeEnergy(0, 0, kLargeWidth, kLargeHeight);
    EXPECT_GT(sharp, soft * 1.6) << "edge energy " << sharp << " against a stretched frame's " << soft;

    s.Resize(kWindowWidth, kWindowHeight);
    Image back;
    ASSERT_TRUE(s.WaitForShot([](const Image& img) { return img.width() == kWindowWidth && IsPlaying(img, kDice); },
                              kScreenSeconds, &back));
    back = StillReels(s, kDice);
    s.Keep(small, "small");
    s.Keep(back, "back");
    EXPECT_TRUE(SameScreen(small, back)) << "the game did not resume where it was";
    EXPECT_EQ(s.Close(kExitSeconds), 0);
}

TEST(SavedProgress, ADamagedRowIsReportedAndClearedWhileTheRestIsKept) {
    Session s("damaged");
    ASSERT_TRUE(s.ready());
    Progress seed = SeededProgress(kDice);
    seed.settings[3] = 12;
    seed.badgeWords[0] = static_cast<std::int32_t>(0x80000001u);  // bit 31 set: written negative
    for (int m = 0; m < kMachines; ++m) {
        seed.top[m][0] = 1000 * (m + 1);
        seed.last[m][0] = 100 * (m + 1);
    }
    std::string text = seed.Serialise();
    // Damage row 2 (machine 3): change its best score without fixing its checksum.
    std::string good = "|" + std::to_string(seed.top[2][0]) + "|" + std::to_string(seed.last[2][0]) + "|";
    std::size_t at = text.find(good);
    ASSERT_NE(at, std::string::npos);
    text.replace(at, good.size(), "|3001|" + std::to_string(seed.last[2][0]) + "|");
    ASSERT_TRUE(WriteFile(s.StatePath(), text));

    ASSERT_TRUE(s.Launch());
    ASSERT_TRUE(s.WaitForOutput("Highscore 4 Loaded\n", kScreenSeconds)) << s.Output();
    EXPECT_EQ(s.Output(),
              "Settings Loaded\nBadges Loaded\nHighscore 0 Loaded\nHighscore 1 Loaded\n"
              "Highscore 2 Checksum Invalid\nHighscore 3 Loaded\nHighscore 4 Loaded\n");
    StillMenu(s);

    // Iconifying saves what was loaded: the damaged row cleared, the rest as given.
    s.Iconify();
    std::string saved;
    ASSERT_TRUE(s.WaitForStateChange(text, kScreenSeconds, &saved));
    ParsedProgress p = ParseProgress(saved);
    ASSERT_TRUE(p.AllValid()) << saved;
    EXPECT_EQ(p.values.settings, seed.settings);
    EXPECT_EQ(p.values.badgeWords, seed.badgeWords);
    for (int m = 0; m < kMachines; ++m) {
        bool damaged = m == 2;
        EXPECT_EQ(p.values.top[m][0], damaged ? 0 : seed.top[m][0]) << "row " << m;
        EXPECT_EQ(p.values.last[m][0], damaged ? 0 : seed.last[m][0]) << "row " << m;
    }
    s.Restore();
    Image menu;
    EXPECT_TRUE(s.WaitForShot(IsMenu, kScreenSeconds, &menu)) << "the menu did not come back";
    EXPECT_FALSE(PausePanelAt(menu, kPanelRestoredY)) << "no pause menu over the menu";
    EXPECT_EQ(s.Close(kExitSeconds), 0);
}

}  // namespace
}  // namespace e2e
