// The database server check with a scripted platform: a fake server folder,
// a closed port, a service manager that answers as told.
#include <gtest/gtest.h>

#include "staging/database_server.hpp"
#include "support/fake_env.hpp"
#include "support/recording_ui.hpp"

namespace korvun {
namespace {

const char kNotInstalled[] =
    "Datenbanksystem \"Interbase\" nicht installiert. Bitte installieren Sie Interbase neu.";
const char kNotStarted[] = "Datenbanksystem \"Interbase\" konnte nicht gestartet werden.";
const std::string kPort = "localhost:3050";

// The wait for a started server and what the windows did around it, in order.
struct PumpingUi : testing::RecordingUi {
  std::vector<std::string>* events;
  explicit PumpingUi(std::vector<std::string>* e) : events(e) {}
  void ProcessPendingMessages() override { events->push_back("messages"); }
};
struct WaitingEnv : testing::FakeEnv {
  std::vector<std::string>* events;
  explicit WaitingEnv(std::vector<std::string>* e) : events(e) {}
  void SleepMilliseconds(int ms) override {
    events->push_back("wait " + std::to_string(ms));
    FakeEnv::SleepMilliseconds(ms);
  }
};

class DatabaseServerTest : public ::testing::Test {
 protected:
  void Install(const std::string& dir = "/opt/fake-firebird") {
    env_.SetString(kServerRegistryKey, "ServerDirectory", dir);
  }
  Status Ensure(Env& env, int port = 0) {
    RunContext ctx{env, ui_, reporter_};
    return EnsureDatabaseServer(ctx, profile_, port);
  }
  Status Ensure(int port = 0) { return Ensure(env_, port); }
  DatabaseServerProfile profile_ = DebianFirebirdServerProfile();
  std::vector<std::string> events_, log_;
  WaitingEnv env_{&events_};
  PumpingUi ui_{&events_};
  Reporter reporter_{[this](int32_t, int32_t, const char* text) { log_.push_back(text); }};
};

TEST_F(DatabaseServerTest, NotInstalledWithoutTheKey) {
  env_.tcp[kPort] = true;
  EXPECT_EQ(Ensure().detailText(), std::string(kNotInstalled));
  EXPECT_TRUE(env_.tcpChecks.empty());
}

TEST_F(DatabaseServerTest, AnsweringPortIsEnough) {
  Install();
  env_.tcp[kPort] = true;
  env_.serviceKnown["firebird3.0"] = true;
  EXPECT_TRUE(Ensure().ok());
  EXPECT_TRUE(env_.serviceStarts.empty());
  EXPECT_TRUE(env_.processStarts.empty());
  EXPECT_TRUE(env_.sleeps.empty());
}

TEST_F(DatabaseServerTest, ServerOnAnotherPortIsSeenThere) {
  Install();
  env_.tcp["localhost:3061"] = true;
  EXPECT_TRUE(Ensure(3061).ok());
  EXPECT_EQ(env_.tcpChecks, std::vector<std::string>{"localhost:3061"});
  EXPECT_TRUE(env_.processStarts.empty());
}

TEST_F(DatabaseServerTest, ServiceNotStoppedCountsAsRunning) {
  Install();
  env_.serviceKnown["firebird3.0"] = true;
  env_.serviceRunning["firebird3.0"] = true;
  EXPECT_TRUE(Ensure().ok());
  EXPECT_TRUE(env_.serviceStarts.empty());
}

TEST_F(DatabaseServerTest, StoppedServiceIsStartedAndTestedAfterOneSecond) {
  // The fake service manager reports it running only after the start.
  struct StartingEnv : testing::FakeEnv {
    ServiceStart StartService(const std::string& n) override {
      serviceRunning[n] = true;
      return testing::FakeEnv::StartService(n);
    }
  } env;
  env.SetString(kServerRegistryKey, "ServerDirectory", "/opt/fake-firebird/");
  env.serviceKnown["firebird3.0"] = true;
  env.serviceStartSucceeds["firebird3.0"] = true;
  EXPECT_TRUE(Ensure(env).ok());
  EXPECT_EQ(env.serviceStarts, std::vector<std::string>{"firebird3.0"});
  EXPECT_EQ(env.sleeps, std::vector<int>{1000});
  EXPECT_TRUE(env.processStarts.empty());
}

TEST_F(DatabaseServerTest, ServiceStartedButStillDownAfterOneSecond) {
  Install();
  env_.serviceKnown["firebird3.0"] = true;
  env_.serviceStartSucceeds["firebird3.0"] = true;
  EXPECT_EQ(Ensure().detailText(), std::string(kNotStarted));
  EXPECT_EQ(env_.sleeps, std::vector<int>{1000});
  EXPECT_EQ(env_.tcpChecks, (std::vector<std::string>{kPort, kPort}));
}

TEST_F(DatabaseServerTest, WithoutServiceTheGuardianOfTheServerFolderIsStarted) {
  Install("/opt/fake-firebird");
  env_.processStartSucceeds["/opt/fake-firebird/fbguard"] = true;
  EXPECT_EQ(Ensure().detailText(), std::string(kNotStarted));  // the port stays closed
  EXPECT_EQ(env_.processStarts, std::vector<std::string>{"/opt/fake-firebird/fbguard"});
  EXPECT_EQ(env_.sleeps, std::vector<int>{1000});
}

TEST_F(DatabaseServerTest, GuardianThatCannotStartEndsWithoutWaiting) {
  Install("/opt/fake-firebird/");
  EXPECT_EQ(Ensure().detailText(), std::string(kNotStarted));
  EXPECT_EQ(env_.processStarts, std::vector<std::string>{"/opt/fake-firebird/fbguard"});
  EXPECT_TRUE(env_.sleeps.empty());
}

TEST_F(DatabaseServerTest, FailedServiceStartFallsBackToTheGuardian) {
  // The guardian opens the port.
  struct OpeningEnv : testing::FakeEnv {
    bool StartDetachedProcess(const std::string& path) override {
      tcp["localhost:3050"] = true;
      testing::FakeEnv::StartDetachedProcess(path);
      return true;
    }
  } env;
  env.SetString(kServerRegistryKey, "ServerDirectory", "/opt/fake-firebird/");
  env.serviceKnown["firebird3.0"] = true;
  EXPECT_TRUE(Ensure(env).ok());
  EXPECT_EQ(env.serviceStarts, std::vector<std::string>{"firebird3.0"});
  EXPECT_EQ(env.processStarts, std::vector<std::string>{"/opt/fake-firebird/fbguard"});
}

TEST_F(DatabaseServerTest, NoServerFolderAndNoServiceCannotStart) {
  env_.AddKey(kServerRegistryKey);
  EXPECT_EQ(Ensure().detailText(), std::string(kNotStarted));
  EXPECT_TRUE(env_.processStarts.empty());
}

// Each way the platform reports a start it did not make, in the log's words.
TEST_F(DatabaseServerTest, RefusedStartIsLoggedInTheWordsOfItsKind) {
  using Outcome = ServiceStart::Outcome;
  const struct {
    ServiceStart refusal;
    std::string words;
  } cases[] = {
      {{Outcome::kNoServiceManager, 0, {}}, "kein systemd"},
      {{Outcome::kCommandFailed, 5, {}}, "systemctl start firebird3.0.service: Status 5"},
      {{Outcome::kRefused, 1060, {}}, "(1060)"},
      {{Outcome::kRefused, 5, "Zugriff verweigert"}, "Zugriff verweigert (5)"},
  };
  Install();
  env_.serviceKnown["firebird3.0"] = true;
  for (const auto& c : cases) {
    log_.clear();
    env_.serviceRefusal = c.refusal;
    EXPECT_EQ(Ensure().detailText(), std::string(kNotStarted));
    EXPECT_EQ(log_, std::vector<std::string>{"Datenbankserver nicht gestartet: Dienst firebird3.0: " + c.words});
  }
}

// The names a Windows machine knows the server by: its window, the guardian
// service before the server service, and no programs to start directly.
class WindowsServerProfileTest : public DatabaseServerTest {
 protected:
  void SetUp() override {
    profile_ = InterBaseServerProfile();
    env_.SetString(kServerRegistryKey, "ServerDirectory", "C:/IB/");
    env_.serviceKnown["InterBaseGuardian"] = env_.serviceKnown["InterBaseServer"] = true;
  }
};

TEST_F(WindowsServerProfileTest, ServerWindowIsEnough) {
  env_.windows["IB_Server|InterBase Server"] = true;
  EXPECT_TRUE(Ensure().ok());
  EXPECT_TRUE(env_.serviceStarts.empty());
  EXPECT_TRUE(env_.tcpChecks.empty());
}

TEST_F(WindowsServerProfileTest, StartingServerServiceCountsAsRunning) {
  env_.serviceRunning["InterBaseServer"] = env_.serviceStarting["InterBaseServer"] = true;
  EXPECT_TRUE(Ensure().ok());
  EXPECT_TRUE(env_.serviceStarts.empty());
  EXPECT_TRUE(env_.sleeps.empty());
}

TEST_F(WindowsServerProfileTest, StartingGuardianIsWaitedForNotStartedAgain) {
  // The guardian brings the server up while the run waits.
  struct GuardianEnv : testing::FakeEnv {
    void SleepMilliseconds(int ms) override {
      serviceRunning["InterBaseServer"] = true;
      FakeEnv::SleepMilliseconds(ms);
    }
  } env;
  env.AddKey(kServerRegistryKey);
  env.serviceKnown["InterBaseGuardian"] = env.serviceKnown["InterBaseServer"] = true;
  env.serviceStarting["InterBaseGuardian"] = true;
  EXPECT_TRUE(Ensure(env).ok());
  EXPECT_TRUE(env.serviceStarts.empty());
  EXPECT_EQ(env.sleeps, std::vector<int>{1000});
}

TEST_F(WindowsServerProfileTest, RefusedStartEndsTheRunAndStartsNoProgram) {
  const Status status = Ensure();
  EXPECT_EQ(status, ExportErrorCode::kDatabaseServer);
  EXPECT_EQ(status.detailText(), std::string(kNotStarted));
  EXPECT_EQ(env_.serviceStarts, (std::vector<std::string>{"InterBaseGuardian", "InterBaseServer"}));
  EXPECT_TRUE(env_.processStarts.empty());
  EXPECT_TRUE(env_.sleeps.empty());
  ASSERT_EQ(log_.size(), 1u);
  EXPECT_NE(log_[0].find("InterBaseServer: Zugriff verweigert (5)"), std::string::npos) << log_[0];
}

TEST_F(WindowsServerProfileTest, ServerServiceStoppedOneSecondAfterItsStart) {
  env_.serviceKnown["InterBaseGuardian"] = false;
  env_.serviceStartSucceeds["InterBaseServer"] = true;
  EXPECT_EQ(Ensure().detailText(), std::string(kNotStarted));
  EXPECT_EQ(env_.serviceStarts, std::vector<std::string>{"InterBaseServer"});
  // The host's windows are repainted around the wait.
  EXPECT_EQ(events_, (std::vector<std::string>{"messages", "wait 1000", "messages"}));
  EXPECT_TRUE(env_.processStarts.empty());
}

}  // namespace
}  // namespace korvun
