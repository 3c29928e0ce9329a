// Whole exports through the Windows DLL under Wine, as a host makes them:
// LoadLibrary, the seven exports, the settings in the registry, the provider
// simulator over WinINet, the Linux engine behind the test's client bridge.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "include/korvun_zuv.h"
#include "tests/windows/windows_test_support.hpp"

namespace korvun {
namespace {

class WindowsExport : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    info_ = testing::ReadInfoFile("KORVUN_E2E_INFO");
    trusted_ = testing::TrustCa(info_["CA"]);
    testing::WriteSimulatorSettings(info_["PORT"], info_["DATADIR"]);
    library_ = ::LoadLibraryA(testing::BuildDllPath().c_str());
  }
  template <typename Fn>
  static Fn Export(const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(library_, name)));
  }
  void SetUp() override {
    ASSERT_TRUE(trusted_) << info_["CA"];
    ASSERT_NE(library_, nullptr) << testing::BuildDllPath();
  }

  int32_t Run(const std::string& pin) {
    const std::string access = "UserLogin=ZUVTEST\r\nPassword=" + pin +
                               "\r\nEmbeddedIBServer=TRUE\r\nNoMessageBoxes=TRUE\r\n";
    double lastImport = 0;
    return Export<ExportXMLFn>("ExportXML")(info_["XMLDIR"].c_str(), "12345-678", 0, &lastImport,
                                            access.c_str());
  }
  std::string Message(int32_t code) {
    char buffer[1024] = {};
    Export<GetExportErrorMsgFn>("GetExportErrorMsg")(code, buffer);
    return buffer;
  }

  static std::map<std::string, std::string> info_;
  static bool trusted_;
  static HMODULE library_;
};
std::map<std::string, std::string> WindowsExport::info_;
bool WindowsExport::trusted_ = false;
HMODULE WindowsExport::library_ = nullptr;

// Before any run: the texts then carry no details of an earlier one.
TEST_F(WindowsExport, EveryMessageEqualsTheLinuxLibrarysByteForByte) {
  for (int32_t code : {0, 1, -1, -2, -3, -4, -5, -6, -7, -8, -9, -10, -11, -12, -13, -14, -15, -21,
                       -22, -23, -28, -29, -30, -31, -32, -33, -34, -35, -40, -99, -1015, 12345}) {
    std::string linux = testing::ReadWholeFile(info_["MESSAGES"] + "\\" + std::to_string(code) + ".txt");
    if (!linux.empty() && linux.back() == '\n') linux.pop_back();  // the host's line end
    // The Linux host prints the message's CR LF line breaks as LF.
    std::string windows = Message(code);
    for (size_t at; (at = windows.find("\r\n")) != std::string::npos;) windows.erase(at, 1);
    EXPECT_EQ(windows, linux) << code;
  }
}

TEST_F(WindowsExport, FirstImportWritesTheLinuxBuildsFileByteForByte) {
  ASSERT_EQ(Run("geheim"), 0) << Message(0);
  const std::string written = testing::ReadWholeFile(info_["XMLDIR"] + "\\ZUV.XML");
  const std::string reference = testing::ReadWholeFile(info_["REFERENCE"]);
  ASSERT_FALSE(reference.empty());
  EXPECT_EQ(written.size(), reference.size());
  EXPECT_TRUE(written == reference) << "ZUV.XML differs from the Linux build's";
}

TEST_F(WindowsExport, WrongPinEndsWithTheProvidersLoginError) {
  EXPECT_EQ(Run("falsch"), -31);
  EXPECT_NE(Message(-31), "");
}

TEST_F(WindowsExport, ArchiveThatIsNoZip) {
  EXPECT_EQ(Run("geheim"), -23);
}

