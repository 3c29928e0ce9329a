#include "platform/windows/ui_password_dialog.hpp"

#include "platform/ui_dialog_rules.hpp"
#include "platform/ui_texts.hpp"

namespace korvun::win {
namespace {

enum : WORD { kAsk = 1000, kInfo, kPin, kOk = IDOK, kCancel = 100 };

DialogLayout PasswordLayout(const std::string& importName, const std::string& login) {
  DialogLayout layout{PasswordCaption(importName),
                      WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_SETFOREGROUND,
                      319,
                      146,
                      {}};
  layout.controls = {
      Label(kAsk, 16, 16, 296, 13, ui_text::kPasswordAsk),
      Label(kInfo, 16, 32, 296, 13, PasswordInfoLine(importName, login)),
      EditField(kPin, 16, 56, 201, 21, ES_PASSWORD),
      PushButton(kOk, 232, 112, 75, 25, ui_text::kPasswordOk, BS_DEFPUSHBUTTON),
      PushButton(kCancel, 144, 112, 75, 25, ui_text::kPasswordCancel),
  };
  layout.controls[2].exStyle = WS_EX_CLIENTEDGE;
  layout.controls[3].disabled = true;  // nothing typed yet
  return layout;
}

}  // namespace

PasswordDialog::PasswordDialog(const std::string& importName, const std::string& login)
    : Dialog(PasswordLayout(importName, login)) {}

bool PasswordDialog::Ask(std::string* pin) {
  if (RunModal() != 1 || typed_.empty()) return false;
  *pin = typed_;
  return true;
}

// Alt+F4 still closes the prompt as a cancel, though it shows no close box.
bool PasswordDialog::OnMessage(UINT message, WPARAM, LPARAM, INT_PTR*) {
  if (message != WM_CLOSE) return false;
  End(2);
  return true;
}

void PasswordDialog::OnInit() { EnableItem(kOk, false); }

void PasswordDialog::OnCommand(WORD id, WORD code) {
  switch (id) {
    case kPin:
      // "Ok" only while something is typed.
      if (code == EN_CHANGE) EnableItem(kOk, ::GetWindowTextLengthW(Item(kPin)) > 0);
      break;
    case kOk:
      // Enter reaches here even while "Ok" is disabled.
      typed_ = ItemText(kPin);
      if (!typed_.empty()) End(1);
      break;
    case kCancel:
      if (code == BN_CLICKED) End(2);
      break;
    default:
      // Escape (IDCANCEL) means nothing here: the prompt has no close box and
      // no cancel key, only the button.
      break;
  }
}

}  // namespace korvun::win
