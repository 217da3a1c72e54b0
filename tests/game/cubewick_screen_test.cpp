// cubewick_screen_test.cpp - the Cubewick machine's frame rendered in a real GL
// context and read back: the dark lane left of the reel window and the exit
// square right of it. Set TUMBLEROO_SHOT_DIR to keep the frame as a PNG.
#include <stb/stb_image_write.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "game_harness.h"

namespace {

using gametest::GameTest;


class CubewickScreen : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        Render();
        RunLoader();
        StartMachine(kMachineCubewick);
    }

    static void KeepShot(const std::vector<unsigned>& px, const char* name) {
        const char* dir = std::getenv("TUMBLEROO_SHOT_DIR");
        if (!dir || px.empty()) return;
        const int w = gametest::Backend().width;
        const int h = gametest::Backend().height;
        std::vector<unsigned char> rgb(static_cast<size_t>(w) * h * 3);
        for (size_t i = 0; i < px.size(); ++i) {
            rgb[3 * i] = static_cast<unsigned char>(Red(px[i]));
            rgb[3 * i + 1] = static_cast<unsigned char>(Green(px[i]));
            rgb[3 * i + 2] = static_cast<unsigned char>(Blue(px[i]));
        }
        stbi_write_png((std::string(dir) + "/" + name).c_str(), w, h, 3, rgb.data(), w * 3);
    }
};

TEST_F(CubewickScreen, TheLaneAndTheExitAreDarkOnThePayLine) {
    const std::vector<unsigned> px = RenderAndRead();
    ASSERT_FALSE(px.empty());
    KeepShot(px, "cubewick.png");
    ASSERT_EQ(game->scaleX, 1);  // 640 x 480: virtual units are pixels
    const float c = game->reels.reelScale * game->reels.reelPitch;
    const int y = static_cast<int>(game->reels.reelCentreY);
    const int clear = static_cast<int>(game->reels.reelCentreY - 1.5f * c);  // the frame, off the pay line
    const int laneX = 20;
    const int exitX = static_cast<int>(game->reels.reelCentreX + 16 * game->reels.reelScale * 6 + 2 + c / 2);
    // The frame is blue (0, 80, 180); the lane darkens it to a fifth before the
    // pay-line band goes over both.
    EXPECT_GT(Blue(PixelAt(px, laneX, clear)), 150);
    EXPECT_LT(Blue(PixelAt(px, laneX, y)), Blue(PixelAt(px, laneX, clear)) * 0.7);
    EXPECT_GT(Blue(PixelAt(px, exitX, clear)), 150);
    EXPECT_LT(Blue(PixelAt(px, exitX, y)), Blue(PixelAt(px, exitX, clear)) * 0.7);
    // Beyond the exit square the frame shows again.
    const int pastExit = static_cast<int>(exitX + c);
    EXPECT_GT(Blue(PixelAt(px, pastExit, y)), Blue(PixelAt(px, exitX, y)) + 40);
}

}  // namespace
