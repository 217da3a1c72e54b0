// graphics_context_test.cpp - the toolkit's graphics module: cutting sheets into
// frames (strips, grids, padding, handles, WholeSurface, grabbing, the grid
// error), the matrix stack and when the device receives the matrix, the frame
// defaults, image and shape placement on screen, fonts and text, and what the
// images keep alive through the collector.
#include <GL/gl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>

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
const Rgb kGreen{0, 255, 0};
const Rgb kBlue{0, 0, 255};

// Records what the context asks of the device, then does it.
struct RecordingGraphics : gxtkGraphics {
    int matrixUploads = 0;
    int wholeDraws = 0, cellDraws = 0;
    float lastX = 0, lastY = 0;
    int lastSrc[4] = {};

    int SetMatrix(float ma, float mb, float mc, float md, float mtx, float mty) override {
        ++matrixUploads;
        return gxtkGraphics::SetMatrix(ma, mb, mc, md, mtx, mty);
    }
    int DrawSurface(gxtkSurface* s, float x, float y) override {
        ++wholeDraws;
        lastX = x, lastY = y;
        return gxtkGraphics::DrawSurface(s, x, y);
    }
    int DrawSurface2(gxtkSurface* s, float x, float y, int sx, int sy, int sw, int sh) override {
        ++cellDraws;
        lastX = x, lastY = y;
        lastSrc[0] = sx, lastSrc[1] = sy, lastSrc[2] = sw, lastSrc[3] = sh;
        return gxtkGraphics::DrawSurface2(s, x, y, sx, sy, sw, sh);
    }
};

class ImageTest : public ContextTest {
protected:
    void SetUp() override {
        ContextTest::SetUp();
        if (HasFatalFailure()) return;
        Rec().matrixUploads = Rec().wholeDraws = Rec().cellDraws = 0;
    }
    gxtkGraphics* NewDevice() override { return new RecordingGraphics(); }
    RecordingGraphics& Rec() { return *static_cast<RecordingGraphics*>(device); }

    // A w x h sheet of one colour (or the given pixels) on disk, loaded as a strip.
    kx_graphics_Image* Strip(const std::string& name, int w, int h, int frames, int flags,
                             std::vector<unsigned char> px = {}) {
        if (px.empty()) px = Solid(w, h, {255, 0, 0, 255});
        const std::string file = dir.File(name);
        if (!WritePng(file, w, h, 4, px)) return nullptr;
        return kx_graphics_LoadImage(String(file.c_str()), frames, flags);
    }
    kx_graphics_Image* Grid(const std::string& name, int w, int h, int fw, int fh, int frames, int flags) {
        const std::string file = dir.File(name);
        if (!WritePng(file, w, h, 4, Solid(w, h, {255, 0, 0, 255}))) return nullptr;
        return kx_graphics_LoadImage2(String(file.c_str()), fw, fh, frames, flags);
    }
    // Left half red, right half green.
    static std::vector<unsigned char> Halves(int w, int h) {
        std::vector<unsigned char> px;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const bool left = x < w / 2;
                px.insert(px.end(), {static_cast<unsigned char>(left ? 255 : 0),
                                     static_cast<unsigned char>(left ? 0 : 255), 0, 255});
            }
        return px;
    }

    TempDir dir;
};

void ExpectFrames(kx_graphics_Image* img, std::vector<std::pair<int, int>> cells) {
    ASSERT_EQ(img->frames.Length(), static_cast<int>(cells.size()));
    for (size_t i = 0; i < cells.size(); ++i) {
        EXPECT_EQ(img->frames[static_cast<int>(i)]->x, cells[i].first) << "frame " << i;
        EXPECT_EQ(img->frames[static_cast<int>(i)]->y, cells[i].second) << "frame " << i;
    }
}

// An image on a surface that was never uploaded: cutting needs only its size.
kx_graphics_Image* SheetWithoutGl(int w, int h) {
    gxtkSurface* s = new gxtkSurface();
    s->SetData(nullptr, w, h, 4);
    return (new kx_graphics_Image())->g_new()->m_Init(s, 1, 0);
}

// Runs a grab in a death-test child with no debugger attached (standard input
// at its end) and the report on standard error, where the matcher looks.
void GrabWithoutDebugger(int frameWidth, int frameHeight, int frameCount) {
    if (!freopen("/dev/null", "r", stdin)) return;
    dup2(2, 1);
    SheetWithoutGl(64, 64)->m_GrabImage(0, 0, frameWidth, frameHeight, frameCount, 0);
    fflush(stdout);
    _exit(0);
}

}  // namespace

