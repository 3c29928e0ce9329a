// The whole road through the library's exports, as a host drives it: a data
// directory with a fresh embedded staging database, generated provider data
// served over HTTPS by the simulator, a registry file pointing there.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "include/korvun_zuv.h"
#include "tools/sim_launcher.hpp"

namespace korvun::e2e {

struct Report {
  int kind;
  int value;
  std::string text;
};

// What the host's progress callback received during the current test.
std::vector<Report>& HostReports();

class EndToEndTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  static void TearDownTestSuite();
  void SetUp() override;
  void TearDown() override;

  // Provider data for `customers` customers into the simulator's folder.
  void GenerateProviderData(int customers, uint64_t seed);
  // Starts the simulator on that data and points the registry at it.
  void StartSimulator(sim::SimulatorOptions options = {});
  void WriteRegistry(const std::vector<std::string>& extraValues = {});

  int32_t Export(const std::string& beraterRef, double* lastImport, const std::string& access);
  std::string Message(int32_t code);
  std::string AccessText(const std::string& extra = "") const;

  std::string ReadXml() const;
  static int Count(const std::string& text, const std::string& needle);
  bool DataFileExists(const std::string& name) const;
  std::vector<std::string> SimulatorLog() const { return sim_ ? sim_->LogLines() : std::vector<std::string>{}; }


  std::filesystem::path root_, xmlDir_, dataDir_, providerDir_;
  std::unique_ptr<sim::SimulatorProcess> sim_;
  std::string login_ = "ZUVTEST", pin_ = "geheim";

  static void* library_;
  static ExportXMLFn exportXml_;
  static GetExportErrorMsgFn getMessage_;
  static RegProgrCallbackFn registerCallback_;
};

double OleDate(int y, int m, int d);

}  // namespace korvun::e2e
