// first_frame_exit_test.cpp - the start-up benchmark's exit after the first frame:
// with TUMBLEROO_EXIT_AFTER_FIRST_FRAME=1 the loop returns right after the first
// swapped frame, before any update or event poll; unset or set to anything else,
// the loop runs on as usual.
#include <gtest/gtest.h>
#include <stdlib.h>

#include "host/app.h"
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

class FirstFrameExit : public ::testing::Test {
protected:
    hosttest::FakeWindow win;
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
    app->Run();
    EXPECT_EQ(game->creates, 1);
    EXPECT_EQ(game->renders, 1);
    EXPECT_EQ(win.swaps, 1);
    EXPECT_EQ(game->updates, 0);
    EXPECT_EQ(win.polls, 0);
    EXPECT_TRUE(win.opened) << "the loop ends by itself, not because the window closed";
}

TEST_F(FirstFrameExit, UnsetTheLoopRunsUntilTheWindowCloses) {
    unsetenv(kVariable);
    app->Run();
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
        app->Run();
        EXPECT_EQ(game->updates, kUpdatesBeforeClose);
        EXPECT_FALSE(win.opened);
    }
}

}  // namespace
