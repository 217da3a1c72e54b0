// graphics_scene_test.cpp - one whole frame through the drawing context, the way
// the game draws: a background, sprites cut from a sheet (plain, translucent,
// rotated and scaled), tinted text from a padded font strip, alpha and additive
// blending, a scissored band and a polygon. Key pixels are checked, and the frame
// is saved as graphics_scene.png in the build folder for a person to look at.
#include <GL/gl.h>

#include <string>

#include "tests/media/gl_window.h"

using gltest::ContextTest;
using gltest::Near;
using gltest::ReadRgb;
using gltest::Rgb;
using gltest::TempDir;
using gltest::WritePng;

namespace {

constexpr int kGlyphRows = 7, kGlyphCols = 5;
constexpr int kCellW = 8, kCellH = 8;  // one column of padding each side, gap on the right

struct Glyph {
    char ch;
    const char* rows[kGlyphRows];
};

const Glyph kGlyphs[] = {
    {'B', {"####.", "#...#", "#...#", "####.", "#...#", "#...#", "####."}},
    {'E', {"#####", "#....", "#....", "####.", "#....", "#....", "#####"}},
    {'L', {"#....", "#....", "#....", "#....", "#....", "#....", "#####"}},
    {'M', {"#...#", "##.##", "#.#.#", "#...#", "#...#", "#...#", "#...#"}},
    {'O', {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {'R', {"####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"}},
    {'T', {"#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."}},
    {'U', {"#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
};

// A font strip of the 26 capitals from 'A', white glyphs on transparent cells;
// letters without a bitmap above stay blank.
std::vector<unsigned char> FontStrip() {
    const int w = 26 * kCellW;
    std::vector<unsigned char> px(static_cast<size_t>(w) * kCellH * 4, 0);
    for (const Glyph& g : kGlyphs) {
        const int x0 = (g.ch - 'A') * kCellW + 1;
        for (int r = 0; r < kGlyphRows; ++r)
            for (int c = 0; c < kGlyphCols; ++c)
                if (g.rows[r][c] == '#') {
                    unsigned char* p = &px[(static_cast<size_t>(r) * w + x0 + c) * 4];
                    p[0] = p[1] = p[2] = p[3] = 255;
                }
    }
    return px;
}

// A 32 x 32 sheet of four 16 x 16 cells: red, green, blue, half-transparent white.
std::vector<unsigned char> SpriteSheet() {
    const unsigned char cells[4][4] = {{255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}, {255, 255, 255, 128}};
    std::vector<unsigned char> px;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const unsigned char* c = cells[(y / 16) * 2 + x / 16];
            px.insert(px.end(), c, c + 4);
        }
    return px;
}

void SaveScreenshot(const std::string& file) {
    const std::vector<unsigned char> rgb = gltest::ReadWindowRgb();
    stbi_write_png(file.c_str(), gltest::kWindowW, gltest::kWindowH, 3, rgb.data(), gltest::kWindowW * 3);
}

}  // namespace

TEST_F(ContextTest, MixedFrameOfSpritesTextShapesAndBlending) {
    TempDir dir;
    ASSERT_TRUE(WritePng(dir.File("sheet.png"), 32, 32, 4, SpriteSheet()));
    ASSERT_TRUE(WritePng(dir.File("font.png"), 26 * kCellW, kCellH, 4, FontStrip()));
    kx_graphics_Image* sheet =
        kx_graphics_LoadImage2(String(dir.File("sheet.png").c_str()), 16, 16, 4, kx_graphics_Image::CentreHandle);
    kx_graphics_Image* font = kx_graphics_LoadImage(String(dir.File("font.png").c_str()), 26, kx_graphics_Image::PadX);
    ASSERT_TRUE(sheet && font);

    // Background, filled the way the game fills it: one pixel beyond every edge.
    kx_graphics_SetColor(30, 30, 60);
    kx_graphics_DrawRect(-1, -1, gltest::kWindowW + 2.0f, gltest::kWindowH + 2.0f);

    kx_graphics_SetColor(255, 255, 255);
    kx_graphics_DrawImage(sheet, 60, 60, 0);              // red, centred on (60, 60)
    kx_graphics_DrawImage(sheet, 100, 60, 3);             // translucent white
    kx_graphics_DrawImage2(sheet, 160, 60, 45, 2, 2, 1);  // green diamond
    kx_graphics_SetAlpha(0.5f);
    kx_graphics_DrawImage(sheet, 200, 60, 2);  // blue at half alpha
    kx_graphics_SetAlpha(1);

    kx_graphics_SetColor(0, 0, 200);
    kx_graphics_DrawRect(250, 40, 40, 40);
    kx_graphics_SetBlend(1);
    kx_graphics_SetColor(200, 200, 0);
    kx_graphics_DrawEllipse(260, 60, 20, 20);
    kx_graphics_SetBlend(0);

    kx_graphics_SetScissor(20, 110, 100, 40);
    kx_graphics_SetColor(255, 128, 0);
    for (int i = 0; i < 20; ++i) kx_graphics_DrawRect(i * 10.0f, 100, 5, 60);
    kx_graphics_SetScissor(0, 0, gltest::kWindowW, gltest::kWindowH);

    kx_graphics_SetColor(255, 0, 255);
    kx_graphics_context->m_Validate();
    Array<float> triangle(6);
    const float xy[6] = {200, 110, 260, 110, 230, 160};
    for (int i = 0; i < 6; ++i) triangle[i] = xy[i];
    kx_graphics_renderDevice->DrawPoly(triangle);
    kx_graphics_SetColor(0, 255, 0);
    kx_graphics_DrawLine(130, 110.5f, 190, 110.5f);

    kx_graphics_SetFont(font, 'A');
    kx_graphics_SetColor(255, 220, 0);  // tints the white glyphs
    kx_graphics_PushMatrix();
    kx_graphics_Translate(20, 200);
    kx_graphics_Scale(2, 2);
    kx_graphics_DrawText(T("TUMBLEROO"), 0, 0);
    kx_graphics_PopMatrix();
    device->Flush();

    SaveScreenshot(std::string(TUMBLEROO_BINARY_DIR) + "/graphics_scene.png");

    const Rgb background{30, 30, 60};
    EXPECT_EQ(ReadRgb(0, 0), background);
    EXPECT_EQ(ReadRgb(319, 239), background);
    EXPECT_EQ(ReadRgb(60, 60), (Rgb{255, 0, 0}));
    EXPECT_EQ(ReadRgb(52, 52), (Rgb{255, 0, 0}));
    EXPECT_EQ(ReadRgb(51, 60), background);
    EXPECT_TRUE(Near(ReadRgb(100, 60), Rgb{143, 143, 158})) << ReadRgb(100, 60);
    EXPECT_EQ(ReadRgb(160, 60), (Rgb{0, 255, 0}));
    EXPECT_EQ(ReadRgb(175, 60), (Rgb{0, 255, 0}));  // along the diamond's diagonal
    EXPECT_EQ(ReadRgb(175, 45), background);        // beyond its edge
    EXPECT_TRUE(Near(ReadRgb(200, 60), Rgb{15, 15, 157})) << ReadRgb(200, 60);
    EXPECT_EQ(ReadRgb(265, 60), (Rgb{200, 200, 200}));  // additive over the blue square
    EXPECT_EQ(ReadRgb(245, 60), (Rgb{230, 230, 60}));   // additive over the background
    EXPECT_EQ(ReadRgb(22, 120), (Rgb{255, 128, 0}));    // stripe inside the scissor
    EXPECT_EQ(ReadRgb(27, 120), background);            // gap between stripes
    EXPECT_EQ(ReadRgb(12, 120), background);            // stripe left of the scissor
    EXPECT_EQ(ReadRgb(22, 155), background);            // stripe below it
    EXPECT_EQ(ReadRgb(230, 130), (Rgb{255, 0, 255}));
    EXPECT_EQ(ReadRgb(160, 110), (Rgb{0, 255, 0}));
    // 'T' at twice the size: its top bar, its stem, and the blank beside the stem.
    EXPECT_EQ(ReadRgb(21, 201), (Rgb{255, 220, 0}));
    EXPECT_EQ(ReadRgb(29, 201), (Rgb{255, 220, 0}));
    EXPECT_EQ(ReadRgb(25, 210), (Rgb{255, 220, 0}));
    EXPECT_EQ(ReadRgb(21, 210), background);
    // 'U' follows one padded cell (6 pixels, doubled) later; its left side is lit.
    EXPECT_EQ(ReadRgb(33, 205), (Rgb{255, 220, 0}));
    EXPECT_EQ(ReadRgb(31, 205), background);
}
