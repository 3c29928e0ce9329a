// The Windows face's dialogs, each driven from a second thread while the main
// thread sits in the dialog, the way the host calls them.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui.hpp"
#include "windows/ui/dialog_driver.hpp"

namespace korvun {
namespace {

using test::Child;
using test::Click;
using test::DialogDriver;
using test::SaveScreenshot;
using test::TextOf;
using test::Type;

std::unique_ptr<Ui> WindowsFace() {
  auto ui = MakeChosenUi();
  EXPECT_STREQ(ui->FaceName(), "gui");
  return ui;
}

TEST(WindowsUi, NoPersonGivesTheSilentFace) {
  _putenv_s("KORVUN_UI", "none");
  auto ui = MakeChosenUi();
  _putenv_s("KORVUN_UI", "");
  EXPECT_FALSE(ui->Interactive());
  EXPECT_STREQ(ui->FaceName(), "none");
}

void PressOk(HWND d) { Click(d, Child(d, "Button", "OK")); }
void PressCancel(HWND d) { Click(d, Child(d, "Button", "Abbrechen")); }
void PressEscape(HWND d) { PostMessageA(d, WM_COMMAND, IDCANCEL, 0); }
void CloseBox(HWND d) { PostMessageA(d, WM_SYSCOMMAND, SC_CLOSE, 0); }  // also Alt+F4

struct PasswordCase {
  const char* typed;      // nullptr: not confirmed
  void (*close)(HWND d);  // how it ends when not confirmed
  bool confirmed;
};

class PasswordPrompt : public testing::TestWithParam<PasswordCase> {};

TEST_P(PasswordPrompt, OkOnlyWithTextAndReturnsItAsTyped) {
  auto ui = WindowsFace();
  const PasswordCase c = GetParam();
  DialogDriver driver("ZUV Zugangsberechtigung", [&](HWND dialog) {
    EXPECT_NE(Child(dialog, "Static", "<4711> f\xFCr die ZUV-Depotschnittstelle ein: "), nullptr);
    HWND field = Child(dialog, "Edit");
    HWND ok = Child(dialog, "Button", "Ok");
    EXPECT_FALSE(IsWindowEnabled(ok));
    Type(field, "x");
    EXPECT_TRUE(IsWindowEnabled(ok));
    Type(field, "");
    EXPECT_FALSE(IsWindowEnabled(ok));
    PressEscape(dialog);  // the prompt has no cancel key
    Sleep(200);
    EXPECT_TRUE(IsWindowVisible(dialog));
    if (!c.typed) return c.close(dialog);
    Type(field, c.typed);
    if (c.typed[0] == '1') SaveScreenshot(dialog, "password_prompt");
    Click(dialog, ok);
  });
  std::string pin = "untouched";
  EXPECT_EQ(ui->AskPassword("ZUV", "4711", &pin), c.confirmed);
  EXPECT_TRUE(driver.Finish());
  EXPECT_EQ(pin, c.confirmed ? c.typed : "untouched");
}

INSTANTIATE_TEST_SUITE_P(Cases, PasswordPrompt,
                         testing::Values(PasswordCase{"1234", nullptr, true},
                                         PasswordCase{"   ", nullptr, true},
                                         PasswordCase{nullptr, &PressCancel, false},
                                         PasswordCase{nullptr, &CloseBox, false}));

struct AccessCase {
  const char* name;
  void (*close)(HWND dialog);
  int result;
};

class AccessDataDialog : public testing::TestWithParam<AccessCase> {};

TEST_P(AccessDataDialog, ConfirmTakesTheFieldsCancelKeepsTheTexts) {
  auto ui = WindowsFace();
  const AccessCase c = GetParam();
  DialogDriver driver("ZUV-Zugangsdaten", [&](HWND dialog) {
    EXPECT_NE(Child(dialog, "Static", "1.2.3"), nullptr);
    HWND login = Child(dialog, "Edit", nullptr, 0);
    HWND pin = Child(dialog, "Edit", nullptr, 1);
    EXPECT_EQ(TextOf(login), "old-login");
    EXPECT_EQ(TextOf(pin), "old-pin");
    EXPECT_EQ(GetWindowLongPtrA(pin, GWL_STYLE) & ES_PASSWORD, ES_PASSWORD);
    // The manual is missing here: the dialog stays open all the same.
    Click(dialog, Child(dialog, "Button", "Anleitung"));
    Type(login, "new-login");
    Type(pin, "new-pin");
    if (c.result == 1) SaveScreenshot(dialog, "access_data_dialog");
    Sleep(200);
    EXPECT_TRUE(IsWindowVisible(dialog));
    c.close(dialog);
  });
  std::string login = "old-login", pin = "old-pin", extra = "line 1\r\nline 2";
  EXPECT_EQ(ui->EditAccessData("1.2.3", &login, &pin, &extra), c.result);
  EXPECT_TRUE(driver.Finish());
  if (c.result == 1) {
    EXPECT_EQ(login, "new-login");
    EXPECT_EQ(pin, "new-pin");
    EXPECT_EQ(extra, "");
  } else {
    EXPECT_EQ(login, "old-login");
    EXPECT_EQ(pin, "old-pin");
    EXPECT_EQ(extra, "line 1\r\nline 2");
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, AccessDataDialog,
                         testing::Values(AccessCase{"Ok", &PressOk, 1},
                                         AccessCase{"Cancel", &PressCancel, 2},
                                         AccessCase{"Escape", &PressEscape, 2},
                                         AccessCase{"CloseBox", &CloseBox, 2}),
                         [](const auto& info) { return std::string(info.param.name); });

struct ProxyCase {
  const char* name;
  void (*close)(HWND dialog);
  ProxyCredentials result;
};

class ProxyPrompt : public testing::TestWithParam<ProxyCase> {};

TEST_P(ProxyPrompt, GivenWithTheFieldsOrDismissed) {
  auto ui = WindowsFace();
  const ProxyCase c = GetParam();
  DialogDriver driver("Proxy-Anmeldung", [&](HWND dialog) {
    HWND ok = Child(dialog, "Button", "OK");
    EXPECT_FALSE(IsWindowEnabled(ok));
    Type(Child(dialog, "Edit", nullptr, 0), "proxy-user");
    Type(Child(dialog, "Edit", nullptr, 1), "proxy-secret");
    EXPECT_TRUE(IsWindowEnabled(ok));
    if (c.result == ProxyCredentials::kGiven) SaveScreenshot(dialog, "proxy_credentials");
    c.close(dialog);
  });
  std::string user, password;
  EXPECT_EQ(ui->AskProxyCredentials("proxy.example:3128", &user, &password), c.result);
  EXPECT_TRUE(driver.Finish());
  const bool given = c.result == ProxyCredentials::kGiven;
  EXPECT_EQ(user, given ? "proxy-user" : "");
  EXPECT_EQ(password, given ? "proxy-secret" : "");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProxyPrompt,
    testing::Values(ProxyCase{"Ok", &PressOk, ProxyCredentials::kGiven},
                    ProxyCase{"Cancel", &PressCancel, ProxyCredentials::kDismissed},
                    ProxyCase{"CloseBox", &CloseBox, ProxyCredentials::kDismissed}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WindowsUi, InformationBoxWaitsForOk) {
  auto ui = WindowsFace();
  DialogDriver driver("Information", [](HWND box) {
    SaveScreenshot(box, "information_box");
    PressOk(box);
  });
  ui->ShowInformation("Information", "Die Daten werden zum ersten Mal abgerufen.");
  EXPECT_TRUE(driver.Finish());
}

// One row of the track's pixels, after the window has had its messages.
std::vector<COLORREF> TrackRow(Ui& ui, HWND window) {
  ui.ProcessPendingMessages();
  UpdateWindow(window);
  std::vector<COLORREF> row;
  HDC dc = GetDC(window);
  for (int x = 16; x < 16 + 209; ++x) row.push_back(GetPixel(dc, x, 48));
  ReleaseDC(window, dc);
  return row;
}

// Pumps the window's messages for a while, as a running download does.
void RunFor(Ui& ui, int milliseconds) {
  for (int waited = 0; waited < milliseconds; waited += 20) {
    ui.ProcessPendingMessages();
    Sleep(20);
  }
}

TEST(WindowsUi, ProgressWindowMovesUntilCancelled) {
  auto ui = WindowsFace();
  EXPECT_FALSE(ui->ProgressCancelled());
  ui->ProgressShow();
  ui->ProgressShow();  // a second one changes nothing
  HWND window = FindWindowA("#32770", "Info");
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(FindWindowExA(nullptr, window, "#32770", "Info"), nullptr);
  EXPECT_EQ(TextOf(Child(window, "Static", nullptr, 0)), "Download l\xE4uft ...");

  const auto start = TrackRow(*ui, window);
  RunFor(*ui, 1300);
  const auto moved = TrackRow(*ui, window);
  EXPECT_NE(start, moved);
  SaveScreenshot(window, "download_progress");

  Click(window, Child(window, "Button", "Download abbrechen"));
  RunFor(*ui, 100);
  EXPECT_TRUE(ui->ProgressCancelled());
  EXPECT_EQ(TextOf(Child(window, "Static", nullptr, 0)), "Download wird abgebrochen !");
  const auto red = TrackRow(*ui, window);
  EXPECT_NE(std::find(red.begin(), red.end(), RGB(255, 0, 0)), red.end());
  SaveScreenshot(window, "download_progress_cancelled");
  RunFor(*ui, 1300);
  EXPECT_EQ(TrackRow(*ui, window), red);  // the bar stands still

  ui->ProgressHide();
  EXPECT_FALSE(IsWindow(window));
  EXPECT_FALSE(ui->ProgressCancelled());
}

TEST(WindowsUi, ProgressCloseBoxOnlyHides) {
  auto ui = WindowsFace();
  ui->ProgressShow();
  HWND window = FindWindowA("#32770", "Info");
  ASSERT_NE(window, nullptr);
  PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
  RunFor(*ui, 100);
  EXPECT_TRUE(IsWindow(window));
  EXPECT_FALSE(IsWindowVisible(window));
  EXPECT_FALSE(ui->ProgressCancelled());
  ui->ProgressHide();
  EXPECT_FALSE(IsWindow(window));
}

}  // namespace
}  // namespace korvun
