// The CSV importer against a real staging database.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "staging/csv_importer.hpp"
#include "staging/column_widths.hpp"
#include "staging/csv_read_ahead.hpp"
#include "staging/csv_text.hpp"
#include "staging/insert_block.hpp"
#include "staging/firebird_client.hpp"
#include "staging/order_type_filter.hpp"
#include "staging/staging_reset.hpp"
#include "staging_test_support.hpp"
#include "support/fake_env.hpp"

namespace korvun {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

class CsvImporterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    env_.now = {2026, 3, 7, 9, 5, 0};
    path_ = test::CreateTestDatabase(dir_);
    db_ = AttachFirebird(env_, path_, kStagingPassword);
    db_->StartTransaction();
  }

  // A fresh attachment without a transaction, as every run starts: once a
  // key was refused and then added, the engine keeps the table in use for
  // the attachment, which can then no longer make it anew.
  void Reattach() {
    db_->Rollback();
    db_->Detach();
    db_ = AttachFirebird(env_, path_, kStagingPassword);
  }

  CsvImporter Transactions(const std::string& map) {
    WriteFile(dir_.File("map.txt"), map);
    CsvImporter importer(env_, TransactionsTable());
    importer.SetFileName(dir_.File("transaktionen.csv"));
    importer.SetErrorLogName(dir_.File("tra_error.log"));
    importer.LoadMapFile(dir_.File("map.txt"));
    return importer;
  }

  bool Keyed() {
    auto q = Select("select count(*) as N from RDB$RELATION_CONSTRAINTS where RDB$CONSTRAINT_NAME = 'PK_TRANSAKTIONEN'");
    return q->Fetch() && q->AsInt("N") == 1;
  }

  CsvImporter Holdings(const std::string& csv, const std::string& map) {
    WriteFile(dir_.File("bestaende.csv"), csv);
    CsvImporter importer(env_, HoldingsTable());
    importer.SetFileName(dir_.File("bestaende.csv"));
    importer.SetErrorLogName(dir_.File("bst_error.log"));
    WriteFile(dir_.File("map.txt"), map);
    importer.LoadMapFile(dir_.File("map.txt"));
    return importer;
  }

  std::unique_ptr<DbStatement> Select(const std::string& sql) {
    auto q = db_->Prepare(sql);
    q->Execute();
    return q;
  }

  long long Count(const std::string& table) {
    auto q = Select("select count(*) as N from " + table);
    EXPECT_TRUE(q->Fetch());
    return q->AsInt("N");
  }

  std::string Log() { return ReadFile(dir_.File("bst_error.log")); }

  testing::FakeEnv env_;
  TempDir dir_;
  std::string path_;
  std::unique_ptr<DbConnection> db_;
};

// The refused lines of an error log, time stamps included.
std::vector<std::string> RefusedLines(const std::string& log, int failed) {
  const auto lines = SplitLines(log);
  return std::vector<std::string>(lines.begin() + 2, lines.begin() + 2 + failed);
}

// The log's refused lines with those of a repeated key after the others:
// the order when the key is added after the load.
std::vector<std::string> RepeatsLast(std::vector<std::string> lines) {
  std::stable_partition(lines.begin(), lines.end(), [](const std::string& line) {
    return line.find("violation of PRIMARY or UNIQUE KEY constraint") == std::string::npos;
  });
  return lines;
}

