// graphics_surface_test.cpp - image files to textures: the premultiplied upload,
// the power-of-two fallback, refusal of missing, broken and hostile files, empty
// surfaces, and the device's pixel transfers.
#include <GL/gl.h>
#include <stb/stb_image.h>

#include <cstdio>
#include <fstream>

#include "host/paths.h"
#include "tests/media/gl_window.h"

using gltest::DeviceTest;
using gltest::ReadRgb;
using gltest::Rgb;
using gltest::Solid;
using gltest::TempDir;
using gltest::WritePng;

namespace {

// The texture's level-0 pixels as RGBA bytes, read back from GL.
std::vector<unsigned char> TextureRgba(gxtkSurface* s, int* texW, int* texH) {
    glBindTexture(GL_TEXTURE_2D, s->texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, texW);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, texH);
    std::vector<unsigned char> px(static_cast<size_t>(*texW) * *texH * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
    return px;
}

uint32_t Crc32(const unsigned char* p, size_t n) {
    uint32_t crc = 0xffffffffu;
    for (size_t i = 0; i < n; ++i) {
        crc ^= p[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void PutBigEndian(std::vector<unsigned char>& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<unsigned char>(v >> shift));
}

// A PNG signature and a well-formed header chunk claiming w x h RGBA pixels,
// followed by nothing: what a hostile file needs to make a decoder allocate.
void WriteHostileHeader(const std::string& file, uint32_t w, uint32_t h) {
    std::vector<unsigned char> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    std::vector<unsigned char> chunk = {'I', 'H', 'D', 'R'};
    PutBigEndian(chunk, w);
    PutBigEndian(chunk, h);
    chunk.insert(chunk.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, no interlace
    PutBigEndian(out, 13);
    out.insert(out.end(), chunk.begin(), chunk.end());
    PutBigEndian(out, Crc32(chunk.data(), chunk.size()));
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(out.data()), out.size());
}

class SurfaceTest : public DeviceTest {
protected:
    // Loads and uploads at once, as the first draw would; null when either fails.
    gxtkSurface* Load(const std::string& file) {
        gxtkSurface* s = device->LoadSurface(String(file.c_str()));
        return s && s->EnsureTexture() ? s : nullptr;
    }
    TempDir dir;
};

}  // namespace

// ---------------------------------------------------------------------------
// Upload
// ---------------------------------------------------------------------------

TEST_F(SurfaceTest, FourChannelPixelsArePremultipliedOnUpload) {
    const std::string file = dir.File("premul.png");
    ASSERT_TRUE(WritePng(file, 2, 1, 4, {200, 100, 50, 128, 10, 20, 30, 255}));
    gc_force_sweep = false;
    gxtkSurface* s = Load(file);
    ASSERT_NE(s, nullptr);
    EXPECT_TRUE(gc_force_sweep);  // a new texture asks for a full collection
    EXPECT_EQ(s->width, 2);
    EXPECT_EQ(s->height, 1);
    EXPECT_EQ(s->depth, 4);
    EXPECT_EQ(s->pixels, nullptr);  // from here on it lives only as a texture
    EXPECT_NE(s->texture, 0u);
    EXPECT_FLOAT_EQ(s->uScale, 0.5f);
    EXPECT_FLOAT_EQ(s->vScale, 1.0f);
    int tw = 0, th = 0;
    std::vector<unsigned char> px = TextureRgba(s, &tw, &th);
    ASSERT_EQ(tw, 2);
    const std::vector<unsigned char> expected = {100, 50, 25, 128, 10, 20, 30, 255};
    EXPECT_EQ(px, expected);
    gc_force_sweep = false;
}

TEST_F(SurfaceTest, LuminanceAlphaIsPremultipliedAndRgbIsLeftAlone) {
    const std::string la = dir.File("la.png"), rgb = dir.File("rgb.png");
    ASSERT_TRUE(WritePng(la, 1, 1, 2, {200, 128}));
    ASSERT_TRUE(WritePng(rgb, 1, 1, 3, {200, 100, 50}));
    gxtkSurface* s = Load(la);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->depth, 2);
    int tw = 0, th = 0;
    std::vector<unsigned char> px = TextureRgba(s, &tw, &th);
    EXPECT_EQ(px[0], 100);
    EXPECT_EQ(px[3], 128);

    s = Load(rgb);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->depth, 3);
    px = TextureRgba(s, &tw, &th);
    EXPECT_EQ(px[0], 200);
    EXPECT_EQ(px[1], 100);
    EXPECT_EQ(px[2], 50);
}

