// text.cpp - stb_truetype glyph access for the art tool: coverage bitmaps and
// distance-field text shapes. Fonts are loaded on first use (thread-safe static
// initialisation) and shared read-only by the painters.
#include "text.h"

#include <stb/stb_truetype.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <stdexcept>

#ifndef ARTGEN_FONT_DIR
#define ARTGEN_FONT_DIR "/usr/share/fonts/truetype/dejavu"
#endif

namespace art {
namespace {

constexpr int kOnEdge = 128;  // SDF byte value on the outline
constexpr float kFineTextPx = 48.0f;  // below this em in pixels, sample the field finer

std::vector<unsigned char> readFile(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) throw std::runtime_error("cannot open font " + path);
    std::vector<unsigned char> data;
    unsigned char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) data.insert(data.end(), buf, buf + n);
    std::fclose(f);
    return data;
}

// One glyph's distance field in units, placed on the text's baseline.
struct FieldGlyph {
    std::vector<unsigned char> grid;
    int w, h;
    float x0, y0;      // top-left of the grid in units
    float ppu;         // grid samples per unit
    float distScale;   // SDF byte steps per grid pixel
    float pad;         // padding in units
};

float sampleField(const FieldGlyph& g, Vec p) {
    float gx = (p.x - g.x0) * g.ppu - 0.5f, gy = (p.y - g.y0) * g.ppu - 0.5f;
    if (gx < 0 || gy < 0 || gx > g.w - 1 || gy > g.h - 1) {
        float dx = std::max({g.x0 - p.x, 0.0f, p.x - (g.x0 + g.w / g.ppu)});
        float dy = std::max({g.y0 - p.y, 0.0f, p.y - (g.y0 + g.h / g.ppu)});
        return std::sqrt(dx * dx + dy * dy) + g.pad;
    }
    int ix = std::min(static_cast<int>(gx), g.w - 2), iy = std::min(static_cast<int>(gy), g.h - 2);
    float fx = gx - ix, fy = gy - iy;
    auto at = [&](int x, int y) { return static_cast<float>(g.grid[static_cast<size_t>(y) * g.w + x]); };
    float top = at(ix, iy) + (at(ix + 1, iy) - at(ix, iy)) * fx;
    float bottom = at(ix, iy + 1) + (at(ix + 1, iy + 1) - at(ix, iy + 1)) * fx;
    float v = top + (bottom - top) * fy;
    return (kOnEdge - v) / g.distScale / g.ppu;
}

}  // namespace

struct Font::Impl {
    std::vector<unsigned char> data;
    stbtt_fontinfo info{};
    float scale(float em) const { return stbtt_ScaleForMappingEmToPixels(&info, em); }
};

Font::Font(const std::string& path) : impl_(new Impl) {
    impl_->data = readFile(path);
    if (!stbtt_InitFont(&impl_->info, impl_->data.data(), stbtt_GetFontOffsetForIndex(impl_->data.data(), 0))) {
        delete impl_;
        throw std::runtime_error("cannot read font " + path);
    }
}

Font::~Font() { delete impl_; }

GlyphBitmap Font::glyph(int codepoint, float em, float shiftX, float shiftY) const {
    GlyphBitmap g;
    float s = impl_->scale(em);
    int x0, y0, x1, y1;
    stbtt_GetCodepointBitmapBoxSubpixel(&impl_->info, codepoint, s, s, shiftX, shiftY, &x0, &y0, &x1, &y1);
    g.w = x1 - x0;
    g.h = y1 - y0;
    g.xoff = x0;
    g.yoff = y0;
    if (g.w <= 0 || g.h <= 0) return GlyphBitmap{};
    std::vector<unsigned char> bytes(static_cast<size_t>(g.w) * g.h);
    stbtt_MakeCodepointBitmapSubpixel(&impl_->info, bytes.data(), g.w, g.h, g.w, s, s, shiftX, shiftY, codepoint);
    g.alpha.resize(bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i) g.alpha[i] = bytes[i] / 255.0f;
    return g;
}

