// The Windows platform layer: the registry, the service control manager,
// process creation, LoadLibrary and the files of file_windows.cpp, all
// through the narrow API, so Windows-1252 texts pass as they are.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <string>
#include <vector>

#include "platform/env.hpp"
#include "platform/std_worker_thread.hpp"
#include "platform/windows/file_windows.hpp"
#include "platform/windows/http_client_wininet.hpp"
#include "platform/windows/library_search.hpp"
#include "platform/windows/request_crypto_cng.hpp"

namespace korvun {
namespace {

constexpr char kRegistryPrefix[] = "HKEY_LOCAL_MACHINE\\";

// The key below HKEY_LOCAL_MACHINE; a leading root name is dropped.
std::string SubKey(const std::string& key) {
  if (key.compare(0, sizeof kRegistryPrefix - 1, kRegistryPrefix) == 0)
    return key.substr(sizeof kRegistryPrefix - 1);
  return key;
}

// Closes a service handle when leaving the scope.
struct ServiceHandle {
  SC_HANDLE handle;
  explicit ServiceHandle(SC_HANDLE h) : handle(h) {}
  ~ServiceHandle() {
    if (handle) ::CloseServiceHandle(handle);
  }
  explicit operator bool() const { return handle != nullptr; }
};

// The system's words for an error code; empty when it has none.
std::string SystemErrorText(DWORD code) {
  char text[512] = "";
  DWORD size = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                code, 0, text, sizeof text, nullptr);
  while (size > 0 && (text[size - 1] == '\r' || text[size - 1] == '\n' || text[size - 1] == ' '))
    --size;
  return std::string(text, size);
}

// The current state of a service; 0 when the manager or the service cannot
// be reached.
DWORD QueryServiceState(const std::string& name) {
  ServiceHandle manager(::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
  if (!manager) return 0;
  ServiceHandle service(::OpenServiceA(manager.handle, name.c_str(), SERVICE_QUERY_STATUS));
  if (!service) return 0;
  SERVICE_STATUS status{};
  if (!::QueryServiceStatus(service.handle, &status)) return 0;
  return status.dwCurrentState;
}

class WinsockSession {
 public:
  WinsockSession() { started_ = ::WSAStartup(MAKEWORD(2, 2), &data_) == 0; }
  ~WinsockSession() {
    if (started_) ::WSACleanup();
  }
  bool started() const { return started_; }

 private:
  WSADATA data_{};
  bool started_ = false;
};

class WindowsEnv final : public Env {
 public:
  RegistryRead ReadRegistryString(const std::string& key, const std::string& name,
                                  std::string* value) override {
    HKEY handle = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, SubKey(key).c_str(), 0, KEY_READ, &handle) !=
        ERROR_SUCCESS)
      return RegistryRead::kMissing;
    DWORD type = 0, size = 0;
    LONG rc = ::RegQueryValueExA(handle, name.c_str(), nullptr, &type, nullptr, &size);
    std::string data;
    if (rc == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ)) {
      data.resize(size);
      rc = ::RegQueryValueExA(handle, name.c_str(), nullptr, &type,
                              reinterpret_cast<BYTE*>(data.data()), &size);
      data.resize(rc == ERROR_SUCCESS ? size : 0);
    }
    ::RegCloseKey(handle);
    if (rc != ERROR_SUCCESS) return RegistryRead::kMissing;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return RegistryRead::kWrongType;
    // Stored with its terminating zero, or without one by a careless writer.
    while (!data.empty() && data.back() == '\0') data.pop_back();
    *value = data;
    return RegistryRead::kString;
  }
  bool RegistryKeyExists(const std::string& key) override {
    HKEY handle = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, SubKey(key).c_str(), 0, KEY_READ, &handle) !=
        ERROR_SUCCESS)
      return false;
    ::RegCloseKey(handle);
    return true;
  }

  LocalTime Now() override {
    SYSTEMTIME t;
    ::GetLocalTime(&t);
    return LocalTime{t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
  }

  void SleepMilliseconds(int ms) override { ::Sleep(static_cast<DWORD>(ms < 0 ? 0 : ms)); }
  std::unique_ptr<WorkerThread> StartThread(std::function<void()> work) override {
    return StartStdWorkerThread(std::move(work));
  }

  bool CanConnectTcp(const std::string& host, int port) override {
    WinsockSession session;
    if (!session.started()) return false;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) return false;
    bool connected = false;
    for (addrinfo* ai = found; ai && !connected; ai = ai->ai_next) {
      const SOCKET s = ::socket(ai->ai_family, ai->ai_socktype, ai->ai_protocol);
      if (s == INVALID_SOCKET) continue;
      connected = ::connect(s, ai->ai_addr, static_cast<int>(ai->ai_addrlen)) == 0;
      ::closesocket(s);
    }
    ::freeaddrinfo(found);
    return connected;
  }

  bool ServiceKnown(const std::string& name) override { return QueryServiceState(name) != 0; }
  bool ServiceRunning(const std::string& name) override {
    const DWORD state = QueryServiceState(name);
    return state != 0 && state != SERVICE_STOPPED;
  }
  bool ServiceStarting(const std::string& name) override {
    return QueryServiceState(name) == SERVICE_START_PENDING;
  }
  ServiceStart StartService(const std::string& name) override {
    if (QueryServiceState(name) == SERVICE_RUNNING) return {};
    ServiceHandle manager(::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    ServiceHandle service(manager ? ::OpenServiceA(manager.handle, name.c_str(), SERVICE_START)
                                  : nullptr);
    // Started by someone else since the state was read: running is all we want.
    if (service && (::StartServiceA(service.handle, 0, nullptr) ||
                    ::GetLastError() == ERROR_SERVICE_ALREADY_RUNNING))
      return {};
    const DWORD code = ::GetLastError();
    return {ServiceStart::Outcome::kRefused, static_cast<int>(code), SystemErrorText(code)};
  }

  bool TopLevelWindowExists(const std::string& windowClass, const std::string& title) override {
    return ::FindWindowA(windowClass.c_str(), title.c_str()) != nullptr;
  }

  // The program's own folder is its working folder; it is neither waited
  // for nor watched.
  bool StartDetachedProcess(const std::string& path) override {
    const size_t slash = path.find_last_of("\\/");
    const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessA(path.c_str(), nullptr, nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS,
                          nullptr, folder.empty() ? nullptr : folder.c_str(), &startup, &process))
      return false;
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return true;
  }

  // Never from the current folder.
  void* LoadSharedLibrary(const std::string& name, std::string* error) override {
    DWORD code = 0;
    HMODULE module = LoadLibraryWithoutCurrentDir(name, &code);
    if (!module && error) *error = name + " (" + std::to_string(code) + ")";
    return reinterpret_cast<void*>(module);
  }
  void* FindSymbol(void* library, const std::string& name) override {
    return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(library), name.c_str()));
  }
  void ReleaseSharedLibrary(void* library) override {
    ::FreeLibrary(static_cast<HMODULE>(library));
  }

  Status NewSequentialFile(const std::string& path,
                           std::unique_ptr<SequentialFile>* result) override {
    return NewWindowsSequentialFile(path, result);
  }
  Status NewRandomAccessFile(const std::string& path,
                             std::unique_ptr<RandomAccessFile>* result) override {
    return NewWindowsRandomAccessFile(path, result);
  }
  Status NewWritableFile(const std::string& path, std::unique_ptr<WritableFile>* result) override {
    return NewWindowsWritableFile(path, result);
  }
  Status WriteFileAtomically(const std::string& path, std::string_view data) override {
    return WriteWindowsFileAtomically(path, data);
  }
  Status RenameFile(const std::string& from, const std::string& to) override {
    return RenameWindowsFile(from, to);
  }
  Status RemoveFile(const std::string& path) override { return RemoveWindowsFile(path); }
  Status GetChildren(const std::string& dir, std::vector<FolderEntry>* entries) override {
    return GetWindowsChildren(dir, entries);
  }
  Status CreateDir(const std::string& dir) override { return CreateWindowsDir(dir); }
  bool FileExists(const std::string& path) override { return WindowsFileExists(path); }
  Status SetFileModificationTime(const std::string& path,
                                 std::chrono::system_clock::time_point time) override {
    return SetWindowsFileTime(path, time);
  }
  // The narrow API takes the ANSI code page, which is Windows-1252 where the
  // host runs; the database client takes the same.
  std::string NativePath(const std::string& path) const override { return path; }
  std::unique_ptr<NativePathScope> EnterNativePathScope() override { return nullptr; }

  std::optional<std::string> EnvironmentVariable(const std::string& name) override {
    const DWORD size = ::GetEnvironmentVariableA(name.c_str(), nullptr, 0);
    if (size == 0) return std::nullopt;
    std::string value(size, '\0');
    const DWORD got = ::GetEnvironmentVariableA(name.c_str(), value.data(), size);
    value.resize(got < size ? got : 0);
    return value;
  }

  HttpClient& Http() override { return WinInetHttpClient(); }
  const RequestCrypto& Crypto() override { return CngRequestCrypto(); }

  char PathSeparator() const override { return '\\'; }
  System Kind() const override { return System::kWindows; }
};

}  // namespace

Env& Env::Default() {
  static WindowsEnv env;
  return env;
}

}  // namespace korvun
