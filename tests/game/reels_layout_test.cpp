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
    // The reels' own rules, as a loader would give them: the default, a bank with
    // no spare columns beside it, and a short window of five rows either side.
    static ReelRules Spare() { return ReelRules(); }
    static ReelRules NoSpare() {
        ReelRules rules;
        rules.extraColumns = 0;
        return rules;
    }
    static ReelRules Short() {
        ReelRules rules;
        rules.rowsShown = 5;
        rules.windowReach = 2.2f;
        return rules;
    }
    void Bank(const ReelRules& rules, int count, int gap) {
        game->reels.rules = rules;
        game->reels.reelCount = count;
        game->reels.reelGap = gap;
        for (int r = 0; r < count; ++r) {
            SetStrip(r, 1 + r % 6);
            game->reels.reelSpeed[r] = 0;
            game->reels.reelOffset[r] = 0;
            game->reels.reelPos[r] = 10;
        }
        game->m_CLS2D(0, 0, 255, 1);
        game->m_HandleReels();
    }
    std::vector<Record> Symbols() const {
        return Records([](const Record& r) { return r.kind == 1; });
    }
};

TEST_F(ReelLayout, LandscapePutsTheBankLeftAndThePanelRight) {
    Bank(NoSpare(), 5, 0);
    EXPECT_EQ(game->landscape, 1);
    EXPECT_FLOAT_EQ(game->reels.reelCentreX, 224);
    EXPECT_FLOAT_EQ(game->reels.reelCentreY, 240);
    EXPECT_FLOAT_EQ(game->reels.reelScale, 640 * 0.6f / 5 / 32);  // the Dice bank has no spare columns
    EXPECT_FLOAT_EQ(game->spinX, 544);
    EXPECT_FLOAT_EQ(game->spinY, 240);
    EXPECT_FLOAT_EQ(game->spinW, 160);
    EXPECT_FLOAT_EQ(game->spinH, 432);
    EXPECT_EQ(game->reels.reelTop, 4);      // clamped to the screen, then 4 in
    EXPECT_EQ(game->reels.reelBottom, 476);
    // Nine rows of each reel fall inside the window (with a cell's margin).
    const std::vector<Record> cells = Symbols();
    ASSERT_EQ(cells.size(), 45u);
    EXPECT_FLOAT_EQ(cells[4].y, 242);  // row 0 of reel 0: the centre line, 2 below it
    EXPECT_EQ(cells[4].frame, 0);      // symbol 1, bank 0
    EXPECT_FLOAT_EQ(cells[9 + 4].x - cells[4].x, 76.8f);
    EXPECT_FLOAT_EQ(cells[4].w, game->reels.reelScale);
    // The default leaves a column spare on each side.
    Bank(Spare(), 5, 0);
    EXPECT_FLOAT_EQ(game->reels.reelScale, 640 * 0.6f / 7 / 32);
}

TEST_F(ReelLayout, PortraitPutsThePanelBelowAndKeepsTheWindowClearOfIt) {
    Recreate(480, 640);
    game->settings[kSettingSound] = 1;
    Render();
    RunLoader();
    Bank(Spare(), 5, 0);
    EXPECT_EQ(game->landscape, 0);
    EXPECT_FLOAT_EQ(kx_Tumbleroo_jscrw, 360);
    EXPECT_FLOAT_EQ(game->reels.reelCentreX, 180);
    EXPECT_FLOAT_EQ(game->reels.reelCentreY, 168);
    EXPECT_FLOAT_EQ(game->spinY, 408);
    EXPECT_FLOAT_EQ(game->spinH, 120);
    EXPECT_EQ(game->reels.reelBottom, 336 - 4);  // at most 0.7 of the height
    const Record back = Rec(0);
    EXPECT_FLOAT_EQ(back.x, 180 - 360 * 0.47f);
    EXPECT_FLOAT_EQ(back.w, 360 * 0.95f);
    // A short window: 2.2 columns either side of the centre line.
    Bank(Short(), 5, 4);
    const float w = 360 * 0.9f / 7;
    EXPECT_EQ(game->reels.reelTop, static_cast<int>(168 - w * 2.2f) + 4);
    EXPECT_EQ(game->reels.reelBottom, static_cast<int>(168 + w * 2.2f) - 4);
    EXPECT_EQ(game->reels.reelPitch, 36);
    EXPECT_FLOAT_EQ(game->reels.reelScale, (w - 4) / 36);
    EXPECT_EQ(Symbols().size(), 5u * 7);
}

