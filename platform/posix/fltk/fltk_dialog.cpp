#include "platform/posix/fltk/fltk_dialog.hpp"

#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Input_.H>

#include "base/text_encoding.hpp"

namespace korvun::desktop {

namespace {
constexpr Fl_Font kRegular = FL_FREE_FONT + 8;
constexpr Fl_Font kBold = FL_FREE_FONT + 9;
}  // namespace

void SetUpDialogFonts() {
  // Font names lead with their style: ' ' regular, 'B' bold. A missing face
  // falls back to the closest one the system has.
  Fl::set_font(kRegular, " DejaVu Sans Condensed");
  Fl::set_font(kBold, "BDejaVu Sans Condensed");
}

Fl_Font DialogFont(bool bold) { return bold ? kBold : kRegular; }

void UseDialogFont(Fl_Widget* widget, bool bold) {
  widget->labelfont(DialogFont(bold));
  widget->labelsize(kFontSize);
  if (auto* input = dynamic_cast<Fl_Input_*>(widget)) {
    input->textfont(DialogFont(false));
    input->textsize(kFontSize);
  }
}

Fl_Box* MakeLabel(int x, int y, int w, int h, const std::string& cp1252, bool bold) {
  auto* box = new Fl_Box(x, y, w, h);
  box->align(FL_ALIGN_LEFT | FL_ALIGN_TOP | FL_ALIGN_INSIDE);
  UseDialogFont(box, bold);
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

int DialogWindow::handle(int event) {
  const bool enter = Fl::event_key() == FL_Enter || Fl::event_key() == FL_KP_Enter;
  if (event != FL_SHORTCUT || !enter) return Fl_Double_Window::handle(event);
  // Enter presses the button that has the focus, so "Abbrechen" reached with
  // Tab cancels; otherwise it belongs to the default button, and while that is
  // disabled it does nothing (the toolkit would otherwise move the focus on).
  if (auto* focused = dynamic_cast<Fl_Button*>(Fl::focus());
      focused && focused->window() == this && focused->active_r()) {
    focused->do_callback();
    return 1;
  }
  for (int i = 0; i < children(); ++i) {
    Fl_Widget* c = child(i);
    if (c->takesevents() && c->handle(FL_SHORTCUT)) return 1;
  }
  return 1;
}

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
