// menu_layout.h - where the machine-select menu puts its list, band and score panel,
// in virtual units or shares of the screen. The menu (menu.cpp) lays itself out by
// these and its guide (guide.cpp) places its texts and badges around them.
#pragma once

constexpr float kBandAt = 0.65f;      // the selection band's centre, of the screen height
constexpr float kEntryPitch = 108;    // distance between list entries
constexpr float kFadeOver = 0.8f;     // entries fade out over this much of the screen height
constexpr float kListColumn = 0.4f;   // of the screen width
constexpr float kPanelWidth = 140;    // the score panel on the right edge
constexpr float kEntrySize = 1.5f;    // an icon in the list
constexpr float kSelectedSize = 2.25f;  // the selected icon
constexpr float kIconHalf = 32;       // half an icon at size 1
