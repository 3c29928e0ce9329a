#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "host/profile.hpp"

namespace korvun::host {
namespace {

namespace fs = std::filesystem;

class ProfileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("korvun_profile_" + std::to_string(::getpid()));
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }
  fs::path dir;
};

TEST_F(ProfileTest, SavedProfileReadsBackAndIsPrivate) {
  Profile p;
  p.userLogin = "4711";
  p.password = "geh=eim";
  p.beraterRef = "12345-678";
  p.verBerNr = "138010";
  p.extra = "Zeile1\r\nZeile2";
  p.lastImport = "2026-12-07";
  p.versionLastUsed = "2.2.2";
  const std::string path = (dir / "vermittler.profil").string();
  std::string error;
  ASSERT_TRUE(SaveProfile(path, p, &error)) << error;

  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);

  Profile q;
  ASSERT_TRUE(LoadProfile(path, &q, &error));
  EXPECT_EQ(q.userLogin, "4711");
  EXPECT_EQ(q.password, "geh=eim");
  EXPECT_EQ(q.beraterRef, "12345-678");
  EXPECT_EQ(q.verBerNr, "138010");
  EXPECT_EQ(q.extra, "Zeile1Zeile2") << "a value stays one line";
  EXPECT_EQ(q.lastImport, "2026-12-07");
  EXPECT_EQ(q.versionLastUsed, "2.2.2");
  // Nothing is left beside it.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST_F(ProfileTest, MissingFileIsAnEmptyProfileForAFirstImport) {
  Profile p;
  std::string error;
  ASSERT_TRUE(LoadProfile((dir / "neu.profil").string(), &p, &error));
  EXPECT_EQ(p.lastImport, "0");
  EXPECT_EQ(p.userLogin, "");
}

TEST_F(ProfileTest, FailedSaveLeavesTheOldProfile) {
  const std::string path = (dir / "alt.profil").string();
  Profile p;
  p.userLogin = "alt";
  std::string error;
  ASSERT_TRUE(SaveProfile(path, p, &error));
  // A folder where the temporary file would go makes the write fail.
  fs::create_directory(path + ".tmp." + std::to_string(::getpid()));
  p.userLogin = "neu";
  EXPECT_FALSE(SaveProfile(path, p, &error));
  EXPECT_NE(error.find("Profil"), std::string::npos);
  Profile q;
  ASSERT_TRUE(LoadProfile(path, &q, &error));
  EXPECT_EQ(q.userLogin, "alt");
}

TEST_F(ProfileTest, AccessTextCarriesThePinOnlyWhenKept) {
  Profile p;
  p.userLogin = "4711";
  p.verBerNr = "1";
  EXPECT_EQ(AccessTextOf(p, true, false),
            "UserLogin=4711\r\nVerBerNr=1\r\nVersionLastUsed=\r\nEmbeddedIBServer=TRUE\r\n");
  p.password = "9";
  EXPECT_EQ(AccessTextOf(p, false, true),
            "UserLogin=4711\r\nPassword=9\r\nVerBerNr=1\r\nVersionLastUsed=\r\nNoMessageBoxes=TRUE\r\n");
}

TEST_F(ProfileTest, FactsOfAWrittenImportFile) {
  const std::string path = (dir / "ZUV.XML").string();
  std::ofstream(path, std::ios::binary)
      << "<XML>\r\n  <Import>\r\n    <I_Herkunft>ZUV</I_Herkunft>\r\n    <I_Datum>2026-12-08"
         "</I_Datum>\r\n    <I_CustomData>\r\n      <PARAM>VersionLastUsed=2.2.2</PARAM>";
  std::string date, version;
  ASSERT_TRUE(ReadImportFileFacts(path, &date, &version));
  EXPECT_EQ(date, "2026-12-08");
  EXPECT_EQ(version, "2.2.2");
  EXPECT_FALSE(ReadImportFileFacts((dir / "fehlt.xml").string(), &date, &version));
}

}  // namespace
}  // namespace korvun::host
