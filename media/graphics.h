// graphics.h - the toolkit's graphics module: images and frames, the drawing
// context with its matrix stack, colour, alpha, blend and scissor, and the default
// font. Implemented in media/graphics.cpp; the game draws only through it, the host
// opens and closes it around each render.
#pragma once

#include "runtime/runtime.h"
#include "media/graphics_device.h"

// One cell of a sprite sheet: its top-left corner in the surface, in pixels.
struct kx_graphics_Frame : Object {
    int x = 0, y = 0;

    kx_graphics_Frame* g_new(int x, int y);
    kx_graphics_Frame* g_new2();
};

struct kx_graphics_Image : Object {
    // Image flags.
    static constexpr int CentreHandle = 1;
    static constexpr int PadX = 2;
    static constexpr int PadY = 4;
    static constexpr int WholeSurface = 0x10000;

    gxtkSurface* surface = nullptr;  // shared with images grabbed from this one
    int width = 0, height = 0;       // size of one frame
    Array<kx_graphics_Frame*> frames;
    int flags = 0;
    float handleX = 0, handleY = 0;
    kx_graphics_Image* source = nullptr;  // the image this one was grabbed from

    kx_graphics_Image* g_new();
    virtual int m_SetHandle(float x, float y);
    virtual int m_ApplyFlags(int flags);
    virtual kx_graphics_Image* m_Init(gxtkSurface* surface, int frameCount, int flags);
    virtual kx_graphics_Image* m_Grab(int x, int y, int frameWidth, int frameHeight, int frameCount, int flags,
                                      kx_graphics_Image* source);
    virtual kx_graphics_Image* m_GrabImage(int x, int y, int frameWidth, int frameHeight, int frameCount,
                                           int flags);
    void mark() override;
};

struct kx_graphics_GraphicsContext : Object {
    static constexpr int kStackMatrices = 32;
    static constexpr int kStackFloats = kStackMatrices * 6;

    kx_graphics_Image* defaultFont = nullptr;
    kx_graphics_Image* font = nullptr;
    int firstChar = 0;
    int matrixSp = 0;
    float a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;
    int transformed = 0;
    int matrixDirty = 0;
    float colorR = 0, colorG = 0, colorB = 0;
    float alpha = 0;
    int blend = 0;
    float scissorX = 0, scissorY = 0, scissorW = 0, scissorH = 0;
    Array<float> matrixStack;

    kx_graphics_GraphicsContext* g_new();
    virtual int m_Validate();
    void mark() override;
};

extern gxtkGraphics* kx_graphics_device;
extern kx_graphics_GraphicsContext* kx_graphics_context;
extern gxtkGraphics* kx_graphics_renderDevice;  // set only while a frame is drawn

// Device and frame.
int kx_graphics_SetGraphicsDevice(gxtkGraphics* device);
int kx_graphics_DeviceWidth();
int kx_graphics_DeviceHeight();
int kx_graphics_BeginRender();
int kx_graphics_EndRender();

// Images.
kx_graphics_Image* kx_graphics_LoadImage(String path, int frameCount, int flags);
kx_graphics_Image* kx_graphics_LoadImage2(String path, int frameWidth, int frameHeight, int frameCount, int flags);

// Matrix.
int kx_graphics_SetMatrix(float a, float b, float c, float d, float tx, float ty);
int kx_graphics_SetMatrix2(Array<float> m);
int kx_graphics_Transform(float a, float b, float c, float d, float tx, float ty);
int kx_graphics_Transform2(Array<float> m);
int kx_graphics_Translate(float x, float y);
int kx_graphics_Scale(float x, float y);
int kx_graphics_Rotate(float degrees);
int kx_graphics_PushMatrix();
int kx_graphics_PopMatrix();

// State.
int kx_graphics_SetColor(float r, float g, float b);
int kx_graphics_SetAlpha(float alpha);
// Both at once, as SetColor then SetAlpha leave them, with the device's packed
// colour worked out once (the display-list replay changes both on many records).
int kx_graphics_SetColorAndAlpha(float r, float g, float b, float alpha);
int kx_graphics_SetBlend(int blend);
int kx_graphics_SetScissor(float x, float y, float w, float h);
int kx_graphics_SetFont(kx_graphics_Image* font, int firstChar);

// Drawing.
int kx_graphics_DrawRect(float x, float y, float w, float h);
int kx_graphics_DrawLine(float x1, float y1, float x2, float y2);
int kx_graphics_DrawEllipse(float x, float y, float xRadius, float yRadius);
int kx_graphics_DrawImage(kx_graphics_Image* image, float x, float y, int frame);
int kx_graphics_DrawImage2(kx_graphics_Image* image, float x, float y, float rotation, float scaleX, float scaleY,
                           int frame);
// Text in the current font, one frame per character from firstChar, left to right
// from (x, y); characters outside the font are skipped but still advance.
int kx_graphics_DrawText(String text, float x, float y);
