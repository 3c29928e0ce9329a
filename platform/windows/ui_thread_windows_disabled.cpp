#include "platform/windows/ui_thread_windows_disabled.hpp"

namespace korvun::win {

ThreadWindowsDisabled::ThreadWindowsDisabled() {
  ::EnumThreadWindows(::GetCurrentThreadId(), &ThreadWindowsDisabled::DisableOne,
                      reinterpret_cast<LPARAM>(this));
}

ThreadWindowsDisabled::~ThreadWindowsDisabled() {
  for (HWND window : disabled_)
    if (::IsWindow(window)) ::EnableWindow(window, TRUE);
}

BOOL CALLBACK ThreadWindowsDisabled::DisableOne(HWND window, LPARAM self) {
  if (!::IsWindowVisible(window) || !::IsWindowEnabled(window)) return TRUE;
  // Noted before it is disabled, so that every disabled window is enabled
  // again; nothing may throw through the system's enumeration.
  try {
    reinterpret_cast<ThreadWindowsDisabled*>(self)->disabled_.push_back(window);
  } catch (...) {
    return FALSE;
  }
  ::EnableWindow(window, FALSE);
  return TRUE;
}

}  // namespace korvun::win
