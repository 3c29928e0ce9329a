#include "platform/posix/fltk/fltk_dialog.hpp"

#include <FL/Fl.H>

#include "plugin/text_encoding.hpp"

namespace korvun::desktop {

Fl_Box* MakeLabel(int x, int y, int w, int h, const std::string& cp1252, bool bold) {
  auto* box = new Fl_Box(x, y, w, h);
  box->align(FL_ALIGN_LEFT | FL_ALIGN_TOP | FL_ALIGN_INSIDE | FL_ALIGN_CLIP);
  box->labelsize(kFontSize);
  box->labelfont(bold ? FL_HELVETICA_BOLD : FL_HELVETICA);
  SetLabel(box, cp1252);
  return box;
}

void SetLabel(Fl_Widget* widget, const std::string& cp1252) {
  widget->copy_label(Cp1252ToUtf8(cp1252).c_str());
}

DialogWindow::DialogWindow(int w, int h, const std::string& cp1252Caption)
    : Fl_Double_Window(w, h) {
  SetLabel(this, cp1252Caption);
  callback(&DialogWindow::CloseCallback);
}

int DialogWindow::RunModal() {
  end();
  CentreOnScreen(this);
  set_modal();
  show();
  while (shown()) Fl::wait();
  return result_;
}

void DialogWindow::Finish(int result) {
  result_ = result;
  hide();
}

void DialogWindow::OnCloseRequest(bool) { Finish(2); }

void DialogWindow::CloseCallback(Fl_Widget* w, void*) {
  const bool escapeKey = Fl::event() == FL_SHORTCUT && Fl::event_key() == FL_Escape;
  static_cast<DialogWindow*>(w)->OnCloseRequest(escapeKey);
}

void CentreOnScreen(Fl_Window* window) {
  int sx = 0, sy = 0, sw = 0, sh = 0;
  Fl::screen_work_area(sx, sy, sw, sh);
  window->position(sx + (sw - window->w()) / 2, sy + (sh - window->h()) / 2);
}

}  // namespace korvun::desktop
