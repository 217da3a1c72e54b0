// texture_state_test.cpp - the device keeps texturing switched on between textured
// draw calls instead of toggling it around each one: untextured batches must still
// draw untextured, a texture bound elsewhere in between (an upload) must not leak
// into the next batch, and between frames texturing is off.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include "tests/media/gl_window.h"

namespace {

using gltest::DeviceTest;
using gltest::ReadRgb;
using gltest::Rgb;

constexpr int kSide = 16;
const Rgb kGreen{0, 255, 0};
const Rgb kBlue{0, 0, 255};
const Rgb kRed{255, 0, 0};

// An opaque kSide x kSide texture of one colour (ARGB).
gxtkSurface* SolidSurface(gxtkGraphics* device, uint32_t argb) {
    gxtkSurface* s = device->CreateSurface(kSide, kSide);
    if (!s) return nullptr;
    Array<int> px(kSide * kSide);
    for (int i = 0; i < kSide * kSide; ++i) px[i] = static_cast<int>(argb);
    device->WritePixels2(s, px, 0, 0, kSide, kSide, 0, kSide);
    return s;
}

TEST_F(DeviceTest, UntexturedBatchBetweenTexturedOnesDrawsPlainColour) {
    gxtkSurface* green = SolidSurface(device, 0xff00ff00u);
    ASSERT_NE(green, nullptr);
    device->SetColor(255, 255, 255);
    device->DrawSurface(green, 0, 0);
    device->SetColor(255, 0, 0);
    device->DrawRect(40, 0, kSide, kSide);
    device->SetColor(255, 255, 255);
    device->DrawSurface(green, 80, 0);
    device->Flush();
    EXPECT_EQ(device->frameDrawCalls, 3);
    EXPECT_EQ(ReadRgb(8, 8), kGreen);
    EXPECT_EQ(ReadRgb(48, 8), kRed);
    EXPECT_EQ(ReadRgb(88, 8), kGreen);
}

TEST_F(DeviceTest, TextureUploadedBetweenBatchesDoesNotReplaceTheBatchTexture) {
    gxtkSurface* green = SolidSurface(device, 0xff00ff00u);
    ASSERT_NE(green, nullptr);
    device->DrawSurface(green, 0, 0);
    device->Flush();
    // Creating and filling another texture binds it.
    gxtkSurface* blue = SolidSurface(device, 0xff0000ffu);
    ASSERT_NE(blue, nullptr);
    device->DrawSurface(green, 40, 0);
    device->Flush();
    device->DrawSurface(blue, 80, 0);
    device->Flush();
    EXPECT_EQ(ReadRgb(8, 8), kGreen);
    EXPECT_EQ(ReadRgb(48, 8), kGreen);
    EXPECT_EQ(ReadRgb(88, 8), kBlue);
}

TEST_F(DeviceTest, OvalAfterAnImageIsUntextured) {
    gxtkSurface* green = SolidSurface(device, 0xff00ff00u);
    ASSERT_NE(green, nullptr);
    device->DrawSurface(green, 0, 0);
    device->SetColor(255, 0, 0);
    device->DrawOval(100, 100, 40, 40);
    EXPECT_EQ(ReadRgb(120, 120), kRed);
    EXPECT_EQ(ReadRgb(8, 8), kGreen);
}

TEST_F(DeviceTest, TexturingIsOffBetweenFrames) {
    gxtkSurface* green = SolidSurface(device, 0xff00ff00u);
    ASSERT_NE(green, nullptr);
    device->DrawSurface(green, 0, 0);
    device->Flush();
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    device->EndRender();
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(backend.swaps, 1);
}

}  // namespace
