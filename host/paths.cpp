// paths.cpp - data paths, file opening and the state file. Images and sounds open
// their files through fopenFile after kx_data_FixDataPath; the game saves and loads
// its progress through the host application's SaveState and LoadState; data
// buffers load whole files through KXDataBuffer::_Load.
#include "host/paths.h"

#include <dirent.h>
#include <signal.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "host/app.h"
#ifdef _WIN32
#include "host/win32/native_files.h"
#endif

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

constexpr int kLinkHops = 16;  // a chain of links longer than this is a loop
const char kTempSuffix[] = ".tmp";

// The file a name stands for: the name itself, or, when it is a symbolic link, the
// file at the end of its links (which need not exist yet), so that a save replaces
// that file and the link stays a link.
std::string LinkTarget(std::string path) {
#ifdef _WIN32
    // The player's folder under %APPDATA% is the game's own: no links are followed there.
#else
    for (int hop = 0; hop < kLinkHops; ++hop) {
        struct stat st;
        if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
        char buf[PATH_MAX];
        const ssize_t n = readlink(path.c_str(), buf, sizeof buf - 1);
        if (n <= 0) return path;
        const std::string link(buf, static_cast<std::size_t>(n));
        const std::size_t slash = path.rfind('/');
        path = link[0] == '/' || slash == std::string::npos ? link : path.substr(0, slash + 1) + link;
    }
#endif
    return path;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
}

std::string NameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The target's temporary sibling, in the same folder so the rename is atomic;
// renamed over the target once complete, so a failed save never leaves a truncated
// state file behind.
std::string TempPath(const std::string& target) {
    return target + "." + std::to_string(static_cast<long>(getpid())) + kTempSuffix;
}

bool ProcessRunning(long pid) {
#ifdef _WIN32
    return win32::ProcessRunning(pid);
#else
    return kill(static_cast<pid_t>(pid), 0) == 0;
#endif
}

// A temporary left by a save that never finished (a crash, a kill): the target's
// name, a dot, a process number and ".tmp".
bool IsLeftoverTemp(const std::string& name, const std::string& targetName) {
    const std::string prefix = targetName + ".";
    const std::size_t suffix = sizeof kTempSuffix - 1;
    if (name.size() <= prefix.size() + suffix || name.compare(0, prefix.size(), prefix) != 0) return false;
    if (name.compare(name.size() - suffix, suffix, kTempSuffix) != 0) return false;
    long pid = 0;
    for (std::size_t i = prefix.size(); i < name.size() - suffix; ++i) {
        if (name[i] < '0' || name[i] > '9' || pid > INT_MAX / 10) return false;
        pid = pid * 10 + (name[i] - '0');
    }
    // Another game saving into the same folder right now keeps its temporary.
    return pid == getpid() || !ProcessRunning(pid);
}

void RemoveLeftoverTemps(const std::string& target) {
    const std::string folder = FolderOf(target);
    DIR* dir = opendir(folder.c_str());
    if (!dir) return;
    const std::string targetName = NameOf(target);
    while (const dirent* entry = readdir(dir)) {
        if (IsLeftoverTemp(entry->d_name, targetName)) std::remove((folder + "/" + entry->d_name).c_str());
    }
    closedir(dir);
}

// A replaced file keeps its permission bits; a new one gets the default mode.
void KeepPermissions(const std::string& target, FILE* temp) {
#ifdef _WIN32
    // A new file takes its folder's access rules.
    (void)target;
    (void)temp;
#else
    struct stat st;
    if (stat(target.c_str(), &st) == 0) fchmod(fileno(temp), st.st_mode & 07777);
#endif
}

// Best effort: make the rename itself durable.
void SyncFolder(const std::string& folder) {
    int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
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

// Writes a temporary file and renames it over the old one (or the file its link
// points to): the old file stays intact, byte for byte, whenever the new one cannot
// be written whole. Temporaries left by a save that never finished go first.
int ReplaceFile(const std::string& path, const std::vector<unsigned char>& bytes) {
    const std::string target = LinkTarget(path);
    RemoveLeftoverTemps(target);
    const std::string temp = TempPath(target);
    FILE* file = std::fopen(temp.c_str(), "wb");
    if (!file) return -1;
    KeepPermissions(target, file);
    bool written = WriteAndSync(file, bytes);
    if (std::fclose(file) != 0) written = false;
    if (!written) {
        std::remove(temp.c_str());
        return -2;
    }
    if (std::rename(temp.c_str(), target.c_str()) != 0) {
        std::remove(temp.c_str());
        return -1;
    }
    SyncFolder(FolderOf(target));
    return 0;
}

int gxtkApp::SaveState(const String& state) {
    std::vector<unsigned char> bytes;
    state.Save(bytes);
    return ReplaceFile(kStateFileName, bytes);
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
