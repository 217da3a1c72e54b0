// game_harness.h - the shared harness for the game-logic tests: the real game
// object, created as the host creates it, fed through the real input device and
// ticked as the host ticks it, with a real GL context under Xvfb.
//
// How to use it:
//   class MyTest : public gametest::GameTest {};       // fixture: a fresh game per test
//   TEST_F(MyTest, Something) {
//       RunLoader();                 // the 29 loader ticks (OnCreate already ran)
//       PressKey(40); Tick(); ...    // toolkit key codes (host/input.h)
//       game->state, game->drawCount, Rec(0).kind ...
//   }
// SetUp creates a fresh game object (kxInit + kxMain, then OnCreate) in a window of
// 640 x 480; call Recreate(w, h) for another size. Time is a fake clock that moves
// 1/60 s per Tick. The working folder is a private temporary folder whose data/ is
// the build's generated data (TUMBLEROO_BINARY_DIR "/data"), or, when that is
// missing, a generated set of fixture files; UseFixtureData() swaps in an empty
// data/ that a test fills itself with WritePng / WriteWav.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/shell/game.h"
#include "host/glfw2.h"

namespace gametest {

// The window layer the game sees: a fake clock, a window size and a mouse position
// the test sets, a joystick the test sets, and buffer swaps on a real GL window
// (created once per process, 1280 x 1024, so every reported size up to that has
// real pixels behind it).
class GameBackend : public glfw2::Backend {
public:
    int width = 640, height = 480;
    double now = 0;
    float mouseX = 0, mouseY = 0;
    glfw2::JoystickState joystick;
    int iconified = 0;

    bool Init() override { return true; }
    void Terminate() override {}
    glfw2::VidMode GetDesktopMode() override;
    bool OpenWindow(int, int, bool) override { return true; }
    void SetWindowPos(int, int) override {}
    void SetWindowTitle(const char*) override {}
    int GetWindowParam(int param) override;
    void GetWindowSize(int* w, int* h) override;
    double GetTime() override { return now; }
    void Sleep(double seconds) override { now += seconds > 0 ? seconds : 0; }
    void PollEvents() override {}
    void WaitEvents() override {}
    void SwapBuffers() override;
    void GetMousePos(float* x, float* y) override;
    glfw2::JoystickState GetJoystick() override { return joystick; }
};

// The image slot the loader puts the current machine's reel sheet in.

// Largest size a test may report and still read real pixels back.
constexpr int kWindowMaxW = 1280;
constexpr int kWindowMaxH = 1024;

// Process set-up, done once: OpenAL on its null backend, the private working folder,
// the GL window, the collector. Returns false when no GL window could be opened.
bool EnsureProcess();
GameBackend& Backend();

// Data folders. The real data (or generated fixtures when the build has none) is the
// default; UseFixtureData gives the test an empty data/ to fill.
std::string WorkDir();
bool HaveRealData();
void UseDefaultData();
void UseFixtureData();
std::string DataDir();  // absolute path of the data/ now in use
// A PNG of w x h pixels (RGBA, one solid colour) at data/<name>; folders are created.
void WritePng(const std::string& name, int w, int h, unsigned rgba = 0xffffffffu);
// A PNG from explicit pixels (0xAABBGGRR in memory order R, G, B, A), row by row.
void WritePngPixels(const std::string& name, int w, int h, const std::vector<unsigned>& pixels);
// A short 8-bit mono PCM WAV at data/<name>, `samples` bytes of sound.
void WriteWav(const std::string& name, int samples = 64);
// Every image and sound file the loader asks for at the given tier, as fixtures.
void WriteLoaderFixtures(int tier);

// One display-list record, as the replay reads it.
struct Record {
    float kind, x, y, rot, w, h, frame, alpha, r, g, b;
};

// Hands the current audio device's OpenAL sources back at once. A dropped device
// returns them only when the collector destroys it, and a context has few to give:
// a long single-process run of tests, each with a new game object, would otherwise
// find none to play its sounds on.
void ReleaseAudioSources();

class GameTest : public ::testing::Test {
protected:
    kx_Tumbleroo_MyApp* game = nullptr;

    void SetUp() override;
    void TearDown() override;

    // A fresh game object in a window of w x h (kxInit, kxMain, OnCreate).
    void Recreate(int w = 640, int h = 480);
    // The same with a game object the test made (a subclass that leaves one part
    // out), created in place of the one kxMain would make.
    void RecreateWith(kx_Tumbleroo_MyApp* (*make)(), int w = 640, int h = 480);
    // One host update each: input BeginUpdate, m_OnUpdate, EndUpdate, a collector step.
    void Tick(int n = 1);
    // Ticks until the loader has finished (at most 100 ticks); returns the ticks taken.
    int RunLoader();
    // One host render (BeginRender, m_OnRender, EndRender with the swap).
    void Render();
    // What the menu does to start a machine (state 11 with `machine` chosen), then
    // the reload its sound bank asks for and one tick of play, which lays the reels
    // and the panel out.
    void StartMachine(int machine);
    // Renders one frame and reads back its pixels before the swap; 0xAARRGGBB values.
    std::vector<unsigned> RenderAndRead();
    unsigned PixelAt(const std::vector<unsigned>& pixels, int x, int y) const;
    // Channels of a read-back pixel (0xAARRGGBB).
    static int Red(unsigned p) { return static_cast<int>((p >> 16) & 0xff); }
    static int Green(unsigned p) { return static_cast<int>((p >> 8) & 0xff); }
    static int Blue(unsigned p) { return static_cast<int>(p & 0xff); }

    void SetWindowSize(int w, int h);
    void PressKey(int code);
    void ReleaseKey(int code);
    void MoveMouse(float x, float y);  // window pixels
    void PressMouse();
    void ReleaseMouse();
    void PressTouch(int i);  // touches 1..9 (touch 0 is the left mouse button)
    void ReleaseTouch(int i);
    void SetStick(float x, float y);
    void SetJoyButton(int button, bool down);
    // Input in virtual units (after the fit), a tick apart, through the real device:
    // a key pressed for one tick and released for one; the pointer down at a point
    // for one tick; released for one; a click is the two.
    void TapKey(int code);
    void PressAt(float x, float y);
    void ReleaseAndTick();
    void ClickAt(float x, float y);
    // A click on the SPIN control where the reels' layout put it, pressed for a tick.
    void PressSpin();
    // Ticks until every reel is at rest. The tick in which the last reel snaps still
    // counts as moving, so the machine has not acted on the new row yet.
    void SettleReels(int tickLimit = 1500);

    int RecordCount() const;
    // The lost-life note drawn this tick, spelled from its glyphs (its own colour;
    // spaces draw none), and its alpha; "" when none is drawn.
    std::string DrawnLossNote(float* alpha = nullptr) const;
    Record Rec(int index) const;
    // The first record of image slot `slot` drawn exactly at virtual y; a test
    // failure when there is none.
    Record ImageAtY(int slot, float y) const;
};

}  // namespace gametest
