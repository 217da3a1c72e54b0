// raster_test.cpp - the art tool's rasteriser: anti-aliased coverage that adds
// up to the shape's area at every scale, "over" compositing, clipping to the
// cell, sub-pens, shape algebra, gradients and the 8-bit conversion.
#include <gtest/gtest.h>

#include <cmath>

#include "raster.h"

namespace {

using namespace art;

float alphaSum(const Canvas& c) {
    float sum = 0;
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x) sum += c.pixel(x, y)[3];
    return sum;
}

TEST(Coverage, CircleAreaMatchesAtEveryScale) {
    for (float scale : {1.0f, 2.0f, 4.0f, 3.5f}) {
        int size = static_cast<int>(32 * scale);
        Canvas c(size, size);
        Pen pen(c, 0, 0, size, size, scale);
        pen.fill(circle({16, 16}, 10), hex(0xffffff));
        float expected = 3.14159265f * 10 * 10 * scale * scale;
        EXPECT_NEAR(alphaSum(c), expected, expected * 0.01f) << "scale " << scale;
        EXPECT_FLOAT_EQ(c.pixel(size / 2, size / 2)[3], 1.0f);
        EXPECT_FLOAT_EQ(c.pixel(0, 0)[3], 0.0f);
    }
}

TEST(Coverage, EdgesAreAntiAliased) {
    Canvas c(16, 16);
    Pen pen(c, 0, 0, 16, 16, 1);
    pen.fill(rect(2, 2, 5.5f, 10), hex(0xffffff));  // right edge halfway through column 7
    EXPECT_FLOAT_EQ(c.pixel(6, 5)[3], 1.0f);
    EXPECT_NEAR(c.pixel(7, 5)[3], 0.5f, 0.01f);
    EXPECT_FLOAT_EQ(c.pixel(8, 5)[3], 0.0f);
}

TEST(Coverage, LargeShapesFillSolidInteriors) {
    // Blocks far from the edge take the shortcut; none may be left out or half done.
    Canvas c(256, 256);
    Pen pen(c, 0, 0, 256, 256, 2);
    pen.fill(ellipse({64, 64}, 60, 35), hex(0xff0000));
    for (int y = 90; y < 166; ++y)
        for (int x = 20; x < 236; ++x) {
            float dx = (x + 0.5f) / 2 - 64, dy = (y + 0.5f) / 2 - 64;
            float k = std::sqrt(dx * dx / (60 * 60) + dy * dy / (35 * 35));
            if (k < 0.97f) {
                ASSERT_FLOAT_EQ(c.pixel(x, y)[3], 1.0f) << x << "," << y;
            }
            if (k > 1.03f) {
                ASSERT_FLOAT_EQ(c.pixel(x, y)[3], 0.0f) << x << "," << y;
            }
        }
}

TEST(Compositing, OverBlendsPremultiplied) {
    Canvas c(1, 1);
    Pen pen(c, 0, 0, 1, 1, 1);
    pen.fill(rect(-1, -1, 3, 3), hex(0x0000ff));
    pen.fill(rect(-1, -1, 3, 3), hex(0xff0000, 0.5f));
    const float* p = c.pixel(0, 0);
    EXPECT_FLOAT_EQ(p[0], 0.5f);
    EXPECT_FLOAT_EQ(p[2], 0.5f);
    EXPECT_FLOAT_EQ(p[3], 1.0f);
    std::vector<unsigned char> out = c.toRGBA8();
    EXPECT_EQ(out[0], 128);
    EXPECT_EQ(out[2], 128);
    EXPECT_EQ(out[3], 255);
}

TEST(Compositing, TranslucentPixelsKeepTheirStraightColour) {
    Canvas c(2, 1);
    Pen pen(c, 0, 0, 2, 1, 1);
    pen.fill(rect(0, -1, 1, 3), hex(0x40c080, 0.25f));
    std::vector<unsigned char> out = c.toRGBA8();
    EXPECT_EQ(out[0], 0x40);
    EXPECT_EQ(out[1], 0xc0);
    EXPECT_EQ(out[2], 0x80);
    EXPECT_EQ(out[3], 64);
    for (int k = 4; k < 8; ++k) EXPECT_EQ(out[k], 0) << "untouched pixels are all zero";
}