TEST_F(SurfaceTest, RefusedSizeFallsBackToAPowerOfTwoTextureAndDrawsIdentically) {
    std::vector<unsigned char> px;
    for (int y = 0; y < 60; ++y) {
        for (int x = 0; x < 100; ++x) {
            px.insert(px.end(), {static_cast<unsigned char>(x * 2), static_cast<unsigned char>(y * 4), 77, 255});
        }
    }
    const std::string file = dir.File("odd.png");
    ASSERT_TRUE(WritePng(file, 100, 60, 4, px));

    gxtkSurface* exact = Load(file);
    ASSERT_NE(exact, nullptr);
    device->DrawSurface(exact, 0, 0);
    device->Flush();
    const std::vector<unsigned char> first = gltest::ReadWindowRgb();

    gxtkTestHooks::simulatedAllocationFailures = 1;
    gxtkSurface* padded = Load(file);
    ASSERT_NE(padded, nullptr);
    EXPECT_EQ(gxtkTestHooks::simulatedAllocationFailures, 0);
    EXPECT_FLOAT_EQ(padded->uScale, 1.0f / 128);
    EXPECT_FLOAT_EQ(padded->vScale, 1.0f / 64);
    int tw = 0, th = 0;
    TextureRgba(padded, &tw, &th);
    EXPECT_EQ(tw, 128);
    EXPECT_EQ(th, 64);

    device->Cls(0, 0, 0);
    device->DrawSurface(padded, 0, 0);
    device->Flush();
    EXPECT_TRUE(gltest::ReadWindowRgb() == first) << "the padded texture draws differently";
    EXPECT_EQ(ReadRgb(99, 59), (Rgb{198, 236, 77}));
    EXPECT_EQ(ReadRgb(100, 59), (Rgb{0, 0, 0}));

    // A source rectangle reads the same texels from either texture.
    device->Cls(0, 0, 0);
    device->DrawSurface2(padded, 200, 100, 90, 50, 10, 10);
    EXPECT_EQ(Pixel(200, 100), (Rgb{180, 200, 77}));
    EXPECT_EQ(Pixel(209, 109), (Rgb{198, 236, 77}));
}

TEST_F(SurfaceTest, SurfaceIsRefusedWhenBothAllocationsFail) {
    const std::string file = dir.File("small.png");
    ASSERT_TRUE(WritePng(file, 3, 3, 4, Solid(3, 3, {1, 2, 3, 255})));
    gxtkTestHooks::simulatedAllocationFailures = 2;
    EXPECT_EQ(Load(file), nullptr);
    EXPECT_EQ(gxtkTestHooks::simulatedAllocationFailures, 0);
}

TEST_F(SurfaceTest, StaleGlErrorIsNotTakenForARefusedAllocation) {
    const std::string file = dir.File("stale.png");
    ASSERT_TRUE(WritePng(file, 3, 5, 4, Solid(3, 5, {1, 2, 3, 255})));
    glEnable(0xFFFF);  // leaves GL_INVALID_ENUM behind
    gxtkSurface* s = Load(file);
    ASSERT_NE(s, nullptr);
    EXPECT_FLOAT_EQ(s->uScale, 1.0f / 3);
    EXPECT_FLOAT_EQ(s->vScale, 1.0f / 5);
}

// ---------------------------------------------------------------------------
// Decoding at the first draw
// ---------------------------------------------------------------------------

TEST_F(SurfaceTest, LoadingReadsTheSizeAndTheFirstDrawDecodesAndUploads) {
    const std::string file = dir.File("later.png");
    ASSERT_TRUE(WritePng(file, 4, 2, 4, Solid(4, 2, {0, 200, 0, 255})));
    gc_force_sweep = false;
    gxtkSurface* s = device->LoadSurface(String(file.c_str()));
    ASSERT_NE(s, nullptr);
    EXPECT_TRUE(gc_force_sweep);
    EXPECT_EQ(s->Width(), 4);
    EXPECT_EQ(s->Height(), 2);
    EXPECT_EQ(s->texture, 0u) << "decoded before anything drew it";
    EXPECT_EQ(s->pixels, nullptr);

    device->DrawSurface2(s, 10, 10, 0, 0, 4, 2);
    EXPECT_NE(s->texture, 0u);
    EXPECT_EQ(s->depth, 4);
    EXPECT_EQ(Pixel(13, 11), (Rgb{0, 200, 0}));
    const unsigned int texture = s->texture;
    device->DrawSurface(s, 20, 20);
    EXPECT_EQ(s->texture, texture) << "decoded twice";
    EXPECT_EQ(Pixel(23, 21), (Rgb{0, 200, 0}));
    gc_force_sweep = false;
}

