#include "platform/posix/ui_document.hpp"

#include <errno.h>
#include <limits.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/ui_texts.hpp"

extern char** environ;

namespace korvun {

std::string ManualPath() {
  char buf[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  std::string dir = n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string("./");
  dir.erase(dir.rfind('/') + 1);
  return dir + ui_text::kManualRelativePath;
}

void OpenWithDesktop(const std::string& path) {
  // xdg-open may keep running as long as the viewer does; the shell puts it in
  // the background and ends at once, so the dialog never waits and no zombie
  // is left behind. The path travels as an argument, never as shell text.
  const char* script = "xdg-open \"$1\" </dev/null >/dev/null 2>&1 &";
  char* argv[] = {const_cast<char*>("sh"), const_cast<char*>("-c"), const_cast<char*>(script),
                  const_cast<char*>("sh"), const_cast<char*>(path.c_str()), nullptr};
  pid_t pid = 0;
  if (::posix_spawn(&pid, "/bin/sh", nullptr, nullptr, argv, environ) != 0) return;
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
}

}  // namespace korvun
