// native_files.cpp - the Windows build's file layer under the C library calls the
// host makes (see host/win32/posix_compat.h): UTF-8 names opened wide, the data
// beside the executable, the player's folder under %APPDATA%, rename over an
// existing file. The Win32 backend enters the player's folder at start-up.
#define TUMBLEROO_NATIVE_FILES_IMPL
#include "host/win32/native_files.h"

#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <cwchar>

namespace win32 {
namespace {

const char kDataPrefix[] = "./data/";
const wchar_t kPlayerFolderName[] = L"Tumbleroo";

// The folder the running executable sits in, with a trailing backslash.
std::wstring ExecutableFolder() {
    wchar_t path[MAX_PATH * 4];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
    std::wstring folder(path, n);
    size_t cut = folder.find_last_of(L"\\/");
    return cut == std::wstring::npos ? std::wstring() : folder.substr(0, cut + 1);
}

}  // namespace

std::wstring Widen(const std::string& utf8) {
    if (utf8.empty()) return std::wstring();
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &out[0], n);
    return out;
}

std::wstring NativePath(const std::string& utf8) {
    if (utf8.compare(0, sizeof kDataPrefix - 1, kDataPrefix) == 0) {
        return ExecutableFolder() + L"data\\" + Widen(utf8.substr(sizeof kDataPrefix - 1));
    }
    return Widen(utf8);
}

std::wstring PlayerFolder() {
    wchar_t* appData = nullptr;
    std::wstring folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &appData))) {
        folder = std::wstring(appData) + L"\\" + kPlayerFolderName;
    }
    CoTaskMemFree(appData);
    return folder;
}

bool EnterPlayerFolder() {
    std::wstring folder = PlayerFolder();
    if (folder.empty()) return false;
    CreateDirectoryW(folder.c_str(), nullptr);  // already there is fine
    return SetCurrentDirectoryW(folder.c_str()) != 0;
}

bool ProcessRunning(long pid) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
    if (!process) return false;
    DWORD code = 0;
    const bool running = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
    CloseHandle(process);
    return running;
}

}  // namespace win32

extern "C" FILE* tumbleroo_fopen(const char* path, const char* mode) {
    return _wfopen(win32::NativePath(path).c_str(), win32::Widen(mode).c_str());
}

extern "C" int tumbleroo_rename(const char* from, const char* to) {
    BOOL ok = MoveFileExW(win32::NativePath(from).c_str(), win32::NativePath(to).c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    return ok ? 0 : -1;
}

extern "C" long tumbleroo_thread_id(void) { return static_cast<long>(GetCurrentThreadId()); }