TEST_F(SurfaceTest, AFileSpoiltBetweenLoadAndFirstDrawDrawsNothing) {
    const std::string file = dir.File("spoilt.png"), other = dir.File("other.png");
    ASSERT_TRUE(WritePng(file, 4, 4, 4, Solid(4, 4, {250, 0, 0, 255})));
    ASSERT_TRUE(WritePng(other, 8, 8, 4, Solid(8, 8, {250, 0, 0, 255})));
    gxtkSurface* resized = device->LoadSurface(String(file.c_str()));
    gxtkSurface* gone = device->LoadSurface(String(other.c_str()));
    ASSERT_TRUE(resized && gone);
    // The same file name now holds an image of another size, and the other is gone.
    ASSERT_TRUE(WritePng(file, 2, 2, 4, Solid(2, 2, {250, 0, 0, 255})));
    std::remove(other.c_str());
    for (int i = 0; i < 2; ++i) {
        device->DrawSurface(resized, 0, 0);
        device->DrawSurfaceCorners(gone, 30, 0, 38, 0, 38, 8, 30, 8, 0, 0, 8, 8);
    }
    EXPECT_FALSE(resized->EnsureTexture());
    EXPECT_FALSE(gone->EnsureTexture());
    EXPECT_EQ(Pixel(1, 1), (Rgb{0, 0, 0}));
    EXPECT_EQ(Pixel(33, 3), (Rgb{0, 0, 0}));
    EXPECT_EQ(device->frameDrawCalls, 0);
}

// ---------------------------------------------------------------------------
// Refused files
// ---------------------------------------------------------------------------

