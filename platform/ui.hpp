// The dialog layer: one table of dialog functions with a desktop, a terminal
// and a silent face. Texts cross this interface in Windows-1252, as everywhere
// in the core; each face converts for display.
#pragma once

#include <memory>
#include <string>

namespace korvun {

enum class ProxyCredentials {
  kGiven,        // user and password filled in: retry with them
  kDismissed,    // the person closed the prompt
  kUnavailable,  // no prompt possible, or it failed
  kConfirmed,    // the prompt reported success without asking for a retry
};

class Ui {
 public:
  virtual ~Ui() = default;

  // True when a person can answer prompts.
  virtual bool Interactive() const = 0;

  // The password prompt. True and a non-empty *pin when confirmed.
  virtual bool AskPassword(const std::string& importName, const std::string& login,
                           std::string* pin) = 0;

  // The access-data dialog. Returns 1 when confirmed (texts rewritten), 2 when
  // cancelled (texts untouched).
  virtual int EditAccessData(const std::string& importVersion, std::string* login,
                             std::string* pin, std::string* extra) = 0;

  // Modal information box with one OK button.
  virtual void ShowInformation(const std::string& caption, const std::string& text) = 0;

  // Download progress window.
  virtual void ProgressShow() = 0;
  virtual void ProgressHide() = 0;
  virtual bool ProgressCancelled() = 0;

  // Proxy credentials prompt.
  virtual ProxyCredentials AskProxyCredentials(const std::string& proxy, std::string* user,
                                               std::string* password) = 0;

  // Lets the windows of this face react (timers, buttons).
  virtual void ProcessPendingMessages() = 0;

  // "gui", "tty" or "none": which face this is (for logs and tests).
  virtual const char* FaceName() const { return "none"; }
};

// The silent face: prompts cancel, boxes return at once, nothing is shown.
std::unique_ptr<Ui> MakeSilentUi();

}  // namespace korvun

namespace korvun {
// The face for this process: KORVUN_UI=gui|tty|none, else the desktop when a
// display opens, else the terminal when there is one, else the silent face.
Ui& ProcessUi();

// The terminal face on /dev/tty; empty when the process has no terminal.
std::unique_ptr<Ui> MakeTerminalUi();
// The desktop face from its own module; empty when no display opens or the
// module cannot be loaded.
std::unique_ptr<Ui> MakeDesktopUi();
// A new face chosen the way ProcessUi chooses its own.
std::unique_ptr<Ui> MakeChosenUi();
}  // namespace korvun
