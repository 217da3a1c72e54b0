// ogg_headers_test.cpp - the Ogg loader's defences, on the real decoder entry
// (decodeOgg) and the header check in front of it (oggHeadersSound): whole files
// made by sox load; files whose comment lengths or codebook sizes point past their
// packet or beyond the decoder's memory, and files cut inside their headers, load
// as nothing instead of reaching the decoder. The damaged files are the sox seeds
// with one field changed.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "media/audio_device.h"
#include "media/ogg_headers.h"
#include "tests/fuzz/fuzz_targets.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kTableBytes = 4 * 1024 * 1024;

Bytes Seed(const char* name) {
    std::ifstream in(std::string(TUMBLEROO_SOURCE_DIR) + "/tests/fuzz/seeds/ogg/" + name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Where a header packet's body starts (just after its type byte and "vorbis").
std::size_t HeaderBody(const Bytes& file, char type) {
    const std::string tag = std::string(1, type) + "vorbis";
    const std::string text(file.begin(), file.end());
    const std::size_t at = text.find(tag);
    return at == std::string::npos ? 0 : at + tag.size();
}

void Put32(Bytes& file, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) file[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

struct Decoded {
    unsigned char* block = nullptr;
    int length = -1, channels = -1, bytesPerSample = -1, hertz = -1;
    bool sound = false;
    explicit Decoded(const Bytes& file) {
        FILE* f = fuzz::OpenBytes(file.data(), file.size());
        if (!f) return;
        sound = oggHeadersSound(f, kTableBytes);
        const long after = std::ftell(f);
        block = decodeOgg(f, &length, &channels, &bytesPerSample, &hertz);
        std::fclose(f);
        EXPECT_EQ(after, 0) << "the check must leave the read position where it was";
    }
    ~Decoded() { unloadSound(block); }
};

TEST(OggLoader, LoadsWholeFilesMadeBySox) {
    const Bytes mono = Seed("sox-mono.ogg");
    ASSERT_GT(mono.size(), 100u);
    Decoded m(mono);
    EXPECT_TRUE(m.sound);
    ASSERT_NE(m.block, nullptr);
    EXPECT_EQ(m.channels, 1);
    EXPECT_EQ(m.hertz, 8000);
    EXPECT_EQ(m.bytesPerSample, 2);
    EXPECT_NEAR(m.length, 800, 64);  // 0.1 s

    Decoded s(Seed("sox-stereo.ogg"));
    EXPECT_TRUE(s.sound);
    ASSERT_NE(s.block, nullptr);
    EXPECT_EQ(s.channels, 2);
    EXPECT_EQ(s.hertz, 11025);
}

TEST(OggLoader, RefusesCommentLengthsPastTheirPacket) {
    const Bytes seed = Seed("sox-mono.ogg");
    const std::size_t body = HeaderBody(seed, 3);
    ASSERT_NE(body, 0u);
    // A vendor text of 2 GB, of 4 GB (read as -1 by the decoder), and a comment
    // count far beyond the packet.
    for (std::uint32_t length : {0x7FFFFFF0u, 0xFFFFFFFFu, 0xFFFFFFF8u}) {
        Bytes file = seed;
        Put32(file, body, length);
        Decoded d(file);
        EXPECT_FALSE(d.sound) << length;
        EXPECT_EQ(d.block, nullptr) << length;
    }
    Bytes file = seed;
    std::uint32_t vendor = file[body] | file[body + 1] << 8 | file[body + 2] << 16;
    Put32(file, body + 4 + vendor, 0x40000000u);
    Decoded d(file);
    EXPECT_FALSE(d.sound);
    EXPECT_EQ(d.block, nullptr);
}

TEST(OggLoader, RefusesCodebooksTooLargeForTheDecodersMemory) {
    const Bytes seed = Seed("sox-mono.ogg");
    const std::size_t body = HeaderBody(seed, 5);
    ASSERT_NE(body, 0u);
    // The first codebook follows the codebook count byte: "BCV", dimensions (16 bits)
    // and entries (24 bits), all on byte boundaries.
    const std::size_t book = body + 1;
    ASSERT_EQ(std::string(seed.begin() + book, seed.begin() + book + 3), "BCV");
    Bytes file = seed;
    file[book + 3] = 0xFF;  // 65535 dimensions
    file[book + 4] = 0xFF;
    file[book + 5] = 0xFF;  // 16777215 entries
    file[book + 6] = 0xFF;
    file[book + 7] = 0xFF;
    Decoded d(file);
    EXPECT_FALSE(d.sound);
    EXPECT_EQ(d.block, nullptr);
}

// A file the fuzzer made: its fifth codebook has a lookup table of the first kind,
// 441 entries of 2,050 dimensions. The decoder would check that table's size by
// raising 2 to the power 2,050 and converting it to an int; with 2 dimensions the
// same file passes the header check.
TEST(OggLoader, RefusesALookupTableWhoseSizeCheckOverflowsTheDecoder) {
    std::ifstream in(std::string(TUMBLEROO_SOURCE_DIR) + "/tests/fuzz/regressions/ogg/lookup-check-overflows-int.ogg",
                     std::ios::binary);
    const Bytes found((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    constexpr std::size_t kBook = 2468;
    ASSERT_GT(found.size(), kBook + 8);
    ASSERT_EQ(std::string(found.begin() + kBook, found.begin() + kBook + 3), "BCV");
    ASSERT_EQ(found[kBook + 3] | found[kBook + 4] << 8, 2050);
    Decoded d(found);
    EXPECT_FALSE(d.sound);
    EXPECT_EQ(d.block, nullptr);

    Bytes twoDimensions = found;
    twoDimensions[kBook + 3] = 2;
    twoDimensions[kBook + 4] = 0;
    FILE* f = fuzz::OpenBytes(twoDimensions.data(), twoDimensions.size());
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(oggHeadersSound(f, kTableBytes));
    std::fclose(f);
}

TEST(OggLoader, RefusesFilesCutInsideTheirHeaders) {
    const Bytes seed = Seed("sox-stereo.ogg");
    const std::size_t setup = HeaderBody(seed, 5);
    ASSERT_NE(setup, 0u);
    for (std::size_t cut : {std::size_t{10}, std::size_t{40}, HeaderBody(seed, 3) + 6, setup + 20}) {
        const Bytes file(seed.begin(), seed.begin() + static_cast<long>(cut));
        Decoded d(file);
        EXPECT_FALSE(d.sound) << cut;
        EXPECT_EQ(d.block, nullptr) << cut;
    }
}

// Pages must carry the mark of a continued packet exactly when they continue one,
// as the decoder reads them: the comment header starts the second page afresh, so
// that page marked as continuing is refused.
TEST(OggLoader, RefusesAFreshPacketOnAPageMarkedAsContinuing) {
    Bytes seed = Seed("sox-mono.ogg");
    const std::string text(seed.begin(), seed.end());
    const std::size_t second = text.find("OggS", 4);
    ASSERT_NE(second, std::string::npos);
    ASSERT_EQ(seed[second + 5] & 1, 0);
    seed[second + 5] |= 1;
    Decoded d(seed);
    EXPECT_FALSE(d.sound);
    EXPECT_EQ(d.block, nullptr);
}

}  // namespace
