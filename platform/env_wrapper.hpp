// An Env that hands every call to another one, so that a double overrides
// only the calls it changes and fault injection can sit in front of any Env.
#pragma once

#include <utility>

#include "platform/env.hpp"

namespace korvun {

class EnvWrapper : public Env {
 public:
  // The target is not owned and must outlive the wrapper.
  explicit EnvWrapper(Env* target) : target_(target) {}

  Env* target() const { return target_; }

  RegistryRead ReadRegistryString(const std::string& key, const std::string& name,
                                  std::string* value) override {
    return target_->ReadRegistryString(key, name, value);
  }
  bool RegistryKeyExists(const std::string& key) override {
    return target_->RegistryKeyExists(key);
  }

  LocalTime Now() override { return target_->Now(); }
  void SleepMilliseconds(int ms) override { target_->SleepMilliseconds(ms); }
  std::unique_ptr<WorkerThread> StartThread(std::function<void()> work) override {
    return target_->StartThread(std::move(work));
  }

  bool CanConnectTcp(const std::string& host, int port) override {
    return target_->CanConnectTcp(host, port);
  }
  bool ServiceKnown(const std::string& name) override { return target_->ServiceKnown(name); }
  bool ServiceRunning(const std::string& name) override { return target_->ServiceRunning(name); }
  bool ServiceStarting(const std::string& name) override { return target_->ServiceStarting(name); }
  ServiceStart StartService(const std::string& name) override { return target_->StartService(name); }
  bool TopLevelWindowExists(const std::string& windowClass, const std::string& title) override {
    return target_->TopLevelWindowExists(windowClass, title);
  }
  bool StartDetachedProcess(const std::string& path) override {
    return target_->StartDetachedProcess(path);
  }

  void* LoadSharedLibrary(const std::string& name, std::string* error) override {
    return target_->LoadSharedLibrary(name, error);
  }
  void* FindSymbol(void* library, const std::string& name) override {
    return target_->FindSymbol(library, name);
  }
  void ReleaseSharedLibrary(void* library) override { target_->ReleaseSharedLibrary(library); }
  std::string InstalledDataDir() const override { return target_->InstalledDataDir(); }

  Status NewSequentialFile(const std::string& path,
                           std::unique_ptr<SequentialFile>* result) override {
    return target_->NewSequentialFile(path, result);
  }
  Status NewRandomAccessFile(const std::string& path,
                             std::unique_ptr<RandomAccessFile>* result) override {
    return target_->NewRandomAccessFile(path, result);
  }
  Status NewWritableFile(const std::string& path, std::unique_ptr<WritableFile>* result) override {
    return target_->NewWritableFile(path, result);
  }
  Status WriteFileAtomically(const std::string& path, std::string_view data) override {
    return target_->WriteFileAtomically(path, data);
  }
  Status RenameFile(const std::string& from, const std::string& to) override {
    return target_->RenameFile(from, to);
  }
  Status RemoveFile(const std::string& path) override { return target_->RemoveFile(path); }
  Status GetChildren(const std::string& dir, std::vector<FolderEntry>* entries) override {
    return target_->GetChildren(dir, entries);
  }
  Status CreateDir(const std::string& dir) override { return target_->CreateDir(dir); }
  bool FileExists(const std::string& path) override { return target_->FileExists(path); }
  Status SetFileModificationTime(const std::string& path,
                                 std::chrono::system_clock::time_point time) override {
    return target_->SetFileModificationTime(path, time);
  }
  std::string NativePath(const std::string& path) const override {
    return target_->NativePath(path);
  }
  std::unique_ptr<NativePathScope> EnterNativePathScope() override {
    return target_->EnterNativePathScope();
  }

  std::optional<std::string> EnvironmentVariable(const std::string& name) override {
    return target_->EnvironmentVariable(name);
  }

  HttpClient& Http() override { return target_->Http(); }
  const RequestCrypto& Crypto() override { return target_->Crypto(); }
  char PathSeparator() const override { return target_->PathSeparator(); }
  System Kind() const override { return target_->Kind(); }

 private:
  Env* target_;
};

}  // namespace korvun
