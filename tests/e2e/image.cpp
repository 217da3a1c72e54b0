// image.cpp - screenshot pixels for the end-to-end tests: colour tests, crops,
// enlargement, PNG output through stb, text masks and picture measures.
#include "tests/e2e/image.h"

#include <stb/stb_image_write.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <set>

namespace e2e {
namespace {

// A glyph core keeps its tint within this much per channel; anti-aliased rims and
// the dim score panel behind them fall outside.
constexpr int kTextTolerance = 48;
// Masks of the same text may differ in a few rim pixels where the picture behind
// the panel shows through differently.
constexpr double kShapeSlack = 0.06;

int Grey(Rgb c) { return (c.r * 30 + c.g * 59 + c.b * 11) / 100; }

}  // namespace

bool Near(Rgb a, Rgb b, int tolerance) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.b - b.b) <= tolerance;
}

Image::Image(int width, int height)
    : width_(width), height_(height), rgb_(static_cast<std::size_t>(width) * height * 3, 0) {}

Rgb Image::At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return {-1, -1, -1};
    const std::uint8_t* p = &rgb_[(static_cast<std::size_t>(y) * width_ + x) * 3];
    return {p[0], p[1], p[2]};
}

void Image::Set(int x, int y, Rgb c) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    std::uint8_t* p = &rgb_[(static_cast<std::size_t>(y) * width_ + x) * 3];
    p[0] = static_cast<std::uint8_t>(c.r);
    p[1] = static_cast<std::uint8_t>(c.g);
    p[2] = static_cast<std::uint8_t>(c.b);
}

Image Image::Crop(int x, int y, int w, int h) const {
    Image out(w, h);
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) {
            Rgb c = At(x + i, y + j);
            out.Set(i, j, c.r < 0 ? Rgb{} : c);
        }
    return out;
}

Image Image::Scaled(int w, int h) const {
    Image out(w, h);
    if (empty()) return out;
    for (int j = 0; j < h; ++j) {
        double sy = std::max(0.0, (j + 0.5) * height_ / h - 0.5);
        int y0 = std::min(static_cast<int>(sy), height_ - 1), y1 = std::min(y0 + 1, height_ - 1);
        double fy = sy - y0;
        for (int i = 0; i < w; ++i) {
            double sx = std::max(0.0, (i + 0.5) * width_ / w - 0.5);
            int x0 = std::min(static_cast<int>(sx), width_ - 1), x1 = std::min(x0 + 1, width_ - 1);
            double fx = sx - x0;
            Rgb a = At(x0, y0), b = At(x1, y0), c = At(x0, y1), d = At(x1, y1);
            auto mix = [&](int pa, int pb, int pc, int pd) {
                double top = pa + (pb - pa) * fx, bottom = pc + (pd - pc) * fx;
                return static_cast<int>(std::lround(top + (bottom - top) * fy));
            };
            out.Set(i, j, {mix(a.r, b.r, c.r, d.r), mix(a.g, b.g, c.g, d.g), mix(a.b, b.b, c.b, d.b)});
        }
    }
    return out;
}

bool Image::SavePng(const std::string& path) const {
    if (empty()) return false;
    return stbi_write_png(path.c_str(), width_, height_, 3, rgb_.data(), width_ * 3) != 0;
}

int Image::CountColours(int limit) const {
    std::set<int> seen;
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x) {
            Rgb c = At(x, y);
            seen.insert((c.r << 16) | (c.g << 8) | c.b);
            if (static_cast<int>(seen.size()) >= limit) return limit;
        }
    return static_cast<int>(seen.size());
}

double Image::EdgeEnergy(int x, int y, int w, int h) const {
    double sum = 0;
    long count = 0;
    for (int j = y; j < y + h - 1; ++j)
        for (int i = x; i < x + w - 1; ++i) {
            int g = Grey(At(i, j));
            int dx = g - Grey(At(i + 1, j)), dy = g - Grey(At(i, j + 1));
            sum += dx * dx + dy * dy;
            count += 2;
        }
    return count ? sum / count : 0;
}

double Image::DifferenceTo(const Image& other, int tolerance) const {
    if (other.width_ != width_ || other.height_ != height_ || empty()) return 1.0;
    long differing = 0;
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x)
            if (!Near(At(x, y), other.At(x, y), tolerance)) ++differing;
    return static_cast<double>(differing) / (static_cast<double>(width_) * height_);
}

int Mask::Count() const { return static_cast<int>(std::count(bits.begin(), bits.end(), true)); }

std::vector<std::pair<int, int>> Mask::RowBands() const {
    std::vector<std::pair<int, int>> bands;
    int start = -1;
    for (int y = 0; y <= height; ++y) {
        bool any = false;
        for (int x = 0; y < height && x < width && !any; ++x) any = bits[static_cast<std::size_t>(y) * width + x];
        if (any && start < 0) start = y;
        if (!any && start >= 0) {
            bands.emplace_back(start, y - 1);
            start = -1;
        }
    }
    return bands;
}

Mask Mask::Rows(int first, int last) const {
    Mask out;
    first = std::max(first, 0);
    last = std::min(last, height - 1);
    if (last < first) return out;
    int left = width;
    for (int y = first; y <= last; ++y)
        for (int x = 0; x < width; ++x)
            if (bits[static_cast<std::size_t>(y) * width + x]) left = std::min(left, x);
    if (left == width) left = 0;
    out.width = width - left;
    out.height = last - first + 1;
    out.bits.assign(static_cast<std::size_t>(out.width) * out.height, false);
    for (int y = first; y <= last; ++y)
        for (int x = left; x < width; ++x)
            out.bits[static_cast<std::size_t>(y - first) * out.width + (x - left)] =
                bits[static_cast<std::size_t>(y) * width + x];
    return out;
}

bool Mask::SameShape(const Mask& other) const {
    int total = std::max(Count(), other.Count());
    if (total == 0) return true;
    int h = std::max(height, other.height), w = std::max(width, other.width);
    int differing = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            bool a = y < height && x < width && bits[static_cast<std::size_t>(y) * width + x];
            bool b = y < other.height && x < other.width && other.bits[static_cast<std::size_t>(y) * other.width + x];
            if (a != b) ++differing;
        }
    return differing <= std::max(2, static_cast<int>(total * kShapeSlack));
}

Mask TextMask(const Image& image, int x, int y, int w, int h, Rgb tint) {
    Mask m;
    m.width = w;
    m.height = h;
    m.bits.assign(static_cast<std::size_t>(w) * h, false);
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i)
            m.bits[static_cast<std::size_t>(j) * w + i] = Near(image.At(x + i, y + j), tint, kTextTolerance);
    return m;
}

}  // namespace e2e
