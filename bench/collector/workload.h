// workload.h - the synthetic heap the three collector programs run (ours, Lua
// 5.4 and the Boehm collector): a stable live set of small nodes held in chunks
// of 256, and per tick the game's kind of churn (short-lived strings, small arrays
// and small objects), pointer stores into the live set and a few nodes replaced.
// Each program applies the same seeded choices with its own objects, runs its
// collector once per tick and prints one line per tick:
//   <microseconds in the collector> <microseconds for the whole tick> [<CPU microseconds in the collector>]
// then "# seconds <run time>" for the throughput. The third column, where a
// program gives it, is the collector's time on the thread's CPU clock: a long
// pause that it does not share was the process waiting, not the collector working.
#pragma once

#include <chrono>
#include <ctime>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace workload {

constexpr int kChunkNodes = 256;        // nodes per chunk of the live set
constexpr int kTickStrings = 100;       // short-lived texts per tick
constexpr int kTickArrays = 100;        // short-lived arrays of kArrayInts ints per tick
constexpr int kArrayInts = 8;
constexpr int kTickObjects = 100;       // short-lived small objects per tick
constexpr int kTickStores = 100;        // pointer stores into live nodes per tick
constexpr int kTickReplacements = 20;   // live nodes replaced by new ones per tick
constexpr uint32_t kSeed = 1234u;

struct Options {
    int liveObjects = 100000;
    int ticks = 2000;
};

inline Options ParseOptions(int argc, char** argv) {
    Options o;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string key = argv[i];
        const int value = std::atoi(argv[i + 1]);
        if (key == "--live" && value > 0) o.liveObjects = value;
        if (key == "--ticks" && value > 0) o.ticks = value;
    }
    return o;
}

// The live set is rounded up to whole chunks.
inline int ChunkCount(const Options& o) { return (o.liveObjects + kChunkNodes - 1) / kChunkNodes; }

// Numerical Recipes' 32-bit LCG, the same choices in every program.
class Lcg {
public:
    explicit Lcg(uint32_t seed) : state_(seed) {}
    uint32_t Next() {
        state_ = state_ * 1664525u + 1013904223u;
        return state_;
    }
    int Below(int n) { return static_cast<int>((static_cast<uint64_t>(Next()) * static_cast<uint32_t>(n)) >> 32); }

private:
    uint32_t state_;
};

using Clock = std::chrono::steady_clock;

inline double MicrosSince(Clock::time_point start) {
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

// Microseconds the calling thread has run on a CPU.
inline double ThreadCpuMicros() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e6 + static_cast<double>(t.tv_nsec) / 1e3;
}

// Per-tick samples, printed at the end so that printing never lands in a tick.
// Made right before the first tick: the run time counts the ticks only.
struct Samples {
    std::vector<double> pause, tick, cpu;
    Clock::time_point start = Clock::now();

    void Add(double pauseUs, double tickUs) {
        pause.push_back(pauseUs);
        tick.push_back(tickUs);
    }
    void Add(double pauseUs, double tickUs, double cpuUs) {
        Add(pauseUs, tickUs);
        cpu.push_back(cpuUs);
    }
    void Print() const {
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        for (size_t i = 0; i < pause.size(); ++i) {
            if (i < cpu.size()) {
                std::printf("%.3f %.3f %.3f\n", pause[i], tick[i], cpu[i]);
            } else {
                std::printf("%.3f %.3f\n", pause[i], tick[i]);
            }
        }
        std::printf("# seconds %.6f\n", seconds);
    }
};

}  // namespace workload
