// A host keeps the library loaded for a working day: many exports in a row
// with mixed outcomes must not add memory, open files, threads or files.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iostream>

#include "tests/hardening/export_scene.hpp"

namespace korvun::testing {
namespace {

namespace fs = std::filesystem;

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer's quarantine holds freed memory back, so resident size says
// nothing there, and each run is several times slower: fewer runs, and only
// files and threads are compared.
constexpr int kRuns = 40;
constexpr bool kCompareMemory = false;
#else
constexpr int kRuns = 200;
constexpr bool kCompareMemory = true;
#endif
constexpr int kSettledRun = 20;  // one-time setup (TLS, engine) is done by then

long ResidentKb() {
  long pages = 0, resident = 0;
  std::ifstream("/proc/self/statm") >> pages >> resident;
  return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

long Entries(const fs::path& dir) {
  return std::distance(fs::directory_iterator(dir), fs::directory_iterator());
}

// The silent face, with a person who presses cancel on the first block when
// asked to.
class HostUi : public Ui {
 public:
  bool cancel = false;
  bool Interactive() const override { return false; }
  bool AskPassword(const std::string&, const std::string&, std::string*) override { return false; }
  int EditAccessData(const std::string&, std::string*, std::string*, std::string*) override { return 2; }
  void ShowInformation(const std::string&, const std::string&) override {}
  void ProgressShow() override {}
  void ProgressHide() override {}
  bool ProgressCancelled() override { return cancel; }
  ProxyCredentials AskProxyCredentials(const std::string&, std::string*, std::string*) override {
    return ProxyCredentials::kDismissed;
  }
  void ProcessPendingMessages() override {}
};

struct Outcome {
  const char* name;
  const char* script;  // the simulator's lines for this run's requests
  const char* pin;
  bool cancel;
  int32_t code;
};

const Outcome kCycle[] = {
    {"success", "ok\nok\n", "geheim", false, 0},
    {"wrong PIN", "ok\n", "falsch", false, -31},
    {"no ZIP", "notzip\n", "geheim", false, -23},
    {"cancel", "ok\n", "geheim", true, -1015},
};

TEST(LongRunningHost, ManyExportsInARowAddNothing) {
  std::string script;
  for (int run = 0; run < kRuns; ++run) script += kCycle[run % 4].script;
  ExportScene scene("host", 1, script);
  HostUi ui;
  long rssSettled = 0, fdsSettled = 0, threadsSettled = 0, dataFilesSettled = 0;
  for (int run = 1; run <= kRuns; ++run) {
    const Outcome& outcome = kCycle[(run - 1) % 4];
    ui.cancel = outcome.cancel;
    ASSERT_EQ(scene.Run(Env::Default(), ui, {}, outcome.pin), outcome.code)
        << "run " << run << ", " << outcome.name;
    if (run == kSettledRun) {
      rssSettled = ResidentKb();
      fdsSettled = Entries("/proc/self/fd");
      threadsSettled = Entries("/proc/self/task");
      dataFilesSettled = Entries(scene.dataDir);
    }
  }
  const long rss = ResidentKb();
  EXPECT_LE(Entries("/proc/self/fd"), fdsSettled);
  EXPECT_LE(Entries("/proc/self/task"), threadsSettled);
  EXPECT_LE(Entries(scene.dataDir), dataFilesSettled);
  EXPECT_EQ(scene.LeftOvers(), std::vector<std::string>{});
  if (kCompareMemory) {
    EXPECT_LE(rss, rssSettled + rssSettled / 10);
  }
  std::cout << "[ figures  ] " << kRuns << " runs held; resident " << rssSettled << " kB after run "
            << kSettledRun << ", " << rss << " kB after run " << kRuns << "; " << fdsSettled
            << " descriptors, " << threadsSettled << " threads throughout\n";
}

}  // namespace
}  // namespace korvun::testing
