// The desktop dialogs on a private X server, driven through the toolkit.
#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Secret_Input.H>
#include <FL/Fl_Window.H>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>

#include "platform/posix/ui_document.hpp"
#include "platform/ui.hpp"
#include "tests/platform/ui_fltk_driver.hpp"
#include "tests/platform/ui_xvfb.hpp"

// The X and font libraries keep caches for the life of the process.
extern "C" __attribute__((visibility("default"))) const char* __lsan_default_suppressions() {
  return "leak:libX11\nleak:libfontconfig\nleak:libXft\nleak:libxcb\nleak:libfltk\n";
}

namespace korvun {
namespace {

using namespace korvun::testing;

testing::Xvfb* g_xvfb = nullptr;

class XvfbEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { g_xvfb = new testing::Xvfb(); }
  void TearDown() override {
    delete g_xvfb;
    g_xvfb = nullptr;
  }
};
const auto* const kXvfb = ::testing::AddGlobalTestEnvironment(new XvfbEnvironment);

Ui* TheDesktop() {
  static std::unique_ptr<Ui> ui = MakeDesktopUi();
  return ui.get();
}

class DesktopUi : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(g_xvfb && !g_xvfb->Display().empty()) << "Xvfb did not start";
    ui_ = TheDesktop();
    ASSERT_NE(ui_, nullptr) << "the desktop module did not load";
  }
  Ui* ui_ = nullptr;
};

template <class T>
T* Only(Fl_Window* w) {
  const auto all = FindAll<T>(w);
  return all.size() == 1 ? all.front() : nullptr;
}

std::string LabelOf(Fl_Widget* w) { return w && w->label() ? w->label() : ""; }

TEST_F(DesktopUi, IsTheDesktopFace) {
  EXPECT_STREQ(ui_->FaceName(), "gui");
  EXPECT_TRUE(ui_->Interactive());
}

TEST_F(DesktopUi, PasswordPromptTextsAndOkEnabling) {
  bool checked = false;
  WhenShown("ZUV Zugangsberechtigung", [&](Fl_Window* w) {
    EXPECT_EQ(w->w(), 319);
    EXPECT_EQ(w->h(), 146);
    EXPECT_NE(FindByLabel(w, "Bitte geben Sie die Zugangs-PIN zur Vermittler-Login-ID "), nullptr);
    EXPECT_NE(FindByLabel(w, "<4711> f\xC3\xBCr die ZUV-Depotschnittstelle ein: "), nullptr);
    auto* field = Only<Fl_Secret_Input>(w);
    auto* ok = dynamic_cast<Fl_Return_Button*>(FindByLabel(w, "Ok"));
    ASSERT_NE(field, nullptr);
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(Fl::focus(), field);
    EXPECT_FALSE(ok->active());
    TypeText(w, "7");
    EXPECT_TRUE(ok->active());
    PressKey(w, FL_BackSpace);
    EXPECT_FALSE(ok->active());
    Click(ok);  // nothing happens while disabled
    EXPECT_TRUE(w->shown());
    TypeText(w, "  ");  // blanks only are a PIN as typed
    EXPECT_TRUE(ok->active());
    EXPECT_GT(SaveScreenshot(w, "password_prompt"), 2);
    checked = true;
    Click(ok);
  });
  std::string pin = "old";
  EXPECT_TRUE(ui_->AskPassword("ZUV", "4711", &pin));
  EXPECT_TRUE(checked);
  EXPECT_EQ(pin, "  ");
}

TEST_F(DesktopUi, PasswordPromptTabOrder) {
  WhenShown("ZUV Zugangsberechtigung", [&](Fl_Window* w) {
    auto* field = Only<Fl_Secret_Input>(w);
    Fl_Widget* ok = FindByLabel(w, "Ok");
    Fl_Widget* cancel = FindByLabel(w, "Abbrechen");
    EXPECT_EQ(Fl::focus(), field);
    PressKey(w, FL_Tab);  // "Ok" is disabled and skipped
    EXPECT_EQ(Fl::focus(), cancel);
    PressKey(w, FL_Tab);
    EXPECT_EQ(Fl::focus(), field);
    TypeText(w, "1");
    PressKey(w, FL_Tab);
    EXPECT_EQ(Fl::focus(), ok);
    PressKey(w, FL_Tab);
    EXPECT_EQ(Fl::focus(), cancel);
    PressKey(w, FL_Tab);
    EXPECT_EQ(Fl::focus(), field);
    Click(cancel);
  });
  std::string pin;
  EXPECT_FALSE(ui_->AskPassword("ZUV", "4711", &pin));
}

