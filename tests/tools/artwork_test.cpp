// artwork_test.cpp - what the generated pictures must hold for the game to work:
// fonts with ink in every printable cell, white (tintable) and centred; the
// bevel overlay translucent over its 112 x 72 box only; every frame a machine
// draws actually drawn, and sprites that are not full tiles kept off their
// cell edges so neighbouring cells never bleed into each other.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "generated_data.h"

namespace {

namespace fs = std::filesystem;
using artgen_test::generatedData;
using artgen_test::Image;
using artgen_test::loadPng;

Image sheet(const std::string& file) { return loadPng((fs::path(generatedData()) / file).string()); }

struct Cell {
    int x, y, w, h;
};
Cell cellOf(const Image& img, int cellW, int cellH, int frame) {
    int cols = img.width / cellW;
    return {(frame % cols) * cellW, (frame / cols) * cellH, cellW, cellH};
}

TEST(GameFont, PrintableCellsHaveWhiteCentredInkAndSpaceHasNone) {
    for (int tier : {1, 2, 4}) {
        std::string file = std::string("fonts/editundo") + (tier == 1 ? "" : tier == 2 ? "-hd" : "-hd2") + ".png";
        Image img = sheet(file);
        ASSERT_TRUE(img.ok()) << file;
        int cs = 16 * tier;
        Cell space = cellOf(img, cs, cs, 0);
        EXPECT_EQ(img.inkIn(space.x, space.y, cs, cs), 0) << file;
        for (int ch = 33; ch <= 126; ++ch) {
            Cell c = cellOf(img, cs, cs, ch - 32);
            EXPECT_GT(img.inkIn(c.x, c.y, cs, cs), 0) << file << " character " << ch;
            // Glyphs keep to the middle of the cell (a 7-unit advance and a 10-unit
            // line): at least one unit clear on every side.
            int m = tier;
            int inner = img.inkIn(c.x + m, c.y + m, cs - 2 * m, cs - 2 * m);
            EXPECT_EQ(inner, img.inkIn(c.x, c.y, cs, cs)) << file << " character " << ch << " touches its cell's rim";
            for (int y = c.y; y < c.y + cs; ++y)
                for (int x = c.x; x < c.x + cs; ++x)
                    if (img.at(x, y)[3] > 0) {
                        ASSERT_EQ(img.at(x, y)[0] + img.at(x, y)[1] + img.at(x, y)[2], 3 * 255) << file;
                    }
        }
    }
}

TEST(GameFont, LettersSitOnOneBaselineAndShareTheCellCentre) {
    Image img = sheet("fonts/editundo-hd.png");
    ASSERT_TRUE(img.ok());
    auto bottomRow = [&](int ch) {
        Cell c = cellOf(img, 32, 32, ch - 32);
        for (int y = c.h - 1; y >= 0; --y)
            if (img.inkIn(c.x, c.y + y, c.w, 1) > 0) return y;
        return -1;
    };
    EXPECT_EQ(bottomRow('H'), bottomRow('E'));
    EXPECT_EQ(bottomRow('H'), bottomRow('x'));
    EXPECT_GT(bottomRow('g'), bottomRow('H'));  // descenders hang below
    // The capital's ink is centred on the cell within one pixel (handles are centred).
    Cell h = cellOf(img, 32, 32, 'H' - 32);
    int left = -1, right = -1;
    for (int x = 0; x < 32; ++x)
        if (img.inkIn(h.x + x, h.y, 1, 32) > 0) { if (left < 0) left = x; right = x; }
    EXPECT_NEAR((left + right) * 0.5, 15.5, 1.5);
}

TEST(DefaultFont, PrintableCellsHaveInkAndSpaceHasNone) {
    Image img = sheet("zindle_font.png");
    ASSERT_TRUE(img.ok());
    int cw = img.width / 96;
    EXPECT_EQ(img.inkIn(0, 0, cw, img.height), 0);
    for (int ch = 33; ch <= 126; ++ch)
        EXPECT_GT(img.inkIn((ch - 32) * cw, 0, cw, img.height), 0) << "character " << ch;
}

TEST(Overlay, BevelIsTranslucentAndCoversOnlyTheButtonBox) {
    for (int tier : {1, 2}) {
        Image img = sheet(tier == 1 ? "Overlay.png" : "Overlay-hd.png");
        ASSERT_TRUE(img.ok());
        int cs = 128 * tier;
        for (int f = 0; f < 4; ++f) {
            Cell c = cellOf(img, cs, cs, f);
            // Outside the centred 112 x 72 box nothing is drawn.
            EXPECT_EQ(img.inkIn(c.x, c.y, cs, 26 * tier), 0) << "frame " << f;
            EXPECT_EQ(img.inkIn(c.x, c.y + 102 * tier, cs, 26 * tier), 0) << "frame " << f;
            EXPECT_EQ(img.inkIn(c.x, c.y, 6 * tier, cs), 0) << "frame " << f;
            // Inside, the box colour must show through: no opaque pixel in the middle.
            int opaque = 0;
            for (int y = 40 * tier; y < 90 * tier; ++y)
                for (int x = 20 * tier; x < 108 * tier; ++x)
                    if (img.at(c.x + x, c.y + y)[3] == 255) ++opaque;
            EXPECT_EQ(opaque, 0) << "frame " << f;
            EXPECT_GT(img.inkIn(c.x + 8 * tier, c.y + 28 * tier, 112 * tier, 72 * tier), 0) << "frame " << f;
        }
        // Lit and pressed frames differ (the pressed bevel is inverted).
        Cell up = cellOf(img, cs, cs, 0), down = cellOf(img, cs, cs, 1);
        EXPECT_NE(img.at(up.x + 64 * tier, up.y + 30 * tier)[3], img.at(down.x + 64 * tier, down.y + 30 * tier)[3]);
    }
}

struct Used {
    const char* sheet;
    int cellW, cellH;
    std::vector<int> frames;
    std::vector<int> sparse = {};  // drawn on purpose with only a little ink
};

// The menu shows the title picture at half size, centred 70 units left of the
// window's right edge and 40 below its top, with the "Top 10" heading's letters
// from y = 75.5 down (line top 80, 1.5-size glyph cells). The badge's ink, in
// virtual units from the frame's centre, must keep inside the window and above
// the heading at every tier.
TEST(TitlePicture, TheBadgeFitsTheMenuCornerAboveTheHeading) {
    for (int tier : {1, 2, 4}) {
        const std::string file = std::string("common/VexoLogo") + (tier == 1 ? "" : tier == 2 ? "-hd" : "-hd2") + ".png";
        Image img = sheet(file);
        ASSERT_TRUE(img.ok()) << file;
        ASSERT_EQ(img.width, 256 * tier) << file;
        int top = img.height, bottom = -1, left = img.width, right = -1;
        for (int y = 0; y < img.height; ++y)
            for (int x = 0; x < img.width; ++x)
                if (img.at(x, y)[3] > 0) {
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
        ASSERT_GE(bottom, 0) << file << " is empty";
        auto units = [&](int px) { return (static_cast<float>(px) / tier - 128) * 0.5f; };
        EXPECT_GE(40 + units(top), 0) << file << ": cut by the window's top edge";
        EXPECT_LE(units(right + 1), 70) << file << ": cut by the window's right edge";
        EXPECT_LT(40 + units(bottom + 1), 75.5f) << file << ": over the heading";
        EXPECT_GT(units(right + 1) - units(left), 40) << file << ": too small to read";
    }
}

TEST(Sheets, EveryFrameTheGameDrawsHasArt) {
    const Used used[] = {
        {"common/icons", 32, 32, {0, 1, 3, 4, 5, 6}},
        {"common/Buttons", 64, 64, {0, 1, 2, 3, 4, 14, 15}},
        {"common/VexoLogo", 256, 256, {0}},
        {"menu", 256, 256, {0, 2}},
        {"Overlay", 128, 128, {0, 1, 2, 3}},
        {"heart", 32, 32, {0}},
        {"Reel_Fruit", 32, 32, {0, 1, 2, 3, 4, 5, 6, 7}},
        {"Reel_Dice", 32, 32, {0, 1, 2, 3, 4, 5}},
        {"Reel_Fizzcrate", 32, 32, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 24, 25, 26, 31}},
        {"Reel_UFO", 32, 32, {0, 1, 2, 3, 4, 16}, {0}},
        {"Reel_Cubewick", 32, 32, {0, 1, 2, 3, 4, 5, 6, 8, 9, 10, 11, 12, 13, 14, 16, 17, 18, 24, 25, 26, 27, 28, 29, 30, 31}, {18}},
        {"Reel_Plat", 32, 32, {0, 1, 2, 3, 4, 5, 10, 16, 17, 18, 19, 20, 21, 22, 23, 31}},
    };
    for (const Used& u : used) {
        Image img = sheet(std::string(u.sheet) + "-hd.png");
        ASSERT_TRUE(img.ok()) << u.sheet;
        for (int f : u.frames) {
            Cell c = cellOf(img, u.cellW * 2, u.cellH * 2, f);
            bool sparse = std::find(u.sparse.begin(), u.sparse.end(), f) != u.sparse.end();
            EXPECT_GT(img.inkIn(c.x, c.y, c.w, c.h), sparse ? 0 : c.w * c.h / 50) << u.sheet << " frame " << f << " is (nearly) empty";
        }
    }
}

TEST(Sheets, SymbolsAreDistinctPictures) {
    // Symbols on one reel must be told apart: no two of a machine's symbol
    // frames may be the same picture.
    for (const char* name : {"Reel_Fruit", "Reel_Dice", "Reel_Fizzcrate", "Reel_Cubewick", "Reel_UFO"}) {
        Image img = sheet(std::string(name) + ".png");
        ASSERT_TRUE(img.ok());
        int count = std::string(name) == "Reel_Dice" ? 6 : std::string(name) == "Reel_UFO" ? 5 : 7;
        for (int a = 0; a < count; ++a) {
            for (int b = a + 1; b < count; ++b) {
                Cell ca = cellOf(img, 32, 32, a), cb = cellOf(img, 32, 32, b);
                long diff = 0;
                for (int y = 0; y < 32; ++y)
                    for (int x = 0; x < 32; ++x)
                        for (int k = 0; k < 4; ++k)
                            diff += std::abs(img.at(ca.x + x, ca.y + y)[k] - img.at(cb.x + x, cb.y + y)[k]);
                EXPECT_GT(diff, 32 * 32 * 10) << name << " frames " << a << " and " << b << " look alike";
            }
        }
    }
}

TEST(Sheets, LooseSpritesStayOffTheirCellEdges) {
    // Sprites drawn over other things (icons, symbols, characters) keep their
    // outermost pixel column and row clear, so scaled drawing never picks up a
    // neighbour's edge. Tiles that must join (platform floor, wall) are exempt.
    const Used loose[] = {
        {"common/icons", 32, 32, {0, 1, 3, 4, 5}},
        {"common/Buttons", 64, 64, {14, 15}},  // the lock badge and the coin, laid over icons
        {"heart", 32, 32, {0}},
        {"Reel_Fruit", 32, 32, {0, 1, 2, 3, 4, 5, 6, 7}},
        {"Reel_Cubewick", 32, 32, {0, 1, 2, 3, 4, 5, 6, 16, 17}},
        {"Reel_UFO", 32, 32, {1, 2, 3, 4, 16}},
    };
    for (const Used& u : loose) {
        Image img = sheet(std::string(u.sheet) + "-hd.png");
        ASSERT_TRUE(img.ok());
        for (int f : u.frames) {
            Cell c = cellOf(img, u.cellW * 2, u.cellH * 2, f);
            int rim = img.inkIn(c.x, c.y, c.w, 1) + img.inkIn(c.x, c.y + c.h - 1, c.w, 1) +
                      img.inkIn(c.x, c.y, 1, c.h) + img.inkIn(c.x + c.w - 1, c.y, 1, c.h);
            EXPECT_EQ(rim, 0) << u.sheet << " frame " << f;
        }
    }
    // The floor tile runs edge to edge, so ledges join up.
    Image plat = sheet("Reel_Plat-hd.png");
    ASSERT_TRUE(plat.ok());
    EXPECT_EQ(plat.at(0, 60)[3], 255);
    EXPECT_EQ(plat.at(63, 60)[3], 255);
}

}  // namespace
