#include "windows/ui/dialog_driver.hpp"

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace korvun::test {
namespace {

constexpr int kWaitMilliseconds = 10000;

// A dialog that never showed under the expected caption would keep the main
// thread waiting forever: cancel whatever that thread has open.
BOOL CALLBACK CancelWindow(HWND window, LPARAM) {
  ::PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
  if (HWND cancel = Child(window, "Button", "Abbrechen")) Click(window, cancel);
  return TRUE;
}

void CancelAllOf(DWORD thread) { ::EnumThreadWindows(thread, &CancelWindow, 0); }

}  // namespace

DialogDriver::DialogDriver(std::string caption, std::function<void(HWND)> steps)
    : ownerThread_(::GetCurrentThreadId()),
      thread_(&DialogDriver::Run, this, std::move(caption), std::move(steps)) {}

DialogDriver::~DialogDriver() { Finish(); }

bool DialogDriver::Finish() {
  if (thread_.joinable()) thread_.join();
  return found_;
}

void DialogDriver::Run(std::string caption, std::function<void(HWND)> steps) {
  for (int waited = 0; waited < kWaitMilliseconds; waited += 50) {
    HWND dialog = ::FindWindowA("#32770", caption.c_str());
    if (dialog && ::IsWindowVisible(dialog) &&
        ::GetWindowThreadProcessId(dialog, nullptr) == ownerThread_) {
      found_ = true;
      ::Sleep(300);  // let it paint before anything looks at it
      steps(dialog);
      return;
    }
    ::Sleep(50);
  }
  CancelAllOf(ownerThread_);
}

HWND Child(HWND dialog, const char* className, const char* text, int nth) {
  HWND child = nullptr;
  for (int i = 0; i <= nth; ++i) {
    child = ::FindWindowExA(dialog, child, className, text);
    if (!child) return nullptr;
  }
  return child;
}

std::string TextOf(HWND window) {
  char text[512] = {};
  ::SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  return text;
}

void Type(HWND field, const std::string& text) {
  ::SendMessageA(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void Click(HWND dialog, HWND button) {
  ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(button), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
}

void SaveScreenshot(HWND window, const std::string& name) {
  const char* folder = std::getenv("KORVUN_SCREENSHOT_DIR");
  if (!folder || !*folder) return;
  // What the test just typed may not be painted yet.
  ::RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  ::Sleep(100);
  RECT frame;
  ::GetWindowRect(window, &frame);
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  const int stride = (width * 3 + 3) & ~3;

  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HDC source = ::GetWindowDC(window);
  HDC memory = ::CreateCompatibleDC(source);
  HBITMAP bitmap = ::CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = ::SelectObject(memory, bitmap);
  ::BitBlt(memory, 0, 0, width, height, source, 0, 0, SRCCOPY);
  ::GdiFlush();

  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof info.bmiHeader;
  file.bfSize = file.bfOffBits + static_cast<DWORD>(stride * height);
  const std::string path = std::string(folder) + "\\" + name + ".bmp";
  if (FILE* out = std::fopen(path.c_str(), "wb")) {
    std::fwrite(&file, sizeof file, 1, out);
    std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out);
    std::fwrite(bits, static_cast<size_t>(stride), static_cast<size_t>(height), out);
    std::fclose(out);
  }
  ::SelectObject(memory, old);
  ::DeleteObject(bitmap);
  ::DeleteDC(memory);
  ::ReleaseDC(window, source);
}

}  // namespace korvun::test
