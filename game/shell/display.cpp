// display.cpp - the drawing helpers every screen calls during its update: the draw
// state (size, rotation, colour, alpha), the display-list appends with their room
// check, bitmap text from the font slot, and right-justified number text. Nothing
// here draws: m_OnRender (app.cpp) replays what these append.
//
// Sections: draw state; appends; text; number text.
#include <cmath>
#include <cstdio>

#include "game/shell/game.h"
#include "media/random.h"

namespace {

constexpr float kWhite = 255;
constexpr char16_t kBackslash = u'\\';
constexpr char16_t kLetterN = u'n';
constexpr int kFirstGlyph = 33;  // the space is never drawn
constexpr int kLastGlyph = 159;
constexpr int kFontFirstChar = 32;  // frame n of a font sheet is character n + 32
constexpr int kIntDigits = 16;      // "%i" of any 32-bit int, with its terminator
constexpr int kRstrBuffer = 96;     // fields up to this long are built on the stack

float SinDeg(float degrees) { return std::sin(degrees * D2R); }
float CosDeg(float degrees) { return std::cos(degrees * D2R); }

}  // namespace

// ===========================================================================
// Draw state
// ===========================================================================

int kx_Tumbleroo_MyApp::m_ResetDraw() {
    drawSizeX = drawSizeY = 1;
    drawRot = 0;
    drawR = drawG = drawB = kWhite;
    drawA = 1;
    return 0;
}

int kx_Tumbleroo_MyApp::m_CLS2D(float r, float g, float b, float a) {
    if (r > kAbsent) {
        clearR = r;
        clearG = g;
        clearB = b;
        clearA = a;
    }
    m_ResetDraw();
    drawCount = 0;
    return 0;
}

int kx_Tumbleroo_MyApp::m_SetSize(float sx, float sy) {
    drawSizeX = sx;
    drawSizeY = sy > kAbsent ? sy : sx;
    return 0;
}

int kx_Tumbleroo_MyApp::m_Alpha(float a) {
    drawA = a;
    return 0;
}

int kx_Tumbleroo_MyApp::m_SetCol(float r, float g, float b, float a) {
    drawR = r;
    drawG = g;
    drawB = b;
    if (a > kAbsent) drawA = a;
    return 0;
}

// ===========================================================================
// Appends
// ===========================================================================

// The room check lets a record start only at or below kDrawListLastStart, so the
// list holds 2499 records, not 2500; later appends are dropped until the next
// m_CLS2D. Offsets 8, 9, 13 and 14 are left as they were.
int kx_Tumbleroo_MyApp::m_AppendRecord(float kind, float x, float y, float w, float h, float frame) {
    if (drawCount > kDrawListLastStart) return 0;
    float* rec = drawList.Data() + drawCount;
    rec[REC_KIND] = kind;
    rec[REC_X] = x;
    rec[REC_Y] = y;
    rec[REC_ROT] = drawRot;
    rec[REC_W] = w;
    rec[REC_H] = h;
    rec[REC_FRAME] = frame;
    rec[REC_ALPHA] = drawA;
    rec[REC_R] = drawR;
    rec[REC_G] = drawG;
    rec[REC_B] = drawB;
    drawCount += kRecordFloats;
    return 0;
}

int kx_Tumbleroo_MyApp::m_DrawImg(int slot, float x, float y, float frame) {
    return m_AppendRecord(static_cast<float>(slot), x, y, drawSizeX, drawSizeY, frame);
}

int kx_Tumbleroo_MyApp::m_Rect(float x, float y, float w, float h) {
    return m_AppendRecord(kKindRect, x, y, w, h, 0);
}

int kx_Tumbleroo_MyApp::m_Oval(float x, float y, float xRadius, float yRadius) {
    return m_AppendRecord(kKindOval, x, y, xRadius, yRadius, 0);
}

// ===========================================================================
// Text
// ===========================================================================

// Alignment uses the length of the whole string, line breaks included, and every
// new line starts under the first character whatever the alignment. Unrotated:
// alignX 0/1/2 puts the first character's centre / the middle / the last centre on
// x; alignY 0/1/2 puts the line's top / middle / bottom on y.
int kx_Tumbleroo_MyApp::m_Text(float x, float y, String text, float alignX, float alignY) {
    const int n = text.Length();
    if (n < 1) return 0;
    const float cw = static_cast<float>(slotInfo[fontSlot * 3]) * drawSizeX;
    const float lh = static_cast<float>(slotInfo[fontSlot * 3 + 1]) * drawSizeY;
    const float r = drawRot;
    const float extent = cw * static_cast<float>(n - 1);
    const float x0 = x + SinDeg(-r - 90) * extent * alignX * 0.5f + SinDeg(-r) * lh * (alignY - 1) * 0.5f;
    const float y0 = y - CosDeg(-r - 90) * extent * alignX * 0.5f - CosDeg(-r) * lh * (alignY - 1) * 0.5f;
    const float stepX = SinDeg(90 - r) * cw;
    const float stepY = -CosDeg(90 - r) * cw;
    float penX = x0;
    float penY = y0;
    int line = 0;
    for (int i = 0; i < n; ++i) {
        const int c = text[i];
        if (c == kBackslash && i + 1 < n && text[i + 1] == kLetterN) {
            ++line;
            penX = x0 + SinDeg(180 - r) * lh * static_cast<float>(line);
            penY = y0 - CosDeg(180 - r) * lh * static_cast<float>(line);
            ++i;
            continue;
        }
        if (c == 0) continue;
        if (c >= kFirstGlyph && c <= kLastGlyph) {
            m_DrawImg(fontSlot, penX, penY, static_cast<float>(c - kFontFirstChar));
        }
        penX += stepX;
        penY += stepY;
    }
    return 0;
}

// ===========================================================================
// Number text
// ===========================================================================

// width + 1 copies of pad, then the number, then the last width characters: a number
// longer than the field keeps only its last digits. Leaves loopIndex at width + 1.
// Screens call it for every number on every tick, so a field that fits a small
// buffer is put together there and becomes one String; anything else takes the
// long way of concatenation and slicing.
String kx_Tumbleroo_MyApp::m_rstr(int value, int width, String pad) {
    char digits[kIntDigits];
    const int count = std::snprintf(digits, sizeof digits, "%i", value);
    const long long copies = width > 0 ? static_cast<long long>(width) + 1 : 1;
    const int padLength = pad.Length();
    if (width > 0 && count > 0 && padLength * copies + count <= kRstrBuffer) {
        loopIndex = static_cast<int>(copies);
        char16_t text[kRstrBuffer];
        int n = 0;
        for (int c = 0; c < copies; ++c) {
            for (int i = 0; i < padLength; ++i) text[n++] = pad[i];
        }
        for (int i = 0; i < count; ++i) text[n++] = static_cast<char16_t>(digits[i]);
        const int start = n > width ? n - width : 0;
        return String(text + start, n - start);
    }
    loopIndex = 1;
    String s = pad;
    if (width > 0) {
        do {
            s = s + pad;
            loopIndex += 1;
        } while (loopIndex <= width);
    }
    String t = s + String(value);
    return t.Slice(-width);
}
