// window_icon.h - the window icon's picture, decoded from its file on a thread of
// its own while the window library starts, so that the window has its icon
// without the decode delaying the first frame. The GLFW 3 backend
// (host/glfw3_backend.cpp) starts it in Init and takes the pixels in OpenWindow.
#pragma once

#include <string>
#include <thread>

class WindowIconDecoding {
public:
    WindowIconDecoding() = default;
    // Waits for a decode still running and frees its pixels.
    ~WindowIconDecoding();
    WindowIconDecoding(const WindowIconDecoding&) = delete;
    WindowIconDecoding& operator=(const WindowIconDecoding&) = delete;

    // Starts decoding the file into 4 bytes per pixel (on the calling thread if no
    // thread can be made); while a decode is started and not yet discarded, it is
    // let be.
    void Start(const std::string& path);
    // Waits for the decode; the pixels (width * height RGBA), or null when nothing
    // was started or the file is missing or not a picture. They stay this object's
    // until Discard or its end.
    const unsigned char* Pixels(int* width, int* height);
    // Waits for the decode and frees the pixels; the next Start decodes afresh.
    void Discard();

private:
    void Decode(const std::string& path);
    void Wait();

    std::thread worker;
    unsigned char* pixels = nullptr;
    int width = 0, height = 0;
    bool started = false;
};
