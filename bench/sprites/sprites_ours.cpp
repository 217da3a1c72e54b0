// sprites_ours.cpp - the sprite load drawn by our own renderer: a real window
// through the host's window layer, the graphics device and the drawing context
// exactly as the host drives them around the game's render (Validate,
// BeginRender, the context's draw calls, EndRender with the buffer swap), then
// glFinish so that the software rasteriser's work is inside the timed frame.
// Run by bench/sprites/run.sh; prints one frame time (ms) per line, then the
// process's CPU time per frame.
#include <GL/gl.h>
#include <GLFW/glfw3.h>

#include <chrono>

#include "bench/sprites/sprite_load.h"
#include "host/glfw2.h"
#include "media/graphics.h"

namespace {

// Our textures take ARGB integers; the sprite image is RGBA bytes.
kx_graphics_Image* UploadImage(gxtkGraphics* device, int size) {
    const std::vector<unsigned char> rgba = sprites::MakeImage(size);
    gxtkSurface* surface = device->CreateSurface(size, size);
    if (!surface) return nullptr;
    Array<int> argb(size * size);
    for (int i = 0; i < size * size; ++i) {
        const unsigned char* p = &rgba[static_cast<size_t>(i) * 4];
        argb[i] = static_cast<int>((uint32_t{p[3]} << 24) | (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2]);
    }
    device->WritePixels2(surface, argb, 0, 0, size, size, 0, size);
    return (new kx_graphics_Image())->g_new()->m_Init(surface, 1, 0);
}

double DrawFrame(gxtkGraphics* device, kx_graphics_Image* image, const std::vector<sprites::Sprite>& load) {
    const auto start = std::chrono::steady_clock::now();
    device->Validate();
    device->BeginRender();
    kx_graphics_BeginRender();
    device->Cls(0, 0, 0);
    for (const sprites::Sprite& s : load) {
        kx_graphics_SetColor(s.r, s.g, s.b);
        kx_graphics_SetAlpha(s.a / 255.0f);
        kx_graphics_DrawImage(image, s.x, s.y, 0);
    }
    kx_graphics_EndRender();
    device->EndRender();
    glFinish();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    const sprites::Options opt = sprites::ParseOptions(argc, argv);
    if (!glfw2::Init() || !glfw2::OpenWindow(sprites::kWindowW, sprites::kWindowH, false)) {
        std::fprintf(stderr, "sprites_ours: no window\n");
        return 1;
    }
    glfw2::SetWindowTitle("sprites (ours)");
    glfwSwapInterval(0);
    if (opt.info) {
        std::printf("%s, OpenGL %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)),
                    reinterpret_cast<const char*>(glGetString(GL_VERSION)));
        glfw2::Terminate();
        return 0;
    }

    gxtkGraphics* device = new gxtkGraphics();
    kx_graphics_SetGraphicsDevice(device);
    gc_assign(kx_graphics_context, (new kx_graphics_GraphicsContext())->g_new());
    kx_graphics_Image* image = UploadImage(device, opt.scene->size);
    if (!image) {
        std::fprintf(stderr, "sprites_ours: texture upload failed\n");
        return 1;
    }
    const std::vector<sprites::Sprite> load = sprites::MakeSprites(*opt.scene);

    std::vector<double> times;
    times.reserve(static_cast<size_t>(opt.frames));
    double cpuAtWarm = 0;
    for (int f = 0; f < opt.warmup + opt.frames; ++f) {
        if (f == opt.warmup) cpuAtWarm = sprites::ProcessCpuMs();
        glfw2::PollEvents();
        const double ms = DrawFrame(device, image, load);
        if (f >= opt.warmup) times.push_back(ms);
    }
    sprites::PrintFrameTimes(times, sprites::ProcessCpuMs() - cpuAtWarm);
    glfw2::Terminate();
    return 0;
}
