// paths.h - data paths, file opening and the state file. Implemented in
// host/paths.cpp; images and sounds open their files through fopenFile, the game
// saves and loads its progress through the host application's SaveState/LoadState.
#pragma once

#include <cstdio>
#include <string>
#include <vector>
#include "runtime/runtime.h"

// Completes a bare asset name to "quorvel://data/" + name.
String kx_data_FixDataPath(const String& path);
// Maps the "quorvel://" schemes onto the working directory and opens the file;
// null when it cannot be opened or the scheme is unknown.
FILE* fopenFile(const String& path, const char* mode);
// The file-system path fopenFile opens for a toolkit path; false when it opens none
// (an unknown "quorvel://" folder, or a NUL inside the path).
bool mapDataPath(const String& path, std::string* out);
// Replaces the file at `path` (in the working directory) with `bytes` by writing a
// temporary sibling and renaming it over the file, so that a failed write leaves the
// old file whole. 0 when done; -1 when the file could not be created or renamed, -2
// when the bytes could not all be written. The state file and the settings file
// are saved through it; its writes go through gxtk_state_write.
int ReplaceFile(const std::string& path, const std::vector<unsigned char>& bytes);
