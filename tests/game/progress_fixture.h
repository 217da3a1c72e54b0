// progress_fixture.h - shared fixture of the menu, game-over, saved-progress and
// end-to-end tests: a fresh game object with no state file left by an earlier test,
// input helpers that press and release through the real input device a tick apart,
// the state file read and written as text, and the text the display list spells.
#pragma once

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "game_harness.h"

namespace progresstest {

constexpr int kKeyDown = 40;   // arrow keys feed PK_DOWN / PK_UP
constexpr int kKeyUp = 38;
constexpr int kKeyZ = 90;      // feeds PK_A
constexpr int kKeyEscape = 27; // feeds PK_BACK
constexpr int kIntroTicks = 32;

inline std::string StatePath() {
    return (std::filesystem::path(gametest::WorkDir()) / kStateFileName).string();
}

inline void RemoveStateFile() {
    std::error_code ec;
    std::filesystem::remove(StatePath(), ec);
}

inline bool StateFileExists() { return std::filesystem::exists(StatePath()); }

inline std::string ReadStateFile() {
    std::ifstream in(StatePath(), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void WriteStateFile(const std::string& text) {
    std::ofstream out(StatePath(), std::ios::binary | std::ios::trunc);
    out << text;
}

// The "|"-separated pieces of a text, the empty piece after the last "|" included.
inline std::vector<std::string> Pieces(const std::string& text) {
    std::vector<std::string> out;
    std::string cur;
    for (char c : text) {
        if (c == '|') {
            out.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    out.push_back(cur);
    return out;
}

inline std::string Join(const std::vector<long long>& values) {
    std::string s;
    for (long long v : values) s += std::to_string(v) + "|";
    return s;
}

class ProgressTest : public gametest::GameTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(gametest::EnsureProcess());
        RemoveStateFile();
        GameTest::SetUp();
    }
    void TearDown() override {
        RemoveStateFile();
        GameTest::TearDown();
    }

    // The loader done, the virtual screen fitted, and the menu's slide-in finished.
    void MenuReady() {
        RunLoader();
        Render();
        Tick(kIntroTicks);
    }

    // Window pixels per virtual unit, as the last fit found it.
    float Scale() const { return game->scaleX; }


    // Effects started since `before`: the effect ring moves one channel per effect.
    int EffectsSince(int before) const { return ((game->sfxChannel - before) % kSfxRing + kSfxRing) % kSfxRing; }

    // Image records of one slot, in list order.
    std::vector<gametest::Record> SlotRecords(int slot) const {
        std::vector<gametest::Record> out;
        for (int i = 0; i < RecordCount(); ++i) {
            if (static_cast<int>(Rec(i).kind) == slot) out.push_back(Rec(i));
        }
        return out;
    }

    // The lines of text drawn in one colour, top to bottom, rebuilt from the glyph
    // records: every line starts under the first character of its text, so a glyph's
    // column is its distance from the first glyph in character advances.
    std::vector<std::string> TextLines(float r, float g, float b) const {
        std::vector<gametest::Record> glyphs;
        for (const gametest::Record& rec : SlotRecords(game->fontSlot)) {
            if (rec.r == r && rec.g == g && rec.b == b) glyphs.push_back(rec);
        }
        std::vector<std::string> lines;
        if (glyphs.empty()) return lines;
        const float x0 = glyphs[0].x;
        const float y0 = glyphs[0].y;
        const float advance = static_cast<float>(game->slotInfo[game->fontSlot * 3]) * glyphs[0].w;
        const float lineHeight = static_cast<float>(game->slotInfo[game->fontSlot * 3 + 1]) * glyphs[0].h;
        for (const gametest::Record& rec : glyphs) {
            const int line = static_cast<int>(std::lround((rec.y - y0) / lineHeight));
            const int col = static_cast<int>(std::lround((rec.x - x0) / advance));
            if (line < 0 || col < 0) continue;
            if (static_cast<int>(lines.size()) <= line) lines.resize(line + 1);
            std::string& s = lines[line];
            if (static_cast<int>(s.size()) <= col) s.resize(col + 1, ' ');
            s[col] = static_cast<char>(rec.frame + 32);
        }
        return lines;
    }
};

}  // namespace progresstest
