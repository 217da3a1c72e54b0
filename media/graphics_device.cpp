// graphics_device.cpp - the batch renderer. Every primitive the drawing context
// (media/graphics.cpp) sends is transformed and coloured on the CPU and appended to
// one client-side vertex buffer, which goes to OpenGL 1.1 only when the primitive
// kind, the texture or the capacity changes, on a blend/scissor change, a pixel
// transfer, or at the end of the frame; a batch of untextured quads is first cut
// back to what its own opaque rectangles leave visible (media/overdraw.cpp).
// The host creates the device and drives Validate / BeginRender / EndRender once
// per frame. Surfaces are in image_surface.cpp.
#include "media/graphics_device.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "host/glfw2.h"

#ifndef GL_CLAMP_TO_EDGE
#define GL_CLAMP_TO_EDGE 0x812F
#endif
#ifndef GL_BGRA
#define GL_BGRA 0x80E1
#endif

gxtkGraphics* kx_graphics_device = nullptr;

namespace {

constexpr float kTwoPi = 6.2831855f;  // single-precision 2*pi: segment angles must match it
constexpr float kByteMax = 255.0f;

// One colour channel as a byte; out-of-range inputs are clamped so that they can
// never spill into the neighbouring channel of the packed value.
uint32_t ChannelByte(float value) {
    if (!(value > 0.0f)) return 0;
    if (value >= kByteMax) return 255;
    return static_cast<uint32_t>(static_cast<int>(value));
}

// A w x h block at `offset`, rows `pitch` apart, must lie inside an array of
// `length` elements; pixel transfers refuse anything else rather than overrun it.
bool BlockFits(int length, int offset, int pitch, int w, int h) {
    if (w <= 0 || h <= 0 || offset < 0 || pitch < 0) return false;
    const long long last = static_cast<long long>(offset) + static_cast<long long>(h - 1) * pitch + w;
    return last <= length;
}

int CapacityOf(int kind) {
    switch (kind) {
        case gxtkGraphics::kLines: return gxtkGraphics::kMaxVertices / 2;
        case gxtkGraphics::kQuads: return gxtkGraphics::kMaxQuads;
        default: return gxtkGraphics::kMaxVertices;
    }
}

}  // namespace

gxtkGraphics::gxtkGraphics() {
    for (int k = 0; k < kMaxQuads; ++k) {
        uint16_t* q = &quadIndexData[k * 6];
        uint16_t first = static_cast<uint16_t>(k * 4);
        q[0] = first;
        q[1] = static_cast<uint16_t>(first + 1);
        q[2] = static_cast<uint16_t>(first + 2);
        q[3] = first;
        q[4] = static_cast<uint16_t>(first + 2);
        q[5] = static_cast<uint16_t>(first + 3);
    }
    UpdatePackedColor();
}

int gxtkGraphics::Mode() { return mode; }
int gxtkGraphics::Width() { return width; }
int gxtkGraphics::Height() { return height; }

// ---------------------------------------------------------------------------
// Frame
// ---------------------------------------------------------------------------

bool gxtkGraphics::Validate() {
    width = height = 0;
    glfw2::GetWindowSize(&width, &height);
    return width > 0 && height > 0;
}

int gxtkGraphics::BeginRender() {
    if (mode == 0) return 0;
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, width, height, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    const GLsizei stride = sizeof(gxtkVertex);
    glVertexPointer(2, GL_FLOAT, stride, &vertexData[0].x);
    glTexCoordPointer(2, GL_FLOAT, stride, &vertexData[0].u);
    glColorPointer(4, GL_UNSIGNED_BYTE, stride, &vertexData[0].color);

    glEnable(GL_BLEND);
    blending = true;
    glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    additiveBlend = false;
    glDisable(GL_TEXTURE_2D);
    texturing = false;
    batchCount = 0;
    batchSkewed = false;
    frameDrawCalls = 0;
    gxtkTestHooks::BatchEnd(gxtkBatchObserver::kFrame);
    return 0;
}

int gxtkGraphics::EndRender() {
    if (mode != 0 && batchCount != 0) Flush();
    // Between frames texturing is off and blending on, as if every draw call had
    // switched them so.
    if (mode != 0) {
        UseTexture(nullptr);
        UseBlending(true);
    }
    glfw2::SwapBuffers();
    return 0;
}

