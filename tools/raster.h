// raster.h - the art tool's small anti-aliased rasteriser. Shapes are signed
// distance functions in drawing units; a Pen maps units to the pixels of one
// cell of a Canvas (offset and tier scale), so every sheet is drawn at its own
// resolution from the same description. Used by every sheet painter and by the
// contact-sheet writer.
#pragma once

#include <functional>
#include <vector>

namespace art {

struct Vec {
    float x = 0, y = 0;
};

// Straight (not premultiplied) colour, every channel 0..1.
struct Color {
    float r = 0, g = 0, b = 0, a = 0;
};

Color hex(unsigned rgb, float alpha = 1.0f);
Color mix(Color a, Color b, float t);
Color withAlpha(Color c, float alpha);
Color lighten(Color c, float t);  // towards white
Color darken(Color c, float t);   // towards black

// Axis-aligned bounds in drawing units.
struct Box {
    float x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    bool empty() const { return x1 <= x0 || y1 <= y0; }
};

// A region: signed distance in units (negative inside) plus bounds that hold
// every point whose distance is below zero.
struct Shape {
    std::function<float(Vec)> sd;
    Box box;
};

Shape circle(Vec c, float r);
Shape ellipse(Vec c, float rx, float ry);
Shape rect(float x, float y, float w, float h);
Shape roundRect(float x, float y, float w, float h, float radius);
Shape capsule(Vec a, Vec b, float width);
Shape polyline(const std::vector<Vec>& pts, float width);
Shape polygon(const std::vector<Vec>& pts);
Shape regular(Vec c, int sides, float r, float rotDeg);
Shape star(Vec c, int points, float rOuter, float rInner, float rotDeg);
Shape ring(Vec c, float r, float width);
Shape arc(Vec c, float r, float fromDeg, float toDeg, float width);

Shape unite(const Shape& a, const Shape& b);
Shape uniteAll(const std::vector<Shape>& parts);
Shape intersect(const Shape& a, const Shape& b);
Shape subtract(const Shape& a, const Shape& b);
Shape grow(const Shape& a, float by);  // negative shrinks
Shape outline(const Shape& a, float width);
Shape moved(const Shape& a, float dx, float dy);
Shape rotated(const Shape& a, Vec centre, float deg);
Shape scaled(const Shape& a, Vec centre, float sx, float sy);  // sx may be negative (mirror)

// Colour as a function of position (units).
struct Paint {
    std::function<Color(Vec)> at;
};

Paint solid(Color c);
Paint linear(Vec p0, Vec p1, Color c0, Color c1);
Paint radial(Vec c, float r, Color inner, Color outer);
Paint linearStops(Vec p0, Vec p1, const std::vector<std::pair<float, Color>>& stops);

// Premultiplied float RGBA pixels.
class Canvas {
public:
    Canvas(int w, int h);
    int width() const { return w_; }
    int height() const { return h_; }
    // Composites colour c with the given coverage over pixel (x, y).
    void blend(int x, int y, Color c, float coverage);
    void erase(int x, int y, float amount);
    const float* pixel(int x, int y) const { return &px_[(static_cast<size_t>(y) * w_ + x) * 4]; }
    // Straight-alpha 8-bit RGBA rows, transparent pixels all zero.
    std::vector<unsigned char> toRGBA8() const;
    // Copies another canvas over this one (plain "over" compositing).
    void drawCanvas(const Canvas& src, int dx, int dy);

private:
    int w_, h_;
    std::vector<float> px_;
};

// Draws into a clip rectangle of a canvas with units scaled by `scale`; unit
// (0, 0) sits at canvas pixel (ox, oy). Nothing is drawn outside the clip, so one
// sheet cell never bleeds into its neighbour.
class Pen {
public:
    Pen(Canvas& canvas, int ox, int oy, int clipW, int clipH, float scale);
    float scale() const { return scale_; }
    Canvas& canvas() { return canvas_; }
    // A pen for a sub-drawing: its unit (0, 0) lands on (x, y) of this pen and one
    // of its units spans k of ours; same clip. Lets a motif designed in its own
    // box be placed anywhere at any size.
    Pen sub(float x, float y, float k) const;
    // The same pen with its clip narrowed to the box (x, y, w, h) in its units.
    Pen clipped(float x, float y, float w, float h) const;

    // feather widens the anti-aliased edge to that many units (soft shadows, glows).
    void fill(const Shape& s, const Paint& p, float feather = 0.0f);
    void fill(const Shape& s, Color c, float feather = 0.0f) { fill(s, solid(c), feather); }
    // Removes coverage (punches transparent holes).
    void cut(const Shape& s, float feather = 0.0f);
    // Alpha mask in canvas pixels, its top-left at pixel (px, py) from the pen's origin.
    void mask(const std::vector<float>& alpha, int w, int h, int px, int py, Color c);

private:
    Pen(Canvas& canvas, float ox, float oy, int cx0, int cy0, int cx1, int cy1, float scale);
    template <class F> void cover(const Shape& s, float feather, F&& apply);

    Canvas& canvas_;
    float ox_, oy_;
    int cx0_, cy0_, cx1_, cy1_;  // clip, canvas pixels, end exclusive
    float scale_;
};

}  // namespace art
