// fake_window.h - a window layer for the main-loop tests: a clock that moves only
// when the loop sleeps or a test advances it, window flags a test sets, and an event
// script run at every poll and wait. Nothing sleeps for real.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "host/glfw2.h"

namespace hosttest {

class FakeWindow : public glfw2::Backend {
public:
    double now = 0;
    bool opened = true;
    bool active = true;
    bool iconified = false;
    int width = 640, height = 480;
    int polls = 0, waits = 0, swaps = 0;
    std::vector<double> sleeps;
    // Called at every PollEvents and WaitEvents with "poll" or "wait"; events are
    // delivered from here, as the real library delivers them.
    std::function<void(const char*)> onEvents;
    // A loop that waits for events nobody sends would block for ever; past this many
    // polls and waits the window closes itself so the test ends and fails.
    int eventLimit = 10000;
    bool hitEventLimit = false;

    bool Init() override { return true; }
    void Terminate() override {}
    glfw2::VidMode GetDesktopMode() override {
        glfw2::VidMode m;
        m.Width = 1920;
        m.Height = 1080;
        return m;
    }
    bool OpenWindow(int, int, bool) override { return true; }
    void SetWindowPos(int, int) override {}
    void SetWindowTitle(const char*) override {}
    int GetWindowParam(int param) override {
        switch (param) {
            case glfw2::OPENED: return opened;
            case glfw2::ACTIVE: return active;
            case glfw2::ICONIFIED: return iconified;
            default: return 0;
        }
    }
    void GetWindowSize(int* w, int* h) override {
        *w = width;
        *h = height;
    }
    double GetTime() override { return now; }
    void Sleep(double seconds) override {
        sleeps.push_back(seconds);
        if (seconds > 0) now += seconds;
    }
    void PollEvents() override {
        ++polls;
        Events("poll");
    }
    void WaitEvents() override {
        ++waits;
        Events("wait");
    }
    void SwapBuffers() override { ++swaps; }
    void GetMousePos(float* x, float* y) override { *x = *y = 0; }
    glfw2::JoystickState GetJoystick() override { return glfw2::JoystickState(); }

private:
    void Events(const char* kind) {
        if (polls + waits > eventLimit) {
            hitEventLimit = true;
            opened = false;
            return;
        }
        if (onEvents) onEvents(kind);
    }
};

}  // namespace hosttest
