// graphics_device.h - the graphics device: OpenGL state of the window, the batch
// renderer with its CPU-side matrix, and image surfaces (textures). Implemented in
// media/graphics_device.cpp; created by the host application, driven each frame by
// the drawing context (media/graphics.cpp).
#pragma once

#include "runtime/runtime.h"

struct gxtkSurface;

struct gxtkGraphics : gxtkObject {
    int mode = 1;
    int width = 0, height = 0;

    gxtkGraphics();
    virtual int Mode();
    virtual int Width();
    virtual int Height();

    int BeginRender();
    int EndRender();
    int Flush();
    bool Validate();
};

extern gxtkGraphics* kx_graphics_device;
