// catalogue.h - every file the art tool writes: the image sheets with their frame
// grids and the sound effects with their lengths. The generator walks these
// tables, and the tests check the written data/ folder against them.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "raster.h"

namespace art {

// Draws one frame; the pen's units span the frame (frameW x frameH).
using FramePainter = std::function<void(Pen& pen, int frame)>;

struct SheetSpec {
    std::string name;  // base name under data/, without tier suffix or ".png"
    int frameW, frameH;  // one frame in units (pixels at tier 1)
    int frames;
    int cols, rows;      // the grid the loader cuts: cells left to right, then row by row
    bool tiered;         // written in all three tiers, else only at tier 1
    FramePainter paint;
};

struct Tier {
    int factor;
    const char* suffix;
};

const std::vector<Tier>& tiers();
const std::vector<SheetSpec>& sheets();
std::string sheetFile(const SheetSpec& sheet, const Tier& tier);  // e.g. "common/icons-hd.png"

// Renders one sheet at one tier: every frame drawn into its own cell.
Canvas renderSheet(const SheetSpec& sheet, int tier);

// Painters, one per sheet (art_*.cpp).
void paintIcons(Pen& pen, int frame);
void paintButtons(Pen& pen, int frame);
void paintDpad(Pen& pen, int frame);
void paintIcade(Pen& pen, int frame);
void paintStudioLogo(Pen& pen, int frame);
void paintGameFont(Pen& pen, int frame);
void paintDefaultFont(Pen& pen, int frame);
void paintMenu(Pen& pen, int frame);
void paintWordmark(Pen& pen, int frame);
void paintParticles(Pen& pen, int frame);
void paintBadges(Pen& pen, int frame);
void paintOverlay(Pen& pen, int frame);
void paintHeart(Pen& pen, int frame);
void paintReelFruit(Pen& pen, int frame);
void paintReelDice(Pen& pen, int frame);
void paintReelFizzcrate(Pen& pen, int frame);
void paintReelUfo(Pen& pen, int frame);
void paintReelCubewick(Pen& pen, int frame);
void paintReelPlat(Pen& pen, int frame);

// Game font metrics, in units: glyph cells, character advance and line height.
constexpr int kGameFontCell = 16;
constexpr int kGameFontAdvance = 7;
constexpr int kGameFontLine = 10;
constexpr int kGameFontFirstChar = 32;
// Default toolkit font strip: characters 32..127, one transparent column each side.
constexpr int kDefaultFontGlyphs = 96;
constexpr int kDefaultFontCellW = 10;
constexpr int kDefaultFontCellH = 16;

}  // namespace art
