// synth.cpp - every sound effect of the game, synthesised: chimes and jingles
// from enveloped oscillators, clicks and crashes from filtered seeded noise.
// The generator trims or pads each result to its table length, then finish()
// normalises it and fades both ends to silence.
#include "synth.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace art {
namespace {

constexpr float kTwoPi = 6.28318530717959f;

// Equal-tempered pitch of a note given in semitones from A4 (440 Hz).
float pitch(int semitonesFromA4) { return 440.0f * std::pow(2.0f, semitonesFromA4 / 12.0f); }
constexpr int C5 = 3, E5 = 7, G5 = 10, A5 = 12, C6 = 15, D6 = 17, E6 = 19, G6 = 22, C7 = 27;

size_t at(int sr, float seconds) { return static_cast<size_t>(seconds * sr); }

float oscillate(Wave w, float phase) {
    float x = phase / kTwoPi;
    x -= std::floor(x);
    switch (w) {
        case Wave::Sine: return std::sin(phase);
        case Wave::Square: return x < 0.5f ? 0.7f : -0.7f;
        case Wave::Triangle: return 4.0f * std::fabs(x - 0.5f) - 1.0f;
        case Wave::Saw: return (2.0f * x - 1.0f) * 0.7f;
    }
    return 0;
}

// A bell-like chime: a few inharmonic partials, each with its own decay.
std::vector<float> chime(int sr, float seconds, float f) {
    std::vector<float> out;
    mixInto(out, tone(sr, seconds, f, f, Wave::Sine, 0.002f, 0.001f), 0, 1.0f);
    mixInto(out, tone(sr, seconds * 0.7f, f * 2.0f, f * 2.0f, Wave::Sine, 0.002f, 0.001f), 0, 0.45f);
    mixInto(out, tone(sr, seconds * 0.4f, f * 2.76f, f * 2.76f, Wave::Sine, 0.001f, 0.001f), 0, 0.25f);
    return out;
}

// Notes laid out one after another: {semitone, start, length} in seconds.
struct Note {
    int semi;
    float start, length;
};
std::vector<float> melody(int sr, const std::vector<Note>& notes, Wave w, float decay) {
    std::vector<float> out;
    for (const Note& n : notes)
        mixInto(out, tone(sr, n.length, pitch(n.semi), pitch(n.semi), w, 0.004f, decay), at(sr, n.start), 0.6f);
    return out;
}

std::vector<float> lowpass(std::vector<float> s, int sr, float cutoff) {
    float a = 1.0f - std::exp(-kTwoPi * cutoff / sr), y = 0;
    for (float& v : s) v = (y += a * (v - y));
    return s;
}

// ---- the effects --------------------------------------------------------

std::vector<float> runChime(int sr) { return chime(sr, 0.7f, pitch(C6)); }

std::vector<float> reelStop(int sr) {
    std::vector<float> out = noise(sr, 0.03f, 7, 5000, 0.01f);
    mixInto(out, tone(sr, 0.11f, 190, 120, Wave::Sine, 0.001f, 0.01f), 0, 0.9f);
    mixInto(out, tone(sr, 0.02f, 1800, 1200, Wave::Square, 0.0005f, 0.05f), 0, 0.25f);
    return out;
}

std::vector<float> whirr(int sr) {
    std::vector<float> buzz = tone(sr, 0.3f, 95, 85, Wave::Saw, 0.04f, 0.5f);
    for (size_t i = 0; i < buzz.size(); ++i) buzz[i] *= 0.6f + 0.4f * std::sin(kTwoPi * 22.0f * i / sr);
    std::vector<float> out = lowpass(buzz, sr, 900);
    mixInto(out, noise(sr, 0.3f, 11, 1500, 0.4f), 0, 0.35f);
    return out;
}

std::vector<float> unlock(int sr) {
    return melody(sr, {{C5, 0, 0.15f}, {E5, 0.1f, 0.15f}, {G5, 0.2f, 0.15f}, {C6, 0.3f, 0.55f}}, Wave::Square, 0.05f);
}

std::vector<float> powerUp(int sr, float seconds, Wave w) {
    std::vector<float> out = tone(sr, seconds, 220, 1320, w, 0.01f, 0.2f);
    for (size_t i = 0; i < out.size(); ++i) out[i] *= 0.75f + 0.25f * std::sin(kTwoPi * 14.0f * i / sr);
    return out;
}

std::vector<float> gulp(int sr) {
    std::vector<float> out = tone(sr, 0.15f, 500, 180, Wave::Triangle, 0.003f, 0.3f);
    mixInto(out, tone(sr, 0.2f, 220, 660, Wave::Triangle, 0.003f, 0.05f), at(sr, 0.14f), 1.0f);
    return out;
}

std::vector<float> sparkle(int sr, unsigned seed) {
    std::vector<float> out;
    const int steps[5] = {G6, C7, E6, G6, C7};
    for (int i = 0; i < 5; ++i)
        mixInto(out, chime(sr, 0.25f, pitch(steps[(i + seed) % 5])), at(sr, i * 0.05f), 0.5f);
    return out;
}

std::vector<float> whoosh(int sr, float seconds) {
    std::vector<float> n = noise(sr, seconds, 23, 2500, 1.0f);
    for (size_t i = 0; i < n.size(); ++i) n[i] *= std::sin(3.14159265f * i / n.size());
    return lowpass(n, sr, 1800);
}

std::vector<float> buzzer(int sr) { return lowpass(tone(sr, 0.4f, 140, 110, Wave::Square, 0.005f, 0.4f), sr, 2200); }

std::vector<float> coin(int sr) {
    std::vector<float> out = tone(sr, 0.08f, pitch(14), pitch(14), Wave::Square, 0.002f, 0.6f);
    mixInto(out, tone(sr, 0.2f, pitch(19), pitch(19), Wave::Square, 0.002f, 0.02f), at(sr, 0.07f), 1.0f);
    return lowpass(out, sr, 6000);
}

std::vector<float> winJingle(int sr) {
    std::vector<float> out = melody(sr,
                                    {{C5, 0, 0.18f}, {E5, 0.15f, 0.18f}, {G5, 0.3f, 0.18f}, {C6, 0.45f, 0.25f},
                                     {G5, 0.68f, 0.15f}, {C6, 0.82f, 1.0f}, {E6, 0.82f, 1.0f}, {G6, 0.82f, 1.0f}},
                                    Wave::Triangle, 0.05f);
    mixInto(out, sparkle(sr, 0), at(sr, 0.82f), 0.3f);
    return out;
}

std::vector<float> crash(int sr) {
    std::vector<float> out = noise(sr, 0.9f, 31, 3000, 0.01f);
    mixInto(out, tone(sr, 0.7f, 160, 40, Wave::Sine, 0.002f, 0.02f), 0, 1.2f);
    mixInto(out, tone(sr, 0.4f, 400, 90, Wave::Square, 0.002f, 0.05f), 0, 0.3f);
    return out;
}

std::vector<float> footstep(int sr) {
    std::vector<float> out = noise(sr, 0.06f, 41, 1200, 0.02f);
    mixInto(out, tone(sr, 0.06f, 150, 90, Wave::Sine, 0.001f, 0.02f), 0, 0.8f);
    return out;
}

std::vector<float> eatMonster(int sr, float f0, float f1) {
    std::vector<float> out = tone(sr, 0.4f, f0, f1, Wave::Square, 0.003f, 0.1f);
    for (size_t i = 0; i < out.size(); ++i) out[i] *= (static_cast<int>(i * 30 / sr) % 2) ? 0.5f : 1.0f;
    return lowpass(out, sr, 4000);
}

std::vector<float> blip(int sr, float f, float seconds) { return tone(sr, seconds, f, f * 1.5f, Wave::Square, 0.001f, 0.05f); }

std::vector<float> waka(int sr) {
    std::vector<float> out = tone(sr, 0.07f, 300, 600, Wave::Triangle, 0.002f, 0.6f);
    mixInto(out, tone(sr, 0.07f, 600, 300, Wave::Triangle, 0.002f, 0.3f), at(sr, 0.07f), 1.0f);
    return out;
}

std::vector<float> chipWin(int sr) {
    return melody(sr,
                  {{G5, 0, 0.12f}, {C6, 0.12f, 0.12f}, {E6, 0.24f, 0.12f}, {G6, 0.36f, 0.24f}, {E6, 0.6f, 0.12f},
                   {G6, 0.72f, 0.9f}, {C6, 0.72f, 0.9f}},
                  Wave::Square, 0.08f);
}

std::vector<float> deathWarble(int sr) {
    std::vector<float> out = tone(sr, 1.2f, 900, 110, Wave::Triangle, 0.01f, 0.1f);
    for (size_t i = 0; i < out.size(); ++i) out[i] *= 0.6f + 0.4f * std::sin(kTwoPi * 9.0f * i / sr);
    mixInto(out, noise(sr, 0.2f, 53, 2000, 0.01f), at(sr, 1.05f), 0.5f);
    return out;
}

std::vector<float> chirp(int sr) {
    std::vector<float> out = tone(sr, 0.12f, 800, 1600, Wave::Sine, 0.003f, 0.4f);
    mixInto(out, tone(sr, 0.2f, 1200, 2400, Wave::Sine, 0.003f, 0.05f), at(sr, 0.12f), 1.0f);
    return out;
}

std::vector<float> siren(int sr) {
    std::vector<float> out(at(sr, 0.9f));
    float phase = 0;
    for (size_t i = 0; i < out.size(); ++i) {
        float t = static_cast<float>(i) / sr;
        float f = 600 + 350 * std::sin(kTwoPi * 3.5f * t);
        phase += kTwoPi * f / sr;
        out[i] = oscillate(Wave::Triangle, phase) * std::pow(0.2f, t / 0.9f);
    }
    return out;
}

std::vector<float> pop(int sr) {
    std::vector<float> out = tone(sr, 0.12f, 900, 300, Wave::Sine, 0.001f, 0.02f);
    mixInto(out, noise(sr, 0.02f, 61, 6000, 0.05f), 0, 0.4f);
    return out;
}

std::vector<float> ready(int sr) {
    std::vector<float> out = chime(sr, 0.6f, pitch(E5));
    mixInto(out, chime(sr, 0.6f, pitch(A5)), at(sr, 0.15f), 0.8f);
    return out;
}

std::vector<float> click(int sr) {
    // Starts just after the edge fade, so the fade cannot swallow the transient.
    const size_t lead = at(sr, kEdgeFadeSec * 1.5f);
    std::vector<float> out;
    mixInto(out, noise(sr, 0.015f, 71, 8000, 0.01f), lead, 1.0f);
    mixInto(out, tone(sr, 0.04f, 1400, 900, Wave::Sine, 0.0005f, 0.01f), lead, 0.8f);
    return out;
}

std::vector<float> tick(int sr) { return tone(sr, 0.06f, pitch(D6 + 12), pitch(D6 + 12), Wave::Triangle, 0.001f, 0.01f); }

}  // namespace

