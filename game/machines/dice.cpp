// dice.cpp - the Dice machine (machine 5): dice poker on five reels of die faces.
// A turn is a spin, HOLD any dice, a second spin; the five dice on the pay line are
// then scored as a poker hand (the hand's value plus the faces' sum), a banner shows
// the hand, and a turn with no hand costs a life. The play flow's machine dispatch
// (play.cpp) calls m_LoadGame_Dice when a game starts and m_Game_Dice every tick.
//
// Sections: loader; one tick; the hand table; the banner and the end of a turn.
#include "game/shell/game.h"
#include "media/random.h"

namespace {

constexpr int kDice = 5;
constexpr int kFaces = 6;

// Phases of a turn.
constexpr int kPhaseFirstSpin = 0;
constexpr int kPhaseSecondSpin = 1;
constexpr int kPhaseScoring = 2;
constexpr int kPhaseBanner = 3;
constexpr int kPhaseTurnOver = 4;

constexpr int kHoldRow = 0;            // rows of the controls: the HOLD buttons, then SPIN
constexpr int kSpinRow = 1;
constexpr int kScoreDelay = 30;        // ticks between the reels' stop and the scoring

// HOLD buttons: 1.5 cells below the pay line; the unheld ones pulse red, each reel
// 160 ms behind the one before, one ramp from 50 to 249 every 600 ms.
constexpr float kHoldRowsBelow = 1.5f;
constexpr int kPulseLagMs = 160;
constexpr int kPulseSlowdown = 3;
constexpr int kPulseSteps = 200;
constexpr int kPulseFloor = 50;
constexpr int kSfxHand = kSfxBank2;
constexpr int kSfxNoHand = kSfxBank3;

// The banner runs from W + 512 to below -512, 12 units a tick; it rests in the
// middle while within 256 of it and fades in and out over the 256 beyond.
constexpr float kBannerReach = 512;
constexpr int kBannerRest = 256;
constexpr float kBannerStep = 12;
constexpr float kBandHeight = 32;
constexpr float kNameRow = 0.3f;
constexpr float kValueRow = 0.55f;

// Five dice reels filling the whole width: no room beside the bank.
ReelSetup DiceReels() {
    ReelSetup setup = {"Reel_Dice", 1, kDice, {20, 120, 20}, {0, 80, 0}, {17, 16, 17, 16, 17, 17}, {}};
    setup.rules.extraColumns = 0;
    return setup;
}
const ReelSetup kDiceReels = DiceReels();

struct Hand {
    const char* name;
    int value;
};
constexpr Hand kNothing = {"NOTHING", 0};
constexpr Hand kSmallUnordered = {"Small Seq. Unordered", 15};
constexpr Hand kLargeUnordered = {"Large Seq. Unordered", 25};
constexpr Hand kSmallSequence = {"Small Sequence", 30};
constexpr Hand kFourOfAKind = {"4 of a Kind", 35};
constexpr Hand kFullHouse = {"Full House", 40};
constexpr Hand kLargeSequence = {"Large Sequence", 40};
constexpr Hand kYahtzee = {"Yahtzee!", 50};

// Every face from `from` to `to` shows on at least one die.
bool HasRun(const int* counts, int from, int to) {
    for (int f = from; f <= to; ++f) {
        if (counts[f] == 0) return false;
    }
    return true;
}

// `length` adjacent dice from `first` step by +1 or by -1 from left to right.
bool InOrder(const int* dice, int first, int length) {
    bool rising = true;
    bool falling = true;
    for (int i = first + 1; i < first + length; ++i) {
        rising = rising && dice[i] == dice[i - 1] + 1;
        falling = falling && dice[i] == dice[i - 1] - 1;
    }
    return rising || falling;
}

bool HasCount(const int* counts, int n) {
    for (int f = 1; f <= kFaces; ++f) {
        if (counts[f] == n) return true;
    }
    return false;
}

}  // namespace

// ===========================================================================
// Loader
// ===========================================================================

int kx_Tumbleroo_Dice::Load() {
    game.m_StartMachine(kDiceReels);
    return 0;
}

// ===========================================================================
// One tick
// ===========================================================================

