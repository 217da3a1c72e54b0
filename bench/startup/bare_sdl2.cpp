// bare_sdl2.cpp - the start-up yardstick: the least a windowed OpenGL program does
// before its first picture (SDL2 window and GL context, one clear, one swap,
// glFinish, the first-frame line, clean exit). bench/startup/run.sh times it
// beside our own program.
#include <GL/gl.h>
#include <SDL.h>

#include <cstdio>

#include "host/first_frame_report.h"

namespace {
constexpr int kWindowW = 640;  // the game's own window size
constexpr int kWindowH = 480;
}  // namespace

int main(int, char**) {
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "bare_sdl2: %s\n", SDL_GetError());
        return 1;
    }
    SDL_Window* window = SDL_CreateWindow("bare SDL2", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, kWindowW,
                                          kWindowH, SDL_WINDOW_OPENGL);
    SDL_GLContext context = window ? SDL_GL_CreateContext(window) : nullptr;
    if (!context) {
        std::fprintf(stderr, "bare_sdl2: %s\n", SDL_GetError());
        return 1;
    }
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    SDL_GL_SwapWindow(window);
    glFinish();
    ReportFirstFrame();
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
