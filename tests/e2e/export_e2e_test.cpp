// Export runs through the library's exports against the provider simulator
// over HTTPS and a real embedded staging database.
#include <gtest/gtest.h>

#include "base/status.hpp"
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "base/ole_date.hpp"
#include "base/text_encoding.hpp"
#include "tests/e2e/e2e_fixture.hpp"

namespace korvun::e2e {
namespace {

// The request date the library uses: the local date today.
double TodayOle() {
  const time_t t = ::time(nullptr);
  struct tm tm {};
  ::localtime_r(&t, &tm);
  return OleDate(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
}

bool XmllintAccepts(const std::string& path) {
  const std::string command = "xmllint --noout '" + path + "' 2>/dev/null";
  return std::system(command.c_str()) == 0;
}

// The host program with its arguments; its exit status.
int RunHost(std::vector<std::string> args) {
  args.insert(args.begin(), KORVUN_HOST_PATH);
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (::posix_spawn(&pid, KORVUN_HOST_PATH, nullptr, nullptr, argv.data(), environ) != 0) return -1;
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<std::string> Listing(const std::filesystem::path& dir) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir))
    names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

TEST_F(EndToEndTest, FirstImportWritesAValidFileAndCleansTheDataDirectory) {
  GenerateProviderData(20, 3);
  StartSimulator();
  double last = 0;
  ASSERT_EQ(Export("12345-678", &last, AccessText()), 0) << Message(-40);
  EXPECT_EQ(last, 0.0);

  const std::string xml = ReadXml();
  EXPECT_TRUE(XmllintAccepts((xmlDir_ / "ZUV.XML").string()));
  EXPECT_NE(xml.find("<I_BeraterRef>12345-678</I_BeraterRef>"), std::string::npos);
  EXPECT_NE(xml.find("<I_Datum>" + IsoDateText(TodayOle()) + "</I_Datum>"), std::string::npos);
  EXPECT_GT(Count(xml, "<Kundendaten>"), 5);
  EXPECT_GT(Count(xml, "<DepotTrans>"), 50);
  EXPECT_EQ(Count(xml, "<Depotdaten_Ohne_Zuordnung>"), 0) << "only on follow-up imports";
  EXPECT_EQ(xml.find("\xC3"), std::string::npos) << "no UTF-8 in the file";

  for (const char* gone : {"bestaende.zip", "transaktionen.zip", "bestaende.csv", "transaktionen.csv"})
    EXPECT_FALSE(DataFileExists(gone)) << gone;
  EXPECT_TRUE(DataFileExists("bst_error.log"));
  EXPECT_TRUE(DataFileExists("tra_error.log"));

  const auto log = SimulatorLog();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_NE(log[0].find("\"file\":\"bestaende\""), std::string::npos) << log[0];
  EXPECT_NE(log[1].find("\"startdate\":\"00000000\""), std::string::npos) << log[1];

  bool sawStart = false, sawXmlPhase = false;
  for (const auto& r : HostReports()) {
    sawStart = sawStart || (r.kind == 4 && r.value == 1 && r.text == "Daten abrufen ...");
    sawXmlPhase = sawXmlPhase || (r.kind == 1 && r.value == 70);
  }
  EXPECT_TRUE(sawStart);
  EXPECT_TRUE(sawXmlPhase);
  EXPECT_EQ(Message(0), "<none>");
}

TEST_F(EndToEndTest, FirstImportWithoutMatchingCustomersIsMinus28) {
  GenerateProviderData(5, 4);
  StartSimulator();
  double last = 0;
  EXPECT_EQ(Export("54321", &last, AccessText()), CodeValue(ExportErrorCode::kNoCustomerData));
  EXPECT_EQ(Message(-28).size(), 423u);
  const std::string xml = ReadXml();
  EXPECT_EQ(Count(xml, "<Kundendaten>"), 0);
  EXPECT_EQ(xml.substr(xml.size() - 6), "</XML>") << "the file is complete";
}

TEST_F(EndToEndTest, FollowUpImportSendsTheOverlapAndWritesUnassignedDepots) {
  GenerateProviderData(60, 5);
  StartSimulator();
  double last = OleDate(2026, 11, 1);
  ASSERT_EQ(Export("12345-678", &last, AccessText()), 0) << Message(-40);
  EXPECT_EQ(last, OleDate(2026, 11, 1));
  const auto log = SimulatorLog();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_NE(log[1].find("\"startdate\":\"20261025\""), std::string::npos) << log[1];
  const std::string xml = ReadXml();
  EXPECT_EQ(Count(xml, "<Depotdaten_Ohne_Zuordnung>"), 1);
  const std::string unassigned = xml.substr(xml.find("<Depotdaten_Ohne_Zuordnung>"));
  EXPECT_GT(Count(unassigned, "<Depot>"), 0) << "depots with transactions but no holdings";
  EXPECT_TRUE(XmllintAccepts((xmlDir_ / "ZUV.XML").string()));
}

TEST_F(EndToEndTest, OldVersionReadsAgainFromTheFixedDate) {
  GenerateProviderData(5, 6);
  StartSimulator();
  double last = OleDate(2012, 3, 15);
  ASSERT_EQ(Export("12345-678", &last,
                   "UserLogin=" + login_ + "\r\nPassword=" + pin_ +
                       "\r\nVersionLastUsed=2.1.6\r\nEmbeddedIBServer=TRUE\r\nNoMessageBoxes=TRUE"),
            0);
  EXPECT_EQ(last, OleDate(2009, 1, 1));
  EXPECT_NE(SimulatorLog()[1].find("\"startdate\":\"20081225\""), std::string::npos);
}

TEST_F(EndToEndTest, RejectedTimestampIsRetriedAndTheAcceptedDayIsWritten) {
  GenerateProviderData(5, 7);
  sim::SimulatorOptions options;
  options.todayOffset = 1;  // the provider's clock is a day ahead
  StartSimulator(options);
  double last = 0;
  ASSERT_EQ(Export("12345-678", &last, AccessText()), 0) << Message(-40);
  const auto log = SimulatorLog();
  ASSERT_EQ(log.size(), 3u);
  const std::string tomorrow = YmdText(TodayOle() + 1);
  EXPECT_NE(log[0].find("\"timestamp\":\"" + YmdText(TodayOle()) + "\""), std::string::npos);
  EXPECT_NE(log[1].find("\"timestamp\":\"" + tomorrow + "\""), std::string::npos);
  EXPECT_NE(log[2].find("\"timestamp\":\"" + tomorrow + "\""), std::string::npos);
  EXPECT_NE(ReadXml().find("<I_Datum>" + IsoDateText(TodayOle() + 1) + "</I_Datum>"),
            std::string::npos);
}

TEST_F(EndToEndTest, WrongPinIsMinus31WithItsMessage) {
  GenerateProviderData(2, 8);
  StartSimulator();
  pin_ = "falsch";
  double last = 0;
  EXPECT_EQ(Export("12345-678", &last, AccessText()), CodeValue(ExportErrorCode::kProviderLogin));
  EXPECT_EQ(Message(-31),
            "Fehler bei ZUV-Datenabruf: ZUV-Zugangsdaten (Login, PIN) fehlerhaft; Errorcode = 10"
            "\r\nBitte \xFC" "berpr\xFC" "fen Sie Ihre Zugangsdaten in der Beraterverwaltung.");
  EXPECT_EQ(SimulatorLog().size(), 1u) << "no transactions request after a failed holdings fetch";
}

TEST_F(EndToEndTest, ArchiveThatIsNoZipIsMinus23AndDeleted) {
  GenerateProviderData(2, 9);
  sim::SimulatorOptions options;
  options.script = "notzip\n";
  StartSimulator(options);
  double last = 0;
  EXPECT_EQ(Export("12345-678", &last, AccessText()), CodeValue(ExportErrorCode::kUnzipFailed));
  EXPECT_EQ(Message(-23), "Fehler beim Entpacken des zip-Archivs: Datei = bestaende.zip");
  EXPECT_FALSE(DataFileExists("bestaende.zip"));
}

TEST_F(EndToEndTest, TooLongIntermediaryNumberIsMinus14AndLeavesTheCsvFiles) {
  GenerateProviderData(2, 10);
  StartSimulator();
  double last = 0;
  const std::string ref = "1234567890123456-678";
  EXPECT_EQ(Export(ref, &last, AccessText()), CodeValue(ExportErrorCode::kBeraterRefTooLong));
  EXPECT_EQ(Message(-14).rfind("Fehlerhafte Vermittlernummer: " + ref + "\r\n", 0), 0u);
  EXPECT_TRUE(DataFileExists("bestaende.csv"));
  EXPECT_TRUE(DataFileExists("transaktionen.csv"));
  EXPECT_FALSE(std::filesystem::exists(xmlDir_ / "ZUV.XML"));
}

TEST_F(EndToEndTest, DebugModeLogsTheRequestWithThePinMasked) {
  GenerateProviderData(2, 11);
  StartSimulator();
  WriteRegistry({"\"DebugMode\"=\"1\""});
  double last = 0;
  ASSERT_EQ(Export("12345-678", &last, AccessText()), 0) << Message(-40);
  int debugLines = 0;
  for (const auto& r : HostReports()) {
    if (r.kind != 3 || r.text.rfind("Download von URL: ", 0) != 0) continue;
    ++debugLines;
    EXPECT_NE(r.text.find("\r\nParams uncodiert: "), std::string::npos) << r.text;
    EXPECT_NE(r.text.find("****"), std::string::npos) << r.text;
    EXPECT_EQ(r.text.find(pin_), std::string::npos) << r.text;
  }
  EXPECT_EQ(debugLines, 2);
}

TEST_F(EndToEndTest, SecondRunReplacesTheFirstRunsData) {
  GenerateProviderData(40, 12);
  StartSimulator();
  double last = 0;
  ASSERT_EQ(Export("12345-678", &last, AccessText()), 0) << Message(-40);
  const int firstCustomers = Count(ReadXml(), "<Kundendaten>");
  ASSERT_GT(firstCustomers, 10);

  sim_.reset();
  GenerateProviderData(3, 13);
  StartSimulator();
  ASSERT_EQ(Export("12345-678", &last, AccessText()), 0) << Message(-40);
  const int secondCustomers = Count(ReadXml(), "<Kundendaten>");
  EXPECT_GE(secondCustomers, 1);
  EXPECT_LE(secondCustomers, 3) << "nothing of the first run is left in the staging tables";
}

TEST_F(EndToEndTest, MissingStagingDatabaseIsAnUnexpectedFailureWithItsCause) {
  GenerateProviderData(2, 14);
  StartSimulator();
  std::filesystem::remove(dataDir_ / "FFBDB.IDB");
  double last = 0;
  EXPECT_EQ(Export("12345-678", &last, AccessText()), CodeValue(ExportErrorCode::kUnexpectedFailure));
  const std::string message = Message(-40);
  EXPECT_EQ(message.rfind("Unerwarteter Fehler: ", 0), 0u) << message;
  EXPECT_GT(message.size(), 25u);
}

TEST_F(EndToEndTest, FoldersAndDatabaseWithUmlautsTakeWindows1252Paths) {
  GenerateProviderData(20, 15);
  StartSimulator();
  // The host hands over Windows-1252; on the disk the names are UTF-8.
  const std::string folder = "B\xF6rse Gr\xF6\xDF" "e \xC4nderung";
  const std::string database = "Staging M\xE4rz.IDB";
  const std::filesystem::path onDisk = root_ / Cp1252ToUtf8(folder);
  std::filesystem::create_directories(onDisk / "xml_temp");
  std::filesystem::create_directories(onDisk / "ZUV");
  for (const char* map : {"BESTAND.txt", "TRANSAKT.txt"})
    std::filesystem::copy_file(dataDir_ / map, onDisk / "ZUV" / map);
  // From a shell the path comes in UTF-8.
  ASSERT_EQ(RunHost({"init-db", (onDisk / "ZUV" / Cp1252ToUtf8(database)).string()}), 0);
  WriteRegistry({"\"ImportDB\"=\"./" + Cp1252ToUtf8(database) + "\""});

  const std::string xmlDir = root_.string() + "/" + folder + "/xml_temp";
  double last = 0;
  ASSERT_EQ(exportXml_(xmlDir.c_str(), "12345-678", 0, &last, AccessText().c_str()), 0)
      << Message(-40);

  std::ifstream xml(onDisk / "xml_temp" / "ZUV.XML", std::ios::binary);
  const std::string text{std::istreambuf_iterator<char>(xml), std::istreambuf_iterator<char>()};
  EXPECT_GT(Count(text, "<Kundendaten>"), 5);
  EXPECT_EQ(Listing(onDisk / "xml_temp"), std::vector<std::string>{"ZUV.XML"});
  EXPECT_EQ(Listing(onDisk / "ZUV"),
            (std::vector<std::string>{"BESTAND.txt", Cp1252ToUtf8(database), "TRANSAKT.txt",
                                      "bst_error.log", "tra_error.log"}))
      << "archives and CSV files gone, nothing under a name in the wrong encoding";
  EXPECT_EQ(Listing(root_), (std::vector<std::string>{Cp1252ToUtf8(folder), "ZUV", "provider",
                                                      "registry.reg", "xml_temp"}));
}

}  // namespace
}  // namespace korvun::e2e
