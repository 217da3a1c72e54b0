// bare_glfw.cpp - the start-up yardstick on the game's own window library: the
// least a GLFW program does before its first picture (GLFW window and GL context,
// one clear, one swap, glFinish, the first-frame line, clean exit), built like
// bare_sdl2.cpp. bench/startup/run.sh times it beside our own program.
#include <GLFW/glfw3.h>

#include <cstdio>

#include "host/first_frame_report.h"

namespace {
constexpr int kWindowW = 640;  // the game's own window size
constexpr int kWindowH = 480;

void Report(int, const char* text) { std::fprintf(stderr, "bare_glfw: %s\n", text); }
}  // namespace

int main(int, char**) {
    glfwSetErrorCallback(Report);
    if (!glfwInit()) return 1;
    GLFWwindow* window = glfwCreateWindow(kWindowW, kWindowH, "bare GLFW", nullptr, nullptr);
    if (!window) {
        glfwTerminate();
        return 1;
    }
    glfwMakeContextCurrent(window);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glfwSwapBuffers(window);
    glFinish();
    ReportFirstFrame();
    glfwDestroyWindow(window);
    glfwTerminate();
    return 0;
}
