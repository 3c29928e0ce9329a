// A careless host: null pointers in every pointer argument, an access text
// of 10 MB, a progress callback that asks for a message while it reports.
// Every call returns; none brings the process down.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "include/korvun_zuv.h"

namespace {

namespace fs = std::filesystem;

const char kAccess[] =
    "UserLogin=ZUVTEST\r\nPassword=geheim\r\nVerBerNr=138010\r\nEmbeddedIBServer=TRUE\r\n"
    "NoMessageBoxes=TRUE\r\n";

class HostMisuse : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("korvun_misuse_" + std::to_string(::getpid()));
    fs::create_directories(root_ / "ZUV");
    // Nothing listens on port 9: every run that gets as far as a request
    // ends there, on this machine.
    std::ofstream(root_ / "registry.reg", std::ios::binary)
        << "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Brenhalt\\Tarvo\\Korvun\\ZUV]\r\n"
        << "\"DownloadSrvUrl\"=\"https://127.0.0.1:9/actionus/aes/onlinedatatransfer\"\r\n"
        << "\"DataDir\"=\"" << (root_ / "ZUV").string() << "/\"\r\n";
    ::setenv("KORVUN_REGISTRY", (root_ / "registry.reg").c_str(), 1);
    ::setenv("KORVUN_UI", "none", 1);
    library_ = ::dlopen(KORVUN_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library_, nullptr) << ::dlerror();
    exportXml_ = Get<ExportXMLFn>("ExportXML");
    message_ = Get<GetExportErrorMsgFn>("GetExportErrorMsg");
    register_ = Get<RegProgrCallbackFn>("RegProgrCallback");
  }
  void TearDown() override {
    if (register_) register_(nullptr);
    if (library_) ::dlclose(library_);
    ::unsetenv("KORVUN_REGISTRY");
    fs::remove_all(root_);
  }
  template <typename Fn>
  Fn Get(const char* name) {
    auto fn = reinterpret_cast<Fn>(::dlsym(library_, name));
    EXPECT_NE(fn, nullptr) << name;
    return fn;
  }
  // A failed run's code has a message; the run's own code comes back.
  int32_t ExpectFailureWithMessage(int32_t code) {
    char buffer[1024] = "";
    EXPECT_NE(code, 0);
    EXPECT_EQ(message_(code, buffer), 0) << code;
    EXPECT_GT(std::strlen(buffer), 0u) << code;
    return code;
  }

  fs::path root_;
  void* library_ = nullptr;
  ExportXMLFn exportXml_ = nullptr;
  GetExportErrorMsgFn message_ = nullptr;
  RegProgrCallbackFn register_ = nullptr;
};

TEST_F(HostMisuse, NullPointerInEveryArgumentOfExportXml) {
  const std::string dir = (root_ / "xml").string();
  double date = 0;
  struct Case {
    const char* xmlDir;
    const char* beraterRef;
    double* lastImport;
    const char* access;
  } cases[] = {
      {nullptr, "12345", &date, kAccess},
      {dir.c_str(), nullptr, &date, kAccess},
      {dir.c_str(), "12345", nullptr, kAccess},
      {dir.c_str(), "12345", &date, nullptr},
      {nullptr, nullptr, nullptr, nullptr},
  };
  for (const auto& c : cases) ExpectFailureWithMessage(exportXml_(c.xmlDir, c.beraterRef, 0, c.lastImport, c.access));
}

TEST_F(HostMisuse, NullPointerInEveryOtherExport) {
  Get<ImportVersionInfoFn>("ImportVersionInfo")(nullptr);
  EXPECT_EQ(message_(-40, nullptr), -1);
  EXPECT_EQ(register_(nullptr), register_(nullptr));
  // Missing buffers: the dialog's "cancelled", nothing shown or written.
  char login[128] = "4711", pin[128] = "alt", extra[128] = "";
  const auto dialog = Get<ApiDataDialogFn>("ApiDataDialog");
  EXPECT_EQ(dialog(nullptr, pin, extra), 2);
  EXPECT_EQ(dialog(login, nullptr, extra), 2);
  EXPECT_EQ(dialog(login, pin, nullptr), 2);
  EXPECT_STREQ(login, "4711");
}

TEST_F(HostMisuse, AccessTextOfTenMegabytes) {
  const std::string huge = "UserLogin=ZUVTEST\r\nNoMessageBoxes=TRUE\r\nVerBerNr=" +
                           std::string(10u << 20, '7') + "\r\nPassword=geheim\r\n";
  double date = 0;
  const std::string dir = (root_ / "xml").string();
  ExpectFailureWithMessage(exportXml_(dir.c_str(), "12345", 0, &date, huge.c_str()));
}

char reportMessage[1024];
int reportsAsking = 0;
GetExportErrorMsgFn messageInReport = nullptr;

void KORVUN_ZUV_CALL AskForAMessage(int32_t, int32_t, const char*) {
  ++reportsAsking;
  messageInReport(-40, reportMessage);
  messageInReport(-2, reportMessage);
}

TEST_F(HostMisuse, CallbackAsksForAMessageWhileItReports) {
  messageInReport = message_;
  ASSERT_EQ(register_(AskForAMessage), 0);
  double date = 0;
  const std::string dir = (root_ / "xml").string();
  ExpectFailureWithMessage(exportXml_(dir.c_str(), "12345", 0, &date, kAccess));
  EXPECT_GT(reportsAsking, 0);
}

}  // namespace
