// png.cpp - fuzz target of the image path (decodeImage, the decoding half of the
// surface loader; the texture upload needs GL and is left out): any bytes as an
// image file. Pixels it hands back must come with a size inside the loader's
// guards and be as many bytes as width x height x depth.
#include <stb/stb_image.h>

#include "media/graphics_device.h"
#include "media/image_decode.h"
#include "tests/fuzz/fuzz_targets.h"

namespace {

const char kName[] = "png";

}  // namespace

namespace fuzz {

int Png(const std::uint8_t* data, std::size_t size) {
    FILE* f = OpenBytes(data, size);
    if (!f) return 0;
    int width = -1, height = -1, depth = -1;
    unsigned char* pixels = decodeImage(f, &width, &height, &depth);
    std::fclose(f);
    if (!pixels) return 0;
    FUZZ_CHECK(kName, depth >= 1 && depth <= 4);
    FUZZ_CHECK(kName, width > 0 && width <= kMaxImageSide);
    FUZZ_CHECK(kName, height > 0 && height <= kMaxImageSide);
    const long long bytes = static_cast<long long>(width) * height * depth;
    FUZZ_CHECK(kName, bytes <= kMaxImageBytes);
    TouchBytes(pixels, static_cast<std::size_t>(bytes));
    stbi_image_free(pixels);
    return 0;
}

}  // namespace fuzz
