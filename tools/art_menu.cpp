// art_menu.cpp - the big pictures: the menu backdrop and title art, the title
// wordmark, the studio and title emblem of the loading screen, and the sheet of
// 64 achievement badges.
#include <algorithm>
#include <cmath>

#include "catalogue.h"
#include "motifs.h"
#include "style.h"

namespace art {
namespace {

constexpr float kPi = 3.14159265358979f;
const char* const kTitle = "TUMBLEROO";
const unsigned kLetterColors[9] = {0xff3b4a, 0xff8a1e, 0xffd23a, 0x4ae85a, 0x32d8f0,
                                   0x4a7aff, 0xa05aff, 0xff5ab4, 0xff3b4a};

// The title: each letter its own colour, tipped left and right as if tumbling.
void wordmark(Pen& pen, Vec c, float em) {
    const Font& f = font(Face::SansBold);
    float spacing = -em * 0.02f;
    float total = 0;
    for (int i = 0; kTitle[i]; ++i) total += f.advance(kTitle[i], em) + spacing;
    float x = c.x - total * 0.5f;
    float outlineW = em * 0.09f;
    for (int i = 0; kTitle[i]; ++i) {
        float adv = f.advance(kTitle[i], em);
        Vec mid{x + adv * 0.5f, c.y + ((i % 2) ? em * 0.05f : -em * 0.05f)};
        Shape letter = f.textShape(std::string(1, kTitle[i]), {x, mid.y + f.capHeight(em) * 0.5f}, em, pen.scale(),
                                   outlineW + 2.0f);
        letter = rotated(letter, mid, (i % 2) ? 7.0f : -7.0f);
        pen.fill(moved(grow(letter, outlineW), em * 0.03f, em * 0.07f), shade(0.5f), em * 0.04f);
        pen.fill(grow(letter, outlineW), ink());
        Color col = hex(kLetterColors[i]);
        float top = mid.y - f.capHeight(em) * 0.5f;
        pen.fill(letter, linear({0, top}, {0, top + f.capHeight(em)}, lighten(col, 0.45f), darken(col, 0.15f)));
        pen.fill(intersect(letter, rect(x - 2, top - 2, adv + 4, f.capHeight(em) * 0.38f)), hex(0xffffff, 0.3f));
        x += adv + spacing;
    }
}

// Alternating rays fading out from c, drawn in one pass: a ray's edge is
// anti-aliased by its distance along the arc at that radius.
void sunburst(Pen& pen, Vec c, float r, int rays, Color col) {
    float period = 2 * kPi / rays;
    float px = 1.0f / pen.scale();
    Paint p{[c, r, period, px, col](Vec q) {
        float dx = q.x - c.x, dy = q.y - c.y, dist = std::sqrt(dx * dx + dy * dy);
        float a = std::atan2(dy, dx) + kPi;
        float phase = a - period * std::floor(a / period);       // 0..period
        float edge = std::min(phase, period * 0.5f - phase);      // >0 inside the lit half
        float cover = std::clamp(edge * dist / px + 0.5f, 0.0f, 1.0f);
        float fade = std::max(0.0f, 1.0f - dist / r);
        return withAlpha(col, col.a * cover * fade);
    }};
    pen.fill(circle(c, r), p);
}

// Deterministic scatter: a small linear congruential sequence with a fixed seed.
struct Scatter {
    unsigned state;
    float next() {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) / 16777216.0f;
    }
};

void backdrop(Pen& pen) {
    Vec c{128, 128};
    pen.fill(rect(0, 0, 256, 256), radial(c, 180, hex(0x4a2aa0), hex(0x10082a)));
    sunburst(pen, c, 190, 18, hex(0xffffff, 0.07f));
    Scatter s{12345u};
    for (int i = 0; i < 60; ++i) {
        Vec p{s.next() * 256, s.next() * 256};
        float r = 0.4f + s.next() * 0.8f;
        pen.fill(circle(p, r), hex(0xe0e8ff, 0.25f + s.next() * 0.4f));
    }
    for (int i = 0; i < 8; ++i) twinkle(pen, {s.next() * 256, s.next() * 256}, 2.0f + s.next() * 2, hex(0xfff4c0, 0.6f));
    for (int i = 0; i < 5; ++i) pen.fill(ring(c, 40.0f + i * 26, 1.0f), hex(0xffffff, 0.05f));
}

void marqueePanel(Pen& pen) {
    Shape panel = roundRect(8, 40, 240, 176, 20);
    toon(pen, panel, hex(0xd8283c), {3, true, false, 0.25f, 0.3f});
    pen.fill(roundRect(22, 54, 212, 148, 10), linear({0, 54}, {0, 202}, hex(0x2a1a60), hex(0x120a30)));
    for (int i = 0; i < 14; ++i) {
        float t = i / 13.0f;
        Vec top{22 + t * 212, 47}, bottom{22 + t * 212, 209};
        for (Vec b : {top, bottom}) {
            glow(pen, b, 5, hex(0xffe14a, 0.6f));
            pen.fill(circle(b, 2.6f), (i % 2) ? hex(0xfff4c0) : hex(0xffb020));
        }
    }
}

void titleArt(Pen& pen) {
    glow(pen, {128, 112}, 120, hex(0xffffff, 0.12f));
    wordmark(pen, {128, 104}, 35);
    const Motif row[5] = {Motif::Cherry, Motif::Seven, Motif::Bell, Motif::Star, Motif::Diamond};
    for (int i = 0; i < 5; ++i) placeMotif(pen, row[i], {64.0f + i * 32, 150}, 26);
}

void badgeShape(int kind, Shape& out) {
    Vec c{32, 31};
    switch (kind) {
        case 0: out = circle(c, 25); break;
        case 1: out = polygon({{10, 8}, {54, 8}, {54, 30}, {32, 57}, {10, 30}}); out = grow(out, 1.5f); break;
        case 2: out = regular(c, 6, 27, 30); break;
        case 3: out = star(c, 12, 28, 23, 0); break;
        case 4: out = roundRect(7, 6, 50, 50, 12); break;
        case 5: out = regular(c, 8, 27, 22.5f); break;
        case 6: out = grow(regular(c, 4, 26, 0), 2); break;
        default: out = circle({32, 27}, 21); break;
    }
}

const unsigned kBadgeColors[8] = {0xc87a3a, 0xb8c0d0, 0xffc21a, 0xe8283c, 0x2fae3c, 0x3a6cf0, 0x9a4ae0, 0x28c8c8};

}  // namespace

