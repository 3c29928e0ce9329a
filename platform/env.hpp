// The core's only way to the operating system. One abstract interface, one
// implementation per platform (platform/posix, later platform/windows), and
// test doubles injected by the tests.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/status.hpp"

namespace korvun {

class HttpClient;     // platform/http_client.hpp
class RequestCrypto;  // platform/request_crypto.hpp

// Result of reading one registry value.
enum class RegistryRead {
  kString,     // value present and of a string type
  kMissing,    // key or value absent
  kWrongType,  // present, but not stored as a string (the read fails)
};

// What became of a request to start a service, as the system reported it.
struct ServiceStart {
  enum class Outcome {
    kStarted,           // it runs or took the request
    kNoServiceManager,  // the system runs no service manager we can ask
    kCommandFailed,     // the service manager's start command ended with status `code`
    kRefused,           // the system refused with error `code`
  };
  Outcome outcome = Outcome::kStarted;
  int code = 0;
  std::string systemText;  // kRefused: the system's own words for `code`, if it has any

  bool started() const { return outcome == Outcome::kStarted; }
};

// Work running on a thread of its own (Env::StartThread). Destroying it
// waits until the work has returned, so the work must come to an end by
// itself, as a producer does once its queue is stopped.
class WorkerThread {
 public:
  virtual ~WorkerThread() = default;
};

// Local calendar time as the run sees it.
struct LocalTime {
  int year = 1899, month = 12, day = 30;
  int hour = 0, minute = 0, second = 0;
};

// A file read once from start to end, in blocks.
class SequentialFile {
 public:
  virtual ~SequentialFile() = default;
  // Reads up to n bytes; *result holds them afterwards and may point into
  // scratch, which must have room for n bytes. Fewer than n bytes only at
  // the end of the file, none once it is reached.
  virtual Status Read(size_t n, std::string_view* result, char* scratch) = 0;
};

// A file read at any offset, such as an archive whose directory sits at its
// end: nothing of it needs to be in memory but what a read asks for.
class RandomAccessFile {
 public:
  virtual ~RandomAccessFile() = default;
  // Reads up to n bytes from offset on; *result holds them afterwards and
  // may point into scratch, which must have room for n bytes. Fewer than n
  // bytes only at the end of the file, none from its end on.
  virtual Status Read(uint64_t offset, size_t n, std::string_view* result, char* scratch) const = 0;
  // The file's size when it was opened.
  virtual uint64_t Size() const = 0;
};

// A file written from its start by appending, such as a log or the import
// file of several hundred megabytes. What Append takes may wait in a buffer
// until Flush or Close; the platform may hand what is written to the disk
// early and free its memory, as nobody reads it back while it grows. A
// failed write fails the file for good.
class WritableFile {
 public:
  virtual ~WritableFile() = default;
  virtual Status Append(std::string_view data) = 0;
  virtual Status Flush() = 0;
  // Also reports a failure of an earlier write that was buffered.
  virtual Status Close() = 0;
};

// One entry of a folder; a link is a link, whatever it points to.
struct FolderEntry {
  enum class Kind { kFile, kFolder, kLink, kOther };
  std::string name;
  Kind kind = Kind::kOther;
};

// Lives around calls that hand a library names from Env::NativePath.
class NativePathScope {
 public:
  virtual ~NativePathScope() = default;
};

// Every text crossing this interface is Windows-1252, paths and names
// included, as everywhere in the core; each platform converts at its edge.
// Failures of the file operations are -40 statuses whose detail text is a
// German message naming the path.
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

  // Runs `work` on a new thread; throws std::system_error when none can be
  // started. Threads: StartThread, the file calls and the file objects may
  // be used from several threads at once (the import reads a file on a
  // worker while its caller writes the error log); one file object is used
  // by one thread at a time, not always the one that opened it. Every other
  // call comes from the thread that runs the export.
  virtual std::unique_ptr<WorkerThread> StartThread(std::function<void()> work) = 0;

