// play_support.cpp - shared steps of the scenarios that play the machines.
#include "tests/e2e/play_support.h"

#include <chrono>

namespace e2e {
namespace {

// Fizzcrate's up arrow over its first reel (six reels 48 units apart from x = 104,
// the arrows 2.5 cells of 48 units above the pay line at y = 240).
constexpr Point kFizzcrateNudge{104, 122};
// Cometrow's "Move->" sits a quarter of the panel's height below SPIN.
constexpr Point kCometrowMove{544, 348};
// The last-ten column: from 20 units into the score panel, below the middle.
constexpr int kColumnX = 515, kColumnY = 255;
constexpr Rgb kLastTint{200, 255, 100};
constexpr int kReelsX = 40, kReelsY = 40, kReelsW = 380, kReelsH = 280;
constexpr int kStillShots = 8;
constexpr int kTapAttempts = 3;
constexpr double kTapSeconds = 5;

// A screen is still once kStillShots shots in a row show it unchanged from the one
// before. Two shots alone can fall within one frame of a slow program (the
// sanitized build's frames may take several shot intervals) and show a fade or a
// slide that has not finished.
template <typename Same>
Image WaitStill(Session& s, Same same) {
    Image previous, shot;
    int unchanged = 0;
    s.WaitForShot(
        [&](const Image& img) {
            unchanged = !previous.empty() && same(previous, img) ? unchanged + 1 : 0;
            previous = img;
            return unchanged >= kStillShots;
        },
        kScreenSeconds, &shot);
    return shot;
}

}  // namespace

Progress SeededProgress(int machine) {
    Progress p;
    p.settings[1] = machine;
    p.settings[5] = 1;
    p.settings[10] = 64;
    p.settings[11] = 64;
    p.settings[12] = 10;
    return p;
}

Image StillMenu(Session& s) {
    return WaitStill(s, [](const Image& a, const Image& b) { return IsMenu(b) && SameScreen(a, b); });
}

// A tap that a starved program never saw leaves the menu up; tapping again is then
// what a player would do, and cannot start the machine twice.
bool StartSelectedMachine(Session& s, int machine, Image* playing) {
    Image shot;
    bool left = false;
    for (int attempt = 0; attempt < kTapAttempts && !left; ++attempt) {
        s.Click(kSelectedIcon.x, kSelectedIcon.y);
        left = s.WaitForShot([](const Image& img) { return !IsMenu(img); }, kTapSeconds, &shot);
    }
    return left &&
           s.WaitForShot([machine](const Image& img) { return IsPlaying(img, machine); }, kScreenSeconds, playing);
}

double ReelChange(const Image& a, const Image& b) {
    return a.Crop(kReelsX, kReelsY, kReelsW, kReelsH).DifferenceTo(b.Crop(kReelsX, kReelsY, kReelsW, kReelsH), 8);
}

Image StillReels(Session& s, int machine) {
    return WaitStill(s, [machine](const Image& a, const Image& b) {
        return IsPlaying(b, machine) && ReelChange(a, b) < 0.001;
    });
}

std::vector<Point> ControlsOf(int machine) {
    switch (machine) {
        case kCometrow: return {kSpin, kCometrowMove};
        case kFizzcrate: return {kSpin, kFizzcrateNudge};
        default: return {kSpin};
    }
}

bool IsGameOver(const Image& shot) {
    auto yellow = [](Rgb c) { return c.r > 120 && c.g > 120 && c.b < 100; };
    return yellow(shot.At(5, 216));
}

// The overlay in full: the yellow band has grown to its whole length (twice 0.45
// of the height), which it reaches 18 ticks into the game-over sequence and keeps
// while it fades over the menu.
bool IsFullGameOver(const Image& shot) {
    auto yellow = [](Rgb c) { return c.r > 120 && c.g > 120 && c.b < 100; };
    return yellow(shot.At(5, 216)) && yellow(shot.At(420, 216));
}

GameResult PlayUntilSaved(Session& s, const std::vector<Point>& controls, const std::string& before, double seconds) {
    GameResult result;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    for (std::size_t i = 0; std::chrono::steady_clock::now() < deadline; ++i) {
        Image shot = s.Shot();
        // The first full overlay is still over the machine; later ones may be
        // over the menu already.
        if (result.overlay.empty() && IsFullGameOver(shot)) result.overlay = shot;
        bool over = IsGameOver(shot) || !result.overlay.empty();
        if (s.WaitForStateChange(before, 0, &result.saved)) {
            result.ended = true;
            return result;
        }
        // Once the overlay shows, the game takes no more input; just wait for it.
        if (!over) {
            const Point& p = controls[i % controls.size()];
            s.Click(p.x, p.y);
        } else {
            s.WaitForStateChange(before, 0.05, &result.saved);
        }
    }
    return result;
}

std::vector<Mask> LastColumnRows(const Image& menu) {
    Mask column = TextMask(menu, kColumnX, kColumnY, menu.width() - kColumnX, menu.height() - kColumnY, kLastTint);
    std::vector<Mask> rows;
    for (const auto& band : column.RowBands()) rows.push_back(column.Rows(band.first, band.second));
    return rows;
}

}  // namespace e2e
