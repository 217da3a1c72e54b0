// The toolkit's own mixer against the sound library it stands in for on Windows:
// the same calls made on both, the library rendering through its loopback device
// (no sound hardware), and every output sample compared. Tolerance: 1e-4 of full
// scale per sample (the library mixes in float too; what differs is the order of
// its float operations).
#include "media/mixer.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace {

constexpr int kOutputRate = 44100;
constexpr float kTolerance = 1e-4f;

// One buffer and one source on both sides, driven by the same calls.
class Pair {
public:
    Pair() : mixer_(kOutputRate) {
        auto open = reinterpret_cast<LPALCLOOPBACKOPENDEVICESOFT>(alcGetProcAddress(nullptr, "alcLoopbackOpenDeviceSOFT"));
        render_ = reinterpret_cast<LPALCRENDERSAMPLESSOFT>(alcGetProcAddress(nullptr, "alcRenderSamplesSOFT"));
        device_ = open ? open(nullptr) : nullptr;
        const ALCint attrs[] = {ALC_FORMAT_CHANNELS_SOFT, ALC_STEREO_SOFT, ALC_FORMAT_TYPE_SOFT, ALC_FLOAT_SOFT,
                                ALC_FREQUENCY, kOutputRate, 0};
        context_ = device_ ? alcCreateContext(device_, attrs) : nullptr;
        if (context_) alcMakeContextCurrent(context_);
        alDistanceModel(AL_NONE);
    }
    ~Pair() {
        alcMakeContextCurrent(nullptr);
        if (context_) alcDestroyContext(context_);
        if (device_) alcCloseDevice(device_);
    }
    bool Ready() const { return context_ && render_; }

    // Index of the new source (both sides).
    int AddSource(ALenum format, const void* data, int bytes, int rate) {
        ALuint b = 0, s = 0;
        alGenBuffers(1, &b);
        alBufferData(b, format, data, bytes, rate);
        alGenSources(1, &s);
        alSourcei(s, AL_BUFFER, static_cast<ALint>(b));
        int bytesPerSample = format == AL_FORMAT_MONO8 || format == AL_FORMAT_STEREO8 ? 1 : 2;
        int channels = format == AL_FORMAT_STEREO8 || format == AL_FORMAT_STEREO16 ? 2 : 1;
        unsigned mb = mixer_.CreateBuffer();
        EXPECT_TRUE(mixer_.SetBufferData(mb, bytesPerSample, channels, data, bytes, rate));
        unsigned ms = mixer_.CreateSource();
        mixer_.SetSourceBuffer(ms, mb);
        al_.push_back(s);
        own_.push_back(ms);
        return static_cast<int>(al_.size()) - 1;
    }
    void Gain(int i, float g) { alSourcef(al_[i], AL_GAIN, g); mixer_.SetGain(own_[i], g); }
    void Pitch(int i, float p) { alSourcef(al_[i], AL_PITCH, p); mixer_.SetPitch(own_[i], p); }
    void Pan(int i, float x) { alSource3f(al_[i], AL_POSITION, x, 0, 0); mixer_.SetPosition(own_[i], x); }
    void Loop(int i, bool on) { alSourcei(al_[i], AL_LOOPING, on ? AL_TRUE : AL_FALSE); mixer_.SetLooping(own_[i], on); }
    void Play(int i) { alSourcePlay(al_[i]); mixer_.Play(own_[i]); }
    void Pause(int i) { alSourcePause(al_[i]); mixer_.Pause(own_[i]); }
    void Stop(int i) { alSourceStop(al_[i]); mixer_.Stop(own_[i]); }