TEST_F(SurfaceTest, MissingAndUndecodableFilesGiveNullSilently) {
    const std::string text = dir.File("notes.png");
    std::ofstream(text) << "this is not an image\n";
    testing::internal::CaptureStdout();
    EXPECT_EQ(Load(dir.File("absent.png")), nullptr);
    EXPECT_EQ(Load(text), nullptr);
    EXPECT_EQ(device->LoadSurface(T("quorvel://nowhere/x.png")), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST_F(SurfaceTest, HostileHeadersAreRefusedBeforeDecoding) {
    const std::string huge = dir.File("huge.png"), wide = dir.File("wide.png"), heavy = dir.File("heavy.png");
    WriteHostileHeader(huge, 100000, 100000);
    WriteHostileHeader(wide, 16385, 1);
    WriteHostileHeader(heavy, 4097, 4097);  // each side allowed, 64 MiB exceeded
    int w = -1, h = -1, depth = -1;
    testing::internal::CaptureStdout();
    EXPECT_EQ(loadImage(String(huge.c_str()), &w, &h, &depth), nullptr);
    EXPECT_EQ(loadImage(String(wide.c_str()), &w, &h, &depth), nullptr);
    EXPECT_EQ(loadImage(String(heavy.c_str()), &w, &h, &depth), nullptr);
    EXPECT_EQ(Load(huge), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST_F(SurfaceTest, OnlyPngFilesReachTheDecoder) {
    // A 2 x 1 grey image as binary PNM and as uncompressed TGA: the decoder library
    // reads both, the loader must not hand them to it.
    const std::string pnm("P5\n2 1\n255\n\x40\x80", 13);
    const std::string tga("\0\0\3\0\0\0\0\0\0\0\0\0\2\0\1\0\x08\0\x40\x80", 20);
    // A PNM header whose width overflows the decoder's arithmetic.
    const std::string overflowing("P5\n5555555555 1\n255\n\x40", 21);
    for (const std::string& bytes : {pnm, tga}) {
        int w = 0, h = 0, depth = 0;
        unsigned char* px = stbi_load_from_memory(reinterpret_cast<const unsigned char*>(bytes.data()),
                                                  static_cast<int>(bytes.size()), &w, &h, &depth, 0);
        ASSERT_NE(px, nullptr) << stbi_failure_reason();
        EXPECT_EQ(w, 2);
        stbi_image_free(px);
    }
    const std::string files[] = {dir.File("grey.png"), dir.File("grey.tga"), dir.File("wide.pgm")};
    std::ofstream(files[0], std::ios::binary) << pnm;
    std::ofstream(files[1], std::ios::binary) << tga;
    std::ofstream(files[2], std::ios::binary) << overflowing;
    for (const std::string& file : files) {
        int w = -1, h = -1, depth = -1;
        EXPECT_EQ(loadImage(String(file.c_str()), &w, &h, &depth), nullptr) << file;
        EXPECT_EQ(Load(file), nullptr) << file;
    }
    // The same pixels as a PNG load.
    const std::string png = dir.File("grey-real.png");
    ASSERT_TRUE(WritePng(png, 2, 1, 1, {0x40, 0x80}));
    int w = 0, h = 0, depth = 0;
    unsigned char* px = loadImage(String(png.c_str()), &w, &h, &depth);
    ASSERT_NE(px, nullptr);
    EXPECT_EQ(px[1], 0x80);
    stbi_image_free(px);
}

TEST_F(SurfaceTest, SideLimitHoldsForAGenuineImageThatWouldDecode) {
    // Both files are real, decodable images; only the guard tells them apart.
    const std::string over = dir.File("over.png"), edge = dir.File("edge.png");
    ASSERT_TRUE(WritePng(over, kMaxImageSide + 1, 1, 1, Solid(kMaxImageSide + 1, 1, {9})));
    ASSERT_TRUE(WritePng(edge, kMaxImageSide, 1, 1, Solid(kMaxImageSide, 1, {9})));
    int w = 0, h = 0, depth = 0;
    EXPECT_EQ(loadImage(String(over.c_str()), &w, &h, &depth), nullptr);
    unsigned char* px = loadImage(String(edge.c_str()), &w, &h, &depth);
    ASSERT_NE(px, nullptr);
    EXPECT_EQ(w, kMaxImageSide);
    EXPECT_EQ(h, 1);
    EXPECT_EQ(depth, 1);
    EXPECT_EQ(px[kMaxImageSide - 1], 9);
    stbi_image_free(px);
}

// ---------------------------------------------------------------------------
// Empty surfaces, discarding, pixel transfers
// ---------------------------------------------------------------------------

TEST_F(SurfaceTest, CreateSurfaceMakesAnEmptyFourByteTexture) {
    gxtkSurface* s = device->CreateSurface(16, 8);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->depth, 4);
    EXPECT_EQ(s->Width(), 16);
    EXPECT_EQ(s->Height(), 8);
    EXPECT_TRUE(s->Loaded());
    EXPECT_FLOAT_EQ(s->uScale, 1.0f / 16);
    EXPECT_EQ(device->CreateSurface(0, 8), nullptr);
    EXPECT_EQ(device->CreateSurface(8, -1), nullptr);
}

TEST_F(SurfaceTest, DiscardDeletesTheTexture) {
    gxtkSurface* s = device->CreateSurface(4, 4);
    ASSERT_NE(s, nullptr);
    const GLuint name = s->texture;
    EXPECT_TRUE(glIsTexture(name));
    s->Discard();
    EXPECT_EQ(s->texture, 0u);
    EXPECT_FALSE(glIsTexture(name));
    s->Discard();  // twice is harmless
}

TEST_F(SurfaceTest, WritePixelsPremultipliesArgbIntoTheTexture) {
    gxtkSurface* s = device->CreateSurface(4, 4);
    ASSERT_NE(s, nullptr);
    Array<int> argb(8);
    argb[3] = static_cast<int>(0x80C86432u);  // alpha 128, red 200, green 100, blue 50
    argb[7] = static_cast<int>(0xFF0A141Eu);
    device->WritePixels2(s, argb, 1, 2, 1, 2, 3, 4);  // column x=1, rows 2 and 3
    int tw = 0, th = 0;
    std::vector<unsigned char> px = TextureRgba(s, &tw, &th);
    const unsigned char* p = &px[(2 * 4 + 1) * 4];
    EXPECT_EQ(p[0], 100);
    EXPECT_EQ(p[1], 50);
    EXPECT_EQ(p[2], 25);
    EXPECT_EQ(p[3], 128);
    p = &px[(3 * 4 + 1) * 4];
    EXPECT_EQ(p[0], 10);
    EXPECT_EQ(p[1], 20);
    EXPECT_EQ(p[2], 30);
    EXPECT_EQ(p[3], 255);
}

TEST_F(SurfaceTest, ReadPixelsReturnsArgbRowsTopFirst) {
    device->SetColor(255, 0, 0);
    device->DrawRect(10, 10, 2, 1);
    device->SetColor(0, 255, 0);
    device->DrawRect(10, 11, 2, 1);
    Array<int> out(12);
    device->ReadPixels(out, 10, 10, 2, 2, 1, 5);  // flushes first
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(static_cast<uint32_t>(out[1]) & 0xffffffu, 0xff0000u);
    EXPECT_EQ(static_cast<uint32_t>(out[2]) & 0xffffffu, 0xff0000u);
    EXPECT_EQ(static_cast<uint32_t>(out[6]) & 0xffffffu, 0x00ff00u);
    EXPECT_EQ(static_cast<uint32_t>(out[7]) & 0xffffffu, 0x00ff00u);
    EXPECT_EQ(out[3], 0);
}

TEST_F(SurfaceTest, PixelTransfersRefuseBlocksOutsideTheArray) {
    Array<int> out(4);
    out[3] = 1234;
    device->ReadPixels(out, 0, 0, 2, 2, 1, 2);  // needs 5 elements from offset 1
    EXPECT_EQ(out[3], 1234);
    gxtkSurface* s = device->CreateSurface(4, 4);
    ASSERT_NE(s, nullptr);
    device->WritePixels2(s, out, 0, 0, 4, 4, 0, 4);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
