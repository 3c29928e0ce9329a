// Loading a DLL by a bare name without looking in the current folder, where
// anyone may have left a DLL of that name (library planting). Nothing here
// changes the search order of the host process.
#pragma once

#include <windows.h>

#include <string>

namespace korvun {

// True for a file name without any folder.
bool IsBareLibraryName(const std::string& name);

// A bare name from the program's folder or the system folder only; a path
// as it is, with its own folder searched for the DLLs it needs. Null with
// GetLastError's code in *error.
HMODULE LoadLibraryWithoutCurrentDir(const std::string& name, DWORD* error);

}  // namespace korvun
