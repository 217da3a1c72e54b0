// cubewick.cpp - machine 2, Cubewick: a walker crosses the six cells of the pay
// line once the reels stop and eats what stands in each. Dots and bonus items
// score, a power item turns the reel bank over to its powered-up pictures and makes
// every later monster edible, a monster met without power kills the walker. The
// play flow calls m_LoadGame_Cubewick when a game starts and m_Game_Cubewick every
// tick after the reels have been moved and drawn; both hand over to the machine's
// object (cubewick.h), which draws the lane and exit through the shared contract.
//
// Sections: loader; the tick; walking and eating; dying; the SPIN control.
#include "game/shell/game.h"

namespace {

constexpr int kReels = 6;
constexpr int kSoundBank = 2;  // the only machine on the second bank: entering it reloads

enum CubewickPhase { CW_READY = 0, CW_WALKING = 1, CW_AT_END = 2, CW_DYING = 3, CW_OVER = 5 };
enum Symbol { SYM_DOT = 1, SYM_BONUS = 2, SYM_POWER = 3, SYM_FIRST_MONSTER = 4, SYM_LAST_MONSTER = 7 };

constexpr float kWalkerStart = -1;   // left of the reels, in the lane
constexpr float kStride = 0.0625f;  // one cell in 16 ticks
constexpr float kWalkerNudge = 0.85f;  // the walker stands a little right of its cell's start
constexpr int kWalkerFrame = 16;     // drawn frame = 16 + walkerAnim / 4
constexpr int kAnimPerFrame = 4;
constexpr int kWalkCycle = 8;        // frames 16 and 17, four ticks each
constexpr int kDyingFrom = 32;       // frames 24 to 31 ...
constexpr int kDyingTo = 63;         // ... over 31 ticks
constexpr int kFallenAnim = 8;       // frame 18, kept until the next spin

constexpr int kEatenOverlay = 19;  // sheet frame 18 drawn over an eaten cell

constexpr int kDotScore = 5;
constexpr int kBonusScore = 25;
constexpr int kPowerScore = 50;
constexpr int kMonsterScore = 50;

constexpr int kSfxEat = kSfxBank1;
constexpr int kSfxEnd = kSfxBank2;
constexpr int kSfxDie = kSfxBank3;
constexpr int kSfxBonus = kSfxBank4;
constexpr int kSfxPower = kSfxBank5;
constexpr int kSfxMonster = kSfxBank6;


const ReelSetup kCubewickReels = {"Reel_Cubewick", kSoundBank, kReels, {0, 80, 180}, {0, 40, 80},
                                  {50, 15, 20, 4, 3, 4, 4}, {}};

}  // namespace

// ===========================================================================
// Loader
// ===========================================================================

int kx_Tumbleroo_Cubewick::Load() {
    game.m_StartMachine(kCubewickReels);
    walkerPos = kWalkerStart;
    walkerStep = 0;
    walkerAnim = 0;
    return 0;
}

// ===========================================================================
// The tick
// ===========================================================================

// Nothing walks while any reel still moves, even in the walking phase. The end of
// the row and the end of the dying are both settled in the tick they happen.
int kx_Tumbleroo_Cubewick::Tick() {
    controls.Clear();
    const int half = (game.reels.reelPitch + game.reels.reelGap) / 2;
    game.m_DrawLaneAndExit(static_cast<float>(half));
    DrawWalker(static_cast<float>(half));
    if (game.phase == CW_WALKING && game.reels.reelsMoving == 0) Walk();
    if (game.phase == CW_AT_END) {
        game.m_PlaySFX(kSfxEnd, 1, 1, 0);
        game.phase = CW_READY;
    }
    if (game.phase == CW_DYING) Dying();
    SpinControl();
    return 0;
}

