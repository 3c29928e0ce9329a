# Shared part of the mingw-w64 cross toolchains (posix thread variant: the
# win32 variant of GCC 12 has neither std::thread nor std::mutex).
# Expects MINGW_TRIPLE and CMAKE_SYSTEM_PROCESSOR from the including file.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER   ${MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER  ${MINGW_TRIPLE}-windres)

# The static libzip built by scripts/build-windows-deps lives here.
get_filename_component(KORVUN_WIN32_DEPS "${CMAKE_CURRENT_LIST_DIR}/../build-win32/deps-${MINGW_TRIPLE}" ABSOLUTE)
set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLE} ${KORVUN_WIN32_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# pkg-config must not hand out the host's (Linux) .pc files.
set(ENV{PKG_CONFIG_LIBDIR} "${KORVUN_WIN32_DEPS}/lib/pkgconfig:/usr/${MINGW_TRIPLE}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")

# No libgcc_s, libstdc++-6 or libwinpthread-1 DLL next to ours: the host
# application only loads the one DLL we ship.
set(CMAKE_EXE_LINKER_FLAGS_INIT    "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# Static libzip on Windows: consumers must compile with ZIP_STATIC, or zip.h
# declares everything __declspec(dllimport) and linking fails on __imp_zip_*.
# cmake/libzip-mingw.cmake gives a target (libzip_win32) that carries it.
