// game.h - the game object kx_Tumbleroo_MyApp: its fields grouped by lifetime (the
// shell's, one game's session, the saved progress), the objects it owns (the reel
// bank `reels` and one object per machine) and every operation, grouped under the
// file that implements it. The host's start-up creates the one object (kxMain) and
// drives it through the kx_app_App callbacks; the screens and dialogs are methods
// here, and the named machine entry points hand over to the machine objects.
//
// Index:
//   1. Module globals and named constants
//   2. Play keys
//   3. The class: fields (the shell; the reels; one game's session; the machines;
//      the saved progress)
//   4. The class: operations, by implementing file
#pragma once

#include "game/shell/ids.h"
#include "game/machines/cometrow.h"
#include "game/machines/cubewick.h"
#include "game/machines/dice.h"
#include "game/machines/fizzcrate.h"
#include "game/machines/quillmorplat.h"
#include "game/slots/reels.h"
#include "host/app.h"
#include "media/audio.h"
#include "media/graphics.h"

// ===========================================================================
// 1. Module globals (set by kx_Tumbleroo_InitGlobals, called from kxInit) and
//    named constants
// ===========================================================================

extern float kx_Tumbleroo_rawscrw;  // design width of the virtual screen (640)
extern float kx_Tumbleroo_rawscrh;  // design height of the virtual screen (480)
extern float kx_Tumbleroo_jscrw;    // current virtual width; m_OnRender refits it every frame
extern float kx_Tumbleroo_jscrh;    // current virtual height; m_OnRender refits it every frame
extern float kx_Tumbleroo_Friction; // reel deceleration per tick
extern int kx_Tumbleroo_HasMusic;   // 0: the sound setting is a two-way switch

// Sets the game's module globals to their initial values; called once at start-up
// (kxInit), before the game object is created.
int kx_Tumbleroo_InitGlobals();

// The design size of the virtual screen; kx_Tumbleroo_rawscrw/h carry it at run time.
constexpr float kDesignWidth = 640;
constexpr float kDesignHeight = 480;
constexpr float kReelFriction = 0.015f;
constexpr int kTicksPerSecond = 60;
constexpr int kSuspendedTicksPerSecond = 5;

// The absent value: an omitted optional argument, and the coordinates of an up touch.
constexpr int kAbsent = -3717;

// Display list: 2500 records (record layout and kinds in ids.h).
constexpr int kDrawListRecords = 2500;
constexpr int kDrawListFloats = kRecordFloats * kDrawListRecords;  // 37500
// An append needs drawCount at or below this, so only 2499 records ever fit.
constexpr int kDrawListLastStart = kDrawListFloats - 16;           // 37484

// Sizes of the object's arrays.
constexpr int kTouchCount = 10;
constexpr int kImageSlots = 100;
constexpr int kSoundSlots = 100;
constexpr int kSlotInfoInts = 3 * kImageSlots;
constexpr int kChannelCount = 33;
constexpr int kSfxRing = 24;          // effects cycle over channels 1..23, 0
constexpr int kSettingsCount = 25;
constexpr int kFlagsCount = 256;
constexpr int kScoresCount = 250;

// Asset loading: a full load takes 28 steps and one more tick that ends it.
constexpr int kLoaderLastStep = 28;

// ===========================================================================
// 2. Play keys: abstract buttons fed by the keyboard, joystick buttons and stick
// ===========================================================================

constexpr int PK_UP = 0;
constexpr int PK_LEFT = 3;
constexpr int PK_RIGHT = 5;
constexpr int PK_DOWN = 8;
constexpr int PK_A = 10;
constexpr int PK_B = 11;
constexpr int PK_X = 12;
constexpr int PK_Y = 13;
constexpr int PK_BACK = 99;

// ===========================================================================
// 3-4. The game object
// ===========================================================================

struct kx_Tumbleroo_MyApp : kx_app_App {
    // =======================================================================
    // The shell: lives as long as the program; the constructor zeroes it, OnCreate
    // sets its starting values, the screens keep it up to date
    // =======================================================================

