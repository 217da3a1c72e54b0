// window_icon_test.cpp - the window icon decoded on a thread of its own
// (host/window_icon.cpp): the same pixels as a decode on the caller's thread, no
// pixels for a missing or damaged file, and an end while the decode may still run
// (a start-up that gives up) that waits for it and frees what it made.
#include <gtest/gtest.h>
#include <stb/stb_image.h>

#include <cstring>
#include <fstream>
#include <string>

#include "host/window_icon.h"
#include "tests/host/x11_harness.h"

namespace {

const std::string kShippedIcon = TUMBLEROO_BINARY_DIR "/data/icon.png";

TEST(WindowIconDecoding, GivesThePixelsADecodeOnTheCallersThreadGives) {
    int w = 0, h = 0, channels = 0;
    unsigned char* expected = stbi_load(kShippedIcon.c_str(), &w, &h, &channels, 4);
    ASSERT_NE(expected, nullptr) << "the build writes " << kShippedIcon;

    WindowIconDecoding decoding;
    decoding.Start(kShippedIcon);
    int dw = -1, dh = -1;
    const unsigned char* pixels = decoding.Pixels(&dw, &dh);
    ASSERT_NE(pixels, nullptr);
    EXPECT_EQ(dw, w);
    EXPECT_EQ(dh, h);
    EXPECT_EQ(std::memcmp(pixels, expected, static_cast<std::size_t>(w) * h * 4), 0);
    // Asked again, the same pixels: nothing is decoded twice.
    EXPECT_EQ(decoding.Pixels(&dw, &dh), pixels);
    stbi_image_free(expected);

    decoding.Discard();
    EXPECT_EQ(decoding.Pixels(&dw, &dh), nullptr);
    EXPECT_EQ(dw, 0);
    EXPECT_EQ(dh, 0);
}

TEST(WindowIconDecoding, AMissingOrDamagedFileOrNoStartGivesNoPixels) {
    hosttest::TempDir dir;
    const std::string damaged = dir.path() + "/icon.png";
    std::ifstream in(kShippedIcon, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), 100u);
    std::ofstream(damaged, std::ios::binary) << bytes.substr(0, 60);  // the header and little else

    for (const std::string& path : {dir.path() + "/missing.png", damaged}) {
        SCOPED_TRACE(path);
        WindowIconDecoding decoding;
        decoding.Start(path);
        int w = -1, h = -1;
        EXPECT_EQ(decoding.Pixels(&w, &h), nullptr);
        EXPECT_EQ(w * h, 0);
    }
    WindowIconDecoding never;
    int w = -1, h = -1;
    EXPECT_EQ(never.Pixels(&w, &h), nullptr);
}

// The sanitizer build's leak check sees pixels a decode left behind.
TEST(WindowIconDecoding, EndingOrDiscardingMidDecodeWaitsAndFreesAndAStartAfterDecodesAfresh) {
    for (int i = 0; i < 8; ++i) {
        WindowIconDecoding decoding;
        decoding.Start(kShippedIcon);
    }
    WindowIconDecoding decoding;
    decoding.Start(kShippedIcon);
    decoding.Discard();
    decoding.Start(TUMBLEROO_BINARY_DIR "/data/no-such-icon.png");
    int w = -1, h = -1;
    EXPECT_EQ(decoding.Pixels(&w, &h), nullptr) << "the later file's result, not the discarded one's";
    decoding.Discard();
    decoding.Start(kShippedIcon);
    EXPECT_NE(decoding.Pixels(&w, &h), nullptr);
    EXPECT_GT(w, 0);
}

}  // namespace
