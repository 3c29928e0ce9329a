#include "platform/posix/fltk/proxy_credentials_window.hpp"

#include "platform/ui_texts.hpp"

namespace korvun::desktop {

ProxyCredentialsWindow::ProxyCredentialsWindow(const std::string& proxy)
    : DialogWindow(330, 150, ui_text::kProxyCaption) {
  auto* ask = MakeLabel(16, 12, 298, 32,
                        std::string(ui_text::kProxyAskStart) + proxy + ui_text::kProxyAskEnd);
  ask->align(ask->align() | FL_ALIGN_WRAP);
  MakeLabel(16, 52, 100, 21, ui_text::kProxyUser);
  MakeLabel(16, 80, 100, 21, ui_text::kProxyPassword);

  eUser = new Fl_Input(120, 52, 194, 21);
  UseDialogFont(eUser);
  eUser->when(FL_WHEN_CHANGED);
  eUser->callback([](Fl_Widget* field, void*) {
    auto* self = static_cast<ProxyCredentialsWindow*>(field->window());
    // Without a user name there is nothing to retry with.
    if (self->eUser->size() > 0)
      self->btnOK->activate();
    else
      self->btnOK->deactivate();
  });
  ePassword = new Fl_Secret_Input(120, 80, 194, 21);
  UseDialogFont(ePassword);

  btnOK = new Fl_Return_Button(158, 114, 75, 25);
  SetLabel(btnOK, ui_text::kProxyOk);
  UseDialogFont(btnOK);
  btnOK->deactivate();
  btnOK->callback([](Fl_Widget* b, void*) {
    static_cast<ProxyCredentialsWindow*>(b->window())->Finish(1);
  });
  btnCancel = new Fl_Button(239, 114, 75, 25);
  SetLabel(btnCancel, ui_text::kProxyCancel);
  UseDialogFont(btnCancel);
  btnCancel->callback([](Fl_Widget* b, void*) {
    static_cast<ProxyCredentialsWindow*>(b->window())->Finish(2);
  });
  end();
  eUser->take_focus();
}

}  // namespace korvun::desktop
