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
constexpr int kCometStartLives = 3;
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

int kx_Tumbleroo_MyApp::m_LoadGame_Cometrow() {
    m_SetUpReels(kCometReelSetup);
    lives = kCometStartLives;
    phase = kCometReady;
    shipPos = kShipStart;
    shipStep = 0;
    m_CometReelRules();
    return 0;
}

// ===========================================================================
// The tick
// ===========================================================================

// The phase steps run one after another in the same tick, so a crash or an
// arrival is handled in the tick the crossing step finds it.
int kx_Tumbleroo_MyApp::m_Game_Cometrow() {
    m_CometShip();
    m_HighlightBar();
    m_SetSize(1, kAbsent);
    m_CometButtons();
    if (reels.reelsMoving == 0 && phase == kCometSpinning) phase = kCometCrossing;
    if (phase == kCometCrossing) m_CometCross();
    if (phase == kCometCrashed) m_CometCrash();
    if (phase == kCometCrossed) m_CometArrive();
    m_CometReelRules();
    return 0;
}

// The lanes float unsnapped while the ship crosses, and only the stop after a
// player's spin clicks; the next tick's reels follow the phase this tick left.
int kx_Tumbleroo_MyApp::m_CometReelRules() {
    reels.rules.snap = phase != kCometCrossing;
    reels.rules.click = phase == kCometSpinning;
    return 0;
}

int kx_Tumbleroo_MyApp::m_CometShip() {
    m_ResetDraw();
    m_SetSize(reels.reelScale, reels.reelScale);
    m_SetCol(255, 255, 255, kAbsent);
    const float half = static_cast<float>((reels.reelPitch + reels.reelGap) / 2);
    const float lanes = static_cast<float>(reels.reelCount) - 2 * (shipPos + 1 + shipStep) + kShipLean;
    m_DrawImg(kImgReels, reels.reelCentreX - half * reels.reelScale * lanes - kShipMargin, reels.reelCentreY, kShipFrame);
    return 0;
}

// ===========================================================================
// Buttons
// ===========================================================================

// Colours without an alpha keep the highlight bar's alpha for the SPIN backing;
// the labelled button leaves alpha 1 behind for "Move->".
int kx_Tumbleroo_MyApp::m_CometButtons() {
    float spinAtX = spinX;
    float moveAtX = spinX;
    float moveAtY = spinY + kLandscapeMoveDrop * spinH;
    if (landscape == 0) {
        spinAtX = spinX - spinW / kPortraitButtonShift;
        moveAtX = spinX + spinW / kPortraitButtonShift;
        moveAtY = spinY;
    }
    m_SetCol(0, 120, 0, kAbsent);
    const int ready = reels.reelsMoving == 0 && phase == kCometReady ? 1 : 0;
    static const String kSpinLabel("SPIN!");  // drawn every tick: made once
    if (m_AButton(spinAtX, spinY, kSpinLabel, ready, 1, 1) != 0 && pointerUsed == 0 && ready == 1) {
        m_StartSpin();
        shipPos = kShipStart;
        shipStep = 0;
        phase = kCometSpinning;
        reels.reelsMoving = 1;
    }
    m_SetCol(0, 0, 120, kAbsent);
    const int canMove = phase == kCometCrossing && shipStep == 0 ? 1 : 0;
    static const String kMoveLabel("Move->");  // drawn every tick: made once
    if (m_AButton(moveAtX, moveAtY, kMoveLabel, canMove, 1, 1) != 0 && pointerUsed == 0 && canMove == 1) {
        pointerUsed = 1;
        shipStep = kStepStart;
    }
    return 0;
}

// ===========================================================================
// Crossing
// ===========================================================================

// The lanes drift by adding to the reel offsets; the reel display leaves them
// unsnapped in this phase and carries whole cells over into the positions.
int kx_Tumbleroo_MyApp::m_CometCross() {
    const float drift = kDriftFrictions * kx_Tumbleroo_Friction;
    for (int i = 0; i < reels.reelCount; ++i) reels.reelOffset[i] += i % 2 == 0 ? drift : -drift;
    if (shipStep > 0) shipStep += kStepRate;
    int lane;
    if (shipStep > kStepDone) {
        shipStep = 0;
        shipPos += 1;
        score += kLaneScore;
        lane = static_cast<int>(shipPos);
    } else {
        lane = static_cast<int>(shipPos) + (shipStep > kStepHalf ? 1 : 0);
    }
    if (lane >= 0 && lane < reels.reelCount && reels.Symbol(lane, m_CometCellUnder(lane)) > kCometSpace) {
        phase = kCometCrashed;
    }
    if (shipPos >= static_cast<float>(reels.reelCount)) phase = kCometCrossed;
    return 0;
}

// The cell nearest the pay line: the centre-line cell unless the lane has rolled
// more than half a cell, exactly half still counting as the centre-line cell.
int kx_Tumbleroo_MyApp::m_CometCellUnder(int lane) {
    int pos = reels.reelPos[lane];
    if (reels.reelOffset[lane] < -kCellHalf) {
        pos = kx_Tumbleroo_Reels::Wrap(pos + 1);
    } else if (reels.reelOffset[lane] > kCellHalf) {
        pos = kx_Tumbleroo_Reels::Wrap(pos - 1);
    }
    return pos;
}

// ===========================================================================
// Crash and arrival
// ===========================================================================

int kx_Tumbleroo_MyApp::m_CometCrash() {
    m_PlaySFX(kSfxBank3, 1, 1, 0);
    lives -= 1;
    if (lives > 0) {
        phase = kCometReady;
    } else {
        gameOver = 1;
        phase = kCometOver;
    }
    return 0;
}

int kx_Tumbleroo_MyApp::m_CometArrive() {
    m_PlaySFX(kSfxBank2, 1, 1, 0);
    score += kCrossingScore;
    phase = kCometReady;
    return 0;
}
