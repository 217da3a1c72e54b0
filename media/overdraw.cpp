// overdraw.cpp - rasteriser work the window never shows. Called by the graphics
// device's Flush (media/graphics_device.cpp) before a batch of quads goes to
// OpenGL. On a software rasteriser a frame's cost is its pixels, blended ones
// above all, and at 1920x1080 most of them were work nobody saw:
//   - covered quads: every untextured quad is cut back to what the batch's later
//     opaque rectangles leave visible (layers of faint shading under a solid
//     frame, a background cleared and then covered);
//   - window fills: an opaque quad over the whole window becomes a clear;
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
constexpr float kByteMax = 255.0f;

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
void MakePoint(gxtkVertex* v) {
    v[1].x = v[2].x = v[3].x = v[0].x;
    v[1].y = v[2].y = v[3].y = v[0].y;
}

// A quad trimmed to nothing (or filling the window, see PrepareQuadBatch).
int Hidden(const gxtkVertex* v) {
    return v[1].x == v[0].x && v[2].x == v[0].x && v[1].y == v[0].y && v[3].y == v[0].y ? 1 : 0;
}

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
            MakePoint(v);
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

// Returns how many quads are left to draw; `fill` gets the last quad that paints
// the whole window in one opaque colour, or -1.
int gxtkGraphics::TrimCoveredQuads(int* fill) {
    const Box window{0, 0, static_cast<float>(width), static_cast<float>(height)};
    Box covers[kMaxCovers];
    int count = 0;
    int hidden = 0;
    *fill = -1;
    for (int k = batchCount - 1; k >= 0; --k) {
        gxtkVertex* v = &vertexData[k * 4];
        if (!AxisAligned(v)) continue;
        // The quad's own extent covers what lies beneath it, however much of it
        // a later cover has already taken.
        const Box extent = Extent(v);
        if (count > 0) TrimQuad(v, window, covers, count);
        if ((v[0].color >> 24) != 0xff) {
            hidden += Hidden(v);
            continue;
        }
        if (*fill < 0 && extent.x0 <= window.x0 && extent.y0 <= window.y0 && extent.x1 >= window.x1 &&
            extent.y1 >= window.y1) {
            *fill = k;
            MakePoint(v);
        }
        hidden += Hidden(v);
        if (count < kMaxCovers) covers[count++] = extent;
    }
    return batchCount - hidden;
}

// A window filled with one opaque colour is a clear, and OpenGL clears without
// drawing: no pixel is blended and no pipeline has to be built for it (a frame
// that only clears, like the first, draws nothing at all). The colour is the
// quad's own bytes, so the pixels are the ones the quad would have written.
bool gxtkGraphics::PrepareQuadBatch(bool submit) {
    if (!batchSurface && !additiveBlend) {
        int fill = -1;
        const int left = TrimCoveredQuads(&fill);
        if (fill >= 0 && submit) {
            const uint32_t c = vertexData[fill * 4].color;
            glClearColor((c & 0xff) / kByteMax, ((c >> 8) & 0xff) / kByteMax, ((c >> 16) & 0xff) / kByteMax, 1);
            glClear(GL_COLOR_BUFFER_BIT);
        }
        if (left == 0) return false;
    }
    if (submit) UseBlending(!QuadBatchIsOpaque());
    return true;
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