// ---------------------------------------------------------------------------
// Cutting sheets
// ---------------------------------------------------------------------------

TEST_F(ImageTest, StripCutsEqualFramesSideBySideAndPaddingNarrowsThem) {
    kx_graphics_Image* img = Strip("strip.png", 64, 16, 4, 0);
    ASSERT_NE(img, nullptr);
    EXPECT_EQ(img->width, 16);
    EXPECT_EQ(img->height, 16);
    ExpectFrames(img, {{0, 0}, {16, 0}, {32, 0}, {48, 0}});
    EXPECT_EQ(img->flags & kx_graphics_Image::WholeSurface, 0);

    kx_graphics_Image* padded = Strip("strip2.png", 64, 16, 4, kx_graphics_Image::PadX);
    ASSERT_NE(padded, nullptr);
    EXPECT_EQ(padded->width, 14);
    EXPECT_EQ(padded->height, 16);
    ExpectFrames(padded, {{1, 0}, {17, 0}, {33, 0}, {49, 0}});

    kx_graphics_Image* both = Strip("strip3.png", 64, 16, 4, kx_graphics_Image::PadX | kx_graphics_Image::PadY);
    ASSERT_NE(both, nullptr);
    EXPECT_EQ(both->width, 14);
    EXPECT_EQ(both->height, 14);
    ExpectFrames(both, {{1, 1}, {17, 1}, {33, 1}, {49, 1}});
}

TEST_F(ImageTest, GridCutsCellsLeftToRightThenRowByRow) {
    kx_graphics_Image* img = Grid("grid.png", 64, 64, 16, 16, 10, 0);
    ASSERT_NE(img, nullptr);
    EXPECT_EQ(img->width, 16);
    EXPECT_EQ(img->height, 16);
    ExpectFrames(img, {{0, 0}, {16, 0}, {32, 0}, {48, 0}, {0, 16}, {16, 16}, {32, 16}, {48, 16}, {0, 32}, {16, 32}});
    ASSERT_NE(img->source, nullptr);
    EXPECT_EQ(img->surface, img->source->surface);
    EXPECT_EQ(img->source->frames.Length(), 1);
}

TEST_F(ImageTest, GrabStartsOnlyItsFirstRowAtTheGivenOrigin) {
    kx_graphics_Image* sheet = Strip("sheet.png", 64, 64, 1, 0);
    ASSERT_NE(sheet, nullptr);
    kx_graphics_Image* img = sheet->m_GrabImage(16, 16, 16, 16, 4, 0);
    ASSERT_NE(img, nullptr);
    ExpectFrames(img, {{16, 16}, {32, 16}, {48, 16}, {0, 32}});
    EXPECT_EQ(img->source, sheet);
}

TEST_F(ImageTest, GrabIsRelativeToThePaddedSourceFrame) {
    kx_graphics_Image* sheet =
        Strip("padded.png", 64, 64, 1, kx_graphics_Image::PadX | kx_graphics_Image::PadY);
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->width, 62);
    kx_graphics_Image* img = sheet->m_GrabImage(0, 0, 31, 31, 4, 0);
    ASSERT_NE(img, nullptr);
    ExpectFrames(img, {{1, 1}, {32, 1}, {1, 32}, {32, 32}});
}

TEST_F(ImageTest, OnlyASingleFrameImageCanBeGrabbedFrom) {
    kx_graphics_Image* strip = Strip("two.png", 32, 16, 2, 0);
    ASSERT_NE(strip, nullptr);
    EXPECT_EQ(strip->m_GrabImage(0, 0, 8, 8, 1, 0), nullptr);
}

TEST_F(ImageTest, GrabOnAMultiFrameGridGivesTheSameCellsAsFromItsSheet) {
    kx_graphics_Image* grid = Grid("g2.png", 32, 32, 16, 16, 4, 0);
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->m_GrabImage(0, 0, 16, 16, 1, 0), nullptr);
    kx_graphics_Image* again = grid->source->m_GrabImage(0, 16, 16, 16, 2, 0);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->frames[0]->x, grid->frames[2]->x);
    EXPECT_EQ(again->frames[0]->y, grid->frames[2]->y);
    EXPECT_EQ(again->frames[1]->x, grid->frames[3]->x);
}

