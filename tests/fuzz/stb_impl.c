/* stb_impl.c - the image and Vorbis decoders compiled from the installed headers
 * into the fuzz executables only, so that libFuzzer sees their coverage and the
 * sanitizers check them. The game calls them exactly as it calls the installed
 * library, whose definitions these replace at link time. That library is built
 * with its assertions on, and so is this copy: an assertion the fuzzer trips here
 * would end the real game too. */
#undef NDEBUG
#include <assert.h>

#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>

#include <stb/stb_vorbis.h>
