// graphics.cpp - the toolkit's graphics module: images cut into frames, the one
// drawing context (matrix stack, colour, alpha, blend, scissor, font) and the draw
// calls the game makes. It forwards state to the render device at once, except the
// matrix, which the device receives only when something is about to be drawn.
// Called by the game's render and loading code; the host opens and closes a frame
// with kx_graphics_BeginRender / kx_graphics_EndRender.
#include "media/graphics.h"

#include <cmath>

#include "host/paths.h"

gxtkGraphics* kx_graphics_renderDevice = nullptr;
kx_graphics_GraphicsContext* kx_graphics_context = nullptr;

namespace {

constexpr float kDegToRad = 0.0174532924f;
constexpr int kDefaultFirstChar = 32;
constexpr int kDefaultFontFrames = 96;
const char* const kDefaultFontName = "zindle_font.png";

kx_graphics_GraphicsContext& Ctx() { return *kx_graphics_context; }

bool IsIdentity(const kx_graphics_GraphicsContext& g) {
    return g.a == 1 && g.b == 0 && g.c == 0 && g.d == 1 && g.tx == 0 && g.ty == 0;
}

void MatrixChanged() {
    kx_graphics_GraphicsContext& g = Ctx();
    g.transformed = !IsIdentity(g);
    g.matrixDirty = 1;
}

// Draws the current frame of an image with its top-left corner at (px, py); a
// one-frame image covering its whole surface needs no source rectangle.
void DrawFrameAt(kx_graphics_Image* image, kx_graphics_Frame* frame, float px, float py) {
    if (image->flags & kx_graphics_Image::WholeSurface) {
        kx_graphics_renderDevice->DrawSurface(image->surface, px, py);
    } else {
        kx_graphics_renderDevice->DrawSurface2(image->surface, px, py, frame->x, frame->y, image->width,
                                               image->height);
    }
}

// A grid that does not fit its sheet is a fault in the game's data: a runtime
// error. Should the debugger ever let the error return, the half-cut image is not
// handed out.
kx_graphics_Image* FrameOutsideSurface() {
    Error(T("Image frame outside surface"));
    return nullptr;
}

}  // namespace

// ===========================================================================
// Frames and images
// ===========================================================================

kx_graphics_Frame* kx_graphics_Frame::g_new(int fx, int fy) {
    x = fx;
    y = fy;
    return this;
}

kx_graphics_Frame* kx_graphics_Frame::g_new2() { return this; }

kx_graphics_Image* kx_graphics_Image::g_new() { return this; }

void kx_graphics_Image::mark() {
    gc_mark_q(surface);
    gc_mark_q(frames);
    gc_mark_q(source);
}

int kx_graphics_Image::m_SetHandle(float x, float y) {
    handleX = x;
    handleY = y;
    flags &= ~CentreHandle;
    return 0;
}

int kx_graphics_Image::m_ApplyFlags(int newFlags) {
    flags = newFlags;
    const int count = frames.Length();
    if (flags & PadX) {
        for (int i = 0; i < count; ++i) frames[i]->x += 1;
        width -= 2;
    }
    if (flags & PadY) {
        for (int i = 0; i < count; ++i) frames[i]->y += 1;
        height -= 2;
    }
    // Centred after padding, so the handle sits in the middle of what is drawn.
    if (flags & CentreHandle) m_SetHandle(width * 0.5f, height * 0.5f);
    if (count == 1 && frames[0]->x == 0 && frames[0]->y == 0 && width == surface->Width() &&
        height == surface->Height()) {
        flags |= WholeSurface;
    }
    return 0;
}

kx_graphics_Image* kx_graphics_Image::m_Init(gxtkSurface* s, int frameCount, int newFlags) {
    gc_assign(surface, s);
    width = frameCount > 0 ? s->Width() / frameCount : 0;
    height = s->Height();
    Array<kx_graphics_Frame*> cells(frameCount);
    gc_assign(frames, cells);
    for (int i = 0; i < frameCount; ++i) gc_assign(frames[i], (new kx_graphics_Frame())->g_new(i * width, 0));
    m_ApplyFlags(newFlags);
    return this;
}

kx_graphics_Image* kx_graphics_Image::m_Grab(int x, int y, int frameWidth, int frameHeight, int frameCount,
                                             int newFlags, kx_graphics_Image* src) {
    gc_assign(source, src);
    gc_assign(surface, src->surface);
    width = frameWidth;
    height = frameHeight;
    Array<kx_graphics_Frame*> cells(frameCount);
    gc_assign(frames, cells);
    const kx_graphics_Frame* origin = src->frames[0];
    // Cells run left to right, then row by row; only the first row starts at x.
    int cx = x, cy = y;
    for (int i = 0; i < frameCount; ++i) {
        if (cx + width > src->width) {
            if (width > src->width) return FrameOutsideSurface();
            cx = 0;
            cy += height;
        }
        if (cy + height > src->height) return FrameOutsideSurface();
        gc_assign(frames[i], (new kx_graphics_Frame())->g_new(cx + origin->x, cy + origin->y));
        cx += width;
    }
    m_ApplyFlags(newFlags);
    return this;
}