TEST_F(ImageTest, CentreHandleUsesThePaddedFrameSizeAndClearsItsBit) {
    kx_graphics_Image* img = Strip("odd.png", 45, 9, 3, kx_graphics_Image::CentreHandle);
    ASSERT_NE(img, nullptr);
    EXPECT_FLOAT_EQ(img->handleX, 7.5f);
    EXPECT_FLOAT_EQ(img->handleY, 4.5f);
    EXPECT_EQ(img->flags & kx_graphics_Image::CentreHandle, 0);

    kx_graphics_Image* padded = Strip(
        "pad.png", 32, 16, 2, kx_graphics_Image::CentreHandle | kx_graphics_Image::PadX | kx_graphics_Image::PadY);
    ASSERT_NE(padded, nullptr);
    EXPECT_FLOAT_EQ(padded->handleX, 7);
    EXPECT_FLOAT_EQ(padded->handleY, 7);

    padded->flags |= kx_graphics_Image::CentreHandle;
    padded->m_SetHandle(1, 2);
    EXPECT_EQ(padded->flags & kx_graphics_Image::CentreHandle, 0);
    EXPECT_FLOAT_EQ(padded->handleY, 2);
}

TEST_F(ImageTest, WholeSurfaceImagesDrawWithoutASourceRectangle) {
    kx_graphics_Image* whole = Strip("whole.png", 10, 6, 1, 0);
    kx_graphics_Image* padded = Strip("wpad.png", 10, 6, 1, kx_graphics_Image::PadX);
    ASSERT_TRUE(whole && padded);
    EXPECT_NE(whole->flags & kx_graphics_Image::WholeSurface, 0);
    EXPECT_EQ(padded->flags & kx_graphics_Image::WholeSurface, 0);

    kx_graphics_DrawImage(whole, 5, 5, 0);
    EXPECT_EQ(Rec().wholeDraws, 1);
    EXPECT_EQ(Rec().cellDraws, 0);
    kx_graphics_DrawImage(padded, 5, 5, 0);
    EXPECT_EQ(Rec().cellDraws, 1);
    EXPECT_EQ(Rec().lastSrc[0], 1);
    EXPECT_EQ(Rec().lastSrc[2], 8);
    EXPECT_EQ(Rec().lastSrc[3], 6);
}

TEST_F(ImageTest, MissingFilesGiveNullImages) {
    EXPECT_EQ(kx_graphics_LoadImage(String(dir.File("none.png").c_str()), 1, 0), nullptr);
    EXPECT_EQ(kx_graphics_LoadImage2(String(dir.File("none.png").c_str()), 8, 8, 2, 0), nullptr);
}

TEST(ImageGridErrorTest, GridThatFitsItsSheetExactlyIsAccepted) {
    kx_graphics_Image* img = SheetWithoutGl(64, 64)->m_GrabImage(0, 0, 16, 16, 16, 0);
    ASSERT_NE(img, nullptr);
    EXPECT_EQ(img->frames[15]->x, 48);
    EXPECT_EQ(img->frames[15]->y, 48);
}

TEST(ImageGridErrorTest, GridBeyondItsSheetIsARuntimeError) {
    // Re-executed children start without the GL threads other tests may have made.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(GrabWithoutDebugger(16, 16, 17), testing::ExitedWithCode(255),
                "Quorvel Runtime Error : Image frame outside surface");
    EXPECT_EXIT(GrabWithoutDebugger(65, 16, 1), testing::ExitedWithCode(255),
                "Quorvel Runtime Error : Image frame outside surface");
    EXPECT_EXIT(GrabWithoutDebugger(16, 65, 1), testing::ExitedWithCode(255),
                "Quorvel Runtime Error : Image frame outside surface");
}

// ---------------------------------------------------------------------------
// The matrix
// ---------------------------------------------------------------------------