// A batch is counted as its primitives made it even when nothing of it is left
// to draw (`visible` false: every quad was covered or became a clear).
void gxtkGraphics::IssueDraw(int glMode, int count, bool visible) {
    if (!gxtkTestHooks::SubmitDraws() || !visible) {
        // made up and counted below, never drawn
    } else if (glMode == GL_TRIANGLES) {
        glDrawElements(GL_TRIANGLES, count, GL_UNSIGNED_SHORT, quadIndexData);
    } else {
        glDrawArrays(static_cast<GLenum>(glMode), 0, count);
    }
    ++frameDrawCalls;
    ++totalDrawCalls;
    lastDrawMode = glMode;
    lastDrawVertices = count;
}

int gxtkGraphics::Flush() {
    if (batchCount == 0) return 0;
    const bool submit = gxtkTestHooks::SubmitDraws();
    if (submit) UseTexture(batchSurface);
    // Only a batch of quads is ever drawn unblended.
    if (submit && batchKind != kQuads) UseBlending(true);
    switch (batchKind) {
        case kPoints: IssueDraw(GL_POINTS, batchCount); break;
        case kLines: IssueDraw(GL_LINES, batchCount * 2); break;
        case kQuads: IssueDraw(GL_TRIANGLES, batchCount * 6, PrepareQuadBatch(submit)); break;
        case kFan: IssueDraw(GL_TRIANGLE_FAN, batchCount); break;
        default: break;
    }
    batchCount = 0;
    batchSkewed = false;
    return 0;
}

// Texturing stays switched on from one textured draw call to the next: toggling
// GL_TEXTURE_2D around every call makes the driver revalidate its fixed-function
// pipeline twice per call, which on a software rasteriser cost a quarter of a
// frame of small sprites. The texture is bound at every call, since uploads and
// deletions elsewhere change the binding; an untextured call switches texturing
// off first.
void gxtkGraphics::UseTexture(gxtkSurface* surface) {
    if (surface) {
        if (!texturing) glEnable(GL_TEXTURE_2D);
        texturing = true;
        glBindTexture(GL_TEXTURE_2D, surface->texture);
    } else if (texturing) {
        glDisable(GL_TEXTURE_2D);
        texturing = false;
    }
}

// ---------------------------------------------------------------------------
// State
// ---------------------------------------------------------------------------

void gxtkGraphics::UpdatePackedColor() {
    packedColor = (ChannelByte(alpha * kByteMax) << 24) | (ChannelByte(blue * alpha) << 16) |
                  (ChannelByte(green * alpha) << 8) | ChannelByte(red * alpha);
}

// The display-list replay sets colour and alpha before every record, mostly to
// what they already are; the packed colour is only worked out again on a change.
int gxtkGraphics::SetColor(float r, float g, float bl) {
    if (r == red && g == green && bl == blue) return 0;
    red = r;
    green = g;
    blue = bl;
    UpdatePackedColor();
    return 0;
}

int gxtkGraphics::SetAlpha(float al) {
    if (al == alpha) return 0;
    alpha = al;
    UpdatePackedColor();
    return 0;
}

int gxtkGraphics::SetColorAndAlpha(float r, float g, float bl, float al) {
    red = r;
    green = g;
    blue = bl;
    alpha = al;
    UpdatePackedColor();
    return 0;
}

int gxtkGraphics::SetMatrix(float ma, float mb, float mc, float md, float mtx, float mty) {
    a = ma;
    b = mb;
    c = mc;
    d = md;
    tx = mtx;
    ty = mty;
    transformed = !(a == 1 && b == 0 && c == 0 && d == 1 && tx == 0 && ty == 0);
    skewing = b != 0 || c != 0;
    return 0;
}

int gxtkGraphics::SetBlend(int blend) {
    Flush();
    gxtkTestHooks::BatchEnd(gxtkBatchObserver::kBlend);
    additiveBlend = blend == 1;
    if (additiveBlend) {
        glBlendFunc(GL_ONE, GL_ONE);
    } else {
        glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    }
    return 0;
}

