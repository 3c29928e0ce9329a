#include "tests/e2e/e2e_fixture.hpp"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/env.hpp"
#include "base/ole_date.hpp"
#include "staging/staging_database.hpp"
#include "tools/data_generator/provider_data.hpp"

namespace korvun::e2e {

namespace fs = std::filesystem;

void* EndToEndTest::library_ = nullptr;
ExportXMLFn EndToEndTest::exportXml_ = nullptr;
GetExportErrorMsgFn EndToEndTest::getMessage_ = nullptr;
RegProgrCallbackFn EndToEndTest::registerCallback_ = nullptr;

double OleDate(int y, int m, int d) { return OleFromCivil({y, m, d}); }

std::vector<Report>& HostReports() {
  static std::vector<Report> reports;
  return reports;
}

namespace {
void KORVUN_ZUV_CALL Record(int32_t kind, int32_t value, const char* text) {
  HostReports().push_back({kind, value, text ? text : ""});
}
}  // namespace

void EndToEndTest::SetUpTestSuite() {
  // No person at the screen in a test run.
  ::setenv("KORVUN_UI", "none", 1);
  library_ = ::dlopen(KORVUN_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(library_, nullptr) << ::dlerror();
  exportXml_ = reinterpret_cast<ExportXMLFn>(::dlsym(library_, "ExportXML"));
  getMessage_ = reinterpret_cast<GetExportErrorMsgFn>(::dlsym(library_, "GetExportErrorMsg"));
  registerCallback_ = reinterpret_cast<RegProgrCallbackFn>(::dlsym(library_, "RegProgrCallback"));
  ASSERT_TRUE(exportXml_ && getMessage_ && registerCallback_);
  registerCallback_(Record);
}

void EndToEndTest::TearDownTestSuite() {
  if (registerCallback_) registerCallback_(nullptr);
  if (library_) ::dlclose(library_);
  library_ = nullptr;
}

void EndToEndTest::SetUp() {
  HostReports().clear();
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  root_ = fs::temp_directory_path() /
          ("korvun_e2e_" + std::to_string(::getpid()) + "_" + info->name());
  fs::remove_all(root_);
  xmlDir_ = root_ / "xml_temp";
  dataDir_ = root_ / "ZUV";
  providerDir_ = root_ / "provider";
  fs::create_directories(xmlDir_);
  fs::create_directories(dataDir_);
  fs::create_directories(providerDir_);
  const std::string source = std::getenv("KORVUN_SOURCE_DIR") ? std::getenv("KORVUN_SOURCE_DIR") : ".";
  for (const char* map : {"BESTAND.txt", "TRANSAKT.txt"})
    fs::copy_file(fs::path(source) / "data" / map, dataDir_ / map);
  CreateStagingDatabase(Env::Default(), (dataDir_ / "FFBDB.IDB").string(), StagingSchemaSql());
}

void EndToEndTest::TearDown() {
  sim_.reset();
  ::unsetenv("KORVUN_REGISTRY");
  fs::remove_all(root_);
}

void EndToEndTest::GenerateProviderData(int customers, uint64_t seed) {
  tools::GeneratorOptions options;
  options.customers = customers;
  options.seed = seed;
  std::ofstream holdings(providerDir_ / "bestaende.csv", std::ios::binary);
  std::ofstream transactions(providerDir_ / "transaktionen.csv", std::ios::binary);
  tools::GenerateProviderFiles(options, holdings, transactions);
}

void EndToEndTest::StartSimulator(sim::SimulatorOptions options) {
  options.dataDir = providerDir_.string();
  options.login = login_;
  options.pin = pin_;
  sim_ = std::make_unique<sim::SimulatorProcess>(options);
  ::setenv("SSL_CERT_FILE", sim_->CaFile().c_str(), 1);
  WriteRegistry();
}

void EndToEndTest::WriteRegistry(const std::vector<std::string>& extraValues) {
  const fs::path reg = root_ / "registry.reg";
  std::ofstream out(reg, std::ios::binary);
  out << "Windows Registry Editor Version 5.00\r\n\r\n"
      << "[HKEY_LOCAL_MACHINE\\Software\\Brenhalt\\Tarvo\\Korvun\\ZUV]\r\n"
      << "\"DownloadSrvUrl\"=\"" << (sim_ ? sim_->Url() : std::string()) << "\"\r\n"
      << "\"Timeout\"=\"30\"\r\n";
  for (const auto& v : extraValues) out << v << "\r\n";
  out.close();
  ::setenv("KORVUN_REGISTRY", reg.c_str(), 1);
}

std::string EndToEndTest::AccessText(const std::string& extra) const {
  return "UserLogin=" + login_ + "\r\nPassword=" + pin_ +
         "\r\nVerBerNr=138010\r\nVersionLastUsed=2.2.2\r\nEmbeddedIBServer=TRUE\r\n"
         "NoMessageBoxes=TRUE\r\n" + extra;
}

int32_t EndToEndTest::Export(const std::string& beraterRef, double* lastImport,
                             const std::string& access) {
  return exportXml_(xmlDir_.c_str(), beraterRef.c_str(), 0, lastImport, access.c_str());
}

std::string EndToEndTest::Message(int32_t code) {
  char buffer[1024] = "<none>";
  if (getMessage_(code, buffer) != 0) return "<none>";
  return buffer;
}

std::string EndToEndTest::ReadXml() const {
  std::ifstream in(xmlDir_ / "ZUV.XML", std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

int EndToEndTest::Count(const std::string& text, const std::string& needle) {
  int n = 0;
  for (size_t pos = text.find(needle); pos != std::string::npos; pos = text.find(needle, pos + 1))
    ++n;
  return n;
}

bool EndToEndTest::DataFileExists(const std::string& name) const {
  return fs::exists(dataDir_ / name);
}

}  // namespace korvun::e2e
