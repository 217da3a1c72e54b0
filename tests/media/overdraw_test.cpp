// overdraw_test.cpp - the work the renderer leaves out, on a real OpenGL
// context: untextured quads cut back to what later opaque rectangles of their
// batch leave visible, and opaque batches drawn without blending. The window must
// come out byte for byte as when nothing is left out (every quad whole in a batch
// of its own, or the batch made to blend), and the shading-under-a-frame case must
// really be cut.
#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/media/gl_window.h"

using gltest::DeviceTest;
using gltest::ReadRgb;
using gltest::ReadWindowRgb;
using gltest::Rgb;
using gltest::TempDir;
using gltest::WritePng;

namespace {

struct Rect {
    float x, y, w, h;
    float r, g, b, alpha;
};

// Numerical Recipes' LCG: the same scenes on every run.
class Lcg {
public:
    explicit Lcg(uint32_t seed) : state_(seed) {}
    uint32_t Next() { return state_ = state_ * 1664525u + 1013904223u; }
    int Below(int n) { return static_cast<int>((static_cast<uint64_t>(Next()) * static_cast<uint32_t>(n)) >> 32); }

private:
    uint32_t state_;
};

// Edges on quarter pixels (so some fall on pixel centres, where the fill rule
// decides), some rectangles mirrored, some spanning the window across or down,
// half of them opaque.
std::vector<Rect> RandomScene(uint32_t seed, int count) {
    Lcg rng(seed);
    std::vector<Rect> scene;
    for (int i = 0; i < count; ++i) {
        Rect r;
        const int shape = rng.Below(4);  // 0: a band across the window, 1: down it
        r.x = shape == 0 ? -1.0f : static_cast<float>(rng.Below(4 * 340) - 4 * 10) / 4;
        r.w = shape == 0 ? gltest::kWindowW + 2.0f : static_cast<float>(rng.Below(4 * 200) + 1) / 4;
        r.y = shape == 1 ? -1.0f : static_cast<float>(rng.Below(4 * 260) - 4 * 10) / 4;
        r.h = shape == 1 ? gltest::kWindowH + 2.0f : static_cast<float>(rng.Below(4 * 160) + 1) / 4;
        if (rng.Below(8) == 0) r.x += r.w, r.w = -r.w;
        if (rng.Below(8) == 0) r.y += r.h, r.h = -r.h;
        r.r = static_cast<float>(rng.Below(256));
        r.g = static_cast<float>(rng.Below(256));
        r.b = static_cast<float>(rng.Below(256));
        r.alpha = rng.Below(2) == 0 ? 1.0f : static_cast<float>(rng.Below(100)) / 100;
        scene.push_back(r);
    }
    return scene;
}

class CoveredQuads : public DeviceTest {
protected:
    // Draws the scene into a cleared window and reads it back; `batchEach` sends
    // every rectangle in a batch of its own (a blend change ends a batch), where
    // nothing can cut it.
    std::vector<unsigned char> Render(const std::vector<Rect>& scene, int blend, bool batchEach) {
        device->SetBlend(0);
        device->Cls(40, 80, 120);
        device->SetBlend(blend);
        for (const Rect& r : scene) {
            device->SetColor(r.r, r.g, r.b);
            device->SetAlpha(r.alpha);
            device->DrawRect(r.x, r.y, r.w, r.h);
            if (batchEach) device->SetBlend(blend);
        }
        device->Flush();
        return ReadWindowRgb();
    }

    // The extent of quad k of the batch just flushed.
    void QuadBox(int k, float box[4]) const {
        const gxtkVertex* v = &device->vertexData[k * 4];
        box[0] = v[0].x, box[1] = v[0].y, box[2] = v[2].x, box[3] = v[2].y;
    }
};

}  // namespace

TEST_F(CoveredQuads, AWindowOfOverlappingRectanglesComesOutAsDrawnOneByOne) {
    for (uint32_t seed = 1; seed <= 12; ++seed) {
        const std::vector<Rect> scene = RandomScene(seed, 40);
        for (int blend : {0, 1}) {
            const std::vector<unsigned char> whole = Render(scene, blend, true);
            const std::vector<unsigned char> batched = Render(scene, blend, false);
            ASSERT_EQ(batched, whole) << "seed " << seed << ", blend " << blend;
        }
    }
}

