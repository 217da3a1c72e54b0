// graphics.cpp - placeholder until the drawing context lands.
#include "media/graphics.h"

kx_graphics_GraphicsContext* kx_graphics_context = nullptr;
gxtkGraphics* kx_graphics_renderDevice = nullptr;

kx_graphics_GraphicsContext* kx_graphics_GraphicsContext::g_new() { return this; }
int kx_graphics_SetFont(kx_graphics_Image*, int) { return 0; }
int kx_graphics_BeginRender() { gc_assign(kx_graphics_renderDevice, kx_graphics_device); return 0; }
