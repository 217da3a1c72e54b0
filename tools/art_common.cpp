// art_common.cpp - the shared interface sheets: round icons (drawn tinted by the
// game, so they are white with dark symbols), the machine buttons of the menu,
// controller pictures, the life heart, particles and the translucent bevel laid
// over every labelled button.
#include <cmath>

#include "catalogue.h"
#include "motifs.h"
#include "style.h"

namespace art {
namespace {

constexpr float kPi = 3.14159265358979f;

Color symbolInk() { return hex(0x2a2440); }

// ---- icons ------------------------------------------------------------------

void iconBase(Pen& p) {
    Shape disc = circle({16, 15.5f}, 12.2f);
    toon(p, disc, hex(0xf4f4fa), {1.3f, true, false, 0.1f, 0.22f});
    gloss(p, disc, 0.6f);
}

Shape speaker() {
    return polygon({{7, 13}, {11, 13}, {16, 8.5f}, {16, 23.5f}, {11, 19}, {7, 19}});
}

Shape iconSymbol(int frame) {
    switch (frame) {
        case 0: return unite(roundRect(10.5f, 9, 4, 14, 1.2f), roundRect(17.5f, 9, 4, 14, 1.2f));
        case 1: return unite(polygon({{16, 7.5f}, {25, 15.5f}, {7, 15.5f}}), rect(10, 15, 12, 9));
        case 2: return unite(arc({16, 16.5f}, 6.5f, 200, 470, 2.8f), polygon({{4.5f, 14}, {12.5f, 14}, {8.5f, 20}}));
        case 3: return grow(polygon({{12, 9}, {23, 16}, {12, 23}}), 0.8f);
        case 4: return uniteAll({speaker(), arc({15, 16}, 4.5f, -45, 45, 1.8f), arc({15, 16}, 8, -45, 45, 1.8f)});
        case 5: return uniteAll({speaker(), capsule({18.5f, 12.5f}, {25, 19.5f}, 2), capsule({18.5f, 19.5f}, {25, 12.5f}, 2)});
        case 7: return grow(star({16, 16.5f}, 5, 8.5f, 3.8f, 0), 0.5f);
        case 8: return unite(circle({16, 10}, 1.9f), roundRect(14.2f, 13.5f, 3.6f, 10, 1.2f));
        case 9: return unite(arc({16, 12.5f}, 4.2f, 180, 410, 2.6f), unite(capsule({17.5f, 15.5f}, {16, 18.5f}, 2.6f), circle({16, 23}, 1.6f)));
        case 10: return subtract(unite(regular({16, 16}, 8, 8.5f, 22.5f), circle({16, 16}, 7.5f)), circle({16, 16}, 3));
        case 11: return unite(roundRect(9.5f, 15, 13, 10, 2), arc({16, 14}, 4.5f, 180, 360, 2.2f));
        case 12: return polyline({{9.5f, 16.5f}, {14, 21}, {23, 11}}, 3.2f);
        case 13: return unite(capsule({11, 11}, {21, 21}, 3.2f), capsule({11, 21}, {21, 11}, 3.2f));
        case 14: return unite(polygon({{8, 16}, {15, 9.5f}, {15, 22.5f}}), roundRect(14, 13.8f, 10, 4.4f, 1.2f));
        default: return uniteAll({circle({12, 21.5f}, 3), rect(13.4f, 9, 1.8f, 12.5f), polygon({{13.4f, 8}, {22, 11}, {22, 14.5f}, {13.4f, 11.5f}})});
    }
}

void selectionRing(Pen& p) {
    p.fill(ring({16, 16}, 14.5f, 3.6f), hex(0xffffff, 0.25f), 1.5f);
    p.fill(ring({16, 16}, 14.5f, 2.0f), hex(0xffffff));
    for (int i = 0; i < 4; ++i) {
        float a = (45.0f + 90.0f * i) * kPi / 180.0f;
        Vec tip{16 + 13.0f * std::cos(a), 16 + 13.0f * std::sin(a)};
        Vec out{16 + 16.0f * std::cos(a), 16 + 16.0f * std::sin(a)};
        Vec side{-std::sin(a) * 2.2f, std::cos(a) * 2.2f};
        p.fill(polygon({tip, {out.x + side.x, out.y + side.y}, {out.x - side.x, out.y - side.y}}), hex(0xffffff));
    }
}

// ---- machine buttons ----------------------------------------------------

const unsigned kTileColors[16] = {0xff7a3a, 0x3a6cf0, 0x3a2a7a, 0x2fae3c, 0x1f8a4a, 0xd84aa0, 0xe8a020, 0xd8283c,
                                  0x2b3a8c, 0x8a4ae0, 0x28a8c8, 0x3a9a3a, 0x6a7090, 0xc87a20, 0x5a3ab0, 0x283a70};
const Motif kSpareMotifs[11] = {Motif::Cherry, Motif::Bell, Motif::Seven, Motif::Bar, Motif::Star, Motif::Diamond,
                                Motif::Clover, Motif::Horseshoe, Motif::Crown, Motif::Trophy, Motif::Moon};

void tile(Pen& p, Color c) {
    Shape t = roundRect(4, 4, 56, 56, 12);
    toon(p, t, c, {1.6f, true, false, 0.25f, 0.3f});
    p.fill(outline(grow(t, -2.2f), 1.2f), hex(0xffffff, 0.35f));
}

void machineScene(Pen& p, int m) {
    switch (m) {
        case 0: {  // platform runner: ground, a coin and the runner cheering
            for (int i = 0; i < 3; ++i) { Pen s = p.sub(6.0f + i * 17.33f, 26, 17.33f / 32); paintReelPlat(s, 0); }
            p.fill(rect(6, 42, 52, 14), hex(0x6a3a1c));
            Pen coin = p.sub(38, 8, 0.55f);
            paintReelPlat(coin, 3);
            Pen r = p.sub(6, 13, 1.05f);
            paintReelPlat(r, 31);
            break;
        }
        case 1: {  // walker eating dots towards a monster
            for (int i = 0; i < 3; ++i) { Pen d = p.sub(20.0f + i * 8, 20, 0.7f); paintReelCubewick(d, 0); }
            Pen mo = p.sub(34, 14, 0.8f);
            paintReelCubewick(mo, 3);
            Pen w = p.sub(4, 16, 1.05f);
            paintReelCubewick(w, 16);
            break;
        }
        case 2: {  // ship dodging traffic
            for (int i = 0; i < 9; ++i)
                p.fill(circle({9.0f + (i * 37 % 47), 9.0f + (i * 23 % 45)}, i % 3 ? 0.6f : 0.9f), hex(0xffffff, 0.7f));
            Pen a = p.sub(34, 6, 0.75f);
            paintReelUfo(a, 1);
            Pen c = p.sub(30, 32, 0.7f);
            paintReelUfo(c, 2);
            Pen s = p.sub(6, 18, 1.0f);
            paintReelUfo(s, 16);
            break;
        }
        case 3: {  // three matching crates
            for (int i = 0; i < 3; ++i) { Pen c = p.sub(6.0f + i * 17.5f, 26, 0.6f); paintReelFizzcrate(c, 10); }
            Pen a = p.sub(14, 6, 0.6f);
            paintReelFizzcrate(a, 4);
            Pen b = p.sub(32, 6, 0.6f);
            paintReelFizzcrate(b, 0);
            break;
        }
        case 4: {  // a pair of dice
            Pen a = p.sub(6, 10, 0.95f);
            drawDie(a, 5, hex(0xfbfbff), hex(0x1c1830));
            Pen b = p.sub(28, 24, 0.95f);
            drawDie(b, 6, hex(0xe8283c), hex(0xffffff));
            break;
        }
        default: placeMotif(p, kSpareMotifs[m - 5], {32, 32}, 40); break;
    }
}

// ---- controller pictures ------------------------------------------------

Shape cross() { return unite(roundRect(11, 3, 10, 26, 2.5f), roundRect(3, 11, 26, 10, 2.5f)); }

void dpadArm(Pen& p, int dir) {
    const Shape arms[4] = {roundRect(11, 3, 10, 10, 2.5f), roundRect(19, 11, 10, 10, 2.5f),
                           roundRect(11, 19, 10, 10, 2.5f), roundRect(3, 11, 10, 10, 2.5f)};
    p.fill(grow(arms[dir], -1.2f), hex(0x3fa8ff, 0.9f));
}

void padButton(Pen& p, const char* letter, Color c, bool pressed) {
    float dy = pressed ? 1.2f : 0.0f;
    if (!pressed) p.fill(circle({16, 17.5f}, 11.5f), darken(c, 0.5f));
    toon(p, circle({16, 16 + dy}, 11), pressed ? darken(c, 0.2f) : c, {1.2f, !pressed, !pressed, 0.3f, 0.25f});
    LabelStyle s;
    s.outline = 0.8f;
    s.outlineColor = darken(c, 0.6f);
    label(p, letter, {16, 16 + dy}, 15, s);
}

void pill(Pen& p, const char* text) {
    toon(p, roundRect(3, 11, 26, 10, 5), hex(0x6a7090));
    LabelStyle s;
    label(p, text, {16, 16}, 6.5f, s);
}

}  // namespace

void paintIcons(Pen& pen, int frame) {
    if (frame == 6) {
        selectionRing(pen);
        return;
    }
    iconBase(pen);
    pen.fill(iconSymbol(frame), symbolInk());
}

// Frame 14: the lock badge the menu lays on a locked machine's corner, a padlock on
// a dark disc with the tiles' outline and gloss. Frame 15: the coin beside the
// player's coins. Both are drawn small, so their shapes are bold.
void lockBadge(Pen& p) {
    Shape disc = circle({32, 32}, 27);
    toon(p, disc, hex(0x2a2440), {1.6f, true, false, 0.25f, 0.3f});
    p.fill(outline(grow(disc, -2.2f), 1.4f), hex(0xffffff, 0.45f));
    toon(p, arc({32, 28}, 9, 180, 360, 4.5f), hex(0xc0c6d8), {1.0f, false, false, 0.3f, 0.2f});
    Shape body = roundRect(19, 27, 26, 20, 4);
    toon(p, body, hex(0xffc21a), {1.3f, true, false, 0.3f, 0.25f});
    p.fill(unite(circle({32, 35}, 3), rect(30.6f, 35, 2.8f, 7)), hex(0x5a3a00));
    gloss(p, disc, 0.3f);
}

void paintButtons(Pen& pen, int frame) {
    if (frame == 14) {
        lockBadge(pen);
        return;
    }
    if (frame == 15) {
        placeMotif(pen, Motif::Coin, {32, 32}, 58);
        return;
    }
    tile(pen, hex(kTileColors[frame]));
    machineScene(pen, frame);
    gloss(pen, roundRect(4, 4, 56, 56, 12), 0.25f);
}

void paintDpad(Pen& pen, int frame) {
    static const char* const kLetters[4] = {"A", "B", "X", "Y"};
    static const unsigned kColors[4] = {0x34c84a, 0xe8283c, 0x3a7cf0, 0xffc21a};
    if (frame <= 4) {
        toon(pen, cross(), hex(0x4a4f60), {1.2f, true, false, 0.3f, 0.3f});
        pen.fill(circle({16, 16}, 3), hex(0x2a2e3a));
        if (frame > 0) dpadArm(pen, frame - 1);
    } else if (frame <= 12) {
        int b = (frame - 5) % 4;
        padButton(pen, kLetters[b], hex(kColors[b]), frame > 8);
    } else if (frame == 13) {
        pill(pen, "START");
    } else if (frame == 14) {
        pill(pen, "SELECT");
    } else {
        toon(pen, circle({16, 16}, 12), hex(0x4a4f60));
        pen.fill(ring({16, 16}, 7, 1.2f), hex(0x2a2e3a, 0.7f));
    }
}

void paintIcade(Pen& pen, int frame) {
    bool active = frame == 1;
    toon(pen, roundRect(2, 10, 60, 44, 8), hex(0x2a2e3a), {1.4f, true, false, 0.2f, 0.2f});
    pen.fill(roundRect(5, 13, 54, 38, 6), hex(0x3a4050));
    float tilt = active ? 5.0f : 0.0f;
    pen.fill(ellipse({18, 38}, 8, 3.5f), hex(0x15171f));
    toon(pen, capsule({18, 37}, {18 + tilt, 24}, 3), hex(0xc0c6d8), {0.9f, false, false, 0.3f, 0.2f});
    toon(pen, circle({18 + tilt, 22}, 6), hex(0xe8283c));
    static const unsigned kCols[4] = {0x34c84a, 0xffc21a, 0x3a7cf0, 0xff7ad0};
    for (int i = 0; i < 4; ++i) {
        Vec c{36.0f + (i % 2) * 11, 25.0f + (i / 2) * 12 + (i % 2 ? -3.0f : 0.0f)};
        bool down = active && i == 0;
        toon(pen, circle({c.x, c.y + (down ? 1.0f : 0.0f)}, 4.2f), down ? darken(hex(kCols[i]), 0.25f) : hex(kCols[i]),
             {0.9f, !down, true, 0.3f, 0.25f});
    }
}

void paintHeart(Pen& pen, int) {
    Shape h = heartShape({16, 15.5f}, 24);
    toon(pen, h, hex(0xff3b5c), {1.3f, true, true, 0.3f, 0.25f});
    pen.fill(ellipse({10.5f, 11}, 2.2f, 1.5f), hex(0xffffff, 0.8f));
}

void paintParticles(Pen& pen, int frame) {
    static const unsigned kHues[8] = {0xffffff, 0xff3b4a, 0xff8a1e, 0xffe14a, 0x4ae85a, 0x3fd8ff, 0x5a7aff, 0xd86aff};
    Vec c{4, 4};
    if (frame < 8) {
        pen.fill(circle(c, 3.8f), radial(c, 3.8f, hex(kHues[frame]), hex(kHues[frame], 0.0f)));
        pen.fill(circle(c, 1.3f), lighten(hex(kHues[frame]), 0.6f));
    } else if (frame < 12) {
        static const int kTwinkleHues[4] = {0, 3, 5, 7};
        twinkle(pen, c, 3.8f, hex(kHues[kTwinkleHues[frame - 8]]));
    } else if (frame == 12) {
        pen.fill(ring(c, 2.8f, 1.0f), hex(0xffffff));
    } else if (frame == 13) {
        pen.fill(star(c, 5, 3.8f, 1.6f, 0), hex(0xffe14a));
    } else if (frame == 14) {
        pen.fill(heartShape(c, 7), hex(0xff3b5c));
    } else {
        pen.fill(rotated(rect(2, 2.8f, 4, 2.4f), c, 30), hex(0x4ae85a));
    }
}

void paintOverlay(Pen& pen, int frame) {
    // The game fills a 112 x 72 box centred in the cell and lays this over it.
    const float x = 8, y = 28, w = 112, h = 72;
    bool pressed = frame % 2 == 1, dim = frame >= 2;
    float k = dim ? 0.55f : 1.0f;
    Shape box = rect(x, y, w, h);
    if (dim) pen.fill(box, hex(0x10101c, pressed ? 0.42f : 0.32f));
    else if (pressed) pen.fill(box, hex(0x000000, 0.14f));
    Color light = hex(0xffffff, 0.55f * k), dark = hex(0x000000, 0.4f * k);
    Shape topEdge = polygon({{x, y}, {x + w, y}, {x + w - 4, y + 4}, {x + 4, y + 4}});
    Shape leftEdge = polygon({{x, y}, {x + 4, y + 4}, {x + 4, y + h - 4}, {x, y + h}});
    Shape bottomEdge = polygon({{x, y + h}, {x + 4, y + h - 4}, {x + w - 4, y + h - 4}, {x + w, y + h}});
    Shape rightEdge = polygon({{x + w, y}, {x + w, y + h}, {x + w - 4, y + h - 4}, {x + w - 4, y + 4}});
    pen.fill(unite(topEdge, leftEdge), pressed ? dark : light);
    pen.fill(unite(bottomEdge, rightEdge), pressed ? light : dark);
    if (!pressed) {
        Shape shine = roundRect(x + 6, y + 6, w - 12, h * 0.42f, 5);
        pen.fill(shine, linear({0, y + 6}, {0, y + 6 + h * 0.42f}, hex(0xffffff, 0.42f * k), hex(0xffffff, 0.06f * k)));
    } else {
        pen.fill(rect(x + 4, y + 4, w - 8, 6), linear({0, y + 4}, {0, y + 10}, hex(0x000000, 0.3f), hex(0x000000, 0.0f)));
    }
    pen.fill(outline(box, 2.0f), hex(0x0b0618, 0.7f));
}

}  // namespace art
