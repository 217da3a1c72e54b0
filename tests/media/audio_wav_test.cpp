// audio_wav_test.cpp - the sound decoders without any OpenAL: WAV layouts that
// load, malformed and hostile WAV headers that must give null, extension rules, the
// little-endian readers, and Ogg Vorbis files made with sox at test time.
#include "tests/media/audio_support.h"

#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <functional>

using namespace audiotest;

namespace {

struct Decoded {
    unsigned char* block = nullptr;
    int length = -1, channels = -1, bytesPerSample = -1, hertz = -1;

    explicit Decoded(const std::string& path) {
        block = loadSound(String(path.c_str()), &length, &channels, &bytesPerSample, &hertz);
    }
    ~Decoded() { unloadSound(block); }
    Decoded(const Decoded&) = delete;
    Decoded& operator=(const Decoded&) = delete;
};

class WavTest : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const Bytes& bytes) {
        std::string path = dir.File(name);
        WriteFile(path, bytes);
        return path;
    }
    TempDir dir;
};

TEST_F(WavTest, LoadsEightAndSixteenBitMonoAndStereo) {
    struct Case { int bits, channels, hertz, dataBytes, expectLength; };
    const Case cases[] = {
        {8, 1, 11025, 300, 300},
        {8, 2, 8000, 300, 150},
        {16, 1, 22050, 302, 151},
        {16, 2, 44100, 4000, 1000},  // 4 bytes a frame
        {16, 2, 44100, 4003, 1000},  // a partial frame at the end is not counted
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.bits << " bits, " << c.channels << " channels");
        WavSpec s;
        s.bits = c.bits;
        s.channels = c.channels;
        s.hertz = c.hertz;
        s.data = Ramp8(c.dataBytes);
        Decoded d(Write("a.wav", BuildWav(s)));
        ASSERT_NE(d.block, nullptr);
        EXPECT_EQ(d.length, c.expectLength);
        EXPECT_EQ(d.channels, c.channels);
        EXPECT_EQ(d.bytesPerSample, c.bits / 8);
        EXPECT_EQ(d.hertz, c.hertz);
        EXPECT_EQ(std::memcmp(d.block, s.data.data(), c.expectLength * c.channels * (c.bits / 8)), 0);
    }
}

TEST_F(WavTest, LongFormatChunkAndChunkBeforeDataAreSkipped) {
    WavSpec s;
    s.fmtSize = 18;
    s.extraChunk = true;
    s.channels = 2;
    s.data = Square16(64, 2, 8, 1000);
    Decoded d(Write("long.wav", BuildWav(s)));
    ASSERT_NE(d.block, nullptr);
    EXPECT_EQ(d.length, 64);
    EXPECT_EQ(d.channels, 2);
    EXPECT_EQ(std::memcmp(d.block, s.data.data(), s.data.size()), 0);
}

TEST_F(WavTest, EmptyDataChunkGivesZeroLength) {
    WavSpec s;
    Decoded d(Write("empty.wav", BuildWav(s)));
    ASSERT_NE(d.block, nullptr);
    EXPECT_EQ(d.length, 0);
}

TEST_F(WavTest, ExtensionDecidesTheDecoder) {
    WavSpec s;
    s.data = Ramp8(40);
    Bytes wav = BuildWav(s);
    {
        Decoded upper(Write("LOUD.WAV", wav));
        EXPECT_NE(upper.block, nullptr) << "upper-case extension";
    }
    {
        // A WAV body under another name is not read at all.
        Decoded other(Write("sound.mp3", wav));
        EXPECT_EQ(other.block, nullptr);
    }
    {
        Decoded none(Write("noext", wav));
        EXPECT_EQ(none.block, nullptr);
    }
    // The only dot is in a directory name: no extension, although the file exists.
    ASSERT_EQ(mkdir(dir.File("d.wav").c_str(), 0700), 0);
    Write("d.wav/plain", wav);
    Decoded inDir(dir.File("d.wav/plain"));
    EXPECT_EQ(inDir.block, nullptr);
    Decoded backslash(dir.File("x.wav\\plain"));
    EXPECT_EQ(backslash.block, nullptr);
    Decoded missing(dir.File("missing.wav"));
    EXPECT_EQ(missing.block, nullptr);
}

