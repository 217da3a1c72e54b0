// test_hooks.h - the graphics device's seams for tests and benchmarks: a batch
// observer, the switch that keeps draw calls from OpenGL, and simulated texture
// allocation failures. They exist only in the test build of the media library
// (media_hooks, compiled with TUMBLEROO_TEST_HOOKS, linked by the tests and the
// benchmarks); in the shipped library every hook below compiles to nothing.
// Called by media/graphics_device.cpp and media/image_surface.cpp.
#pragma once

struct gxtkSurface;

// Watches the batching from outside the device: every primitive with the batch
// kind and texture it needs, and every call that ends a batch under the rules
// (a new frame, blend, scissor, pixel transfer, and Cls, which drops the pending
// batch undrawn). The benchmarks work out from this the fewest draw calls a frame's
// sequence allows and hold the device's count against it.
struct gxtkBatchObserver {
    enum Change { kFrame, kBlend, kScissor, kPixelTransfer, kClear };
    virtual ~gxtkBatchObserver() {}
    // kind: gxtkGraphics::kPoints, kLines, kQuads or kFan; surface null if untextured.
    virtual void OnPrimitive(int kind, const gxtkSurface* surface) = 0;
    virtual void OnBatchEnd(int change) = 0;
};

namespace gxtkTestHooks {

#ifdef TUMBLEROO_TEST_HOOKS
extern gxtkBatchObserver* batchObserver;  // not owned; null unless measuring
// Benchmarks that count the CPU side alone clear this: every draw call is still
// made up and counted, but not handed to OpenGL.
extern bool submitDraws;
// The next N texture allocations report failure as a GL error would, so the
// power-of-two fallback can be exercised on a GL that takes any size.
extern int simulatedAllocationFailures;

inline bool Watched() { return batchObserver != nullptr; }
inline void Primitive(int kind, const gxtkSurface* surface) {
    if (batchObserver) batchObserver->OnPrimitive(kind, surface);
}
inline void BatchEnd(int change) {
    if (batchObserver) batchObserver->OnBatchEnd(change);
}
inline bool SubmitDraws() { return submitDraws; }
inline bool FailAllocation() {
    if (simulatedAllocationFailures <= 0) return false;
    --simulatedAllocationFailures;
    return true;
}
#else
constexpr bool Watched() { return false; }
inline void Primitive(int, const gxtkSurface*) {}
inline void BatchEnd(int) {}
constexpr bool SubmitDraws() { return true; }
constexpr bool FailAllocation() { return false; }
#endif

}  // namespace gxtkTestHooks
