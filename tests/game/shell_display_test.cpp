// shell_display_test.cpp - the display list: record layout, the room check, the
// draw-state helpers with the absent value, the replay drawn into a real GL context
// (read back pixel by pixel), bitmap text placement and number text.
#include "game_harness.h"

namespace {

using gametest::GameTest;
using gametest::Record;

constexpr int kFont = kImgFont;
constexpr float kAdvance = 7;
constexpr float kLine = 10;
constexpr float kTol = 1e-3f;

class ShellDisplay : public GameTest {
protected:
    // The loader's font metrics, without loading the sheet.
    void SetFont() {
        game->fontSlot = kFont;
        game->slotInfo[kFont * 3] = static_cast<int>(kAdvance);
        game->slotInfo[kFont * 3 + 1] = static_cast<int>(kLine);
        game->m_CLS2D(kAbsent, 0, 0, 0);
    }
    void ExpectGlyph(int index, float x, float y, int character) {
        SCOPED_TRACE(testing::Message() << "glyph record " << index);
        ASSERT_LT(index, RecordCount());
        const Record r = Rec(index);
        EXPECT_EQ(r.kind, kFont);
        EXPECT_NEAR(r.x, x, kTol);
        EXPECT_NEAR(r.y, y, kTol);
        EXPECT_EQ(r.frame, character - 32);
    }
};

// ---------------------------------------------------------------------------
// Records and draw state
// ---------------------------------------------------------------------------

TEST_F(ShellDisplay, RecordsCarryTheDrawStateAtTheTimeOfTheCall) {
    game->m_CLS2D(kAbsent, 0, 0, 0);
    game->m_SetCol(10, 20, 30, 0.4f);
    game->m_SetSize(2, 3);
    game->drawRot = 30;
    game->m_DrawImg(7, 11, 12, 3.7f);
    game->m_Rect(1, 2, 3, 4);
    game->m_SetCol(200, 100, 50, kAbsent);
    game->m_Oval(5, 6, 7, 8);
    ASSERT_EQ(game->drawCount, 3 * kRecordFloats);

    const Record img = Rec(0);
    EXPECT_EQ(img.kind, 7);
    EXPECT_EQ(img.x, 11);
    EXPECT_EQ(img.y, 12);
    EXPECT_EQ(img.rot, 30);
    EXPECT_EQ(img.w, 2);  // images store the size factors
    EXPECT_EQ(img.h, 3);
    EXPECT_FLOAT_EQ(img.frame, 3.7f);
    EXPECT_FLOAT_EQ(img.alpha, 0.4f);
    EXPECT_EQ(img.r, 10);
    EXPECT_EQ(img.g, 20);
    EXPECT_EQ(img.b, 30);

    const Record rect = Rec(1);
    EXPECT_EQ(rect.kind, kKindRect);
    EXPECT_EQ(rect.w, 3);  // shapes store their own sizes
    EXPECT_EQ(rect.h, 4);
    EXPECT_EQ(rect.frame, 0);

    const Record oval = Rec(2);
    EXPECT_EQ(oval.kind, kKindOval);
    EXPECT_EQ(oval.x, 5);
    EXPECT_EQ(oval.w, 7);
    EXPECT_EQ(oval.h, 8);
    EXPECT_EQ(oval.r, 200);
    EXPECT_FLOAT_EQ(oval.alpha, 0.4f);  // the absent alpha kept the previous one
}

TEST_F(ShellDisplay, TheListHolds2499RecordsAndDropsTheRest) {
    game->m_CLS2D(kAbsent, 0, 0, 0);
    for (int i = 0; i < 2499; ++i) game->m_Rect(static_cast<float>(i), 0, 1, 1);
    ASSERT_EQ(game->drawCount, 2499 * kRecordFloats);
    game->drawList[2499 * kRecordFloats] = 12345;
    game->m_Rect(9999, 0, 1, 1);
    game->m_Oval(1, 1, 1, 1);
    game->m_DrawImg(1, 1, 1, 0);
    game->m_Text(0, 0, String("ABC"), 0, 0);
    EXPECT_EQ(game->drawCount, 2499 * kRecordFloats);
    EXPECT_EQ(game->drawList[2499 * kRecordFloats], 12345);
    EXPECT_EQ(Rec(2498).x, 2498);
    // The next clear makes room again.
    game->m_CLS2D(kAbsent, 0, 0, 0);
    game->m_Rect(3, 0, 1, 1);
    EXPECT_EQ(RecordCount(), 1);
}

TEST_F(ShellDisplay, ClearWithTheAbsentValueKeepsTheClearColourButEmptiesTheList) {
    game->m_CLS2D(10, 20, 30, 0.5f);
    EXPECT_FLOAT_EQ(game->clearR, 10);
    EXPECT_FLOAT_EQ(game->clearB, 30);
    EXPECT_FLOAT_EQ(game->clearA, 0.5f);
    game->m_Rect(0, 0, 1, 1);
    game->m_SetCol(1, 1, 1, 0.1f);
    game->m_SetSize(5, kAbsent);
    game->m_CLS2D(kAbsent, 99, 99, 1);
    EXPECT_FLOAT_EQ(game->clearR, 10);
    EXPECT_FLOAT_EQ(game->clearG, 20);
    EXPECT_FLOAT_EQ(game->clearA, 0.5f);
    EXPECT_EQ(game->drawCount, 0);
    EXPECT_FLOAT_EQ(game->drawSizeX, 1);
    EXPECT_FLOAT_EQ(game->drawR, 255);
    EXPECT_FLOAT_EQ(game->drawA, 1);
}

TEST_F(ShellDisplay, SizeAndColourTreatTheAbsentValueAsOmitted) {
    game->m_SetSize(2, kAbsent);
    EXPECT_FLOAT_EQ(game->drawSizeX, 2);
    EXPECT_FLOAT_EQ(game->drawSizeY, 2);
    game->m_SetSize(2, 3);
    EXPECT_FLOAT_EQ(game->drawSizeY, 3);
    game->m_SetCol(0, 0, 0, 0.3f);
    game->m_SetCol(255, 0, 0, kAbsent);
    EXPECT_FLOAT_EQ(game->drawA, 0.3f);
    EXPECT_FLOAT_EQ(game->drawR, 255);
    game->m_SetCol(255, 0, 0, 0.5f);
    EXPECT_FLOAT_EQ(game->drawA, 0.5f);
    game->m_Alpha(0.25f);
    EXPECT_FLOAT_EQ(game->drawA, 0.25f);
}

// ---------------------------------------------------------------------------
// Replay in a real GL context
// ---------------------------------------------------------------------------

// A 320 x 240 window: one virtual unit is half a pixel. The sheet has two 8 x 8
// frames, red and green, at tier 1.
TEST_F(ShellDisplay, ReplayPutsShapesAndImageFramesWhereTheRecordsSay) {
    gametest::UseFixtureData();
    std::vector<unsigned> sheet(16 * 8);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 16; ++x) sheet[y * 16 + x] = x < 8 ? 0xff0000ffu : 0xff00ff00u;
    }
    gametest::WritePngPixels("pix.png", 16, 8, sheet);
    Recreate(320, 240);
    Render();
    ASSERT_FLOAT_EQ(game->scaleX, 0.5f);
    ASSERT_EQ(game->tier, 1);
    game->m_LoadImg(50, String("pix"), 8, 8, 2, kx_graphics_Image::CentreHandle);
    ASSERT_NE(game->images[50], nullptr);

    game->m_CLS2D(0, 0, 0, 1);
    game->m_SetCol(255, 0, 0, 1);
    game->m_Rect(20, 20, 40, 20);  // pixels (10,10)-(30,20)
    game->m_SetCol(0, 0, 255, 1);
    game->m_Oval(200, 60, 20, 10);  // centre (100,30), radii 10 x 5
    game->m_SetCol(0, 255, 0, 1);
    game->drawList[game->drawCount + REC_KIND] = kKindLine;  // lines have no helper
    game->m_Rect(0, 400, 600, 400);
    game->drawList[game->drawCount - kRecordFloats + REC_KIND] = kKindLine;  // (0,200)-(300,200)
    game->m_ResetDraw();
    game->m_SetSize(2, kAbsent);
    game->m_DrawImg(50, 400, 100, 1);  // green frame, 8 x 8 pixels about (200,50)
    game->m_DrawImg(50, 500, 100, 0);  // red frame about (250,50)
    game->m_DrawImg(50, 560, 100, 5);  // no such frame: skipped
    game->m_DrawImg(77, 560, 300, 0);  // empty slot: skipped

    const std::vector<unsigned> px = RenderAndRead();
    ASSERT_EQ(px.size(), 320u * 240u);
    EXPECT_EQ(Red(PixelAt(px, 20, 15)), 255);
    EXPECT_EQ(Red(PixelAt(px, 9, 15)), 0);
    EXPECT_EQ(Red(PixelAt(px, 31, 15)), 0);
    EXPECT_EQ(Red(PixelAt(px, 20, 21)), 0);
    EXPECT_EQ(Blue(PixelAt(px, 100, 30)), 255);
    EXPECT_EQ(Blue(PixelAt(px, 108, 30)), 255);
    EXPECT_EQ(Blue(PixelAt(px, 100, 37)), 0);  // beyond the 5-pixel radius
    EXPECT_EQ(Blue(PixelAt(px, 112, 30)), 0);
    EXPECT_EQ(Green(PixelAt(px, 150, 200)), 255);
    EXPECT_EQ(Green(PixelAt(px, 150, 196)), 0);
    EXPECT_EQ(Green(PixelAt(px, 200, 50)), 255);
    EXPECT_EQ(Red(PixelAt(px, 200, 50)), 0);
    EXPECT_EQ(Green(PixelAt(px, 206, 50)), 0);
    EXPECT_EQ(Red(PixelAt(px, 250, 50)), 255);
    EXPECT_EQ(Red(PixelAt(px, 280, 50)), 0);
    EXPECT_EQ(Green(PixelAt(px, 280, 150)), 0);
}

