// wav.h - the art tool's WAV writer: mono 16-bit integer PCM in a RIFF/WAVE
// file, the one sound format every loader of the game reads.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace art {

// Converts samples in -1..1 to 16-bit PCM (clamped, rounded to nearest).
std::vector<int16_t> toPcm16(const std::vector<float>& samples);

// The complete file image: 44-byte header followed by little-endian samples.
std::vector<unsigned char> wavBytes(const std::vector<int16_t>& pcm, int sampleRate);

// Writes the file; false when it cannot be written completely.
bool writeFile(const std::string& path, const std::vector<unsigned char>& bytes);

}  // namespace art
