// session.cpp - the game benchmarks' driver (see session.h): process set-up, the
// host's update and render brackets with the benchmark's hooks inside them, input
// through the real input device, and the scripted walk through the screens.
#include "bench/game/session.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <GLFW/glfw3.h>
#include <stdlib.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>

#include "host/app.h"
#include "host/input.h"
#include "media/graphics.h"
#include "media/graphics_device.h"

namespace fs = std::filesystem;

namespace benchgame {
namespace {

constexpr double kTickSeconds = 1.0 / kTicksPerSecond;
constexpr int kKeyEscape = 27;
constexpr int kKeyLeft = 37;
constexpr int kKeyUp = 38;
constexpr int kKeyDown = 40;
constexpr int kKeyZ = 90;

// Where the menu's band sits and where its entries are tapped, as shares of the
// virtual screen.
constexpr float kMenuBand = 0.65f;
constexpr float kMenuListX = 0.4f;

// Give-up limits, far above what each step takes.
constexpr int kLoaderLimit = 200;
constexpr int kStartLimit = 300;
constexpr int kSettleTicks = 20;
constexpr int kSpinAttempts = 3;
constexpr int kPanelTicks = 30;
constexpr int kOverlayLimit = 400;
constexpr int kSelectLimit = 12;
constexpr int kMenuIntroTicks = 32;

// Play: spins per machine and how long to let each one run.
constexpr int kSpinsPerMachine = 3;
constexpr int kTicksPerSpin = 150;

const char* const kMachineNames[] = {"QuillmorPlat", "Cubewick", "Cometrow", "Fizzcrate", "Dice"};

void RemoveWork(const std::string& work) {
    std::error_code ec;
    if (!work.empty()) fs::remove_all(work, ec);
}

GLFWwindow* OpenGlWindow(int w, int h) {
    if (!glfwInit()) return nullptr;
    glfwWindowHint(GLFW_RESIZABLE, GLFW_FALSE);
    glfwWindowHint(GLFW_DOUBLEBUFFER, GLFW_TRUE);
    // The buffers the game's own window has (host/glfw3_backend.cpp): no depth or
    // stencil, which decides the rasteriser's fast path for unblended images.
    glfwWindowHint(GLFW_DEPTH_BITS, 0);
    glfwWindowHint(GLFW_STENCIL_BITS, 0);
    GLFWwindow* window = glfwCreateWindow(w, h, "Tumbleroo benchmark", nullptr, nullptr);
    if (!window) return nullptr;
    glfwMakeContextCurrent(window);
    glfwSwapInterval(0);  // never wait for a display refresh: the clock here is simulated
    return window;
}

void OpenAudio() {
    ALCdevice* device = alcOpenDevice(nullptr);
    if (!device) return;
    ALCcontext* context = alcCreateContext(device, nullptr);
    if (context) alcMakeContextCurrent(context);
}

}  // namespace

const char* MachineName(int machine) {
    return machine >= 1 && machine <= kMachineCount ? kMachineNames[machine - 1] : "?";
}

// ---------------------------------------------------------------------------
// The window layer
// ---------------------------------------------------------------------------

glfw2::VidMode FakeWindow::GetDesktopMode() {
    glfw2::VidMode m;
    m.Width = 1920;
    m.Height = 1080;
    return m;
}

int FakeWindow::GetWindowParam(int param) {
    switch (param) {
        case glfw2::OPENED: return opened ? 1 : 0;
        case glfw2::ACTIVE: return 1;
        default: return 0;
    }
}

void FakeWindow::SwapBuffers() {
    if (onSwap) onSwap();
    if (window) glfwSwapBuffers(window);
}

// ---------------------------------------------------------------------------
// Process and game
// ---------------------------------------------------------------------------

bool Session::Open(const Options& options, std::string* why) {
    const fs::path data = fs::absolute(options.dataDir);
    if (!fs::exists(data / "common")) {
        *why = "no generated data in " + data.string() + " (build the artdata target)";
        return false;
    }
    char templ[] = "/tmp/tumbleroo-bench-XXXXXX";
    const char* made = mkdtemp(templ);
    if (!made) {
        *why = "no temporary folder";
        return false;
    }
    work_ = made;
    static std::string cleanup;
    cleanup = work_;
    std::atexit([] { RemoveWork(cleanup); });
    std::error_code ec;
    fs::create_directory_symlink(data, fs::path(work_) / "data", ec);
    if (ec || chdir(work_.c_str()) != 0) {
        *why = "cannot prepare " + work_;
        return false;
    }
    window_.width = options.width;
    window_.height = options.height;
    if (options.gl) {
        window_.window = OpenGlWindow(window_.width, window_.height);
        if (!window_.window) {
            *why = "no GL window (is DISPLAY set? run under Xvfb)";
            return false;
        }
    }
    glfw2::SetBackend(&window_);
    if (options.audio) OpenAudio();
    gc_init1();
    kxInit();
    gc_init2();
    return true;
}

void Session::NewGame() {
    std::error_code ec;
    fs::remove(fs::path(work_) / kStateFileName, ec);
    window_.now = 0;
    kxInit();
    kxMain();
    game = static_cast<kx_Tumbleroo_MyApp*>(kx_app_device->m_app);
    app->InvokeOnCreate();
    Render();  // as the host's loop does before its first pass: the screen is fitted
}

// ---------------------------------------------------------------------------
// The host's brackets
// ---------------------------------------------------------------------------

void Session::Collect() {
    if (beforeCollect) beforeCollect();
    gc_collect();
    if (afterCollect) afterCollect();
}

// As the host's InvokeOnUpdate, with the game's update called directly so that the
// hooks wrap exactly the game's own work.
void Session::Tick(int n) {
    for (int i = 0; i < n; ++i) {
        window_.now += kTickSeconds;
        ++ticks;
        if (!app->graphics->Validate()) continue;
        app->input->BeginUpdate();
        if (beforeUpdate) beforeUpdate();
        game->m_OnUpdate();
        if (afterUpdate) afterUpdate();
        app->input->EndUpdate();
        Collect();
    }
}

// As the host's InvokeOnRender and kx_app_AppDevice::OnRender.
void Session::Render() {
    gxtkGraphics* g = app->graphics;
    if (!g->Validate()) return;
    g->BeginRender();
    if (g->Mode() != 0) kx_graphics_BeginRender();
    if (beforeRender) beforeRender();
    game->m_OnRender();
    if (afterRender) afterRender();
    gc_assign(kx_graphics_renderDevice, static_cast<gxtkGraphics*>(nullptr));
    g->EndRender();
    Collect();
}

void Session::Frame(int n) {
    for (int i = 0; i < n; ++i) {
        Tick();
        if (renderFrames) Render();
    }
}

// ---------------------------------------------------------------------------
// Input
// ---------------------------------------------------------------------------

void Session::PressKey(int code) { kx_input_device->OnKeyDown(code); }
void Session::ReleaseKey(int code) { kx_input_device->OnKeyUp(code); }

void Session::TapKey(int code) {
    PressKey(code);
    Frame();
    ReleaseKey(code);
    Frame();
}

void Session::TapAt(float virtualX, float virtualY) {
    window_.mouseX = virtualX * game->scaleX;
    window_.mouseY = virtualY * game->scaleY;
    kx_input_device->OnKeyDown(kKeyMouseLeft);
    Frame();
    kx_input_device->OnKeyUp(kKeyMouseLeft);
    Frame();
}

// ---------------------------------------------------------------------------
// Screen steps
// ---------------------------------------------------------------------------

bool Session::TickUntil(const std::function<bool()>& done, int limit) {
    for (int i = 0; i < limit; ++i) {
        if (done()) return true;
        Frame();
    }
    return done();
}

bool Session::RunLoader() {
    return TickUntil([this] { return game->loadStep == 0; }, kLoaderLimit);
}

bool Session::SelectMachine(int machine) {
    for (int i = 0; i < kSelectLimit && game->machine != machine; ++i) {
        TapKey(game->machine < machine ? kKeyDown : kKeyUp);
    }
    Frame(kSettleTicks);  // the list eases the entry into the band
    return game->machine == machine;
}

bool Session::StartMachine(int machine) {
    if (game->state != kScreenMenu || !SelectMachine(machine)) return false;
    TapAt(kx_Tumbleroo_jscrw * kMenuListX, kx_Tumbleroo_jscrh * kMenuBand);
    if (game->state == 1) {
        // In a window of another shape than the design's the list can start out of
        // the band (it was placed for the design's height): a key's move away and
        // back centres the selection on the band, where the tap goes again.
        const int away = machine < kMachineCount ? kKeyDown : kKeyUp;
        TapKey(away);
        TapKey(away == kKeyDown ? kKeyUp : kKeyDown);
        Frame(kSettleTicks);
        TapAt(kx_Tumbleroo_jscrw * kMenuListX, kx_Tumbleroo_jscrh * kMenuBand);
    }
    const bool started =
        TickUntil([this] { return game->state == kScreenPlay && game->loadStep == 0; }, kStartLimit);
    Frame(kSettleTicks);
    return started && game->machine == machine;
}

bool Session::Spin() {
    for (int attempt = 0; attempt < kSpinAttempts; ++attempt) {
        TapAt(game->spinX, game->spinY);
        if (game->reels.reelsMoving > 0) return true;
        Frame(kSettleTicks);
    }
    return false;
}

bool Session::OpenPause() {
    TapKey(kKeyEscape);
    Frame(kPanelTicks);
    return game->paused == 1;
}

bool Session::QuitFromPause() {
    TapKey(kKeyLeft);  // the ring moves from "resume" to "leave"
    TapKey(kKeyZ);
    return game->gameOver > 0;
}

bool Session::BackToMenu() {
    const bool back = TickUntil([this] { return game->state == kScreenMenu; }, kOverlayLimit);
    Frame(kMenuIntroTicks);
    return back;
}

// ---------------------------------------------------------------------------
// The tour and scripted play
// ---------------------------------------------------------------------------

namespace {

// The loader takes one step per tick; the probe may use what is left of it, less
// one tick so that the menu is never measured as loading.
int LoaderRoom(const kx_Tumbleroo_MyApp* game) { return kLoaderLastStep - game->loadStep; }

bool Fail(std::string* why, const std::string& text) {
    *why = text;
    return false;
}

}  // namespace

bool Tour(Session& s, Probe& probe, std::string* why) {
    s.NewGame();
    s.Frame(2);
    if (s.game->loadStep <= 0) return Fail(why, "the loader did not start");
    probe.At("loading", s, LoaderRoom(s.game));
    if (!s.RunLoader()) return Fail(why, "the loader never finished");
    s.Frame(kMenuIntroTicks);
    probe.At("menu", s, -1);
    for (int m = 1; m <= kMachineCount; ++m) {
        const std::string name = MachineName(m);
        if (!s.StartMachine(m)) return Fail(why, "could not start " + name);
        if (!s.Spin()) return Fail(why, name + " would not spin");
        s.Frame(4);
        probe.At(name + " mid-spin", s, -1);
        if (!s.OpenPause()) return Fail(why, "no pause menu in " + name);
        if (m == kMachineCount) probe.At("pause menu", s, -1);
        if (!s.QuitFromPause()) return Fail(why, "could not leave " + name);
        s.Frame(4);
        if (m == kMachineCount) probe.At("game over", s, -1);
        if (!s.BackToMenu()) return Fail(why, "no way back to the menu from " + name);
    }
    return true;
}

bool Play(Session& s, long long tickCount, std::string* why) {
    const long long end = s.ticks + tickCount;
    s.NewGame();
    if (!s.RunLoader()) return Fail(why, "the loader never finished");
    s.Frame(kMenuIntroTicks);
    for (int m = 1; s.ticks < end; m = m % kMachineCount + 1) {
        const std::string name = MachineName(m);
        if (!s.StartMachine(m)) return Fail(why, "could not start " + name);
        for (int spin = 0; spin < kSpinsPerMachine && s.ticks < end; ++spin) {
            if (s.game->state != kScreenPlay || s.game->gameOver > 0) break;
            s.Spin();  // a machine busy with its own game may refuse; play on
            s.Frame(kTicksPerSpin);
        }
        if (s.game->state == kScreenPlay && s.game->gameOver == 0) {
            if (!s.OpenPause()) return Fail(why, "no pause menu in " + name);
            if (!s.QuitFromPause()) return Fail(why, "could not leave " + name);
        }
        if (!s.BackToMenu()) return Fail(why, "no way back to the menu from " + name);
    }
    return true;
}

}  // namespace benchgame
