// ids.h - every number the game's parts and its tests share, named once by purpose:
// screens (`state`), machines, image slots, sound slots, the saved settings' entries,
// the score tables' layout and the display list's record layout. The game object's
// header includes it; the asset loader's step table, the screens, the machines and
// the tests name these instead of writing the numbers.
#pragma once

// ---------------------------------------------------------------------------
// Screens: the values of `state`
// ---------------------------------------------------------------------------
constexpr int kScreenMenu = 1;          // machine-select menu
constexpr int kScreenBackToMenu = 2;    // records the finished game, then the menu
constexpr int kScreenPlay = 10;         // a machine is being played
constexpr int kScreenStartGame = 11;    // starts the selected machine in the same tick

// ---------------------------------------------------------------------------
// Machines: the values of `machine`, in the menu's order
// ---------------------------------------------------------------------------
constexpr int kMachineQuillmorPlat = 1;
constexpr int kMachineCubewick = 2;
constexpr int kMachineCometrow = 3;
constexpr int kMachineFizzcrate = 4;
constexpr int kMachineDice = 5;
constexpr int kMachineCount = 5;

// ---------------------------------------------------------------------------
// Image slots
// ---------------------------------------------------------------------------
constexpr int kImgReels = 1;        // the current machine's reel sheet (symbols, walker, arrows, ...)
constexpr int kImgHeart = 5;        // a life in the score panel
constexpr int kImgOverlay = 10;     // text buttons' backings
constexpr int kImgBadges = 80;
constexpr int kImgFont = 90;
constexpr int kImgIcade = 92;
constexpr int kImgTitle = 93;       // the title picture: loading screen, menu corner (opens the credits)
constexpr int kImgDpad = 94;
constexpr int kImgMachineIcons = 95;  // the menu's machine list, frame = machine - 1
constexpr int kImgParts = 96;
constexpr int kImgIcons = 97;       // small round icons: pause, resume, menu, sound, the ring
constexpr int kImgLogo = 98;
constexpr int kImgMenu = 99;        // the menu's backdrop and panels

// ---------------------------------------------------------------------------
// Sound slots
// ---------------------------------------------------------------------------
constexpr int kSfxChime = 1;        // a scoring run (pitch rises with its length)
constexpr int kSfxReelStop = 2;     // a reel settling onto a cell
constexpr int kSfxWhirr = 3;        // fast rolling reels
constexpr int kSfxUnlock = 4;       // a machine bought with coins
constexpr int kSfxSpare = 95;
constexpr int kSfxClick = 98;       // buttons and key moves
constexpr int kSfxTick = 99;        // a selection, a HOLD, the credits closing
// The machine's bank: slots 11..19 hold the sounds of the current sound bank; each
// machine gives them its own meaning (its file names them as these slots).
constexpr int kSfxBank1 = 11;
constexpr int kSfxBank2 = 12;
constexpr int kSfxBank3 = 13;
constexpr int kSfxBank4 = 14;
constexpr int kSfxBank5 = 15;
constexpr int kSfxBank6 = 16;
constexpr int kSfxBankLast = 19;

// ---------------------------------------------------------------------------
// Saved settings: entries of `settings` with a fixed meaning
// ---------------------------------------------------------------------------
constexpr int kSettingLastMachine = 1;
constexpr int kSettingUnlockMask = 2;  // bit m: machine m is unlocked
constexpr int kSettingCoins = 3;
constexpr int kSettingSound = 5;       // 0 off, 1 or 2 on

// ---------------------------------------------------------------------------
// Score tables: `scores` holds each machine's top ten, then each machine's last ten
// ---------------------------------------------------------------------------
constexpr int kTableSize = 10;
constexpr int kTopTenBase = 0;
constexpr int kLastTenBase = kTableSize * kMachineCount;  // 50
constexpr int TopTenAt(int machine) { return kTopTenBase + kTableSize * (machine - 1); }
constexpr int LastTenAt(int machine) { return kLastTenBase + kTableSize * (machine - 1); }

// ---------------------------------------------------------------------------
// Display list: records of 15 floats; kinds below 0 are shapes, 0 and up image slots
// ---------------------------------------------------------------------------
constexpr int kRecordFloats = 15;
constexpr int kKindRect = -3717;
constexpr int kKindOval = -3716;
constexpr int kKindLine = -3715;
// Offsets within a record.
enum DrawRecordField {
    REC_KIND = 0, REC_X = 1, REC_Y = 2, REC_ROT = 3, REC_W = 4, REC_H = 5, REC_FRAME = 6, REC_ALPHA = 7,
    REC_R = 10, REC_G = 11, REC_B = 12
};
