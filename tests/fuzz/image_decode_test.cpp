// image_decode_test.cpp - the image decoder's guards, on the real entry
// (decodeImage): the PNG seeds decode at their own size and depth, and a PNG whose
// chunk claims more bytes than the file holds (a damaged length the decoder would
// reserve gigabytes for) or whose header claims a size beyond the guards decodes
// to nothing.
#include <gtest/gtest.h>
#include <stb/stb_image.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "media/graphics_device.h"
#include "media/image_decode.h"
#include "tests/fuzz/fuzz_targets.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Seed(const char* name) {
    std::ifstream in(std::string(TUMBLEROO_SOURCE_DIR) + "/tests/fuzz/seeds/png/" + name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct Image {
    unsigned char* pixels = nullptr;
    int width = -1, height = -1, depth = -1;
    explicit Image(const Bytes& file) {
        FILE* f = fuzz::OpenBytes(file.data(), file.size());
        if (!f) return;
        pixels = decodeImage(f, &width, &height, &depth);
        std::fclose(f);
    }
    ~Image() {
        if (pixels) stbi_image_free(pixels);
    }
};

void Put32BigEndian(Bytes& file, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) file[at + i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
}

// Offset of a chunk's length field, found by its type.
std::size_t ChunkAt(const Bytes& file, const char* type) {
    const std::string text(file.begin(), file.end());
    const std::size_t at = text.find(type);
    return at == std::string::npos ? 0 : at - 4;
}

TEST(ImageDecoder, DecodesPngsAtTheirOwnSizeAndDepth) {
    Image gray(Seed("gray8.png"));
    ASSERT_NE(gray.pixels, nullptr);
    EXPECT_EQ(gray.width, 4);
    EXPECT_EQ(gray.height, 3);
    EXPECT_EQ(gray.depth, 1);
    EXPECT_EQ(gray.pixels[5], 21);  // row 1, column 1: 1 * 20 + 1

    Image grayAlpha(Seed("gray-alpha.png"));
    ASSERT_NE(grayAlpha.pixels, nullptr);
    EXPECT_EQ(grayAlpha.depth, 2);

    Image art(Seed("artgen-heart.png"));
    ASSERT_NE(art.pixels, nullptr);
    EXPECT_EQ(art.depth, 4);
}

TEST(ImageDecoder, RefusesAChunkLongerThanTheFile) {
    const Bytes seed = Seed("gray8.png");
    const std::size_t idat = ChunkAt(seed, "IDAT");
    ASSERT_NE(idat, 0u);
    for (std::uint32_t length : {0x72626973u, 0xFFFFFFF0u, static_cast<std::uint32_t>(seed.size())}) {
        Bytes file = seed;
        Put32BigEndian(file, idat, length);
        Image image(file);
        EXPECT_EQ(image.pixels, nullptr) << length;
    }
    // The same file cut inside its image data.
    Image cut(Bytes(seed.begin(), seed.begin() + static_cast<long>(idat) + 12));
    EXPECT_EQ(cut.pixels, nullptr);
}

TEST(ImageDecoder, RefusesAHeaderSizeBeyondTheGuards) {
    const Bytes seed = Seed("gray8.png");
    const std::size_t ihdr = ChunkAt(seed, "IHDR");
    ASSERT_NE(ihdr, 0u);
    Bytes wide = seed;
    Put32BigEndian(wide, ihdr + 8, kMaxImageSide + 1);  // width
    Image image(wide);
    EXPECT_EQ(image.pixels, nullptr);
}

}  // namespace
