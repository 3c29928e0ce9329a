// A message box with the information sign and one "OK" button.
#pragma once

#include <FL/Fl_Return_Button.H>

#include <string>

#include "platform/posix/fltk/fltk_dialog.hpp"

namespace korvun::desktop {

class InformationWindow : public DialogWindow {
 public:
  // Texts in Windows-1252; lines are separated by CR, LF or both.
  InformationWindow(const std::string& caption, const std::string& text);

  Fl_Box* icon;
  Fl_Box* message;
  Fl_Return_Button* btnOK;
};

}  // namespace korvun::desktop
