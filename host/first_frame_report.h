// first_frame_report.h - the line a program prints for the start-up benchmark
// right after its first frame is swapped and finished: "first frame <ns>", the
// monotonic clock in nanoseconds. The game prints it when told to exit after its
// first frame (host/app.cpp); the bare yardsticks print it the same way
// (bench/startup/bare_glfw.cpp, bare_sdl2.cpp), and the benchmark's stopwatch
// (bench/startup/first_frame_clock.cpp) reads it, against the same clock read just
// before the exec.
#pragma once

#include <chrono>
#include <cstdio>

constexpr char kFirstFrameMarker[] = "first frame ";

// steady_clock is CLOCK_MONOTONIC on Linux: one clock for every process.
inline long long FirstFrameClockNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Call after the swap and glFinish; flushed at once, so the time is the frame's
// and not the exit's.
inline void ReportFirstFrame() {
    std::printf("%s%lld\n", kFirstFrameMarker, FirstFrameClockNs());
    std::fflush(stdout);
}
