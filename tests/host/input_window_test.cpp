// input_window_test.cpp - real key presses and mouse clicks, sent by xdotool to a
// real GLFW window, reach the input device through the host's window callbacks
// with the right toolkit codes and characters.
//
// Each test runs on an X server of its own (a private Xvfb that picks a free display
// itself), so that the synthetic input can neither land in another test's window nor
// be stolen by one when the suite runs in parallel.
#include "host/app.h"
#include "host/glfw2.h"
#include "host/input.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

extern char** environ;

namespace {

constexpr int kServerStartMs = 10000;
constexpr int kPumpRounds = 200;       // at 10 ms each: 2 s at most for events to arrive
constexpr int kPumpPauseUs = 10000;
constexpr int kWindowWidth = 320;
constexpr int kWindowHeight = 240;
const char* const kWindowTitle = "input-window-test";

// An Xvfb server started for this test; empty name when it could not be started.
class PrivateXServer {
public:
    PrivateXServer() {
        int fds[2];
        if (pipe(fds) != 0) return;
        std::string fd = std::to_string(fds[1]);
        const char* argv[] = {"Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "640x480x24",
                              "-nolisten", "tcp", nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        int devnull = open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (devnull >= 0) posix_spawn_file_actions_adddup2(&actions, devnull, STDERR_FILENO);
        int rc = posix_spawnp(&pid_, "Xvfb", &actions, nullptr, const_cast<char**>(argv), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (devnull >= 0) close(devnull);
        close(fds[1]);
        if (rc != 0) pid_ = -1;
        if (pid_ > 0) name_ = ReadDisplayNumber(fds[0]);
        close(fds[0]);
    }
    ~PrivateXServer() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    const std::string& name() const { return name_; }

private:
    // The server writes its display number once it accepts connections.
    static std::string ReadDisplayNumber(int fd) {
        std::string number;
        pollfd p = {fd, POLLIN, 0};
        char c = 0;
        while (poll(&p, 1, kServerStartMs) > 0 && read(fd, &c, 1) == 1 && c != '\n') number += c;
        return number.empty() ? std::string() : ":" + number;
    }
    pid_t pid_ = -1;
    std::string name_;
};

// Runs a shell command; its standard output, trimmed of the line break.
std::string Capture(const std::string& command) {
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buf[256];
        while (std::fgets(buf, sizeof buf, p)) out += buf;
        pclose(p);
    }
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
    return out;
}

class RealWindowInput : public ::testing::Test {
protected:
    void SetUp() override {
        const char* old = std::getenv("DISPLAY");
        hadDisplay_ = old != nullptr;
        if (old) oldDisplay_ = old;
        ASSERT_FALSE(server_.name().empty()) << "Xvfb did not start";
        setenv("DISPLAY", server_.name().c_str(), 1);

        ASSERT_TRUE(glfw2::Init());
        glfwUp_ = true;
        ASSERT_TRUE(glfw2::OpenWindow(kWindowWidth, kWindowHeight, false));
        glfw2::SetWindowTitle(kWindowTitle);
        glfw2::PollEvents();

        // The host's own callbacks, feeding the input device of a real application.
        previousApp_ = ::app;
        hostApp_ = new gxtkApp();
        input_ = hostApp_->input;
        glfw2::SetKeyCallback(gxtkApp::OnKey);
        glfw2::SetCharCallback(gxtkApp::OnChar);
        glfw2::SetMouseButtonCallback(gxtkApp::OnMouseButton);

        window_ = Capture(std::string("timeout 10 xdotool search --sync --name '^") + kWindowTitle + "$' | head -n 1");
        ASSERT_FALSE(window_.empty()) << "window not found on " << server_.name();
        Xdo("windowfocus --sync " + window_);
        ASSERT_TRUE(PumpUntil([] { return glfw2::GetWindowParam(glfw2::ACTIVE) != 0; }))
            << "window never got the focus";
        // Anything that arrived while the window came up belongs to no update.
        input_->EndUpdate();
    }

    void TearDown() override {
        glfw2::SetKeyCallback(nullptr);
        glfw2::SetCharCallback(nullptr);
        glfw2::SetMouseButtonCallback(nullptr);
        if (hostApp_) gc_assign(::app, previousApp_);
        if (glfwUp_) glfw2::Terminate();
        if (hadDisplay_) {
            setenv("DISPLAY", oldDisplay_.c_str(), 1);
        } else {
            unsetenv("DISPLAY");
        }
    }

    static void Xdo(const std::string& args) {
        ASSERT_EQ(std::system(("timeout 10 xdotool " + args).c_str()), 0) << "xdotool " << args;
    }