TEST_F(CsvImporterTest, ValuesAreConvertedByColumnKind) {
  const std::string surname70 = std::string(60, 'A') + std::string(10, 'B');
  CsvImporter importer = Holdings(
      "header is skipped whatever it holds\r\n"
      "1;" + surname70 + ";1234.56;1.000;M\xFCller;Null;x\r\n"
      "2;  Kurz  ;1234,56;12,7;;7;True\r\n"
      "   \r\n"
      "3;Name;1.234,56;abc;Null;Null;False\r\n"
      "4;Zwei\r\n",
      "VERBERNR=1\r\nINHNACHNAME1=2\r\nBESTSTK=3\r\nINHKDNR1=4\r\nINHVORNAME1=5\r\n"
      "DEPSTNR=6\r\nDEPEINR=7\r\n");
  const CsvImportResult r = importer.Run(*db_);
  EXPECT_EQ(r.lines, 6);
  EXPECT_EQ(r.stored, 4);
  EXPECT_EQ(r.failed, 0);

  auto q = Select("select * from BESTAENDE order by VERBERNR");
  ASSERT_TRUE(q->Fetch());
  EXPECT_EQ(q->AsText("INHNACHNAME1"), std::string(60, 'A'));
  EXPECT_DOUBLE_EQ(q->AsDouble("BESTSTK"), 1234.56);
  EXPECT_EQ(q->AsInt("INHKDNR1"), 1000);
  EXPECT_EQ(q->AsText("INHVORNAME1"), "M\xFCller");
  EXPECT_TRUE(q->IsNull("DEPSTNR"));   // "Null"
  EXPECT_TRUE(q->IsNull("DEPEINR"));   // "x"
  EXPECT_TRUE(q->IsNull("FONISIN"));   // not in the map

  ASSERT_TRUE(q->Fetch());
  EXPECT_EQ(q->AsText("INHNACHNAME1"), "Kurz");
  EXPECT_DOUBLE_EQ(q->AsDouble("BESTSTK"), 1234.56);
  EXPECT_EQ(q->AsInt("INHKDNR1"), 12);
  EXPECT_FALSE(q->IsNull("INHVORNAME1"));
  EXPECT_EQ(q->AsText("INHVORNAME1"), "");
  EXPECT_EQ(q->AsInt("DEPSTNR"), 7);
  EXPECT_EQ(q->AsInt("DEPEINR"), 1);

  ASSERT_TRUE(q->Fetch());
  EXPECT_TRUE(q->IsNull("BESTSTK"));  // 1.234,56
  EXPECT_TRUE(q->IsNull("INHKDNR1"));
  EXPECT_TRUE(q->IsNull("INHVORNAME1"));  // "Null" in a text column
  EXPECT_EQ(q->AsInt("DEPEINR"), 0);

  // Two fields only: the rest are empty values.
  ASSERT_TRUE(q->Fetch());
  EXPECT_EQ(q->AsText("INHNACHNAME1"), "Zwei");
  EXPECT_TRUE(q->IsNull("BESTSTK"));
  EXPECT_TRUE(q->IsNull("INHKDNR1"));
  EXPECT_FALSE(q->IsNull("INHVORNAME1"));
  EXPECT_EQ(q->AsText("INHVORNAME1"), "");
  EXPECT_FALSE(q->Fetch());
}

TEST_F(CsvImporterTest, HeaderOnlyFileLogsNoError) {
  CsvImporter importer = Holdings("VERBERNR;VERVOE1\r\n", "VERBERNR=1\r\n");
  long long reports = 0;
  importer.afterRecord = [&](long long, long long) { ++reports; };
  const CsvImportResult r = importer.Run(*db_);
  EXPECT_EQ(r.lines, 1);
  EXPECT_EQ(r.stored, 0);
  EXPECT_EQ(reports, 0);
  EXPECT_EQ(Count("BESTAENDE"), 0);
  EXPECT_EQ(Log(),
            "07.03.2026 09:05 - Import process started\r\n"
            "\r\n"
            "07.03.2026 09:05 - Import process finished\r\n"
            "No error found\r\n"
            "\r\n");
}

TEST_F(CsvImporterTest, RefusedRecordIsLoggedAndImportGoesOn) {
  WriteFile(dir_.File("transaktionen.csv"),
            "TRAID;AUFTRAGTYP\r\nT1;10\r\nT1;11\r\nT2;12\r\nT3;99999999999\r\nT4;13\r\n");
  WriteFile(dir_.File("map.txt"), "TRAID=1\r\nAUFTRAGTYP=2\r\n");
  CsvImporter importer(env_, TransactionsTable());
  importer.SetFileName(dir_.File("transaktionen.csv"));
  importer.SetErrorLogName(dir_.File("tra_error.log"));
  importer.LoadMapFile(dir_.File("map.txt"));
  std::vector<long long> handled;
  importer.afterRecord = [&](long long n, long long) { handled.push_back(n); };
  env_.now = {2026, 12, 31, 23, 59, 0};
  const CsvImportResult r = importer.Run(*db_);
  EXPECT_EQ(r.stored, 3);
  EXPECT_EQ(r.failed, 2);  // duplicate key, number too large for its column
  EXPECT_EQ(handled, (std::vector<long long>{1, 2, 3}));
  EXPECT_EQ(Count("TRANSAKTIONEN"), 3);

  const std::string log = ReadFile(dir_.File("tra_error.log"));
  const auto lines = SplitLines(log);
  ASSERT_EQ(lines.size(), 8u) << log;
  EXPECT_EQ(lines[0], "31.12.2026 23:59 - Import process started");
  EXPECT_EQ(lines[1], "");
  EXPECT_EQ(lines[2].substr(0, 19), "31.12.2026 23:59 - ");
  EXPECT_NE(lines[2].find("PK_TRANSAKTIONEN"), std::string::npos) << lines[2];
  EXPECT_NE(lines[3].find("overflow"), std::string::npos) << lines[3];
  EXPECT_EQ(lines[4], "");
  EXPECT_EQ(lines[5], "31.12.2026 23:59 - Import process finished");
  EXPECT_EQ(lines[6], "2 error(s) found");
  EXPECT_EQ(lines[7], "");
  EXPECT_EQ(log.substr(log.size() - 4), "\r\n\r\n");
}

