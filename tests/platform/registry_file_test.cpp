#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "platform/env.hpp"
#include "platform/posix/registry_file.hpp"

namespace korvun {
namespace {

constexpr const char* kKey = "Software\\Brenhalt\\Tarvo\\Korvun\\ZUV";

TEST(RegistryFileTest, ReadsAnExportOfTheKey) {
  const RegistryFile reg = RegistryFile::Parse(
      "Windows Registry Editor Version 5.00\r\n\r\n"
      "[HKEY_LOCAL_MACHINE\\Software\\Brenhalt\\Tarvo\\Korvun\\ZUV]\r\n"
      "\"DownloadSrvUrl\"=\"https://127.0.0.1:8443/actionus/aes/onlinedatatransfer\"\r\n"
      "\"DataDir\"=\"C:\\\\Prog\\\\ZUV\\\\\"\r\n"
      "\"Quote\"=\"a \\\"b\\\"\"\r\n"
      "\"Timeout\"=dword:0000012c\r\n"
      "\"Path\"=hex(2):25,00,53,00,\\\r\n  00,00\r\n");
  std::string v;
  ASSERT_EQ(reg.Read(kKey, "downloadsrvurl", &v), RegistryRead::kString);
  EXPECT_EQ(v, "https://127.0.0.1:8443/actionus/aes/onlinedatatransfer");
  ASSERT_EQ(reg.Read("HKEY_LOCAL_MACHINE\\SOFTWARE\\brenhalt\\Tarvo\\Korvun\\ZUV", "DataDir", &v),
            RegistryRead::kString);
  EXPECT_EQ(v, "C:\\Prog\\ZUV\\");
  ASSERT_EQ(reg.Read(kKey, "Quote", &v), RegistryRead::kString);
  EXPECT_EQ(v, "a \"b\"");
  EXPECT_EQ(reg.Read(kKey, "Timeout", &v), RegistryRead::kWrongType);
  ASSERT_EQ(reg.Read(kKey, "Path", &v), RegistryRead::kString);  // an expandable string
  EXPECT_EQ(v, "%S");
  EXPECT_EQ(reg.Read(kKey, "ImportDB", &v), RegistryRead::kMissing);
  EXPECT_EQ(reg.Read("Software\\Other", "DataDir", &v), RegistryRead::kMissing);
  EXPECT_TRUE(reg.KeyExists("software\\brenhalt\\tarvo\\korvun\\zuv"));
}

// What a 64-bit Windows machine exports: the 32-bit view below WOW6432Node,
// strings that an installer wrote as expandable strings, and hex values
// that are no strings at all.
TEST(RegistryFileTest, ExportOfA64BitMachine) {
  const RegistryFile reg = RegistryFile::Parse(
      "Windows Registry Editor Version 5.00\r\n\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Brenhalt\\Tarvo\\Korvun\\ZUV]\r\n"
      "\"DataDir\"=hex(2):2f,00,73,00,72,00,76,00,2f,00,fc,00,2f,00,00,00\r\n"
      "\"ImportDB\"=hex:01,02\r\n"
      "\"Timeout\"=\"60\"\r\n");
  std::string v;
  EXPECT_TRUE(reg.KeyExists(kKey));
  ASSERT_EQ(reg.Read(kKey, "DataDir", &v), RegistryRead::kString);
  EXPECT_EQ(v, "/srv/\xFC/");
  EXPECT_EQ(reg.Read(kKey, "ImportDB", &v), RegistryRead::kWrongType);
  ASSERT_EQ(reg.Read(kKey, "Timeout", &v), RegistryRead::kString);
  EXPECT_EQ(v, "60");
  const RegistryFile old = RegistryFile::Parse(
      "REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\Brenhalt\\Tarvo\\Korvun\\ZUV]\n"
      "\"DataDir\"=hex(2):2f,41,2f,00\n\"ImportDB\"=hex(2):4\n");
  ASSERT_EQ(old.Read(kKey, "DataDir", &v), RegistryRead::kString);
  EXPECT_EQ(v, "/A/");
  EXPECT_EQ(old.Read(kKey, "ImportDB", &v), RegistryRead::kWrongType);
}

TEST(RegistryFileTest, Regedit4HeaderAndUmlautsInUtf8) {
  const RegistryFile reg = RegistryFile::Parse(
      "REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\Brenhalt\\Tarvo\\Korvun\\ZUV]\n"
      "\"ImportDB\"=\"/srv/M\xC3\xBCller/FFBDB.IDB\"\n");
  std::string v;
  ASSERT_EQ(reg.Read(kKey, "ImportDB", &v), RegistryRead::kString);
  EXPECT_EQ(v, "/srv/M\xFCller/FFBDB.IDB");
}

TEST(RegistryFileTest, Utf16ExportAsRegeditWritesIt) {
  const std::string text =
      "Windows Registry Editor Version 5.00\r\n[HKEY_LOCAL_MACHINE\\Software\\Brenhalt\\Tarvo\\"
      "Korvun\\ZUV]\r\n\"DebugMode\"=\"1\"\r\n";
  std::string raw = "\xFF\xFE";
  for (char c : text) {
    raw += c;
    raw += '\0';
  }
  const RegistryFile reg = RegistryFile::Parse(raw);
  std::string v;
  ASSERT_EQ(reg.Read(kKey, "DebugMode", &v), RegistryRead::kString);
  EXPECT_EQ(v, "1");
}

TEST(RegistryFileTest, MissingFileIsAMissingKey) {
  const RegistryFile reg = RegistryFile::Load("/nonexistent/registry.reg");
  std::string v;
  EXPECT_FALSE(reg.KeyExists(kKey));
  EXPECT_EQ(reg.Read(kKey, "DataDir", &v), RegistryRead::kMissing);
}

TEST(RegistryFileTest, PosixEnvReadsTheFileNamedByTheEnvironment) {
  const std::string path = ::testing::TempDir() + "korvun_registry_test.reg";
  {
    std::ofstream out(path, std::ios::binary);
    out << "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\Software\\Brenhalt\\Tarvo\\Korvun\\ZUV]\r\n"
           "\"Timeout\"=\"42\"\r\n";
  }
  ::setenv("KORVUN_REGISTRY", path.c_str(), 1);
  std::string v;
  EXPECT_EQ(Env::Default().ReadRegistryString(kKey, "Timeout", &v), RegistryRead::kString);
  EXPECT_EQ(v, "42");
  ::unsetenv("KORVUN_REGISTRY");
  std::remove(path.c_str());
}

}  // namespace
}  // namespace korvun