float Font::advance(int codepoint, float em) const {
    int adv, lsb;
    stbtt_GetCodepointHMetrics(&impl_->info, codepoint, &adv, &lsb);
    return adv * impl_->scale(em);
}

float Font::ascent(float em) const {
    int a, d, g;
    stbtt_GetFontVMetrics(&impl_->info, &a, &d, &g);
    return a * impl_->scale(em);
}

float Font::descent(float em) const {
    int a, d, g;
    stbtt_GetFontVMetrics(&impl_->info, &a, &d, &g);
    return -d * impl_->scale(em);
}

float Font::capHeight(float em) const {
    int x0, y0, x1, y1;
    stbtt_GetCodepointBox(&impl_->info, 'H', &x0, &y0, &x1, &y1);
    return y1 * impl_->scale(em);
}

float Font::textWidth(const std::string& text, float em) const {
    float w = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        w += advance(static_cast<unsigned char>(text[i]), em);
        if (i + 1 < text.size())
            w += stbtt_GetCodepointKernAdvance(&impl_->info, static_cast<unsigned char>(text[i]),
                                               static_cast<unsigned char>(text[i + 1])) * impl_->scale(em);
    }
    return w;
}

Shape Font::textShape(const std::string& text, Vec origin, float em, float pixelsPerUnit, float maxGrow) const {
    // Small text is sampled at twice the output resolution so thin strokes keep
    // their shape; large text does well at one sample per pixel, and the field's
    // cost grows with its area.
    float ppu = std::max(pixelsPerUnit, 1.0f);
    if (em * ppu < kFineTextPx) ppu *= 2.0f;
    int padPx = static_cast<int>(std::ceil(maxGrow * ppu)) + 3;
    float distScale = 127.0f / padPx;
    float s = impl_->scale(em * ppu);
    std::vector<Shape> parts;
    float penX = origin.x;
    for (size_t i = 0; i < text.size(); ++i) {
        int cp = static_cast<unsigned char>(text[i]);
        int w = 0, h = 0, xoff = 0, yoff = 0;
        unsigned char* sdf = stbtt_GetCodepointSDF(&impl_->info, s, cp, padPx, kOnEdge, distScale, &w, &h, &xoff, &yoff);
        if (sdf) {
            auto g = std::make_shared<FieldGlyph>();
            g->grid.assign(sdf, sdf + static_cast<size_t>(w) * h);
            stbtt_FreeSDF(sdf, nullptr);
            g->w = w;
            g->h = h;
            g->x0 = penX + xoff / ppu;
            g->y0 = origin.y + yoff / ppu;
            g->ppu = ppu;
            g->distScale = distScale;
            g->pad = padPx / ppu;
            Box box{g->x0 + g->pad, g->y0 + g->pad, g->x0 + (w - padPx) / ppu, g->y0 + (h - padPx) / ppu};
            parts.push_back({[g](Vec p) { return sampleField(*g, p); }, box});
        }
        penX += advance(cp, em);
        if (i + 1 < text.size())
            penX += stbtt_GetCodepointKernAdvance(&impl_->info, cp, static_cast<unsigned char>(text[i + 1])) *
                    impl_->scale(em);
    }
    return uniteAll(parts);
}

std::string fontDirectory() { return ARTGEN_FONT_DIR; }

const Font& font(Face face) {
    static const Font mono(fontDirectory() + "/DejaVuSansMono.ttf");
    static const Font monoBold(fontDirectory() + "/DejaVuSansMono-Bold.ttf");
    static const Font sansBold(fontDirectory() + "/DejaVuSans-Bold.ttf");
    switch (face) {
        case Face::Mono: return mono;
        case Face::MonoBold: return monoBold;
        case Face::SansBold: break;
    }
    return sansBold;
}

}  // namespace art
