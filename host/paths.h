// paths.h - data paths, file opening and the state file. Implemented in
// host/paths.cpp; images and sounds open their files through fopenFile, the game
// saves and loads its progress through the host application's SaveState/LoadState.
#pragma once

#include <cstdio>
#include <string>
#include "runtime/runtime.h"

// Completes a bare asset name to "quorvel://data/" + name.
String kx_data_FixDataPath(const String& path);
// Maps the "quorvel://" schemes onto the working directory and opens the file;
// null when it cannot be opened or the scheme is unknown.
FILE* fopenFile(const String& path, const char* mode);
// The file-system path fopenFile opens for a toolkit path; false when it opens none
// (an unknown "quorvel://" folder, or a NUL inside the path).
bool mapDataPath(const String& path, std::string* out);
