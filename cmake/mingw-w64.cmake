# mingw-w64.cmake - CMake toolchain for the Windows x64 build, cross-compiled on
# Debian with the POSIX-threads flavour of mingw-w64 (std::thread needs it).
# scripts/windows.sh passes it with -DCMAKE_TOOLCHAIN_FILE.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TUMBLEROO_MINGW_PREFIX x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${TUMBLEROO_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TUMBLEROO_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TUMBLEROO_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TUMBLEROO_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Tests built here run under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
