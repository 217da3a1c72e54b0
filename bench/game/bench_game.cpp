// bench_game.cpp - the benchmarks of the game's own work, on the real game object
// with the real data. bench/game/run.sh runs one measurement per process:
//
//   bench_game drawcalls DATA K   draw calls per frame of every screen beside the
//                                 fewest the frame's sequence allows (GL window)
//   bench_game allocs DATA K      heap allocations per tick and per frame (no GL)
//   bench_game cost DATA K        the update and render passes, bracketed for
//                                 callgrind's collection (no GL, no sound)
//   bench_game gc DATA TICKS      each collector step's time over scripted play
//                                 (no GL)
//   bench_game pacing DATA SECS   updates per rendered frame of the host's loop on
//                                 a simulated clock, with injected stalls (no GL)
//   bench_game frametime DATA K WxH  the wall-clock time of every screen's frames in a
//                                 GL window of W x H, the rasteriser's work included
//
// Each prints its part of the benchmark report as Markdown on standard output
// ("cost" prints tab-separated lines for run.sh to join with callgrind's counts).
#include <valgrind/callgrind.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include <GL/gl.h>

#include "bench/game/alloc_counter.h"
#include "bench/game/least_draw_calls.h"
#include "bench/game/session.h"
#include "host/app.h"
#include "media/graphics_device.h"
#include "runtime/runtime.h"

namespace {

using benchgame::Probe;
using benchgame::Session;

using Clock = std::chrono::steady_clock;

// Budgets.
constexpr double kGcP99BudgetMs = 1.0;
constexpr double kGcMaxBudgetMs = 2.0;

constexpr double kTickSeconds = 1.0 / kTicksPerSecond;

int Records(const kx_Tumbleroo_MyApp* game) { return game->drawCount / kRecordFloats; }

// How many frames a probe may take at a screen that lasts `room` more ticks
// (negative: as long as wanted). A probe that ticks twice per frame passes 2.
int FramesFor(int wanted, int room, int ticksPerFrame = 1) {
    if (room < 0) return wanted;
    return std::max(1, std::min(wanted, (room - 1) / ticksPerFrame));
}

double Percentile(std::vector<double> v, double share) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    size_t rank = static_cast<size_t>(share * static_cast<double>(v.size()) + 0.999999);
    if (rank < 1) rank = 1;
    if (rank > v.size()) rank = v.size();
    return v[rank - 1];
}

const char* Verdict(bool met) { return met ? "met" : "missed"; }

// The tour of every screen with `probe`; false, after saying why, when a screen
// could not be reached.
bool TourWith(Session& s, Probe& probe) {
    std::string why;
    if (benchgame::Tour(s, probe, &why)) return true;
    std::fprintf(stderr, "bench_game: %s\n", why.c_str());
    return false;
}

// ---------------------------------------------------------------------------
// Draw calls
// ---------------------------------------------------------------------------

class DrawCallProbe : public Probe {
public:
    explicit DrawCallProbe(int frames) : frames_(frames) {}
    bool allEqual = true;

    void At(const std::string& screen, Session& s, int room) override {
        gxtkGraphics* g = app->graphics;
        LeastDrawCalls least;
        int minCalls = 1 << 30, maxCalls = 0, minLeast = 1 << 30, maxLeast = 0, unequal = 0;
        int records = 0, primitives = 0;
        LeastDrawCalls::Breaks breaks;
        const int n = FramesFor(frames_, room);
        for (int f = 0; f < n; ++f) {
            s.Tick();
            gxtkTestHooks::batchObserver = &least;
            s.Render();
            gxtkTestHooks::batchObserver = nullptr;
            const int calls = g->frameDrawCalls;
            const int fewest = least.FrameTotal();
            minCalls = std::min(minCalls, calls);
            maxCalls = std::max(maxCalls, calls);
            minLeast = std::min(minLeast, fewest);
            maxLeast = std::max(maxLeast, fewest);
            if (calls != fewest) ++unequal;
            records = std::max(records, Records(s.game));
            primitives = std::max(primitives, least.Primitives());
            breaks = least.BreakCounts();
        }
        allEqual = allEqual && unequal == 0;
        std::printf("| %s | %d | %d | %d | %s | %s | %d / %d / %d / %d / %d | %d of %d | %s |\n", screen.c_str(), n,
                    records, primitives, Range(minCalls, maxCalls).c_str(), Range(minLeast, maxLeast).c_str(),
                    breaks.kind, breaks.texture, breaks.capacity, breaks.fan, breaks.state, n - unequal, n,
                    Verdict(unequal == 0));
    }

private:
    static std::string Range(int lo, int hi) {
        return lo == hi ? std::to_string(lo) : std::to_string(lo) + "-" + std::to_string(hi);
    }
    int frames_;
};

