// fizzcrate.cpp - machine 4, the crate puzzle: six reels of eight crates; after a
// spin the player nudges single reels a cell up or down until the turn's nudges
// are spent, then the three visible rows are searched for runs of equal crates on
// neighbouring reels. Each run scores, lights up, fades and leaves empty cells.
// A turn costs a life; a run of four or more gives one back.
// m_LoadGame (play.cpp) runs the loader; m_Game runs the tick after the reels.
//
// Sections: loader; the tick; nudge arrows; the search; fading; the panel.
#include "game/shell/game.h"
#include "host/app.h"
#include "media/random.h"

namespace {

enum FizzPhase { kFizzReady = 0, kFizzSpun = 1, kFizzNudging = 2, kFizzFading = 3 };

constexpr int kFizzReels = 6;
constexpr int kStandardSoundSet = 1;
constexpr int kFizzLitOffset = 8;      // a matched cell shows its symbol's lit frame
constexpr int kFizzEmptied = 32;       // overlay of a cell emptied by an earlier run
constexpr int kFizzUnmatchable = 100;  // matched cells key as reel - 100: never equal

constexpr int kArrowFrameUp = 16;
constexpr int kArrowFrameRow = 8;      // the down arrow's frames are one sheet row lower
constexpr int kArrowFrames = 3;
constexpr int kArrowFrameMs = 350;
constexpr int kArrowCycleMs = 1000;
constexpr float kArrowRows = 2.5f;     // arrows sit two and a half cells off the pay line
constexpr float kArrowDimAlpha = 0.5f;
constexpr float kNudgeFrictions = 24;  // a nudge's start speed, in units of the friction

constexpr int kSpinRow = 2;            // below the two rows of arrows
constexpr int kPortraitNudges = 3;
constexpr float kLandscapeNudgeRange = 4.9f;  // 1 + trunc(u * 4.9): 1 to 5 nudges
constexpr int kRunPause = 8;           // ticks between two scoring runs
constexpr float kFadeStart = 60;
constexpr float kFadeStep = 2;

constexpr int kOuterRowPoints = 5;
constexpr int kPayLinePoints = 15;
constexpr float kOuterRowPitch = 0.5f;
constexpr float kPayLinePitch = 0.9f;
constexpr int kBonusRun = 4;           // runs this long restore a life ...
constexpr int kBonusLivesBelow = 5;    // ... unless this many are held

constexpr float kPanelShift = 0.25f;   // counter and button either side of the panel centre
constexpr float kPanelDrop = 0.3f;     // landscape: counter below the button
constexpr float kCounterHalfW = 50;
constexpr float kCounterHalfH = 32;

// A short window of five rows either side, and the lit cells fade while the turn
// ends (the alpha follows the fade in m_Game_Fizzcrate).
ReelSetup FizzReels() {
    ReelSetup setup = {"Reel_Fizzcrate", kStandardSoundSet, kFizzReels, {0, 80, 0}, {80, 40, 0},
                       {13, 12, 13, 12, 13, 12, 13, 12}, {}};
    setup.rules.rowsShown = 5;
    setup.rules.windowReach = 2.2f;
    return setup;
}
const ReelSetup kFizzReelSetup = FizzReels();

}  // namespace

// ===========================================================================
// Loader
// ===========================================================================

int kx_Tumbleroo_Fizzcrate::Load() {
    game.m_StartMachine(kFizzReelSetup);
    nudges = 0;
    return 0;
}

// ===========================================================================
// The tick
// ===========================================================================

// A search that found a run sends the phase back to 2 while delay runs down, so
// fading only starts in the tick in which a search found nothing left to score.
int kx_Tumbleroo_Fizzcrate::Tick() {
    controls.Clear();
    game.m_ResetDraw();
    Arrows();
    if (game.phase == kFizzNudging && game.reels.reelsMoving == 0 && nudges == 0) Search();
    if (game.phase == kFizzFading) Fade();
    game.m_HighlightBar();
    Panel();
    // The lit cells stay on the strips while they fade; the next tick draws them so.
    game.reels.rules.overlayAlpha = game.phase == kFizzFading ? fadeTimer / kFadeStart : 1;
    return 0;
}

// ===========================================================================
// Nudge arrows
// ===========================================================================

// The arrows stay pressable while dim in phase 2; they only animate while the
// first nudge of a turn is awaited.
int kx_Tumbleroo_Fizzcrate::Arrows() {
    const float rowH = static_cast<float>(game.reels.reelPitch) * game.reels.reelScale;
    for (int i = 0; i < kFizzReels; ++i) {
        for (int k = 0; k < 2; ++k) {
            const float x = game.reels.ColumnX(i);
            const float y = game.reels.reelCentreY + (k == 0 ? -kArrowRows : kArrowRows) * rowH + 2;
            game.m_SetSize(game.reels.reelScale, kAbsent);
            game.m_SetCol(255, 255, 255, 1);
            int anim = 0;
            if (game.phase == kFizzSpun && game.reels.reelsMoving == 0) {
                anim = ((kx_app_Millisecs() % kArrowCycleMs) / kArrowFrameMs + i) % kArrowFrames;
                game.m_Alpha(1);
            } else {
                game.m_Alpha(kArrowDimAlpha);
            }
            const int pressed = game.m_Button(kImgReels, x, y, kArrowFrameUp + kArrowFrameRow * k + anim);
            controls.Add(game.lastButton, k);  // the up arrows' row, then the down arrows'
            const bool open = game.phase == kFizzSpun || game.phase == kFizzNudging;
            if (pressed != 0 && game.pointerUsed == 0 && nudges >= 1 && game.reels.reelsMoving == 0 && open) {
                const float speed = kNudgeFrictions * kx_Tumbleroo_Friction;
                game.reels.reelSpeed[i] = k == 0 ? -speed : speed;
                game.pointerUsed = 1;
                nudges -= 1;
                game.phase = kFizzNudging;
                game.reels.reelsMoving = 1;
            }
        }
    }
    return 0;
}