// Faint layers reaching further in from the top and bottom edges, then a solid
// frame round an opening from x 60 to 260 and y 50 to 190: what the game's
// machines draw around their reels.
std::vector<Rect> ShadedOpening(int layers) {
    const float w = gltest::kWindowW, h = gltest::kWindowH;
    std::vector<Rect> scene;
    for (int k = 0; k < layers; ++k) {
        scene.push_back({-1, -1, w + 2, 50.0f + 4 * k, 0, 0, 0, 0.05f});
        scene.push_back({-1, 190.0f - 4 * k, w + 2, h, 0, 0, 0, 0.05f});
    }
    scene.push_back({-1, -1, w + 2, 51, 0, 40, 180, 1});
    scene.push_back({-1, 190, w + 2, h, 0, 40, 180, 1});
    scene.push_back({-1, -1, 61, h + 2, 0, 40, 180, 1});
    scene.push_back({260, -1, w, h + 2, 0, 40, 180, 1});
    return scene;
}

// The largest difference of one channel between two pictures of the window.
int LargestStep(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b) {
    int most = a.size() == b.size() ? 0 : 256;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) most = std::max(most, std::abs(a[i] - b[i]));
    return most;
}

TEST_F(CoveredQuads, ShadingUnderASolidFrameIsDrawnInsideItAsBandsBlendedOnce) {
    const std::vector<Rect> scene = ShadedOpening(5);
    const std::vector<unsigned char> whole = Render(scene, 0, true);
    const std::vector<unsigned char> batched = Render(scene, 0, false);
    EXPECT_LE(LargestStep(batched, whole), 2);

    float box[4];
    QuadBox(0, box);  // the first top layer lies wholly under the frame's top
    EXPECT_EQ(box[0], box[2]);
    EXPECT_EQ(box[1], box[3]);
    // Top layers 1 to 4 reached y 53, 57, 61 and 65 inside the opening; each now
    // draws only its step beyond the one before, the earliest from the frame down.
    const float topBands[4][2] = {{50, 53}, {53, 57}, {57, 61}, {61, 65}};
    const float bottomBands[4][2] = {{186, 190}, {182, 186}, {178, 182}, {174, 178}};
    for (int k = 1; k <= 4; ++k) {
        QuadBox(2 * k, box);
        EXPECT_EQ(box[0], 60);
        EXPECT_EQ(box[2], 260);
        EXPECT_EQ(box[1], topBands[k - 1][0]) << "top layer " << k;
        EXPECT_EQ(box[3], topBands[k - 1][1]) << "top layer " << k;
        QuadBox(2 * k + 1, box);
        EXPECT_EQ(box[1], bottomBands[k - 1][0]) << "bottom layer " << k;
        EXPECT_EQ(box[3], bottomBands[k - 1][1]) << "bottom layer " << k;
    }
    QuadBox(10, box);  // an opaque piece of the frame is trimmed like any quad
    EXPECT_EQ(box[0], 60);
    EXPECT_EQ(box[2], 260);

    // Beside the frame's top, four layers darken the cleared window (40, 80, 120)
    // by 0.95 each, by one blend.
    const Rgb near = Pixel(100, 51);
    const double keep = std::pow(1 - 12.0 / 255, 4);  // alpha 0.05 is the byte 12
    EXPECT_NEAR(near.r, 40 * keep, 1);
    EXPECT_NEAR(near.g, 80 * keep, 1);
    EXPECT_NEAR(near.b, 120 * keep, 1);
    EXPECT_EQ(Pixel(100, 120), (Rgb{40, 80, 120})) << "no layer reaches the middle";
}

// A ramp of opaque columns, 5 pixels apart and 6 wide, under every channel value.
std::vector<Rect> Ramp() {
    std::vector<Rect> ramp;
    for (int i = 0; i < 64; ++i) {
        const float v = static_cast<float>(i * 4 + 3);
        ramp.push_back({i * 5.0f, -1, 6, gltest::kWindowH + 2.0f, v, 255 - v, static_cast<float>((i * 97) % 256), 1});
    }
    return ramp;
}

