#include <memory>

#include "platform/ui.hpp"

namespace korvun {
namespace {

// No person at the screen: nothing is shown and nothing is asked.
class SilentUi final : public Ui {
 public:
  bool Interactive() const override { return false; }
  bool AskPassword(const std::string&, const std::string&, std::string*) override { return false; }
  int EditAccessData(const std::string&, std::string*, std::string*, std::string*) override {
    return 2;
  }
  void ShowInformation(const std::string&, const std::string&) override {}
  void ProgressShow() override {}
  void ProgressHide() override {}
  bool ProgressCancelled() override { return false; }
  ProxyCredentials AskProxyCredentials(const std::string&, std::string*, std::string*) override {
    return ProxyCredentials::kUnavailable;
  }
  void ProcessPendingMessages() override {}
};

}  // namespace

std::unique_ptr<Ui> MakeSilentUi() { return std::make_unique<SilentUi>(); }

}  // namespace korvun
