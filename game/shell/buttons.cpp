// buttons.cpp - on-screen buttons, drawn and hit-tested in the same call during an
// update: the touch-box test, image buttons tested against all touches or touch 0
// only, the large and small labelled buttons on the overlay sheet, and the band
// drawn across the reel window's centre row. Screens, machines and the pause menu
// call these; turning a held press into one action is the caller's business.
#include "game/shell/game.h"

namespace {

constexpr float kButtonW = 112;
constexpr float kButtonH = 72;
constexpr float kLargeLabel = 2;       // label size of the large button, per draw size
constexpr float kSmallShrinkX = 2.6f;  // the small button's draw size divisors
constexpr float kSmallShrinkY = 1.5f;
constexpr float kSmallLabelX = 3.5f;
constexpr float kSmallLabelY = 3;

// All four comparisons strict: a point on an edge is outside.
bool Inside(int px, int py, float x, float y, float hw, float hh) {
    const float fx = static_cast<float>(px);
    const float fy = static_cast<float>(py);
    return x - hw < fx && fx < x + hw && y - hh < fy && fy < y + hh;
}

}  // namespace

// Touches whose down flag is clear never count, wherever they are.
bool kx_Tumbleroo_MyApp::m_MouseIn_Centered(float x, float y, float w, float h) {
    const float hw = w * 0.5f;
    const float hh = h * 0.5f;
    bool in = false;
    for (loopIndex = 0; loopIndex < kTouchCount; ++loopIndex) {
        if (touchDown[loopIndex] != 0 && Inside(touchX[loopIndex], touchY[loopIndex], x, y, hw, hh)) in = true;
    }
    return in;
}

// The box is the drawn frame (centred handles), from the slot's recorded size, so an
// empty slot still tests. Up touches sit at -3717 and never hit.
int kx_Tumbleroo_MyApp::m_Button(int slot, float x, float y, int frame) {
    m_ImageButton(slot, x, y, frame);
    const float hw = lastButton.w * 0.5f;
    const float hh = lastButton.h * 0.5f;
    int result = 0;
    for (loopIndex = 0; loopIndex < kTouchCount; ++loopIndex) {
        if (Inside(touchX[loopIndex], touchY[loopIndex], x, y, hw, hh) && pointerDown > 0) result = 1;
    }
    return result;
}

bool kx_Tumbleroo_MyApp::m_Button0(int slot, float x, float y, int frame) {
    m_ImageButton(slot, x, y, frame);
    const float hw = lastButton.w * 0.5f;
    const float hh = lastButton.h * 0.5f;
    loopIndex = 0;
    return Inside(touchX[0], touchY[0], x, y, hw, hh) && pointerDown > 0;
}

int kx_Tumbleroo_MyApp::m_AButton(float x, float y, String text, int style, float wScale, float hScale) {
    return m_LabelledButton(x, y, text, style, wScale, hScale, drawSizeX, drawSizeY, kLargeLabel, kLargeLabel);
}

// Drawn at a reduced size; the final size restores the caller's draw size.
int kx_Tumbleroo_MyApp::m_BButton(float x, float y, String text, int style, float wScale, float hScale) {
    const float sx = drawSizeX / kSmallShrinkX;
    const float sy = drawSizeY / kSmallShrinkY;
    const int pressed = m_LabelledButton(x, y, text, style, wScale, hScale, sx, sy, kSmallLabelX, kSmallLabelY);
    m_SetSize(kSmallShrinkX * sx, kSmallShrinkY * sy);
    return pressed;
}

// wScale and hScale only stretch the backing box: the hit box stays 112 x 72 times
// the draw size. Style 1 shows overlay frames 0/1 (up/pressed), style 0 frames 2/3.
int kx_Tumbleroo_MyApp::m_LabelledButton(float x, float y, String text, int style, float wScale, float hScale,
                                         float sx, float sy, float labelX, float labelY) {
    m_Rect(x - kButtonW * 0.5f * wScale * sx, y - kButtonH * 0.5f * hScale * sy, kButtonW * wScale * sx,
           kButtonH * hScale * sy);
    m_SetCol(255, 255, 255, 1);
    m_SetSize(labelX * sx, labelY * sy);
    m_Text(x, y, text, 0.5f, 0.5f);
    m_SetSize(sx, sy);
    m_SetCol(255, 255, 255, 1);
    const int base = 2 - 2 * style;
    int pressed = 0;
    m_KeepButton(x, y, kButtonW * sx, kButtonH * sy);
    if (m_MouseIn_Centered(x, y, kButtonW * sx, kButtonH * sy) && pointerDown > 0) pressed = 1;
    m_DrawImg(kImgOverlay, x, y, static_cast<float>(base + pressed));
    return pressed;
}

// Draws an image button and keeps its hit box: the drawn frame (centred handles),
// from the slot's recorded size, so an empty slot still tests.
int kx_Tumbleroo_MyApp::m_ImageButton(int slot, float x, float y, int frame) {
    m_DrawImg(slot, x, y, static_cast<float>(frame));
    const float hw = drawSizeX * (imageScale * static_cast<float>(slotInfo[3 * slot])) * 0.5f;
    const float hh = imageScale * static_cast<float>(slotInfo[3 * slot + 1]) * drawSizeY * 0.5f;
    return m_KeepButton(x, y, 2 * hw, 2 * hh);
}

// The hit box of the button just drawn, for the machines' lists of controls.
int kx_Tumbleroo_MyApp::m_KeepButton(float x, float y, float w, float h) {
    lastButton.x = x;
    lastButton.y = y;
    lastButton.w = w;
    lastButton.h = h;
    return 0;
}

// A faint band over the centre row with dark lines above and below, across the
// whole virtual width. Leaves the colour black at alpha 0.7.
int kx_Tumbleroo_MyApp::m_HighlightBar() {
    const float row = static_cast<float>(reels.reelPitch) * reels.reelScale;
    const float y = reels.reelCentreY;
    const float width = kx_Tumbleroo_jscrw + 2;
    m_SetCol(255, 255, 255, 0.2f);
    m_Rect(-1, y - row / 2 - 2, width, row + 6);
    m_SetCol(0, 0, 0, 0.7f);
    m_Rect(-1, y - row / 2 - 3, width, 2);
    m_Rect(-1, y + row / 2 + 3, width, 2);
    return 0;
}