TEST_F(ImageTest, TransformComposesInsideTheCurrentMatrix) {
    kx_graphics_GraphicsContext& g = *kx_graphics_context;
    kx_graphics_Translate(10, 20);
    kx_graphics_Scale(2, 3);
    // (1, 1) is scaled first, then translated: (12, 23).
    EXPECT_FLOAT_EQ(g.a * 1 + g.c * 1 + g.tx, 12);
    EXPECT_FLOAT_EQ(g.b * 1 + g.d * 1 + g.ty, 23);
    kx_graphics_Translate(5, 0);  // in scaled units
    EXPECT_FLOAT_EQ(g.tx, 20);
    EXPECT_EQ(g.transformed, 1);

    kx_graphics_SetMatrix(1, 0, 0, 1, 0, 0);
    EXPECT_EQ(g.transformed, 0);
    kx_graphics_Rotate(90);
    EXPECT_NEAR(g.a, 0, 1e-6);
    EXPECT_FLOAT_EQ(g.b, -1);
    EXPECT_FLOAT_EQ(g.c, 1);
    EXPECT_NEAR(g.d, 0, 1e-6);

    Array<float> m(7);
    const float values[7] = {2, 0, 0, 2, 4, 6, 99};
    for (int i = 0; i < 7; ++i) m[i] = values[i];
    kx_graphics_SetMatrix2(m);
    kx_graphics_Transform2(m);
    EXPECT_FLOAT_EQ(g.a, 4);
    EXPECT_FLOAT_EQ(g.tx, 12);
    EXPECT_FLOAT_EQ(g.ty, 18);
}

TEST_F(ImageTest, PushAndPopRestoreTheMatrixAndMarkItDirty) {
    kx_graphics_GraphicsContext& g = *kx_graphics_context;
    kx_graphics_Translate(3, 4);
    kx_graphics_DrawRect(0, 0, 1, 1);
    EXPECT_EQ(g.matrixDirty, 0);
    kx_graphics_PushMatrix();
    EXPECT_EQ(g.matrixSp, 6);
    EXPECT_EQ(g.matrixDirty, 0);
    kx_graphics_Scale(5, 5);
    kx_graphics_PushMatrix();
    kx_graphics_Rotate(30);
    kx_graphics_PopMatrix();
    EXPECT_FLOAT_EQ(g.a, 5);
    kx_graphics_PopMatrix();
    EXPECT_EQ(g.matrixSp, 0);
    EXPECT_FLOAT_EQ(g.a, 1);
    EXPECT_FLOAT_EQ(g.tx, 3);
    EXPECT_FLOAT_EQ(g.ty, 4);
    EXPECT_EQ(g.matrixDirty, 1);
}

TEST_F(ImageTest, DeviceReceivesTheMatrixOnlyWhenADrawFollowsAChange) {
    kx_graphics_Image* img = Strip("m.png", 4, 4, 1, 0);
    ASSERT_NE(img, nullptr);
    EXPECT_EQ(Rec().matrixUploads, 0);
    kx_graphics_Translate(7, 8);
    kx_graphics_Scale(2, 2);
    EXPECT_EQ(Rec().matrixUploads, 0);
    kx_graphics_DrawRect(0, 0, 1, 1);
    EXPECT_EQ(Rec().matrixUploads, 1);
    EXPECT_FLOAT_EQ(device->tx, 7);
    EXPECT_FLOAT_EQ(device->a, 2);
    kx_graphics_DrawLine(0, 0, 1, 1);
    kx_graphics_DrawEllipse(5, 5, 1, 1);
    EXPECT_EQ(Rec().matrixUploads, 1);

    // A transformed image draw uploads its own matrix and leaves the restored one
    // pending for the next draw.
    kx_graphics_DrawImage(img, 10, 10, 0);
    EXPECT_EQ(Rec().matrixUploads, 2);
    EXPECT_FLOAT_EQ(device->tx, 27);
    EXPECT_EQ(kx_graphics_context->matrixDirty, 1);
    kx_graphics_DrawRect(0, 0, 1, 1);
    EXPECT_EQ(Rec().matrixUploads, 3);
    EXPECT_FLOAT_EQ(device->tx, 7);

    // Untransformed image draws need no matrix at all once the identity is there.
    kx_graphics_SetMatrix(1, 0, 0, 1, 0, 0);
    kx_graphics_DrawImage(img, 1, 1, 0);
    const int uploads = Rec().matrixUploads;
    for (int i = 0; i < 5; ++i) kx_graphics_DrawImage(img, static_cast<float>(i), 1, 0);
    EXPECT_EQ(Rec().matrixUploads, uploads);
    EXPECT_FALSE(device->transformed);
}

// ---------------------------------------------------------------------------
// Frame defaults and state
// ---------------------------------------------------------------------------

