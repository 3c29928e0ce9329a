// The core's only way to the operating system. One abstract interface, one
// implementation per platform (platform/posix, later platform/windows), and
// test doubles injected by the tests.
#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>

namespace korvun {

class HttpClient;     // platform/http_client.hpp
class RequestCrypto;  // platform/request_crypto.hpp

// Result of reading one registry value.
enum class RegistryRead {
  kString,     // value present and of a string type
  kMissing,    // key or value absent
  kWrongType,  // present, but not stored as a string (the read fails)
};

// Local calendar time as the run sees it.
struct LocalTime {
  int year = 1899, month = 12, day = 30;
  int hour = 0, minute = 0, second = 0;
};

// A file written once from start to end, in pieces.
class OutputFile {
 public:
  virtual ~OutputFile() = default;
  // False when not all bytes could be written; the file is then unusable.
  virtual bool Append(const char* data, size_t size) = 0;
  // Closes the file; false when any write so far or the closing failed.
  virtual bool Close() = 0;
};

class Env {
 public:
  virtual ~Env() = default;

  // HKEY_LOCAL_MACHINE\<key>\<name>, read only. Key and value names compare
  // without regard to case.
  virtual RegistryRead ReadRegistryString(const std::string& key, const std::string& name,
                                          std::string* value) = 0;
  // True when the key exists at all.
  virtual bool RegistryKeyExists(const std::string& key) = 0;

  // The local date and time now.
  virtual LocalTime Now() = 0;

  virtual void SleepMilliseconds(int ms) = 0;

  // True when a TCP connection to host:port can be made.
  virtual bool CanConnectTcp(const std::string& host, int port) = 0;

  // Service manager. Running: the service is known and not stopped.
  virtual bool ServiceKnown(const std::string& name) = 0;
  virtual bool ServiceRunning(const std::string& name) = 0;
  virtual bool StartService(const std::string& name) = 0;

  // Starts a program detached from us; true when it could be started.
  virtual bool StartDetachedProcess(const std::string& path) = 0;

  // Folder of the running program's executable, with a final separator.
  virtual std::string ExecutableDir() = 0;

  // Hands a document to the desktop to be opened with its default program.
  virtual bool OpenDocument(const std::string& path) = 0;

  // Shared libraries loaded at run time.
  virtual void* LoadLibrary(const std::string& name, std::string* error) = 0;
  virtual void* FindSymbol(void* library, const std::string& name) = 0;

  // Creates or empties a file that is written once and not read back by us,
  // such as the import file of several hundred megabytes: the platform may
  // hand what is written to the disk early and free its memory, instead of
  // keeping the whole file in memory for nobody. Null when the file cannot
  // be created.
  virtual std::unique_ptr<OutputFile> CreateOutputFile(const std::string& path) = 0;

  // The HTTPS client of this platform.
  virtual HttpClient& Http() = 0;
  // The primitives of the request encoding.
  virtual const RequestCrypto& Crypto() = 0;

  // The platform's path separator.
  virtual char PathSeparator() const = 0;

  // The process-wide default environment of this platform.
  static Env& Default();
};

}  // namespace korvun
