#include "platform/windows/library_search.hpp"

#include <initializer_list>

namespace korvun {
namespace {

// A bare name: the program's folder, then the system folder. These flags
// need update KB2533623 on Windows 7; without it the call fails with
// ERROR_INVALID_PARAMETER.
constexpr DWORD kProgramOrSystemFolder =
    LOAD_LIBRARY_SEARCH_APPLICATION_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32;
// A path: what the DLL needs from its own folder, then the system folder.
constexpr DWORD kBesideItself = LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32;

std::string WithBackslash(std::string folder) {
  if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') folder += '\\';
  return folder;
}

std::string ProgramFolder() {
  char path[MAX_PATH];
  const DWORD size = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (size == 0 || size >= MAX_PATH) return {};
  const std::string program(path, size);
  return program.substr(0, program.find_last_of("\\/") + 1);
}

std::string SystemFolder() {
  char path[MAX_PATH];
  const UINT size = ::GetSystemDirectoryA(path, MAX_PATH);
  if (size == 0 || size >= MAX_PATH) return {};
  return WithBackslash(std::string(path, size));
}

// Without the search flags: the same two folders, by full path.
HMODULE LoadFromProgramOrSystemFolder(const std::string& name) {
  for (const std::string& folder : {ProgramFolder(), SystemFolder()}) {
    if (folder.empty()) continue;
    if (HMODULE module = ::LoadLibraryExA((folder + name).c_str(), nullptr,
                                          LOAD_WITH_ALTERED_SEARCH_PATH))
      return module;
  }
  return nullptr;
}

}  // namespace

bool IsBareLibraryName(const std::string& name) {
  return name.find_first_of("\\/:") == std::string::npos;
}

HMODULE LoadLibraryWithoutCurrentDir(const std::string& name, DWORD* error) {
  const bool bare = IsBareLibraryName(name);
  HMODULE module =
      ::LoadLibraryExA(name.c_str(), nullptr, bare ? kProgramOrSystemFolder : kBesideItself);
  if (!module && ::GetLastError() == ERROR_INVALID_PARAMETER) {
    module = bare ? LoadFromProgramOrSystemFolder(name)
                  : ::LoadLibraryExA(name.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  }
  if (!module) *error = ::GetLastError();
  return module;
}

}  // namespace korvun