TEST_F(ReelLayout, GappedColumnsGetSeparatorsAndTheBankAFrame) {
    Bank(Short(), 5, 4);
    const float span = 40 * game->reels.reelScale;
    const std::vector<Record> seps = Records([](const Record& r) {
        return r.kind == kKindRect && r.w == 4 && r.r == 0 && r.g == 0 && r.b == 0 && r.alpha == 1;
    });
    ASSERT_EQ(seps.size(), 6u);
    for (int j = 0; j < 6; ++j) {
        EXPECT_NEAR(seps[j].x, game->reels.ColumnX(0) + (j - 0.5f) * span - 2, 0.01) << j;
        EXPECT_EQ(seps[j].y, -1);
        EXPECT_FLOAT_EQ(seps[j].h, kx_Tumbleroo_jscrh + 2);
    }
    // The frame is the last four records, in the machine's frame colour.
    game->reels.reelFrameR = 200;
    Bank(Short(), 5, 4);
    const int n = RecordCount();
    const float bankHalf = 20 * game->reels.reelScale * 5;
    const Record top = Rec(n - 4), bottom = Rec(n - 3), left = Rec(n - 2), right = Rec(n - 1);
    EXPECT_EQ(top.r, 200);
    EXPECT_EQ(top.h, game->reels.reelTop);
    EXPECT_EQ(bottom.y, game->reels.reelBottom);
    EXPECT_NEAR(left.w, game->reels.reelCentreX - bankHalf - 2, 0.01);
    EXPECT_NEAR(right.x, game->reels.reelCentreX + bankHalf + 2, 0.01);
    // 21 layers of shading at each edge, reaching 4 units further each.
    const std::vector<Record> shade = Records([](const Record& r) { return r.kind == kKindRect && r.alpha == 0.05f; });
    ASSERT_EQ(shade.size(), 42u);
    EXPECT_EQ(shade[40].h, game->reels.reelTop + 80);
    EXPECT_EQ(shade[41].y, game->reels.reelBottom - 80);
    // Without a gap there are no separators.
    Bank(NoSpare(), 5, 0);
    EXPECT_TRUE(Records([](const Record& r) { return r.kind == kKindRect && r.w == 0; }).empty());
}

TEST_F(ReelLayout, OverlaysReplaceSymbolsAndEmptyCellsDrawNothing) {
    Bank(Short(), 3, 0);
    game->reels.Overlay(0, 10) = 9;  // reel 0's centre cell: overlay frame 8
    game->reels.Symbol(1, 10) = 0;      // reel 1's centre cell: empty
    game->reels.Overlay(1, 10) = 3;  // ... whatever its overlay
    game->reels.symbolBank = 1;
    game->reels.rules.overlayAlpha = 0.5f;  // a fade under way
    game->m_CLS2D(0, 0, 255, 1);
    game->m_HandleReels();
    const float centreY = game->reels.reelCentreY + 2;
    const std::vector<Record> centre = Records([&](const Record& r) { return r.kind == 1 && r.y == centreY; });
    ASSERT_EQ(centre.size(), 2u);  // reel 1's empty cell is skipped
    EXPECT_EQ(centre[0].frame, 8);
    EXPECT_FLOAT_EQ(centre[0].alpha, 0.5f);  // only overlaid cells fade
    EXPECT_EQ(centre[1].frame, 3 - 1 + 8);   // reel 2: symbol 3 in bank 1
    EXPECT_EQ(centre[1].alpha, 1);
}

// The loaders choose the rules: Dice fills the width, Fizzcrate shows a short window
// of five rows either side, every other machine the wide window with spare columns.
TEST_F(ReelLayout, EachMachineLoaderChoosesItsReelRules) {
    StartMachine(kMachineDice);
    EXPECT_FLOAT_EQ(game->reels.reelScale, 640 * 0.6f / 5 / 32);
    StartMachine(kMachineFizzcrate);
    const float w = 640 * 0.6f / 8;
    EXPECT_EQ(game->reels.reelTop, static_cast<int>(240 - w * 2.2f) + 4);
    EXPECT_EQ(game->reels.reelBottom, static_cast<int>(240 + w * 2.2f) - 4);
    StartMachine(kMachineQuillmorPlat);
    const float wide = 640 * 0.6f / 10;
    EXPECT_FLOAT_EQ(game->reels.reelScale, wide / 32);
    EXPECT_EQ(game->reels.reelTop, static_cast<int>(240 - wide * 6) + 4);
}

}  // namespace
