// mixer.h - the toolkit's own software mixer: what the audio device uses of a
// sound library (buffers of 8- or 16-bit mono or stereo PCM; sources with gain,
// pitch, a left-right position, looping, and play, pause, stop with their states),
// mixed into interleaved stereo floats at the output's rate.
//
// The Windows build puts the sound-library calls of the audio device and the
// host's start-up on it (host/win32/al_mixer.cpp) and plays its output through
// WASAPI (host/win32/wasapi_output.cpp). It is platform-neutral, so the Linux
// tests compare its rendering with the sound library's own.
//
// The control calls come from the main thread, Render from the output's thread;
// one lock keeps them apart.
#pragma once

#include <cstdint>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace mixer {

enum class SourceState { Initial, Playing, Paused, Stopped };

// Panning gains of a source's two output channels, by where it stands.
struct PanGains {
    float left = 0, right = 0;
};

class Mixer {
public:
    // The largest source gain: louder settings are clamped, as the sound library's
    // default maximum gain does.
    static constexpr float kMaxGain = 1.0f;

    explicit Mixer(int outputRate);

    int OutputRate() const { return outputRate_; }

    // Names start at 1; 0 is "none".
    unsigned CreateBuffer();
    // Copies interleaved PCM: 8-bit samples unsigned, 16-bit signed little-endian.
    // False (and the buffer left as it was) for another layout.
    bool SetBufferData(unsigned buffer, int bytesPerSample, int channels, const void* data, int bytes, int rate);
    // False while a source holds the buffer, or when there is no such buffer.
    bool DeleteBuffer(unsigned buffer);
    bool IsBuffer(unsigned buffer) const;

    unsigned CreateSource();
    void DeleteSource(unsigned source);
    // False when the buffer does not exist (0 detaches).
    bool SetSourceBuffer(unsigned source, unsigned buffer);
    void SetLooping(unsigned source, bool looping);
    void SetGain(unsigned source, float gain);
    void SetPitch(unsigned source, float pitch);
    // x of the source's position; the other two coordinates are always 0.
    void SetPosition(unsigned source, float x);
    // Play restarts a playing or stopped source from its start and resumes a
    // paused one where it was.
    void Play(unsigned source);
    void Pause(unsigned source);
    void Stop(unsigned source);
    SourceState State(unsigned source) const;

    // Mixes `frames` stereo frames (left, right) into `out`, overwriting it.
    void Render(float* out, int frames);

    // The gains a mono source at x gets on the left and right outputs.
    static PanGains MonoPan(float x);

private:
    struct Buffer {
        std::vector<float> samples;  // interleaved, -1..1
        int channels = 1;
        int rate = 0;
        int frames = 0;
    };
    struct Source {
        unsigned buffer = 0;
        bool looping = false;
        float gain = 1, pitch = 1, x = 0;
        SourceState state = SourceState::Initial;
        uint64_t position = 0;  // in buffer frames, fixed point (mixer.cpp)
    };

    // Adds one source's next `frames` output frames to `out`; stops it at the end.
    void MixSource(Source& source, const Buffer& buffer, float* out, int frames);
    bool Attached(unsigned buffer) const;

    int outputRate_;
    unsigned nextBuffer_ = 1, nextSource_ = 1;
    std::unordered_map<unsigned, Buffer> buffers_;
    std::unordered_map<unsigned, Source> sources_;
    mutable std::mutex lock_;
};

}  // namespace mixer
