// wav.cpp - fuzz target of the WAV reader (decodeWav, the body of loadSound for
// ".wav" names): any bytes as a sound file. A block it hands back must be as long
// as its counts say, in a layout the game can play, and no longer than the file.
#include <cstdlib>

#include "media/audio_device.h"
#include "tests/fuzz/fuzz_targets.h"

namespace {

const char kName[] = "wav";

}  // namespace

namespace fuzz {

int Wav(const std::uint8_t* data, std::size_t size) {
    FILE* f = OpenBytes(data, size);
    if (!f) return 0;
    int length = -1, channels = -1, bytesPerSample = -1, hertz = -1;
    unsigned char* block = decodeWav(f, &length, &channels, &bytesPerSample, &hertz);
    std::fclose(f);
    if (!block) return 0;
    FUZZ_CHECK(kName, bytesPerSample == 1 || bytesPerSample == 2);
    FUZZ_CHECK(kName, channels > 0 && hertz > 0 && length >= 0);
    const std::size_t bytes = static_cast<std::size_t>(length) * channels * bytesPerSample;
    FUZZ_CHECK(kName, bytes <= size);
    TouchBytes(block, bytes);
    unloadSound(block);
    return 0;
}

}  // namespace fuzz
