// The toolkit's own mixer (media/mixer.h) on its own: sources' states as the audio
// device reads them, buffers refused while held, sample conversion, gain, pitch,
// panning and looping, read from its rendered output. Runs on Linux and, cross-
// compiled, under Wine. Its agreement with the sound library's rendering is
// tests/media/mixer_openal_test.cpp.
#include "media/mixer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

using mixer::Mixer;
using mixer::SourceState;

constexpr int kRate = 44100;

std::vector<float> Render(Mixer& m, int frames) {
    std::vector<float> out(2 * static_cast<size_t>(frames), -9.0f);
    m.Render(out.data(), frames);
    return out;
}

// A mono 16-bit buffer holding `values`, played by a new source standing left.
unsigned MonoSource(Mixer& m, const std::vector<int16_t>& values, int rate = kRate) {
    unsigned b = m.CreateBuffer();
    EXPECT_TRUE(m.SetBufferData(b, 2, 1, values.data(), static_cast<int>(values.size() * 2), rate));
    unsigned s = m.CreateSource();
    EXPECT_TRUE(m.SetSourceBuffer(s, b));
    m.SetPosition(s, -1.0f);
    return s;
}

TEST(Mixer, SourceStatesFollowPlayPauseResumeStopAndTheEnd) {
    Mixer m(kRate);
    unsigned s = MonoSource(m, std::vector<int16_t>(100, 1000));
    EXPECT_EQ(m.State(s), SourceState::Initial);
    m.Pause(s);  // nothing playing: stays as it is
    EXPECT_EQ(m.State(s), SourceState::Initial);
    m.Play(s);
    EXPECT_EQ(m.State(s), SourceState::Playing);
    Render(m, 60);
    m.Pause(s);
    EXPECT_EQ(m.State(s), SourceState::Paused);
    std::vector<float> paused = Render(m, 10);
    EXPECT_EQ(paused[0], 0.0f);  // a paused source adds nothing
    m.Play(s);                   // resumes where it was: 40 frames remain
    std::vector<float> rest = Render(m, 50);
    EXPECT_NEAR(rest[2 * 38], 1000 / 32768.0f, 1e-6f);
    EXPECT_EQ(rest[2 * 45], 0.0f);
    EXPECT_EQ(m.State(s), SourceState::Stopped);
    m.Play(s);  // a stopped source starts again from the beginning
    EXPECT_EQ(m.State(s), SourceState::Playing);
    m.Stop(s);
    EXPECT_EQ(m.State(s), SourceState::Stopped);
}

TEST(Mixer, ABufferCannotBeDeletedOrRefilledWhileASourceHoldsIt) {
    Mixer m(kRate);
    unsigned s = MonoSource(m, {1, 2, 3});
    unsigned held = 1;
    EXPECT_TRUE(m.IsBuffer(held));
    EXPECT_FALSE(m.DeleteBuffer(held));
    int16_t more[2] = {4, 5};
    EXPECT_FALSE(m.SetBufferData(held, 2, 1, more, 4, kRate));
    EXPECT_TRUE(m.SetSourceBuffer(s, 0));
    EXPECT_TRUE(m.DeleteBuffer(held));
    EXPECT_FALSE(m.IsBuffer(held));
    EXPECT_FALSE(m.SetSourceBuffer(s, held));  // gone
    EXPECT_FALSE(m.SetBufferData(m.CreateBuffer(), 3, 1, more, 4, kRate));  // no such layout
}

TEST(Mixer, EightBitSamplesAreUnsignedAndGainIsClampedToOne) {
    Mixer m(kRate);
    const unsigned char u8[4] = {128, 255, 0, 192};
    unsigned b = m.CreateBuffer();
    ASSERT_TRUE(m.SetBufferData(b, 1, 1, u8, 4, kRate));
    unsigned s = m.CreateSource();
    m.SetSourceBuffer(s, b);
    m.SetPosition(s, 1.0f);  // right only
    m.SetGain(s, 3.0f);
    m.Play(s);
    std::vector<float> out = Render(m, 4);
    EXPECT_FLOAT_EQ(out[3], 127 / 128.0f);
    EXPECT_FLOAT_EQ(out[5], -1.0f);
    EXPECT_FLOAT_EQ(out[7], 0.5f);
    EXPECT_EQ(out[2], 0.0f);  // nothing on the left
}

TEST(Mixer, PitchAndRateStretchTheSoundAndLoopingWrapsAround) {
    Mixer m(kRate);
    std::vector<int16_t> ramp(100);
    for (int i = 0; i < 100; ++i) ramp[i] = static_cast<int16_t>(i * 300);
    unsigned half = MonoSource(m, ramp, kRate / 2);  // half the output's rate
    m.Play(half);
    std::vector<float> out = Render(m, 200);
    EXPECT_NEAR(out[2 * 3] * 32768, 450.0f, 0.5f);  // halfway between frames 1 and 2
    EXPECT_EQ(m.State(half), SourceState::Stopped);  // 100 frames at half speed: 200 output frames

    unsigned loop = MonoSource(m, {1000, 2000, 3000});
    m.SetLooping(loop, true);
    m.SetPitch(loop, 2.0f);
    m.Play(loop);
    out = Render(m, 4);  // frames 0, 2, 1 (wrapped), 0
    EXPECT_NEAR(out[2] * 32768, 3000.0f, 0.5f);
    EXPECT_NEAR(out[4] * 32768, 2000.0f, 0.5f);
    EXPECT_EQ(m.State(loop), SourceState::Playing);
}

TEST(Mixer, MonoPanIsLeftRightOrCentreByTheSignOfX) {
    EXPECT_EQ(Mixer::MonoPan(-0.01f).left, 1.0f);
    EXPECT_EQ(Mixer::MonoPan(-0.01f).right, 0.0f);
    EXPECT_EQ(Mixer::MonoPan(0.3f).right, 1.0f);
    EXPECT_EQ(Mixer::MonoPan(0.3f).left, 0.0f);
    EXPECT_NEAR(Mixer::MonoPan(0.0f).left, Mixer::MonoPan(0.0f).right, 0.0f);
    EXPECT_GT(Mixer::MonoPan(0.0f).left, 0.5f);
    EXPECT_LT(Mixer::MonoPan(0.0f).left, 0.7f);
}

}  // namespace