// A repeated TRAID is the database's to refuse: at its insert where the
// table has its key (another attachment kept it from being made anew), else
// when the key is added to the table made anew after the load. Either way
// the same lines are refused in the same words, the first line of a key
// stays and the key is there afterwards.
TEST_F(CsvImporterTest, RepeatedKeysAreRefusedWithOrWithoutTheKeyDuringTheLoad) {
  const std::string long20 = "ABCDEFGHIJKLMNOPQRST";
  const std::vector<std::string> ids = {
      "T1", "T1",                        // plain repeat
      "t1",                              // case counts
      long20 + "X", long20 + "Y",        // equal once cut to the width
      "ABCDEFGHIJKLMNOPQRS X", "ABCDEFGHIJKLMNOPQRS",  // cut to a trailing blank
      "", "",                            // the empty key is a key
      "Null", "Null",                    // no key at all: the column refuses it
      "T1", "T2"};
  std::string csv = "TRAID;AUFTRAGTYP\r\n";
  for (size_t i = 0; i < ids.size(); ++i) csv += ids[i] + ";" + std::to_string(i + 1) + "\r\n";
  WriteFile(dir_.File("transaktionen.csv"), csv);

  struct Outcome {
    CsvImportResult result;
    std::vector<std::string> refused;
    std::string rows;
    long long mostT1 = 0;  // rows of T1 in the table while lines were stored
    bool keyed = false;
  };
  const auto import = [&](bool anew) {
    Reattach();
    if (anew) {
      EXPECT_TRUE(ClearStagingTables(*db_, StagingSchemaSql()));
    } else {
      db_->StartTransaction();  // the tables as made with their key
    }
    CsvImporter importer = Transactions("TRAID=1\r\nAUFTRAGTYP=2\r\n");
    Outcome o;
    importer.afterRecord = [&](long long, long long) {
      auto q = Select("select count(*) as N from TRANSAKTIONEN where TRAID = 'T1'");
      if (q->Fetch()) o.mostT1 = std::max(o.mostT1, static_cast<long long>(q->AsInt("N")));
    };
    o.result = importer.Run(*db_);
    o.refused = RefusedLines(ReadFile(dir_.File("tra_error.log")), o.result.failed);
    auto q = Select("select TRAID, AUFTRAGTYP from TRANSAKTIONEN order by AUFTRAGTYP");
    while (q->Fetch()) o.rows += q->AsText("TRAID") + ";" + q->AsText("AUFTRAGTYP") + " ";
    o.keyed = Keyed();
    return o;
  };
  const Outcome keyed = import(false);
  const Outcome anew = import(true);

  EXPECT_EQ(keyed.rows, "T1;1 t1;3 ABCDEFGHIJKLMNOPQRST;4 ABCDEFGHIJKLMNOPQRS ;6 ;8 T2;13 ");
  EXPECT_EQ(anew.rows, keyed.rows);
  EXPECT_EQ(keyed.result.failed, 7);
  EXPECT_EQ(anew.result.failed, keyed.result.failed);
  EXPECT_EQ(anew.result.stored, 6);
  EXPECT_EQ(anew.result.handled, keyed.result.handled);
  // The engine's own words at the insert; after the load the same lines,
  // the repeats after the null keys.
  EXPECT_EQ(anew.refused, RepeatsLast(keyed.refused));
  EXPECT_NE(anew.refused.back().find("(\"TRAID\" = 'T1')"), std::string::npos) << anew.refused.back();
  const std::string log = ReadFile(dir_.File("tra_error.log"));
  EXPECT_NE(log.find("\r\n\r\n07.03.2026 09:05 - Import process finished\r\n7 error(s) found\r\n"), std::string::npos);
  // Loaded into the table made anew, every T1 reaches it: the importer holds
  // no key of its own, the engine finds the repeats afterwards.
  EXPECT_EQ(keyed.mostT1, 1);
  EXPECT_EQ(anew.mostT1, 3);
  EXPECT_TRUE(keyed.keyed);
  EXPECT_TRUE(anew.keyed);
}

