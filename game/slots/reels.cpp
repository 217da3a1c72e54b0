// reels.cpp - the reel bank (reels.h): loading the reel sheet, building and
// shuffling the strips, setting the reels spinning, and the per-tick motion (roll,
// slow down, settle onto a cell, snap) with its sounds and the drawing of the reel
// window (cells, separators, shading, frame), under the rules the machine's loader
// chose. The machines' loaders call m_SetUpReels (m_LoadReels, m_PutReels), their
// SPIN controls call m_Spin, and the play flow's m_Game calls m_HandleReels once per
// tick before the machine's own tick; each hands over to the game object's `reels`.
//
// Sections: sheet and strips; spin; one tick (layout, motion, drawing, sounds).
#include "game/slots/reels.h"

#include "game/shell/game.h"
#include "media/random.h"

namespace {

constexpr int kSheetFrames = 32;
constexpr int kSymbolKinds = 16;
constexpr float kShuffleRange = 99.9f;  // a draw picks a partner cell 0..99

constexpr float kStepPerSpeed = 0.25f;  // a reel moves a quarter of its speed per tick
constexpr float kMaxStep = 0.9f;        // ... but never more than 0.9 of a cell
constexpr float kCreepSlow = 6;         // settle speeds, in multiples of the friction
constexpr float kCreepFast = 8;
constexpr float kSnapWhileSlowing = 3;  // snap bands, in multiples of the friction
constexpr float kSnapAtRest = 4.5f;

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
// The object: storage, cells, geometry
// ===========================================================================

void kx_Tumbleroo_Reels::Allocate() {
    gc_assign(reelSpeed, Array<float>(kReelSlots));
    gc_assign(reelOffset, Array<float>(kReelSlots));
    gc_assign(reelPos, Array<int>(kReelSlots));
    gc_assign(holds, Array<int>(kReelSlots));
    gc_assign(reelCells, Array<int>(kReelCellInts));
    gc_assign(symbolCounts, Array<int>(kReelSlots));
}

void kx_Tumbleroo_Reels::mark() {
    gc_mark_q(reelSpeed);
    gc_mark_q(reelOffset);
    gc_mark_q(reelPos);
    gc_mark_q(holds);
    gc_mark_q(reelCells);
    gc_mark_q(symbolCounts);
}

int kx_Tumbleroo_Reels::Wrap(int pos) {
    pos %= kStripCells;
    return pos < 0 ? pos + kStripCells : pos;
}

float kx_Tumbleroo_Reels::ColumnX(int r) const {
    const float span = static_cast<float>(reelPitch + reelGap);
    return span * reelScale * static_cast<float>(r) + reelCentreX -
           reelScale * 0.5f * span * static_cast<float>(reelCount - 1);
}

// ===========================================================================
// Sheet and strips (the game object's entry points hand over here)
// ===========================================================================

// The loader's whole reel set-up in one call: colours, rules, sheet, bank, strips.
int kx_Tumbleroo_MyApp::m_SetUpReels(const ReelSetup& setup) {
    reels.reelFrameR = setup.frame[0];
    reels.reelFrameG = setup.frame[1];
    reels.reelFrameB = setup.frame[2];
    reels.reelBackR = setup.back[0];
    reels.reelBackG = setup.back[1];
    reels.reelBackB = setup.back[2];
    reels.reelGap = 0;
    reels.reelCount = setup.count;
    reels.rules = setup.rules;
    m_LoadReels(String(setup.sheet), setup.soundBank);
    const int* c = setup.symbolCounts;
    return m_PutReels(c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], c[8], c[9], c[10], c[11], c[12], c[13], c[14],
                      c[15]);
}

int kx_Tumbleroo_MyApp::m_LoadReels(String name, int set) {
    reelSheet = name;
    m_LoadImg(kImgReels, name, kReelSheetFrame, kReelSheetFrame, kSheetFrames, kx_graphics_Image::CentreHandle);
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
    reels.Fill(counts);
    return 0;
}

void kx_Tumbleroo_Reels::Fill(const int* counts) {
    for (int k = 1; k <= kSymbolKinds; ++k) symbolCounts[k] = counts[k - 1];
    // One generator sequence runs through all sixteen reels' shuffles in turn.
    for (int r = 0; r < kMaxReels; ++r) FillReel(r);
}

// Counts that add up to more than a strip holds stop at the strip's end instead of
// running into the next reel; a strip short by two or more cells is topped up with
// symbol 1, one short by exactly one keeps its last cell empty.
void kx_Tumbleroo_Reels::FillReel(int r) {
    for (int c = 0; c < kStripCells; ++c) {
        for (int i = 0; i < kCellInts; ++i) reelCells[Cell(r, c) + i] = 0;
    }
    int c = 0;
    for (int k = 1; k <= kSymbolKinds; ++k) {
        for (int n = 0; n < symbolCounts[k] && c < kStripCells; ++n) Symbol(r, c++) = k;
    }
    if (c < kStripCells - 1) {
        for (; c < kStripCells; ++c) Symbol(r, c) = 1;
    }
    // Only the symbols change places; the other four ints of each cell stay put.
    for (c = 0; c < kStripCells; ++c) {
        const int t = static_cast<int>(kx_random_Rnd() * kShuffleRange);
        const int held = Symbol(r, c);
        Symbol(r, c) = Symbol(r, t);
        Symbol(r, t) = held;
    }
}

