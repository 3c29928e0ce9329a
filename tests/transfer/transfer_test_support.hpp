// Helpers of the transfer tests: a scripted dialog layer, a run context
// whose reports are recorded, environment variables set for one test.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/env.hpp"
#include "plugin/module_state.hpp"
#include "platform/run_context.hpp"
#include "tests/support/progress_recorder.hpp"
#include "tests/support/status_printing.hpp"
#include "tests/support/recording_ui.hpp"

namespace korvun::testing {

// Sets or clears one environment variable and restores it afterwards.
class ScopedEnvVar {
 public:
  ScopedEnvVar(const char* name, const std::optional<std::string>& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) setenv(name, value->c_str(), 1);
    else unsetenv(name);
  }
  ~ScopedEnvVar() {
    if (old_) setenv(name_.c_str(), old_->c_str(), 1);
    else unsetenv(name_.c_str());
  }
  ScopedEnvVar(const ScopedEnvVar&) = delete;
  ScopedEnvVar& operator=(const ScopedEnvVar&) = delete;

 private:
  std::string name_;
  std::optional<std::string> old_;
};

// No proxy of the machine may stand between the tests and 127.0.0.1.
class NoProxyEnvironment {
 public:
  NoProxyEnvironment()
      : a_("http_proxy", std::nullopt), b_("https_proxy", std::nullopt),
        c_("HTTPS_PROXY", std::nullopt), d_("all_proxy", std::nullopt),
        e_("ALL_PROXY", std::nullopt), f_("no_proxy", std::nullopt), g_("NO_PROXY", std::nullopt) {}

 private:
  ScopedEnvVar a_, b_, c_, d_, e_, f_, g_;
};

// The dialog layer as a person would answer it, with counters.
class TransferUi : public RecordingUi {
 public:
  int cancelOnCheck = 0;  // ProgressCancelled turns true on this call (1-based); 0: never
  int cancelChecks = 0;
  int pumps = 0;
  std::vector<ProxyCredentials> proxyAnswers;  // in order; afterwards kDismissed
  std::string proxyUser = "user", proxyPassword = "pass";
  std::vector<std::string> proxiesAsked;

  bool ProgressCancelled() override {
    ++cancelChecks;
    return cancelOnCheck > 0 && cancelChecks >= cancelOnCheck;
  }
  void ProcessPendingMessages() override { ++pumps; }
  ProxyCredentials AskProxyCredentials(const std::string& proxy, std::string* user,
                                       std::string* password) override {
    proxiesAsked.push_back(proxy);
    shown.push_back("proxy");
    const std::size_t n = proxiesAsked.size() - 1;
    const ProxyCredentials answer = n < proxyAnswers.size() ? proxyAnswers[n] : ProxyCredentials::kDismissed;
    if (answer == ProxyCredentials::kGiven) {
      *user = proxyUser;
      *password = proxyPassword;
    }
    return answer;
  }
};

// A run context whose reports land in RecordedProgress().
struct RecordedContext {
  TransferUi ui;
  Reporter reporter{&RecordProgress};
  ErrorDetails errors;  // the details of every status returned, as the run keeps them
  RunContext ctx{Env::Default(), ui, reporter, 0};

  ExportErrorCode Keep(const Status& status) {
    errors.Take(status);
    return status.code();
  }

  RecordedContext() { RecordedProgress().clear(); }

  std::vector<std::string> Texts(int kind) const {
    std::vector<std::string> out;
    for (const auto& e : RecordedProgress())
      if (e.kind == kind) out.push_back(e.text);
    return out;
  }
  int Count(int kind) const {
    int n = 0;
    for (const auto& e : RecordedProgress()) n += e.kind == kind;
    return n;
  }
};

// A fresh folder under the temp directory, removed afterwards; Path() ends
// with "/".
class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "korvun-transfer-XXXXXX").string();
    path_ = mkdtemp(pattern.data()) ? pattern : "";
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  std::string Path() const { return path_ + "/"; }
  std::filesystem::path operator/(const std::string& name) const { return std::filesystem::path(path_) / name; }

 private:
  std::string path_;
};

std::string ReadFileBytes(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes);
std::vector<std::string> ListDir(const std::string& dir);

}  // namespace korvun::testing
