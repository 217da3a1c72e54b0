// generated_data.cpp - the shared generated folder and the file readers of the
// art tool's tests (see generated_data.h). The folder is keyed by the test
// program's own size and time stamp, so a rebuilt tool never meets stale output,
// and an exclusive file lock makes concurrent test processes wait for the one
// that generates instead of all generating at once.
#include "generated_data.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <stb/stb_image.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "generate.h"

namespace artgen_test {
namespace {

namespace fs = std::filesystem;

std::string cacheKey() {
    struct stat st {};
    if (stat("/proc/self/exe", &st) != 0) return "nokey";
    return std::to_string(static_cast<long long>(st.st_size)) + "-" + std::to_string(static_cast<long long>(st.st_mtime));
}

uint32_t le32(const std::vector<unsigned char>& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}
uint16_t le16(const std::vector<unsigned char>& b, size_t at) { return static_cast<uint16_t>(b[at] | (b[at + 1] << 8)); }

struct TempDirs {
    std::vector<fs::path> dirs;
    ~TempDirs() {
        std::error_code ec;
        for (const fs::path& d : dirs) fs::remove_all(d, ec);
    }
};
TempDirs& temps() {
    static TempDirs t;
    return t;
}

}  // namespace

const std::string& generatedData() {
    static const std::string dir = [] {
        fs::path root = fs::temp_directory_path() / ("tumbleroo-artgen-" + cacheKey());
        fs::create_directories(root);
        std::string lockPath = (root / "lock").string();
        int fd = ::open(lockPath.c_str(), O_CREAT | O_RDWR, 0644);
        if (fd < 0 || ::flock(fd, LOCK_EX) != 0) throw std::runtime_error("cannot lock " + lockPath);
        fs::path data = root / "data";
        fs::path done = root / "complete";
        if (!fs::exists(done)) {
            std::error_code ec;
            fs::remove_all(data, ec);
            art::GenerateOptions o;
            o.dataDir = data.string();
            art::GenerateResult r = art::generate(o);
            if (!r.ok) throw std::runtime_error("generation failed: " + r.error);
            std::ofstream(done.string()) << "ok\n";
        }
        ::flock(fd, LOCK_UN);
        ::close(fd);
        return data.string();
    }();
    return dir;
}

std::string freshTempDir(const std::string& tag) {
    std::string pattern = (fs::temp_directory_path() / ("tumbleroo-" + tag + "-XXXXXX")).string();
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    if (!::mkdtemp(buf.data())) throw std::runtime_error("cannot make a temporary folder");
    temps().dirs.push_back(buf.data());
    return buf.data();
}

int Image::inkIn(int x0, int y0, int w, int h) const {
    int n = 0;
    for (int y = y0; y < y0 + h; ++y)
        for (int x = x0; x < x0 + w; ++x)
            if (at(x, y)[3] > 0) ++n;
    return n;
}

Image loadPng(const std::string& path) {
    Image img;
    int w = 0, h = 0, n = 0;
    unsigned char* px = stbi_load(path.c_str(), &w, &h, &n, 4);
    if (!px) return img;
    img.width = w;
    img.height = h;
    img.rgba.assign(px, px + static_cast<size_t>(w) * h * 4);
    stbi_image_free(px);
    return img;
}

std::vector<unsigned char> readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

Wav loadWav(const std::string& path) {
    Wav w;
    std::vector<unsigned char> b = readBytes(path);
    if (b.size() < 12 || std::string(b.begin(), b.begin() + 4) != "RIFF" || std::string(b.begin() + 8, b.begin() + 12) != "WAVE")
        return w;
    if (le32(b, 4) + 8 != b.size()) return w;
    size_t at = 12;
    bool haveFmt = false;
    while (at + 8 <= b.size()) {
        std::string id(b.begin() + at, b.begin() + at + 4);
        uint32_t size = le32(b, at + 4);
        size_t body = at + 8;
        if (body + size > b.size()) return w;
        if (id == "fmt " && size >= 16) {
            w.format = le16(b, body);
            w.channels = le16(b, body + 2);
            w.rate = static_cast<int>(le32(b, body + 4));
            w.bits = le16(b, body + 14);
            haveFmt = true;
        } else if (id == "data" && haveFmt) {
            for (size_t i = 0; i + 1 < size; i += 2) w.samples.push_back(static_cast<int16_t>(le16(b, body + i)));
            w.riffOk = true;
        }
        at = body + size + (size & 1);
    }
    return w;
}

}  // namespace artgen_test
