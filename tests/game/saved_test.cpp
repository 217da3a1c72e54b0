// saved_test.cpp - the saved progress: the exact text a game saves, badge words and
// their sign, the checksum weights, damaged and cut-short files (each complete
// section still loads, a bad one is reset with its message), the bounds applied to
// the settings, hostile numbers and bytes, and random round trips; the save held to
// the committed golden text (golden/sample.quorvelstate).
#include <algorithm>
#include <climits>
#include <cstdint>
#include <fstream>
#include <random>
#include <sstream>

#include "progress_fixture.h"

namespace {

using progresstest::Join;
using progresstest::Pieces;
using progresstest::ProgressTest;
using progresstest::ReadStateFile;
using progresstest::WriteStateFile;

// The saved progress a test starts from, as values; its text is what the game's own
// save writes for them (the save itself is held to the golden file below), so the
// checksums come from the game and the tests never work them out.
struct SavedText {
    std::vector<long long> settings = std::vector<long long>(25, 0);
    std::vector<long long> words = std::vector<long long>(8, 0);
    std::vector<std::vector<long long>> top = std::vector<std::vector<long long>>(5, std::vector<long long>(10, 0));
    std::vector<std::vector<long long>> last = std::vector<std::vector<long long>>(5, std::vector<long long>(10, 0));