int RunDrawCalls(Session& s, int frames) {
    std::printf("### Draw calls per frame\n\n");
    std::printf("The device's own counter (`frameDrawCalls`) beside the fewest calls the frame's sequence of "
                "primitives allows under the batching rules, worked out independently from the device's batch "
                "observer. Breaks of the last frame: another kind / another texture / a full batch / ovals / "
                "blend or scissor. Budget: equal to the fewest, on every frame.\n\n");
    std::printf("| Screen | Frames | Records | Primitives | Draw calls | Fewest possible | Breaks (kind / texture / "
                "full / oval / state) | Frames equal | Verdict |\n");
    std::printf("|---|---|---|---|---|---|---|---|---|\n");
    DrawCallProbe probe(frames);
    s.renderFrames = false;
    if (!TourWith(s, probe)) return 1;
    std::printf("\n**Budget: draw calls equal to the fewest possible on every frame: %s.**\n\n",
                Verdict(probe.allEqual));
    return 0;
}

// ---------------------------------------------------------------------------
// Allocations
// ---------------------------------------------------------------------------

struct AllocStats {
    long long calls = 0, maxCalls = 0, bytes = 0, gcBytes = 0, maxGcBytes = 0;
    int samples = 0;

    void Add(const alloccount::Counts& c, long long gc) {
        calls += c.calls;
        maxCalls = std::max(maxCalls, c.calls);
        bytes += c.bytes;
        gcBytes += gc;
        maxGcBytes = std::max(maxGcBytes, gc);
        ++samples;
    }
    double Mean(long long total) const { return samples ? static_cast<double>(total) / samples : 0; }
};

class AllocProbe : public Probe {
public:
    explicit AllocProbe(int frames) : frames_(frames) {}
    bool renderClean = true;
    std::map<std::string, AllocStats> updates;

    void At(const std::string& screen, Session& s, int room) override {
        AllocStats up, render;
        int gcBefore = 0;
        s.beforeUpdate = [&] {
            gcBefore = gc_alloced_bytes;
            alloccount::Begin();
        };
        s.afterUpdate = [&] {
            const alloccount::Counts c = alloccount::End();
            up.Add(c, gc_alloced_bytes - gcBefore);
        };
        s.beforeRender = [&] {
            gcBefore = gc_alloced_bytes;
            alloccount::Begin();
        };
        s.afterRender = [&] {
            const alloccount::Counts c = alloccount::End();
            render.Add(c, gc_alloced_bytes - gcBefore);
        };
        s.Frame(FramesFor(frames_, room));
        s.beforeUpdate = s.afterUpdate = s.beforeRender = s.afterRender = nullptr;
        const bool clean = render.calls == 0 && render.gcBytes == 0;
        renderClean = renderClean && clean;
        updates[screen] = up;
        std::printf("| %s | %d | %.1f | %lld | %.0f | %.0f | %lld | %lld | %lld | %s |\n", screen.c_str(), up.samples,
                    up.Mean(up.calls), up.maxCalls, up.Mean(up.bytes), up.Mean(up.gcBytes), up.maxGcBytes,
                    render.maxCalls, render.maxGcBytes, Verdict(clean));
    }

private:
    int frames_;
};

int RunAllocs(Session& s, int frames) {
    std::printf("### Heap allocations per tick and per frame\n\n");
    if (!alloccount::Available()) {
        std::printf("Not measured: this build's sanitizer owns the allocator.\n\n");
        return 0;
    }
    std::printf("Counted by the benchmark's own malloc, on the main thread only, inside `m_OnUpdate` (per tick) "
                "and inside `m_OnRender` (per frame), after the screen was reached. Heap calls include strings "
                "and everything the C++ library allocates; collected bytes are the growth of the collector's "
                "`gc_alloced_bytes` (objects and arrays, recycled small blocks included). Budget: nothing "
                "allocated by the render (the renderer and the display-list replay).\n\n");
    std::printf("| Screen | Ticks | Heap calls/tick (mean) | Heap calls/tick (max) | Heap bytes/tick (mean) | "
                "Collected bytes/tick (mean) | Collected bytes/tick (max) | Render heap calls/frame (max) | "
                "Render collected bytes/frame (max) | Render verdict |\n");
    std::printf("|---|---|---|---|---|---|---|---|---|---|\n");
    AllocProbe probe(frames);
    if (!TourWith(s, probe)) return 1;
    std::printf("\n**Budget: no allocation by the renderer and the display list: %s.**\n\n",
                Verdict(probe.renderClean));
    return 0;
}

