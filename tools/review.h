// review.h - contact sheets for people: every image of one tier laid out on a
// checkerboard, cell by cell with its frame number above it, so the whole art
// set can be checked at a glance. Built from the 8-bit pixels already rendered.
#pragma once

#include <string>
#include <vector>

namespace art {

struct RenderedSheet {
    std::string file;  // shown as the title
    int width = 0, height = 0;
    int frameW = 0, frameH = 0, cols = 0, rows = 0, frames = 0;  // pixels of this tier
    std::vector<unsigned char> rgba;
};

struct Rgba8Image {
    int width = 0, height = 0;
    std::vector<unsigned char> rgba;
};

Rgba8Image contactSheet(const std::vector<RenderedSheet>& sheets, int tier);

}  // namespace art
