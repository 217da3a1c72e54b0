// least_draw_calls.h - the fewest draw calls a frame's sequence of primitives
// allows under the batching rules, worked out from the graphics device's batch
// observer, independently of the device's own batching code. The game benchmark
// holds the device's frameDrawCalls against it; the media tests check it on known
// sequences.
//
// The rules it applies: consecutive primitives share a call while their kind and
// texture agree and the batch has room (points 1024, lines 512, quads 256); an oval
// or polygon is a call of its own; blend, scissor and pixel transfers end the
// batch; Cls drops the pending batch undrawn; the end of the frame draws what is
// left.
#pragma once

#include "media/graphics_device.h"

class LeastDrawCalls : public gxtkBatchObserver {
public:
    // Why a primitive could not join the batch before it.
    struct Breaks {
        int kind = 0;      // another primitive kind
        int texture = 0;   // same kind, another texture (or none)
        int capacity = 0;  // the batch was full
        int fan = 0;       // ovals and polygons, one call each
        int state = 0;     // blend, scissor or pixel transfer ended the batch
    };

    void OnPrimitive(int kind, const gxtkSurface* surface) override {
        ++primitives_;
        if (kind == gxtkGraphics::kFan) {
            ClosePending();
            ++calls_;
            ++breaks_.fan;
            return;
        }
        if (pendingCount_ > 0) {
            if (kind != pendingKind_) {
                ++breaks_.kind;
            } else if (surface != pendingSurface_) {
                ++breaks_.texture;
            } else if (pendingCount_ == Capacity(kind)) {
                ++breaks_.capacity;
            } else {
                ++pendingCount_;
                return;
            }
            ClosePending();
        }
        pendingKind_ = kind;
        pendingSurface_ = surface;
        pendingCount_ = 1;
    }

    void OnBatchEnd(int change) override {
        switch (change) {
            case kFrame:
                *this = LeastDrawCalls();
                break;
            case kClear:
                pendingCount_ = 0;  // dropped, never drawn
                break;
            default:
                if (pendingCount_ > 0) ++breaks_.state;
                ClosePending();
                break;
        }
    }

    // The fewest calls for everything seen since the frame began, the final flush
    // of the pending batch included.
    int FrameTotal() const { return calls_ + (pendingCount_ > 0 ? 1 : 0); }
    int Primitives() const { return primitives_; }
    const Breaks& BreakCounts() const { return breaks_; }

private:
    static int Capacity(int kind) {
        switch (kind) {
            case gxtkGraphics::kLines: return gxtkGraphics::kMaxVertices / 2;
            case gxtkGraphics::kQuads: return gxtkGraphics::kMaxVertices / 4;
            default: return gxtkGraphics::kMaxVertices;
        }
    }
    void ClosePending() {
        if (pendingCount_ > 0) ++calls_;
        pendingCount_ = 0;
    }

    int calls_ = 0;
    int primitives_ = 0;
    int pendingKind_ = 0;
    const gxtkSurface* pendingSurface_ = nullptr;
    int pendingCount_ = 0;
    Breaks breaks_;
};
