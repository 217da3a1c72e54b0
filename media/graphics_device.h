// graphics_device.h - the graphics device: OpenGL state of the window, the batch
// renderer with its CPU-side matrix, and image surfaces (textures). Implemented in
// media/graphics_device.cpp; created by the host application, driven each frame by
// the drawing context (media/graphics.cpp).
#pragma once

#include <cstdint>
#include "media/test_hooks.h"
#include "runtime/runtime.h"

// An image on its way to becoming a texture. Once uploaded it lives only as the
// texture; `pixels` is freed by the upload. A surface loaded from a file knows
// its size from the file's header and is decoded and uploaded at its first draw
// (EnsureTexture), so an image nothing draws costs no decode.
struct gxtkSurface : gxtkObject {
    unsigned char* pixels = nullptr;  // decoder rows; null after upload
    int width = 0, height = 0;        // image size in pixels
    int depth = 0;                    // bytes per pixel, 1 to 4 (0 until decoded)
    unsigned int texture = 0;         // GL texture name, 0 when none
    float uScale = 0, vScale = 0;     // 1 / texture size (the texture may be padded)
    String pendingPath;               // the file still to decode; empty once done
    bool unusable = false;            // its decode or upload failed: it draws nothing
    bool opaque = false;              // every pixel uploaded had alpha 255 (pixel writes clear it)

    ~gxtkSurface() override;
    virtual int Discard();
    virtual int Width();
    virtual int Height();
    virtual bool Loaded();
    virtual bool OnUnsafeLoadComplete();
    int SetData(unsigned char* pixels, int width, int height, int depth);
    // Decodes and uploads a surface still waiting for its first draw; false when it
    // cannot be drawn (its decode or texture failed, now or before).
    bool EnsureTexture() { return (pendingPath.Length() == 0 && !unusable) || DecodeNow(); }

private:
    bool DecodeNow();
};

// Decodes a PNG file into 1 to 4 bytes per pixel; null if it cannot be opened, is
// not a PNG, cannot be decoded, or is too large to be trusted (see kMaxImageSide /
// kMaxImageBytes).
unsigned char* loadImage(const String& path, int* width, int* height, int* depth);
// The size a PNG file's header gives, behind the same checks as loadImage, without
// decoding it; false where loadImage would give null without decoding.
bool readImageSize(const String& path, int* width, int* height);

// Hostile-file guard of the decoder.
constexpr int kMaxImageSide = 16384;
constexpr long long kMaxImageBytes = 64LL * 1024 * 1024;

// One batch vertex: 20 bytes, colour bytes in memory order red, green, blue, alpha.
struct gxtkVertex {
    float x, y, u, v;
    uint32_t color;
};
static_assert(sizeof(gxtkVertex) == 20, "vertex layout is 20 bytes");

// The colour of n stacked layers of one faint colour drawn as one quad (see
// media/overdraw.cpp), worked out as far as asked and kept for the colour last
// asked: the same shading is drawn every frame.
struct gxtkLayerColors {
    static constexpr int kMaxLayers = 256;  // a batch's quads
    uint32_t base = 0;                      // one layer's colour
    int known = 0;                          // ofCount[1..known] are worked out
    float keep = 1;                         // (1 - alpha)^known: what they leave beneath
    uint32_t ofCount[kMaxLayers + 1];

    uint32_t Of(uint32_t color, int n);
};

struct gxtkGraphics : gxtkObject {
    // Batch kinds, numbered as the primitives they are drawn with.
    enum { kPoints = 1, kLines = 2, kQuads = 4, kFan = 5 };
    static constexpr int kMaxVertices = 1024;
    static constexpr int kMaxQuads = kMaxVertices / 4;
    static_assert(kMaxQuads <= gxtkLayerColors::kMaxLayers, "a batch's layers fit the colour table");
    static constexpr int kMinOvalSegments = 12;

    int mode = 1;
    int width = 0, height = 0;
    uint32_t packedColor = 0xffffffffu;
    float red = 255, green = 255, blue = 255;
    float alpha = 1;
    float a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;
    bool transformed = false;
    bool skewing = false;      // the matrix rotates or shears: a quad's sides leave the axes
    gxtkVertex vertexData[kMaxVertices];
    uint16_t quadIndexData[kMaxQuads * 6];
    int batchKind = 0;
    int batchCount = 0;
    gxtkSurface* batchSurface = nullptr;
    bool batchSkewed = false;  // a quad of the pending batch was placed under a skewing matrix
    bool texturing = false;  // GL_TEXTURE_2D as this device last left it
    bool additiveBlend = false;  // SetBlend(1) in force: colours add, nothing covers
    bool blending = true;        // GL_BLEND as this device last left it
    gxtkLayerColors layerColors;  // kept by the batch preparation (overdraw.cpp)

    // Every OpenGL draw call goes through IssueDraw, which counts it here (tests
    // and benchmarks check the batching with these) and records the last one.
    int frameDrawCalls = 0;     // since the last BeginRender
    long long totalDrawCalls = 0;
    int lastDrawMode = 0;       // GL primitive of the last draw call
    int lastDrawVertices = 0;   // vertices (fan/points/lines) or indices (quads)

