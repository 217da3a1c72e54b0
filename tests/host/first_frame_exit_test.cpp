// first_frame_exit_test.cpp - the start-up benchmark's exit after the first frame:
// with TUMBLEROO_EXIT_AFTER_FIRST_FRAME=1 the loop returns right after the first
// swapped frame, before any update or event poll, having printed the time of that
// frame for the benchmark's stopwatch; unset or set to anything else, the loop runs
// on as usual and prints nothing of it.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "host/app.h"
#include "host/first_frame_report.h"
#include "media/graphics.h"
#include "tests/host/fake_window.h"

namespace {

constexpr const char* kVariable = "TUMBLEROO_EXIT_AFTER_FIRST_FRAME";
constexpr int kUpdatesBeforeClose = 3;

struct CountingGame : kx_app_App {
    hosttest::FakeWindow* win = nullptr;
    int creates = 0, updates = 0, renders = 0;

    int m_OnCreate() override {
        ++creates;
        kx_app_SetUpdateRate(60);
        return 0;
    }
    int m_OnUpdate() override {
        if (++updates >= kUpdatesBeforeClose) win->opened = false;
        return 0;
    }
    int m_OnRender() override {
        ++renders;
        return 0;
    }
};

// Notes the monotonic clock at the first swap, which the printed time must follow.
class SwapClockWindow : public hosttest::FakeWindow {
public:
    long long firstSwapNs = -1;
    void SwapBuffers() override {
        if (swaps == 0) firstSwapNs = FirstFrameClockNs();
        FakeWindow::SwapBuffers();
    }
};

// Every "first frame <ns>" line in the text, as the stopwatch reads them.
std::vector<long long> FirstFrameTimes(const std::string& printed) {
    std::vector<long long> times;
    const std::string marker = kFirstFrameMarker;
    for (std::size_t at = printed.find(marker); at != std::string::npos; at = printed.find(marker, at + 1)) {
        if (at == 0 || printed[at - 1] == '\n') times.push_back(std::atoll(printed.c_str() + at + marker.size()));
    }
    return times;
}

class FirstFrameExit : public ::testing::Test {
protected:
    SwapClockWindow win;
    CountingGame* game = nullptr;

    void SetUp() override {
        win.now = 0.5;
        glfw2::SetBackend(&win);
        kxInit();
        gc_mark();
        game = new CountingGame();
        game->win = &win;
        game->g_new();
    }
    void TearDown() override {
        unsetenv(kVariable);
        glfw2::SetBackend(nullptr);
        glfw2::SetKeyCallback(nullptr);
        glfw2::SetCharCallback(nullptr);
        glfw2::SetMouseButtonCallback(nullptr);
        glfw2::SetWindowSizeCallback(nullptr);
        glfw2::SetWindowRefreshCallback(nullptr);
    }
};

TEST_F(FirstFrameExit, SetToOneEndsTheLoopAfterTheFirstSwappedFrame) {
    setenv(kVariable, "1", 1);
    testing::internal::CaptureStdout();
    app->Run();
    const long long returnedNs = FirstFrameClockNs();
    const std::string printed = testing::internal::GetCapturedStdout();
    const std::vector<long long> times = FirstFrameTimes(printed);
    ASSERT_EQ(times.size(), 1u) << printed;
    EXPECT_GE(times[0], win.firstSwapNs) << "the time is taken after the swap";
    EXPECT_LE(times[0], returnedNs);
    EXPECT_EQ(printed.back(), '\n') << "one whole line, flushed";
    EXPECT_EQ(game->creates, 1);
    EXPECT_EQ(game->renders, 1);
    EXPECT_EQ(win.swaps, 1);
    EXPECT_EQ(game->updates, 0);
    EXPECT_EQ(win.polls, 0);
    EXPECT_TRUE(win.opened) << "the loop ends by itself, not because the window closed";
}

TEST_F(FirstFrameExit, UnsetTheLoopRunsUntilTheWindowCloses) {
    unsetenv(kVariable);
    testing::internal::CaptureStdout();
    app->Run();
    EXPECT_TRUE(FirstFrameTimes(testing::internal::GetCapturedStdout()).empty());
    EXPECT_EQ(game->updates, kUpdatesBeforeClose);
    EXPECT_GT(game->renders, 1);
    EXPECT_GT(win.polls, 0);
    EXPECT_FALSE(win.opened);
    EXPECT_FALSE(win.hitEventLimit);
}

TEST_F(FirstFrameExit, OtherValuesAreIgnored) {
    for (const char* value : {"0", "", "11", "yes"}) {
        SCOPED_TRACE(value);
        setenv(kVariable, value, 1);
        win.opened = true;
        game->updates = 0;
        testing::internal::CaptureStdout();
        app->Run();
        EXPECT_TRUE(FirstFrameTimes(testing::internal::GetCapturedStdout()).empty());
        EXPECT_EQ(game->updates, kUpdatesBeforeClose);
        EXPECT_FALSE(win.opened);
    }
}

}  // namespace
