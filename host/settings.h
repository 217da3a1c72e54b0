// settings.h - the player's own settings file, `.tumbleroo-settings`, beside the
// state file in the working folder: small text, one "key=value" per line, kept apart
// from the state file (whose format is fixed). The window mode (host/window_mode.cpp)
// keeps the fullscreen choice in it; later settings add keys of their own, and keys
// this program does not know are kept as they were (comment lines a player added
// are not: a rewrite holds the settings alone).
#pragma once

#include <string>
#include <utility>
#include <vector>

extern const char* const kSettingsFileName;

class SettingsFile {
public:
    // Reads the file at `path`. A missing file is an empty one. A file that cannot be
    // read, or that holds a damaged line, counts as empty too: `problem` then says
    // why in one line (it stays empty otherwise).
    static SettingsFile Load(const std::string& path, std::string* problem);

    // The value of `key`, or "" when the file has none.
    std::string Get(const std::string& key) const;
    // Sets `key`, in its place when the file has it, else at the end. Keys and
    // values must not hold '=' (keys) or line breaks; such a pair is ignored.
    void Set(const std::string& key, const std::string& value);

    std::string Text() const;
    // Replaces the file whole (a failed write leaves the old file as it was); false
    // when it could not be written.
    bool Save(const std::string& path) const;

private:
    bool Parse(const std::string& text, std::string* problem);

    std::vector<std::pair<std::string, std::string>> entries_;  // in file order
};
