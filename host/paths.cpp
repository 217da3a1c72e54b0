// paths.cpp - data paths, file opening and the state file. Images and sounds open
// their files through fopenFile after kx_data_FixDataPath; the game saves and loads
// its progress through the host application's SaveState and LoadState; data
// buffers load whole files through KXDataBuffer::_Load.
#include "host/paths.h"

#include <fcntl.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "host/app.h"

const char* const kStateFileName = ".quorvelstate";

namespace {

const char16_t kDataScheme[] = u"quorvel://data/";
const char16_t kToolkitScheme[] = u"quorvel://";

// Toolkit schemes and the folders, relative to the working directory, they stand for.
struct SchemeFolder {
    const char16_t* scheme;
    const char* folder;
};
const SchemeFolder kSchemeFolders[] = {
    {u"quorvel://data/", "./data/"},
    {u"quorvel://internal/", "./internal/"},
    {u"quorvel://external/", "./external/"},
};

constexpr int kLoadBlockSize = 4096;

// The file-system path a toolkit path stands for; false when it names no file
// this program may open (an unknown "quorvel://" folder).
bool MapPath(const String& path, std::string* out) {
    if (!path.StartsWith(String(kToolkitScheme))) {
        *out = path.ToUtf8();
        return true;
    }
    for (const SchemeFolder& sf : kSchemeFolders) {
        String scheme(sf.scheme);
        if (path.StartsWith(scheme)) {
            *out = std::string(sf.folder) + path.Slice(scheme.Length()).ToUtf8();
            return true;
        }
    }
    return false;
}

// Reads a whole open file into a text, closing it.
String LoadWhole(FILE* file) {
    String text = String::Load(file);
    std::fclose(file);
    return text;
}

// The state file's temporary sibling; renamed over the state file once complete,
// so that a failed save never leaves a truncated state file behind.
std::string TempStatePath() {
    return std::string(kStateFileName) + "." + std::to_string(static_cast<long>(getpid())) + ".tmp";
}

// Best effort: make the rename itself durable.
void SyncWorkingDirectory() {
    int fd = open(".", O_RDONLY | O_DIRECTORY);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

// Writes every byte and pushes it to the disk; false on any shortfall.
bool WriteAndSync(FILE* file, const std::vector<unsigned char>& bytes) {
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) return false;
    if (std::fflush(file) != 0) return false;
    return fsync(fileno(file)) == 0;
}

}  // namespace

String kx_data_FixDataPath(const String& path) {
    int colon = path.Find(String(u":/"));
    // A scheme ("quorvel://") or a drive ("C:/"): the first slash follows the colon.
    if (colon != -1 && path.Find(String(u"/")) == colon + 1) return path;
    if (path.StartsWith(String(u"./")) || path.StartsWith(String(u"/"))) return path;
    return String(kDataScheme) + path;
}

bool mapDataPath(const String& path, std::string* out) {
    if (!MapPath(path, out)) return false;
    // A NUL inside the text would silently cut the name short and open another file.
    return out->find('\0') == std::string::npos;
}

FILE* fopenFile(const String& path, const char* mode) {
    std::string mapped;
    if (!mapDataPath(path, &mapped)) return nullptr;
    return std::fopen(mapped.c_str(), mode);
}

String gxtkApp::LoadString(const String& path) {
    FILE* file = fopenFile(path, "rb");
    if (!file) return String();
    return LoadWhole(file);
}

String gxtkApp::LoadState() {
    FILE* file = std::fopen(kStateFileName, "rb");
    if (!file) return String();
    return LoadWhole(file);
}

// Saves by writing a temporary file and renaming it over the state file: the old
// state stays intact, byte for byte, whenever the new one cannot be written whole.
int gxtkApp::SaveState(const String& state) {
    std::vector<unsigned char> bytes;
    state.Save(bytes);
    const std::string temp = TempStatePath();
    FILE* file = std::fopen(temp.c_str(), "wb");
    if (!file) return -1;
    bool written = WriteAndSync(file, bytes);
    if (std::fclose(file) != 0) written = false;
    if (!written) {
        std::remove(temp.c_str());
        return -2;
    }
    if (std::rename(temp.c_str(), kStateFileName) != 0) {
        std::remove(temp.c_str());
        return -1;
    }
    SyncWorkingDirectory();
    return 0;
}

// Reads the file in blocks of their own, then joins them into one block of the
// total length. Files too large for the buffer's 32-bit length are refused.
bool KXDataBuffer::_Load(const String& path) {
    if (data) return false;
    FILE* file = fopenFile(path, "rb");
    if (!file) return false;
    std::vector<unsigned char*> blocks;
    std::vector<int> counts;
    long long total = 0;
    bool ok = true;
    for (;;) {
        unsigned char* block = static_cast<unsigned char*>(std::malloc(kLoadBlockSize));
        if (!block) { ok = false; break; }
        int count = static_cast<int>(std::fread(block, 1, kLoadBlockSize, file));
        blocks.push_back(block);
        counts.push_back(count);
        total += count;
        if (total > INT_MAX) { ok = false; break; }
        if (count < kLoadBlockSize) break;
    }
    std::fclose(file);
    unsigned char* joined = nullptr;
    // One byte at least, so that a loaded empty file still counts as holding data.
    if (ok) joined = static_cast<unsigned char*>(std::malloc(total > 0 ? static_cast<std::size_t>(total) : 1));
    if (joined) {
        std::size_t at = 0;
        for (std::size_t i = 0; i < blocks.size(); ++i) {
            std::memcpy(joined + at, blocks[i], static_cast<std::size_t>(counts[i]));
            at += static_cast<std::size_t>(counts[i]);
        }
    }
    for (unsigned char* block : blocks) std::free(block);
    if (!joined) return false;
    data = joined;
    length = static_cast<int>(total);
    return true;
}
