// While a modal dialog is up, the calling thread's other top-level windows
// (the host's) take no input. The dialogs have no owner window that Windows
// would disable, and a host left enabled lets its user start a second export
// or close the host while the dialog is still on the stack.
#pragma once

#include <windows.h>

#include <vector>

namespace korvun::win {

class ThreadWindowsDisabled {
 public:
  // Disables the thread's top-level windows that are visible and enabled.
  ThreadWindowsDisabled();
  // Enables exactly those again; windows that were disabled before stay so.
  ~ThreadWindowsDisabled();
  ThreadWindowsDisabled(const ThreadWindowsDisabled&) = delete;
  ThreadWindowsDisabled& operator=(const ThreadWindowsDisabled&) = delete;

 private:
  static BOOL CALLBACK DisableOne(HWND window, LPARAM self);

  std::vector<HWND> disabled_;
};

}  // namespace korvun::win
