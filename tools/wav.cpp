// wav.cpp - RIFF/WAVE encoding of mono 16-bit PCM for the art tool.
#include "wav.h"

#include <cmath>
#include <cstdio>

namespace art {
namespace {

constexpr int kBitsPerSample = 16;
constexpr int kChannels = 1;
constexpr uint32_t kFmtChunkSize = 16;
constexpr uint16_t kFormatPcm = 1;

void put16(std::vector<unsigned char>& out, uint16_t v) {
    out.push_back(static_cast<unsigned char>(v & 0xff));
    out.push_back(static_cast<unsigned char>(v >> 8));
}

void put32(std::vector<unsigned char>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>((v >> (8 * i)) & 0xff));
}

// Byte by byte: a range insert here trips a false overflow warning in g++ 12 at -O3.
void putTag(std::vector<unsigned char>& out, const char* tag) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>(tag[i]));
}

}  // namespace

std::vector<int16_t> toPcm16(const std::vector<float>& samples) {
    std::vector<int16_t> pcm(samples.size());
    for (size_t i = 0; i < samples.size(); ++i) {
        float s = samples[i];
        if (!(s > -1.0f)) s = -1.0f;  // also catches NaN
        if (s > 1.0f) s = 1.0f;
        pcm[i] = static_cast<int16_t>(std::lround(s * 32767.0f));
    }
    return pcm;
}

std::vector<unsigned char> wavBytes(const std::vector<int16_t>& pcm, int sampleRate) {
    const uint32_t blockAlign = kChannels * kBitsPerSample / 8;
    const uint32_t dataBytes = static_cast<uint32_t>(pcm.size()) * blockAlign;
    std::vector<unsigned char> out;
    out.reserve(44 + dataBytes);
    putTag(out, "RIFF");
    put32(out, 36 + dataBytes);
    putTag(out, "WAVE");
    putTag(out, "fmt ");
    put32(out, kFmtChunkSize);
    put16(out, kFormatPcm);
    put16(out, kChannels);
    put32(out, static_cast<uint32_t>(sampleRate));
    put32(out, static_cast<uint32_t>(sampleRate) * blockAlign);
    put16(out, static_cast<uint16_t>(blockAlign));
    put16(out, kBitsPerSample);
    putTag(out, "data");
    put32(out, dataBytes);
    for (int16_t s : pcm) put16(out, static_cast<uint16_t>(s));
    return out;
}

bool writeFile(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = (std::fclose(f) == 0) && ok;
    return ok;
}

}  // namespace art
