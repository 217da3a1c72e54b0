// art_reels_a.cpp - the fruit, dice and crate reel sheets (32 frames of 32 x 32
// each). The reels draw symbol s with frame s - 1, and frame s - 1 + 8 when the
// machine switches to its second symbol bank, so row two of each sheet holds the
// lit versions of row one.
#include <cmath>

#include "catalogue.h"
#include "motifs.h"
#include "style.h"

namespace art {
namespace {

constexpr int kBank = 8;  // frames per symbol bank (one sheet row)

const Motif kFruitRow[kBank] = {Motif::Cherry, Motif::Lemon, Motif::Orange, Motif::Plum,
                                Motif::Grapes, Motif::Melon, Motif::Strawberry, Motif::Banana};
const Motif kLuckyRow[kBank] = {Motif::Bell, Motif::Seven, Motif::Bar, Motif::Star,
                                Motif::Diamond, Motif::Clover, Motif::Horseshoe, Motif::Heart};

void symbolCell(Pen& pen, Motif m, bool lit) {
    if (lit) litBack(pen, hex(0xffd23a));
    placeMotif(pen, m, {16, 16}, lit ? 30.0f : 28.0f);
    if (lit) litFront(pen, hex(0xffd23a));
}

// Crates: a colour and a white emblem each, so no two differ by colour alone.
const unsigned kCrateColors[kBank] = {0xf0364a, 0xff8a1e, 0xffd02a, 0x3cc44a, 0x28c8e8, 0x3a6cf0, 0x9a4ae0, 0xff5ab4};

Shape crateEmblem(int k) {
    Vec c{16, 16};
    switch (k) {
        case 0: return heartShape({16, 15.5f}, 12);
        case 1: return star(c, 5, 6.5f, 2.8f, 0);
        case 2: return polygon({{17.5f, 9}, {11.5f, 17}, {15.5f, 17}, {14, 23}, {20.5f, 15}, {16.5f, 15}, {18.5f, 9}});
        case 3: return regular({16, 16.8f}, 3, 6.8f, 0);
        case 4: return regular(c, 4, 6.5f, 0);
        case 5: return subtract(circle(c, 6), circle({19, 13.5f}, 5));
        case 6: return unite(rect(14, 9.5f, 4, 13), rect(9.5f, 14, 13, 4));
        default: return ring(c, 4.5f, 3);
    }
}

void crate(Pen& pen, int k, bool lit) {
    Color base = hex(kCrateColors[k]);
    if (lit) {
        litBack(pen, base);
        base = lighten(base, 0.25f);
    }
    Shape box = roundRect(3, 3, 26, 26, 4.5f);
    toon(pen, box, base, {1.0f, !lit, false, 0.3f, 0.3f});
    // Raised rim around a recessed panel, like a moulded crate.
    Shape panel = roundRect(7, 7, 18, 18, 2.5f);
    pen.fill(outline(panel, 1.2f), darken(base, 0.35f));
    pen.fill(panel, linear({0, 7}, {0, 25}, darken(base, 0.2f), lighten(base, 0.1f)));
    pen.fill(grow(crateEmblem(k), 0.9f), darken(base, 0.55f));
    pen.fill(crateEmblem(k), lit ? hex(0xffffff) : hex(0xfff8e8));
    gloss(pen, box, lit ? 0.55f : 0.4f);
    if (lit) litFront(pen, base);
}

// Nudge arrows: three frames of a chevron pulsing along its direction.
void nudgeArrow(Pen& pen, int step, bool up) {
    float lift = (up ? -1.0f : 1.0f) * (step * 1.5f - 1.5f);
    float bright = 0.15f * step;
    Pen p = pen.sub(0, lift, 1.0f);
    std::vector<Vec> chevron = up ? std::vector<Vec>{{16, 6}, {28, 18}, {21, 18}, {21, 26}, {11, 26}, {11, 18}, {4, 18}}
                                  : std::vector<Vec>{{16, 26}, {28, 14}, {21, 14}, {21, 6}, {11, 6}, {11, 14}, {4, 14}};
    Shape arrow = grow(polygon(chevron), 0.6f);
    toon(p, arrow, lighten(hex(0x34d058), bright));
    p.fill(outline(grow(polygon(chevron), -1.8f), 0.8f), hex(0xffffff, 0.25f + bright));
}

void fizzPop(Pen& pen, int step) {
    float r = 4.0f + step * 2.5f;
    float fade = 1.0f - step * 0.18f;
    for (int i = 0; i < 6; ++i) {
        float a = (i * 60.0f + step * 12.0f) * 3.14159265f / 180.0f;
        Vec c{16 + r * std::cos(a), 16 + r * std::sin(a)};
        pen.fill(ring(c, 2.2f - step * 0.2f, 0.9f), hex(0xd8f4ff, fade));
        pen.fill(circle({c.x - 0.6f, c.y - 0.6f}, 0.5f), hex(0xffffff, fade));
    }
    pen.fill(circle({16, 16}, 3.0f - step * 0.5f), hex(0xffffff, fade * 0.6f));
}

void emptied(Pen& pen) {
    Shape hole = roundRect(4, 4, 24, 24, 4);
    pen.fill(hole, hex(0x1a0c04, 0.55f));
    pen.fill(subtract(hole, moved(hole, 1.5f, 2)), hex(0x000000, 0.35f));
    pen.fill(outline(hole, 0.8f), hex(0xffd9a0, 0.25f));
    const Vec bubbles[] = {{11, 21}, {19, 17}, {15, 11}};
    for (int i = 0; i < 3; ++i) pen.fill(ring(bubbles[i], 1.2f + i * 0.4f, 0.6f), hex(0xd8f4ff, 0.5f));
}

}  // namespace

void paintReelFruit(Pen& pen, int frame) {
    int row = frame / kBank, col = frame % kBank;
    const Motif* set = (row < 2) ? kFruitRow : kLuckyRow;
    symbolCell(pen, set[col], row % 2 == 1);
}

void paintReelDice(Pen& pen, int frame) {
    int face = frame % kBank + 1;
    if (face > 6) return;  // the last two cells of each row are unused
    switch (frame / kBank) {
        case 0: drawDie(pen, face, hex(0xfbfbff), hex(0x1c1830)); break;
        case 1:
            litBack(pen, hex(0xffd23a));
            drawDie(pen, face, hex(0xfff6c8), hex(0xc8102e));
            litFront(pen, hex(0xffd23a));
            break;
        case 2: drawDie(pen, face, hex(0xe8283c), hex(0xffffff)); break;
        default: drawDie(pen, face, hex(0x3a7cf0), hex(0xffffff)); break;
    }
}

void paintReelFizzcrate(Pen& pen, int frame) {
    if (frame < 2 * kBank) {
        crate(pen, frame % kBank, frame >= kBank);
    } else if (frame >= 16 && frame <= 18) {
        nudgeArrow(pen, frame - 16, true);
    } else if (frame >= 24 && frame <= 26) {
        nudgeArrow(pen, frame - 24, false);
    } else if (frame >= 19 && frame <= 23) {
        fizzPop(pen, frame - 19);
    } else if (frame == 31) {
        emptied(pen);
    }
}

}  // namespace art
