// sound_test.cpp - the synthesiser and the WAV writer: file names as the loader
// builds them, a header every loader of the game accepts, pitch and envelope
// behaviour of the building blocks, and every generated effect short, clean at
// both ends and below full scale.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "generated_data.h"
#include "synth.h"
#include "wav.h"

namespace {

namespace fs = std::filesystem;

constexpr int kWinJingles[] = {12, 22};
constexpr float kMaxSeconds = 1.5f;
constexpr float kMaxJingleSeconds = 2.5f;
constexpr int kEdgeTolerance = 100;  // |sample| at the very ends

bool isJingle(int n) { return n == kWinJingles[0] || n == kWinJingles[1]; }

TEST(SoundNames, UseAtLeastThreeDigits) {
    EXPECT_EQ(art::soundFile(5), "sfx/005.wav");
    EXPECT_EQ(art::soundFile(42), "sfx/042.wav");
    EXPECT_EQ(art::soundFile(123), "sfx/123.wav");
}

TEST(WavWriter, HeaderDescribesMono16BitPcm) {
    std::vector<unsigned char> b = art::wavBytes({1, -2, 32767, -32768}, 22050);
    ASSERT_EQ(b.size(), 44u + 8u);
    EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "RIFF");
    EXPECT_EQ(b[4] | (b[5] << 8), 36 + 8);
    EXPECT_EQ(std::string(b.begin() + 8, b.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(b[20], 1);             // PCM
    EXPECT_EQ(b[22], 1);             // mono
    EXPECT_EQ(b[24] | (b[25] << 8), 22050);
    EXPECT_EQ(b[28] | (b[29] << 8) | (b[30] << 16), 44100);  // bytes per second
    EXPECT_EQ(b[34], 16);
    EXPECT_EQ(std::string(b.begin() + 36, b.begin() + 40), "data");
    EXPECT_EQ(b[40], 8);
    EXPECT_EQ(b[46], 0xfe);  // -2 little-endian
    EXPECT_EQ(b[47], 0xff);
    EXPECT_EQ(b[50], 0x00);  // -32768
    EXPECT_EQ(b[51], 0x80);
}

TEST(WavWriter, ConversionClampsAndRounds) {
    std::vector<int16_t> pcm = art::toPcm16({0.0f, 0.5f, -0.5f, 2.0f, -3.0f, NAN});
    EXPECT_EQ(pcm[0], 0);
    EXPECT_EQ(pcm[1], 16384);
    EXPECT_EQ(pcm[2], -16384);
    EXPECT_EQ(pcm[3], 32767);
    EXPECT_EQ(pcm[4], -32767);
    EXPECT_EQ(pcm[5], -32767);  // a NaN never turns into noise or garbage
}

TEST(Synth, ToneHasItsPitchAndGlides) {
    auto crossings = [](const std::vector<float>& s, size_t from, size_t to) {
        int n = 0;
        for (size_t i = from + 1; i < to; ++i) n += (s[i - 1] < 0) != (s[i] < 0);
        return n;
    };
    const int sr = art::kSampleRate;
    std::vector<float> a = art::tone(sr, 1.0f, 440, 440, art::Wave::Sine, 0.001f, 1.0f);
    ASSERT_EQ(a.size(), static_cast<size_t>(sr));
    EXPECT_NEAR(crossings(a, 0, a.size()), 880, 3);
    std::vector<float> sweep = art::tone(sr, 1.0f, 200, 800, art::Wave::Sine, 0.001f, 1.0f);
    // An exponential glide from 200 to 800 Hz averages about 239 Hz over its
    // first quarter and about 676 Hz over its last.
    EXPECT_NEAR(crossings(sweep, 0, sr / 4), 2 * 239 / 4, 3);
    EXPECT_NEAR(crossings(sweep, sr * 3 / 4, sr), 2 * 676 / 4, 3);
}

TEST(Synth, EnvelopeAttacksAndDecays) {
    std::vector<float> s = art::tone(art::kSampleRate, 0.5f, 300, 300, art::Wave::Square, 0.05f, 0.01f);
    auto peakIn = [&](size_t from, size_t len) {
        float p = 0;
        for (size_t i = from; i < from + len; ++i) p = std::max(p, std::fabs(s[i]));
        return p;
    };
    const float square = 0.7f, sr = static_cast<float>(art::kSampleRate);
    EXPECT_LT(peakIn(0, 50), 0.05f);  // still rising
    // Past the attack the level follows decay^(t / length) with t = 1200 / sr.
    EXPECT_NEAR(peakIn(1200, 20), square * std::pow(0.01f, 1200 / sr / 0.5f), 0.01f);
    EXPECT_NEAR(peakIn(s.size() - 20, 20), square * 0.01f, 0.002f);
}

TEST(Synth, NoiseIsSeeded) {
    std::vector<float> a = art::noise(art::kSampleRate, 0.1f, 5, 4000, 1.0f);
    std::vector<float> b = art::noise(art::kSampleRate, 0.1f, 5, 4000, 1.0f);
    std::vector<float> c = art::noise(art::kSampleRate, 0.1f, 6, 4000, 1.0f);
    EXPECT_EQ(a, b);
    EXPECT_NE(a, c);
}

TEST(Synth, FinishNormalisesAndSilencesBothEnds) {
    std::vector<float> s(1000, 3.0f);
    s[500] = -6.0f;
    art::finish(s, art::kSampleRate);
    EXPECT_FLOAT_EQ(s[500], -art::kPeak);
    EXPECT_FLOAT_EQ(s.front(), 0.0f);
    EXPECT_NEAR(s.back(), 0.0f, 1e-3f);
    EXPECT_NEAR(s[300], art::kPeak * 0.5f, 1e-4f);
    std::vector<float> quiet(100, 0.0f);
    art::finish(quiet, art::kSampleRate);  // silence stays silence, no division by zero
    EXPECT_EQ(quiet, std::vector<float>(100, 0.0f));
}

TEST(GeneratedSounds, AreValidShortCleanAndBelowFullScale) {
    for (const art::SoundSpec& spec : art::sounds()) {
        std::string file = (fs::path(artgen_test::generatedData()) / art::soundFile(spec.number)).string();
        artgen_test::Wav w = artgen_test::loadWav(file);
        ASSERT_TRUE(w.riffOk) << file;
        EXPECT_EQ(w.format, 1) << file;
        EXPECT_EQ(w.channels, 1) << file;
        EXPECT_EQ(w.bits, 16) << file;
        EXPECT_EQ(w.rate, art::kSampleRate) << file;
        ASSERT_FALSE(w.samples.empty()) << file;
        float seconds = static_cast<float>(w.samples.size()) / w.rate;
        EXPECT_NEAR(seconds, spec.seconds, 0.001f) << file;
        EXPECT_LT(seconds, isJingle(spec.number) ? kMaxJingleSeconds : kMaxSeconds) << file;
        int peak = 0;
        for (int16_t s : w.samples) peak = std::max(peak, std::abs(static_cast<int>(s)));
        EXPECT_LT(peak, 32767) << file << " reaches full scale";
        EXPECT_GT(peak, 32767 / 2) << file << " is (nearly) silent";
        EXPECT_LE(std::abs(w.samples.front()), kEdgeTolerance) << file << " clicks at the start";
        EXPECT_LE(std::abs(w.samples.back()), kEdgeTolerance) << file << " clicks at the end";
    }
}

}  // namespace