TEST_F(DesktopUi, PasswordPromptEnterConfirmsEscapeDoesNothing) {
  WhenShown("ZUV Zugangsberechtigung", [&](Fl_Window* w) {
    PressKey(w, FL_Enter);  // nothing typed: Enter does nothing
    EXPECT_TRUE(w->shown());
    PressKey(w, FL_Escape);  // no cancel button bound to Escape
    EXPECT_TRUE(w->shown());
    TypeText(w, "s3cr\xE2\x82\xAC" "t");
    PressKey(w, FL_Enter);
  });
  std::string pin;
  EXPECT_TRUE(ui_->AskPassword("ZUV", "4711", &pin));
  EXPECT_EQ(pin, "s3cr\x80t");  // back in Windows-1252
}

TEST_F(DesktopUi, PasswordPromptCancelled) {
  WhenShown("ZUV Zugangsberechtigung", [&](Fl_Window* w) {
    TypeText(w, "1234");
    Click(FindByLabel(w, "Abbrechen"));
  });
  std::string pin = "untouched";
  EXPECT_FALSE(ui_->AskPassword("ZUV", "4711", &pin));
  EXPECT_EQ(pin, "untouched");
}

TEST_F(DesktopUi, AccessDataShowsTextsAndTabOrder) {
  WhenShown("ZUV-Zugangsdaten", [&](Fl_Window* w) {
    EXPECT_EQ(w->w(), 275);
    EXPECT_EQ(w->h(), 190);
    EXPECT_NE(FindByLabel(w, "Schnittstellen-Version:"), nullptr);
    EXPECT_NE(FindByLabel(w, "2.2.2"), nullptr);
    EXPECT_NE(FindByLabel(w, "Login-ID des Vermittlers"), nullptr);
    EXPECT_NE(FindByLabel(w, "PIN des Vermittlers *"), nullptr);
    EXPECT_NE(FindByLabel(w, "Wenn Sie die PIN hier nicht eingeben, wird bei jedem Abruf der "
                             "Daten danach gefragt."),
              nullptr);
    Fl_Widget* key = FindByLabel(w, "Nummer der Vermittlerzentrale (optional)");
    ASSERT_NE(key, nullptr);
    EXPECT_FALSE(key->visible());
    const auto inputs = FindAll<Fl_Input>(w);  // login, PIN, hidden key field
    ASSERT_EQ(inputs.size(), 3u);
    Fl_Input* user = inputs[0];
    auto* password = dynamic_cast<Fl_Secret_Input*>(inputs[1]);
    ASSERT_NE(password, nullptr);
    EXPECT_FALSE(inputs[2]->visible());
    EXPECT_STREQ(user->value(), "M\xC3\xBCller");
    EXPECT_STREQ(password->value(), "alt");
    Fl_Widget* help = FindByLabel(w, "Anleitung");
    Fl_Widget* cancel = FindByLabel(w, "Abbrechen");
    Fl_Widget* ok = FindByLabel(w, "OK");
    EXPECT_NE(dynamic_cast<Fl_Return_Button*>(ok), nullptr);  // the default button
    EXPECT_NE(help->labelfont(), cancel->labelfont());  // "Anleitung" is bold
    EXPECT_EQ(Fl::focus(), user);
    const Fl_Widget* order[] = {password, cancel, ok, help, user};
    for (const Fl_Widget* next : order) {
      PressKey(w, FL_Tab);
      EXPECT_EQ(Fl::focus(), next) << LabelOf(Fl::focus());
    }
    EXPECT_GT(SaveScreenshot(w, "access_data_dialog"), 2);
    Click(cancel);
  });
  std::string login = "M\xFCller", pin = "alt", extra = "x";
  EXPECT_EQ(ui_->EditAccessData("2.2.2", &login, &pin, &extra), 2);
  EXPECT_EQ(login, "M\xFCller");
  EXPECT_EQ(pin, "alt");
  EXPECT_EQ(extra, "x");
}