TEST_F(ImageTest, BeginRenderStartsEveryFrameFromTheSameDefaults) {
    kx_graphics_SetColor(1, 2, 3);
    kx_graphics_SetAlpha(0.25f);
    kx_graphics_SetBlend(1);
    kx_graphics_SetScissor(5, 5, 10, 10);
    kx_graphics_Translate(9, 9);
    kx_graphics_PushMatrix();
    kx_graphics_EndRender();
    EXPECT_EQ(kx_graphics_renderDevice, nullptr);

    kx_graphics_BeginRender();
    kx_graphics_GraphicsContext& g = *kx_graphics_context;
    EXPECT_EQ(kx_graphics_renderDevice, device);
    EXPECT_EQ(g.matrixSp, 0);
    EXPECT_FLOAT_EQ(g.tx, 0);
    EXPECT_EQ(g.transformed, 0);
    EXPECT_EQ(g.matrixDirty, 1);
    EXPECT_FLOAT_EQ(device->red, 255);
    EXPECT_FLOAT_EQ(device->blue, 255);
    EXPECT_FLOAT_EQ(device->alpha, 1);
    EXPECT_FLOAT_EQ(g.colorG, 255);
    EXPECT_FLOAT_EQ(g.alpha, 1);
    EXPECT_EQ(g.blend, 0);
    GLint dst = 0;
    glGetIntegerv(GL_BLEND_DST, &dst);
    EXPECT_EQ(dst, GL_ONE_MINUS_SRC_ALPHA);
    EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));
    EXPECT_FLOAT_EQ(g.scissorW, static_cast<float>(gltest::kWindowW));
}

TEST_F(ImageTest, FrameOnADeviceInModeZeroLeavesNoRenderDevice) {
    kx_graphics_EndRender();
    device->mode = 0;
    kx_graphics_BeginRender();
    EXPECT_EQ(kx_graphics_renderDevice, nullptr);
    device->mode = 1;
}

TEST_F(ImageTest, ScissorIsStoredAsGivenAndPassedOnTruncated) {
    kx_graphics_SetScissor(10.9f, 20.7f, 30.5f, 40.2f);
    EXPECT_FLOAT_EQ(kx_graphics_context->scissorX, 10.9f);
    GLint box[4];
    glGetIntegerv(GL_SCISSOR_BOX, box);
    EXPECT_EQ(box[0], 10);
    EXPECT_EQ(box[1], gltest::kWindowH - 20 - 40);
    EXPECT_EQ(box[2], 30);
    EXPECT_EQ(box[3], 40);
}

TEST_F(ImageTest, DeviceSizeQueriesReportTheValidatedWindow) {
    EXPECT_EQ(kx_graphics_DeviceWidth(), gltest::kWindowW);
    EXPECT_EQ(kx_graphics_DeviceHeight(), gltest::kWindowH);
}

// ---------------------------------------------------------------------------
// On screen
// ---------------------------------------------------------------------------

TEST_F(ImageTest, DrawImagePlacesTheHandleAtThePosition) {
    kx_graphics_Image* img = Strip("red.png", 4, 4, 1, 0);
    ASSERT_NE(img, nullptr);
    img->m_SetHandle(2, 2);
    kx_graphics_DrawImage(img, 50, 50, 0);
    device->Flush();
    EXPECT_EQ(ReadRgb(48, 48), kRed);
    EXPECT_EQ(ReadRgb(51, 51), kRed);
    EXPECT_EQ(ReadRgb(47, 48), kBlack);
    EXPECT_EQ(ReadRgb(52, 48), kBlack);
    EXPECT_EQ(ReadRgb(48, 52), kBlack);
}

TEST_F(ImageTest, DrawImageDrawsTheChosenFrame) {
    kx_graphics_Image* img = Strip("halves.png", 8, 4, 2, 0, Halves(8, 4));
    ASSERT_NE(img, nullptr);
    kx_graphics_DrawImage(img, 10, 10, 1);
    kx_graphics_DrawImage(img, 20, 10, 0);
    device->Flush();
    EXPECT_EQ(ReadRgb(10, 10), kGreen);
    EXPECT_EQ(ReadRgb(13, 13), kGreen);
    EXPECT_EQ(ReadRgb(14, 10), kBlack);
    EXPECT_EQ(ReadRgb(20, 10), kRed);
}

