// graphics_device_test.cpp - the batch renderer on a real OpenGL context: where
// primitives land and in what colour, blending, the scissor, the CPU-side matrix,
// Cls, the batching rules (counted draw calls) and oval segment counts.
#include <GL/gl.h>

#include <cstring>

#include "tests/media/gl_window.h"

using gltest::DeviceTest;
using gltest::ReadRgb;
using gltest::Rgb;

namespace {

const Rgb kBlack{0, 0, 0};
const Rgb kRed{255, 0, 0};

void ColourBytes(uint32_t packed, unsigned char out[4]) { std::memcpy(out, &packed, 4); }

}  // namespace

// ---------------------------------------------------------------------------
// Colour packing
// ---------------------------------------------------------------------------

TEST_F(DeviceTest, PackedColourIsPremultipliedAndTruncatedInRgbaMemoryOrder) {
    unsigned char bytes[4];
    device->SetColor(255, 255, 255);
    device->SetAlpha(0.5f);
    ColourBytes(device->packedColor, bytes);
    EXPECT_EQ(bytes[0], 127);
    EXPECT_EQ(bytes[1], 127);
    EXPECT_EQ(bytes[2], 127);
    EXPECT_EQ(bytes[3], 127);

    device->SetAlpha(1);
    device->SetColor(200, 100, 50);
    ColourBytes(device->packedColor, bytes);
    EXPECT_EQ(bytes[0], 200);
    EXPECT_EQ(bytes[1], 100);
    EXPECT_EQ(bytes[2], 50);
    EXPECT_EQ(bytes[3], 255);

    // The alpha setter recomputes with the stored colour.
    device->SetAlpha(0);
    EXPECT_EQ(device->packedColor, 0u);
}

TEST_F(DeviceTest, OutOfRangeColourStaysInItsOwnChannel) {
    unsigned char bytes[4];
    device->SetAlpha(1);
    device->SetColor(300, 0, -20);
    ColourBytes(device->packedColor, bytes);
    EXPECT_EQ(bytes[0], 255);
    EXPECT_EQ(bytes[1], 0);
    EXPECT_EQ(bytes[2], 0);
    EXPECT_EQ(bytes[3], 255);
}

// ---------------------------------------------------------------------------
// Where primitives land
// ---------------------------------------------------------------------------

TEST_F(DeviceTest, RectangleCoversExactlyItsPixels) {
    device->SetColor(255, 0, 0);
    device->DrawRect(10, 20, 30, 40);
    EXPECT_EQ(Pixel(10, 20), kRed);
    EXPECT_EQ(Pixel(39, 59), kRed);
    EXPECT_EQ(Pixel(25, 40), kRed);
    EXPECT_EQ(Pixel(9, 20), kBlack);
    EXPECT_EQ(Pixel(40, 20), kBlack);
    EXPECT_EQ(Pixel(10, 19), kBlack);
    EXPECT_EQ(Pixel(10, 60), kBlack);
}

TEST_F(DeviceTest, LinesAndPointsLandOnTheirPixels) {
    device->SetColor(0, 255, 0);
    device->DrawLine(5, 100.5f, 50, 100.5f);
    device->SetColor(0, 0, 255);
    device->DrawPoint(200.5f, 150.5f);
    EXPECT_EQ(Pixel(20, 100), (Rgb{0, 255, 0}));
    EXPECT_EQ(Pixel(20, 102), kBlack);
    EXPECT_EQ(Pixel(60, 100), kBlack);
    EXPECT_EQ(Pixel(200, 150), (Rgb{0, 0, 255}));
    EXPECT_EQ(Pixel(201, 150), kBlack);
    EXPECT_EQ(Pixel(200, 151), kBlack);
}

TEST_F(DeviceTest, OvalFillsItsInsideOnly) {
    device->SetColor(255, 255, 0);
    device->DrawOval(100, 100, 60, 40);
    EXPECT_EQ(Pixel(130, 120), (Rgb{255, 255, 0}));
    EXPECT_EQ(Pixel(102, 120), (Rgb{255, 255, 0}));  // near the left end of the long axis
    EXPECT_EQ(Pixel(130, 102), (Rgb{255, 255, 0}));  // near the top
    EXPECT_EQ(Pixel(101, 101), kBlack);              // the bounding box's corner is outside
    EXPECT_EQ(Pixel(158, 139), kBlack);
    EXPECT_EQ(Pixel(161, 120), kBlack);
}

