// ogg.cpp - fuzz target of the Ogg Vorbis path (decodeOgg, the body of loadSound
// for ".ogg" names, on the Vorbis decoder): any bytes as a sound file. A block it
// hands back must be 16-bit mono or stereo at a sane rate, no longer than the
// length cap, and as long as its counts say.
#include "media/audio_device.h"
#include "tests/fuzz/fuzz_targets.h"

namespace {

const char kName[] = "ogg";
constexpr long long kMaxHertz = 192000;
constexpr long long kMaxSeconds = 600;

}  // namespace

namespace fuzz {

int Ogg(const std::uint8_t* data, std::size_t size) {
    FILE* f = OpenBytes(data, size);
    if (!f) return 0;
    int length = -1, channels = -1, bytesPerSample = -1, hertz = -1;
    unsigned char* block = decodeOgg(f, &length, &channels, &bytesPerSample, &hertz);
    std::fclose(f);
    if (!block) return 0;
    FUZZ_CHECK(kName, bytesPerSample == 2);
    FUZZ_CHECK(kName, channels == 1 || channels == 2);
    FUZZ_CHECK(kName, hertz > 0 && hertz <= kMaxHertz);
    FUZZ_CHECK(kName, length >= 0 && length <= hertz * kMaxSeconds);
    TouchBytes(block, static_cast<std::size_t>(length) * channels * bytesPerSample);
    unloadSound(block);
    return 0;
}

}  // namespace fuzz
