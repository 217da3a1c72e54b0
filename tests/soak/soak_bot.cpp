// soak_bot.cpp - the soak's player: seeded random choices, steered so that every
// machine gets played and every game ends. Presses go through the real input device
// (as the window callbacks deliver them) and the pointer through the fake window's
// mouse position; a press is held a tick or more and then everything is released,
// because the game takes one action per press only.
#include "soak.h"

#include <algorithm>
#include <cmath>

#include "game_harness.h"
#include "host/input.h"

namespace soak {
namespace {

// Keyboard codes of the play keys (any one source of each will do).
constexpr int kKeyLeft = 37, kKeyUp = 38, kKeyRight = 39, kKeyDown = 40;
constexpr int kKeyZ = 90, kKeyX = 88, kKeyC = 67, kKeyV = 86, kKeyEscape = 27;
constexpr int kKeyEnter = 13, kKeySpace = 32, kKeyW = 87, kKeyS = 83;
const int kAnyKeys[] = {kKeyLeft, kKeyUp, kKeyRight, kKeyDown, kKeyZ, kKeyX, kKeyC, kKeyV, kKeyEscape,
                        kKeyEnter, kKeySpace, kKeyW, kKeyS, 65, 68, 74, 75, 76, 73, 46, 8, 17, 16};
const int kActionKeys[] = {kKeyZ, kKeyX, kKeyC, kKeyV, kKeyEnter, kKeySpace};

// Machine numbers of the cabinet.
constexpr int kQuillmorPlat = 1, kCubewick = 2, kCometrow = 3, kFizzcrate = 4, kDice = 5;

// Menu geometry: list column, entry pitch, selection band, switches.
constexpr float kListColumn = 0.4f;
constexpr float kEntryPitch = 108;
constexpr float kCreditsInset = 70;
constexpr float kCreditsTop = 40;
constexpr float kSoundSwitchX = 32;
constexpr int kIconHalf = 64;

// Pause control and the pause menu's button row (landscape, portrait).
constexpr float kPauseButton = 16;
constexpr float kPauseRowDx[2] = {96, 140};
constexpr float kPauseRowDy[2] = {-96, -64};

// A game the bot has not lost by this many updates is left through the pause menu.
constexpr int kGameLimitMin = 3000;
constexpr int kGameLimitMax = 12000;

int Machine(const kx_Tumbleroo_MyApp& g) { return g.machine; }

float ColumnX(const kx_Tumbleroo_MyApp& g, int r) {
    const float span = static_cast<float>(g.reels.reelPitch + g.reels.reelGap);
    return span * g.reels.reelScale * static_cast<float>(r) + g.reels.reelCentreX -
           g.reels.reelScale * 0.5f * span * static_cast<float>(g.reels.reelCount - 1);
}

float CellHeight(const kx_Tumbleroo_MyApp& g) { return static_cast<float>(g.reels.reelPitch) * g.reels.reelScale; }

bool ReelsStill(const kx_Tumbleroo_MyApp& g) { return g.reels.reelsMoving == 0; }

}  // namespace

Bot::Bot(unsigned seed) : rng_(seed) { gameLimit_ = Uniform(kGameLimitMin, kGameLimitMax); }

bool Bot::Chance(double p) { return std::uniform_real_distribution<double>(0, 1)(rng_) < p; }

int Bot::Uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }

void Bot::PressKey(int code, int hold) {
    kx_input_device->OnKeyDown(code);
    heldKeys_.push_back(code);
    holdTicks_ = std::max(holdTicks_, hold);
}

void Bot::PointAt(const kx_Tumbleroo_MyApp& g, float vx, float vy) {
    gametest::GameBackend& b = gametest::Backend();
    b.mouseX = vx * g.scaleX;
    b.mouseY = vy * g.scaleY;
}

void Bot::ClickAt(const kx_Tumbleroo_MyApp& g, float vx, float vy, int hold) {
    PointAt(g, vx, vy);
    kx_input_device->OnKeyDown(kKeyMouseLeft);
    mouseHeld_ = true;
    holdTicks_ = std::max(holdTicks_, hold);
}

void Bot::ReleaseAll() {
    for (int code : heldKeys_) kx_input_device->OnKeyUp(code);
    heldKeys_.clear();
    if (mouseHeld_) kx_input_device->OnKeyUp(kKeyMouseLeft);
    mouseHeld_ = false;
    dragStep_ = 0;
}

// Everything released, then a pause before the next action: mostly short, so the
// game sees quick play, sometimes long, so timers and drifts run out on their own.
void Bot::Rest() {
    ReleaseAll();
    idleTicks_ = Chance(0.9) ? Uniform(1, 6) : Uniform(10, 90);
}