    gxtkGraphics();

    virtual int Mode();
    virtual int Width();
    virtual int Height();
    virtual gxtkSurface* LoadSurface(String path);
    virtual gxtkSurface* LoadSurface__UNSAFE__(gxtkSurface* surface, String path);
    virtual gxtkSurface* CreateSurface(int width, int height);
    virtual int Cls(float r, float g, float b);
    virtual int SetAlpha(float alpha);
    virtual int SetColor(float r, float g, float b);
    int SetColorAndAlpha(float r, float g, float b, float alpha);  // one packing for both
    virtual int SetBlend(int blend);
    virtual int SetScissor(int x, int y, int w, int h);
    virtual int SetMatrix(float a, float b, float c, float d, float tx, float ty);
    virtual int DrawPoint(float x, float y);
    virtual int DrawRect(float x, float y, float w, float h);
    virtual int DrawLine(float x1, float y1, float x2, float y2);
    virtual int DrawOval(float x, float y, float w, float h);
    virtual int DrawPoly(Array<float> xy);
    virtual int DrawSurface(gxtkSurface* s, float x, float y);
    virtual int DrawSurface2(gxtkSurface* s, float x, float y, int srcX, int srcY, int srcW, int srcH);
    virtual int ReadPixels(Array<int> pixels, int x, int y, int w, int h, int offset, int pitch);
    virtual int WritePixels2(gxtkSurface* s, Array<int> pixels, int x, int y, int w, int h, int offset,
                             int pitch);

    int BeginRender();
    int EndRender();
    int Flush();
    bool Validate();

    // A frame of a surface as DrawSurface2 draws it, but with its four corners
    // already placed in window pixels by the caller (top-left, top-right,
    // bottom-right, bottom-left); the device's matrix is not applied. The drawing
    // context's image path uses it to place a rotated, scaled frame without handing
    // the device a matrix for every image. Batched like any quad; every argument
    // travels in a register.
    int DrawSurfaceCorners(gxtkSurface* s, float x0, float y0, float x1, float y1, float x2, float y2, float x3,
                           float y3, int srcX, int srcY, int srcW, int srcH);

    // Segment count of an oval with these radii under the current matrix.
    int OvalSegments(float rx, float ry) const;

private:
    // The points of a unit circle for one oval segment count. Ovals come in a few
    // sizes per frame (a dot, a disc), so the last few counts keep their cosines
    // and sines instead of working out every vertex's pair again on every frame.
    struct OvalTable {
        int segments = 0;
        float cosine[kMaxVertices];
        float sine[kMaxVertices];
    };
    static constexpr int kOvalTables = 4;
    OvalTable ovalTables[kOvalTables];
    int ovalTableNext = 0;
    const OvalTable& OvalTableFor(int segments);

    void UpdatePackedColor();
    void Begin(int kind, gxtkSurface* surface);
    // True when a quad of this texture simply joins the pending batch (and no test
    // watches): the common case, tested inline before calling Begin.
    bool JoinsQuadBatch(const gxtkSurface* surface) const {
        return !gxtkTestHooks::Watched() && batchKind == kQuads && batchSurface == surface && batchCount != kMaxQuads;
    }
    int DrawSurfaceCornersAfterBreak(gxtkSurface* s, float x0, float y0, float x1, float y1, float x2, float y2,
                                     float x3, float y3, int srcX, int srcY, int srcW, int srcH);
    void PutCorners(gxtkSurface* s, float x0, float y0, float x1, float y1, float x2, float y2, float x3,
                    float y3, int srcX, int srcY, int srcW, int srcH);
    void PutVertex(gxtkVertex& v, float x, float y);
    void PutQuad(gxtkSurface* s, float x0, float y0, float x1, float y1, float u0, float v0, float u1, float v1);
    void IssueDraw(int glMode, int count, bool visible = true);
    // overdraw.cpp: readies the pending quads for OpenGL (trimmed to what the
    // batch's later opaque rectangles leave visible, stacked faint layers merged
    // into bands, a window fill turned into a clear, blending off when all are
    // opaque); false when nothing is left to draw.
    bool PrepareQuadBatch(bool submit);
    int TrimCoveredQuads(int* fill);
    int TrimOrReuse(int* fill);
    // A big batch as it came and as TrimCoveredQuads left it.
    struct KeptBatch {
        int quads = 0;              // 0 while nothing is kept
        int width = 0, height = 0;  // the window it was trimmed for
        int left = 0, fill = -1;    // what TrimCoveredQuads returned
        gxtkVertex before[kMaxVertices];
        gxtkVertex after[kMaxVertices];
    };
    static constexpr int kKeptMinQuads = 16;  // smaller batches are walked again, which costs less
    static constexpr int kKeptBatches = 2;
    KeptBatch keptBatches[kKeptBatches];
    int keptLast = 0;  // the slot used last
    bool QuadBatchIsOpaque() const;
    void UseBlending(bool on);
    void UseTexture(gxtkSurface* surface);  // null: untextured
};

extern gxtkGraphics* kx_graphics_device;