TEST_F(DeviceTest, PolygonIsFilledAsAFan) {
    device->SetColor(255, 0, 0);
    Array<float> triangle(6);
    const float xy[6] = {10, 10, 60, 10, 10, 60};
    for (int i = 0; i < 6; ++i) triangle[i] = xy[i];
    device->DrawPoly(triangle);
    EXPECT_EQ(device->frameDrawCalls, 1);
    EXPECT_EQ(device->lastDrawMode, GL_TRIANGLE_FAN);
    EXPECT_EQ(device->lastDrawVertices, 3);
    EXPECT_EQ(ReadRgb(15, 15), kRed);
    EXPECT_EQ(ReadRgb(30, 20), kRed);
    EXPECT_EQ(ReadRgb(55, 55), kBlack);
}

TEST_F(DeviceTest, PolygonWithTooFewPointsDrawsNothingAndLeavesTheBatchAlone) {
    device->DrawRect(0, 0, 5, 5);
    Array<float> twoPoints(5);  // the odd trailing value is ignored: two points
    device->DrawPoly(twoPoints);
    EXPECT_EQ(device->frameDrawCalls, 0);
    EXPECT_EQ(device->batchCount, 1);
    EXPECT_EQ(device->batchKind, gxtkGraphics::kQuads);

    Array<float> tooMany((gxtkGraphics::kMaxVertices + 1) * 2);
    device->DrawPoly(tooMany);
    EXPECT_EQ(device->frameDrawCalls, 0);
    EXPECT_EQ(device->batchCount, 1);
}

// ---------------------------------------------------------------------------
// Blending
// ---------------------------------------------------------------------------

TEST_F(DeviceTest, AlphaBlendingMixesPremultipliedColourWithTheBackground) {
    device->SetColor(0, 0, 200);
    device->DrawRect(0, 0, 100, 100);
    device->SetColor(255, 255, 255);
    device->SetAlpha(0.5f);
    device->DrawRect(0, 0, 50, 100);
    // 127 of white, plus the background weighted by 1 - 127/255.
    EXPECT_TRUE(gltest::Near(Pixel(10, 10), Rgb{127, 127, 227})) << Pixel(10, 10);
    EXPECT_EQ(Pixel(60, 10), (Rgb{0, 0, 200}));
}

TEST_F(DeviceTest, AdditiveBlendingAddsAndSaturates) {
    device->SetColor(100, 50, 200);
    device->DrawRect(0, 0, 100, 100);
    device->SetBlend(1);
    device->SetColor(100, 100, 100);
    device->DrawRect(0, 0, 50, 100);
    EXPECT_EQ(Pixel(10, 10), (Rgb{200, 150, 255}));
    device->SetBlend(0);
    device->SetColor(10, 10, 10);
    device->DrawRect(0, 0, 50, 100);
    EXPECT_EQ(Pixel(10, 10), (Rgb{10, 10, 10}));  // back to replacing with opaque colour
}

TEST_F(DeviceTest, BlendChangeFlushesWhatWasDrawnBefore) {
    device->DrawRect(0, 0, 10, 10);
    device->SetBlend(1);
    EXPECT_EQ(device->frameDrawCalls, 1);
    EXPECT_EQ(device->batchCount, 0);
}

// ---------------------------------------------------------------------------
// Scissor
// ---------------------------------------------------------------------------

TEST_F(DeviceTest, ScissorClipsInTopLeftWindowCoordinates) {
    device->SetScissor(10, 20, 30, 40);
    EXPECT_TRUE(glIsEnabled(GL_SCISSOR_TEST));
    GLint box[4];
    glGetIntegerv(GL_SCISSOR_BOX, box);
    EXPECT_EQ(box[0], 10);
    EXPECT_EQ(box[1], gltest::kWindowH - 20 - 40);
    EXPECT_EQ(box[2], 30);
    EXPECT_EQ(box[3], 40);

    device->SetColor(255, 0, 0);
    device->DrawRect(0, 0, 320, 240);
    EXPECT_EQ(Pixel(10, 20), kRed);
    EXPECT_EQ(Pixel(39, 59), kRed);
    EXPECT_EQ(Pixel(9, 20), kBlack);
    EXPECT_EQ(Pixel(10, 19), kBlack);
    EXPECT_EQ(Pixel(40, 59), kBlack);
    EXPECT_EQ(Pixel(39, 60), kBlack);
}

