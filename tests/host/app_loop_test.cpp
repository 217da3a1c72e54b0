// app_loop_test.cpp - the host application's main loop against a fake clock and
// event source: one update and one render per pass, the catch-up cap after a stall,
// a rate of 0 set mid-pass, suspend and resume with the update-rate hand-over,
// focus, closing; the window callbacks feeding the input device; the timer and
// rate setters; the collector's roots keeping the devices and the game alive.
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "host/app.h"
#include "host/input.h"
#include "media/audio_device.h"
#include "media/graphics.h"
#include "tests/host/fake_window.h"

namespace {

constexpr double kPeriod60 = 1.0 / 60;
constexpr double kTimeEps = 1e-9;

// What the game saw, in order, plus hooks a test sets to act from inside a callback.
struct Recorder {
    hosttest::FakeWindow* win = nullptr;
    std::vector<std::string> log;
    std::vector<double> updateTimes;
    int updates = 0, renders = 0, suspends = 0, resumes = 0, creates = 0;
    std::function<void()> onCreate, onUpdate, onRender, onSuspend, onResume;
};

// A game object that records its callbacks and runs the test's hooks.
struct RecordingGame : kx_app_App {
    Recorder* rec = nullptr;

    int m_OnCreate() override {
        ++rec->creates;
        rec->log.push_back("create");
        if (rec->onCreate) rec->onCreate();
        return 0;
    }
    int m_OnUpdate() override {
        ++rec->updates;
        rec->log.push_back("update");
        rec->updateTimes.push_back(rec->win->now);
        if (rec->onUpdate) rec->onUpdate();
        return 0;
    }
    int m_OnRender() override {
        ++rec->renders;
        rec->log.push_back("render");
        if (rec->onRender) rec->onRender();
        return 0;
    }
    int m_OnSuspend() override {
        ++rec->suspends;
        rec->log.push_back("suspend");
        if (rec->onSuspend) rec->onSuspend();
        return 0;
    }
    int m_OnResume() override {
        ++rec->resumes;
        rec->log.push_back("resume");
        if (rec->onResume) rec->onResume();
        return 0;
    }
};

class AppLoop : public ::testing::Test {
protected:
    hosttest::FakeWindow win;
    Recorder rec;
    std::function<void(const char*)> script;  // runs at every poll and wait

    void SetUp() override {
        win.now = 0.25;
        glfw2::SetBackend(&win);
        rec.win = &win;
        win.onEvents = [this](const char* kind) {
            rec.log.push_back(kind);
            if (script) script(kind);
        };
        kxInit();
        gc_mark();
        auto* game = new RecordingGame();
        game->rec = &rec;
        game->g_new();
        // The game's own pattern: 60 updates a second, 5 while suspended, 60 again.
        rec.onCreate = [] { kx_app_SetUpdateRate(60); };
        rec.onSuspend = [] { kx_app_SetUpdateRate(5); };
        rec.onResume = [] { kx_app_SetUpdateRate(60); };
    }

    void TearDown() override {
        glfw2::SetBackend(nullptr);
        glfw2::SetKeyCallback(nullptr);
        glfw2::SetCharCallback(nullptr);
        glfw2::SetMouseButtonCallback(nullptr);
        glfw2::SetWindowSizeCallback(nullptr);
        glfw2::SetWindowRefreshCallback(nullptr);
    }

    void CloseAfterUpdates(int n) {
        rec.onUpdate = [this, n] {
            if (rec.updates >= n) win.opened = false;
        };
    }

    void Run() {
        app->Run();
        EXPECT_FALSE(win.hitEventLimit) << "the loop kept waiting for events nobody sent";
    }

    // Updates and renders of each pass that polled events, in order.
    struct Pass {
        int updates = 0, renders = 0;
    };
    std::vector<Pass> PollPasses() const {
        std::vector<Pass> passes;
        bool inPass = false;
        for (const std::string& e : rec.log) {
            if (e == "poll") {
                passes.push_back(Pass());
                inPass = true;
            } else if (e == "wait" || e == "suspend" || e == "resume") {
                inPass = false;
            } else if (inPass && e == "update") {
                ++passes.back().updates;
            } else if (inPass && e == "render") {
                ++passes.back().renders;
            }
        }
        return passes;
    }

