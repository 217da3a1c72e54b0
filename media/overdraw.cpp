// overdraw.cpp - rasteriser work the window never shows. Called by the graphics
// device's Flush (media/graphics_device.cpp) before a batch of quads goes to
// OpenGL. On a software rasteriser a frame's cost is its pixels, blended ones
// above all, and at 1920x1080 most of them were work nobody saw:
//   - covered quads: every untextured quad is cut back to what the batch's later
//     opaque rectangles leave visible (layers of faint shading under a solid
//     frame, a background cleared and then covered);
//   - opaque batches: quads that are all opaque (alpha 1, and an image whose
//     every pixel is opaque) are drawn with blending off, which lets the
//     rasteriser copy texels instead of reading back every pixel beneath.
//
// Why the pixels stay the same: under the usual blend (one, one minus source
// alpha) a source with alpha 1 comes out as itself whatever lay beneath, so an
// opaque quad needs no blending and nothing earlier shows through it. A quad is
// only trimmed along an edge of such a later rectangle that spans it from side
// to side, and the new edge is that rectangle's own coordinate, so the
// rasteriser's fill rule hands each pixel on the seam to exactly one of the two;
// an edge beyond the window is brought back to the window's edge, which has no
// pixels past it. A quad covered whole becomes a point, which rasterises
// nothing; the vertex and index counts do not change. Neither applies while
// colours add (SetBlend(1)), where every quad's colour counts.
#include "media/graphics_device.h"

#include <GL/gl.h>

namespace {

// A batch keeps the last few opaque rectangles it has seen, walking back from
// its end; in the frames this is for, the covering rectangles are a handful.
constexpr int kMaxCovers = 8;

struct Box {
    float x0, y0, x1, y1;  // left, top, right, bottom
};

// Quads are written top-left, top-right, bottom-right, bottom-left; one placed
// by an unrotated matrix keeps that shape, with its sides along the axes.
bool AxisAligned(const gxtkVertex* v) {
    return v[0].y == v[1].y && v[1].x == v[2].x && v[2].y == v[3].y && v[3].x == v[0].x;
}

// The pixels a rectangle covers do not depend on the order of its corners.
Box Extent(const gxtkVertex* v) {
    return {v[0].x < v[2].x ? v[0].x : v[2].x, v[0].y < v[2].y ? v[0].y : v[2].y,
            v[0].x < v[2].x ? v[2].x : v[0].x, v[0].y < v[2].y ? v[2].y : v[0].y};
}

// Trims `q` against one cover; true when something changed.
bool Trim(Box& q, const Box& cover) {
    bool changed = false;
    if (cover.y0 <= q.y0 && cover.y1 >= q.y1) {  // the cover spans q's height
        if (cover.x0 <= q.x0 && cover.x1 > q.x0) q.x0 = cover.x1, changed = true;
        if (cover.x1 >= q.x1 && cover.x0 < q.x1) q.x1 = cover.x0, changed = true;
    }
    if (cover.x0 <= q.x0 && cover.x1 >= q.x1) {  // the cover spans q's width
        if (cover.y0 <= q.y0 && cover.y1 > q.y0) q.y0 = cover.y1, changed = true;
        if (cover.y1 >= q.y1 && cover.y0 < q.y1) q.y1 = cover.y0, changed = true;
    }
    return changed;
}

// Cuts the quad back to what the covers leave of it. Only quads written in the
// usual corner order are trimmed (a mirrored one stays whole: its edges would
// move to other vertices).
void TrimQuad(gxtkVertex* v, const Box& window, const Box* covers, int count) {
    if (!(v[0].x < v[1].x && v[0].y < v[3].y)) return;
    Box q{v[0].x, v[0].y, v[2].x, v[2].y};
    // Past the window's edges there are no pixels to cover: a background drawn
    // from (-1, -1) is still covered by one drawn from (0, 0) later.
    if (q.x0 < window.x0) q.x0 = window.x0;
    if (q.y0 < window.y0) q.y0 = window.y0;
    if (q.x1 > window.x1) q.x1 = window.x1;
    if (q.y1 > window.y1) q.y1 = window.y1;
    // One cover's trim can make another span what is left, so go round again
    // while something changes; every round shrinks the box, and a few suffice.
    for (int round = 0; round < 3; ++round) {
        bool changed = false;
        for (int i = 0; i < count; ++i) changed |= Trim(q, covers[i]);
        if (!(q.x0 < q.x1 && q.y0 < q.y1)) {
            v[1].x = v[2].x = v[3].x = v[0].x;
            v[1].y = v[2].y = v[3].y = v[0].y;
            return;
        }
        if (!changed) break;
    }
    v[0].x = v[3].x = q.x0;
    v[1].x = v[2].x = q.x1;
    v[0].y = v[1].y = q.y0;
    v[2].y = v[3].y = q.y1;
}

}  // namespace

void gxtkGraphics::TrimCoveredQuads() {
    const Box window{0, 0, static_cast<float>(width), static_cast<float>(height)};
    Box covers[kMaxCovers];
    int count = 0;
    for (int k = batchCount - 1; k >= 0; --k) {
        gxtkVertex* v = &vertexData[k * 4];
        if (!AxisAligned(v)) continue;
        // The quad's own extent covers what lies beneath it, however much of it
        // a later cover has already taken.
        const Box extent = Extent(v);
        if (count > 0) TrimQuad(v, window, covers, count);
        if ((v[0].color >> 24) == 0xff && count < kMaxCovers) covers[count++] = extent;
    }
}

bool gxtkGraphics::QuadBatchIsOpaque() const {
    if (additiveBlend || (batchSurface && !batchSurface->opaque)) return false;
    for (int k = 0; k < batchCount; ++k) {
        if ((vertexData[k * 4].color >> 24) != 0xff) return false;
    }
    return true;
}

// Like texturing, blending is switched only when a batch needs the other state.
void gxtkGraphics::UseBlending(bool on) {
    if (on == blending) return;
    if (on) {
        glEnable(GL_BLEND);
    } else {
        glDisable(GL_BLEND);
    }
    blending = on;
}
