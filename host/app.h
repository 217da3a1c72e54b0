// app.h - the host application: gxtkApp (the devices, the update timer, the
// suspended flag, the window mode and the fixed-rate main loop), kx_app_AppDevice
// (forwards the host's callbacks to the game object), kx_app_App (the game object's
// base) and the kx_app_ module functions the game calls. Implemented in host/app.cpp, except the state
// file and text loading, which live with the data paths in host/paths.cpp.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>

#include "runtime/runtime.h"

struct gxtkGraphics;
struct gxtkInput;
struct gxtkAudio;
struct kx_app_App;
class WindowMode;

struct gxtkApp : gxtkObject {
    gxtkGraphics* graphics = nullptr;
    gxtkInput* input = nullptr;
    gxtkAudio* audio = nullptr;
    int updateRate = 0;        // updates per second; 0: no timed updates
    double nextUpdate = 0;     // window-library clock, seconds
    double updatePeriod = 0;   // 1 / updateRate
    bool suspended = false;
    std::unique_ptr<WindowMode> windowMode;  // sees every key before the game

    gxtkApp();
    ~gxtkApp() override;
    void mark() override;

    virtual gxtkGraphics* GraphicsDevice();
    virtual gxtkInput* InputDevice();
    virtual gxtkAudio* AudioDevice();
    virtual String AppTitle();
    virtual String LoadState();
    virtual int SaveState(const String& state);
    virtual String LoadString(const String& path);
    virtual int SetUpdateRate(int rate);
    virtual int MilliSecs();
    virtual bool Loading();
    virtual int OnCreate();
    virtual int OnSuspend();
    virtual int OnResume();
    virtual int OnUpdate();
    virtual int OnRender();
    virtual int OnLoading();

    // The loop: returns once the window has been closed.
    int Run();

    int InvokeOnCreate();
    int InvokeOnUpdate();
    int InvokeOnRender();
    int InvokeOnSuspend();
    int InvokeOnResume();

    // Window callbacks installed by Run; they feed the input device of `app`.
    static void OnKey(int glfwKey, int action);
    static void OnChar(int character, int action);
    static void OnMouseButton(int button, int action);
    static void OnWindowSize(int width, int height);
    static void OnWindowRefresh();
};

struct kx_app_AppDevice : gxtkApp {
    kx_app_App* m_app = nullptr;
    int m_updateRate = 0;  // the last rate set through this device

    kx_app_AppDevice* g_new(kx_app_App* game);
    void mark() override;

    int SetUpdateRate(int rate) override;
    int OnCreate() override;
    int OnUpdate() override;
    int OnSuspend() override;
    int OnResume() override;
    int OnRender() override;
    int OnLoading() override;
};

struct kx_app_App : Object {
    // Creates the kx_app_AppDevice for this game object and stores it in kx_app_device.
    kx_app_App* g_new();

    virtual int m_OnCreate();
    virtual int m_OnUpdate();
    virtual int m_OnSuspend();
    virtual int m_OnResume();
    virtual int m_OnRender();
    virtual int m_OnLoading();
};

// The one host application (set by its constructor) and the function to call after
// start-up (RunApp once an application exists).
extern gxtkApp* app;
extern void (*runner)();
void RunApp();

extern kx_app_AppDevice* kx_app_device;

int kx_app_SetUpdateRate(int rate);
int kx_app_Millisecs();
int kx_app_SaveState(const String& state);
String kx_app_LoadState();

// The state file's name, in the working directory.
extern const char* const kStateFileName;

// Start-up (host/startup.cpp): the runtime's start-up and the game object's creation,
// the module globals' initial values, the game object's creation, and the whole
// process from the window library's start to its clean-up (main's body).
int kx_std_main(int argc, char** argv);
int kxInit();
int kxMain();
int HostMain(int argc, char** argv);