    // Log entries between the first `from` and the next `to` after it.
    std::vector<std::string> Between(const std::string& from, const std::string& to) const {
        std::vector<std::string> out;
        bool in = false;
        for (const std::string& e : rec.log) {
            if (!in && e == from) {
                in = true;
            } else if (in && e == to) {
                break;
            } else if (in) {
                out.push_back(e);
            }
        }
        return out;
    }
};

TEST_F(AppLoop, KeepingUpRunsOneUpdateAndOneRenderPerPass) {
    CloseAfterUpdates(20);
    Run();

    ASSERT_GE(rec.log.size(), 2u);
    EXPECT_EQ(rec.log[0], "create");
    EXPECT_EQ(rec.log[1], "render") << "one frame is drawn before the loop starts";
    EXPECT_EQ(rec.creates, 1);
    EXPECT_EQ(rec.updates, 20);
    EXPECT_EQ(rec.renders, 21);
    std::vector<Pass> passes = PollPasses();
    ASSERT_EQ(passes.size(), 20u);
    for (const Pass& p : passes) {
        EXPECT_EQ(p.updates, 1);
        EXPECT_EQ(p.renders, 1);
    }
    for (std::size_t i = 1; i < rec.updateTimes.size(); ++i) {
        EXPECT_NEAR(rec.updateTimes[i] - rec.updateTimes[i - 1], kPeriod60, 1e-6);
    }
    // The loop waits by sleeping, never by spinning.
    EXPECT_GE(win.sleeps.size(), 20u);
    EXPECT_EQ(win.waits, 0);
    EXPECT_EQ(win.swaps, 21);
}

TEST_F(AppLoop, StallRunsSevenUpdatesThenDropsTheBacklog) {
    double nextUpdateAtStallRender = -1, clockAtStallRender = -1;
    rec.onRender = [&] {
        if (rec.renders == 3) win.now += 1.0;  // a blocking dialog
        if (rec.renders == 4) {
            nextUpdateAtStallRender = app->nextUpdate;
            clockAtStallRender = win.now;
        }
    };
    CloseAfterUpdates(12);
    Run();

    std::vector<Pass> passes = PollPasses();
    ASSERT_EQ(passes.size(), 6u);
    const int expected[] = {1, 1, 7, 1, 1, 1};
    for (std::size_t i = 0; i < passes.size(); ++i) {
        EXPECT_EQ(passes[i].updates, expected[i]) << "pass " << i;
        EXPECT_EQ(passes[i].renders, 1) << "pass " << i;
    }
    EXPECT_EQ(nextUpdateAtStallRender, clockAtStallRender) << "the backlog is dropped";
    // The next update is due at once, then the normal rhythm resumes.
    EXPECT_NEAR(rec.updateTimes[9] - rec.updateTimes[8], 0.0, kTimeEps);
    EXPECT_NEAR(rec.updateTimes[10] - rec.updateTimes[9], kPeriod60, 1e-6);
}

TEST_F(AppLoop, RateZeroFromAnUpdateEndsThePassButItStillRenders) {
    rec.onRender = [&] {
        if (rec.renders == 3) win.now += 1.0;  // leave a backlog the pass would run
    };
    rec.onUpdate = [&] {
        if (rec.updates == 4) kx_app_SetUpdateRate(0);
    };
    script = [&](const char* kind) {
        if (std::string(kind) == "wait") win.opened = false;
    };
    Run();

    EXPECT_EQ(rec.updates, 4);
    std::vector<Pass> passes = PollPasses();
    ASSERT_EQ(passes.size(), 3u);
    EXPECT_EQ(passes[2].updates, 2);
    // The pass's own render, then, with no rate, a render before blocking on events.
    std::vector<std::string> tail(rec.log.end() - 4, rec.log.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"update", "render", "render", "wait"}));
    EXPECT_EQ(kx_app_device->m_updateRate, 0);
    EXPECT_EQ(app->updateRate, 0);
}

