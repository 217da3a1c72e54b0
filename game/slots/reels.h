// reels.h - the reel bank every machine plays on, an object of its own owned by the
// game object (its field `reels`): the strips of cells with the one cell arithmetic
// and position wrap, the per-reel motion, the layout of the reel window and its
// drawing, and the rules a machine chooses for its reels. The game object's named
// entry points (m_LoadReels, m_PutReels, m_Spin, m_HandleReels) hand over to it;
// machines read and change cells through it. It names no machine: each machine's
// loader sets the rules it needs.
#pragma once

#include "runtime/runtime.h"

struct kx_Tumbleroo_MyApp;

// The strips: up to 16 reels of 100 cells of five ints; int 0 of a cell is its
// symbol (0 empty), int 1 its overlay (0 none, else a sheet frame + 1).
constexpr int kStripCells = 100;
constexpr int kCellInts = 5;
constexpr int kReelInts = kStripCells * kCellInts;
constexpr int kMaxReels = 16;
constexpr int kCellSymbol = 0;
constexpr int kCellOverlay = 1;
constexpr int kReelSlots = 18;        // per-reel arrays (speed, offset, position, holds, counts)
constexpr int kReelCellInts = 8200;   // 16 reels of 100 cells of 5 ints, with room to spare
constexpr int kReelSheetFrame = 32;   // reel sheets are 32 x 32 frames

// How a machine's reels behave and show; a loader sets them all, a machine whose
// reels change behaviour with its phase changes them as its phase changes.
struct ReelRules {
    int snap = 1;              // stopping reels settle exactly onto a cell (0: they float)
    int click = 1;             // a reel that comes to rest clicks
    int rowsShown = 8;         // rows drawn either side of the centre line
    float windowReach = 6;     // the window's half height, in column widths
    int extraColumns = 2;      // room beside the bank, in columns, in the layout
    float overlayAlpha = 1;    // alpha of cells that carry an overlay
};

// Everything a machine's loader gives its reels (m_SetUpReels).
struct ReelSetup {
    const char* sheet;         // base name of the reel sheet
    int soundBank;             // bank of sound slots 11..19
    int count;                 // reels
    int frame[3];              // colour of the frame round the window
    int back[3];               // colour behind the reels
    int symbolCounts[16];      // cells of symbols 1..16 on every strip
    ReelRules rules;
};

struct kx_Tumbleroo_Reels {
    explicit kx_Tumbleroo_Reels(kx_Tumbleroo_MyApp& owner) : game(owner) {}
    void Allocate();   // every array at full size; the game object's constructor
    void mark();       // queues the arrays; the game object's mark

    // --- cells: the one place of the cell arithmetic ---
    static int Wrap(int pos);                      // any position onto 0..99
    static int Cell(int reel, int pos) { return reel * kReelInts + Wrap(pos) * kCellInts; }
    int& Symbol(int reel, int pos) { return reelCells[Cell(reel, pos) + kCellSymbol]; }
    int& Overlay(int reel, int pos) { return reelCells[Cell(reel, pos) + kCellOverlay]; }
    // The cell `row` rows below reel r's centre line (negative: above).
    int& PaySymbol(int reel, int row = 0) { return Symbol(reel, reelPos[reel] + row); }
    int& PayOverlay(int reel, int row = 0) { return Overlay(reel, reelPos[reel] + row); }
    float ColumnX(int r) const;  // centre x of reel column r
    float CellHeight() const { return reelScale * static_cast<float>(reelPitch); }

    // --- the entry points' work ---
    void Fill(const int* counts);   // sixteen strips from symbol counts 1..16, each shuffled
    void Spin(float base, float spread);
    void Handle();                  // one tick: layout, motion, drawing, sounds

    kx_Tumbleroo_MyApp& game;
    ReelRules rules;

    int reelCount = 0;        // reels of the current machine; machine loaders
    Array<float> reelSpeed;   // kReelSlots: speed per reel; Spin, Handle, m_LoadGame, machines
    Array<float> reelOffset;  // kReelSlots: offset within a cell; Handle, m_LoadGame, machines
    Array<int> reelPos;       // kReelSlots: centre-line cell per reel; Handle, m_LoadGame
    Array<int> holds;         // kReelSlots: reel held through the next spin; machines, Spin
    Array<int> reelCells;     // kReelCellInts: the strips (Cell); Fill, Spin, machines
    Array<int> symbolCounts;  // kReelSlots: last counts of m_PutReels at 1..16
    int reelsMoving = 0;      // any reel moved this tick; Handle, machines that start a move
    int reelSound = 0;        // ten times the last moving reel's speed; Handle
    int whirrTimer = 0;       // ticks to the next whirr; Handle
    float reelCentreX = 0, reelCentreY = 0;  // centre of the reel bank; Handle
    float reelScale = 0;      // draw scale of a symbol; Handle
    int reelGap = 0;          // gap between reel columns; machine loaders
    int reelPitch = 0;        // 32 + reelGap; Handle
    int reelTop = 0, reelBottom = 0;         // visible reel window; Handle
    int reelBackR = 0, reelBackG = 0, reelBackB = 0;     // colour behind the reels; machine loaders
    int reelFrameR = 0, reelFrameG = 0, reelFrameB = 0;  // reel frame colour; machine loaders
    int symbolBank = 0;       // symbol frame bank (8 frames a bank); m_LoadGame, machines

private:
    void FillReel(int r);
    float Layout();                    // layout, panel and background; returns the column width
    void Window(float columnWidth);    // reelTop and reelBottom
    void Move(int r);
    void Settle(int r, int wasMoving);
    void DrawCells(int r);
    void DrawSeparators();
    void Whirr();
    void Shade();
    void DrawFrame();
};
