// style.h - the house style shared by every sheet: dark ink outlines, soft drop
// shadows, top-lit gradients and a glossy highlight, plus lettering and sparkle
// helpers. Keeping them in one place is what makes the sheets look like one game.
#pragma once

#include <string>

#include "raster.h"
#include "text.h"

namespace art {

// Outline ink and the shadow under raised things.
Color ink();
Color shade(float alpha);

struct ToonOptions {
    float outline = 1.0f;  // ink width in units (0: none)
    bool shadow = true;
    bool gloss = true;
    float light = 0.35f;   // how much lighter the top is than the base colour
    float dark = 0.25f;    // how much darker the bottom is
};

// A raised, outlined, top-lit body: the building block of every sprite.
void toon(Pen& pen, const Shape& body, Color base, const ToonOptions& opt = ToonOptions());
// A glossy highlight over the upper part of a body.
void gloss(Pen& pen, const Shape& body, float strength = 0.45f);
// A four-pointed twinkle.
void twinkle(Pen& pen, Vec c, float r, Color col);
// A soft radial glow (fades to transparent at r).
void glow(Pen& pen, Vec c, float r, Color col);

// Lettering centred on c (horizontally on the advance box, vertically on the
// cap height), with an ink outline and a vertical gradient fill.
struct LabelStyle {
    Face face = Face::SansBold;
    Color top{1, 1, 1, 1};
    Color bottom{1, 1, 1, 1};
    float outline = 0.0f;
    Color outlineColor{0, 0, 0, 1};
    float shadow = 0.0f;  // drop shadow offset in units (0: none)
};
void label(Pen& pen, const std::string& text, Vec c, float em, const LabelStyle& style);

}  // namespace art
