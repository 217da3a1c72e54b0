# windows.cmake - the Windows build's platform layer, included by CMakeLists.txt in
# place of the Linux packages when cross-compiling with cmake/mingw-w64.cmake.
#
# The same sources are built; only the platform differs:
# - the window library's and the sound library's headers are used for their
#   constants and types only (copied from Debian's packages into the build tree);
#   the host's Win32 backend (host/win32/) stands behind the window layer, and the
#   toolkit's own mixer with WASAPI output answers the sound calls;
# - stb_image and stb_vorbis are compiled from Debian's stb headers;
# - host/win32/posix_compat.h is forced into every file, so that the host's file
#   code opens wide-character paths, finds the data beside the executable and
#   replaces files on rename.
set(TUMBLEROO_WIN_INCLUDE ${PROJECT_BINARY_DIR}/win-include)
file(COPY /usr/include/GLFW/glfw3.h DESTINATION ${TUMBLEROO_WIN_INCLUDE}/GLFW)
file(COPY /usr/include/AL/al.h /usr/include/AL/alc.h DESTINATION ${TUMBLEROO_WIN_INCLUDE}/AL)
file(COPY /usr/include/stb/stb_image.h /usr/include/stb/stb_vorbis.h DESTINATION ${TUMBLEROO_WIN_INCLUDE}/stb)

include_directories(BEFORE SYSTEM ${PROJECT_SOURCE_DIR}/cmake/win32-include ${TUMBLEROO_WIN_INCLUDE})
add_compile_options(-include ${PROJECT_SOURCE_DIR}/host/win32/posix_compat.h)
add_compile_definitions(AL_LIBTYPE_STATIC UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0A00)
# One self-contained executable: no compiler run-time DLLs beside it.
add_link_options(-static -static-libgcc -static-libstdc++)

add_library(PkgConfig::GLFW3 INTERFACE IMPORTED)
add_library(PkgConfig::STB INTERFACE IMPORTED)
add_library(OpenGL::GL INTERFACE IMPORTED)
set_target_properties(OpenGL::GL PROPERTIES INTERFACE_LINK_LIBRARIES opengl32)
find_package(Threads REQUIRED)
set(OPENAL_LIBRARY "")
set(OPENAL_INCLUDE_DIR ${TUMBLEROO_WIN_INCLUDE})

# The GLFW 3 backend and its joystick reader give way to host/win32/.
set(TUMBLEROO_LAYER_EXCLUDE "/host/(glfw3_backend|joystick)\\.cpp$")

# The executable's icon (scripts/windows.sh makes it from the window icon).
set(TUMBLEROO_WINDOWS_ICON "" CACHE FILEPATH "Icon file for the Windows executable")
enable_language(RC)

# Called once the layers exist.
function(tumbleroo_windows_platform)
  file(GLOB win32_srcs CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/host/win32/*.cpp ${PROJECT_SOURCE_DIR}/host/win32/*.c)
  target_sources(host PRIVATE ${win32_srcs})
  target_link_libraries(host PUBLIC opengl32 gdi32 user32 shell32 ole32 winmm uuid ksuser)
  # A windowed program: started from the Start menu it opens no console. Its
  # standard output (start-up failures, the load messages) still reaches a file or
  # pipe the caller redirects it to.
  set_target_properties(tumbleroo PROPERTIES WIN32_EXECUTABLE ON)
  if(TUMBLEROO_WINDOWS_ICON)
    file(WRITE ${PROJECT_BINARY_DIR}/tumbleroo.rc "1 ICON \"${TUMBLEROO_WINDOWS_ICON}\"\n")
    target_sources(tumbleroo PRIVATE ${PROJECT_BINARY_DIR}/tumbleroo.rc)
  endif()
endfunction()