int kx_Tumbleroo_Dice::Tick() {
    controls.Clear();
    game.m_ResetDraw();
    if (game.phase == kPhaseFirstSpin) {
        for (int i = 0; i < game.reels.reelCount; ++i) game.reels.holds[i] = 0;
    }
    Holds();
    // The hand is scored on the 30th tick with every reel at rest, and the banner
    // starts in that same tick.
    if (game.phase == kPhaseScoring && game.reels.reelsMoving == 0) {
        bool waiting = false;
        if (delay > 0) {
            delay -= 1;
            waiting = delay > 0;
        }
        if (!waiting) Score();
    }
    if (game.phase == kPhaseBanner) Banner();
    // Once the last life has gone the machine stays in this phase, so the end of the
    // turn is counted once: the game-over ticks that follow take no further lives.
    if (game.phase == kPhaseTurnOver && game.gameOver == 0) EndTurn();
    SpinButton();
    return 0;
}

// A flip is taken in every phase but only lasts between the two spins: the first
// phase clears the holds every tick and each spin clears them after use.
int kx_Tumbleroo_Dice::Holds() {
    const bool choosing = game.phase == kPhaseSecondSpin && game.reels.reelsMoving == 0;
    const float y = game.reels.reelCentreY + kHoldRowsBelow * static_cast<float>(game.reels.reelPitch) * game.reels.reelScale + 2;
    const int now = kx_app_Millisecs();
    for (int i = 0; i < kDice; ++i) {
        int lit = 0;
        if (choosing && game.reels.holds[i] != 0) {
            game.m_SetCol(0, 80, 180, 1);
        } else if (choosing) {
            const int red = kPulseFloor + ((kPulseLagMs * i + now) / kPulseSlowdown) % kPulseSteps;
            game.m_SetCol(static_cast<float>(red), 0, 0, 1);
            lit = 1;
        } else {
            game.m_SetCol(180, 0, 0, 1);
        }
        static const String kHoldLabel("HOLD");  // drawn every tick: made once
        const int pressed = game.m_BButton(game.reels.ColumnX(i), y, kHoldLabel, lit, 1, 1);
        controls.Add(game.lastButton, kHoldRow);
        if (pressed != 0 && game.pointerDown != 0 && game.pointerUsed == 0) {
            game.reels.holds[i] = 1 - game.reels.holds[i];
            game.pointerUsed = 1;
            game.m_PlaySFX(kSfxTick, 1, 1, 0);
        }
    }
    return 0;
}

// Two spins a turn; the button is lit while one is left and every reel is at rest.
int kx_Tumbleroo_Dice::SpinButton() {
    const bool canSpin = game.phase == kPhaseFirstSpin || game.phase == kPhaseSecondSpin;
    const int spinsLeft = game.phase == kPhaseFirstSpin ? 2 : game.phase == kPhaseSecondSpin ? 1 : 0;
    const String label = String("SPIN ") + String(spinsLeft) + String(" ");
    const int pressed = game.m_DrawSpin(label, canSpin && game.reels.reelsMoving == 0 ? 1 : 0);
    controls.Add(game.lastButton, kSpinRow, true);
    if (pressed == 0 || game.pointerUsed != 0 || game.reels.reelsMoving != 0 || !canSpin) return 0;
    // Held reels keep their dice; the spin releases every hold.
    game.m_StartSpin();
    delay = kScoreDelay;
    game.phase += 1;
    return 0;
}

// ===========================================================================
// The hand table
// ===========================================================================

