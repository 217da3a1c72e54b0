// saved_seed_test.cpp - the saved-progress seeds are what the game itself saves:
// each seed's tables are set on the real game object and saved with m_Save, and
// the state file must equal the committed seed byte for byte (a change of the
// saved format shows here first). With TUMBLEROO_FUZZ_WRITE_SEEDS set, the seeds
// are written instead.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "game/shell/game.h"
#include "host/app.h"
#include "tests/fuzz/fuzz_targets.h"

namespace {

std::string SeedPath(const char* name) {
    return std::string(TUMBLEROO_SOURCE_DIR) + "/tests/fuzz/seeds/saved/" + name;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void ClearTables(kx_Tumbleroo_MyApp* game) {
    for (int i = 0; i < kSettingsCount; ++i) game->settings[i] = 0;
    game->settings[kSettingSound] = 1;
    for (int i = 0; i < kFlagsCount; ++i) game->flags[i] = false;
    for (int i = 0; i < kScoresCount; ++i) game->scores[i] = 0;
}

// A cabinet some way into play: machines unlocked, coins, a few flags (bit 31 of a
// badge word among them, saved negative) and partly filled score tables.
void FillCabinet(kx_Tumbleroo_MyApp* game) {
    game->settings[1] = 3;
    game->settings[2] = 0x1F;
    game->settings[3] = 145;
    game->settings[10] = 64;
    game->settings[11] = 64;
    game->settings[12] = 10;
    game->flags[0] = true;
    game->flags[31] = true;
    game->flags[200] = true;
    for (int m = 0; m < 5; ++m) {
        for (int j = 0; j < 10; ++j) {
            game->scores[10 * m + j] = (10 - j) * 1000 + m;
            game->scores[50 + 10 * m + j] = j * 37 - 5;
        }
    }
}

void CheckSeed(const char* name, void (*fill)(kx_Tumbleroo_MyApp*)) {
    kx_Tumbleroo_MyApp* game = fuzz::SavedGame();
    ClearTables(game);
    if (fill) fill(game);
    game->m_Save();
    const std::string saved = ReadFile(kStateFileName);
    ASSERT_FALSE(saved.empty());
    if (std::getenv("TUMBLEROO_FUZZ_WRITE_SEEDS")) {
        std::ofstream(SeedPath(name), std::ios::binary) << saved;
        return;
    }
    EXPECT_EQ(ReadFile(SeedPath(name)), saved) << name;
}

TEST(SavedSeeds, AreWhatAFreshGameSaves) { CheckSeed("fresh.txt", nullptr); }

TEST(SavedSeeds, AreWhatACabinetInPlaySaves) { CheckSeed("cabinet.txt", FillCabinet); }

}  // namespace
