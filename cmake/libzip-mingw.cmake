# libzip_win32: the static libzip that scripts/build-windows-deps puts in
# build-win32/deps-<triple>/, for builds with cmake/mingw-i686.cmake or mingw-x86_64.cmake.
# Neither libzip's own CMake config nor its libzip.pc is enough for a static
# Windows link: both lack ZIP_STATIC (without it zip.h declares everything
# dllimport and the link fails on __imp_zip_*), and the config leaves ZLIB::ZLIB
# undefined.
if(TARGET libzip_win32)
  return()
endif()
if(NOT KORVUN_WIN32_DEPS)
  get_filename_component(KORVUN_WIN32_DEPS "${CMAKE_CURRENT_LIST_DIR}/../build-win32/deps-${MINGW_TRIPLE}" ABSOLUTE)
endif()
if(NOT EXISTS "${KORVUN_WIN32_DEPS}/lib/libzip.a")
  message(FATAL_ERROR "${KORVUN_WIN32_DEPS}/lib/libzip.a missing: run scripts/build-windows-deps first")
endif()
# Static libz.a from libz-mingw-w64-dev; the sysroot also has libz.dll.a, which
# would make the DLL depend on zlib1.dll.
find_library(KORVUN_WIN32_ZLIB NAMES libz.a REQUIRED)

add_library(libzip_win32 STATIC IMPORTED GLOBAL)
set_target_properties(libzip_win32 PROPERTIES
  IMPORTED_LOCATION "${KORVUN_WIN32_DEPS}/lib/libzip.a"
  INTERFACE_INCLUDE_DIRECTORIES "${KORVUN_WIN32_DEPS}/include"
  INTERFACE_COMPILE_DEFINITIONS ZIP_STATIC
  # bcrypt: libzip's Windows CNG crypto and random; advapi32: its file security calls.
  INTERFACE_LINK_LIBRARIES "${KORVUN_WIN32_ZLIB};bcrypt;advapi32")