  // True when a TCP connection to host:port can be made.
  virtual bool CanConnectTcp(const std::string& host, int port) = 0;

  // Service manager. Running: the service is known and not stopped.
  virtual bool ServiceKnown(const std::string& name) = 0;
  virtual bool ServiceRunning(const std::string& name) = 0;
  // On its way to running: a second start request would be refused.
  virtual bool ServiceStarting(const std::string& name) = 0;
  // Started when the service runs or took the start request; otherwise why
  // not, for the caller to put in its own words.
  virtual ServiceStart StartService(const std::string& name) = 0;

  // True when a top-level window of the class and title exists.
  virtual bool TopLevelWindowExists(const std::string& windowClass, const std::string& title) = 0;

  // Starts a program detached from us; true when it could be started.
  virtual bool StartDetachedProcess(const std::string& path) = 0;

  // Shared libraries loaded at run time. A bare name is never looked up in
  // the current folder.
  virtual void* LoadSharedLibrary(const std::string& name, std::string* error) = 0;
  virtual void* FindSymbol(void* library, const std::string& name) = 0;
  // Unloads a library that LoadSharedLibrary gave.
  virtual void ReleaseSharedLibrary(void* library) = 0;
  // Folder of the files installed with the library (the column map files as
  // delivered), ending with the separator; empty when there is none, as in
  // a build tree.
  virtual std::string InstalledDataDir() const { return {}; }

  // Opens a file for reading from its start.
  virtual Status NewSequentialFile(const std::string& path,
                                   std::unique_ptr<SequentialFile>* result) = 0;
  // Opens a file for reading at any offset.
  virtual Status NewRandomAccessFile(const std::string& path,
                                     std::unique_ptr<RandomAccessFile>* result) = 0;
  // Creates or empties a file to be written by appending.
  virtual Status NewWritableFile(const std::string& path,
                                 std::unique_ptr<WritableFile>* result) = 0;
  // Writes data into a temporary file beside path and renames it over path
  // once all of it is written, so nobody sees a part of it. On failure path
  // is as before and no temporary file is left.
  virtual Status WriteFileAtomically(const std::string& path, std::string_view data) = 0;

  // Replaces a file of the new name.
  virtual Status RenameFile(const std::string& from, const std::string& to) = 0;
  virtual Status RemoveFile(const std::string& path) = 0;
  // The entries of a folder without "." and "..", in no particular order.
  virtual Status GetChildren(const std::string& dir, std::vector<FolderEntry>* entries) = 0;
  // Creates one folder (not its parents); success when it is there already.
  virtual Status CreateDir(const std::string& dir) = 0;
  // True when path is a regular file, or a link to one.
  virtual bool FileExists(const std::string& path) = 0;
  virtual Status SetFileModificationTime(const std::string& path,
                                         std::chrono::system_clock::time_point time) = 0;
  // The path in the form the system's own interfaces take it, for the few
  // libraries that open files themselves (the database client).
  virtual std::string NativePath(const std::string& path) const = 0;
  // Such a library may convert the name once more, by the calling thread's
  // locale (the database client does); while the scope lives, that locale
  // matches NativePath. Null where nothing needs to change.
  virtual std::unique_ptr<NativePathScope> EnterNativePathScope() = 0;

  // Empty when the variable is not set.
  virtual std::optional<std::string> EnvironmentVariable(const std::string& name) = 0;

  // The HTTPS client of this platform.
  virtual HttpClient& Http() = 0;
  // The primitives of the request encoding.
  virtual const RequestCrypto& Crypto() = 0;

  // The platform's path separator.
  virtual char PathSeparator() const = 0;

  // The kind of system this Env serves. The layers above choose their own
  // data for it (the database client's names, the server's profile), so
  // that no OS condition is compiled into them and tests can take either.
  enum class System { kPosix, kWindows };
  virtual System Kind() const = 0;

  // The process-wide default environment of this platform.
  static Env& Default();
};

}  // namespace korvun
