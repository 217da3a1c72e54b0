// saved.cpp - fuzz target of the saved progress: any bytes as the state file, read
// by the real game object's m_Load through the host's state file, saved again by
// m_Save, and read back by a second m_Load. The second load must give exactly the
// settings, flags and score tables the first produced, the saved text must be the
// 140 "|"-terminated numbers, and saving again must write the same bytes.
//
// The game object is made as start-up makes it but without a window (loading and
// saving touch neither GL nor sound); the state file lives in a private folder on
// a memory file system when there is one.
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "game/shell/game.h"
#include "host/app.h"
#include "tests/fuzz/fuzz_targets.h"

namespace {

const char kName[] = "saved";
constexpr int kSavedNumbers = 140;
constexpr int kSavedScores = 100;  // entries from 100 on are never saved

struct Tables {
    std::vector<int> settings;
    std::vector<bool> flags;
    std::vector<int> scores;
    bool operator==(const Tables& o) const {
        return settings == o.settings && flags == o.flags && scores == o.scores;
    }
};

std::string g_folder;

void RemoveFolder() {
    if (g_folder.empty()) return;
    std::remove((g_folder + "/" + kStateFileName).c_str());
    rmdir(g_folder.c_str());
}

// A private working folder, so the state file of one process is nobody else's.
bool EnterFolder() {
    const char* bases[] = {"/dev/shm", std::getenv("TMPDIR"), "/tmp"};
    for (const char* base : bases) {
        if (!base) continue;
        std::string templ = std::string(base) + "/tumbleroo-fuzz-saved-XXXXXX";
        if (!mkdtemp(&templ[0])) continue;
        if (chdir(templ.c_str()) != 0) continue;
        g_folder = templ;
        std::atexit(RemoveFolder);
        return true;
    }
    return false;
}

}  // namespace

kx_Tumbleroo_MyApp* fuzz::SavedGame() {
    static kx_Tumbleroo_MyApp* game = [] {
        if (!EnterFolder()) fuzz::Fail(kName, "a private working folder");
        gc_init1();
        kxInit();
        gc_init2();
        kxMain();
        return static_cast<kx_Tumbleroo_MyApp*>(kx_app_device->m_app);
    }();
    return game;
}

namespace {

// The arrays as the create step leaves them just before it loads.
void SetDefaults(kx_Tumbleroo_MyApp* game) {
    for (int i = 0; i < kSettingsCount; ++i) game->settings[i] = 0;
    game->settings[kSettingSound] = 1;
    for (int i = 0; i < kFlagsCount; ++i) game->flags[i] = false;
    for (int i = 0; i < kScoresCount; ++i) game->scores[i] = 0;
}

// Different from anything a load may leave, so a section the second load failed to
// read cannot pass for one it read.
void Scramble(kx_Tumbleroo_MyApp* game) {
    for (int i = 0; i < kSettingsCount; ++i) game->settings[i] = -(i + 1) * 7919;
    for (int i = 0; i < kFlagsCount; ++i) game->flags[i] = !game->flags[i];
    for (int i = 0; i < kSavedScores; ++i) game->scores[i] = ~game->scores[i];
}

Tables Snapshot(const kx_Tumbleroo_MyApp* game) {
    Tables t;
    for (int i = 0; i < kSettingsCount; ++i) t.settings.push_back(game->settings[i]);
    for (int i = 0; i < kFlagsCount; ++i) t.flags.push_back(game->flags[i]);
    for (int i = 0; i < kScoresCount; ++i) t.scores.push_back(game->scores[i]);
    return t;
}

void WriteState(const std::uint8_t* data, std::size_t size) {
    FILE* f = std::fopen(kStateFileName, "wb");
    if (!f) fuzz::Fail(kName, "the state file can be written");
    if (size > 0 && std::fwrite(data, 1, size, f) != size) fuzz::Fail(kName, "the whole input is written");
    std::fclose(f);
}

std::vector<unsigned char> ReadState() {
    std::vector<unsigned char> bytes;
    FILE* f = std::fopen(kStateFileName, "rb");
    if (!f) return bytes;
    int c;
    while ((c = std::fgetc(f)) != EOF) bytes.push_back(static_cast<unsigned char>(c));
    std::fclose(f);
    return bytes;
}

// 140 numbers, each an optional minus sign and digits without a leading zero,
// each followed by "|".
bool WellFormed(const std::vector<unsigned char>& text) {
    int numbers = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == '-') ++i;
        const std::size_t digits = i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
        const std::size_t count = i - digits;
        if (count == 0 || count > 10 || (count > 1 && text[digits] == '0')) return false;
        if (i >= text.size() || text[i] != '|') return false;
        ++i;
        ++numbers;
    }
    return numbers == kSavedNumbers;
}

// The bytes the save wrote, read back from the state file.
std::vector<unsigned char> Save(kx_Tumbleroo_MyApp* game) {
    std::remove(kStateFileName);
    game->m_Save();
    std::vector<unsigned char> bytes;
    if (FILE* file = std::fopen(kStateFileName, "rb")) {
        for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) bytes.push_back(static_cast<unsigned char>(c));
        std::fclose(file);
    }
    return bytes;
}

}  // namespace

namespace fuzz {

int Saved(const std::uint8_t* data, std::size_t size) {
    kx_Tumbleroo_MyApp* game = SavedGame();
    SetDefaults(game);
    WriteState(data, size);
    game->m_Load();
    const Tables first = Snapshot(game);

    const std::vector<unsigned char> saved = Save(game);
    FUZZ_CHECK(kName, WellFormed(saved));
    FUZZ_CHECK(kName, ReadState() == saved);

    Scramble(game);
    game->m_Load();
    FUZZ_CHECK(kName, Snapshot(game) == first);
    FUZZ_CHECK(kName, Save(game) == saved);
    // A full collection: the texts the load split are garbage now, and an input
    // that leaves memory behind makes libFuzzer search the heap for leaks.
    gc_force_sweep = true;
    gc_collect();
    return 0;
}

}  // namespace fuzz
