#include "platform/windows/ui_progress_window.hpp"

#include "platform/ui_texts.hpp"

namespace korvun::win {
namespace {

enum : WORD { kCaption = 1000, kTrack = 100, kCancelButton };
constexpr UINT_PTR kTimerId = 1;
constexpr int kTrackTop = 40, kTrackHeight = 17;
// The bar stands one pixel above and below the track.
constexpr int kBarTop = -1, kBarHeight = 19;
constexpr COLORREF kCancelledRed = RGB(255, 0, 0);

DialogLayout ProgressLayout(const ProgressWindowState& state) {
  DialogLayout layout{ui_text::kProgressCaption, WS_POPUP | WS_CAPTION | WS_SYSMENU, 248, 127, {}};
  // As wide as its text, which grows after cancelling.
  DialogControl caption = Label(kCaption, 16, 8, 119, 16, state.Caption());
  caption.bold = true;
  caption.fontPixels = 13;
  const DialogControl track = OwnerDrawn(kTrack, ProgressWindowState::kPanelLeft, kTrackTop,
                                         ProgressWindowState::kPanelWidth, kTrackHeight);
  layout.controls = {
      caption,
      track,
      PushButton(kCancelButton, 56, 80, 129, 25, ui_text::kProgressCancelButton),
  };
  return layout;
}

}  // namespace

ProgressWindow::ProgressWindow(ProgressWindowState& state)
    : Dialog(ProgressLayout(state)), state_(state) {}

bool ProgressWindow::Open() {
  if (!CreateModeless()) return false;
  ::ShowWindow(Handle(), SW_SHOW);
  ::UpdateWindow(Handle());
  return true;
}

void ProgressWindow::OnInit() { Sync(); }

void ProgressWindow::OnCommand(WORD id, WORD code) {
  // Enter and Escape (IDOK, IDCANCEL) do nothing: only the button cancels.
  if (id != kCancelButton || code != BN_CLICKED) return;
  state_.PressCancel();
  Sync();
}

bool ProgressWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR* result) {
  switch (message) {
    case WM_TIMER:
      if (wParam != kTimerId) return false;
      state_.Tick();
      Sync();
      return true;
    case WM_CLOSE:
      // The close box only hides the window; the download goes on.
      state_.CloseBox();
      Sync();
      return true;
    case WM_DRAWITEM:
      if (wParam != kTrack) return false;
      DrawTrack(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      *result = TRUE;
      return true;
    default:
      return false;
  }
}

void ProgressWindow::DrawTrack(const DRAWITEMSTRUCT& item) const {
  RECT track = item.rcItem;
  ::FillRect(item.hDC, &track, ::GetSysColorBrush(COLOR_BTNFACE));
  ::DrawEdge(item.hDC, &track, BDR_SUNKENOUTER, BF_RECT);
  // Drawn over the bevel and clipped by the track, like a shape on a panel.
  const int left = track.left + state_.BarLeft();
  RECT bar{left, track.top + kBarTop, left + ProgressWindowState::kBarWidth,
           track.top + kBarTop + kBarHeight};
  HBRUSH red = state_.BarRed() ? ::CreateSolidBrush(kCancelledRed) : nullptr;
  ::FillRect(item.hDC, &bar, red ? red : ::GetSysColorBrush(COLOR_HIGHLIGHT));
  if (red) ::DeleteObject(red);
}

// Brings the window in line with the state: caption, bar, timer, visibility.
void ProgressWindow::Sync() {
  const std::string caption = state_.Caption();
  if (ItemText(kCaption) != caption) SetItemText(kCaption, caption);
  ::InvalidateRect(Item(kTrack), nullptr, FALSE);
  if (state_.TimerRunning() && !timerArmed_) {
    timerArmed_ =
        ::SetTimer(Handle(), kTimerId, ProgressWindowState::kTimerMilliseconds, nullptr) != 0;
  } else if (!state_.TimerRunning() && timerArmed_) {
    ::KillTimer(Handle(), kTimerId);
    timerArmed_ = false;
  }
  if (!state_.Visible() && ::IsWindowVisible(Handle())) ::ShowWindow(Handle(), SW_HIDE);
}

}  // namespace korvun::win