// The game's 21 layers over the ramp. Each pixel must come out as its column's
// colour darkened by the layers whose rectangles hold its centre, to within the
// one rounding of a blend. (Blended in turn, a dark channel never drops: 3 x 0.95
// rounds back to 3 at every layer.)
TEST_F(CoveredQuads, StackedLayersDarkenEachPixelOnceByAllTheLayersOverIt) {
    const float w = gltest::kWindowW, h = gltest::kWindowH;
    std::vector<Rect> scene = Ramp();
    for (int k = 0; k < 21; ++k) {
        scene.push_back({-1, -1, w + 2, 4.0f + 4 * k, 0, 0, 0, 0.05f});
        scene.push_back({-1, 236.0f - 4 * k, w + 2, h, 0, 0, 0, 0.05f});
    }
    const std::vector<unsigned char> shot = Render(scene, 0, false);
    const double keep = 1 - 12.0 / 255;  // alpha 0.05 is the byte 12
    int worst = 0;
    for (int y = 0; y < gltest::kWindowH; ++y) {
        const float cy = static_cast<float>(y) + 0.5f;
        int layers = 0;
        for (int k = 0; k < 21; ++k) layers += (cy < 3.0f + 4 * k) + (cy >= 236.0f - 4 * k);
        const double dim = std::pow(keep, layers);
        for (int x = 0; x < gltest::kWindowW; ++x) {
            const Rect& under = scene[std::min(63, static_cast<int>((static_cast<float>(x) + 0.5f) / 5))];
            const unsigned char* px = &shot[(static_cast<size_t>(y) * gltest::kWindowW + x) * 3];
            const double want[3] = {under.r * dim, under.g * dim, under.b * dim};
            for (int c = 0; c < 3; ++c) worst = std::max(worst, static_cast<int>(std::ceil(std::fabs(px[c] - want[c]))));
        }
    }
    EXPECT_LE(worst, 1);
}

// A coloured stack with a layer of another width among its layers and one of
// another colour between them, which splits it, and layers shrinking toward
// their top or bottom edge, which stay as they are: against each layer blended
// in turn.
TEST_F(CoveredQuads, StacksBrokenByOtherLayersStayWithinTwoStepsOfBlendingEachInTurn) {
    std::vector<Rect> split = Ramp();
    for (int k = 0; k < 8; ++k) {
        split.push_back({20, 10, 200, 10.0f + 6 * k, 200, 100, 0, 0.3f});
        if (k == 3) split.push_back({20, 10, 150, 30, 200, 100, 0, 0.3f});
        if (k == 5) split.push_back({20, 10, 200, 30, 0, 100, 200, 0.3f});
    }
    std::vector<Rect> shrinking = Ramp();
    for (int k = 0; k < 8; ++k) shrinking.push_back({30, 200.0f + 3 * k, 250, 30.0f - 3 * k, 0, 0, 90, 0.5f});
    for (int k = 0; k < 8; ++k) shrinking.push_back({30, 100, 250, 40.0f - 4 * k, 90, 0, 0, 0.5f});
    for (const auto& scene : {split, shrinking}) {
        const std::vector<unsigned char> whole = Render(scene, 0, true);
        const std::vector<unsigned char> batched = Render(scene, 0, false);
        EXPECT_LE(LargestStep(batched, whole), 2);
    }
}

// A big batch drawn again is given what was made of it before; one quad moved, or
// a colour changed, must be trimmed anew. The moved quad is the last one, drawn
// over everything: drawn where it was, it would show.
TEST_F(CoveredQuads, ABatchLikeAKeptOneIsDrawnAsItWasAndOneChangedIsTrimmedAnew) {
    std::vector<Rect> scene = RandomScene(7, 40);
    scene.push_back({10, -1, 40, gltest::kWindowH + 2.0f, 250, 250, 0, 1});
    std::vector<Rect> moved = scene;
    moved.back().x = 200;
    std::vector<Rect> recoloured = scene;
    recoloured[3].r = 255 - recoloured[3].r;
    for (const auto* s : {&scene, &moved, &scene, &recoloured, &scene}) {
        const std::vector<unsigned char> whole = Render(*s, 0, true);
        ASSERT_EQ(Render(*s, 0, false), whole);
    }
}

