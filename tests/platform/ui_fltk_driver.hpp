// Plays the person in front of the desktop dialogs: finds windows and
// widgets, types, presses keys and buttons through the toolkit's own event
// handling, and keeps screenshots of what it saw.
#pragma once

#include <FL/Fl.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_Window.H>

#include <functional>
#include <string>
#include <vector>

namespace korvun::testing {

// The shown top-level window with this (UTF-8) caption, or null.
Fl_Window* FindWindow(const std::string& caption);

// The first widget inside `group` (at any depth) with this UTF-8 label.
Fl_Widget* FindByLabel(Fl_Group* group, const std::string& label);

// All widgets of type T inside `group`, in creation order.
template <class T>
std::vector<T*> FindAll(Fl_Group* group) {
  std::vector<T*> out;
  for (int i = 0; i < group->children(); ++i) {
    Fl_Widget* child = group->child(i);
    if (auto* hit = dynamic_cast<T*>(child)) out.push_back(hit);
    if (auto* inner = child->as_group()) {
      const auto more = FindAll<T>(inner);
      out.insert(out.end(), more.begin(), more.end());
    }
  }
  return out;
}

// Types UTF-8 text into the widget that has the keyboard focus.
void TypeText(Fl_Window* window, const std::string& utf8);
// Presses one key (FL_Tab, FL_Enter, FL_Escape, FL_BackSpace, ...).
void PressKey(Fl_Window* window, int key);
// Clicks the middle of a widget with the left mouse button.
void Click(Fl_Widget* widget);

// Runs `drive` from within the dialog's own event loop as soon as a window
// with this caption is shown. A window that never shows fails the test and
// whatever is open is closed, so no test waits for ever.
void WhenShown(const std::string& caption, std::function<void(Fl_Window*)> drive);

// Lets the toolkit handle what is pending for a moment.
void Settle();

// Saves what the window shows as <build>/artifacts/ui/<name>.png and returns
// how many different colours the picture has (0 when it could not be read).
int SaveScreenshot(Fl_Window* window, const std::string& name);

}  // namespace korvun::testing
