// The access-data dialog and the password prompt as the host reaches them:
// through the library's exports, on a private X server and on a terminal.
#include <FL/Fl.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Window.H>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "include/korvun_zuv.h"
#include "tests/platform/ui_fltk_driver.hpp"
#include "tests/platform/ui_pty_session.hpp"
#include "tests/platform/ui_xvfb.hpp"

extern "C" __attribute__((visibility("default"))) const char* __lsan_default_suppressions() {
  return "leak:libX11\nleak:libfontconfig\nleak:libXft\nleak:libxcb\nleak:libfltk\n";
}

namespace {

using korvun::testing::Click;
using korvun::testing::FindAll;
using korvun::testing::FindByLabel;
using korvun::testing::PressKey;
using korvun::testing::PtySession;
using korvun::testing::TypeText;
using korvun::testing::WhenShown;

struct HostBuffers {
  char login[128];
  char pin[128];
  char extra[4096];
  HostBuffers(const char* l, const char* p, const char* e) {
    std::memset(this, 0x55, sizeof *this);
    std::strcpy(login, l);
    std::strcpy(pin, p);
    std::strcpy(extra, e);
  }
};

void* LoadLibrary() { return ::dlopen(KORVUN_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL); }

// A child process may have inherited the library with its face already
// chosen; a copy of its own starts afresh and chooses again.
void* LoadFreshLibrary() {
  const auto copy = std::filesystem::temp_directory_path() /
                    ("korvun_ui_" + std::to_string(::getpid()) + ".so");
  std::error_code ignored;
  std::filesystem::copy_file(KORVUN_LIBRARY_PATH, copy,
                             std::filesystem::copy_options::overwrite_existing, ignored);
  void* library = ::dlopen(copy.c_str(), RTLD_NOW | RTLD_LOCAL);
  std::filesystem::remove(copy, ignored);
  return library;
}

template <typename Fn>
Fn Get(void* library, const char* name) {
  return reinterpret_cast<Fn>(::dlsym(library, name));
}

// On the desktop: the library picks its face at the first dialog, so the
// X server must be running before the library is first asked.
class ApiDataDialogOnDesktop : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    xvfb_ = new korvun::testing::Xvfb();
    ::unsetenv("KORVUN_UI");
    ::setenv("KORVUN_REGISTRY", "/nonexistent/registry.reg", 1);
    library_ = LoadLibrary();
  }
  static void TearDownTestSuite() {
    // The library stays loaded: its desktop module keeps the display.
    delete xvfb_;
    xvfb_ = nullptr;
  }
  void SetUp() override {
    ASSERT_FALSE(xvfb_->Display().empty()) << "Xvfb did not start";
    ASSERT_NE(library_, nullptr) << ::dlerror();
    dialog_ = Get<ApiDataDialogFn>(library_, "ApiDataDialog");
    ASSERT_NE(dialog_, nullptr);
  }
  static korvun::testing::Xvfb* xvfb_;
  static void* library_;
  ApiDataDialogFn dialog_ = nullptr;
};
korvun::testing::Xvfb* ApiDataDialogOnDesktop::xvfb_ = nullptr;
void* ApiDataDialogOnDesktop::library_ = nullptr;

TEST_F(ApiDataDialogOnDesktop, ConfirmedCutsToTheHostBuffersAndEmptiesExtra) {
  const std::string typed(200, 'x');
  WhenShown("ZUV-Zugangsdaten", [&](Fl_Window* w) {
    const auto inputs = FindAll<Fl_Input>(w);
    ASSERT_GE(inputs.size(), 2u);
    EXPECT_STREQ(inputs[0]->value(), "M\xC3\xBCller");
    EXPECT_NE(FindByLabel(w, "2.2.2"), nullptr);
    PressKey(w, FL_End);
    TypeText(w, typed);
    PressKey(w, FL_Tab);
    TypeText(w, " 12 ");
    Click(FindByLabel(w, "OK"));
  });
  HostBuffers host("M\xFC" "ller", "alt", "Zeile 1\r\nZeile 2");
  EXPECT_EQ(dialog_(host.login, host.pin, host.extra), 1);
  EXPECT_EQ(std::string(host.login), ("M\xFC" "ller" + typed).substr(0, 127));
  EXPECT_EQ(std::string(host.pin), " 12 ");
  EXPECT_EQ(host.extra[0], '\0');
}

TEST_F(ApiDataDialogOnDesktop, CancelledLeavesTheHostBuffersAlone) {
  WhenShown("ZUV-Zugangsdaten", [&](Fl_Window* w) {
    TypeText(w, "neu");
    Click(FindByLabel(w, "Abbrechen"));
  });
  HostBuffers host("4711", "alt", "Extra");
  const HostBuffers before = host;
  EXPECT_EQ(dialog_(host.login, host.pin, host.extra), 2);
  EXPECT_EQ(std::memcmp(&host, &before, sizeof host), 0);
}

