#include "platform/windows/ui_dialog.hpp"

#include <exception>
#include <utility>

#include "platform/windows/ui_wide_text.hpp"

namespace korvun::win {
namespace {
constexpr int kRightMargin = 8;

std::wstring WindowText(HWND window) {
  const int length = ::GetWindowTextLengthW(window);
  if (length <= 0) return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const int copied = ::GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
  return text;
}

void SetText(HWND window, const std::string& cp1252) {
  ::SetWindowTextW(window, WideFromCp1252(cp1252).c_str());
}
}  // namespace

Dialog::Dialog(DialogLayout layout)
    : layout_(std::move(layout)), template_(BuildDialogTemplate(layout_)) {}

Dialog::~Dialog() {
  Destroy();
  for (HFONT font : fonts_) ::DeleteObject(font);
}

INT_PTR Dialog::RunModal() {
  modal_ = true;
  othersDisabled_.emplace();
  const INT_PTR result = ::DialogBoxIndirectParamW(
      ::GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(template_.data()), nullptr,
      &Dialog::Procedure, reinterpret_cast<LPARAM>(this));
  // End gave them back already, unless the dialog went another way.
  othersDisabled_.reset();
  return result;
}

bool Dialog::CreateModeless() {
  if (window_) return true;
  modal_ = false;
  // A handler that threw while the dialog opened has destroyed it again.
  return ::CreateDialogIndirectParamW(
             ::GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(template_.data()),
             nullptr, &Dialog::Procedure, reinterpret_cast<LPARAM>(this)) != nullptr &&
         window_ != nullptr;
}

void Dialog::Destroy() {
  if (!window_) return;
  // Detached first: the controls still notify their parent while they go,
  // and this object may already be half destroyed.
  ::SetWindowLongPtrW(window_, DWLP_USER, 0);
  ::DestroyWindow(window_);
  window_ = nullptr;
}

bool Dialog::OnMessage(UINT, WPARAM, LPARAM, INT_PTR*) { return false; }

std::string Dialog::ItemText(WORD id) const { return Cp1252FromWide(WindowText(Item(id))); }

void Dialog::SetItemText(WORD id, const std::string& cp1252) {
  SetText(Item(id), cp1252);
  for (const DialogControl& control : layout_.controls)
    if (control.id == id && control.fitWidthToText) FitWidthToText(control);
}

void Dialog::FitWidthToText(const DialogControl& control) {
  HWND item = Item(control.id);
  const std::wstring text = WindowText(item);
  HDC dc = ::GetDC(item);
  HGDIOBJ old =
      ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(item, WM_GETFONT, 0, 0)));
  SIZE extent{};
  const bool measured =
      ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
  ::SelectObject(dc, old);
  ::ReleaseDC(item, dc);
  if (!measured) return;
  ::SetWindowPos(item, nullptr, 0, 0, extent.cx, control.height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Dialog::EnableItem(WORD id, bool enabled) { ::EnableWindow(Item(id), enabled); }

// The other windows are enabled before the dialog hides, so that Windows
// activates one of them again and not some other program's window.
void Dialog::End(INT_PTR result) {
  othersDisabled_.reset();
  ::EndDialog(window_, result);
}

HFONT Dialog::FontFor(const DialogControl& control) {
  if (!control.bold && control.fontPixels == 11) return nullptr;  // the dialog's own font
  HFONT font =
      ::CreateFontW(-control.fontPixels, 0, 0, 0, control.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE,
                    FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                    DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, kDialogFontName);
  if (font) fonts_.push_back(font);
  return font;
}

// The template only approximates the pixel layout (dialog units follow the
// font); here every control gets its designed place, text and font.
void Dialog::Arrange() {
  SetText(window_, layout_.caption);
  for (const DialogControl& control : layout_.controls) {
    HWND item = Item(control.id);
    ::MoveWindow(item, control.left, control.top, control.width, control.height, FALSE);
    if (!control.text.empty()) SetText(item, control.text);
    if (HFONT font = FontFor(control))
      ::SendMessageW(item, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (control.classAtom == kClassEdit && (control.style & ES_PASSWORD))
      ::SendMessageW(item, EM_SETPASSWORDCHAR, L'*', 0);
    if (control.fitWidthToText) FitWidthToText(control);
  }
}

RECT Dialog::ItemRect(WORD id) const {
  RECT rect{};
  ::GetWindowRect(Item(id), &rect);
  ::MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

void Dialog::KeepRightOf(WORD id, WORD neighbour, int gap) {
  const RECT rect = ItemRect(id);
  const int left = ItemRect(neighbour).right + gap;
  if (left > rect.left)
    ::SetWindowPos(Item(id), nullptr, left, rect.top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The designed client size, grown where a font wider than designed pushed a
// visible control past the right edge; centred on the work area.
void Dialog::SizeAndCentre() {
  int clientWidth = layout_.clientWidth;
  for (const DialogControl& control : layout_.controls) {
    if (control.hidden) continue;
    const int right = ItemRect(control.id).right + kRightMargin;
    if (right > clientWidth) clientWidth = right;
  }
  const DWORD style = static_cast<DWORD>(::GetWindowLongPtrW(window_, GWL_STYLE));
  const DWORD exStyle = static_cast<DWORD>(::GetWindowLongPtrW(window_, GWL_EXSTYLE));
  RECT frame{0, 0, clientWidth, layout_.clientHeight};
  ::AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  RECT work{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  ::SetWindowPos(window_, nullptr, work.left + (work.right - work.left - width) / 2,
                 work.top + (work.bottom - work.top - height) / 2, width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK Dialog::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    ::SetWindowLongPtrW(window, DWLP_USER, lParam);
    reinterpret_cast<Dialog*>(lParam)->window_ = window;
  }
  auto* self = reinterpret_cast<Dialog*>(::GetWindowLongPtrW(window, DWLP_USER));
  if (!self) return FALSE;
  // No exception may unwind through Windows' frames back to the caller.
  try {
    return self->Dispatch(window, message, wParam, lParam);
  } catch (const std::exception& e) {
    ::OutputDebugStringA(e.what());
  } catch (...) {
    ::OutputDebugStringA("dialog handler failed");
  }
  self->GiveUp();
  return TRUE;
}

INT_PTR Dialog::Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      Arrange();
      OnInit();
      SizeAndCentre();
      return TRUE;  // the first tab stop gets the focus
    case WM_NCDESTROY:
      window_ = nullptr;
      ::SetWindowLongPtrW(window, DWLP_USER, 0);
      return FALSE;
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    default:
      break;
  }
  INT_PTR result = 0;
  if (!OnMessage(message, wParam, lParam, &result)) return FALSE;
  ::SetWindowLongPtrW(window, DWLP_MSGRESULT, result);
  return TRUE;
}

// After a handler threw, half of what it did may be missing: the dialog
// ends as cancelled, or goes when nobody waits for its result.
void Dialog::GiveUp() {
  if (modal_) End(kCancelled);
  else Destroy();
}

}  // namespace korvun::win
