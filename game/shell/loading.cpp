// loading.cpp - the loading screen the asset loader draws after each of its steps
// (the title picture on a band between two turning rings of dots), and the price
// function the machine-select menu asks for a machine's unlock price.
#include <cmath>

#include "game/shell/game.h"

namespace {

constexpr int kDotsPerRing = 11;
constexpr int kDotStepDegrees = 16;
constexpr int kSpinPerCall = 16;
constexpr float kDotRadius = 8;
constexpr float kRingRadius = 0.25f;   // of the loading size
constexpr float kDiscRadius = 0.3f;    // of the loading size
constexpr float kLoadingDegToRad = 0.017453292f;

}  // namespace

// Angles in degrees; the back ring points away from the front one (180 degrees on)
// and both fade in along their length.
int kx_Tumbleroo_MyApp::m_WaitStart(int mode) {
    (void)mode;  // one loading screen only
    const float w = kx_Tumbleroo_jscrw;
    const float h = kx_Tumbleroo_jscrh;
    m_CLS2D(40, 40, 80, 1);
    loadingSize = static_cast<int>(w > h ? h : w);
    spinnerAngle += kSpinPerCall;
    const float ring = static_cast<float>(loadingSize) * kRingRadius;
    auto dots = [&](float r, float g, float b, int start) {
        for (int i = 0; i < kDotsPerRing; ++i) {
            const float a = static_cast<float>(start + i * kDotStepDegrees) * kLoadingDegToRad;
            m_SetCol(r, g, b, static_cast<float>(i) / 10.0f);
            m_Oval(w * 0.5f + std::sin(a) * ring, h * 0.5f - std::cos(a) * ring, kDotRadius, kDotRadius);
        }
    };
    dots(250, 250, 250, spinnerAngle + 180);
    m_SetCol(255, 255, 0, 0.8f);
    const float disc = static_cast<float>(loadingSize) * kDiscRadius;
    m_Oval(w * 0.5f, h * 0.5f, disc, disc);
    m_SetCol(250, 160, 60, 0.7f);
    m_Rect(0, h * 0.4f, w, h * 0.2f);
    m_ResetDraw();
    m_DrawImg(kImgTitle, w * 0.5f, h * 0.48f, 0);
    dots(50, 50, 50, spinnerAngle);
    return 0;
}

// Prices are the menu's own numbers; this is the place a price rule would go.
int kx_Tumbleroo_MyApp::m_GetCost(int value) { return value; }
