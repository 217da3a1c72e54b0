// app.cpp - the host application and its fixed-rate main loop, the device that
// forwards the host's callbacks to the game object, the game object's base and the
// kx_app_ module functions. Start-up (host/startup.cpp) creates the game object,
// whose construction creates the application; RunApp then runs the loop.
#include "host/app.h"

#include <GL/gl.h>

#include <cstdint>
#include <cstdlib>

#include "host/first_frame_report.h"
#include "host/glfw2.h"
#include "host/input.h"
#include "host/window_mode.h"
#include "media/audio_device.h"
#include "media/graphics.h"
#include "media/graphics_device.h"

gxtkApp* app = nullptr;
void (*runner)() = nullptr;
kx_app_AppDevice* kx_app_device = nullptr;

namespace {

// Updates run back to back in one pass to catch up after a stall; past this the
// schedule restarts from the present, so a slow machine slows the game down
// instead of stalling it.
constexpr int kMaxUpdatesPerPass = 7;

// Mouse buttons 0, 1, 2 (left, right, middle) become these key codes.
constexpr int kMouseButtonCodes[] = {1, 2, 3};

// Set to "1", the loop ends right after the first frame has been swapped and
// finished, and the time of that is printed (host/first_frame_report.h), so that the
// start-up benchmark can time the program from exec to its first picture. Unset
// (as players run it) it changes nothing.
constexpr const char* kExitAfterFirstFrameVariable = "TUMBLEROO_EXIT_AFTER_FIRST_FRAME";

bool ExitAfterFirstFrameRequested() {
    const char* value = std::getenv(kExitAfterFirstFrameVariable);
    return value && value[0] == '1' && value[1] == '\0';
}

}  // namespace

void RunApp() { app->Run(); }

// ---------------------------------------------------------------------------
// gxtkApp
// ---------------------------------------------------------------------------

gxtkApp::gxtkApp() {
    gc_assign(::app, this);
    gc_assign(graphics, new gxtkGraphics());
    gc_assign(input, new gxtkInput());
    gc_assign(audio, new gxtkAudio());
    updateRate = 0;
    suspended = false;
    runner = RunApp;
    windowMode.reset(new WindowMode());
}

gxtkApp::~gxtkApp() = default;

void gxtkApp::mark() {
    gc_mark_q(graphics);
    gc_mark_q(input);
    gc_mark_q(audio);
}

gxtkGraphics* gxtkApp::GraphicsDevice() { return graphics; }
gxtkInput* gxtkApp::InputDevice() { return input; }
gxtkAudio* gxtkApp::AudioDevice() { return audio; }
String gxtkApp::AppTitle() { return String("<TODO>"); }

// A rate of 0 stops timed updates but keeps the schedule, so a later non-zero
// rate re-arms it from the present.
int gxtkApp::SetUpdateRate(int rate) {
    updateRate = rate;
    if (rate != 0) {
        updatePeriod = 1.0 / rate;
        nextUpdate = glfw2::GetTime() + updatePeriod;
    }
    return 0;
}

// Milliseconds since the window library started, truncated; wraps around like a
// 32-bit counter (after about 24 days) instead of overflowing.
int gxtkApp::MilliSecs() {
    auto ms = static_cast<std::int64_t>(glfw2::GetTime() * 1000.0);
    return static_cast<int>(static_cast<std::uint32_t>(ms));
}

bool gxtkApp::Loading() { return false; }
int gxtkApp::OnCreate() { return 0; }
int gxtkApp::OnSuspend() { return 0; }
int gxtkApp::OnResume() { return 0; }
int gxtkApp::OnUpdate() { return 0; }
int gxtkApp::OnRender() { return 0; }
int gxtkApp::OnLoading() { return 0; }

