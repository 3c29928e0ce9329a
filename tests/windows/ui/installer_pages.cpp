// Walks the setup program's pages and then the uninstaller's, saving a
// screenshot of each into $KORVUN_SCREENSHOT_DIR (scripts/installer-screenshots):
//   installer_pages.exe SETUP.exe UNINSTALLER.exe
// Every window of both has "KorvunZUV" in its caption; a page is
// taken once its "Next" button (control 1) is enabled, so the progress page
// shows the finished installation. The uninstaller runs from a copy of
// itself, so windows are found by caption, not by process.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "windows/ui/dialog_driver.hpp"

namespace {

constexpr int kWaitMilliseconds = 60000;

struct Found {
  HWND window = nullptr;
  HWND page = nullptr;  // the main window's inner page dialog; the window itself for a lone dialog
};

BOOL CALLBACK FindOurs(HWND window, LPARAM result) {
  wchar_t caption[128] = {};
  ::GetWindowTextW(window, caption, 128);
  if (::IsWindowVisible(window) && std::wstring(caption).find(L"KorvunZUV") != std::wstring::npos) {
    reinterpret_cast<Found*>(result)->window = window;
    return FALSE;
  }
  return TRUE;
}

Found CurrentPage() {
  Found found;
  ::EnumWindows(&FindOurs, reinterpret_cast<LPARAM>(&found));
  if (found.window) {
    HWND inner = ::FindWindowExW(found.window, nullptr, L"#32770", nullptr);
    found.page = inner ? inner : found.window;
  }
  return found;
}

// Waits for a page other than the last one, ready to go on; false on timeout.
bool NextPage(HWND* last, Found* page) {
  for (int waited = 0; waited < kWaitMilliseconds; waited += 100) {
    *page = CurrentPage();
    HWND next = page->window ? ::GetDlgItem(page->window, IDOK) : nullptr;
    if (page->page && page->page != *last && next && ::IsWindowEnabled(next)) {
      *last = page->page;
      ::Sleep(700);  // let it paint
      return true;
    }
    ::Sleep(100);
  }
  return false;
}

// Runs PROGRAM and takes the named pages in their order; false when one never showed.
bool Walk(const char* program, const std::vector<const char*>& names) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::string commandLine = "\"" + std::string(program) + "\"";
  if (!::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
    std::fprintf(stderr, "cannot start %s (%lu)\n", program, ::GetLastError());
    return false;
  }
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  HWND last = nullptr;
  for (const char* name : names) {
    Found page;
    if (!NextPage(&last, &page)) {
      std::fprintf(stderr, "no page %s\n", name);
      return false;
    }
    korvun::test::SaveScreenshot(page.window, name);
    HWND next = ::GetDlgItem(page.window, IDOK);
    ::PostMessageW(page.window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                   reinterpret_cast<LPARAM>(next));
  }
  // The last button closes the program.
  for (int waited = 0; CurrentPage().window && waited < kWaitMilliseconds; waited += 100) ::Sleep(100);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: installer_pages SETUP.exe UNINSTALLER.exe\n");
    return 2;
  }
  const bool ok =
      Walk(argv[1], {"installer-language", "installer-welcome", "installer-host-folder",
                     "installer-data-folder", "installer-progress", "installer-finish"}) &&
      Walk(argv[2], {"installer-uninstall-confirm", "installer-uninstall-data",
                     "installer-uninstall-progress"});
  return ok ? 0 : 1;
}
