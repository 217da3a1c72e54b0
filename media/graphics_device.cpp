// graphics_device.cpp - placeholder until the batch renderer lands.
#include "media/graphics_device.h"
#include "host/glfw2.h"

gxtkGraphics* kx_graphics_device = nullptr;

gxtkGraphics::gxtkGraphics() {}
int gxtkGraphics::Mode() { return mode; }
int gxtkGraphics::Width() { return width; }
int gxtkGraphics::Height() { return height; }
int gxtkGraphics::BeginRender() { return 0; }
int gxtkGraphics::EndRender() { glfw2::SwapBuffers(); return 0; }
int gxtkGraphics::Flush() { return 0; }
bool gxtkGraphics::Validate() {
    width = height = 0;
    glfw2::GetWindowSize(&width, &height);
    return width > 0 && height > 0;
}
