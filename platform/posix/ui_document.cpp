#include "platform/posix/ui_document.hpp"

#include <dlfcn.h>
#include <errno.h>
#include <limits.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "platform/ui_texts.hpp"

extern char** environ;

namespace korvun {

namespace {

std::string FolderOf(const std::string& file) { return file.substr(0, file.rfind('/') + 1); }

// "Die Schnittstelle zur ZUV.pdf"
std::string ManualFileName() {
  const std::string relative = ui_text::kManualRelativePath;
  return relative.substr(relative.rfind('/') + 1);
}

bool IsFile(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

std::string ChooseManualPath(const std::string& programDir, const std::string& libraryDir) {
  const std::string beside = programDir + ui_text::kManualRelativePath;
  if (IsFile(beside) || libraryDir.empty()) return beside;
  const std::string installed =
      std::filesystem::path(libraryDir + KORVUN_PKGLIB_TO_DOC "/" + ManualFileName())
          .lexically_normal()
          .string();
  return IsFile(installed) ? installed : beside;
}

std::string ManualPath() {
  char buf[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  const std::string programDir =
      n > 0 ? FolderOf(std::string(buf, static_cast<size_t>(n))) : std::string("./");
  // The library or desktop module this code was linked into.
  Dl_info info{};
  const bool found = ::dladdr(reinterpret_cast<void*>(&ManualPath), &info) != 0 && info.dli_fname;
  return ChooseManualPath(programDir, found ? FolderOf(info.dli_fname) : std::string());
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