// ===========================================================================
// Spin
// ===========================================================================

int kx_Tumbleroo_MyApp::m_Spin(float base, float spread) {
    reels.Spin(base, spread);
    return 0;
}

// Each reel starts faster than the one before it, so the reels stop left to right.
// The hold is released after use, and every overlay is cleared, held reels' too.
void kx_Tumbleroo_Reels::Spin(float base, float spread) {
    float v = kx_random_Rnd2(base, base + 1);
    for (int r = 0; r < reelCount; ++r) {
        if (holds[r] == 0) reelSpeed[r] = v;
        holds[r] = 0;
        v = v + kx_random_Rnd2(spread, 2 * spread);
        for (int c = 0; c < kStripCells; ++c) Overlay(r, c) = 0;
    }
}

// ===========================================================================
// One tick: layout, motion and drawing
// ===========================================================================

int kx_Tumbleroo_MyApp::m_HandleReels() {
    reels.Handle();
    return 0;
}

void kx_Tumbleroo_Reels::Handle() {
    const float columnWidth = Layout();
    Window(columnWidth);
    game.m_SetCol(255, 255, 255, 1);
    reelPitch = reelGap + kReelSheetFrame;
    reelScale = (columnWidth - static_cast<float>(reelGap)) / static_cast<float>(reelPitch);
    game.m_SetSize(reelScale, kAbsent);
    reelsMoving = 0;
    reelSound = 0;
    for (int r = 0; r < reelCount; ++r) {
        Move(r);
        DrawCells(r);
    }
    DrawSeparators();
    Whirr();
    Shade();
    DrawFrame();
}

// The reels take the left part of a landscape screen with the panel on the right,
// and the top of a portrait one with the panel below.
float kx_Tumbleroo_Reels::Layout() {
    const float w = kx_Tumbleroo_jscrw;
    const float h = kx_Tumbleroo_jscrh;
    const float columns = static_cast<float>(reelCount + rules.extraColumns);
    reelCentreX = w * 0.5f;
    reelCentreY = h * 0.35f;
    float columnWidth = w * 0.9f / columns;
    game.m_SetCol(static_cast<float>(reelBackR), static_cast<float>(reelBackG), static_cast<float>(reelBackB), 1);
    if (game.landscape == 0) {
        game.spinX = w * 0.5f;
        game.spinY = h * 0.85f;
        game.spinW = w * 0.9f;
        game.spinH = h * 0.25f;
        game.m_Rect(reelCentreX - w * 0.47f, -1, w * 0.95f, h + 2);
    } else {
        reelCentreX = w * 0.35f;
        reelCentreY = h * 0.5f;
        columnWidth = w * 0.6f / columns;
        game.spinX = w * 0.85f;
        game.spinY = h * 0.5f;
        game.spinW = w * 0.25f;
        game.spinH = h * 0.9f;
        game.m_Rect(0, -1, w * 0.7f, h + 2);
    }
    return columnWidth;
}

// The window reaches the rules' number of column widths either side of the centre
// line, kept on screen and, in portrait, clear of the panel.
void kx_Tumbleroo_Reels::Window(float columnWidth) {
    const float reach = columnWidth * rules.windowReach;
    const int screenBottom = static_cast<int>(kx_Tumbleroo_jscrh);
    reelTop = static_cast<int>(reelCentreY - reach);
    if (reelTop < 0) reelTop = 0;
    reelBottom = static_cast<int>(reelCentreY + reach);
    if (reelBottom > screenBottom) reelBottom = screenBottom;
    if (game.landscape == 0) {
        const int panelTop = static_cast<int>(kx_Tumbleroo_jscrh * 0.7f);
        if (reelBottom > panelTop) reelBottom = panelTop;
    }
    reelTop += 4;
    reelBottom -= 4;
}

// One reel's motion. The order of the steps is the reels' feel: move first, then
// slow a downward roll, then an upward one (a roll that has just crossed 0 turns
// into a creep back toward the boundary it left, and is slowed at once in the same
// tick), then the at-rest rule that creeps onto the nearest cell, then the wrap.
void kx_Tumbleroo_Reels::Move(int r) {
    const float f = Friction();
    const int snap = rules.snap;
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
    Settle(r, wasMoving);
}