// A large file is read ahead on a thread of its own, and on a server the
// lines go a block at a time: the same rows, log and progress as read and
// stored line by line, across many batches and blocks, blank lines, lines
// the database refuses, repeated and missing keys, dropped lines and a last
// line without a break. Into tables that keep their key during the load, a
// block with a repeated key logs just that line; the repeats are then logged
// among the other refused lines instead of after them, and the progress
// skips them.
TEST_F(CsvImporterTest, ReadingAheadAndBlocksChangeNothing) {
  std::string csv = "TRAID;AUFTRAGTYP;TRABETRAG\r\n";
  for (int i = 0; i < 9000; ++i) {
    const std::string id = i % 997 == 5    ? "T5"
                           : i % 1777 == 3 ? "Null"
                           : i % 1231 == 7 ? "T" + std::to_string(i) + std::string(30, 'x')  // cut to 20
                                           : "T" + std::to_string(i);
    csv += id + ";" + (i % 13 == 0 ? "99999999999" : std::to_string(10 + i % 7)) + ";" +
           std::to_string(i) + ",25" + (i % 501 == 0 ? "\r\n   \n" : "\r\n");
  }
  csv += "LAST;10;1,5";
  WriteFile(dir_.File("transaktionen.csv"), csv);

  struct Outcome {
    CsvImportResult result;
    std::vector<long long> progress;
    std::string log, rows;
  };
  const auto import = [&](long long readAheadLines, bool inBlocks, bool keyed) {
    Reattach();
    EXPECT_TRUE(ClearStagingTables(*db_, StagingSchemaSql()));
    if (keyed) AddMissingKeysAndIndexes(*db_, StagingSchemaSql());
    CsvImporter importer = Transactions("TRAID=1\r\nAUFTRAGTYP=2\r\nTRABETRAG=3\r\n");
    importer.SetReadBlockSize(4096);
    importer.SetReadAheadLines(readAheadLines);
    importer.SetInsertInBlocks(inBlocks);
    Outcome o;
    importer.beforePost = [](const std::vector<std::string_view>& v) { return v[1] != "16"; };
    importer.afterRecord = [&](long long n, long long) { o.progress.push_back(n); };
    o.result = importer.Run(*db_);
    o.log = ReadFile(dir_.File("tra_error.log"));
    auto q = Select("select TRAID, AUFTRAGTYP, TRABETRAG from TRANSAKTIONEN order by TRAID");
    while (q->Fetch()) o.rows += q->AsText("TRAID") + ";" + q->AsText("AUFTRAGTYP") + ";" + q->AsText("TRABETRAG") + "\n";
    return o;
  };
  const Outcome byLine = import(1000000000, false, false);
  EXPECT_GT(byLine.result.failed, 600);
  EXPECT_GT(byLine.result.dropped, 1000);
  EXPECT_NE(byLine.rows.find("LAST;10;1,5\n"), std::string::npos);
  EXPECT_NE(byLine.rows.find("T5;15;5,25\n"), std::string::npos);  // the first of nine
  struct Variant {
    long long readAheadLines;
    bool inBlocks, keyed;
  };
  for (const Variant v : {Variant{0, false, false}, Variant{0, true, false}, Variant{1000000000, true, false},
                          Variant{1000000000, false, true}, Variant{0, true, true}}) {
    SCOPED_TRACE(std::to_string(v.readAheadLines) + (v.inBlocks ? " blocks" : "") + (v.keyed ? " keyed" : ""));
    const Outcome other = import(v.readAheadLines, v.inBlocks, v.keyed);
    EXPECT_EQ(other.result.stored, byLine.result.stored);
    EXPECT_EQ(other.result.failed, byLine.result.failed);
    EXPECT_EQ(other.result.dropped, byLine.result.dropped);
    EXPECT_EQ(other.result.handled, byLine.result.handled);
    EXPECT_EQ(other.rows, byLine.rows);
    if (v.keyed) {
      EXPECT_EQ(RepeatsLast(RefusedLines(other.log, other.result.failed)),
                RefusedLines(byLine.log, byLine.result.failed));
      EXPECT_EQ(other.log.size(), byLine.log.size());
      EXPECT_EQ(other.progress.size() + 8, byLine.progress.size());  // T5 repeated eight times
    } else {
      EXPECT_EQ(other.progress, byLine.progress);
      EXPECT_EQ(other.log, byLine.log);
    }
  }
  // The blocks above were blocks: the widths are known and many rows fit.
  EXPECT_GE(MakeInsertBlock(TransactionsTable(), TextColumnWidths(*db_, TransactionsTable()), 128).rows, 32);
}

