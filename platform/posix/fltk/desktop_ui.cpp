// The desktop face: FLTK windows on an X display. Lives in its own module so
// that the library runs without any X11 library where there is no display.
#include <FL/Fl.H>
#include <FL/x.H>

#include <memory>
#include <string>

#include "platform/posix/fltk/access_data_window.hpp"
#include "platform/posix/fltk/desktop_module.hpp"
#include "platform/posix/fltk/download_progress_window.hpp"
#include "platform/posix/fltk/information_window.hpp"
#include "platform/posix/fltk/password_window.hpp"
#include "platform/posix/fltk/proxy_credentials_window.hpp"
#include "platform/posix/ui_document.hpp"
#include "platform/progress_window_state.hpp"
#include "platform/ui.hpp"
#include "base/text_encoding.hpp"

namespace korvun::desktop {
namespace {

class DesktopUi final : public Ui {
 public:
  ~DesktopUi() override { ProgressHide(); }

  bool Interactive() const override { return true; }
  const char* FaceName() const override { return "gui"; }

  bool AskPassword(const std::string& importName, const std::string& login,
                   std::string* pin) override {
    PasswordWindow window(importName, login);
    if (window.RunModal() != 1) return false;
    const std::string typed = Utf8ToCp1252(window.ePasswort->value());
    if (typed.empty()) return false;
    *pin = typed;
    return true;
  }

  int EditAccessData(const std::string& importVersion, std::string* login, std::string* pin,
                     std::string* extra) override {
    AccessDataWindow window(importVersion, *login, *pin, [] { OpenWithDesktop(ManualPath()); });
    const int result = window.RunModal();
    if (result != 1) return result;
    *login = Utf8ToCp1252(window.eUser->value());
    *pin = Utf8ToCp1252(window.ePassword->value());
    // The extra text is held in a list that is emptied on confirmation.
    extra->clear();
    return 1;
  }

  void ShowInformation(const std::string& caption, const std::string& text) override {
    InformationWindow window(caption, text);
    window.RunModal();
  }

  void ProgressShow() override {
    if (!state_.Show()) return;
    window_ = std::make_unique<DownloadProgressWindow>(state_);
    Fl::check();
  }

  void ProgressHide() override {
    if (!state_.Hide()) return;
    window_.reset();
    Fl::check();
  }

  // The host's callback does not run our event loop, so the window gets its
  // turn whenever the download asks.
  bool ProgressCancelled() override {
    if (window_) Fl::check();
    return state_.Cancelled();
  }

  ProxyCredentials AskProxyCredentials(const std::string& proxy, std::string* user,
                                       std::string* password) override {
    ProxyCredentialsWindow window(proxy);
    if (window.RunModal() != 1) return ProxyCredentials::kDismissed;
    *user = Utf8ToCp1252(window.eUser->value());
    *password = Utf8ToCp1252(window.ePassword->value());
    return ProxyCredentials::kGiven;
  }

  void ProcessPendingMessages() override { Fl::check(); }


 private:
  ProgressWindowState state_;
  std::unique_ptr<DownloadProgressWindow> window_;
};

}  // namespace
}  // namespace korvun::desktop

extern "C" __attribute__((visibility("default"))) korvun::Ui* korvun_create_desktop_ui(int abi) {
  if (abi != korvun::kDesktopUiAbi) return nullptr;
  if (!fl_display) {
    // Checked here rather than left to FLTK, which ends the process when the
    // display does not open.
    Display* display = XOpenDisplay(nullptr);
    if (!display) return nullptr;
    fl_open_display(display);
  }
  korvun::desktop::SetUpDialogFonts();
  return new korvun::desktop::DesktopUi();
}
