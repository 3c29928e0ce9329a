# Cross toolchain for the 32-bit Windows DLL the host application loads.
# Compilers: Debian package g++-mingw-w64-i686-posix. Dependencies: scripts/build-windows-deps.
set(MINGW_TRIPLE i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

# Lets CTest run the cross-built test programs under 32-bit Wine.
get_filename_component(_korvun_wine_run "${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run" ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR "${_korvun_wine_run}")