// The read-ahead holds a fixed amount whatever the file's size: short lines
// fill whole batches, wide lines make shorter ones.
TEST(CsvReadAhead, BatchesAreBoundedInLinesAndBytes) {
  TempDir dir;
  for (const size_t width : {size_t{8}, size_t{3000}}) {
    SCOPED_TRACE(width);
    std::string csv = "Kopf\r\n";
    for (int i = 0; i < 6000; ++i) csv += std::string(width, 'a' + i % 26) + ";" + std::to_string(i) + "\r\n";
    WriteFile(dir.File("breit.csv"), csv);
    CsvReadAhead lines(Env::Default(), dir.File("breit.csv"), 4096,
                       {{1, ColumnKind::kText}, {2, ColumnKind::kInteger}}, true);
    LineBatch batch;
    size_t total = 0, most = 0;
    while (lines.Next(&batch)) {
      size_t bytes = 0;
      for (size_t line = 0; line < batch.Lines(); ++line)
        bytes += batch.Raw(line, 0).size() + batch.Raw(line, 1).size();
      EXPECT_LT(bytes, CsvReadAhead::kBatchTextBytes + width + 4);
      most = std::max(most, batch.Lines());
      total += batch.Lines();
    }
    EXPECT_EQ(total, 6000u);
    if (width == 8) EXPECT_EQ(most, CsvReadAhead::kBatchLines);
    else EXPECT_LT(most, CsvReadAhead::kBatchLines / 8);
  }
}

TEST_F(CsvImporterTest, FilterDropsLinesSilentlyButTheyCountForProgress) {
  WriteFile(dir_.File("transaktionen.csv"),
            "h\r\nA;50;\r\nB;50;0\r\nC;50;1\r\nD;x;\r\nE;98;4\r\n");
  WriteFile(dir_.File("map.txt"), "TRAID=1\r\nAUFTRAGTYP=2\r\nTEILAUFTRAGTYP=3\r\n");
  CsvImporter importer(env_, TransactionsTable());
  importer.SetFileName(dir_.File("transaktionen.csv"));
  importer.SetErrorLogName(dir_.File("tra_error.log"));
  importer.LoadMapFile(dir_.File("map.txt"));
  importer.beforePost = [](const std::vector<std::string_view>& v) {
    return AcceptOrderType(v[1], v[2]);
  };
  long long last = 0;
  importer.afterRecord = [&](long long n, long long) { last = n; };
  const CsvImportResult r = importer.Run(*db_);
  EXPECT_EQ(r.stored, 3);
  EXPECT_EQ(r.dropped, 2);
  EXPECT_EQ(last, 5);
  auto q = Select("select TRAID, TEILAUFTRAGTYP from TRANSAKTIONEN order by TRAID");
  std::string ids;
  while (q->Fetch()) ids += q->AsText("TRAID") + "/" + q->AsText("TEILAUFTRAGTYP") + " ";
  EXPECT_EQ(ids, "A/ B/0 E/4 ");
  EXPECT_NE(ReadFile(dir_.File("tra_error.log")).find("No error found"), std::string::npos);
}

struct MapCase {
  const char* map;
  const char* message;
};
// The test list shows the map, its line breaks as "|", not the case's bytes
// (pointers that change from one build to the next).
void PrintTo(const MapCase& c, std::ostream* os) {
  *os << "map \"";
  for (const char* p = c.map; *p; ++p)
    if (*p != '\r') *os << (*p == '\n' ? '|' : *p);
  *os << '"';
}

class MapFailure : public CsvImporterTest, public ::testing::WithParamInterface<MapCase> {};

