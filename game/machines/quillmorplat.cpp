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

int kx_Tumbleroo_QuillmorPlat::Load() {
    game.m_StartMachine(kPlatReels);
    runnerPos = kLeftLedge;
    runnerStep = 0;
    runnerDir = 1;
    runnerAction = ACT_DECIDE;
    runnerAnim = 0;
    return 0;
}

// ===========================================================================
// The tick and its drawing
// ===========================================================================

// A death or the exit is settled in the same tick as the decision or the timer
// that caused it.
int kx_Tumbleroo_QuillmorPlat::Tick() {
    controls.Clear();
    game.reels.reelPitch = kPitch;
    DrawLedges();
    DrawRunner();
    Action();
    if (game.phase == QP_RUNNING) Run();
    if (game.phase == QP_DYING) {
        game.m_PlaySFX(kSfxDie, 1, 1, 0);
        game.m_LoseLife(QP_READY, QP_OVER);
    }
    if (game.phase == QP_EXIT) {
        game.m_PlaySFX(kSfxExit, 1, 1, 0);
        game.score += kExitScore;
        game.phase = QP_READY;
    }
    SpinControl();
    return 0;
}

// The lane and exit, the entrance beyond the left ledge, and a ledge tile at each
// end of the pay line.
int kx_Tumbleroo_QuillmorPlat::DrawLedges() {
    const float half = static_cast<float>(kPitch / 2);
    game.m_DrawLaneAndExit(half);
    const float s = game.reels.reelScale;
    const float cx = game.reels.reelCentreX;
    const float y = game.reels.reelCentreY + 2;
    const float n = static_cast<float>(kReels);
    game.m_SetSize(s, s);
    game.m_SetCol(255, 255, 255, 1);
    game.m_DrawImg(kImgReels, cx - half * s * (n + 2), y, kFrameEntrance);
    game.m_DrawImg(kImgReels, cx - half * s * (n + 1), y, kFrameLedge);
    game.m_DrawImg(kImgReels, cx + half * s * (n + 1), y, kFrameLedge);
    return 0;
}

// Mirrored through a negative horizontal size while facing left.
int kx_Tumbleroo_QuillmorPlat::DrawRunner() {
    const float s = game.reels.reelScale;
    const float half = static_cast<float>(kPitch / 2);
    const float n = static_cast<float>(kReels);
    const float x = game.reels.reelCentreX - (n - 2 * (runnerPos + 1 + runnerStep) + kRunnerNudge) * half * s - 2;
    game.m_SetSize(s * runnerDir, s);
    game.m_DrawImg(kImgReels, x, game.reels.reelCentreY, static_cast<float>(kRunnerFrame + runnerAnim / kAnimPerFrame));
    return 0;
}

// ===========================================================================
// Actions
// ===========================================================================

int kx_Tumbleroo_QuillmorPlat::Action() {
    switch (runnerAction) {
        case ACT_WALK:
            Walk();
            break;
        case ACT_TURN:
            runnerDir = -runnerDir;
            runnerAction = ACT_DECIDE;
            runnerAnim = 0;
            break;
        case ACT_RIDE: {
            if (game.reels.reelsMoving == 0) runnerAction = ACT_DECIDE;
            const int old = runnerAnim;
            runnerAnim = old >= kRideAnimFirst && old <= kRideAnimLast ? old + 1 : kRideAnimStart;
            break;
        }
        default:
            if (game.phase == QP_RUNNING) runnerAnim = 0;
            break;
    }
    return 0;
}