// ---------------------------------------------------------------------------
// Instruction counts (under callgrind)
// ---------------------------------------------------------------------------

// Two passes per screen, each dumped on its own: the updates alone, then the
// renders alone (each render after an uncounted update, as the loop runs them).
class CostProbe : public Probe {
public:
    explicit CostProbe(int frames) : frames_(frames) {}

    void At(const std::string& screen, Session& s, int room) override {
        const int n = FramesFor(frames_, room, 2);
        gxtkTestHooks::submitDraws = false;  // draw calls made up and counted, never handed to GL
        CALLGRIND_ZERO_STATS;
        s.beforeUpdate = [] { CALLGRIND_TOGGLE_COLLECT; };
        s.afterUpdate = [] { CALLGRIND_TOGGLE_COLLECT; };
        s.Frame(n);
        s.beforeUpdate = s.afterUpdate = nullptr;
        const std::string upTag = "update " + screen;
        CALLGRIND_DUMP_STATS_AT(upTag.c_str());

        long long records = 0;
        s.beforeRender = [&] {
            records += Records(s.game);
            CALLGRIND_TOGGLE_COLLECT;
        };
        s.afterRender = [] { CALLGRIND_TOGGLE_COLLECT; };
        s.Frame(n);
        s.beforeRender = s.afterRender = nullptr;
        const std::string renderTag = "render " + screen;
        CALLGRIND_DUMP_STATS_AT(renderTag.c_str());
        std::printf("cost\t%s\t%d\t%lld\n", screen.c_str(), n, records);
    }

private:
    int frames_;
};

int RunCost(Session& s, int frames) {
    CostProbe probe(frames);
    if (!TourWith(s, probe)) return 1;
    std::printf("valgrind\t%s\n", RUNNING_ON_VALGRIND ? "yes" : "no");
    return 0;
}

// ---------------------------------------------------------------------------
// Collector pauses
// ---------------------------------------------------------------------------

int RunGc(Session& s, long long tickCount) {
    std::vector<double> pausesMs;
    std::vector<double> sweepMs;
    Clock::time_point start;
    int markbit = 0;
    s.beforeCollect = [&] {
        markbit = gc_markbit;
        start = Clock::now();
    };
    s.afterCollect = [&] {
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        pausesMs.push_back(ms);
        if (gc_markbit != markbit) sweepMs.push_back(ms);  // the colour flips only at a sweep
    };
    std::string why;
    const long long firstTick = s.ticks;
    const bool played = benchgame::Play(s, tickCount, &why);
    s.beforeCollect = s.afterCollect = nullptr;
    if (!played) {
        std::fprintf(stderr, "bench_game: %s\n", why.c_str());
        return 1;
    }
    const double p50 = Percentile(pausesMs, 0.5);
    const double p99 = Percentile(pausesMs, 0.99);
    const double max = Percentile(pausesMs, 1.0);
    std::printf("### Collector pauses in play\n\n");
    std::printf("Every `gc_collect` step (after each update and each render) timed over %lld ticks of scripted "
                "play: each machine spins a few times, is left through the pause menu and the game-over overlay, "
                "and the next one starts; a render follows every tick (with no GL context, so the driver's work "
                "is not timed between the steps). The collector's thresholds and order of work are untouched. A "
                "sweep is a step in which the mark colour flipped.\n\n",
                s.ticks - firstTick);
    constexpr double kMicros = 1000;
    std::printf("| Steps | Median (µs) | 99th percentile (µs) | Max (µs) | Sweeps | Slowest sweep (µs) | Peak "
                "collected bytes |\n");
    std::printf("|---|---|---|---|---|---|---|\n");
    std::printf("| %zu | %.2f | %.2f | %.2f | %zu | %.2f | %d |\n\n", pausesMs.size(), p50 * kMicros, p99 * kMicros,
                max * kMicros, sweepMs.size(), Percentile(sweepMs, 1.0) * kMicros, gc_max_alloced_bytes);
    std::printf("**Budget: 99th percentile under %.0f ms (%.4f ms): %s. Maximum under %.0f ms (%.4f ms): %s.**\n\n",
                kGcP99BudgetMs, p99, Verdict(p99 < kGcP99BudgetMs), kGcMaxBudgetMs, max,
                Verdict(max < kGcMaxBudgetMs));
    return 0;
}

// ---------------------------------------------------------------------------
// Frame time at a window size
// ---------------------------------------------------------------------------

