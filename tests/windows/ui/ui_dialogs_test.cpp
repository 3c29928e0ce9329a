// The Windows face's dialogs, each driven from a second thread while the main
// thread sits in the dialog, the way the host calls them.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/ui.hpp"
#include "platform/windows/ui_dialog.hpp"
#include "platform/windows/ui_wide_text.hpp"
#include "windows/ui/dialog_driver.hpp"

namespace korvun {
namespace {

using test::Child;
using test::Click;
using test::DialogDriver;
using test::SaveScreenshot;
using test::TextOf;
using test::Type;
using test::WideTextOf;

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
void PressEnter(HWND d) { PostMessageA(d, WM_COMMAND, IDOK, 0); }
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
    EXPECT_NE(Child(box, "Static", "Die Daten f\xFCr 5 \x80 werden abgerufen."), nullptr);
    SaveScreenshot(box, "information_box");
    PressEnter(box);  // the box's own buttons speak the user's language
  });
  ui->ShowInformation("Information", "Die Daten f\xFCr 5 \x80 werden abgerufen.");
  EXPECT_TRUE(driver.Finish());
}

// The windows hold UTF-16, whatever the ANSI code page (win_ui_tests_cp1251
// runs this under 1251, where the narrow API turned "\xFC" into a Cyrillic
// letter); what cannot be Windows-1252 comes back as "?".
TEST(WindowsUi, TextsKeepTheirCharactersUnderAnyCodePage) {
  if (const char* acp = std::getenv("KORVUN_EXPECT_ACP")) {
    ASSERT_EQ(GetACP(), std::stoul(acp));
  }
  auto ui = WindowsFace();
  DialogDriver driver("ZUV-Zugangsdaten", [](HWND dialog) {
    EXPECT_EQ(WideTextOf(Child(dialog, "Static", nullptr, 1)), L"1.2.3-\u00e4");
    HWND login = Child(dialog, "Edit", nullptr, 0);
    EXPECT_EQ(WideTextOf(login), L"Gr\u00fc\u00df \u20ac");
    Type(login, std::wstring(L"M\u00fcller\u20ac\u0416\U0001F600"));
    PressOk(dialog);
  });
  std::string login = "Gr\xFC\xDF \x80", pin, extra;
  EXPECT_EQ(ui->EditAccessData("1.2.3-\xE4", &login, &pin, &extra), 1);
  EXPECT_TRUE(driver.Finish());
  EXPECT_EQ(login, "M\xFCller\x80??");
}

TEST(WindowsUi, WideTextsRoundTripEveryWindows1252Byte) {
  std::string all;
  for (int byte = 1; byte < 256; ++byte) all += static_cast<char>(byte);
  const std::wstring wide = win::WideFromCp1252(all);
  EXPECT_EQ(wide, test::Wide(all));  // the system's own 1252 table
  EXPECT_EQ(win::Cp1252FromWide(wide), all);
  EXPECT_EQ(win::Cp1252FromWide(L"\xD800x"), "?x");  // a lone surrogate
}

// A top-level window of the test's thread, as the host's main window is.
struct HostWindow {
  explicit HostWindow(bool enabled)
      : handle(CreateWindowExW(0, L"Static", L"Host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200,
                               100, nullptr, nullptr, nullptr, nullptr)) {
    EnableWindow(handle, enabled);
  }
  ~HostWindow() { DestroyWindow(handle); }
  HWND handle;
};

struct ModalCase {
  const char* name;
  const char* caption;
  void (*open)(Ui& ui);
  void (*close)(HWND dialog);
};

class ModalDialog : public testing::TestWithParam<ModalCase> {};

TEST_P(ModalDialog, DisablesTheThreadsOtherWindowsWhileOpen) {
  auto ui = WindowsFace();
  const ModalCase c = GetParam();
  HostWindow host(true), disabledBefore(false);
  DialogDriver driver(c.caption, [&](HWND dialog) {
    EXPECT_FALSE(IsWindowEnabled(host.handle));
    EXPECT_FALSE(IsWindowEnabled(disabledBefore.handle));
    EXPECT_TRUE(IsWindowEnabled(dialog));
    c.close(dialog);
  });
  c.open(*ui);
  EXPECT_TRUE(driver.Finish());
  EXPECT_TRUE(IsWindowEnabled(host.handle));
  EXPECT_FALSE(IsWindowEnabled(disabledBefore.handle));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ModalDialog,
    testing::Values(
        ModalCase{"Password", "ZUV Zugangsberechtigung",
                  [](Ui& ui) { std::string pin; ui.AskPassword("ZUV", "4711", &pin); },
                  &PressCancel},
        ModalCase{"AccessData", "ZUV-Zugangsdaten",
                  [](Ui& ui) {
                    std::string login, pin, extra;
                    ui.EditAccessData("1.2.3", &login, &pin, &extra);
                  },
                  &PressOk},
        ModalCase{"Proxy", "Proxy-Anmeldung",
                  [](Ui& ui) {
                    std::string user, password;
                    ui.AskProxyCredentials("proxy.example:3128", &user, &password);
                  },
                  &CloseBox}),
    [](const auto& info) { return std::string(info.param.name); });

// Handlers that throw, as one that runs out of memory does.
class ThrowingDialog final : public win::Dialog {
 public:
  explicit ThrowingDialog(bool inInit)
      : Dialog({"Werfer", WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, 200, 80,
                {win::PushButton(IDOK, 60, 30, 75, 25, "OK")}}),
        inInit_(inInit) {}

 private:
  void OnInit() override {
    if (inInit_) throw std::runtime_error("init");
  }
  void OnCommand(WORD, WORD) override { throw std::bad_alloc(); }
  bool inInit_;
};

TEST(WindowsUi, ThrowingHandlerEndsAModalDialogAsCancelled) {
  HostWindow host(true);
  ThrowingDialog dialog(false);
  DialogDriver driver("Werfer", [](HWND d) { PressOk(d); });
  EXPECT_EQ(dialog.RunModal(), 2);
  EXPECT_TRUE(driver.Finish());
  EXPECT_TRUE(IsWindowEnabled(host.handle));
  EXPECT_EQ(ThrowingDialog(true).RunModal(), 2);
}

TEST(WindowsUi, ThrowingHandlerDestroysAModelessDialog) {
  EXPECT_FALSE(ThrowingDialog(true).CreateModeless());
  ThrowingDialog dialog(false);
  ASSERT_TRUE(dialog.CreateModeless());
  HWND window = dialog.Handle();
  SendMessageW(window, WM_COMMAND, IDOK, 0);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(dialog.Handle(), nullptr);
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
