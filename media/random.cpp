// random.cpp - the toolkit's one pseudo-random generator, a 32-bit linear
// congruential recurrence whose top 24 bits give the fraction, and the absolute
// value helpers. Called by the reels, the machines and the play flow; the host's
// module initialiser resets the seed.
#include "media/random.h"

#include <cstdint>

int kx_random_Seed = kRandomInitialSeed;

namespace {

constexpr std::uint32_t kLcgMultiplier = 1664525u;
constexpr std::uint32_t kLcgIncrement = 1013904223u;
constexpr int kFractionShift = 8;                      // keep the top 24 bits
constexpr double kFractionScale = 1.0 / 16777216.0;   // 2^-24

// Advances the state once (unsigned arithmetic wraps modulo 2^32 without the
// overflow a signed product would be) and returns k / 2^24, exact in a float.
double Next() {
    std::uint32_t s = static_cast<std::uint32_t>(kx_random_Seed) * kLcgMultiplier + kLcgIncrement;
    kx_random_Seed = static_cast<int>(s);
    return static_cast<double>(s >> kFractionShift) * kFractionScale;
}

}  // namespace

int kx_random_init() {
    kx_random_Seed = kRandomInitialSeed;
    return 0;
}

float kx_random_Rnd() { return static_cast<float>(Next()); }

float kx_random_Rnd2(float low, float high) {
    double r = Next();
    return static_cast<float>(static_cast<double>(low) + (static_cast<double>(high) - low) * r);
}

float kx_random_Rnd3(float range) { return static_cast<float>(Next() * range); }

int kx_math_Abs(int x) {
    // Negated as unsigned: the most negative int has no positive counterpart and
    // stays as it is instead of overflowing.
    return x < 0 ? static_cast<int>(0u - static_cast<unsigned>(x)) : x;
}

float kx_math_Abs2(float x) { return x >= 0 ? x : -x; }
