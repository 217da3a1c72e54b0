// render_fastpath_test.cpp - the short cuts the frame's hot path takes, held
// against the long way round on a real OpenGL context: an image drawn with
// rotation and scale under no matrix of the context's own (corners placed by the
// context) against the same image under a matrix (the device places them), corner
// quads and their batching, ovals built from the cached unit circles against
// cosines and sines worked out afresh, colour setters that skip repeats, and draw
// calls that are counted but not submitted.
#include <cmath>
#include <string>

#include "tests/media/gl_window.h"

using gltest::ContextTest;
using gltest::ReadRgb;
using gltest::Rgb;
using gltest::Solid;
using gltest::TempDir;
using gltest::WritePng;

namespace {

const Rgb kBlack{0, 0, 0};
const Rgb kRed{255, 0, 0};

class FastPath : public ContextTest {
protected:
    kx_graphics_Image* Sheet(const std::string& name, int w, int h, int frames, int flags) {
        const std::string file = dir.File(name);
        if (!WritePng(file, w, h, 4, Solid(w, h, {255, 0, 0, 255}))) return nullptr;
        return kx_graphics_LoadImage(String(file.c_str()), frames, flags);
    }
    // The four vertices of the last quad the device took.
    std::vector<gxtkVertex> LastQuad() const {
        const gxtkVertex* v = &device->vertexData[(device->batchCount - 1) * 4];
        return std::vector<gxtkVertex>(v, v + 4);
    }
    TempDir dir;
};

struct Placement {
    float x, y, rotation, scaleX, scaleY;
    int frame;
};

}  // namespace

TEST_F(FastPath, AnImageUnderNoMatrixGetsTheVerticesTheMatrixPathGives) {
    kx_graphics_Image* img = Sheet("cells.png", 48, 10, 3, kx_graphics_Image::CentreHandle);
    ASSERT_NE(img, nullptr);
    const Placement cases[] = {{100, 50, 0, 1, 1, 0},   {37.5f, 80.25f, 0, 2.5f, 1.75f, 1},
                               {160, 120, 90, 1, 1, 2}, {12, 200, -33.3f, 0.5f, 3, 1},
                               {300, 10, 200, -1, 1, 0}};
    for (const Placement& p : cases) {
        device->Flush();
        ASSERT_EQ(kx_graphics_context->transformed, 0);
        kx_graphics_DrawImage2(img, p.x, p.y, p.rotation, p.scaleX, p.scaleY, p.frame);
        const std::vector<gxtkVertex> quick = LastQuad();
        device->Flush();
        // A translation too small to move anything puts a matrix in force, so the
        // same call takes the long way: the stack, the device's matrix, DrawSurface2.
        kx_graphics_Translate(1e-30f, 0);
        ASSERT_EQ(kx_graphics_context->transformed, 1);
        kx_graphics_DrawImage2(img, p.x, p.y, p.rotation, p.scaleX, p.scaleY, p.frame);
        const std::vector<gxtkVertex> longWay = LastQuad();
        kx_graphics_SetMatrix(1, 0, 0, 1, 0, 0);
        for (int i = 0; i < 4; ++i) {
            SCOPED_TRACE("rotation " + std::to_string(p.rotation) + ", corner " + std::to_string(i));
            EXPECT_FLOAT_EQ(quick[i].x, longWay[i].x);
            EXPECT_FLOAT_EQ(quick[i].y, longWay[i].y);
            EXPECT_EQ(quick[i].u, longWay[i].u);
            EXPECT_EQ(quick[i].v, longWay[i].v);
            EXPECT_EQ(quick[i].color, longWay[i].color);
        }
    }
    EXPECT_EQ(kx_graphics_context->matrixSp, 0);
}

TEST_F(FastPath, AnImageUnderNoMatrixLandsOnScreenAndLeavesTheContextAlone) {
    kx_graphics_Image* img = Sheet("square.png", 8, 8, 1, kx_graphics_Image::CentreHandle);
    ASSERT_NE(img, nullptr);
    kx_graphics_DrawImage2(img, 50, 50, 0, 2, 2, 0);  // 42..58 both ways
    kx_graphics_DrawRect(100, 100, 4, 4);              // the context's identity still applies
    device->Flush();
    EXPECT_EQ(ReadRgb(42, 42), kRed);
    EXPECT_EQ(ReadRgb(57, 57), kRed);
    EXPECT_EQ(ReadRgb(41, 50), kBlack);
    EXPECT_EQ(ReadRgb(58, 50), kBlack);
    EXPECT_EQ(ReadRgb(101, 101), (Rgb{255, 255, 255}));
    EXPECT_EQ(kx_graphics_context->a, 1);
    EXPECT_EQ(kx_graphics_context->tx, 0);
    EXPECT_EQ(kx_graphics_context->transformed, 0);
}

