// A platform whose files live in a map and whose HTTPS client answers with
// bytes given by the fuzzer, so a harness touches neither disk nor network
// and thousands of inputs a second stay affordable.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "platform/env.hpp"
#include "platform/http_client.hpp"
#include "platform/std_worker_thread.hpp"

namespace korvun::fuzz {

// One scripted answer: status, Content-Length header, body in blocks.
struct CannedAnswer {
  int status = 200;
  std::optional<std::string> contentLength;
  std::string body;
  size_t blockSize = 4096;
  bool failMidway = false;  // the connection breaks after the first block
};

class CannedRequest : public HttpRequest {
 public:
  explicit CannedRequest(const CannedAnswer& answer) : answer_(answer) {}
  bool Send() override { return true; }
  void SetProxyCredentials(const std::string&, const std::string&) override {}
  int StatusCode() const override { return answer_.status; }
  std::optional<std::string> ContentLength() const override { return answer_.contentLength; }
  std::string ProxyName() const override { return "127.0.0.1:9"; }
  HttpRead Read(char* buffer, std::size_t size, std::size_t* got) override {
    if (at_ >= answer_.body.size()) return HttpRead::kEnd;
    if (answer_.failMidway && at_ > 0) {
      failure_ = {56, "Failure when receiving data from the peer"};
      return HttpRead::kFailed;
    }
    *got = std::min({size, answer_.blockSize, answer_.body.size() - at_});
    std::memcpy(buffer, answer_.body.data() + at_, *got);
    at_ += *got;
    return HttpRead::kData;
  }
  const HttpFailure& Failure() const override { return failure_; }

 private:
  const CannedAnswer& answer_;
  size_t at_ = 0;
  HttpFailure failure_;
};

class CannedHttp : public HttpClient {
 public:
  CannedAnswer answer;
  std::unique_ptr<HttpRequest> Open(const HttpGet&, HttpFailure*) override {
    return std::make_unique<CannedRequest>(answer);
  }
};

class MemoryEnv : public Env {
 public:
  std::map<std::string, std::string> files;
  CannedHttp http;

  RegistryRead ReadRegistryString(const std::string&, const std::string&, std::string*) override {
    return RegistryRead::kMissing;
  }
  bool RegistryKeyExists(const std::string&) override { return false; }
  LocalTime Now() override { return {2026, 12, 8, 12, 0, 0}; }
  void SleepMilliseconds(int) override {}
  std::unique_ptr<WorkerThread> StartThread(std::function<void()> work) override {
    return StartStdWorkerThread(std::move(work));
  }
  bool CanConnectTcp(const std::string&, int) override { return false; }
  bool ServiceKnown(const std::string&) override { return false; }
  bool ServiceRunning(const std::string&) override { return false; }
  bool ServiceStarting(const std::string&) override { return false; }
  ServiceStart StartService(const std::string&) override {
    return {ServiceStart::Outcome::kNoServiceManager, 0, {}};
  }
  bool TopLevelWindowExists(const std::string&, const std::string&) override { return false; }
  bool StartDetachedProcess(const std::string&) override { return false; }
  void* LoadSharedLibrary(const std::string&, std::string*) override { return nullptr; }
  void* FindSymbol(void*, const std::string&) override { return nullptr; }
  void ReleaseSharedLibrary(void*) override {}

