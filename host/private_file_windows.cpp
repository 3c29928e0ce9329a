#include <windows.h>

#include "host/private_file.hpp"

namespace korvun::host {

// The user's own profile folder keeps it private on Windows; the file takes
// that folder's permissions.
bool WritePrivateFileAtomically(const std::string& path, const std::string& data,
                                std::string* error) {
  const std::string temp = path + ".tmp." + std::to_string(::GetCurrentProcessId());
  const HANDLE file = ::CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    *error = "Profil nicht schreibbar: " + temp + " (" + std::to_string(::GetLastError()) + ")";
    return false;
  }
  DWORD written = 0;
  bool ok = ::WriteFile(file, data.data(), static_cast<DWORD>(data.size()), &written, nullptr) &&
            written == data.size() && ::FlushFileBuffers(file);
  ok = ::CloseHandle(file) && ok;
  if (!ok || !::MoveFileExA(temp.c_str(), path.c_str(),
                            MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    *error = "Profil nicht gespeichert: " + path + " (" + std::to_string(::GetLastError()) + ")";
    ::DeleteFileA(temp.c_str());
    return false;
  }
  return true;
}

}  // namespace korvun::host
