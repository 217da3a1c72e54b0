// raster.cpp - signed-distance shapes, paints and the coverage loop of the art
// tool's rasteriser. Coverage of a pixel is its centre's distance to the edge,
// in pixels, mapped through a one-pixel ramp: cheap, smooth, and the same on
// every run because nothing depends on time, threads or locale.
#include "raster.h"

#include <algorithm>
#include <cmath>

namespace art {
namespace {

constexpr float kPi = 3.14159265358979f;
constexpr float kFar = 1e6f;  // distance reported far outside every shape
constexpr int kBlock = 8;      // pixels per side of a coverage block

float clamp01(float v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }
float len(Vec v) { return std::sqrt(v.x * v.x + v.y * v.y); }
Vec sub(Vec a, Vec b) { return {a.x - b.x, a.y - b.y}; }
float dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y; }
float rad(float deg) { return deg * kPi / 180.0f; }

Box grownBox(Box b, float by) { return {b.x0 - by, b.y0 - by, b.x1 + by, b.y1 + by}; }
Box unionBox(Box a, Box b) {
    return {std::min(a.x0, b.x0), std::min(a.y0, b.y0), std::max(a.x1, b.x1), std::max(a.y1, b.y1)};
}
Box interBox(Box a, Box b) {
    return {std::max(a.x0, b.x0), std::max(a.y0, b.y0), std::min(a.x1, b.x1), std::min(a.y1, b.y1)};
}

// Distance from p to segment ab.
float segDist(Vec p, Vec a, Vec b) {
    Vec pa = sub(p, a), ba = sub(b, a);
    float l2 = dot(ba, ba);
    float h = l2 > 0 ? clamp01(dot(pa, ba) / l2) : 0.0f;
    return len({pa.x - ba.x * h, pa.y - ba.y * h});
}

Box pointsBox(const std::vector<Vec>& pts) {
    Box b{kFar, kFar, -kFar, -kFar};
    for (const Vec& p : pts) b = unionBox(b, {p.x, p.y, p.x, p.y});
    return b;
}

// Lower bound of the distance from p to anything inside box b.
float boxDistance(Vec p, Box b) {
    float dx = std::max({b.x0 - p.x, 0.0f, p.x - b.x1});
    float dy = std::max({b.y0 - p.y, 0.0f, p.y - b.y1});
    return std::sqrt(dx * dx + dy * dy);
}

}  // namespace

Color hex(unsigned rgb, float alpha) {
    return {((rgb >> 16) & 255) / 255.0f, ((rgb >> 8) & 255) / 255.0f, (rgb & 255) / 255.0f, alpha};
}
Color mix(Color a, Color b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}
Color withAlpha(Color c, float alpha) { return {c.r, c.g, c.b, alpha}; }
Color lighten(Color c, float t) { return mix(c, {1, 1, 1, c.a}, t); }
Color darken(Color c, float t) { return mix(c, {0, 0, 0, c.a}, t); }

Shape circle(Vec c, float r) {
    return {[c, r](Vec p) { return len(sub(p, c)) - r; }, {c.x - r, c.y - r, c.x + r, c.y + r}};
}

Shape ellipse(Vec c, float rx, float ry) {
    // First-order distance estimate: exact on the axes, close enough elsewhere
    // for a one-pixel edge ramp.
    return {[c, rx, ry](Vec p) {
                Vec q = sub(p, c);
                float k0 = len({q.x / rx, q.y / ry});
                float k1 = len({q.x / (rx * rx), q.y / (ry * ry)});
                if (k1 < 1e-6f) return -std::min(rx, ry);
                return k0 * (k0 - 1.0f) / k1;
            },
            {c.x - rx, c.y - ry, c.x + rx, c.y + ry}};
}

Shape rect(float x, float y, float w, float h) { return roundRect(x, y, w, h, 0.0f); }

Shape roundRect(float x, float y, float w, float h, float radius) {
    float r = std::min({radius, w * 0.5f, h * 0.5f});
    Vec c{x + w * 0.5f, y + h * 0.5f};
    float hx = w * 0.5f - r, hy = h * 0.5f - r;
    return {[c, hx, hy, r](Vec p) {
                float qx = std::fabs(p.x - c.x) - hx, qy = std::fabs(p.y - c.y) - hy;
                float outside = len({std::max(qx, 0.0f), std::max(qy, 0.0f)});
                return outside + std::min(std::max(qx, qy), 0.0f) - r;
            },
            {x, y, x + w, y + h}};
}

Shape capsule(Vec a, Vec b, float width) {
    float h = width * 0.5f;
    return {[a, b, h](Vec p) { return segDist(p, a, b) - h; },
            grownBox(pointsBox({a, b}), h)};
}

