// glfw2.h - the window-library interface the host is written against: the
// behaviour of the classic 2.x calls (one window, opened/active/iconified queries,
// sleep, time, poll and wait, key and mouse callbacks, joystick reads), and the
// window's monitors and fullscreen, provided over GLFW 3 by a backend.
//
// The real backend (glfw2.cpp, window/time/events; glfw2_input.cpp, pointer and
// joystick) drives GLFW 3. Tests install a backend of their own (SetBackend) to
// drive the main loop with a fake clock and event source, or to feed the joystick,
// so that no test sleeps for real.
#pragma once

namespace glfw2 {

// Window parameters for GetWindowParam.
enum WindowParam { OPENED = 1, ACTIVE = 2, ICONIFIED = 3 };

// Key and button actions as the callbacks receive them. GLFW 3 reports an
// auto-repeat as an action of its own; the layer hands it on as PRESS.
enum Action { RELEASE = 0, PRESS = 1 };

struct VidMode {
    int Width = 0, Height = 0;
};

// An area of the desktop in screen coordinates: a window's client area, or a
// monitor at its current video mode.
struct ScreenRect {
    int x = 0, y = 0, width = 0, height = 0;
};

// Monitors a backend reports at most.
constexpr int kMaxMonitors = 16;

// The joystick as the input device reads it: up to 6 axes and 32 buttons.
struct JoystickState {
    int axisCount = 0;
    float axes[6] = {};
    int buttonCount = 0;
    unsigned char buttons[32] = {};
};

using KeyFn = void (*)(int key, int action);  // key: GLFW 3 key code
using CharFn = void (*)(int character, int action);
using MouseButtonFn = void (*)(int button, int action);
using WindowSizeFn = void (*)(int width, int height);
using WindowRefreshFn = void (*)();

// Everything the host, the input device and the graphics device ask of the window
// library. Callbacks are delivered by the backend only from inside PollEvents and
// WaitEvents, through the Deliver* functions below.
class Backend {
public:
    virtual ~Backend() {}
    virtual bool Init() = 0;
    virtual void Terminate() = 0;
    virtual VidMode GetDesktopMode() = 0;
    virtual bool OpenWindow(int width, int height, bool resizable) = 0;
    virtual void SetWindowPos(int x, int y) = 0;
    virtual void SetWindowTitle(const char* title) = 0;
    virtual int GetWindowParam(int param) = 0;
    // Framebuffer size in pixels (equal to the window size on X11; right on HiDPI).
    virtual void GetWindowSize(int* width, int* height) = 0;
    virtual double GetTime() = 0;  // seconds since Init
    virtual void Sleep(double seconds) = 0;
    virtual void PollEvents() = 0;
    virtual void WaitEvents() = 0;
    virtual void SwapBuffers() = 0;
    // Pointer position in framebuffer pixels.
    virtual void GetMousePos(float* x, float* y) = 0;
    // Joystick 1; axisCount and buttonCount 0 when none is present.
    virtual JoystickState GetJoystick() = 0;

    // Fullscreen (host/window_mode.cpp). A backend without these has no monitor,
    // and its window stays as it is.
    // The window's client area.
    virtual ScreenRect GetWindowArea() { return ScreenRect(); }
    // Up to `max` monitors, the primary one first; how many were written.
    virtual int GetMonitors(ScreenRect*, int) { return 0; }
    // The window fills monitor `index` (as GetMonitors counts) at that monitor's
    // current video mode, without a mode change.
    virtual bool ShowFullscreen(int) { return false; }
    // The window leaves fullscreen for a window with this client area.
    virtual bool ShowWindowed(const ScreenRect&) { return false; }
};

// Joystick 1 as GLFW 3 reports it, in the toolkit's layout (host/joystick.cpp);
// the GLFW 3 backend's GetJoystick returns it.
JoystickState ReadGlfw3Joystick();

// The backend in use: the GLFW 3 one unless a test installed another.
Backend& CurrentBackend();
void SetBackend(Backend* backend);  // null restores the GLFW 3 backend
Backend& Glfw3Backend();

// The 2.x-style calls, forwarded to the current backend.
inline bool Init() { return CurrentBackend().Init(); }
inline void Terminate() { CurrentBackend().Terminate(); }
inline VidMode GetDesktopMode() { return CurrentBackend().GetDesktopMode(); }
inline bool OpenWindow(int w, int h, bool resizable) { return CurrentBackend().OpenWindow(w, h, resizable); }
inline void SetWindowPos(int x, int y) { CurrentBackend().SetWindowPos(x, y); }
inline void SetWindowTitle(const char* t) { CurrentBackend().SetWindowTitle(t); }
inline int GetWindowParam(int p) { return CurrentBackend().GetWindowParam(p); }
inline void GetWindowSize(int* w, int* h) { CurrentBackend().GetWindowSize(w, h); }
inline double GetTime() { return CurrentBackend().GetTime(); }
inline void Sleep(double s) { CurrentBackend().Sleep(s); }
inline void PollEvents() { CurrentBackend().PollEvents(); }
inline void WaitEvents() { CurrentBackend().WaitEvents(); }
inline void SwapBuffers() { CurrentBackend().SwapBuffers(); }
inline void GetMousePos(float* x, float* y) { CurrentBackend().GetMousePos(x, y); }
inline JoystickState GetJoystick() { return CurrentBackend().GetJoystick(); }
inline ScreenRect GetWindowArea() { return CurrentBackend().GetWindowArea(); }
inline int GetMonitors(ScreenRect* out, int max) { return CurrentBackend().GetMonitors(out, max); }
inline bool ShowFullscreen(int index) { return CurrentBackend().ShowFullscreen(index); }
inline bool ShowWindowed(const ScreenRect& area) { return CurrentBackend().ShowWindowed(area); }

// Callback registration (the host's Run installs them) and delivery (backends call
// these from inside PollEvents/WaitEvents). Delivering to an unset callback does nothing.
void SetKeyCallback(KeyFn fn);
void SetCharCallback(CharFn fn);
void SetMouseButtonCallback(MouseButtonFn fn);
void SetWindowSizeCallback(WindowSizeFn fn);
void SetWindowRefreshCallback(WindowRefreshFn fn);
void DeliverKey(int key, int action);
void DeliverChar(int character, int action);
void DeliverMouseButton(int button, int action);
void DeliverWindowSize(int width, int height);
void DeliverWindowRefresh();

}  // namespace glfw2
