# Cross toolchain for a 64-bit build of the same sources. Machines that run
# no 32-bit code (and so no 32-bit Wine) test the Windows layer with it.
# Compilers: Debian package g++-mingw-w64-x86-64-posix.
set(MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

get_filename_component(_korvun_wine_run "${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run" ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR env WINE=/usr/lib/wine/wine64 WINEARCH=win64 "${_korvun_wine_run}")
