// mixer.cpp - the toolkit's own software mixer (see mixer.h): PCM conversion,
// linear resampling by pitch and rate, gain and left-right panning, looping and
// the sources' states. Called by host/win32/al_mixer.cpp and the mixer tests.
//
// Its rendering follows the sound library it replaces, as measured from that
// library's loopback output with the distance model off: linear interpolation
// between neighbouring frames (past the last frame of a one-shot sound the next
// one reads as silence), gains above 1 clamped to 1, a stereo buffer played as it
// is wherever the source stands, and a mono source heard fully on the left for
// any x below 0, fully on the right for any x above 0, and on both at
// kCentreGain when it stands on the listener.
#include "media/mixer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace mixer {
namespace {

// Each output's gain for a mono source standing on the listener.
constexpr float kCentreGain = 0.595662f;
constexpr float kUnsigned8Centre = 128.0f;
constexpr float kSigned16Scale = 32768.0f;
constexpr int kFractionBits = 12;
constexpr uint64_t kFractionOne = uint64_t{1} << kFractionBits;
constexpr uint64_t kFractionMask = kFractionOne - 1;

float Sample8(const unsigned char* p) { return (static_cast<float>(*p) - kUnsigned8Centre) / kUnsigned8Centre; }

float Sample16(const unsigned char* p) {
    int16_t v = static_cast<int16_t>(static_cast<uint16_t>(p[0] | (p[1] << 8)));
    return static_cast<float>(v) / kSigned16Scale;
}

}  // namespace

Mixer::Mixer(int outputRate) : outputRate_(outputRate > 0 ? outputRate : 1) {}

PanGains Mixer::MonoPan(float x) {
    if (x < 0) return PanGains{1.0f, 0.0f};
    if (x > 0) return PanGains{0.0f, 1.0f};
    return PanGains{kCentreGain, kCentreGain};  // also NaN
}

unsigned Mixer::CreateBuffer() {
    std::lock_guard<std::mutex> hold(lock_);
    unsigned name = nextBuffer_++;
    buffers_[name];
    return name;
}

bool Mixer::SetBufferData(unsigned name, int bytesPerSample, int channels, const void* data, int bytes, int rate) {
    if ((bytesPerSample != 1 && bytesPerSample != 2) || (channels != 1 && channels != 2) || rate <= 0 || bytes < 0) {
        return false;
    }
    const int frameBytes = bytesPerSample * channels;
    Buffer converted;
    converted.channels = channels;
    converted.rate = rate;
    converted.frames = bytes / frameBytes;
    converted.samples.resize(static_cast<size_t>(converted.frames) * channels);
    const unsigned char* in = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < converted.samples.size(); ++i) {
        const unsigned char* p = in + i * bytesPerSample;
        converted.samples[i] = bytesPerSample == 1 ? Sample8(p) : Sample16(p);
    }
    std::lock_guard<std::mutex> hold(lock_);
    auto it = buffers_.find(name);
    if (it == buffers_.end() || Attached(name)) return false;
    it->second = std::move(converted);
    return true;
}

bool Mixer::Attached(unsigned buffer) const {
    for (const auto& entry : sources_) {
        if (entry.second.buffer == buffer) return true;
    }
    return false;
}

bool Mixer::DeleteBuffer(unsigned buffer) {
    std::lock_guard<std::mutex> hold(lock_);
    if (!buffers_.count(buffer) || Attached(buffer)) return false;
    buffers_.erase(buffer);
    return true;
}

bool Mixer::IsBuffer(unsigned buffer) const {
    std::lock_guard<std::mutex> hold(lock_);
    return buffers_.count(buffer) != 0;
}

unsigned Mixer::CreateSource() {
    std::lock_guard<std::mutex> hold(lock_);
    unsigned name = nextSource_++;
    sources_[name];
    return name;
}

void Mixer::DeleteSource(unsigned source) {
    std::lock_guard<std::mutex> hold(lock_);
    sources_.erase(source);
}

bool Mixer::SetSourceBuffer(unsigned source, unsigned buffer) {
    std::lock_guard<std::mutex> hold(lock_);
    auto it = sources_.find(source);
    if (it == sources_.end() || (buffer != 0 && !buffers_.count(buffer))) return false;
    it->second.buffer = buffer;
    it->second.position = 0;
    it->second.state = SourceState::Initial;
    return true;
}

