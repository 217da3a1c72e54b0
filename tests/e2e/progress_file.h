// progress_file.h - the tests' own reading and writing of the game's state file:
// 140 numbers each followed by "|" (25 settings and their sum, 8 flag words and
// their sum, five score rows of ten top/last pairs and their sum). Built from the
// file format alone, so that the program's saving is checked against an
// independent reader.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace e2e {

constexpr int kMachines = 5;
constexpr int kTableSize = 10;
constexpr const char* kStateFileName = ".quorvelstate";

struct Progress {
    std::array<std::int32_t, 25> settings{};
    std::array<std::int32_t, 8> badgeWords{};
    std::array<std::array<std::int32_t, kTableSize>, kMachines> top{};   // by machine - 1, best first
    std::array<std::array<std::int32_t, kTableSize>, kMachines> last{};  // newest first

    // Section checksums as the format defines them (32-bit wrapping sums).
    std::int32_t SettingsSum() const;
    std::int32_t BadgeSum() const;
    std::int32_t RowSum(int row) const;

    std::string Serialise() const;
};

struct ParsedProgress {
    bool wellFormed = false;   // exactly 140 numbers, each followed by "|"
    bool settingsValid = false;
    bool badgesValid = false;
    std::array<bool, kMachines> rowValid{};
    Progress values;
    bool AllValid() const;
};

ParsedProgress ParseProgress(const std::string& text);

// Whole-file helpers; Read returns false when the file cannot be opened.
bool ReadFile(const std::string& path, std::string* out);
bool WriteFile(const std::string& path, const std::string& text);

}  // namespace e2e