// Each case bends one thing of a good file; all must be refused without a crash
// and without allocating what the header claims.
TEST_F(WavTest, MalformedAndHostileFilesAreRefused) {
    WavSpec good;
    good.data = Square16(100, 1, 10, 500);
    struct Case {
        const char* what;
        std::function<Bytes()> make;
    };
    auto bent = [good](std::function<void(WavSpec&)> change) {
        WavSpec s = good;
        change(s);
        return BuildWav(s);
    };
    auto patched = [good](std::size_t offset, const char* with) {
        Bytes b = BuildWav(good);
        std::memcpy(b.data() + offset, with, 4);
        return b;
    };
    const std::size_t fmtSizeAt = 16, dataSizeAt = 40;
    const Case cases[] = {
        {"float format code 3", [&] { return bent([](WavSpec& s) { s.formatCode = 3; }); }},
        {"extensible format code", [&] { return bent([](WavSpec& s) { s.formatCode = 0xFFFE; }); }},
        {"zero channels", [&] { return bent([](WavSpec& s) { s.channels = 0; }); }},
        {"zero bits", [&] { return bent([](WavSpec& s) { s.bits = 0; }); }},
        {"12 bits", [&] { return bent([](WavSpec& s) { s.bits = 12; }); }},
        {"32 bits", [&] { return bent([](WavSpec& s) { s.bits = 32; }); }},
        {"zero rate", [&] { return bent([](WavSpec& s) { s.hertz = 0; }); }},
        {"data size past the end", [&] { return bent([](WavSpec& s) { s.dataSizeField = 201; }); }},
        {"data size 2 GiB", [&] { return bent([](WavSpec& s) { s.dataSizeField = 0x7FFFFFF0; }); }},
        {"negative data size", [&] { return bent([](WavSpec& s) { s.dataSizeField = INT32_MIN; }); }},
        {"format chunk shorter than its fields", [&] { return bent([](WavSpec& s) { s.fmtSize = 14; }); }},
        {"format chunk past the end", [&] { return patched(fmtSizeAt, "\xff\xff\x00\x00"); }},
        {"negative format chunk", [&] { return patched(fmtSizeAt, "\x00\x00\x00\x80"); }},
        {"not RIFF", [&] { return patched(0, "RIFX"); }},
        {"not WAVE", [&] { return patched(8, "AVI "); }},
        {"no format chunk first", [&] { return patched(12, "data"); }},
        {"no data chunk", [&] {
             Bytes b = BuildWav(good);
             std::memcpy(b.data() + 36, "junk", 4);
             return b;
         }},
        {"negative size of a skipped chunk", [&] {
             Bytes b = BuildWav(good);
             std::memcpy(b.data() + 36, "junk", 4);
             std::memcpy(b.data() + dataSizeAt, "\xf0\xff\xff\xff", 4);
             return b;
         }},
        {"skipped chunk past the end", [&] {
             Bytes b = BuildWav(good);
             std::memcpy(b.data() + 36, "junk", 4);
             std::memcpy(b.data() + dataSizeAt, "\x00\x00\x10\x00", 4);
             return b;
         }},
        {"cut inside the format chunk", [&] {
             Bytes b = BuildWav(good);
             b.resize(30);
             return b;
         }},
        {"cut inside the data size", [&] {
             Bytes b = BuildWav(good);
             b.resize(42);
             return b;
         }},
        {"cut inside the data", [&] {
             Bytes b = BuildWav(good);
             b.resize(b.size() - 1);
             return b;
         }},
        {"empty file", [] { return Bytes(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Decoded d(Write("bad.wav", c.make()));
        EXPECT_EQ(d.block, nullptr);
    }
    // The unbent file loads, so every refusal above comes from its one change.
    Decoded ok(Write("good.wav", BuildWav(good)));
    EXPECT_NE(ok.block, nullptr);
    EXPECT_EQ(ok.length, 100);
}

TEST_F(WavTest, ReadersAreLittleEndianAndReportShortReads) {
    std::string path = Write("r.bin", Bytes{'f', 'm', 't', ' ', 0xff, 0xff, 0x01, 0x00, 0x00, 0x80,
                                            0xff, 0xff, 0xff, 0x7f, 0x12, 0x34, 0x56});
    FILE* f = std::fopen(path.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    EXPECT_STREQ(readTag(f), "fmt ");
    EXPECT_EQ(readShort(f), 65535);  // unsigned
    EXPECT_EQ(readInt(f), INT_MIN + 1);  // signed
    EXPECT_EQ(readInt(f), INT_MAX);
    EXPECT_EQ(readTag(f), std::string());  // only 3 bytes left
    std::fclose(f);

    path = Write("s.bin", Bytes{0x01});
    f = std::fopen(path.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(readShort(f), -1);
    std::fclose(f);
    path = Write("t.bin", Bytes{0x01, 0x02, 0x03});
    f = std::fopen(path.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(readInt(f), -1);
    std::fclose(f);
}

// ---------------------------------------------------------------------------
// Ogg Vorbis, encoded by sox at test time
// ---------------------------------------------------------------------------

class OggTest : public WavTest {
protected:
    // Runs sox to synthesise a sine; false when sox could not make the file.
    bool Sox(const std::string& path, int hertz, int channels, const char* seconds) {
        std::string cmd = "sox -n -r " + std::to_string(hertz) + " -c " + std::to_string(channels) +
                          " '" + path + "' synth " + seconds + " sine 440 2>/dev/null";
        return std::system(cmd.c_str()) == 0 && !ReadFile(path).empty();
    }
};

TEST_F(OggTest, DecodesMonoAndStereoSines) {
    for (int channels : {1, 2}) {
        SCOPED_TRACE(channels);
        std::string path = dir.File("sine" + std::to_string(channels) + ".ogg");
        ASSERT_TRUE(Sox(path, 22050, channels, "0.2"));
        Decoded d(path);
        ASSERT_NE(d.block, nullptr);
        EXPECT_EQ(d.channels, channels);
        EXPECT_EQ(d.bytesPerSample, 2);
        EXPECT_EQ(d.hertz, 22050);
        EXPECT_NEAR(d.length, 4410, 64);
        // 440 Hz for 0.2 s crosses zero about 176 times on every channel.
        const short* pcm = reinterpret_cast<const short*>(d.block);
        for (int c = 0; c < channels; ++c) {
            int crossings = 0, peak = 0;
            for (int i = 1; i < d.length; ++i) {
                short a = pcm[(i - 1) * channels + c], b = pcm[i * channels + c];
                if ((a < 0) != (b < 0)) ++crossings;
                peak = std::max(peak, std::abs(int(b)));
            }
            EXPECT_NEAR(crossings, 176, 6);
            EXPECT_GT(peak, 10000);
        }
    }
}

TEST_F(OggTest, UpperCaseExtensionAndLongerStreamsGrowTheBuffer) {
    std::string path = dir.File("long.ogg");
    ASSERT_TRUE(Sox(path, 8000, 2, "3"));
    std::string upper = dir.File("LONG.OGG");
    WriteFile(upper, ReadFile(path));
    Decoded d(upper);
    ASSERT_NE(d.block, nullptr);
    EXPECT_NEAR(d.length, 24000, 64);
    // The last frames are real audio, not the untouched end of a grown buffer.
    const short* pcm = reinterpret_cast<const short*>(d.block);
    int peak = 0;
    for (int i = d.length - 400; i < d.length; ++i) peak = std::max(peak, std::abs(int(pcm[i * 2])));
    EXPECT_GT(peak, 10000);
}

TEST_F(OggTest, RefusesMoreThanTwoChannelsAndGarbage) {
    std::string three = dir.File("three.ogg");
    ASSERT_TRUE(Sox(three, 22050, 3, "0.1"));
    Decoded d3(three);
    EXPECT_EQ(d3.block, nullptr);

    std::string good = dir.File("good.ogg");
    ASSERT_TRUE(Sox(good, 22050, 1, "0.1"));
    Bytes head = ReadFile(good);
    head.resize(60);  // cut inside the headers
    Decoded cut(Write("cut.ogg", head));
    EXPECT_EQ(cut.block, nullptr);

    Decoded junk(Write("junk.ogg", Ramp8(5000)));
    EXPECT_EQ(junk.block, nullptr);
    Decoded empty(Write("empty.ogg", Bytes()));
    EXPECT_EQ(empty.block, nullptr);
    Decoded missing(dir.File("missing.ogg"));
    EXPECT_EQ(missing.block, nullptr);
}

// Ogg pages carry a CRC-32 (polynomial 0x04c11db7, no reflection, zero start).
std::uint32_t OggCrc(const unsigned char* p, std::size_t n) {
    std::uint32_t crc = 0;
    for (std::size_t i = 0; i < n; ++i) {
        crc ^= static_cast<std::uint32_t>(p[i]) << 24;
        for (int k = 0; k < 8; ++k) crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04c11db7u : crc << 1;
    }
    return crc;
}

// Rewrites the sample rate in the identification header (first page) and fixes
// the page's CRC, so the decoder sees a stream that claims `hertz`.
void SetOggRate(Bytes& ogg, std::uint32_t hertz) {
    ASSERT_GT(ogg.size(), 58u);
    ASSERT_EQ(std::memcmp(ogg.data(), "OggS", 4), 0);
    int segments = ogg[26];
    std::size_t body = 27 + segments;
    std::size_t pageLen = body;
    for (int i = 0; i < segments; ++i) pageLen += ogg[27 + i];
    ASSERT_EQ(std::memcmp(ogg.data() + body + 1, "vorbis", 6), 0);
    std::size_t rateAt = body + 12;  // type, "vorbis", version (4), channels (1)
    for (int i = 0; i < 4; ++i) ogg[rateAt + i] = static_cast<unsigned char>((hertz >> (8 * i)) & 0xff);
    for (int i = 0; i < 4; ++i) ogg[22 + i] = 0;
    std::uint32_t crc = OggCrc(ogg.data(), pageLen);
    for (int i = 0; i < 4; ++i) ogg[22 + i] = static_cast<unsigned char>((crc >> (8 * i)) & 0xff);
}

TEST_F(OggTest, StopsDecodingAfterTenMinutes) {
    std::string path = dir.File("src.ogg");
    ASSERT_TRUE(Sox(path, 8000, 1, "2"));  // 16000 frames
    Bytes ogg = ReadFile(path);
    // At a claimed 20 Hz, ten minutes are 12000 frames: the rest is not decoded.
    SetOggRate(ogg, 20);
    Decoded d(Write("slow.ogg", ogg));
    ASSERT_NE(d.block, nullptr);
    EXPECT_EQ(d.hertz, 20);
    EXPECT_EQ(d.length, 12000);
    // Just above the cut: nothing is lost.
    SetOggRate(ogg, 27);
    Decoded whole(Write("slow2.ogg", ogg));
    ASSERT_NE(whole.block, nullptr);
    EXPECT_NEAR(whole.length, 16000, 64);
}

TEST_F(OggTest, RefusesImplausibleRates) {
    std::string path = dir.File("src.ogg");
    ASSERT_TRUE(Sox(path, 8000, 1, "0.1"));
    Bytes ogg = ReadFile(path);
    for (std::uint32_t rate : {0u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
        SCOPED_TRACE(rate);
        SetOggRate(ogg, rate);
        Decoded d(Write("rate.ogg", ogg));
        EXPECT_EQ(d.block, nullptr);
    }
}

}  // namespace
