// A download cancelled with the progress window's button, as a person does
// it: the Win32 face of the DLL, the button clicked from a second thread
// while the simulator holds back the second half of the archive.
#include <gtest/gtest.h>

#include <string>

#include "include/korvun_zuv.h"
#include "tests/windows/ui/dialog_driver.hpp"
#include "tests/windows/windows_test_support.hpp"

namespace korvun {
namespace {

// As the host application does: its callback lets the thread's window
// messages through, which is when the progress window sees the click.
void KORVUN_ZUV_CALL PassWindowMessages(int32_t, int32_t, const char*) {
  MSG message;
  while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
  }
}

TEST(WindowsCancel, ProgressWindowButtonEndsTheRunWith1015) {
  auto info = testing::ReadInfoFile("KORVUN_SIM_INFO");
  ASSERT_TRUE(testing::TrustCa(info["CA"]));
  char temp[MAX_PATH];
  ::GetTempPathA(MAX_PATH, temp);
  // Z:/build/.../windows-data/ with its staging database, in Windows form.
  std::string dataDir = std::getenv("KORVUN_DATA_DIR") ? std::getenv("KORVUN_DATA_DIR") : "";
  for (char& c : dataDir)
    if (c == '/') c = '\\';
  testing::WriteSimulatorSettings(info["PORT"], dataDir);

  HMODULE library = ::LoadLibraryA(testing::BuildDllPath().c_str());
  ASSERT_NE(library, nullptr);
  auto exportXml = reinterpret_cast<ExportXMLFn>(
      reinterpret_cast<void*>(::GetProcAddress(library, "ExportXML")));

  auto registerCallback = reinterpret_cast<RegProgrCallbackFn>(
      reinterpret_cast<void*>(::GetProcAddress(library, "RegProgrCallback")));
  registerCallback(&PassWindowMessages);

  // Only posted messages here: the main thread sits in a blocking read while
  // the server pauses, so anything sent to its windows would wait for it.
  // (The window's own reaction to the click is the dialog tests' subject.)
  test::DialogDriver driver("Info", [&](HWND window) {
    test::Click(window, test::Child(window, "Button", "Download abbrechen"));
  });
  double lastImport = 0;
  const int32_t result = exportXml(
      temp, "12345-678", 0, &lastImport,
      "UserLogin=ZUVTEST\r\nPassword=geheim\r\nEmbeddedIBServer=TRUE\r\nNoMessageBoxes=TRUE\r\n");
  EXPECT_TRUE(driver.Finish()) << "no progress window";
  char message[1024] = {};
  reinterpret_cast<GetExportErrorMsgFn>(
      reinterpret_cast<void*>(::GetProcAddress(library, "GetExportErrorMsg")))(result, message);
  EXPECT_EQ(result, -1015) << message;
  EXPECT_EQ(::FindWindowA(nullptr, "Info"), nullptr) << "the window is gone after the run";
}

}  // namespace
}  // namespace korvun
