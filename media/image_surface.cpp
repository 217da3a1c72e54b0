// image_surface.cpp - image files to textures: the guarded decoder (loadImage),
// gxtkSurface with its upload step (premultiply, allocate, power-of-two fallback),
// and the device's LoadSurface / CreateSurface. Called by kx_graphics_LoadImage
// (media/graphics.cpp) and by the device's pixel transfers.
#include <GL/gl.h>
#include <stb/stb_image.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "host/paths.h"
#include "media/graphics_device.h"
#include "media/image_decode.h"

#ifndef GL_CLAMP_TO_EDGE
#define GL_CLAMP_TO_EDGE 0x812F
#endif

namespace {

constexpr int kMaxTextureSide = 1 << 30;  // doubling stops here instead of overflowing

int PowerOfTwoAtLeast(int n) {
    int p = 1;
    while (p < n && p < kMaxTextureSide) p <<= 1;
    return p;
}

GLenum FormatOfDepth(int depth) {
    switch (depth) {
        case 1: return GL_LUMINANCE;
        case 2: return GL_LUMINANCE_ALPHA;
        case 3: return GL_RGB;
        case 4: return GL_RGBA;
        default: return 0;
    }
}

// The renderer blends with premultiplied alpha, so colour bytes are scaled by
// their alpha here, once, with truncating integer division. True when every
// pixel is opaque (the device then draws the image without blending).
bool Premultiply(unsigned char* p, int pixelCount, int depth) {
    int allAlpha = 255;
    if (depth == 4) {
        for (int i = 0; i < pixelCount; ++i, p += 4) {
            const int al = p[3];
            allAlpha &= al;
            p[0] = static_cast<unsigned char>(p[0] * al / 255);
            p[1] = static_cast<unsigned char>(p[1] * al / 255);
            p[2] = static_cast<unsigned char>(p[2] * al / 255);
        }
    } else if (depth == 2) {
        for (int i = 0; i < pixelCount; ++i, p += 2) {
            allAlpha &= p[1];
            p[0] = static_cast<unsigned char>(p[0] * p[1] / 255);
        }
    }
    return allAlpha == 255;
}

// Allocates the bound texture without data; true when GL accepted it. Errors
// left over from earlier calls are drained first so they cannot be mistaken for a
// refusal of this allocation.
bool AllocateTexture(GLenum format, int w, int h) {
    while (glGetError() != GL_NO_ERROR) {
    }
    glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(format), w, h, 0, format, GL_UNSIGNED_BYTE, nullptr);
    bool ok = glGetError() == GL_NO_ERROR;
    if (gxtkTestHooks::FailAllocation()) ok = false;
    return ok;
}

bool ImageSizeAcceptable(int w, int h, int channels) {
    if (w <= 0 || h <= 0 || channels <= 0) return false;
    if (w > kMaxImageSide || h > kMaxImageSide) return false;
    return static_cast<long long>(w) * h * channels <= kMaxImageBytes;
}

constexpr unsigned char kPngSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr long kPngChunkHeader = 8;  // length and type before each chunk's data
constexpr long kPngChunkFrame = 12;  // ... and the CRC after it

std::uint32_t BigEndian32(const unsigned char* b) {
    return static_cast<std::uint32_t>(b[0]) << 24 | b[1] << 16 | b[2] << 8 | b[3];
}

// True for a PNG file whose every chunk fits in the file. The game's images are
// all PNG, and only that decoder is let near a file: the other formats the
// decoder library would recognise from a file's first bytes (PNM, TGA, PSD, GIF,
// ...) are never shipped, and some of them do unchecked arithmetic on the numbers
// in their headers. The chunk lengths are checked because the decoder sizes its
// buffer from a chunk's length before reading it, so a damaged length would have
// it reserve up to 4 GB for a few bytes of data. The file is read from its start.
bool IsWholePng(FILE* f) {
    unsigned char head[kPngChunkHeader];
    if (std::fseek(f, 0, SEEK_END) != 0) return false;
    const long size = std::ftell(f);
    std::rewind(f);
    if (size < 0) return false;
    if (std::fread(head, 1, sizeof head, f) != sizeof head ||
        std::memcmp(head, kPngSignature, sizeof head) != 0) {
        return false;
    }
    for (long at = sizeof head; at + kPngChunkHeader <= size;) {
        if (std::fread(head, 1, sizeof head, f) != sizeof head) return false;  // length and type
        // The decoder reads nothing of the last chunk, whatever its length says.
        if (std::memcmp(head + 4, "IEND", 4) == 0) return true;
        const std::uint32_t length = BigEndian32(head);
        // The data must be there; a CRC cut off by the end is the decoder's business.
        if (length > static_cast<std::uint64_t>(size - at - kPngChunkHeader)) return false;
        at += kPngChunkFrame + static_cast<long>(length);
        if (std::fseek(f, at, SEEK_SET) != 0) return false;
    }
    return true;
}

}  // namespace

// ---------------------------------------------------------------------------
// Decoding
// ---------------------------------------------------------------------------