std::vector<float> tone(int sr, float seconds, float f0, float f1, Wave wave, float attack, float decay) {
    std::vector<float> out(at(sr, seconds));
    float phase = 0;
    float n = static_cast<float>(std::max<size_t>(out.size(), 1));
    for (size_t i = 0; i < out.size(); ++i) {
        float t = i / n;
        phase += kTwoPi * f0 * std::pow(f1 / f0, t) / sr;
        float env = std::pow(decay, t);
        float secs = static_cast<float>(i) / sr;
        if (secs < attack) env *= secs / attack;
        out[i] = oscillate(wave, phase) * env;
    }
    return out;
}

std::vector<float> noise(int sr, float seconds, unsigned seed, float cutoff, float decay) {
    std::vector<float> out(at(sr, seconds));
    unsigned state = seed * 2654435761u + 1;
    float a = 1.0f - std::exp(-kTwoPi * cutoff / sr), y = 0;
    float n = static_cast<float>(std::max<size_t>(out.size(), 1));
    for (size_t i = 0; i < out.size(); ++i) {
        state = state * 1664525u + 1013904223u;
        float white = (state >> 8) / 8388608.0f - 1.0f;
        y += a * (white - y);
        out[i] = y * std::pow(decay, i / n) * 2.0f;
    }
    return out;
}

