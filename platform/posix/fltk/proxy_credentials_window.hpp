// Asks for user and password of a proxy server that wants them.
#pragma once

#include <FL/Fl_Button.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Secret_Input.H>

#include <string>

#include "platform/posix/fltk/fltk_dialog.hpp"

namespace korvun::desktop {

class ProxyCredentialsWindow : public DialogWindow {
 public:
  // The proxy in Windows-1252.
  explicit ProxyCredentialsWindow(const std::string& proxy);

  Fl_Input* eUser;
  Fl_Secret_Input* ePassword;
  Fl_Return_Button* btnOK;
  Fl_Button* btnCancel;
};

}  // namespace korvun::desktop
