// icon_test.cpp - the game's icon as the window and the desktop get it: a square
// PNG at the desktop size, transparent corners around an opaque cabinet, drawn in
// more than a handful of colours, and the same bytes on every run.
#include <gtest/gtest.h>

#include <filesystem>
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

}  // namespace
