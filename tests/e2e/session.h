// session.h - one run of the real `tumbleroo` as a player meets it: a private
// Xvfb with openbox managing the window, a fresh working folder (with or without
// the build's data/), OpenAL Soft pointed at a configuration of the test's
// choosing, and only outside handles on the program: xdotool for keys, clicks,
// resizing, iconifying; screenshots of its window; its standard output; its exit
// status; the state file in its folder. Screenshots worth keeping go to
// e2e-artifacts/ in the build folder.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/e2e/image.h"
#include "tests/host/x11_harness.h"

namespace e2e {

constexpr int kWindowWidth = 640, kWindowHeight = 480;
constexpr int kDesktopWidth = 1920, kDesktopHeight = 1080;

// Polls `done` every `stepMs` until it holds or `seconds` have passed.
bool WaitUntil(const std::function<bool()>& done, double seconds, int stepMs = 40);

std::string ArtifactDir();

class Session {
public:
    struct Options {
        bool withData = true;
        // Extra lines for the OpenAL Soft configuration; empty means the null backend.
        std::string soundConf;
        // Command-line arguments for the program.
        std::vector<std::string> args;
    };

    explicit Session(const std::string& name);
    Session(const std::string& name, const Options& options);
    ~Session();

    bool ready() const { return ready_; }
    const std::string& dir() const { return dir_.path(); }
    std::string StatePath() const { return dir() + "/.quorvelstate"; }
    std::string ReadState() const;

    // Starts the program and waits for its window to be shown.
    bool Launch();
    bool running();
    unsigned long window() const { return window_; }
    hosttest::WindowInfo Geometry();

    // Standard output so far (drained without blocking).
    std::string Output();
    bool WaitForOutput(const std::string& text, double seconds);

    // A picture of the window as it is on screen now; empty when it cannot be read
    // (for instance while the window is iconified).
    Image Shot();
    // Repeats Shot() until `test` accepts one; that picture is left in `shot`.
    bool WaitForShot(const std::function<bool(const Image&)>& test, double seconds, Image* shot);
    // Saves the picture as e2e-artifacts/<session name>-<label>.png.
    void Keep(const Image& shot, const std::string& label) const;

    // Input through the X server, as a player's hands would give it. Presses are
    // held for a few update ticks, and the hand rests as long after the release,
    // since the game reads held states once per tick.
    void Key(const std::string& keyName);
    void Click(int x, int y);
    // A press and release sent back to back, with no hold between them (a
    // touchpad's tap, a quick click or key stroke).
    void QuickKey(const std::string& keyName);
    void QuickClick(int x, int y);
    void Resize(int width, int height);
    void Iconify();
    void Restore();

    // Asks the window to close as its close button would; the exit status, or -1.
    int Close(double seconds = 20);
    int WaitExit(double seconds);
    // Waits until the state file exists with content other than `before`.
    bool WaitForStateChange(const std::string& before, double seconds, std::string* after);

private:
    bool StartWindowManager();
    std::string WriteSoundConf(const Options& options);
    bool Xdotool(const std::string& args);

    std::string name_;
    hosttest::TempDir dir_;
    hosttest::PrivateDisplay display_;
    void* xdisplay_ = nullptr;
    pid_t wmPid_ = -1;
    hosttest::ChildProcess child_;
    std::string soundConf_;
    std::vector<std::string> args_;
    std::string output_;
    unsigned long window_ = 0;
    bool ready_ = false;
    int exitStatus_ = -2;
};

}  // namespace e2e
