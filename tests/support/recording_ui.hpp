// A person at the screen, scripted: answers prompts as told and records
// every window that was shown.
#pragma once

#include <string>
#include <vector>

#include "platform/ui.hpp"

namespace korvun::testing {

class RecordingUi : public Ui {
 public:
  bool interactive = true;
  bool confirmPassword = true;
  std::string typedPin = "4321";
  int accessDialogResult = 2;
  std::vector<std::string> shown;  // "password:<import>:<login>", "info:<caption>:<text>", ...

  bool Interactive() const override { return interactive; }
  bool AskPassword(const std::string& importName, const std::string& login,
                   std::string* pin) override {
    shown.push_back("password:" + importName + ":" + login);
    if (!confirmPassword) return false;
    *pin = typedPin;
    return true;
  }
  int EditAccessData(const std::string&, std::string*, std::string*, std::string*) override {
    shown.push_back("access");
    return accessDialogResult;
  }
  void ShowInformation(const std::string& caption, const std::string& text) override {
    shown.push_back("info:" + caption + ":" + text);
  }
  void ProgressShow() override { shown.push_back("progress-show"); }
  void ProgressHide() override { shown.push_back("progress-hide"); }
  bool ProgressCancelled() override { return false; }
  ProxyCredentials AskProxyCredentials(const std::string&, std::string*, std::string*) override {
    shown.push_back("proxy");
    return ProxyCredentials::kDismissed;
  }
  void ProcessPendingMessages() override {}
};

}  // namespace korvun::testing