int gxtkApp::Run() {
    // GLFW 3 delivers key repeats and processes events only inside PollEvents and
    // WaitEvents, which is what the loop relies on.
    glfw2::SetKeyCallback(OnKey);
    glfw2::SetCharCallback(OnChar);
    glfw2::SetMouseButtonCallback(OnMouseButton);
    glfw2::SetWindowSizeCallback(OnWindowSize);
    glfw2::SetWindowRefreshCallback(OnWindowRefresh);

    InvokeOnCreate();
    if (!suspended) InvokeOnRender();
    if (!suspended && ExitAfterFirstFrameRequested()) {
        glFinish();
        ReportFirstFrame();
        return 0;
    }

    while (glfw2::GetWindowParam(glfw2::OPENED)) {
        if (glfw2::GetWindowParam(glfw2::ICONIFIED)) {
            if (!suspended) {
                InvokeOnSuspend();
            } else {
                glfw2::WaitEvents();
            }
            continue;
        }
        if (suspended && glfw2::GetWindowParam(glfw2::ACTIVE)) {
            InvokeOnResume();
            continue;
        }
        // Restored but without the focus: stays suspended until it gets it.
        if (suspended) {
            glfw2::WaitEvents();
            continue;
        }
        if (updateRate == 0) {
            InvokeOnRender();
            glfw2::WaitEvents();
            continue;
        }
        // Compared at full precision: a single-precision clock loses whole
        // milliseconds after a few hours and would make the frame pacing jitter.
        double t = glfw2::GetTime();
        if (nextUpdate > t) {
            glfw2::Sleep(nextUpdate - t);
            continue;
        }
        glfw2::PollEvents();
        for (int i = 0; i < kMaxUpdatesPerPass; ++i) {
            nextUpdate += updatePeriod;
            InvokeOnUpdate();
            if (updateRate == 0) break;
            double now = glfw2::GetTime();
            if (nextUpdate > now) break;
            if (i == kMaxUpdatesPerPass - 1) nextUpdate = now;  // drop the backlog
        }
        if (!suspended) InvokeOnRender();
    }
    return 0;
}

// A window without area when the game is created cannot be drawn into at all.
int gxtkApp::InvokeOnCreate() {
    graphics->width = graphics->height = 0;
    glfw2::GetWindowSize(&graphics->width, &graphics->height);
    if (graphics->width <= 0 || graphics->height <= 0) std::abort();
    OnCreate();
    gc_collect();
    return 0;
}

int gxtkApp::InvokeOnUpdate() {
    if (suspended || updateRate == 0 || !graphics->Validate()) return 0;
    input->BeginUpdate();
    OnUpdate();
    input->EndUpdate();
    gc_collect();
    return 0;
}

int gxtkApp::InvokeOnRender() {
    if (suspended || !graphics->Validate()) return 0;
    graphics->BeginRender();
    OnRender();
    graphics->EndRender();
    gc_collect();
    return 0;
}

// The rate is set to 0 through the virtual setter, so that the device's copy reads
// 0 while suspended, and then put back: the host keeps the rate to restore.
int gxtkApp::InvokeOnSuspend() {
    if (suspended) return 0;
    suspended = true;
    OnSuspend();
    audio->OnSuspend();
    if (updateRate != 0) {
        int rate = updateRate;
        SetUpdateRate(0);
        updateRate = rate;
    }
    gc_collect();
    return 0;
}

// Setting the kept rate again re-arms the schedule one period from now. The game's
// OnResume still sees the application suspended.
int gxtkApp::InvokeOnResume() {
    if (!suspended) return 0;
    if (updateRate != 0) {
        int rate = updateRate;
        updateRate = 0;
        SetUpdateRate(rate);
    }
    audio->OnResume();
    OnResume();
    suspended = false;
    gc_collect();
    return 0;
}

