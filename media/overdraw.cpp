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
// only trimmed to an edge of such a later rectangle, one that spans what is left
// from side to side, and the new edge is that rectangle's own coordinate, so the
// rasteriser's fill rule hands each pixel on the seam to exactly one of the two;
// an edge beyond the window is brought back to the window's edge, which has no
// pixels past it. A quad covered whole becomes a point, which rasterises
// nothing; the vertex and index counts do not change. Neither applies while
// colours add (SetBlend(1)), where every quad's colour counts.
#include "media/graphics_device.h"

#include <GL/gl.h>

#include <algorithm>

namespace {

constexpr float kByteMax = 255.0f;

struct Box {
    float x0, y0, x1, y1;  // left, top, right, bottom
};

// The pixels a rectangle covers do not depend on the order of its corners.
Box Extent(const gxtkVertex* v) {
    return {v[0].x < v[2].x ? v[0].x : v[2].x, v[0].y < v[2].y ? v[0].y : v[2].y,
            v[0].x < v[2].x ? v[2].x : v[0].x, v[0].y < v[2].y ? v[2].y : v[0].y};
}

// What one cover did to a box.
enum class Cut { kNone, kTrimmed, kGone, kPartly };

// Trims `q` against one cover that spans it at an edge. kPartly: the cover
// overlaps q without spanning it (a corner, or a band through its middle), and q
// stays as it is.
Cut Trim(Box& q, const Box& c) {
    if (c.x1 <= q.x0 || c.x0 >= q.x1 || c.y1 <= q.y0 || c.y0 >= q.y1) return Cut::kNone;
    const bool tall = c.y0 <= q.y0 && c.y1 >= q.y1;  // spans q's height
    const bool wide = c.x0 <= q.x0 && c.x1 >= q.x1;  // spans q's width
    if (tall && wide) return Cut::kGone;
    if (tall && c.x0 <= q.x0) {
        q.x0 = c.x1;
    } else if (tall && c.x1 >= q.x1) {
        q.x1 = c.x0;
    } else if (wide && c.y0 <= q.y0) {
        q.y0 = c.y1;
    } else if (wide && c.y1 >= q.y1) {
        q.y1 = c.y0;
    } else {
        return Cut::kPartly;
    }
    return Cut::kTrimmed;
}

void MakePoint(gxtkVertex* v) {
    v[1].x = v[2].x = v[3].x = v[0].x;
    v[1].y = v[2].y = v[3].y = v[0].y;
}

bool IsPoint(const gxtkVertex* v) {
    return v[1].x == v[0].x && v[2].x == v[0].x && v[1].y == v[0].y && v[3].y == v[0].y;
}

// Writes a trimmed box back into the quad; 1 when nothing of it is left.
inline int PutBox(gxtkVertex* v, const Box& q) {
    if (!(q.x0 < q.x1 && q.y0 < q.y1)) {
        MakePoint(v);
        return 1;
    }
    v[0].x = v[3].x = q.x0;
    v[1].x = v[2].x = q.x1;
    v[0].y = v[1].y = q.y0;
    v[2].y = v[3].y = q.y1;
    return 0;
}

// The quad's box cut back to the open box. Only quads written in the usual
// corner order are trimmed (a mirrored one stays whole: its edges would move to
// other vertices).
inline bool OpenPart(const gxtkVertex* v, const Box& open, Box* q) {
    if (!(v[0].x < v[1].x && v[0].y < v[3].y)) return false;
    *q = {std::max(v[0].x, open.x0), std::max(v[0].y, open.y0), std::min(v[2].x, open.x1),
          std::min(v[2].y, open.y1)};
    return true;
}

}  // namespace

// Walking back from the batch's end, the later opaque quads are kept as one open
// box, the part of the window they leave uncovered (a frame round a view, a
// background over the left of the window), narrowed by each opaque quad that
// spans it at an edge, so that every earlier quad is trimmed by four
// comparisons. An opaque quad over only a middle part of the open box narrows
// nothing: keeping such quads one by one cost more comparisons than the pixels
// they saved.
//
// Returns how many quads are left to draw; `fill` gets the last quad that paints
// the whole window in one opaque colour, or -1.
int gxtkGraphics::TrimCoveredQuads(int* fill) {
    *fill = -1;
    // Untextured quads are placed by PutQuad, written top-left, top-right,
    // bottom-right, bottom-left: their sides lie along the axes unless the matrix
    // rotated or sheared one, which a batch seldom has, and then is left whole.
    if (batchSkewed) return batchCount;
    // Past the window's edges there are no pixels to cover: a background drawn
    // from (-1, -1) is still covered by one drawn from (0, 0) later.
    const Box window{0, 0, static_cast<float>(width), static_cast<float>(height)};
    Box open = window;
    bool narrowed = false;
    int hidden = 0;
    for (int k = batchCount - 1; k >= 0; --k) {
        gxtkVertex* v = &vertexData[k * 4];
        const bool opaque = (v[0].color >> 24) == 0xff;
        // A faint quad with nothing later to cover it is left alone at once.
        if (!(opaque || narrowed)) continue;
        if (!opaque) {
            Box q;
            if (OpenPart(v, open, &q)) hidden += PutBox(v, q);
            continue;
        }
        // An opaque quad's own extent covers what lies beneath it, however much
        // of it a later one has already taken.
        const Box extent = Extent(v);
        Box q;
        if (narrowed && OpenPart(v, open, &q)) hidden += PutBox(v, q);
        if (*fill < 0 && extent.x0 <= window.x0 && extent.y0 <= window.y0 && extent.x1 >= window.x1 &&
            extent.y1 >= window.y1) {
            *fill = k;
            if (!IsPoint(v)) ++hidden;
            MakePoint(v);
        }
        const Cut cut = Trim(open, extent);
        if (cut == Cut::kGone) open.x1 = open.x0;
        narrowed |= cut == Cut::kGone || cut == Cut::kTrimmed;
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
