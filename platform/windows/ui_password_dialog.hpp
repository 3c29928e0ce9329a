// The password prompt: asks for the PIN of a login ID when none was stored.
#pragma once

#include <string>

#include "platform/windows/ui_dialog.hpp"

namespace korvun::win {

class PasswordDialog final : public Dialog {
 public:
  // Texts in Windows-1252.
  PasswordDialog(const std::string& importName, const std::string& login);

  // True and the PIN as typed when "Ok" closed the prompt.
  bool Ask(std::string* pin);

 private:
  void OnInit() override;
  void OnCommand(WORD id, WORD code) override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR* result) override;

  std::string typed_;
};

}  // namespace korvun::win
