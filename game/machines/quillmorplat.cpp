// quillmorplat.cpp - machine 1, QuillmorPlat: a platform run on the pay line of
// eight reels. Once the reels stop, a runner enters from the left ledge and moves
// by itself a cell at a time: it walks, turns at walls, collects coins, rides the
// whole reel bank one cell up or down on climb and drop cells, and dies on a
// hazard, off the left ledge or when its run timer runs out; the right ledge is
// the exit. The play flow calls m_LoadGame_QuillmorPlat when a game starts and
// m_Game_QuillmorPlat every tick after the reels have been moved and drawn.
//
// Sections: loader; the tick and its drawing; actions; the run; the decision;
// the SPIN control.
#include "game/shell/game.h"

namespace {

constexpr int kReels = 8;
constexpr int kSoundBank = 1;
constexpr int kStartLives = 3;
constexpr int kPitch = 32;  // no gap on this machine

enum PlatPhase { QP_READY = 0, QP_RUNNING = 1, QP_DYING = 2, QP_EXIT = 3, QP_OVER = 5 };
enum PlatAction { ACT_DECIDE = 0, ACT_WALK = 1, ACT_TURN = 2, ACT_RIDE = 3 };
enum Symbol { SYM_FLOOR = 1, SYM_WALL = 2, SYM_CLIMB = 3, SYM_COIN = 4, SYM_HAZARD = 5, SYM_DROP = 6 };

constexpr float kLeftLedge = -1;
constexpr float kOffLeftLedge = -2;
constexpr float kRightLedge = 8;
constexpr float kStride = 0.0625f;  // one cell in 16 ticks
constexpr float kRunnerNudge = 0.75f;
constexpr int kRunnerFrame = 16;    // drawn frame = 16 + runnerAnim / 2
constexpr int kAnimPerFrame = 2;
constexpr int kWalkAnimLast = 9;    // walk frames 17 to 20 ...
constexpr int kWalkAnimLoop = 2;    // ... looping back to 17
constexpr int kRideAnimFirst = 7;   // ride frames 20 to 23
constexpr int kRideAnimLast = 14;
constexpr int kRideAnimStart = 8;
constexpr int kDeadAnim = 15;       // frame 23
constexpr int kExitAnim = 31;       // frame 31

constexpr int kRunTicks = 600;      // still ticks per run
constexpr int kRideCells = 24;      // a speed of 24 x friction turns a reel exactly one cell

constexpr int kCollectedOverlay = 1;  // a collected coin shows as floor

constexpr int kCoinScore = 25;
constexpr int kRideScore = 15;
constexpr int kWalkScore = 5;
constexpr int kTurnScore = 10;
constexpr int kExitScore = 100;

constexpr int kSfxCoin = kSfxBank1;
constexpr int kSfxExit = kSfxBank2;
constexpr int kSfxDie = kSfxBank3;
constexpr int kSfxStep = kSfxBank4;

constexpr int kFrameLedge = 0;
constexpr int kFrameEntrance = 10;

const ReelSetup kPlatReels = {"Reel_Plat", kSoundBank, kReels, {180, 40, 0}, {0, 0, 0}, {50, 10, 10, 15, 5, 10}, {}};

// Footsteps fall on these step values before the move: two per cell either way.
bool IsFootstep(float step) { return step == 0.125f || step == 0.625f || step == -0.125f || step == -0.625f; }

}  // namespace

// ===========================================================================
// Loader
// ===========================================================================

// The phase is left to the play flow, which zeroes it after every loader.
int kx_Tumbleroo_MyApp::m_LoadGame_QuillmorPlat() {
    m_SetUpReels(kPlatReels);
    runnerPos = kLeftLedge;
    runnerStep = 0;
    runnerDir = 1;
    runnerAction = ACT_DECIDE;
    runnerAnim = 0;
    lives = kStartLives;
    return 0;
}

// ===========================================================================
// The tick and its drawing
// ===========================================================================

