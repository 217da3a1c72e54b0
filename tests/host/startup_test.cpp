// startup_test.cpp - the process's start-up and clean-up on a fake window layer:
// the window opened resizable at 640x480, centred with truncating signed division,
// titled; failures of the window library; the guard that catches a toolkit
// exception or a runtime-error unwind escaping the loop. Each case runs HostMain in
// a child process and reads what it printed from a file.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include <AL/alc.h>

#include "host/app.h"
#include "host/audio_open.h"
#include "host/input.h"
#include "media/audio_device.h"
#include "media/graphics.h"
#include "tests/host/fake_window.h"
#include "tests/host/x11_harness.h"

namespace {

// Records what start-up asks of the window layer, and how the loop ends.
class StartupWindow : public hosttest::FakeWindow {
public:
    bool initOk = true, openOk = true;
    int openW = 0, openH = 0, posX = -1, posY = -1;
    bool resizable = false;
    std::string title;
    int terminated = 0;
    int desktopW = 1920, desktopH = 1080;

    bool Init() override { return initOk; }
    void Terminate() override { ++terminated; }
    glfw2::VidMode GetDesktopMode() override {
        glfw2::VidMode m;
        m.Width = desktopW;
        m.Height = desktopH;
        return m;
    }
    bool OpenWindow(int w, int h, bool r) override {
        openW = w;
        openH = h;
        resizable = r;
        return openOk;
    }
    void SetWindowPos(int x, int y) override {
        posX = x;
        posY = y;
    }
    void SetWindowTitle(const char* t) override { title = t; }

