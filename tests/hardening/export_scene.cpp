#include "tests/hardening/export_scene.hpp"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "plugin/export_run.hpp"
#include "plugin/messages.hpp"
#include "staging/firebird_client.hpp"
#include "staging/staging_database.hpp"
#include "tools/data_generator/provider_data.hpp"
#include "xmlout/import_document.hpp"

namespace korvun::testing {
namespace fs = std::filesystem;
namespace {

// The production stages, but the import with the test's connection wrapper.
class WrappedStages : public RunStages {
 public:
  WrappedStages(const StagingConnectionWrap& wrap, std::optional<long long> readAheadLines)
      : wrap_(wrap), readAheadLines_(readAheadLines) {}
  Status EnsureDatabaseServer(RunContext& ctx, const std::string& importDb) override {
    return real().EnsureDatabaseServer(ctx, importDb);
  }
  std::string HoldingsParams(const std::string& l, const std::string& p, const std::string& t) override {
    return real().HoldingsParams(l, p, t);
  }
  std::string TransactionsParams(const std::string& l, const std::string& p, const std::string& d,
                                 const std::string& t) override {
    return real().TransactionsParams(l, p, d, t);
  }
  int EncodeRequestParams(Env& env, std::string& params) override {
    return real().EncodeRequestParams(env, params);
  }
  Status FetchDataFile(RunContext& ctx, const FetchRequest& request) override {
    return real().FetchDataFile(ctx, request);
  }
  Status RunImport(RunContext& ctx, const ImportRequest& request) override {
    ImportRequest ours = request;
    if (readAheadLines_) ours.readAheadLines = readAheadLines_;
    return korvun::RunImport(ctx, ours, WriteImportFile, wrap_);
  }

 private:
  static RunStages& real() { return ProductionStages(); }
  const StagingConnectionWrap& wrap_;
  const std::optional<long long> readAheadLines_;
};

}  // namespace

ExportScene::ExportScene(const std::string& name, int customers, const std::string& script) {
  root = fs::temp_directory_path() / ("korvun_" + name + "_" + std::to_string(::getpid()));
  fs::remove_all(root);
  xmlDir = root / "xml_temp";
  dataDir = root / "ZUV";
  const fs::path providerDir = root / "provider";
  for (const auto& dir : {xmlDir, dataDir, providerDir}) fs::create_directories(dir);
  const char* source = std::getenv("KORVUN_SOURCE_DIR");
  for (const char* map : {"BESTAND.txt", "TRANSAKT.txt"})
    fs::copy_file(fs::path(source ? source : ".") / "data" / map, dataDir / map);
  CreateStagingDatabase(Env::Default(), (dataDir / "FFBDB.IDB").string(), StagingSchemaSql());

  tools::GeneratorOptions options;
  options.customers = customers;
  options.seed = 7;
  std::ofstream holdings(providerDir / "bestaende.csv", std::ios::binary);
  std::ofstream transactions(providerDir / "transaktionen.csv", std::ios::binary);
  tools::GenerateProviderFiles(options, holdings, transactions);
  holdings.close();
  transactions.close();

  sim::SimulatorOptions simOptions;
  simOptions.dataDir = providerDir.string();
  simOptions.script = script;
  sim = std::make_unique<sim::SimulatorProcess>(simOptions);
  ::setenv("SSL_CERT_FILE", sim->CaFile().c_str(), 1);
  const fs::path reg = root / "registry.reg";
  std::ofstream out(reg, std::ios::binary);
  out << "Windows Registry Editor Version 5.00\r\n\r\n"
      << "[HKEY_LOCAL_MACHINE\\Software\\Brenhalt\\Tarvo\\Korvun\\ZUV]\r\n"
      << "\"DownloadSrvUrl\"=\"" << sim->Url() << "\"\r\n\"Timeout\"=\"30\"\r\n"
      << "\"DataDir\"=\"" << dataDir.string() << "/\"\r\n";
  ::setenv("KORVUN_REGISTRY", reg.c_str(), 1);
}

ExportScene::~ExportScene() {
  sim.reset();
  ::unsetenv("KORVUN_REGISTRY");
  fs::remove_all(root);
}

int32_t ExportScene::Run(Env& env, Ui& ui, const StagingConnectionWrap& wrap, const std::string& pin) {
  const std::string access = "UserLogin=ZUVTEST\r\nPassword=" + pin +
                             "\r\nVerBerNr=138010\r\nVersionLastUsed=2.2.2\r\n"
                             "EmbeddedIBServer=TRUE\r\nNoMessageBoxes=TRUE\r\n";
  const std::string dir = xmlDir.string(), ref = "12345-678";
  double lastImport = 0;
  WrappedStages stages(wrap, importReadAheadLines);
  return CodeValue(RunExportGuarded(env, ui, module, stages,
                                    ExportArgs{dir.c_str(), ref.c_str(), 0, &lastImport, access.c_str()}));
}

std::string ExportScene::Message(int32_t code) {
  return ErrorMessage(code, module.errors, CivilDate{2026, 12, 8}).value_or("");
}

std::string ExportScene::ReadXml() const {
  std::ifstream in(xmlDir / "ZUV.XML", std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

bool ExportScene::XmlComplete() const {
  const std::string xml = ReadXml();
  const size_t end = xml.rfind("</XML>");
  return xml.find("<XML>") != std::string::npos && end != std::string::npos &&
         xml.find_first_not_of("\r\n", end + 6) == std::string::npos;
}

std::vector<std::string> ExportScene::LeftOvers() const {
  std::vector<std::string> found;
  for (const auto& dir : {xmlDir, dataDir})
    for (const auto& e : fs::directory_iterator(dir)) {
      const std::string ext = e.path().extension().string();
      if (ext == ".tmp" || ext == ".part") found.push_back(e.path().string());
    }
  return found;
}

std::string ExportScene::StagingProblem() const {
  try {
    auto db = AttachFirebird(Env::Default(), (dataDir / "FFBDB.IDB").string(), kStagingPassword);
    db->StartTransaction();
    auto count = db->Prepare("select count(*) as N from BESTAENDE");
    count->Execute();
    count->Fetch();
    count->CloseResult();
    db->Commit();
    db->Detach();
    return "";
  } catch (const std::exception& e) {
    return e.what();
  }
}

}  // namespace korvun::testing