// The provider's clock is a day ahead: today's holdings request is refused,
// tomorrow's taken, and the import file carries the accepted day.
TEST_F(WindowsExport, RejectedTimestampIsRetriedWithTomorrow) {
  ASSERT_EQ(Run("geheim"), 0) << Message(-32);
  SYSTEMTIME now;
  ::GetLocalTime(&now);
  FILETIME time;
  ::SystemTimeToFileTime(&now, &time);
  ULARGE_INTEGER ticks{{time.dwLowDateTime, time.dwHighDateTime}};
  ticks.QuadPart += 864000000000ULL;  // one day
  time = {ticks.LowPart, ticks.HighPart};
  SYSTEMTIME tomorrow;
  ::FileTimeToSystemTime(&time, &tomorrow);
  char date[32];
  std::snprintf(date, sizeof date, "<I_Datum>%04d-%02d-%02d</I_Datum>", tomorrow.wYear,
                tomorrow.wMonth, tomorrow.wDay);
  EXPECT_NE(testing::ReadWholeFile(info_["XMLDIR"] + "\\ZUV.XML").find(date), std::string::npos)
      << date;
}

TEST_F(WindowsExport, MissingStagingDatabaseIsAnUnexpectedFailureWithItsCause) {
  testing::WriteSettings({{"ImportDB", info_["DATADIR"] + "FEHLT.IDB"}});
  EXPECT_EQ(Run("geheim"), -40);
  testing::WriteSettings({{"ImportDB", ""}});
  const std::string message = Message(-40);
  EXPECT_EQ(message.rfind("Unerwarteter Fehler: ", 0), 0u) << message;
  EXPECT_GT(message.size(), 25u);
}

std::vector<std::string>& Reports() {
  static std::vector<std::string> reports;
  return reports;
}
void KORVUN_ZUV_CALL RecordLog(int32_t kind, int32_t, const char* text) {
  if (kind == 3) Reports().push_back(text);
}

// A follow-up import (last import a week ago) with DebugMode 1: both requests
// are logged with their plain parameters, the PIN masked.
TEST_F(WindowsExport, FollowUpImportLogsTheRequestsWithThePinMasked) {
  testing::WriteSettings({{"DebugMode", "1"}});
  Export<RegProgrCallbackFn>("RegProgrCallback")(RecordLog);
  const std::string access =
      "UserLogin=ZUVTEST\r\nPassword=geheim\r\nEmbeddedIBServer=TRUE\r\nNoMessageBoxes=TRUE\r\n";
  SYSTEMTIME now;
  ::GetLocalTime(&now);
  FILETIME today;
  ::SystemTimeToFileTime(&now, &today);
  // Day count since 1899-12-30, a week ago.
  const double days = static_cast<double>((static_cast<unsigned long long>(today.dwHighDateTime) << 32 |
                                           today.dwLowDateTime) / 864000000000ULL) - 109205.0 - 7;
  double lastImport = days;
  const int32_t result = Export<ExportXMLFn>("ExportXML")(info_["XMLDIR"].c_str(), "12345-678", 0,
                                                          &lastImport, access.c_str());
  Export<RegProgrCallbackFn>("RegProgrCallback")(nullptr);
  testing::WriteSettings({{"DebugMode", ""}});
  std::string log;  // the WinINet failure's own words, should the run fail
  for (const auto& text : Reports()) log += "\n" + text;
  EXPECT_EQ(result, 0) << Message(result) << log;
  int debugLines = 0;
  for (const auto& text : Reports()) {
    if (text.rfind("Download von URL: ", 0) != 0) continue;
    ++debugLines;
    EXPECT_NE(text.find("****"), std::string::npos) << text;
    EXPECT_EQ(text.find("geheim"), std::string::npos) << text;
  }
  EXPECT_EQ(debugLines, 2);
}

#if defined(_WIN32) && !defined(_WIN64)
// Hosts built with the cdecl convention leave the three arguments on the
// stack; the plug-in's call into them must keep its stack right anyway.
int cdeclReports = 0;
void __cdecl CountReportsCdecl(int32_t, int32_t, const char*) { ++cdeclReports; }