TEST_F(DeviceTest, FullWindowScissorSwitchesTheTestOff) {
    device->SetScissor(10, 20, 30, 40);
    device->SetScissor(0, 0, gltest::kWindowW, gltest::kWindowH);
    EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));
    device->SetColor(255, 0, 0);
    device->DrawRect(0, 0, 320, 240);
    EXPECT_EQ(Pixel(0, 0), kRed);
    EXPECT_EQ(Pixel(319, 239), kRed);
}

TEST_F(DeviceTest, FullSizeScissorWithAnOffsetOriginStaysOn) {
    device->SetScissor(5, 0, gltest::kWindowW, gltest::kWindowH);
    EXPECT_TRUE(glIsEnabled(GL_SCISSOR_TEST));
    device->SetColor(255, 0, 0);
    device->DrawRect(0, 0, 320, 240);
    EXPECT_EQ(Pixel(4, 10), kBlack);
    EXPECT_EQ(Pixel(5, 10), kRed);
}

TEST_F(DeviceTest, ScissorChangeFlushesUnderTheOldRectangle) {
    device->SetColor(255, 0, 0);
    device->DrawRect(0, 0, 100, 100);
    device->SetScissor(50, 50, 10, 10);
    EXPECT_EQ(ReadRgb(5, 5), kRed);  // drawn before the scissor narrowed
}

// ---------------------------------------------------------------------------
// Cls
// ---------------------------------------------------------------------------

TEST_F(DeviceTest, ClsDropsUnflushedDrawsAndClearsToItsColour) {
    device->SetColor(255, 0, 0);
    device->DrawRect(0, 0, 100, 100);
    device->Cls(0, 64, 128);
    EXPECT_EQ(device->batchCount, 0);
    EXPECT_EQ(Pixel(10, 10), (Rgb{0, 64, 128}));
    EXPECT_EQ(device->frameDrawCalls, 0);
}

TEST_F(DeviceTest, ClsInsideAScissorClearsOnlyTheRectangle) {
    device->Cls(255, 255, 255);
    device->SetScissor(10, 10, 20, 20);
    device->Cls(0, 0, 0);
    EXPECT_EQ(ReadRgb(15, 15), kBlack);
    EXPECT_EQ(ReadRgb(5, 5), (Rgb{255, 255, 255}));
    EXPECT_EQ(ReadRgb(35, 15), (Rgb{255, 255, 255}));
}

// ---------------------------------------------------------------------------
// The matrix
// ---------------------------------------------------------------------------

TEST_F(DeviceTest, MatrixTranslatesScalesAndRotatesShapes) {
    device->SetColor(255, 0, 0);
    device->SetMatrix(1, 0, 0, 1, 50, 30);
    EXPECT_TRUE(device->transformed);
    device->DrawRect(0, 0, 10, 10);
    EXPECT_EQ(Pixel(50, 30), kRed);
    EXPECT_EQ(Pixel(59, 39), kRed);
    EXPECT_EQ(Pixel(5, 5), kBlack);
    EXPECT_EQ(Pixel(60, 30), kBlack);

    device->SetMatrix(2, 0, 0, 2, 0, 0);
    device->DrawRect(100, 10, 10, 10);  // lands on 200..220 x 20..40
    EXPECT_EQ(Pixel(200, 20), kRed);
    EXPECT_EQ(Pixel(219, 39), kRed);
    EXPECT_EQ(Pixel(199, 20), kBlack);
    EXPECT_EQ(Pixel(220, 39), kBlack);

    // 90 degrees anticlockwise on screen: (x, y) -> (y + 100, 200 - x).
    device->SetMatrix(0, -1, 1, 0, 100, 200);
    device->DrawRect(0, 0, 20, 10);  // x 100..110, y 180..200
    EXPECT_EQ(Pixel(105, 190), kRed);
    EXPECT_EQ(Pixel(105, 181), kRed);
    EXPECT_EQ(Pixel(112, 190), kBlack);
    EXPECT_EQ(Pixel(105, 201), kBlack);

    device->SetMatrix(1, 0, 0, 1, 0, 0);
    EXPECT_FALSE(device->transformed);
}

TEST_F(DeviceTest, TransformedVerticesAreWrittenIntoTheBuffer) {
    device->SetMatrix(2, 0, 0, 3, 5, 7);
    device->DrawLine(1, 1, 4, 2);
    EXPECT_FLOAT_EQ(device->vertexData[0].x, 7);
    EXPECT_FLOAT_EQ(device->vertexData[0].y, 10);
    EXPECT_FLOAT_EQ(device->vertexData[1].x, 13);
    EXPECT_FLOAT_EQ(device->vertexData[1].y, 13);
    EXPECT_EQ(device->vertexData[1].color, device->packedColor);
}