TEST_F(DesktopUi, AccessDataConfirmedTakesTextsAsTypedAndEmptiesExtra) {
  const std::string typedLogin(200, 'x');
  WhenShown("ZUV-Zugangsdaten", [&](Fl_Window* w) {
    const auto inputs = FindAll<Fl_Input>(w);
    ASSERT_GE(inputs.size(), 2u);
    for (int i = 0; i < 4; ++i) PressKey(w, FL_BackSpace);
    TypeText(w, " " + typedLogin + " ");
    PressKey(w, FL_Tab);
    EXPECT_EQ(Fl::focus(), inputs[1]);
    PressKey(w, FL_BackSpace);  // tabbing in selects the whole text
    TypeText(w, "a\xC3\xA4");
    PressKey(w, FL_Enter);  // OK is the default button
  });
  std::string login = "4711", pin = "ab", extra = "Zeile 1\r\nZeile 2";
  EXPECT_EQ(ui_->EditAccessData("2.2.2", &login, &pin, &extra), 1);
  EXPECT_EQ(login, " " + typedLogin + " ");  // not trimmed
  EXPECT_EQ(pin, "a\xE4");
  EXPECT_EQ(extra, "");
}

TEST_F(DesktopUi, EnterPressesTheFocusedButton) {
  WhenShown("ZUV-Zugangsdaten", [&](Fl_Window* w) {
    TypeText(w, "neu");
    PressKey(w, FL_Tab);
    PressKey(w, FL_Tab);
    EXPECT_EQ(Fl::focus(), FindByLabel(w, "Abbrechen"));
    PressKey(w, FL_Enter);
  });
  std::string login = "4711", pin = "p", extra = "e";
  EXPECT_EQ(ui_->EditAccessData("2.2.2", &login, &pin, &extra), 2);
  EXPECT_EQ(login, "4711");

  WhenShown("ZUV Zugangsberechtigung", [&](Fl_Window* w) {
    TypeText(w, "1234");
    PressKey(w, FL_Tab);
    PressKey(w, FL_Tab);
    EXPECT_EQ(Fl::focus(), FindByLabel(w, "Abbrechen"));
    PressKey(w, FL_Enter);
  });
  std::string typed = "untouched";
  EXPECT_FALSE(ui_->AskPassword("ZUV", "4711", &typed));
  EXPECT_EQ(typed, "untouched");
}

TEST_F(DesktopUi, AccessDataTakesAtMost255Characters) {
  WhenShown("ZUV-Zugangsdaten", [&](Fl_Window* w) {
    const auto inputs = FindAll<Fl_Input>(w);
    EXPECT_EQ(std::string(inputs[0]->value()).size(), 255u);
    Click(FindByLabel(w, "OK"));
  });
  std::string login(300, 'L'), pin, extra;
  EXPECT_EQ(ui_->EditAccessData("2.2.2", &login, &pin, &extra), 1);
  EXPECT_EQ(login, std::string(255, 'L'));
}

TEST_F(DesktopUi, AccessDataEscapeAndCloseBoxCancel) {
  WhenShown("ZUV-Zugangsdaten", [&](Fl_Window* w) {
    TypeText(w, "neu");
    PressKey(w, FL_Escape);
  });
  std::string login = "4711", pin = "p", extra = "e";
  EXPECT_EQ(ui_->EditAccessData("2.2.2", &login, &pin, &extra), 2);
  EXPECT_EQ(login, "4711");

  WhenShown("ZUV-Zugangsdaten", [&](Fl_Window* w) {
    TypeText(w, "neu");
    Fl::e_number = FL_CLOSE;  // what the window manager's close box sends
    w->do_callback();
  });
  EXPECT_EQ(ui_->EditAccessData("2.2.2", &login, &pin, &extra), 2);
  EXPECT_EQ(login, "4711");
  EXPECT_EQ(extra, "e");
}

