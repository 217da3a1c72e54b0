// icon.cpp - paints the game's icon: a rounded cabinet face with three reel windows
// (a seven between two cherries) and a heart on top, the game's own symbols. The
// artgen command writes it beside the sheets; the window and the desktop use it.
#include "icon.h"

#include <stb/stb_image_write.h>

#include <filesystem>

#include "motifs.h"
#include "style.h"

namespace art {
namespace {

// The icon is designed in a 64-unit box and scaled up to kIconSize pixels.
constexpr float kBox = 64.0f;
constexpr float kReelY = 22.0f, kReelW = 16.0f, kReelH = 22.0f, kReelGap = 2.0f;

void paintCabinet(Pen& pen) {
    Shape body = roundRect(3, 5, 58, 56, 10);
    toon(pen, body, hex(0x7a3cff), {1.6f, true, true, 0.35f, 0.3f});
    Shape panel = roundRect(7, kReelY - 3, 50, kReelH + 6, 5);
    pen.fill(panel, hex(0x1b1030));
}

void paintReels(Pen& pen) {
    const Motif symbols[3] = {Motif::Cherry, Motif::Seven, Motif::Cherry};
    float x0 = (kBox - (3 * kReelW + 2 * kReelGap)) / 2;
    for (int i = 0; i < 3; ++i) {
        float x = x0 + i * (kReelW + kReelGap);
        pen.fill(rect(x, kReelY, kReelW, kReelH),
                 linear({0, kReelY}, {0, kReelY + kReelH}, hex(0xd8d4e8), hex(0xffffff)));
        placeMotif(pen, symbols[i], {x + kReelW / 2, kReelY + kReelH / 2}, kReelW - 1);
    }
    // The pay line across the three windows.
    pen.fill(rect(x0 - 1, kReelY + kReelH / 2 - 0.4f, 3 * kReelW + 2 * kReelGap + 2, 0.8f), hex(0xff3b5c, 0.7f));
}

void paintTop(Pen& pen) {
    Shape h = heartShape({32, 11}, 14);
    toon(pen, h, hex(0xff3b5c), {1.2f, true, true, 0.3f, 0.25f});
    twinkle(pen, {50, 11}, 4, hex(0xffe14a));
    twinkle(pen, {14, 11}, 3, hex(0x3fd8ff));
    pen.fill(roundRect(22, 50, 20, 6, 3), hex(0xffe14a));
}

}  // namespace

Canvas renderIcon(int size) {
    Canvas canvas(size, size);
    Pen pen(canvas, 0, 0, size, size, size / kBox);
    paintCabinet(pen);
    paintReels(pen);
    paintTop(pen);
    return canvas;
}

namespace {

bool writeIconFile(const std::filesystem::path& path, int size) {
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    Canvas c = renderIcon(size);
    std::vector<unsigned char> rgba = c.toRGBA8();
    return stbi_write_png(path.string().c_str(), c.width(), c.height(), 4, rgba.data(), c.width() * 4) != 0;
}

}  // namespace

bool writeIcon(const std::string& dataDir) {
    return writeIconFile(std::filesystem::path(dataDir) / kIconFile, kIconSize);
}

std::string desktopIconPath(int size) {
    std::string side = std::to_string(size);
    return "hicolor/" + side + "x" + side + "/apps/" + kDesktopIconName + ".png";
}

bool writeDesktopIcons(const std::string& iconsDir) {
    for (int size : kDesktopIconSizes)
        if (!writeIconFile(std::filesystem::path(iconsDir) / desktopIconPath(size), size)) return false;
    return true;
}

}  // namespace art
