#include "platform/posix/fltk/download_progress_window.hpp"

#include <FL/Fl.H>

#include "platform/posix/fltk/fltk_dialog.hpp"
#include "platform/ui_texts.hpp"

namespace korvun::desktop {

DownloadProgressWindow::DownloadProgressWindow(ProgressWindowState& state)
    : Fl_Double_Window(248, 127), state_(state) {
  SetLabel(this, ui_text::kProgressCaption);
  caption = MakeLabel(16, 8, 220, 16, state_.Caption(), true);
  caption->labelsize(13);

  track = new Fl_Group(ProgressWindowState::kPanelLeft, 40, ProgressWindowState::kPanelWidth, 17);
  track->box(FL_THIN_DOWN_BOX);
  track->clip_children(1);  // the bar shows only inside the track
  bar = new Fl_Box(track->x(), track->y() - 1, ProgressWindowState::kBarWidth, 19);
  bar->box(FL_FLAT_BOX);
  bar->color(FL_SELECTION_COLOR);
  track->end();

  cancelButton = new Fl_Button(56, 80, 129, 25);
  SetLabel(cancelButton, ui_text::kProgressCancelButton);
  UseDialogFont(cancelButton);
  cancelButton->callback([](Fl_Widget* b, void*) {
    auto* self = static_cast<DownloadProgressWindow*>(b->window());
    self->state_.PressCancel();
    self->Sync();
  });
  end();

  // The close box only hides the window; Escape means nothing here.
  callback([](Fl_Widget* w, void*) {
    if (Fl::event() == FL_SHORTCUT && Fl::event_key() == FL_Escape) return;
    auto* self = static_cast<DownloadProgressWindow*>(w);
    self->state_.CloseBox();
    self->Sync();
  });

  CentreOnScreen(this);
  Sync();
  show();
}

DownloadProgressWindow::~DownloadProgressWindow() { Fl::remove_timeout(&TimerTick, this); }

void DownloadProgressWindow::Sync() {
  SetLabel(caption, state_.Caption());
  bar->position(track->x() + state_.BarLeft(), bar->y());
  bar->color(state_.BarRed() ? fl_rgb_color(255, 0, 0) : FL_SELECTION_COLOR);
  if (state_.TimerRunning() && !timerArmed_) {
    Fl::add_timeout(ProgressWindowState::kTimerMilliseconds / 1000.0, &TimerTick, this);
    timerArmed_ = true;
  } else if (!state_.TimerRunning() && timerArmed_) {
    Fl::remove_timeout(&TimerTick, this);
    timerArmed_ = false;
  }
  if (!state_.Visible() && shown()) hide();
  redraw();
}

void DownloadProgressWindow::TimerTick(void* data) {
  auto* self = static_cast<DownloadProgressWindow*>(data);
  self->timerArmed_ = false;
  self->state_.Tick();
  if (self->state_.TimerRunning()) {
    Fl::repeat_timeout(ProgressWindowState::kTimerMilliseconds / 1000.0, &TimerTick, self);
    self->timerArmed_ = true;
  }
  self->Sync();
}

}  // namespace korvun::desktop
