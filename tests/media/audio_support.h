// audio_support.h - helpers for the audio tests: a scratch directory, a WAV file
// builder whose every header field can be bent, PCM signal makers, and an OpenAL
// loopback device whose mix the test renders itself (so time passes only when a
// test says so, and the output can be inspected).
#pragma once

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "media/audio_device.h"

namespace audiotest {

using Bytes = std::vector<unsigned char>;

class TempDir {
public:
    TempDir() {
        char templ[] = "/tmp/tumbleroo-audio-XXXXXX";
        const char* made = mkdtemp(templ);
        path_ = made ? made : "";
    }
    ~TempDir() {
        if (!path_.empty()) std::system(("rm -rf '" + path_ + "'").c_str());
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

inline void WriteFile(const std::string& path, const Bytes& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    std::size_t written = bytes.empty() ? 0 : std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    ASSERT_EQ(written, bytes.size()) << path;
}

inline Bytes ReadFile(const std::string& path) {
    Bytes out;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return out;
    unsigned char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.insert(out.end(), buf, buf + n);
    std::fclose(f);
    return out;
}

inline void PutTag(Bytes& b, const char* tag) { b.insert(b.end(), tag, tag + 4); }
inline void Put16(Bytes& b, int v) {
    b.push_back(static_cast<unsigned char>(v & 0xff));
    b.push_back(static_cast<unsigned char>((v >> 8) & 0xff));
}
inline void Put32(Bytes& b, std::int64_t v) {
    auto u = static_cast<std::uint32_t>(v);
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<unsigned char>((u >> (8 * i)) & 0xff));
}

// Every field of a RIFF/WAVE file, so that tests can build good files and bend
// them into hostile ones.
struct WavSpec {
    int formatCode = 1;
    int channels = 1;
    int hertz = 22050;
    int bits = 16;
    int fmtSize = 16;              // 18 adds a cbSize word of 0
    bool extraChunk = false;       // a "LIST" chunk between "fmt " and "data"
    std::int64_t dataSizeField = -1;  // -1: the real size of `data`
    Bytes data;
};

inline Bytes BuildWav(const WavSpec& s) {
    Bytes b;
    PutTag(b, "RIFF");
    Put32(b, 0);  // patched below
    PutTag(b, "WAVE");
    PutTag(b, "fmt ");
    Put32(b, s.fmtSize);
    Put16(b, s.formatCode);
    Put16(b, s.channels);
    Put32(b, s.hertz);
    int blockAlign = s.channels * (s.bits / 8);
    Put32(b, static_cast<std::int64_t>(s.hertz) * blockAlign);
    Put16(b, blockAlign);
    Put16(b, s.bits);
    for (int i = 16; i < s.fmtSize; ++i) b.push_back(0);
    if (s.extraChunk) {
        PutTag(b, "LIST");
        Put32(b, 6);
        const char info[] = "INFOab";
        b.insert(b.end(), info, info + 6);
    }
    PutTag(b, "data");
    Put32(b, s.dataSizeField >= 0 || s.dataSizeField < -1 ? s.dataSizeField
                                                         : static_cast<std::int64_t>(s.data.size()));
    b.insert(b.end(), s.data.begin(), s.data.end());
    std::uint32_t riff = static_cast<std::uint32_t>(b.size() - 8);
    for (int i = 0; i < 4; ++i) b[4 + i] = static_cast<unsigned char>((riff >> (8 * i)) & 0xff);
    return b;
}

// 16-bit little-endian PCM of a square wave: `period` frames per cycle, the same
// value on every channel.
inline Bytes Square16(int frames, int channels, int period, int amplitude) {
    Bytes b;
    for (int i = 0; i < frames; ++i) {
        int v = (i % period) < period / 2 ? amplitude : -amplitude;
        for (int c = 0; c < channels; ++c) Put16(b, v);
    }
    return b;
}

inline Bytes Ramp8(int count) {
    Bytes b;
    for (int i = 0; i < count; ++i) b.push_back(static_cast<unsigned char>(i * 7 + 3));
    return b;
}

// A WAV file of a 16-bit mono square wave, written into `dir`.
inline std::string SquareWav(const TempDir& dir, const std::string& name, int frames, int hertz,
                             int period = 40, int amplitude = 12000) {
    WavSpec s;
    s.hertz = hertz;
    s.data = Square16(frames, 1, period, amplitude);
    std::string path = dir.File(name);
    WriteFile(path, BuildWav(s));
    return path;
}

constexpr int kLoopbackHertz = 22050;

// An OpenAL loopback device with a current context: stereo 16-bit output that the
// test renders on demand.
class Loopback {
public:
    Loopback() {
        auto open = reinterpret_cast<LPALCLOOPBACKOPENDEVICESOFT>(
            alcGetProcAddress(nullptr, "alcLoopbackOpenDeviceSOFT"));
        render_ = reinterpret_cast<LPALCRENDERSAMPLESSOFT>(
            alcGetProcAddress(nullptr, "alcRenderSamplesSOFT"));
        if (!open || !render_) return;
        device_ = open(nullptr);
        if (!device_) return;
        const ALCint attrs[] = {ALC_FORMAT_CHANNELS_SOFT, ALC_STEREO_SOFT,
                                ALC_FORMAT_TYPE_SOFT,     ALC_SHORT_SOFT,
                                ALC_FREQUENCY,            kLoopbackHertz,
                                0};
        context_ = alcCreateContext(device_, attrs);
        if (context_) alcMakeContextCurrent(context_);
    }
    ~Loopback() {
        alcMakeContextCurrent(nullptr);
        if (context_) alcDestroyContext(context_);
        if (device_) alcCloseDevice(device_);
    }
    Loopback(const Loopback&) = delete;
    Loopback& operator=(const Loopback&) = delete;

