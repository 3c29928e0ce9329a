// The access-data dialog: login ID and PIN of the intermediary, and a button
// that opens the manual.
#pragma once

#include <string>

#include "platform/windows/ui_dialog.hpp"

namespace korvun::win {

class AccessDataDialog final : public Dialog {
 public:
  // Texts in Windows-1252.
  AccessDataDialog(const std::string& importVersion, const std::string& login,
                   const std::string& pin);

  // 1 for "OK" (or Enter), 2 for "Abbrechen", Escape or the close box.
  int Run();
  // The fields as they were when "OK" closed the dialog.
  const std::string& Login() const { return login_; }
  const std::string& Pin() const { return pin_; }

 private:
  void OnInit() override;
  void OnCommand(WORD id, WORD code) override;

  std::string login_;
  std::string pin_;
};

// The manual beside the host program: its folder + Korvun\ZUV\....pdf, in
// UTF-16 so that any folder name of the host's works.
std::wstring ManualPath();

}  // namespace korvun::win
