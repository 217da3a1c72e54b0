// batch_observer_test.cpp - the graphics device's batch observer on a real OpenGL
// context: what it reports for each primitive and batch-ending call, and the
// fewest-draw-calls count the game benchmark derives from it, checked against the
// device's own counted draw calls on sequences whose answer is known.
#include <string>
#include <vector>

#include "bench/game/least_draw_calls.h"
#include "tests/media/gl_window.h"

using gltest::DeviceTest;

namespace {

// Every report as text, in order: "quad:S1", "fan:-", "end:blend", ...
class Recorder : public gxtkBatchObserver {
public:
    explicit Recorder(const std::vector<const gxtkSurface*>& surfaces) : surfaces_(surfaces) {}
    std::vector<std::string> log;

    void OnPrimitive(int kind, const gxtkSurface* surface) override {
        log.push_back(KindName(kind) + ":" + SurfaceName(surface));
    }
    void OnBatchEnd(int change) override {
        static const char* const kNames[] = {"frame", "blend", "scissor", "transfer", "clear"};
        log.push_back(std::string("end:") + kNames[change]);
    }

private:
    static std::string KindName(int kind) {
        switch (kind) {
            case gxtkGraphics::kPoints: return "point";
            case gxtkGraphics::kLines: return "line";
            case gxtkGraphics::kQuads: return "quad";
            case gxtkGraphics::kFan: return "fan";
            default: return "?" + std::to_string(kind);
        }
    }
    std::string SurfaceName(const gxtkSurface* s) const {
        if (!s) return "-";
        for (size_t i = 0; i < surfaces_.size(); ++i) {
            if (surfaces_[i] == s) return "S" + std::to_string(i + 1);
        }
        return "unknown";
    }
    std::vector<const gxtkSurface*> surfaces_;
};

class BatchObserver : public DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        if (HasFatalFailure()) return;
        s1 = device->CreateSurface(16, 16);
        s2 = device->CreateSurface(16, 16);
        ASSERT_NE(s1, nullptr);
        ASSERT_NE(s2, nullptr);
    }
    void TearDown() override {
        gxtkTestHooks::batchObserver = nullptr;
        DeviceTest::TearDown();
    }
    // A new frame with `observer` watching it from its start.
    void StartFrame(gxtkBatchObserver* observer) {
        device->EndRender();
        gxtkTestHooks::batchObserver = observer;
        device->BeginRender();
    }
    // Ends the frame and checks the device drew exactly the fewest calls possible.
    void ExpectLeast(LeastDrawCalls& least, int expected) {
        device->EndRender();
        EXPECT_EQ(least.FrameTotal(), expected);
        EXPECT_EQ(device->frameDrawCalls, expected);
    }

    gxtkSurface* s1 = nullptr;
    gxtkSurface* s2 = nullptr;
};

}  // namespace

TEST_F(BatchObserver, ReportsEachPrimitiveWithItsKindAndTextureAndEveryBatchEnd) {
    Recorder rec({s1, s2});
    StartFrame(&rec);
    device->DrawRect(0, 0, 4, 4);
    device->DrawSurface(s1, 0, 0);
    device->DrawSurface2(s2, 0, 0, 0, 0, 8, 8);
    device->DrawLine(0, 0, 5, 5);
    device->DrawPoint(1, 1);
    device->DrawOval(0, 0, 10, 10);
    device->SetBlend(1);
    device->SetScissor(1, 1, 5, 5);
    device->Cls(0, 0, 0);
    Array<float> tooFew(4);
    device->DrawPoly(tooFew);  // fewer than 3 points: nothing drawn, nothing reported
    Array<float> triangle(6);
    device->DrawPoly(triangle);
    Array<int> pixels(4);
    device->ReadPixels(pixels, 0, 0, 2, 2, 0, 2);
    const std::vector<std::string> expected = {
        "end:frame", "quad:-", "quad:S1",     "quad:S2",    "line:-",   "point:-",
        "fan:-",     "end:blend", "end:scissor", "end:clear", "fan:-", "end:transfer"};
    EXPECT_EQ(rec.log, expected);
}

TEST_F(BatchObserver, LeastCallsMatchTheDeviceOnRunsOfKindTextureAndCapacity) {
    LeastDrawCalls least;
    StartFrame(&least);
    for (int i = 0; i < 300; ++i) device->DrawRect(0, 0, 1, 1);  // 256 + 44
    ExpectLeast(least, 2);
    EXPECT_EQ(least.Primitives(), 300);
    EXPECT_EQ(least.BreakCounts().capacity, 1);

    StartFrame(&least);
    device->DrawSurface(s1, 0, 0);
    device->DrawRect(0, 0, 1, 1);
    device->DrawSurface(s1, 2, 2);  // the rectangle splits the two images
    ExpectLeast(least, 3);
    EXPECT_EQ(least.BreakCounts().kind, 0);
    EXPECT_EQ(least.BreakCounts().texture, 2);

    StartFrame(&least);
    device->DrawSurface(s1, 0, 0);
    device->DrawSurface(s1, 1, 0);
    device->DrawSurface(s2, 2, 0);
    device->DrawLine(0, 0, 1, 1);
    device->DrawLine(0, 1, 1, 2);
    ExpectLeast(least, 3);
    EXPECT_EQ(least.BreakCounts().texture, 1);
    EXPECT_EQ(least.BreakCounts().kind, 1);
}

TEST_F(BatchObserver, OvalsStandAloneAndStateChangesEndTheBatch) {
    LeastDrawCalls least;
    StartFrame(&least);
    device->DrawRect(0, 0, 1, 1);
    device->DrawOval(0, 0, 20, 10);
    device->DrawOval(0, 0, 20, 10);
    device->DrawRect(0, 0, 1, 1);
    device->SetBlend(1);
    device->DrawRect(0, 0, 1, 1);
    device->SetBlend(0);  // ends a batch of one
    device->SetScissor(0, 0, 5, 5);  // nothing pending: no call
    ExpectLeast(least, 5);
    EXPECT_EQ(least.BreakCounts().fan, 2);
    EXPECT_EQ(least.BreakCounts().state, 2);
}

TEST_F(BatchObserver, ClsDropsThePendingBatchWithoutADrawCall) {
    LeastDrawCalls least;
    StartFrame(&least);
    device->DrawRect(0, 0, 1, 1);
    device->DrawRect(0, 0, 1, 1);
    device->Cls(0, 0, 0);
    device->DrawSurface(s1, 0, 0);
    ExpectLeast(least, 1);
    EXPECT_EQ(least.Primitives(), 3);
}
