// synth.h - the art tool's sound synthesiser: oscillators with pitch sweeps,
// envelopes, seeded noise and a one-pole filter, and the table of every sound
// effect the game loads (sfx/NNN.wav).
#pragma once

#include <string>
#include <vector>

namespace art {

constexpr int kSampleRate = 22050;
constexpr float kPeak = 0.8f;          // every effect is normalised to this peak
constexpr float kEdgeFadeSec = 0.004f;  // fade at both ends so nothing clicks

struct SoundSpec {
    int number;               // file sfx/NNN.wav
    const char* role;         // what the game uses it for
    float seconds;            // length
    std::vector<float> (*make)(int sampleRate);
};

const std::vector<SoundSpec>& sounds();
std::string soundFile(int number);  // "sfx/" + at least three digits + ".wav"

// Normalises to kPeak and fades both ends; the final step of every effect.
void finish(std::vector<float>& s, int sampleRate);

// Building blocks (exposed for tests).
enum class Wave { Sine, Square, Triangle, Saw };
// A tone whose pitch glides exponentially from f0 to f1 over its length, with
// a linear attack and exponential decay (decay: fraction of amplitude left at the end).
std::vector<float> tone(int sampleRate, float seconds, float f0, float f1, Wave wave, float attack, float decay);
// Seeded white noise through a one-pole low-pass filter at cutoff Hz.
std::vector<float> noise(int sampleRate, float seconds, unsigned seed, float cutoff, float decay);
// Adds src into dst starting at sample offset (dst grows as needed), scaled by gain.
void mixInto(std::vector<float>& dst, const std::vector<float>& src, size_t offset, float gain);

}  // namespace art
