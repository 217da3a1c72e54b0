// menu_guide_test.cpp - the menu's guide and the lost-life note, on the real game
// object fed through the real input device: the menu's own records stay as they
// were tick for tick (against a game that leaves the guide out), the texts follow
// the selection, the unlock and the coins, the elements keep clear of each other and
// of the score tables and sound switch at several window sizes, and the controls
// hint goes for good after a first finished game.
#include <filesystem>
#include <string>
#include <vector>

#include "progress_fixture.h"

namespace {

using gametest::Record;
using progresstest::kKeyDown;
using progresstest::kKeyEscape;
using progresstest::kKeyZ;
using progresstest::ProgressTest;

// Colours of the guide's texts and of the menu's score lists.
struct Colour {
    float r, g, b;
};
constexpr Colour kName{255, 230, 120};
constexpr Colour kLock{120, 255, 200};
constexpr Colour kCoins{255, 215, 60};
constexpr Colour kHint{220, 220, 235};
constexpr Colour kBest{255, 200, 100};
constexpr Colour kLast{200, 255, 100};
constexpr int kFrameLockBadge = 14;
constexpr int kFrameCoin = 15;
constexpr int kFrameSoundOn = 4;

// The same game without its guide: what the menu drew before the guide existed.
struct GuideLessGame : kx_Tumbleroo_MyApp {
    int m_MenuGuide() override { return 0; }
};
kx_Tumbleroo_MyApp* MakeGuideLess() { return new GuideLessGame(); }

struct Box {
    float x0 = 1e9f, y0 = 1e9f, x1 = -1e9f, y1 = -1e9f;
    bool empty() const { return x1 < x0; }
    void Add(float cx, float cy, float halfW, float halfH) {
        x0 = std::min(x0, cx - halfW);
        y0 = std::min(y0, cy - halfH);
        x1 = std::max(x1, cx + halfW);
        y1 = std::max(y1, cy + halfH);
    }
    bool Meets(const Box& o) const { return !empty() && !o.empty() && x0 < o.x1 && o.x0 < x1 && y0 < o.y1 && o.y0 < y1; }
};

std::string Describe(const Box& b) {
    return "(" + std::to_string(b.x0) + "," + std::to_string(b.y0) + ")-(" + std::to_string(b.x1) + "," +
           std::to_string(b.y1) + ")";
}

class MenuGuide : public ProgressTest {
protected:
    // Earlier tests in this process may have finished games in the same folder.
    void SetUp() override {
        ASSERT_TRUE(gametest::EnsureProcess());
        RemoveSettingsFile();
        ProgressTest::SetUp();
    }
    void TearDown() override {
        RemoveSettingsFile();
        ProgressTest::TearDown();
    }
    static std::string SettingsPath() {
        return (std::filesystem::path(gametest::WorkDir()) / ".tumbleroo-settings").string();
    }
    static void RemoveSettingsFile() {
        std::error_code ec;
        std::filesystem::remove(SettingsPath(), ec);
    }
    std::vector<std::string> Lines(Colour c) const { return TextLines(c.r, c.g, c.b); }
    std::vector<float> List() const { return {game->drawList.Data(), game->drawList.Data() + game->drawCount}; }
    std::vector<Record> Frames(int frame) const {
        std::vector<Record> out;
        for (const Record& r : SlotRecords(kImgMachineIcons)) {
            if (static_cast<int>(r.frame) == frame) out.push_back(r);
        }
        return out;
    }
    // Glyphs take an advance by a line height each; images their frame at its size.
    Box TextBox(Colour c) const {
        Box b;
        const float advance = static_cast<float>(game->slotInfo[game->fontSlot * 3]);
        const float line = static_cast<float>(game->slotInfo[game->fontSlot * 3 + 1]);
        for (const Record& r : SlotRecords(game->fontSlot)) {
            if (r.r == c.r && r.g == c.g && r.b == c.b) b.Add(r.x, r.y, advance * r.w / 2, line * r.h / 2);
        }
        return b;
    }
    Box ImageBox(const Record& r, int slot) const {
        Box b;
        const float side = static_cast<float>(game->slotInfo[3 * slot]) * game->imageScale;
        b.Add(r.x, r.y, side * r.w / 2, side * r.h / 2);
        return b;
    }
    // The menu through one scripted run, the list of every tick kept.
    std::vector<std::vector<float>> Script() {
        std::vector<std::vector<float>> lists;
        auto keep = [&](int ticks) {
            for (int i = 0; i < ticks; ++i) {
                Tick();
                lists.push_back(List());
            }
        };
        RunLoader();
        Render();
        keep(40);
        TapKey(kKeyDown);
        keep(20);
        TapKey(kKeyZ);  // machine 2 pays its 20 coins in
        keep(5);
        PressAt(420, 300);  // a drag beside the list scrolls it
        keep(1);
        MoveMouse(420 * Scale(), 200 * Scale());
        keep(3);
        ReleaseAndTick();
        keep(20);
        ClickAt(570, 40);  // the credits box opens over the menu
        keep(5);
        return lists;
    }
};

// ---------------------------------------------------------------------------
// The menu's own records
// ---------------------------------------------------------------------------

TEST_F(MenuGuide, TheMenusOwnRecordsAreUnchangedTickForTickAndTheGuideComesAfterThem) {
    RecreateWith(MakeGuideLess);
    const std::vector<std::vector<float>> before = Script();
    progresstest::RemoveStateFile();
    Recreate();
    const std::vector<std::vector<float>> after = Script();
    ASSERT_EQ(before.size(), after.size());
    // The guide's records go in between the menu's and the credits box's (which
    // runs after the menu): everything before them and after them is as it was.
    for (size_t t = 0; t < before.size(); ++t) {
        const std::vector<float>& b = before[t];
        const std::vector<float>& a = after[t];
        ASSERT_GT(a.size(), b.size()) << "tick " << t << " drew no guide";
        const size_t guide = a.size() - b.size();
        size_t from = 0;
        while (from < b.size() && a[from] == b[from]) ++from;
        from -= from % kRecordFloats;
        ASSERT_GE(from, 4u * kRecordFloats) << "tick " << t << ": the menu's own records changed";
        for (size_t i = from; i < b.size(); ++i) {
            ASSERT_EQ(a[i + guide], b[i]) << "tick " << t << ", record " << i / kRecordFloats << " after the guide";
        }
        if (from < b.size()) {
            EXPECT_EQ(b[from], static_cast<float>(kKindRect)) << "tick " << t << ": only the credits box follows";
        }
    }
}

// ---------------------------------------------------------------------------
// What the guide says
// ---------------------------------------------------------------------------

TEST_F(MenuGuide, NamesTheSelectionSaysWhatUnlockingPaysOrCostsAndShowsTheCoins) {
    MenuReady();
    EXPECT_EQ(Lines(kName), std::vector<std::string>{"QuillmorPlat"});
    EXPECT_EQ(Lines(kLock), (std::vector<std::string>{"Unlock pays 45 coins", "Press Z to unlock"}));
    EXPECT_EQ(Lines(kCoins), std::vector<std::string>{"0"});
    EXPECT_EQ(Frames(kFrameCoin).size(), 1u);
    // Every machine is locked: a badge on every icon the list draws.
    const size_t icons = SlotRecords(kImgMachineIcons).size() - Frames(kFrameLockBadge).size() - 1;
    EXPECT_EQ(Frames(kFrameLockBadge).size(), icons);

    TapKey(kKeyZ);
    EXPECT_EQ(Lines(kCoins), std::vector<std::string>{"45"}) << "the coins shown in the tick of the unlock";
    EXPECT_EQ(Lines(kLock), std::vector<std::string>{"Unlocked"});
    EXPECT_EQ(Frames(kFrameLockBadge).size(), icons - 1) << "the unlocked machine keeps its badge";

    for (int m = 2; m <= kMachineDice; ++m) TapKey(kKeyDown);
    Tick(20);
    EXPECT_EQ(Lines(kName), std::vector<std::string>{"Dice"});
    EXPECT_EQ(Lines(kLock), (std::vector<std::string>{"Unlock costs 55 coins", "Need 10 more coins"}));
    game->settings[kSettingCoins] = 60;
    Tick();
    EXPECT_EQ(Lines(kLock), (std::vector<std::string>{"Unlock costs 55 coins", "Press Z to unlock"}));
    TapKey(kKeyZ);
    EXPECT_EQ(Lines(kCoins), std::vector<std::string>{"5"});
}

TEST_F(MenuGuide, EveryElementKeepsClearOfTheOthersTheTablesAndTheSwitchAtEverySize) {
    const int sizes[][2] = {{640, 480}, {1920, 1080}, {800, 600}, {1280, 720}, {480, 640}, {1024, 1024}};
    for (const auto& size : sizes) {
        SCOPED_TRACE(std::to_string(size[0]) + "x" + std::to_string(size[1]));
        Recreate(size[0], size[1]);
        MenuReady();
        for (int m = 1; m <= kMachineCount; ++m) {
            SCOPED_TRACE("machine " + std::to_string(m));
            const float w = kx_Tumbleroo_jscrw, h = kx_Tumbleroo_jscrh;
            std::vector<std::pair<std::string, Box>> mine = {{"name", TextBox(kName)},
                                                             {"lock state", TextBox(kLock)},
                                                             {"coins", TextBox(kCoins)},
                                                             {"hint", TextBox(kHint)}};
            ASSERT_EQ(Frames(kFrameCoin).size(), 1u);
            mine[2].second.Add(Frames(kFrameCoin)[0].x, Frames(kFrameCoin)[0].y, 0, 0);
            const Box coinSymbol = ImageBox(Frames(kFrameCoin)[0], kImgMachineIcons);
            mine.push_back({"coin symbol", coinSymbol});
            for (const Record& badge : Frames(kFrameLockBadge)) mine.push_back({"badge", ImageBox(badge, kImgMachineIcons)});
            Box sound;
            for (const Record& r : SlotRecords(kImgIcons)) {
                if (static_cast<int>(r.frame) == kFrameSoundOn) sound = ImageBox(r, kImgIcons);
            }
            const std::vector<std::pair<std::string, Box>> theirs = {
                {"best scores", TextBox(kBest)}, {"last scores", TextBox(kLast)}, {"sound switch", sound}};
            for (size_t i = 0; i < mine.size(); ++i) {
                const Box& b = mine[i].second;
                if (mine[i].first != "badge") {
                    ASSERT_FALSE(b.empty()) << mine[i].first << " is not drawn";
                    EXPECT_TRUE(b.x0 >= 0 && b.y0 >= 0 && b.x1 <= w && b.y1 <= h)
                        << mine[i].first << " leaves the screen: " << Describe(b);
                }
                for (size_t j = i + 1; j < mine.size(); ++j) {
                    if (mine[i].first == "coins" && mine[j].first == "coin symbol") continue;
                    // A screen taller than wide has no room beside the icons: the
                    // name goes above the selected one, over the faded entries.
                    if (h > w && mine[j].first == "badge") continue;
                    EXPECT_FALSE(b.Meets(mine[j].second))
                        << mine[i].first << " " << Describe(b) << " meets " << mine[j].first << " "
                        << Describe(mine[j].second);
                }
                for (const auto& other : theirs) {
                    EXPECT_FALSE(b.Meets(other.second)) << mine[i].first << " " << Describe(b) << " covers the "
                                                        << other.first << " " << Describe(other.second);
                }
            }
            TapKey(kKeyDown);
            Tick(20);
        }
    }
}

// ---------------------------------------------------------------------------
// The controls hint and the first finished game
// ---------------------------------------------------------------------------

TEST_F(MenuGuide, TheHintGoesAfterAFirstFinishedGameAndStaysGoneAfterARestart) {
    MenuReady();
    ASSERT_EQ(Lines(kHint).size(), 1u);
    EXPECT_NE(Lines(kHint)[0].find("Z/Enter start"), std::string::npos);
    TapKey(kKeyZ);  // unlock
    TapKey(kKeyZ);  // start
    Tick(40);
    ASSERT_EQ(game->state, kScreenPlay);
    EXPECT_EQ(Lines(kHint).size(), 0u) << "the hint is the menu's alone";
    // Escape opens the pause menu; its menu button quits the game, which the menu
    // then records as a finished game.
    TapKey(kKeyEscape);
    Tick(30);
    ClickAt(180, game->pausePanelY - 64);
    for (int i = 0; i < 400 && game->state != kScreenMenu; ++i) Tick();
    ASSERT_EQ(game->state, kScreenMenu);
    Tick();
    EXPECT_EQ(Lines(kHint).size(), 0u);
    EXPECT_FALSE(Lines(kName).empty()) << "the rest of the guide stays";
    const std::string state = progresstest::ReadStateFile();
    EXPECT_EQ(state.find("first"), std::string::npos);

    Recreate();
    MenuReady();
    EXPECT_EQ(Lines(kHint).size(), 0u) << "the hint came back after a restart";
    RemoveSettingsFile();
    Recreate();
    MenuReady();
    EXPECT_EQ(Lines(kHint).size(), 1u) << "without the settings file the hint shows again";
}

}  // namespace