TEST_F(CoveredQuads, NothingIsCutWhereColoursAdd) {
    const std::vector<Rect> scene = {{10, 10, 100, 100, 100, 0, 0, 1}, {0, 0, 200, 200, 0, 100, 0, 1}};
    Render(scene, 1, false);
    float box[4];
    QuadBox(0, box);
    EXPECT_EQ(box[0], 10);
    EXPECT_EQ(box[2], 110);
}

TEST_F(CoveredQuads, ABandReachingPastTheWindowIsCoveredByOneStoppingAtItsEdge) {
    const float w = gltest::kWindowW, h = gltest::kWindowH;
    const std::vector<Rect> scene = {{-1, -1, w + 2, 100, 90, 0, 0, 1}, {0, -3, 224, h + 6, 0, 0, 0, 1}};
    ASSERT_EQ(Render(scene, 0, false), Render(scene, 0, true));
    Render(scene, 0, false);
    float box[4];
    QuadBox(0, box);
    EXPECT_EQ(box[0], 224);
    EXPECT_EQ(box[1], 0);
    EXPECT_EQ(box[2], w);
    EXPECT_EQ(box[3], 99);
}

// The window fill is held against the rectangle drawn by OpenGL itself, with
// the renderer's blend, since every batch the device sends would clear the same.
TEST_F(CoveredQuads, AnOpaqueRectangleOverTheWholeWindowClearsItToItsOwnBytes) {
    const float w = gltest::kWindowW, h = gltest::kWindowH;
    const Rect fill{-1, -1, w + 2, h + 2, 200.7f, 13.2f, 99.9f, 1};
    const Rect over{50, 40, 100, 80, 255, 255, 0, 0.4f};
    const std::vector<unsigned char> device = Render({{10, 10, 30, 30, 0, 0, 255, 1}, fill, over}, 0, false);
    float box[4];
    QuadBox(1, box);
    EXPECT_EQ(box[0], box[2]) << "the fill went to OpenGL as a clear";

    glDisable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    for (const Rect& r : {fill, over}) {
        // The device's premultiplied colour bytes, truncated.
        glColor4ub(static_cast<GLubyte>(r.r * r.alpha), static_cast<GLubyte>(r.g * r.alpha),
                   static_cast<GLubyte>(r.b * r.alpha), static_cast<GLubyte>(r.alpha * 255));
        glRectf(r.x, r.y, r.x + r.w, r.y + r.h);
    }
    EXPECT_EQ(device, ReadWindowRgb());
}

// ---------------------------------------------------------------------------
// Opaque batches
// ---------------------------------------------------------------------------

