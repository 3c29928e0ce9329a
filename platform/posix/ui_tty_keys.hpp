// Keys and line editing on a terminal in raw mode, for the terminal dialogs.
#pragma once

#include <termios.h>

#include <optional>
#include <string>

namespace korvun {

// Switches a terminal to unechoed, unbuffered input for its lifetime; signals
// (Ctrl+C) keep working.
class TtyRawMode {
 public:
  explicit TtyRawMode(int fd);
  ~TtyRawMode();
  TtyRawMode(const TtyRawMode&) = delete;
  TtyRawMode& operator=(const TtyRawMode&) = delete;

 private:
  int fd_;
  bool active_ = false;
  termios saved_{};
};

struct TtyKey {
  enum Kind { kNone, kText, kEnter, kTab, kBackspace, kEscape, kEnd, kHelp, kOther };
  Kind kind = kNone;
  std::string text;  // UTF-8 bytes of one character for kText
};

// Waits up to timeoutMs (negative: for ever) for one key. kNone on time-out,
// kEnd on Ctrl+D, end of input or a read error.
TtyKey ReadTtyKey(int fd, int timeoutMs);

// Writes all of text (UTF-8).
void WriteTty(int fd, const std::string& text);

enum class TtyEcho { kPlain, kStars, kNothing };

// Edits one line starting with `initial` (UTF-8, shown as given by echo).
// Confirmed with Enter or Tab; empty when cancelled with Esc or Ctrl+D.
std::optional<std::string> EditTtyLine(int fd, const std::string& initial, TtyEcho echo);

}  // namespace korvun
