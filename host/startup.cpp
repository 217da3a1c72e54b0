// startup.cpp - the process's start-up and clean-up: the window library, the
// centred window, the OpenAL device and context (opened meanwhile on a thread of
// their own, host/audio_open.cpp), the runtime's start-up
// (signal handlers, collector, module globals, the game object) and the guard
// around the main loop, after the command line (host/options.cpp) is answered.
// host/main.cpp calls HostMain.
#include <AL/al.h>
#include <AL/alc.h>

#include <csignal>

#include "game/shell/game.h"
#include "host/app.h"
#include "host/audio_open.h"
#include "host/glfw2.h"
#include "host/input.h"
#include "host/options.h"
#include "host/settings.h"
#include "host/window_mode.h"
#include "media/audio_device.h"
#include "media/graphics.h"
#include "media/graphics_device.h"
#include "media/random.h"

int argc = 0;
char** argv = nullptr;
ALCdevice* alcDevice = nullptr;
ALCcontext* alcContext = nullptr;

namespace {

constexpr int kWindowWidth = 640;
constexpr int kWindowHeight = 480;
const char kWindowTitle[] = "Tumbleroo";

// The collector's roots, queued in this order at the start of every cycle.
void MarkRoots() {
    gc_mark_q(kx_graphics_device);
    gc_mark_q(kx_input_device);
    gc_mark_q(kx_audio_device);
    gc_mark_q(kx_app_device);
    gc_mark_q(kx_graphics_context);
    gc_mark_q(kx_graphics_renderDevice);
}

}  // namespace

int kxInit() {
    gc_assign(kx_graphics_device, static_cast<gxtkGraphics*>(nullptr));
    gc_assign(kx_input_device, static_cast<gxtkInput*>(nullptr));
    gc_assign(kx_audio_device, static_cast<gxtkAudio*>(nullptr));
    gc_assign(kx_app_device, static_cast<kx_app_AppDevice*>(nullptr));
    gc_assign(kx_graphics_context, (new kx_graphics_GraphicsContext())->g_new());
    kx_random_init();
    kx_Tumbleroo_InitGlobals();
    gc_root_marker = MarkRoots;
    return 0;
}

int kxMain() {
    (new kx_Tumbleroo_MyApp())->g_new();
    return 0;
}

int kx_std_main(int argCount, char** args) {
    argc = argCount;
    argv = args;
    std::signal(SIGSEGV, sighandler);
    std::signal(SIGILL, sighandler);
    std::signal(SIGFPE, sighandler);
    gc_init1();
    kxInit();
    gc_init2();
    kxMain();
    return 0;
}

int HostMain(int argCount, char** args) {
    // The command line is answered before the window library starts, so --help and
    // --version work without a display; commandLine.options.display is the player's
    // display choice, applied once the game object exists.
    CommandLine commandLine = ParseCommandLine(argCount, args);
    if (!AnswerCommandLine(commandLine)) return commandLine.exitStatus;
    // Sound is optional and wanted only once the game runs: the device opens while
    // the window library loads the driver and makes the window, which takes longer.
    AudioOpening audio;
    if (!glfw2::Init()) {
        audio.Wait();
        CloseAudio();
        Print(String("glfwInit failed"));
        return -1;
    }
    glfw2::VidMode desktop = glfw2::GetDesktopMode();
    if (!glfw2::OpenWindow(kWindowWidth, kWindowHeight, true)) {
        audio.Wait();
        CloseAudio();
        fail("glfwOpenWindow failed");
    }
    // Signed division, truncating toward zero, even on a desktop smaller than the window.
    glfw2::SetWindowPos((desktop.Width - kWindowWidth) / 2, (desktop.Height - kWindowHeight) / 2);
    glfw2::SetWindowTitle(kWindowTitle);
    // A failure is reported once, here, where the start-up order puts it, and the
    // game runs on silent.
    audio.Finish();

    try {
        kx_std_main(argCount, args);
        // Before the game's first frame, so that it is drawn at the size it keeps.
        if (app) app->windowMode->Start(commandLine.options.display, kSettingsFileName);
        if (runner) runner();
    } catch (ThrowableObject*) {
        Print(String("Quorvel Runtime Error : Uncaught Quorvel Exception"));
    } catch (const char*) {
        // Raised by the runtime-error path, which has already reported it.
    }

    CloseAudioWhile([] { glfw2::Terminate(); });
    return 0;
}
