// game_harness.cpp - the game-logic tests' harness (see game_harness.h): one GL
// window and OpenAL device per process, a private working folder with data/, a
// fresh game object per test, and the host's update and render brackets.
#include "game_harness.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <GLFW/glfw3.h>
#include <stb/stb_image_write.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <vector>

#include "host/app.h"
#include "host/input.h"
#include "media/graphics_device.h"

namespace fs = std::filesystem;

namespace gametest {
namespace {

constexpr double kTickSeconds = 1.0 / kTicksPerSecond;
constexpr int kLoaderTickLimit = 100;
constexpr int kWindowAttempts = 5;
constexpr int kWindowRetryMicros = 200000;

struct Process {
    bool ready = false;
    GLFWwindow* window = nullptr;
    std::string work;
    std::string realData;
    int fixtureCount = 0;
    std::string failure;
    GameBackend backend;

    ~Process() {
        if (!work.empty()) {
            std::error_code ec;
            fs::remove_all(work, ec);
        }
    }
};

Process& TheProcess() {
    static Process p;
    return p;
}

void PointDataAt(const std::string& target) {
    const fs::path link = fs::path(TheProcess().work) / "data";
    std::error_code ec;
    fs::remove(link, ec);
    fs::create_directory_symlink(target, link);
}

void OpenAudio() {
    ALCdevice* device = alcOpenDevice(nullptr);
    if (!device) return;
    ALCcontext* context = alcCreateContext(device, nullptr);
    if (context) alcMakeContextCurrent(context);
}

struct SheetSpec {
    const char* name;
    int frameW, frameH, frames;
};

// The loader's sheets, with the font's 16 x 16 glyph cells.
const SheetSpec kSheets[] = {
    {"common/icons", 32, 32, 16},   {"common/Buttons", 64, 64, 16}, {"common/dpad", 32, 32, 16},
    {"common/icade", 64, 64, 2},    {"common/VexoLogo", 256, 256, 1}, {"fonts/editundo", 16, 16, 128},
    {"menu", 256, 256, 4},          {"logo", 256, 128, 1},          {"parts", 8, 8, 16},
    {"BadgesA", 64, 64, 64},        {"Overlay", 128, 128, 4},       {"Reel_Fruit", 32, 32, 32},
    {"heart", 32, 32, 1},
};
const int kSoundFiles[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 12, 13, 14, 15, 16, 17, 18, 19,
                           21, 22, 23, 24, 25, 26, 27, 28, 29, 95, 98, 99};
constexpr int kSheetColumns = 8;

}  // namespace

// ---------------------------------------------------------------------------
// Backend
// ---------------------------------------------------------------------------

glfw2::VidMode GameBackend::GetDesktopMode() {
    glfw2::VidMode m;
    m.Width = 1920;
    m.Height = 1080;
    return m;
}

int GameBackend::GetWindowParam(int param) {
    switch (param) {
        case glfw2::OPENED: return 1;
        case glfw2::ACTIVE: return iconified ? 0 : 1;
        case glfw2::ICONIFIED: return iconified;
        default: return 0;
    }
}

void GameBackend::GetWindowSize(int* w, int* h) {
    *w = width;
    *h = height;
}

void GameBackend::SwapBuffers() {
    if (TheProcess().window) glfwSwapBuffers(TheProcess().window);
}

void GameBackend::GetMousePos(float* x, float* y) {
    *x = mouseX;
    *y = mouseY;
}

GameBackend& Backend() { return TheProcess().backend; }

// ---------------------------------------------------------------------------
// Process and data
// ---------------------------------------------------------------------------

bool EnsureProcess() {
    Process& p = TheProcess();
    if (p.ready) return p.window != nullptr;
    p.ready = true;
    setenv("ALSOFT_CONF", TUMBLEROO_SOURCE_DIR "/tests/support/alsoft-null.conf", 0);
    char templ[] = "/tmp/tumbleroo-game-XXXXXX";
    const char* made = mkdtemp(templ);
    if (!made) {
        p.failure = "no temporary folder";
        return false;
    }
    p.work = made;
    if (chdir(p.work.c_str()) != 0) {
        p.failure = "cannot enter " + p.work;
        return false;
    }
    p.realData = TUMBLEROO_BINARY_DIR "/data";
    UseDefaultData();

    // Several test processes share one X server; a busy server can refuse a first
    // attempt, so the window is asked for a few times before the suite gives up.
    for (int attempt = 0; attempt < kWindowAttempts && !p.window; ++attempt) {
        if (attempt > 0) usleep(kWindowRetryMicros);
        if (!glfwInit()) {
            p.failure = "glfwInit failed";
            continue;
        }
        glfwWindowHint(GLFW_RESIZABLE, GLFW_FALSE);
        glfwWindowHint(GLFW_DOUBLEBUFFER, GLFW_TRUE);
        p.window = glfwCreateWindow(kWindowMaxW, kWindowMaxH, "game test", nullptr, nullptr);
        if (!p.window) {
            p.failure = "glfwCreateWindow failed";
            glfwTerminate();
        }
    }
    if (!p.window) return false;
    glfwMakeContextCurrent(p.window);
    glfw2::SetBackend(&p.backend);
    OpenAudio();
    gc_init1();
    kxInit();
    gc_init2();
    return true;
}

std::string WorkDir() { return TheProcess().work; }

bool HaveRealData() { return fs::exists(TheProcess().realData + "/common/icons-hd.png"); }

// Without the build's data the default is a generated set of fixtures (tiers 1 and 2).
void UseDefaultData() {
    Process& p = TheProcess();
    if (HaveRealData()) {
        PointDataAt(p.realData);
        return;
    }
    const std::string generated = p.work + "/generated";
    const bool made = fs::exists(generated);
    fs::create_directories(generated);
    PointDataAt(generated);
    if (!made) {
        WriteLoaderFixtures(1);
        WriteLoaderFixtures(2);
    }
}

void UseFixtureData() {
    Process& p = TheProcess();
    const std::string dir = p.work + "/fixture-" + std::to_string(++p.fixtureCount);
    fs::create_directories(dir);
    PointDataAt(dir);
}

std::string DataDir() { return fs::canonical(fs::path(TheProcess().work) / "data").string(); }

void WritePng(const std::string& name, int w, int h, unsigned rgba) {
    WritePngPixels(name, w, h, std::vector<unsigned>(static_cast<size_t>(w) * h, rgba));
}

void WritePngPixels(const std::string& name, int w, int h, const std::vector<unsigned>& pixels) {
    const fs::path path = fs::path(DataDir()) / name;
    fs::create_directories(path.parent_path());
    ASSERT_EQ(pixels.size(), static_cast<size_t>(w) * h);
    ASSERT_TRUE(stbi_write_png(path.c_str(), w, h, 4, pixels.data(), w * 4)) << path;
}

void WriteWav(const std::string& name, int samples) {
    const fs::path path = fs::path(DataDir()) / name;
    fs::create_directories(path.parent_path());
    const int rate = 8000;
    std::vector<unsigned char> b;
    auto put = [&b](const char* s) { b.insert(b.end(), s, s + 4); };
    auto put32 = [&b](unsigned v) {
        for (int i = 0; i < 4; ++i) b.push_back(static_cast<unsigned char>(v >> (8 * i)));
    };
    auto put16 = [&b](unsigned v) {
        b.push_back(static_cast<unsigned char>(v));
        b.push_back(static_cast<unsigned char>(v >> 8));
    };
    put("RIFF");
    put32(36 + samples);
    put("WAVE");
    put("fmt ");
    put32(16);
    put16(1);  // PCM
    put16(1);  // mono
    put32(rate);
    put32(rate);
    put16(1);
    put16(8);
    put("data");
    put32(samples);
    for (int i = 0; i < samples; ++i) b.push_back(static_cast<unsigned char>(i % 2 ? 160 : 96));
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    ASSERT_EQ(std::fwrite(b.data(), 1, b.size(), f), b.size());
    std::fclose(f);
}

void WriteLoaderFixtures(int tier) {
    const char* suffix = tier == 4 ? "-hd2" : tier == 2 ? "-hd" : "";
    for (const SheetSpec& s : kSheets) {
        const int cols = s.frames < kSheetColumns ? s.frames : kSheetColumns;
        const int rows = (s.frames + cols - 1) / cols;
        WritePng(std::string(s.name) + suffix + ".png", cols * s.frameW * tier, rows * s.frameH * tier);
    }
    char name[32];
    for (int n : kSoundFiles) {
        std::snprintf(name, sizeof name, "sfx/%03d.wav", n);
        WriteWav(name);
    }
}

// ---------------------------------------------------------------------------
// The fixture
// ---------------------------------------------------------------------------

// No test inherits an earlier test's saved progress: the game saves on suspend, after
// an unlock and after every finished game, and loads while it is created.
void GameTest::SetUp() {
    ASSERT_TRUE(EnsureProcess()) << TheProcess().failure << " (the tests need an X display, e.g. Xvfb)";
    UseDefaultData();
    std::error_code ec;
    fs::remove(fs::path(TheProcess().work) / kStateFileName, ec);
    Recreate();
}

void GameTest::TapKey(int code) {
    PressKey(code);
    Tick();
    ReleaseKey(code);
    Tick();
}

void GameTest::PressAt(float x, float y) {
    MoveMouse(x * game->scaleX, y * game->scaleY);
    PressMouse();
    Tick();
}

void GameTest::ReleaseAndTick() {
    ReleaseMouse();
    Tick();
}

void GameTest::ClickAt(float x, float y) {
    PressAt(x, y);
    ReleaseAndTick();
}

void GameTest::PressSpin() { ClickAt(game->spinX, game->spinY); }

void GameTest::SettleReels(int tickLimit) {
    for (int t = 0; t < tickLimit; ++t) {
        Tick();
        bool rest = true;
        for (int r = 0; r < game->reels.reelCount; ++r) {
            rest = rest && game->reels.reelSpeed[r] == 0 && game->reels.reelOffset[r] == 0;
        }
        if (rest) {
            ASSERT_EQ(game->reels.reelsMoving, 1);
            return;
        }
    }
    FAIL() << "the reels never stopped";
}

void ReleaseAudioSources() {
    if (!kx_audio_device) return;
    for (gxtkChannel& ch : kx_audio_device->channels) {
        if (ch.source == 0) continue;
        alSourceStop(ch.source);
        alSourcei(ch.source, AL_BUFFER, 0);
        alDeleteSources(1, &ch.source);
        ch.source = 0;
    }
}

void GameTest::TearDown() {
    ReleaseAudioSources();
    GameBackend& b = Backend();
    b.joystick = glfw2::JoystickState();
    b.mouseX = b.mouseY = 0;
    b.iconified = 0;
}

void GameTest::Recreate(int w, int h) { RecreateWith(nullptr, w, h); }

void GameTest::RecreateWith(kx_Tumbleroo_MyApp* (*make)(), int w, int h) {
    ReleaseAudioSources();
    GameBackend& b = Backend();
    b.width = w;
    b.height = h;
    b.now = 0;
    b.mouseX = b.mouseY = 0;
    b.joystick = glfw2::JoystickState();
    b.iconified = 0;
    kxInit();
    if (make != nullptr) {
        make()->g_new();
    } else {
        kxMain();
    }
    game = static_cast<kx_Tumbleroo_MyApp*>(kx_app_device->m_app);
    app->InvokeOnCreate();
}

std::string GameTest::DrawnLossNote(float* alpha) const {
    std::string text;
    for (int i = 0; i < RecordCount(); ++i) {
        const Record r = Rec(i);
        if (static_cast<int>(r.kind) != game->fontSlot || r.r != 255 || r.g != 240 || r.b != 200) continue;
        text += static_cast<char>(r.frame + 32);
        if (alpha != nullptr) *alpha = r.alpha;
    }
    return text;
}

void GameTest::Tick(int n) {
    for (int i = 0; i < n; ++i) {
        Backend().now += kTickSeconds;
        app->InvokeOnUpdate();
    }
}

int GameTest::RunLoader() {
    int ticks = 0;
    while (game->loadStep > 0 && ticks < kLoaderTickLimit) {
        Tick();
        ++ticks;
    }
    return ticks;
}

void GameTest::Render() { app->InvokeOnRender(); }

void GameTest::StartMachine(int machine) {
    game->machine = machine;
    game->state = kScreenStartGame;
    Tick();
    RunLoader();
    Tick();
}

std::vector<unsigned> GameTest::RenderAndRead() {
    gxtkGraphics* g = app->graphics;
    std::vector<unsigned> out;
    if (!g->Validate()) return out;
    const int w = g->Width();
    const int h = g->Height();
    g->BeginRender();
    app->OnRender();
    Array<int> pixels(w * h);
    g->ReadPixels(pixels, 0, 0, w, h, 0, w);
    out.resize(static_cast<size_t>(w) * h);
    for (int i = 0; i < w * h; ++i) out[i] = static_cast<unsigned>(pixels[i]);
    g->EndRender();
    gc_collect();
    return out;
}

unsigned GameTest::PixelAt(const std::vector<unsigned>& pixels, int x, int y) const {
    return pixels[static_cast<size_t>(y) * Backend().width + x];
}

void GameTest::SetWindowSize(int w, int h) {
    Backend().width = w;
    Backend().height = h;
}

void GameTest::PressKey(int code) { kx_input_device->OnKeyDown(code); }
void GameTest::ReleaseKey(int code) { kx_input_device->OnKeyUp(code); }

void GameTest::MoveMouse(float x, float y) {
    Backend().mouseX = x;
    Backend().mouseY = y;
}

void GameTest::PressMouse() { kx_input_device->OnKeyDown(kKeyMouseLeft); }
void GameTest::ReleaseMouse() { kx_input_device->OnKeyUp(kKeyMouseLeft); }
void GameTest::PressTouch(int i) { kx_input_device->OnKeyDown(kKeyTouch0 + i); }
void GameTest::ReleaseTouch(int i) { kx_input_device->OnKeyUp(kKeyTouch0 + i); }

void GameTest::SetStick(float x, float y) {
    glfw2::JoystickState& j = Backend().joystick;
    j.axisCount = 2;
    j.axes[0] = x;
    j.axes[1] = y;
}

void GameTest::SetJoyButton(int button, bool down) {
    glfw2::JoystickState& j = Backend().joystick;
    if (j.buttonCount < button + 1) j.buttonCount = button + 1;
    j.buttons[button] = down ? 1 : 0;
}

int GameTest::RecordCount() const { return game->drawCount / kRecordFloats; }

Record GameTest::Rec(int index) const {
    const float* f = game->drawList.Data() + index * kRecordFloats;
    return Record{f[REC_KIND], f[REC_X], f[REC_Y],     f[REC_ROT], f[REC_W], f[REC_H],
                  f[REC_FRAME], f[REC_ALPHA], f[REC_R], f[REC_G], f[REC_B]};
}

Record GameTest::ImageAtY(int slot, float y) const {
    for (int i = 0; i < RecordCount(); ++i) {
        const Record r = Rec(i);
        if (r.kind == slot && r.y == y) return r;
    }
    ADD_FAILURE() << "no image of slot " << slot << " drawn at y " << y;
    return Record{};
}

}  // namespace gametest