    // --- screen and state (game/shell/app.cpp unless noted) ---
    int state = 0;            // current screen: 1 menu, 2 back to menu, 10 play, 11 start; OnCreate, menu, play flow, game over
    int loadStep = 0;         // asset (re)load step, 0 idle; m_Reload, m_Loader, m_OnRender on resize
    int deviceWidth = 0;      // window width seen at the last frame; OnCreate, m_OnRender
    int deviceHeight = 0;     // window height seen at the last frame; OnCreate, m_OnRender
    float scaleX = 0;         // device pixels per virtual unit; m_OnRender (the fit)
    float scaleY = 0;         // equal to scaleX after the fit; m_OnRender
    int landscape = 0;        // 1 unless the virtual screen is taller than wide; m_OnRender
    float imageScale = 0;     // 1 / tier, applied to every image at replay; asset loader
    int menuIntro = 0;        // menu slide-in offset, -32 rising to 0; OnCreate, menu, m_InGame
    float menuScrollY = 0;    // y of the first machine-list entry; OnCreate, menu, m_LoadMenu
    int machine = 0;          // current machine 1..5; OnCreate, menu
    int creditsOpen = 0;      // credits box shown over the menu; menu, m_CreditBox, key lock
    int paused = 0;           // pause menu open; m_InGame, m_PauseMenu, suspend/resume
    int pauseSlide = 0;       // 1 sliding in or shown, -1 sliding out; m_InGame, m_PauseMenu, suspend/resume
    int pausePanelY = 0;      // pause panel centre y; m_PauseMenu, suspend/resume
    int pauseCursor = 0;      // pause selection: -1 menu, 0 resume, 1 sound; m_InGame, m_PauseMenu
    int newRank = 0;          // rank 0..9 the finished game takes, -1 none; table update (game over)
    int loopIndex = 0;        // shared loop counter, set by each operation before use; many

    // --- display list and drawing state (game/shell/display.cpp); m_CLS2D empties
    //     the list and m_ResetDraw the state at every tick ---
    Array<float> drawList;    // kDrawListFloats floats; drawing helpers append, m_OnRender replays
    int drawCount = 0;        // floats in use; drawing helpers, m_CLS2D
    float clearR = 0, clearG = 0, clearB = 0;  // window clear colour; m_CLS2D, m_Reload
    float clearA = 0;         // window clear alpha; m_CLS2D, m_Reload
    float drawSizeX = 0, drawSizeY = 0;  // current size factors; m_SetSize, m_ResetDraw
    float drawRot = 0;        // current rotation in degrees; callers, m_ResetDraw
    float drawR = 0, drawG = 0, drawB = 0;  // current colour 0..255; m_SetCol, m_ResetDraw
    float drawA = 0;          // current alpha 0..1; m_SetCol, m_Alpha, m_ResetDraw

    // --- input and controls (game/shell/controls.cpp); captured afresh every tick ---
    int pointerX = 0, pointerY = 0;          // pointer in virtual units; pointer capture
    int pointerPrevX = 0, pointerPrevY = 0;  // previous tick's pointer; pointer capture
    int pointerWasDown = 0;   // left button as read by the last capture; pointer capture
    int pointerDown = 0;      // left button or any touch down; pointer capture
    int pointerHit = 0;       // left button went down this tick; pointer capture
    Array<int> touchDown;     // kTouchCount: touch i down; pointer capture
    Array<int> touchX;        // kTouchCount: touch x in virtual units, -3717 up; pointer capture
    Array<int> touchY;        // kTouchCount: touch y in virtual units, -3717 up; pointer capture
    int pointerUsed = 0;      // a pointer press was used; screens set, capture clears on release
    int keyUsed = 0;          // a play-key press was used; screens set, key lock clears
    MachineControl lastButton;  // hit box of the latest button drawn; buttons, machines' control lists

    // --- the focus ring over a machine's controls (game/shell/focus.cpp); m_LoadGame
    //     resets it at every start ---
    int focusControl = 0;     // index in the machine's list of controls, -1 its SPIN control
    int focusShown = 0;       // ring shown: from a play-key press until the next pointer press
    MachineControl focusBox;  // where the ring was last drawn

    // --- assets and sound (game/shell/assets.cpp); every reload fills them again ---
    Array<kx_graphics_Image*> images;  // kImageSlots image slots; m_LoadImg, m_LoadFont
    Array<int> slotInfo;      // kSlotInfoInts: frame width, height, count per slot; m_LoadImg, m_LoadFont
    Array<kx_audio_Sound*> sounds;     // kSoundSlots sound slots; m_LoadSFX, m_LoadSFX2
    Array<int> channels;      // kChannelCount: entry i = i; OnCreate
    int sfxChannel = 0;       // channel of the latest effect; m_PlaySFX
    int tier = 0;             // resolution tier 1, 2 or 4; m_Reload, m_Loader
    int fontSlot = 0;         // slot of the most recent font; m_LoadFont
    int soundSet = 0;         // sound bank of the current machine; m_LoadReels
    String reelSheet;         // base name of the loaded reel sheet, "Reel_Fruit" at first; m_LoadReels