TEST(Clipping, PenNeverDrawsOutsideItsCell) {
    Canvas c(64, 32);
    Pen right(c, 32, 0, 32, 32, 1);
    right.fill(circle({0, 16}, 30), hex(0xffffff));  // reaches far into the left cell
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) ASSERT_EQ(c.pixel(x, y)[3], 0.0f);
    EXPECT_FLOAT_EQ(c.pixel(40, 16)[3], 1.0f);
    Pen narrow = right.clipped(4, 0, 8, 32);
    narrow.cut(rect(0, 0, 32, 32));
    EXPECT_FLOAT_EQ(c.pixel(32 + 2, 16)[3], 1.0f);
    EXPECT_FLOAT_EQ(c.pixel(32 + 6, 16)[3], 0.0f);
    EXPECT_FLOAT_EQ(c.pixel(32 + 13, 16)[3], 1.0f);
}

TEST(Clipping, SubPenPlacesAndScalesADesign) {
    Canvas c(64, 64);
    Pen pen(c, 0, 0, 64, 64, 2);  // 32 units at tier 2
    Pen sub = pen.sub(8, 8, 0.5f);  // a 32-unit design in 16 units at (8, 8)
    sub.fill(rect(0, 0, 32, 32), hex(0xffffff));
    EXPECT_FLOAT_EQ(c.pixel(15, 15)[3], 0.0f);
    EXPECT_FLOAT_EQ(c.pixel(16, 16)[3], 1.0f);
    EXPECT_FLOAT_EQ(c.pixel(47, 47)[3], 1.0f);
    EXPECT_FLOAT_EQ(c.pixel(48, 48)[3], 0.0f);
}

TEST(Shapes, AlgebraAndTransforms) {
    Shape donut = subtract(circle({0, 0}, 10), circle({0, 0}, 5));
    EXPECT_GT(donut.sd({0, 0}), 0);
    EXPECT_LT(donut.sd({7.5f, 0}), 0);
    Shape both = unite(circle({-10, 0}, 2), circle({10, 0}, 2));
    EXPECT_LT(both.sd({10, 0}), 0);
    EXPECT_GT(intersect(circle({-1, 0}, 2), circle({1, 0}, 2)).sd({0, 1.9f}), 0);
    EXPECT_NEAR(grow(circle({0, 0}, 4), 1).sd({5, 0}), 0, 1e-5f);
    EXPECT_NEAR(moved(circle({0, 0}, 1), 5, 0).sd({5, 0}), -1, 1e-5f);
    Shape bar = rect(0, -1, 10, 2);
    EXPECT_LT(rotated(bar, {0, 0}, 90).sd({0, 5}), 0);
    EXPECT_GT(rotated(bar, {0, 0}, 90).sd({5, 0}), 0);
    EXPECT_LT(scaled(bar, {0, 0}, -1, 1).sd({-5, 0}), 0);  // mirrored
    Shape tri = polygon({{0, 0}, {10, 0}, {0, 10}});
    EXPECT_LT(tri.sd({2, 2}), 0);
    EXPECT_GT(tri.sd({8, 8}), 0);
    EXPECT_NEAR(tri.sd({5, -3}), 3, 1e-5f);
    Shape a = arc({0, 0}, 10, 0, 90, 2);
    EXPECT_LT(a.sd({7.07f, 7.07f}), 0);
    EXPECT_GT(a.sd({-7.07f, -7.07f}), 0);
}

TEST(Paints, GradientsHitTheirEndColours) {
    Paint lin = linear({0, 0}, {10, 0}, hex(0x000000), hex(0xffffff));
    EXPECT_FLOAT_EQ(lin.at({-5, 3}).r, 0.0f);
    EXPECT_NEAR(lin.at({5, 0}).r, 0.5f, 1e-6f);
    EXPECT_FLOAT_EQ(lin.at({15, 0}).r, 1.0f);
    Paint stops = linearStops({0, 0}, {0, 10}, {{0, hex(0xff0000)}, {0.5f, hex(0x00ff00)}, {1, hex(0x0000ff)}});
    EXPECT_FLOAT_EQ(stops.at({0, 5}).g, 1.0f);
    EXPECT_NEAR(stops.at({0, 7.5f}).b, 0.5f, 1e-6f);
    Paint rad = radial({0, 0}, 4, hex(0xffffff), hex(0xffffff, 0));
    EXPECT_FLOAT_EQ(rad.at({0, 0}).a, 1.0f);
    EXPECT_FLOAT_EQ(rad.at({8, 0}).a, 0.0f);
}

}  // namespace
