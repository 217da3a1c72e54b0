// cubewick_test.cpp - the Cubewick machine played through the real game object:
// SPIN pressed with the mouse through the input device, the reels left to stop by
// themselves, then the pay line laid out under the walker before its first step.
// Covers the walk and its scores and sounds, power and monsters, the freeze while
// reels move, dying and the fallen frame, the second sound bank's full reload, and
// a whole game to its end.
#include <AL/al.h>

#include <cstdio>
#include <string>
#include <vector>

#include "game_harness.h"
#include "media/audio_device.h"

namespace {

using gametest::GameTest;
using gametest::Record;

constexpr int kReels = 6;
constexpr int kTicksPerCell = 16;
constexpr int kSettleLimit = 1200;
constexpr int kEaten = 19;

enum { DOT = 1, BONUS = 2, POWER = 3, MONSTER = 4, MONSTER_LAST = 7 };

class Cubewick : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        Enter(kMachineCubewick);
    }

    void Enter(int machine) {
        Render();  // fits the virtual screen, so pointer positions map 1:1
        RunLoader();
        StartMachine(machine);
        ASSERT_EQ(game->state, kScreenPlay);
    }

    int Cell(int reel) const { return kx_Tumbleroo_Reels::Cell(reel, game->reels.reelPos[reel]); }

    void LayRow(const std::vector<int>& symbols) {
        for (int r = 0; r < kReels; ++r) {
            game->reels.reelCells[Cell(r)] = symbols[r];
            game->reels.reelCells[Cell(r) + 1] = 0;
        }
    }

    void SpinOnto(const std::vector<int>& symbols) {
        PressSpin();
        ASSERT_EQ(game->phase, 1);
        SettleReels();
        LayRow(symbols);
    }

    // The sound slot played `back` effects ago, found by the sample on its channel.
    int SoundPlayed(int back = 0) const {
        const int ring = (game->sfxChannel - back + kSfxRing) % kSfxRing;
        const gxtkSample* sample = app->audio->channels[game->channels[ring]].sample;
        for (int slot = 0; slot < kSoundSlots; ++slot) {
            if (game->sounds[slot] && game->sounds[slot]->sample == sample) return slot;
        }
        return -1;
    }

    // The walker is the only reel-sheet image drawn exactly on the pay line's y
    // (cells are drawn two units lower).
    Record Walker() const { return ImageAtY(kImgReels, game->reels.reelCentreY); }
};

TEST_F(Cubewick, LoaderSetsTheMachineUpOnTheSecondBank) {
    EXPECT_EQ(game->reels.reelCount, kReels);
    EXPECT_EQ(game->reels.reelGap, 0);
    EXPECT_EQ(game->soundSet, 2);
    EXPECT_EQ(game->reelSheet, String("Reel_Cubewick"));
    EXPECT_EQ(game->lives, 3);
    EXPECT_EQ(game->phase, 0);
    EXPECT_EQ(game->cubewick.walkerPos, -1);
    EXPECT_EQ(game->reels.reelFrameB, 180);
    EXPECT_EQ(game->reels.reelBackG, 40);
    const int counts[] = {0, 50, 15, 20, 4, 3, 4, 4, 0};
    for (int k = 1; k <= 8; ++k) EXPECT_EQ(game->reels.symbolCounts[k], counts[k]) << k;
    // Every strip holds the composition, shuffled on its own.
    for (int r = 0; r < kReels; ++r) {
        int dots = 0;
        for (int c = 0; c < 100; ++c) dots += game->reels.Symbol(r, c) == DOT;
        EXPECT_EQ(dots, 50) << r;
    }
}