kx_graphics_Image* kx_graphics_Image::m_GrabImage(int x, int y, int frameWidth, int frameHeight, int frameCount,
                                                  int newFlags) {
    if (frames.Length() != 1) return nullptr;
    return (new kx_graphics_Image())->g_new()->m_Grab(x, y, frameWidth, frameHeight, frameCount, newFlags, this);
}

kx_graphics_Image* kx_graphics_LoadImage(String path, int frameCount, int flags) {
    gxtkSurface* surface = kx_graphics_device->LoadSurface(kx_data_FixDataPath(path));
    if (!surface) return nullptr;
    return (new kx_graphics_Image())->g_new()->m_Init(surface, frameCount, flags);
}

kx_graphics_Image* kx_graphics_LoadImage2(String path, int frameWidth, int frameHeight, int frameCount, int flags) {
    kx_graphics_Image* sheet = kx_graphics_LoadImage(path, 1, 0);
    if (!sheet) return nullptr;
    return sheet->m_GrabImage(0, 0, frameWidth, frameHeight, frameCount, flags);
}

// ===========================================================================
// The drawing context
// ===========================================================================

kx_graphics_GraphicsContext* kx_graphics_GraphicsContext::g_new() {
    Array<float> stack(kStackFloats);
    gc_assign(matrixStack, stack);
    return this;
}

void kx_graphics_GraphicsContext::mark() {
    gc_mark_q(defaultFont);
    gc_mark_q(font);
    gc_mark_q(matrixStack);
}

int kx_graphics_GraphicsContext::m_Validate() {
    if (matrixDirty) {
        kx_graphics_renderDevice->SetMatrix(a, b, c, d, tx, ty);
        matrixDirty = 0;
    }
    return 0;
}

int kx_graphics_SetGraphicsDevice(gxtkGraphics* device) {
    gc_assign(kx_graphics_device, device);
    return 0;
}

int kx_graphics_DeviceWidth() { return kx_graphics_device->Width(); }
int kx_graphics_DeviceHeight() { return kx_graphics_device->Height(); }

int kx_graphics_BeginRender() {
    if (kx_graphics_device->Mode() == 0) return 0;
    gc_assign(kx_graphics_renderDevice, kx_graphics_device);
    kx_graphics_GraphicsContext& g = Ctx();
    g.matrixSp = 0;
    g.a = 1, g.b = 0, g.c = 0, g.d = 1, g.tx = 0, g.ty = 0;
    g.transformed = 0;
    g.matrixDirty = 1;
    kx_graphics_SetColor(255, 255, 255);
    kx_graphics_SetAlpha(1);
    kx_graphics_SetBlend(0);
    kx_graphics_SetScissor(0, 0, static_cast<float>(kx_graphics_DeviceWidth()),
                           static_cast<float>(kx_graphics_DeviceHeight()));
    return 0;
}

int kx_graphics_EndRender() {
    kx_graphics_renderDevice = nullptr;
    return 0;
}

// ---------------------------------------------------------------------------
// Matrix
// ---------------------------------------------------------------------------

int kx_graphics_SetMatrix(float a, float b, float c, float d, float tx, float ty) {
    kx_graphics_GraphicsContext& g = Ctx();
    g.a = a, g.b = b, g.c = c, g.d = d, g.tx = tx, g.ty = ty;
    MatrixChanged();
    return 0;
}

int kx_graphics_SetMatrix2(Array<float> m) { return kx_graphics_SetMatrix(m[0], m[1], m[2], m[3], m[4], m[5]); }

// The given matrix is applied to a point first, then the current one.
int kx_graphics_Transform(float a, float b, float c, float d, float tx, float ty) {
    kx_graphics_GraphicsContext& g = Ctx();
    const float A = g.a, B = g.b, C = g.c, D = g.d, TX = g.tx, TY = g.ty;
    g.a = a * A + b * C;
    g.b = a * B + b * D;
    g.c = c * A + d * C;
    g.d = c * B + d * D;
    g.tx = tx * A + ty * C + TX;
    g.ty = tx * B + ty * D + TY;
    MatrixChanged();
    return 0;
}

int kx_graphics_Transform2(Array<float> m) { return kx_graphics_Transform(m[0], m[1], m[2], m[3], m[4], m[5]); }

