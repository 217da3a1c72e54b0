// data_folder_test.cpp - the generated data/ folder as the game's loader sees it:
// every image and sound name it asks for, in every resolution tier, sheets cut
// into exactly the grid of frames it expects, files that decode, and the same
// bytes on every run.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "generate.h"
#include "generated_data.h"

namespace {

namespace fs = std::filesystem;
using artgen_test::generatedData;
using artgen_test::Image;
using artgen_test::loadPng;

// The loader's image table: base name, frame size in units, frame count.
struct Asked {
    const char* name;
    int frameW, frameH, frames;
};
const Asked kImages[] = {
    {"common/icons", 32, 32, 16},  {"common/Buttons", 64, 64, 16}, {"common/dpad", 32, 32, 16},
    {"common/icade", 64, 64, 2},   {"common/VexoLogo", 256, 256, 1}, {"fonts/editundo", 16, 16, 128},
    {"menu", 256, 256, 4},         {"logo", 256, 128, 1},          {"parts", 8, 8, 16},
    {"BadgesA", 64, 64, 64},       {"Overlay", 128, 128, 4},       {"heart", 32, 32, 1},
    {"Reel_Fruit", 32, 32, 32},    {"Reel_Dice", 32, 32, 32},      {"Reel_Fizzcrate", 32, 32, 32},
    {"Reel_UFO", 32, 32, 32},      {"Reel_Cubewick", 32, 32, 32},  {"Reel_Plat", 32, 32, 32},
};
const struct {
    int factor;
    const char* suffix;
} kTiers[] = {{1, ""}, {2, "-hd"}, {4, "-hd2"}};
const int kSounds[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 12, 13, 14, 15, 16, 17, 18, 19,
                       21, 22, 23, 24, 25, 26, 27, 28, 29, 95, 98, 99};

std::string path(const std::string& rel) { return (fs::path(generatedData()) / rel).string(); }

// The loader's cell walk: left to right, wrapping to the next row at the right
// edge; false if any frame would fall outside the sheet.
bool gridFits(int sheetW, int sheetH, int fw, int fh, int frames) {
    int cx = 0, cy = 0;
    for (int i = 0; i < frames; ++i) {
        if (cx + fw > sheetW) {
            if (fw > sheetW) return false;
            cx = 0;
            cy += fh;
        }
        if (cy + fh > sheetH) return false;
        cx += fw;
    }
    return true;
}

TEST(DataFolder, EverySheetExistsInEveryTierWithExactlyItsGrid) {
    for (const Asked& a : kImages) {
        for (const auto& t : kTiers) {
            std::string file = std::string(a.name) + t.suffix + ".png";
            Image img = loadPng(path(file));
            ASSERT_TRUE(img.ok()) << file << " is missing or does not decode";
            int fw = a.frameW * t.factor, fh = a.frameH * t.factor;
            EXPECT_EQ(img.width % fw, 0) << file;
            EXPECT_EQ(img.height % fh, 0) << file;
            EXPECT_EQ((img.width / fw) * (img.height / fh), a.frames) << file << " holds a different number of cells";
            EXPECT_TRUE(gridFits(img.width, img.height, fw, fh, a.frames)) << file;
        }
    }
}

TEST(DataFolder, DefaultFontIsAStripOf96PaddedCells) {
    Image img = loadPng(path("zindle_font.png"));
    ASSERT_TRUE(img.ok());
    ASSERT_EQ(img.width % 96, 0);
    int cell = img.width / 96;
    ASSERT_GE(cell, 3);
    for (int f = 0; f < 96; ++f) {
        EXPECT_EQ(img.inkIn(f * cell, 0, 1, img.height), 0) << "left border of glyph " << f;
        EXPECT_EQ(img.inkIn(f * cell + cell - 1, 0, 1, img.height), 0) << "right border of glyph " << f;
    }
    // Only the one untiered file exists.
    EXPECT_FALSE(fs::exists(path("zindle_font-hd.png")));
}

TEST(DataFolder, EverySoundFileTheLoaderAsksForExists) {
    for (int n : kSounds) {
        char name[32];
        std::snprintf(name, sizeof name, "sfx/%03d.wav", n);
        EXPECT_TRUE(fs::is_regular_file(path(name))) << name;
    }
    EXPECT_EQ(art::expectedDataFiles().size(), std::size(kImages) * 3 + 1 + std::size(kSounds));
}

TEST(DataFolder, EveryTierIsDrawnAtItsOwnResolution) {
    // A pixel-doubled copy of tier 1 would consist of uniform 2 x 2 blocks.
    for (const char* name : {"heart", "Reel_Fruit", "common/icons"}) {
        Image lo = loadPng(path(std::string(name) + ".png"));
        Image hi = loadPng(path(std::string(name) + "-hd.png"));
        ASSERT_TRUE(lo.ok() && hi.ok());
        ASSERT_EQ(hi.width, lo.width * 2);
        int mixed = 0;
        for (int y = 0; y + 1 < hi.height; y += 2)
            for (int x = 0; x + 1 < hi.width; x += 2)
                if (hi.at(x, y)[3] != hi.at(x + 1, y + 1)[3]) ++mixed;
        EXPECT_GT(mixed, 50) << name;
    }
}

TEST(DataFolder, TwoRunsWriteIdenticalBytes) {
    std::string second = artgen_test::freshTempDir("artgen-again");
    art::GenerateOptions o;
    o.dataDir = second;
    o.threads = 3;  // a different worker count must not change a byte
    art::GenerateResult r = art::generate(o);
    ASSERT_TRUE(r.ok) << r.error;
    ASSERT_EQ(r.written, art::expectedDataFiles());
    for (const std::string& f : r.written) {
        std::vector<unsigned char> a = artgen_test::readBytes(path(f));
        std::vector<unsigned char> b = artgen_test::readBytes((fs::path(second) / f).string());
        ASSERT_FALSE(a.empty()) << f;
        EXPECT_TRUE(a == b) << f << " differs between runs";
    }
}

TEST(DataFolder, GenerationReportsAnUnwritableFolder) {
    std::string dir = artgen_test::freshTempDir("artgen-blocked");
    std::string blocker = (fs::path(dir) / "data").string();
    { std::FILE* f = std::fopen(blocker.c_str(), "w"); ASSERT_NE(f, nullptr); std::fclose(f); }
    art::GenerateOptions o;
    o.dataDir = blocker;  // a plain file where the folder should be
    art::GenerateResult r = art::generate(o);
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.error.empty());
}

}  // namespace
