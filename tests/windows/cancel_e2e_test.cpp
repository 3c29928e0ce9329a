// A download cancelled with the progress window's button, as a person does
// it: the Win32 face of the DLL, the button clicked from a second thread
// while the simulator holds back the second half of the archive.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include <windows.h>
#include <tlhelp32.h>

#include "include/korvun_zuv.h"
#include "tests/windows/ui/dialog_driver.hpp"
#include "tests/windows/windows_test_support.hpp"

namespace korvun {
namespace {

// The DLL with the fixture's simulator and data directory (Z:/build/...
// /windows-data/ with its staging database) in its settings.
class WindowsCancel : public ::testing::Test {
 protected:
  void SetUp() override {
    auto info = testing::ReadInfoFile("KORVUN_SIM_INFO");
    ASSERT_TRUE(testing::TrustCa(info["CA"]));
    std::string dataDir = std::getenv("KORVUN_DATA_DIR") ? std::getenv("KORVUN_DATA_DIR") : "";
    for (char& c : dataDir)
      if (c == '/') c = '\\';
    testing::WriteSimulatorSettings(info["PORT"], dataDir);
    library_ = ::LoadLibraryA(testing::BuildDllPath().c_str());
    ASSERT_NE(library_, nullptr);
    ::GetTempPathA(MAX_PATH, temp_);
  }
  template <typename Fn>
  Fn Export(const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(library_, name)));
  }
  int32_t Run() {
    double lastImport = 0;
    return Export<ExportXMLFn>("ExportXML")(
        temp_, "12345-678", 0, &lastImport,
        "UserLogin=ZUVTEST\r\nPassword=geheim\r\nEmbeddedIBServer=TRUE\r\nNoMessageBoxes=TRUE\r\n");
  }
  std::string Message(int32_t code) {
    char message[1024] = {};
    Export<GetExportErrorMsgFn>("GetExportErrorMsg")(code, message);
    return message;
  }

  HMODULE library_ = nullptr;
  char temp_[MAX_PATH] = {};
};

// As the host application does: its callback lets the thread's window
// messages through, which is when the progress window sees the click.
void KORVUN_ZUV_CALL PassWindowMessages(int32_t, int32_t, const char*) {
  MSG message;
  while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
  }
}

TEST_F(WindowsCancel, ProgressWindowButtonEndsTheRunWith1015) {
  Export<RegProgrCallbackFn>("RegProgrCallback")(&PassWindowMessages);
  // Only posted messages here: the main thread sits in a blocking read while
  // the server pauses, so anything sent to its windows would wait for it.
  // (The window's own reaction to the click is the dialog tests' subject.)
  test::DialogDriver driver("Info", [&](HWND window) {
    test::Click(window, test::Child(window, "Button", "Download abbrechen"));
  });
  const int32_t result = Run();
  EXPECT_TRUE(driver.Finish()) << "no progress window";
  EXPECT_EQ(result, -1015) << Message(result);
  EXPECT_EQ(::FindWindowA(nullptr, "Info"), nullptr) << "the window is gone after the run";
}

#if defined(_WIN32) && !defined(_WIN64)
// The threads of this process.
std::set<DWORD> ThreadIds() {
  std::set<DWORD> ids;
  HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Thread32First(snapshot, &entry); more; more = ::Thread32Next(snapshot, &entry))
    if (entry.th32OwnerProcessID == ::GetCurrentProcessId()) ids.insert(entry.th32ThreadID);
  ::CloseHandle(snapshot);
  return ids;
}

std::set<DWORD> threadsAtRaise;
// Some hosts abort a run by raising an exception in their callback. This one
// does it once the import file is being written, while the staging reads
// run ahead on threads of their own.
void KORVUN_ZUV_CALL RaiseWhileWriting(int32_t kind, int32_t value, const char*) {
  if (kind != 2 || value <= 70) return;
  threadsAtRaise = ThreadIds();
  ::RaiseException(0xE0484F53, 0, 0, nullptr);
}

// The run ends as cancelled, and none of its threads outlives it (the
// exception must not pass over the frames that join them).
TEST_F(WindowsCancel, HostRaisingInItsCallbackEndsTheRunAsCancelled) {
  const std::set<DWORD> before = ThreadIds();
  Export<RegProgrCallbackFn>("RegProgrCallback")(&RaiseWhileWriting);
  const int32_t result = Run();
  EXPECT_EQ(result, -1015) << Message(result);
  std::vector<DWORD> runThreads;
  for (DWORD id : threadsAtRaise)
    if (!before.count(id)) runThreads.push_back(id);
  EXPECT_FALSE(runThreads.empty()) << "no thread of the run was there when the host raised";
  const std::set<DWORD> after = ThreadIds();
  for (DWORD id : runThreads) EXPECT_EQ(after.count(id), 0u) << "thread " << id << " outlived the run";

  // Nothing of the aborted run stands in the next one's way.
  Export<RegProgrCallbackFn>("RegProgrCallback")(nullptr);
  EXPECT_EQ(Run(), 0);
}
#endif

}  // namespace
}  // namespace korvun