TEST_F(Cubewick, AWalkOverSixDotsScoresThirtyAndEndsWithTheWinSound) {
    SpinOnto({DOT, DOT, DOT, DOT, DOT, DOT});
    for (int cell = 0; cell < kReels; ++cell) {
        Tick(kTicksPerCell - 1);
        EXPECT_EQ(game->cubewick.walkerPos, cell - 1);
        EXPECT_EQ(game->score, 5 * cell);
        Tick();
        EXPECT_EQ(game->cubewick.walkerPos, cell);
        EXPECT_EQ(game->cubewick.walkerStep, 0);
        EXPECT_EQ(game->score, 5 * (cell + 1));
        EXPECT_EQ(SoundPlayed(), 11);
        EXPECT_EQ(game->reels.reelCells[Cell(cell) + 1], kEaten);
    }
    EXPECT_EQ(game->phase, 1);
    Tick(kTicksPerCell - 1);
    EXPECT_EQ(game->phase, 1);
    Tick();  // tick 112: the exit
    EXPECT_EQ(game->cubewick.walkerPos, kReels);
    EXPECT_EQ(game->phase, 0);
    EXPECT_EQ(game->score, 30);
    EXPECT_EQ(SoundPlayed(), 12);
    EXPECT_EQ(game->lives, 3);
    // The walker stays at the exit; nothing more is scored.
    Tick(40);
    EXPECT_EQ(game->cubewick.walkerPos, kReels);
    EXPECT_EQ(game->score, 30);
}

TEST_F(Cubewick, BonusItemsScoreTwentyFiveWithTwoSounds) {
    SpinOnto({BONUS, DOT, DOT, DOT, DOT, DOT});
    const int before = game->sfxChannel;
    Tick(kTicksPerCell);
    EXPECT_EQ(game->score, 25);
    EXPECT_EQ((game->sfxChannel - before + kSfxRing) % kSfxRing, 2);
    EXPECT_EQ(SoundPlayed(1), 11);
    EXPECT_EQ(SoundPlayed(), 14);
}

TEST_F(Cubewick, PowerMakesLaterMonstersWorthFiftyAndTurnsTheReelBank) {
    SpinOnto({DOT, POWER, MONSTER, MONSTER_LAST, DOT, BONUS});
    Tick(2 * kTicksPerCell);
    EXPECT_EQ(game->reels.symbolBank, 1);
    EXPECT_EQ(game->score, 55);
    EXPECT_EQ(SoundPlayed(1), 11);
    EXPECT_EQ(SoundPlayed(), 15);
    // The next reel frame shows powered-up pictures: symbol frames from 8 up.
    Tick();
    bool powered = false;
    for (int i = 0; i < RecordCount(); ++i) {
        const Record r = Rec(i);
        if (r.kind == 1 && r.y != game->reels.reelCentreY && r.frame >= 8 && r.frame <= 15) powered = true;
    }
    EXPECT_TRUE(powered);
    Tick(kTicksPerCell - 1);
    EXPECT_EQ(game->score, 105);
    EXPECT_EQ(SoundPlayed(), 16);
    EXPECT_EQ(game->phase, 1);
    Tick(kTicksPerCell * 4);
    EXPECT_EQ(game->score, 185);
    EXPECT_EQ(game->phase, 0);
    EXPECT_EQ(game->lives, 3);
    // The power lasts until the next spin.
    EXPECT_EQ(game->reels.symbolBank, 1);
    PressSpin();
    EXPECT_EQ(game->reels.symbolBank, 0);
}

TEST_F(Cubewick, AMonsterBeforeThePowerKillsAndLeavesTheRestUneaten) {
    SpinOnto({MONSTER, POWER, DOT, DOT, DOT, DOT});
    Tick(kTicksPerCell);
    EXPECT_EQ(game->phase, 3);
    EXPECT_EQ(game->score, 0);
    EXPECT_EQ(game->reels.symbolBank, 0);
    EXPECT_EQ(SoundPlayed(), 13);
    EXPECT_EQ(game->reels.reelCells[Cell(0) + 1], kEaten);
    Tick(60);
    EXPECT_EQ(game->cubewick.walkerPos, 0);
    for (int r = 1; r < kReels; ++r) EXPECT_EQ(game->reels.reelCells[Cell(r) + 1], 0) << r;
    EXPECT_EQ(game->lives, 2);
    EXPECT_EQ(game->phase, 0);
}

