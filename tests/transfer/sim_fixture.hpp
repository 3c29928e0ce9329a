// A test with the provider simulator on 127.0.0.1, trusted through its CA
// and reached without any proxy of the machine.
#pragma once

#include <gtest/gtest.h>

#include <ctime>
#include <memory>

#include "tests/transfer/transfer_test_support.hpp"
#include "tools/sim_launcher.hpp"
#include "transfer/request_params.hpp"

namespace korvun::testing {

// "yyyymmdd" of the local date shifted by some days.
inline std::string LocalYmd(int shiftDays = 0) {
  std::time_t now = std::time(nullptr);
  std::tm t{};
  localtime_r(&now, &t);
  t.tm_mday += shiftDays;
  t.tm_hour = 12;
  std::mktime(&t);
  char text[40];
  std::snprintf(text, sizeof text, "%04d%02d%02d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday);
  return text;
}

class SimTest : public ::testing::Test {
 protected:
  void StartSim(const std::string& script = "", sim::SimulatorOptions options = {}) {
    options.script = script;
    sim_ = std::make_unique<sim::SimulatorProcess>(options);
    trust_ = std::make_unique<ScopedEnvVar>("SSL_CERT_FILE", sim_->CaFile());
  }
  sim::SimulatorProcess& Sim() { return *sim_; }

  // A well-formed holdings request for today with the simulator's access data.
  std::string HoldingsUrl(const std::string& pin = "geheim", int dayShift = 0) {
    std::string params = HoldingsParams("ZUVTEST", pin, LocalYmd(dayShift));
    EXPECT_EQ(EncodeRequestParams(Env::Default().Crypto(), params), 0);
    return sim_->Url() + "?params=" + params;
  }
  std::string TransactionsUrl(const std::string& startDate) {
    std::string params = TransactionsParams("ZUVTEST", "geheim", startDate, LocalYmd());
    EXPECT_EQ(EncodeRequestParams(Env::Default().Crypto(), params), 0);
    return sim_->Url() + "?params=" + params;
  }

  NoProxyEnvironment noProxy_;
  RecordedContext rc_;
  std::unique_ptr<sim::SimulatorProcess> sim_;
  std::unique_ptr<ScopedEnvVar> trust_;
};

}  // namespace korvun::testing
