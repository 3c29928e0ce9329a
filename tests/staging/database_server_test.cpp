// The database server check with a scripted platform: a fake server folder,
// a closed port, a service manager that answers as told.
#include <gtest/gtest.h>

#include "staging/database_server.hpp"
#include "support/fake_env.hpp"

namespace korvun {
namespace {

const char kNotInstalled[] =
    "Datenbanksystem \"Interbase\" nicht installiert. Bitte installieren Sie Interbase neu.";
const char kNotStarted[] = "Datenbanksystem \"Interbase\" konnte nicht gestartet werden.";
const std::string kPort = "localhost:3050";

class DatabaseServerTest : public ::testing::Test {
 protected:
  void Install(const std::string& dir = "/opt/fake-firebird") {
    env_.SetString(kServerRegistryKey, "ServerDirectory", dir);
  }
  testing::FakeEnv env_;
};

TEST_F(DatabaseServerTest, NotInstalledWithoutTheKey) {
  env_.tcp[kPort] = true;
  EXPECT_EQ(EnsureDatabaseServer(env_).detailText(), std::string(kNotInstalled));
  EXPECT_TRUE(env_.tcpChecks.empty());
}

TEST_F(DatabaseServerTest, AnsweringPortIsEnough) {
  Install();
  env_.tcp[kPort] = true;
  env_.serviceKnown["firebird3.0"] = true;
  EXPECT_TRUE(EnsureDatabaseServer(env_).ok());
  EXPECT_TRUE(env_.serviceStarts.empty());
  EXPECT_TRUE(env_.processStarts.empty());
  EXPECT_TRUE(env_.sleeps.empty());
}

TEST_F(DatabaseServerTest, ServerOnAnotherPortIsSeenThere) {
  Install();
  env_.tcp["localhost:3061"] = true;
  EXPECT_TRUE(EnsureDatabaseServer(env_, 3061).ok());
  EXPECT_EQ(env_.tcpChecks, std::vector<std::string>{"localhost:3061"});
  EXPECT_TRUE(env_.processStarts.empty());
}

TEST_F(DatabaseServerTest, ServiceNotStoppedCountsAsRunning) {
  Install();
  env_.serviceKnown["firebird3.0"] = true;
  env_.serviceRunning["firebird3.0"] = true;
  EXPECT_TRUE(EnsureDatabaseServer(env_).ok());
  EXPECT_TRUE(env_.serviceStarts.empty());
}

TEST_F(DatabaseServerTest, StoppedServiceIsStartedAndTestedAfterOneSecond) {
  // The fake service manager reports it running only after the start.
  struct StartingEnv : testing::FakeEnv {
    bool StartService(const std::string& n) override {
      serviceRunning[n] = true;
      return testing::FakeEnv::StartService(n);
    }
  } env;
  env.SetString(kServerRegistryKey, "ServerDirectory", "/opt/fake-firebird/");
  env.serviceKnown["firebird3.0"] = true;
  env.serviceStartSucceeds["firebird3.0"] = true;
  EXPECT_TRUE(EnsureDatabaseServer(env).ok());
  EXPECT_EQ(env.serviceStarts, std::vector<std::string>{"firebird3.0"});
  EXPECT_EQ(env.sleeps, std::vector<int>{1000});
  EXPECT_TRUE(env.processStarts.empty());
}

TEST_F(DatabaseServerTest, ServiceStartedButStillDownAfterOneSecond) {
  Install();
  env_.serviceKnown["firebird3.0"] = true;
  env_.serviceStartSucceeds["firebird3.0"] = true;
  EXPECT_EQ(EnsureDatabaseServer(env_).detailText(), std::string(kNotStarted));
  EXPECT_EQ(env_.sleeps, std::vector<int>{1000});
  EXPECT_EQ(env_.tcpChecks, (std::vector<std::string>{kPort, kPort}));
}

TEST_F(DatabaseServerTest, WithoutServiceTheGuardianOfTheServerFolderIsStarted) {
  Install("/opt/fake-firebird");
  env_.processStartSucceeds["/opt/fake-firebird/fbguard"] = true;
  EXPECT_EQ(EnsureDatabaseServer(env_).detailText(), std::string(kNotStarted));  // the port stays closed
  EXPECT_EQ(env_.processStarts, std::vector<std::string>{"/opt/fake-firebird/fbguard"});
  EXPECT_EQ(env_.sleeps, std::vector<int>{1000});
}

TEST_F(DatabaseServerTest, GuardianThatCannotStartEndsWithoutWaiting) {
  Install("/opt/fake-firebird/");
  EXPECT_EQ(EnsureDatabaseServer(env_).detailText(), std::string(kNotStarted));
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
  EXPECT_TRUE(EnsureDatabaseServer(env).ok());
  EXPECT_EQ(env.serviceStarts, std::vector<std::string>{"firebird3.0"});
  EXPECT_EQ(env.processStarts, std::vector<std::string>{"/opt/fake-firebird/fbguard"});
}

TEST_F(DatabaseServerTest, NoServerFolderAndNoServiceCannotStart) {
  env_.AddKey(kServerRegistryKey);
  EXPECT_EQ(EnsureDatabaseServer(env_).detailText(), std::string(kNotStarted));
  EXPECT_TRUE(env_.processStarts.empty());
}

// The names a Windows machine knows the server by: its window, the guardian
// service before the server service, the programs of its folder.
class WindowsServerProfileTest : public DatabaseServerTest {
 protected:
  void SetUp() override {
    DatabaseServerProfile server;
    server.windowClass = "IB_Server";
    server.windowTitle = "InterBase Server";
    server.stateService = "InterBaseServer";
    server.startServices = {"InterBaseGuardian", "InterBaseServer"};
    server.programs = {"ibguard.exe", "ibserver.exe"};
    env_.serverProfile = server;
    env_.SetString(kServerRegistryKey, "ServerDirectory", "C:/IB/");
  }
};

TEST_F(WindowsServerProfileTest, ServerWindowIsEnough) {
  env_.windows["IB_Server|InterBase Server"] = true;
  EXPECT_TRUE(EnsureDatabaseServer(env_).ok());
  EXPECT_TRUE(env_.serviceStarts.empty());
  EXPECT_TRUE(env_.tcpChecks.empty());
}

TEST_F(WindowsServerProfileTest, WithoutGuardianServiceTheServerServiceIsStarted) {
  env_.serviceKnown["InterBaseServer"] = true;
  env_.serviceStartSucceeds["InterBaseServer"] = true;
  EXPECT_EQ(EnsureDatabaseServer(env_).detailText(), std::string(kNotStarted));
  EXPECT_EQ(env_.serviceStarts, std::vector<std::string>{"InterBaseServer"});
  EXPECT_EQ(env_.sleeps, std::vector<int>{1000});
}

TEST_F(WindowsServerProfileTest, WithoutServicesTheServerProgramFollowsTheGuardian) {
  env_.processStartSucceeds["C:/IB/ibserver.exe"] = true;
  EnsureDatabaseServer(env_);
  EXPECT_EQ(env_.processStarts,
            (std::vector<std::string>{"C:/IB/ibguard.exe", "C:/IB/ibserver.exe"}));
  EXPECT_EQ(env_.sleeps, std::vector<int>{1000});
}

}  // namespace
}  // namespace korvun
