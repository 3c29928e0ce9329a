// A Win32 dialog from an in-memory layout: modal on the calling thread or
// non-modal, without an owner window, centred on the screen. Its texts are
// Windows-1252 and reach the controls as UTF-16. No exception leaves its
// procedure: a handler that throws ends a modal dialog as cancelled and
// destroys a non-modal one.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/windows/ui_dialog_template.hpp"
#include "platform/windows/ui_thread_windows_disabled.hpp"

namespace korvun::win {

class Dialog {
 public:
  explicit Dialog(DialogLayout layout);
  virtual ~Dialog();
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  // Shows the dialog and returns the result it ended with (-1 when it could
  // not be created, kCancelled when a handler threw). The thread's other
  // windows are disabled meanwhile.
  INT_PTR RunModal();
  // Creates the dialog hidden; it lives until Destroy or the object ends.
  bool CreateModeless();
  void Destroy();

  HWND Handle() const { return window_; }

  static constexpr INT_PTR kCancelled = 2;

 protected:
  // After the controls have their texts, fonts and places.
  virtual void OnInit() {}
  virtual void OnCommand(WORD id, WORD code) = 0;
  // Any other message; true when it was handled (the dialog then returns
  // *result).
  virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR* result);

  HWND Item(WORD id) const { return ::GetDlgItem(window_, id); }
  // Windows-1252; a typed character it cannot hold comes back as "?".
  std::string ItemText(WORD id) const;
  void SetItemText(WORD id, const std::string& cp1252);
  void EnableItem(WORD id, bool enabled);
  void End(INT_PTR result);
  // A control's rectangle in client coordinates.
  RECT ItemRect(WORD id) const;
  // Moves a control right when its left neighbour has grown into it.
  void KeepRightOf(WORD id, WORD neighbour, int gap);

 private:
  static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void GiveUp();
  void Arrange();
  void SizeAndCentre();
  HFONT FontFor(const DialogControl& control);
  void FitWidthToText(const DialogControl& control);

  DialogLayout layout_;
  std::vector<WORD> template_;
  HWND window_ = nullptr;
  bool modal_ = false;
  std::optional<ThreadWindowsDisabled> othersDisabled_;
  std::vector<HFONT> fonts_;
};

}  // namespace korvun::win