TEST_F(DesktopUi, AccessDataHelpOpensTheManualAndStaysOpen) {
  const auto dir = std::filesystem::temp_directory_path() /
                   ("korvun_opener_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const auto noted = dir / "opened.txt";
  {
    std::ofstream script(dir / "xdg-open");
    script << "#!/bin/sh\nprintf '%s' \"$1\" > \"" << noted.string() << ".tmp\" && mv \""
           << noted.string() << ".tmp\" \"" << noted.string() << "\"\n";
  }
  ::chmod((dir / "xdg-open").c_str(), 0755);
  const std::string oldPath = ::getenv("PATH") ? ::getenv("PATH") : "";
  ::setenv("PATH", (dir.string() + ":" + oldPath).c_str(), 1);

  bool stayedOpen = false;
  WhenShown("ZUV-Zugangsdaten", [&](Fl_Window* w) {
    Click(FindByLabel(w, "Anleitung"));
    stayedOpen = w->shown();
    Click(FindByLabel(w, "OK"));
  });
  std::string login = "4711", pin, extra;
  EXPECT_EQ(ui_->EditAccessData("2.2.2", &login, &pin, &extra), 1);
  ::setenv("PATH", oldPath.c_str(), 1);
  EXPECT_TRUE(stayedOpen);
  for (int i = 0; i < 200 && !std::filesystem::exists(noted); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  std::ifstream in(noted);
  std::stringstream opened;
  opened << in.rdbuf();
  EXPECT_EQ(opened.str(), ManualPath());
  std::filesystem::remove_all(dir);
}

// Runs the toolkit until `done` holds; false if it never does.
template <class Condition>
bool RunUntil(Condition done) {
  for (int i = 0; i < 400; ++i) {
    if (done()) return true;
    Fl::wait(0.05);
  }
  return done();
}

TEST_F(DesktopUi, ProgressWindowMovesAndCancels) {
  EXPECT_FALSE(ui_->ProgressCancelled());
  ui_->ProgressShow();
  Fl_Window* w = FindWindow("Info");
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->w(), 248);
  EXPECT_EQ(w->h(), 127);
  Fl_Widget* caption = FindByLabel(w, "Download l\xC3\xA4uft ...");
  ASSERT_NE(caption, nullptr);
  Fl_Widget* button = FindByLabel(w, "Download abbrechen");
  ASSERT_NE(button, nullptr);
  const auto groups = FindAll<Fl_Group>(w);
  ASSERT_EQ(groups.size(), 1u);
  Fl_Group* track = groups.front();
  ASSERT_EQ(track->children(), 1);
  Fl_Widget* bar = track->child(0);
  EXPECT_EQ(track->x(), 16);
  EXPECT_EQ(track->w(), 209);
  EXPECT_EQ(bar->x(), track->x());
  EXPECT_EQ(bar->w(), 33);
  EXPECT_FALSE(ui_->ProgressCancelled());
  // The timer moves the bar one step to the right.
  ASSERT_TRUE(RunUntil([&] { return bar->x() != track->x(); }));
  EXPECT_EQ(bar->x(), track->x() + 10);
  EXPECT_GT(SaveScreenshot(w, "download_progress"), 2);

  Click(button);
  EXPECT_TRUE(ui_->ProgressCancelled());
  EXPECT_EQ(LabelOf(caption), "Download wird abgebrochen !");
  EXPECT_EQ(bar->color(), fl_rgb_color(255, 0, 0));
  const int stoppedAt = bar->x();
  Click(button);  // twice: no change
  EXPECT_TRUE(ui_->ProgressCancelled());
  EXPECT_EQ(LabelOf(caption), "Download wird abgebrochen !");
  ui_->ProgressShow();  // a second show keeps the cancel
  EXPECT_TRUE(ui_->ProgressCancelled());
  EXPECT_EQ(FindAll<Fl_Group>(w).size(), 1u);
  EXPECT_GT(SaveScreenshot(w, "download_progress_cancelled"), 2);
  for (int i = 0; i < 3; ++i) Fl::wait(0.5);
  EXPECT_EQ(bar->x(), stoppedAt);  // a stopped bar stays

  ui_->ProgressHide();
  EXPECT_EQ(FindWindow("Info"), nullptr);
  EXPECT_FALSE(ui_->ProgressCancelled());
}

TEST_F(DesktopUi, ProgressWindowCloseBoxOnlyHides) {
  ui_->ProgressShow();
  Fl_Window* w = FindWindow("Info");
  ASSERT_NE(w, nullptr);
  PressKey(w, FL_Escape);  // no cancel button: Escape does nothing
  EXPECT_TRUE(w->shown());
  Fl::e_number = FL_CLOSE;
  w->do_callback();
  EXPECT_FALSE(w->shown());
  EXPECT_FALSE(ui_->ProgressCancelled());
  ui_->ProgressHide();
  EXPECT_FALSE(ui_->ProgressCancelled());
  // A new window starts afresh.
  ui_->ProgressShow();
  Fl_Window* again = FindWindow("Info");
  ASSERT_NE(again, nullptr);
  EXPECT_NE(FindByLabel(again, "Download l\xC3\xA4uft ..."), nullptr);
  ui_->ProgressHide();
}

TEST_F(DesktopUi, InformationBox) {
  WhenShown("Information", [&](Fl_Window* w) {
    EXPECT_NE(FindByLabel(w, "Der Erst-Import umfasst eine grosse Zahl von Depotdaten.\n"
                             "Dieser Vorgang kann eventuell einige Minuten dauern."),
              nullptr);
    EXPECT_NE(FindByLabel(w, "i"), nullptr);
    EXPECT_NE(dynamic_cast<Fl_Return_Button*>(FindByLabel(w, "OK")), nullptr);
    EXPECT_GT(SaveScreenshot(w, "first_import_notice"), 2);
    PressKey(w, FL_Enter);
  });
  ui_->ShowInformation("Information",
                       "Der Erst-Import umfasst eine grosse Zahl von Depotdaten.\r"
                       "Dieser Vorgang kann eventuell einige Minuten dauern.");
  EXPECT_EQ(FindWindow("Information"), nullptr);
}

TEST_F(DesktopUi, ProxyCredentials) {
  WhenShown("Proxy-Anmeldung", [&](Fl_Window* w) {
    EXPECT_NE(FindByLabel(w, "Der Proxy-Server proxy:3128 verlangt eine Anmeldung."), nullptr);
    Fl_Widget* ok = FindByLabel(w, "OK");
    EXPECT_FALSE(ok->active());
    TypeText(w, "j\xC3\xB6rg");
    EXPECT_TRUE(ok->active());
    PressKey(w, FL_Tab);
    TypeText(w, "geheim");
    EXPECT_GT(SaveScreenshot(w, "proxy_credentials"), 2);
    Click(ok);
  });
  std::string user, password;
  EXPECT_EQ(ui_->AskProxyCredentials("proxy:3128", &user, &password), ProxyCredentials::kGiven);
  EXPECT_EQ(user, "j\xF6rg");
  EXPECT_EQ(password, "geheim");

  WhenShown("Proxy-Anmeldung", [&](Fl_Window* w) { Click(FindByLabel(w, "Abbrechen")); });
  EXPECT_EQ(ui_->AskProxyCredentials("proxy:3128", &user, &password),
            ProxyCredentials::kDismissed);
}

TEST_F(DesktopUi, ChosenByDefaultWhenADisplayOpens) {
  ::unsetenv("KORVUN_UI");
  auto chosen = MakeChosenUi();
  EXPECT_STREQ(chosen->FaceName(), "gui");
  ::setenv("KORVUN_UI", "none", 1);
  EXPECT_STREQ(MakeChosenUi()->FaceName(), "none");
  ::unsetenv("KORVUN_UI");
}

}  // namespace
}  // namespace korvun