TEST_P(MapFailure, StopsBeforeTheFirstRecord) {
  CsvImporter importer = Holdings("h\r\n1;2\r\n", GetParam().map);
  try {
    importer.Run(*db_);
    FAIL() << "no error";
  } catch (const CsvImportError& e) {
    EXPECT_STREQ(e.what(), GetParam().message);
  }
  EXPECT_EQ(Count("BESTAENDE"), 0);
  EXPECT_FALSE(std::filesystem::exists(dir_.File("bst_error.log")));
}

INSTANTIATE_TEST_SUITE_P(
    Messages, MapFailure,
    ::testing::Values(
        MapCase{"", "Map is empty"},
        MapCase{"VERBERNR=1\r\nTRAID=2\r\n",
                "Column TRAID is defined in the MAP is not found in the import destination"},
        MapCase{"verbernr=1\r\nNOPE=2\r\n",
                "Column NOPE is defined in the MAP is not found in the import destination"},
        MapCase{"VERBERNR=eins\r\n", "Missing definition of map"},
        MapCase{"VERBERNR=\r\n", "Missing definition of map"},
        MapCase{"VERBERNR=1\r\n\r\nVERVOE1=2\r\n", "Missing definition of map"},
        MapCase{"VERBERNR 1\r\n", "Missing definition of map"}));

TEST_F(CsvImporterTest, FinalLineBreakOfTheMapIsNoEntry) {
  CsvImporter importer = Holdings("h\r\n1;2\r\n", "verbernr=1\r\nVerVoe1=2\r\n");
  EXPECT_EQ(importer.Run(*db_).stored, 1);
}

TEST_F(CsvImporterTest, MissingOrUnnamedCsvFile) {
  CsvImporter importer(env_, HoldingsTable());
  importer.SetMap({"VERBERNR=1"});
  importer.SetErrorLogName(dir_.File("bst_error.log"));
  try {
    importer.Run(*db_);
    FAIL();
  } catch (const CsvImportError& e) {
    EXPECT_STREQ(e.what(), "File name is not specified");
  }
  importer.SetFileName(dir_.File("bestaende.csv"));
  try {
    importer.Run(*db_);
    FAIL();
  } catch (const CsvImportError& e) {
    EXPECT_EQ(std::string(e.what()), "File " + dir_.File("bestaende.csv") + " does not exist");
  }
  EXPECT_FALSE(std::filesystem::exists(dir_.File("bst_error.log")));
}

TEST_F(CsvImporterTest, MissingMapFileCannotBeLoaded) {
  CsvImporter importer(env_, HoldingsTable());
  EXPECT_THROW(importer.LoadMapFile(dir_.File("BESTAND.txt")), std::runtime_error);
}

TEST_F(CsvImporterTest, ErrorLogThatCannotBeCreatedStopsTheImport) {
  CsvImporter importer = Holdings("h\r\n1\r\n", "VERBERNR=1\r\n");
  importer.SetErrorLogName(dir_.File("no/such/dir/bst_error.log"));
  EXPECT_THROW(importer.Run(*db_), std::runtime_error);
  EXPECT_EQ(Count("BESTAENDE"), 0);
}

TEST_F(CsvImporterTest, ShippedMapsFitTheProviderSample) {
  const std::string source = test::SourceDir();
  CsvImporter holdings(env_, HoldingsTable());
  holdings.SetFileName(source + "/tests/staging/data/bestaende.csv");
  holdings.SetErrorLogName(dir_.File("bst_error.log"));
  holdings.LoadMapFile(source + "/data/BESTAND.txt");
  const CsvImportResult r = holdings.Run(*db_);
  EXPECT_EQ(r.failed, 0) << Log();
  EXPECT_EQ(r.stored, r.lines - 1);
  auto q = Select("select * from BESTAENDE where INHKDNR1 = 5747184 order by FONISIN");
  ASSERT_TRUE(q->Fetch());
  EXPECT_EQ(q->AsText("INHNACHNAME1"), "K\xF6nig");
  EXPECT_EQ(q->AsText("VERVOE1"), "12345");
  EXPECT_EQ(q->AsText("DEPKTOART"), "02");
  EXPECT_EQ(q->AsInt("INHGEBTAG1"), 20050211);
  EXPECT_TRUE(q->IsNull("DEPEINR"));
}

}  // namespace
}  // namespace korvun
