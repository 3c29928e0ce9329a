#include "platform/posix/fltk/information_window.hpp"

#include <FL/fl_draw.H>

#include <algorithm>

#include "platform/ui_texts.hpp"
#include "base/strings.hpp"
#include "base/text_encoding.hpp"

namespace korvun::desktop {
namespace {

std::string DisplayLines(const std::string& cp1252) {
  return Cp1252ToUtf8(ReplaceLineBreaks(cp1252, "\n"));
}

constexpr int kMargin = 16, kIcon = 32, kButtonW = 75, kButtonH = 25;

}  // namespace

InformationWindow::InformationWindow(const std::string& caption, const std::string& text)
    : DialogWindow(300, 120, caption) {
  const std::string lines = DisplayLines(text);
  fl_font(DialogFont(), kFontSize);
  int textW = 0, textH = 0;
  fl_measure(lines.c_str(), textW, textH, 0);
  const int w = std::max(kMargin * 3 + kIcon + textW, 2 * kMargin + kButtonW);
  const int bodyH = std::max(kIcon, textH);
  const int h = kMargin * 3 + bodyH + kButtonH;
  size(w, h);

  icon = new Fl_Box(kMargin, kMargin, kIcon, kIcon, "i");
  icon->box(FL_OVAL_BOX);
  icon->color(FL_BLUE);
  icon->labelcolor(FL_WHITE);
  icon->labelfont(FL_TIMES_BOLD);
  icon->labelsize(22);

  message = new Fl_Box(kMargin * 2 + kIcon, kMargin, textW, bodyH);
  message->align(FL_ALIGN_LEFT | FL_ALIGN_TOP | FL_ALIGN_INSIDE);
  UseDialogFont(message);
  message->copy_label(lines.c_str());

  btnOK = new Fl_Return_Button((w - kButtonW) / 2, h - kMargin - kButtonH, kButtonW, kButtonH);
  SetLabel(btnOK, ui_text::kInformationOk);
  UseDialogFont(btnOK);
  btnOK->callback([](Fl_Widget* b, void*) {
    static_cast<InformationWindow*>(b->window())->Finish(1);
  });
  end();
  btnOK->take_focus();
}

}  // namespace korvun::desktop