    int fullscreenOn = -1;
    std::function<void()> onFullscreen;
    int GetMonitors(glfw2::ScreenRect* out, int max) override {
        if (max < 1) return 0;
        out[0] = glfw2::ScreenRect{0, 0, desktopW, desktopH};
        return 1;
    }
    bool ShowFullscreen(int index) override {
        fullscreenOn = index;
        if (onFullscreen) onFullscreen();
        return true;
    }
};

std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class Startup : public ::testing::Test {
protected:
    hosttest::TempDir dir;
    StartupWindow win;
    std::string outPath;

    void SetUp() override {
        GTEST_FLAG_SET(death_test_style, "fast");
        outPath = dir.path() + "/stdout.txt";
        // No sound device: start-up must carry on without one.
        std::string conf = dir.path() + "/no-device.conf";
        std::ofstream(conf) << "[general]\ndrivers = no-such-backend\n";
        setenv("ALSOFT_CONF", conf.c_str(), 1);
        glfw2::SetBackend(&win);
    }
    void TearDown() override { glfw2::SetBackend(nullptr); }

    // Runs HostMain in the test's folder with standard output sent to outPath, then
    // exits with its result.
    [[noreturn]] void RunHostMain(const char* option = nullptr) {
        if (!std::freopen(outPath.c_str(), "w", stdout)) _exit(100);
        if (chdir(dir.path().c_str()) != 0) _exit(100);
        // A fresh process starts its collector from nothing; the forked child of this
        // test program has the parent's counts of objects its start-up (gc_init1)
        // no longer lists, which would let it sweep bytes it cannot find.
        gc_alloced_bytes = gc_marked_bytes = gc_marked_objs = gc_free_bytes = 0;
        char name[] = "tumbleroo";
        std::string optionText = option ? option : "";
        char* argv[] = {name, option ? &optionText[0] : nullptr, nullptr};
        int result = HostMain(option ? 2 : 1, argv);
        std::fflush(stdout);
        std::fflush(stderr);
        // The window library is released exactly when it was started, and the sound
        // device whenever it was opened.
        if (win.terminated != (win.initOk ? 1 : 0)) _exit(101);
        if (alcDevice || alcContext) _exit(106);
        _exit(result & 0xff);
    }

    std::string Printed() { return ReadFile(outPath); }
};

TEST_F(Startup, OpensTheWindowCentredAndTitledThenCleansUpAfterClosing) {
    // The empty game sets no rate: the loop renders and waits; the first wait closes.
    win.onEvents = [this](const char*) {
        if (win.openW != 640 || win.openH != 480 || !win.resizable) _exit(102);
        if (win.posX != 640 || win.posY != 300) _exit(103);
        if (win.title != "Tumbleroo") _exit(104);
        if (!kx_app_device || app != kx_app_device || !kx_app_device->m_app) _exit(105);
        win.opened = false;
    };
    EXPECT_EXIT(RunHostMain(), ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(Printed(), "alcOpenDevice failed\n");
}

// The window is shown fullscreen before the game draws its first frame.
TEST_F(Startup, FullscreenOptionFillsTheMonitorBeforeTheFirstFrameAndIsRemembered) {
    win.onFullscreen = [this] {
        if (win.swaps != 0) _exit(108);
    };
    win.onEvents = [this](const char*) {
        if (win.fullscreenOn != 0) _exit(107);
        win.opened = false;
    };
    EXPECT_EXIT(RunHostMain("--fullscreen"), ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(ReadFile(dir.path() + "/.tumbleroo-settings"), "window=fullscreen\n");
}

TEST_F(Startup, WithASoundDeviceNothingIsPrintedAndTheDeviceIsClosedAtTheEnd) {
    setenv("ALSOFT_CONF", TUMBLEROO_SOURCE_DIR "/tests/support/alsoft-null.conf", 1);
    win.onEvents = [this](const char*) {
        if (!alcDevice || !alcContext || alcGetCurrentContext() != alcContext) _exit(107);
        win.opened = false;
    };
    EXPECT_EXIT(RunHostMain(), ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(Printed(), "");
}

TEST_F(Startup, CentresWithTruncatingSignedDivisionOnASmallDesktop) {
    win.desktopW = 601;  // (601 - 640) / 2 = -19, not -20
    win.desktopH = 379;  // (379 - 480) / 2 = -50, not -51
    win.onEvents = [this](const char*) {
        if (win.posX != -19 || win.posY != -50) _exit(103);
        win.opened = false;
    };
    EXPECT_EXIT(RunHostMain(), ::testing::ExitedWithCode(0), "");
}

TEST_F(Startup, WindowLibraryThatCannotStartEndsWithMinusOne) {
    win.initOk = false;
    EXPECT_EXIT(RunHostMain(), ::testing::ExitedWithCode(255), "");
    EXPECT_EQ(Printed(), "glfwInit failed\n");
}

TEST_F(Startup, WindowThatCannotOpenEndsWithMinusOne) {
    win.openOk = false;
    EXPECT_EXIT(RunHostMain(), ::testing::ExitedWithCode(255), "");
    EXPECT_EQ(Printed(), "glfwOpenWindow failed\n");
}

TEST_F(Startup, AnUncaughtToolkitExceptionIsReportedAndTheProgramEndsNormally) {
    win.onEvents = [](const char*) { throw new ThrowableObject(); };
    EXPECT_EXIT(RunHostMain(), ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(Printed(), "alcOpenDevice failed\nQuorvel Runtime Error : Uncaught Quorvel Exception\n");
}

TEST_F(Startup, ARuntimeErrorUnwindEndsTheProgramSilently) {
    win.onEvents = [](const char*) { throw "unwinding"; };
    EXPECT_EXIT(RunHostMain(), ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(Printed(), "alcOpenDevice failed\n");
}

// A device name no system has, on the ALSA backend: the sound library fails to
// open it whatever the machine's cards, and ALSA and the library complain on
// standard error unless start-up quiets them.
class StartupWithoutAlsaDevice : public Startup {
protected:
    std::string errPath;
    void SetUp() override {
        Startup::SetUp();
        errPath = dir.path() + "/stderr.txt";
        std::string conf = dir.path() + "/alsa-missing.conf";
        std::ofstream(conf) << "[general]\ndrivers = alsa\n[alsa]\ndevice = tumbleroo-no-such-pcm\n";
        setenv("ALSOFT_CONF", conf.c_str(), 1);
        unsetenv("ALSOFT_LOGLEVEL");
    }
    std::string Complaints() { return ReadFile(errPath); }
};

TEST_F(StartupWithoutAlsaDevice, ThePlayerSeesOneLineAndNoSoundLibraryErrors) {
    // The same opening without start-up's care shows the noise this is about.
    EXPECT_EXIT(
        {
            if (!std::freopen(errPath.c_str(), "w", stderr)) _exit(100);
            bool opened = alcOpenDevice(nullptr) != nullptr;
            std::fflush(stderr);
            _exit(opened ? 1 : 0);
        },
        ::testing::ExitedWithCode(0), "");
    if (Complaints().find("ALSA lib") == std::string::npos) GTEST_SKIP() << "no ALSA library to quiet here";
    ASSERT_NE(Complaints().find("AL lib"), std::string::npos);

    win.onEvents = [this](const char*) { win.opened = false; };
    EXPECT_EXIT(
        {
            if (!std::freopen(errPath.c_str(), "w", stderr)) _exit(100);
            RunHostMain();
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(Printed(), "alcOpenDevice failed\n");
    EXPECT_EQ(Complaints(), "");
}

TEST(StartupGlobals, InitialiseTheDevicesToNullAndCreateTheContextAndRoots) {
    kxInit();
    EXPECT_EQ(kx_graphics_device, nullptr);
    EXPECT_EQ(kx_input_device, nullptr);
    EXPECT_EQ(kx_audio_device, nullptr);
    EXPECT_EQ(kx_app_device, nullptr);
    ASSERT_NE(kx_graphics_context, nullptr);
    ASSERT_NE(gc_root_marker, nullptr);
    // The context survives collections as a root even before any game exists.
    gc_object* ctx = kx_graphics_context;
    for (int i = 0; i < 2; ++i) {
        gc_force_sweep = true;
        gc_collect();
    }
    EXPECT_TRUE(gc_is_live(ctx));
}

}  // namespace