// A death or the exit is settled in the same tick as the decision or the timer
// that caused it.
int kx_Tumbleroo_MyApp::m_Game_QuillmorPlat() {
    reels.reelPitch = kPitch;
    m_DrawPlatLedges();
    m_DrawRunner();
    m_RunnerAction();
    if (phase == QP_RUNNING) m_PlatRun();
    if (phase == QP_DYING) {
        m_PlaySFX(kSfxDie, 1, 1, 0);
        lives -= 1;
        if (lives > 0) {
            phase = QP_READY;
        } else {
            gameOver = 1;
            phase = QP_OVER;
        }
    }
    if (phase == QP_EXIT) {
        m_PlaySFX(kSfxExit, 1, 1, 0);
        score += kExitScore;
        phase = QP_READY;
    }
    m_PlatSpinControl();
    return 0;
}

// The lane and exit, the entrance beyond the left ledge, and a ledge tile at each
// end of the pay line.
int kx_Tumbleroo_MyApp::m_DrawPlatLedges() {
    const float half = static_cast<float>(kPitch / 2);
    m_DrawLaneAndExit(half);
    const float s = reels.reelScale;
    const float cx = reels.reelCentreX;
    const float y = reels.reelCentreY + 2;
    const float n = static_cast<float>(kReels);
    m_SetSize(s, s);
    m_SetCol(255, 255, 255, 1);
    m_DrawImg(kImgReels, cx - half * s * (n + 2), y, kFrameEntrance);
    m_DrawImg(kImgReels, cx - half * s * (n + 1), y, kFrameLedge);
    m_DrawImg(kImgReels, cx + half * s * (n + 1), y, kFrameLedge);
    return 0;
}

// Mirrored through a negative horizontal size while facing left.
int kx_Tumbleroo_MyApp::m_DrawRunner() {
    const float s = reels.reelScale;
    const float half = static_cast<float>(kPitch / 2);
    const float n = static_cast<float>(kReels);
    const float x = reels.reelCentreX - (n - 2 * (runnerPos + 1 + runnerStep) + kRunnerNudge) * half * s - 2;
    m_SetSize(s * runnerDir, s);
    m_DrawImg(kImgReels, x, reels.reelCentreY, static_cast<float>(kRunnerFrame + runnerAnim / kAnimPerFrame));
    return 0;
}

// ===========================================================================
// Actions
// ===========================================================================

int kx_Tumbleroo_MyApp::m_RunnerAction() {
    switch (runnerAction) {
        case ACT_WALK:
            m_RunnerWalk();
            break;
        case ACT_TURN:
            runnerDir = -runnerDir;
            runnerAction = ACT_DECIDE;
            runnerAnim = 0;
            break;
        case ACT_RIDE: {
            if (reels.reelsMoving == 0) runnerAction = ACT_DECIDE;
            const int old = runnerAnim;
            runnerAnim = old >= kRideAnimFirst && old <= kRideAnimLast ? old + 1 : kRideAnimStart;
            break;
        }
        default:
            if (phase == QP_RUNNING) runnerAnim = 0;
            break;
    }
    return 0;
}

// A whole cell ends the step either way; the direction is set again from the side
// the step ended on.
int kx_Tumbleroo_MyApp::m_RunnerWalk() {
    runnerAnim += 1;
    if (IsFootstep(runnerStep)) m_PlaySFX(kSfxStep, 1, 1, 0);
    if (runnerAnim > kWalkAnimLast) runnerAnim = kWalkAnimLoop;
    runnerStep += kStride * runnerDir;
    if (runnerStep >= 1) {
        runnerStep = 0;
        runnerPos += 1;
        runnerDir = 1;
        runnerAction = ACT_DECIDE;
    } else if (runnerStep <= -1) {
        runnerStep = 0;
        runnerPos -= 1;
        runnerDir = -1;
        runnerAction = ACT_DECIDE;
    }
    return 0;
}

// ===========================================================================
// The run: timer bar, timer, decision
// ===========================================================================

