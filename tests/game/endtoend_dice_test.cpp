// endtoend_dice_test.cpp - one whole game through the real game object and input
// device: buy machines in the menu until the coins reach the Dice machine, start
// it, play turns of two spins with holds by pointer presses until the last life is
// lost, watch the game-over overlay hand back to the menu, and find the score in the
// tables, in the state file, and in a new game object started in the same folder.
#include "progress_fixture.h"

namespace {

using progresstest::kKeyDown;
using progresstest::kKeyZ;
using progresstest::Pieces;
using progresstest::ProgressTest;
using progresstest::ReadStateFile;

constexpr int kDice = 5;
constexpr int kTickLimit = 2000;

class EndToEnd : public ProgressTest {
protected:
    // Ticks until `done` holds; fails the test when it never does.
    template <class Done>
    int TickUntil(Done done) {
        for (int i = 1; i <= kTickLimit; ++i) {
            Tick();
            if (done()) return i;
        }
        ADD_FAILURE() << "gave up waiting";
        return kTickLimit;
    }
    void TapSpin() { ClickAt(game->spinX, game->spinY); }
    void TapHold(int reel) {
        const float y = game->reels.reelCentreY + 1.5f * static_cast<float>(game->reels.reelPitch) * game->reels.reelScale + 2;
        ClickAt(game->reels.ColumnX(reel), y);
    }
    void WaitForReels() {
        TickUntil([this] { return game->reels.reelsMoving == 0; });
    }

    // A turn: spin, hold the first and last dice, spin the rest, wait for the hand.
    void PlayTurn() {
        ASSERT_EQ(game->phase, 0);
        const int livesBefore = game->lives;
        const int scoreBefore = game->score;
        TapSpin();
        EXPECT_EQ(game->phase, 1);
        WaitForReels();
        TapHold(0);
        TapHold(4);
        EXPECT_EQ(game->reels.holds[0], 1);
        EXPECT_EQ(game->reels.holds[4], 1);
        const int kept0 = game->reels.reelPos[0];
        const int kept4 = game->reels.reelPos[4];
        TapSpin();
        EXPECT_EQ(game->phase, 2);
        WaitForReels();
        EXPECT_EQ(game->reels.reelPos[0], kept0);  // held dice keep their faces
        EXPECT_EQ(game->reels.reelPos[4], kept4);
        TickUntil([this] { return game->phase == 0 || game->gameOver > 0; });
        // Every hand adds at least its five faces; a hand of nothing costs a life.
        EXPECT_GE(game->score, scoreBefore + 5);
        EXPECT_EQ(game->lives, livesBefore - (game->dice.handValue == 0 ? 1 : 0));
    }
};

TEST_F(EndToEnd, AGameOfDiceFromTheMenuToTheSavedTables) {
    MenuReady();
    ASSERT_EQ(game->state, kScreenMenu);
    ASSERT_EQ(game->machine, kMachineQuillmorPlat);

    // Machines 1 and 2 pay 45 and 20 coins; Dice costs 55 of them.
    TapKey(kKeyZ);
    TapKey(kKeyDown);
    TapKey(kKeyZ);
    EXPECT_EQ(game->settings[kSettingCoins], 65);
    for (int m = 3; m <= kDice; ++m) TapKey(kKeyDown);
    ASSERT_EQ(game->machine, kDice);
    TapKey(kKeyZ);
    EXPECT_EQ(game->settings[kSettingCoins], 10);
    EXPECT_EQ(game->settings[kSettingUnlockMask], 1 | 2 | 16);
    EXPECT_EQ(game->state, kScreenMenu);
    PressKey(kKeyZ);
    Tick();
    ASSERT_EQ(game->state, kScreenStartGame);
    ReleaseKey(kKeyZ);
    Tick();
    ASSERT_EQ(game->state, kScreenPlay);
    RunLoader();  // the Dice sheet brings its own sound bank
    Render();
    Tick();       // the first tick of play lays out the reels and the SPIN control
    EXPECT_EQ(game->lives, 3);
    EXPECT_EQ(game->settings[kSettingLastMachine], kDice);

    int turns = 0;
    while (game->gameOver == 0 && turns < 60) {
        PlayTurn();
        if (HasFatalFailure()) return;
        ++turns;
    }
    ASSERT_EQ(game->gameOver, 1);
    EXPECT_EQ(game->lives, 0);
    const int finalScore = game->score;

    // The overlay runs its 90 ticks over the machine, then the menu takes over.
    const int ticks = TickUntil([this] { return game->state == kScreenMenu; });
    EXPECT_GE(ticks, 89);
    EXPECT_LE(ticks, 91);
    EXPECT_EQ(game->machine, kDice);
    EXPECT_FLOAT_EQ(game->menuScrollY, -120);
    EXPECT_EQ(game->scores[40], finalScore);
    EXPECT_EQ(game->scores[41], 0);
    EXPECT_EQ(game->scores[90], finalScore);
    EXPECT_GT(game->gameOverTimer, 0);  // still fading over the menu

    // The menu's best list shows it at the top.
    Tick();
    const std::vector<std::string> best = TextLines(255, 200, 100);
    ASSERT_GE(best.size(), 2u);
    EXPECT_EQ(best[1], game->m_rstr(finalScore, 8, String(" ")).ToUtf8());

    // Saved: Dice's row is the last, its first pair at element 119.
    const std::vector<std::string> saved = Pieces(ReadStateFile());
    ASSERT_EQ(saved.size(), 141u);
    EXPECT_EQ(saved[1], "5");
    EXPECT_EQ(saved[2], "19");
    EXPECT_EQ(saved[3], "10");
    EXPECT_EQ(saved[119], std::to_string(finalScore));
    EXPECT_EQ(saved[120], std::to_string(finalScore));

    // A new game object in the same folder starts where this one left off.
    Recreate();
    EXPECT_EQ(game->machine, kDice);
    EXPECT_EQ(game->scores[40], finalScore);
    EXPECT_EQ(game->scores[90], finalScore);
    EXPECT_EQ(game->settings[kSettingCoins], 10);
    EXPECT_EQ(game->settings[kSettingUnlockMask], 19);
    MenuReady();
    EXPECT_EQ(TextLines(255, 200, 100)[1], best[1]);
    // Dice is unlocked now: the action key starts it at once.
    PressKey(kKeyZ);
    Tick();
    EXPECT_EQ(game->state, kScreenStartGame);
    ReleaseKey(kKeyZ);
}

}  // namespace
