// window_mode.cpp - toggling between the window and fullscreen, the keys that do
// it, and remembering the mode in the settings file. gxtkApp::OnKey (host/app.cpp)
// hands it every key first; HostMain (host/startup.cpp) starts it with the command
// line's choice before the loop runs.
#include "host/window_mode.h"

#include <GLFW/glfw3.h>

#include <algorithm>
#include <cstdio>

namespace {

// The settings file's key for the mode, and its two values.
constexpr const char* kWindowKey = "window";
constexpr const char* kFullscreenValue = "fullscreen";
constexpr const char* kWindowedValue = "windowed";

long long Overlap(const glfw2::ScreenRect& a, const glfw2::ScreenRect& b) {
    long long w = std::min(a.x + a.width, b.x + b.width) - std::max(a.x, b.x);
    long long h = std::min(a.y + a.height, b.y + b.height) - std::max(a.y, b.y);
    return w > 0 && h > 0 ? w * h : 0;
}

void Report(const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); }

}  // namespace

int MonitorUnder(const glfw2::ScreenRect& window, const glfw2::ScreenRect* monitors, int count) {
    int best = 0;
    long long bestArea = 0;
    for (int i = 0; i < count; ++i) {
        long long area = Overlap(window, monitors[i]);
        if (area > bestArea) {
            best = i;
            bestArea = area;
        }
    }
    return best;
}

void WindowMode::Start(DisplayChoice choice, const std::string& settingsPath) {
    settingsPath_ = settingsPath;
    std::string problem;
    settings_ = SettingsFile::Load(settingsPath, &problem);
    if (!problem.empty()) Report(problem);
    bool remembered = RememberedFullscreen();
    bool wanted = choice == DisplayChoice::Fullscreen || (choice == DisplayChoice::Remembered && remembered);
    if (wanted) EnterFullscreen();
    if (choice != DisplayChoice::Remembered) Remember();
}

// An unknown value is a damaged setting: reported, and the window it is.
bool WindowMode::RememberedFullscreen() {
    std::string value = settings_.Get(kWindowKey);
    if (value == kFullscreenValue) return true;
    if (!value.empty() && value != kWindowedValue) {
        Report(settingsPath_ + ": " + kWindowKey + "=" + value + " is neither " + kFullscreenValue + " nor " +
               kWindowedValue + "; the window stands instead");
    }
    return false;
}

void WindowMode::Toggle() {
    if (fullscreen_) {
        LeaveFullscreen();
    } else if (!EnterFullscreen()) {
        return;
    }
    Remember();
}

bool WindowMode::EnterFullscreen() {
    glfw2::ScreenRect monitors[glfw2::kMaxMonitors];
    int count = glfw2::GetMonitors(monitors, glfw2::kMaxMonitors);
    if (count <= 0) return false;
    glfw2::ScreenRect area = glfw2::GetWindowArea();
    if (!glfw2::ShowFullscreen(MonitorUnder(area, monitors, count))) return false;
    windowed_ = area;
    fullscreen_ = true;
    return true;
}

void WindowMode::LeaveFullscreen() {
    glfw2::ShowWindowed(windowed_);
    fullscreen_ = false;
}

// Written only when the mode differs from the file's, so a start without a change
// leaves the file alone. The file is read again first: the game keeps keys of its
// own there, set after start-up, and a write must not drop them.
void WindowMode::Remember() {
    const char* value = fullscreen_ ? kFullscreenValue : kWindowedValue;
    std::string problem;
    SettingsFile onDisk = SettingsFile::Load(settingsPath_, &problem);
    if (problem.empty()) settings_ = onDisk;
    if (settings_.Get(kWindowKey) == value) return;
    settings_.Set(kWindowKey, value);
    if (!settings_.Save(settingsPath_)) {
        Report(settingsPath_ + " cannot be written; the window mode is not remembered");
    }
}

bool WindowMode::OnKey(int glfwKey, int action) {
    bool pressed = action == glfw2::PRESS;
    switch (glfwKey) {
        case GLFW_KEY_LEFT_ALT: altLeft_ = pressed; return false;
        case GLFW_KEY_RIGHT_ALT: altRight_ = pressed; return false;
        case GLFW_KEY_F11: return OnF11(pressed);
        case GLFW_KEY_ENTER: return OnEnter(pressed);
        default: return false;
    }
}

// Auto-repeats arrive as presses of a key that is already down: one toggle per press.
bool WindowMode::OnF11(bool pressed) {
    if (pressed && !f11Down_) Toggle();
    f11Down_ = pressed;
    return true;
}

// Enter with Alt held toggles, and that press, its repeats and its release are
// the toggle's own; Enter without Alt is the game's, repeats included.
bool WindowMode::OnEnter(bool pressed) {
    if (!pressed) {
        bool toggled = enterToggled_;
        enterDown_ = enterToggled_ = false;
        return toggled;
    }
    if (enterDown_) return enterToggled_;
    enterDown_ = true;
    if (!altLeft_ && !altRight_) return false;
    enterToggled_ = true;
    Toggle();
    return true;
}
