#include "platform/windows/ui_dialog_template.hpp"

#include <utility>

namespace korvun::win {
namespace {

// Nominal dialog base units of an 8 pt "MS Sans Serif" at 96 dpi. Only a first
// guess: the dialog moves its controls to their pixel positions anyway.
constexpr int kBaseUnitX = 6;
constexpr int kBaseUnitY = 13;

short ToUnitsX(int pixels) { return static_cast<short>(MulDiv(pixels, 4, kBaseUnitX)); }
short ToUnitsY(int pixels) { return static_cast<short>(MulDiv(pixels, 8, kBaseUnitY)); }

class TemplateWriter {
 public:
  void Word(WORD value) { words_.push_back(value); }
  void Short(short value) { words_.push_back(static_cast<WORD>(value)); }
  void Dword(DWORD value) {
    Word(LOWORD(value));
    Word(HIWORD(value));
  }
  // UTF-16, as the template holds every text.
  void Text(const wchar_t* text) {
    for (const wchar_t* c = text; *c; ++c) Word(static_cast<WORD>(*c));
    Word(0);
  }
  void AlignToDword() {
    if (words_.size() % 2) Word(0);
  }
  std::vector<WORD> Take() { return std::move(words_); }

 private:
  std::vector<WORD> words_;
};

}  // namespace

DialogControl Label(WORD id, int left, int top, int width, int height, std::string text) {
  DialogControl label{
      kClassStatic,   SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0, id, left, top, width, height,
      std::move(text)};
  label.fitWidthToText = true;
  return label;
}

DialogControl WrappedLabel(WORD id, int left, int top, int width, int height, std::string text) {
  return DialogControl{kClassStatic, SS_LEFT | SS_NOPREFIX, 0, id, left, top, width,
                       height,       std::move(text)};
}

DialogControl EditField(WORD id, int left, int top, int width, int height, DWORD extraStyle) {
  return DialogControl{
      kClassEdit, WS_TABSTOP | ES_AUTOHSCROLL | extraStyle, 0, id, left, top, width, height, {}};
}

DialogControl PushButton(WORD id, int left, int top, int width, int height, std::string text,
                         DWORD extraStyle) {
  const DWORD kind = (extraStyle & BS_DEFPUSHBUTTON) ? 0 : BS_PUSHBUTTON;
  return DialogControl{
      kClassButton,   WS_TABSTOP | kind | extraStyle, 0, id, left, top, width, height,
      std::move(text)};
}

DialogControl OwnerDrawn(WORD id, int left, int top, int width, int height) {
  return DialogControl{kClassStatic, SS_OWNERDRAW, 0, id, left, top, width, height, {}};
}

std::vector<WORD> BuildDialogTemplate(const DialogLayout& layout) {
  TemplateWriter out;
  // DLGTEMPLATE
  out.Dword(layout.style | DS_SETFONT);
  out.Dword(0);
  out.Word(static_cast<WORD>(layout.controls.size()));
  out.Short(0);
  out.Short(0);
  out.Short(ToUnitsX(layout.clientWidth));
  out.Short(ToUnitsY(layout.clientHeight));
  out.Word(0);  // no menu
  out.Word(0);  // the standard dialog class
  out.Text(L"");
  out.Word(kDialogFontPoints);
  out.Text(kDialogFontName);

  for (const DialogControl& control : layout.controls) {
    out.AlignToDword();
    DWORD style = WS_CHILD | control.style;
    if (!control.hidden) style |= WS_VISIBLE;
    if (control.disabled) style |= WS_DISABLED;
    // DLGITEMTEMPLATE
    out.Dword(style);
    out.Dword(control.exStyle);
    out.Short(ToUnitsX(control.left));
    out.Short(ToUnitsY(control.top));
    out.Short(ToUnitsX(control.width));
    out.Short(ToUnitsY(control.height));
    out.Word(control.id);
    out.Word(0xFFFF);
    out.Word(control.classAtom);
    out.Text(L"");
    out.Word(0);  // no creation data
  }
  return out.Take();
}

}  // namespace korvun::win
