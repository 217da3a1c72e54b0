// glfw2.cpp - the backend switch and the callback table of the window layer. The
// GLFW 3 backend itself lives in host/glfw3_backend.cpp.
#include "host/glfw2.h"

namespace glfw2 {
namespace {

Backend* g_backend = nullptr;  // null: the GLFW 3 backend

struct Callbacks {
    KeyFn key = nullptr;
    CharFn chr = nullptr;
    MouseButtonFn mouseButton = nullptr;
    WindowSizeFn windowSize = nullptr;
    WindowRefreshFn windowRefresh = nullptr;
} g_callbacks;

}  // namespace

Backend& CurrentBackend() { return g_backend ? *g_backend : Glfw3Backend(); }
void SetBackend(Backend* backend) { g_backend = backend; }

void SetKeyCallback(KeyFn fn) { g_callbacks.key = fn; }
void SetCharCallback(CharFn fn) { g_callbacks.chr = fn; }
void SetMouseButtonCallback(MouseButtonFn fn) { g_callbacks.mouseButton = fn; }
void SetWindowSizeCallback(WindowSizeFn fn) { g_callbacks.windowSize = fn; }
void SetWindowRefreshCallback(WindowRefreshFn fn) { g_callbacks.windowRefresh = fn; }

void DeliverKey(int key, int action) {
    if (g_callbacks.key) g_callbacks.key(key, action);
}
void DeliverChar(int character, int action) {
    if (g_callbacks.chr) g_callbacks.chr(character, action);
}
void DeliverMouseButton(int button, int action) {
    if (g_callbacks.mouseButton) g_callbacks.mouseButton(button, action);
}
void DeliverWindowSize(int width, int height) {
    if (g_callbacks.windowSize) g_callbacks.windowSize(width, height);
}
void DeliverWindowRefresh() {
    if (g_callbacks.windowRefresh) g_callbacks.windowRefresh();
}

}  // namespace glfw2
