// flags.cpp - bit operations on 32-bit words (the menu keeps one unlock bit per
// machine in a saved setting with them) and the two hooks at which a platform
// game-centre service would receive a finished game's results. The menu calls the
// bit operations; the score-table update calls the hooks.
#include "game/shell/game.h"

namespace {

constexpr int kFirstBit = 1;
constexpr int kLastBit = 32;

bool BitInRange(int bit) { return bit >= kFirstBit && bit <= kLastBit; }

// Unsigned, so that bit 32 (the sign bit) shifts without overflow.
unsigned Mask(int bit) { return 1u << (bit - 1); }

}  // namespace

// Bits are numbered 1 (lowest) to 32; a number outside that names no bit of the word
// and leaves the value as it is rather than shifting by an undefined amount.
int kx_Tumbleroo_MyApp::m_SetFlag(int value, int bit, int on) {
    if (!BitInRange(bit)) return value;
    const unsigned word = static_cast<unsigned>(value);
    if (on == 0) return static_cast<int>(word & ~Mask(bit));
    if (on == 1) return static_cast<int>(word | Mask(bit));
    return value;
}

int kx_Tumbleroo_MyApp::m_GetFlag(int value, int bit) {
    if (!BitInRange(bit)) return 0;
    return static_cast<int>((static_cast<unsigned>(value) >> (bit - 1)) & 1u);
}

// No game-centre service on the desktop: the hooks take the results and need nothing back.
int kx_Tumbleroo_MyApp::m_GC_PostScore(int machineNumber, int bestScore) {
    (void)machineNumber;
    (void)bestScore;
    return 0;
}

int kx_Tumbleroo_MyApp::m_GC_Badges() { return 0; }
