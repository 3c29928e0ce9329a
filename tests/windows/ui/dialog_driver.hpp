// Drives a modal dialog of the test's main thread from a second thread:
// waits for the window by caption, then hands it to the test's steps.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <thread>

namespace korvun::test {

class DialogDriver {
 public:
  DialogDriver(std::string caption, std::function<void(HWND)> steps);
  ~DialogDriver();
  // Waits for the steps to end; false when the window never showed.
  bool Finish();

 private:
  void Run(std::string caption, std::function<void(HWND)> steps);

  DWORD ownerThread_;
  bool found_ = false;
  std::thread thread_;
};

// Texts here are Windows-1252, as the product's; they meet the windows in
// UTF-16 through the system's own 1252 table, so they compare the same under
// every ANSI code page.
std::wstring Wide(const std::string& cp1252);

// The n-th child window of a class ("Edit", "Button", "Static"), or the one
// with the given text when text is set.
HWND Child(HWND dialog, const char* className, const char* text = nullptr, int nth = 0);
std::string TextOf(HWND window);
std::wstring WideTextOf(HWND window);
// Types into a field: WM_SETTEXT, which also tells the dialog of the change.
void Type(HWND field, const std::string& text);
void Type(HWND field, const std::wstring& text);
// A click as the dialog sees it: WM_COMMAND with BN_CLICKED from the button.
void Click(HWND dialog, HWND button);

// Writes <name>.bmp of the whole window into $KORVUN_SCREENSHOT_DIR; does
// nothing when the variable is not set.
void SaveScreenshot(HWND window, const std::string& name);

}  // namespace korvun::test