TEST_F(FastPath, CornerQuadsKeepTheirCornersAndJoinTheBatchOfTheirSurface) {
    gxtkSurface* s1 = device->CreateSurface(64, 32);
    gxtkSurface* s2 = device->CreateSurface(64, 32);
    ASSERT_NE(s1, nullptr);
    ASSERT_NE(s2, nullptr);
    device->EndRender();
    device->BeginRender();
    device->SetMatrix(2, 0, 0, 2, 10, 10);  // ignored: the corners are final
    device->DrawSurface2(s1, 0, 0, 0, 0, 8, 8);
    device->DrawSurfaceCorners(s1, 1, 2, 3, 4, 5, 6, 7, 8, 16, 8, 16, 16);
    const std::vector<gxtkVertex> q = LastQuad();
    EXPECT_EQ(device->batchCount, 2);
    const float xs[] = {1, 3, 5, 7}, ys[] = {2, 4, 6, 8};
    const float us[] = {16.f / 64, 32.f / 64, 32.f / 64, 16.f / 64};
    const float vs[] = {8.f / 32, 8.f / 32, 24.f / 32, 24.f / 32};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(q[i].x, xs[i]);
        EXPECT_EQ(q[i].y, ys[i]);
        EXPECT_FLOAT_EQ(q[i].u, us[i]);
        EXPECT_FLOAT_EQ(q[i].v, vs[i]);
        EXPECT_EQ(q[i].color, device->packedColor);
    }
    device->DrawSurfaceCorners(s2, 0, 0, 1, 0, 1, 1, 0, 1, 0, 0, 8, 8);  // another texture
    EXPECT_EQ(device->batchCount, 1);
    device->SetMatrix(1, 0, 0, 1, 0, 0);
    device->EndRender();
    EXPECT_EQ(device->frameDrawCalls, 2);
}

TEST_F(FastPath, CornerQuadsSplitAtTheBatchCapacity) {
    gxtkSurface* s = device->CreateSurface(8, 8);
    ASSERT_NE(s, nullptr);
    device->EndRender();
    device->BeginRender();
    for (int i = 0; i < gxtkGraphics::kMaxQuads + 4; ++i) {
        device->DrawSurfaceCorners(s, 0, 0, 1, 0, 1, 1, 0, 1, 0, 0, 8, 8);
    }
    EXPECT_EQ(device->frameDrawCalls, 1);
    EXPECT_EQ(device->batchCount, 4);
    device->EndRender();
    EXPECT_EQ(device->frameDrawCalls, 2);
}

TEST_F(FastPath, OvalsFromTheCachedUnitCirclesMatchFreshCosinesAndSines) {
    const float kTwoPi = 6.2831855f;
    // Six sizes, more than the cache keeps, drawn twice over, so that tables are
    // both reused and replaced.
    const float sizes[] = {20, 100, 36, 260, 64, 2000};
    for (int round = 0; round < 2; ++round) {
        for (float size : sizes) {
            device->DrawOval(5, 7, size, size * 0.5f);
            const float rx = size * 0.5f, ry = size * 0.25f;
            const int n = device->OvalSegments(rx, ry);
            ASSERT_EQ(device->lastDrawVertices, n);
            for (int i = 0; i < n; ++i) {
                const float theta = i * kTwoPi / n;
                ASSERT_EQ(device->vertexData[i].x, 5 + rx + rx * std::cos(theta)) << "size " << size << " vertex " << i;
                ASSERT_EQ(device->vertexData[i].y, 7 + ry - ry * std::sin(theta)) << "size " << size << " vertex " << i;
            }
        }
    }
}

TEST_F(FastPath, RepeatedColourAndAlphaKeepThePackedColourRight) {
    device->SetColor(200, 100, 50);
    device->SetAlpha(0.5f);
    const uint32_t half = device->packedColor;
    device->SetColor(200, 100, 50);  // repeats change nothing
    device->SetAlpha(0.5f);
    EXPECT_EQ(device->packedColor, half);
    device->SetAlpha(1);
    EXPECT_EQ(device->packedColor, 0xff3264c8u);
    device->SetColor(0, 0, 0);
    device->SetColor(200, 100, 50);
    EXPECT_EQ(device->packedColor, 0xff3264c8u);
    // Both at once pack as the two calls one after the other.
    device->SetColorAndAlpha(10, 20, 30, 0.5f);
    EXPECT_EQ(device->packedColor, 0x7f0f0a05u);
    device->SetColor(200, 100, 50);
    device->SetAlpha(0.5f);
    EXPECT_EQ(device->packedColor, half);
    device->SetColorAndAlpha(200, 100, 50, 0.5f);
    EXPECT_EQ(device->packedColor, half);
}

TEST_F(FastPath, DrawCallsThatAreNotSubmittedAreCountedButDrawNothing) {
    gxtkTestHooks::submitDraws = false;
    device->SetColor(255, 0, 0);
    device->DrawRect(10, 10, 20, 20);
    device->Flush();
    const int counted = device->frameDrawCalls;
    gxtkTestHooks::submitDraws = true;
    EXPECT_EQ(counted, 1);
    EXPECT_EQ(ReadRgb(15, 15), kBlack);
    device->DrawRect(10, 10, 20, 20);
    device->Flush();
    EXPECT_EQ(ReadRgb(15, 15), kRed);
}
