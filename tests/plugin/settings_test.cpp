#include <gtest/gtest.h>

#include "plugin/settings.hpp"
#include "tests/support/fake_env.hpp"

namespace korvun {
namespace {

using testing::FakeEnv;

class SettingsTest : public ::testing::Test {
 protected:
  FakeEnv env;
  ModuleState module;
  void Set(const std::string& name, const std::string& value) {
    env.SetString("Software\\Brenhalt\\Tarvo\\Korvun\\ZUV", name, value);
  }
};

TEST_F(SettingsTest, NoKeyGivesEveryDefault) {
  module.downloadSrvUrl = "https://old";
  module.debugMode = 3;
  const RunSettings s = ReadRunSettings(env, module);
  EXPECT_EQ(module.downloadSrvUrl, kDefaultDownloadUrl);
  EXPECT_EQ(module.debugMode, 0);
  EXPECT_EQ(module.importDb, "");
  EXPECT_EQ(module.timeoutSeconds, 300);
  EXPECT_EQ(s.dataDir, "");
  EXPECT_EQ(env.reads, (std::vector<std::string>{"DownloadSrvUrl", "DebugMode", "ImportDB",
                                                 "DataDir", "Timeout"}));
}

TEST_F(SettingsTest, StringValuesAreTakenAsStored) {
  Set("downloadsrvurl", "https://127.0.0.1:8443/x");  // names without regard to case
  Set("DebugMode", "2");
  Set("ImportDB", "./STAGE.FDB");
  Set("DataDir", "/srv/daten/");
  Set("Timeout", "45");
  const RunSettings s = ReadRunSettings(env, module);
  EXPECT_EQ(module.downloadSrvUrl, "https://127.0.0.1:8443/x");
  EXPECT_EQ(module.debugMode, 2);
  EXPECT_EQ(module.importDb, "./STAGE.FDB");
  EXPECT_EQ(s.dataDir, "/srv/daten/");
  EXPECT_EQ(module.timeoutSeconds, 45);
}

TEST_F(SettingsTest, IntegersThatDoNotParseGiveTheirDefault) {
  Set("Timeout", "abc");
  Set("DebugMode", "");
  ReadRunSettings(env, module);
  EXPECT_EQ(module.timeoutSeconds, 300);
  EXPECT_EQ(module.debugMode, 0);

  Set("Timeout", "0");
  ReadRunSettings(env, module);
  EXPECT_EQ(module.timeoutSeconds, 0);
}

TEST_F(SettingsTest, NonStringValueStopsReadingAndKeepsTheRest) {
  module.importDb = "/alt/DB.IDB";
  module.timeoutSeconds = 1800;
  Set("DownloadSrvUrl", "https://elsewhere/x");
  env.SetNonString("Software\\Brenhalt\\Tarvo\\Korvun\\ZUV", "DebugMode");
  Set("ImportDB", "/neu/DB.IDB");
  Set("DataDir", "/srv/daten/");
  Set("Timeout", "60");
  const RunSettings s = ReadRunSettings(env, module);
  EXPECT_EQ(module.downloadSrvUrl, kDefaultDownloadUrl);
  EXPECT_EQ(module.debugMode, 0);
  EXPECT_EQ(module.importDb, "/alt/DB.IDB");
  EXPECT_EQ(module.timeoutSeconds, 1800);
  EXPECT_EQ(s.dataDir, "");
}

TEST(DataDirTest, FirstXmlTempIsRemovedWithoutRegardToCase) {
  EXPECT_EQ(DeriveDataDir("/srv/korvun/xml_temp", '/'), "/srv/korvun/ZUV/");
  EXPECT_EQ(DeriveDataDir("D:\\Data\\XML_TEMP", '\\'), "D:\\Data\\ZUV\\");
  EXPECT_EQ(DeriveDataDir("D:\\Import", '\\'), "D:\\ImportZUV\\");
  EXPECT_EQ(DeriveDataDir("/a/xml_temp/b/Xml_Temp", '/'), "/a//b/Xml_TempZUV/");
}

}  // namespace
}  // namespace korvun