Shape polyline(const std::vector<Vec>& pts, float width) {
    float h = width * 0.5f;
    return {[pts, h](Vec p) {
                float d = kFar;
                for (size_t i = 0; i + 1 < pts.size(); ++i) d = std::min(d, segDist(p, pts[i], pts[i + 1]));
                return d - h;
            },
            grownBox(pointsBox(pts), h)};
}

Shape polygon(const std::vector<Vec>& pts) {
    // Distance to the nearest edge, negative where the crossing count is odd.
    return {[pts](Vec p) {
                float d = kFar;
                bool inside = false;
                size_t n = pts.size();
                for (size_t i = 0, j = n - 1; i < n; j = i++) {
                    const Vec& a = pts[i];
                    const Vec& b = pts[j];
                    d = std::min(d, segDist(p, a, b));
                    if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x)
                        inside = !inside;
                }
                return inside ? -d : d;
            },
            pointsBox(pts)};
}

Shape regular(Vec c, int sides, float r, float rotDeg) {
    std::vector<Vec> pts;
    for (int i = 0; i < sides; ++i) {
        float a = rad(rotDeg - 90.0f + 360.0f * i / sides);
        pts.push_back({c.x + r * std::cos(a), c.y + r * std::sin(a)});
    }
    return polygon(pts);
}

Shape star(Vec c, int points, float rOuter, float rInner, float rotDeg) {
    std::vector<Vec> pts;
    for (int i = 0; i < points * 2; ++i) {
        float a = rad(rotDeg - 90.0f + 180.0f * i / points);
        float r = (i % 2) ? rInner : rOuter;
        pts.push_back({c.x + r * std::cos(a), c.y + r * std::sin(a)});
    }
    return polygon(pts);
}

Shape ring(Vec c, float r, float width) {
    float h = width * 0.5f;
    return {[c, r, h](Vec p) { return std::fabs(len(sub(p, c)) - r) - h; },
            {c.x - r - h, c.y - r - h, c.x + r + h, c.y + r + h}};
}

Shape arc(Vec c, float r, float fromDeg, float toDeg, float width) {
    float h = width * 0.5f;
    float a0 = rad(fromDeg), sweep = rad(toDeg - fromDeg);
    Vec e0{c.x + r * std::cos(a0), c.y + r * std::sin(a0)};
    Vec e1{c.x + r * std::cos(a0 + sweep), c.y + r * std::sin(a0 + sweep)};
    return {[c, r, h, a0, sweep, e0, e1](Vec p) {
                Vec q = sub(p, c);
                float a = std::atan2(q.y, q.x) - a0;
                while (a < 0) a += 2 * kPi;
                while (a >= 2 * kPi) a -= 2 * kPi;
                float d = (a <= sweep) ? std::fabs(len(q) - r) : std::min(len(sub(p, e0)), len(sub(p, e1)));
                return d - h;
            },
            {c.x - r - h, c.y - r - h, c.x + r + h, c.y + r + h}};
}

Shape unite(const Shape& a, const Shape& b) {
    return {[a, b](Vec p) { return std::min(a.sd(p), b.sd(p)); }, unionBox(a.box, b.box)};
}

Shape uniteAll(const std::vector<Shape>& parts) {
    if (parts.empty()) return {[](Vec) { return kFar; }, {0, 0, 0, 0}};
    Box b = parts[0].box;
    for (const Shape& s : parts) b = unionBox(b, s.box);
    // Parts whose bounds lie farther than the best distance so far cannot win.
    return {[parts](Vec p) {
                float d = kFar;
                for (const Shape& s : parts)
                    if (boxDistance(p, s.box) < d + 1.0f) d = std::min(d, s.sd(p));
                return d;
            },
            b};
}

Shape intersect(const Shape& a, const Shape& b) {
    return {[a, b](Vec p) { return std::max(a.sd(p), b.sd(p)); }, interBox(a.box, b.box)};
}

Shape subtract(const Shape& a, const Shape& b) {
    return {[a, b](Vec p) { return std::max(a.sd(p), -b.sd(p)); }, a.box};
}

Shape grow(const Shape& a, float by) {
    return {[a, by](Vec p) { return a.sd(p) - by; }, grownBox(a.box, std::max(by, 0.0f))};
}

Shape outline(const Shape& a, float width) {
    float h = width * 0.5f;
    return {[a, h](Vec p) { return std::fabs(a.sd(p)) - h; }, grownBox(a.box, h)};
}

Shape moved(const Shape& a, float dx, float dy) {
    return {[a, dx, dy](Vec p) { return a.sd({p.x - dx, p.y - dy}); },
            {a.box.x0 + dx, a.box.y0 + dy, a.box.x1 + dx, a.box.y1 + dy}};
}

