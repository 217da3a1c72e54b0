// sprite_load.h - the sprite load the three sprite programs draw (ours and the
// SDL2 one include it; the LOVE program repeats the same generator in Lua): the
// window size, the scenes, the seeded generator that places and tints every
// sprite, and the frame times and CPU time each program prints.
#pragma once

#include <time.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace sprites {

constexpr int kWindowW = 800;
constexpr int kWindowH = 450;
constexpr uint32_t kSeed = 20261208u;

struct Scene {
    const char* name;
    int count;  // sprites per frame
    int size;   // side of the square sprite image, pixels
};

// (a) many alpha-blended mid-size sprites: fill-rate bound; (b) many tiny ones:
// per-sprite cost bound.
constexpr Scene kScenes[] = {{"a", 1000, 32}, {"b", 10000, 1}};

struct Sprite {
    float x, y;
    unsigned char r, g, b, a;
};

// Numerical Recipes' 32-bit LCG: every value is exact in a double, so the Lua
// copy produces the very same sequence.
class Lcg {
public:
    explicit Lcg(uint32_t seed) : state_(seed) {}
    uint32_t Next() {
        state_ = state_ * 1664525u + 1013904223u;
        return state_;
    }
    // A value in [0, 1) from the next state.
    double Unit() { return Next() / 4294967296.0; }

private:
    uint32_t state_;
};

// Positions keep the whole sprite inside the window; tints are bytes 64..255,
// alpha 128..255, so every sprite is visible and blended.
inline std::vector<Sprite> MakeSprites(const Scene& scene) {
    Lcg rng(kSeed);
    std::vector<Sprite> out(static_cast<size_t>(scene.count));
    for (Sprite& s : out) {
        s.x = static_cast<float>(std::floor(rng.Unit() * (kWindowW - scene.size)));
        s.y = static_cast<float>(std::floor(rng.Unit() * (kWindowH - scene.size)));
        s.r = static_cast<unsigned char>(64 + rng.Next() % 192);
        s.g = static_cast<unsigned char>(64 + rng.Next() % 192);
        s.b = static_cast<unsigned char>(64 + rng.Next() % 192);
        s.a = static_cast<unsigned char>(128 + rng.Next() % 128);
    }
    return out;
}

// The sprite image as straight-alpha RGBA bytes: a disc whose alpha falls off
// towards its rim (a 1x1 image is one opaque white pixel).
inline std::vector<unsigned char> MakeImage(int size) {
    std::vector<unsigned char> px(static_cast<size_t>(size) * size * 4);
    const double c = (size - 1) / 2.0, r = size / 2.0;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const double d = std::sqrt((x - c) * (x - c) + (y - c) * (y - c));
            const double alpha = size == 1 ? 1.0 : std::clamp(1.0 - d / r, 0.0, 1.0);
            unsigned char* p = &px[(static_cast<size_t>(y) * size + x) * 4];
            p[0] = p[1] = p[2] = 255;
            p[3] = static_cast<unsigned char>(alpha * 255.0);
        }
    }
    return px;
}

struct Options {
    const Scene* scene = &kScenes[0];
    int frames = 300;
    int warmup = 30;
    bool info = false;  // print the GL renderer and version and exit
};

inline Options ParseOptions(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--scene" && hasValue) {
            const std::string name = argv[++i];
            for (const Scene& s : kScenes) {
                if (name == s.name) o.scene = &s;
            }
        } else if (arg == "--frames" && hasValue) {
            o.frames = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--warmup" && hasValue) {
            o.warmup = std::max(0, std::atoi(argv[++i]));
        } else if (arg == "--info") {
            o.info = true;
        }
    }
    return o;
}

// CPU time of the whole process (every thread, the rasteriser's too), ms.
inline double ProcessCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// One line per timed frame, milliseconds, for the section script to pool, then
// the process's CPU time per timed frame.
inline void PrintFrameTimes(const std::vector<double>& ms, double cpuMs) {
    for (double v : ms) std::printf("%.4f\n", v);
    if (!ms.empty()) std::printf("# cpu %.4f\n", cpuMs / static_cast<double>(ms.size()));
}

}  // namespace sprites
