// A real staging database in a temporary folder, rows put in by column name,
// and a run context whose reports are recorded.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include <gtest/gtest.h>

#include "platform/ui.hpp"
#include "tests/support/recording_ui.hpp"
#include "base/ole_date.hpp"
#include "platform/run_context.hpp"
#include "staging/firebird_client.hpp"
#include "xmlout/import_document.hpp"
#include "tests/support/status_printing.hpp"
#include "staging/staging_database.hpp"
#include "tests/support/fake_env.hpp"

namespace korvun::xmltest {

struct Null {};
using Value = std::variant<Null, int32_t, double, std::string>;
using Row = std::vector<std::pair<std::string, Value>>;

class TempFolder {
 public:
  TempFolder() {
    std::random_device rd;
    path_ = std::filesystem::temp_directory_path() /
            ("korvun-xmlout-" + std::to_string(rd()) + std::to_string(rd()));
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  std::string Path() const { return path_.string(); }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

inline std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteAll(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

// Progress reports of the last run (the host's callback is a plain function).
struct Report {
  int kind;
  int value;
  std::string text;
};
inline std::vector<Report>& Reports() {
  static std::vector<Report> reports;
  return reports;
}
inline void RecordReport(int32_t kind, int32_t value, const char* text) {
  Reports().push_back({kind, value, text ? text : ""});
}

// No person at the screen; counts how often pending messages were processed.
class CountingUi : public testing::RecordingUi {
 public:
  CountingUi() {
    interactive = false;
    confirmPassword = false;
  }
  void ProcessPendingMessages() override { ++pumped; }
  int pumped = 0;
};

class StagingFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    dbPath_ = folder_.File("FFBDB.IDB");
    CreateStagingDatabase(Env::Default(), dbPath_, StagingSchemaSql());
    db_ = AttachFirebird(Env::Default(), dbPath_, kStagingPassword);
    db_->StartTransaction();
    xmlDir_ = folder_.File("xml");
    std::filesystem::create_directories(xmlDir_);
    Reports().clear();
  }
  void TearDown() override {
    if (db_) {
      try {
        db_->Rollback();
      } catch (...) {
      }
      db_->Detach();
    }
  }

  void Insert(const std::string& table, const Row& row) {
    std::string cols, params;
    for (const auto& [name, value] : row) {
      cols += (cols.empty() ? "" : ", ") + name;
      params += (params.empty() ? ":" : ", :") + name;
    }
    auto st = db_->Prepare("insert into " + table + " (" + cols + ") values (" + params + ")");
    for (size_t i = 0; i < row.size(); ++i) {
      const int index = static_cast<int>(i);
      const Value& v = row[i].second;
      if (std::holds_alternative<Null>(v))
        st->SetNull(index);
      else if (auto* n = std::get_if<int32_t>(&v))
        st->SetInt(index, *n);
      else if (auto* d = std::get_if<double>(&v))
        st->SetDouble(index, *d);
      else
        st->SetText(index, std::get<std::string>(v));
    }
    st->Execute();
  }
  void Holding(const Row& row) { Insert("BESTAENDE", row); }
  void Transaction(const Row& row) { Insert("TRANSAKTIONEN", row); }

  static std::vector<std::string> Split(const std::string& ref) {
    // The adviser reference as the import stage hands it over: the whole
    // trimmed text, then its pieces.
    auto trim = [](std::string s) {
      while (!s.empty() && s.front() == ' ') s.erase(0, 1);
      while (!s.empty() && s.back() == ' ') s.pop_back();
      return s;
    };
    std::vector<std::string> parts{trim(ref)};
    std::string rest = parts[0];
    for (;;) {
      const size_t dash = rest.find('-');
      if (dash == std::string::npos || parts.size() == 6) {
        parts.push_back(trim(rest));
        break;
      }
      parts.push_back(trim(rest.substr(0, dash)));
      rest = trim(rest.substr(dash + 1));
    }
    return parts;
  }

  ImportFileArgs Args(const std::string& ref, double lastImport, double request) const {
    ImportFileArgs a;
    a.xmlDir = xmlDir_;
    a.beraterRef = ref;
    a.selectionParts = Split(ref);
    a.lastImportDate = lastImport;
    a.requestDate = request;
    return a;
  }

  ExportErrorCode Run(const ImportFileArgs& args) { return Run(args, *db_); }
  ExportErrorCode Run(const ImportFileArgs& args, DbConnection& db) {
    RunContext ctx{env_, ui_, reporter_, 0};
    return WriteImportFile(ctx, db, args).code();
  }

  std::string XmlPath() const { return xmlDir_ + "/ZUV.XML"; }
  std::string Output() const { return ReadAll(XmlPath()); }

  TempFolder folder_;
  std::string dbPath_, xmlDir_;
  std::unique_ptr<DbConnection> db_;
  testing::FakeEnv env_;
  CountingUi ui_;
  Reporter reporter_{&RecordReport};
};

inline double Day(int y, int m, int d) { return OleFromCivil({y, m, d}); }

// "\nA\nB" written with the file's line ends.
inline std::string Crlf(const std::string& lines) {
  std::string out;
  for (char c : lines) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

}  // namespace korvun::xmltest
