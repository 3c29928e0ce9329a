// The terminal dialogs, driven through a pseudo-terminal as a person would.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <link.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/posix/ui_document.hpp"
#include "platform/ui.hpp"
#include "tests/platform/ui_pty_session.hpp"

namespace korvun {
namespace {

using testing::PtySession;

// The terminal speaks UTF-8; the dialogs hand back Windows-1252.
constexpr const char* kUtf8UmlautU = "\xC3\xBC";

std::string AskPin() {
  auto ui = MakeTerminalUi();
  if (!ui) return "no terminal";
  std::string pin = "unchanged";
  const bool ok = ui->AskPassword("ZUV", "4711", &pin);
  return std::string(ok ? "1" : "0") + ":" + pin;
}

TEST(TerminalUi, PinIsTypedWithoutEcho) {
  PtySession tty(AskPin);
  ASSERT_TRUE(tty.Started());
  ASSERT_TRUE(tty.WaitFor("ZUV Zugangsberechtigung"));
  ASSERT_TRUE(tty.WaitFor("Bitte geben Sie die Zugangs-PIN zur Vermittler-Login-ID <4711> f"
                          "\xC3\xBC" "r die ZUV-Depotschnittstelle ein: "));
  ASSERT_TRUE(tty.WaitFor("PIN: "));
  const size_t before = tty.Mark();
  tty.Type("geHe1m\xC3\xA9\r");
  EXPECT_EQ(tty.Result(), "1:geHe1m\xE9");
  const std::string afterPrompt = tty.OutputSince(before);
  EXPECT_EQ(afterPrompt.find("geHe1m"), std::string::npos) << afterPrompt;
  EXPECT_EQ(afterPrompt.find('*'), std::string::npos) << afterPrompt;
}

TEST(TerminalUi, EmptyPinIsNotAccepted) {
  PtySession tty(AskPin);
  ASSERT_TRUE(tty.WaitFor("PIN: "));
  tty.Type("\r");
  ASSERT_TRUE(tty.WaitFor("PIN: "));  // asked again
  tty.Type("ab\x7f\x7f\r");           // typed and erased again: still empty
  ASSERT_TRUE(tty.WaitFor("PIN: "));
  tty.Type("  \r");  // blanks are a PIN as typed
  EXPECT_EQ(tty.Result(), "1:  ");
}

TEST(TerminalUi, BackspaceErasesTheLastCharacter) {
  PtySession tty(AskPin);
  ASSERT_TRUE(tty.WaitFor("PIN: "));
  tty.Type("12\xC3\xA4\x7f" "3\r");
  EXPECT_EQ(tty.Result(), "1:123");
}

TEST(TerminalUi, EscCancelsThePrompt) {
  PtySession tty(AskPin);
  ASSERT_TRUE(tty.WaitFor("PIN: "));
  tty.Type("12\x1b");
  EXPECT_EQ(tty.Result(), "0:unchanged");
}

TEST(TerminalUi, CtrlDCancelsThePrompt) {
  PtySession tty(AskPin);
  ASSERT_TRUE(tty.WaitFor("PIN: "));
  tty.Type("\x04");
  EXPECT_EQ(tty.Result(), "0:unchanged");
}

TEST(TerminalUi, ArrowKeysDoNotCancel) {
  PtySession tty(AskPin);
  ASSERT_TRUE(tty.WaitFor("PIN: "));
  tty.Type("9\x1b[D8\r");
  EXPECT_EQ(tty.Result(), "1:98");
}

std::string EditAccess(std::string login, std::string pin) {
  auto ui = MakeTerminalUi();
  if (!ui) return "no terminal";
  std::string extra = "Zeile 1\r\nZeile 2";
  const int result = ui->EditAccessData("2.2.2", &login, &pin, &extra);
  return std::to_string(result) + "|" + login + "|" + pin + "|" + extra;
}

TEST(TerminalUi, AccessDataFormFieldByField) {
  PtySession tty([] { return EditAccess("M\xFCller", "alt"); });
  ASSERT_TRUE(tty.WaitFor("ZUV-Zugangsdaten"));
  ASSERT_TRUE(tty.WaitFor("Schnittstellen-Version: 2.2.2"));
  ASSERT_TRUE(tty.WaitFor(std::string("Login-ID des Vermittlers: M") + kUtf8UmlautU + "ller"));
  tty.Type("\x7f\x7f\x7f\x7f\x7f\x7f" "4711\t");
  ASSERT_TRUE(tty.WaitFor("PIN des Vermittlers *: ***"));
  const size_t pinStart = tty.Mark();
  tty.Type("\x7f\x7f\x7f" "s3cr\xE2\x82\xAC\r");
  ASSERT_TRUE(tty.WaitFor("Wenn Sie die PIN hier nicht eingeben, wird bei jedem Abruf der Daten "
                          "danach gefragt."));
  ASSERT_TRUE(tty.WaitFor("[Enter] OK"));
  tty.Type("\r");
  // Confirmed: texts as typed, the extra text emptied; the PIN never shown.
  EXPECT_EQ(tty.Result(), "1|4711|s3cr\x80|");
  EXPECT_EQ(tty.OutputSince(pinStart).find("s3cr"), std::string::npos);
}

TEST(TerminalUi, AccessDataCancelLeavesTextsAlone) {
  PtySession tty([] { return EditAccess("4711", "alt"); });
  ASSERT_TRUE(tty.WaitFor("Login-ID des Vermittlers: 4711"));
  tty.Type("0815\r");
  ASSERT_TRUE(tty.WaitFor("PIN des Vermittlers *: "));
  tty.Type("neu\r");
  ASSERT_TRUE(tty.WaitFor("[Esc] Abbrechen"));
  tty.Type("\x1b");
  EXPECT_EQ(tty.Result(), "2|4711|alt|Zeile 1\r\nZeile 2");
}

TEST(TerminalUi, AccessDataEscInAFieldCancels) {
  PtySession tty([] { return EditAccess("4711", ""); });
  ASSERT_TRUE(tty.WaitFor("Login-ID des Vermittlers: 4711"));
  tty.Type("9\x1b");
  EXPECT_EQ(tty.Result(), "2|4711||Zeile 1\r\nZeile 2");
}

TEST(TerminalUi, AccessDataTakesAtMost255Characters) {
  const std::string longLogin(300, 'L');
  PtySession tty([&] { return EditAccess(longLogin, ""); });
  ASSERT_TRUE(tty.WaitFor("Login-ID des Vermittlers: "));
  tty.Type("\r");
  ASSERT_TRUE(tty.WaitFor("PIN des Vermittlers *: "));
  tty.Type("\r");
  ASSERT_TRUE(tty.WaitFor("[Enter] OK"));
  tty.Type("\r");
  EXPECT_EQ(tty.Result(), "1|" + std::string(255, 'L') + "||");
}

// A stand-in for the desktop's opener that notes what it was asked to open.
class FakeOpener {
 public:
  FakeOpener() {
    dir_ = std::filesystem::temp_directory_path() /
           ("korvun_opener_" + std::to_string(::getpid()) + "_" + std::to_string(counter_++));
    std::filesystem::create_directories(dir_);
    const auto script = dir_ / "xdg-open";
    std::ofstream(script) << "#!/bin/sh\nprintf '%s' \"$1\" > \"" << Noted().string()
                          << ".tmp\" && mv \"" << Noted().string() << ".tmp\" \""
                          << Noted().string() << "\"\n";
    ::chmod(script.c_str(), 0755);
  }
  ~FakeOpener() { std::filesystem::remove_all(dir_); }
  std::string Path() const { return dir_.string() + ":" + (::getenv("PATH") ? ::getenv("PATH") : ""); }
  std::filesystem::path Noted() const { return dir_ / "opened.txt"; }
  // What was opened, once the opener has run.
  std::string WaitForOpened() const {
    for (int i = 0; i < 200 && !std::filesystem::exists(Noted()); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::ifstream in(Noted());
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

 private:
  static inline int counter_ = 0;
  std::filesystem::path dir_;
};

TEST(TerminalUi, HelpOpensTheManualAndKeepsTheForm) {
  FakeOpener opener;
  const std::string path = opener.Path();
  PtySession tty([&] {
    ::setenv("PATH", path.c_str(), 1);
    return EditAccess("4711", "");
  });
  ASSERT_TRUE(tty.WaitFor("Login-ID des Vermittlers: 4711"));
  tty.Type("\r\r");
  ASSERT_TRUE(tty.WaitFor("[F1 oder ?] Anleitung"));
  tty.Type("?");
  EXPECT_EQ(opener.WaitForOpened(), ManualPath());
  ASSERT_TRUE(tty.WaitFor("[Enter] OK"));  // asked again
  tty.Type("\r");
  EXPECT_EQ(tty.Result(), "1|4711||");
}

TEST(TerminalUi, ManualPathIsBesideTheProgram) {
  const std::string exe = std::filesystem::read_symlink("/proc/self/exe").string();
  EXPECT_EQ(ManualPath(), exe.substr(0, exe.rfind('/') + 1) +
                              "Korvun/ZUV/Die Schnittstelle zur ZUV.pdf");
}

TEST(TerminalUi, ManualBesideTheProgramFirstElseInTheDocFolder) {
  namespace fs = std::filesystem;
  const fs::path root = fs::temp_directory_path() / ("korvun_manual_" + std::to_string(::getpid()));
  const fs::path programDir = root / "bin", libraryDir = root / "l1/l2/l3/l4";
  const fs::path beside = programDir / "Korvun/ZUV/Die Schnittstelle zur ZUV.pdf";
  const fs::path installed =
      (libraryDir / KORVUN_PKGLIB_TO_DOC / "Die Schnittstelle zur ZUV.pdf").lexically_normal();
  const auto choose = [&] {
    return ChooseManualPath(programDir.string() + "/", libraryDir.string() + "/");
  };
  fs::create_directories(libraryDir);
  EXPECT_EQ(choose(), beside.string());  // neither: the place the dialog always named
  fs::create_directories(installed.parent_path());
  std::ofstream(installed) << "%PDF";
  EXPECT_EQ(choose(), installed.string());
  fs::create_directories(beside.parent_path());
  std::ofstream(beside) << "%PDF";
  EXPECT_EQ(choose(), beside.string());
  fs::remove_all(root);
}

TEST(TerminalUi, InformationWaitsForEnter) {
  PtySession tty([] {
    auto ui = MakeTerminalUi();
    if (!ui) return std::string("no terminal");
    ui->ShowInformation("Information",
                        "Der Erst-Import umfasst eine grosse Zahl von Depotdaten.\r"
                        "Dieser Vorgang kann eventuell einige Minuten dauern.");
    return std::string("closed");
  });
  ASSERT_TRUE(tty.WaitFor("Information"));
  ASSERT_TRUE(tty.WaitFor("Der Erst-Import umfasst eine grosse Zahl von Depotdaten.\r\n"
                          "Dieser Vorgang kann eventuell einige Minuten dauern."));
  ASSERT_TRUE(tty.WaitFor("[Enter] OK"));
  tty.Type("x");  // other keys do not close it
  tty.Type("\r");
  EXPECT_EQ(tty.Result(), "closed");
}

TEST(TerminalUi, ProgressIsCancelledWithA) {
  PtySession tty([] {
    auto ui = MakeTerminalUi();
    if (!ui) return std::string("no terminal");
    std::string log;
    log += ui->ProgressCancelled() ? "C" : "-";  // no window yet
    ui->ProgressShow();
    log += ui->ProgressCancelled() ? "C" : "-";
    std::fputs("\n[bereit]\n", stdout);  // the person may press keys from now on
    std::fflush(stdout);
    // The download asks after every block; here until the person answers.
    for (int i = 0; i < 2000 && !ui->ProgressCancelled(); ++i) {
      ui->ProcessPendingMessages();
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    log += ui->ProgressCancelled() ? "C" : "-";
    ui->ProgressShow();  // a second show keeps the cancel
    log += ui->ProgressCancelled() ? "C" : "-";
    ui->ProgressHide();
    log += ui->ProgressCancelled() ? "C" : "-";
    return log;
  });
  ASSERT_TRUE(tty.WaitFor("Download l\xC3\xA4uft ..."));
  ASSERT_TRUE(tty.WaitFor("[bereit]"));
  tty.Type("a");
  ASSERT_TRUE(tty.WaitFor("Download wird abgebrochen !"));
  EXPECT_EQ(tty.Result(), "--CC-");
}

TEST(TerminalUi, ProgressIsCancelledWithEsc) {
  PtySession tty([] {
    auto ui = MakeTerminalUi();
    if (!ui) return std::string("no terminal");
    ui->ProgressShow();
    for (int i = 0; i < 2000 && !ui->ProgressCancelled(); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const bool cancelled = ui->ProgressCancelled();
    ui->ProgressHide();
    return std::string(cancelled ? "cancelled" : "running");
  });
  ASSERT_TRUE(tty.WaitFor("Download abbrechen"));
  tty.Type("\x1b");
  EXPECT_EQ(tty.Result(), "cancelled");
}

TEST(TerminalUi, ProxyCredentials) {
  PtySession tty([] {
    auto ui = MakeTerminalUi();
    if (!ui) return std::string("no terminal");
    std::string user, password;
    const ProxyCredentials r = ui->AskProxyCredentials("proxy.example:3128", &user, &password);
    return std::to_string(static_cast<int>(r)) + "|" + user + "|" + password;
  });
  ASSERT_TRUE(tty.WaitFor("Der Proxy-Server proxy.example:3128 verlangt eine Anmeldung."));
  ASSERT_TRUE(tty.WaitFor("Benutzername: "));
  tty.Type("\r");  // a name is needed
  ASSERT_TRUE(tty.WaitFor("Benutzername: "));
  tty.Type("j\xC3\xB6rg\r");
  ASSERT_TRUE(tty.WaitFor("Kennwort: "));
  const size_t secretStart = tty.Mark();
  tty.Type("geheim\r");
  EXPECT_EQ(tty.Result(), std::to_string(static_cast<int>(ProxyCredentials::kGiven)) +
                              "|j\xF6rg|geheim");
  EXPECT_EQ(tty.OutputSince(secretStart).find("geheim"), std::string::npos);
}

TEST(TerminalUi, ProxyCredentialsDismissed) {
  PtySession tty([] {
    auto ui = MakeTerminalUi();
    if (!ui) return std::string("no terminal");
    std::string user, password;
    return std::to_string(static_cast<int>(ui->AskProxyCredentials("p:1", &user, &password)));
  });
  ASSERT_TRUE(tty.WaitFor("Benutzername: "));
  tty.Type("\x1b");
  EXPECT_EQ(tty.Result(), std::to_string(static_cast<int>(ProxyCredentials::kDismissed)));
}

// The face a process gets, decided in a child with the given surroundings.
std::string ChosenFace(const char* korvunUi, const char* display) {
  if (korvunUi)
    ::setenv("KORVUN_UI", korvunUi, 1);
  else
    ::unsetenv("KORVUN_UI");
  if (display)
    ::setenv("DISPLAY", display, 1);
  else
    ::unsetenv("DISPLAY");
  auto ui = MakeChosenUi();
  return std::string(ui->FaceName()) + (ui->Interactive() ? "+" : "-");
}

TEST(UiSelection, TerminalWhenThereIsOneAndNoDisplay) {
  PtySession tty([] { return ChosenFace(nullptr, nullptr); });
  EXPECT_EQ(tty.Result(), "tty+");
}

TEST(UiSelection, NoneWhenAskedFor) {
  PtySession tty([] { return ChosenFace("none", nullptr); });
  EXPECT_EQ(tty.Result(), "none-");
}

TEST(UiSelection, AskedForDesktopWithoutDisplayFallsBackToTerminal) {
  PtySession tty([] { return ChosenFace("gui", nullptr); });
  EXPECT_EQ(tty.Result(), "tty+");
}

TEST(UiSelection, DisplayThatDoesNotOpenFallsBackToTerminal) {
  // No X server listens on this display number.
  PtySession tty([] { return ChosenFace(nullptr, ":4917"); });
  EXPECT_EQ(tty.Result(), "tty+");
}

TEST(UiSelection, SilentWithoutTerminalOrDisplay) {
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::setsid();  // a new session has no controlling terminal
    const std::string face = ChosenFace(nullptr, nullptr) + (MakeTerminalUi() ? "T" : "0");
    if (::write(fds[1], face.data(), face.size()) < 0) ::_exit(1);
    ::_exit(0);
  }
  ::close(fds[1]);
  char buf[64] = {};
  const ssize_t n = ::read(fds[0], buf, sizeof buf - 1);
  ::close(fds[0]);
  ::waitpid(pid, nullptr, 0);
  EXPECT_EQ(std::string(buf, n > 0 ? static_cast<size_t>(n) : 0), "none-0");
}

#ifdef KORVUN_LIBRARY_PATH
int NoteDesktopLibraries(dl_phdr_info* info, size_t, void* data) {
  const std::string name = info->dlpi_name ? info->dlpi_name : "";
  for (const char* x : {"libX11", "libfltk", "libkorvun_ui_fltk"})
    if (name.find(x) != std::string::npos) *static_cast<std::string*>(data) += name + " ";
  return 0;
}

TEST(UiSelection, LibraryRunsWithoutAnyX11Library) {
  // A server without display or terminal: the dialog export answers
  // "cancelled" and nothing of X11 or the toolkit is ever loaded.
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::setsid();
    ::unsetenv("DISPLAY");
    ::unsetenv("KORVUN_UI");
    std::string report = "no library";
    if (void* library = ::dlopen(KORVUN_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL)) {
      using Dialog = int32_t (*)(char*, char*, char*);
      auto dialog = reinterpret_cast<Dialog>(::dlsym(library, "ApiDataDialog"));
      char login[128] = "4711", pin[128] = "", extra[4096] = "";
      report = std::to_string(dialog ? dialog(login, pin, extra) : -1) + "|";
      ::dl_iterate_phdr(&NoteDesktopLibraries, &report);
    }
    if (::write(fds[1], report.data(), report.size()) < 0) ::_exit(1);
    ::_exit(0);
  }
  ::close(fds[1]);
  std::string report;
  char buf[512];
  for (ssize_t n; (n = ::read(fds[0], buf, sizeof buf)) > 0;) report.append(buf, static_cast<size_t>(n));
  ::close(fds[0]);
  ::waitpid(pid, nullptr, 0);
  EXPECT_EQ(report, "2|");
}
#endif

TEST(UiSelection, SilentFaceAnswersAtOnce) {
  auto ui = MakeSilentUi();
  std::string pin = "x", login = "l", extra = "e";
  EXPECT_FALSE(ui->AskPassword("ZUV", "4711", &pin));
  EXPECT_EQ(pin, "x");
  EXPECT_EQ(ui->EditAccessData("2.2.2", &login, &pin, &extra), 2);
  EXPECT_EQ(login, "l");
  ui->ShowInformation("Information", "text");
  ui->ProgressShow();
  EXPECT_FALSE(ui->ProgressCancelled());
  ui->ProgressHide();
  std::string user, password;
  EXPECT_EQ(ui->AskProxyCredentials("p", &user, &password), ProxyCredentials::kUnavailable);
}

}  // namespace
}  // namespace korvun