// Each frame is timed from the render's start to the end of glFinish after the
// swap, so the software rasteriser's work for the frame is inside it; the update
// before it is not. Prints one tab-separated line per screen for run.sh to join:
// "frametime SCREEN FRAMES MEDIAN_MS P99_MS MAX_MS".
class FrameTimeProbe : public Probe {
public:
    explicit FrameTimeProbe(int frames) : frames_(frames) {}

    void At(const std::string& screen, Session& s, int room) override {
        std::vector<double> ms;
        const int n = FramesFor(frames_, room);
        for (int f = 0; f < n; ++f) {
            s.Tick();
            const Clock::time_point start = Clock::now();
            s.Render();
            glFinish();
            ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        }
        std::printf("frametime\t%s\t%d\t%.2f\t%.2f\t%.2f\n", screen.c_str(), n, Percentile(ms, 0.5),
                    Percentile(ms, 0.99), Percentile(ms, 1.0));
    }

private:
    int frames_;
};

// A screen the tour cannot reach at this window shape is reported, not an error.
int RunFrameTime(Session& s, int frames) {
    FrameTimeProbe probe(frames);
    std::string why;
    if (!benchgame::Tour(s, probe, &why)) std::printf("frametime-stopped\t%s\n", why.c_str());
    return 0;
}

// ---------------------------------------------------------------------------
// Frame pacing
// ---------------------------------------------------------------------------

// The game object with its updates counted per rendered frame.
struct CountingGame : kx_Tumbleroo_MyApp {
    int sinceRender = 0;
    std::vector<int> perFrame;   // updates before each render
    std::vector<double> atTime;  // the clock at each render
    benchgame::FakeWindow* window = nullptr;

    int m_OnUpdate() override {
        ++sinceRender;
        return kx_Tumbleroo_MyApp::m_OnUpdate();
    }
    int m_OnRender() override {
        perFrame.push_back(sinceRender);
        atTime.push_back(window->now);
        sinceRender = 0;
        return kx_Tumbleroo_MyApp::m_OnRender();
    }
};

// A stall injected into one swap, and what the loop did about it.
struct Stall {
    double at, seconds;
    bool done = false;
    size_t frame = 0;         // the render whose swap stalled
    bool backlogDropped = false;
};

// Input for the minute: buy and start the first machine with the action key, then
// click SPIN every few seconds, all through the window layer's callbacks.
void ScriptInput(benchgame::FakeWindow& w, CountingGame* game, double& nextEvent, int& step) {
    constexpr int kGlfwKeyZ = 90;
    constexpr double kHold = 0.1;
    constexpr double kSpinEvery = 4.0;
    if (w.now < nextEvent) return;
    if (step < 4) {  // Z down, up, down, up: unlock, then start
        glfw2::DeliverKey(kGlfwKeyZ, step % 2 == 0 ? glfw2::PRESS : glfw2::RELEASE);
        nextEvent = w.now + kHold;
    } else {
        const bool press = step % 2 == 0;
        w.mouseX = game->spinX * game->scaleX;
        w.mouseY = game->spinY * game->scaleY;
        glfw2::DeliverMouseButton(0, press ? glfw2::PRESS : glfw2::RELEASE);
        nextEvent = w.now + (press ? kHold : kSpinEvery);
    }
    ++step;
}

