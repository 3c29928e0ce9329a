// The download progress window's behaviour, without any display.
#include <gtest/gtest.h>

#include <vector>

#include "platform/progress_window_state.hpp"

namespace korvun {
namespace {

TEST(ProgressWindowState, NotCancelledWithoutWindow) {
  ProgressWindowState state;
  EXPECT_FALSE(state.Open());
  EXPECT_FALSE(state.Cancelled());
  EXPECT_FALSE(state.Hide());
}

TEST(ProgressWindowState, ShowStartsTimerNotCancelled) {
  ProgressWindowState state;
  EXPECT_TRUE(state.Show());
  EXPECT_TRUE(state.Open());
  EXPECT_TRUE(state.Visible());
  EXPECT_TRUE(state.TimerRunning());
  EXPECT_FALSE(state.Cancelled());
  EXPECT_FALSE(state.BarRed());
  EXPECT_EQ(state.BarLeft(), 0);
  EXPECT_EQ(state.Caption(), "Download l\xE4uft ...");
}

TEST(ProgressWindowState, SecondShowKeepsCancelled) {
  ProgressWindowState state;
  state.Show();
  state.PressCancel();
  EXPECT_FALSE(state.Show());
  EXPECT_TRUE(state.Cancelled());
  EXPECT_FALSE(state.TimerRunning());
}

TEST(ProgressWindowState, SecondShowKeepsBarWhereItIs) {
  ProgressWindowState state;
  state.Show();
  state.Tick();
  state.Tick();
  const int before = state.BarLeft();
  state.Show();
  EXPECT_EQ(state.BarLeft(), before);
}

TEST(ProgressWindowState, CancelTwiceStaysCancelledWithSameCaption) {
  ProgressWindowState state;
  state.Show();
  state.PressCancel();
  const std::string caption = state.Caption();
  EXPECT_EQ(caption, "Download wird abgebrochen !");
  EXPECT_TRUE(state.BarRed());
  state.PressCancel();
  EXPECT_TRUE(state.Cancelled());
  EXPECT_EQ(state.Caption(), caption);
  EXPECT_TRUE(state.BarRed());
}

TEST(ProgressWindowState, BarSweepsTheTrackIn20Ticks) {
  ProgressWindowState state;
  state.Show();
  std::vector<int> positions;
  for (int tick = 0; tick < 20; ++tick) {
    state.Tick();
    positions.push_back(state.BarLeft());
  }
  std::vector<int> expected;
  for (int left = 10; left <= 190; left += 10) expected.push_back(left);
  expected.push_back(0);
  EXPECT_EQ(positions, expected);
  // The next sweep runs the same way.
  state.Tick();
  EXPECT_EQ(state.BarLeft(), 10);
}

TEST(ProgressWindowState, BarStopsAfterCancel) {
  ProgressWindowState state;
  state.Show();
  for (int tick = 0; tick < 5; ++tick) state.Tick();
  state.PressCancel();
  const int stopped = state.BarLeft();
  for (int tick = 0; tick < 25; ++tick) state.Tick();
  EXPECT_EQ(state.BarLeft(), stopped);
}

TEST(ProgressWindowState, HideFromEitherStateClosesAndForgetsCancel) {
  ProgressWindowState state;
  state.Show();
  EXPECT_TRUE(state.Hide());
  EXPECT_FALSE(state.Open());
  state.Show();
  state.PressCancel();
  EXPECT_TRUE(state.Hide());
  EXPECT_FALSE(state.Open());
  EXPECT_FALSE(state.Cancelled());
  EXPECT_FALSE(state.TimerRunning());
}

TEST(ProgressWindowState, NewWindowStartsAfresh) {
  ProgressWindowState state;
  state.Show();
  for (int tick = 0; tick < 7; ++tick) state.Tick();
  state.PressCancel();
  state.Hide();
  state.Show();
  EXPECT_EQ(state.BarLeft(), 0);
  EXPECT_FALSE(state.Cancelled());
  EXPECT_TRUE(state.TimerRunning());
  EXPECT_EQ(state.Caption(), "Download l\xE4uft ...");
}

TEST(ProgressWindowState, CloseBoxOnlyHides) {
  ProgressWindowState state;
  state.Show();
  state.CloseBox();
  EXPECT_TRUE(state.Open());
  EXPECT_FALSE(state.Visible());
  EXPECT_FALSE(state.Cancelled());
  EXPECT_TRUE(state.TimerRunning());
  EXPECT_TRUE(state.Hide());
  EXPECT_FALSE(state.Open());
}

TEST(ProgressWindowState, CancelWithoutWindowDoesNothing) {
  ProgressWindowState state;
  state.PressCancel();
  state.Tick();
  EXPECT_FALSE(state.Cancelled());
  EXPECT_EQ(state.BarLeft(), 0);
}

}  // namespace
}  // namespace korvun
