// review.cpp - contact-sheet layout and 8-bit compositing (see review.h). Sheets
// are packed in rows; each keeps its own grid, with a gap between cells and a
// strip above every cell for its frame number, so tiny frames stay readable.
#include "review.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "text.h"

namespace art {
namespace {

constexpr int kMargin = 16;
constexpr int kGap = 2;            // between cells
constexpr int kNumberStrip = 13;   // above every cell
constexpr int kTitleHeight = 20;
constexpr int kMinSlotW = 24;      // wide enough for a two-digit number
constexpr int kRowWidthPerTier = 1100;
constexpr float kNumberEm = 11.0f;
constexpr float kTitleEm = 14.0f;
constexpr unsigned char kBackground[3] = {0x20, 0x20, 0x28};
constexpr unsigned char kCheckA[3] = {0x6a, 0x6a, 0x78};
constexpr unsigned char kCheckB[3] = {0x8a, 0x8a, 0x98};

struct Placed {
    const RenderedSheet* sheet;
    int x, y;
};

int slotW(const RenderedSheet& s) { return std::max(s.frameW, kMinSlotW); }
int slotH(const RenderedSheet& s) { return s.frameH + kNumberStrip; }
int blockW(const RenderedSheet& s) {
    int title = static_cast<int>(std::ceil(font(Face::SansBold).textWidth(s.file, kTitleEm)));
    return std::max(s.cols * slotW(s) + (s.cols - 1) * kGap, title);
}
int blockH(const RenderedSheet& s) { return kTitleHeight + s.rows * slotH(s) + (s.rows - 1) * kGap; }

class Board {
public:
    Board(int w, int h) : img_{w, h, std::vector<unsigned char>(static_cast<size_t>(w) * h * 4)} {
        for (size_t i = 0; i < img_.rgba.size(); i += 4) {
            img_.rgba[i] = kBackground[0];
            img_.rgba[i + 1] = kBackground[1];
            img_.rgba[i + 2] = kBackground[2];
            img_.rgba[i + 3] = 255;
        }
    }
    void put(int x, int y, const unsigned char* rgb, float a) {
        if (x < 0 || y < 0 || x >= img_.width || y >= img_.height || a <= 0) return;
        unsigned char* p = &img_.rgba[(static_cast<size_t>(y) * img_.width + x) * 4];
        for (int k = 0; k < 3; ++k) p[k] = static_cast<unsigned char>(std::lround(rgb[k] * a + p[k] * (1 - a)));
    }
    void checker(int x0, int y0, int w, int h, int square) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) put(x0 + x, y0 + y, ((x / square + y / square) % 2) ? kCheckA : kCheckB, 1.0f);
    }
    void text(const std::string& s, int x, int baseline, float em) {
        const Font& f = font(Face::SansBold);
        static const unsigned char white[3] = {255, 255, 255};
        float pen = static_cast<float>(x);
        for (char ch : s) {
            GlyphBitmap g = f.glyph(static_cast<unsigned char>(ch), em, 0, 0);
            for (int gy = 0; gy < g.h; ++gy)
                for (int gx = 0; gx < g.w; ++gx)
                    put(static_cast<int>(pen) + g.xoff + gx, baseline + g.yoff + gy, white,
                        g.alpha[static_cast<size_t>(gy) * g.w + gx]);
            pen += std::round(f.advance(static_cast<unsigned char>(ch), em));
        }
    }
    Rgba8Image take() { return std::move(img_); }

private:
    Rgba8Image img_;
};

void drawSheet(Board& board, const Placed& p, int tier) {
    const RenderedSheet& s = *p.sheet;
    board.text(s.file, p.x, p.y + kTitleHeight - 6, kTitleEm);
    for (int f = 0; f < s.frames; ++f) {
        int col = f % s.cols, row = f / s.cols;
        int cx = p.x + col * (slotW(s) + kGap), cy = p.y + kTitleHeight + row * (slotH(s) + kGap);
        board.text(std::to_string(f), cx + 1, cy + kNumberStrip - 3, kNumberEm);
        int top = cy + kNumberStrip;
        board.checker(cx, top, s.frameW, s.frameH, 4 * tier);
        for (int y = 0; y < s.frameH; ++y) {
            for (int x = 0; x < s.frameW; ++x) {
                size_t i = (static_cast<size_t>(row * s.frameH + y) * s.width + col * s.frameW + x) * 4;
                board.put(cx + x, top + y, &s.rgba[i], s.rgba[i + 3] / 255.0f);
            }
        }
    }
}

}  // namespace

Rgba8Image contactSheet(const std::vector<RenderedSheet>& sheets, int tier) {
    int rowLimit = kRowWidthPerTier * tier;
    for (const RenderedSheet& s : sheets)
        if (s.frames > 0) rowLimit = std::max(rowLimit, blockW(s) + 2 * kMargin);
    std::vector<Placed> placed;
    int x = kMargin, y = kMargin, rowH = 0, width = 0;
    for (const RenderedSheet& s : sheets) {
        if (s.frames == 0) continue;  // not rendered at this tier
        if (x > kMargin && x + blockW(s) > rowLimit - kMargin) {
            x = kMargin;
            y += rowH + kMargin;
            rowH = 0;
        }
        placed.push_back({&s, x, y});
        x += blockW(s) + kMargin;
        width = std::max(width, x);
        rowH = std::max(rowH, blockH(s));
    }
    Board board(width, y + rowH + kMargin);
    for (const Placed& p : placed) drawSheet(board, p, tier);
    return board.take();
}

}  // namespace art
