# Cross toolchain for the 32-bit Windows DLL the host application loads.
# Compilers: Debian package g++-mingw-w64-i686-posix. Dependencies: scripts/build-windows-deps.
set(MINGW_TRIPLE i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

# Floating point in SSE2 registers, as on x86_64: the x87 unit's 80-bit
# intermediates would round some amounts of the import file differently from
# every other build. Hosts built with other compilers call in with a stack
# aligned to 4 bytes only; GCC must not assume more, or SSE spills to the
# stack fault. Every CPU a supported Windows runs on has SSE2.
set(CMAKE_C_FLAGS_INIT   "-msse2 -mfpmath=sse -mincoming-stack-boundary=2")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse -mincoming-stack-boundary=2")

# Lets CTest run the cross-built test programs under 32-bit Wine.
get_filename_component(_korvun_wine_run "${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run" ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR env WINE=wine WINEARCH=win32 "${_korvun_wine_run}")
