// soak_main.cpp - the soak's driver: one real game object played by the bot for a
// given number of updates, rendered into the real GL context every few updates,
// suspended and resumed now and then, resized to other window shapes, with every
// check of the monitor after every update; prints the run's figures at the end.
//
//   soak [--ticks N] [--seed S] [--render-every K] [--save-every K] [--resize-every K]
//        [--measure-every K]
//
// The suite runs it short; scripts/soak.sh runs it for a million updates and more.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "game_harness.h"
#include "host/app.h"
#include "soak.h"

namespace soak {
namespace {

Options g_options;
long g_currentTick = -1;
bool g_finished = false;

constexpr long kProgressEvery = 100000;
constexpr double kTickSeconds = 1.0 / kTicksPerSecond;

struct WindowSize {
    int w, h;
};
// Wide, portrait and square windows; all fit the harness's GL window. Every other
// period is back at the design size, so every part of a run holds the same assets
// for a while and the retained sets can be compared across the run.
constexpr WindowSize kDesignSize = {640, 480};
const WindowSize kOtherSizes[] = {{1024, 600}, {480, 800}, {800, 800}, {960, 540}, {600, 960}};

// The runtime's error path reports and then exits the process from inside the game;
// a soak that did not reach its end says where it stopped.
void ReportEarlyExit() {
    if (g_finished) return;
    std::fprintf(stderr, "soak: the process ended during update %ld (a runtime error or an exit in the game)\n",
                 g_currentTick);
}

long ParseLong(const char* text, const char* flag) {
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (!end || *end != '\0' || v <= 0) {
        std::fprintf(stderr, "soak: %s wants a positive number, not %s\n", flag, text);
        std::exit(2);
    }
    return v;
}

void ParseOptions(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const char* flag = argv[i];
        if (i + 1 >= argc) {
            std::fprintf(stderr, "soak: unknown or incomplete option %s\n", flag);
            std::exit(2);
        }
        const long v = ParseLong(argv[++i], flag);
        if (!std::strcmp(flag, "--ticks")) {
            g_options.ticks = v;
        } else if (!std::strcmp(flag, "--seed")) {
            g_options.seed = static_cast<unsigned>(v);
        } else if (!std::strcmp(flag, "--render-every")) {
            g_options.renderEvery = static_cast<int>(v);
        } else if (!std::strcmp(flag, "--save-every")) {
            g_options.saveEvery = static_cast<int>(v);
        } else if (!std::strcmp(flag, "--resize-every")) {
            g_options.resizeEvery = static_cast<int>(v);
        } else if (!std::strcmp(flag, "--measure-every")) {
            g_options.measureEvery = static_cast<int>(v);
        } else {
            std::fprintf(stderr, "soak: unknown option %s\n", flag);
            std::exit(2);
        }
    }
}

class Soak : public gametest::GameTest {
protected:
    Figures figures;

    void Update() {
        gametest::Backend().now += kTickSeconds;
        app->InvokeOnUpdate();
    }

    void RenderChecked(long tick) {
        app->InvokeOnRender();
        ++figures.renders;
        const GLenum error = glGetError();
        if (error != GL_NO_ERROR) {
            ADD_FAILURE() << "tick " << tick << ": the frame left GL error 0x" << std::hex << error;
        }
    }

    void SuspendAndResume(Monitor& monitor) {
        app->InvokeOnSuspend();
        monitor.VerifySave(*game, true, "on suspend");
        app->InvokeOnResume();
        ++figures.suspends;
    }