HostRequest Bot::BeforeTick(const kx_Tumbleroo_MyApp& g) {
    if (g.state == kScreenPlay) ++playTicks_;
    if (holdTicks_ > 0) {
        if (dragStep_ != 0) {
            gametest::GameBackend& b = gametest::Backend();
            b.mouseY += dragStep_ * g.scaleY;
        }
        if (--holdTicks_ == 0) Rest();
        return HostRequest::None;
    }
    if (idleTicks_ > 0) {
        --idleTicks_;
        return HostRequest::None;
    }
    if (g.loadStep > 0) return HostRequest::None;
    if (g.state == kScreenMenu) {
        playTicks_ = 0;
        Menu(g);
        return HostRequest::None;
    }
    if (g.state == kScreenPlay) return Play(g);
    return HostRequest::None;
}

// Any key or a click anywhere: the game must take it whatever it means there.
void Bot::Noise(const kx_Tumbleroo_MyApp& g) {
    if (Chance(0.5)) {
        const int n = static_cast<int>(sizeof kAnyKeys / sizeof kAnyKeys[0]);
        PressKey(kAnyKeys[Uniform(0, n - 1)], Uniform(1, 4));
        if (Chance(0.2)) PressKey(kAnyKeys[Uniform(0, n - 1)], Uniform(1, 4));
        return;
    }
    const float x = static_cast<float>(Uniform(-20, static_cast<int>(kx_Tumbleroo_jscrw) + 20));
    const float y = static_cast<float>(Uniform(-20, static_cast<int>(kx_Tumbleroo_jscrh) + 20));
    ClickAt(g, x, y, Uniform(1, 5));
}

// The machine with the fewest games so far, so that every machine is played.
int Bot::Target() {
    if (targetMachine_ == 0) {
        const int fewest = *std::min_element(started_.begin(), started_.end());
        std::vector<int> candidates;
        for (int m = 0; m < kMachineCount; ++m) {
            if (started_[m] == fewest) candidates.push_back(m + 1);
        }
        targetMachine_ = Chance(0.85) ? candidates[Uniform(0, static_cast<int>(candidates.size()) - 1)]
                                      : Uniform(1, kMachineCount);
    }
    return targetMachine_;
}

void Bot::Menu(const kx_Tumbleroo_MyApp& g) {
    const float w = kx_Tumbleroo_jscrw;
    const float h = kx_Tumbleroo_jscrh;
    if (g.creditsOpen) {
        if (Chance(0.5)) {
            PressKey(kKeyEscape, Uniform(1, 3));
        } else {
            Noise(g);
        }
        return;
    }
    if (Chance(0.06)) return Noise(g);
    if (Chance(0.02)) return ClickAt(g, kSoundSwitchX + static_cast<float>(g.menuIntro) * 4, std::trunc(h * 0.5f), 1);
    if (Chance(0.01)) return ClickAt(g, w - kCreditsInset, static_cast<float>(g.menuIntro) * 4 + kCreditsTop, 1);
    if (Chance(0.02)) return StartDrag(g);
    const int target = Target();
    if (Machine(g) != target) return MenuNavigate(g, target);
    MenuStart(g);
}

void Bot::MenuNavigate(const kx_Tumbleroo_MyApp& g, int target) {
    const float iconY = std::trunc(g.menuScrollY) + static_cast<float>(target - 1) * kEntryPitch;
    const bool onScreen = iconY > kIconHalf && iconY < kx_Tumbleroo_jscrh - kIconHalf;
    if (onScreen && Chance(0.4)) {
        ClickAt(g, std::trunc(kx_Tumbleroo_jscrw * kListColumn), iconY, 1);
        return;
    }
    const bool up = target < Machine(g);
    PressKey(up ? (Chance(0.5) ? kKeyUp : kKeyLeft) : (Chance(0.5) ? kKeyDown : kKeyRight), Uniform(1, 3));
}

// A key starts an unlocked machine or unlocks it when the coins allow; a tap on
// the selected icon starts it whatever its lock.
void Bot::MenuStart(const kx_Tumbleroo_MyApp& g) {
    const float iconY = std::trunc(g.menuScrollY) + static_cast<float>(Machine(g) - 1) * kEntryPitch;
    const bool unlocked = (g.settings[kSettingUnlockMask] >> (Machine(g) - 1)) & 1;
    const int price = Machine(g) * 25 - 70;
    if ((unlocked || g.settings[kSettingCoins] >= price) && Chance(0.7)) {
        const int n = static_cast<int>(sizeof kActionKeys / sizeof kActionKeys[0]);
        PressKey(kActionKeys[Uniform(0, n - 1)], Uniform(1, 3));
    } else {
        ClickAt(g, std::trunc(kx_Tumbleroo_jscrw * kListColumn), iconY, 1);
    }
    targetMachine_ = 0;
}

