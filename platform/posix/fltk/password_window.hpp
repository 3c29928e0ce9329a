// The password prompt of a run whose PIN is not stored.
#pragma once

#include <FL/Fl_Button.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Secret_Input.H>

#include <string>

#include "platform/posix/fltk/fltk_dialog.hpp"

namespace korvun::desktop {

class PasswordWindow : public DialogWindow {
 public:
  // Texts in Windows-1252.
  PasswordWindow(const std::string& importName, const std::string& login);

  Fl_Box* lbInfotext;
  Fl_Secret_Input* ePasswort;
  Fl_Return_Button* btnOk;
  Fl_Button* btnCancel;

 protected:
  // There is no close box to press: Escape does nothing, and a window
  // manager's close request counts as "Abbrechen".
  void OnCloseRequest(bool escapeKey) override;
};

}  // namespace korvun::desktop
