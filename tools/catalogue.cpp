// catalogue.cpp - the sheet table and the per-cell rendering loop. Grids are
// chosen so every sheet is exactly cols x rows frames (power-of-two sizes where
// the count allows), which is how the game's loader walks them: left to right,
// wrapping to the next row at the sheet's right edge.
#include "catalogue.h"

namespace art {

const std::vector<Tier>& tiers() {
    static const std::vector<Tier> list = {{1, ""}, {2, "-hd"}, {4, "-hd2"}};
    return list;
}

const std::vector<SheetSpec>& sheets() {
    static const std::vector<SheetSpec> list = {
        {"common/icons", 32, 32, 16, 4, 4, true, paintIcons},
        {"common/Buttons", 64, 64, 16, 4, 4, true, paintButtons},
        {"common/dpad", 32, 32, 16, 4, 4, true, paintDpad},
        {"common/icade", 64, 64, 2, 2, 1, true, paintIcade},
        {"common/VexoLogo", 256, 256, 1, 1, 1, true, paintStudioLogo},
        {"fonts/editundo", kGameFontCell, kGameFontCell, 128, 16, 8, true, paintGameFont},
        {"menu", 256, 256, 4, 2, 2, true, paintMenu},
        {"logo", 256, 128, 1, 1, 1, true, paintWordmark},
        {"parts", 8, 8, 16, 4, 4, true, paintParticles},
        {"BadgesA", 64, 64, 64, 8, 8, true, paintBadges},
        {"Overlay", 128, 128, 4, 2, 2, true, paintOverlay},
        {"heart", 32, 32, 1, 1, 1, true, paintHeart},
        {"Reel_Fruit", 32, 32, 32, 8, 4, true, paintReelFruit},
        {"Reel_Dice", 32, 32, 32, 8, 4, true, paintReelDice},
        {"Reel_Fizzcrate", 32, 32, 32, 8, 4, true, paintReelFizzcrate},
        {"Reel_UFO", 32, 32, 32, 8, 4, true, paintReelUfo},
        {"Reel_Cubewick", 32, 32, 32, 8, 4, true, paintReelCubewick},
        {"Reel_Plat", 32, 32, 32, 8, 4, true, paintReelPlat},
        {"zindle_font", kDefaultFontCellW, kDefaultFontCellH, kDefaultFontGlyphs, kDefaultFontGlyphs, 1, false,
         paintDefaultFont},
    };
    return list;
}

std::string sheetFile(const SheetSpec& sheet, const Tier& tier) {
    return sheet.name + (sheet.tiered ? tier.suffix : "") + ".png";
}

Canvas renderSheet(const SheetSpec& sheet, int tier) {
    int fw = sheet.frameW * tier, fh = sheet.frameH * tier;
    Canvas canvas(fw * sheet.cols, fh * sheet.rows);
    for (int f = 0; f < sheet.frames; ++f) {
        Pen pen(canvas, (f % sheet.cols) * fw, (f / sheet.cols) * fh, fw, fh, static_cast<float>(tier));
        sheet.paint(pen, f);
    }
    return canvas;
}

}  // namespace art