unsigned char* loadImage(const String& path, int* width, int* height, int* depth) {
    FILE* f = fopenFile(path, "rb");
    if (!f) return nullptr;
    unsigned char* pixels = decodeImage(f, width, height, depth);
    std::fclose(f);
    return pixels;
}

namespace {

// The header is checked before decoding: a crafted file can claim a size whose
// decode would exhaust memory.
bool HeaderAcceptable(FILE* f, int* width, int* height) {
    int channels = 0;
    const bool png = IsWholePng(f);
    std::rewind(f);
    if (!png || !stbi_info_from_file(f, width, height, &channels)) return false;
    std::rewind(f);
    return ImageSizeAcceptable(*width, *height, channels);
}

}  // namespace

unsigned char* decodeImage(FILE* f, int* width, int* height, int* depth) {
    int w = 0, h = 0;
    if (!HeaderAcceptable(f, &w, &h)) return nullptr;
    return stbi_load_from_file(f, width, height, depth, 0);
}

bool readImageSize(const String& path, int* width, int* height) {
    FILE* f = fopenFile(path, "rb");
    if (!f) return false;
    const bool ok = HeaderAcceptable(f, width, height);
    std::fclose(f);
    return ok;
}

// ---------------------------------------------------------------------------
// gxtkSurface
// ---------------------------------------------------------------------------

gxtkSurface::~gxtkSurface() { Discard(); }

int gxtkSurface::Discard() {
    pendingPath = String();
    if (texture != 0) {
        GLuint name = texture;
        glDeleteTextures(1, &name);
        texture = 0;
    }
    if (pixels) {
        stbi_image_free(pixels);
        pixels = nullptr;
    }
    return 0;
}

int gxtkSurface::Width() { return width; }
int gxtkSurface::Height() { return height; }
bool gxtkSurface::Loaded() { return true; }

int gxtkSurface::SetData(unsigned char* p, int w, int h, int dep) {
    pixels = p;
    width = w;
    height = h;
    depth = dep;
    return 0;
}

bool gxtkSurface::DecodeNow() {
    if (unusable) return false;
    const String path = pendingPath;
    pendingPath = String();
    int w = 0, h = 0, dep = 0;
    unsigned char* decoded = loadImage(path, &w, &h, &dep);
    // The header promised this size; a file changed or damaged since draws nothing.
    if (!decoded || w != width || h != height) {
        if (decoded) stbi_image_free(decoded);
        unusable = true;
        return false;
    }
    SetData(decoded, w, h, dep);
    if (!OnUnsafeLoadComplete()) unusable = true;
    return !unusable;
}

bool gxtkSurface::OnUnsafeLoadComplete() {
    if (pendingPath.Length() != 0) return true;  // uploaded at its first draw
    const GLenum format = FormatOfDepth(depth);
    if (format == 0 || width <= 0 || height <= 0) {
        Discard();
        return false;
    }
    opaque = pixels && Premultiply(pixels, width * height, depth);

    GLuint name = 0;
    glGenTextures(1, &name);
    texture = name;
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);

    int texWidth = width, texHeight = height;
    if (!AllocateTexture(format, texWidth, texHeight)) {
        texWidth = PowerOfTwoAtLeast(width);
        texHeight = PowerOfTwoAtLeast(height);
        if (!AllocateTexture(format, texWidth, texHeight)) {
            Discard();
            return false;
        }
    }
    if (pixels) {
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, format, GL_UNSIGNED_BYTE, pixels);
    }
    uScale = 1.0f / texWidth;
    vScale = 1.0f / texHeight;
    if (pixels) {
        stbi_image_free(pixels);
        pixels = nullptr;
    }
    return true;
}

// ---------------------------------------------------------------------------
// Device side of loading
// ---------------------------------------------------------------------------

gxtkSurface* gxtkGraphics::LoadSurface(String path) {
    gxtkSurface* surface = new gxtkSurface();
    if (LoadSurface__UNSAFE__(surface, path) == surface && surface->OnUnsafeLoadComplete()) return surface;
    return nullptr;
}

// Only the header is read now: the size and the checks of a file the decoder may
// read. The decode and the texture wait for the first draw.
gxtkSurface* gxtkGraphics::LoadSurface__UNSAFE__(gxtkSurface* surface, String path) {
    int w = 0, h = 0;
    if (!readImageSize(path, &w, &h)) return nullptr;
    surface->SetData(nullptr, w, h, 0);
    surface->pendingPath = path;
    // A new texture is a good moment for a full collection: it frees the textures
    // of images that died since, instead of waiting for the heap to grow.
    gc_force_sweep = true;
    return surface;
}

gxtkSurface* gxtkGraphics::CreateSurface(int w, int h) {
    if (w <= 0 || h <= 0) return nullptr;
    gxtkSurface* surface = new gxtkSurface();
    surface->SetData(nullptr, w, h, 4);
    return surface->OnUnsafeLoadComplete() ? surface : nullptr;
}
