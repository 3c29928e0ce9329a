// The proxy credentials prompt: user name and password for a proxy that
// asked for them.
#pragma once

#include <string>

#include "platform/windows/ui_dialog.hpp"

namespace korvun::win {

class ProxyCredentialsDialog final : public Dialog {
 public:
  // The proxy's name in Windows-1252.
  explicit ProxyCredentialsDialog(const std::string& proxy);

  // True when "OK" closed the prompt; the fields as they were then.
  bool Ask();
  const std::string& User() const { return user_; }
  const std::string& Password() const { return password_; }

 private:
  void OnCommand(WORD id, WORD code) override;

  std::string user_;
  std::string password_;
};

}  // namespace korvun::win
