// What the download progress window shows, kept apart from any toolkit so the
// desktop and the terminal behave alike: one window at a time, a bar that
// sweeps the track once every 20 ticks of a one-second timer, and a cancel
// button that stops the bar, paints it red and changes the caption.
#pragma once

#include <string>

namespace korvun {

class ProgressWindowState {
 public:
  // Designed geometry, in pixels of the window.
  static constexpr int kPanelLeft = 16;
  static constexpr int kPanelWidth = 209;
  static constexpr int kBarWidth = 33;
  static constexpr int kStep = 10;
  static constexpr int kTimerMilliseconds = 1000;

  // Opens the window unless one is open; a second call changes nothing.
  // Returns true when a window was opened.
  bool Show();
  // Closes the window from any state. Returns true when one was open.
  bool Hide();
  // The close box only hides the window; the download goes on.
  void CloseBox();

  // The cancel button.
  void PressCancel();
  // One timer tick; moves the bar while the timer runs.
  void Tick();

  bool Open() const { return open_; }
  bool Visible() const { return open_ && visible_; }
  // False when no window is open.
  bool Cancelled() const { return open_ && cancelled_; }
  bool TimerRunning() const { return open_ && timerRunning_; }
  bool BarRed() const { return open_ && cancelled_; }
  // Left edge of the bar inside the track (may pass the track's right end,
  // the track clips it).
  int BarLeft() const { return barLeft_; }
  // Windows-1252 caption of the label above the track.
  std::string Caption() const;

 private:
  bool open_ = false;
  bool visible_ = false;
  bool cancelled_ = false;
  bool timerRunning_ = false;
  int barLeft_ = 0;
};

}  // namespace korvun
