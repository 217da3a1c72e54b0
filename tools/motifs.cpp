// motifs.cpp - fruit-machine symbols and trophy pictures shared by several sheets
// (see motifs.h). Each is built from a few outlined, top-lit toon bodies.
#include "motifs.h"

#include <cmath>

#include "style.h"

namespace art {
namespace {

constexpr float kPi = 3.14159265358979f;

Color leafGreen() { return hex(0x3cc44a); }
Color stemBrown() { return hex(0x7a4a22); }

Shape leaf(Vec base, float len, float width, float deg) {
    Shape s = ellipse({base.x + len * 0.5f, base.y}, len * 0.5f, width * 0.5f);
    return rotated(s, base, deg);
}

void cherry(Pen& p) {
    p.fill(polyline({{11, 20}, {13, 12}, {17, 6}, {19, 4}}, 1.6f), ink());
    p.fill(polyline({{22, 21}, {21, 12}, {19, 4}}, 1.6f), ink());
    p.fill(polyline({{11, 20}, {13, 12}, {17, 6}, {19, 4}}, 0.8f), stemBrown());
    p.fill(polyline({{22, 21}, {21, 12}, {19, 4}}, 0.8f), stemBrown());
    toon(p, leaf({19, 5}, 9, 4.5f, -15), leafGreen());
    toon(p, circle({10.5f, 22}, 6.2f), hex(0xe8203a));
    toon(p, circle({21.5f, 22.5f}, 6.2f), hex(0xd4142e));
}

void lemon(Pen& p) {
    Shape body = rotated(unite(ellipse({16, 17}, 11.5f, 8.5f), unite(circle({4.8f, 17}, 2.2f), circle({27.2f, 17}, 2.2f))),
                         {16, 17}, -20);
    toon(p, body, hex(0xffd93b));
    p.fill(circle({12, 14}, 0.6f), hex(0xd8a800, 0.8f));
    p.fill(circle({19, 19}, 0.6f), hex(0xd8a800, 0.8f));
}

void orange(Pen& p) {
    toon(p, circle({16, 18}, 11.5f), hex(0xff8c1a));
    for (int i = 0; i < 5; ++i) p.fill(circle({10.0f + i * 3.1f, 21.0f + (i % 2) * 2.0f}, 0.55f), hex(0xd86400, 0.7f));
    toon(p, leaf({16, 7}, 8, 4, -25), leafGreen());
    p.fill(circle({16, 7}, 1.3f), stemBrown());
}

void plum(Pen& p) {
    toon(p, ellipse({16, 18}, 10.5f, 11.5f), hex(0x8e3bd1));
    p.fill(arc({21, 18}, 9, 150, 215, 1.0f), hex(0x5a1d8e, 0.8f));
    p.fill(capsule({16, 7}, {17.5f, 3}, 1.6f), stemBrown());
    toon(p, leaf({17, 5}, 7, 3.5f, -10), leafGreen());
}

void grapes(Pen& p) {
    const Vec berries[] = {{9, 12}, {16, 12}, {23, 12}, {12.5f, 18}, {19.5f, 18}, {16, 24}, {9, 12}};
    for (int i = 0; i < 6; ++i) toon(p, circle(berries[i], 4.4f), hex(0x7a3bd6), {0.9f, i == 0, true, 0.35f, 0.25f});
    p.fill(capsule({16, 7.5f}, {17, 3}, 1.6f), stemBrown());
    toon(p, leaf({17, 5}, 9, 4.5f, -20), leafGreen());
}

void melon(Pen& p) {
    Shape slice = intersect(circle({16, 9}, 15), rect(0, 9, 32, 20));
    toon(p, slice, hex(0x2fae3c));
    Shape flesh = intersect(circle({16, 9}, 12), rect(0, 9.5f, 32, 20));
    p.fill(intersect(circle({16, 9}, 13.2f), rect(0, 9.5f, 32, 20)), hex(0xe8f7c8));
    p.fill(flesh, linear({0, 9}, {0, 21}, hex(0xff5a6e), hex(0xe0283c)));
    const Vec seeds[] = {{10, 13}, {16, 15}, {22, 13}, {13, 18}, {19, 18}};
    for (const Vec& s : seeds) p.fill(ellipse(s, 0.9f, 1.4f), ink());
    gloss(p, flesh, 0.3f);
}

void strawberry(Pen& p) {
    std::vector<Vec> pts;
    for (int i = 0; i < 40; ++i) {
        float t = 2 * kPi * i / 40;
        float r = 11.0f * (1.0f - 0.28f * std::sin(t));
        pts.push_back({16 + r * std::cos(t) * 0.95f, 17 + r * std::sin(t) * 0.9f + (std::sin(t) > 0 ? 2.0f * std::sin(t) : 0)});
    }
    Shape berry = polygon(pts);
    toon(p, berry, hex(0xf0284a));
    for (int i = 0; i < 7; ++i) {
        Vec s{9.5f + (i % 4) * 4.2f + (i / 4) * 2.0f, 15.0f + (i / 4) * 5.0f};
        p.fill(ellipse(s, 0.6f, 0.9f), hex(0xffe27a));
    }
    toon(p, star({16, 8}, 5, 6.5f, 2.5f, 0), leafGreen(), {0.8f, false, false, 0.3f, 0.2f});
}

void banana(Pen& p) {
    Shape crescent = subtract(circle({15, 10}, 14), circle({20, 3}, 13.5f));
    crescent = intersect(crescent, rect(2, 4, 28, 24));
    toon(p, crescent, hex(0xffe14a));
    p.fill(circle({28.5f, 10.5f}, 1.5f), stemBrown());
    p.fill(circle({2.8f, 13}, 1.2f), stemBrown());
}

void bell(Pen& p) {
    std::vector<Vec> pts = {{16, 4}, {21, 6}, {23, 12}, {24, 19}, {28, 24}, {4, 24}, {8, 19}, {9, 12}, {11, 6}};
    Shape body = grow(polygon(pts), 1.2f);
    toon(p, circle({16, 26.5f}, 3), hex(0xb07a10));
    toon(p, body, hex(0xffc21a));
    p.fill(capsule({5, 24.5f}, {27, 24.5f}, 3), hex(0xe0a010));
    p.fill(circle({16, 3}, 2), ink());
}

void seven(Pen& p) {
    LabelStyle s;
    s.top = hex(0xff6b5a);
    s.bottom = hex(0xc8102e);
    s.outline = 1.3f;
    s.outlineColor = ink();
    s.shadow = 1.2f;
    label(p, "7", {16, 16.5f}, 34, s);
}

void bar(Pen& p) {
    Shape plate = roundRect(3, 9, 26, 14, 3);
    toon(p, plate, hex(0x2b3a8c));
    LabelStyle s;
    s.top = hex(0xfff2a0);
    s.bottom = hex(0xffb020);
    s.outline = 0.6f;
    s.outlineColor = ink();
    label(p, "BAR", {16, 16}, 11, s);
}

void starMotif(Pen& p) { toon(p, grow(star({16, 17}, 5, 12.5f, 5.5f, 0), 0.8f), hex(0xffcf1f)); }

void diamond(Pen& p) {
    std::vector<Vec> pts = {{9, 7}, {23, 7}, {29, 13}, {16, 28}, {3, 13}};
    Shape gem = polygon(pts);
    toon(p, gem, hex(0x3fd8ff));
    Color facet = hex(0xffffff, 0.45f);
    p.fill(polyline({{3, 13}, {29, 13}}, 0.7f), facet);
    p.fill(polyline({{9, 7}, {12, 13}, {16, 28}, {20, 13}, {23, 7}}, 0.7f), facet);
    p.fill(polygon({{12, 13}, {16, 7}, {20, 13}}), hex(0xffffff, 0.3f));
}

void clover(Pen& p) {
    p.fill(polyline({{16, 17}, {18, 24}, {22, 29}}, 2.8f), ink());
    p.fill(polyline({{16, 17}, {18, 24}, {22, 29}}, 1.4f), hex(0x2a9a3a));
    for (int i = 0; i < 4; ++i) {
        float a = i * 90.0f + 45.0f;
        Vec c{16 + 6.0f * std::cos(a * kPi / 180), 15 + 6.0f * std::sin(a * kPi / 180)};
        toon(p, rotated(heartShape(c, 11), c, a + 90), leafGreen(), {0.9f, i == 1, true, 0.35f, 0.25f});
    }
}

void horseshoe(Pen& p) {
    Shape shoe = arc({16, 15}, 9.5f, 130, 410, 6.0f);
    toon(p, shoe, hex(0xc9ced8));
    for (int i = 0; i < 6; ++i) {
        float a = (150.0f + i * 48.0f) * kPi / 180;
        p.fill(circle({16 + 9.5f * std::cos(a), 15 + 9.5f * std::sin(a)}, 0.9f), hex(0x4a4f60));
    }
}

void heartMotif(Pen& p) { toon(p, heartShape({16, 17}, 25), hex(0xff3b5c)); }

void coin(Pen& p) {
    toon(p, circle({16, 16}, 12.5f), hex(0xffc21a));
    p.fill(ring({16, 16}, 9.5f, 1.2f), hex(0xc88a00));
    p.fill(star({16, 16.5f}, 5, 6, 2.6f, 0), hex(0xfff0a0));
    p.fill(outline(star({16, 16.5f}, 5, 6, 2.6f, 0), 0.6f), hex(0xc88a00));
}

void trophy(Pen& p) {
    Shape cup = unite(intersect(circle({16, 8}, 10), rect(6, 8, 20, 11)), rect(6, 4, 20, 5));
    Shape handles = unite(ring({6.5f, 11}, 3.2f, 1.8f), ring({25.5f, 11}, 3.2f, 1.8f));
    toon(p, handles, hex(0xffc21a), {1.0f, true, false, 0.3f, 0.2f});
    toon(p, unite(unite(cup, rect(14, 17, 4, 6)), roundRect(9, 23, 14, 5, 1.5f)), hex(0xffc21a));
    p.fill(star({16, 10.5f}, 5, 3.6f, 1.6f, 0), hex(0xfff4b0));
}

void crown(Pen& p) {
    std::vector<Vec> pts = {{4, 25}, {4, 10}, {10, 17}, {16, 6}, {22, 17}, {28, 10}, {28, 25}};
    toon(p, polygon(pts), hex(0xffc21a));
    p.fill(rect(4, 21, 24, 1.2f), hex(0xc88a00));
    p.fill(circle({16, 16}, 2.2f), hex(0xff3b5c));
    p.fill(circle({9, 19}, 1.5f), hex(0x3fd8ff));
    p.fill(circle({23, 19}, 1.5f), hex(0x3fd8ff));
}

void bolt(Pen& p) {
    std::vector<Vec> pts = {{19, 2}, {7, 18}, {15, 18}, {12, 30}, {25, 13}, {17, 13}, {21, 2}};
    toon(p, polygon(pts), hex(0xffe14a));
}

void rocket(Pen& p) {
    Shape hull = rotated(unite(ellipse({16, 16}, 5.5f, 11), polygon({{10.5f, 18}, {6, 26}, {12, 24}})), {16, 16}, 0);
    hull = unite(hull, polygon({{21.5f, 18}, {26, 26}, {20, 24}}));
    p.fill(polygon({{13, 26}, {16, 31}, {19, 26}}), hex(0xffa020));
    toon(p, rotated(hull, {16, 16}, 35), hex(0xeef0ff));
    Vec w = {16 + 3.0f * std::sin(35 * kPi / 180), 16 - 3.0f * std::cos(35 * kPi / 180)};
    toon(p, circle(w, 2.6f), hex(0x3fa8ff), {0.8f, false, true, 0.4f, 0.2f});
}

void gem(Pen& p) {
    toon(p, regular({16, 16}, 6, 12, 0), hex(0x3cf07a));
    p.fill(regular({16, 16}, 6, 6.5f, 0), hex(0xffffff, 0.3f));
}

void moon(Pen& p) {
    toon(p, subtract(circle({15, 16}, 12), circle({21, 12}, 10)), hex(0xfff2a0));
    twinkle(p, {24, 22}, 3.5f, hex(0xffffff));
}

void key(Pen& p) {
    Shape k = unite(ring({10, 12}, 5.5f, 3.5f), capsule({14, 15}, {26, 27}, 3.2f));
    k = unite(k, capsule({21, 22}, {24, 19}, 3));
    toon(p, k, hex(0xffc21a));
}

}  // namespace

Shape heartShape(Vec c, float size) {
    std::vector<Vec> pts;
    float k = size / 34.0f;
    for (int i = 0; i < 48; ++i) {
        float t = 2 * kPi * i / 48;
        float s = std::sin(t);
        float x = 16 * s * s * s;
        float y = -(13 * std::cos(t) - 5 * std::cos(2 * t) - 2 * std::cos(3 * t) - std::cos(4 * t));
        pts.push_back({c.x + x * k, c.y + (y - 2.5f) * k});  // the curve spans y -12..17
    }
    return polygon(pts);
}

void drawDie(Pen& p, int face, Color body, Color pips) {
    Shape cube = roundRect(4, 4, 24, 24, 5.5f);
    toon(p, cube, body, {1.1f, true, true, 0.15f, 0.18f});
    static const int layout[7][7][2] = {
        {},
        {{1, 1}},
        {{0, 0}, {2, 2}},
        {{0, 0}, {1, 1}, {2, 2}},
        {{0, 0}, {2, 0}, {0, 2}, {2, 2}},
        {{0, 0}, {2, 0}, {1, 1}, {0, 2}, {2, 2}},
        {{0, 0}, {2, 0}, {0, 1}, {2, 1}, {0, 2}, {2, 2}},
    };
    for (int i = 0; i < face && face <= 6; ++i) {
        Vec c{9.5f + layout[face][i][0] * 6.5f, 9.5f + layout[face][i][1] * 6.5f};
        p.fill(circle(c, 2.5f), radial({c.x - 0.6f, c.y - 0.6f}, 2.6f, lighten(pips, 0.3f), pips));
    }
}

void drawMotif(Pen& pen, Motif m) {
    switch (m) {
        case Motif::Cherry: cherry(pen); break;
        case Motif::Lemon: lemon(pen); break;
        case Motif::Orange: orange(pen); break;
        case Motif::Plum: plum(pen); break;
        case Motif::Grapes: grapes(pen); break;
        case Motif::Melon: melon(pen); break;
        case Motif::Strawberry: strawberry(pen); break;
        case Motif::Banana: banana(pen); break;
        case Motif::Bell: bell(pen); break;
        case Motif::Seven: seven(pen); break;
        case Motif::Bar: bar(pen); break;
        case Motif::Star: starMotif(pen); break;
        case Motif::Diamond: diamond(pen); break;
        case Motif::Clover: clover(pen); break;
        case Motif::Horseshoe: horseshoe(pen); break;
        case Motif::Heart: heartMotif(pen); break;
        case Motif::Coin: coin(pen); break;
        case Motif::Trophy: trophy(pen); break;
        case Motif::Crown: crown(pen); break;
        case Motif::Bolt: bolt(pen); break;
        case Motif::Rocket: rocket(pen); break;
        case Motif::Gem: gem(pen); break;
        case Motif::Moon: moon(pen); break;
        case Motif::Key: key(pen); break;
    }
}

void placeMotif(Pen& pen, Motif m, Vec c, float size) {
    float k = size / kMotifBox;
    Pen sub = pen.sub(c.x - size * 0.5f, c.y - size * 0.5f, k);
    drawMotif(sub, m);
}

void litBack(Pen& pen, Color tint) {
    pen.fill(roundRect(1, 1, 30, 30, 6), radial({16, 16}, 17, withAlpha(lighten(tint, 0.5f), 0.95f), withAlpha(tint, 0.25f)));
    pen.fill(outline(roundRect(1.5f, 1.5f, 29, 29, 6), 1.2f), hex(0xffffff, 0.85f));
}

void litFront(Pen& pen, Color tint) {
    twinkle(pen, {6.5f, 7}, 3.2f, lighten(tint, 0.7f));
    twinkle(pen, {26, 25}, 2.6f, lighten(tint, 0.7f));
}

}  // namespace art
