// png.cpp - fuzz target of the image path (decodeImage, the decoding half of the
// surface loader; the texture upload needs GL and is left out): any bytes as an
// image file. Anything that does not open as a PNG must be refused before it
// reaches the decoder; pixels handed back must come with a size inside the
// loader's guards and be as many bytes as width x height x depth.
#include <stb/stb_image.h>

#include <cstring>

#include "media/graphics_device.h"
#include "media/image_decode.h"
#include "tests/fuzz/fuzz_targets.h"

namespace {

const char kName[] = "png";
const unsigned char kPngSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
// Images the loader's guards accept but that are too large to decode hundreds of
// times a second (a few hundred bytes of zlib bomb can claim 64 MB of pixels) are
// left out: the fuzzer would spend its time filling memory. The guards themselves
// are checked by the decoder's unit tests.
constexpr long long kMaxFuzzedImageBytes = 1 << 22;

}  // namespace

namespace fuzz {

int Png(const std::uint8_t* data, std::size_t size) {
    const bool png = size >= sizeof kPngSignature && std::memcmp(data, kPngSignature, sizeof kPngSignature) == 0;
    int claimedW = 0, claimedH = 0, claimedDepth = 0;
    // Asked of PNGs only: the decoder's readers of other formats are never used.
    if (png && stbi_info_from_memory(data, static_cast<int>(size), &claimedW, &claimedH, &claimedDepth) &&
        static_cast<long long>(claimedW) * claimedH * claimedDepth > kMaxFuzzedImageBytes) {
        return 0;
    }
    FILE* f = OpenBytes(data, size);
    if (!f) return 0;
    int width = -1, height = -1, depth = -1;
    unsigned char* pixels = decodeImage(f, &width, &height, &depth);
    std::fclose(f);
    if (!pixels) return 0;
    FUZZ_CHECK(kName, png);
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
