// contract.cpp - what every machine shares: the SPIN control drawn in the panel
// beside the reels (with the highlight bar over the pay line) and the start of a
// spin from a pointer press. The machines' per-tick methods call these; a machine
// whose label or lit rule differs calls m_DrawSpin and m_StartSpin itself.
//
// Colours: a colour a machine's rule names without an alpha is opaque. The SPIN
// control's colour carries alpha 1, and every machine sets alpha 1 with each colour
// it names, so nothing drawn after a translucent lane, band or bar inherits its
// alpha.
#include "game/shell/game.h"

namespace {

constexpr float kSpinBase = 1.5f;     // first reel's start speed: 1.5 up to 2.5
constexpr float kSpinSpread = 0.25f;  // each further reel 0.25 up to 0.5 faster
constexpr float kLaneAlpha = 0.8f;
constexpr int kStartLives = 3;

}  // namespace

// The centre row is every machine's pay line, so the bar goes under the button.
int kx_Tumbleroo_MyApp::m_DrawSpin(String label, int lit) {
    m_ResetDraw();
    m_HighlightBar();
    m_SetSize(1, kAbsent);
    m_SetCol(0, 120, 0, 1);
    return m_AButton(spinX, spinY, label, lit, 1, 1);
}

// Lit only while every reel is at rest and the machine is ready for a spin; a press
// at any other time does nothing and leaves the press unused.
int kx_Tumbleroo_MyApp::m_SpinControl(int machineReady) {
    const int ready = reels.reelsMoving == 0 && machineReady != 0 ? 1 : 0;
    static const String kSpinLabel("SPIN!");  // drawn every tick: made once
    const int pressed = m_DrawSpin(kSpinLabel, ready);
    if (pressed == 0 || pointerUsed != 0 || ready == 0) return 0;
    m_StartSpin();
    return 1;
}

// What every loader does first: the reels as the machine wants them, the lives
// every game starts with and the machine's first phase (0 in every machine).
int kx_Tumbleroo_MyApp::m_StartMachine(const ReelSetup& setup) {
    m_SetUpReels(setup);
    lives = kStartLives;
    phase = 0;
    return 0;
}

// A life goes: with lives left the machine is ready for its next spin, with none
// the game is over and the machine rests in its last phase.
int kx_Tumbleroo_MyApp::m_LoseLife(int readyPhase, int overPhase) {
    lives -= 1;
    if (lives > 0) {
        phase = readyPhase;
    } else {
        gameOver = 1;
        phase = overPhase;
    }
    return 0;
}

// The press stays used until the pointer is released, so holding it spins once.
int kx_Tumbleroo_MyApp::m_StartSpin() {
    pointerUsed = 1;
    m_Spin(kSpinBase, kSpinSpread);
    return 0;
}

// The dark lane from the left screen edge up to the reel window and the exit square
// right of it, one row high on the pay line. half is half a column in symbol pixels.
int kx_Tumbleroo_MyApp::m_DrawLaneAndExit(float half) {
    const float s = reels.reelScale;
    const float cx = reels.reelCentreX;
    const float cy = reels.reelCentreY;
    const float c = s * static_cast<float>(reels.reelPitch);
    const float n = static_cast<float>(reels.reelCount);
    m_ResetDraw();
    m_SetCol(0, 0, 0, kLaneAlpha);
    m_Rect(-1, cy - c / 2, cx - s * half * n - 2, c);
    m_Rect(cx + s * half * n + 2, cy - c / 2, c, c);
    return 0;
}
