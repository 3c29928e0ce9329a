#include "tests/platform/ui_fltk_driver.hpp"

// gtest before the X11 headers, whose macros (None, Bool) clash with it.
#include <gtest/gtest.h>
#include <png.h>

#include <FL/fl_draw.H>
#include <FL/x.H>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <set>

namespace korvun::testing {
namespace {

struct Pending {
  std::string caption;
  std::function<void(Fl_Window*)> drive;
  int tries = 0;
};

constexpr double kPollSeconds = 0.05;
constexpr int kMaxTries = 400;  // generous: the window may take a while under load

void PollForWindow(void* data) {
  auto* pending = static_cast<Pending*>(data);
  Fl_Window* window = FindWindow(pending->caption);
  if (window && window->visible()) {
    std::unique_ptr<Pending> owned(pending);
    Settle();
    owned->drive(window);
    return;
  }
  if (++pending->tries > kMaxTries) {
    std::unique_ptr<Pending> owned(pending);
    ADD_FAILURE() << "no window \"" << pending->caption << "\" showed up";
    while (Fl_Window* open = Fl::first_window()) open->hide();
    return;
  }
  Fl::repeat_timeout(kPollSeconds, &PollForWindow, pending);
}

bool WritePng(const std::string& path, const unsigned char* rgb, int w, int h) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  bool ok = false;
  if (png && info && setjmp(png_jmpbuf(png)) == 0) {
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(w), static_cast<png_uint_32>(h), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < h; ++y)
      png_write_row(png, const_cast<png_bytep>(rgb + static_cast<size_t>(y) * w * 3));
    png_write_end(png, nullptr);
    ok = true;
  }
  png_destroy_write_struct(&png, &info);
  std::fclose(file);
  return ok;
}

}  // namespace

Fl_Window* FindWindow(const std::string& caption) {
  for (Fl_Window* w = Fl::first_window(); w; w = Fl::next_window(w))
    if (w->label() && caption == w->label() && w->shown()) return w;
  return nullptr;
}

Fl_Widget* FindByLabel(Fl_Group* group, const std::string& label) {
  for (int i = 0; i < group->children(); ++i) {
    Fl_Widget* child = group->child(i);
    if (child->label() && label == child->label()) return child;
    if (auto* inner = child->as_group())
      if (Fl_Widget* hit = FindByLabel(inner, label)) return hit;
  }
  return nullptr;
}

void TypeText(Fl_Window* window, const std::string& utf8) {
  size_t i = 0;
  while (i < utf8.size()) {
    const unsigned char lead = static_cast<unsigned char>(utf8[i]);
    const size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    std::string character = utf8.substr(i, length);
    i += length;
    Fl::e_keysym = length == 1 ? lead : 0;
    Fl::e_state = 0;
    Fl::e_text = character.data();
    Fl::e_length = static_cast<int>(character.size());
    Fl::handle(FL_KEYBOARD, window);
  }
  static char empty[] = "";
  Fl::e_text = empty;
  Fl::e_length = 0;
}

void PressKey(Fl_Window* window, int key) {
  static char empty[] = "";
  static char enter[] = "\r";
  Fl::e_keysym = key;
  Fl::e_state = 0;
  Fl::e_text = key == FL_Enter ? enter : empty;
  Fl::e_length = key == FL_Enter ? 1 : 0;
  Fl::handle(FL_KEYBOARD, window);
  Fl::e_text = empty;
  Fl::e_length = 0;
}

void Click(Fl_Widget* widget) {
  Fl_Window* window = widget->window();
  Fl::e_x = widget->x() + widget->w() / 2;
  Fl::e_y = widget->y() + widget->h() / 2;
  Fl::e_x_root = window->x_root() + Fl::e_x;
  Fl::e_y_root = window->y_root() + Fl::e_y;
  Fl::e_keysym = FL_Button + FL_LEFT_MOUSE;
  Fl::e_state = FL_BUTTON1;
  Fl::e_clicks = 0;
  Fl::e_is_click = 1;
  Fl::handle(FL_PUSH, window);
  Fl::e_state = 0;
  Fl::handle(FL_RELEASE, window);
}

void WhenShown(const std::string& caption, std::function<void(Fl_Window*)> drive) {
  Fl::add_timeout(kPollSeconds, &PollForWindow, new Pending{caption, std::move(drive), 0});
}

void Settle() {
  for (int i = 0; i < 5; ++i) Fl::check();
  Fl::flush();
  if (fl_display) XSync(fl_display, False);
}

int SaveScreenshot(Fl_Window* window, const std::string& name) {
  window->wait_for_expose();
  window->redraw();
  Settle();
  window->make_current();
  const int w = window->w(), h = window->h();
  unsigned char* rgb = fl_read_image(nullptr, 0, 0, w, h);
  if (!rgb) return 0;
  std::set<unsigned> colours;
  for (int i = 0; i < w * h; ++i)
    colours.insert(rgb[i * 3] << 16 | rgb[i * 3 + 1] << 8 | rgb[i * 3 + 2]);
  const char* binary = std::getenv("KORVUN_BINARY_DIR");
  const std::filesystem::path dir =
      std::filesystem::path(binary ? binary : ".") / "artifacts" / "ui";
  std::filesystem::create_directories(dir);
  const bool written = WritePng((dir / (name + ".png")).string(), rgb, w, h);
  delete[] rgb;
  return written ? static_cast<int>(colours.size()) : 0;
}

}  // namespace korvun::testing
