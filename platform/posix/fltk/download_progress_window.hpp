// The non-modal window shown while a data file downloads.
#pragma once

#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Group.H>

#include "platform/progress_window_state.hpp"

namespace korvun::desktop {

class DownloadProgressWindow : public Fl_Double_Window {
 public:
  // Shows the window with its timer running, following `state`, which must
  // be open and outlive the window.
  explicit DownloadProgressWindow(ProgressWindowState& state);
  ~DownloadProgressWindow() override;

  Fl_Box* caption;
  Fl_Group* track;
  Fl_Box* bar;
  Fl_Button* cancelButton;

  // Brings the widgets in line with the state.
  void Sync();

 private:
  static void TimerTick(void* self);
  ProgressWindowState& state_;
  bool timerArmed_ = false;
};

}  // namespace korvun::desktop
