// pause.cpp - the two modal panels: the pause menu that slides down over a running
// machine (leave to the menu, resume, sound on/off; pointer and play keys), and the
// credits box over the machine-select menu, which closes on any press. The play
// flow runs m_PauseMenu every tick while paused; the dispatch runs m_CreditBox while
// the box is open.
//
// Sections: pause menu (slide, panel, buttons); credits box.
#include <cmath>

#include "game/shell/game.h"

namespace {

constexpr int kFrameMenu = 1;
constexpr int kFrameResume = 3;
constexpr int kFrameSoundOn = 4;
constexpr int kFrameSoundOff = 5;
constexpr int kFrameRing = 6;
constexpr int kSlideStep = 24;
constexpr int kGoneBelow = -32;      // sliding out, the menu closes once the centre passes this
constexpr int kAlreadyGone = -63;
constexpr int kPanelHidden = -64;
constexpr float kClickVolume = 0.5f;

// Panel rectangles relative to (cx, y): x offset, y offset, width, height.
struct PanelRect {
    float dx, dy, w, h;
};
struct PanelLayout {
    PanelRect top, body, bottom;
    float buttonDx, buttonDy;  // the three buttons' row
};
const PanelLayout kLandscape = {{-128, -64, 256, 8}, {-140, -52, 280, 104}, {-128, 56, 256, 8}, 140, -64};
const PanelLayout kPortrait = {{-96, -92, 192, 8}, {-128, -80, 256, 160}, {-96, 84, 192, 8}, 96, -96};

const char kAuthorAddress[] = "https://quillmor.example";
const char kToolkitAddress[] = "https://quorvel.example";

}  // namespace

// ===========================================================================
// Pause menu
// ===========================================================================

// Pointer presses work on every button whatever the selection; keys act on the
// selected button only. Each press is taken once through keyUsed / pointerUsed.
int kx_Tumbleroo_MyApp::m_PauseMenu() {
    const float w = kx_Tumbleroo_jscrw;
    const float h = kx_Tumbleroo_jscrh;
    const float cx = w / 2;
    m_ResetDraw();
    m_SetCol(0, 0, 0, std::fabs(static_cast<float>(pausePanelY)) / (h * 0.8f));
    m_Rect(0, 0, w, h);
    if (pauseSlide == 1 && static_cast<float>(pausePanelY) < h * 0.5f) pausePanelY += kSlideStep;
    if (pauseSlide == -1) {
        if (pausePanelY < kAlreadyGone) {
            paused = 0;
        } else {
            pausePanelY -= kSlideStep;
            if (pausePanelY < kGoneBelow) paused = 0;
        }
    }
    const int y = pausePanelY;
    const float fy = static_cast<float>(y);
    const PanelLayout& layout = landscape ? kLandscape : kPortrait;
    m_ResetDraw();
    m_SetCol(255, 255, 10, 0.6f);
    m_Rect(cx + layout.top.dx, fy + layout.top.dy, layout.top.w, layout.top.h);
    m_SetCol(255, 150, 10, 0.7f);
    m_Rect(cx + layout.body.dx, fy + layout.body.dy, layout.body.w, layout.body.h);
    m_SetCol(10, 150, 255, 0.6f);
    m_Rect(cx + layout.bottom.dx, fy + layout.bottom.dy, layout.bottom.w, layout.bottom.h);
    m_PauseButtons(cx, y);
    if (m_PlayKey(PK_BACK) && keyUsed == 0) {
        keyUsed = 1;
        paused = 1;
        pauseSlide = -1;
        m_PlaySFX(kSfxClick, 1, kClickVolume, 0);
    }
    return 0;
}