int kx_Tumbleroo_Cubewick::DrawWalker(float half) {
    const float s = game.reels.reelScale;
    const float n = static_cast<float>(game.reels.reelCount);
    const float x = game.reels.reelCentreX - half * s * (n - 2 * (walkerPos + 1 + walkerStep) + kWalkerNudge) - 2;
    game.m_SetSize(s, s);
    game.m_SetCol(255, 255, 255, 1);
    game.m_DrawImg(kImgReels, x, game.reels.reelCentreY, static_cast<float>(kWalkerFrame + walkerAnim / kAnimPerFrame));
    return 0;
}

// ===========================================================================
// Walking and eating
// ===========================================================================

// The cell is eaten on the tick the walker arrives on it; reaching index reelCount
// is the end of the row.
int kx_Tumbleroo_Cubewick::Walk() {
    walkerAnim = (walkerAnim + 1) % kWalkCycle;
    walkerStep += kStride;
    if (walkerStep < 1) return 0;
    walkerStep = 0;
    walkerPos += 1;
    const float n = static_cast<float>(game.reels.reelCount);
    if (walkerPos > -1 && walkerPos < n) EatCell(static_cast<int>(walkerPos));
    if (walkerPos == n) game.phase = CW_AT_END;
    return 0;
}

// Eats the pay-line cell of the reel. Every symbol leaves the eaten mark, the fatal
// monster included, so the walker's last cell shows where it fell.
int kx_Tumbleroo_Cubewick::EatCell(int reel) {
    const int symbol = game.reels.PaySymbol(reel);
    if (symbol < SYM_DOT || symbol > SYM_LAST_MONSTER) return 0;
    game.reels.PayOverlay(reel) = kEatenOverlay;
    if (symbol == SYM_DOT) {
        game.score += kDotScore;
        game.m_PlaySFX(kSfxEat, 1, 1, 0);
    } else if (symbol == SYM_BONUS) {
        game.score += kBonusScore;
        game.m_PlaySFX(kSfxEat, 1, 1, 0);
        game.m_PlaySFX(kSfxBonus, 1, 1, 0);
    } else if (symbol == SYM_POWER) {
        game.reels.symbolBank = 1;
        game.score += kPowerScore;
        game.m_PlaySFX(kSfxEat, 1, 1, 0);
        game.m_PlaySFX(kSfxPower, 1, 1, 0);
    } else if (game.reels.symbolBank == 1) {
        game.score += kMonsterScore;
        game.m_PlaySFX(kSfxMonster, 1, 1, 0);
    } else {
        game.phase = CW_DYING;
        walkerAnim = kDyingFrom;
        game.m_PlaySFX(kSfxDie, 1, 1, 0);
    }
    return 0;
}

// ===========================================================================
// Dying
// ===========================================================================

// The first step runs in the tick the monster was met, so the whole fall takes 31
// ticks; the life goes at its end.
int kx_Tumbleroo_Cubewick::Dying() {
    walkerAnim += 1;
    if (walkerAnim < kDyingTo) return 0;
    walkerAnim = kFallenAnim;
    game.m_NoteLoss(String("Met a monster!"));
    return game.m_LoseLife(CW_READY, CW_OVER);
}

// ===========================================================================
// The SPIN control
// ===========================================================================

// A spin puts the walker back in the lane and ends the power.
int kx_Tumbleroo_Cubewick::SpinControl() {
    const int spun = game.m_SpinControl(game.phase == CW_READY);
    controls.Add(game.lastButton, 0, true);
    if (spun == 0) return 0;
    game.phase = CW_WALKING;
    walkerPos = kWalkerStart;
    walkerStep = 0;
    game.reels.symbolBank = 0;
    walkerAnim = 0;
    return 0;
}

// ===========================================================================
// The game object's named entry points
// ===========================================================================

int kx_Tumbleroo_MyApp::m_LoadGame_Cubewick() { return cubewick.Load(); }

int kx_Tumbleroo_MyApp::m_Game_Cubewick() { return cubewick.Tick(); }