// The hand is the highest-valued pattern the pay line shows; no two patterns of
// equal value can match the same dice, so the order of the tests does not matter.
int kx_Tumbleroo_Dice::ReadHand() {
    handName = String(kNothing.name);
    handValue = kNothing.value;
    int dice[kDice];
    for (int i = 0; i < kDice; ++i) dice[i] = game.reels.PaySymbol(i);
    for (int f = 1; f <= kFaces; ++f) faceCounts[f] = 0;
    // A face outside 1..6 (a strip a machine has rewritten) counts toward no pattern.
    for (int i = 0; i < kDice; ++i) {
        if (dice[i] >= 1 && dice[i] <= kFaces) faceCounts[dice[i]] += 1;
    }
    const int* counts = faceCounts;
    auto offer = [this](const Hand& hand) {
        if (hand.value > handValue) {
            handName = String(hand.name);
            handValue = hand.value;
        }
    };
    if (HasRun(counts, 1, 4) || HasRun(counts, 2, 5) || HasRun(counts, 3, 6)) offer(kSmallUnordered);
    if (HasRun(counts, 1, 5) || HasRun(counts, 2, 6)) offer(kLargeUnordered);
    if (InOrder(dice, 0, 4) || InOrder(dice, 1, 4)) offer(kSmallSequence);
    if (HasCount(counts, 4)) offer(kFourOfAKind);
    if (HasCount(counts, 3) && HasCount(counts, 2)) offer(kFullHouse);
    if (InOrder(dice, 0, kDice)) offer(kLargeSequence);
    if (HasCount(counts, kDice)) offer(kYahtzee);
    return 0;
}

// The faces' sum is added whatever the hand, "NOTHING" included.
int kx_Tumbleroo_Dice::Score() {
    ReadHand();
    bannerX = kx_Tumbleroo_jscrw + kBannerReach;
    int faces = 0;
    for (int i = 0; i < kDice; ++i) faces += game.reels.PaySymbol(i);
    game.score += handValue + faces;
    game.phase = kPhaseBanner;
    game.m_PlaySFX(handValue == 0 ? kSfxNoHand : kSfxHand, 1, 1, 0);
    return 0;
}

// ===========================================================================
// The banner and the end of a turn
// ===========================================================================

// The name slides in from the right while the value slides in from the left; both
// rest in the middle, then leave the opposite way; the bands fade, the texts over
// them stay opaque as every machine's colours do (contract.cpp).
int kx_Tumbleroo_Dice::Banner() {
    const float w = kx_Tumbleroo_jscrw;
    const float h = kx_Tumbleroo_jscrh;
    const int d = static_cast<int>(bannerX - w / 2);
    int offset = 0;
    float fade = 0;
    if (d >= kBannerRest) {
        offset = 2 * (d - kBannerRest);
        fade = static_cast<float>(d - kBannerRest) / kBannerRest;
    } else if (d <= -kBannerRest) {
        offset = 2 * (d + kBannerRest);
        fade = -static_cast<float>(d + kBannerRest) / kBannerRest;
    }
    if (fade > 1) fade = 1;
    if (fade < 0) fade = 0;
    const int textX = static_cast<int>(w / 2 + static_cast<float>(offset));
    game.m_SetSize(3, kAbsent);
    game.m_SetCol(0, 0, 0, 1 - fade);
    game.m_Rect(-1, h * kNameRow - kBandHeight / 2, w + 1, kBandHeight);
    game.m_Rect(-1, h * kValueRow - kBandHeight / 2, w + 1, kBandHeight);
    game.m_SetSize(2, kAbsent);
    game.m_SetCol(255, 125, 0, 1);
    game.m_Text(static_cast<float>(textX), h * kNameRow, handName, 1, 0.8f);
    game.m_SetCol(0, 125, 255, 1);
    game.m_Text(w - static_cast<float>(textX), h * kValueRow, String(handValue), 1, 0.8f);
    bannerX -= kBannerStep;
    if (bannerX < -kBannerReach) game.phase = kPhaseTurnOver;
    return 0;
}

// A turn without a hand costs a life; the last one ends the game.
int kx_Tumbleroo_Dice::EndTurn() {
    if (handValue == 0) {
        game.m_NoteLoss(String("No hand!"));
        game.lives -= 1;
    }
    if (game.lives == 0) {
        game.gameOver = 1;
    } else if (game.lives > 0) {
        game.phase = kPhaseFirstSpin;
    }
    return 0;
}

// ===========================================================================
// The game object's named entry points
// ===========================================================================

int kx_Tumbleroo_MyApp::m_LoadGame_Dice() { return dice.Load(); }

int kx_Tumbleroo_MyApp::m_Game_Dice() { return dice.Tick(); }