// Whatever window shows during the run is noted and closed.
struct WindowWatch {
  bool sawWindow = false;
  static void Look(void* data) {
    auto* self = static_cast<WindowWatch*>(data);
    while (Fl_Window* w = Fl::first_window()) {
      self->sawWindow = true;
      w->hide();
    }
    Fl::repeat_timeout(0.05, &Look, data);
  }
};

TEST_F(ApiDataDialogOnDesktop, RunWithoutPinAndWithoutMessageBoxesShowsNothing) {
  auto exportXml = Get<ExportXMLFn>(library_, "ExportXML");
  ASSERT_NE(exportXml, nullptr);
  WindowWatch watch;
  Fl::add_timeout(0.05, &WindowWatch::Look, &watch);
  double last = 0;
  const int32_t result =
      exportXml("/tmp", "12345", 0, &last,
                "UserLogin=4711\r\nNoMessageBoxes=TRUE\r\nEmbeddedIBServer=TRUE\r\n");
  Fl::remove_timeout(&WindowWatch::Look, &watch);
  EXPECT_EQ(result, -15);
  EXPECT_FALSE(watch.sawWindow);
}

TEST_F(ApiDataDialogOnDesktop, RunWithoutPinAsksAndCancelIsMinus15) {
  auto exportXml = Get<ExportXMLFn>(library_, "ExportXML");
  ASSERT_NE(exportXml, nullptr);
  bool asked = false;
  WhenShown("ZUV Zugangsberechtigung", [&](Fl_Window* w) {
    asked = FindByLabel(w, "<4711> f\xC3\xBCr die ZUV-Depotschnittstelle ein: ") != nullptr;
    Click(FindByLabel(w, "Abbrechen"));
  });
  double last = 0;
  EXPECT_EQ(exportXml("/tmp", "12345", 0, &last, "UserLogin=4711\r\nEmbeddedIBServer=TRUE\r\n"),
            -15);
  EXPECT_TRUE(asked);
}

// On a terminal: the same export in a child whose terminal the test types on.
TEST(ApiDataDialogOnTerminal, FormThroughTheExport) {
  PtySession tty([] {
    ::setenv("KORVUN_UI", "tty", 1);
    void* library = LoadFreshLibrary();
    if (!library) return std::string("no library");
    auto dialog = Get<ApiDataDialogFn>(library, "ApiDataDialog");
    HostBuffers host("4711", "", "Extra");
    const int32_t result = dialog(host.login, host.pin, host.extra);
    return std::to_string(result) + "|" + host.login + "|" + host.pin + "|" + host.extra;
  });
  ASSERT_TRUE(tty.WaitFor("Schnittstellen-Version: 2.2.2"));
  ASSERT_TRUE(tty.WaitFor("Login-ID des Vermittlers: 4711"));
  tty.Type(std::string(150, '0') + "\r");
  ASSERT_TRUE(tty.WaitFor("PIN des Vermittlers *: "));
  tty.Type("geheim\r");
  ASSERT_TRUE(tty.WaitFor("[Enter] OK"));
  tty.Type("\r");
  EXPECT_EQ(tty.Result(), "1|" + ("4711" + std::string(150, '0')).substr(0, 127) + "|geheim|");
}

TEST(ApiDataDialogOnTerminal, CancelThroughTheExport) {
  PtySession tty([] {
    ::setenv("KORVUN_UI", "tty", 1);
    void* library = LoadFreshLibrary();
    if (!library) return std::string("no library");
    auto dialog = Get<ApiDataDialogFn>(library, "ApiDataDialog");
    HostBuffers host("4711", "alt", "Extra");
    const int32_t result = dialog(host.login, host.pin, host.extra);
    return std::to_string(result) + "|" + host.login + "|" + host.pin + "|" + host.extra;
  });
  ASSERT_TRUE(tty.WaitFor("Login-ID des Vermittlers: 4711"));
  tty.Type("\x04");
  EXPECT_EQ(tty.Result(), "2|4711|alt|Extra");
}

TEST(ApiDataDialogWithoutPerson, SilentFaceCancels) {
  PtySession tty([] {
    ::setenv("KORVUN_UI", "none", 1);
    void* library = LoadFreshLibrary();
    if (!library) return std::string("no library");
    auto dialog = Get<ApiDataDialogFn>(library, "ApiDataDialog");
    HostBuffers host("4711", "alt", "Extra");
    const int32_t result = dialog(host.login, host.pin, host.extra);
    return std::to_string(result) + "|" + host.login + "|" + host.pin + "|" + host.extra;
  });
  EXPECT_EQ(tty.Result(), "2|4711|alt|Extra");
}

}  // namespace
