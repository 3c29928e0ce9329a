// The test program's entry. Screenshots need window frames, and under Xvfb
// no window manager draws them; Wine draws them itself when its X11 driver
// setting "Decorated" is "N". Wine reads that setting when a process starts,
// so with screenshots asked for the program sets it in the prefix (a fresh
// copy per run) and runs itself again.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <cstring>

namespace {

constexpr const char* kWineX11Key = "Software\\Wine\\X11 Driver";

bool WineDrawsFrames() {
  char value[8] = {};
  DWORD size = sizeof value;
  return ::RegGetValueA(HKEY_CURRENT_USER, kWineX11Key, "Decorated", RRF_RT_REG_SZ, nullptr, value,
                        &size) == ERROR_SUCCESS &&
         (value[0] == 'N' || value[0] == 'n');
}

// False when the second run could not start.
bool RunAgainWithWineFrames(int* exitCode) {
  HKEY key;
  if (::RegCreateKeyExA(HKEY_CURRENT_USER, kWineX11Key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
    return false;
  ::RegSetValueExA(key, "Decorated", 0, REG_SZ, reinterpret_cast<const BYTE*>("N"), 2);
  ::RegCloseKey(key);

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  char* commandLine = ::GetCommandLineA();
  if (!::CreateProcessA(nullptr, commandLine, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &process))
    return false;
  ::WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 1;
  ::GetExitCodeProcess(process.hProcess, &code);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  *exitCode = static_cast<int>(code);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const char* screenshots = std::getenv("KORVUN_SCREENSHOT_DIR");
  int exitCode = 0;
  if (screenshots && *screenshots && !WineDrawsFrames() && RunAgainWithWineFrames(&exitCode))
    return exitCode;
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