TEST_F(WindowsExport, HostCallbackOfTheCdeclConventionServesAWholeRun) {
  Export<RegProgrCallbackFn>("RegProgrCallback")(
      reinterpret_cast<KorvunProgressCallback>(reinterpret_cast<void*>(&CountReportsCdecl)));
  const int32_t result = Run("geheim");
  Export<RegProgrCallbackFn>("RegProgrCallback")(nullptr);
  EXPECT_EQ(result, 0) << Message(result);
  EXPECT_GT(cdeclReports, 10);
  EXPECT_TRUE(testing::ReadWholeFile(info_["XMLDIR"] + "\\ZUV.XML") ==
              testing::ReadWholeFile(info_["REFERENCE"]));
}

// Hosts built by compilers that keep the stack aligned to 4 bytes only call
// in with any alignment. CallExportXmlAt4(fn, args...) calls fn with the
// stack 4 bytes off the 16 that GCC's own code keeps; the DLL's SSE code
// must realign for itself.
extern "C" int32_t CallExportXmlAt4(ExportXMLFn fn, const char* xmlDir, const char* ref,
                                    int32_t reserved, double* lastImport, const char* access);
asm(R"(
    .text
    .globl _CallExportXmlAt4
_CallExportXmlAt4:
    pushl %ebp
    movl %esp, %ebp
    andl $-16, %esp
    subl $8, %esp           # 5 arguments and the return address: 4 off at entry
    pushl 28(%ebp)
    pushl 24(%ebp)
    pushl 20(%ebp)
    pushl 16(%ebp)
    pushl 12(%ebp)
    call *8(%ebp)
    leave
    ret
)");

TEST_F(WindowsExport, HostWithAFourByteAlignedStackRunsAWholeExport) {
  const std::string access =
      "UserLogin=ZUVTEST\r\nPassword=geheim\r\nEmbeddedIBServer=TRUE\r\nNoMessageBoxes=TRUE\r\n";
  double lastImport = 0;
  const int32_t result = CallExportXmlAt4(Export<ExportXMLFn>("ExportXML"), info_["XMLDIR"].c_str(),
                                          "12345-678", 0, &lastImport, access.c_str());
  EXPECT_EQ(result, 0) << Message(result);
  EXPECT_TRUE(testing::ReadWholeFile(info_["XMLDIR"] + "\\ZUV.XML") ==
              testing::ReadWholeFile(info_["REFERENCE"]));
}
#endif

// InterBase's own client, gds32.dll, has isc_interprete where Firebird's has
// fb_interpret. Found through the folder InterBase's installer records, it
// serves a whole export (run in a process of its own: KORVUN_INTERBASE_CLIENT_DIR).
using InterBaseClient = WindowsExport;
TEST_F(InterBaseClient, WithoutFirebirdsFunctionsServesAWholeExport) {
  const char* folder = std::getenv("KORVUN_INTERBASE_CLIENT_DIR");
  if (!folder) GTEST_SKIP() << "run by its own test, win_e2e_interbase_client";
  std::string root = std::string("Z:") + folder;
  for (char& c : root)
    if (c == '/') c = '\\';
  HKEY key = nullptr;
  ASSERT_EQ(::RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Borland\\InterBase\\CurrentVersion", 0,
                              nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  ::RegSetValueExA(key, "RootDirectory", 0, REG_SZ, reinterpret_cast<const BYTE*>(root.c_str()),
                   static_cast<DWORD>(root.size() + 1));
  ::RegCloseKey(key);
  const int32_t result = Run("geheim");
  ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Borland\\InterBase\\CurrentVersion");
  ASSERT_EQ(result, 0) << Message(result);
  EXPECT_NE(::GetModuleHandleA("gds32.dll"), nullptr);
  EXPECT_EQ(::GetModuleHandleA("fbclient.dll"), nullptr);
  EXPECT_TRUE(testing::ReadWholeFile(info_["XMLDIR"] + "\\ZUV.XML") ==
              testing::ReadWholeFile(info_["REFERENCE"]));
}

TEST_F(WindowsExport, VersionExports) {
  EXPECT_EQ(Export<VersionInfoFn>("VersionInfo")(), 40300);
  unsigned char version[256] = {};
  Export<ImportVersionInfoFn>("ImportVersionInfo")(version);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(version + 1), version[0]), "2.2.2");
}

}  // namespace
}  // namespace korvun
