// reels.cpp - the reel model every machine plays on: loading the reel sheet,
// building and shuffling the strips, setting the reels spinning, and the per-tick
// motion (roll, slow down, settle onto a cell, snap) with its sounds and the drawing
// of the reel window (cells, separators, shading, frame). The machines' loaders call
// m_LoadReels and m_PutReels, their SPIN controls call m_Spin, and the play flow's
// m_Game calls m_HandleReels once per tick before the machine's own tick.
//
// Sections: sheet and strips; spin; one tick (layout, motion, drawing, sounds).
#include "game/shell/game.h"
#include "media/random.h"

namespace {

constexpr int kSheetFrame = 32;      // reel sheets are 32 x 32 frames
constexpr int kSheetFrames = 32;
constexpr int kSymbolKinds = 16;
constexpr int kStripCells = 100;
constexpr int kCellInts = 5;
constexpr int kReelInts = kStripCells * kCellInts;
constexpr int kMaxReels = 16;
constexpr int kCellSymbol = 0;
constexpr int kCellOverlay = 1;
constexpr float kShuffleRange = 99.9f;  // a draw picks a partner cell 0..99

constexpr int kPhaseFloating = 2;   // Cometrow: reels drift without snapping
constexpr int kPhaseClicking = 1;   // Cometrow: the only phase whose stops click
constexpr int kPhaseFading = 3;     // Fizzcrate: matched cells fade out

constexpr float kStepPerSpeed = 0.25f;  // a reel moves a quarter of its speed per tick
constexpr float kMaxStep = 0.9f;        // ... but never more than 0.9 of a cell
constexpr float kCreepSlow = 6;         // settle speeds, in multiples of the friction
constexpr float kCreepFast = 8;
constexpr float kSnapWhileSlowing = 3;  // snap bands, in multiples of the friction
constexpr float kSnapAtRest = 4.5f;

constexpr int kRowsReach = 8;           // rows -8..8 around the centre line
constexpr int kRowsReachFizzcrate = 5;
constexpr float kFadeTicks = 60;

constexpr int kWhirrFrom = 3;           // reelSound at which the whirr starts
constexpr int kWhirrSteps = 5;
constexpr float kWhirrVolumeStep = 1.0f / 20;
constexpr float kWhirrGapMin = 12;      // ticks between whirrs: 12..21
constexpr float kWhirrGapSpread = 10;
constexpr int kShadeLayers = 21;
constexpr float kShadeStep = 4;
constexpr float kShadeAlpha = 0.05f;

float Friction() { return kx_Tumbleroo_Friction; }

// The settle speeds are whole multiples of the friction, so their slowing-down is
// meant to end exactly on 0; float rounding leaves a residue of a few ulps that
// would flip the sign and skip the at-rest rule (the creep back onto the nearest
// cell). A residue far below one friction step is that rounding, and counts as 0.
float Slowed(float v, float change) {
    const float next = v + change;
    const float residue = Friction() * 0.001f;
    return next > -residue && next < residue ? 0.0f : next;
}

// Speed given to a reel that has just passed through 0 while slowing down: back
// toward the boundary it has just left.
float CreepTowardBoundary(float o) {
    float v = 0;
    if (o > 0) v = -kCreepSlow * Friction();
    if (o < 0) v = kCreepSlow * Friction();
    return v;
}

bool Within(float o, float band) { return -band < o && o < band; }

}  // namespace

// ===========================================================================
// Sheet and strips
// ===========================================================================

int kx_Tumbleroo_MyApp::m_LoadReels(String name, int set) {
    reelSheet = name;
    m_LoadImg(kImgReels, name, kSheetFrame, kSheetFrame, kSheetFrames, kx_graphics_Image::CentreHandle);
    // Another sound bank means every slot is reloaded (the loading screen shows).
    if (set != soundSet) {
        soundSet = set;
        m_Reload();
    }
    return 0;
}

int kx_Tumbleroo_MyApp::m_PutReels(int count1, int count2, int count3, int count4, int count5, int count6,
                                   int count7, int count8, int count9, int count10, int count11, int count12,
                                   int count13, int count14, int count15, int count16) {
    const int counts[kSymbolKinds] = {count1, count2,  count3,  count4,  count5,  count6,  count7,  count8,
                                      count9, count10, count11, count12, count13, count14, count15, count16};
    for (int k = 1; k <= kSymbolKinds; ++k) symbolCounts[k] = counts[k - 1];
    // One generator sequence runs through all sixteen reels' shuffles in turn.
    for (int r = 0; r < kMaxReels; ++r) m_FillReel(r);
    return 0;
}