TEST_F(AppLoop, IconifyAndRestoreSuspendAndResumeOnceEach) {
    int ratesSeenWhileSuspended = -1, hostRateWhileSuspended = -1;
    double resumedAt = -1;
    bool suspendedDuringResume = false;
    int deviceRateDuringResume = -1;
    script = [&](const char* kind) {
        std::string k = kind;
        if (k == "poll" && win.polls == 3) win.iconified = true;
        if (k == "wait" && win.waits == 1) {
            ratesSeenWhileSuspended = kx_app_device->m_updateRate;
            hostRateWhileSuspended = app->updateRate;
            win.iconified = false;
            resumedAt = win.now;
        }
    };
    rec.onResume = [&] {
        suspendedDuringResume = app->suspended;
        deviceRateDuringResume = kx_app_device->m_updateRate;
        kx_app_SetUpdateRate(60);
    };
    CloseAfterUpdates(6);
    Run();

    EXPECT_EQ(rec.suspends, 1);
    EXPECT_EQ(rec.resumes, 1);
    EXPECT_EQ(ratesSeenWhileSuspended, 0) << "the device's copy reads 0 while suspended";
    EXPECT_EQ(hostRateWhileSuspended, 5) << "the host keeps the game's suspend rate to restore";
    EXPECT_TRUE(suspendedDuringResume);
    EXPECT_EQ(deviceRateDuringResume, 5) << "the kept rate is set again before the game resumes";
    EXPECT_FALSE(app->suspended);
    // Nothing runs between the suspend and the resume but waiting for events.
    EXPECT_EQ(Between("suspend", "resume"), (std::vector<std::string>{"wait"}));
    // The first update after the resume comes one period (the game's 60) later.
    ASSERT_EQ(rec.updateTimes.size(), 6u);
    EXPECT_NEAR(rec.updateTimes[3] - resumedAt, kPeriod60, 1e-6);
}

TEST_F(AppLoop, ResumeReArmsTheScheduleFromTheKeptRate) {
    double resumedAt = -1;
    script = [&](const char* kind) {
        std::string k = kind;
        if (k == "poll" && win.polls == 2) win.iconified = true;
        if (k == "wait") {
            win.iconified = false;
            resumedAt = win.now;
        }
    };
    rec.onResume = nullptr;  // the game leaves the rate alone
    CloseAfterUpdates(3);
    Run();

    EXPECT_EQ(kx_app_device->m_updateRate, 5);
    EXPECT_EQ(app->updateRate, 5);
    ASSERT_EQ(rec.updateTimes.size(), 3u);
    EXPECT_NEAR(rec.updateTimes[2] - resumedAt, 1.0 / 5, 1e-6);
}

TEST_F(AppLoop, RestoredWithoutFocusStaysSuspendedUntilFocused) {
    script = [&](const char* kind) {
        std::string k = kind;
        if (k == "poll" && win.polls == 2) {
            win.iconified = true;
            win.active = false;
        }
        if (k == "wait" && win.waits == 1) win.iconified = false;  // restored, not focused
        if (k == "wait" && win.waits == 5) win.active = true;
    };
    CloseAfterUpdates(4);
    Run();

    EXPECT_EQ(rec.suspends, 1);
    EXPECT_EQ(rec.resumes, 1);
    EXPECT_EQ(Between("suspend", "resume"),
              (std::vector<std::string>{"wait", "wait", "wait", "wait", "wait"}));
}

TEST_F(AppLoop, LosingFocusAloneKeepsRunning) {
    script = [&](const char* kind) {
        if (std::string(kind) == "poll" && win.polls == 2) win.active = false;
    };
    CloseAfterUpdates(10);
    Run();

    EXPECT_EQ(rec.suspends, 0);
    EXPECT_EQ(win.waits, 0);
    for (const Pass& p : PollPasses()) {
        EXPECT_EQ(p.updates, 1);
        EXPECT_EQ(p.renders, 1);
    }
    EXPECT_EQ(rec.updates, 10);
}

TEST_F(AppLoop, WithoutARateItRendersOnEventsOnlyAndClosingEndsRun) {
    rec.onCreate = nullptr;  // the rate stays 0
    script = [&](const char* kind) {
        if (std::string(kind) == "wait" && win.waits == 3) win.opened = false;
    };
    Run();

    EXPECT_EQ(rec.updates, 0);
    EXPECT_EQ(win.polls, 0);
    EXPECT_EQ(rec.renders, 4) << "the first frame, then one per event wait";
    EXPECT_EQ(rec.log.back(), "wait") << "nothing runs after the window closed";
}

