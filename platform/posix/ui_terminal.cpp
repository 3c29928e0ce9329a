// The terminal face: the dialogs as questions on /dev/tty, the download
// progress as a moving bar on standard error.
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "platform/posix/ui_document.hpp"
#include "platform/posix/ui_tty_keys.hpp"
#include "platform/progress_window_state.hpp"
#include "platform/ui.hpp"
#include "platform/ui_dialog_rules.hpp"
#include "platform/ui_texts.hpp"
#include "base/strings.hpp"
#include "base/text_encoding.hpp"

namespace korvun {
namespace {

using Clock = std::chrono::steady_clock;

std::string ForTerminal(const std::string& cp1252) { return Cp1252ToUtf8(cp1252); }

// Message texts separate their lines with CR alone; a terminal needs LF.
std::string TerminalLines(const std::string& cp1252) {
  return ReplaceLineBreaks(ForTerminal(cp1252), "\n");
}

class TerminalUi final : public Ui {
 public:
  explicit TerminalUi(int fd) : fd_(fd) {}
  ~TerminalUi() override {
    ProgressHide();
    ::close(fd_);
  }

  bool Interactive() const override { return true; }
  const char* FaceName() const override { return "tty"; }

  bool AskPassword(const std::string& importName, const std::string& login,
                   std::string* pin) override {
    TtyRawMode raw(fd_);
    WriteTty(fd_, "\n" + ForTerminal(PasswordCaption(importName)) + "\n" + ForTerminal(ui_text::kPasswordAsk) +
                      ForTerminal(PasswordInfoLine(importName, login)) + "\n" +
                      "(Die Eingabe wird nicht angezeigt; Esc oder Strg+D bricht ab.)\n");
    for (;;) {
      WriteTty(fd_, "PIN: ");
      const std::optional<std::string> typed = EditTtyLine(fd_, "", TtyEcho::kNothing);
      if (!typed) return false;
      // Like the window's "Ok", Enter means nothing while the PIN is empty.
      if (typed->empty()) continue;
      *pin = Utf8ToCp1252(*typed);
      return true;
    }
  }

  int EditAccessData(const std::string& importVersion, std::string* login, std::string* pin,
                     std::string* extra) override {
    TtyRawMode raw(fd_);
    WriteTty(fd_, "\n" + ForTerminal(ui_text::kAccessCaption) + "\n" + ForTerminal(ui_text::kAccessVersion) +
                      " " + ForTerminal(importVersion) + "\n" +
                      "(Enter oder Tab: n\xC3\xA4" "chstes Feld, Esc oder Strg+D: Abbrechen)\n");
    WriteTty(fd_, ForTerminal(ui_text::kAccessLogin) + ": ");
    const auto newLogin = EditTtyLine(fd_, ForTerminal(AccessFieldText(*login)), TtyEcho::kPlain);
    if (!newLogin) return Cancelled();
    WriteTty(fd_, ForTerminal(ui_text::kAccessPin) + ": ");
    const auto newPin = EditTtyLine(fd_, ForTerminal(AccessFieldText(*pin)), TtyEcho::kStars);
    if (!newPin) return Cancelled();
    WriteTty(fd_, ForTerminal(ui_text::kAccessStar) + " " + ForTerminal(ui_text::kAccessPinHint) + "\n");
    for (;;) {
      WriteTty(fd_, "[Enter] " + ForTerminal(ui_text::kAccessOk) + "   [Esc] " +
                        ForTerminal(ui_text::kAccessCancel) + "   [F1 oder ?] " +
                        ForTerminal(ui_text::kAccessHelp) + " ");
      const TtyKey key = ReadTtyKey(fd_, -1);
      WriteTty(fd_, "\n");
      if (key.kind == TtyKey::kEnter) break;
      if (key.kind == TtyKey::kEscape || key.kind == TtyKey::kEnd) return Cancelled();
      if (key.kind == TtyKey::kHelp || (key.kind == TtyKey::kText && key.text == "?"))
        OpenWithDesktop(ManualPath());
    }
    *login = Utf8ToCp1252(*newLogin);
    *pin = Utf8ToCp1252(*newPin);
    extra->clear();
    return 1;
  }

  void ShowInformation(const std::string& caption, const std::string& text) override {
    TtyRawMode raw(fd_);
    WriteTty(fd_, "\n" + TerminalLines(caption) + "\n" + TerminalLines(text) + "\n[Enter] " +
                      ForTerminal(ui_text::kInformationOk) + " ");
    for (;;) {
      const TtyKey key = ReadTtyKey(fd_, -1);
      if (key.kind == TtyKey::kEnter || key.kind == TtyKey::kEscape || key.kind == TtyKey::kEnd)
        break;
    }
    WriteTty(fd_, "\n");
  }

