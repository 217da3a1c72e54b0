// gl_window.h - support for the graphics tests: one real GLFW 3 window with an
// OpenGL context (under Xvfb in the suite), a window-layer backend that serves
// its size and buffer swaps to the device, fixtures that open a frame on a fresh
// device, pixel read-back, and test images written with stb_image_write into a
// temporary folder.
#pragma once

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>
#include <stb/stb_image_write.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "host/glfw2.h"
#include "media/graphics.h"

namespace gltest {

constexpr int kWindowW = 320;
constexpr int kWindowH = 240;

// Serves the shared test window to the device: its framebuffer size (or a forced
// one) and its buffer swaps, counted.
class WindowBackend : public glfw2::Backend {
public:
    GLFWwindow* window = nullptr;
    int swaps = 0;
    int forcedWidth = -1, forcedHeight = -1;  // >= 0: report this size instead

    bool Init() override { return true; }
    void Terminate() override {}
    glfw2::VidMode GetDesktopMode() override { return {}; }
    bool OpenWindow(int, int, bool) override { return window != nullptr; }
    void SetWindowPos(int, int) override {}
    void SetWindowTitle(const char*) override {}
    int GetWindowParam(int param) override { return param == glfw2::OPENED ? 1 : 0; }
    void GetWindowSize(int* w, int* h) override {
        glfwGetFramebufferSize(window, w, h);
        if (forcedWidth >= 0) *w = forcedWidth;
        if (forcedHeight >= 0) *h = forcedHeight;
    }
    double GetTime() override { return 0; }
    void Sleep(double) override {}
    void PollEvents() override {}
    void WaitEvents() override {}
    void SwapBuffers() override {
        glfwSwapBuffers(window);
        ++swaps;
    }
    void GetMousePos(float* x, float* y) override { *x = *y = 0; }
    glfw2::JoystickState GetJoystick() override { return {}; }
};

// One window for the whole process: creating a context per test would cost more
// than the tests themselves.
inline GLFWwindow* SharedWindow() {
    static GLFWwindow* window = [] {
        glfwSetErrorCallback([](int code, const char* text) {
            std::fprintf(stderr, "GLFW error %d: %s\n", code, text);
        });
        // Many test processes start at once under one X server; a refused
        // connection is retried a few times before the tests are failed.
        constexpr int kAttempts = 3;
        for (int attempt = 0; attempt < kAttempts; ++attempt) {
            if (attempt > 0) usleep(100 * 1000);
            if (!glfwInit()) continue;
            glfwWindowHint(GLFW_RESIZABLE, GLFW_FALSE);
            glfwWindowHint(GLFW_DOUBLEBUFFER, GLFW_TRUE);
            GLFWwindow* made = glfwCreateWindow(kWindowW, kWindowH, "graphics test", nullptr, nullptr);
            if (made) return made;
            glfwTerminate();
        }
        return static_cast<GLFWwindow*>(nullptr);
    }();
    return window;
}

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};
inline std::ostream& operator<<(std::ostream& os, const Rgb& c) {
    return os << "(" << c.r << "," << c.g << "," << c.b << ")";
}
// Blending rounds differently between GL implementations; a channel may be one
// or two steps off the exact arithmetic.
inline bool Near(const Rgb& a, const Rgb& b, int tolerance = 2) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.b - b.b) <= tolerance;
}

// The back buffer's pixel at window coordinates (x, y), top-left origin.
inline Rgb ReadRgb(int x, int y) {
    unsigned char p[4] = {};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, kWindowH - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
    return {p[0], p[1], p[2]};
}

// The whole back buffer as RGB rows, top row first.
inline std::vector<unsigned char> ReadWindowRgb() {
    std::vector<unsigned char> rows(static_cast<size_t>(kWindowW) * kWindowH * 3);
    std::vector<unsigned char> gl(rows.size());
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kWindowW, kWindowH, GL_RGB, GL_UNSIGNED_BYTE, gl.data());
    const size_t stride = static_cast<size_t>(kWindowW) * 3;
    for (int y = 0; y < kWindowH; ++y) {
        std::copy_n(&gl[(kWindowH - 1 - y) * stride], stride, &rows[y * stride]);
    }
    return rows;
}

// A folder under /tmp for test images, removed with everything in it.
class TempDir {
public:
    TempDir() {
        char pattern[] = "/tmp/tumbleroo-gfx-XXXXXX";
        const char* made = mkdtemp(pattern);
        path = made ? made : "";
    }
    ~TempDir() {
        std::error_code ignored;
        if (!path.empty()) std::filesystem::remove_all(path, ignored);
    }
    std::string File(const std::string& name) const { return path + "/" + name; }
    std::string path;
};

// An image of w x h pixels of `channels` bytes each, every pixel `fill`.
inline std::vector<unsigned char> Solid(int w, int h, std::vector<unsigned char> fill) {
    std::vector<unsigned char> px;
    px.reserve(static_cast<size_t>(w) * h * fill.size());
    for (int i = 0; i < w * h; ++i) px.insert(px.end(), fill.begin(), fill.end());
    return px;
}

inline bool WritePng(const std::string& file, int w, int h, int channels, const std::vector<unsigned char>& px) {
    return stbi_write_png(file.c_str(), w, h, channels, px.data(), w * channels) != 0;
}

// A fresh device with a frame open on the shared window, state as the drawing
// context would leave it at the start of a frame, and a black window.
class DeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        window = SharedWindow();
        ASSERT_NE(window, nullptr) << "no OpenGL window: the graphics tests need a display (xvfb-run)";
        glfwMakeContextCurrent(window);
        backend.window = window;
        glfw2::SetBackend(&backend);
        device = NewDevice();
        kx_graphics_SetGraphicsDevice(device);
        ASSERT_TRUE(device->Validate());
        ASSERT_EQ(device->Width(), kWindowW);
        ASSERT_EQ(device->Height(), kWindowH);
        device->BeginRender();
        device->SetColor(255, 255, 255);
        device->SetAlpha(1);
        device->SetBlend(0);
        device->SetScissor(0, 0, kWindowW, kWindowH);
        device->SetMatrix(1, 0, 0, 1, 0, 0);
        device->Cls(0, 0, 0);
    }
    void TearDown() override {
        gxtkTestHooks::simulatedAllocationFailures = 0;
        kx_graphics_renderDevice = nullptr;
        glfw2::SetBackend(nullptr);
    }
    virtual gxtkGraphics* NewDevice() { return new gxtkGraphics(); }

    // Flushes what is pending, then reads the pixel.
    Rgb Pixel(int x, int y) {
        device->Flush();
        return ReadRgb(x, y);
    }

    GLFWwindow* window = nullptr;
    WindowBackend backend;
    gxtkGraphics* device = nullptr;
};

// A device with the toolkit's drawing context open on it, as the host opens it
// around the game's render.
class ContextTest : public DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        if (HasFatalFailure()) return;
        gc_assign(kx_graphics_context, (new kx_graphics_GraphicsContext())->g_new());
        kx_graphics_BeginRender();
    }
    void TearDown() override {
        kx_graphics_EndRender();
        DeviceTest::TearDown();
    }
};

}  // namespace gltest
