// progress_file.cpp - the tests' reader and writer of the state file's numbers
// and checksums.
#include "tests/e2e/progress_file.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

namespace e2e {
namespace {

constexpr int kNumbers = 140;
constexpr int kSettingsEnd = 25;      // settings, then their checksum
constexpr int kBadgeStart = 26;       // 8 words, then their checksum
constexpr int kRowsStart = 35;        // 5 rows of 21
constexpr int kRowLength = 21;

// Sums wrap as 32-bit two's complement; doing them unsigned keeps that defined.
std::int32_t Wrap(std::uint32_t v) { return static_cast<std::int32_t>(v); }

bool StrictNumber(const std::string& s, std::int32_t* out) {
    if (s.empty()) return false;
    std::size_t i = s[0] == '-' ? 1 : 0;
    if (i == s.size()) return false;
    for (std::size_t k = i; k < s.size(); ++k)
        if (s[k] < '0' || s[k] > '9') return false;
    long long v = std::strtoll(s.c_str(), nullptr, 10);
    if (v < INT32_MIN || v > INT32_MAX) return false;
    *out = static_cast<std::int32_t>(v);
    return true;
}

}  // namespace

std::int32_t Progress::SettingsSum() const {
    std::uint32_t sum = 0;
    for (int i = 0; i < 25; ++i) sum += static_cast<std::uint32_t>(i) * static_cast<std::uint32_t>(settings[i]);
    return Wrap(sum);
}

std::int32_t Progress::BadgeSum() const {
    std::uint32_t sum = 0;
    for (std::int32_t w : badgeWords) sum += static_cast<std::uint32_t>(w);
    return Wrap(sum);
}

std::int32_t Progress::RowSum(int row) const {
    std::uint32_t sum = 0;
    for (int j = 0; j < kTableSize; ++j) {
        sum += static_cast<std::uint32_t>(j + 4) * static_cast<std::uint32_t>(top[row][j]);
        sum += static_cast<std::uint32_t>(row + 3 + j) * static_cast<std::uint32_t>(last[row][j]);
    }
    return Wrap(sum);
}

std::string Progress::Serialise() const {
    std::ostringstream out;
    for (std::int32_t v : settings) out << v << '|';
    out << SettingsSum() << '|';
    for (std::int32_t w : badgeWords) out << w << '|';
    out << BadgeSum() << '|';
    for (int m = 0; m < kMachines; ++m) {
        for (int j = 0; j < kTableSize; ++j) out << top[m][j] << '|' << last[m][j] << '|';
        out << RowSum(m) << '|';
    }
    return out.str();
}

bool ParsedProgress::AllValid() const {
    bool rows = true;
    for (bool r : rowValid) rows = rows && r;
    return wellFormed && settingsValid && badgesValid && rows;
}

ParsedProgress ParseProgress(const std::string& text) {
    ParsedProgress p;
    std::vector<std::int32_t> n;
    std::size_t start = 0;
    bool strict = !text.empty() && text.back() == '|';
    while (start < text.size()) {
        std::size_t bar = text.find('|', start);
        if (bar == std::string::npos) break;
        std::int32_t v = 0;
        strict = strict && StrictNumber(text.substr(start, bar - start), &v);
        n.push_back(v);
        start = bar + 1;
    }
    p.wellFormed = strict && static_cast<int>(n.size()) == kNumbers;
    if (!p.wellFormed) return p;

    Progress& v = p.values;
    for (int i = 0; i < 25; ++i) v.settings[i] = n[i];
    p.settingsValid = v.SettingsSum() == n[kSettingsEnd];
    for (int b = 0; b < 8; ++b) v.badgeWords[b] = n[kBadgeStart + b];
    p.badgesValid = v.BadgeSum() == n[kBadgeStart + 8];
    for (int m = 0; m < kMachines; ++m) {
        int base = kRowsStart + m * kRowLength;
        for (int j = 0; j < kTableSize; ++j) {
            v.top[m][j] = n[base + 2 * j];
            v.last[m][j] = n[base + 2 * j + 1];
        }
        p.rowValid[m] = v.RowSum(m) == n[base + 20];
    }
    return p;
}

bool ReadFile(const std::string& path, std::string* out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream s;
    s << in.rdbuf();
    *out = s.str();
    return true;
}

bool WriteFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    return static_cast<bool>(out);
}

}  // namespace e2e