TEST_F(AppLoop, ZeroSizedWindowAtCreationEndsTheProcess) {
    win.width = 0;
    EXPECT_DEATH(app->Run(), "");
}

TEST_F(AppLoop, ZeroSizedWindowLaterOnlySkipsUpdatesAndRenders) {
    script = [&](const char* kind) {
        std::string k = kind;
        if (k == "poll" && win.polls == 2) win.height = 0;
        if (k == "poll" && win.polls == 5) win.height = 480;
    };
    CloseAfterUpdates(3);
    Run();

    std::vector<Pass> passes = PollPasses();
    ASSERT_EQ(passes.size(), 6u);
    const int expected[] = {1, 0, 0, 0, 1, 1};
    for (std::size_t i = 0; i < passes.size(); ++i) {
        EXPECT_EQ(passes[i].updates, expected[i]) << "pass " << i;
        EXPECT_EQ(passes[i].renders, expected[i]) << "pass " << i;
    }
}

TEST_F(AppLoop, WindowCallbacksFeedTheInputDevice) {
    std::vector<std::string> seen;
    script = [&](const char* kind) {
        if (std::string(kind) != "poll") return;
        switch (win.polls) {
            case 1:
                glfw2::DeliverKey(GLFW_KEY_Z, glfw2::PRESS);
                glfw2::DeliverMouseButton(GLFW_MOUSE_BUTTON_RIGHT, glfw2::PRESS);
                glfw2::DeliverMouseButton(5, glfw2::PRESS);  // no code of its own
                glfw2::DeliverChar('x', glfw2::PRESS);
                glfw2::DeliverChar('y', glfw2::RELEASE);
                break;
            case 2:
                glfw2::DeliverKey(GLFW_KEY_Z, glfw2::RELEASE);
                glfw2::DeliverMouseButton(GLFW_MOUSE_BUTTON_RIGHT, glfw2::RELEASE);
                glfw2::DeliverKey(GLFW_KEY_ENTER, glfw2::PRESS);
                glfw2::DeliverKey(GLFW_KEY_ENTER, glfw2::PRESS);  // an auto-repeat
                glfw2::DeliverMouseButton(GLFW_MOUSE_BUTTON_MIDDLE, glfw2::PRESS);
                break;
        }
    };
    rec.onUpdate = [&] {
        gxtkInput* in = kx_input_device;
        if (rec.updates == 1) {
            EXPECT_EQ(in->KeyDown('Z'), 1);
            EXPECT_EQ(in->KeyHit('Z'), 1);
            EXPECT_EQ(in->KeyDown(2), 1) << "the right button is key code 2";
            EXPECT_EQ(in->KeyDown(1), 0);
            EXPECT_EQ(in->KeyDown(3), 0);
            EXPECT_EQ(in->GetChar(), 'x');
            EXPECT_EQ(in->GetChar(), 0) << "a released character is not queued";
        }
        if (rec.updates == 2) {
            EXPECT_EQ(in->KeyDown('Z'), 0);
            EXPECT_EQ(in->KeyDown(2), 0);
            EXPECT_EQ(in->KeyDown(3), 1) << "the middle button is key code 3";
            EXPECT_EQ(in->KeyHit(13), 1);
            EXPECT_EQ(in->GetChar(), 13) << "Enter also queues its character";
            EXPECT_EQ(in->GetChar(), 13) << "and queues it again for each repeat";
            win.opened = false;
        }
    };
    Run();
    EXPECT_EQ(rec.updates, 2);
}

// A click whose press and release both arrive in one event poll (a touchpad's
// tap, a quick click) is seen held by the pass's first update alone; a click held
// across updates goes up in the first update after its release, as it always did.
TEST_F(AppLoop, AClickBetweenTwoUpdatesIsHeldForOneUpdate) {
    std::vector<int> down;
    script = [&](const char* kind) {
        if (std::string(kind) != "poll") return;
        if (win.polls == 2) {
            glfw2::DeliverMouseButton(GLFW_MOUSE_BUTTON_LEFT, glfw2::PRESS);
            glfw2::DeliverMouseButton(GLFW_MOUSE_BUTTON_LEFT, glfw2::RELEASE);
        }
        if (win.polls == 4) glfw2::DeliverMouseButton(GLFW_MOUSE_BUTTON_LEFT, glfw2::PRESS);
        if (win.polls == 6) glfw2::DeliverMouseButton(GLFW_MOUSE_BUTTON_LEFT, glfw2::RELEASE);
    };
    rec.onUpdate = [&] {
        down.push_back(kx_input_TouchDown(0));
        if (rec.updates == 7) win.opened = false;
    };
    Run();
    EXPECT_EQ(down, (std::vector<int>{0, 1, 0, 1, 1, 0, 0}));
}

