// play.cpp - the flow of one game: the start (state 11: reseed the generator, reset
// the game's fields, place the reels, run the machine's loader), each tick of play
// (state 10: reels, the machine's rules, the eased score and the hearts, then the
// pause control), and the dispatch to the five machines. The shell's screen
// dispatch (app.cpp) calls m_LoadGame, m_Game and m_InGame.
//
// Sections: start of a game; a tick of play; the pause control; machine dispatch.
#include "game/shell/game.h"
#include "media/random.h"

namespace {

constexpr int kPlacedReels = 17;      // reels 0..16 get a start position
constexpr float kStartPositions = 99;  // 0..98: a start never lands on cell 99


constexpr int kEaseDivisor = 6;        // the shown score closes a sixth of the gap per tick
constexpr int kScoreDigits = 8;
constexpr float kHeartPitch = 32;
constexpr float kHeartLift = 8;

constexpr float kPauseButtonAt = 16;
constexpr float kClickVolume = 0.5f;
constexpr int kMenuIntroStart = -32;   // the menu's pictures slide in afresh on return

}  // namespace

// ===========================================================================
// Start of a game (state 11)
// ===========================================================================

// Reseeding from the clock gives every game new reel positions and strips. The
// machine's loader runs after the reels are placed and before the phase is reset.
int kx_Tumbleroo_MyApp::m_LoadGame() {
    kx_random_Seed = kx_app_Millisecs();
    reels.symbolBank = 0;
    settings[kSettingLastMachine] = machine;
    score = 0;
    gameOver = 0;
    gameOverTimer = 0;
    m_ResetFocus();
    state = kScreenPlay;
    for (int r = 0; r < kPlacedReels; ++r) {
        reels.reelPos[r] = static_cast<int>(kx_random_Rnd() * kStartPositions);
        reels.reelOffset[r] = 0;
        reels.reelSpeed[r] = 0;
    }
    // A machine whose rules are not in the cabinet cannot be played: back to the
    // menu rather than an empty game that could never end.
    if (m_LoadMachine() == 0) {
        state = kScreenMenu;
        return 0;
    }
    phase = 0;
    return 0;
}

// ===========================================================================
// A tick of play (state 10)
// ===========================================================================

// The machine draws over the reels; the score and hearts go over both, and the
// focus ring over everything. A play key's press reaches the machine's controls
// before its tick, as a click would.
int kx_Tumbleroo_MyApp::m_Game() {
    m_FocusKeys();
    m_CLS2D(0, 0, 255, 1);
    m_HandleReels();
    m_RunMachine();
    m_EaseScore();
    m_DrawScorePanel();
    m_FocusRing();
    m_DrawLossNote();
    return 0;
}

// The shown score closes a sixth of the gap (truncated) each tick and jumps the
// last few points, so it always arrives.
int kx_Tumbleroo_MyApp::m_EaseScore() {
    const int t = shownScore - (shownScore - score) / kEaseDivisor;
    const int gap = t - score;
    shownScore = (gap > -kEaseDivisor && gap < kEaseDivisor) ? score : t;
    return 0;
}

// The score sits centred on the panel's top edge, the hearts in a row centred on its
// bottom edge.
int kx_Tumbleroo_MyApp::m_DrawScorePanel() {
    m_SetCol(100, 255, 100, 0.8f);
    m_SetSize(2, kAbsent);
    static const String kSpace(" "), kZero("0");  // drawn every tick: made once
    m_Text(spinX, spinY - spinH * 0.5f, kSpace + m_rstr(shownScore, kScoreDigits, kZero), 1, 1);
    m_ResetDraw();
    const float firstX = spinX - static_cast<float>(lives + 1) * (kHeartPitch * 0.5f);
    const float heartY = spinY + spinH * 0.5f - kHeartLift;
    for (int i = 1; i <= lives; ++i) m_DrawImg(kImgHeart, firstX + static_cast<float>(i) * kHeartPitch, heartY, 0);
    return 0;
}

// ===========================================================================
// The pause control
// ===========================================================================

// Back and the pause button open the pause menu; while it is open it handles its
// own input (Back included), and the game underneath keeps running.
int kx_Tumbleroo_MyApp::m_InGame() {
    m_ResetDraw();
    menuIntro = kMenuIntroStart;
    if (m_PlayKey(PK_BACK) && paused == 0 && keyUsed == 0) {
        keyUsed = 1;
        paused = 1;
        pauseSlide = 1;
        pauseCursor = 0;
        m_PlaySFX(kSfxClick, 1, kClickVolume, 0);
    }
    if (m_Button(kImgIcons, kPauseButtonAt, kPauseButtonAt, 0) != 0 && pointerUsed == 0 && paused == 0) {
        paused = 1;
        pauseSlide = 1;
        pointerUsed = 1;
        pauseCursor = 0;
        m_PlaySFX(kSfxClick, 1, kClickVolume, 0);
    }
    if (paused == 1) m_PauseMenu();
    return 0;
}

// ===========================================================================
// Machine dispatch: one line per machine
// ===========================================================================

// Returns 1 when the machine's loader ran, 0 when the cabinet has no such machine.
// Machines: 1 QuillmorPlat, 2 Cubewick, 3 Cometrow, 4 Fizzcrate, 5 Dice.
int kx_Tumbleroo_MyApp::m_LoadMachine() {
    switch (machine) {
        case kMachineQuillmorPlat: m_LoadGame_QuillmorPlat(); return 1;
        case kMachineCubewick: m_LoadGame_Cubewick(); return 1;
        case kMachineCometrow: m_LoadGame_Cometrow(); return 1;
        case kMachineFizzcrate: m_LoadGame_Fizzcrate(); return 1;
        case kMachineDice: m_LoadGame_Dice(); return 1;
        default: return 0;
    }
}

kx_Tumbleroo_Machine* kx_Tumbleroo_MyApp::m_CurrentMachine() {
    switch (machine) {
        case kMachineQuillmorPlat: return &quillmorPlat;
        case kMachineCubewick: return &cubewick;
        case kMachineCometrow: return &cometrow;
        case kMachineFizzcrate: return &fizzcrate;
        case kMachineDice: return &dice;
        default: return nullptr;
    }
}

int kx_Tumbleroo_MyApp::m_RunMachine() {
    switch (machine) {
        case kMachineQuillmorPlat: m_Game_QuillmorPlat(); break;
        case kMachineCubewick: m_Game_Cubewick(); break;
        case kMachineCometrow: m_Game_Cometrow(); break;
        case kMachineFizzcrate: m_Game_Fizzcrate(); break;
        case kMachineDice: m_Game_Dice(); break;
        default: break;  // no rules: m_LoadGame never starts such a game
    }
    return 0;
}
