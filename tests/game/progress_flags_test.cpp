// progress_flags_test.cpp - the bit operations on 32-bit words (bits numbered 1 to
// 32, bit 32 the sign) that keep the menu's unlock mask, and the game-centre hooks.
#include <climits>

#include "progress_fixture.h"

namespace {

class Flags : public progresstest::ProgressTest {};

TEST_F(Flags, SetAndClearOneBitNumberedFromOne) {
    EXPECT_EQ(game->m_SetFlag(0, 3, 1), 4);
    EXPECT_EQ(game->m_SetFlag(7, 1, 0), 6);
    EXPECT_EQ(game->m_SetFlag(4, 3, 1), 4);   // already set
    EXPECT_EQ(game->m_SetFlag(4, 2, 0), 4);   // already clear
    EXPECT_EQ(game->m_SetFlag(-1, 1, 0), -2);
    EXPECT_EQ(game->m_GetFlag(4, 3), 1);
    EXPECT_EQ(game->m_GetFlag(4, 2), 0);
    EXPECT_EQ(game->m_GetFlag(4, 4), 0);
    for (int bit = 1; bit <= 32; ++bit) {
        const int word = game->m_SetFlag(0, bit, 1);
        EXPECT_EQ(game->m_GetFlag(word, bit), 1) << bit;
        EXPECT_EQ(game->m_SetFlag(word, bit, 0), 0) << bit;
        for (int other = 1; other <= 32; ++other) {
            if (other != bit) {
                EXPECT_EQ(game->m_GetFlag(word, other), 0) << bit << " " << other;
            }
        }
    }
}

TEST_F(Flags, BitThirtyTwoIsTheSignBit) {
    EXPECT_EQ(game->m_SetFlag(0, 32, 1), INT_MIN);
    EXPECT_EQ(game->m_GetFlag(INT_MIN, 32), 1);
    EXPECT_EQ(game->m_GetFlag(INT_MIN, 31), 0);
    EXPECT_EQ(game->m_GetFlag(-1, 32), 1);
    EXPECT_EQ(game->m_SetFlag(-1, 32, 0), INT_MAX);
    EXPECT_EQ(game->m_GetFlag(INT_MAX, 32), 0);
}

TEST_F(Flags, ANumberThatNamesNoBitLeavesTheWordAlone) {
    for (int bit : {0, -1, 33, 64, INT_MIN, INT_MAX}) {
        EXPECT_EQ(game->m_SetFlag(0x1234, bit, 1), 0x1234) << bit;
        EXPECT_EQ(game->m_SetFlag(0x1234, bit, 0), 0x1234) << bit;
        EXPECT_EQ(game->m_GetFlag(-1, bit), 0) << bit;
    }
}

TEST_F(Flags, TheGameCentreHooksTakeTheResultsAndChangeNothing) {
    game->scores[0] = 5;
    game->settings[3] = 9;
    EXPECT_EQ(game->m_GC_PostScore(1, 5), 0);
    EXPECT_EQ(game->m_GC_Badges(), 0);
    EXPECT_EQ(game->scores[0], 5);
    EXPECT_EQ(game->settings[3], 9);
    EXPECT_FALSE(progresstest::StateFileExists());
}

}  // namespace