void Bot::StartDrag(const kx_Tumbleroo_MyApp& g) {
    ClickAt(g, std::trunc(kx_Tumbleroo_jscrw * kListColumn) + static_cast<float>(Uniform(-40, 40)),
            static_cast<float>(Uniform(40, static_cast<int>(kx_Tumbleroo_jscrh) - 40)), Uniform(4, 30));
    dragStep_ = static_cast<float>(Uniform(-12, 12));
}

HostRequest Bot::Play(const kx_Tumbleroo_MyApp& g) {
    if (g.paused) {
        Pause(g);
        return HostRequest::None;
    }
    if (playTicks_ > gameLimit_ && g.gameOver == 0) {
        pauseWish_ = -1;
        gameLimit_ = Uniform(kGameLimitMin, kGameLimitMax);
        PressKey(kKeyEscape, 1);
        return HostRequest::None;
    }
    if (Chance(0.002)) return HostRequest::Suspend;
    if (Chance(0.006)) {
        pauseWish_ = Chance(0.15) ? -1 : Chance(0.3) ? 1 : 0;
        if (Chance(0.5)) {
            PressKey(kKeyEscape, Uniform(1, 2));
        } else {
            ClickAt(g, kPauseButton, kPauseButton, 1);
        }
        return HostRequest::None;
    }
    if (Chance(0.04)) {
        Noise(g);
        return HostRequest::None;
    }
    MachineMove(g);
    return HostRequest::None;
}

void Bot::PressSpin(const kx_Tumbleroo_MyApp& g, float x, float y) {
    // Clicks while the reels still turn must be ignored; a few test that.
    if (ReelsStill(g) || Chance(0.05)) ClickAt(g, x, y, Uniform(1, 3));
}

void Bot::MachineMove(const kx_Tumbleroo_MyApp& g) {
    const bool landscape = g.landscape != 0;
    switch (Machine(g)) {
        case kDice:
            if (g.phase == 1 && ReelsStill(g) && Chance(0.5)) {
                const int r = Uniform(0, 4);
                ClickAt(g, ColumnX(g, r), g.reels.reelCentreY + 1.5f * CellHeight(g) + 2, 1);
                return;
            }
            return PressSpin(g, g.spinX, g.spinY);
        case kFizzcrate:
            if ((g.phase == 1 || g.phase == 2) && ReelsStill(g) && g.fizzcrate.nudges > 0 && Chance(0.8)) {
                const float dy = (Chance(0.5) ? -2.5f : 2.5f) * CellHeight(g) + 2;
                ClickAt(g, ColumnX(g, Uniform(0, 5)), g.reels.reelCentreY + dy, 1);
                return;
            }
            return PressSpin(g, landscape ? g.spinX : g.spinX + 0.25f * g.spinW, g.spinY);
        case kCometrow:
            if (g.phase == 2 && g.cometrow.shipStep == 0 && Chance(0.5)) {
                ClickAt(g, landscape ? g.spinX : g.spinX + g.spinW / 3.5f,
                        landscape ? g.spinY + 0.25f * g.spinH : g.spinY, 1);
                return;
            }
            return PressSpin(g, landscape ? g.spinX : g.spinX - g.spinW / 3.5f, g.spinY);
        case kCubewick:
        case kQuillmorPlat:
        default:
            return PressSpin(g, g.spinX, g.spinY);
    }
}

// The pause menu: walk the cursor to the wished button and press it, or click it.
void Bot::Pause(const kx_Tumbleroo_MyApp& g) {
    if (Chance(0.05)) return Noise(g);
    const int row = g.landscape ? 1 : 0;  // the row tables: 0 portrait, 1 landscape
    if (Chance(0.25)) {
        const float cx = kx_Tumbleroo_jscrw / 2;
        const float y = static_cast<float>(g.pausePanelY);
        float x = cx, by = y;
        if (pauseWish_ != 0) {
            x = std::trunc(cx + static_cast<float>(pauseWish_) * kPauseRowDx[row]);
            by = y + kPauseRowDy[row];
        }
        ClickAt(g, x, by, 1);
    } else if (g.pauseCursor < pauseWish_) {
        PressKey(kKeyRight, 1);
    } else if (g.pauseCursor > pauseWish_) {
        PressKey(kKeyLeft, 1);
    } else {
        PressKey(kKeyZ, 1);
    }
    if (pauseWish_ == 1 && Chance(0.5)) pauseWish_ = 0;  // after the sound, mostly resume
}

}  // namespace soak