    // Renders `frames` on both; the largest difference of any sample.
    float Compare(int frames) {
        std::vector<float> theirs(2 * static_cast<size_t>(frames)), ours(theirs.size());
        render_(device_, theirs.data(), frames);
        mixer_.Render(ours.data(), frames);
        float worst = 0, loudest = 0;
        for (size_t k = 0; k < ours.size(); ++k) {
            worst = std::max(worst, std::fabs(theirs[k] - ours[k]));
            loudest = std::max(loudest, std::fabs(theirs[k]));
        }
        loudest_ = std::max(loudest_, loudest);
        return worst;
    }
    // Both report the same state for source i.
    void ExpectSameState(int i) {
        ALint state = 0;
        alGetSourcei(al_[i], AL_SOURCE_STATE, &state);
        mixer::SourceState own = mixer_.State(own_[i]);
        ALint mapped = own == mixer::SourceState::Playing ? AL_PLAYING
                       : own == mixer::SourceState::Paused ? AL_PAUSED
                       : own == mixer::SourceState::Stopped ? AL_STOPPED : AL_INITIAL;
        EXPECT_EQ(mapped, state) << "source " << i;
    }
    // Something was heard at all (a silent comparison would prove nothing).
    float Loudest() const { return loudest_; }

private:
    mixer::Mixer mixer_;
    ALCdevice* device_ = nullptr;
    ALCcontext* context_ = nullptr;
    LPALCRENDERSAMPLESSOFT render_ = nullptr;
    std::vector<ALuint> al_;
    std::vector<unsigned> own_;
    float loudest_ = 0;
};

std::vector<int16_t> Noise16(size_t n, unsigned seed) {
    std::mt19937 gen(seed);
    std::uniform_int_distribution<int> d(-20000, 20000);
    std::vector<int16_t> v(n);
    for (auto& x : v) x = static_cast<int16_t>(d(gen));
    return v;
}

std::vector<uint8_t> Noise8(size_t n, unsigned seed) {
    std::mt19937 gen(seed);
    std::uniform_int_distribution<int> d(0, 255);
    std::vector<uint8_t> v(n);
    for (auto& x : v) x = static_cast<uint8_t>(d(gen));
    return v;
}

TEST(MixerAgainstOpenAL, MonoSoundsAtEveryPanGainPitchAndRate) {
    Pair p;
    ASSERT_TRUE(p.Ready()) << "no loopback device";
    std::vector<int16_t> a = Noise16(3000, 1), b = Noise16(5000, 2);
    std::vector<uint8_t> c = Noise8(4000, 3);
    int left = p.AddSource(AL_FORMAT_MONO16, a.data(), 6000, 22050);
    int centre = p.AddSource(AL_FORMAT_MONO16, b.data(), 10000, 44100);
    int right = p.AddSource(AL_FORMAT_MONO8, c.data(), 4000, 11025);
    p.Pan(left, -0.6f);
    p.Gain(left, 0.7f);
    p.Pitch(left, 1.37f);
    p.Gain(centre, 0.5f);
    p.Pan(right, 0.25f);
    p.Pitch(right, 0.8f);
    p.Play(left);
    p.Play(centre);
    p.Play(right);
    for (int block = 0; block < 12; ++block) {
        EXPECT_LT(p.Compare(1024), kTolerance) << "block " << block;
        for (int i = 0; i < 3; ++i) p.ExpectSameState(i);
    }
    EXPECT_GT(p.Loudest(), 0.3f);
}

TEST(MixerAgainstOpenAL, StereoLoopingPauseResumeAndStop) {
    Pair p;
    ASSERT_TRUE(p.Ready()) << "no loopback device";
    std::vector<int16_t> st = Noise16(2 * 700, 4);
    std::vector<uint8_t> st8 = Noise8(2 * 900, 5);
    int music = p.AddSource(AL_FORMAT_STEREO16, st.data(), 2800, 48000);
    int effect = p.AddSource(AL_FORMAT_STEREO8, st8.data(), 1800, 44100);
    p.Loop(music, true);
    p.Pan(music, 0.9f);  // a stereo sound ignores where it stands
    p.Gain(effect, 0.4f);
    p.Play(music);
    p.Play(effect);
    EXPECT_LT(p.Compare(500), kTolerance);
    p.Pause(music);
    EXPECT_LT(p.Compare(300), kTolerance);
    p.ExpectSameState(music);
    p.Play(music);  // resumes where it paused
    EXPECT_LT(p.Compare(2048), kTolerance);
    p.ExpectSameState(effect);  // ended by now
    p.Play(effect);             // restarts from its beginning
    p.Stop(music);
    EXPECT_LT(p.Compare(1024), kTolerance);
    p.ExpectSameState(music);
    p.ExpectSameState(effect);
    EXPECT_GT(p.Loudest(), 0.3f);
}

}  // namespace
