// overdraw.cpp - rasteriser work the window never shows. Called by the graphics
// device's Flush (media/graphics_device.cpp) before a batch of quads goes to
// OpenGL. On a software rasteriser a frame's cost is its pixels, blended ones
// above all, and at 1920x1080 most of them were work nobody saw:
//   - covered quads: every untextured quad is cut back to what the batch's later
//     opaque rectangles leave visible (layers of faint shading under a solid
//     frame, a background cleared and then covered);
//   - stacked layers: faint layers of one colour, each reaching further in from
//     one edge, become bands that blend each pixel once;
//   - window fills: an opaque quad over the whole window becomes a clear;
//   - opaque batches: quads that are all opaque (alpha 1, and an image whose
//     every pixel is opaque) are drawn with blending off, which lets the
//     rasteriser copy texels instead of reading back every pixel beneath.
// A big batch like the last ones is given what was made of them (batches seen
// before), which costs less than walking it again.
//
// Sections: stacked layers; covered quads; batches seen before; window fills and
// opaque batches.
//
// Why the pixels stay the same: under the usual blend (one, one minus source
// alpha) a source with alpha 1 comes out as itself whatever lay beneath, so an
// opaque quad needs no blending and nothing earlier shows through it. A quad is
// only trimmed to an edge of such a later rectangle, one that spans what is left
// from side to side, and the new edge is that rectangle's own coordinate, so the
// rasteriser's fill rule hands each pixel on the seam to exactly one of the two;
// an edge beyond the window is brought back to the window's edge, which has no
// pixels past it. A quad covered whole becomes a point, which rasterises
// nothing; the vertex and index counts do not change. None of this applies while
// colours add (SetBlend(1)), where every quad's colour counts. Stacked layers
// are the one exception to the same bytes: the framebuffer rounds once where it
// rounded once per layer (see there).
#include "media/graphics_device.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstring>

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

// ===========================================================================
// Stacked layers
// ===========================================================================

// Shading toward a window's edges is drawn as layers of one faint colour, each
// reaching further in from the edge than the last, so the pixels nearest the
// edge are blended once per layer (21 times for the machines' reels). Blends of
// one colour commute, and n of them are one blend of alpha 1 - (1 - a)^n, so a
// stack is redrawn as bands between the layers' reaches, each blended once with
// the colour of the layers over it. The bands keep the layers' own edges, so
// every pixel is under exactly as many layers as before; only the framebuffer's
// rounding differs, taken once where it was taken n times. (Taken n times it
// can leave a dark channel where it was: 3 x 0.95 rounds back to 3.)
//
// Walking back through a run of faint quads of one colour, a stack's layers
// share their left and right (brought back to the window) and one edge, the
// anchor at the top or the bottom, and each earlier layer reaches no further
// than the one after it. Two stacks may interleave, as the top and bottom
// shading do. A quad of the run that fits no stack is drawn as it is: it blends
// the same colour, which commutes with the bands.

namespace {

class LayerStacks {
public:
    explicit LayerStacks(gxtkLayerColors& colors) : colors_(colors) {}

    // Starts a new run when `color` is not the run's; returns the quads the old
    // run's stacks left empty.
    int Follow(uint32_t color) {
        if (color == color_) return 0;
        const int hidden = Close();
        color_ = color;
        return hidden;
    }

    // Takes the run's quad `v`, trimmed to `q` (walking back). It is written now
    // or once it is known what lies over it; returns the quads left empty.
    int Add(gxtkVertex* v, const Box& q) {
        if (!(q.x0 < q.x1 && q.y0 < q.y1)) return PutBox(v, q);  // covered whole
        for (Stack& s : stacks_) {
            if (!s.pending || q.x0 != s.box.x0 || q.x1 != s.box.x1) continue;
            // The later layer (pending) keeps only what reaches past this one.
            int hidden;
            if (s.side >= 0 && q.y0 == s.box.y0 && q.y1 <= s.box.y1) {
                hidden = Band(s, q.y1, s.box.y1);
                s.side = 1;
            } else if (s.side <= 0 && q.y1 == s.box.y1 && q.y0 >= s.box.y0) {
                hidden = Band(s, s.box.y0, q.y0);
                s.side = -1;
            } else {
                continue;
            }
            s.pending = v;
            s.box = q;
            s.count += 1;
            return hidden;
        }
        for (Stack& s : stacks_) {
            if (s.pending) continue;
            s = {q, v, 0, 1};
            return 0;
        }
        return PutBox(v, q);
    }

