#include "platform/windows/ui_proxy_credentials_dialog.hpp"

#include "platform/ui_texts.hpp"

namespace korvun::win {
namespace {

enum : WORD {
  kAsk = 1000,
  kUserTitle,
  kPasswordTitle,
  kUser = 100,
  kPassword,
  kOk = IDOK,
  kCancel = IDCANCEL
};

DialogControl Sunken(DialogControl field) {
  field.exStyle = WS_EX_CLIENTEDGE;
  return field;
}

DialogLayout ProxyLayout(const std::string& proxy) {
  DialogLayout layout{ui_text::kProxyCaption,
                      WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFOREGROUND,
                      330,
                      150,
                      {}};
  layout.controls = {
      WrappedLabel(kAsk, 16, 12, 298, 32,
                   std::string(ui_text::kProxyAskStart) + proxy + ui_text::kProxyAskEnd),
      Label(kUserTitle, 16, 56, 100, 13, ui_text::kProxyUser),
      Label(kPasswordTitle, 16, 84, 100, 13, ui_text::kProxyPassword),
      Sunken(EditField(kUser, 120, 52, 194, 21)),
      Sunken(EditField(kPassword, 120, 80, 194, 21, ES_PASSWORD)),
      PushButton(kOk, 158, 114, 75, 25, ui_text::kProxyOk, BS_DEFPUSHBUTTON),
      PushButton(kCancel, 239, 114, 75, 25, ui_text::kProxyCancel),
  };
  layout.controls[5].disabled = true;  // no user name yet
  return layout;
}

}  // namespace

ProxyCredentialsDialog::ProxyCredentialsDialog(const std::string& proxy)
    : Dialog(ProxyLayout(proxy)) {}

bool ProxyCredentialsDialog::Ask() { return RunModal() == 1; }

void ProxyCredentialsDialog::OnCommand(WORD id, WORD code) {
  switch (id) {
    case kUser:
      // Without a user name there is nothing to retry with.
      if (code == EN_CHANGE) EnableItem(kOk, ::GetWindowTextLengthW(Item(kUser)) > 0);
      break;
    case kOk:
      user_ = ItemText(kUser);
      password_ = ItemText(kPassword);
      if (!user_.empty()) End(1);
      break;
    case kCancel:  // the button, Escape and the close box
      End(2);
      break;
    default:
      break;
  }
}

}  // namespace korvun::win