TEST_F(ShellDisplay, ReplayFillsTheWindowWithTheClearColourAndRedrawsTheSameList) {
    Recreate(320, 240);
    Render();
    game->m_CLS2D(0, 0, 255, 1);
    game->m_SetCol(255, 255, 0, 1);
    game->m_Rect(100, 100, 40, 40);
    for (int frame = 0; frame < 2; ++frame) {
        const std::vector<unsigned> px = RenderAndRead();
        EXPECT_EQ(Blue(PixelAt(px, 0, 0)), 255);
        EXPECT_EQ(Blue(PixelAt(px, 319, 239)), 255);
        EXPECT_EQ(Red(PixelAt(px, 60, 60)), 255);
        EXPECT_EQ(Blue(PixelAt(px, 60, 60)), 0);
    }
    // A list shorter than one record draws nothing but the clear.
    game->drawCount = 14;
    const std::vector<unsigned> px = RenderAndRead();
    EXPECT_EQ(Red(PixelAt(px, 60, 60)), 0);
}

// ---------------------------------------------------------------------------
// Text
// ---------------------------------------------------------------------------

TEST_F(ShellDisplay, TextAlignmentPlacesTheFirstCentreTheMiddleOrTheLastOnThePoint) {
    SetFont();
    game->m_Text(100, 50, String("ABC"), 0, 0);
    ExpectGlyph(0, 100, 55, 'A');  // top of the line on y: centres half a line lower
    ExpectGlyph(1, 107, 55, 'B');
    ExpectGlyph(2, 114, 55, 'C');
    game->m_CLS2D(kAbsent, 0, 0, 0);
    game->m_Text(100, 50, String("ABC"), 1, 1);
    ExpectGlyph(0, 93, 50, 'A');
    ExpectGlyph(2, 107, 50, 'C');
    game->m_CLS2D(kAbsent, 0, 0, 0);
    game->m_Text(100, 50, String("ABC"), 2, 2);
    ExpectGlyph(0, 86, 45, 'A');
    ExpectGlyph(2, 100, 45, 'C');
    game->m_CLS2D(kAbsent, 0, 0, 0);
    game->m_SetSize(2, 3);
    game->m_Text(100, 50, String("AB"), 0, 2);
    ExpectGlyph(0, 100, 35, 'A');
    ExpectGlyph(1, 114, 35, 'B');
    EXPECT_EQ(Rec(1).w, 2);
    EXPECT_EQ(Rec(1).h, 3);
}