TEST_F(ImageTest, DrawImageFollowsTheContextMatrix) {
    kx_graphics_Image* img = Strip("red4.png", 4, 4, 1, 0);
    ASSERT_NE(img, nullptr);
    kx_graphics_Scale(2, 2);
    kx_graphics_DrawImage(img, 10, 10, 0);  // lands on 20..28
    device->Flush();
    EXPECT_EQ(ReadRgb(20, 20), kRed);
    EXPECT_EQ(ReadRgb(27, 27), kRed);
    EXPECT_EQ(ReadRgb(19, 20), kBlack);
    EXPECT_EQ(ReadRgb(28, 27), kBlack);
}

TEST_F(ImageTest, DrawImage2TurnsAnticlockwiseAboutTheHandle) {
    kx_graphics_Image* img = Strip("turn.png", 8, 4, 1, 0, Halves(8, 4));
    ASSERT_NE(img, nullptr);
    // Rotated 90 degrees the image's x axis points up the screen: red (its left
    // half) just above the position, green above that.
    kx_graphics_DrawImage2(img, 100, 100, 90, 1, 1, 0);
    device->Flush();
    EXPECT_EQ(ReadRgb(101, 98), kRed);
    EXPECT_EQ(ReadRgb(101, 93), kGreen);
    EXPECT_EQ(ReadRgb(101, 101), kBlack);
    EXPECT_EQ(ReadRgb(99, 98), kBlack);
    EXPECT_EQ(kx_graphics_context->matrixSp, 0);
}

TEST_F(ImageTest, DrawImage2ScalesAboutACentredHandle) {
    kx_graphics_Image* img = Strip("scale.png", 8, 4, 1, kx_graphics_Image::CentreHandle, Halves(8, 4));
    ASSERT_NE(img, nullptr);
    kx_graphics_DrawImage2(img, 100, 100, 0, 2, 2, 0);  // 92..108 x 96..104
    device->Flush();
    EXPECT_EQ(ReadRgb(92, 96), kRed);
    EXPECT_EQ(ReadRgb(99, 103), kRed);
    EXPECT_EQ(ReadRgb(100, 96), kGreen);
    EXPECT_EQ(ReadRgb(107, 103), kGreen);
    EXPECT_EQ(ReadRgb(91, 100), kBlack);
    EXPECT_EQ(ReadRgb(108, 100), kBlack);
    EXPECT_EQ(ReadRgb(100, 104), kBlack);
}

TEST_F(ImageTest, ShapesUseTheContextColourAndEllipsesTheirCentre) {
    kx_graphics_SetColor(0, 0, 255);
    kx_graphics_DrawEllipse(100, 100, 10, 5);
    kx_graphics_SetColor(255, 0, 0);
    kx_graphics_DrawRect(10, 10, 5, 5);
    kx_graphics_DrawLine(20, 30.5f, 40, 30.5f);
    device->Flush();
    EXPECT_EQ(ReadRgb(100, 100), kBlue);
    EXPECT_EQ(ReadRgb(108, 100), kBlue);
    EXPECT_EQ(ReadRgb(111, 100), kBlack);
    EXPECT_EQ(ReadRgb(100, 106), kBlack);
    EXPECT_EQ(ReadRgb(12, 12), kRed);
    EXPECT_EQ(ReadRgb(30, 30), kRed);
}

// ---------------------------------------------------------------------------
// Fonts and text
// ---------------------------------------------------------------------------

class FontTest : public ImageTest {
protected:
    void SetUp() override {
        ImageTest::SetUp();
        char* cwd = getcwd(nullptr, 0);
        oldCwd = cwd ? cwd : ".";
        free(cwd);
        ASSERT_EQ(chdir(dir.path.c_str()), 0);
    }
    void TearDown() override {
        if (chdir(oldCwd.c_str()) != 0) ADD_FAILURE() << "cannot return to " << oldCwd;
        ImageTest::TearDown();
    }
    std::string oldCwd;
};

TEST_F(FontTest, DefaultFontIsLoadedOnceFromTheDataFolderAsAPaddedStrip) {
    ASSERT_EQ(mkdir("data", 0755), 0);
    ASSERT_TRUE(WritePng("data/zindle_font.png", 96 * 8, 8, 4, Solid(96 * 8, 8, {255, 255, 255, 255})));
    kx_graphics_SetFont(nullptr, 77);
    kx_graphics_GraphicsContext& g = *kx_graphics_context;
    ASSERT_NE(g.defaultFont, nullptr);
    EXPECT_EQ(g.font, g.defaultFont);
    EXPECT_EQ(g.firstChar, 32);
    EXPECT_EQ(g.font->frames.Length(), 96);
    EXPECT_EQ(g.font->width, 6);
    EXPECT_EQ(g.font->frames[1]->x, 9);

    kx_graphics_Image* first = g.defaultFont;
    kx_graphics_Image* other = Strip("other.png", 16, 8, 2, 0);
    ASSERT_NE(other, nullptr);
    kx_graphics_SetFont(other, 48);
    EXPECT_EQ(g.font, other);
    EXPECT_EQ(g.firstChar, 48);
    kx_graphics_SetFont(nullptr, 48);
    EXPECT_EQ(g.font, first);  // not loaded again
    EXPECT_EQ(g.firstChar, 32);
}