// Counts that add up to more than a strip holds stop at the strip's end instead of
// running into the next reel; a strip short by two or more cells is topped up with
// symbol 1, one short by exactly one keeps its last cell empty.
int kx_Tumbleroo_MyApp::m_FillReel(int r) {
    int* reel = reelCells.Data() + r * kReelInts;
    for (int i = 0; i < kReelInts; ++i) reel[i] = 0;
    int c = 0;
    for (int k = 1; k <= kSymbolKinds; ++k) {
        for (int n = 0; n < symbolCounts[k] && c < kStripCells; ++n) reel[kCellInts * c++ + kCellSymbol] = k;
    }
    if (c < kStripCells - 1) {
        for (; c < kStripCells; ++c) reel[kCellInts * c + kCellSymbol] = 1;
    }
    // Only the symbols change places; the other four ints of each cell stay put.
    for (c = 0; c < kStripCells; ++c) {
        const int t = static_cast<int>(kx_random_Rnd() * kShuffleRange);
        const int held = reel[kCellInts * c + kCellSymbol];
        reel[kCellInts * c + kCellSymbol] = reel[kCellInts * t + kCellSymbol];
        reel[kCellInts * t + kCellSymbol] = held;
    }
    return 0;
}

// ===========================================================================
// Spin
// ===========================================================================

// Each reel starts faster than the one before it, so the reels stop left to right.
// The hold is released after use, and every overlay is cleared, held reels' too.
int kx_Tumbleroo_MyApp::m_Spin(float base, float spread) {
    float v = kx_random_Rnd2(base, base + 1);
    for (int r = 0; r < reelCount; ++r) {
        if (holds[r] == 0) reelSpeed[r] = v;
        holds[r] = 0;
        v = v + kx_random_Rnd2(spread, 2 * spread);
        int* reel = reelCells.Data() + r * kReelInts;
        for (int c = 0; c < kStripCells; ++c) reel[kCellInts * c + kCellOverlay] = 0;
    }
    return 0;
}

// ===========================================================================
// One tick: layout, motion and drawing
// ===========================================================================

int kx_Tumbleroo_MyApp::m_HandleReels() {
    const float columnWidth = m_LayoutReels();
    m_ReelWindow(columnWidth);
    m_SetCol(255, 255, 255, 1);
    reelPitch = reelGap + kSheetFrame;
    reelScale = (columnWidth - static_cast<float>(reelGap)) / static_cast<float>(reelPitch);
    m_SetSize(reelScale, kAbsent);
    reelsMoving = 0;
    reelSound = 0;
    // The Cometrow machine lets its reels float while the ship crosses (no snapping)
    // and clicks only when its reels stop after a player's spin.
    int snap = 1;
    int click = 1;
    if (machine == kMachineCometrow) {
        snap = phase != kPhaseFloating;
        click = phase == kPhaseClicking;
    }
    for (int r = 0; r < reelCount; ++r) {
        m_MoveReel(r, snap, click);
        m_DrawReelCells(r);
    }
    m_DrawReelSeparators();
    m_ReelWhirr();
    m_ShadeReels();
    m_DrawReelFrame();
    return 0;
}

// The reels take the left part of a landscape screen with the panel on the right,
// and the top of a portrait one with the panel below.
float kx_Tumbleroo_MyApp::m_LayoutReels() {
    const float w = kx_Tumbleroo_jscrw;
    const float h = kx_Tumbleroo_jscrh;
    const float columns = static_cast<float>(machine == kMachineDice ? reelCount : reelCount + 2);
    reelCentreX = w * 0.5f;
    reelCentreY = h * 0.35f;
    float columnWidth = w * 0.9f / columns;
    m_SetCol(static_cast<float>(reelBackR), static_cast<float>(reelBackG), static_cast<float>(reelBackB), 1);
    if (landscape == 0) {
        spinX = w * 0.5f;
        spinY = h * 0.85f;
        spinW = w * 0.9f;
        spinH = h * 0.25f;
        m_Rect(reelCentreX - w * 0.47f, -1, w * 0.95f, h + 2);
    } else {
        reelCentreX = w * 0.35f;
        reelCentreY = h * 0.5f;
        columnWidth = w * 0.6f / columns;
        spinX = w * 0.85f;
        spinY = h * 0.5f;
        spinW = w * 0.25f;
        spinH = h * 0.9f;
        m_Rect(0, -1, w * 0.7f, h + 2);
    }
    return columnWidth;
}

