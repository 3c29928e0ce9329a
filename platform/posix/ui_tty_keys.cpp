#include "platform/posix/ui_tty_keys.hpp"

#include <errno.h>
#include <poll.h>
#include <unistd.h>

namespace korvun {
namespace {

// Time an escape sequence may take to follow its Esc byte.
constexpr int kSequenceGapMs = 40;

bool ReadByte(int fd, int timeoutMs, unsigned char* byte) {
  pollfd p{fd, POLLIN, 0};
  for (;;) {
    const int r = ::poll(&p, 1, timeoutMs);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) return false;
    const ssize_t n = ::read(fd, byte, 1);
    if (n < 0 && errno == EINTR) continue;
    return n == 1;
  }
}

bool InputPending(int fd, int timeoutMs) {
  pollfd p{fd, POLLIN, 0};
  return ::poll(&p, 1, timeoutMs) > 0 && (p.revents & POLLIN);
}

size_t Utf8Length(unsigned char lead) {
  if (lead >= 0xF0) return 4;
  if (lead >= 0xE0) return 3;
  if (lead >= 0xC0) return 2;
  return 1;
}

void DropLastCharacter(std::string& text) {
  if (text.empty()) return;
  size_t i = text.size() - 1;
  while (i > 0 && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) --i;
  text.erase(i);
}

TtyKey EscapeSequence(int fd) {
  TtyKey key;
  if (!InputPending(fd, kSequenceGapMs)) {
    key.kind = TtyKey::kEscape;
    return key;
  }
  unsigned char introducer = 0;
  if (!ReadByte(fd, 0, &introducer) || (introducer != '[' && introducer != 'O')) {
    key.kind = TtyKey::kEscape;
    return key;
  }
  std::string body;
  unsigned char c = 0;
  while (ReadByte(fd, kSequenceGapMs, &c)) {
    body += static_cast<char>(c);
    if (c >= 0x40 && c <= 0x7E) break;
  }
  // F1 arrives as "Esc O P", "Esc [ 1 1 ~" or (Linux console) "Esc [ [ A".
  key.kind = (introducer == 'O' && body == "P") || body == "11~" || body == "[A"
                 ? TtyKey::kHelp
                 : TtyKey::kOther;
  return key;
}

}  // namespace

TtyRawMode::TtyRawMode(int fd) : fd_(fd) {
  if (::tcgetattr(fd_, &saved_) != 0) return;
  termios raw = saved_;
  raw.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | IEXTEN);
  raw.c_iflag |= ICRNL;
  raw.c_cc[VMIN] = 1;
  raw.c_cc[VTIME] = 0;
  active_ = ::tcsetattr(fd_, TCSANOW, &raw) == 0;
}

TtyRawMode::~TtyRawMode() {
  if (active_) ::tcsetattr(fd_, TCSANOW, &saved_);
}

TtyKey ReadTtyKey(int fd, int timeoutMs) {
  TtyKey key;
  unsigned char c = 0;
  if (!ReadByte(fd, timeoutMs, &c)) {
    key.kind = InputPending(fd, 0) || timeoutMs < 0 ? TtyKey::kEnd : TtyKey::kNone;
    return key;
  }
  switch (c) {
    case '\r':
    case '\n':
      key.kind = TtyKey::kEnter;
      return key;
    case '\t':
      key.kind = TtyKey::kTab;
      return key;
    case 0x7F:
    case 0x08:
      key.kind = TtyKey::kBackspace;
      return key;
    case 0x04:
      key.kind = TtyKey::kEnd;
      return key;
    case 0x1B:
      return EscapeSequence(fd);
    default:
      break;
  }
  if (c < 0x20) {
    key.kind = TtyKey::kOther;
    return key;
  }
  key.kind = TtyKey::kText;
  key.text += static_cast<char>(c);
  const size_t length = Utf8Length(c);
  for (size_t i = 1; i < length; ++i) {
    unsigned char next = 0;
    if (!ReadByte(fd, kSequenceGapMs, &next)) break;
    key.text += static_cast<char>(next);
  }
  return key;
}

void WriteTty(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    done += static_cast<size_t>(n);
  }
}

std::optional<std::string> EditTtyLine(int fd, const std::string& initial, TtyEcho echo) {
  std::string text = initial;
  auto shown = [echo](const std::string& piece) -> std::string {
    if (echo == TtyEcho::kPlain) return piece;
    if (echo == TtyEcho::kNothing) return "";
    std::string stars;
    for (unsigned char c : piece)
      if ((c & 0xC0) != 0x80) stars += '*';
    return stars;
  };
  WriteTty(fd, shown(text));
  for (;;) {
    const TtyKey key = ReadTtyKey(fd, -1);
    switch (key.kind) {
      case TtyKey::kEnter:
      case TtyKey::kTab:
        WriteTty(fd, "\n");
        return text;
      case TtyKey::kEscape:
      case TtyKey::kEnd:
        WriteTty(fd, "\n");
        return std::nullopt;
      case TtyKey::kBackspace:
        if (!text.empty()) {
          DropLastCharacter(text);
          if (echo != TtyEcho::kNothing) WriteTty(fd, "\b \b");
        }
        break;
      case TtyKey::kText:
        text += key.text;
        WriteTty(fd, shown(key.text));
        break;
      default:
        break;
    }
  }
}

}  // namespace korvun
