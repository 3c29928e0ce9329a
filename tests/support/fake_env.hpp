// A scriptable platform for tests: registry values in a map, a settable
// clock, and records of what the core asked of the system. Everything else
// (files, libraries, the HTTPS client) is the real platform's.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/env_wrapper.hpp"

namespace korvun::testing {

class FakeEnv : public EnvWrapper {
 public:
  FakeEnv() : EnvWrapper(&Env::Default()) {}

  struct RegistryValue {
    bool isString = true;
    std::string text;
  };

  // Values under HKEY_LOCAL_MACHINE; key paths compared without regard to case.
  void SetString(const std::string& key, const std::string& name, const std::string& value) {
    registry_[Upper(key)][Upper(name)] = {true, value};
  }
  void SetNonString(const std::string& key, const std::string& name) {
    registry_[Upper(key)][Upper(name)] = {false, ""};
  }
  void AddKey(const std::string& key) { registry_[Upper(key)]; }

  RegistryRead ReadRegistryString(const std::string& key, const std::string& name,
                                  std::string* value) override {
    reads.push_back(name);
    auto k = registry_.find(Upper(key));
    if (k == registry_.end()) return RegistryRead::kMissing;
    auto v = k->second.find(Upper(name));
    if (v == k->second.end()) return RegistryRead::kMissing;
    if (!v->second.isString) return RegistryRead::kWrongType;
    *value = v->second.text;
    return RegistryRead::kString;
  }
  bool RegistryKeyExists(const std::string& key) override { return registry_.count(Upper(key)) != 0; }

  LocalTime now{2026, 12, 7, 14, 5, 9};
  LocalTime Now() override { return now; }

  std::vector<int> sleeps;
  void SleepMilliseconds(int ms) override { sleeps.push_back(ms); }

  // host:port -> reachable
  std::map<std::string, bool> tcp;
  std::vector<std::string> tcpChecks;
  bool CanConnectTcp(const std::string& host, int port) override {
    const std::string k = host + ":" + std::to_string(port);
    tcpChecks.push_back(k);
    auto it = tcp.find(k);
    return it != tcp.end() && it->second;
  }

  std::map<std::string, bool> serviceKnown, serviceRunning, serviceStarting, serviceStartSucceeds;
  std::vector<std::string> serviceStarts, processStarts;
  // Why a start that fails fails.
  ServiceStart serviceRefusal{ServiceStart::Outcome::kRefused, 5, "Zugriff verweigert"};
  bool ServiceKnown(const std::string& n) override { return serviceKnown[n]; }
  bool ServiceRunning(const std::string& n) override { return serviceRunning[n]; }
  bool ServiceStarting(const std::string& n) override { return serviceStarting[n]; }
  ServiceStart StartService(const std::string& n) override {
    serviceStarts.push_back(n);
    return serviceStartSucceeds[n] ? ServiceStart{} : serviceRefusal;
  }
  // "class|title" of the top-level windows there are.
  std::map<std::string, bool> windows;
  bool TopLevelWindowExists(const std::string& windowClass, const std::string& title) override {
    return windows[windowClass + "|" + title];
  }

  // Libraries released; the real platform releases them as well.
  std::vector<void*> releasedLibraries;
  void ReleaseSharedLibrary(void* library) override {
    releasedLibraries.push_back(library);
    EnvWrapper::ReleaseSharedLibrary(library);
  }

  std::map<std::string, bool> processStartSucceeds;
  bool StartDetachedProcess(const std::string& path) override {
    processStarts.push_back(path);
    return processStartSucceeds[path];
  }

  // A full disk can be simulated for the written files: once `diskSpace`
  // bytes are written to one, further writes fail.
  std::optional<size_t> diskSpace;
  Status NewWritableFile(const std::string& path, std::unique_ptr<WritableFile>* result) override {
    Status created = EnvWrapper::NewWritableFile(path, result);
    if (created.ok() && diskSpace)
      *result = std::make_unique<FullDiskFile>(std::move(*result), *diskSpace, path);
    return created;
  }

  char PathSeparator() const override { return '/'; }

  std::vector<std::string> reads;

 private:
  class FullDiskFile : public WritableFile {
   public:
    FullDiskFile(std::unique_ptr<WritableFile> real, size_t space, std::string path)
        : real_(std::move(real)), space_(space), path_(std::move(path)) {}
    Status Append(std::string_view data) override {
      if (data.size() > space_) {
        real_->Append(data.substr(0, space_));
        space_ = 0;
        failed_ = true;
        return Full();
      }
      space_ -= data.size();
      return real_->Append(data);
    }
    Status Flush() override { return failed_ ? Full() : real_->Flush(); }
    Status Close() override {
      const Status closed = real_->Close();
      return failed_ ? Full() : closed;
    }

   private:
    Status Full() const { return Status::Unexpected("Datentr\xE4ger voll: " + path_); }

    std::unique_ptr<WritableFile> real_;
    size_t space_;
    std::string path_;
    bool failed_ = false;
  };

  static std::string Upper(std::string s) {
    for (char& c : s)
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
  }
  std::map<std::string, std::map<std::string, RegistryValue>> registry_;
};

}  // namespace korvun::testing