// The window is six columns high either side of the centre line (the Fizzcrate
// machine shows a short window), kept on screen and, in portrait, clear of the panel.
int kx_Tumbleroo_MyApp::m_ReelWindow(float columnWidth) {
    const float reach = columnWidth * (machine == kMachineFizzcrate ? 2.2f : 6.0f);
    const int screenBottom = static_cast<int>(kx_Tumbleroo_jscrh);
    reelTop = static_cast<int>(reelCentreY - reach);
    if (reelTop < 0) reelTop = 0;
    reelBottom = static_cast<int>(reelCentreY + reach);
    if (reelBottom > screenBottom) reelBottom = screenBottom;
    if (landscape == 0) {
        const int panelTop = static_cast<int>(kx_Tumbleroo_jscrh * 0.7f);
        if (reelBottom > panelTop) reelBottom = panelTop;
    }
    reelTop += 4;
    reelBottom -= 4;
    return 0;
}

// One reel's motion. The order of the steps is the reels' feel: move first, then
// slow a downward roll, then an upward one (a roll that has just crossed 0 turns
// into a creep back toward the boundary it left, and is slowed at once in the same
// tick), then the at-rest rule that creeps onto the nearest cell, then the wrap.
int kx_Tumbleroo_MyApp::m_MoveReel(int r, int snap, int click) {
    const float f = Friction();
    float v = reelSpeed[r];
    float o = reelOffset[r];
    float step = v * kStepPerSpeed;
    if (step > kMaxStep) step = kMaxStep;
    if (step < -kMaxStep) step = -kMaxStep;
    o += step;
    reelOffset[r] = o;
    const int wasMoving = v != 0;
    if (v > 0) {
        reelsMoving = 1;
        reelSound = static_cast<int>(v * 10);
        v = Slowed(v, -f);
        if (v < 0) {
            v = CreepTowardBoundary(o);
            if (snap && Within(o, kSnapWhileSlowing * f)) o = v = 0;
        }
    }
    if (v < 0) {
        reelsMoving = 1;
        reelSound = static_cast<int>(v * 10);  // negative: an upward roll never whirrs
        v = Slowed(v, f);
        if (v > 0) {
            v = CreepTowardBoundary(o);
            if (snap && Within(o, kSnapWhileSlowing * f)) o = v = 0;
        }
    }
    reelSpeed[r] = v;
    reelOffset[r] = o;
    return m_SettleReel(r, wasMoving, snap, click);
}

// At rest off a boundary: creep back onto the cell below half way, forward onto
// the next one beyond it; snap inside the band. The stop click comes with the snap.
int kx_Tumbleroo_MyApp::m_SettleReel(int r, int wasMoving, int snap, int click) {
    const float f = Friction();
    float v = reelSpeed[r];
    float o = reelOffset[r];
    int p = reelPos[r];
    if (v == 0) {
        if (o > 0) v = -kCreepFast * f;
        if (o > 0.5f) v = kCreepFast * f;
        if (o < 0) v = kCreepFast * f;
        if (o < -0.5f) v = -kCreepFast * f;
        if (snap && Within(o, kSnapAtRest * f)) o = v = 0;
        if (v == 0 && wasMoving && click) m_PlaySFX(kSfxReelStop, kx_random_Rnd2(0.8f, 1.2f), 0.5f, 0);
    }
    if (o < -1) {
        o += 1;
        p += 1;
    }
    if (o > 1) {
        o -= 1;
        p -= 1;
    }
    if (p < 0) p += kStripCells;
    if (p > kStripCells - 1) p -= kStripCells;
    reelSpeed[r] = v;
    reelOffset[r] = o;
    reelPos[r] = p;
    return 0;
}

float kx_Tumbleroo_MyApp::m_ReelColumnX(int r) {
    const float span = static_cast<float>(reelPitch + reelGap);
    return span * reelScale * static_cast<float>(r) + reelCentreX -
           reelScale * 0.5f * span * static_cast<float>(reelCount - 1);
}