void Mixer::SetLooping(unsigned source, bool looping) {
    std::lock_guard<std::mutex> hold(lock_);
    auto it = sources_.find(source);
    if (it != sources_.end()) it->second.looping = looping;
}

void Mixer::SetGain(unsigned source, float gain) {
    std::lock_guard<std::mutex> hold(lock_);
    auto it = sources_.find(source);
    if (it != sources_.end() && gain >= 0) it->second.gain = std::min(gain, kMaxGain);
}

void Mixer::SetPitch(unsigned source, float pitch) {
    std::lock_guard<std::mutex> hold(lock_);
    auto it = sources_.find(source);
    if (it != sources_.end() && pitch >= 0) it->second.pitch = pitch;
}

void Mixer::SetPosition(unsigned source, float x) {
    std::lock_guard<std::mutex> hold(lock_);
    auto it = sources_.find(source);
    if (it != sources_.end()) it->second.x = x;
}

void Mixer::Play(unsigned source) {
    std::lock_guard<std::mutex> hold(lock_);
    auto it = sources_.find(source);
    if (it == sources_.end()) return;
    Source& s = it->second;
    if (s.state != SourceState::Paused) s.position = 0;
    // Without data there is nothing to play: the source ends at once.
    auto b = buffers_.find(s.buffer);
    s.state = (b == buffers_.end() || b->second.frames == 0) ? SourceState::Stopped : SourceState::Playing;
}

void Mixer::Pause(unsigned source) {
    std::lock_guard<std::mutex> hold(lock_);
    auto it = sources_.find(source);
    if (it != sources_.end() && it->second.state == SourceState::Playing) it->second.state = SourceState::Paused;
}

void Mixer::Stop(unsigned source) {
    std::lock_guard<std::mutex> hold(lock_);
    auto it = sources_.find(source);
    if (it == sources_.end() || it->second.state == SourceState::Initial) return;
    it->second.state = SourceState::Stopped;
    it->second.position = 0;
}

SourceState Mixer::State(unsigned source) const {
    std::lock_guard<std::mutex> hold(lock_);
    auto it = sources_.find(source);
    return it == sources_.end() ? SourceState::Initial : it->second.state;
}

void Mixer::Render(float* out, int frames) {
    std::memset(out, 0, sizeof(float) * 2 * static_cast<size_t>(std::max(frames, 0)));
    std::lock_guard<std::mutex> hold(lock_);
    for (auto& entry : sources_) {
        Source& s = entry.second;
        if (s.state != SourceState::Playing) continue;
        auto b = buffers_.find(s.buffer);
        if (b == buffers_.end() || b->second.frames == 0) {
            s.state = SourceState::Stopped;
            continue;
        }
        MixSource(s, b->second, out, frames);
    }
}

void Mixer::MixSource(Source& s, const Buffer& b, float* out, int frames) {
    const double ratio = static_cast<double>(s.pitch) * b.rate / outputRate_;
    const uint64_t step = std::max<uint64_t>(1, static_cast<uint64_t>(std::llround(ratio * kFractionOne)));
    const uint64_t end = static_cast<uint64_t>(b.frames) << kFractionBits;
    const PanGains pan = b.channels == 1 ? MonoPan(s.x) : PanGains{1.0f, 1.0f};
    const float left = s.gain * pan.left, right = s.gain * pan.right;
    // Frame `f`'s sample of channel `c`; past the end silence, or the start again
    // when looping.
    auto at = [&](uint64_t f, int c) -> float {
        if (f >= static_cast<uint64_t>(b.frames)) {
            if (!s.looping) return 0.0f;
            f %= static_cast<uint64_t>(b.frames);
        }
        return b.samples[f * b.channels + c];
    };
    for (int i = 0; i < frames; ++i) {
        uint64_t whole = s.position >> kFractionBits;
        float frac = static_cast<float>(s.position & kFractionMask) / static_cast<float>(kFractionOne);
        float l0 = at(whole, 0), l1 = at(whole + 1, 0);
        float l = l0 + (l1 - l0) * frac;
        float r = l;
        if (b.channels == 2) {
            float r0 = at(whole, 1), r1 = at(whole + 1, 1);
            r = r0 + (r1 - r0) * frac;
        }
        out[2 * i] += l * left;
        out[2 * i + 1] += r * right;
        s.position += step;
        if (s.position >= end) {
            if (!s.looping) {
                s.state = SourceState::Stopped;
                s.position = 0;
                return;
            }
            s.position %= end;
        }
    }
}

}  // namespace mixer
