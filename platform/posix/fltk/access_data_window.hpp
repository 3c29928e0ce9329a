// The access-data dialog: login ID and PIN of the intermediary.
#pragma once

#include <FL/Fl_Button.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Secret_Input.H>

#include <functional>
#include <string>

#include "platform/posix/fltk/fltk_dialog.hpp"

namespace korvun::desktop {

class AccessDataWindow : public DialogWindow {
 public:
  // Texts in Windows-1252; onHelp opens the manual.
  AccessDataWindow(const std::string& importVersion, const std::string& login,
                   const std::string& pin, std::function<void()> onHelp);

  Fl_Box* lbSSVersion;
  Fl_Input* eUser;
  Fl_Secret_Input* ePassword;
  Fl_Input* eKey;
  Fl_Button* btnHelp;
  Fl_Button* btnCancel;
  Fl_Return_Button* btnOK;

 private:
  std::function<void()> onHelp_;
};

}  // namespace korvun::desktop
