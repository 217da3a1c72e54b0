// screens.h - where things are on a 640 x 480 window (the virtual screen is then
// the window itself, one unit per pixel) and how each screen is recognised in a
// screenshot by a few pixels whose colours follow from the drawing rules.
#pragma once

#include "tests/e2e/image.h"

namespace e2e {

// Machines by their number in the menu (top to bottom).
enum Machine { kQuillmorPlat = 1, kCubewick = 2, kCometrow = 3, kFizzcrate = 4, kDice = 5 };

struct Point {
    int x, y;
};

// Menu: the list column is at 0.4 of the width, the selection band at 0.65 of the
// height, entries 108 units apart; the sound switch sits at the left edge, the
// title picture (the credits button) near the top right corner.
constexpr Point kSelectedIcon{256, 312};
constexpr Point kSoundSwitch{32, 240};
constexpr Point kCreditsButton{570, 40};
constexpr int kEntryPitch = 108;

// Play: the reels take the left 70 percent; the panel on the right holds SPIN at
// its centre; the pause button is the icon in the top left corner.
constexpr Point kSpin{544, 240};
constexpr Point kPauseButton{16, 16};
// A pixel on the reel frame, left of the reels and below the pay line, for every
// machine.
constexpr Point kFramePixel{10, 400};

// The pause panel's centre is put at 240 (half the height) when the game comes
// back from being iconified; sliding in from its parking place at -64 it stops at
// 248. Its buttons sit 64
// above the centre, 140 either side, the resume button on the centre itself.
constexpr int kPanelOpenedY = 248;
constexpr int kPanelRestoredY = 240;
inline Point ResumeButton(int panelY) { return {320, panelY}; }
inline Point MenuButton(int panelY) { return {180, panelY - 64}; }

Rgb FrameColour(int machine);

// The loading screen: an orange band (0.7 over the dark blue clear colour) across
// the middle fifth, plain dark blue above it.
bool IsLoadingScreen(const Image& shot);
// The same at any window size: the band's rows at both edges of the window.
bool IsLoadingScreenAnySize(const Image& shot);
// The menu: the green sound switch at the left edge.
bool IsMenu(const Image& shot);
// A machine in play, not darkened by the pause menu or the game-over overlay.
bool IsPlaying(const Image& shot, int machine);
// The pause panel's top strip (yellow over the darkened game) right above the
// panel centre `panelY`.
bool PausePanelAt(const Image& shot, int panelY);
// The credits box's orange border left and right of the text.
bool IsCreditsOpen(const Image& shot);

// The menu picture is still while nothing moves: two shots this close are the
// same screen.
bool SameScreen(const Image& a, const Image& b);

}  // namespace e2e
