#include "platform/progress_window_state.hpp"

#include "platform/ui_texts.hpp"

namespace korvun {

bool ProgressWindowState::Show() {
  if (open_) return false;
  open_ = true;
  visible_ = true;
  cancelled_ = false;
  timerRunning_ = true;
  barLeft_ = 0;
  return true;
}

bool ProgressWindowState::Hide() {
  if (!open_) return false;
  open_ = false;
  visible_ = false;
  timerRunning_ = false;
  cancelled_ = false;
  return true;
}

void ProgressWindowState::CloseBox() {
  if (open_) visible_ = false;
}

void ProgressWindowState::PressCancel() {
  if (!open_) return;
  cancelled_ = true;
  timerRunning_ = false;
}

void ProgressWindowState::Tick() {
  if (!TimerRunning()) return;
  barLeft_ += kStep;
  const int half = kBarWidth / 2;
  // The bar starts again at the track's left end once it has left the track;
  // measured the way the window measures it (panel left minus half the bar).
  if (barLeft_ > kPanelWidth - half) barLeft_ = kPanelLeft - half;
}

std::string ProgressWindowState::Caption() const {
  return cancelled_ && open_ ? ui_text::kProgressCancelling : ui_text::kProgressRunning;
}

}  // namespace korvun
