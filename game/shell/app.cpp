// app.cpp - the game object's life: the module globals, construction and marking,
// and the host callbacks (create, the per-tick order of work with the screen
// dispatch, render with the fit and the display-list replay, suspend and resume).
// The host's kx_app_AppDevice calls these; everything else of the game hangs off
// m_OnUpdate.
//
// Sections: globals and construction; create; update and dispatch; render;
// suspend and resume.
#include <cmath>

#include "game/shell/game.h"
#include "media/graphics.h"
#include "media/graphics_device.h"

float kx_Tumbleroo_rawscrw = 0;
float kx_Tumbleroo_rawscrh = 0;
float kx_Tumbleroo_jscrw = 0;
float kx_Tumbleroo_jscrh = 0;
float kx_Tumbleroo_Friction = 0;
int kx_Tumbleroo_HasMusic = 0;

namespace {

constexpr int kMachineBeforeLoad = kMachineCubewick;  // until the saved progress names one
constexpr int kFlagsClearedOnCreate = 128;
constexpr int kScoresClearedOnCreate = 51;
constexpr int kPanelHidden = -64;

template <class T>
void AllocArray(Array<T>& field, int n) {
    gc_assign(field, Array<T>(n));
}

}  // namespace

// ===========================================================================
// Globals and construction
// ===========================================================================

int kx_Tumbleroo_InitGlobals() {
    kx_Tumbleroo_rawscrw = kDesignWidth;
    kx_Tumbleroo_rawscrh = kDesignHeight;
    kx_Tumbleroo_jscrw = kDesignWidth;
    kx_Tumbleroo_jscrh = kDesignHeight;
    kx_Tumbleroo_Friction = kReelFriction;
    kx_Tumbleroo_HasMusic = 0;
    return 0;
}

// Every array is allocated here at full size, so no tick or frame allocates game state.
kx_Tumbleroo_MyApp::kx_Tumbleroo_MyApp() {
    AllocArray(drawList, kDrawListFloats);
    AllocArray(touchDown, kTouchCount);
    AllocArray(touchX, kTouchCount);
    AllocArray(touchY, kTouchCount);
    AllocArray(images, kImageSlots);
    AllocArray(slotInfo, kSlotInfoInts);
    AllocArray(sounds, kSoundSlots);
    AllocArray(channels, kChannelCount);
    reels.Allocate();
    AllocArray(settings, kSettingsCount);
    AllocArray(flags, kFlagsCount);
    AllocArray(scores, kScoresCount);
    reelSheet = String("Reel_Fruit");
}

void kx_Tumbleroo_MyApp::mark() {
    kx_app_App::mark();
    gc_mark_q(drawList);
    gc_mark_q(touchDown);
    gc_mark_q(touchX);
    gc_mark_q(touchY);
    gc_mark_q(images);
    gc_mark_q(slotInfo);
    gc_mark_q(sounds);
    gc_mark_q(channels);
    reels.mark();
    gc_mark_q(settings);
    gc_mark_q(flags);
    gc_mark_q(scores);
}

// ===========================================================================
// Create
// ===========================================================================

int kx_Tumbleroo_MyApp::m_OnCreate() {
    state = kScreenMenu;
    kx_app_SetUpdateRate(kTicksPerSecond);
    deviceWidth = kx_graphics_DeviceWidth();
    deviceHeight = kx_graphics_DeviceHeight();
    m_Reload();
    machine = kMachineBeforeLoad;
    menuIntro = -32;
    paused = 0;
    pauseSlide = -1;
    pausePanelY = kPanelHidden;
    for (int i = 0; i < kFlagsClearedOnCreate; ++i) flags[i] = false;
    for (int i = 0; i < kSettingsCount; ++i) settings[i] = 0;
    for (int i = 0; i < kScoresClearedOnCreate; ++i) scores[i] = 0;
    settings[kSettingSound] = 1;
    m_Load();  // the saved progress, over these defaults
    for (int i = 0; i < kChannelCount; ++i) channels[i] = i;
    machine = settings[kSettingLastMachine];
    m_CentreMachine(machine);
    m_ReadFirstGame();
    return 0;
}

// ===========================================================================
// Update and the screen dispatch
// ===========================================================================

int kx_Tumbleroo_MyApp::m_OnUpdate() {
    m_CapturePointer();
    m_KeyLock();
    if (loadStep == 0) m_RunScreen();
    // Read again: a screen may have started a reload (a machine with another sound bank).
    if (loadStep > 0) m_Loader();
    m_ResetDraw();
    return 0;
}

// One pass over the screens. The later screens hook in at the marked places: the
// menu (m_Menu), the return to the menu (m_LoadMenu), play (m_Game, m_InGame, then
// m_GameOver while gameOver is positive), the start of a game (m_LoadGame), and the
// game-over overlay over the menu.
int kx_Tumbleroo_MyApp::m_RunScreen() {
    switch (state) {
        case kScreenMenu:
            m_Menu();
            break;
        case kScreenBackToMenu:
            m_LoadMenu();
            state = kScreenMenu;
            break;
        case kScreenPlay:
            m_Game();
            m_InGame();
            if (state == kScreenPlay && gameOver > 0) m_GameOver();
            break;
        case kScreenStartGame:
            m_LoadGame();
            break;
        default:
            break;
    }
    if (state == kScreenMenu || state == kScreenBackToMenu) {
        m_GameOver();  // fades the finished game's overlay out over the menu
    }
    if (state == kScreenMenu && creditsOpen == 1) m_CreditBox();
    return 0;
}

