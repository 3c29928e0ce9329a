#include "platform/windows/ui_access_data_dialog.hpp"

#include <shellapi.h>

#include <algorithm>

#include "platform/ui_dialog_rules.hpp"
#include "platform/ui_texts.hpp"
#include "platform/windows/ui_wide_text.hpp"

namespace korvun::win {
namespace {

enum : WORD {
  kVersionTitle = 1000,
  kVersion,
  kLoginTitle,
  kPinTitle,
  kKeyTitle,
  kStar,
  kPinHint,
  kLogin = 100,
  kPin,
  kKey,
  kHelp,
  kCancel = IDCANCEL,
  kOk = IDOK,
};

DialogControl Bold(DialogControl control) {
  control.bold = true;
  return control;
}

DialogControl Hidden(DialogControl control) {
  control.hidden = true;
  return control;
}

// Edit fields without a border, as drawn.
DialogControl FlatField(WORD id, int left, int top, const std::string& text, DWORD style = 0) {
  DialogControl field = EditField(id, left, top, 159, 15, style);
  field.text = AccessFieldText(text);
  return field;
}

DialogLayout AccessDataLayout(const std::string& importVersion, const std::string& login,
                              const std::string& pin) {
  DialogLayout layout{ui_text::kAccessCaption,
                      WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFOREGROUND,
                      275,
                      190,
                      {}};
  layout.controls = {
      Bold(Label(kVersionTitle, 16, 8, 134, 13, ui_text::kAccessVersion)),
      Bold(Label(kVersion, 152, 8, 115, 13, importVersion)),
      Label(kLoginTitle, 16, 33, 240, 13, ui_text::kAccessLogin),
      Label(kPinTitle, 16, 73, 150, 13, ui_text::kAccessPin),
      Hidden(Label(kKeyTitle, 200, 73, 200, 13, ui_text::kAccessKey)),
      Label(kStar, 16, 112, 8, 13, ui_text::kAccessStar),
      WrappedLabel(kPinHint, 24, 112, 209, 40, ui_text::kAccessPinHint),
      // Tab order: login, PIN, the hidden key field, then the buttons.
      FlatField(kLogin, 16, 48, login),
      FlatField(kPin, 16, 88, pin, ES_PASSWORD),
      Hidden(FlatField(kKey, 200, 88, "")),
      PushButton(kCancel, 100, 155, 75, 25, ui_text::kAccessCancel),
      PushButton(kOk, 184, 155, 75, 25, ui_text::kAccessOk, BS_DEFPUSHBUTTON),
      Bold(PushButton(kHelp, 16, 155, 75, 25, ui_text::kAccessHelp)),
  };
  return layout;
}

}  // namespace

AccessDataDialog::AccessDataDialog(const std::string& importVersion, const std::string& login,
                                   const std::string& pin)
    : Dialog(AccessDataLayout(importVersion, login, pin)) {}

// A font wider than designed would run the title into the version.
void AccessDataDialog::OnInit() { KeepRightOf(kVersion, kVersionTitle, 2); }

int AccessDataDialog::Run() { return RunModal() == 1 ? 1 : 2; }

void AccessDataDialog::OnCommand(WORD id, WORD code) {
  switch (id) {
    case kOk:
      login_ = ItemText(kLogin);
      pin_ = ItemText(kPin);
      End(1);
      break;
    case kCancel:  // the button, Escape and the close box
      End(2);
      break;
    case kHelp:
      // The dialog stays open; a manual that does not open changes nothing.
      if (code == BN_CLICKED)
        ::ShellExecuteW(Handle(), L"open", ManualPath().c_str(), nullptr, nullptr, SW_SHOWNORMAL);
      break;
    default:
      break;
  }
}

std::wstring ManualPath() {
  wchar_t program[MAX_PATH];
  const DWORD length = ::GetModuleFileNameW(nullptr, program, MAX_PATH);
  std::wstring folder(program, length < MAX_PATH ? length : 0);
  folder.erase(folder.find_last_of(L"\\/") + 1);
  std::wstring relative = WideFromCp1252(ui_text::kManualRelativePath);
  std::replace(relative.begin(), relative.end(), L'/', L'\\');
  return folder + relative;
}

}  // namespace korvun::win
