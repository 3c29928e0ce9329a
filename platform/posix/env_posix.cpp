// The POSIX platform layer.
#include <arpa/inet.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <netdb.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <poll.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/env.hpp"
#include "platform/posix/http_client_curl.hpp"
#include "platform/posix/output_file_posix.hpp"
#include "platform/posix/request_crypto_openssl.hpp"
#include "platform/posix/registry_file.hpp"

extern char** environ;

namespace korvun {
namespace {

std::string RegistryPath() {
  const char* path = std::getenv("KORVUN_REGISTRY");
  return path && *path ? path : "/etc/korvun/registry.reg";
}

// Runs a program and waits for it; its exit status, or -1.
int RunAndWait(const std::vector<std::string>& argv) {
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return -1;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0)
    if (errno != EINTR) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool SystemdRuns() {
  struct stat st;
  return ::stat("/run/systemd/system", &st) == 0 && S_ISDIR(st.st_mode);
}

class PosixEnv final : public Env {
 public:
  RegistryRead ReadRegistryString(const std::string& key, const std::string& name,
                                  std::string* value) override {
    return RegistryFile::Load(RegistryPath()).Read(key, name, value);
  }
  bool RegistryKeyExists(const std::string& key) override {
    return RegistryFile::Load(RegistryPath()).KeyExists(key);
  }

  LocalTime Now() override {
    const time_t t = ::time(nullptr);
    struct tm tm {};
    ::localtime_r(&t, &tm);
    return LocalTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
  }

  void SleepMilliseconds(int ms) override {
    struct timespec ts {ms / 1000, (ms % 1000) * 1000000L};
    while (::nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
  }

  bool CanConnectTcp(const std::string& host, int port) override {
    struct addrinfo hints {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    struct addrinfo* res = nullptr;
    if (::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &res) != 0) return false;
    bool ok = false;
    for (auto* ai = res; ai && !ok; ai = ai->ai_next) {
      const int fd = ::socket(ai->ai_family, ai->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
      if (fd < 0) continue;
      if (::connect(fd, ai->ai_addr, ai->ai_addrlen) == 0) {
        ok = true;
      } else if (errno == EINPROGRESS) {
        struct pollfd p {fd, POLLOUT, 0};
        if (::poll(&p, 1, 2000) == 1) {
          int err = 0;
          socklen_t len = sizeof err;
          ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len);
          ok = err == 0;
        }
      }
      ::close(fd);
    }
    ::freeaddrinfo(res);
    return ok;
  }

  bool ServiceKnown(const std::string& name) override {
    if (!SystemdRuns()) return false;
    // "systemctl cat" succeeds only for a unit that exists.
    return RunAndWait({"systemctl", "cat", name + ".service"}) == 0;
  }
  bool ServiceRunning(const std::string& name) override {
    if (!SystemdRuns()) return false;
    return RunAndWait({"systemctl", "is-active", "--quiet", name + ".service"}) == 0;
  }
  bool StartService(const std::string& name) override {
    if (!SystemdRuns()) return false;
    return RunAndWait({"systemctl", "start", name + ".service"}) == 0;
  }

  bool StartDetachedProcess(const std::string& path) override {
    // Double fork, so the daemon is not our child and leaves no zombie.
    const pid_t pid = ::fork();
    if (pid < 0) return false;
    if (pid == 0) {
      ::setsid();
      const pid_t inner = ::fork();
      if (inner != 0) ::_exit(inner < 0 ? 1 : 0);
      const int devnull = ::open("/dev/null", O_RDWR);
      if (devnull >= 0) {
        ::dup2(devnull, 0);
        ::dup2(devnull, 1);
        ::dup2(devnull, 2);
      }
      ::execl(path.c_str(), path.c_str(), static_cast<char*>(nullptr));
      ::_exit(127);
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0)
      if (errno != EINTR) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 && ::access(path.c_str(), X_OK) == 0;
  }

  std::string ExecutableDir() override {
    char buf[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return "./";
    std::string path(buf, static_cast<size_t>(n));
    return path.substr(0, path.rfind('/') + 1);
  }

  bool OpenDocument(const std::string& path) override {
    std::vector<char*> args = {const_cast<char*>("xdg-open"), const_cast<char*>(path.c_str()),
                               nullptr};
    pid_t pid = 0;
    if (posix_spawnp(&pid, "xdg-open", nullptr, nullptr, args.data(), environ) != 0) return false;
    // xdg-open returns quickly after handing over; reap it so no zombie stays.
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }

  void* LoadLibrary(const std::string& name, std::string* error) override {
    void* handle = ::dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle && error) {
      const char* e = ::dlerror();
      *error = e ? e : "dlopen failed";
    }
    return handle;
  }
  void* FindSymbol(void* library, const std::string& name) override {
    return ::dlsym(library, name.c_str());
  }

  std::unique_ptr<OutputFile> CreateOutputFile(const std::string& path) override {
    return CreatePosixOutputFile(path);
  }

  HttpClient& Http() override { return CurlHttpClient(); }
  const RequestCrypto& Crypto() override { return OpenSslRequestCrypto(); }

  char PathSeparator() const override { return '/'; }
};

}  // namespace

Env& Env::Default() {
  static PosixEnv env;
  return env;
}

}  // namespace korvun
