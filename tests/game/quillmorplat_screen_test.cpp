// quillmorplat_screen_test.cpp - the QuillmorPlat machine's frame rendered in a
// real GL context and read back: the green run-timer bar under the reels and its
// shrinking as the still ticks pass. Set TUMBLEROO_SHOT_DIR to keep the frames.
#include <stb/stb_image_write.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "game_harness.h"

namespace {

using gametest::GameTest;

constexpr int kSettleLimit = 1500;

class QuillmorPlatScreen : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        Render();
        RunLoader();
        StartMachine(kMachineQuillmorPlat);
        // Plain floor everywhere: black behind the bar's rows, and a run that lasts.
        for (int r = 0; r < 8; ++r) {
            for (int cell = 0; cell < 100; ++cell) game->reels.Symbol(r, cell) = 1;
        }
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

    // Green over red: the bar's tint on the black reel background.
    static int Tint(unsigned p) { return Green(p) - Red(p); }
};

TEST_F(QuillmorPlatScreen, TheTimerBarShowsDuringARunAndShrinksWithStillTicks) {
    const float w = kx_Tumbleroo_jscrw;
    const float c = game->reels.reelScale * 32;
    const int barY = static_cast<int>(game->reels.reelCentreY + 1.5f * c + 16);
    const int left = static_cast<int>(game->reels.reelCentreX - 0.25f * w);
    const int nearEnd = static_cast<int>(game->reels.reelCentreX + 0.2f * w);  // inside a nearly full bar
    std::vector<unsigned> px = RenderAndRead();
    ASSERT_FALSE(px.empty());
    EXPECT_LT(Tint(PixelAt(px, left + 4, barY)), 30);  // no run, no bar

    MoveMouse(game->spinX, game->spinY);
    PressMouse();
    Tick();
    ReleaseMouse();
    Tick();  // the reels are rolling from here
    for (int t = 0; t < kSettleLimit && !(game->phase == 1 && game->reels.reelsMoving == 0); ++t) Tick();
    ASSERT_EQ(game->phase, 1);
    ASSERT_EQ(game->quillmorPlat.runTimer, 599);  // the first still tick
    px = RenderAndRead();
    KeepShot(px, "quillmorplat.png");
    EXPECT_GT(Tint(PixelAt(px, left + 4, barY)), 60);
    EXPECT_GT(Tint(PixelAt(px, nearEnd, barY)), 60);

    // A fifth of the run later the bar no longer reaches that far (the runner is
    // still on its way across the floor).
    Tick(120);
    ASSERT_EQ(game->phase, 1);
    EXPECT_EQ(game->quillmorPlat.runTimer, 479);
    px = RenderAndRead();
    EXPECT_GT(Tint(PixelAt(px, left + 4, barY)), 60);
    EXPECT_LT(Tint(PixelAt(px, nearEnd, barY)), 30);
}

}  // namespace