// A whole cell ends the step either way; the direction is set again from the side
// the step ended on.
int kx_Tumbleroo_QuillmorPlat::Walk() {
    runnerAnim += 1;
    if (IsFootstep(runnerStep)) game.m_PlaySFX(kSfxStep, 1, 1, 0);
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
int kx_Tumbleroo_QuillmorPlat::Run() {
    const float w = kx_Tumbleroo_jscrw;
    const float c = game.reels.reelScale * static_cast<float>(kPitch);
    const float left = game.reels.reelCentreX - 0.25f * w;
    const float top = game.reels.reelCentreY + 1.5f * c;
    const float length = 0.5f * w * static_cast<float>(runTimer) / kRunTicks;
    game.m_SetCol(100, 255, 100, 0.5f);
    game.m_Rect(left, top, length, 32);
    game.m_Rect(left, top + 4, length, 24);
    if (game.reels.reelsMoving == 0) runTimer -= 1;
    if (runTimer <= 0) {
        runTimer = 0;
        game.m_NoteLoss(String("Out of time!"));
        game.phase = QP_DYING;
        runnerAnim = kDeadAnim;
        runnerAction = ACT_DECIDE;
    } else if (game.reels.reelsMoving == 0 && runnerAction == ACT_DECIDE) {
        Decide();
    }
    return 0;
}

// Symbol of the cell `row` rows below the pay line of a reel (negative: above); 0 for
// a reel off the pay line.
int kx_Tumbleroo_QuillmorPlat::Symbol(int reel, int row) {
    if (reel < 0 || reel >= kReels) return 0;
    return game.reels.PaySymbol(reel, row);
}

// The runner stands on a whole cell and every reel is still. A ledge position (−1
// or 8) reads as empty all round, so only a wall ahead matters there.
int kx_Tumbleroo_QuillmorPlat::Decide() {
    int here = 0, above = 0, below = 0;
    int reel = -1;
    if (runnerPos > kLeftLedge && runnerPos < kRightLedge) {
        reel = static_cast<int>(runnerPos);
        here = Symbol(reel, 0);
        above = Symbol(reel, -1);
        below = Symbol(reel, 1);
    }
    const int next = static_cast<int>(runnerPos + runnerDir);
    const int ahead = Symbol(next, 0);
    const int walkOrTurn = ahead == SYM_WALL ? ACT_TURN : ACT_WALK;
    runnerAction = walkOrTurn;
    if (here == SYM_COIN) {
        int& overlay = game.reels.PayOverlay(reel);
        if (overlay == 0) {
            overlay = kCollectedOverlay;
            game.score += kCoinScore;
            game.m_PlaySFX(kSfxCoin, 1, 1, 0);
        }
    } else if (here == SYM_CLIMB && above != SYM_WALL) {
        Ride(1);
    } else if (here == SYM_DROP && below != SYM_WALL && below != SYM_CLIMB) {
        Ride(-1);
    }
    if (runnerPos == kOffLeftLedge && runnerDir == -1) {
        game.m_NoteLoss(String("Fell off the ledge!"));
        Stops(QP_DYING, kDeadAnim);
    }
    if (runnerPos == kRightLedge && runnerDir == 1) Stops(QP_EXIT, kExitAnim);
    if (here == SYM_HAZARD) {
        game.m_NoteLoss(String("Hit a hazard!"));
        Stops(QP_DYING, kDeadAnim);
    }
    if (runnerAction == ACT_WALK) game.score += kWalkScore;
    if (runnerAction == ACT_TURN) game.score += kTurnScore;
    return 0;
}

// Every reel turns one cell: up (+1) brings the cell above onto the pay line, down
// (−1) the cell below.
int kx_Tumbleroo_QuillmorPlat::Ride(int direction) {
    runnerAction = ACT_RIDE;
    game.score += kRideScore;
    const float speed = static_cast<float>(direction * kRideCells) * kx_Tumbleroo_Friction;
    for (int r = 0; r < game.reels.reelCount; ++r) game.reels.reelSpeed[r] = speed;
    return 0;
}

int kx_Tumbleroo_QuillmorPlat::Stops(int newPhase, int anim) {
    game.phase = newPhase;
    runnerAnim = anim;
    runnerAction = ACT_DECIDE;
    return 0;
}

// ===========================================================================
// The SPIN control
// ===========================================================================

// A spin starts a new run from the left ledge with a full timer.
int kx_Tumbleroo_QuillmorPlat::SpinControl() {
    const int spun = game.m_SpinControl(game.phase == QP_READY);
    controls.Add(game.lastButton, 0, true);
    if (spun == 0) return 0;
    game.phase = QP_RUNNING;
    runnerPos = kLeftLedge;
    runnerStep = 0;
    runnerDir = 1;
    runnerAction = ACT_DECIDE;
    runnerAnim = 0;
    runTimer = kRunTicks;
    return 0;
}

// ===========================================================================
// The game object's named entry points
// ===========================================================================

int kx_Tumbleroo_MyApp::m_LoadGame_QuillmorPlat() { return quillmorPlat.Load(); }

int kx_Tumbleroo_MyApp::m_Game_QuillmorPlat() { return quillmorPlat.Tick(); }