// The timer only counts ticks in which every reel is still, so riding is free.
int kx_Tumbleroo_MyApp::m_PlatRun() {
    const float w = kx_Tumbleroo_jscrw;
    const float c = reels.reelScale * static_cast<float>(kPitch);
    const float left = reels.reelCentreX - 0.25f * w;
    const float top = reels.reelCentreY + 1.5f * c;
    const float length = 0.5f * w * static_cast<float>(runTimer) / kRunTicks;
    m_SetCol(100, 255, 100, 0.5f);
    m_Rect(left, top, length, 32);
    m_Rect(left, top + 4, length, 24);
    if (reels.reelsMoving == 0) runTimer -= 1;
    if (runTimer <= 0) {
        runTimer = 0;
        phase = QP_DYING;
        runnerAnim = kDeadAnim;
        runnerAction = ACT_DECIDE;
    } else if (reels.reelsMoving == 0 && runnerAction == ACT_DECIDE) {
        m_RunnerDecide();
    }
    return 0;
}

// Symbol of the cell `row` rows below the pay line of a reel (negative: above); 0 for
// a reel off the pay line.
int kx_Tumbleroo_MyApp::m_PlatSymbol(int reel, int row) {
    if (reel < 0 || reel >= kReels) return 0;
    return reels.PaySymbol(reel, row);
}

// The runner stands on a whole cell and every reel is still. A ledge position (−1
// or 8) reads as empty all round, so only a wall ahead matters there.
int kx_Tumbleroo_MyApp::m_RunnerDecide() {
    int here = 0, above = 0, below = 0;
    int reel = -1;
    if (runnerPos > kLeftLedge && runnerPos < kRightLedge) {
        reel = static_cast<int>(runnerPos);
        here = m_PlatSymbol(reel, 0);
        above = m_PlatSymbol(reel, -1);
        below = m_PlatSymbol(reel, 1);
    }
    const int next = static_cast<int>(runnerPos + runnerDir);
    const int ahead = m_PlatSymbol(next, 0);
    const int walkOrTurn = ahead == SYM_WALL ? ACT_TURN : ACT_WALK;
    runnerAction = walkOrTurn;
    if (here == SYM_COIN) {
        int& overlay = reels.PayOverlay(reel);
        if (overlay == 0) {
            overlay = kCollectedOverlay;
            score += kCoinScore;
            m_PlaySFX(kSfxCoin, 1, 1, 0);
        }
    } else if (here == SYM_CLIMB && above != SYM_WALL) {
        m_RideReels(1);
    } else if (here == SYM_DROP && below != SYM_WALL && below != SYM_CLIMB) {
        m_RideReels(-1);
    }
    if (runnerPos == kOffLeftLedge && runnerDir == -1) m_RunnerStops(QP_DYING, kDeadAnim);
    if (runnerPos == kRightLedge && runnerDir == 1) m_RunnerStops(QP_EXIT, kExitAnim);
    if (here == SYM_HAZARD) m_RunnerStops(QP_DYING, kDeadAnim);
    if (runnerAction == ACT_WALK) score += kWalkScore;
    if (runnerAction == ACT_TURN) score += kTurnScore;
    return 0;
}

// Every reel turns one cell: up (+1) brings the cell above onto the pay line, down
// (−1) the cell below.
int kx_Tumbleroo_MyApp::m_RideReels(int direction) {
    runnerAction = ACT_RIDE;
    score += kRideScore;
    const float speed = static_cast<float>(direction * kRideCells) * kx_Tumbleroo_Friction;
    for (int r = 0; r < reels.reelCount; ++r) reels.reelSpeed[r] = speed;
    return 0;
}

int kx_Tumbleroo_MyApp::m_RunnerStops(int newPhase, int anim) {
    phase = newPhase;
    runnerAnim = anim;
    runnerAction = ACT_DECIDE;
    return 0;
}

// ===========================================================================
// The SPIN control
// ===========================================================================

// A spin starts a new run from the left ledge with a full timer.
int kx_Tumbleroo_MyApp::m_PlatSpinControl() {
    const bool ready = reels.reelsMoving == 0 && phase == QP_READY;
    static const String kSpinLabel("SPIN!");  // drawn every tick: made once
    const int pressed = m_DrawSpin(kSpinLabel, ready ? 1 : 0);
    if (pressed == 0 || pointerUsed != 0 || !ready) return 0;
    m_StartSpin();
    phase = QP_RUNNING;
    runnerPos = kLeftLedge;
    runnerStep = 0;
    runnerDir = 1;
    runnerAction = ACT_DECIDE;
    runnerAnim = 0;
    runTimer = kRunTicks;
    return 0;
}
