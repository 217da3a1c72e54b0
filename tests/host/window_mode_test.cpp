// window_mode_test.cpp - fullscreen through the window layer's seam: F11 and
// Alt+Enter, fed through the host's key callback, fill the monitor the window is
// on and bring the window back to its former size and place; the game never sees
// the toggle's keys; the mode is remembered in the settings file, and a damaged
// file starts windowed with one line on standard error.
#include "host/window_mode.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "host/app.h"
#include "host/input.h"
#include "tests/host/fake_window.h"
#include "tests/host/x11_harness.h"

namespace {

using glfw2::ScreenRect;

// Two monitors side by side; the window sits on the right-hand one. Going
// fullscreen gives the window the monitor's area and reports the new size, as the
// library's resize callback would.
class MonitorWindow : public hosttest::FakeWindow {
public:
    std::vector<ScreenRect> monitors = {{0, 0, 1920, 1080}, {1920, 0, 2560, 1440}};
    ScreenRect area{2100, 300, 800, 600};
    int fullscreenOn = -1;
    std::vector<std::string> calls;

    ScreenRect GetWindowArea() override { return area; }
    int GetMonitors(ScreenRect* out, int max) override {
        int n = 0;
        for (; n < static_cast<int>(monitors.size()) && n < max; ++n) out[n] = monitors[n];
        return n;
    }
    bool ShowFullscreen(int index) override {
        calls.push_back("fullscreen " + std::to_string(index));
        fullscreenOn = index;
        Show(monitors[index]);
        return true;
    }
    bool ShowWindowed(const ScreenRect& a) override {
        calls.push_back("windowed");
        fullscreenOn = -1;
        Show(a);
        return true;
    }

private:
    void Show(const ScreenRect& a) {
        area = a;
        width = a.width;
        height = a.height;
        glfw2::DeliverWindowSize(width, height);
    }
};

bool SameRect(const ScreenRect& a, const ScreenRect& b) {
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class Fullscreen : public ::testing::Test {
protected:
    MonitorWindow win;
    hosttest::TempDir dir;
    std::string settings = dir.path() + "/.tumbleroo-settings";
    gxtkInput* input = nullptr;

    void SetUp() override {
        glfw2::SetBackend(&win);
        kxInit();
        gc_mark();
        (new kx_app_App())->g_new();
        input = app->input;
    }
    void TearDown() override { glfw2::SetBackend(nullptr); }

    WindowMode& mode() { return *app->windowMode; }
    void Key(int glfwKey, int action) { gxtkApp::OnKey(glfwKey, action); }
    void Tap(int glfwKey) {
        Key(glfwKey, glfw2::PRESS);
        Key(glfwKey, glfw2::RELEASE);
    }
    void AltEnter(int altKey) {
        Key(altKey, glfw2::PRESS);
        Tap(GLFW_KEY_ENTER);
        Key(altKey, glfw2::RELEASE);
    }
};

TEST(MonitorUnder, TheMonitorTheWindowOverlapsMostElseThePrimary) {
    ScreenRect monitors[] = {{0, 0, 1920, 1080}, {1920, 0, 1280, 1024}};
    EXPECT_EQ(MonitorUnder({100, 100, 640, 480}, monitors, 2), 0);
    EXPECT_EQ(MonitorUnder({1700, 100, 640, 480}, monitors, 2), 1) << "420 columns on the second, 220 on the first";
    EXPECT_EQ(MonitorUnder({1500, 100, 640, 480}, monitors, 2), 0);
    EXPECT_EQ(MonitorUnder({5000, 5000, 640, 480}, monitors, 2), 0) << "off every monitor";
    EXPECT_EQ(MonitorUnder({-300, -200, 640, 480}, monitors, 2), 0);
}

TEST_F(Fullscreen, F11FillsTheWindowsMonitorAndBringsBackItsSizeAndPlace) {
    mode().Start(DisplayChoice::Remembered, settings);
    ScreenRect before = win.area;
    Tap(GLFW_KEY_F11);
    EXPECT_TRUE(mode().fullscreen());
    EXPECT_EQ(win.fullscreenOn, 1);
    EXPECT_EQ(win.width, 2560);
    EXPECT_EQ(ReadFile(settings), "window=fullscreen\n");

    Tap(GLFW_KEY_F11);
    EXPECT_FALSE(mode().fullscreen());
    EXPECT_TRUE(SameRect(win.area, before));
    EXPECT_EQ(ReadFile(settings), "window=windowed\n");
    EXPECT_EQ(input->KeyHit(122), 0) << "F11 is the toggle's, not the game's";
    EXPECT_EQ(input->charPut, 0);
}

// A held F11 repeats as more presses of a key already down: one toggle.
TEST_F(Fullscreen, AHeldF11TogglesOnce) {
    mode().Start(DisplayChoice::Remembered, settings);
    for (int i = 0; i < 5; ++i) Key(GLFW_KEY_F11, glfw2::PRESS);
    Key(GLFW_KEY_F11, glfw2::RELEASE);
    EXPECT_EQ(win.calls, std::vector<std::string>{"fullscreen 1"});
}

TEST_F(Fullscreen, AltEnterTogglesWithEitherAltAndTheGameSeesNoEnter) {
    mode().Start(DisplayChoice::Remembered, settings);
    AltEnter(GLFW_KEY_LEFT_ALT);
    EXPECT_TRUE(mode().fullscreen());
    AltEnter(GLFW_KEY_RIGHT_ALT);
    EXPECT_FALSE(mode().fullscreen());
    EXPECT_EQ(win.calls, (std::vector<std::string>{"fullscreen 1", "windowed"}));
    EXPECT_EQ(input->KeyHit(13), 0) << "Alt+Enter also confirmed in the game";
    EXPECT_EQ(input->charPut, 0);
}

// Enter is the game's confirm key: alone, or held before Alt comes (its repeats
// then), it reaches the game and toggles nothing.
TEST_F(Fullscreen, EnterWithoutAltBelongsToTheGame) {
    mode().Start(DisplayChoice::Remembered, settings);
    Key(GLFW_KEY_ENTER, glfw2::PRESS);
    EXPECT_EQ(input->KeyDown(13), 1);
    Key(GLFW_KEY_LEFT_ALT, glfw2::PRESS);
    Key(GLFW_KEY_ENTER, glfw2::PRESS);  // a repeat
    Key(GLFW_KEY_ENTER, glfw2::RELEASE);
    Key(GLFW_KEY_LEFT_ALT, glfw2::RELEASE);
    EXPECT_TRUE(win.calls.empty());
    EXPECT_EQ(input->KeyHit(13), 1);
    EXPECT_EQ(input->charPut, 2) << "the press and its repeat queue Enter";
}

TEST_F(Fullscreen, ARememberedFullscreenStartsFullscreenAndAToggleKeepsTheOtherSettings) {
    std::ofstream(settings) << "firstGame=done\nwindow=fullscreen\n";
    mode().Start(DisplayChoice::Remembered, settings);
    EXPECT_TRUE(mode().fullscreen());
    EXPECT_EQ(win.fullscreenOn, 1);
    Tap(GLFW_KEY_F11);
    EXPECT_EQ(ReadFile(settings), "firstGame=done\nwindow=windowed\n");
}

TEST_F(Fullscreen, ACommandLineChoiceWinsAndIsRemembered) {
    std::ofstream(settings) << "window=fullscreen\n";
    mode().Start(DisplayChoice::Windowed, settings);
    EXPECT_FALSE(mode().fullscreen());
    EXPECT_TRUE(win.calls.empty());
    EXPECT_EQ(ReadFile(settings), "window=windowed\n");

    WindowMode other;
    other.Start(DisplayChoice::Fullscreen, settings);
    EXPECT_TRUE(other.fullscreen());
    EXPECT_EQ(ReadFile(settings), "window=fullscreen\n");
}

TEST_F(Fullscreen, ADamagedSettingsFileStartsWindowedWithOneLineOnStandardError) {
    for (const char* text : {"window=fullscreen\n\x7f\x45LF\x02\x01\n", "window=sideways\n"}) {
        std::ofstream(settings) << text;
        WindowMode fresh;
        ::testing::internal::CaptureStderr();
        fresh.Start(DisplayChoice::Remembered, settings);
        std::string err = ::testing::internal::GetCapturedStderr();
        EXPECT_FALSE(fresh.fullscreen()) << text;
        EXPECT_TRUE(win.calls.empty());
        ASSERT_FALSE(err.empty());
        EXPECT_EQ(err.find('\n'), err.size() - 1) << err;
        EXPECT_EQ(ReadFile(settings), text) << "starting alone rewrites nothing";
    }
}

TEST_F(Fullscreen, WithoutAMonitorNothingChangesAndNothingIsWritten) {
    win.monitors.clear();
    mode().Start(DisplayChoice::Remembered, settings);
    Tap(GLFW_KEY_F11);
    EXPECT_FALSE(mode().fullscreen());
    EXPECT_TRUE(win.calls.empty());
    std::ifstream in(settings);
    EXPECT_FALSE(in.good()) << "a settings file was written";
}

}  // namespace
