// posix_compat.h - forced into every translation unit of the Windows build (never
// the Linux one) by cmake/windows.cmake, so that the host's POSIX-flavoured file
// code compiles and behaves there unchanged:
// - fopen takes the UTF-8 names the toolkit hands it and opens them with the
//   wide-character open; "./data/" names resolve beside the executable, so the
//   game finds its data whatever the working folder (the player's folder under
//   %APPDATA%, which the Win32 backend enters at start-up);
// - rename replaces an existing file, as it does on POSIX (the state file and the
//   settings file are written to a temporary sibling and renamed over the old one);
// - fsync and the directory-open flag exist; opening a folder fails on Windows, so
//   the best-effort folder sync is skipped.
// The replacements live in host/win32/native_files.cpp.
#pragma once

// The C++ library's <cstdio> removes any fopen and rename macros when it is first
// included, so it is included here, before they are defined; the replacements are
// then made known to namespace std too, where the host calls them.
#ifdef __cplusplus
#include <cstdio>
extern "C" {
#else
#include <stdio.h>
#endif
FILE* tumbleroo_fopen(const char* path, const char* mode);
int tumbleroo_rename(const char* from, const char* to);
#ifdef __cplusplus
}
namespace std {
using ::tumbleroo_fopen;
using ::tumbleroo_rename;
}  // namespace std
#endif

#ifndef TUMBLEROO_NATIVE_FILES_IMPL
#define fopen tumbleroo_fopen
#define rename tumbleroo_rename
#endif

#include <io.h>
#include <fcntl.h>
#define fsync _commit
#ifndef O_DIRECTORY
#define O_DIRECTORY 0x200000
#endif
