// icon_test.cpp - the game's icon as the window and the desktop get it: a square
// PNG at the desktop size, transparent corners around an opaque cabinet, drawn in
// more than a handful of colours, and the same bytes on every run; the desktop
// theme's sizes, each drawn at its own size as the same picture.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <iterator>
#include <set>

#include "generated_data.h"
#include "icon.h"

namespace {

namespace fs = std::filesystem;

TEST(Icon, IsASquareDesktopSizedPictureWithTransparentCorners) {
    std::string dir = artgen_test::freshTempDir("artgen-icon");
    ASSERT_TRUE(art::writeIcon(dir));
    artgen_test::Image img = artgen_test::loadPng((fs::path(dir) / art::kIconFile).string());
    ASSERT_TRUE(img.ok());
    ASSERT_EQ(img.width, art::kIconSize);
    ASSERT_EQ(img.height, art::kIconSize);

    const int last = art::kIconSize - 1;
    for (auto [x, y] : {std::pair{0, 0}, {last, 0}, {0, last}, {last, last}})
        EXPECT_EQ(img.at(x, y)[3], 0) << "corner " << x << "," << y;
    EXPECT_EQ(img.at(art::kIconSize / 2, art::kIconSize / 2)[3], 255) << "the middle reel is opaque";

    std::set<unsigned> colours;
    for (int y = 0; y < img.height; y += 4)
        for (int x = 0; x < img.width; x += 4) {
            const unsigned char* p = img.at(x, y);
            if (p[3] == 255) colours.insert(p[0] << 16 | p[1] << 8 | p[2]);
        }
    EXPECT_GT(colours.size(), 50u) << "a flat or empty picture";
}

TEST(Icon, RunsWriteIdenticalBytesAndAnUnwritableFolderFails) {
    std::string a = artgen_test::freshTempDir("artgen-icon-a"), b = artgen_test::freshTempDir("artgen-icon-b");
    ASSERT_TRUE(art::writeIcon(a));
    ASSERT_TRUE(art::writeIcon(b));
    EXPECT_EQ(artgen_test::readBytes((fs::path(a) / art::kIconFile).string()),
              artgen_test::readBytes((fs::path(b) / art::kIconFile).string()));

    std::string blocker = (fs::path(a) / "file").string();
    { std::FILE* f = std::fopen(blocker.c_str(), "w"); ASSERT_NE(f, nullptr); std::fclose(f); }
    EXPECT_FALSE(art::writeIcon(blocker));
}

// The picture averaged over a grid of grid x grid blocks: the same drawing at two
// sizes gives nearly the same blocks.
std::vector<double> Blocks(const artgen_test::Image& img, int grid) {
    std::vector<double> out(grid * grid * 4, 0.0);
    int cell = img.width / grid;
    for (int y = 0; y < grid * cell; ++y)
        for (int x = 0; x < grid * cell; ++x)
            for (int c = 0; c < 4; ++c) out[((y / cell) * grid + x / cell) * 4 + c] += img.at(x, y)[c];
    for (double& v : out) v /= cell * cell;
    return out;
}

TEST(Icon, DesktopThemeGetsEverySizeDrawnAtThatSizeAsTheSamePicture) {
    std::string dir = artgen_test::freshTempDir("artgen-desktop-icons");
    ASSERT_TRUE(art::writeDesktopIcons(dir));
    std::string window = artgen_test::freshTempDir("artgen-window-icon");
    ASSERT_TRUE(art::writeIcon(window));
    artgen_test::Image largest = artgen_test::loadPng((fs::path(window) / art::kIconFile).string());
    ASSERT_TRUE(largest.ok());
    constexpr int kGrid = 8;
    std::vector<double> reference = Blocks(largest, kGrid);

    std::vector<int> sizes(std::begin(art::kDesktopIconSizes), std::end(art::kDesktopIconSizes));
    EXPECT_EQ(sizes, (std::vector<int>{48, 64, 128, 256}));
    for (int size : sizes) {
        std::string path = (fs::path(dir) / art::desktopIconPath(size)).string();
        std::string side = std::to_string(size);
        EXPECT_EQ(art::desktopIconPath(size), "hicolor/" + side + "x" + side + "/apps/tumbleroo.png");
        artgen_test::Image img = artgen_test::loadPng(path);
        ASSERT_TRUE(img.ok()) << path;
        EXPECT_EQ(img.width, size);
        EXPECT_EQ(img.height, size);
        EXPECT_EQ(img.at(0, 0)[3], 0) << size;
        EXPECT_EQ(img.at(size / 2, size / 2)[3], 255) << size;
        // Drawn, not cut: averaged to the same grid it matches the largest picture.
        std::vector<double> blocks = Blocks(img, kGrid);
        double worst = 0;
        for (size_t i = 0; i < blocks.size(); ++i) worst = std::max(worst, std::abs(blocks[i] - reference[i]));
        EXPECT_LT(worst, 24.0) << size << " pixels: not the same picture";
    }
    // The theme's largest picture is the window's icon, byte for byte.
    EXPECT_EQ(artgen_test::readBytes((fs::path(dir) / art::desktopIconPath(art::kIconSize)).string()),
              artgen_test::readBytes((fs::path(window) / art::kIconFile).string()));
}

}  // namespace
