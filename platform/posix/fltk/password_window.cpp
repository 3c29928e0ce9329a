#include "platform/posix/fltk/password_window.hpp"

#include "platform/ui_dialog_rules.hpp"
#include "platform/ui_texts.hpp"

namespace korvun::desktop {

PasswordWindow::PasswordWindow(const std::string& importName, const std::string& login)
    : DialogWindow(319, 146, PasswordCaption(importName)) {
  MakeLabel(16, 16, 296, 16, ui_text::kPasswordAsk);
  lbInfotext = MakeLabel(16, 32, 296, 16, PasswordInfoLine(importName, login));

  ePasswort = new Fl_Secret_Input(16, 56, 201, 21);
  UseDialogFont(ePasswort);
  ePasswort->when(FL_WHEN_CHANGED);
  ePasswort->callback([](Fl_Widget* field, void*) {
    auto* self = static_cast<PasswordWindow*>(field->window());
    // "Ok" only while something is typed.
    if (self->ePasswort->size() > 0)
      self->btnOk->activate();
    else
      self->btnOk->deactivate();
  });

  btnOk = new Fl_Return_Button(232, 112, 75, 25);
  SetLabel(btnOk, ui_text::kPasswordOk);
  UseDialogFont(btnOk);
  btnOk->deactivate();
  btnOk->callback([](Fl_Widget* b, void*) {
    static_cast<PasswordWindow*>(b->window())->Finish(1);
  });

  btnCancel = new Fl_Button(144, 112, 75, 25);
  SetLabel(btnCancel, ui_text::kPasswordCancel);
  UseDialogFont(btnCancel);
  btnCancel->callback([](Fl_Widget* b, void*) {
    static_cast<PasswordWindow*>(b->window())->Finish(2);
  });
  end();
  ePasswort->take_focus();
}

void PasswordWindow::OnCloseRequest(bool escapeKey) {
  if (!escapeKey) Finish(2);
}

}  // namespace korvun::desktop