// ===========================================================================
// Render: clear, fit, replay
// ===========================================================================

int kx_Tumbleroo_MyApp::m_OnRender() {
    const int width = kx_graphics_DeviceWidth();
    const int height = kx_graphics_DeviceHeight();
    kx_graphics_SetColor(clearR, clearG, clearB);
    kx_graphics_SetAlpha(clearA);
    kx_graphics_DrawRect(-1, -1, static_cast<float>(width + 2), static_cast<float>(height + 2));
    kx_graphics_SetColor(255, 255, 255);
    kx_graphics_SetAlpha(1);
    if (width != deviceWidth || height != deviceHeight) {
        loadStep = 1;  // the screens stop until the assets are reloaded for the new size
        deviceWidth = width;
        deviceHeight = height;
    }
    m_FitScreen();
    if (drawCount >= kRecordFloats) {
        // Called directly, not through the virtual table: once per record of every
        // frame, and this way the compiler can fold it into the loop.
        const int end = drawCount - (kRecordFloats - 1);
        for (int r = 0; r < end; r += kRecordFloats) kx_Tumbleroo_MyApp::m_ReplayRecord(r);
    }
    return 0;
}

// The larger of the two scales wins, so one virtual side is the design size and the
// other the same or smaller: the virtual screen takes the window's shape.
int kx_Tumbleroo_MyApp::m_FitScreen() {
    const float width = static_cast<float>(deviceWidth);
    const float height = static_cast<float>(deviceHeight);
    const float sx = width / kx_Tumbleroo_rawscrw;
    const float sy = height / kx_Tumbleroo_rawscrh;
    const float s = sx > sy ? sx : sy;
    // A zero-sized (minimised) framebuffer would make every virtual size infinite.
    if (!(s > 0)) return 0;
    scaleX = scaleY = s;
    kx_Tumbleroo_jscrw = width / s;
    kx_Tumbleroo_jscrh = height / s;
    landscape = kx_Tumbleroo_jscrh > kx_Tumbleroo_jscrw ? 0 : 1;
    return 0;
}

// A record naming no loaded image, or a frame the image does not have, is skipped:
// the image layer indexes its frames unchecked. Most records are images and most
// share the colour and alpha of the record before, so images are tested for first
// and the drawing context is only handed a colour or alpha that differs from its
// own (during the render nothing else sets them, so the device holds the same).
int kx_Tumbleroo_MyApp::m_ReplayRecord(int r) {
    const float* rec = drawList.Data() + r;
    const float kind = rec[REC_KIND];
    const kx_graphics_GraphicsContext& ctx = *kx_graphics_context;
    const bool colour = rec[REC_R] != ctx.colorR || rec[REC_G] != ctx.colorG || rec[REC_B] != ctx.colorB;
    const bool alpha = rec[REC_ALPHA] != ctx.alpha;
    if (colour && alpha) {
        kx_graphics_SetColorAndAlpha(rec[REC_R], rec[REC_G], rec[REC_B], rec[REC_ALPHA]);
    } else if (colour) {
        kx_graphics_SetColor(rec[REC_R], rec[REC_G], rec[REC_B]);
    } else if (alpha) {
        kx_graphics_SetAlpha(rec[REC_ALPHA]);
    }
    const float x = rec[REC_X] * scaleX;
    const float y = rec[REC_Y] * scaleY;
    if (kind > -1) {
        if (!(kind < kImageSlots)) return 0;
        kx_graphics_Image* image = images[static_cast<int>(kind)];
        const int frame = static_cast<int>(rec[REC_FRAME]);
        if (image && frame >= 0 && frame < image->frames.Length()) {
            kx_graphics_DrawImage2(image, x, y, rec[REC_ROT], rec[REC_W] * scaleX * imageScale,
                                   rec[REC_H] * scaleY * imageScale, frame);
        }
    } else if (kind == kKindRect) {
        kx_graphics_DrawRect(x, y, rec[REC_W] * scaleX, rec[REC_H] * scaleY);
    } else if (kind == kKindOval) {
        kx_graphics_DrawEllipse(x, y, rec[REC_W] * scaleX, rec[REC_H] * scaleY);
    } else if (kind == kKindLine) {
        kx_graphics_DrawLine(x, y, rec[REC_W] * scaleX, rec[REC_H] * scaleY);
    }
    return 0;
}

// ===========================================================================
// Suspend and resume
// ===========================================================================

int kx_Tumbleroo_MyApp::m_OnSuspend() {
    m_iCade(0);
    m_SetPauseForFocus();
    kx_app_SetUpdateRate(kSuspendedTicksPerSecond);
    m_Save();
    return 0;
}

int kx_Tumbleroo_MyApp::m_OnResume() {
    m_SetPauseForFocus();
    kx_app_SetUpdateRate(kTicksPerSecond);
    m_iCade(0);
    return 0;
}

// A running game comes back with the pause menu fully open; elsewhere it is cleared.
int kx_Tumbleroo_MyApp::m_SetPauseForFocus() {
    if (state >= kScreenPlay) {
        paused = 1;
        pauseSlide = 1;
        pausePanelY = static_cast<int>(kx_Tumbleroo_jscrh * 0.5f);
    } else {
        paused = 0;
        pauseSlide = 0;
        pausePanelY = 0;
    }
    return 0;
}