void mixInto(std::vector<float>& dst, const std::vector<float>& src, size_t offset, float gain) {
    if (dst.size() < offset + src.size()) dst.resize(offset + src.size(), 0.0f);
    for (size_t i = 0; i < src.size(); ++i) dst[offset + i] += src[i] * gain;
}

void finish(std::vector<float>& s, int sampleRate) {
    float peak = 0;
    for (float v : s) peak = std::max(peak, std::fabs(v));
    if (peak > 0)
        for (float& v : s) v *= kPeak / peak;
    size_t fade = std::min(static_cast<size_t>(kEdgeFadeSec * sampleRate), s.size() / 2);
    for (size_t i = 0; i < fade; ++i) {
        float g = 0.5f - 0.5f * std::cos(3.14159265f * i / fade);
        s[i] *= g;
        s[s.size() - 1 - i] *= g;
    }
}

std::string soundFile(int number) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "sfx/%03d.wav", number);
    return buf;
}

const std::vector<SoundSpec>& sounds() {
    static const std::vector<SoundSpec> list = {
        {1, "chime for a scored run", 0.7f, runChime},
        {2, "reel stopping", 0.12f, reelStop},
        {3, "spinning reels", 0.3f, whirr},
        {4, "machine unlocked", 0.9f, unlock},
        {5, "power-up", 0.6f, [](int sr) { return powerUp(sr, 0.6f, Wave::Triangle); }},
        {6, "gulp", 0.35f, gulp},
        {7, "sparkle", 0.5f, [](int sr) { return sparkle(sr, 1); }},
        {8, "whoosh", 0.45f, [](int sr) { return whoosh(sr, 0.45f); }},
        {9, "buzzer", 0.4f, buzzer},
        {11, "coin", 0.28f, coin},
        {12, "win jingle", 1.9f, winJingle},
        {13, "crash", 0.9f, crash},
        {14, "footstep", 0.09f, footstep},
        {15, "power-up", 0.7f, [](int sr) { return powerUp(sr, 0.7f, Wave::Square); }},
        {16, "monster eaten", 0.4f, [](int sr) { return eatMonster(sr, 300, 1200); }},
        {17, "sparkle", 0.5f, [](int sr) { return sparkle(sr, 2); }},
        {18, "whoosh", 0.4f, [](int sr) { return whoosh(sr, 0.4f); }},
        {19, "blip", 0.15f, [](int sr) { return blip(sr, 880, 0.15f); }},
        {21, "dot eaten", 0.14f, waka},
        {22, "win jingle", 1.8f, chipWin},
        {23, "walker caught", 1.3f, deathWarble},
        {24, "bonus item", 0.35f, chirp},
        {25, "power item", 0.9f, siren},
        {26, "monster eaten", 0.45f, [](int sr) { return eatMonster(sr, 200, 1600); }},
        {27, "sparkle", 0.5f, [](int sr) { return sparkle(sr, 3); }},
        {28, "pop", 0.15f, pop},
        {29, "buzzer", 0.4f, buzzer},
        {95, "ready chime", 0.8f, ready},
        {98, "interface click", 0.05f, click},
        {99, "selection tick", 0.07f, tick},
    };
    return list;
}

}  // namespace art