    // =======================================================================
    // The reel bank (game/slots/reels.h): its cells, motion and drawing; m_LoadGame
    // places the reels, the machine's loader sets them up
    // =======================================================================
    kx_Tumbleroo_Reels reels{*this};

    // --- play screen layout and the loading screen (game/slots/play.cpp) ---
    float spinX = 0, spinY = 0, spinW = 0, spinH = 0;  // score panel / SPIN control; laid out every tick by m_HandleReels
    int loadingSize = 0;      // loading screen circle size; m_WaitStart
    int spinnerAngle = 0;     // loading screen spinner angle in degrees; m_WaitStart

    // =======================================================================
    // One game's session: reset by m_LoadGame (game/slots/play.cpp) at every start,
    // lives and the phase by the machine's loader; the game-over overlay fades out
    // over the menu, so gameOverTimer lives on until the next start
    // =======================================================================
    int score = 0;            // score of the game in progress; machines
    int shownScore = 0;       // displayed score easing toward score; m_Game
    int lives = 0;            // hearts left; machine loaders, machines
    int gameOver = 0;         // the game has ended; machines, m_PauseMenu
    int gameOverTimer = 0;    // game-over overlay time line; m_GameOver
    int phase = 0;            // the machine's own state number; machines
    // --- the menu's guide and the lost-life note (game/slots/guide.cpp,
    //     game/slots/lossnote.cpp); they live as long as the program ---
    int firstGameDone = 0;    // a game has been finished, kept in the settings file; OnCreate, m_LoadMenu
    int lossNoteShown = 0;    // the lost-life note has been given this session; m_NoteLoss
    int lossNoteTicks = 0;    // ticks the note has still to show, 0 none; m_NoteLoss, m_DrawLossNote
    String lossNote;          // why the life went; m_NoteLoss

    // =======================================================================
    // The machines (game/machines/): one object each, holding its own fields, which
    // its loader resets; the play flow runs the current one through the named
    // entry points
    // =======================================================================
    kx_Tumbleroo_QuillmorPlat quillmorPlat{*this};
    kx_Tumbleroo_Cubewick cubewick{*this};
    kx_Tumbleroo_Cometrow cometrow{*this};
    kx_Tumbleroo_Fizzcrate fizzcrate{*this};
    kx_Tumbleroo_Dice dice{*this};

    // =======================================================================
    // Saved progress (game/progress/*.cpp): defaults set by OnCreate, read over them
    // by m_Load, written by m_Save; never reset while the program runs
    // =======================================================================
    Array<int> settings;      // kSettingsCount saved settings; OnCreate, m_Load, menu, pause menu
    Array<bool> flags;        // kFlagsCount flag bits; OnCreate, m_Load
    Array<int> scores;        // kScoresCount: top-ten at 10(m-1), last-ten at 50+10(m-1); OnCreate, m_Load, table update

    // =======================================================================
    // Operations
    // =======================================================================

    // Allocates every array at full size; scalars 0, strings empty, reelSheet "Reel_Fruit".
    kx_Tumbleroo_MyApp();
    void mark() override;

    // --- game/shell/app.cpp: create, the per-tick dispatch, render, suspend/resume ---
    int m_OnCreate() override;
    int m_OnUpdate() override;
    int m_OnSuspend() override;
    int m_OnResume() override;
    int m_OnRender() override;
    virtual int m_RunScreen();          // step 3 of a tick: the screen dispatch
    virtual int m_FitScreen();          // the virtual screen fitted to the window
    virtual int m_ReplayRecord(int r);  // draws the record starting at float r
    virtual int m_SetPauseForFocus();   // pause state on suspend and resume

    // --- game/shell/controls.cpp: play keys, pointer capture, key lock ---
    virtual bool m_PlayKey(int key);
    virtual int m_iCade(int mode);
    virtual int m_CapturePointer();     // step 1 of a tick
    virtual int m_KeyLock();            // step 2 of a tick: key lock and Back over the credits
    virtual int m_PressControl(const MachineControl& control);  // a click on the control, this tick

