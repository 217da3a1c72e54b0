// gameover.cpp - the end of a game: the game-over overlay (the screen darkens, two
// bands and the words GAME and OVER slide in, a "New Highscore" line names the
// place the score reaches) with its time line, the place rule, and the update of
// the machine's top-ten and last-ten tables. The dispatch runs m_GameOver every
// tick of an ended game and over the menu; m_LoadMenu runs the table update.
//
// Sections: overlay and time line; place; table update.
#include <cmath>

#include "game/shell/game.h"

namespace {

constexpr int kEndTick = 90;        // the overlay's last tick in play ...
constexpr int kFadeFrom = 73;       // ... and where its fade over the menu starts
constexpr int kFadeStep = 2;
constexpr float kShadeTicks = 40;   // the shade darkens by 1/40 per tick ...
constexpr float kShadeMax = 0.7f;   // ... up to this alpha
constexpr int kBandSpeed = 12;      // band length per tick
constexpr float kBandStop = 0.45f;  // of the screen height
constexpr int kFirstMachine = 1;
constexpr int kLastMachine = 5;
constexpr int kNoRank = -1;
// The ordinal stands on the second line behind eleven spaces.
const char kHighscoreText[] = "New Highscore\\n           ";
const char* const kOrdinals[kTableSize] = {"1st!", "2nd", "3rd", "4th", "5th",
                                           "6th",  "7th", "8th", "9th", "10th"};

bool MachineValid(int m) { return m >= kFirstMachine && m <= kLastMachine; }

}  // namespace

// ===========================================================================
// Overlay and time line
// ===========================================================================

// In play the time line counts up to 90, then hands over to the menu (state 2) at
// 73; over the menu it counts down by 2 to 0. Nothing is drawn while it is 0, so
// the first tick of an ended game shows no overlay.
int kx_Tumbleroo_MyApp::m_GameOver() {
    if (gameOverTimer > 0) m_GameOverOverlay(gameOverTimer);
    if (state == kScreenPlay) {
        gameOverTimer += 1;
        if (gameOverTimer >= kEndTick) {
            state = kScreenBackToMenu;
            gameOverTimer = kFadeFrom;
        }
    } else if (state < kScreenPlay) {
        gameOverTimer -= kFadeStep;
        if (gameOverTimer < 0) gameOverTimer = 0;
    }
    return 0;
}

int kx_Tumbleroo_MyApp::m_GameOverOverlay(int t) {
    const float w = kx_Tumbleroo_jscrw;
    const float h = kx_Tumbleroo_jscrh;
    m_SetCol(0, 0, 0, std::fmin(static_cast<float>(t) / kShadeTicks, kShadeMax));
    m_Rect(-1, -1, w + 2, h + 2);
    int band = kBandSpeed * t;
    if (static_cast<float>(band) > kBandStop * h) band = static_cast<int>(kBandStop * h);
    const float b = static_cast<float>(band);
    m_ResetDraw();
    m_SetCol(255, 255, 0, 0.5f);
    m_Rect(-1, 0.45f * h - 8, 2 * b, 16);
    m_SetCol(255, 128, 0, 0.5f);
    m_Rect(w - 2 * b, 0.55f * h - 8, 2 * b + 1, 16);
    m_ResetDraw();
    m_SetSize(4, kAbsent);
    m_SetCol(255, 180, 180, 1);
    static const String kGameWord("GAME");  // drawn every tick: made once
    m_Text(0.35f * w, b, kGameWord, 1, 1);
    static const String kOverWord("OVER");  // drawn every tick: made once
    m_Text(0.65f * w, h - b, kOverWord, 1, 1);
    m_NewHighscoreLine(b);
    return 0;
}

// Shown whenever the score reaches the table, ties included.
int kx_Tumbleroo_MyApp::m_NewHighscoreLine(float band) {
    const float w = kx_Tumbleroo_jscrw;
    const float h = kx_Tumbleroo_jscrh;
    const String ordinal = m_MyNth();
    if (loopIndex <= 0) return 0;
    const float y = h - band / 1.5f;
    m_SetSize(1, kAbsent);
    m_SetCol(0, 125, 255, 0.5f);
    m_Rect(0.35f * w, y - 16, 0.3f * w, 32);
    m_SetSize(2, kAbsent);
    m_SetCol(100, 255, 100, 1);
    m_Text(0.5f * w, y, String(kHighscoreText) + ordinal, 0.5f, 2);
    return 0;
}

// ===========================================================================
// Place
// ===========================================================================

// Place 1..10 is one past the first entry the score reaches or ties; 0 when it is
// below all ten. The place is also left in loopIndex for the caller.
String kx_Tumbleroo_MyApp::m_MyNth() {
    loopIndex = 0;
    if (!MachineValid(machine)) return String();
    const int base = TopTenAt(machine);
    for (int i = 0; i < kTableSize; ++i) {
        if (score >= scores[base + i]) {
            loopIndex = i + 1;
            return String(kOrdinals[i]);
        }
    }
    return String();
}

// ===========================================================================
// Table update
// ===========================================================================

// Runs once per finished game. The top ten needs strictly more than an entry to pass
// it, so a tie goes in below the equal entries (and a tie with the tenth is not
// entered); the last ten takes every game, newest first. Then the progress is saved.
int kx_Tumbleroo_MyApp::m_RecordScore() {
    newRank = kNoRank;
    if (!MachineValid(machine)) return 0;
    const int base = TopTenAt(machine);
    for (int i = 0; i < kTableSize; ++i) {
        if (scores[base + i] < score && newRank == kNoRank) newRank = i;
    }
    if (newRank >= 0) {
        for (int j = kTableSize - 1; j > newRank; --j) scores[base + j] = scores[base + j - 1];
        scores[base + newRank] = score;
    }
    m_GC_PostScore(machine, scores[base]);
    m_GC_Badges();
    const int last = LastTenAt(machine);
    for (int j = kTableSize - 1; j >= 1; --j) scores[last + j] = scores[last + j - 1];
    scores[last] = score;
    m_Save();
    return 0;
}