int kx_graphics_Translate(float x, float y) { return kx_graphics_Transform(1, 0, 0, 1, x, y); }
int kx_graphics_Scale(float x, float y) { return kx_graphics_Transform(x, 0, 0, y, 0, 0); }

// Positive angles turn anticlockwise on screen (y grows downwards), hence -sin in b.
int kx_graphics_Rotate(float degrees) {
    const float r = degrees * kDegToRad;
    const float sn = static_cast<float>(std::sin(static_cast<double>(r)));
    const float cs = static_cast<float>(std::cos(static_cast<double>(r)));
    return kx_graphics_Transform(cs, -sn, sn, cs, 0, 0);
}

int kx_graphics_PushMatrix() {
    kx_graphics_GraphicsContext& g = Ctx();
    float* top = &g.matrixStack[g.matrixSp];
    top[0] = g.a, top[1] = g.b, top[2] = g.c, top[3] = g.d, top[4] = g.tx, top[5] = g.ty;
    g.matrixSp += 6;
    return 0;
}

int kx_graphics_PopMatrix() {
    kx_graphics_GraphicsContext& g = Ctx();
    g.matrixSp -= 6;
    const float* top = &g.matrixStack[g.matrixSp];
    return kx_graphics_SetMatrix(top[0], top[1], top[2], top[3], top[4], top[5]);
}

// ---------------------------------------------------------------------------
// State
// ---------------------------------------------------------------------------

int kx_graphics_SetColor(float r, float g, float b) {
    kx_graphics_GraphicsContext& ctx = Ctx();
    ctx.colorR = r, ctx.colorG = g, ctx.colorB = b;
    kx_graphics_renderDevice->SetColor(r, g, b);
    return 0;
}

int kx_graphics_SetAlpha(float alpha) {
    Ctx().alpha = alpha;
    kx_graphics_renderDevice->SetAlpha(alpha);
    return 0;
}

int kx_graphics_SetColorAndAlpha(float r, float g, float b, float alpha) {
    kx_graphics_GraphicsContext& ctx = Ctx();
    ctx.colorR = r, ctx.colorG = g, ctx.colorB = b;
    ctx.alpha = alpha;
    kx_graphics_renderDevice->SetColorAndAlpha(r, g, b, alpha);
    return 0;
}

int kx_graphics_SetBlend(int blend) {
    Ctx().blend = blend;
    kx_graphics_renderDevice->SetBlend(blend);
    return 0;
}

int kx_graphics_SetScissor(float x, float y, float w, float h) {
    kx_graphics_GraphicsContext& g = Ctx();
    g.scissorX = x, g.scissorY = y, g.scissorW = w, g.scissorH = h;
    kx_graphics_renderDevice->SetScissor(static_cast<int>(x), static_cast<int>(y), static_cast<int>(w),
                                         static_cast<int>(h));
    return 0;
}

int kx_graphics_SetFont(kx_graphics_Image* font, int firstChar) {
    kx_graphics_GraphicsContext& g = Ctx();
    if (font) {
        gc_assign(g.font, font);
        g.firstChar = firstChar;
        return 0;
    }
    if (!g.defaultFont) {
        gc_assign(g.defaultFont, kx_graphics_LoadImage(T(kDefaultFontName), kDefaultFontFrames,
                                                       kx_graphics_Image::PadX));
    }
    g.firstChar = kDefaultFirstChar;
    gc_assign(g.font, g.defaultFont);
    return 0;
}

// ---------------------------------------------------------------------------
// Drawing
// ---------------------------------------------------------------------------

int kx_graphics_DrawRect(float x, float y, float w, float h) {
    Ctx().m_Validate();
    kx_graphics_renderDevice->DrawRect(x, y, w, h);
    return 0;
}

int kx_graphics_DrawLine(float x1, float y1, float x2, float y2) {
    Ctx().m_Validate();
    kx_graphics_renderDevice->DrawLine(x1, y1, x2, y2);
    return 0;
}

int kx_graphics_DrawEllipse(float x, float y, float xRadius, float yRadius) {
    Ctx().m_Validate();
    kx_graphics_renderDevice->DrawOval(x - xRadius, y - yRadius, 2 * xRadius, 2 * yRadius);
    return 0;
}

int kx_graphics_DrawImage(kx_graphics_Image* image, float x, float y, int frame) {
    kx_graphics_GraphicsContext& g = Ctx();
    kx_graphics_Frame* cell = image->frames[frame];
    if (g.transformed) {
        kx_graphics_PushMatrix();
        kx_graphics_Translate(x - image->handleX, y - image->handleY);
        g.m_Validate();
        DrawFrameAt(image, cell, 0, 0);
        kx_graphics_PopMatrix();
    } else {
        g.m_Validate();
        DrawFrameAt(image, cell, x - image->handleX, y - image->handleY);
    }
    return 0;
}

