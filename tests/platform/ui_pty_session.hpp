// Runs a piece of code in a child process whose controlling terminal is a
// pseudo-terminal, and lets the test play the person at its keyboard.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <string>

namespace korvun::testing {

class PtySession {
 public:
  // Starts `body` in the child; what it returns comes back by Result().
  explicit PtySession(const std::function<std::string()>& body) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return;
    pid_ = ::forkpty(&master_, nullptr, nullptr, nullptr);
    if (pid_ == 0) {
      ::close(pipeFds[0]);
      const std::string result = body();
      size_t done = 0;
      while (done < result.size()) {
        const ssize_t n = ::write(pipeFds[1], result.data() + done, result.size() - done);
        if (n <= 0) break;
        done += static_cast<size_t>(n);
      }
      ::close(pipeFds[1]);
      ::_exit(0);
    }
    ::close(pipeFds[1]);
    resultFd_ = pipeFds[0];
  }

  ~PtySession() {
    if (pid_ > 0 && !reaped_) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    if (master_ >= 0) ::close(master_);
    if (resultFd_ >= 0) ::close(resultFd_);
  }

  bool Started() const { return pid_ > 0 && master_ >= 0; }

  // Reads the terminal until `text` has appeared after the last mark (or the
  // child gives up); true when it appeared.
  bool WaitFor(const std::string& text) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (output_.find(text, mark_) == std::string::npos) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      if (!ReadSome(100) && childGone_) return output_.find(text, mark_) != std::string::npos;
    }
    mark_ = output_.find(text, mark_) + text.size();
    return true;
  }

  void Type(const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
      if (n <= 0) return;
      done += static_cast<size_t>(n);
    }
  }

  // Waits for the child to end and returns what its body returned.
  std::string Result() {
    std::string result;
    char buf[4096];
    for (;;) {
      pollfd fds[2] = {{resultFd_, POLLIN, 0}, {master_, POLLIN, 0}};
      if (::poll(fds, 2, 20000) <= 0) break;
      if (fds[1].revents & POLLIN) ReadSome(0);
      if (fds[0].revents & (POLLIN | POLLHUP)) {
        const ssize_t n = ::read(resultFd_, buf, sizeof buf);
        if (n <= 0) break;
        result.append(buf, static_cast<size_t>(n));
      }
    }
    int status = 0;
    ::waitpid(pid_, &status, 0);
    reaped_ = true;
    exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
  }

  // The child's exit code once Result() has returned; -1 when it was killed.
  int ExitCode() const { return exitCode_; }

  // Everything the terminal showed so far.
  const std::string& Output() const { return output_; }
  // What it showed since the given position.
  std::string OutputSince(size_t from) const { return output_.substr(std::min(from, output_.size())); }
  size_t Mark() const { return mark_; }

 private:
  bool ReadSome(int timeoutMs) {
    pollfd p{master_, POLLIN, 0};
    if (::poll(&p, 1, timeoutMs) <= 0) return false;
    char buf[4096];
    const ssize_t n = ::read(master_, buf, sizeof buf);
    if (n <= 0) {
      childGone_ = true;
      return false;
    }
    output_.append(buf, static_cast<size_t>(n));
    return true;
  }

  pid_t pid_ = -1;
  int master_ = -1;
  int resultFd_ = -1;
  bool reaped_ = false;
  bool childGone_ = false;
  int exitCode_ = -1;
  std::string output_;
  size_t mark_ = 0;
};

}  // namespace korvun::testing
