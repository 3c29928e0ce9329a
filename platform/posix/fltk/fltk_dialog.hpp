// Common ground of the desktop dialogs: fonts, labels from Windows-1252 texts
// and the modal loop.
#pragma once

#include <FL/Fl_Box.H>
#include <FL/Fl_Double_Window.H>

#include <string>

namespace korvun::desktop {

inline constexpr int kFontSize = 11;

// Registers the dialogs' fonts with the toolkit; call once before any window.
void SetUpDialogFonts();
// The dialogs' font: a narrow sans serif close to the look the texts were
// laid out for.
Fl_Font DialogFont(bool bold = false);
// Gives a widget the dialogs' font for its label (and text, for inputs).
void UseDialogFont(Fl_Widget* widget, bool bold = false);

// A label box at (x, y) with the given Windows-1252 text, left-aligned.
Fl_Box* MakeLabel(int x, int y, int w, int h, const std::string& cp1252, bool bold = false);

// Sets a widget's label from a Windows-1252 text (the widget keeps a copy).
void SetLabel(Fl_Widget* widget, const std::string& cp1252);

// A window that ends with a result, shown modally in the middle of the screen.
class DialogWindow : public Fl_Double_Window {
 public:
  DialogWindow(int w, int h, const std::string& cp1252Caption);

  // Shows the window modally and returns when it is closed; the result is 2
  // unless a button set another.
  int RunModal();
  void Finish(int result);
  int Result() const { return result_; }

  int handle(int event) override;

 protected:
  // Escape and the window manager's close request; by default both cancel.
  virtual void OnCloseRequest(bool escapeKey);

 private:
  static void CloseCallback(Fl_Widget* w, void*);
  int result_ = 2;
};

// Centres a window on the screen.
void CentreOnScreen(Fl_Window* window);

}  // namespace korvun::desktop
