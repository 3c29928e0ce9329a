// The download progress window: a non-modal dialog that draws what
// ProgressWindowState says and hands it the timer ticks and the button.
#pragma once

#include "platform/progress_window_state.hpp"
#include "platform/windows/ui_dialog.hpp"

namespace korvun::win {

class ProgressWindow final : public Dialog {
 public:
  explicit ProgressWindow(ProgressWindowState& state);

  // Creates and shows the window; false when it could not be created.
  bool Open();

 private:
  void OnInit() override;
  void OnCommand(WORD id, WORD code) override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR* result) override;
  void DrawTrack(const DRAWITEMSTRUCT& item) const;
  void Sync();

  ProgressWindowState& state_;
  bool timerArmed_ = false;
};

}  // namespace korvun::win