// At rest off a boundary: creep back onto the cell below half way, forward onto
// the next one beyond it; snap inside the band. The stop click comes with the snap.
void kx_Tumbleroo_Reels::Settle(int r, int wasMoving) {
    const float f = Friction();
    float v = reelSpeed[r];
    float o = reelOffset[r];
    int p = reelPos[r];
    if (v == 0) {
        if (o > 0) v = -kCreepFast * f;
        if (o > 0.5f) v = kCreepFast * f;
        if (o < 0) v = kCreepFast * f;
        if (o < -0.5f) v = -kCreepFast * f;
        if (rules.snap && Within(o, kSnapAtRest * f)) o = v = 0;
        if (v == 0 && wasMoving && rules.click) game.m_PlaySFX(kSfxReelStop, kx_random_Rnd2(0.8f, 1.2f), 0.5f, 0);
    }
    if (o < -1) {
        o += 1;
        p += 1;
    }
    if (o > 1) {
        o -= 1;
        p -= 1;
    }
    reelSpeed[r] = v;
    reelOffset[r] = o;
    reelPos[r] = Wrap(p);
}

// Rows outside the window (with a cell's margin) are skipped. Empty cells are never
// drawn, whatever their overlay; an overlay replaces the symbol's picture.
void kx_Tumbleroo_Reels::DrawCells(int r) {
    const float cellH = CellHeight();
    const float x = ColumnX(r);
    const float o = reelOffset[r];
    const int p = reelPos[r];
    game.m_SetCol(255, 255, 255, 1);
    for (int k = -rules.rowsShown; k <= rules.rowsShown; ++k) {
        const float y = o * cellH + static_cast<float>(k) * cellH + reelCentreY + 2;
        if (!(static_cast<float>(reelTop) - cellH < y && y < static_cast<float>(reelBottom) + cellH)) continue;
        const int symbol = Symbol(r, k + p);
        const int overlay = Overlay(r, k + p);
        game.m_Alpha(overlay != 0 ? rules.overlayAlpha : 1);
        if (symbol < 1) continue;
        const int frame = overlay != 0 ? overlay - 1 : symbol - 1 + 8 * symbolBank;
        game.m_DrawImg(kImgReels, x, y + o, static_cast<float>(frame));
    }
}

void kx_Tumbleroo_Reels::DrawSeparators() {
    game.m_SetCol(0, 0, 0, 1);
    if (reelGap <= 0) return;
    const float span = static_cast<float>(reelPitch + reelGap);
    const float first = reelCentreX - reelScale * 0.5f * span * static_cast<float>(reelCount - 1);
    for (int j = 0; j <= reelCount; ++j) {
        const float left = first + (static_cast<float>(j) - 0.5f) * span * reelScale - static_cast<float>(reelGap / 2);
        game.m_Rect(left, -1, static_cast<float>(reelGap), kx_Tumbleroo_jscrh + 2);
    }
}

// A fast downward roll whirrs every 12 to 21 ticks, louder the faster it goes; the
// first whirr of a spin comes at once because a slow tick resets the timer.
void kx_Tumbleroo_Reels::Whirr() {
    if (reelSound < kWhirrFrom) {
        whirrTimer = 0;
        return;
    }
    whirrTimer -= 1;
    int n = reelSound - kWhirrFrom;
    if (n > kWhirrSteps) n = kWhirrSteps;
    if (whirrTimer < 0) {
        whirrTimer = static_cast<int>(kWhirrGapMin + kx_random_Rnd() * kWhirrGapSpread);
        game.m_PlaySFX(kSfxWhirr, kx_random_Rnd2(0.6f, 1.0f), static_cast<float>(n) * kWhirrVolumeStep, 0);
    }
}

// Layers of faint black, each reaching further in, darken the window toward its top
// and bottom edges.
void kx_Tumbleroo_Reels::Shade() {
    game.m_SetCol(0, 0, 0, kShadeAlpha);
    const float width = kx_Tumbleroo_jscrw + 2;
    for (int k = 0; k < kShadeLayers; ++k) {
        const float reach = kShadeStep * static_cast<float>(k);
        game.m_Rect(-1, -1, width, static_cast<float>(reelTop) + reach);
        game.m_Rect(-1, static_cast<float>(reelBottom) - reach, width, kx_Tumbleroo_jscrh);
    }
}

void kx_Tumbleroo_Reels::DrawFrame() {
    const float w = kx_Tumbleroo_jscrw;
    const float h = kx_Tumbleroo_jscrh;
    game.m_SetCol(static_cast<float>(reelFrameR), static_cast<float>(reelFrameG), static_cast<float>(reelFrameB), 1);
    const float half = static_cast<float>((reelPitch + reelGap) / 2);
    const float bankHalf = half * reelScale * static_cast<float>(reelCount);
    game.m_Rect(-1, -1, w + 2, static_cast<float>(reelTop));
    game.m_Rect(-1, static_cast<float>(reelBottom), w + 2, h);
    game.m_Rect(-1, -1, reelCentreX - bankHalf - 2, h + 2);
    game.m_Rect(bankHalf + reelCentreX + 2, -1, w, h + 2);
}