    // --- game/shell/focus.cpp: the focus ring over a machine's controls ---
    virtual int m_ResetFocus();       // focus on the SPIN control, ring hidden
    virtual int m_FocusKeys();        // before the machine's tick: move the ring or press
    virtual int m_FocusRing();        // after the play screen is drawn: the ring over it

    // --- game/shell/display.cpp: display-list helpers and text ---
    virtual int m_ResetDraw();
    virtual int m_CLS2D(float r, float g, float b, float a);
    virtual int m_SetSize(float sx, float sy);
    virtual int m_Alpha(float a);
    virtual int m_SetCol(float r, float g, float b, float a);
    virtual int m_DrawImg(int slot, float x, float y, float frame);
    virtual int m_Rect(float x, float y, float w, float h);
    virtual int m_Oval(float x, float y, float xRadius, float yRadius);
    virtual int m_Text(float x, float y, String text, float alignX, float alignY);
    virtual String m_rstr(int value, int width, String pad);
    virtual int m_AppendRecord(float kind, float x, float y, float w, float h, float frame);

    // --- game/shell/assets.cpp: tiers, slots, the loader, sound effects ---
    virtual int m_ChooseTier();
    virtual String m_ImageFileName(String name);  // name + tier suffix + ".png"
    virtual String m_SfxFileName(int number);     // "sfx/" + at least three digits + ".wav"
    virtual int m_LoadImg(int slot, String name, int frameWidth, int frameHeight, int frameCount, int flags);
    virtual int m_LoadFont(int slot, String name, int advance, int lineHeight);
    virtual int m_LoadSFX(int slot);
    virtual int m_LoadSFX2(int slot);
    virtual int m_Reload();
    virtual int m_Loader();
    virtual int m_LoaderStep(int step);
    virtual int m_PlaySFX(int slot, float rate, float volume, float pan);

    // --- game/shell/loading.cpp: the loading screen and the price function ---
    virtual int m_WaitStart(int mode);
    virtual int m_GetCost(int value);

    // --- game/shell/buttons.cpp: buttons, hit tests, the highlight bar ---
    virtual bool m_MouseIn_Centered(float x, float y, float w, float h);
    virtual int m_Button(int slot, float x, float y, int frame);
    virtual bool m_Button0(int slot, float x, float y, int frame);
    virtual int m_AButton(float x, float y, String text, int style, float wScale, float hScale);
    virtual int m_BButton(float x, float y, String text, int style, float wScale, float hScale);
    virtual int m_HighlightBar();
    virtual int m_KeepButton(float x, float y, float w, float h);  // lastButton
    virtual int m_ImageButton(int slot, float x, float y, int frame);  // drawn, its box kept
    virtual int m_LabelledButton(float x, float y, String text, int style, float wScale, float hScale,
                                 float sx, float sy, float labelX, float labelY);

    // --- game/shell/pause.cpp: pause menu and credits box ---
    virtual int m_PauseMenu();
    virtual int m_CreditBox();
    virtual int m_PauseButtons(float cx, int y);
    virtual int m_PauseRing(float x, float y);
    virtual int m_Ring(float x, float y, float sx, float sy);  // the ring frame in the ring colour
    virtual int m_PauseQuit();
    virtual int m_ToggleSound();

    // --- game/slots/reels.cpp: the named entry points of the reel bank `reels` ---
    virtual int m_LoadReels(String name, int set);
    virtual int m_PutReels(int count1, int count2, int count3, int count4, int count5, int count6, int count7,
                           int count8, int count9, int count10, int count11, int count12, int count13,
                           int count14, int count15, int count16);
    virtual int m_Spin(float base, float spread);
    virtual int m_HandleReels();
    virtual int m_SetUpReels(const ReelSetup& setup);  // a machine loader's reels in one call

    // --- game/slots/menu.cpp: machine-select menu (m_Menu, m_LoadMenu) ---
    virtual int m_Menu();
    virtual int m_LoadMenu();
    virtual int m_CentreMachine(int m);      // menuScrollY that puts machine m in the band
    virtual int m_MenuPictures();            // the two pictures and the score panel
    virtual float m_MenuPanelX();            // left edge of the sliding score panel
    virtual int m_MenuSoundSwitch();
    virtual int m_MenuScoreLists();          // best and last scores of the selected machine
    virtual int m_MenuScoreRows();           // rows that fit the screen height, 1..10
    virtual String m_MenuScoreText(String heading, int first, int rows);
    virtual int m_MenuList();
    virtual int m_MenuEntry(int j, float x, int y);  // one machine icon: select, tap, highlight
    virtual int m_MenuDrag();
    virtual bool m_MenuActionKey();          // any key that starts or buys a machine
    virtual int m_MenuKeys();                // selection, start and unlock by key
    virtual int m_MenuCreditsButton();
    virtual int m_MachinePrice(int m);       // coins unlocking machine m takes (below 0: gives)

