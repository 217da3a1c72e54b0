// image.h - what the end-to-end tests read from a window screenshot: pixels and
// colour matches, crops, a mask of text in one colour and its rows, how many
// colours a picture holds, and an edge measure that tells a sharp picture from an
// enlarged one. Screenshots are also written out as PNG artifacts.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace e2e {

struct Rgb {
    int r = 0, g = 0, b = 0;
};

// True when every channel of `a` lies within `tolerance` of `b`.
bool Near(Rgb a, Rgb b, int tolerance);

class Image {
public:
    Image() = default;
    Image(int width, int height);

    int width() const { return width_; }
    int height() const { return height_; }
    bool empty() const { return width_ == 0 || height_ == 0; }

    Rgb At(int x, int y) const;
    void Set(int x, int y, Rgb c);

    Image Crop(int x, int y, int w, int h) const;
    // Bilinear enlargement to `w` x `h`: what stretching a small frame would show.
    Image Scaled(int w, int h) const;

    bool SavePng(const std::string& path) const;

    // Distinct colours (counted up to `limit`).
    int CountColours(int limit) const;
    // Mean squared difference between horizontally and vertically adjacent pixels
    // of the grey picture, over the rectangle given. Stretching a picture spreads
    // each step over more pixels, which keeps the plain sum of the differences but
    // lowers this measure.
    double EdgeEnergy(int x, int y, int w, int h) const;
    // Fraction of pixels that differ by more than `tolerance` in some channel.
    double DifferenceTo(const Image& other, int tolerance) const;

private:
    int width_ = 0, height_ = 0;
    std::vector<std::uint8_t> rgb_;
};

// One bit per pixel of a rectangle: set where the pixel passes a colour test.
struct Mask {
    int width = 0, height = 0;
    std::vector<bool> bits;
    int Count() const;
    // The bands of rows that hold a set bit, as [first, last] pairs.
    std::vector<std::pair<int, int>> RowBands() const;
    // The sub-mask of rows [first, last], trimmed of empty columns on the left.
    Mask Rows(int first, int last) const;
    bool SameShape(const Mask& other) const;
};

// Pixels of `image` inside the rectangle whose colour is close to a text tint:
// `tint` scaled by 0.75 to 1 in every channel (the glyphs' anti-aliased cores).
Mask TextMask(const Image& image, int x, int y, int w, int h, Rgb tint);

}  // namespace e2e
