// window_test.cpp - the real window under a private virtual display: the GLFW 3
// backend in this process (size, flags, clock, sleep, pointer, a close request,
// auto-repeat handed on as presses, the icon), and the `tumbleroo` program itself
// (title, size and centred position, closing it, running without a display or
// without sound).
#include <GL/gl.h>
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>
#include <stb/stb_image.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "host/glfw2.h"
#include "tests/host/x11_harness.h"

namespace {

using hosttest::ChildProcess;
using hosttest::PrivateDisplay;
using hosttest::WindowInfo;
using hosttest::XClient;

constexpr int kDesktopWidth = 1920, kDesktopHeight = 1080;
constexpr int kWidth = 640, kHeight = 480;
constexpr double kWindowWaitSeconds = 15;
constexpr double kExitWaitSeconds = 15;

const std::string kBinary = TUMBLEROO_BINARY_DIR "/tumbleroo";
const std::string kNullSoundConf = TUMBLEROO_SOURCE_DIR "/tests/support/alsoft-null.conf";

// Polls window events until `done` holds, for at most about two seconds.
template <class Pred>
bool PollUntil(Pred done) {
    for (int i = 0; i < 200; ++i) {
        glfw2::PollEvents();
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

int Shell(const std::string& command) { return std::system(command.c_str()); }

// ---------------------------------------------------------------------------
// The GLFW 3 backend in this process
// ---------------------------------------------------------------------------

class Glfw3Window : public ::testing::Test {
protected:
    PrivateDisplay display;
    std::vector<std::pair<int, int>> keys;  // key, action as delivered

    static Glfw3Window* current;
    static void OnKey(int key, int action) { current->keys.emplace_back(key, action); }

    void SetUp() override {
        ASSERT_TRUE(display.ok()) << "Xvfb did not start";
        setenv("DISPLAY", display.name().c_str(), 1);
        glfw2::SetBackend(nullptr);
        current = this;
        ASSERT_TRUE(glfw2::Init());
        ASSERT_TRUE(glfw2::OpenWindow(kWidth, kHeight, true));
        glfw2::SetWindowPos(100, 60);
        glfw2::SetWindowTitle("Tumbleroo backend");
        glfw2::SetKeyCallback(OnKey);
    }

    void TearDown() override {
        glfw2::SetKeyCallback(nullptr);
        glfw2::Terminate();
    }
};
Glfw3Window* Glfw3Window::current = nullptr;

TEST_F(Glfw3Window, OpensOneWindowWithAContextAndReportsItsState) {
    int w = 0, h = 0;
    glfw2::GetWindowSize(&w, &h);
    EXPECT_EQ(w, kWidth);
    EXPECT_EQ(h, kHeight);
    EXPECT_EQ(glfw2::GetWindowParam(glfw2::OPENED), 1);
    EXPECT_EQ(glfw2::GetWindowParam(glfw2::ICONIFIED), 0);
    EXPECT_FALSE(glfw2::OpenWindow(kWidth, kHeight, true)) << "one window only";

    glfw2::VidMode desktop = glfw2::GetDesktopMode();
    EXPECT_EQ(desktop.Width, kDesktopWidth);
    EXPECT_EQ(desktop.Height, kDesktopHeight);

    // The context is current: the fixed-function pipeline answers. The renderer
    // uses neither a depth nor a stencil buffer, and asks for none.
    ASSERT_NE(glGetString(GL_VERSION), nullptr);
    GLint depthBits = -1, stencilBits = -1;
    glGetIntegerv(GL_DEPTH_BITS, &depthBits);
    glGetIntegerv(GL_STENCIL_BITS, &stencilBits);
    EXPECT_EQ(depthBits, 0);
    EXPECT_EQ(stencilBits, 0);
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    unsigned char px[4] = {};
    glReadPixels(10, 10, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, px);
    EXPECT_EQ(px[0], 255);
    EXPECT_EQ(px[1], 0);
    glfw2::SwapBuffers();

    XClient x(display.name());
    ASSERT_TRUE(x.ok());
    WindowInfo info;
    ASSERT_TRUE(x.WaitForTitle("Tumbleroo backend", 5, &info));
    EXPECT_EQ(info.width, kWidth);
    EXPECT_EQ(info.height, kHeight);
    EXPECT_EQ(info.x, 100);
    EXPECT_EQ(info.y, 60);
}

TEST_F(Glfw3Window, ClockStartsAtInitAndSleepWaits) {
    double t0 = glfw2::GetTime();
    EXPECT_GE(t0, 0.0);
    EXPECT_LT(t0, 5.0) << "seconds since the library started";
    glfw2::Sleep(0.05);
    double t1 = glfw2::GetTime();
    EXPECT_GE(t1 - t0, 0.045);
    EXPECT_LT(t1 - t0, 1.0);
    glfw2::Sleep(-1);  // nothing to wait for
    glfw2::Sleep(0);
    EXPECT_LT(glfw2::GetTime() - t1, 0.5);
}

TEST_F(Glfw3Window, ACloseRequestMarksTheWindowClosed) {
    XClient x(display.name());
    WindowInfo info;
    ASSERT_TRUE(x.WaitForTitle("Tumbleroo backend", 5, &info));
    ASSERT_TRUE(x.RequestClose(info.id));
    EXPECT_TRUE(PollUntil([] { return glfw2::GetWindowParam(glfw2::OPENED) == 0; }));
    // The library leaves the window itself in place; only the flag says closed.
    int w = 0, h = 0;
    glfw2::GetWindowSize(&w, &h);
    EXPECT_EQ(w, kWidth);
}

TEST_F(Glfw3Window, PointerAndAutoRepeatedKeysArriveAsThePlainLayerReportsThem) {
    XClient x(display.name());
    WindowInfo info;
    ASSERT_TRUE(x.WaitForTitle("Tumbleroo backend", 5, &info));
    std::string disp = "DISPLAY=" + display.name() + " ";
    std::string id = std::to_string(info.id);
    // Without a window manager the keyboard follows the pointer.
    ASSERT_EQ(Shell(disp + "xdotool mousemove --window " + id + " 120 45 >/dev/null 2>&1"), 0);
    float mx = -1, my = -1;
    EXPECT_TRUE(PollUntil([&] {
        glfw2::GetMousePos(&mx, &my);
        return mx == 120 && my == 45;
    })) << mx << "," << my;

    // Holding a key down: the server repeats it, which the library reports as
    // repeats and the layer hands on as further presses.
    ASSERT_TRUE(x.SetAutoRepeat(40, 20));
    ASSERT_EQ(Shell(disp + "xdotool keydown z >/dev/null 2>&1"), 0);
    PollUntil([&] { return keys.size() >= 3; });
    ASSERT_EQ(Shell(disp + "xdotool keyup z >/dev/null 2>&1"), 0);
    PollUntil([&] { return !keys.empty() && keys.back().second == glfw2::RELEASE; });
    ASSERT_GE(keys.size(), 4u);
    for (std::size_t i = 0; i + 1 < keys.size(); ++i) {
        EXPECT_EQ(keys[i], std::make_pair(GLFW_KEY_Z, int(glfw2::PRESS))) << i;
    }
    EXPECT_EQ(keys.back(), std::make_pair(GLFW_KEY_Z, int(glfw2::RELEASE)));
}

// The icon is decoded while the library starts and handed to the window once it
// exists: the window manager reads the file's pixels, and a working folder
// without the file leaves the window without an icon. Each run starts and ends
// the library, as the program does.
TEST(Glfw3WindowIcon, IsTheDataFilesPictureOrNone) {
    PrivateDisplay display;
    ASSERT_TRUE(display.ok()) << "Xvfb did not start";
    setenv("DISPLAY", display.name().c_str(), 1);
    glfw2::SetBackend(nullptr);
    const std::string icon = TUMBLEROO_BINARY_DIR "/data/icon.png";
    int w = 0, h = 0, channels = 0;
    unsigned char* rgba = stbi_load(icon.c_str(), &w, &h, &channels, 4);
    ASSERT_NE(rgba, nullptr);
    std::vector<unsigned long> expected = {static_cast<unsigned long>(w), static_cast<unsigned long>(h)};
    for (int i = 0; i < w * h; ++i) {
        const unsigned char* p = rgba + 4 * i;
        expected.push_back(static_cast<unsigned long>(p[3]) << 24 | p[0] << 16 | p[1] << 8 | p[2]);
    }
    stbi_image_free(rgba);

    hosttest::TempDir withIcon, withoutIcon;
    ASSERT_EQ(Shell("mkdir -p " + withIcon.path() + "/data && cp " + icon + " " + withIcon.path() + "/data/"), 0);
    char here[4096];
    ASSERT_NE(getcwd(here, sizeof here), nullptr);
    XClient x(display.name());
    ASSERT_TRUE(x.ok());
    for (const auto* folder : {&withIcon, &withoutIcon}) {
        const bool has = folder == &withIcon;
        SCOPED_TRACE(has ? "with data/icon.png" : "without it");
        ASSERT_EQ(chdir(folder->path().c_str()), 0);
        ASSERT_TRUE(glfw2::Init());
        ASSERT_TRUE(glfw2::OpenWindow(kWidth, kHeight, true));
        glfw2::SetWindowTitle("Tumbleroo icon");
        WindowInfo info;
        std::vector<unsigned long> property;
        EXPECT_TRUE(x.WaitForTitle("Tumbleroo icon", 5, &info));
        EXPECT_TRUE(x.IconProperty(info.id, &property));
        glfw2::Terminate();
        ASSERT_EQ(chdir(here), 0);
        if (has) {
            std::size_t at = 0;
            while (at < property.size() && at < expected.size() && property[at] == expected[at]) ++at;
            EXPECT_TRUE(property == expected) << property.size() << " values for " << expected.size()
                                              << ", the first difference at " << at;
        } else {
            EXPECT_TRUE(property.empty());
        }
    }
}

// ---------------------------------------------------------------------------
// The program
// ---------------------------------------------------------------------------

class Program : public ::testing::Test {
protected:
    hosttest::TempDir workdir;

    // The sanitizer build's undefined-behaviour runtime keeps two small blocks of
    // its own to the end of a process that drew with the GL driver; the leak check
    // is told to ignore blocks that runtime allocated, and nothing else.
    std::string LeakSuppressions() {
        std::string path = workdir.path() + "/leaks.supp";
        std::ofstream(path) << "leak:libubsan.so\n";
        const char* given = std::getenv("LSAN_OPTIONS");
        return "LSAN_OPTIONS=" + std::string(given ? given : "") + (given ? ":" : "") + "suppressions=" + path +
               ":print_suppressions=0";
    }

    std::vector<std::string> EnvOn(const std::string& display, const std::string& soundConf) {
        return hosttest::EnvironmentWithout(
            {"DISPLAY", "WAYLAND_DISPLAY", "ALSOFT_CONF", "LSAN_OPTIONS"},
            {"DISPLAY=" + display, "ALSOFT_CONF=" + soundConf, LeakSuppressions()});
    }

    // Starts the program, waits for its window, checks it and closes it; returns
    // what it printed, and its exit status through `status`.
    std::string RunAndClose(const std::string& soundConf, int* status) {
        PrivateDisplay display;
        EXPECT_TRUE(display.ok());
        ChildProcess child = hosttest::Spawn(kBinary, workdir.path(), EnvOn(display.name(), soundConf));
        EXPECT_GT(child.pid, 0);
        XClient x(display.name());
        EXPECT_TRUE(x.ok());
        WindowInfo info;
        bool found = x.WaitForTitle("Tumbleroo", kWindowWaitSeconds, &info);
        EXPECT_TRUE(found) << "no window titled Tumbleroo";
        if (found) {
            EXPECT_EQ(info.width, kWidth);
            EXPECT_EQ(info.height, kHeight);
            EXPECT_EQ(info.x, (kDesktopWidth - kWidth) / 2) << "centred horizontally";
            EXPECT_EQ(info.y, (kDesktopHeight - kHeight) / 2) << "centred vertically";
            EXPECT_TRUE(x.RequestClose(info.id));
        }
        *status = hosttest::WaitExit(child, kExitWaitSeconds);
        return hosttest::ReadAll(child);
    }
};

TEST_F(Program, OpensTheCentredTitledWindowAndExitsCleanlyWhenClosed) {
    int status = -1;
    std::string out = RunAndClose(kNullSoundConf, &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(out, "") << "nothing to report when everything opens";
}

TEST_F(Program, RunsOnWithoutASoundDevice) {
    std::string conf = workdir.path() + "/no-device.conf";
    std::ofstream(conf) << "[general]\ndrivers = no-such-backend\n";
    int status = -1;
    std::string out = RunAndClose(conf, &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(out, "alcOpenDevice failed\n");
}

TEST_F(Program, WithoutADisplayItReportsAndExitsWithMinusOne) {
    ChildProcess child = hosttest::Spawn(
        kBinary, workdir.path(), hosttest::EnvironmentWithout({"DISPLAY", "WAYLAND_DISPLAY"}, {}));
    int status = hosttest::WaitExit(child, kExitWaitSeconds);
    std::string out = hosttest::ReadAll(child);
    EXPECT_EQ(status, 255);
    EXPECT_EQ(out, "glfwInit failed\n");
}

}  // namespace
