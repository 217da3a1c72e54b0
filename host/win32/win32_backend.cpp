// win32_backend.cpp - the window layer's backend on Windows: one Win32 window with
// a WGL OpenGL context, its messages turned into the layer's key, character,
// button, size and refresh callbacks, the high-resolution clock and sleep, the
// monitors and fullscreen, and the XInput pad. glfw2::CurrentBackend() hands it out
// on Windows where the Linux build hands out the GLFW 3 one; the host's start-up
// and loop, the graphics device and the input device drive it.
#include <windows.h>
#include <mmsystem.h>

#include <GL/gl.h>
#include <GLFW/glfw3.h>
#include <stb/stb_image.h>

#include <vector>

#include "host/glfw2.h"
#include "host/win32/native_files.h"
#include "host/win32/win32_input.h"

namespace glfw2 {
namespace {

const wchar_t kWindowClass[] = L"TumblerooWindow";
// Written by the art tool beside the sheets; without it the window keeps the
// system's default icon.
constexpr const char* kWindowIconFile = "./data/icon.png";
constexpr DWORD kWindowedStyle = WS_OVERLAPPEDWINDOW;
constexpr DWORD kFixedStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kFullscreenStyle = WS_POPUP;
constexpr unsigned kScanCodeMask = 0xff;
constexpr int kExtendedKeyBit = 24;
constexpr UINT kTimerResolutionMs = 1;
#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

HICON IconFromData() {
    int width = 0, height = 0, channels = 0;
    unsigned char* rgba = stbi_load(kWindowIconFile, &width, &height, &channels, 4);
    if (!rgba) return nullptr;
    std::vector<unsigned char> bgra(static_cast<size_t>(width) * height * 4);
    for (size_t i = 0; i < bgra.size(); i += 4) {
        bgra[i] = rgba[i + 2];
        bgra[i + 1] = rgba[i + 1];
        bgra[i + 2] = rgba[i];
        bgra[i + 3] = rgba[i + 3];
    }
    stbi_image_free(rgba);
    HBITMAP color = CreateBitmap(width, height, 1, 32, bgra.data());
    HBITMAP mask = CreateBitmap(width, height, 1, 1, nullptr);
    ICONINFO info = {};
    info.fIcon = TRUE;
    info.hbmColor = color;
    info.hbmMask = mask;
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(color);
    DeleteObject(mask);
    return icon;
}

// Real pixels everywhere: the framebuffer size, the pointer and the monitors.
void BecomeDpiAware() {
    using SetContextFn = BOOL(WINAPI*)(HANDLE);
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    auto setContext = reinterpret_cast<SetContextFn>(
        reinterpret_cast<void*>(GetProcAddress(user32, "SetProcessDpiAwarenessContext")));
    if (setContext && setContext(reinterpret_cast<HANDLE>(-4))) return;  // per monitor, v2
    SetProcessDPIAware();
}

BOOL CALLBACK CollectMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    auto* monitors = reinterpret_cast<std::vector<MONITORINFO>*>(data);
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(monitor, &info)) return TRUE;
    if (info.dwFlags & MONITORINFOF_PRIMARY) {
        monitors->insert(monitors->begin(), info);
    } else {
        monitors->push_back(info);
    }
    return TRUE;
}

std::vector<MONITORINFO> Monitors() {
    std::vector<MONITORINFO> monitors;
    EnumDisplayMonitors(nullptr, nullptr, CollectMonitor, reinterpret_cast<LPARAM>(&monitors));
    return monitors;
}

