// sprites_sdl2.cpp - the sprite load drawn by SDL2's renderer (OpenGL driver,
// command batching on, no vsync) for comparison with ours: one texture, a colour
// and alpha modulation per sprite, SDL_RenderCopyF, SDL_RenderPresent, then
// glFinish so that the software rasteriser's work is inside the timed frame.
// Run by bench/sprites/run.sh; prints one frame time (ms) per line, then the
// process's CPU time per frame.
#include <GL/gl.h>
#include <SDL.h>

#include <chrono>

#include "bench/sprites/sprite_load.h"

namespace {

SDL_Texture* UploadImage(SDL_Renderer* renderer, int size) {
    const std::vector<unsigned char> rgba = sprites::MakeImage(size);
    SDL_Texture* tex = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ABGR8888, SDL_TEXTUREACCESS_STATIC, size, size);
    if (!tex) return nullptr;
    SDL_UpdateTexture(tex, nullptr, rgba.data(), size * 4);
    SDL_SetTextureBlendMode(tex, SDL_BLENDMODE_BLEND);
    // Nearest filtering, as ours and the LOVE program use.
    SDL_SetTextureScaleMode(tex, SDL_ScaleModeNearest);
    return tex;
}

double DrawFrame(SDL_Renderer* renderer, SDL_Texture* tex, int size, const std::vector<sprites::Sprite>& load) {
    const auto start = std::chrono::steady_clock::now();
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    for (const sprites::Sprite& s : load) {
        SDL_SetTextureColorMod(tex, s.r, s.g, s.b);
        SDL_SetTextureAlphaMod(tex, s.a);
        const SDL_FRect dst{s.x, s.y, static_cast<float>(size), static_cast<float>(size)};
        SDL_RenderCopyF(renderer, tex, nullptr, &dst);
    }
    SDL_RenderPresent(renderer);
    glFinish();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    const sprites::Options opt = sprites::ParseOptions(argc, argv);
    SDL_SetHint(SDL_HINT_RENDER_DRIVER, "opengl");
    SDL_SetHint(SDL_HINT_RENDER_BATCHING, "1");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "sprites_sdl2: %s\n", SDL_GetError());
        return 1;
    }
    SDL_Window* window = SDL_CreateWindow("sprites (SDL2)", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                          sprites::kWindowW, sprites::kWindowH, SDL_WINDOW_OPENGL);
    // No SDL_RENDERER_PRESENTVSYNC: presenting never waits for a refresh.
    SDL_Renderer* renderer = window ? SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED) : nullptr;
    if (!renderer) {
        std::fprintf(stderr, "sprites_sdl2: %s\n", SDL_GetError());
        return 1;
    }
    SDL_GL_SetSwapInterval(0);
    if (opt.info) {
        SDL_RendererInfo info;
        SDL_GetRendererInfo(renderer, &info);
        std::printf("SDL %d.%d.%d, renderer %s\n", SDL_MAJOR_VERSION, SDL_MINOR_VERSION, SDL_PATCHLEVEL, info.name);
        SDL_Quit();
        return 0;
    }
    SDL_Texture* tex = UploadImage(renderer, opt.scene->size);
    if (!tex) {
        std::fprintf(stderr, "sprites_sdl2: %s\n", SDL_GetError());
        return 1;
    }
    const std::vector<sprites::Sprite> load = sprites::MakeSprites(*opt.scene);

    std::vector<double> times;
    times.reserve(static_cast<size_t>(opt.frames));
    double cpuAtWarm = 0;
    for (int f = 0; f < opt.warmup + opt.frames; ++f) {
        if (f == opt.warmup) cpuAtWarm = sprites::ProcessCpuMs();
        SDL_Event e;
        while (SDL_PollEvent(&e)) {
        }
        const double ms = DrawFrame(renderer, tex, opt.scene->size, load);
        if (f >= opt.warmup) times.push_back(ms);
    }
    sprites::PrintFrameTimes(times, sprites::ProcessCpuMs() - cpuAtWarm);
    SDL_DestroyTexture(tex);
    SDL_DestroyRenderer(renderer);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
