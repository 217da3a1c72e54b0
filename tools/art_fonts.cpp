// art_fonts.cpp - the two bitmap fonts. The game's font is a grid of 16 x 16
// unit cells, frame n holding character n + 32, each glyph centred on its cell
// (the game draws glyphs by their centre); codes 127 to 142 hold a few symbols.
// The toolkit's default font is a strip of characters 32 to 127 with a
// transparent column on each side of every cell. Both are pure white so that
// text can be tinted.
#include <cmath>

#include "catalogue.h"
#include "motifs.h"
#include "style.h"
#include "text.h"

namespace art {
namespace {

constexpr float kGameEm = 10.5f;     // em giving an advance of about 6.3 units
constexpr float kDefaultEm = 12.5f;  // em of the default font, pixels
constexpr float kDefaultBaseline = 12.0f;
constexpr int kFirstSymbol = 127;

Color white() { return hex(0xffffff); }

// Places one glyph with its advance box centred on cx (pixels) and its
// baseline on the given pixel row.
void putGlyph(Pen& pen, Face face, int code, float em, float cx, int baseline) {
    const Font& f = font(face);
    float left = cx - f.advance(code, em) * 0.5f;
    float whole = std::floor(left);
    GlyphBitmap g = f.glyph(code, em, left - whole, 0.0f);
    if (g.w == 0) return;
    pen.mask(g.alpha, g.w, g.h, static_cast<int>(whole) + g.xoff, baseline + g.yoff, white());
}

// Symbols for codes 127 and up, about one glyph (7 x 9 units) in size.
void symbolGlyph(Pen& pen, int code) {
    Vec c{8, 8};
    switch (code - kFirstSymbol) {
        case 0: pen.fill(heartShape({8, 7.8f}, 7.5f), white()); break;
        case 1: pen.fill(star(c, 5, 4.2f, 1.8f, 0), white()); break;
        case 2: pen.fill(circle(c, 3.4f), white()); break;
        case 3: pen.fill(ring(c, 3.0f, 1.2f), white()); break;
        case 4: pen.fill(polygon({{8, 3.5f}, {11.5f, 8}, {9.2f, 8}, {9.2f, 12}, {6.8f, 12}, {6.8f, 8}, {4.5f, 8}}), white()); break;
        case 5: pen.fill(polygon({{12, 8}, {7.5f, 11.5f}, {7.5f, 9.2f}, {4, 9.2f}, {4, 6.8f}, {7.5f, 6.8f}, {7.5f, 4.5f}}), white()); break;
        case 6: pen.fill(polygon({{8, 12.5f}, {11.5f, 8}, {9.2f, 8}, {9.2f, 4}, {6.8f, 4}, {6.8f, 8}, {4.5f, 8}}), white()); break;
        case 7: pen.fill(polygon({{4, 8}, {8.5f, 11.5f}, {8.5f, 9.2f}, {12, 9.2f}, {12, 6.8f}, {8.5f, 6.8f}, {8.5f, 4.5f}}), white()); break;
        case 8: pen.fill(polyline({{4.5f, 8.5f}, {7, 11}, {11.5f, 5}}, 1.6f), white()); break;
        case 9: pen.fill(unite(capsule({5, 5}, {11, 11}, 1.6f), capsule({5, 11}, {11, 5}, 1.6f)), white()); break;
        case 10: pen.fill(circle(c, 1.6f), white()); break;
        case 11: pen.fill(regular(c, 4, 4.2f, 0), white()); break;
        case 12: pen.fill(uniteAll({circle({6.3f, 11}, 1.8f), rect(7.2f, 4, 1.1f, 7), polygon({{7.2f, 3.6f}, {11, 5}, {11, 6.6f}, {7.2f, 5.3f}})}), white()); break;
        case 13: pen.fill(polygon({{5.5f, 4}, {11.5f, 8}, {5.5f, 12}}), white()); break;
        case 14: pen.fill(rect(4.8f, 4.8f, 6.4f, 6.4f), white()); break;
        case 15: pen.fill(polygon({{9.2f, 3}, {5, 8.6f}, {7.8f, 8.6f}, {6.8f, 13}, {11, 7.2f}, {8.2f, 7.2f}}), white()); break;
        default: break;
    }
}

}  // namespace

void paintGameFont(Pen& pen, int frame) {
    int code = frame + kGameFontFirstChar;
    if (code >= kFirstSymbol) {
        symbolGlyph(pen, code);
        return;
    }
    if (code == ' ') return;
    float t = pen.scale();
    const Font& f = font(Face::MonoBold);
    float mid = kGameFontCell * 0.5f;
    // Capitals and descenders share the cell evenly, so every glyph, 'g' and '_'
    // included, stays inside the 10-unit line around the cell's centre.
    float base = mid + (f.capHeight(kGameEm) - f.descent(kGameEm)) * 0.5f;
    int baseline = static_cast<int>(std::lround(base * t));
    putGlyph(pen, Face::MonoBold, code, kGameEm * t, mid * t, baseline);
}

void paintDefaultFont(Pen& pen, int frame) {
    int code = frame + kGameFontFirstChar;
    if (code == ' ') return;
    if (code == kFirstSymbol) {  // DEL: a solid block, as terminals show it
        pen.fill(rect(2, 4, kDefaultFontCellW - 4, 9), white());
        return;
    }
    // The outer columns must stay empty: the toolkit cuts them away as padding.
    Pen inner = pen.clipped(1, 0, kDefaultFontCellW - 2, kDefaultFontCellH);
    putGlyph(inner, Face::Mono, code, kDefaultEm, kDefaultFontCellW * 0.5f, static_cast<int>(kDefaultBaseline));
}

}  // namespace art
