// icon.h - the game's icon: one picture drawn in the house style, written as
// data/icon.png. The game sets it as its window icon and the install puts the same
// file among the desktop's icons. Called by the artgen command and by the tests.
#pragma once

#include <string>

#include "raster.h"

namespace art {

// Pixels on a side: the largest of the desktop's common application icon sizes.
constexpr int kIconSize = 256;
// Where the icon goes, relative to the data folder.
constexpr const char* kIconFile = "icon.png";

// The icon at kIconSize pixels on a side.
Canvas renderIcon();
// Writes kIconFile into dataDir; false when the file cannot be written.
bool writeIcon(const std::string& dataDir);

}  // namespace art