// Rows outside the window (with a cell's margin) are skipped. Empty cells are never
// drawn, whatever their overlay; an overlay replaces the symbol's picture.
int kx_Tumbleroo_MyApp::m_DrawReelCells(int r) {
    const float cellH = reelScale * static_cast<float>(reelPitch);
    const float x = m_ReelColumnX(r);
    const float o = reelOffset[r];
    const int p = reelPos[r];
    const int reach = machine == kMachineFizzcrate ? kRowsReachFizzcrate : kRowsReach;
    const bool fading = machine == kMachineFizzcrate && phase == kPhaseFading;
    const int* reel = reelCells.Data() + r * kReelInts;
    m_SetCol(255, 255, 255, 1);
    for (int k = -reach; k <= reach; ++k) {
        const float y = o * cellH + static_cast<float>(k) * cellH + reelCentreY + 2;
        if (!(static_cast<float>(reelTop) - cellH < y && y < static_cast<float>(reelBottom) + cellH)) continue;
        int c = (k + p) % kStripCells;
        if (c < 0) c += kStripCells;
        const int symbol = reel[kCellInts * c + kCellSymbol];
        const int overlay = reel[kCellInts * c + kCellOverlay];
        m_Alpha(fading && overlay != 0 ? fadeTimer / kFadeTicks : 1);
        if (symbol < 1) continue;
        const int frame = overlay != 0 ? overlay - 1 : symbol - 1 + 8 * symbolBank;
        m_DrawImg(kImgReels, x, y + o, static_cast<float>(frame));
    }
    return 0;
}

int kx_Tumbleroo_MyApp::m_DrawReelSeparators() {
    m_SetCol(0, 0, 0, 1);
    if (reelGap <= 0) return 0;
    const float span = static_cast<float>(reelPitch + reelGap);
    const float first = reelCentreX - reelScale * 0.5f * span * static_cast<float>(reelCount - 1);
    for (int j = 0; j <= reelCount; ++j) {
        const float left = first + (static_cast<float>(j) - 0.5f) * span * reelScale - static_cast<float>(reelGap / 2);
        m_Rect(left, -1, static_cast<float>(reelGap), kx_Tumbleroo_jscrh + 2);
    }
    return 0;
}

// A fast downward roll whirrs every 12 to 21 ticks, louder the faster it goes; the
// first whirr of a spin comes at once because a slow tick resets the timer.
int kx_Tumbleroo_MyApp::m_ReelWhirr() {
    if (reelSound < kWhirrFrom) {
        whirrTimer = 0;
        return 0;
    }
    whirrTimer -= 1;
    int n = reelSound - kWhirrFrom;
    if (n > kWhirrSteps) n = kWhirrSteps;
    if (whirrTimer < 0) {
        whirrTimer = static_cast<int>(kWhirrGapMin + kx_random_Rnd() * kWhirrGapSpread);
        m_PlaySFX(kSfxWhirr, kx_random_Rnd2(0.6f, 1.0f), static_cast<float>(n) * kWhirrVolumeStep, 0);
    }
    return 0;
}

// Layers of faint black, each reaching further in, darken the window toward its top
// and bottom edges.
int kx_Tumbleroo_MyApp::m_ShadeReels() {
    m_SetCol(0, 0, 0, kShadeAlpha);
    const float width = kx_Tumbleroo_jscrw + 2;
    for (int k = 0; k < kShadeLayers; ++k) {
        const float reach = kShadeStep * static_cast<float>(k);
        m_Rect(-1, -1, width, static_cast<float>(reelTop) + reach);
        m_Rect(-1, static_cast<float>(reelBottom) - reach, width, kx_Tumbleroo_jscrh);
    }
    return 0;
}

int kx_Tumbleroo_MyApp::m_DrawReelFrame() {
    const float w = kx_Tumbleroo_jscrw;
    const float h = kx_Tumbleroo_jscrh;
    m_SetCol(static_cast<float>(reelFrameR), static_cast<float>(reelFrameG), static_cast<float>(reelFrameB), 1);
    const float half = static_cast<float>((reelPitch + reelGap) / 2);
    const float bankHalf = half * reelScale * static_cast<float>(reelCount);
    m_Rect(-1, -1, w + 2, static_cast<float>(reelTop));
    m_Rect(-1, static_cast<float>(reelBottom), w + 2, h);
    m_Rect(-1, -1, reelCentreX - bankHalf - 2, h + 2);
    m_Rect(bankHalf + reelCentreX + 2, -1, w, h + 2);
    return 0;
}