    // --- game/slots/guide.cpp: the menu's guide over everything the menu draws ---
    virtual int m_MenuGuide();               // name, lock state, badges, coins, controls hint
    virtual int m_GuideSelection();          // the selected machine's name and lock state
    virtual int m_GuideBadges();             // a lock badge on every locked machine's icon
    virtual int m_GuideCoins();
    virtual int m_GuideHint();               // the controls along the bottom edge
    virtual int m_ReadFirstGame();           // firstGameDone from the settings file
    virtual int m_FinishFirstGame();         // a game ended: the hint goes for good

    // --- game/slots/lossnote.cpp: why the first life of the session went ---
    virtual int m_NoteLoss(String why);      // called by a machine as it takes a life
    virtual int m_DrawLossNote();

    // --- game/slots/play.cpp: play flow (m_LoadGame, m_Game, m_InGame) ---
    virtual int m_LoadGame();
    virtual int m_Game();
    virtual int m_InGame();
    virtual int m_LoadMachine();   // the current machine's loader; 0 when it has none
    virtual int m_RunMachine();    // the current machine's tick
    kx_Tumbleroo_Machine* m_CurrentMachine();  // the machine being played; null for none
    virtual int m_EaseScore();
    virtual int m_DrawScorePanel();  // score text and hearts

    // --- game/machines/contract.cpp: the SPIN control shared by every machine ---
    virtual int m_DrawSpin(String label, int lit);  // pay-line bar and SPIN button; returns its press
    virtual int m_SpinControl(int machineReady);    // the standard "SPIN!" control; 1 when it spun
    virtual int m_StartSpin();                      // consumes the press and spins every unheld reel
    virtual int m_DrawLaneAndExit(float half);      // the dark lane and exit square on the pay line
    virtual int m_LoseLife(int readyPhase, int overPhase);  // a life lost, maybe the game
    virtual int m_StartMachine(const ReelSetup& setup);    // every loader's first steps

    // --- game/machines/dice.cpp: m_LoadGame_Dice, m_Game_Dice ---
    virtual int m_LoadGame_Dice();
    virtual int m_Game_Dice();

    // --- game/machines/fizzcrate.cpp: m_LoadGame_Fizzcrate, m_Game_Fizzcrate ---
    virtual int m_LoadGame_Fizzcrate();
    virtual int m_Game_Fizzcrate();

    // --- game/machines/cometrow.cpp: m_LoadGame_Cometrow, m_Game_Cometrow ---
    virtual int m_LoadGame_Cometrow();
    virtual int m_Game_Cometrow();

    // --- game/machines/cubewick.cpp: m_LoadGame_Cubewick, m_Game_Cubewick ---
    virtual int m_LoadGame_Cubewick();
    virtual int m_Game_Cubewick();

    // --- game/machines/quillmorplat.cpp: m_LoadGame_QuillmorPlat, m_Game_QuillmorPlat ---
    virtual int m_LoadGame_QuillmorPlat();
    virtual int m_Game_QuillmorPlat();

    // --- game/progress/gameover.cpp: game over and score tables (m_GameOver, m_MyNth, table update) ---
    virtual int m_GameOver();
    virtual String m_MyNth();                // place text; the place itself in loopIndex
    virtual int m_GameOverOverlay(int t);
    virtual int m_NewHighscoreLine(float band);
    virtual int m_RecordScore();             // the table update after a finished game, then save

    // --- game/progress/flags.cpp: flag bits and service hooks (m_SetFlag, m_GetFlag, m_GC_PostScore, m_GC_Badges) ---
    virtual int m_SetFlag(int value, int bit, int on);
    virtual int m_GetFlag(int value, int bit);
    virtual int m_GC_PostScore(int machineNumber, int bestScore);
    virtual int m_GC_Badges();

    // --- game/progress/saved.cpp: saved progress (m_Save, m_Load) ---
    virtual int m_Save();
    virtual int m_Load();
};