namespace {

class OpaqueBatches : public DeviceTest {
protected:
    // A w x h RGBA image of varied colours, every pixel opaque but the one at
    // `clearAt` (or none when it is -1), which is fully transparent.
    gxtkSurface* Image(int w, int h, int clearAt) {
        std::vector<unsigned char> px;
        for (int i = 0; i < w * h; ++i) {
            const unsigned char alpha = i == clearAt ? 0 : 255;
            px.insert(px.end(), {static_cast<unsigned char>(i * 37), static_cast<unsigned char>(i * 11),
                                 static_cast<unsigned char>(200 - i), alpha});
        }
        const std::string file = dir.File("image" + std::to_string(files++) + ".png");
        if (!WritePng(file, w, h, 4, px)) return nullptr;
        gxtkSurface* s = device->LoadSurface(String(file.c_str()));
        return s && s->EnsureTexture() ? s : nullptr;
    }
    // The scene: a tinted image drawn twice and opaque rectangles over a red
    // window; with `forceBlend` each batch also carries a faint quad outside the
    // window, which changes no pixel but makes the batch blend.
    std::vector<unsigned char> Render(gxtkSurface* image, bool forceBlend) {
        device->Cls(255, 0, 0);
        device->SetColor(200, 150, 100);
        device->DrawSurface2(image, 10, 10, 0, 0, 16, 16);
        device->SetColor(255, 255, 255);
        device->DrawSurface2(image, 40.5f, 20.25f, 4, 4, 8, 8);
        if (forceBlend) Faint(image);
        device->DrawRect(100, 100, 30, 30);
        device->SetColor(0, 90, 30);
        device->DrawRect(120, 110, 30, 30);
        if (forceBlend) Faint(nullptr);
        device->SetAlpha(1);
        device->Flush();
        return ReadWindowRgb();
    }
    void Faint(gxtkSurface* image) {
        device->SetAlpha(0.5f);
        if (image) {
            device->DrawSurface2(image, -50, -50, 0, 0, 8, 8);
        } else {
            device->DrawRect(-50, -50, 8, 8);
        }
        device->SetAlpha(1);
    }
    TempDir dir;
    int files = 0;
};

}  // namespace

TEST_F(OpaqueBatches, DrawWithoutBlendingAndGiveTheSamePixels) {
    gxtkSurface* image = Image(16, 16, -1);
    ASSERT_NE(image, nullptr);
    EXPECT_TRUE(image->opaque);
    const std::vector<unsigned char> blended = Render(image, true);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    const std::vector<unsigned char> unblended = Render(image, false);
    EXPECT_FALSE(glIsEnabled(GL_BLEND)) << "the last batch was opaque and drawn unblended";
    EXPECT_EQ(unblended, blended);
    device->EndRender();
    EXPECT_TRUE(glIsEnabled(GL_BLEND)) << "between frames blending is on";
}

TEST_F(OpaqueBatches, AnImageWithATransparentPixelOrPixelsWrittenIntoItStillBlends) {
    gxtkSurface* holed = Image(4, 4, 5);
    ASSERT_NE(holed, nullptr);
    EXPECT_FALSE(holed->opaque);
    device->Cls(255, 0, 0);
    device->DrawSurface(holed, 0, 0);
    EXPECT_EQ(Pixel(1, 1), (Rgb{255, 0, 0})) << "the window shows through the transparent pixel";

    gxtkSurface* written = Image(4, 4, -1);
    ASSERT_NE(written, nullptr);
    ASSERT_TRUE(written->opaque);
    Array<int> clear(1);
    clear[0] = 0;
    device->WritePixels2(written, clear, 2, 2, 1, 1, 0, 1);
    EXPECT_FALSE(written->opaque);
    device->Cls(255, 0, 0);
    device->DrawSurface(written, 50, 50);
    EXPECT_EQ(Pixel(52, 52), (Rgb{255, 0, 0}));
}

TEST_F(OpaqueBatches, AnOpaqueRectangleStillBlendsWhereColoursAdd) {
    device->Cls(100, 0, 0);
    device->SetBlend(1);
    device->SetColor(0, 100, 0);
    device->DrawRect(0, 0, 10, 10);
    EXPECT_EQ(Pixel(5, 5), (Rgb{100, 100, 0}));
    device->SetBlend(0);
}

TEST_F(CoveredQuads, QuadsTurnedByTheMatrixAreLeftWhole) {
    // Turned by 20 degrees about (60, 120), a tall opaque bar's bounding box spans
    // the window's height from its left edge, but the bar leaves the corners of
    // the faint square beneath it uncovered.
    const std::vector<Rect> scene = {{-300, -300, 600, 600, 255, 0, 0, 0.5f}, {-40, -400, 80, 800, 0, 0, 255, 1}};
    const float c = std::cos(0.349f), s = std::sin(0.349f);
    device->SetMatrix(c, s, -s, c, 60, 120);
    const std::vector<unsigned char> whole = Render(scene, 0, true);
    const std::vector<unsigned char> batched = Render(scene, 0, false);
    device->SetMatrix(1, 0, 0, 1, 0, 0);
    EXPECT_EQ(batched, whole);
}