// ---------------------------------------------------------------------------
// Batching: draw calls
// ---------------------------------------------------------------------------

TEST_F(DeviceTest, ThreeHundredRectanglesTakeTwoDrawCalls) {
    for (int i = 0; i < 300; ++i) device->DrawRect(static_cast<float>(i % 300), 0, 1, 1);
    EXPECT_EQ(device->frameDrawCalls, 1);  // the 257th forced out the first 256
    EXPECT_EQ(device->lastDrawVertices, 256 * 6);
    device->Flush();
    EXPECT_EQ(device->frameDrawCalls, 2);
    EXPECT_EQ(device->lastDrawMode, GL_TRIANGLES);
    EXPECT_EQ(device->lastDrawVertices, 44 * 6);
}

TEST_F(DeviceTest, RectangleBetweenTwoImagesOfOneSurfaceSplitsTheBatchInThree) {
    gxtkSurface* s = device->CreateSurface(8, 8);
    ASSERT_NE(s, nullptr);
    device->DrawSurface(s, 0, 0);
    device->DrawRect(10, 10, 5, 5);
    device->DrawSurface2(s, 20, 20, 0, 0, 4, 4);
    device->Flush();
    EXPECT_EQ(device->frameDrawCalls, 3);
}

TEST_F(DeviceTest, ImagesOfOneSurfaceShareADrawCallAndOfTwoDoNot) {
    gxtkSurface* s1 = device->CreateSurface(8, 8);
    gxtkSurface* s2 = device->CreateSurface(8, 8);
    ASSERT_TRUE(s1 && s2);
    for (int i = 0; i < 10; ++i) device->DrawSurface(s1, static_cast<float>(i), 0);
    device->Flush();
    EXPECT_EQ(device->frameDrawCalls, 1);
    device->DrawSurface(s1, 0, 0);
    device->DrawSurface(s2, 0, 0);
    device->Flush();
    EXPECT_EQ(device->frameDrawCalls, 3);
}

TEST_F(DeviceTest, ColourAlphaAndMatrixChangesCostNoDrawCall) {
    for (int i = 0; i < 20; ++i) {
        device->SetColor(static_cast<float>(i * 10), 0, 0);
        device->SetAlpha(i % 2 ? 0.5f : 1.0f);
        device->SetMatrix(1, 0, 0, 1, static_cast<float>(i), 0);
        device->DrawRect(0, 0, 4, 4);
    }
    EXPECT_EQ(device->frameDrawCalls, 0);
    device->Flush();
    EXPECT_EQ(device->frameDrawCalls, 1);
}

TEST_F(DeviceTest, OvalsFlushThePendingBatchAndThemselvesAtOnce) {
    device->DrawRect(0, 0, 4, 4);
    device->DrawOval(10, 10, 20, 20);
    EXPECT_EQ(device->frameDrawCalls, 2);
    EXPECT_EQ(device->batchCount, 0);
    device->DrawOval(40, 10, 20, 20);
    EXPECT_EQ(device->frameDrawCalls, 3);
    EXPECT_EQ(device->lastDrawMode, GL_TRIANGLE_FAN);
}

TEST_F(DeviceTest, KindChangesAndCapacitiesSplitBatches) {
    for (int i = 0; i < 513; ++i) device->DrawLine(0, 0, 1, 1);
    EXPECT_EQ(device->frameDrawCalls, 1);
    EXPECT_EQ(device->lastDrawVertices, 1024);
    device->DrawPoint(1, 1);  // kind change: the one remaining line goes out
    EXPECT_EQ(device->frameDrawCalls, 2);
    EXPECT_EQ(device->lastDrawMode, GL_LINES);
    EXPECT_EQ(device->lastDrawVertices, 2);
    for (int i = 0; i < 1024; ++i) device->DrawPoint(1, 1);
    EXPECT_EQ(device->frameDrawCalls, 3);
    EXPECT_EQ(device->lastDrawMode, GL_POINTS);
    EXPECT_EQ(device->lastDrawVertices, 1024);
}

TEST_F(DeviceTest, FlushWithNothingPendingIssuesNoCall) {
    device->Flush();
    device->Flush();
    EXPECT_EQ(device->frameDrawCalls, 0);
}