  void ProgressShow() override {
    if (!progress_.Show()) return;
    raw_ = std::make_unique<TtyRawMode>(fd_);
    lastTick_ = Clock::now();
    barOnTerminal_ = ::isatty(STDERR_FILENO) == 1;
    DrawProgress(true);
  }

  void ProgressHide() override {
    if (!progress_.Hide()) return;
    raw_.reset();
    WriteTty(STDERR_FILENO, barOnTerminal_ ? "\r\x1b[K" : "");
  }

  bool ProgressCancelled() override {
    UpdateProgress();
    return progress_.Cancelled();
  }

  ProxyCredentials AskProxyCredentials(const std::string& proxy, std::string* user,
                                       std::string* password) override {
    TtyRawMode raw(fd_);
    WriteTty(fd_, "\n" + ForTerminal(ui_text::kProxyCaption) + "\n" + ForTerminal(ui_text::kProxyAskStart) +
                      ForTerminal(proxy) + ForTerminal(ui_text::kProxyAskEnd) +
                      "\n(Esc oder Strg+D bricht ab.)\n");
    std::optional<std::string> name;
    do {
      WriteTty(fd_, ForTerminal(ui_text::kProxyUser) + ": ");
      name = EditTtyLine(fd_, "", TtyEcho::kPlain);
      if (!name) return ProxyCredentials::kDismissed;
    } while (name->empty());
    WriteTty(fd_, ForTerminal(ui_text::kProxyPassword) + ": ");
    const auto secret = EditTtyLine(fd_, "", TtyEcho::kNothing);
    if (!secret) return ProxyCredentials::kDismissed;
    *user = Utf8ToCp1252(*name);
    *password = Utf8ToCp1252(*secret);
    return ProxyCredentials::kGiven;
  }

  void ProcessPendingMessages() override { UpdateProgress(); }


 private:
  int Cancelled() {
    WriteTty(fd_, ForTerminal(ui_text::kAccessCancel) + "\n");
    return 2;
  }

  // The window's timer and button, looked at whenever the download asks.
  void UpdateProgress() {
    if (!progress_.Open()) return;
    bool changed = false;
    for (;;) {
      const TtyKey key = ReadTtyKey(fd_, 0);
      if (key.kind == TtyKey::kNone || key.kind == TtyKey::kEnd) break;
      const bool cancelKey =
          key.kind == TtyKey::kEscape || (key.kind == TtyKey::kText && (key.text == "a" || key.text == "A"));
      if (cancelKey && !progress_.Cancelled()) {
        progress_.PressCancel();
        changed = true;
      }
    }
    const auto period = std::chrono::milliseconds(ProgressWindowState::kTimerMilliseconds);
    while (Clock::now() - lastTick_ >= period) {
      lastTick_ += period;
      if (progress_.TimerRunning()) {
        progress_.Tick();
        changed = true;
      }
    }
    if (changed) DrawProgress(false);
  }

  void DrawProgress(bool first) {
    if (!barOnTerminal_) {
      // A log file gets the caption once per state, not a stream of bars.
      if (first || progress_.Cancelled()) WriteTty(STDERR_FILENO, ForTerminal(progress_.Caption()) + "\n");
      return;
    }
    constexpr int kCells = ProgressWindowState::kPanelWidth / ProgressWindowState::kStep + 1;
    constexpr int kBarCells = (ProgressWindowState::kBarWidth + ProgressWindowState::kStep - 1) /
                              ProgressWindowState::kStep;
    const int from = progress_.BarLeft() / ProgressWindowState::kStep;
    std::string track;
    for (int cell = 0; cell < kCells; ++cell)
      track += cell >= from && cell < from + kBarCells ? "\xE2\x96\x88" : " ";
    const std::string color = progress_.BarRed() ? "\x1b[31m" : "";
    const std::string reset = progress_.BarRed() ? "\x1b[0m" : "";
    WriteTty(STDERR_FILENO, "\r\x1b[K" + ForTerminal(progress_.Caption()) + " [" + color + track + reset +
                                "] " +
                                (progress_.Cancelled()
                                     ? std::string()
                                     : "Esc oder a: " + ForTerminal(ui_text::kProgressCancelButton)));
  }

  int fd_;
  ProgressWindowState progress_;
  std::unique_ptr<TtyRawMode> raw_;
  Clock::time_point lastTick_{};
  bool barOnTerminal_ = false;
};

}  // namespace

std::unique_ptr<Ui> MakeTerminalUi() {
  const int fd = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  if (::isatty(fd) != 1) {
    ::close(fd);
    return nullptr;
  }
  return std::make_unique<TerminalUi>(fd);
}

}  // namespace korvun