int gxtkGraphics::SetScissor(int x, int y, int w, int h) {
    Flush();
    gxtkTestHooks::BatchEnd(gxtkBatchObserver::kScissor);
    if (x == 0 && y == 0 && w == Width() && h == Height()) {
        glDisable(GL_SCISSOR_TEST);
    } else {
        glEnable(GL_SCISSOR_TEST);
        glScissor(x, Height() - y - h, w, h);
    }
    return 0;
}

int gxtkGraphics::Cls(float r, float g, float bl) {
    batchCount = 0;
    batchSkewed = false;
    gxtkTestHooks::BatchEnd(gxtkBatchObserver::kClear);
    glClearColor(r / kByteMax, g / kByteMax, bl / kByteMax, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    return 0;
}

// ---------------------------------------------------------------------------
// Primitives
// ---------------------------------------------------------------------------

void gxtkGraphics::Begin(int kind, gxtkSurface* surface) {
    gxtkTestHooks::Primitive(kind, surface);
    if (batchKind != kind || batchCount == CapacityOf(kind) || batchSurface != surface) {
        if (batchCount != 0) Flush();
        batchKind = kind;
        batchSurface = surface;
    }
}

void gxtkGraphics::PutVertex(gxtkVertex& v, float x, float y) {
    if (transformed) {
        v.x = a * x + c * y + tx;
        v.y = b * x + d * y + ty;
    } else {
        v.x = x;
        v.y = y;
    }
    v.color = packedColor;
}

int gxtkGraphics::DrawPoint(float x, float y) {
    Begin(kPoints, nullptr);
    PutVertex(vertexData[batchCount], x, y);
    ++batchCount;
    return 0;
}

int gxtkGraphics::DrawLine(float x1, float y1, float x2, float y2) {
    Begin(kLines, nullptr);
    gxtkVertex* v = &vertexData[batchCount * 2];
    PutVertex(v[0], x1, y1);
    PutVertex(v[1], x2, y2);
    ++batchCount;
    return 0;
}

// A quad from (x0, y0) to (x1, y1), its corners written in the order top-left,
// top-right, bottom-right, bottom-left; the index table splits it along its
// first-to-third diagonal. Every image and rectangle of a frame passes here, so the
// eight products of the matrix are formed once per quad rather than once per
// corner, each corner summing them exactly as a single transformed point would.
void gxtkGraphics::PutQuad(gxtkSurface* s, float x0, float y0, float x1, float y1, float u0, float v0, float u1,
                           float v1) {
    if (!JoinsQuadBatch(s)) Begin(kQuads, s);
    gxtkVertex* v = &vertexData[batchCount * 4];
    if (transformed) {
        batchSkewed |= skewing;
        const float ax0 = a * x0, ax1 = a * x1, cy0 = c * y0, cy1 = c * y1;
        const float bx0 = b * x0, bx1 = b * x1, dy0 = d * y0, dy1 = d * y1;
        v[0].x = ax0 + cy0 + tx;
        v[0].y = bx0 + dy0 + ty;
        v[1].x = ax1 + cy0 + tx;
        v[1].y = bx1 + dy0 + ty;
        v[2].x = ax1 + cy1 + tx;
        v[2].y = bx1 + dy1 + ty;
        v[3].x = ax0 + cy1 + tx;
        v[3].y = bx0 + dy1 + ty;
    } else {
        v[0].x = x0, v[0].y = y0;
        v[1].x = x1, v[1].y = y0;
        v[2].x = x1, v[2].y = y1;
        v[3].x = x0, v[3].y = y1;
    }
    const uint32_t color = packedColor;
    v[0].color = v[1].color = v[2].color = v[3].color = color;
    // Untextured quads get their zeros too, not what an earlier batch left in the
    // slot: a big batch is compared byte for byte with the one kept (overdraw.cpp).
    v[0].u = u0, v[0].v = v0;
    v[1].u = u1, v[1].v = v0;
    v[2].u = u1, v[2].v = v1;
    v[3].u = u0, v[3].v = v1;
    ++batchCount;
}

int gxtkGraphics::DrawRect(float x, float y, float w, float h) {
    PutQuad(nullptr, x, y, x + w, y + h, 0, 0, 0, 0);
    return 0;
}

int gxtkGraphics::DrawSurface(gxtkSurface* s, float x, float y) {
    if (!s->EnsureTexture()) return 0;
    const float w = static_cast<float>(s->Width());
    const float h = static_cast<float>(s->Height());
    PutQuad(s, x, y, x + w, y + h, 0, 0, w * s->uScale, h * s->vScale);
    return 0;
}

int gxtkGraphics::DrawSurface2(gxtkSurface* s, float x, float y, int srcX, int srcY, int srcW, int srcH) {
    if (!s->EnsureTexture()) return 0;
    const float uMin = srcX * s->uScale, uMax = (srcX + srcW) * s->uScale;
    const float vMin = srcY * s->vScale, vMax = (srcY + srcH) * s->vScale;
    const float w = static_cast<float>(srcW), h = static_cast<float>(srcH);
    PutQuad(s, x, y, x + w, y + h, uMin, vMin, uMax, vMax);
    return 0;
}

void gxtkGraphics::PutCorners(gxtkSurface* s, float x0, float y0, float x1, float y1, float x2, float y2, float x3,
                              float y3, int srcX, int srcY, int srcW, int srcH) {
    gxtkVertex* v = &vertexData[batchCount * 4];
    const float uMin = srcX * s->uScale, uMax = (srcX + srcW) * s->uScale;
    const float vMin = srcY * s->vScale, vMax = (srcY + srcH) * s->vScale;
    const uint32_t color = packedColor;
    v[0] = gxtkVertex{x0, y0, uMin, vMin, color};
    v[1] = gxtkVertex{x1, y1, uMax, vMin, color};
    v[2] = gxtkVertex{x2, y2, uMax, vMax, color};
    v[3] = gxtkVertex{x3, y3, uMin, vMax, color};
    ++batchCount;
}

int gxtkGraphics::DrawSurfaceCorners(gxtkSurface* s, float x0, float y0, float x1, float y1, float x2, float y2,
                                     float x3, float y3, int srcX, int srcY, int srcW, int srcH) {
    // Mostly the frame joins the pending batch; the rest goes the long way round, out
    // of line, so that this path calls nothing and saves no registers.
    if (!JoinsQuadBatch(s)) {
        return DrawSurfaceCornersAfterBreak(s, x0, y0, x1, y1, x2, y2, x3, y3, srcX, srcY, srcW, srcH);
    }
    PutCorners(s, x0, y0, x1, y1, x2, y2, x3, y3, srcX, srcY, srcW, srcH);
    return 0;
}

// Begin ends or starts the batch (and reports the primitive to an observer).
__attribute__((noinline)) int gxtkGraphics::DrawSurfaceCornersAfterBreak(gxtkSurface* s, float x0, float y0, float x1,
                                                                         float y1, float x2, float y2, float x3,
                                                                         float y3, int srcX, int srcY, int srcW,
                                                                         int srcH) {
    // A surface joining the pending batch has its texture; one starting a batch may
    // still wait for its first draw.
    if (!s->EnsureTexture()) return 0;
    Begin(kQuads, s);
    PutCorners(s, x0, y0, x1, y1, x2, y2, x3, y3, srcX, srcY, srcW, srcH);
    return 0;
}

int gxtkGraphics::OvalSegments(float rx, float ry) const {
    float n;
    if (transformed) {
        n = std::sqrt((rx * a) * (rx * a) + (rx * b) * (rx * b)) + std::sqrt((ry * c) * (ry * c) + (ry * d) * (ry * d));
    } else {
        // Each radius is truncated on its own before the sum.
        n = std::fabs(std::trunc(rx)) + std::fabs(std::trunc(ry));
    }
    // Compared as floats first: a huge or NaN size must not reach an int conversion.
    if (!(n >= kMinOvalSegments)) return kMinOvalSegments;
    if (n > kMaxVertices) return kMaxVertices;
    return static_cast<int>(n) & ~3;
}

// Filled the same way the vertices were once computed one by one: the angle of
// point i is i * 2pi / n in single precision.
const gxtkGraphics::OvalTable& gxtkGraphics::OvalTableFor(int segments) {
    for (const OvalTable& t : ovalTables) {
        if (t.segments == segments) return t;
    }
    OvalTable& t = ovalTables[ovalTableNext];
    ovalTableNext = (ovalTableNext + 1) % kOvalTables;
    for (int i = 0; i < segments; ++i) {
        const float theta = i * kTwoPi / segments;
        t.cosine[i] = std::cos(theta);
        t.sine[i] = std::sin(theta);
    }
    t.segments = segments;
    return t;
}

int gxtkGraphics::DrawOval(float x, float y, float w, float h) {
    gxtkTestHooks::Primitive(kFan, nullptr);
    if (batchCount != 0) Flush();
    batchKind = kFan;
    batchSurface = nullptr;
    const float rx = w * 0.5f, ry = h * 0.5f;
    const float cx = x + rx, cy = y + ry;
    const int n = OvalSegments(rx, ry);
    const OvalTable& unit = OvalTableFor(n);
    if (transformed) {
        for (int i = 0; i < n; ++i) PutVertex(vertexData[i], cx + rx * unit.cosine[i], cy - ry * unit.sine[i]);
    } else {
        const uint32_t color = packedColor;
        for (int i = 0; i < n; ++i) {
            vertexData[i].x = cx + rx * unit.cosine[i];
            vertexData[i].y = cy - ry * unit.sine[i];
            vertexData[i].color = color;
        }
    }
    batchCount = n;
    Flush();
    return 0;
}

int gxtkGraphics::DrawPoly(Array<float> xy) {
    const int n = xy.Length() / 2;
    if (n < 3 || n > kMaxVertices) return 0;
    gxtkTestHooks::Primitive(kFan, nullptr);
    if (batchCount != 0) Flush();
    batchKind = kFan;
    batchSurface = nullptr;
    for (int i = 0; i < n; ++i) PutVertex(vertexData[i], xy[i * 2], xy[i * 2 + 1]);
    batchCount = n;
    Flush();
    return 0;
}

// ---------------------------------------------------------------------------
// Pixel transfer
// ---------------------------------------------------------------------------

int gxtkGraphics::ReadPixels(Array<int> pixels, int x, int y, int w, int h, int offset, int pitch) {
    Flush();
    gxtkTestHooks::BatchEnd(gxtkBatchObserver::kPixelTransfer);
    if (!BlockFits(pixels.Length(), offset, pitch, w, h)) return 0;
    std::vector<uint32_t> block(static_cast<size_t>(w) * h);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(x, height - y - h, w, h, GL_BGRA, GL_UNSIGNED_BYTE, block.data());
    // OpenGL returns the bottom row first; the caller wants the top row first.
    for (int i = 0; i < h; ++i) {
        const uint32_t* src = &block[static_cast<size_t>(h - 1 - i) * w];
        int* dst = &pixels[offset + i * pitch];
        for (int j = 0; j < w; ++j) dst[j] = static_cast<int>(src[j]);
    }
    return 0;
}

int gxtkGraphics::WritePixels2(gxtkSurface* s, Array<int> pixels, int x, int y, int w, int h, int offset,
                               int pitch) {
    Flush();
    gxtkTestHooks::BatchEnd(gxtkBatchObserver::kPixelTransfer);
    if (!s || !s->EnsureTexture() || s->texture == 0 || !BlockFits(pixels.Length(), offset, pitch, w, h)) return 0;
    std::vector<uint32_t> block(static_cast<size_t>(w) * h);
    for (int i = 0; i < h; ++i) {
        for (int j = 0; j < w; ++j) {
            const uint32_t argb = static_cast<uint32_t>(pixels[offset + i * pitch + j]);
            const uint32_t al = argb >> 24;
            const uint32_t r = ((argb >> 16) & 0xff) * al / 255;
            const uint32_t g = ((argb >> 8) & 0xff) * al / 255;
            const uint32_t bl = (argb & 0xff) * al / 255;
            block[static_cast<size_t>(i) * w + j] = (al << 24) | (r << 16) | (g << 8) | bl;
        }
    }
    s->opaque = false;  // the block may bring transparent pixels
    glBindTexture(GL_TEXTURE_2D, s->texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexSubImage2D(GL_TEXTURE_2D, 0, x, y, w, h, GL_BGRA, GL_UNSIGNED_BYTE, block.data());
    return 0;
}