TEST_F(FontTest, MissingDefaultFontLeavesNoFont) {
    kx_graphics_SetFont(nullptr, 40);
    EXPECT_EQ(kx_graphics_context->font, nullptr);
    EXPECT_EQ(kx_graphics_context->defaultFont, nullptr);
    EXPECT_EQ(kx_graphics_context->firstChar, 32);
    EXPECT_EQ(kx_graphics_DrawText(T("ABC"), 0, 0), 0);  // nothing to draw with
    EXPECT_EQ(device->batchCount, 0);
}

TEST_F(FontTest, TextDrawsOneGlyphPerCharacterAndSkipsUnknownOnes) {
    std::vector<unsigned char> px;  // glyphs A, B, C: red, green, blue, 4 x 4 each
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 12; ++x) {
            const int glyph = x / 4;
            px.insert(px.end(), {static_cast<unsigned char>(glyph == 0 ? 255 : 0),
                                 static_cast<unsigned char>(glyph == 1 ? 255 : 0),
                                 static_cast<unsigned char>(glyph == 2 ? 255 : 0), 255});
        }
    kx_graphics_Image* font = Strip("abc.png", 12, 4, 3, 0, px);
    ASSERT_NE(font, nullptr);
    kx_graphics_SetFont(font, 'A');
    kx_graphics_DrawText(T("AC?B"), 10, 10);
    device->Flush();
    EXPECT_EQ(ReadRgb(11, 11), kRed);
    EXPECT_EQ(ReadRgb(15, 11), kBlue);
    EXPECT_EQ(ReadRgb(19, 11), kBlack);
    EXPECT_EQ(ReadRgb(23, 11), kGreen);
}

// ---------------------------------------------------------------------------
// What images keep alive
// ---------------------------------------------------------------------------

namespace {
kx_graphics_Image* g_keptImage = nullptr;
void MarkTestRoots() {
    gc_mark_q(kx_graphics_device);
    gc_mark_q(kx_graphics_context);
    gc_mark_q(kx_graphics_renderDevice);
    gc_mark_q(g_keptImage);
}
void FullCollection() {
    gc_force_sweep = true;
    gc_collect();
}
}  // namespace

TEST_F(ImageTest, ImagesKeepTheirSurfaceFramesAndSourceAliveAndDeadOnesFreeTheirTexture) {
    kx_graphics_Image* grid = Grid("keep.png", 32, 32, 16, 16, 4, 0);
    kx_graphics_Image* dead = Strip("dead.png", 8, 8, 1, 0);
    ASSERT_TRUE(grid && dead);
    ASSERT_TRUE(dead->surface->EnsureTexture());  // as its first draw would
    const unsigned int deadTexture = dead->surface->texture;
    ASSERT_TRUE(glIsTexture(deadTexture));

    void (*savedMarker)() = gc_root_marker;
    gc_root_marker = MarkTestRoots;
    gc_assign(g_keptImage, grid);
    // The first cycle still counts what the write barrier queued as reached; the
    // second starts from the roots alone.
    FullCollection();
    FullCollection();
    gc_root_marker = savedMarker;

    EXPECT_TRUE(gc_is_live(grid));
    EXPECT_TRUE(gc_is_live(grid->source));
    EXPECT_TRUE(gc_is_live(grid->surface));
    EXPECT_TRUE(gc_is_live(grid->frames.rep));
    EXPECT_TRUE(gc_is_live(grid->frames[3]));
    EXPECT_TRUE(gc_is_live(grid->source->frames[0]));
    EXPECT_TRUE(gc_is_live(kx_graphics_context->matrixStack.rep));
    EXPECT_TRUE(gc_is_live(device));
    EXPECT_FALSE(gc_is_live(dead));
    EXPECT_FALSE(glIsTexture(deadTexture));
    g_keptImage = nullptr;
}
