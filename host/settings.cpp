// settings.cpp - reading and writing the settings file: "key=value" lines, a damaged
// or unreadable file read as empty with one line saying why, and writes that
// replace the file whole (host/paths.cpp's ReplaceFile). The window mode loads it at
// start-up and saves it whenever the player changes the mode.
#include "host/settings.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "host/paths.h"

const char* const kSettingsFileName = ".tumbleroo-settings";

namespace {

// A settings file is a few short lines; anything this long is not one.
constexpr std::size_t kMaxFileBytes = 64 * 1024;

bool IsKeyChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
           c == '.';
}

bool ValidKey(const std::string& key) {
    if (key.empty()) return false;
    for (char c : key) {
        if (!IsKeyChar(c)) return false;
    }
    return true;
}

// Control characters (a NUL above all) mean binary junk, not a setting.
bool ValidValue(const std::string& value) {
    for (char c : value) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) return false;
    }
    return true;
}

// The whole file, or false with the reason; a missing file reads as empty.
bool ReadWhole(const std::string& path, std::string* text, std::string* problem) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        if (errno == ENOENT) return true;
        *problem = "cannot be read (" + std::string(std::strerror(errno)) + ")";
        return false;
    }
    char block[4096];
    std::size_t n = 0;
    while ((n = std::fread(block, 1, sizeof block, file)) > 0 && text->size() <= kMaxFileBytes) {
        text->append(block, n);
    }
    bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) {
        *problem = "cannot be read";
        return false;
    }
    if (text->size() > kMaxFileBytes) {
        *problem = "is too large to be a settings file";
        return false;
    }
    return true;
}

}  // namespace

SettingsFile SettingsFile::Load(const std::string& path, std::string* problem) {
    problem->clear();
    SettingsFile settings;
    std::string text, why;
    if (!ReadWhole(path, &text, &why) || !settings.Parse(text, &why)) {
        *problem = path + " " + why + "; the defaults stand instead";
        return SettingsFile();
    }
    return settings;
}

// Blank lines and lines starting with '#' are allowed (a player may annotate the
// file); every other line must be key=value.
bool SettingsFile::Parse(const std::string& text, std::string* problem) {
    std::size_t start = 0;
    for (int lineNumber = 1; start < text.size(); ++lineNumber) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        std::size_t eq = line.find('=');
        std::string key = line.substr(0, eq == std::string::npos ? line.size() : eq);
        std::string value = eq == std::string::npos ? std::string() : line.substr(eq + 1);
        if (eq == std::string::npos || !ValidKey(key) || !ValidValue(value)) {
            *problem = "is damaged at line " + std::to_string(lineNumber);
            return false;
        }
        Set(key, value);
    }
    return true;
}

std::string SettingsFile::Get(const std::string& key) const {
    for (const auto& entry : entries_) {
        if (entry.first == key) return entry.second;
    }
    return std::string();
}

void SettingsFile::Set(const std::string& key, const std::string& value) {
    if (!ValidKey(key) || !ValidValue(value)) return;
    for (auto& entry : entries_) {
        if (entry.first == key) {
            entry.second = value;
            return;
        }
    }
    entries_.emplace_back(key, value);
}

std::string SettingsFile::Text() const {
    std::string text;
    for (const auto& entry : entries_) text += entry.first + "=" + entry.second + "\n";
    return text;
}

bool SettingsFile::Save(const std::string& path) const {
    std::string text = Text();
    return ReplaceFile(path, std::vector<unsigned char>(text.begin(), text.end())) == 0;
}
