// generated_data.h - shared by the art tool's tests: one generated data folder
// per build of the test program, made by whichever test process gets there
// first (CTest runs every test case in its own process, often in parallel), and
// small readers for the PNG and WAV files in it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace artgen_test {

// Path of a data folder produced by art::generate for this test binary.
const std::string& generatedData();

// A fresh, empty temporary folder (removed at process exit).
std::string freshTempDir(const std::string& tag);

struct Image {
    int width = 0, height = 0;
    std::vector<unsigned char> rgba;  // decoded as 4 channels
    bool ok() const { return width > 0; }
    const unsigned char* at(int x, int y) const { return &rgba[(static_cast<size_t>(y) * width + x) * 4]; }
    // Pixels of the rectangle with alpha above zero.
    int inkIn(int x0, int y0, int w, int h) const;
};
Image loadPng(const std::string& path);

struct Wav {
    bool riffOk = false;
    int format = 0, channels = 0, rate = 0, bits = 0;
    std::vector<int16_t> samples;
};
Wav loadWav(const std::string& path);

std::vector<unsigned char> readBytes(const std::string& path);

}  // namespace artgen_test
