// glfw3_backend.cpp - the real window-layer backend: the classic one-window calls
// provided over GLFW 3. glfw2::CurrentBackend() hands it out unless a test
// installed a backend of its own; the host's start-up and loop, the graphics device
// (size, buffer swap) and the input device (pointer, joystick) drive it.
#include <GLFW/glfw3.h>

#include <cerrno>
#include <ctime>

#include "host/glfw2.h"
#include "host/window_icon.h"

namespace glfw2 {
namespace {

// Window-library actions as the layer hands them on: an auto-repeat is one more press.
int ToAction(int glfw3Action) { return glfw3Action == GLFW_RELEASE ? RELEASE : PRESS; }

void KeyCallback(GLFWwindow*, int key, int, int action, int) { DeliverKey(key, ToAction(action)); }
void CharCallback(GLFWwindow*, unsigned int codepoint) { DeliverChar(static_cast<int>(codepoint), PRESS); }
void MouseButtonCallback(GLFWwindow*, int button, int action, int) {
    DeliverMouseButton(button, ToAction(action));
}
void FramebufferSizeCallback(GLFWwindow*, int width, int height) { DeliverWindowSize(width, height); }
void RefreshCallback(GLFWwindow*) { DeliverWindowRefresh(); }

// Written by the art tool beside the sheets; the desktop's icon is the same picture.
constexpr const char* kWindowIconFile = "./data/icon.png";

// Without the file (or where the platform has no window icons) the window keeps
// the desktop's default icon; nothing else depends on it. The pixels are freed
// once the window library has its copy.
void SetWindowIcon(GLFWwindow* window, WindowIconDecoding& decoding) {
    GLFWimage icon{0, 0, nullptr};
    const unsigned char* pixels = decoding.Pixels(&icon.width, &icon.height);
    if (pixels) {
        icon.pixels = const_cast<unsigned char*>(pixels);
        glfwSetWindowIcon(window, 1, &icon);
    }
    decoding.Discard();
}

class Glfw3 : public Backend {
public:
    // The icon's decode runs meanwhile: the window library takes far longer to
    // start and to make the window than the decode takes.
    bool Init() override {
        icon_.Start(kWindowIconFile);
        if (!glfwInit()) return false;
        glfwSetTime(0.0);
        return true;
    }

    void Terminate() override {
        if (window_) glfwDestroyWindow(window_);
        window_ = nullptr;
        icon_.Discard();
        glfwTerminate();
    }

    VidMode GetDesktopMode() override {
        VidMode mode;
        GLFWmonitor* monitor = glfwGetPrimaryMonitor();
        const GLFWvidmode* vm = monitor ? glfwGetVideoMode(monitor) : nullptr;
        if (vm) {
            mode.Width = vm->width;
            mode.Height = vm->height;
        }
        return mode;
    }

    // Any OpenGL version with the compatibility profile: the renderer uses the
    // fixed-function pipeline. The title is set separately; the swap interval is
    // left to the driver.
    bool OpenWindow(int width, int height, bool resizable) override {
        if (window_) return false;  // one window only
        glfwDefaultWindowHints();
        glfwWindowHint(GLFW_RESIZABLE, resizable ? GLFW_TRUE : GLFW_FALSE);
        glfwWindowHint(GLFW_CLIENT_API, GLFW_OPENGL_API);
        // The renderer draws in painter's order and never tests depth or stencil,
        // as the old interface's zero depth and stencil bits said. Without those
        // buffers a software rasteriser copies an unblended image's texels on its
        // fast path.
        glfwWindowHint(GLFW_DEPTH_BITS, 0);
        glfwWindowHint(GLFW_STENCIL_BITS, 0);
        // A fullscreen game stays where it is when the player turns to another window
        // (on another monitor, say); it is iconified only when the player asks.
        glfwWindowHint(GLFW_AUTO_ICONIFY, GLFW_FALSE);
        window_ = glfwCreateWindow(width, height, "", nullptr, nullptr);
        if (!window_) return false;
        glfwMakeContextCurrent(window_);
        SetWindowIcon(window_, icon_);
        glfwSetKeyCallback(window_, KeyCallback);
        glfwSetCharCallback(window_, CharCallback);
        glfwSetMouseButtonCallback(window_, MouseButtonCallback);
        glfwSetFramebufferSizeCallback(window_, FramebufferSizeCallback);
        glfwSetWindowRefreshCallback(window_, RefreshCallback);
        return true;
    }

