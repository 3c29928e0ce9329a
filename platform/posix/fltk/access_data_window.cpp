#include "platform/posix/fltk/access_data_window.hpp"

#include "platform/ui_dialog_rules.hpp"
#include "platform/ui_texts.hpp"
#include "base/text_encoding.hpp"

namespace korvun::desktop {
namespace {

constexpr int kButtonW = 75, kButtonH = 25;

template <class Input>
Input* MakeField(int x, int y, const std::string& cp1252) {
  auto* field = new Input(x, y, 159, 15);
  field->box(FL_FLAT_BOX);  // edit fields without border
  field->color(FL_WHITE);
  UseDialogFont(field);
  field->value(Cp1252ToUtf8(AccessFieldText(cp1252)).c_str());
  return field;
}

}  // namespace

AccessDataWindow::AccessDataWindow(const std::string& importVersion, const std::string& login,
                                   const std::string& pin, std::function<void()> onHelp)
    : DialogWindow(275, 190, ui_text::kAccessCaption), onHelp_(std::move(onHelp)) {
  MakeLabel(16, 8, 134, 16, ui_text::kAccessVersion, true);
  lbSSVersion = MakeLabel(152, 8, 110, 16, importVersion, true);
  MakeLabel(16, 33, 240, 15, ui_text::kAccessLogin);
  MakeLabel(16, 73, 180, 15, ui_text::kAccessPin);
  auto* lKey = MakeLabel(200, 73, 240, 15, ui_text::kAccessKey);
  lKey->hide();
  MakeLabel(16, 112, 8, 15, ui_text::kAccessStar);
  auto* hint = MakeLabel(24, 112, 243, 40, ui_text::kAccessPinHint);
  hint->align(hint->align() | FL_ALIGN_WRAP);

  // Created in tab order: login, PIN, the hidden key field, then the buttons.
  eUser = MakeField<Fl_Input>(16, 48, login);
  ePassword = MakeField<Fl_Secret_Input>(16, 88, pin);
  eKey = MakeField<Fl_Input>(200, 88, "");
  eKey->hide();

  btnCancel = new Fl_Button(100, 155, kButtonW, kButtonH);
  SetLabel(btnCancel, ui_text::kAccessCancel);
  UseDialogFont(btnCancel);
  btnCancel->callback([](Fl_Widget* b, void*) {
    static_cast<AccessDataWindow*>(b->window())->Finish(2);
  });

  btnOK = new Fl_Return_Button(184, 155, kButtonW, kButtonH);
  SetLabel(btnOK, ui_text::kAccessOk);
  UseDialogFont(btnOK);
  btnOK->callback([](Fl_Widget* b, void*) {
    static_cast<AccessDataWindow*>(b->window())->Finish(1);
  });

  btnHelp = new Fl_Button(16, 155, kButtonW, kButtonH);
  SetLabel(btnHelp, ui_text::kAccessHelp);
  UseDialogFont(btnHelp, true);
  btnHelp->callback([](Fl_Widget* b, void*) {
    auto* self = static_cast<AccessDataWindow*>(b->window());
    if (self->onHelp_) self->onHelp_();  // the dialog stays open
  });
  end();
  eUser->take_focus();
}

}  // namespace korvun::desktop
