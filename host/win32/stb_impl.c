/* stb_impl.c - the Windows build's stb_image and stb_vorbis, compiled from Debian's
   stb headers (on Linux the libstb library provides them). The images and sounds
   open their files themselves and hand the decoders open files. */
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>
#undef STB_IMAGE_IMPLEMENTATION
#include <stb/stb_vorbis.h>