TEST_F(ShellDisplay, LineBreakIsCentredOnTheWholeStringAndRestartsUnderTheFirstCharacter) {
    SetFont();
    game->m_Text(100, 50, String("AB\\nCD"), 1, 1);
    ASSERT_EQ(RecordCount(), 4);
    const float x0 = 100 - 2.5f * kAdvance;
    ExpectGlyph(0, x0, 50, 'A');
    ExpectGlyph(1, x0 + kAdvance, 50, 'B');
    ExpectGlyph(2, x0, 50 + kLine, 'C');
    ExpectGlyph(3, x0 + kAdvance, 50 + kLine, 'D');
}

TEST_F(ShellDisplay, BackslashesSpacesAndUndrawableCharacters) {
    SetFont();
    game->m_Text(0, 0, String("A\\"), 0, 1);
    ASSERT_EQ(RecordCount(), 2);
    ExpectGlyph(1, kAdvance, 0, '\\');
    EXPECT_EQ(Rec(1).frame, 60);

    game->m_CLS2D(kAbsent, 0, 0, 0);
    game->m_Text(0, 0, String("A\\xB"), 0, 1);  // a backslash not followed by n is a glyph
    ASSERT_EQ(RecordCount(), 4);
    ExpectGlyph(3, 3 * kAdvance, 0, 'B');

    game->m_CLS2D(kAbsent, 0, 0, 0);
    const char16_t odd[] = {u'A', u' ', 0, 200, 9, u'B'};
    game->m_Text(0, 0, String(odd, 6), 0, 1);
    ASSERT_EQ(RecordCount(), 2);
    ExpectGlyph(1, 4 * kAdvance, 0, 'B');  // A, space, 200 and tab advance; 0 does not

    game->m_CLS2D(kAbsent, 0, 0, 0);
    game->m_Text(0, 0, String(""), 1, 1);
    EXPECT_EQ(RecordCount(), 0);
}

