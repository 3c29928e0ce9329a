// The POSIX platform layer.
#include <arpa/inet.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <netdb.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <locale.h>
#include <poll.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/text_encoding.hpp"
#include "base/strings.hpp"
#include "platform/env.hpp"
#include "platform/posix/file_posix.hpp"
#include "platform/posix/http_client_curl.hpp"
#include "platform/posix/request_crypto_openssl.hpp"
#include "platform/posix/service_state.hpp"
#include "platform/posix/registry_file.hpp"
#include "platform/std_worker_thread.hpp"

extern char** environ;

namespace korvun {
namespace {

std::string RegistryPath() {
  const char* path = std::getenv("KORVUN_REGISTRY");
  return path && *path ? path : "/etc/korvun/registry.reg";
}

// Runs a program and waits for it; its exit status, or -1.
// Runs a program and waits for it; its exit status, or -1. What it writes to
// standard output lands in *output when asked for.
int RunAndWait(const std::vector<std::string>& argv, std::string* output = nullptr) {
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  int pipeFds[2] = {-1, -1};
  if (output && ::pipe2(pipeFds, O_CLOEXEC) != 0) return -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (output)
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
  else
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (output) {
    ::close(pipeFds[1]);
    if (rc == 0) {
      char buffer[256];
      ssize_t n;
      while ((n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR))
        if (n > 0) output->append(buffer, static_cast<size_t>(n));
    }
    ::close(pipeFds[0]);
  }
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

// The thread's character type set to UTF-8 for the scope's lifetime. The
// Firebird client converts a file name from the locale's character set on
// its first use in the process and keeps that converter; under the "C"
// locale of a program that never chose one, no umlaut would get through.
class Utf8CharacterTypes final : public NativePathScope {
 public:
  explicit Utf8CharacterTypes(locale_t utf8) : utf8_(utf8), previous_(::uselocale(utf8)) {}
  ~Utf8CharacterTypes() override {
    ::uselocale(previous_);
    ::freelocale(utf8_);
  }

 private:
  locale_t utf8_;
  locale_t previous_;
};

// A systemd unit's ActiveState; empty without systemd.
std::string ActiveState(const std::string& name) {
  if (!SystemdRuns()) return {};
  // "is-active" prints the state whatever its exit status says.
  std::string state;
  RunAndWait({"systemctl", "is-active", name + ".service"}, &state);
  return std::string(TrimControl(state));
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
  std::unique_ptr<WorkerThread> StartThread(std::function<void()> work) override {
    return StartStdWorkerThread(std::move(work));
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
    return ServiceStateIsRunning(ActiveState(name));
  }
  bool ServiceStarting(const std::string& name) override {
    return ServiceStateIsStarting(ActiveState(name));
  }
  ServiceStart StartService(const std::string& name) override {
    if (!SystemdRuns()) return {ServiceStart::Outcome::kNoServiceManager, 0, {}};
    const int status = RunAndWait({"systemctl", "start", name + ".service"});
    if (status != 0) return {ServiceStart::Outcome::kCommandFailed, status, {}};
    return {};
  }

  bool TopLevelWindowExists(const std::string&, const std::string&) override { return false; }

  bool StartDetachedProcess(const std::string& path) override {
    const std::string native = PosixPath(path);
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
      ::execl(native.c_str(), native.c_str(), static_cast<char*>(nullptr));
      ::_exit(127);
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0)
      if (errno != EINTR) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 && ::access(native.c_str(), X_OK) == 0;
  }

  void* LoadSharedLibrary(const std::string& name, std::string* error) override {
    void* handle = ::dlopen(PosixPath(name).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle && error) {
      const char* e = ::dlerror();
      *error = e ? Utf8ToCp1252(e) : "dlopen failed";
    }
    return handle;
  }
  void* FindSymbol(void* library, const std::string& name) override {
    return ::dlsym(library, name.c_str());
  }
  void ReleaseSharedLibrary(void* library) override { ::dlclose(library); }

  std::string InstalledDataDir() const override {
    // The installed layout places the data folder at a fixed distance from
    // the library's own folder.
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(&RegistryPath), &info) == 0 || !info.dli_fname) return {};
    std::string dir = info.dli_fname;
    dir = dir.substr(0, dir.rfind('/') + 1) + KORVUN_PKGLIB_TO_PKGDATA "/";
    struct stat st;
    if (::stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return {};
    return Utf8ToCp1252(dir);
  }

  Status NewSequentialFile(const std::string& path,
                           std::unique_ptr<SequentialFile>* result) override {
    return NewPosixSequentialFile(path, result);
  }
  Status NewRandomAccessFile(const std::string& path,
                             std::unique_ptr<RandomAccessFile>* result) override {
    return NewPosixRandomAccessFile(path, result);
  }
  Status NewWritableFile(const std::string& path, std::unique_ptr<WritableFile>* result) override {
    return NewPosixWritableFile(path, result);
  }
  Status WriteFileAtomically(const std::string& path, std::string_view data) override {
    return WritePosixFileAtomically(path, data);
  }
  Status RenameFile(const std::string& from, const std::string& to) override {
    return RenamePosixFile(from, to);
  }
  Status RemoveFile(const std::string& path) override { return RemovePosixFile(path); }
  Status GetChildren(const std::string& dir, std::vector<FolderEntry>* entries) override {
    return GetPosixChildren(dir, entries);
  }
  Status CreateDir(const std::string& dir) override { return CreatePosixDir(dir); }
  bool FileExists(const std::string& path) override { return PosixFileExists(path); }
  Status SetFileModificationTime(const std::string& path,
                                 std::chrono::system_clock::time_point time) override {
    return SetPosixFileTime(path, time);
  }
  // The host speaks Windows-1252; file names here are UTF-8.
  std::string NativePath(const std::string& path) const override { return PosixPath(path); }
  std::unique_ptr<NativePathScope> EnterNativePathScope() override {
    // Everything but the character types stays as the thread has it.
    const locale_t base = ::duplocale(::uselocale(static_cast<locale_t>(0)));
    if (base == static_cast<locale_t>(0)) return nullptr;
    const locale_t utf8 = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", base);
    if (utf8 == static_cast<locale_t>(0)) {
      ::freelocale(base);
      return nullptr;
    }
    return std::make_unique<Utf8CharacterTypes>(utf8);
  }

  std::optional<std::string> EnvironmentVariable(const std::string& name) override {
    const char* value = std::getenv(name.c_str());
    if (!value) return std::nullopt;
    return Utf8ToCp1252(value);
  }

  HttpClient& Http() override { return CurlHttpClient(); }
  const RequestCrypto& Crypto() override { return OpenSslRequestCrypto(); }

  char PathSeparator() const override { return '/'; }
  System Kind() const override { return System::kPosix; }
};

}  // namespace

Env& Env::Default() {
  static PosixEnv env;
  return env;
}

}  // namespace korvun
