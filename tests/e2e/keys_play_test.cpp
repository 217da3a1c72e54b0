// keys_play_test.cpp - the machines played from the keyboard alone, as a player
// without a mouse meets them: XTEST key events only, no pointer event at all. A fresh
// cabinet is unlocked and started by keys and the focus ring shows on the first
// press; a whole Dice game with holds chosen by the ring ends in both score tables
// of the state file; a Fizzcrate turn spends all its nudges; Cometrow's ship
// crosses three lanes or more by "Move->".
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "tests/e2e/play_support.h"

namespace e2e {
namespace {

constexpr double kDiceGameSeconds = 240;  // a hand in most turns: lives go slowly
constexpr double kCometGameSeconds = 120;
// The SPIN button's box (112 x 72 around kSpin) and the ring's band just outside it.
constexpr int kRingAreaX = 544 - 80, kRingAreaY = 240 - 56, kRingAreaW = 160, kRingAreaH = 112;

void Pause(double seconds) { std::this_thread::sleep_for(std::chrono::duration<double>(seconds)); }

// The ring's colour (255, 255, 100) around SPIN; nothing else in the panel is that
// pale yellow.
int RingPixels(const Image& shot) {
    int n = 0;
    for (int y = kRingAreaY; y < kRingAreaY + kRingAreaH; ++y) {
        for (int x = kRingAreaX; x < kRingAreaX + kRingAreaW; ++x) {
            const Rgb c = shot.At(x, y);
            if (c.r > 200 && c.g > 200 && c.b > 50 && c.b < 160) n += 1;
        }
    }
    return n;
}

// A held die's HOLD button is blue (0, 80, 180); the unheld ones are red.
bool AnyHoldShown(const Image& shot) {
    int n = 0;
    for (int y = 330; y < 385; ++y) {
        for (int x = 30; x < 420; ++x) {
            const Rgb c = shot.At(x, y);
            if (c.b > 140 && c.r < 60 && c.g > 50 && c.g < 120) n += 1;
        }
    }
    return n > 200;
}

bool StartByKey(Session& s, int machine, Image* playing) {
    s.Key("z");
    return s.WaitForShot([machine](const Image& img) { return IsPlaying(img, machine); }, kScreenSeconds, playing);
}

// Every machine unlocked: the keys start only an unlocked machine.
std::string Seeded(Session& s, int machine) {
    Progress p = SeededProgress(machine);
    p.settings[2] = 31;
    const std::string seeded = p.Serialise();
    WriteFile(s.StatePath(), seeded);
    return seeded;
}

TEST(KeysPlay, AFreshCabinetIsUnlockedAndStartedByKeysAndTheRingShowsOnTheFirstPress) {
    Session s("keys-fresh");
    ASSERT_TRUE(s.ready());
    ASSERT_TRUE(s.Launch());
    ASSERT_TRUE(IsMenu(StillMenu(s)));
    s.Key("z");  // buys machine 1
    std::string saved;
    ASSERT_TRUE(s.WaitForStateChange("", kScreenSeconds, &saved));
    EXPECT_EQ(ParseProgress(saved).values.settings[2], 1) << "unlock bit of machine 1";
    Image playing;
    ASSERT_TRUE(StartByKey(s, kQuillmorPlat, &playing)) << "the second press did not start the machine";
    EXPECT_EQ(RingPixels(playing), 0) << "the ring shows before any key";
    s.Key("space");
    Image ringed;
    ASSERT_TRUE(s.WaitForShot([](const Image& img) { return RingPixels(img) > 100; }, kScreenSeconds, &ringed))
        << "no ring around SPIN after the first key";
    s.Keep(ringed, "ring");
    EXPECT_GT(ReelChange(playing, ringed), 0.01) << "the first key did not spin";
    EXPECT_EQ(s.Close(kExitSeconds), 0);
}

// Each turn: SPIN, then (reels at rest) Up to the HOLD row, a hold, Down, SPIN again.
// A blind cycle is safe: a dim control takes the press and does nothing.
TEST(KeysPlay, AWholeDiceGameWithHoldsChosenByKeysEntersBothTables) {
    Session s("keys-dice");
    ASSERT_TRUE(s.ready());
    const std::string seeded = Seeded(s, kDice);
    ASSERT_TRUE(s.Launch());
    ASSERT_TRUE(IsMenu(StillMenu(s)));
    Image playing;
    ASSERT_TRUE(StartByKey(s, kDice, &playing));

    std::string saved;
    bool keptHold = false;
    int holdsSeen = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(kDiceGameSeconds);
    while (std::chrono::steady_clock::now() < deadline && !s.WaitForStateChange(seeded, 0, &saved)) {
        s.Key("space");
        StillReels(s, kDice);
        s.Key("Up");
        s.Key("Right");
        s.Key("space");
        const Image held = s.Shot();
        if (AnyHoldShown(held)) holdsSeen += 1;
        if (!keptHold) {
            s.Keep(held, "hold");
            keptHold = true;
        }
        s.Key("Down");
        s.Key("space");
        s.WaitForStateChange(seeded, 1.5, &saved);
    }
    ASSERT_FALSE(saved.empty()) << "the game did not end and save";
    EXPECT_GE(holdsSeen, 1) << "no die was ever held by keys";
    ParsedProgress p = ParseProgress(saved);
    ASSERT_TRUE(p.AllValid()) << saved;
    const int row = kDice - 1;
    const int score = p.values.last[row][0];
    EXPECT_GT(score, 0) << "every Dice turn scores its faces";
    EXPECT_EQ(p.values.top[row][0], score) << "the only score is the best";
    EXPECT_EQ(s.Close(kExitSeconds), 0);
}

// SPIN's face inside its frame (clear of the ring): lit or dim.
Image SpinFace(const Image& shot) { return shot.Crop(kSpin.x - 40, kSpin.y - 20, 80, 40); }
// The pay line's row and the rows either side of it, clear of the arrows and the ring
// around one. A nudge rolls its reel one cell, which changes these three rows unless
// four cells in a row of its strip hold one symbol; the pay line alone keeps its look
// whenever two neighbouring cells match, about one nudge in eight.
Image MiddleRows(const Image& shot) { return shot.Crop(40, 168, 380, 144); }

// A press of an arrow, then the reels at rest again. The rows must first be seen to
// move: a busy machine can show the old picture for longer than the stillness wait.
bool NudgeAndSettle(Session& s, Image* now) {
    const Image before = *now;
    s.Key("space");
    Image moved;
    const bool rolled = s.WaitForShot(
        [&](const Image& img) { return MiddleRows(before).DifferenceTo(MiddleRows(img), 8) > 0.01; }, kScreenSeconds,
        &moved);
    *now = StillReels(s, kFizzcrate);
    return rolled;
}

// Up twice from SPIN reaches the up arrows; a press of an arrow rolls its reel one
// cell. SPIN is lit again only once the turn's nudges are all spent, so the turn
// is played out when SPIN looks as it did on the fresh machine.
TEST(KeysPlay, AFizzcrateTurnSpendsAllItsNudgesByKeys) {
    Session s("keys-fizzcrate");
    ASSERT_TRUE(s.ready());
    Seeded(s, kFizzcrate);
    ASSERT_TRUE(s.Launch());
    ASSERT_TRUE(IsMenu(StillMenu(s)));
    Image playing;
    ASSERT_TRUE(StartByKey(s, kFizzcrate, &playing));
    const Image litSpin = SpinFace(StillReels(s, kFizzcrate));
    s.Key("space");
    auto spinDim = [&](const Image& img) { return SpinFace(img).DifferenceTo(litSpin, 8) > 0.05; };
    Image now;
    ASSERT_TRUE(s.WaitForShot(spinDim, kScreenSeconds, &now)) << "SPIN still lit after the spin";
    now = StillReels(s, kFizzcrate);
    s.Key("Up");
    s.Key("Up");
    int presses = 0;
    while (presses < 6 && spinDim(now)) {
        const bool rolled = NudgeAndSettle(s, &now);
        if (presses == 0) {
            s.Keep(now, "nudge");
            EXPECT_TRUE(rolled) << "the first nudge rolled nothing";
        }
        presses += 1;
        s.Key("Left");
    }
    EXPECT_LT(SpinFace(now).DifferenceTo(litSpin, 8), 0.05) << "the turn did not end after " << presses << " nudges";
    // The next turn starts from SPIN, two rows down.
    s.Key("Down");
    s.Key("Down");
    s.Key("space");
    Pause(0.3);
    EXPECT_GT(ReelChange(now, s.Shot()), 0.01) << "SPIN did not start the next turn";
    EXPECT_EQ(s.Close(kExitSeconds), 0);
}

// One Cometrow game by keys: SPIN, then "Move->" (Down) pressed again and again; a
// crash brings SPIN back, so each round goes Up to it first. Returns the saved file.
std::string PlayCometrowByKeys(Session& s, const std::string& before, bool keep) {
    std::string saved;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(kCometGameSeconds);
    // The game ends with a save and hands over to the menu a second later, where a
    // stray Space would start the next game: no key goes out once the save is seen.
    auto ended = [&] { return s.WaitForStateChange(before, 0, &saved); };
    while (std::chrono::steady_clock::now() < deadline && !ended()) {
        s.Key("Up");
        s.Key("space");
        Pause(3.5);  // the lanes come to rest
        if (ended()) break;
        s.Key("Down");
        for (int step = 0; step < 10 && !ended(); ++step) s.Key("space");
        if (keep) {
            s.Keep(s.Shot(), "crossing");
            keep = false;
        }
    }
    return saved;
}

// Each lane crossed scores 5 and a crossing 100, so a game's score counts the lanes.
// An obstacle may drift under the ship whatever the player does, so a game with
// fewer than three lanes is played again, at most three games in all.
TEST(KeysPlay, CometrowsShipCrossesLanesByKeys) {
    Session s("keys-cometrow");
    ASSERT_TRUE(s.ready());
    std::string before = Seeded(s, kCometrow);
    ASSERT_TRUE(s.Launch());
    int best = 0;
    for (int game = 0; game < 3 && best < 15; ++game) {
        // Each game starts from a fresh launch on the saved cabinet.
        if (game > 0) {
            ASSERT_EQ(s.Close(kExitSeconds), 0);
            ASSERT_TRUE(s.Launch());
        }
        ASSERT_TRUE(IsMenu(StillMenu(s)));
        Image playing;
        ASSERT_TRUE(StartByKey(s, kCometrow, &playing)) << "game " << game;
        const std::string saved = PlayCometrowByKeys(s, before, game == 0);
        ASSERT_FALSE(saved.empty()) << "the game did not end and save";
        ParsedProgress p = ParseProgress(saved);
        ASSERT_TRUE(p.AllValid()) << saved;
        const int score = p.values.last[kCometrow - 1][0];
        if (score > best) best = score;
        before = saved;
    }
    EXPECT_GE(best, 15) << "fewer than three lanes crossed in three whole games";
    EXPECT_EQ(s.Close(kExitSeconds), 0);
}

}  // namespace
}  // namespace e2e
