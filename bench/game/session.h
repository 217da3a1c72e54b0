// session.h - the game benchmarks' driver: the real game object with the real
// generated data, created as the host creates it, fed through the real input
// device and ticked and rendered as the host's loop does, on a fake clock. It can
// run with a real GL window (under Xvfb) or with no GL context at all, in which
// case every GL call lands in the GL library's no-op dispatch and only the game's
// and the renderer's CPU work remains (the cost and allocation counts use that).
//
// The tour walks the screens the benchmarks measure, in this order: loading, the
// machine-select menu, each of the five machines mid-spin, the pause menu and the
// game-over overlay; at each it hands the session to a probe.
#pragma once

#include <functional>
#include <string>

#include "game/shell/game.h"
#include "host/glfw2.h"

struct GLFWwindow;

namespace benchgame {

struct Options {
    std::string dataDir;  // the build's generated data/
    bool gl = true;       // a real GL window, or none
    bool audio = true;    // OpenAL (the null backend under ALSOFT_CONF), or none
    int width = 640, height = 480;  // the window the game is given
};

// The window layer the game sees: a clock that only moves when told, a fixed
// window size, a mouse position the session sets, and swaps on the real window
// when there is one. The pacing benchmark adds its own events and stalls.
class FakeWindow : public glfw2::Backend {
public:
    GLFWwindow* window = nullptr;
    int width = 640, height = 480;
    double now = 0;
    float mouseX = 0, mouseY = 0;
    bool opened = true;

    // Called from PollEvents and SwapBuffers when set (pacing script and stalls).
    std::function<void()> onPoll;
    std::function<void()> onSwap;

    bool Init() override { return true; }
    void Terminate() override {}
    glfw2::VidMode GetDesktopMode() override;
    bool OpenWindow(int, int, bool) override { return true; }
    void SetWindowPos(int, int) override {}
    void SetWindowTitle(const char*) override {}
    int GetWindowParam(int param) override;
    void GetWindowSize(int* w, int* h) override {
        *w = width;
        *h = height;
    }
    double GetTime() override { return now; }
    void Sleep(double seconds) override { now += seconds > 0 ? seconds : 0; }
    void PollEvents() override {
        if (onPoll) onPoll();
    }
    void WaitEvents() override {}
    void SwapBuffers() override;
    void GetMousePos(float* x, float* y) override {
        *x = mouseX;
        *y = mouseY;
    }
    glfw2::JoystickState GetJoystick() override { return {}; }
};

// The five machines by number, as the menu lists them.
const char* MachineName(int machine);
constexpr int kMachineCount = 5;

class Session {
public:
    // Process set-up, once: a private working folder with data/ linked in, the GL
    // window if asked for, OpenAL if asked for, the collector. False with a reason.
    bool Open(const Options& options, std::string* why);
    FakeWindow& Window() { return window_; }

    // A fresh game object (kxInit, kxMain, OnCreate), no saved progress.
    void NewGame();
    kx_Tumbleroo_MyApp* game = nullptr;

    // Called right around the game's own callbacks and around every collector step.
    std::function<void()> beforeUpdate, afterUpdate, beforeRender, afterRender;
    std::function<void()> beforeCollect, afterCollect;

    // The host's update and render brackets (InvokeOnUpdate / InvokeOnRender), with
    // the clock moved one tick per update.
    void Tick(int n = 1);
    void Render();
    void Frame(int n = 1);  // tick then render, as a loop that keeps up does
    // False: Frame only ticks. The draw-call count renders the frames it measures
    // and skips the others, whose pixels would only cost time on a software GL.
    bool renderFrames = true;
    long long ticks = 0;    // since the process began

    // Input through the real input device, each press held for one tick.
    void TapKey(int code);
    void PressKey(int code);
    void ReleaseKey(int code);
    void TapAt(float virtualX, float virtualY);

    // Screen steps; each gives up (returns false) rather than loop for ever.
    bool RunLoader();
    bool SelectMachine(int machine);
    bool StartMachine(int machine);  // from the menu, by a tap on its entry
    bool Spin();                     // a tap on SPIN; true once the reels move
    bool OpenPause();
    bool QuitFromPause();            // "leave" in the pause menu: the game-over overlay
    bool BackToMenu();               // waits for the overlay to hand back to the menu

private:
    bool TickUntil(const std::function<bool()>& done, int limit);
    void Collect();

    FakeWindow window_;
    std::string work_;
};

// What a benchmark does at each screen of the tour.
class Probe {
public:
    virtual ~Probe() {}
    // `room`: how many more ticks the screen lasts at most (the loader ends).
    virtual void At(const std::string& screen, Session& session, int room) = 0;
};

// The tour, from a fresh game; false if a screen could not be reached.
bool Tour(Session& session, Probe& probe, std::string* why);

// Scripted play through the machines until `tickCount` ticks have run, one render
// after every tick: each machine spins a few times, then is left through the pause
// menu and the game-over overlay, and the next one is started.
bool Play(Session& session, long long tickCount, std::string* why);

}  // namespace benchgame