    // Each stack's earliest layer keeps its whole extent, under all its layers.
    int Close() {
        int hidden = 0;
        for (Stack& s : stacks_) {
            if (!s.pending) continue;
            hidden += Band(s, s.box.y0, s.box.y1);
            s.pending = nullptr;
        }
        return hidden;
    }

private:
    struct Stack {
        Box box;                       // the pending layer, trimmed
        gxtkVertex* pending = nullptr;  // the earliest layer met, not yet written
        int side = 0;                  // +1 anchored at the top, -1 at the bottom, 0 not yet known
        int count = 0;                 // the layers from `pending` to the stack's last
    };

    // Writes the pending layer as the band y0..y1 under `count` layers.
    int Band(const Stack& s, float y0, float y1) {
        const int hidden = PutBox(s.pending, {s.box.x0, y0, s.box.x1, y1});
        if (s.count > 1 && !hidden) {
            const uint32_t c = colors_.Of(color_, s.count);
            s.pending[0].color = s.pending[1].color = s.pending[2].color = s.pending[3].color = c;
        }
        return hidden;
    }

    gxtkLayerColors& colors_;
    uint32_t color_ = 0;  // the run's colour
    Stack stacks_[2];
};

}  // namespace

// The colours of n layers for one base colour are worked out as far as a stack
// needs them and kept, since the same stacks are drawn every frame. Premultiplied
// channels scale with the alpha they add up to.
uint32_t gxtkLayerColors::Of(uint32_t color, int n) {
    const float a = static_cast<float>(color >> 24) / kByteMax;
    if (color != base) {
        base = color;
        known = 1;
        ofCount[1] = color;
        keep = 1 - a;  // what one layer leaves of the pixel beneath
    }
    while (known < n) {
        keep *= 1 - a;
        known += 1;
        const float scale = (1 - keep) / a;
        uint32_t out = static_cast<uint32_t>(kByteMax * (1 - keep) + 0.5f) << 24;
        for (int shift = 0; shift < 24; shift += 8) {
            const float channel = static_cast<float>((color >> shift) & 0xff) * scale + 0.5f;
            out |= static_cast<uint32_t>(channel < kByteMax ? channel : kByteMax) << shift;
        }
        ofCount[known] = out;
    }
    return ofCount[n];
}

// ===========================================================================
// Covered quads
// ===========================================================================

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
    LayerStacks stacks(layerColors);
    for (int k = batchCount - 1; k >= 0; --k) {
        gxtkVertex* v = &vertexData[k * 4];
        const uint32_t alpha = v[0].color >> 24;
        hidden += stacks.Follow(v[0].color);
        if (alpha != 0xff) {
            // A faint quad: cut back to the open box (at least to the window), and
            // stacked with the run's other layers when it blends over the pixels.
            Box q;
            if (!OpenPart(v, open, &q)) continue;
            hidden += alpha != 0 ? stacks.Add(v, q) : PutBox(v, q);
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
    return batchCount - hidden - stacks.Close();
}

// ===========================================================================
// Batches seen before
// ===========================================================================

// A machine's reel window (separators, 42 shading layers, the frame) comes as
// the same 40-odd quads every frame. Comparing a big batch with the one kept
// costs a fraction of walking it, so the last two big batches are kept as they
// came and as the walk left them. What the walk makes of a batch depends only
// on its quads and the window's size.
int gxtkGraphics::TrimOrReuse(int* fill) {
    if (batchSkewed || batchCount < kKeptMinQuads) return TrimCoveredQuads(fill);
    const size_t bytes = static_cast<size_t>(batchCount) * 4 * sizeof(gxtkVertex);
    for (int i = 0; i < kKeptBatches; ++i) {
        KeptBatch& kept = keptBatches[i];
        if (kept.quads == batchCount && kept.width == width && kept.height == height &&
            std::memcmp(kept.before, vertexData, bytes) == 0) {
            std::memcpy(vertexData, kept.after, bytes);
            *fill = kept.fill;
            keptLast = i;
            return kept.left;
        }
    }
    // The slot not used last takes this batch.
    keptLast = (keptLast + 1) % kKeptBatches;
    KeptBatch& kept = keptBatches[keptLast];
    std::memcpy(kept.before, vertexData, bytes);
    kept.left = TrimCoveredQuads(fill);
    kept.fill = *fill;
    std::memcpy(kept.after, vertexData, bytes);
    kept.quads = batchCount;
    kept.width = width;
    kept.height = height;
    return kept.left;
}

// ===========================================================================
// Window fills and opaque batches
// ===========================================================================

// A window filled with one opaque colour is a clear, and OpenGL clears without
// drawing: no pixel is blended and no pipeline has to be built for it (a frame
// that only clears, like the first, draws nothing at all). The colour is the
// quad's own bytes, so the pixels are the ones the quad would have written.
bool gxtkGraphics::PrepareQuadBatch(bool submit) {
    if (!batchSurface && !additiveBlend) {
        int fill = -1;
        const int left = TrimOrReuse(&fill);
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