TEST_F(ShellDisplay, RotatedTextRunsAlongTheRotationAndCarriesIt) {
    SetFont();
    game->drawRot = 90;
    game->m_Text(100, 100, String("AB\\nC"), 0, 0);
    ASSERT_EQ(RecordCount(), 3);
    // Turned 90 degrees: characters run up the screen, lines step to the right.
    ExpectGlyph(0, 105, 100, 'A');
    ExpectGlyph(1, 105, 100 - kAdvance, 'B');
    ExpectGlyph(2, 105 + kLine, 100, 'C');
    EXPECT_EQ(Rec(0).rot, 90);
}

TEST_F(ShellDisplay, NumberTextIsRightJustifiedAndCutToTheField) {
    EXPECT_EQ(game->m_rstr(42, 5, String("0")), String("00042"));
    EXPECT_EQ(game->loopIndex, 6);
    EXPECT_EQ(game->m_rstr(123456, 4, String("0")), String("3456"));
    EXPECT_EQ(game->m_rstr(7, 3, String(" ")), String("  7"));
    EXPECT_EQ(game->m_rstr(1234, 8, String("0")), String("00001234"));
    EXPECT_EQ(game->m_rstr(-5, 4, String("0")), String("00-5"));
    EXPECT_EQ(game->m_rstr(9, 1, String("0")), String("9"));
    game->m_rstr(9, 0, String("0"));
    EXPECT_EQ(game->loopIndex, 1);
}

}  // namespace
