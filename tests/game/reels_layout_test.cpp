// reels_layout_test.cpp - where the reel window goes: the landscape and portrait
// layouts with their panels, the window's clamps (screen edges, the portrait panel,
// the short Fizzcrate window), the rows drawn inside it, the separators between
// gapped columns, and the frame around the bank.
#include <cmath>

#include "reels_support.h"

namespace {

using gametest::Record;

class ReelLayout : public reeltest::ReelGame {
protected:
    void Bank(int machine, int count, int gap) {
        game->machine = machine;
        game->reelCount = count;
        game->reelGap = gap;
        for (int r = 0; r < count; ++r) {
            SetStrip(r, 1 + r % 6);
            game->reelSpeed[r] = 0;
            game->reelOffset[r] = 0;
            game->reelPos[r] = 10;
        }
        game->m_CLS2D(0, 0, 255, 1);
        game->m_HandleReels();
    }
    std::vector<Record> Symbols() const {
        return Records([](const Record& r) { return r.kind == 1; });
    }
};

TEST_F(ReelLayout, LandscapePutsTheBankLeftAndThePanelRight) {
    Bank(kMachineDice, 5, 0);
    EXPECT_EQ(game->landscape, 1);
    EXPECT_FLOAT_EQ(game->reelCentreX, 224);
    EXPECT_FLOAT_EQ(game->reelCentreY, 240);
    EXPECT_FLOAT_EQ(game->reelScale, 640 * 0.6f / 5 / 32);  // the Dice bank has no spare columns
    EXPECT_FLOAT_EQ(game->spinX, 544);
    EXPECT_FLOAT_EQ(game->spinY, 240);
    EXPECT_FLOAT_EQ(game->spinW, 160);
    EXPECT_FLOAT_EQ(game->spinH, 432);
    EXPECT_EQ(game->reelTop, 4);      // clamped to the screen, then 4 in
    EXPECT_EQ(game->reelBottom, 476);
    // Nine rows of each reel fall inside the window (with a cell's margin).
    const std::vector<Record> cells = Symbols();
    ASSERT_EQ(cells.size(), 45u);
    EXPECT_FLOAT_EQ(cells[4].y, 242);  // row 0 of reel 0: the centre line, 2 below it
    EXPECT_EQ(cells[4].frame, 0);      // symbol 1, bank 0
    EXPECT_FLOAT_EQ(cells[9 + 4].x - cells[4].x, 76.8f);
    EXPECT_FLOAT_EQ(cells[4].w, game->reelScale);
    // Other machines leave a column spare on each side.
    Bank(1, 5, 0);
    EXPECT_FLOAT_EQ(game->reelScale, 640 * 0.6f / 7 / 32);
}

TEST_F(ReelLayout, PortraitPutsThePanelBelowAndKeepsTheWindowClearOfIt) {
    Recreate(480, 640);
    game->settings[kSettingSound] = 1;
    Render();
    RunLoader();
    Bank(2, 5, 0);
    EXPECT_EQ(game->landscape, 0);
    EXPECT_FLOAT_EQ(kx_Tumbleroo_jscrw, 360);
    EXPECT_FLOAT_EQ(game->reelCentreX, 180);
    EXPECT_FLOAT_EQ(game->reelCentreY, 168);
    EXPECT_FLOAT_EQ(game->spinY, 408);
    EXPECT_FLOAT_EQ(game->spinH, 120);
    EXPECT_EQ(game->reelBottom, 336 - 4);  // at most 0.7 of the height
    const Record back = Rec(0);
    EXPECT_FLOAT_EQ(back.x, 180 - 360 * 0.47f);
    EXPECT_FLOAT_EQ(back.w, 360 * 0.95f);
    // The Fizzcrate window is short: 2.2 columns either side of the centre line.
    Bank(4, 5, 4);
    const float w = 360 * 0.9f / 7;
    EXPECT_EQ(game->reelTop, static_cast<int>(168 - w * 2.2f) + 4);
    EXPECT_EQ(game->reelBottom, static_cast<int>(168 + w * 2.2f) - 4);
    EXPECT_EQ(game->reelPitch, 36);
    EXPECT_FLOAT_EQ(game->reelScale, (w - 4) / 36);
    EXPECT_EQ(Symbols().size(), 5u * 7);
}

TEST_F(ReelLayout, GappedColumnsGetSeparatorsAndTheBankAFrame) {
    Bank(4, 5, 4);
    const float span = 40 * game->reelScale;
    const std::vector<Record> seps = Records([](const Record& r) {
        return r.kind == kKindRect && r.w == 4 && r.r == 0 && r.g == 0 && r.b == 0 && r.alpha == 1;
    });
    ASSERT_EQ(seps.size(), 6u);
    for (int j = 0; j < 6; ++j) {
        EXPECT_NEAR(seps[j].x, game->m_ReelColumnX(0) + (j - 0.5f) * span - 2, 0.01) << j;
        EXPECT_EQ(seps[j].y, -1);
        EXPECT_FLOAT_EQ(seps[j].h, kx_Tumbleroo_jscrh + 2);
    }
    // The frame is the last four records, in the machine's frame colour.
    game->reelFrameR = 200;
    Bank(4, 5, 4);
    const int n = RecordCount();
    const float bankHalf = 20 * game->reelScale * 5;
    const Record top = Rec(n - 4), bottom = Rec(n - 3), left = Rec(n - 2), right = Rec(n - 1);
    EXPECT_EQ(top.r, 200);
    EXPECT_EQ(top.h, game->reelTop);
    EXPECT_EQ(bottom.y, game->reelBottom);
    EXPECT_NEAR(left.w, game->reelCentreX - bankHalf - 2, 0.01);
    EXPECT_NEAR(right.x, game->reelCentreX + bankHalf + 2, 0.01);
    // 21 layers of shading at each edge, reaching 4 units further each.
    const std::vector<Record> shade = Records([](const Record& r) { return r.kind == kKindRect && r.alpha == 0.05f; });
    ASSERT_EQ(shade.size(), 42u);
    EXPECT_EQ(shade[40].h, game->reelTop + 80);
    EXPECT_EQ(shade[41].y, game->reelBottom - 80);
    // Without a gap there are no separators.
    Bank(5, 5, 0);
    EXPECT_TRUE(Records([](const Record& r) { return r.kind == kKindRect && r.w == 0; }).empty());
}

TEST_F(ReelLayout, OverlaysReplaceSymbolsAndEmptyCellsDrawNothing) {
    Bank(4, 3, 0);
    game->reelCells[0 * 500 + 10 * 5 + 1] = 9;  // reel 0's centre cell: overlay frame 8
    game->reelCells[1 * 500 + 10 * 5] = 0;      // reel 1's centre cell: empty
    game->reelCells[1 * 500 + 10 * 5 + 1] = 3;  // ... whatever its overlay
    game->symbolBank = 1;
    game->phase = 3;
    game->fadeTimer = 30;
    game->m_CLS2D(0, 0, 255, 1);
    game->m_HandleReels();
    const float centreY = game->reelCentreY + 2;
    const std::vector<Record> centre = Records([&](const Record& r) { return r.kind == 1 && r.y == centreY; });
    ASSERT_EQ(centre.size(), 2u);  // reel 1's empty cell is skipped
    EXPECT_EQ(centre[0].frame, 8);
    EXPECT_FLOAT_EQ(centre[0].alpha, 0.5f);  // the Fizzcrate fade of an overlaid cell
    EXPECT_EQ(centre[1].frame, 3 - 1 + 8);   // reel 2: symbol 3 in bank 1
    EXPECT_EQ(centre[1].alpha, 1);
}

}  // namespace
