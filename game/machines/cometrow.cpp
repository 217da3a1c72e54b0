// cometrow.cpp - machine 3, the lane crossing: a spin lays out eight reels as
// lanes of traffic; once they stop the lanes keep drifting (even lanes down, odd
// lanes up) and the player steps a ship from the left edge one lane per "Move->"
// press. An obstacle on the pay line under the ship costs a life; reaching the
// far side scores a bonus. m_LoadGame (play.cpp) runs the loader; m_Game runs
// the tick after the reels.
//
// Sections: loader; the tick; buttons; crossing; crash and arrival.
#include "game/shell/game.h"

namespace {

enum CometPhase {
    kCometReady = 0,
    kCometSpinning = 1,
    kCometCrossing = 2,
    kCometCrashed = 3,
    kCometCrossed = 4,
    kCometOver = 5
};

constexpr int kCometReels = 8;
constexpr int kStandardSoundSet = 1;
constexpr int kCometSpace = 1;         // the only symbol the ship may stand on

constexpr int kShipFrame = 16;
constexpr float kShipStart = -1;       // left of lane 0, where nothing collides
constexpr float kShipLean = 0.85f;     // the ship sits a little right of its lane's centre
constexpr float kShipMargin = 2;
constexpr float kStepStart = 0.1f;
constexpr float kStepRate = 0.1f;
constexpr float kStepHalf = 0.5f;      // beyond this the ship counts as in the next lane
constexpr float kStepDone = 0.9f;
constexpr float kDriftFrictions = 3.5f;
constexpr float kCellHalf = 0.5f;      // offsets beyond half a cell put a neighbour under the ship

constexpr float kPortraitButtonShift = 3.5f;  // buttons at spinW / 3.5 either side
constexpr float kLandscapeMoveDrop = 0.25f;
constexpr int kLaneScore = 5;
constexpr int kCrossingScore = 100;

const ReelSetup kCometReelSetup = {"Reel_UFO", kStandardSoundSet, kCometReels, {0, 80, 0}, {0, 0, 0}, {76, 6, 6, 6, 6}, {}};

}  // namespace

// ===========================================================================
// Loader
// ===========================================================================

int kx_Tumbleroo_Cometrow::Load() {
    game.m_StartMachine(kCometReelSetup);
    shipPos = kShipStart;
    shipStep = 0;
    SetReelRules();
    return 0;
}

// ===========================================================================
// The tick
// ===========================================================================

// The phase steps run one after another in the same tick, so a crash or an
// arrival is handled in the tick the crossing step finds it.
int kx_Tumbleroo_Cometrow::Tick() {
    controls.Clear();
    Ship();
    game.m_HighlightBar();
    game.m_SetSize(1, kAbsent);
    Buttons();
    if (game.reels.reelsMoving == 0 && game.phase == kCometSpinning) game.phase = kCometCrossing;
    if (game.phase == kCometCrossing) Cross();
    if (game.phase == kCometCrashed) Crash();
    if (game.phase == kCometCrossed) Arrive();
    SetReelRules();
    return 0;
}

// The lanes float unsnapped while the ship crosses, and only the stop after a
// player's spin clicks; the next tick's reels follow the phase this tick left.
int kx_Tumbleroo_Cometrow::SetReelRules() {
    game.reels.rules.snap = game.phase != kCometCrossing;
    game.reels.rules.click = game.phase == kCometSpinning;
    return 0;
}

int kx_Tumbleroo_Cometrow::Ship() {
    game.m_ResetDraw();
    game.m_SetSize(game.reels.reelScale, game.reels.reelScale);
    game.m_SetCol(255, 255, 255, 1);
    const float half = static_cast<float>((game.reels.reelPitch + game.reels.reelGap) / 2);
    const float lanes = static_cast<float>(game.reels.reelCount) - 2 * (shipPos + 1 + shipStep) + kShipLean;
    game.m_DrawImg(kImgReels, game.reels.reelCentreX - half * game.reels.reelScale * lanes - kShipMargin, game.reels.reelCentreY, kShipFrame);
    return 0;
}

// ===========================================================================
// Buttons
// ===========================================================================