// Resume in the middle, the menu button left, the sound switch right.
int kx_Tumbleroo_MyApp::m_PauseButtons(float cx, int y) {
    const PanelLayout& layout = landscape ? kLandscape : kPortrait;
    const float fy = static_cast<float>(y);
    auto keyPress = [&](int key) {
        if (!m_PlayKey(key) || keyUsed != 0) return false;
        keyUsed = 1;
        return true;
    };
    auto moveCursor = [&](int to, float rate) {
        pauseCursor = to;
        m_PlaySFX(kSfxClick, rate, kClickVolume, 0);
    };

    m_SetSize(2, kAbsent);
    m_SetCol(50, 50, 250, 1);
    if (m_Button(kImgIcons, cx, fy, kFrameResume) && pointerUsed == 0) {
        pointerUsed = 1;
        pauseSlide = -1;
        m_PlaySFX(kSfxClick, 1, kClickVolume, 0);
    }
    if (pauseCursor == 0) {
        m_PauseRing(cx, fy);
        if (keyPress(PK_A)) {
            pauseSlide = -1;
            m_PlaySFX(kSfxClick, 1, kClickVolume, 0);
        } else if (keyPress(PK_LEFT) || keyPress(PK_UP)) {
            moveCursor(-1, 0.8f);
        } else if (keyPress(PK_RIGHT)) {
            moveCursor(1, 1.2f);
        }
    }

    const float bx = std::trunc(cx - layout.buttonDx);
    const float by = fy + layout.buttonDy;
    m_SetSize(2, kAbsent);
    m_SetCol(255, 50, 50, 1);
    if (m_Button(kImgIcons, bx, by, kFrameMenu) && pointerUsed == 0) {
        pointerUsed = 1;
        m_PauseQuit();
    }
    if (pauseCursor == -1) {
        m_PauseRing(bx, by);
        if (keyPress(PK_A)) {
            pointerUsed = 1;
            m_PauseQuit();
        } else if (keyPress(PK_RIGHT) || keyPress(PK_DOWN)) {
            moveCursor(0, 0.8f);
        }
    }

    const float sx = std::trunc(cx + layout.buttonDx);
    m_SetSize(2, kAbsent);
    m_SetCol(50, 250, 50, 1);
    const int frame = settings[kSettingSound] == 0 ? kFrameSoundOff : kFrameSoundOn;
    if (m_Button(kImgIcons, sx, by, frame) && pointerUsed == 0) {
        pointerUsed = 1;
        m_ToggleSound();
    }
    if (pauseCursor == 1) {
        m_PauseRing(sx, by);
        if (keyPress(PK_A)) {
            m_ToggleSound();
        } else if (keyPress(PK_LEFT) || keyPress(PK_DOWN)) {
            moveCursor(0, 0.8f);
        }
    }
    return 0;
}

int kx_Tumbleroo_MyApp::m_PauseRing(float x, float y) { return m_Ring(x, y, 2.5f, 2.5f); }

// The one look of every ring that marks a choice: the pause menu's and the focus
// ring over a machine's controls (focus.cpp). Keeps the alpha already set.
int kx_Tumbleroo_MyApp::m_Ring(float x, float y, float sx, float sy) {
    m_SetSize(sx, sy);
    m_SetCol(255, 255, 100, kAbsent);
    m_DrawImg(kImgIcons, x, y, kFrameRing);
    return 0;
}

// Leaving skips the slide-out: the panel is put out of sight at once and the
// game ends through the game-over sequence.
int kx_Tumbleroo_MyApp::m_PauseQuit() {
    paused = 0;
    pauseSlide = -1;
    pausePanelY = kPanelHidden;
    gameOver = 1;
    m_PlaySFX(kSfxClick, 0.5f, kClickVolume, 0);
    return 0;
}

// Any value outside 0..1 becomes 0. The click comes after the switch, so it is heard
// only when sound has just been turned on.
int kx_Tumbleroo_MyApp::m_ToggleSound() {
    int sound = 1 - settings[kSettingSound];
    if (sound < 0 || sound > 1) sound = 0;
    settings[kSettingSound] = sound;
    m_PlaySFX(kSfxClick, 1, kClickVolume, 0);
    return 0;
}

// ===========================================================================
// Credits box
// ===========================================================================

// A press anywhere closes the box, inside it or not.
int kx_Tumbleroo_MyApp::m_CreditBox() {
    const float w = kx_Tumbleroo_jscrw;
    const float h = kx_Tumbleroo_jscrh;
    m_ResetDraw();
    m_SetCol(255, 125, 0, 0.8f);
    m_Rect(w * 0.1f, h * 0.2f, w * 0.8f, h * 0.6f);
    m_SetCol(100, 0, 0, 0.8f);
    m_Rect(w * 0.12f, h * 0.22f, w * 0.76f, h * 0.56f);
    m_SetCol(255, 255, 255, 1);
    m_SetSize(1.5f, kAbsent);
    struct Line {
        float d;
        const char* text;
    };
    const Line lines[] = {{0, "A Game By"}, {20, "Quillmor"},  {40, kAuthorAddress},
                          {80, "Created using"}, {100, "Quorvel"}, {120, kToolkitAddress}};
    for (const Line& line : lines) m_Text(w * 0.5f, h * 0.24f + line.d, String(line.text), 1, 0);
    if (pointerDown >= 1 && pointerUsed == 0) {
        pointerUsed = 1;
        creditsOpen = 0;
        m_PlaySFX(kSfxTick, 1, 1, 0);
    }
    return 0;
}
