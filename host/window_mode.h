// window_mode.h - the window or fullscreen: F11 and Alt+Enter toggle between the
// window and fullscreen on the monitor the window is on (at that monitor's current
// video mode), and back to the window's former size and place; the choice is
// remembered in the settings file (host/settings.h). The host application owns one
// (gxtkApp::windowMode): start-up calls Start with the command line's choice, the
// key callback hands every key to OnKey before the game sees it.
#pragma once

#include <string>

#include "host/glfw2.h"
#include "host/options.h"
#include "host/settings.h"

// The monitor (index into `monitors`) a window's area is on: the one it overlaps
// most; the first, the primary, when it overlaps none.
int MonitorUnder(const glfw2::ScreenRect& window, const glfw2::ScreenRect* monitors, int count);

class WindowMode {
public:
    // Reads the settings file at `settingsPath` (a damaged or unreadable one is
    // reported with one line on standard error and means windowed) and shows the
    // window as `choice` asks. A choice given at start is remembered as a toggle is.
    void Start(DisplayChoice choice, const std::string& settingsPath);

    // Sees every key (GLFW 3 code, glfw2 action) before the game: F11 and
    // Alt+Enter toggle. True when the event is the toggle's and the game must not
    // see it (so Alt+Enter never also confirms in the game).
    bool OnKey(int glfwKey, int action);

    // Window to fullscreen or back, and remembers the new mode. Nothing happens
    // when the window library reports no monitor.
    void Toggle();

    bool fullscreen() const { return fullscreen_; }

private:
    bool EnterFullscreen();
    void LeaveFullscreen();
    bool RememberedFullscreen();
    void Remember();
    bool OnEnter(bool pressed);
    bool OnF11(bool pressed);

    bool fullscreen_ = false;
    glfw2::ScreenRect windowed_;  // the window's area before it went fullscreen
    bool altLeft_ = false, altRight_ = false;
    bool f11Down_ = false;
    bool enterDown_ = false, enterToggled_ = false;
    std::string settingsPath_;
    SettingsFile settings_;
};
