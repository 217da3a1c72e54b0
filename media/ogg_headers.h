// ogg_headers.h - a check of an Ogg Vorbis file's three header packets before the
// Vorbis decoder reads them. The decoder takes the lengths in the comment header
// and the sizes of the codebooks in the setup header on trust and sizes its
// allocations (and their use) from them, so a damaged or crafted file could make it
// write outside its memory. Implemented in media/ogg_headers.cpp; called by the
// audio device's Ogg loader (media/audio_device.cpp).
#pragma once

#include <cstddef>
#include <cstdio>

// True when the headers read from the file's read position are complete and every
// length and size in them is within the file and within `maxTableBytes` (the room the
// decoder gets for its tables). Leaves the read position where it was.
bool oggHeadersSound(FILE* file, std::size_t maxTableBytes);
