// menu_test.cpp - the machine-select menu driven through the real input device:
// the band and scroll positions, key steps locked until release, tap to select and
// tap to start, dragging, unlocking with coins, the sound switch, the credits
// button, the score lists' rows and headings for short and tall windows, and the
// return from a game.
#include <climits>

#include "media/audio_device.h"
#include "progress_fixture.h"

namespace {

using gametest::Record;
using progresstest::kKeyDown;
using progresstest::kKeyUp;
using progresstest::kKeyZ;
using progresstest::ProgressTest;

constexpr float kBand = 312;   // 0.65 of a 480-unit screen
constexpr float kPitch = 108;
constexpr float kListX = 256;  // 0.4 of a 640-unit screen

class Menu : public ProgressTest {
protected:
    void SetUp() override {
        ProgressTest::SetUp();
        MenuReady();
    }
    // The icon record of machine m drawn this tick.
    Record Icon(int m) const {
        for (const Record& r : SlotRecords(kImgMachineIcons)) {
            if (static_cast<int>(r.frame) == m - 1) return r;
        }
        ADD_FAILURE() << "machine " << m << " is not drawn";
        return Record{};
    }
    bool IconDrawn(int m) const {
        for (const Record& r : SlotRecords(kImgMachineIcons)) {
            if (static_cast<int>(r.frame) == m - 1) return true;
        }
        return false;
    }
    void SelectByKeys(int m) {
        while (game->machine < m) TapKey(kKeyDown);
        while (game->machine > m) TapKey(kKeyUp);
    }
};

// ---------------------------------------------------------------------------
// Band, scroll and key selection
// ---------------------------------------------------------------------------

TEST_F(Menu, StartsOnTheLastMachineWithItsEntryInTheBand) {
    EXPECT_EQ(game->state, kScreenMenu);
    EXPECT_EQ(game->machine, kMachineQuillmorPlat);
    EXPECT_FLOAT_EQ(game->menuScrollY, kBand);
    EXPECT_EQ(game->menuIntro, 0);
    const Record selected = Icon(1);
    EXPECT_FLOAT_EQ(selected.x, kListX);
    EXPECT_FLOAT_EQ(selected.y, kBand);
    EXPECT_FLOAT_EQ(selected.w, 2.25f);
    EXPECT_FLOAT_EQ(selected.alpha, 1);
    // The others are smaller and fade with their distance from the band.
    const Record next = Icon(2);
    EXPECT_FLOAT_EQ(next.y, kBand + kPitch);
    EXPECT_FLOAT_EQ(next.w, 1.5f);
    EXPECT_NEAR(next.alpha, 1 - kPitch / 384, 1e-6);
    EXPECT_TRUE(IconDrawn(3));    // y 528: still near the screen
    EXPECT_FALSE(IconDrawn(4));   // y 636: too far below
}

TEST_F(Menu, KeysPutEachMachineInTheBand) {
    for (int m = 2; m <= 5; ++m) {
        TapKey(kKeyDown);
        EXPECT_EQ(game->machine, m);
        EXPECT_FLOAT_EQ(game->menuScrollY, kBand - (m - 1) * kPitch);
        EXPECT_FLOAT_EQ(Icon(m).y, kBand);
        EXPECT_FLOAT_EQ(Icon(m).w, 2.25f);
    }
    EXPECT_FLOAT_EQ(game->menuScrollY, -120);
    // Down on the last machine and up on the first do nothing and play nothing.
    int before = game->sfxChannel;
    TapKey(kKeyDown);
    EXPECT_EQ(game->machine, kMachineDice);
    EXPECT_EQ(EffectsSince(before), 0);
    SelectByKeys(1);
    EXPECT_FLOAT_EQ(game->menuScrollY, kBand);
    before = game->sfxChannel;
    TapKey(kKeyUp);
    EXPECT_EQ(game->machine, kMachineQuillmorPlat);
    EXPECT_EQ(EffectsSince(before), 0);
}

TEST_F(Menu, AKeyStepsOnceUntilEveryPlayKeyIsReleased) {
    PressKey(kKeyDown);
    Tick(5);
    EXPECT_EQ(game->machine, kMachineCubewick);
    PressKey(kKeyUp);  // still locked by the held down key
    Tick(3);
    EXPECT_EQ(game->machine, kMachineCubewick);
    ReleaseKey(kKeyDown);  // up alone is still held: still locked
    Tick(3);
    EXPECT_EQ(game->machine, kMachineCubewick);
    ReleaseKey(kKeyUp);
    Tick();
    PressKey(kKeyUp);
    Tick();
    EXPECT_EQ(game->machine, kMachineQuillmorPlat);
    ReleaseKey(kKeyUp);
    Tick();
}

// ---------------------------------------------------------------------------
// Pointer: taps and drags
// ---------------------------------------------------------------------------

TEST_F(Menu, ATapSelectsAnEntryAndASecondTapStartsIt) {
    const int before = game->sfxChannel;
    ClickAt(kListX, kBand + kPitch);  // machine 2, one entry below the band
    EXPECT_EQ(game->machine, kMachineCubewick);
    EXPECT_FLOAT_EQ(game->menuScrollY, kBand - kPitch);
    EXPECT_EQ(game->state, kScreenMenu);
    EXPECT_EQ(EffectsSince(before), 1);  // one tick, no second one as it enters the band
    EXPECT_FLOAT_EQ(Icon(2).y, kBand);
    PressAt(kListX, kBand);
    EXPECT_EQ(game->state, kScreenStartGame);
    EXPECT_EQ(game->pointerUsed, 1);
    ReleaseMouse();
}

TEST_F(Menu, HoldingAPressOnAnotherEntryDoesNotSelectAgain) {
    PressAt(kListX, kBand + kPitch);
    EXPECT_EQ(game->machine, kMachineCubewick);
    // Still held where entry 3 now sits: the press was used.
    MoveMouse(kListX, kBand + kPitch);
    Tick(3);
    EXPECT_EQ(game->machine, kMachineCubewick);
    EXPECT_EQ(game->state, kScreenMenu);
    ReleaseMouse();
    Tick();
}

TEST_F(Menu, DraggingMovesTheListOneAndAHalfTimesAndSelectsWhatLandsInTheBand) {
    PressAt(120, 400);  // away from every button
    EXPECT_FLOAT_EQ(game->menuScrollY, kBand);
    EXPECT_EQ(game->pointerUsed, 0);
    MoveMouse(120, 300);
    Tick();
    EXPECT_FLOAT_EQ(game->menuScrollY, kBand - 150);
    EXPECT_EQ(game->pointerUsed, 1);  // a drag: its release is no tap
    Tick();
    EXPECT_EQ(game->machine, kMachineQuillmorPlat);  // entries at 162, 270, 378: none in the band
    const int before = game->sfxChannel;
    MoveMouse(120, 260);
    Tick();
    EXPECT_FLOAT_EQ(game->menuScrollY, kBand - 210);
    Tick();
    EXPECT_EQ(game->machine, kMachineCometrow);  // entry 3 at 318
    EXPECT_EQ(EffectsSince(before), 1);
    Tick(3);
    EXPECT_EQ(EffectsSince(before), 1);
    ReleaseMouse();
    Tick();
    EXPECT_EQ(game->state, kScreenMenu);
}

TEST_F(Menu, SmallMovementsScrollButStayATap) {
    PressAt(120, 400);
    MoveMouse(120, 396);
    Tick();
    EXPECT_FLOAT_EQ(game->menuScrollY, kBand - 6);
    EXPECT_EQ(game->pointerUsed, 0);
    ReleaseMouse();
    Tick();
}

TEST_F(Menu, TheSelectedEntryIsNudgedBackOntoTheScreen) {
    game->menuScrollY = 10;  // machine 1 at the top edge
    Tick();
    EXPECT_FLOAT_EQ(game->menuScrollY, 18);
    game->menuScrollY = 470;
    Tick();
    EXPECT_FLOAT_EQ(game->menuScrollY, 462);
}

// ---------------------------------------------------------------------------
// Unlocking and starting by key
// ---------------------------------------------------------------------------

TEST_F(Menu, TheFirstActionKeyBuysMachineOneAndTheSecondStartsIt) {
    ASSERT_EQ(game->settings[kSettingUnlockMask], 0);
    ASSERT_EQ(game->settings[kSettingCoins], 0);
    TapKey(kKeyZ);
    EXPECT_EQ(game->state, kScreenMenu);
    EXPECT_EQ(game->settings[kSettingCoins], 45);
    EXPECT_EQ(game->settings[kSettingUnlockMask], 1);  // bit 1, the lowest
    // The purchase is saved at once.
    const std::vector<std::string> saved = progresstest::Pieces(progresstest::ReadStateFile());
    ASSERT_EQ(saved.size(), 141u);
    EXPECT_EQ(saved[2], "1");
    EXPECT_EQ(saved[3], "45");
    PressKey(kKeyZ);
    Tick();
    EXPECT_EQ(game->state, kScreenStartGame);
    EXPECT_EQ(game->settings[kSettingCoins], 45);
    ReleaseKey(kKeyZ);
}

// The unlock is heard: the loader fills sound slot 4 with the menu's other sounds,
// and the purchase starts that sample on the effects' channel.
TEST_F(Menu, AnUnlockPlaysItsLoadedSound) {
    ASSERT_NE(game->sounds[kSfxUnlock], nullptr) << "no loading step read sfx/004.wav";
    game->settings[kSettingSound] = 1;
    TapKey(kKeyZ);
    ASSERT_EQ(game->settings[kSettingUnlockMask], 1);
    const gxtkSample* played = app->audio->channels[game->channels[game->sfxChannel]].sample;
    EXPECT_EQ(played, game->sounds[kSfxUnlock]->sample);
}

TEST_F(Menu, HoldingTheActionKeyBuysWithoutStarting) {
    PressKey(kKeyZ);
    Tick(10);
    EXPECT_EQ(game->state, kScreenMenu);
    EXPECT_EQ(game->settings[kSettingCoins], 45);
    ReleaseKey(kKeyZ);
    Tick();
}

TEST_F(Menu, MachineFiveIsNotAffordableButATapStartsIt) {
    SelectByKeys(5);
    TapKey(kKeyZ);
    EXPECT_EQ(game->state, kScreenMenu);
    EXPECT_EQ(game->settings[kSettingCoins], 0);
    EXPECT_EQ(game->settings[kSettingUnlockMask], 0);
    EXPECT_FALSE(progresstest::StateFileExists());
    PressAt(kListX, kBand);
    EXPECT_EQ(game->state, kScreenStartGame);
    ReleaseMouse();
}

TEST_F(Menu, PricesTakeCoinsAndAnUnlockedMachineStartsByKey) {
    game->settings[kSettingCoins] = 100;
    SelectByKeys(4);
    TapKey(kKeyZ);
    EXPECT_EQ(game->settings[kSettingCoins], 70);
    EXPECT_EQ(game->settings[kSettingUnlockMask], 1 << 3);
    SelectByKeys(3);
    game->settings[kSettingUnlockMask] |= 1 << 2;  // already bought
    PressKey(kKeyZ);
    Tick();
    EXPECT_EQ(game->state, kScreenStartGame);
    EXPECT_EQ(game->settings[kSettingCoins], 70);
    ReleaseKey(kKeyZ);
}

TEST_F(Menu, CoinsStopAtTheLargestAmountInsteadOfWrapping) {
    game->settings[kSettingCoins] = INT_MAX;
    TapKey(kKeyZ);  // machine 1 gives 45 coins
    EXPECT_EQ(game->settings[kSettingCoins], INT_MAX);
    EXPECT_EQ(game->settings[kSettingUnlockMask], 1);
}

// ---------------------------------------------------------------------------
// Sound switch and credits
// ---------------------------------------------------------------------------

TEST_F(Menu, TheSoundSwitchTurnsSoundOffAndOn) {
    auto switchFrame = [this]() {
        for (const Record& r : SlotRecords(kImgIcons)) {
            if (r.x == 32 && r.y == 240) return static_cast<int>(r.frame);
        }
        return -1;
    };
    EXPECT_EQ(switchFrame(), 4);
    int before = game->sfxChannel;
    ClickAt(32, 240);
    EXPECT_EQ(game->settings[kSettingSound], 0);
    EXPECT_EQ(EffectsSince(before), 0);  // the click comes after the switch: silent
    EXPECT_EQ(switchFrame(), 5);
    before = game->sfxChannel;
    ClickAt(32, 240);
    EXPECT_EQ(game->settings[kSettingSound], 1);
    EXPECT_EQ(EffectsSince(before), 1);
    // A stray saved value shows as on and turns off at the first press.
    game->settings[kSettingSound] = 7;
    Tick();
    EXPECT_EQ(switchFrame(), 4);
    ClickAt(32, 240);
    EXPECT_EQ(game->settings[kSettingSound], 0);
}

TEST_F(Menu, TheTitlePictureOpensTheCreditsWhichBlockTheMenuUntilAPress) {
    PressAt(570, 40);
    EXPECT_EQ(game->creditsOpen, 1);
    ReleaseMouse();
    Tick();
    EXPECT_EQ(game->creditsOpen, 1);  // the opening press does not close it
    // The score lists are hidden, keys and taps do nothing.
    EXPECT_TRUE(TextLines(255, 200, 100).empty());
    TapKey(kKeyDown);
    EXPECT_EQ(game->machine, kMachineQuillmorPlat);
    TapKey(kKeyZ);
    EXPECT_EQ(game->settings[kSettingCoins], 0);
    // The sound switch still works; its press is used, so the box stays.
    ClickAt(32, 240);
    EXPECT_EQ(game->settings[kSettingSound], 0);
    EXPECT_EQ(game->creditsOpen, 1);
    // A press anywhere else closes it, even on an entry, which it does not select.
    ClickAt(kListX, kBand + kPitch);
    EXPECT_EQ(game->creditsOpen, 0);
    EXPECT_EQ(game->machine, kMachineQuillmorPlat);
    EXPECT_FALSE(TextLines(255, 200, 100).empty());
}

TEST_F(Menu, BackClosesTheCreditsWithoutActingOnTheMenu) {
    ClickAt(570, 40);
    ASSERT_EQ(game->creditsOpen, 1);
    TapKey(progresstest::kKeyEscape);
    EXPECT_EQ(game->creditsOpen, 0);
    EXPECT_EQ(game->machine, kMachineQuillmorPlat);
    EXPECT_EQ(game->state, kScreenMenu);
}

// ---------------------------------------------------------------------------
// Score lists
// ---------------------------------------------------------------------------

TEST_F(Menu, TheSelectedMachinesTablesFillTenRowsOnAFullHeightScreen) {
    for (int i = 0; i < 10; ++i) {
        game->scores[40 + i] = 1000 - i;
        game->scores[90 + i] = i * 7;
    }
    game->scores[40] = 123456789;  // only the last 8 digits fit
    SelectByKeys(5);
    const std::vector<std::string> best = TextLines(255, 200, 100);
    ASSERT_EQ(best.size(), 11u);
    EXPECT_EQ(best[0], "Top 10");
    EXPECT_EQ(best[1], "23456789");
    EXPECT_EQ(best[2], "     999");
    EXPECT_EQ(best[10], "     991");
    const std::vector<std::string> last = TextLines(200, 255, 100);
    ASSERT_EQ(last.size(), 11u);
    EXPECT_EQ(last[0], "Last 10");
    EXPECT_EQ(last[1], "       0");
    EXPECT_EQ(last[10], "      63");
    // Machine 1's tables are its own.
    SelectByKeys(1);
    EXPECT_EQ(TextLines(255, 200, 100)[1], "       0");
}

class MenuWindow : public ProgressTest {
protected:
    std::vector<std::string> BestLines(int w, int h) {
        Recreate(w, h);
        MenuReady();
        return TextLines(255, 200, 100);
    }
};

TEST_F(MenuWindow, AShortScreenShowsFewerRows) {
    // 1280 x 480 pixels: a virtual screen of 640 x 240 leaves room for 2 rows.
    const std::vector<std::string> best = BestLines(1280, 480);
    EXPECT_FLOAT_EQ(kx_Tumbleroo_jscrh, 240);
    ASSERT_EQ(best.size(), 3u);
    EXPECT_EQ(best[0], "Top 2");
    const std::vector<std::string> last = TextLines(200, 255, 100);
    ASSERT_EQ(last.size(), 3u);
    EXPECT_EQ(last[0], "Last 2");
}

TEST_F(MenuWindow, WithRoomForOneRowOrNoneTheHeadingsLoseTheirCount) {
    for (int height : {400, 300}) {  // virtual heights 200 (0 rows by the sum) and 150 (negative)
        const std::vector<std::string> best = BestLines(1280, height);
        ASSERT_EQ(best.size(), 2u) << height;
        EXPECT_EQ(best[0], "Highscore");
        const std::vector<std::string> last = TextLines(200, 255, 100);
        ASSERT_EQ(last.size(), 2u);
        EXPECT_EQ(last[0], "Last");
    }
}

TEST_F(MenuWindow, ATallScreenShowsTenRowsAtMost) {
    const std::vector<std::string> best = BestLines(640, 960);
    EXPECT_FLOAT_EQ(kx_Tumbleroo_jscrw, 320);
    EXPECT_FLOAT_EQ(kx_Tumbleroo_jscrh, 480);
    ASSERT_EQ(best.size(), 11u);
    EXPECT_EQ(best[0], "Top 10");
    // The list sits at 0.4 of the narrower width, the band at 0.65 of the height.
    ASSERT_FALSE(SlotRecords(kImgMachineIcons).empty());
    EXPECT_FLOAT_EQ(SlotRecords(kImgMachineIcons)[0].x, 128);
}

// ---------------------------------------------------------------------------
// Slide-in and the return from a game
// ---------------------------------------------------------------------------

class MenuIntro : public ProgressTest {};

TEST_F(MenuIntro, PicturesSlideInOverThirtyTwoTicks) {
    RunLoader();
    Render();
    EXPECT_EQ(game->menuIntro, -32);
    Tick();
    EXPECT_EQ(game->menuIntro, -31);
    // The score panel starts 124 units further right and comes in 4 a tick.
    bool found = false;
    for (int i = 0; i < RecordCount(); ++i) {
        const Record r = Rec(i);
        if (r.kind == kKindRect && r.w == 140 && r.h == 480) {
            EXPECT_FLOAT_EQ(r.x, 640 - 140 + 31 * 4);
            EXPECT_FLOAT_EQ(r.alpha, 0.4f);
            found = true;
        }
    }
    EXPECT_TRUE(found);
    Tick(30);
    EXPECT_EQ(game->menuIntro, -1);
    Tick();
    EXPECT_EQ(game->menuIntro, 0);
    Tick();
    EXPECT_EQ(game->menuIntro, 0);
}

TEST_F(Menu, ReturningFromAGameCentresThatMachineAndRecordsItsScore) {
    game->machine = kMachineFizzcrate;
    game->score = 250;
    game->state = kScreenBackToMenu;
    Tick();
    EXPECT_EQ(game->state, kScreenMenu);
    EXPECT_FLOAT_EQ(game->menuScrollY, kBand - 3 * kPitch);
    EXPECT_EQ(game->scores[30], 250);
    EXPECT_EQ(game->scores[80], 250);
    Tick();
    EXPECT_EQ(game->machine, kMachineFizzcrate);
}

}  // namespace
