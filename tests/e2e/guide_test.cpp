// guide_test.cpp - the menu's guide on the real program: at 640 x 480 and fullscreen
// at 1920 x 1080 the screenshots show the selected machine's name, its price line,
// the coins and the controls hint, each found by its own colour, none overlapping
// another, the score panel or the sound switch; unlocking by key changes the coins
// shown and takes the badge off the machine's icon; after a first finished game the
// hint is gone, and stays gone when the program is started again.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/e2e/play_support.h"
#include "tests/e2e/screens.h"
#include "tests/e2e/session.h"

namespace e2e {
namespace {

constexpr int kTextTolerance = 14;
constexpr double kModeSeconds = 15;
constexpr int kPanelWidth = 140;  // virtual units on the right edge

// The guide's colours (the texts are tinted glyphs, their strokes take the tint).
constexpr Rgb kName{255, 230, 120};
constexpr Rgb kPriceLine{120, 255, 200};
constexpr Rgb kCoins{255, 215, 60};
constexpr Rgb kHint{220, 220, 235};

struct Box {
    int x0 = 1 << 20, y0 = 1 << 20, x1 = -1, y1 = -1;
    int pixels = 0;
    bool empty() const { return pixels == 0; }
    bool Meets(const Box& o) const { return !empty() && !o.empty() && x0 <= o.x1 && o.x0 <= x1 && y0 <= o.y1 && o.y0 <= y1; }
    std::string Text() const {
        return std::to_string(pixels) + " px in (" + std::to_string(x0) + "," + std::to_string(y0) + ")-(" +
               std::to_string(x1) + "," + std::to_string(y1) + ")";
    }
};

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Pixels of one colour inside a region (window pixels), as a bounding box. A
// stroke of a glyph has neighbours of its colour; a lone speck of the backdrop
// that happens to match does not count.
Box Find(const Image& shot, Rgb colour, int x, int y, int w, int h) {
    Box b;
    auto match = [&](int px, int py) {
        return px >= 0 && py >= 0 && px < shot.width() && py < shot.height() &&
               Near(shot.At(px, py), colour, kTextTolerance);
    };
    for (int py = std::max(0, y); py < std::min(shot.height(), y + h); ++py) {
        for (int px = std::max(0, x); px < std::min(shot.width(), x + w); ++px) {
            if (!match(px, py)) continue;
            int neighbours = 0;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) neighbours += (dx || dy) && match(px + dx, py + dy) ? 1 : 0;
            if (neighbours < 2) continue;
            b.x0 = std::min(b.x0, px);
            b.y0 = std::min(b.y0, py);
            b.x1 = std::max(b.x1, px);
            b.y1 = std::max(b.y1, py);
            ++b.pixels;
        }
    }
    return b;
}

struct Guide {
    Box name, price, coins, hint;
};

// Each text is looked for where the layout may put it on a screen of `scale`
// window pixels per virtual unit: beside and above the icon column for the name
// and price line, the lower left corner for the coins, the bottom strip for the hint.
Guide FindGuide(const Image& shot, float scale) {
    const int w = shot.width(), h = shot.height();
    const int column = static_cast<int>(w * 0.4f + 72 * scale);
    const int panel = w - static_cast<int>(kPanelWidth * scale);
    const int strip = static_cast<int>(24 * scale);
    Guide g;
    g.name = Find(shot, kName, column, h / 3, panel - column, h - h / 3 - strip);
    g.price = Find(shot, kPriceLine, column, h / 3, panel - column, h - h / 3 - strip);
    g.coins = Find(shot, kCoins, 0, h / 2, static_cast<int>(w * 0.4f - 72 * scale), h / 2 - strip);
    g.hint = Find(shot, kHint, 0, h - strip, panel, strip);
    return g;
}

// Everything present and apart, and clear of the score panel and the sound switch.
void ExpectClear(const Guide& g, const Image& shot, float scale) {
    const std::vector<std::pair<const char*, Box>> boxes = {
        {"name", g.name}, {"price line", g.price}, {"coins", g.coins}, {"hint", g.hint}};
    Box panel, sound;
    panel.x0 = shot.width() - static_cast<int>(kPanelWidth * scale);
    panel.y0 = 0;
    panel.x1 = shot.width();
    panel.y1 = shot.height();
    panel.pixels = 1;
    sound.x0 = 0;
    sound.x1 = static_cast<int>(64 * scale);
    sound.y0 = shot.height() / 2 - static_cast<int>(32 * scale);
    sound.y1 = shot.height() / 2 + static_cast<int>(32 * scale);
    sound.pixels = 1;
    for (size_t i = 0; i < boxes.size(); ++i) {
        EXPECT_GT(boxes[i].second.pixels, 20 * scale) << boxes[i].first << " not found: " << boxes[i].second.Text();
        for (size_t j = i + 1; j < boxes.size(); ++j) {
            EXPECT_FALSE(boxes[i].second.Meets(boxes[j].second))
                << boxes[i].first << " " << boxes[i].second.Text() << " meets " << boxes[j].first << " "
                << boxes[j].second.Text();
        }
        EXPECT_FALSE(boxes[i].second.Meets(panel)) << boxes[i].first << " covers the score panel";
        EXPECT_FALSE(boxes[i].second.Meets(sound)) << boxes[i].first << " covers the sound switch";
    }
}

bool IsStillFullscreenMenu(Session& s, Image* shot) {
    Image previous;
    return s.WaitForShot(
        [&](const Image& img) {
            const bool still = img.width() == kDesktopWidth && Near(img.At(96 - 60, 540), {40, 200, 40}, 90) &&
                               !previous.empty() && SameScreen(previous, img);
            previous = img;
            return still;
        },
        kModeSeconds, shot);
}

// The corner of the selected icon where its lock badge sits.
double BadgeCornerChange(const Image& a, const Image& b) {
    const int x = kSelectedIcon.x + 34, y = kSelectedIcon.y - 66;
    return a.Crop(x, y, 32, 32).DifferenceTo(b.Crop(x, y, 32, 32), 8);
}

TEST(Guide, ShowsNamePriceCoinsAndHintApartAtBothSizesFollowsTheCoinsAndDropsTheHintAfterAGame) {
    Session s("guide");
    ASSERT_TRUE(s.ready());
    ASSERT_TRUE(s.Launch());
    Image first = StillMenu(s);
    ASSERT_TRUE(IsMenu(first));
    s.Keep(first, "640x480");
    const Guide before = FindGuide(first, 1);
    ExpectClear(before, first, 1);

    // Fullscreen at 1920 x 1080: the virtual screen is 640 x 360, three pixels a unit;
    // every machine is still locked, the selected one's badge on its corner.
    s.Key("F11");
    Image full;
    ASSERT_TRUE(IsStillFullscreenMenu(s, &full)) << "no fullscreen menu";
    s.Keep(full, "1920x1080");
    ExpectClear(FindGuide(full, 3), full, 3);
    s.Key("F11");
    ASSERT_TRUE(WaitUntil([&] { return s.Geometry().width == kWindowWidth; }, kModeSeconds));
    first = StillMenu(s);
    ASSERT_TRUE(IsMenu(first));

    // Unlocking machine 1 by key pays 45 coins in: the coins shown change and the
    // badge leaves the icon's corner.
    s.Key("z");
    std::string saved;
    ASSERT_TRUE(s.WaitForStateChange("", kScreenSeconds, &saved)) << "unlocking saved nothing";
    Image unlocked = StillMenu(s);
    s.Keep(unlocked, "unlocked");
    const Guide after = FindGuide(unlocked, 1);
    ASSERT_FALSE(before.coins.empty());
    ASSERT_FALSE(after.coins.empty());
    EXPECT_GT(after.coins.x1 - after.coins.x0, before.coins.x1 - before.coins.x0) << "0 became 45";
    EXPECT_GT(first.Crop(0, 400, 180, 40).DifferenceTo(unlocked.Crop(0, 400, 180, 40), 8), 0.005);
    EXPECT_GT(BadgeCornerChange(first, unlocked), 0.2) << "the badge stayed on the unlocked machine";
    EXPECT_NE(after.price.Text(), before.price.Text()) << "the price line did not change";

    // A game, quit from the pause menu, is a finished game: the hint goes.
    s.Key("z");
    Image playing;
    ASSERT_TRUE(s.WaitForShot([](const Image& img) { return IsPlaying(img, kQuillmorPlat); }, kScreenSeconds,
                              &playing));
    s.Key("Escape");
    int panelY = 0;
    Image paused;
    ASSERT_TRUE(s.WaitForShot(
        [&](const Image& img) {
            for (int y : {kPanelRestoredY, kPanelOpenedY})
                if (PausePanelAt(img, y)) panelY = y;
            return panelY != 0;
        },
        kScreenSeconds, &paused));
    s.Click(MenuButton(panelY).x, MenuButton(panelY).y);
    Image done;
    ASSERT_TRUE(s.WaitForShot(IsMenu, kScreenSeconds, &done)) << "quitting did not lead back to the menu";
    done = StillMenu(s);
    EXPECT_NE(ReadText(s.dir() + "/.tumbleroo-settings").find("first-game-finished=1"), std::string::npos);
    s.Keep(done, "after-game");
    const Guide afterGame = FindGuide(done, 1);
    EXPECT_TRUE(afterGame.hint.empty()) << "the hint is still there: " << afterGame.hint.Text();
    EXPECT_FALSE(afterGame.name.empty());
    EXPECT_EQ(s.Close(kExitSeconds), 0);

    ASSERT_TRUE(s.Launch());
    Image again = StillMenu(s);
    s.Keep(again, "restarted");
    EXPECT_TRUE(IsMenu(again));
    EXPECT_TRUE(FindGuide(again, 1).hint.empty()) << "the hint came back after a restart";
    EXPECT_FALSE(FindGuide(again, 1).coins.empty());
    EXPECT_EQ(s.Close(kExitSeconds), 0);
}

}  // namespace
}  // namespace e2e
