// native_files.h - paths of the Windows build: UTF-8 to the system's wide names,
// the data beside the executable and the player's folder under %APPDATA%.
// host/win32/native_files.cpp implements them; the Win32 backend and the C library
// replacements of posix_compat.h call them.
#pragma once

#include <string>

namespace win32 {

std::wstring Widen(const std::string& utf8);
// A toolkit-mapped path ("./data/..." or any other) as the system opens it.
std::wstring NativePath(const std::string& utf8);
// %APPDATA%\Tumbleroo; empty when the system names no application-data folder.
std::wstring PlayerFolder();
// Creates the player's folder if needed and makes it the working folder, where the
// state file and the settings file live.
bool EnterPlayerFolder();
// Whether a process of this number is running (a save of its own may be under way).
bool ProcessRunning(long pid);

}  // namespace win32