int RunPacing(Session& s, double seconds) {
    benchgame::FakeWindow& w = s.Window();
    w.now = 0;
    kxInit();
    auto* game = new CountingGame();
    game->window = &w;
    game->g_new();
    s.game = game;

    std::vector<Stall> stalls = {{seconds / 3, 0.1}, {seconds * 2 / 3, 1.0}};
    double nextEvent = 2.0;
    int step = 0;
    w.onPoll = [&] {
        ScriptInput(w, game, nextEvent, step);
        if (w.now >= seconds) w.opened = false;
    };
    // At each swap: first see whether the pass that follows a stall ended with the
    // schedule reset to the present (the backlog dropped), then inject a stall due.
    w.onSwap = [&] {
        const size_t frame = game->perFrame.size() - 1;
        for (Stall& st : stalls) {
            if (st.done && frame == st.frame + 1) st.backlogDropped = app->nextUpdate == w.now;
        }
        for (Stall& st : stalls) {
            if (!st.done && w.now >= st.at) {
                st.done = true;
                st.frame = frame;
                w.now += st.seconds;
            }
        }
    };
    const Clock::time_point start = Clock::now();
    app->Run();
    const double realSeconds = std::chrono::duration<double>(Clock::now() - start).count();
    w.onPoll = w.onSwap = nullptr;

    std::map<int, int> histogram;
    std::vector<bool> afterStall(game->perFrame.size(), false);
    for (const Stall& st : stalls) {
        if (st.frame + 1 < afterStall.size()) afterStall[st.frame + 1] = true;
    }
    bool steady = true;
    long long updates = 0;
    for (size_t i = 1; i < game->perFrame.size(); ++i) {  // frame 0 is the one before the loop
        ++histogram[game->perFrame[i]];
        updates += game->perFrame[i];
        if (!afterStall[i] && game->perFrame[i] != 1) steady = false;
    }
    std::printf("### Frame pacing\n\n");
    std::printf("The host's own loop (`gxtkApp::Run`) with the real game object on a simulated clock (the window "
                "layer's backend seam): %.0f s of simulated play (the menu, then the first machine started by "
                "key and spun by clicks every 4 s) took %.2f s of real time. The renders cost no simulated time, "
                "so the loop keeps up except where a stall is injected into a buffer swap. No GL context: the "
                "frames are made (the replay, the batching) but their draw calls reach no driver.\n\n",
                seconds, realSeconds);
    std::printf("| Updates per rendered frame | Frames |\n|---|---|\n");
    for (const auto& [count, frames] : histogram) std::printf("| %d | %d |\n", count, frames);
    std::printf("\nUpdates run: %lld for %.0f simulated seconds (%.0f due at 60 per second; what the long stall "
                "left beyond the 7-update cap is dropped, not caught up).\n\n",
                updates, seconds, seconds * kTicksPerSecond);
    std::printf("| Stall | At (s) | Updates in the next 4 frames | Backlog dropped | Expected |\n|---|---|---|---|---|\n");
    bool stallsAsExpected = true;
    for (const Stall& st : stalls) {
        std::string next;
        for (size_t i = st.frame + 1; i < st.frame + 5 && i < game->perFrame.size(); ++i) {
            next += (next.empty() ? "" : ", ") + std::to_string(game->perFrame[i]);
        }
        // A 100 ms stall is six periods: caught up in one pass. One second is more
        // than the seven-update cap: seven updates, then the rest is dropped.
        const int backlog = static_cast<int>(st.seconds / kTickSeconds + 1e-9);
        const int expectUpdates = std::min(backlog, 7);
        const bool expectDrop = backlog > 7;
        const bool ok = st.frame + 1 < game->perFrame.size() && game->perFrame[st.frame + 1] == expectUpdates &&
                        st.backlogDropped == expectDrop;
        stallsAsExpected = stallsAsExpected && ok;
        std::printf("| %.0f ms | %.2f | %s | %s | %d updates, %s: %s |\n", st.seconds * 1000, st.at, next.c_str(),
                    st.backlogDropped ? "yes" : "no", expectUpdates, expectDrop ? "dropped" : "kept",
                    Verdict(ok));
    }
    std::printf("\n**Budget: one update per frame while keeping up (%s); catch-up capped at 7 updates with the "
                "backlog dropped after a long stall (%s).**\n\n",
                Verdict(steady), Verdict(stallsAsExpected));
    return 0;
}

int Usage() {
    std::fprintf(stderr, "usage: bench_game drawcalls|allocs|cost|gc|pacing DATA_DIR COUNT\n"
                         "       bench_game frametime DATA_DIR COUNT WIDTHxHEIGHT\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4 && argc != 5) return Usage();
    const std::string mode = argv[1];
    benchgame::Options options;
    if (argc == 5 && std::sscanf(argv[4], "%dx%d", &options.width, &options.height) != 2) return Usage();
    options.dataDir = argv[2];
    const double count = std::atof(argv[3]);
    if (count <= 0) return Usage();
    // Only the draw-call count renders into a real GL window. The counts of the
    // game's own CPU work and allocations run with no GL context, so that the GL
    // library's work is not in them, and the collector and the loop's pacing need no
    // pixels (without a context every GL call lands in the library's no-op dispatch).
    // The cost run has no sound either, whose mixer thread would otherwise be counted
    // with the game.
    options.gl = mode == "drawcalls" || mode == "frametime";
    options.audio = mode != "cost";
    Session session;
    std::string why;
    if (!session.Open(options, &why)) {
        std::fprintf(stderr, "bench_game: %s\n", why.c_str());
        return 1;
    }
    const int n = static_cast<int>(count);
    if (mode == "drawcalls") return RunDrawCalls(session, n);
    if (mode == "allocs") return RunAllocs(session, n);
    if (mode == "cost") return RunCost(session, n);
    if (mode == "gc") return RunGc(session, static_cast<long long>(count));
    if (mode == "pacing") return RunPacing(session, count);
    if (mode == "frametime") return RunFrameTime(session, n);
    return Usage();
}
