// window_icon.cpp - the window icon decoded off the main thread (see
// window_icon.h). The decoder reads the file and owns no state the main thread
// touches until the pixels are taken: the GLFW 3 backend takes them once the
// window exists, before the game decodes any picture of its own.
#include "host/window_icon.h"

#include <stb/stb_image.h>

#include <system_error>

namespace {
constexpr int kRgbaChannels = 4;
}  // namespace

WindowIconDecoding::~WindowIconDecoding() { Discard(); }

void WindowIconDecoding::Start(const std::string& path) {
    if (started) return;
    started = true;
    try {
        worker = std::thread([this, path] { Decode(path); });
    } catch (const std::system_error&) {
        Decode(path);
    }
}

void WindowIconDecoding::Decode(const std::string& path) {
    int channels = 0;
    pixels = stbi_load(path.c_str(), &width, &height, &channels, kRgbaChannels);
}

void WindowIconDecoding::Wait() {
    if (worker.joinable()) worker.join();
}

const unsigned char* WindowIconDecoding::Pixels(int* w, int* h) {
    Wait();
    *w = width;
    *h = height;
    return pixels;
}

void WindowIconDecoding::Discard() {
    Wait();
    if (pixels) stbi_image_free(pixels);
    pixels = nullptr;
    width = height = 0;
    started = false;
}