// ===========================================================================
// The search
// ===========================================================================

// Rows above, on and below the pay line, each left to right. Only the first
// scorable run of a search scores: scoring sets delay, and the search repeats
// each tick until delay is back at 0.
int kx_Tumbleroo_Fizzcrate::Search() {
    game.phase = kFizzFading;
    for (int row = -1; row <= 1; ++row) SearchRow(row);
    if (delay > 0) {
        delay -= 1;
        game.phase = kFizzNudging;
    }
    return 0;
}

int kx_Tumbleroo_Fizzcrate::SearchRow(int row) {
    int previous = -1;
    int run = 1;
    for (int i = 0; i < kFizzReels; ++i) {
        const int key = game.reels.PayOverlay(i, row) > 0 ? i - kFizzUnmatchable : game.reels.PaySymbol(i, row);
        if (key == previous) {
            run += 1;
            continue;
        }
        Print(String("C") + String(run));
        if (run > 1 && delay == 0) ScoreRun(row, i - run, i - 1);
        previous = key;
        run = 1;
    }
    if (run > 1 && delay == 0) ScoreRun(row, kFizzReels - run, kFizzReels - 1);
    fadeTimer = kFadeStart;
    return 0;
}

int kx_Tumbleroo_Fizzcrate::ScoreRun(int row, int first, int last) {
    const int n = last - first + 1;
    const float length = static_cast<float>(n);
    float pitch;
    if (row == 0) {
        game.score += kPayLinePoints * n * n;
        pitch = length / 3 + kPayLinePitch;
    } else {
        game.score += kOuterRowPoints * n * n;
        pitch = length / 3 + kOuterRowPitch;
    }
    for (int j = first; j <= last; ++j) {
        game.reels.PayOverlay(j, row) = game.reels.PaySymbol(j, row) + kFizzLitOffset;
    }
    if (n >= kBonusRun && game.lives < kBonusLivesBelow) {
        game.lives += 1;
        game.m_PlaySFX(kSfxBank1, 1, 1, 0);
    }
    delay = kRunPause;
    game.m_PlaySFX(kSfxChime, pitch, 1, 0);
    return 0;
}

// ===========================================================================
// Fading
// ===========================================================================

// The lit cells stay lit on the strips (drawn fading by the reel display) until
// the fade ends; then they are emptied until the next spin clears the overlays.
int kx_Tumbleroo_Fizzcrate::Fade() {
    fadeTimer -= kFadeStep;
    if (fadeTimer >= 1) return 0;
    game.m_NoteLoss(String("The turn ended!"));
    game.lives -= 1;
    game.phase = kFizzReady;
    for (int r = 0; r < game.reels.reelCount; ++r) {
        for (int c = 0; c < kStripCells; ++c) {
            if (game.reels.Overlay(r, c) > 0) game.reels.Overlay(r, c) = kFizzEmptied;
        }
    }
    if (game.lives == 0) game.gameOver = 1;
    return 0;
}

// ===========================================================================
// The panel: nudge counter and SPIN
// ===========================================================================

// The counter and the button backing are opaque, as every machine's colours are
// (contract.cpp), whatever alpha the highlight bar left behind.
int kx_Tumbleroo_Fizzcrate::Panel() {
    float cx = game.spinX;
    float cy = game.spinY + kPanelDrop * game.spinH;
    float bx = game.spinX;
    if (game.landscape == 0) {
        cx = game.spinX - kPanelShift * game.spinW;
        cy = game.spinY;
        bx = game.spinX + kPanelShift * game.spinW;
    }
    const float by = game.spinY;
    game.m_SetSize(1, kAbsent);
    game.m_SetCol(0, 0, 0, 1);
    game.m_Rect(cx - kCounterHalfW, cy - kCounterHalfH, 2 * kCounterHalfW, 2 * kCounterHalfH);
    game.m_SetCol(100, 255, 100, 1);
    game.m_SetSize(2, kAbsent);
    game.m_Text(cx, cy, String(" ") + String(nudges), 1, 1);
    game.m_SetSize(1, kAbsent);
    game.m_SetCol(255, 255, 255, 1);
    static const String kNudgesLabel("Nudges");  // drawn every tick: made once
    game.m_Text(cx, cy - kCounterHalfH, kNudgesLabel, 1, 1);

    game.m_SetCol(0, 120, 0, 1);
    const int ready = game.reels.reelsMoving == 0 && game.phase == kFizzReady ? 1 : 0;
    static const String kSpinLabel("SPIN!");  // drawn every tick: made once
    const int pressed = game.m_AButton(bx, by, kSpinLabel, ready, 1, 1);
    controls.Add(game.lastButton, kSpinRow, true);
    if (pressed != 0 && game.pointerUsed == 0 && ready == 1) {
        game.m_StartSpin();
        game.phase = kFizzSpun;
        if (game.landscape == 0) {
            nudges = kPortraitNudges;
            delay = kRunPause;
        }
    }
    // Landscape turns draw their nudges while the reels roll; the last draw stands.
    if (game.landscape != 0 && game.phase == kFizzSpun && game.reels.reelsMoving != 0) {
        nudges = 1 + static_cast<int>(kx_random_Rnd() * kLandscapeNudgeRange);
    }
    return 0;
}

// ===========================================================================
// The game object's named entry points
// ===========================================================================

int kx_Tumbleroo_MyApp::m_LoadGame_Fizzcrate() { return fizzcrate.Load(); }

int kx_Tumbleroo_MyApp::m_Game_Fizzcrate() { return fizzcrate.Tick(); }