// Both backings are opaque, as every machine's colours are (contract.cpp).
int kx_Tumbleroo_Cometrow::Buttons() {
    float spinAtX = game.spinX;
    float moveAtX = game.spinX;
    float moveAtY = game.spinY + kLandscapeMoveDrop * game.spinH;
    if (game.landscape == 0) {
        spinAtX = game.spinX - game.spinW / kPortraitButtonShift;
        moveAtX = game.spinX + game.spinW / kPortraitButtonShift;
        moveAtY = game.spinY;
    }
    game.m_SetCol(0, 120, 0, 1);
    const int ready = game.reels.reelsMoving == 0 && game.phase == kCometReady ? 1 : 0;
    static const String kSpinLabel("SPIN!");  // drawn every tick: made once
    const int spinPressed = game.m_AButton(spinAtX, game.spinY, kSpinLabel, ready, 1, 1);
    controls.Add(game.lastButton, 0, true);
    if (spinPressed != 0 && game.pointerUsed == 0 && ready == 1) {
        game.m_StartSpin();
        shipPos = kShipStart;
        shipStep = 0;
        game.phase = kCometSpinning;
        game.reels.reelsMoving = 1;
    }
    game.m_SetCol(0, 0, 120, 1);
    const int canMove = game.phase == kCometCrossing && shipStep == 0 ? 1 : 0;
    static const String kMoveLabel("Move->");  // drawn every tick: made once
    const int movePressed = game.m_AButton(moveAtX, moveAtY, kMoveLabel, canMove, 1, 1);
    controls.Add(game.lastButton, game.landscape == 0 ? 0 : 1);  // beside SPIN, or below it
    if (movePressed != 0 && game.pointerUsed == 0 && canMove == 1) {
        game.pointerUsed = 1;
        shipStep = kStepStart;
    }
    return 0;
}

// ===========================================================================
// Crossing
// ===========================================================================

// The lanes drift by adding to the reel offsets; the reel display leaves them
// unsnapped in this phase and carries whole cells over into the positions.
int kx_Tumbleroo_Cometrow::Cross() {
    const float drift = kDriftFrictions * kx_Tumbleroo_Friction;
    for (int i = 0; i < game.reels.reelCount; ++i) game.reels.reelOffset[i] += i % 2 == 0 ? drift : -drift;
    if (shipStep > 0) shipStep += kStepRate;
    int lane;
    if (shipStep > kStepDone) {
        shipStep = 0;
        shipPos += 1;
        game.score += kLaneScore;
        lane = static_cast<int>(shipPos);
    } else {
        lane = static_cast<int>(shipPos) + (shipStep > kStepHalf ? 1 : 0);
    }
    if (lane >= 0 && lane < game.reels.reelCount && game.reels.Symbol(lane, CellUnder(lane)) > kCometSpace) {
        game.phase = kCometCrashed;
    }
    if (shipPos >= static_cast<float>(game.reels.reelCount)) game.phase = kCometCrossed;
    return 0;
}

// The cell nearest the pay line: the centre-line cell unless the lane has rolled
// more than half a cell, exactly half still counting as the centre-line cell.
int kx_Tumbleroo_Cometrow::CellUnder(int lane) {
    int pos = game.reels.reelPos[lane];
    if (game.reels.reelOffset[lane] < -kCellHalf) {
        pos = kx_Tumbleroo_Reels::Wrap(pos + 1);
    } else if (game.reels.reelOffset[lane] > kCellHalf) {
        pos = kx_Tumbleroo_Reels::Wrap(pos - 1);
    }
    return pos;
}

// ===========================================================================
// Crash and arrival
// ===========================================================================

int kx_Tumbleroo_Cometrow::Crash() {
    game.m_PlaySFX(kSfxBank3, 1, 1, 0);
    game.m_NoteLoss(String("The ship crashed!"));
    return game.m_LoseLife(kCometReady, kCometOver);
}

int kx_Tumbleroo_Cometrow::Arrive() {
    game.m_PlaySFX(kSfxBank2, 1, 1, 0);
    game.score += kCrossingScore;
    game.phase = kCometReady;
    return 0;
}

// ===========================================================================
// The game object's named entry points
// ===========================================================================

int kx_Tumbleroo_MyApp::m_LoadGame_Cometrow() { return cometrow.Load(); }

int kx_Tumbleroo_MyApp::m_Game_Cometrow() { return cometrow.Tick(); }