void gxtkApp::OnKey(int glfwKey, int action) {
    if (!app) return;
    if (app->windowMode->OnKey(glfwKey, action)) return;
    int code = TransKey(glfwKey);
    if (code == 0) return;
    if (action == glfw2::PRESS) {
        app->input->OnKeyDown(code);
        int chr = KeyToChar(code);
        if (chr != 0) app->input->PutChar(chr);
    } else if (action == glfw2::RELEASE) {
        app->input->OnKeyUp(code);
    }
}

void gxtkApp::OnChar(int character, int action) {
    if (!app) return;
    if (action == glfw2::PRESS) app->input->PutChar(character);
}

void gxtkApp::OnMouseButton(int button, int action) {
    if (!app) return;
    constexpr int kButtons = static_cast<int>(sizeof kMouseButtonCodes / sizeof kMouseButtonCodes[0]);
    if (button < 0 || button >= kButtons) return;
    int code = kMouseButtonCodes[button];
    if (action == glfw2::PRESS) {
        app->input->OnKeyDown(code);
    } else if (action == glfw2::RELEASE) {
        app->input->OnKeyUp(code);
    }
}

// The game fits itself to the window on every render, so a resize or an expose
// needs nothing here.
void gxtkApp::OnWindowSize(int, int) {}
void gxtkApp::OnWindowRefresh() {}

// ---------------------------------------------------------------------------
// kx_app_AppDevice
// ---------------------------------------------------------------------------

kx_app_AppDevice* kx_app_AppDevice::g_new(kx_app_App* game) {
    gc_assign(m_app, game);
    gc_assign(kx_graphics_device, GraphicsDevice());
    gc_assign(kx_input_device, InputDevice());
    gc_assign(kx_audio_device, AudioDevice());
    return this;
}

void kx_app_AppDevice::mark() {
    gxtkApp::mark();
    gc_mark_q(m_app);
}

int kx_app_AppDevice::SetUpdateRate(int rate) {
    gxtkApp::SetUpdateRate(rate);
    m_updateRate = rate;
    return 0;
}

int kx_app_AppDevice::OnCreate() {
    kx_graphics_SetFont(nullptr, 32);
    return m_app->m_OnCreate();
}

int kx_app_AppDevice::OnUpdate() { return m_app->m_OnUpdate(); }
int kx_app_AppDevice::OnSuspend() { return m_app->m_OnSuspend(); }
int kx_app_AppDevice::OnResume() { return m_app->m_OnResume(); }

// The drawing context is open only while the game renders; clearing the render
// device closes it again.
int kx_app_AppDevice::OnRender() {
    if (graphics->Mode() != 0) kx_graphics_BeginRender();
    m_app->m_OnRender();
    gc_assign(kx_graphics_renderDevice, static_cast<gxtkGraphics*>(nullptr));
    return 0;
}

int kx_app_AppDevice::OnLoading() {
    if (graphics->Mode() != 0) kx_graphics_BeginRender();
    m_app->m_OnLoading();
    gc_assign(kx_graphics_renderDevice, static_cast<gxtkGraphics*>(nullptr));
    return 0;
}

// ---------------------------------------------------------------------------
// kx_app_App and the module functions
// ---------------------------------------------------------------------------

kx_app_App* kx_app_App::g_new() {
    gc_assign(kx_app_device, (new kx_app_AppDevice())->g_new(this));
    return this;
}

int kx_app_App::m_OnCreate() { return 0; }
int kx_app_App::m_OnUpdate() { return 0; }
int kx_app_App::m_OnSuspend() { return 0; }
int kx_app_App::m_OnResume() { return 0; }
int kx_app_App::m_OnRender() { return 0; }
int kx_app_App::m_OnLoading() { return 0; }

int kx_app_SetUpdateRate(int rate) { return kx_app_device->SetUpdateRate(rate); }
int kx_app_Millisecs() { return kx_app_device->MilliSecs(); }
int kx_app_SaveState(const String& state) { return kx_app_device->SaveState(state); }
String kx_app_LoadState() { return kx_app_device->LoadState(); }