    bool ok() const { return context_ != nullptr; }

    // Mixes `frames` stereo frames; interleaved left, right.
    std::vector<short> Render(int frames) {
        std::vector<short> out(static_cast<std::size_t>(frames) * 2);
        render_(device_, out.data(), frames);
        return out;
    }

private:
    LPALCRENDERSAMPLESSOFT render_ = nullptr;
    ALCdevice* device_ = nullptr;
    ALCcontext* context_ = nullptr;
};

inline double Rms(const std::vector<short>& pcm, int channel, std::size_t fromFrame = 0) {
    double sum = 0;
    std::size_t n = 0;
    for (std::size_t i = fromFrame * 2 + channel; i < pcm.size(); i += 2, ++n) sum += double(pcm[i]) * pcm[i];
    return n ? std::sqrt(sum / n) : 0.0;
}

// Sign changes of one output channel, ignoring near-silence around zero.
inline int ZeroCrossings(const std::vector<short>& pcm, int channel, int threshold = 500) {
    int crossings = 0, last = 0;
    for (std::size_t i = channel; i < pcm.size(); i += 2) {
        int sign = pcm[i] > threshold ? 1 : (pcm[i] < -threshold ? -1 : 0);
        if (sign != 0 && last != 0 && sign != last) ++crossings;
        if (sign != 0) last = sign;
    }
    return crossings;
}

inline ALint SourceInt(ALuint source, ALenum param) {
    ALint v = -1;
    alGetSourcei(source, param, &v);
    return v;
}

inline float SourceFloat(ALuint source, ALenum param) {
    ALfloat v = -1;
    alGetSourcef(source, param, &v);
    return v;
}

// A fresh audio device on a fresh loopback context per test. Every sample a test
// loads through Load() is discarded at the end and the discarded list cleared, so
// no buffer name outlives the device it was made on.
class AudioDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        discarded.clear();
        ASSERT_TRUE(loopback.ok()) << "no OpenAL loopback device";
        audio = new gxtkAudio();
    }
    void TearDown() override {
        for (gxtkSample* s : loaded) s->Discard();
        discarded.clear();
    }

    gxtkSample* Load(const std::string& path) {
        gxtkSample* s = audio->LoadSample(String(path.c_str()));
        if (s) loaded.push_back(s);
        return s;
    }

    // A loaded one-shot square wave of `frames` frames at the mixer's rate.
    gxtkSample* Square(const std::string& name, int frames, int period = 40, int amplitude = 12000) {
        return Load(SquareWav(dir, name, frames, kLoopbackHertz, period, amplitude));
    }

    TempDir dir;
    Loopback loopback;
    gxtkAudio* audio = nullptr;
    std::vector<gxtkSample*> loaded;
};

// Roots of the collector tests: the audio device and whatever a test adds, on top
// of the roots the program itself has installed.
inline std::vector<gc_object*> g_testRoots;
inline void (*g_outerMarker)() = nullptr;

inline void MarkTestRoots() {
    if (g_outerMarker) g_outerMarker();
    for (gc_object* p : g_testRoots) gc_mark_q(p);
}

class AudioCollectTest : public AudioDeviceTest {
protected:
    void SetUp() override {
        AudioDeviceTest::SetUp();
        g_outerMarker = gc_root_marker;
        gc_root_marker = MarkTestRoots;
        g_testRoots.clear();
        Root(audio);
        FullCollection();
    }
    void TearDown() override {
        g_testRoots.clear();
        gc_root_marker = g_outerMarker;
        AudioDeviceTest::TearDown();
    }
    void Root(gc_object* p) {
        gc_mark_q(p);  // the barrier of a store into a root
        g_testRoots.push_back(p);
    }
    void Unroot(gc_object* p) { g_testRoots.erase(std::find(g_testRoots.begin(), g_testRoots.end(), p)); }
    // Forced collections finish the cycle and destroy the dead at once. An object
    // reached in one cycle dies only at the sweep after next, and a sweep needs
    // something white: so several rounds, each with a fresh white object.
    static void FullCollection() {
        for (int round = 0; round < 3; ++round) {
            new Object();
            gc_force_sweep = true;
            gc_collect();
        }
    }
    // Takes a sample out of the fixture's care: the collector decides its fate.
    void Release(gxtkSample* s) { loaded.erase(std::find(loaded.begin(), loaded.end(), s)); }
};

}  // namespace audiotest