    // Puts the values into the game's arrays and returns the text its save writes.
    std::string Text(kx_Tumbleroo_MyApp* game) const {
        for (int i = 0; i < 25; ++i) game->settings[i] = static_cast<int>(settings[i]);
        for (int b = 0; b < 8; ++b) {
            for (int i = 0; i < 32; ++i) game->flags[b * 32 + i] = (static_cast<std::uint32_t>(words[b]) >> i) & 1u;
        }
        for (int m = 0; m < 5; ++m) {
            for (int j = 0; j < 10; ++j) {
                game->scores[TopTenAt(m + 1) + j] = static_cast<int>(top[m][j]);
                game->scores[LastTenAt(m + 1) + j] = static_cast<int>(last[m][j]);
            }
        }
        game->m_Save();
        return ReadStateFile();
    }
    std::vector<long long> Values(kx_Tumbleroo_MyApp* game) const {
        std::vector<long long> v;
        for (const std::string& piece : Pieces(Text(game))) {
            if (!piece.empty()) v.push_back(std::stoll(piece));
        }
        return v;
    }
};

std::string GoldenText(const std::string& name) {
    std::ifstream in(std::string(TUMBLEROO_SOURCE_DIR) + "/tests/game/golden/" + name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Sentinels that show whether a load touched an entry.
constexpr int kUntouched = -777;

class Saved : public ProgressTest {
protected:
    // The three arrays as a game object holds them before its create step loads.
    void SetDefaults() {
        for (int i = 0; i < kSettingsCount; ++i) game->settings[i] = 0;
        game->settings[kSettingSound] = 1;
        for (int i = 0; i < kFlagsCount; ++i) game->flags[i] = false;
        for (int i = 0; i < kScoresCount; ++i) game->scores[i] = 0;
    }
    void FillUntouched() {
        for (int i = 0; i < kSettingsCount; ++i) game->settings[i] = kUntouched;
        for (int i = 0; i < kFlagsCount; ++i) game->flags[i] = true;
        for (int i = 0; i < 100; ++i) game->scores[i] = kUntouched;
    }
    // Loads `text` from the state file; returns what the load printed.
    std::string LoadText(const std::string& text) {
        WriteStateFile(text);
        testing::internal::CaptureStdout();
        game->m_Load();
        return testing::internal::GetCapturedStdout();
    }
    std::string SaveText() {
        game->m_Save();
        return ReadStateFile();
    }
    int Top(int m, int j) const { return game->scores[m * 10 + j]; }
    int Last(int m, int j) const { return game->scores[50 + m * 10 + j]; }

    static std::string AllLoaded() {
        return "Settings Loaded\nBadges Loaded\nHighscore 0 Loaded\nHighscore 1 Loaded\n"
               "Highscore 2 Loaded\nHighscore 3 Loaded\nHighscore 4 Loaded\n";
    }

    // A text with something in every section.
    static SavedText Sample() {
        SavedText s;
        s.settings[1] = 4;
        s.settings[2] = 0x2a;
        s.settings[3] = 95;
        s.settings[5] = 1;
        s.settings[10] = 100;
        s.settings[11] = 64;
        s.settings[12] = 9;
        s.settings[24] = -3;
        s.words[0] = 5;
        s.words[7] = -2147483648LL;
        for (int m = 0; m < 5; ++m) {
            for (int j = 0; j < 10; ++j) {
                s.top[m][j] = 1000 * (m + 1) - 10 * j;
                s.last[m][j] = 7 * m + j;
            }
        }
        return s;
    }
};

// ---------------------------------------------------------------------------
// The saved text
// ---------------------------------------------------------------------------

// The sample progress saves as the committed golden text, and that text loads back
// into the same progress.
TEST_F(Saved, TheSampleSavesAsTheGoldenFileAndLoadsBack) {
    const std::string golden = GoldenText("sample.quorvelstate");
    ASSERT_EQ(Pieces(golden).size(), 141u);
    const SavedText s = Sample();
    EXPECT_EQ(s.Text(game), golden);
    FillUntouched();
    EXPECT_EQ(LoadText(golden), AllLoaded());
    for (int i = 0; i < 25; ++i) EXPECT_EQ(game->settings[i], s.settings[i]) << i;
    for (int m = 0; m < 5; ++m) {
        for (int j = 0; j < 10; ++j) {
            EXPECT_EQ(Top(m, j), s.top[m][j]);
            EXPECT_EQ(Last(m, j), s.last[m][j]);
        }
    }
    EXPECT_TRUE(game->flags[0] && game->flags[2] && !game->flags[1] && game->flags[255]);
    EXPECT_EQ(SaveText(), golden);
}

TEST_F(Saved, TheDefaultsSaveAsOneLineOf140Numbers) {
    SetDefaults();
    std::string expected;
    for (int i = 0; i < 25; ++i) expected += i == 5 ? "1|" : "0|";
    expected += "5|";
    for (int i = 0; i < 9; ++i) expected += "0|";
    for (int m = 0; m < 5; ++m) {
        for (int i = 0; i < 21; ++i) expected += "0|";
    }
    const std::string text = SaveText();
    EXPECT_EQ(text, expected);
    EXPECT_EQ(Pieces(text).size(), 141u);
}

TEST_F(Saved, AFreshGameSavesItsBoundedDefaults) {
    // The create step's load (no file) raises settings 1, 10, 11 and 12.
    const std::string text = SaveText();
    std::string expected = "0|1|0|0|0|1|0|0|0|0|64|64|10|0|0|0|0|0|0|0|0|0|0|0|0|";
    expected += std::to_string(1 + 5 + 10 * 64 + 11 * 64 + 12 * 10) + "|";
    for (int i = 0; i < 9 + 5 * 21; ++i) expected += "0|";
    EXPECT_EQ(text, expected);
}

TEST_F(Saved, Flag31IsTheSignBitOfBadgeWordZero) {
    SetDefaults();
    game->flags[31] = true;
    std::vector<std::string> pieces = Pieces(SaveText());
    EXPECT_EQ(pieces[26], "-2147483648");
    EXPECT_EQ(pieces[34], "-2147483648");
    for (int b = 1; b < 8; ++b) EXPECT_EQ(pieces[26 + b], "0");
    game->flags[31] = false;
    const std::string out = LoadText(ReadStateFile());
    EXPECT_NE(out.find("Badges Loaded"), std::string::npos);
    for (int i = 0; i < kFlagsCount; ++i) EXPECT_EQ(game->flags[i], i == 31) << i;
}

TEST_F(Saved, BadgeWordsHoldThirtyTwoFlagsEachAndComeBackUnchanged) {
    SavedText s;
    s.settings[5] = 1;
    s.words = {1, 6, -1, 0, 0x40000000, 0, 12345, -2147483647LL};
    const std::string text = s.Text(game);
    EXPECT_EQ(LoadText(text), AllLoaded());
    EXPECT_TRUE(game->flags[0]);
    EXPECT_FALSE(game->flags[1]);
    EXPECT_TRUE(game->flags[33] && game->flags[34] && !game->flags[32]);
    for (int i = 64; i < 96; ++i) EXPECT_TRUE(game->flags[i]) << i;
    EXPECT_TRUE(game->flags[128 + 30]);
    EXPECT_TRUE(game->flags[224] && game->flags[255] && !game->flags[225]);
    // Saved back, the words are the same (the settings differ only by their bounds).
    const std::vector<std::string> again = Pieces(SaveText());
    const std::vector<std::string> before = Pieces(text);
    for (int i = 26; i <= 34; ++i) EXPECT_EQ(again[i], before[i]) << i;
}

TEST_F(Saved, ChecksumsWeighEachEntryByItsPlace) {
    SetDefaults();
    game->scores[0] = 100;   // best entry of row 0: weight 4
    game->scores[60] = 100;  // last-ten entry 0 of row 1: weight 1 + 3 + 0
    game->scores[99] = 2;    // last-ten entry 9 of row 4: weight 4 + 3 + 9
    game->settings[0] = 1000;  // weight 0
    game->settings[24] = 2;
    std::vector<std::string> p = Pieces(SaveText());
    EXPECT_EQ(p[25], std::to_string(5 + 48));
    EXPECT_EQ(p[55], "400");
    EXPECT_EQ(p[76], "400");
    EXPECT_EQ(p[139], "32");
    EXPECT_EQ(p[35], "100");
    EXPECT_EQ(p[57], "100");  // row 1's first last-ten value
    // Sums wrap at 32 bits.
    game->scores[0] = INT_MAX;
    game->scores[50] = INT_MAX;
    p = Pieces(SaveText());
    const std::int64_t sum = 4LL * INT_MAX + 3LL * INT_MAX;
    EXPECT_EQ(p[55], std::to_string(static_cast<std::int32_t>(static_cast<std::uint32_t>(sum))));
    EXPECT_EQ(LoadText(ReadStateFile()), AllLoaded());
    EXPECT_EQ(game->scores[0], INT_MAX);
}

// ---------------------------------------------------------------------------
// Loading: sections, messages, bounds
// ---------------------------------------------------------------------------

TEST_F(Saved, AWholeFileLoadsEverySectionWithItsMessage) {
    const SavedText s = Sample();
    const std::string text = s.Text(game);
    FillUntouched();
    EXPECT_EQ(LoadText(text), AllLoaded());
    EXPECT_EQ(game->settings[1], 4);
    EXPECT_EQ(game->settings[2], 0x2a);
    EXPECT_EQ(game->settings[3], 95);
    EXPECT_EQ(game->settings[24], -3);
    EXPECT_TRUE(game->flags[0] && game->flags[2] && game->flags[255]);
    for (int m = 0; m < 5; ++m) {
        for (int j = 0; j < 10; ++j) {
            EXPECT_EQ(Top(m, j), s.top[m][j]);
            EXPECT_EQ(Last(m, j), s.last[m][j]);
        }
    }
    // Saved again, the text is the same.
    EXPECT_EQ(SaveText(), text);
}

TEST_F(Saved, ChangingOneSettingBreaksItsChecksumUnlessItIsEntryZero) {
    for (int i = 0; i < 25; ++i) {
        std::vector<long long> v = Sample().Values(game);
        v[i] += 1;
        FillUntouched();
        const std::string out = LoadText(Join(v));
        if (i == 0) {
            EXPECT_EQ(out, AllLoaded());
            EXPECT_EQ(game->settings[0], 1);
            continue;
        }
        EXPECT_EQ(out.substr(0, out.find('\n')), "Settings Checksum Invalid") << i;
        EXPECT_EQ(out.substr(out.find('\n') + 1), AllLoaded().substr(16)) << i;
        // Reset to 0 with the sound on, then bounded; the other sections loaded.
        for (int k = 0; k < 25; ++k) {
            const int expected = k == 5 ? 1 : k == 1 ? 1 : k == 10 || k == 11 ? 64 : k == 12 ? 10 : 0;
            EXPECT_EQ(game->settings[k], expected) << i << " " << k;
        }
        EXPECT_TRUE(game->flags[255]);
        EXPECT_EQ(Top(4, 0), 5000);
    }
}

TEST_F(Saved, ADamagedSectionIsResetWithItsMessageAndTheOthersLoad) {
    std::vector<long long> v = Sample().Values(game);
    v[34] += 1;  // badge checksum
    v[77 + 6] = 99;  // a value of row 2
    FillUntouched();
    const std::string out = LoadText(Join(v));
    EXPECT_EQ(out,
              "Settings Loaded\nBadge Checksum Invalid\nHighscore 0 Loaded\nHighscore 1 Loaded\n"
              "Highscore 2 Checksum Invalid\nHighscore 3 Loaded\nHighscore 4 Loaded\n");
    for (int i = 0; i < kFlagsCount; ++i) EXPECT_FALSE(game->flags[i]) << i;
    for (int j = 0; j < 10; ++j) {
        EXPECT_EQ(Top(2, j), 0);
        EXPECT_EQ(Last(2, j), 0);
        EXPECT_EQ(Top(1, j), 2000 - 10 * j);
        EXPECT_EQ(Top(3, j), 4000 - 10 * j);
    }
    EXPECT_EQ(game->settings[3], 95);
}

TEST_F(Saved, AFileCutShortLoadsEveryCompleteSectionAndLeavesTheRest) {
    const std::string text = Sample().Text(game);
    // Section ends in whole numbers: settings 26, badges 35, rows 56, 77, 98, 119, 140.
    const int ends[] = {26, 35, 56, 77, 98, 119, 140};
    int numbers = 0;
    for (size_t cut = 0; cut <= text.size(); ++cut) {
        if (cut > 0 && text[cut - 1] == '|') ++numbers;  // complete numbers before the cut
        FillUntouched();
        const std::string out = LoadText(text.substr(0, cut));
        // A section's last number without its "|" counts when it is whole: the cut
        // fell just before that "|".
        const bool beforeSeparator = cut < text.size() && text[cut] == '|';
        int sections = 0;
        for (int e : ends) sections += numbers >= e || (beforeSeparator && numbers == e - 1) ? 1 : 0;
        const int lines = static_cast<int>(std::count(out.begin(), out.end(), '\n'));
        ASSERT_EQ(lines, sections) << "cut at " << cut << ": " << out;
        EXPECT_EQ(out, AllLoaded().substr(0, out.size())) << cut;
        // Loaded sections hold the file's values; the others what they held before.
        EXPECT_EQ(game->settings[3], sections >= 1 ? 95 : kUntouched) << cut;
        EXPECT_EQ(game->flags[1], sections < 2) << cut;
        for (int m = 0; m < 5; ++m) {
            EXPECT_EQ(Top(m, 9), sections >= 3 + m ? 1000 * (m + 1) - 90 : kUntouched) << cut;
            EXPECT_EQ(Last(m, 9), sections >= 3 + m ? 7 * m + 9 : kUntouched) << cut;
        }
    }
}

// A file whose only fault is the missing final "|" loses nothing: the Dice tables,
// the last section, load with every other section, and the next save writes the
// whole text again. The same file with its last number cut keeps the old tables.
TEST_F(Saved, AFileWithoutItsFinalSeparatorLosesNothing) {
    const std::string text = Sample().Text(game);
    FillUntouched();
    EXPECT_EQ(LoadText(text.substr(0, text.size() - 1)), AllLoaded());
    for (int j = 0; j < 10; ++j) {
        EXPECT_EQ(Top(4, j), 5000 - 10 * j) << j;
        EXPECT_EQ(Last(4, j), 28 + j) << j;
    }
    EXPECT_EQ(SaveText(), text);

    FillUntouched();
    const size_t lastNumber = text.rfind('|', text.size() - 2) + 1;
    ASSERT_GT(text.size() - 1 - lastNumber, 1u) << "the row checksum has several digits";
    const std::string out = LoadText(text.substr(0, text.size() - 2));
    EXPECT_EQ(out, AllLoaded().substr(0, out.size()));
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 6);
    EXPECT_EQ(Top(4, 0), kUntouched);
    EXPECT_EQ(Top(3, 0), 4000);
}

TEST_F(Saved, SettingsAreBoundedAfterLoading) {
    struct Case {
        int index, saved, loaded;
    };
    const Case cases[] = {{12, 7, 10}, {12, 8, 8}, {12, -50, 10}, {1, 0, 1}, {1, 9, 5},   {1, 3, 3},
                          {10, 63, 64}, {10, 65, 65}, {11, -1, 64}, {5, 9, 9}, {3, -20, -20}};
    for (const Case& c : cases) {
        SavedText s = Sample();
        s.settings[c.index] = c.saved;
        const std::string text = s.Text(game);
        FillUntouched();
        const std::string out = LoadText(text);
        EXPECT_EQ(out.substr(0, 16), "Settings Loaded\n");
        EXPECT_EQ(game->settings[c.index], c.loaded) << c.index << " saved as " << c.saved;
    }
}

TEST_F(Saved, TwentyFiveElementsReadNoSettings) {
    std::string text;
    for (int i = 0; i < 24; ++i) text += "3|";
    text += "3";  // 25 elements
    FillUntouched();
    EXPECT_EQ(LoadText(text), "");
    EXPECT_EQ(game->settings[3], kUntouched);
    // Nor are the first nine numbers taken for the badge words that follow the settings.
    EXPECT_TRUE(game->flags[0] && game->flags[255]);
    EXPECT_EQ(game->settings[1], 1);  // bounded all the same
    EXPECT_EQ(game->settings[10], 64);
    EXPECT_EQ(game->settings[12], 10);
}

TEST_F(Saved, NoStateFileMeansNoMessageAndTheBoundedDefaults) {
    progresstest::RemoveStateFile();
    SetDefaults();
    testing::internal::CaptureStdout();
    game->m_Load();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(game->settings[1], 1);
    EXPECT_EQ(game->settings[5], 1);
    EXPECT_EQ(game->settings[11], 64);
    EXPECT_EQ(game->scores[0], 0);
}

// ---------------------------------------------------------------------------
// Hostile input
// ---------------------------------------------------------------------------

TEST_F(Saved, NumbersAreReadLikeTheCLibraryButNeverOverflow) {
    SavedText s = Sample();
    std::vector<std::string> p = Pieces(s.Text(game));
    p[3] = "  +95abc";  // spaces, a sign, trailing junk: 95
    p[2] = "0x2a";      // stops at the x: 0, which breaks the checksum
    std::string text;
    for (size_t i = 0; i + 1 < p.size(); ++i) text += p[i] + "|";
    FillUntouched();
    std::string out = LoadText(text);
    EXPECT_EQ(out.substr(0, out.find('\n')), "Settings Checksum Invalid");
    p[2] = "42";  // 0x2a
    text.clear();
    for (size_t i = 0; i + 1 < p.size(); ++i) text += p[i] + "|";
    out = LoadText(text);
    EXPECT_EQ(out, AllLoaded());
    EXPECT_EQ(game->settings[3], 95);

    // Beyond 32 bits a number stops at the nearest limit, checksum and all.
    s = Sample();
    s.settings[3] = INT_MAX;
    s.top[0][0] = INT_MIN;
    p = Pieces(s.Text(game));
    p[3] = "99999999999999999999999";
    p[35] = "-99999999999";
    text.clear();
    for (size_t i = 0; i + 1 < p.size(); ++i) text += p[i] + "|";
    FillUntouched();
    EXPECT_EQ(LoadText(text), AllLoaded());
    EXPECT_EQ(game->settings[3], INT_MAX);
    EXPECT_EQ(game->scores[0], INT_MIN);
}

TEST_F(Saved, WideCharactersAreNotReadAsTheDigitsTheirLowBytesSpell) {
    // U+0131 has the low byte of "1": the value must not read as 1.
    SavedText s = Sample();
    std::vector<std::string> p = Pieces(s.Text(game));
    p[0] = "\xc4\xb1";  // UTF-8 for U+0131; entry 0 weighs nothing in the checksum
    std::string text;
    for (size_t i = 0; i + 1 < p.size(); ++i) text += p[i] + "|";
    FillUntouched();
    EXPECT_EQ(LoadText(text), AllLoaded());
    EXPECT_EQ(game->settings[0], 0);
}

TEST_F(Saved, GarbageNeverBreaksTheLoadAndTheLastMachineStaysInRange) {
    std::mt19937 rng(20240611);
    const std::string alphabet = "0123456789||||--+  \n\tx\xff\xc4\xb1";
    for (int round = 0; round < 200; ++round) {
        std::string text;
        const int len = static_cast<int>(rng() % 1200);
        for (int i = 0; i < len; ++i) text += alphabet[rng() % alphabet.size()];
        LoadText(text);
        EXPECT_GE(game->settings[1], 1);
        EXPECT_LE(game->settings[1], 5);
        EXPECT_GE(game->settings[10], 64);
        EXPECT_GE(game->settings[12], 8);
    }
}

// ---------------------------------------------------------------------------
// Round trips
// ---------------------------------------------------------------------------

TEST_F(Saved, RandomTablesComeBackEqualAfterASaveAndALoad) {
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> any(INT_MIN, INT_MAX);
    for (int round = 0; round < 20; ++round) {
        std::vector<int> settings(kSettingsCount), scores(100);
        std::vector<bool> flags(kFlagsCount);
        for (int i = 0; i < kSettingsCount; ++i) settings[i] = round % 2 ? any(rng) : any(rng) % 1000;
        settings[1] = 1 + static_cast<int>(rng() % 5);
        settings[10] = 64 + static_cast<int>(rng() % 1000);
        settings[11] = 64 + static_cast<int>(rng() % 1000);
        settings[12] = 8 + static_cast<int>(rng() % 1000);
        for (int i = 0; i < kFlagsCount; ++i) flags[i] = rng() % 2 == 0;
        for (int i = 0; i < 100; ++i) scores[i] = round % 2 ? any(rng) : static_cast<int>(rng() % 100000);
        for (int i = 0; i < kSettingsCount; ++i) game->settings[i] = settings[i];
        for (int i = 0; i < kFlagsCount; ++i) game->flags[i] = flags[i];
        for (int i = 0; i < 100; ++i) game->scores[i] = scores[i];
        game->scores[100] = 55;  // beyond the saved tables
        game->m_Save();
        FillUntouched();
        game->scores[100] = 0;
        testing::internal::CaptureStdout();
        game->m_Load();
        EXPECT_EQ(testing::internal::GetCapturedStdout(), AllLoaded());
        for (int i = 0; i < kSettingsCount; ++i) ASSERT_EQ(game->settings[i], settings[i]) << round << " " << i;
        for (int i = 0; i < kFlagsCount; ++i) ASSERT_EQ(game->flags[i], flags[i]) << round << " " << i;
        for (int i = 0; i < 100; ++i) ASSERT_EQ(game->scores[i], scores[i]) << round << " " << i;
        EXPECT_EQ(game->scores[100], 0);
    }
}

TEST_F(Saved, ANewGameObjectReadsTheSavedProgressAndStartsOnTheLastMachine) {
    SavedText s = Sample();
    WriteStateFile(s.Text(game));
    testing::internal::CaptureStdout();
    Recreate();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), AllLoaded());
    EXPECT_EQ(game->machine, kMachineFizzcrate);
    EXPECT_FLOAT_EQ(game->menuScrollY, 312 - 3 * 108);
    EXPECT_EQ(game->scores[40], 5000);
    EXPECT_EQ(game->scores[99], 37);
}

TEST_F(Saved, SuspendingTheGameSavesTheProgress) {
    game->scores[12] = 4321;
    game->settings[3] = 17;
    app->InvokeOnSuspend();
    const std::vector<std::string> p = Pieces(ReadStateFile());
    ASSERT_EQ(p.size(), 141u);
    EXPECT_EQ(p[3], "17");
    EXPECT_EQ(p[56 + 4], "4321");  // row 1, top-ten entry 2
    app->InvokeOnResume();
}

}  // namespace
