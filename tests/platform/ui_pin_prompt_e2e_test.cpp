// A run whose PIN is not stored, against the provider simulator: the PIN is
// asked on the terminal and reaches the provider; without message boxes the
// run ends with -15 before any request.
#include <gtest/gtest.h>

#include "base/status.hpp"
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "tests/e2e/e2e_fixture.hpp"
#include "tests/platform/ui_pty_session.hpp"

namespace korvun::e2e {
namespace {

using korvun::testing::PtySession;

class PinPromptEndToEnd : public EndToEndTest {
 protected:
  std::string AccessWithoutPin(const std::string& extra = "") const {
    return "UserLogin=" + login_ + "\r\nVerBerNr=138010\r\nVersionLastUsed=2.2.2\r\n"
           "EmbeddedIBServer=TRUE\r\n" + extra;
  }
  // The command-line host runs the export in a terminal of its own, with
  // the terminal face and the given access data.
  std::unique_ptr<PtySession> ExportInTerminal(const std::string& beraterRef,
                                               const std::string& access) {
    accessFile_ = (root_ / "access.txt").string();
    std::ofstream(accessFile_, std::ios::binary) << access;
    hostXmlDir_ = xmlDir_.string();
    hostRef_ = beraterRef;
    return std::make_unique<PtySession>([this] {
      ::setenv("KORVUN_UI", "tty", 1);
      ::execl(KORVUN_HOST_PATH, "korvun-zuv", "--library", KORVUN_LIBRARY_PATH, "export",
              "--xml-dir", hostXmlDir_.c_str(), "--berater-ref", hostRef_.c_str(), "--access",
              accessFile_.c_str(), "--embedded-db", static_cast<char*>(nullptr));
      ::_exit(127);
      return std::string();
    });
  }
  std::string accessFile_, hostXmlDir_, hostRef_;
};

TEST_F(PinPromptEndToEnd, PinTypedOnTheTerminalReachesTheProvider) {
  GenerateProviderData(20, 3);
  StartSimulator();
  const auto session = ExportInTerminal("12345-678", AccessWithoutPin());
  PtySession& tty = *session;
  ASSERT_TRUE(tty.WaitFor("ZUV Zugangsberechtigung")) << tty.Output();
  ASSERT_TRUE(tty.WaitFor("<" + login_ + "> f\xC3\xBCr die ZUV-Depotschnittstelle ein: "));
  ASSERT_TRUE(tty.WaitFor("PIN: "));
  ASSERT_TRUE(SimulatorLog().empty()) << "nothing is requested before the PIN is there";
  tty.Type(pin_ + "\r");
  // A first import tells the person that it may take a while.
  ASSERT_TRUE(tty.WaitFor("Der Erst-Import umfasst eine grosse Zahl von Depotdaten."))
      << tty.Output();
  ASSERT_TRUE(tty.WaitFor("[Enter] OK"));
  tty.Type("\r");
  tty.Result();
  EXPECT_EQ(tty.ExitCode(), 0) << tty.Output();

  const auto log = SimulatorLog();
  ASSERT_EQ(log.size(), 2u);
  for (const auto& line : log) {
    EXPECT_NE(line.find("\"pinOk\":true"), std::string::npos) << line;
    EXPECT_NE(line.find("\"pin\":\"****\""), std::string::npos) << line;
    EXPECT_EQ(line.find(pin_), std::string::npos) << line;
  }
  EXPECT_EQ(tty.Output().find(pin_), std::string::npos) << "the PIN is never shown";
  EXPECT_NE(ReadXml().find("<I_BeraterRef>12345-678</I_BeraterRef>"), std::string::npos);
}

TEST_F(PinPromptEndToEnd, CancelledPromptIsMinus15WithoutRequest) {
  GenerateProviderData(5, 4);
  StartSimulator();
  const auto session = ExportInTerminal("12345", AccessWithoutPin());
  PtySession& tty = *session;
  ASSERT_TRUE(tty.WaitFor("PIN: ")) << tty.Output();
  tty.Type("\x1b");
  tty.Result();
  EXPECT_NE(tty.ExitCode(), 0);
  EXPECT_TRUE(SimulatorLog().empty());
}

TEST_F(PinPromptEndToEnd, DownloadCancelledOnTheTerminalIsMinus1015) {
  GenerateProviderData(20, 5);
  sim::SimulatorOptions options;
  options.script = "stall 4\n";  // half the archive, then a pause
  StartSimulator(options);
  const auto session = ExportInTerminal(
      "12345-678", AccessWithoutPin("Password=" + pin_ + "\r\nNoMessageBoxes=TRUE\r\n"));
  PtySession& tty = *session;
  ASSERT_TRUE(tty.WaitFor("Esc oder a: ")) << tty.Output();
  tty.Type("a");
  tty.Result();
  EXPECT_NE(tty.ExitCode(), 0);
  EXPECT_NE(tty.Output().find("Ergebnis -1015"), std::string::npos) << tty.Output();
  EXPECT_NE(tty.Output().find("Download durch Benutzer abgebrochen"), std::string::npos);
  EXPECT_EQ(SimulatorLog().size(), 1u) << "no transactions request after the cancel";
  EXPECT_FALSE(std::filesystem::exists(xmlDir_ / "ZUV.XML"));
}

TEST_F(PinPromptEndToEnd, NoMessageBoxesWithoutPinIsMinus15WithoutRequest) {
  GenerateProviderData(5, 4);
  StartSimulator();
  double last = 0;
  EXPECT_EQ(Export("12345", &last, AccessWithoutPin("NoMessageBoxes=TRUE\r\n")), CodeValue(ExportErrorCode::kNoPassword));
  EXPECT_TRUE(SimulatorLog().empty());
}

}  // namespace
}  // namespace korvun::e2e
