// Dialog templates built in memory, so the dialogs need no resource script.
// Layouts are written in pixels at 96 dpi, the way the dialogs were drawn;
// the template carries them in dialog units and the dialog puts every control
// back on its exact pixel position when it opens (see ui_dialog.cpp).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace korvun::win {

struct DialogControl {
  WORD classAtom;  // one of the kClass* atoms below
  DWORD style;     // WS_CHILD is added; WS_VISIBLE too unless hidden
  DWORD exStyle = 0;
  WORD id = 0;
  int left = 0, top = 0, width = 0, height = 0;  // pixels in the client area
  std::string text;                              // Windows-1252
  bool hidden = false;
  bool disabled = false;
  bool bold = false;
  int fontPixels = 11;  // "MS Sans Serif" 8 pt at 96 dpi
  // One-line labels grow to their text, so a wider font than designed for
  // (other systems substitute "MS Sans Serif") cuts nothing off.
  bool fitWidthToText = false;
};

struct DialogLayout {
  std::string caption;  // Windows-1252
  DWORD style;          // DS_SETFONT is added
  int clientWidth = 0, clientHeight = 0;
  std::vector<DialogControl> controls;  // in tab order
};

inline constexpr WORD kClassButton = 0x0080;
inline constexpr WORD kClassEdit = 0x0081;
inline constexpr WORD kClassStatic = 0x0082;

inline constexpr const wchar_t* kDialogFontName = L"MS Sans Serif";
inline constexpr WORD kDialogFontPoints = 8;

// Controls as the dialogs use them. Label is one line wide as its text;
// WrappedLabel breaks its text into lines within the given box.
DialogControl Label(WORD id, int left, int top, int width, int height, std::string text);
DialogControl WrappedLabel(WORD id, int left, int top, int width, int height, std::string text);
DialogControl EditField(WORD id, int left, int top, int width, int height, DWORD extraStyle = 0);
DialogControl PushButton(WORD id, int left, int top, int width, int height, std::string text,
                         DWORD extraStyle = 0);
// Painted by the dialog on WM_DRAWITEM.
DialogControl OwnerDrawn(WORD id, int left, int top, int width, int height);

// The in-memory DLGTEMPLATE with its items, DWORD aligned as
// DialogBoxIndirectParamW and CreateDialogIndirectParamW expect. Texts are
// left empty: the dialog sets them when it opens (see ui_dialog.cpp).
std::vector<WORD> BuildDialogTemplate(const DialogLayout& layout);

}  // namespace korvun::win