    void Resize(long tick) {
        const int n = static_cast<int>(sizeof kOtherSizes / sizeof kOtherSizes[0]);
        const long period = tick / g_options.resizeEvery;
        const WindowSize& s = period % 2 == 0 ? kDesignSize : kOtherSizes[(period / 2) % n];
        SetWindowSize(s.w, s.h);
        ++figures.resizes;
    }
};

TEST_F(Soak, PlaysTheWholeCabinet) {
    Bot bot(g_options.seed);
    Monitor monitor(&figures);
    const auto start = std::chrono::steady_clock::now();
    RunLoader();
    Render();
    bool wasPaused = false;
    for (long t = 0; t < g_options.ticks && !monitor.Failed() && !HasFailure(); ++t) {
        g_currentTick = t;
        const HostRequest request = bot.BeforeTick(*game);
        Update();
        figures.ticks = t + 1;
        monitor.AfterTick(t, *game, bot);
        monitor.RecordCollector(t);
        if (game->paused && !wasPaused) ++figures.pauses;
        wasPaused = game->paused != 0;
        if (t % g_options.renderEvery == 0) RenderChecked(t);
        if (request == HostRequest::Suspend) SuspendAndResume(monitor);
        if (t > 0 && t % g_options.saveEvery == 0) monitor.VerifySave(*game, false, "periodic save");
        if (t > 0 && t % g_options.resizeEvery == 0) Resize(t);
        if (t % g_options.measureEvery == 0) monitor.MeasureRetained(t, *game);
        if (t > 0 && t % kProgressEvery == 0) {
            const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            std::fprintf(stderr, "soak: %ld updates, %.1f s\n", t, s);
        }
    }
    bot.ReleaseAll();
    monitor.Finish();
    figures.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%s", FormatFigures(figures).c_str());
    EXPECT_EQ(figures.ticks, g_options.ticks);
    for (int m = 0; m < kMachineCount; ++m) {
        EXPECT_GT(figures.gamesFinished[m], 0) << "machine " << m + 1 << " never finished a game";
    }
}

}  // namespace

std::string FormatFigures(const Figures& f) {
    static const char* const kNames[kMachineCount] = {"QuillmorPlat", "Cubewick", "Cometrow", "Fizzcrate", "Dice"};
    std::string out;
    char line[256];
    std::snprintf(line, sizeof line, "soak: seed %u, %ld updates in %.1f s (%.0f updates/s), %d renders\n",
                  g_options.seed, f.ticks, f.wallSeconds, f.wallSeconds > 0 ? f.ticks / f.wallSeconds : 0.0,
                  f.renders);
    out += line;
    std::snprintf(line, sizeof line, "soak: %ld updates in the menu\n", f.menuTicks);
    out += line;
    for (int m = 0; m < kMachineCount; ++m) {
        std::snprintf(line, sizeof line, "soak: %-12s %8ld updates, %4d games started, %4d finished\n", kNames[m],
                      f.machineTicks[m], f.gamesStarted[m], f.gamesFinished[m]);
        out += line;
    }
    std::snprintf(line, sizeof line, "soak: %d saves loaded back, %d suspends, %d resizes, %d pauses\n",
                  f.savesVerified, f.suspends, f.resizes, f.pauses);
    out += line;
    std::snprintf(line, sizeof line,
                  "soak: live bytes peak %d; first half peak %d, second half peak %d; "
                  "quarters %d %d %d %d\n",
                  f.peakLiveBytes, f.firstHalfMaxBytes, f.secondHalfMaxBytes, f.quarterMaxBytes[0],
                  f.quarterMaxBytes[1], f.quarterMaxBytes[2], f.quarterMaxBytes[3]);
    out += line;
    std::snprintf(line, sizeof line, "soak: live objects peak %d; quarters %d %d %d %d\n", f.peakObjects,
                  f.quarterMaxObjects[0], f.quarterMaxObjects[1], f.quarterMaxObjects[2], f.quarterMaxObjects[3]);
    out += line;
    std::snprintf(line, sizeof line,
                  "soak: retained after full collections: %d samples, %d to %d bytes; %d asset sets compared "
                  "second to last quarter, largest growth %d bytes\n",
                  f.retainedSamples, f.retainedMinBytes, f.retainedMaxBytes, f.retainedKeysCompared,
                  f.retainedMaxGrowth);
    out += line;
    return out;
}

}  // namespace soak

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    soak::ParseOptions(argc, argv);
    // The runtime's error path would wait for a debugger on standard input.
    if (!std::freopen("/dev/null", "r", stdin)) return 2;
    std::atexit(soak::ReportEarlyExit);
    const int result = RUN_ALL_TESTS();
    soak::g_finished = true;
    return result;
}