namespace {

// An image's frame placed with translate (x, y), the rotation given by its cosine
// and sine, the scales and the handle's offset folded into one matrix, term for
// term as the context's own matrix operations compose them; its corners are then
// placed as the device would place them (the same vertices for any finite position
// and size), so the device needs no matrix for it.
inline int DrawFrameCorners(kx_graphics_Image* image, const kx_graphics_Frame* cell, float x, float y, float cs,
                            float sn, float scaleX, float scaleY) {
    const float a = scaleX * cs, b = scaleX * -sn, c = scaleY * sn, d = scaleY * cs;
    const float hx = -image->handleX, hy = -image->handleY;
    const float tx = hx * a + hy * c + x, ty = hx * b + hy * d + y;
    // The frame's rectangle runs from the origin to (w, h), as DrawFrameAt(image,
    // cell, 0, 0) gives it; a product with the origin's 0 adds nothing.
    const float w = static_cast<float>(image->width), h = static_cast<float>(image->height);
    const float aw = a * w, bw = b * w, ch = c * h, dh = d * h;
    return kx_graphics_renderDevice->DrawSurfaceCorners(image->surface, tx, ty, aw + tx, bw + ty, aw + ch + tx,
                                                        bw + dh + ty, ch + tx, dh + ty, cell->x, cell->y,
                                                        image->width, image->height);
}

// The unrotated case of the above with its products by the sine's 0 left out: the
// same corners (up to the sign of a zero), fewer instructions for the image the
// replay draws most.
inline int DrawUnrotatedFrameCorners(kx_graphics_Image* image, const kx_graphics_Frame* cell, float x, float y,
                                     float scaleX, float scaleY) {
    const float x0 = x - image->handleX * scaleX, y0 = y - image->handleY * scaleY;
    const float x1 = scaleX * static_cast<float>(image->width) + x0;
    const float y1 = scaleY * static_cast<float>(image->height) + y0;
    return kx_graphics_renderDevice->DrawSurfaceCorners(image->surface, x0, y0, x1, y0, x1, y1, x0, y1, cell->x,
                                                        cell->y, image->width, image->height);
}

// Out of line, like the matrix path below, so that the common unrotated image
// calls nothing but the device.
__attribute__((noinline)) int DrawRotatedFrame(kx_graphics_Image* image, const kx_graphics_Frame* cell, float x,
                                               float y, float rotation, float scaleX, float scaleY) {
    const float r = rotation * kDegToRad;
    const float sn = static_cast<float>(std::sin(static_cast<double>(r)));
    const float cs = static_cast<float>(std::cos(static_cast<double>(r)));
    return DrawFrameCorners(image, cell, x, y, cs, sn, scaleX, scaleY);
}

// With a matrix of the context's own in force: the stack, the device's matrix and
// the device's own placement of the frame.
__attribute__((noinline)) int DrawFrameUnderMatrix(kx_graphics_Image* image, kx_graphics_Frame* cell, float x,
                                                   float y, float rotation, float scaleX, float scaleY) {
    kx_graphics_PushMatrix();
    kx_graphics_Translate(x, y);
    kx_graphics_Rotate(rotation);
    kx_graphics_Transform(scaleX, 0, 0, scaleY, 0, 0);
    kx_graphics_Translate(-image->handleX, -image->handleY);
    Ctx().m_Validate();
    DrawFrameAt(image, cell, 0, 0);
    kx_graphics_PopMatrix();
    return 0;
}

}  // namespace

// The game's display-list replay draws every image this way, with no matrix of the
// context's own in force and mostly unrotated: that case places the corners itself
// without touching the matrix stack or handing the device a matrix per image.
int kx_graphics_DrawImage2(kx_graphics_Image* image, float x, float y, float rotation, float scaleX, float scaleY,
                           int frame) {
    kx_graphics_Frame* cell = image->frames[frame];
    if (Ctx().transformed) return DrawFrameUnderMatrix(image, cell, x, y, rotation, scaleX, scaleY);
    if (rotation != 0) return DrawRotatedFrame(image, cell, x, y, rotation, scaleX, scaleY);
    return DrawUnrotatedFrameCorners(image, cell, x, y, scaleX, scaleY);
}

int kx_graphics_DrawText(String text, float x, float y) {
    kx_graphics_GraphicsContext& g = Ctx();
    kx_graphics_Image* font = g.font;
    if (!font) return 0;
    const int glyphs = font->frames.Length();
    for (int i = 0; i < text.Length(); ++i) {
        const int frame = static_cast<int>(text[i]) - g.firstChar;
        if (frame >= 0 && frame < glyphs) kx_graphics_DrawImage(font, x + i * font->width, y, frame);
    }
    return 0;
}