    // Polls window events (as the loop does between updates) until `done` holds.
    static bool PumpUntil(const std::function<bool()>& done) {
        for (int i = 0; i < kPumpRounds; ++i) {
            glfw2::PollEvents();
            if (done()) return true;
            usleep(kPumpPauseUs);
        }
        return false;
    }

    // Taps one key (press and release back to back) and checks the update after:
    // one hit, held for that update alone, and the first queued character.
    void TapKeyExpect(const char* keysym, int code, int firstChar) {
        SCOPED_TRACE(keysym);
        Xdo(std::string("key ") + keysym);
        gxtkInput* in = input_;
        ASSERT_TRUE(PumpUntil([in, code] { return (in->keyStates[code] & kKeyReleaseDueBit) != 0; }))
            << "the release never arrived";
        in->BeginUpdate();
        EXPECT_EQ(in->KeyHit(code), 1);
        EXPECT_EQ(in->KeyDown(code), 1);
        EXPECT_EQ(in->GetChar(), firstChar);
        in->EndUpdate();
        in->BeginUpdate();
        EXPECT_EQ(in->KeyHit(code), 0);
        EXPECT_EQ(in->KeyDown(code), 0);
        in->EndUpdate();
    }

    PrivateXServer server_;
    bool hadDisplay_ = false;
    std::string oldDisplay_;
    bool glfwUp_ = false;
    gxtkApp* previousApp_ = nullptr;
    gxtkApp* hostApp_ = nullptr;
    gxtkInput* input_ = nullptr;
    std::string window_;
};

TEST_F(RealWindowInput, HeldZIsDownWithOneHitUntilReleased) {
    Xdo("keydown z");
    gxtkInput* in = input_;
    ASSERT_TRUE(PumpUntil([in] { return in->KeyDown(90) != 0; }));
    in->BeginUpdate();
    EXPECT_EQ(in->KeyDown(90), 1);
    EXPECT_EQ(in->KeyHit(90), 1);
    EXPECT_EQ(in->GetChar(), 'z');  // the typed character, from the character callback
    in->EndUpdate();

    Xdo("keyup z");
    ASSERT_TRUE(PumpUntil([in] { return in->KeyDown(90) == 0; }));
    in->BeginUpdate();
    EXPECT_EQ(in->KeyDown(90), 0);
    EXPECT_EQ(in->KeyHit(90), 0);
    in->EndUpdate();
}

TEST_F(RealWindowInput, SpaceEscapeAndArrowsArriveWithTheirCodes) {
    TapKeyExpect("space", 32, ' ');
    TapKeyExpect("Escape", 27, 27);
    TapKeyExpect("Left", 37, 65573);
    TapKeyExpect("Up", 38, 65574);
    TapKeyExpect("Right", 39, 65575);
    TapKeyExpect("Down", 40, 65576);
    // Nothing else went down on the way.
    for (int code = 1; code < kInputKeyCount; ++code) ASSERT_EQ(input_->KeyDown(code), 0) << code;
}

TEST_F(RealWindowInput, LeftButtonIsCodeOneAndTouchZeroAtThePointer) {
    Xdo("mousemove --window " + window_ + " --sync 40 30");
    Xdo("mousedown 1");
    gxtkInput* in = input_;
    ASSERT_TRUE(PumpUntil([in] { return in->KeyDown(1) != 0; }));
    in->BeginUpdate();
    EXPECT_EQ(in->KeyDown(1), 1);
    EXPECT_EQ(in->KeyHit(1), 1);
    EXPECT_EQ(in->KeyDown(kKeyTouch0), 1);
    EXPECT_EQ(in->KeyDown(2), 0);
    EXPECT_NEAR(in->MouseX(), 40.0f, 1.0f);
    EXPECT_NEAR(in->MouseY(), 30.0f, 1.0f);
    EXPECT_EQ(in->TouchX(0), in->MouseX());
    in->EndUpdate();

    Xdo("mouseup 1");
    ASSERT_TRUE(PumpUntil([in] { return in->KeyDown(1) == 0; }));
    in->BeginUpdate();
    EXPECT_EQ(in->KeyDown(1), 0);
    EXPECT_EQ(in->KeyHit(1), 0);
    EXPECT_EQ(in->KeyDown(kKeyTouch0), 0);
    in->EndUpdate();

    // A click with no hold: both events arrive before the update, which sees touch
    // 0 held; the one after sees it up.
    Xdo("click 1");
    ASSERT_TRUE(PumpUntil([in] { return (in->keyStates[1] & kKeyReleaseDueBit) != 0; }));
    in->BeginUpdate();
    EXPECT_EQ(in->KeyDown(kKeyTouch0), 1);
    EXPECT_EQ(in->KeyHit(1), 1);
    in->EndUpdate();
    in->BeginUpdate();
    EXPECT_EQ(in->KeyDown(kKeyTouch0), 0);
    in->EndUpdate();
}

}  // namespace