TEST_F(Cubewick, NothingMovesWhileAReelMoves) {
    PressSpin();
    int spinTicks = 0;
    while (game->reels.reelsMoving == 1 && spinTicks < kSettleLimit) {
        EXPECT_EQ(game->cubewick.walkerPos, -1);
        EXPECT_EQ(game->cubewick.walkerStep, 0);
        EXPECT_EQ(game->cubewick.walkerAnim, 0);
        Tick();
        ++spinTicks;
    }
    EXPECT_GT(spinTicks, 50);
    // The walker sets off in the first still tick.
    EXPECT_EQ(game->cubewick.walkerStep, 0.0625f);
    // A reel set moving mid-walk (a nudge of the strip) freezes it again, even in
    // the walking phase, and a SPIN press meanwhile does nothing.
    LayRow({DOT, DOT, DOT, DOT, DOT, DOT});
    Tick(3);
    const float step = game->cubewick.walkerStep;
    game->reels.reelSpeed[3] = 0.3f;
    const int scoreBefore = game->score;
    PressSpin();
    for (int t = 0; t < 15; ++t) {
        ASSERT_EQ(game->reels.reelsMoving, 1);
        EXPECT_EQ(game->cubewick.walkerStep, step);
        Tick();
    }
    EXPECT_EQ(game->phase, 1);
    EXPECT_EQ(game->reels.reelSpeed[0], 0);  // no spin was started
    EXPECT_EQ(game->score, scoreBefore);
}

TEST_F(Cubewick, DyingTakesThirtyOneTicksAndLeavesTheFallenFrame) {
    SpinOnto({DOT, MONSTER, DOT, DOT, DOT, DOT});
    Tick(2 * kTicksPerCell);  // the monster is met on this tick, the first of the fall
    EXPECT_EQ(game->score, 5);
    EXPECT_EQ(game->phase, 3);
    EXPECT_EQ(game->cubewick.walkerAnim, 33);
    for (int t = 0; t < 29; ++t) {
        Tick();
        const float frame = Walker().frame;
        EXPECT_GE(frame, 24);
        EXPECT_LE(frame, 31);
    }
    EXPECT_EQ(game->lives, 3);
    EXPECT_EQ(game->phase, 3);
    Tick();  // the 31st tick of the fall
    EXPECT_EQ(game->lives, 2);
    EXPECT_EQ(game->phase, 0);
    EXPECT_EQ(game->cubewick.walkerAnim, 8);
    // It lies where it fell until the next spin.
    Tick();
    EXPECT_EQ(Walker().frame, 18);
    Tick(100);
    EXPECT_EQ(Walker().frame, 18);
    EXPECT_EQ(game->cubewick.walkerPos, 1);
    PressSpin();
    EXPECT_EQ(Walker().frame, 16);
    EXPECT_EQ(game->cubewick.walkerPos, -1);
}

TEST_F(Cubewick, TheSpinControlIsLitOnlyWhenReadyAndTakesOnePressPerClick) {
    auto spinFrame = [this]() {
        for (int i = RecordCount() - 1; i >= 0; --i) {
            if (Rec(i).kind == 10) return Rec(i).frame;
        }
        return -1.0f;
    };
    EXPECT_EQ(spinFrame(), 0);  // lit, up
    MoveMouse(game->spinX * game->scaleX, game->spinY * game->scaleY);
    PressMouse();
    Tick();
    const float firstSpeed = game->reels.reelSpeed[0];
    EXPECT_GT(firstSpeed, 1.4f);
    Tick(5);  // held down: no second spin
    EXPECT_LT(game->reels.reelSpeed[0], firstSpeed);
    EXPECT_EQ(spinFrame(), 3);  // dim, pressed
    ReleaseMouse();
    Tick();
    EXPECT_EQ(spinFrame(), 2);
}

