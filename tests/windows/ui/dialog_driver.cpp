#include "windows/ui/dialog_driver.hpp"

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace korvun::test {
namespace {

constexpr int kWaitMilliseconds = 30000;  // generous: Wine on a loaded machine

// A dialog that never showed under the expected caption would keep the main
// thread waiting forever: cancel whatever that thread has open.
BOOL CALLBACK CancelWindow(HWND window, LPARAM) {
  ::PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
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
    HWND dialog = ::FindWindowW(L"#32770", Wide(caption).c_str());
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

std::wstring Wide(const std::string& cp1252) {
  std::wstring wide(cp1252.size(), L'\0');
  const int length = ::MultiByteToWideChar(1252, 0, cp1252.data(), static_cast<int>(cp1252.size()),
                                           wide.data(), static_cast<int>(wide.size()));
  wide.resize(static_cast<size_t>(length > 0 ? length : 0));
  return wide;
}

HWND Child(HWND dialog, const char* className, const char* text, int nth) {
  const std::wstring wideClass = Wide(className);
  const std::wstring wideText = text ? Wide(text) : L"";
  HWND child = nullptr;
  for (int i = 0; i <= nth; ++i) {
    child = ::FindWindowExW(dialog, child, wideClass.c_str(), text ? wideText.c_str() : nullptr);
    if (!child) return nullptr;
  }
  return child;
}

std::wstring WideTextOf(HWND window) {
  wchar_t text[512] = {};
  ::SendMessageW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text));
  return text;
}

std::string TextOf(HWND window) {
  const std::wstring wide = WideTextOf(window);
  std::string text(wide.size() * 2, '\0');
  const int length =
      ::WideCharToMultiByte(1252, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                            text.data(), static_cast<int>(text.size()), "?", nullptr);
  text.resize(static_cast<size_t>(length > 0 ? length : 0));
  return text;
}

void Type(HWND field, const std::wstring& text) {
  ::SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void Type(HWND field, const std::string& text) { Type(field, Wide(text)); }

void Click(HWND dialog, HWND button) {
  ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(button), BN_CLICKED),
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