void paintMenu(Pen& pen, int frame) {
    switch (frame) {
        case 0: backdrop(pen); break;
        case 1: marqueePanel(pen); break;
        case 2: titleArt(pen); break;
        default:
            sunburst(pen, {128, 128}, 128, 12, hex(0xfff4c0, 0.35f));
            glow(pen, {128, 128}, 60, hex(0xffffff, 0.5f));
            break;
    }
}

void paintWordmark(Pen& pen, int) {
    glow(pen, {128, 62}, 90, hex(0xffffff, 0.12f));
    wordmark(pen, {128, 60}, 35);
    for (int i = 0; i < 3; ++i) twinkle(pen, {40.0f + i * 88, i == 1 ? 104.0f : 20.0f}, 5, hex(0xfff4c0));
}

namespace {

// The badge is drawn at a little over half the frame, centred: the menu shows the
// frame at half size centred 40 units below its top edge and 70 left of its right
// edge, above the "Top 10" heading at 80, so the badge must stay within about 34
// units (68 frame units) of the centre. kBadgeScale shrinks the 242-unit design.
constexpr float kBadgeScale = 0.52f;

void paintStudioBadge(Pen& pen) {
    Vec c{128, 128};
    toon(pen, circle(c, 118), hex(0xffc21a), {3, true, false, 0.3f, 0.3f});
    pen.fill(circle(c, 106), radial({128, 100}, 120, hex(0x5a3ab8), hex(0x140a38)));
    sunburst(pen, c, 106, 16, hex(0xffffff, 0.12f));
    for (int i = 0; i < 24; ++i) {
        float a = 2 * kPi * i / 24;
        Vec b{c.x + 112 * std::cos(a), c.y + 112 * std::sin(a)};
        pen.fill(circle(b, 2.6f), (i % 2) ? hex(0xfff8d0) : hex(0xff7a1e));
    }
    LabelStyle studio;
    studio.outline = 2.0f;
    studio.outlineColor = ink();
    studio.top = hex(0xffffff);
    studio.bottom = hex(0xbfd4ff);
    label(pen, "VEXO", {128, 54}, 30, studio);
    Pen dice = pen.sub(74, 70, 2.2f);
    drawDie(dice, 5, hex(0xfbfbff), hex(0x1c1830));
    placeMotif(pen, Motif::Cherry, {170, 110}, 56);
    // Ribbon banner with the game's name.
    Shape ribbon = polygon({{18, 150}, {238, 150}, {226, 168}, {238, 186}, {18, 186}, {30, 168}});
    toon(pen, ribbon, hex(0xe8283c), {2, true, false, 0.3f, 0.3f});
    LabelStyle name;
    name.outline = 1.6f;
    name.outlineColor = ink();
    name.top = hex(0xfff8d0);
    name.bottom = hex(0xffc21a);
    label(pen, kTitle, {128, 168}, 25, name);
    for (int i = 0; i < 3; ++i) twinkle(pen, {88.0f + i * 40, 212.0f - (i % 2) * 8}, 6, hex(0xfff4c0));
}

}  // namespace

void paintStudioLogo(Pen& pen, int) {
    Pen badge = pen.sub(128 * (1 - kBadgeScale), 128 * (1 - kBadgeScale), kBadgeScale);
    paintStudioBadge(badge);
}

void paintBadges(Pen& pen, int frame) {
    int row = frame / 8, col = frame % 8;
    Color base = hex(kBadgeColors[row]);
    if (row == 7) {  // medals hang from a ribbon
        pen.fill(polygon({{22, 40}, {30, 40}, {26, 60}, {20, 55}}), hex(0x3a6cf0));
        pen.fill(polygon({{34, 40}, {42, 40}, {44, 55}, {38, 60}}), hex(0xe8283c));
    }
    Shape body;
    badgeShape(row, body);
    toon(pen, body, base, {1.8f, true, false, 0.35f, 0.3f});
    pen.fill(outline(grow(body, -3.5f), 1.4f), hex(0xffffff, 0.45f));
    Vec centre{32, row == 7 ? 27.0f : 31.0f};
    glow(pen, centre, 18, hex(0xffffff, 0.3f));
    placeMotif(pen, static_cast<Motif>((row * 8 + col * 3) % kMotifCount), centre, 30);
    gloss(pen, body, 0.3f);
}

}  // namespace art
