// style.cpp - the shared house-style helpers of the art tool (see style.h).
#include "style.h"

namespace art {

Color ink() { return hex(0x221a36); }
Color shade(float alpha) { return hex(0x0b0618, alpha); }

void toon(Pen& pen, const Shape& body, Color base, const ToonOptions& opt) {
    const Box& b = body.box;
    if (opt.shadow) pen.fill(moved(grow(body, opt.outline), 0.6f, 1.2f), shade(0.35f), 1.2f);
    if (opt.outline > 0) pen.fill(grow(body, opt.outline), ink());
    pen.fill(body, linear({0, b.y0}, {0, b.y1}, lighten(base, opt.light), darken(base, opt.dark)));
    if (opt.gloss) gloss(pen, body);
}

void gloss(Pen& pen, const Shape& body, float strength) {
    const Box& b = body.box;
    float w = b.x1 - b.x0, h = b.y1 - b.y0;
    Shape cap = ellipse({b.x0 + w * 0.42f, b.y0 + h * 0.22f}, w * 0.36f, h * 0.2f);
    Shape lit = intersect(grow(body, -w * 0.07f), cap);
    pen.fill(lit, linear({0, b.y0}, {0, b.y0 + h * 0.45f}, hex(0xffffff, strength), hex(0xffffff, 0.0f)));
}

void twinkle(Pen& pen, Vec c, float r, Color col) {
    pen.fill(star(c, 4, r, r * 0.28f, 0), col);
    pen.fill(circle(c, r * 0.22f), lighten(col, 0.6f));
}

void glow(Pen& pen, Vec c, float r, Color col) {
    pen.fill(circle(c, r), radial(c, r, col, withAlpha(col, 0.0f)));
}

void label(Pen& pen, const std::string& text, Vec c, float em, const LabelStyle& style) {
    const Font& f = font(style.face);
    float w = f.textWidth(text, em);
    Vec origin{c.x - w * 0.5f, c.y + f.capHeight(em) * 0.5f};
    float reach = style.outline + style.shadow + 0.5f;
    Shape glyphs = f.textShape(text, origin, em, pen.scale(), reach);
    if (style.shadow > 0) pen.fill(moved(grow(glyphs, style.outline), style.shadow * 0.5f, style.shadow), shade(0.45f), 1.0f);
    if (style.outline > 0) pen.fill(grow(glyphs, style.outline), style.outlineColor);
    float top = c.y - f.capHeight(em) * 0.5f;
    pen.fill(glyphs, linear({0, top}, {0, top + f.capHeight(em)}, style.top, style.bottom));
}

}  // namespace art
