// text.h - glyphs for the art tool, rasterised from the system's DejaVu fonts with
// stb_truetype: plain coverage bitmaps for the two game fonts, and text as a
// distance-field Shape for titles and labels, so lettering can be outlined,
// shadowed and filled with gradients like any other shape.
#pragma once

#include <string>
#include <vector>

#include "raster.h"

namespace art {

enum class Face { Mono, MonoBold, SansBold };

struct GlyphBitmap {
    int w = 0, h = 0;
    int xoff = 0, yoff = 0;  // top-left corner relative to the pen on the baseline
    std::vector<float> alpha;
};

class Font {
public:
    explicit Font(const std::string& path);
    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    // em is the font's em square in pixels; shift moves the outline by a
    // fraction of a pixel before sampling.
    GlyphBitmap glyph(int codepoint, float em, float shiftX, float shiftY) const;
    float advance(int codepoint, float em) const;
    float ascent(float em) const;
    float descent(float em) const;  // positive, below the baseline
    float capHeight(float em) const;
    float textWidth(const std::string& text, float em) const;

    // Text whose baseline starts at `origin`, em in units, sampled finely
    // enough for drawing at pixelsPerUnit; grow() on it works up to maxGrow units.
    Shape textShape(const std::string& text, Vec origin, float em, float pixelsPerUnit, float maxGrow) const;

private:
    struct Impl;
    Impl* impl_;
};

// The fonts are read once from the DejaVu folder (fonts-dejavu-core); a
// missing file throws std::runtime_error naming it.
const Font& font(Face face);
std::string fontDirectory();

}  // namespace art
