// The Windows face: Win32 dialogs, modal on the calling thread. KORVUN_UI=none
// gives the silent face (services, runs without a person).
#include <windows.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "platform/progress_window_state.hpp"
#include "platform/ui.hpp"
#include "platform/windows/ui_access_data_dialog.hpp"
#include "platform/windows/ui_password_dialog.hpp"
#include "platform/windows/ui_progress_window.hpp"
#include "platform/windows/ui_proxy_credentials_dialog.hpp"
#include "platform/windows/ui_wide_text.hpp"

namespace korvun {
namespace {

class WindowsUi final : public Ui {
 public:
  ~WindowsUi() override { ProgressHide(); }

  bool Interactive() const override { return true; }
  const char* FaceName() const override { return "gui"; }

  bool AskPassword(const std::string& importName, const std::string& login,
                   std::string* pin) override {
    win::PasswordDialog dialog(importName, login);
    return dialog.Ask(pin);
  }

  int EditAccessData(const std::string& importVersion, std::string* login, std::string* pin,
                     std::string* extra) override {
    win::AccessDataDialog dialog(importVersion, *login, *pin);
    const int result = dialog.Run();
    if (result != 1) return result;
    *login = dialog.Login();
    *pin = dialog.Pin();
    // The extra text is held in a list that is emptied on confirmation.
    extra->clear();
    return 1;
  }

  void ShowInformation(const std::string& caption, const std::string& text) override {
    ::MessageBoxW(nullptr, win::WideFromCp1252(text).c_str(), win::WideFromCp1252(caption).c_str(),
                  MB_OK | MB_ICONINFORMATION | MB_TASKMODAL | MB_SETFOREGROUND);
  }

  void ProgressShow() override {
    if (!state_.Show()) return;
    progress_ = std::make_unique<win::ProgressWindow>(state_);
    progress_->Open();
  }

  void ProgressHide() override {
    if (!state_.Hide()) return;
    progress_.reset();
  }

  // The download lets the window have its messages before it asks.
  bool ProgressCancelled() override { return state_.Cancelled(); }

  ProxyCredentials AskProxyCredentials(const std::string& proxy, std::string* user,
                                       std::string* password) override {
    win::ProxyCredentialsDialog dialog(proxy);
    if (!dialog.Ask()) return ProxyCredentials::kDismissed;
    *user = dialog.User();
    *password = dialog.Password();
    return ProxyCredentials::kGiven;
  }

  void ProcessPendingMessages() override {
    MSG message;
    // Wide, so that typed characters reach Unicode windows unconverted.
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        // Not ours: the host's own loop must still see it.
        ::PostQuitMessage(static_cast<int>(message.wParam));
        return;
      }
      HWND progress = progress_ ? progress_->Handle() : nullptr;
      if (progress && ::IsDialogMessageW(progress, &message)) continue;
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
  }

 private:
  ProgressWindowState state_;
  std::unique_ptr<win::ProgressWindow> progress_;
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