  Status NewSequentialFile(const std::string& path, std::unique_ptr<SequentialFile>* result) override;
  Status NewRandomAccessFile(const std::string& path,
                             std::unique_ptr<RandomAccessFile>* result) override;
  Status NewWritableFile(const std::string& path, std::unique_ptr<WritableFile>* result) override;
  Status WriteFileAtomically(const std::string& path, std::string_view data) override {
    files[path] = std::string(data);
    return Status::Ok();
  }
  Status RenameFile(const std::string& from, const std::string& to) override {
    auto it = files.find(from);
    if (it == files.end()) return Missing(from);
    files[to] = std::move(it->second);
    files.erase(from);
    return Status::Ok();
  }
  Status RemoveFile(const std::string& path) override {
    return files.erase(path) ? Status::Ok() : Missing(path);
  }
  Status GetChildren(const std::string&, std::vector<FolderEntry>* entries) override {
    entries->clear();
    return Status::Ok();
  }
  Status CreateDir(const std::string&) override { return Status::Ok(); }
  bool FileExists(const std::string& path) override { return files.count(path) != 0; }
  Status SetFileModificationTime(const std::string&, std::chrono::system_clock::time_point) override {
    return Status::Ok();
  }
  std::string NativePath(const std::string& path) const override { return path; }
  std::unique_ptr<NativePathScope> EnterNativePathScope() override { return nullptr; }
  std::optional<std::string> EnvironmentVariable(const std::string&) override { return {}; }
  HttpClient& Http() override { return http; }
  const RequestCrypto& Crypto() override { std::abort(); }  // no harness encodes requests
  char PathSeparator() const override { return '/'; }
  System Kind() const override { return System::kPosix; }

 private:
  static Status Missing(const std::string& path) {
    return Status(ExportErrorCode::kUnexpectedFailure).WithDetailText("Datei fehlt: " + path);
  }
};

class MemorySequentialFile : public SequentialFile {
 public:
  explicit MemorySequentialFile(std::string data) : data_(std::move(data)) {}
  Status Read(size_t n, std::string_view* result, char* scratch) override {
    const size_t got = std::min(n, data_.size() - at_);
    std::memcpy(scratch, data_.data() + at_, got);
    at_ += got;
    *result = std::string_view(scratch, got);
    return Status::Ok();
  }

 private:
  std::string data_;
  size_t at_ = 0;
};

// Reads a copy of the file as it was when opened.
class MemoryRandomAccessFile : public RandomAccessFile {
 public:
  explicit MemoryRandomAccessFile(std::string data) : data_(std::move(data)) {}
  Status Read(uint64_t offset, size_t n, std::string_view* result, char* scratch) const override {
    const size_t at = static_cast<size_t>(std::min<uint64_t>(offset, data_.size()));
    const size_t got = std::min(n, data_.size() - at);
    std::memcpy(scratch, data_.data() + at, got);
    *result = std::string_view(scratch, got);
    return Status::Ok();
  }
  uint64_t Size() const override { return data_.size(); }

 private:
  std::string data_;
};

// Looks its file up on every write, so a removal meanwhile cannot leave it
// pointing at freed memory.
class MemoryWritableFile : public WritableFile {
 public:
  MemoryWritableFile(std::map<std::string, std::string>* files, std::string path)
      : files_(files), path_(std::move(path)) {}
  Status Append(std::string_view data) override {
    (*files_)[path_].append(data);
    return Status::Ok();
  }
  Status Flush() override { return Status::Ok(); }
  Status Close() override { return Status::Ok(); }

 private:
  std::map<std::string, std::string>* files_;
  std::string path_;
};

inline Status MemoryEnv::NewSequentialFile(const std::string& path,
                                           std::unique_ptr<SequentialFile>* result) {
  auto it = files.find(path);
  if (it == files.end()) return Missing(path);
  *result = std::make_unique<MemorySequentialFile>(it->second);
  return Status::Ok();
}

inline Status MemoryEnv::NewRandomAccessFile(const std::string& path,
                                             std::unique_ptr<RandomAccessFile>* result) {
  auto it = files.find(path);
  if (it == files.end()) return Missing(path);
  *result = std::make_unique<MemoryRandomAccessFile>(it->second);
  return Status::Ok();
}

inline Status MemoryEnv::NewWritableFile(const std::string& path,
                                         std::unique_ptr<WritableFile>* result) {
  files[path].clear();
  *result = std::make_unique<MemoryWritableFile>(&files, path);
  return Status::Ok();
}

}  // namespace korvun::fuzz
