// graphics.h - the toolkit's graphics module: images and frames, the drawing
// context with its matrix stack, colour, alpha, blend and scissor, and the default
// font. Implemented in media/graphics.cpp; the game draws only through it.
#pragma once

#include "runtime/runtime.h"
#include "media/graphics_device.h"

struct kx_graphics_Image;

struct kx_graphics_GraphicsContext : Object {
    kx_graphics_GraphicsContext* g_new();
};

extern kx_graphics_GraphicsContext* kx_graphics_context;
extern gxtkGraphics* kx_graphics_renderDevice;  // set only while a frame is drawn

int kx_graphics_SetFont(kx_graphics_Image* font, int firstChar);
int kx_graphics_BeginRender();
