// screens.cpp - recognising the game's screens by the colours of a few pixels.
#include "tests/e2e/screens.h"

#include "tests/e2e/session.h"

namespace e2e {
namespace {

constexpr int kTolerance = 14;
// Loading band: (250, 160, 60) at alpha 0.7 over the clear colour (40, 40, 80).
constexpr Rgb kLoadingBand{187, 124, 66};
constexpr Rgb kLoadingClear{40, 40, 80};
// Share of pixels allowed to differ between two shots of one still screen.
constexpr double kStillSlack = 0.002;

bool Greenish(Rgb c) { return c.g > 150 && c.r < 110 && c.b < 110; }

}  // namespace

Rgb FrameColour(int machine) {
    switch (machine) {
        case kQuillmorPlat: return {180, 40, 0};
        case kCubewick: return {0, 80, 180};
        case kCometrow: return {0, 80, 0};
        case kFizzcrate: return {0, 80, 0};
        default: return {20, 120, 20};
    }
}

bool IsLoadingScreen(const Image& shot) {
    return shot.width() == kWindowWidth && Near(shot.At(10, 200), kLoadingBand, kTolerance) &&
           Near(shot.At(630, 280), kLoadingBand, kTolerance) && Near(shot.At(10, 100), kLoadingClear, kTolerance);
}

bool IsLoadingScreenAnySize(const Image& shot) {
    int w = shot.width(), h = shot.height();
    return w > 0 && Near(shot.At(4, h / 2 - h / 20), kLoadingBand, kTolerance) &&
           Near(shot.At(w - 4, h / 2 + h / 20), kLoadingBand, kTolerance) &&
           Near(shot.At(4, h / 5), kLoadingClear, kTolerance);
}

bool IsMenu(const Image& shot) {
    return Greenish(shot.At(kSoundSwitch.x - 20, kSoundSwitch.y)) && !IsLoadingScreen(shot);
}

bool IsPlaying(const Image& shot, int machine) {
    return Near(shot.At(kFramePixel.x, kFramePixel.y), FrameColour(machine), kTolerance);
}

bool PausePanelAt(const Image& shot, int panelY) {
    // The strip runs from 64 to 56 above the centre; its middle row.
    Rgb c = shot.At(300, panelY - 60);
    return c.r > 140 && c.g > 140 && c.b < 90;
}

bool IsCreditsOpen(const Image& shot) {
    auto border = [](Rgb c) { return c.r > 190 && c.g > 85 && c.g < 160 && c.b < 70; };
    return border(shot.At(70, 200)) && border(shot.At(570, 300));
}

bool SameScreen(const Image& a, const Image& b) { return a.DifferenceTo(b, 8) < kStillSlack; }

}  // namespace e2e
