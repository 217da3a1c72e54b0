// dice_screen_test.cpp - a frame of the Dice machine drawn into the real GL window
// and read back: the frame colour around the reel bank, the dice on the pay line
// under the highlight bar, the darker shading toward the window's edges, and the
// SPIN panel. Set TUMBLEROO_SCREENSHOTS to a folder to keep the frame as a PNG.
#include <stb/stb_image_write.h>

#include <cstdlib>
#include <string>

#include "reels_support.h"

namespace {

class DiceScreen : public reeltest::ReelGame {
protected:
    void Save(const std::vector<unsigned>& px, const char* name) {
        const char* dir = std::getenv("TUMBLEROO_SCREENSHOTS");
        if (!dir || px.empty()) return;
        const int w = gametest::Backend().width, h = gametest::Backend().height;
        std::vector<unsigned> rgba(px.size());
        for (size_t i = 0; i < px.size(); ++i) {
            const unsigned p = px[i];  // 0xAARRGGBB to R, G, B, A in memory
            rgba[i] = ((p >> 16) & 0xff) | (p & 0xff00) | ((p & 0xff) << 16) | 0xff000000u;
        }
        const std::string path = std::string(dir) + "/" + name;
        EXPECT_TRUE(stbi_write_png(path.c_str(), w, h, 4, rgba.data(), w * 4)) << path;
    }
};

TEST_F(DiceScreen, AFrameShowsTheReelBankInItsFrameWithThePanelBeside) {
    StartMachine(kMachineDice);
    const int faces[5] = {1, 2, 3, 4, 5};
    for (int i = 0; i < 5; ++i) SetStrip(i, faces[i]);
    Tick();
    const std::vector<unsigned> px = RenderAndRead();
    ASSERT_FALSE(px.empty());
    Save(px, "dice.png");
    // Left of the bank and over the panel on the right: the machine's frame colour.
    for (const auto& at : {std::pair<int, int>{10, 150}, {630, 100}}) {
        const unsigned p = PixelAt(px, at.first, at.second);
        EXPECT_EQ(Red(p), 20) << at.first << "," << at.second;
        EXPECT_EQ(Green(p), 120);
        EXPECT_EQ(Blue(p), 20);
    }
    // The top rows of the window are shaded darker than the middle of the pay line
    // band: compare the same column's brightness.
    const int column = static_cast<int>(game->reels.ColumnX(0) + game->reels.reelScale * 14);
    auto light = [&](int y) {
        const unsigned p = PixelAt(px, column, y);
        return Red(p) + Green(p) + Blue(p);
    };
    const int top = game->reels.reelTop + 2;
    const int centre = static_cast<int>(game->reels.reelCentreY);
    EXPECT_LT(light(top), light(centre));
    // The dice are drawn: the pay line's cells are not the bare background colour.
    int painted = 0;
    for (int i = 0; i < 5; ++i) {
        const unsigned p = PixelAt(px, static_cast<int>(game->reels.ColumnX(i)), centre);
        painted += !(Red(p) == 0 && Green(p) == 80 && Blue(p) == 0);
    }
    EXPECT_EQ(painted, 5);
    // The SPIN button's backing box, lit green, in the panel (the generated fixture
    // sheets are solid, so only the real art lets the box show through).
    if (!gametest::HaveRealData()) return;
    const unsigned spin = PixelAt(px, static_cast<int>(game->spinX) - 50, static_cast<int>(game->spinY) + 30);
    EXPECT_GT(Green(spin), Red(spin));
}

}  // namespace
