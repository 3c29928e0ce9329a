// The library as a host sees it.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "include/korvun_zuv.h"

namespace {

class ExportsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ::setenv("KORVUN_REGISTRY", "/nonexistent/registry.reg", 1);
    ::setenv("KORVUN_UI", "none", 1);
    // Without settings a run would take the built-in provider address: any
    // request must end at a dead port on this machine.
    for (const char* proxy : {"https_proxy", "HTTPS_PROXY", "http_proxy", "all_proxy"})
      ::setenv(proxy, "http://127.0.0.1:9", 1);
    ::unsetenv("no_proxy");
    ::unsetenv("NO_PROXY");
    handle = ::dlopen(KORVUN_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr) << ::dlerror();
  }
  static void TearDownTestSuite() {
    if (handle) ::dlclose(handle);
    handle = nullptr;
  }
  template <typename Fn>
  static Fn Get(const char* name) {
    auto fn = reinterpret_cast<Fn>(::dlsym(handle, name));
    EXPECT_NE(fn, nullptr) << name;
    return fn;
  }
  static void* handle;
};
void* ExportsTest::handle = nullptr;

TEST_F(ExportsTest, Versions) {
  auto versionInfo = Get<VersionInfoFn>("VersionInfo");
  EXPECT_EQ(versionInfo(), 40300);
  unsigned char buffer[256];
  std::memset(buffer, 0xAA, sizeof buffer);
  Get<ImportVersionInfoFn>("ImportVersionInfo")(buffer);
  EXPECT_EQ(buffer[0], 5);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer + 1), 5), "2.2.2");
  EXPECT_EQ(buffer[6], 0xAA) << "no terminator is written";
  EXPECT_EQ(versionInfo(), 40300);
}

TEST_F(ExportsTest, HostVersionCheck) {
  auto check = Get<AppVersionCheckFn>("AppVersionCheck");
  EXPECT_EQ(check(40337), -1);
  EXPECT_EQ(check(0), -1);
  EXPECT_EQ(check(40338), 0);
  EXPECT_EQ(check(50000), 0);
}

int g_reports = 0;
void KORVUN_ZUV_CALL CountReports(int32_t, int32_t, const char*) { ++g_reports; }

TEST_F(ExportsTest, RunWithoutAccessDataIsMinus11AndItsMessage) {
  EXPECT_EQ(Get<RegProgrCallbackFn>("RegProgrCallback")(CountReports), 0);
  double last = 0;
  EXPECT_EQ(Get<ExportXMLFn>("ExportXML")("/tmp/xml_temp", "12345", 0, &last, nullptr), -11);
  EXPECT_EQ(g_reports, 0);
  EXPECT_EQ(Get<RegProgrCallbackFn>("RegProgrCallback")(nullptr), 0);

  char buffer[1024];
  EXPECT_EQ(Get<GetExportErrorMsgFn>("GetExportErrorMsg")(-11, buffer), 0);
  EXPECT_STREQ(buffer,
               "Keine ZUV-Zugangsdaten erfasst.\r\n"
               "Erfassen Sie bitte die ZUV-Zugangsdaten in der Beraterverwaltung.");
}

TEST_F(ExportsTest, RunWithoutLoginIsMinus12) {
  double last = 0;
  EXPECT_EQ(Get<ExportXMLFn>("ExportXML")("/tmp/xml_temp", "12345", 0, &last,
                                          "EmbeddedIBServer=TRUE\r\nPassword=1"),
            -12);
}

TEST_F(ExportsTest, UnknownCodeLeavesTheBufferUntouched) {
  auto message = Get<GetExportErrorMsgFn>("GetExportErrorMsg");
  char buffer[64];
  std::strcpy(buffer, "unberuehrt");
  for (int code : {0, -10, -16, -1016}) {
    EXPECT_EQ(message(code, buffer), -1);
    EXPECT_STREQ(buffer, "unberuehrt");
  }
  EXPECT_EQ(message(-11, nullptr), -1);
}

TEST_F(ExportsTest, AccessDialogWithoutAPersonIsCancelledAndLeavesBuffers) {
  char login[128] = "4711", pin[128] = "1234", extra[4096] = "Notiz";
  EXPECT_EQ(Get<ApiDataDialogFn>("ApiDataDialog")(login, pin, extra), 2);
  EXPECT_STREQ(login, "4711");
  EXPECT_STREQ(pin, "1234");
  EXPECT_STREQ(extra, "Notiz");
}

}  // namespace
