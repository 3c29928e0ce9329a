// The Windows face: Win32 dialogs on the calling thread. KORVUN_UI=none
// gives the silent face (services, tests without a person).
#include <windows.h>

#include <cstdlib>
#include <string>

#include "platform/ui.hpp"

namespace korvun {
namespace {

class WindowsUi final : public Ui {
 public:
  bool Interactive() const override { return true; }
  bool AskPassword(const std::string&, const std::string&, std::string*) override { return false; }
  int EditAccessData(const std::string&, std::string*, std::string*, std::string*) override {
    return 2;
  }
  void ShowInformation(const std::string& caption, const std::string& text) override {
    ::MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK | MB_ICONINFORMATION | MB_TASKMODAL);
  }
  void ProgressShow() override {}
  void ProgressHide() override {}
  bool ProgressCancelled() override { return false; }
  ProxyCredentials AskProxyCredentials(const std::string&, std::string*, std::string*) override {
    return ProxyCredentials::kUnavailable;
  }
  void ProcessPendingMessages() override {
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&message);
      ::DispatchMessageA(&message);
    }
  }
  const char* FaceName() const override { return "gui"; }
};

}  // namespace

std::unique_ptr<Ui> MakeChosenUi() {
  const char* choice = std::getenv("KORVUN_UI");
  if (choice && std::string(choice) == "none") return MakeSilentUi();
  return std::make_unique<WindowsUi>();
}

Ui& ProcessUi() {
  static std::unique_ptr<Ui> ui = MakeChosenUi();
  return *ui;
}

}  // namespace korvun
