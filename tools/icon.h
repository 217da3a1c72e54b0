// icon.h - the game's icon: one picture drawn in the house style, written as
// data/icon.png for the window and, drawn again at each size desktops ask for,
// into an icon theme folder that the install puts among the desktop's icons.
// Called by the artgen command and by the tests.
#pragma once

#include <string>

#include "raster.h"

namespace art {

// Pixels on a side: the largest of the desktop's common application icon sizes.
constexpr int kIconSize = 256;
// Where the icon goes, relative to the data folder.
constexpr const char* kIconFile = "icon.png";

// The sizes drawn for the desktop's icon theme, the largest being kIconSize.
constexpr int kDesktopIconSizes[] = {48, 64, 128, kIconSize};
// The icon's name in the theme: the desktop entry's Icon= key.
constexpr const char* kDesktopIconName = "tumbleroo";

// The icon at `size` pixels on a side.
Canvas renderIcon(int size = kIconSize);
// Writes kIconFile into dataDir; false when the file cannot be written.
bool writeIcon(const std::string& dataDir);
// Where the icon of `size` pixels goes under an icons folder.
std::string desktopIconPath(int size);
// Writes every kDesktopIconSizes picture under iconsDir (hicolor/NxN/apps/); false
// when one cannot be written.
bool writeDesktopIcons(const std::string& iconsDir);

}  // namespace art
