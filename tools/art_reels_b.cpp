// art_reels_b.cpp - the reel sheets of the three action machines: space lanes
// and the ship (Reel_UFO), the dot-eating walker and its monsters
// (Reel_Cubewick), and the platform tiles with their runner (Reel_Plat).
// Frame numbers are the ones the machines draw; characters face right.
#include <cmath>

#include "catalogue.h"
#include "motifs.h"
#include "style.h"

namespace art {
namespace {

constexpr float kPi = 3.14159265358979f;
float rad(float deg) { return deg * kPi / 180.0f; }

// ---- Reel_UFO ------------------------------------------------------------

void spaceTile(Pen& p) {
    const Vec stars[] = {{5, 7}, {23, 4}, {13, 18}, {28, 24}, {8, 28}};
    for (int i = 0; i < 5; ++i) p.fill(circle(stars[i], i % 2 ? 0.5f : 0.7f), hex(0xcfe0ff, i % 2 ? 0.35f : 0.55f));
}

void asteroid(Pen& p) {
    std::vector<Vec> pts;
    const float bumps[] = {11, 12.5f, 10, 12, 11.5f, 9.5f, 12, 10.5f, 11.8f, 10.2f};
    for (int i = 0; i < 10; ++i) {
        float a = rad(i * 36.0f);
        pts.push_back({16 + bumps[i] * std::cos(a), 16 + bumps[i] * 0.9f * std::sin(a)});
    }
    toon(p, grow(polygon(pts), 0.5f), hex(0x9a7a62));
    p.fill(circle({12, 18}, 3), hex(0x5e4636, 0.7f));
    p.fill(circle({20, 12}, 2), hex(0x5e4636, 0.7f));
    p.fill(circle({21, 21}, 1.5f), hex(0x5e4636, 0.7f));
}

void comet(Pen& p) {
    p.fill(polygon({{19, 12}, {2, 2}, {12, 20}}), linear({18, 15}, {3, 3}, hex(0x8fe8ff, 0.9f), hex(0x8fe8ff, 0.0f)));
    p.fill(polygon({{20, 16}, {6, 14}, {16, 23}}), linear({19, 17}, {7, 15}, hex(0xffffff, 0.7f), hex(0xffffff, 0.0f)));
    glow(p, {21, 19}, 10, hex(0x8fe8ff, 0.6f));
    toon(p, circle({21, 19}, 5.5f), hex(0xdff8ff), {0.9f, false, true, 0.3f, 0.3f});
}

void satellite(Pen& p) {
    Shape panels = unite(roundRect(3, 12, 8, 8, 1), roundRect(21, 12, 8, 8, 1));
    toon(p, panels, hex(0x3a6cf0), {0.9f, true, false, 0.3f, 0.2f});
    for (float x : {5.5f, 8.0f, 23.5f, 26.0f}) p.fill(rect(x, 12, 0.6f, 8), hex(0xbfd4ff, 0.6f));
    p.fill(rect(10, 15.3f, 12, 1.4f), ink());
    toon(p, roundRect(12, 10, 8, 12, 2), hex(0xd8dce8));
    p.fill(capsule({16, 10}, {16, 5}, 1), ink());
    p.fill(circle({16, 4.5f}, 1.6f), hex(0xff4a4a));
}

void saucer(Pen& p) {
    toon(p, ellipse({16, 13}, 6.5f, 6), hex(0x9ff0ff), {0.9f, false, true, 0.3f, 0.1f});
    p.fill(circle({16, 13.5f}, 3), hex(0x52d65e));
    p.fill(circle({14.8f, 12.8f}, 0.9f), ink());
    p.fill(circle({17.2f, 12.8f}, 0.9f), ink());
    toon(p, ellipse({16, 19}, 13, 5), hex(0xc0c6d8));
    for (int i = 0; i < 4; ++i) p.fill(circle({8.5f + i * 5, 20}, 1.1f), hex(0xffe14a));
}

void ship(Pen& p, int flame) {
    float f = 5.0f + flame * 2.0f;
    p.fill(polygon({{8, 13}, {8 - f, 16}, {8, 19}}), linear({8, 16}, {8 - f, 16}, hex(0xffe14a), hex(0xff5a1e, 0.2f)));
    Shape fins = unite(polygon({{9, 9}, {15, 12}, {12, 13}}), polygon({{9, 23}, {15, 20}, {12, 19}}));
    toon(p, fins, hex(0xe8283c), {0.9f, true, false, 0.3f, 0.2f});
    Shape hull = unite(ellipse({17, 16}, 11, 5.5f), roundRect(7, 12, 6, 8, 2));
    toon(p, hull, hex(0xf4f6ff));
    p.fill(intersect(hull, rect(24, 8, 8, 16)), hex(0xe8283c));
    toon(p, circle({19, 15.5f}, 2.6f), hex(0x3fa8ff), {0.8f, false, true, 0.45f, 0.2f});
}

void explosion(Pen& p, int step) {
    float r = 5.0f + step * 3.0f, fade = 1.0f - step * 0.22f;
    glow(p, {16, 16}, r + 3, hex(0xff8a1e, 0.8f * fade));
    p.fill(star({16, 16}, 8, r, r * 0.55f, step * 11.0f), hex(0xffd23a, fade));
    p.fill(circle({16, 16}, r * 0.4f), hex(0xffffff, fade));
}

// ---- Reel_Cubewick -------------------------------------------------------

const unsigned kMonsterColors[4] = {0xff3b4a, 0xb04ae8, 0x2a8cf0, 0xff9a2a};

// Monsters: round critters on two stubby feet, each with its own crest so they
// differ in outline as well as colour.
Shape monsterBody(int kind) {
    Shape body = unite(circle({16, 16}, 9.5f), unite(ellipse({11.5f, 25.5f}, 3, 2), ellipse({20.5f, 25.5f}, 3, 2)));
    switch (kind) {
        case 0: return unite(body, star({16, 16}, 10, 12.5f, 9.0f, 0));
        case 1: return unite(body, unite(regular({9.5f, 7.5f}, 3, 3.5f, -25), regular({22.5f, 7.5f}, 3, 3.5f, 25)));
        case 2: return unite(body, unite(capsule({16, 7}, {16, 4}, 1.2f), circle({16, 3.8f}, 1.6f)));
        default: return unite(body, unite(circle({8, 9}, 3), circle({24, 9}, 3)));
    }
}

void monster(Pen& p, int kind, bool scared) {
    Shape body = monsterBody(kind);
    toon(p, body, scared ? hex(0xd8dcf8) : hex(kMonsterColors[kind]));
    if (scared) {  // pale, trembling and sweating: safe to eat
        p.fill(circle({12.5f, 14.5f}, 1.4f), ink());
        p.fill(circle({19.5f, 14.5f}, 1.4f), ink());
        std::vector<Vec> zig;
        for (int i = 0; i <= 6; ++i) zig.push_back({11.0f + i * 1.7f, (i % 2) ? 19.0f : 20.5f});
        p.fill(polyline(zig, 0.9f), ink());
        p.fill(unite(circle({24, 10}, 1.6f), polygon({{22.6f, 9.5f}, {24, 6.5f}, {25.4f, 9.5f}})), hex(0x5ab8ff));
        return;
    }
    bool cyclops = (kind == 2);
    const float eyesX[2] = {12.5f, 19.5f};
    for (int e = 0; e < (cyclops ? 1 : 2); ++e) {
        Vec c{cyclops ? 16.0f : eyesX[e], 14.5f};
        float r = cyclops ? 3.8f : 2.7f;
        p.fill(circle(c, r), hex(0xffffff));
        p.fill(circle({c.x - r * 0.35f, c.y + 0.3f}, r * 0.5f), ink());
    }
    p.fill(arc({16, 17}, 3.5f, 30, 150, 1.0f), ink());  // a toothy grin
}

void dot(Pen& p) {
    glow(p, {16, 16}, 6, hex(0xfff2c0, 0.5f));
    p.fill(circle({16, 16}, 2.8f), radial({15.2f, 15.2f}, 3, hex(0xffffff), hex(0xffd9a0)));
}

void powerPill(Pen& p) {
    glow(p, {16, 16}, 13, hex(0xff9ae0, 0.7f));
    toon(p, circle({16, 16}, 7), hex(0xffb8ec), {0.9f, false, true, 0.4f, 0.15f});
    twinkle(p, {21, 10}, 3, hex(0xffffff));
}

// The walker: a mint-green cube with a face on its right side; it chomps by
// opening a wide slot of a mouth.
void walker(Pen& p, bool open, int stride) {
    float lf = stride ? 2.0f : -2.0f;
    toon(p, roundRect(9 + lf, 24, 5, 4, 1.5f), hex(0x1f8a4a), {0.9f, false, false, 0.2f, 0.2f});
    toon(p, roundRect(18 - lf, 24, 5, 4, 1.5f), hex(0x1f8a4a), {0.9f, false, false, 0.2f, 0.2f});
    Shape cube = roundRect(5, 5, 22, 20, 4);
    toon(p, cube, hex(0x5ae88a));
    p.fill(circle({17, 11}, 2.4f), hex(0xffffff));
    p.fill(circle({23, 11}, 2.4f), hex(0xffffff));
    p.fill(circle({17.8f, 11.3f}, 1.2f), ink());
    p.fill(circle({23.8f, 11.3f}, 1.2f), ink());
    if (open) {
        p.fill(roundRect(15, 15.5f, 10, 6, 2.5f), hex(0x6a1020));
        p.fill(roundRect(17, 19, 6, 2.5f, 1.2f), hex(0xff7a8a));
    } else {
        p.fill(capsule({16, 18}, {24, 18}, 1.0f), ink());
    }
}

void crumbs(Pen& p) {
    const Vec bits[] = {{11, 23}, {16, 25}, {21, 22}, {14, 20}, {19, 26}};
    for (int i = 0; i < 5; ++i) p.fill(circle(bits[i], 0.9f + (i % 2) * 0.4f), hex(0xffe6a0, 0.45f));
    p.fill(ellipse({16, 25}, 8, 2), hex(0x000000, 0.25f));
}

void walkerDying(Pen& p, int step) {
    if (step >= 6) {
        float r = 6.0f + (step - 6) * 4.0f;
        for (int i = 0; i < 8; ++i) {
            float a = rad(i * 45.0f + step * 10);
            twinkle(p, {16 + r * std::cos(a), 16 + r * std::sin(a)}, 2.4f, hex(0xffe14a, step == 6 ? 1.0f : 0.6f));
        }
        return;
    }
    float k = 1.0f - step * 0.13f;
    Shape cube = rotated(scaled(roundRect(5, 5, 22, 20, 4), {16, 16}, k, k * (1.0f - step * 0.05f)), {16, 16}, step * 30.0f);
    toon(p, cube, hex(0x5ae88a));
    float e = 2.2f * k;
    Shape x1 = capsule({14 - e, 12 - e}, {14 + e, 12 + e}, 1.2f), x2 = capsule({14 - e, 12 + e}, {14 + e, 12 - e}, 1.2f);
    Shape y1 = capsule({19 - e, 12 - e}, {19 + e, 12 + e}, 1.2f), y2 = capsule({19 - e, 12 + e}, {19 + e, 12 - e}, 1.2f);
    p.fill(rotated(uniteAll({x1, x2, y1, y2}), {16, 16}, step * 30.0f), ink());
}

// ---- Reel_Plat -----------------------------------------------------------

constexpr float kFloorTop = 24.0f;  // top of the ground strip; the runner's feet

void ground(Pen& p) {
    p.fill(rect(0, kFloorTop, 32, 32 - kFloorTop), linear({0, kFloorTop}, {0, 32}, hex(0xa8663a), hex(0x6a3a1c)));
    for (int i = 0; i < 4; ++i) p.fill(circle({4.0f + i * 8 + (i % 2) * 2, 29.0f - (i % 2) * 1.5f}, 0.9f), hex(0x4a2810, 0.7f));
    p.fill(rect(0, kFloorTop - 1, 32, 3), linear({0, kFloorTop - 1}, {0, kFloorTop + 2}, hex(0x7cf05a), hex(0x2fae3c)));
    for (int i = 0; i < 8; ++i) p.fill(circle({2.0f + i * 4, kFloorTop + 2}, 1.3f), hex(0x2fae3c));
}

void wall(Pen& p) {
    p.fill(rect(0, 0, 32, 32), hex(0x5a2a2a));
    for (int row = 0; row < 4; ++row) {
        float off = (row % 2) ? -6.0f : 0.0f;
        for (int col = 0; col < 3; ++col) {
            Shape brick = roundRect(off + col * 12 + 0.8f, row * 8 + 0.8f, 10.4f, 6.4f, 1.2f);
            p.fill(brick, linear({0, row * 8.0f}, {0, row * 8.0f + 8}, hex(0xe0704a), hex(0xa8402a)));
        }
        p.fill(rect(off + 36 + 0.8f - 12, row * 8 + 0.8f, 10.4f, 6.4f), hex(0xc45838));
    }
}

void ladder(Pen& p) {
    ground(p);
    Shape rails = unite(rect(9, 0, 2.4f, kFloorTop), rect(20.6f, 0, 2.4f, kFloorTop));
    std::vector<Shape> parts = {rails};
    for (int i = 0; i < 4; ++i) parts.push_back(rect(10, 3.0f + i * 6, 12, 1.8f));
    toon(p, uniteAll(parts), hex(0xe0a050), {0.7f, true, false, 0.3f, 0.2f});
}

void coinTile(Pen& p) {
    ground(p);
    glow(p, {16, 13}, 10, hex(0xffe14a, 0.45f));
    placeMotif(p, Motif::Coin, {16, 13}, 16);
}

void spikes(Pen& p) {
    ground(p);
    std::vector<Shape> teeth;
    for (int i = 0; i < 4; ++i) teeth.push_back(polygon({{1.0f + i * 7.5f, kFloorTop}, {4.75f + i * 7.5f, 11}, {8.5f + i * 7.5f, kFloorTop}}));
    toon(p, uniteAll(teeth), hex(0xd8dce8), {0.8f, true, false, 0.3f, 0.35f});
    for (int i = 0; i < 4; ++i) p.fill(circle({4.75f + i * 7.5f, 12.5f}, 0.9f), hex(0xff3b4a));
}

void dropTile(Pen& p) {
    ground(p);
    p.fill(roundRect(8, kFloorTop - 1, 16, 9, 1.5f), hex(0x140806));
    p.fill(rect(8, kFloorTop - 1, 16, 1.2f), hex(0xffd23a));
    std::vector<Vec> arrow = {{16, 21}, {23, 13}, {19, 13}, {19, 6}, {13, 6}, {13, 13}, {9, 13}};
    toon(p, polygon(arrow), hex(0x3fa8ff));
}

void door(Pen& p) {
    ground(p);
    Shape frame = unite(roundRect(6, 4, 20, kFloorTop - 2, 9), rect(6, 14, 20, kFloorTop - 14));
    toon(p, frame, hex(0x8a8f9e), {0.9f, true, false, 0.3f, 0.2f});
    Shape opening = grow(frame, -2.5f);
    p.fill(opening, linear({0, 6}, {0, kFloorTop}, hex(0x3a1c10), hex(0x120806)));
    p.fill(circle({16, 9.5f}, 1.8f), hex(0xffd23a));
}

// The runner: a plump round bird with a two-feather quill plume on its head,
// facing right. Curling up (riding, falling) tucks it into a feathered ball.
struct Pose {
    float bob = 0, lean = 0;
    float footA = 0, footB = 0;  // horizontal foot offsets
    float curl = 0;              // 0 standing .. 1 tucked into a ball
    bool eyesClosed = false;
    bool cheer = false;
};

void runner(Pen& p, const Pose& s) {
    Vec c{15, 15.5f + s.bob + s.curl * 3};
    float r = 7.5f - s.curl * 1.0f;
    if (s.curl < 0.9f) {
        p.fill(capsule({c.x - 2 + s.footA, 20}, {c.x - 2 + s.footA, 23.5f}, 1.2f), hex(0xff8a1e));
        p.fill(capsule({c.x + 2 + s.footB, 20}, {c.x + 2 + s.footB, 23.5f}, 1.2f), hex(0xff8a1e));
        toon(p, roundRect(c.x - 4.5f + s.footA, 22.5f, 5, 2.2f, 1), hex(0xff8a1e), {0.7f, false, false, 0.2f, 0.2f});
        toon(p, roundRect(c.x + s.footB, 22.5f, 5, 2.2f, 1), hex(0xff8a1e), {0.7f, false, false, 0.2f, 0.2f});
    }
    Vec top{c.x - 1, c.y - r + 1};
    Shape plume = unite(rotated(ellipse({top.x, top.y - 4}, 1.6f, 4.5f), top, -20 + s.curl * 40),
                        rotated(ellipse({top.x, top.y - 3.5f}, 1.4f, 3.8f), top, -50 + s.curl * 40));
    Shape body = rotated(unite(circle(c, r), plume), c, s.lean);
    toon(p, body, hex(0x3ac0ff));
    Shape wing = rotated(ellipse({c.x - 2.5f, c.y + 1.5f}, 3.8f, 2.6f), {c.x - 2.5f, c.y + 1.5f}, s.cheer ? -50.0f : 15.0f);
    p.fill(wing, hex(0x1f7ad0));
    if (s.curl > 0.9f) {
        p.fill(arc({c.x + 2, c.y - 1}, 2.2f, 200, 340, 0.9f), ink());
        return;
    }
    p.fill(ellipse({c.x + 3, c.y + 2.5f}, 3.8f, 3.2f), hex(0xe8f8ff));
    p.fill(polygon({{c.x + 6, c.y - 1}, {c.x + 10.5f, c.y + 0.5f}, {c.x + 6, c.y + 2}}), hex(0xffb020));
    if (s.eyesClosed) p.fill(arc({c.x + 3.5f, c.y - 2}, 1.4f, 200, 340, 0.8f), ink());
    else {
        p.fill(circle({c.x + 3.5f, c.y - 2}, 1.9f), hex(0xffffff));
        p.fill(circle({c.x + 4.2f, c.y - 1.8f}, 1.0f), ink());
    }
    if (s.cheer) {
        twinkle(p, {26, 5}, 3, hex(0xffe14a));
        twinkle(p, {5, 8}, 2.4f, hex(0xffe14a));
    }
}

Pose platPose(int frame) {
    Pose s;
    switch (frame) {
        case 17: s.footA = -2; s.footB = 2; s.bob = -0.5f; break;
        case 18: s.footA = 0; s.footB = 0; s.bob = -1.0f; break;
        case 19: s.footA = 2; s.footB = -2; s.bob = -0.5f; break;
        case 20: s.footA = 0; s.footB = 0; s.bob = 0; s.lean = 6; break;
        case 21: s.curl = 0.35f; s.lean = 10; break;
        case 22: s.curl = 0.7f; s.eyesClosed = true; break;
        case 23: s.curl = 1.0f; break;
        case 31: s.cheer = true; s.bob = -2; s.footA = -1; s.footB = 1; break;
        default: break;
    }
    return s;
}

}  // namespace

void paintReelUfo(Pen& pen, int frame) {
    switch (frame) {
        case 0: spaceTile(pen); break;
        case 1: asteroid(pen); break;
        case 2: comet(pen); break;
        case 3: satellite(pen); break;
        case 4: saucer(pen); break;
        case 16: case 17: case 18: ship(pen, frame - 16); break;
        case 20: case 21: case 22: case 23: explosion(pen, frame - 20); break;
        default: break;
    }
}

void paintReelCubewick(Pen& pen, int frame) {
    int bank = frame / 8, sym = frame % 8;
    if (bank < 2) {
        if (sym == 0) dot(pen);
        else if (sym == 1) placeMotif(pen, Motif::Cherry, {16, 16}, 24);
        else if (sym == 2) powerPill(pen);
        else if (sym <= 6) monster(pen, sym - 3, bank == 1);
    } else if (frame == 16 || frame == 17) {
        walker(pen, frame == 16, frame - 16);
    } else if (frame == 18) {
        crumbs(pen);
    } else if (frame >= 24) {
        walkerDying(pen, frame - 24);
    }
}

void paintReelPlat(Pen& pen, int frame) {
    switch (frame) {
        case 0: ground(pen); break;
        case 1: wall(pen); break;
        case 2: ladder(pen); break;
        case 3: coinTile(pen); break;
        case 4: spikes(pen); break;
        case 5: dropTile(pen); break;
        case 10: door(pen); break;
        default:
            if ((frame >= 16 && frame <= 23) || frame == 31) runner(pen, platPose(frame));
            break;
    }
}

}  // namespace art
