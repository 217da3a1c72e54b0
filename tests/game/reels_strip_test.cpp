// reels_strip_test.cpp - building the strips: the documented counts examples (full,
// 99 and 98 cells), the multiset kept by the shuffle, the shuffle's draws taken
// from the generator in order across all sixteen reels, and counts that overfill a
// strip staying inside it.
#include <algorithm>
#include <map>

#include "reels_support.h"

namespace {

using reeltest::ExpectedStrip;
using reeltest::RefGenerator;

class ReelStrips : public reeltest::ReelGame {
protected:
    std::map<int, int> Multiset(int reel) const {
        std::map<int, int> m;
        for (int c = 0; c < 100; ++c) ++m[Symbol(reel, c)];
        return m;
    }
    std::vector<int> Strip(int reel) const {
        std::vector<int> s;
        for (int c = 0; c < 100; ++c) s.push_back(Symbol(reel, c));
        return s;
    }
    void Put(const std::vector<int>& counts) {
        int c[16] = {};
        std::copy(counts.begin(), counts.end(), c);
        game->m_PutReels(c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], c[8], c[9], c[10], c[11], c[12],
                         c[13], c[14], c[15]);
    }
};

TEST_F(ReelStrips, CountsFillTheStripAndTheShuffleKeepsTheMultiset) {
    const struct {
        std::vector<int> counts;
        std::map<int, int> expected;
    } cases[] = {
        {{50, 25, 15, 10}, {{1, 50}, {2, 25}, {3, 15}, {4, 10}}},
        {{60, 39}, {{0, 1}, {1, 60}, {2, 39}}},  // 99 cells: the last stays empty
        {{60, 38}, {{1, 62}, {2, 38}}},          // 98 cells: topped up with symbol 1
        {{17, 16, 17, 16, 17, 17}, {{1, 17}, {2, 16}, {3, 17}, {4, 16}, {5, 17}, {6, 17}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "first count " << c.counts[0] << ", " << c.counts.size() << " kinds");
        Put(c.counts);
        for (int r = 0; r < 16; ++r) EXPECT_EQ(Multiset(r), c.expected) << "reel " << r;
        for (int k = 1; k <= 16; ++k) {
            const int given = k <= static_cast<int>(c.counts.size()) ? c.counts[k - 1] : 0;
            EXPECT_EQ(game->reels.symbolCounts[k], given);
        }
    }
}

TEST_F(ReelStrips, TheShuffleTakesItsDrawsFromTheGeneratorInOrder) {
    const std::vector<int> counts = {50, 25, 15, 10};
    for (int seed : {4321, 1234, -99}) {
        SCOPED_TRACE(seed);
        kx_random_Seed = seed;
        Put(counts);
        RefGenerator gen(seed);
        for (int r = 0; r < 16; ++r) EXPECT_EQ(Strip(r), ExpectedStrip(counts, gen)) << "reel " << r;
        // Exactly 100 draws per reel, none elsewhere.
        EXPECT_EQ(kx_random_Seed, gen.Seed());
    }
    // A shuffle really moves cells: the strip is not left in counting order.
    EXPECT_NE(Symbol(0, 99), 4);
}

TEST_F(ReelStrips, PuttingReelsClearsTheMachinesIntsAndTheShuffleMovesOnlySymbols) {
    for (int c = 0; c < 100; ++c) {
        for (int i = 1; i < 5; ++i) game->reels.reelCells[kx_Tumbleroo_Reels::Cell(3, c) + i] = 7;
    }
    Put({100});
    for (int c = 0; c < 100; ++c) {
        EXPECT_EQ(Symbol(3, c), 1);
        for (int i = 1; i < 5; ++i) EXPECT_EQ(game->reels.reelCells[kx_Tumbleroo_Reels::Cell(3, c) + i], 0) << "cell " << c;
    }
}

TEST_F(ReelStrips, CountsBeyondAStripStayInsideIt) {
    const int beyond = kMaxReels * kReelInts;
    for (int i = beyond; i < kReelCellInts; ++i) game->reels.reelCells[i] = -5;
    Put({80, 40});
    for (int r = 0; r < 16; ++r) {
        const std::map<int, int> expected = {{1, 80}, {2, 20}};
        EXPECT_EQ(Multiset(r), expected) << "reel " << r;
    }
    for (int i = beyond; i < kReelCellInts; ++i) ASSERT_EQ(game->reels.reelCells[i], -5) << i;
}

TEST_F(ReelStrips, LoadingReelsNamesTheSheetAndReloadsOnlyForAnotherSoundBank) {
    if (!gametest::HaveRealData()) {  // the generated fixtures have no machine sheets
        const std::string suffix = game->tier == 2 ? "-hd" : game->tier == 4 ? "-hd2" : "";
        gametest::WritePng("Reel_Dice" + suffix + ".png", 8 * 32 * game->tier, 4 * 32 * game->tier);
        gametest::WritePng("Reel_Cubewick" + suffix + ".png", 8 * 32 * game->tier, 4 * 32 * game->tier);
    }
    game->m_LoadReels(String("Reel_Dice"), game->soundSet);
    EXPECT_TRUE(game->reelSheet == String("Reel_Dice"));
    EXPECT_NE(game->images[1], nullptr);
    EXPECT_EQ(game->slotInfo[3], 32 * game->tier);
    EXPECT_EQ(game->slotInfo[5], 32);
    EXPECT_EQ(game->loadStep, 0);
    const int other = game->soundSet == 1 ? 2 : 1;
    game->m_LoadReels(String("Reel_Cubewick"), other);
    EXPECT_EQ(game->soundSet, other);
    EXPECT_EQ(game->loadStep, 1);
    RunLoader();
    EXPECT_TRUE(game->reelSheet == String("Reel_Cubewick"));
    EXPECT_NE(game->images[1], nullptr);
}

}  // namespace
