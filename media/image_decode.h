// image_decode.h - the decoding half of the image loader on its own: an open image
// file into 1 to 4 bytes per pixel, behind the same size guards as loadImage
// (media/graphics_device.h). Implemented in media/image_surface.cpp; loadImage
// calls it, and the image fuzz target feeds it files made in memory.
#pragma once

#include <cstdio>

// Reads the file from its start and leaves it open; null if it is not a whole PNG
// file, cannot be decoded or is too large to be trusted. Free the pixels with stbi_image_free.
unsigned char* decodeImage(FILE* file, int* width, int* height, int* depth);