Shape rotated(const Shape& a, Vec c, float deg) {
    float cs = std::cos(rad(deg)), sn = std::sin(rad(deg));
    // The rotated bounds are the bounds of the rotated corners.
    std::vector<Vec> corners = {{a.box.x0, a.box.y0}, {a.box.x1, a.box.y0}, {a.box.x1, a.box.y1}, {a.box.x0, a.box.y1}};
    for (Vec& v : corners) {
        Vec q = sub(v, c);
        v = {c.x + q.x * cs - q.y * sn, c.y + q.x * sn + q.y * cs};
    }
    return {[a, c, cs, sn](Vec p) {
                Vec q = sub(p, c);
                return a.sd({c.x + q.x * cs + q.y * sn, c.y - q.x * sn + q.y * cs});
            },
            pointsBox(corners)};
}

Shape scaled(const Shape& a, Vec c, float sx, float sy) {
    float k = std::min(std::fabs(sx), std::fabs(sy));
    float xa = c.x + (a.box.x0 - c.x) * sx, xb = c.x + (a.box.x1 - c.x) * sx;
    float ya = c.y + (a.box.y0 - c.y) * sy, yb = c.y + (a.box.y1 - c.y) * sy;
    return {[a, c, sx, sy, k](Vec p) { return a.sd({c.x + (p.x - c.x) / sx, c.y + (p.y - c.y) / sy}) * k; },
            {std::min(xa, xb), std::min(ya, yb), std::max(xa, xb), std::max(ya, yb)}};
}

Paint solid(Color c) {
    return {[c](Vec) { return c; }};
}

Paint linear(Vec p0, Vec p1, Color c0, Color c1) { return linearStops(p0, p1, {{0.0f, c0}, {1.0f, c1}}); }

Paint radial(Vec c, float r, Color inner, Color outer) {
    return {[c, r, inner, outer](Vec p) { return mix(inner, outer, clamp01(len(sub(p, c)) / r)); }};
}

Paint linearStops(Vec p0, Vec p1, const std::vector<std::pair<float, Color>>& stops) {
    Vec d = sub(p1, p0);
    float l2 = std::max(dot(d, d), 1e-6f);
    return {[p0, d, l2, stops](Vec p) {
        float t = clamp01(dot(sub(p, p0), d) / l2);
        if (t <= stops.front().first) return stops.front().second;
        for (size_t i = 1; i < stops.size(); ++i) {
            if (t <= stops[i].first) {
                float span = stops[i].first - stops[i - 1].first;
                return mix(stops[i - 1].second, stops[i].second, span > 0 ? (t - stops[i - 1].first) / span : 1.0f);
            }
        }
        return stops.back().second;
    }};
}

Canvas::Canvas(int w, int h) : w_(w), h_(h), px_(static_cast<size_t>(w) * h * 4, 0.0f) {}

void Canvas::blend(int x, int y, Color c, float coverage) {
    float a = clamp01(c.a) * clamp01(coverage);
    if (a <= 0) return;
    float* p = &px_[(static_cast<size_t>(y) * w_ + x) * 4];
    float keep = 1.0f - a;
    p[0] = c.r * a + p[0] * keep;
    p[1] = c.g * a + p[1] * keep;
    p[2] = c.b * a + p[2] * keep;
    p[3] = a + p[3] * keep;
}

void Canvas::erase(int x, int y, float amount) {
    float keep = 1.0f - clamp01(amount);
    float* p = &px_[(static_cast<size_t>(y) * w_ + x) * 4];
    for (int i = 0; i < 4; ++i) p[i] *= keep;
}

std::vector<unsigned char> Canvas::toRGBA8() const {
    std::vector<unsigned char> out(static_cast<size_t>(w_) * h_ * 4, 0);
    for (size_t i = 0; i < out.size(); i += 4) {
        float a = px_[i + 3];
        int a8 = static_cast<int>(clamp01(a) * 255.0f + 0.5f);
        if (a8 == 0) continue;  // fully transparent pixels carry no colour
        for (int k = 0; k < 3; ++k)
            out[i + k] = static_cast<unsigned char>(clamp01(px_[i + k] / a) * 255.0f + 0.5f);
        out[i + 3] = static_cast<unsigned char>(a8);
    }
    return out;
}