    void SetWindowPos(int x, int y) override {
        if (window_) glfwSetWindowPos(window_, x, y);
    }

    void SetWindowTitle(const char* title) override {
        if (window_) glfwSetWindowTitle(window_, title);
    }

    // GLFW 3 never closes the window by itself: a close request only raises its
    // should-close flag, and from then on the window counts as closed.
    int GetWindowParam(int param) override {
        if (!window_) return 0;
        switch (param) {
            case OPENED: return glfwWindowShouldClose(window_) ? 0 : 1;
            case ACTIVE: return glfwGetWindowAttrib(window_, GLFW_FOCUSED) ? 1 : 0;
            case ICONIFIED: return glfwGetWindowAttrib(window_, GLFW_ICONIFIED) ? 1 : 0;
            default: return 0;
        }
    }

    void GetWindowSize(int* width, int* height) override {
        *width = *height = 0;
        if (window_) glfwGetFramebufferSize(window_, width, height);
    }

    double GetTime() override { return glfwGetTime(); }

    void Sleep(double seconds) override {
        if (!(seconds > 0)) return;
        timespec rest;
        rest.tv_sec = static_cast<time_t>(seconds);
        rest.tv_nsec = static_cast<long>((seconds - static_cast<double>(rest.tv_sec)) * 1e9);
        while (nanosleep(&rest, &rest) != 0 && errno == EINTR) {
        }
    }

    void PollEvents() override { glfwPollEvents(); }
    void WaitEvents() override { glfwWaitEvents(); }

    void SwapBuffers() override {
        if (window_) glfwSwapBuffers(window_);
    }

    // The cursor comes in window coordinates; the game works in framebuffer pixels.
    void GetMousePos(float* x, float* y) override {
        *x = *y = 0;
        if (!window_) return;
        double cx = 0, cy = 0;
        int ww = 0, wh = 0, fw = 0, fh = 0;
        glfwGetCursorPos(window_, &cx, &cy);
        glfwGetWindowSize(window_, &ww, &wh);
        glfwGetFramebufferSize(window_, &fw, &fh);
        *x = static_cast<float>(ww > 0 ? cx * fw / ww : cx);
        *y = static_cast<float>(wh > 0 ? cy * fh / wh : cy);
    }

    JoystickState GetJoystick() override { return ReadGlfw3Joystick(); }

    ScreenRect GetWindowArea() override {
        ScreenRect area;
        if (!window_) return area;
        glfwGetWindowPos(window_, &area.x, &area.y);
        glfwGetWindowSize(window_, &area.width, &area.height);
        return area;
    }

    int GetMonitors(ScreenRect* out, int max) override {
        int count = 0;
        GLFWmonitor** monitors = glfwGetMonitors(&count);
        int written = 0;
        for (int i = 0; i < count && written < max; ++i) {
            const GLFWvidmode* mode = glfwGetVideoMode(monitors[i]);
            if (!mode) continue;
            ScreenRect& r = out[written++];
            glfwGetMonitorPos(monitors[i], &r.x, &r.y);
            r.width = mode->width;
            r.height = mode->height;
        }
        return written;
    }

    // Counted as GetMonitors counts, skipping monitors without a video mode.
    bool ShowFullscreen(int index) override {
        if (!window_) return false;
        int count = 0;
        GLFWmonitor** monitors = glfwGetMonitors(&count);
        for (int i = 0, seen = 0; i < count; ++i) {
            const GLFWvidmode* mode = glfwGetVideoMode(monitors[i]);
            if (!mode) continue;
            if (seen++ != index) continue;
            glfwSetWindowMonitor(window_, monitors[i], 0, 0, mode->width, mode->height, mode->refreshRate);
            return true;
        }
        return false;
    }

    bool ShowWindowed(const ScreenRect& area) override {
        if (!window_) return false;
        glfwSetWindowMonitor(window_, nullptr, area.x, area.y, area.width, area.height, GLFW_DONT_CARE);
        return true;
    }

private:
    GLFWwindow* window_ = nullptr;
    WindowIconDecoding icon_;
};

}  // namespace

Backend& Glfw3Backend() {
    static Glfw3 backend;
    return backend;
}

}  // namespace glfw2