TEST_F(DeviceTest, BeginRenderDropsPendingDrawsAndRestartsTheFrameCount) {
    device->DrawRect(0, 0, 4, 4);
    device->Flush();
    const long long total = device->totalDrawCalls;
    device->DrawRect(0, 0, 4, 4);
    device->BeginRender();
    EXPECT_EQ(device->batchCount, 0);
    EXPECT_EQ(device->frameDrawCalls, 0);
    EXPECT_EQ(device->totalDrawCalls, total);
}

TEST_F(DeviceTest, EndRenderFlushesTheRemainderAndSwaps) {
    device->DrawRect(0, 0, 4, 4);
    const int swaps = backend.swaps;
    device->EndRender();
    EXPECT_EQ(device->frameDrawCalls, 1);
    EXPECT_EQ(device->batchCount, 0);
    EXPECT_EQ(backend.swaps, swaps + 1);
}

TEST_F(DeviceTest, ModeZeroSkipsBeginRenderAndTheFinalFlushButStillSwaps) {
    device->DrawRect(0, 0, 4, 4);
    device->mode = 0;
    device->BeginRender();
    EXPECT_EQ(device->batchCount, 1);
    const int swaps = backend.swaps;
    device->EndRender();
    EXPECT_EQ(device->batchCount, 1);
    EXPECT_EQ(device->frameDrawCalls, 0);
    EXPECT_EQ(backend.swaps, swaps + 1);
    device->mode = 1;
}

TEST_F(DeviceTest, ValidateReadsTheWindowSizeAndRefusesAnEmptyOne) {
    backend.forcedWidth = 0;
    EXPECT_FALSE(device->Validate());
    EXPECT_EQ(device->Width(), 0);
    backend.forcedWidth = 800;
    backend.forcedHeight = 600;
    EXPECT_TRUE(device->Validate());
    EXPECT_EQ(device->Width(), 800);
    EXPECT_EQ(device->Height(), 600);
    backend.forcedWidth = backend.forcedHeight = -1;
}

TEST_F(DeviceTest, QuadIndexTableSplitsEachQuadAlongItsFirstDiagonal) {
    const uint16_t first[6] = {0, 1, 2, 0, 2, 3};
    const uint16_t last[6] = {1020, 1021, 1022, 1020, 1022, 1023};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(device->quadIndexData[i], first[i]);
        EXPECT_EQ(device->quadIndexData[255 * 6 + i], last[i]);
    }
}

// ---------------------------------------------------------------------------
// Oval segments
// ---------------------------------------------------------------------------

TEST_F(DeviceTest, OvalSegmentCountsUntransformed) {
    struct Case {
        float w, h;
        int segments;
    } cases[] = {{20, 10, 12}, {100, 60, 80}, {0, 0, 12}, {3000, 3000, 1024}, {30, 20, 24}, {-100, -60, 80},
                 {2048, 0, 1024}, {2050, 0, 1024}, {26, 0, 12}};
    for (const Case& c : cases) {
        device->DrawOval(50, 50, c.w, c.h);
        EXPECT_EQ(device->lastDrawVertices, c.segments) << c.w << " x " << c.h;
    }
}

TEST_F(DeviceTest, OvalSegmentCountsFollowTheTransformedRadii) {
    device->SetMatrix(2, 0, 0, 2, 0, 0);
    device->DrawOval(0, 0, 100, 60);
    EXPECT_EQ(device->lastDrawVertices, 160);
    device->SetMatrix(0, -1, 1, 0, 0, 0);  // a rotation keeps the lengths
    device->DrawOval(0, 0, 100, 60);
    EXPECT_EQ(device->lastDrawVertices, 80);
    device->SetMatrix(0.5f, 0, 0, 0.5f, 0, 0);
    device->DrawOval(0, 0, 100, 60);
    EXPECT_EQ(device->lastDrawVertices, 40);
}

TEST_F(DeviceTest, OvalVerticesRunAnticlockwiseFromTheRightEnd) {
    device->DrawOval(100, 100, 100, 60);  // centre (150, 130), radii 50 and 30
    ASSERT_EQ(device->lastDrawVertices, 80);
    EXPECT_NEAR(device->vertexData[0].x, 200, 1e-3);
    EXPECT_NEAR(device->vertexData[0].y, 130, 1e-3);
    EXPECT_NEAR(device->vertexData[20].x, 150, 1e-3);  // a quarter turn: the top
    EXPECT_NEAR(device->vertexData[20].y, 100, 1e-3);
    EXPECT_NEAR(device->vertexData[40].x, 100, 1e-3);
}