void Canvas::drawCanvas(const Canvas& src, int dx, int dy) {
    for (int y = 0; y < src.h_; ++y) {
        int ty = y + dy;
        if (ty < 0 || ty >= h_) continue;
        for (int x = 0; x < src.w_; ++x) {
            int tx = x + dx;
            if (tx < 0 || tx >= w_) continue;
            const float* s = src.pixel(x, y);
            if (s[3] <= 0) continue;
            float* p = &px_[(static_cast<size_t>(ty) * w_ + tx) * 4];
            float keep = 1.0f - s[3];
            for (int k = 0; k < 4; ++k) p[k] = s[k] + p[k] * keep;
        }
    }
}

Pen::Pen(Canvas& canvas, int ox, int oy, int clipW, int clipH, float scale)
    : Pen(canvas, static_cast<float>(ox), static_cast<float>(oy), ox, oy, ox + clipW, oy + clipH, scale) {}

Pen::Pen(Canvas& canvas, float ox, float oy, int cx0, int cy0, int cx1, int cy1, float scale)
    : canvas_(canvas), ox_(ox), oy_(oy), scale_(scale) {
    cx0_ = std::max(cx0, 0);
    cy0_ = std::max(cy0, 0);
    cx1_ = std::min(cx1, canvas.width());
    cy1_ = std::min(cy1, canvas.height());
}

Pen Pen::sub(float x, float y, float k) const {
    return Pen(canvas_, ox_ + x * scale_, oy_ + y * scale_, cx0_, cy0_, cx1_, cy1_, scale_ * k);
}

Pen Pen::clipped(float x, float y, float w, float h) const {
    int x0 = static_cast<int>(std::lround(ox_ + x * scale_)), y0 = static_cast<int>(std::lround(oy_ + y * scale_));
    int x1 = static_cast<int>(std::lround(ox_ + (x + w) * scale_)), y1 = static_cast<int>(std::lround(oy_ + (y + h) * scale_));
    return Pen(canvas_, ox_, oy_, std::max(cx0_, x0), std::max(cy0_, y0), std::min(cx1_, x1), std::min(cy1_, y1), scale_);
}

template <class F> void Pen::cover(const Shape& s, float feather, F&& apply) {
    float rampPx = std::max(1.0f, feather * scale_);
    Box b = grownBox(s.box, rampPx / scale_);
    int x0 = std::max(cx0_, static_cast<int>(std::floor(ox_ + b.x0 * scale_)));
    int y0 = std::max(cy0_, static_cast<int>(std::floor(oy_ + b.y0 * scale_)));
    int x1 = std::min(cx1_, static_cast<int>(std::ceil(ox_ + b.x1 * scale_)) + 1);
    int y1 = std::min(cy1_, static_cast<int>(std::ceil(oy_ + b.y1 * scale_)) + 1);
    // Distances change no faster than position, so one sample at a block's centre
    // settles the whole block when the edge is far enough away; the margin is
    // widened by half again for the estimated (not exact) distances.
    const float reach = kBlock * 0.7071f * 1.5f;
    for (int by = y0; by < y1; by += kBlock) {
        for (int bx = x0; bx < x1; bx += kBlock) {
            int ex = std::min(bx + kBlock, x1), ey = std::min(by + kBlock, y1);
            Vec mid{(bx + kBlock * 0.5f - ox_) / scale_, (by + kBlock * 0.5f - oy_) / scale_};
            float d = s.sd(mid) * scale_;
            if (d - reach > rampPx * 0.5f) continue;
            bool solid = d + reach < -rampPx * 0.5f;
            for (int y = by; y < ey; ++y) {
                for (int x = bx; x < ex; ++x) {
                    Vec u{(x + 0.5f - ox_) / scale_, (y + 0.5f - oy_) / scale_};
                    float cov = solid ? 1.0f : clamp01(0.5f - s.sd(u) * scale_ / rampPx);
                    if (cov > 0) apply(x, y, u, cov);
                }
            }
        }
    }
}

void Pen::fill(const Shape& s, const Paint& p, float feather) {
    cover(s, feather, [&](int x, int y, Vec u, float cov) { canvas_.blend(x, y, p.at(u), cov); });
}

void Pen::cut(const Shape& s, float feather) {
    cover(s, feather, [&](int x, int y, Vec, float cov) { canvas_.erase(x, y, cov); });
}

void Pen::mask(const std::vector<float>& alpha, int w, int h, int px, int py, Color c) {
    int bx = static_cast<int>(std::floor(ox_)) + px, by = static_cast<int>(std::floor(oy_)) + py;
    for (int y = 0; y < h; ++y) {
        int ty = by + y;
        if (ty < cy0_ || ty >= cy1_) continue;
        for (int x = 0; x < w; ++x) {
            int tx = bx + x;
            if (tx < cx0_ || tx >= cx1_) continue;
            canvas_.blend(tx, ty, c, alpha[static_cast<size_t>(y) * w + x]);
        }
    }
}

}  // namespace art