// Each bank file gets its own length, so the sample in a slot tells its file apart.
class CubewickBank : public Cubewick {
protected:
    void SetUp() override {
        GameTest::SetUp();
        gametest::UseFixtureData();
        gametest::WriteLoaderFixtures(2);
        for (const char* sheet : {"Reel_Cubewick-hd.png", "Reel_Plat-hd.png"}) {
            gametest::WritePng(sheet, 8 * 64, 4 * 64);
        }
        for (int n = 1; n <= 29; ++n) {
            char name[32];
            std::snprintf(name, sizeof name, "sfx/%03d.wav", n);
            if (n % 10 != 0) gametest::WriteWav(name, kBaseSamples + n);
        }
    }
    static constexpr int kBaseSamples = 100;

    int FileInSlot(int slot) const {
        if (!game->sounds[slot] || !game->sounds[slot]->sample) return -1;
        ALint bytes = 0;
        alGetBufferi(game->sounds[slot]->sample->buffer, AL_SIZE, &bytes);
        return bytes - kBaseSamples;
    }

    // Empties slots of every kind, so that a full reload shows by refilling them.
    void EmptySlots() {
        for (int slot : {97, 90, 10, 5, 1}) gc_assign(game->images[slot], static_cast<kx_graphics_Image*>(nullptr));
        for (int slot : {1, 2, 3, 95, 99}) gc_assign(game->sounds[slot], static_cast<kx_audio_Sound*>(nullptr));
    }
    void ExpectSlotsFull() {
        for (int slot : {97, 90, 10, 5, 1}) EXPECT_NE(game->images[slot], nullptr) << "image " << slot;
        for (int slot : {1, 2, 3, 95, 99}) EXPECT_NE(game->sounds[slot], nullptr) << "sound " << slot;
    }
    void Switch(int machine) {
        game->state = kScreenStartGame;
        game->machine = machine;
        Tick();
    }
};

TEST_F(CubewickBank, SwitchingMachinesReloadsEveryAssetWithTheRightBank) {
    Enter(kMachineQuillmorPlat);
    for (int slot = 11; slot <= 19; ++slot) EXPECT_EQ(FileInSlot(slot), slot) << slot;

    EmptySlots();
    Switch(kMachineCubewick);
    EXPECT_GT(game->loadStep, 0);
    EXPECT_EQ(game->soundSet, 2);
    EXPECT_EQ(RunLoader(), 28);  // the start tick already ran the first step
    ExpectSlotsFull();
    for (int slot = 11; slot <= 19; ++slot) EXPECT_EQ(FileInSlot(slot), slot + 10) << slot;
    EXPECT_EQ(game->reelSheet, String("Reel_Cubewick"));

    // Another game on the same machine keeps its bank: no reload.
    Switch(kMachineCubewick);
    EXPECT_EQ(game->loadStep, 0);

    EmptySlots();
    Switch(kMachineQuillmorPlat);
    EXPECT_GT(game->loadStep, 0);
    RunLoader();
    ExpectSlotsFull();
    for (int slot = 11; slot <= 19; ++slot) EXPECT_EQ(FileInSlot(slot), slot) << slot;
}

TEST_F(Cubewick, AWholeGamePlaysToGameOver) {
    int spins = 0;
    int lastScore = 0;
    int lastLives = game->lives;
    while (game->gameOver == 0 && spins < 200) {
        PressSpin();
        ++spins;
        for (int t = 0; t < 2000 && (game->phase == 1 || game->phase == 3); ++t) {
            Tick();
            EXPECT_GE(game->score, lastScore);
            lastScore = game->score;
        }
        EXPECT_EQ(game->score % 5, 0);
        EXPECT_GE(game->lives, lastLives - 1);
        lastLives = game->lives;
    }
    ASSERT_EQ(game->gameOver, 1) << spins << " spins";
    EXPECT_EQ(game->lives, 0);
    EXPECT_EQ(game->phase, 5);
    EXPECT_EQ(game->cubewick.walkerAnim, 8);
    const int final = game->score;
    // The game-over sequence takes the game back to the menu, which records it.
    for (int t = 0; t < 200 && game->state != kScreenMenu; ++t) Tick();
    EXPECT_EQ(game->state, kScreenMenu);
    EXPECT_EQ(game->scores[50 + 10 * (kMachineCubewick - 1)], final);
}

}  // namespace