class Win32 : public Backend {
public:
    bool Init() override {
        BecomeDpiAware();
        win32::EnterPlayerFolder();
        timeBeginPeriod(kTimerResolutionMs);
        QueryPerformanceFrequency(&frequency_);
        QueryPerformanceCounter(&start_);
        timer_ = CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION, TIMER_ALL_ACCESS);
        if (!timer_) timer_ = CreateWaitableTimerW(nullptr, FALSE, nullptr);
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof wc;
        wc.style = CS_OWNDC | CS_HREDRAW | CS_VREDRAW;
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        wc.lpszClassName = kWindowClass;
        return RegisterClassExW(&wc) != 0;
    }

    void Terminate() override {
        if (context_) {
            wglMakeCurrent(nullptr, nullptr);
            wglDeleteContext(context_);
        }
        if (window_) DestroyWindow(window_);
        if (icon_) DestroyIcon(icon_);
        if (timer_) CloseHandle(timer_);
        context_ = nullptr;
        window_ = nullptr;
        icon_ = nullptr;
        timer_ = nullptr;
        UnregisterClassW(kWindowClass, GetModuleHandleW(nullptr));
        timeEndPeriod(kTimerResolutionMs);
    }

    VidMode GetDesktopMode() override {
        VidMode mode;
        mode.Width = GetSystemMetrics(SM_CXSCREEN);
        mode.Height = GetSystemMetrics(SM_CYSCREEN);
        return mode;
    }

    // The swap interval is left to the driver, as on Linux.
    bool OpenWindow(int width, int height, bool resizable) override {
        if (window_) return false;
        style_ = resizable ? kWindowedStyle : kFixedStyle;
        windowedStyle_ = style_;
        RECT rect = {0, 0, width, height};
        AdjustWindowRectEx(&rect, style_, FALSE, 0);
        window_ = CreateWindowExW(0, kWindowClass, L"", style_, CW_USEDEFAULT, CW_USEDEFAULT,
                                  rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), this);
        if (!window_ || !CreateContext()) return false;
        icon_ = IconFromData();
        if (icon_) {
            SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
            SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
        }
        ShowWindow(window_, SW_SHOWNORMAL);
        SetForegroundWindow(window_);
        focused_ = GetForegroundWindow() == window_;
        return true;
    }

    // As the layer's callers mean it: where the client area's top-left corner goes.
    void SetWindowPos(int x, int y) override {
        if (!window_) return;
        RECT rect = {x, y, x, y};
        AdjustWindowRectEx(&rect, style_, FALSE, 0);
        ::SetWindowPos(window_, nullptr, rect.left, rect.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    void SetWindowTitle(const char* title) override {
        if (window_) SetWindowTextW(window_, win32::Widen(title).c_str());
    }

    int GetWindowParam(int param) override {
        if (!window_) return 0;
        switch (param) {
            case OPENED: return closeRequested_ ? 0 : 1;
            case ACTIVE: return focused_ ? 1 : 0;
            case ICONIFIED: return IsIconic(window_) ? 1 : 0;
            default: return 0;
        }
    }

    void GetWindowSize(int* width, int* height) override {
        *width = *height = 0;
        RECT rect;
        if (!window_ || !GetClientRect(window_, &rect)) return;
        *width = rect.right;
        *height = rect.bottom;
    }

    double GetTime() override {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        return static_cast<double>(now.QuadPart - start_.QuadPart) / static_cast<double>(frequency_.QuadPart);
    }

    void Sleep(double seconds) override {
        if (!(seconds > 0)) return;
        LARGE_INTEGER due;
        due.QuadPart = -static_cast<LONGLONG>(seconds * 1e7);  // relative, in 100 ns
        if (timer_ && SetWaitableTimer(timer_, &due, 0, nullptr, nullptr, FALSE)) {
            WaitForSingleObject(timer_, INFINITE);
        } else {
            ::Sleep(static_cast<DWORD>(seconds * 1000));
        }
    }

    void PollEvents() override {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                closeRequested_ = true;
                continue;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        DeliverPending();
    }

    void WaitEvents() override {
        WaitMessage();
        PollEvents();
    }

    void SwapBuffers() override {
        if (dc_) ::SwapBuffers(dc_);
    }

    void GetMousePos(float* x, float* y) override {
        *x = *y = 0;
        POINT p;
        if (!window_ || !GetCursorPos(&p) || !ScreenToClient(window_, &p)) return;
        *x = static_cast<float>(p.x);
        *y = static_cast<float>(p.y);
    }

    JoystickState GetJoystick() override { return win32::ReadFirstPad(); }

    ScreenRect GetWindowArea() override {
        ScreenRect area;
        RECT rect;
        if (!window_ || !GetClientRect(window_, &rect)) return area;
        POINT origin = {0, 0};
        ClientToScreen(window_, &origin);
        area.x = origin.x;
        area.y = origin.y;
        area.width = rect.right;
        area.height = rect.bottom;
        return area;
    }

    int GetMonitors(ScreenRect* out, int max) override {
        std::vector<MONITORINFO> monitors = Monitors();
        int written = 0;
        for (const MONITORINFO& m : monitors) {
            if (written >= max) break;
            out[written++] = ToScreenRect(m.rcMonitor);
        }
        return written;
    }

    bool ShowFullscreen(int index) override {
        std::vector<MONITORINFO> monitors = Monitors();
        if (!window_ || index < 0 || index >= static_cast<int>(monitors.size())) return false;
        const RECT& r = monitors[static_cast<size_t>(index)].rcMonitor;
        style_ = kFullscreenStyle;
        SetWindowLongPtrW(window_, GWL_STYLE, static_cast<LONG_PTR>(style_ | WS_VISIBLE));
        ::SetWindowPos(window_, HWND_TOP, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_FRAMECHANGED);
        return true;
    }

    bool ShowWindowed(const ScreenRect& area) override {
        if (!window_) return false;
        style_ = windowedStyle_;
        SetWindowLongPtrW(window_, GWL_STYLE, static_cast<LONG_PTR>(style_ | WS_VISIBLE));
        RECT rect = {area.x, area.y, area.x + area.width, area.y + area.height};
        AdjustWindowRectEx(&rect, style_, FALSE, 0);
        ::SetWindowPos(window_, HWND_NOTOPMOST, rect.left, rect.top, rect.right - rect.left,
                       rect.bottom - rect.top, SWP_FRAMECHANGED);
        return true;
    }

private:
    static ScreenRect ToScreenRect(const RECT& r) {
        ScreenRect s;
        s.x = r.left;
        s.y = r.top;
        s.width = r.right - r.left;
        s.height = r.bottom - r.top;
        return s;
    }

    bool CreateContext() {
        dc_ = GetDC(window_);
        PIXELFORMATDESCRIPTOR pfd = {};
        pfd.nSize = sizeof pfd;
        pfd.nVersion = 1;
        pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
        pfd.iPixelType = PFD_TYPE_RGBA;
        pfd.cColorBits = 32;
        pfd.cAlphaBits = 8;
        pfd.cDepthBits = 24;
        pfd.iLayerType = PFD_MAIN_PLANE;
        int format = ChoosePixelFormat(dc_, &pfd);
        if (!format || !SetPixelFormat(dc_, format, &pfd)) return false;
        context_ = wglCreateContext(dc_);
        return context_ && wglMakeCurrent(dc_, context_);
    }

    // Size and refresh reach the host only from inside PollEvents, as the layer
    // promises, even when the system sends them while the window is being moved
    // between modes.
    void DeliverPending() {
        if (sizePending_) {
            sizePending_ = false;
            int w = 0, h = 0;
            GetWindowSize(&w, &h);
            DeliverWindowSize(w, h);
        }
        if (refreshPending_) {
            refreshPending_ = false;
            DeliverWindowRefresh();
        }
    }

    void OnKeyMessage(WPARAM wParam, LPARAM lParam, int action) {
        unsigned scanCode = static_cast<unsigned>(lParam >> 16) & kScanCodeMask;
        bool extended = (lParam >> kExtendedKeyBit) & 1;
        int key = win32::KeyFromVirtualKey(static_cast<unsigned>(wParam), scanCode, extended);
        if (key) DeliverKey(key, action);
        // With both Shift keys held the system reports only the last release.
        if (action == RELEASE && wParam == VK_SHIFT) {
            DeliverKey(GLFW_KEY_LEFT_SHIFT, RELEASE);
            DeliverKey(GLFW_KEY_RIGHT_SHIFT, RELEASE);
        }
    }

    // Characters arrive in UTF-16 units; a surrogate pair becomes one code point.
    // Control characters are not text (the keys themselves queue theirs).
    void OnCharMessage(WPARAM unit) {
        if (unit >= 0xD800 && unit < 0xDC00) {
            highSurrogate_ = static_cast<unsigned>(unit);
            return;
        }
        unsigned codepoint = static_cast<unsigned>(unit);
        if (unit >= 0xDC00 && unit < 0xE000) {
            if (!highSurrogate_) return;
            codepoint = 0x10000 + ((highSurrogate_ - 0xD800) << 10) + (codepoint - 0xDC00);
        }
        highSurrogate_ = 0;
        if (codepoint < 32 || codepoint == 127) return;
        DeliverChar(static_cast<int>(codepoint), PRESS);
    }

    void OnButton(int button, int action) {
        if (action == PRESS) {
            if (buttonsDown_++ == 0) SetCapture(window_);
        } else if (buttonsDown_ > 0 && --buttonsDown_ == 0) {
            ReleaseCapture();
        }
        DeliverMouseButton(button, action);
    }

    LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
        switch (msg) {
            case WM_CLOSE: closeRequested_ = true; return 0;
            case WM_SETFOCUS: focused_ = true; return 0;
            case WM_KILLFOCUS: focused_ = false; return 0;
            case WM_SIZE: sizePending_ = true; return 0;
            case WM_PAINT:
                ValidateRect(window_, nullptr);
                refreshPending_ = true;
                return 0;
            case WM_ERASEBKGND: return 1;
            case WM_KEYDOWN: case WM_SYSKEYDOWN: OnKeyMessage(wParam, lParam, PRESS); break;
            case WM_KEYUP: case WM_SYSKEYUP: OnKeyMessage(wParam, lParam, RELEASE); break;
            case WM_CHAR: OnCharMessage(wParam); return 0;
            case WM_SYSCHAR: return 0;  // no menu bar: Alt+key must not beep
            case WM_LBUTTONDOWN: OnButton(0, PRESS); return 0;
            case WM_LBUTTONUP: OnButton(0, RELEASE); return 0;
            case WM_RBUTTONDOWN: OnButton(1, PRESS); return 0;
            case WM_RBUTTONUP: OnButton(1, RELEASE); return 0;
            case WM_MBUTTONDOWN: OnButton(2, PRESS); return 0;
            case WM_MBUTTONUP: OnButton(2, RELEASE); return 0;
            case WM_DPICHANGED: {
                const RECT* r = reinterpret_cast<const RECT*>(lParam);
                ::SetWindowPos(window_, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                               SWP_NOZORDER | SWP_NOACTIVATE);
                return 0;
            }
            default: break;
        }
        // Alt alone or F10 would open the (absent) window menu and stall the loop;
        // Alt+F4 still closes the window.
        if ((msg == WM_SYSKEYDOWN || msg == WM_SYSKEYUP) && wParam != VK_F4) return 0;
        return DefWindowProcW(window_, msg, wParam, lParam);
    }

    static LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
        if (msg == WM_NCCREATE) {
            auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self = reinterpret_cast<Win32*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (!self || self->window_ != window) return DefWindowProcW(window, msg, wParam, lParam);
        return self->Handle(msg, wParam, lParam);
    }

    HWND window_ = nullptr;
    HDC dc_ = nullptr;
    HGLRC context_ = nullptr;
    HICON icon_ = nullptr;
    HANDLE timer_ = nullptr;
    DWORD style_ = kWindowedStyle;
    DWORD windowedStyle_ = kWindowedStyle;
    LARGE_INTEGER frequency_ = {}, start_ = {};
    bool closeRequested_ = false;
    bool focused_ = false;
    bool sizePending_ = false;
    bool refreshPending_ = false;
    int buttonsDown_ = 0;
    unsigned highSurrogate_ = 0;
};

}  // namespace

// On Windows the native backend stands where the Linux build's GLFW 3 one does.
Backend& Glfw3Backend() {
    static Win32 backend;
    return backend;
}

}  // namespace glfw2