// ---------------------------------------------------------------------------
// The application's own operations, outside the loop
// ---------------------------------------------------------------------------

class AppOperations : public AppLoop {};

TEST_F(AppOperations, SetUpdateRateArmsTheScheduleAndZeroKeepsIt) {
    win.now = 10.0;
    kx_app_SetUpdateRate(50);
    EXPECT_EQ(app->updateRate, 50);
    EXPECT_EQ(kx_app_device->m_updateRate, 50);
    EXPECT_DOUBLE_EQ(app->updatePeriod, 0.02);
    EXPECT_DOUBLE_EQ(app->nextUpdate, 10.02);

    win.now = 11.0;
    kx_app_SetUpdateRate(0);
    EXPECT_EQ(app->updateRate, 0);
    EXPECT_EQ(kx_app_device->m_updateRate, 0);
    EXPECT_DOUBLE_EQ(app->updatePeriod, 0.02);
    EXPECT_DOUBLE_EQ(app->nextUpdate, 10.02);
}

TEST_F(AppOperations, MilliSecsTruncatesAndWrapsLikeA32BitCounter) {
    win.now = 0.0019;
    EXPECT_EQ(kx_app_Millisecs(), 1);
    win.now = 2.5;
    EXPECT_EQ(kx_app_Millisecs(), 2500);
    win.now = 3000000.0;  // 3e9 ms: past the 32-bit range
    EXPECT_EQ(kx_app_Millisecs(), static_cast<int>(3000000000u - 4294967296u));
}

TEST_F(AppOperations, DefaultsAndDevices) {
    EXPECT_TRUE(app->AppTitle() == String("<TODO>"));
    EXPECT_FALSE(app->Loading());
    EXPECT_EQ(app, static_cast<gxtkApp*>(kx_app_device));
    EXPECT_EQ(runner, &RunApp);
    EXPECT_EQ(kx_graphics_device, app->GraphicsDevice());
    EXPECT_EQ(kx_input_device, app->InputDevice());
    EXPECT_EQ(kx_audio_device, app->AudioDevice());
    EXPECT_NE(kx_graphics_device, nullptr);
    EXPECT_NE(kx_input_device, nullptr);
    EXPECT_NE(kx_audio_device, nullptr);
    EXPECT_EQ(app->updateRate, 0);
    EXPECT_FALSE(app->suspended);
}

TEST_F(AppOperations, RenderOpensTheDrawingContextOnlyWhileTheGameDraws) {
    gxtkGraphics* during = nullptr;
    rec.onRender = [&] { during = kx_graphics_renderDevice; };
    app->InvokeOnRender();
    EXPECT_EQ(during, kx_graphics_device);
    EXPECT_EQ(kx_graphics_renderDevice, nullptr);

    kx_graphics_device->mode = 0;  // no drawing context for a device that cannot draw
    during = kx_graphics_device;
    app->InvokeOnRender();
    EXPECT_EQ(during, nullptr);
    EXPECT_EQ(rec.renders, 2);
}

TEST_F(AppOperations, RootsKeepTheDevicesAndTheGameAlive) {
    gc_object* game = kx_app_device->m_app;
    gc_object* garbage = new Object();
    // Two full collections: the first ends the cycle in progress, the second starts
    // from the roots alone.
    for (int i = 0; i < 2; ++i) {
        gc_force_sweep = true;
        gc_collect();
    }
    EXPECT_TRUE(gc_is_live(kx_app_device));
    EXPECT_TRUE(gc_is_live(game));
    EXPECT_TRUE(gc_is_live(kx_graphics_device));
    EXPECT_TRUE(gc_is_live(kx_input_device));
    EXPECT_TRUE(gc_is_live(kx_audio_device));
    EXPECT_TRUE(gc_is_live(kx_graphics_context));
    EXPECT_FALSE(gc_is_live(garbage));
}

}  // namespace
