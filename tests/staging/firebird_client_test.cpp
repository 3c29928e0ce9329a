#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <tuple>
#include <vector>

#include "staging/firebird_api.hpp"
#include "staging/firebird_client.hpp"
#include "staging/database_server.hpp"
#include "staging/firebird_client_library.hpp"
#include "staging/firebird_parameter_block.hpp"
#include "staging/named_parameters.hpp"
#include "staging/staging_database.hpp"
#include "staging/staging_tables.hpp"
#include "staging_test_support.hpp"
#include "support/fake_env.hpp"

namespace korvun {
namespace {

using test::CreateTestDatabase;
using test::TempDir;

TEST(NamedParameters, MarkersBecomePositional) {
  const PositionalSql p = ToPositionalSql(
      "select a from T where X = :parX and Y = :Y_2 and Z = ':notme' -- :nor\n and W = :W");
  EXPECT_EQ(p.sql, "select a from T where X = ? and Y = ? and Z = ':notme' -- :nor\n and W = ?");
  ASSERT_EQ(p.names.size(), 3u);
  EXPECT_EQ(p.names[0], "parX");
  EXPECT_EQ(p.names[1], "Y_2");
  EXPECT_EQ(p.names[2], "W");
}

TEST(SqlScript, SplitsAtSemicolonsOutsideQuotesAndComments) {
  const auto parts = SplitSqlScript("-- a; comment\nCREATE TABLE A (X VARCHAR(3) DEFAULT ';');\n"
                                    "/* ; */ CREATE INDEX I ON A (X);\n\n");
  ASSERT_EQ(parts.size(), 2u);
  EXPECT_EQ(parts[0], "CREATE TABLE A (X VARCHAR(3) DEFAULT ';')");
  EXPECT_EQ(parts[1], "CREATE INDEX I ON A (X)");
}

TEST(StagingDatabase, SchemaDefinesBothTables) {
  const std::string& schema = StagingSchemaSql();
  EXPECT_NE(schema.find("CREATE TABLE BESTAENDE"), std::string::npos);
  EXPECT_NE(schema.find("CREATE TABLE TRANSAKTIONEN"), std::string::npos);
}

class FirebirdClient : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = CreateTestDatabase(dir_);
    db_ = AttachFirebird(Env::Default(), path_, kStagingPassword);
    db_->StartTransaction();
  }
  TempDir dir_;
  std::string path_;
  std::unique_ptr<DbConnection> db_;
};

TEST_F(FirebirdClient, StagingDatabaseIsCreatedWithoutForcedWrites) {
  auto q = db_->Prepare(
      "select MON$FORCED_WRITES as FW, MON$PAGE_SIZE as PS, MON$SQL_DIALECT as DIALECT, "
      "(select RDB$CHARACTER_SET_NAME from RDB$DATABASE) as CS from MON$DATABASE");
  q->Execute();
  ASSERT_TRUE(q->Fetch());
  EXPECT_EQ(q->AsInt("FW"), 0);
  EXPECT_EQ(q->AsInt("PS"), 8192);
  EXPECT_EQ(q->AsInt("DIALECT"), 3);
  EXPECT_EQ(q->AsText("CS").substr(0, 9), "ISO8859_1");
}

TEST_F(FirebirdClient, SchemaGivesTheColumnWidths) {
  auto q = db_->Prepare(
      "select f.RDB$FIELD_LENGTH as LEN from RDB$RELATION_FIELDS r join RDB$FIELDS f "
      "on f.RDB$FIELD_NAME = r.RDB$FIELD_SOURCE "
      "where r.RDB$RELATION_NAME = :T and r.RDB$FIELD_NAME = :C");
  const std::vector<std::tuple<const char*, const char*, int>> widths = {
      {"BESTAENDE", "INHNACHNAME1", 60}, {"BESTAENDE", "INHPLZ1", 5},
      {"BESTAENDE", "FONWKNEXT", 10},   {"BESTAENDE", "DEPUNTERKTO", 3},
      {"TRANSAKTIONEN", "TRAID", 20},   {"TRANSAKTIONEN", "TRAWAEHR", 3}};
  for (const auto& [table, column, width] : widths) {
    q->SetText(0, table);
    q->SetText(1, column);
    q->Execute();
    ASSERT_TRUE(q->Fetch()) << column;
    EXPECT_EQ(q->AsInt("LEN"), width) << column;
    q->CloseResult();
  }
}

TEST_F(FirebirdClient, ImportColumnsAreTheColumnsOfTheCreatedTables) {
  auto q = db_->Prepare(
      "select trim(r.RDB$FIELD_NAME) as NAME, f.RDB$FIELD_TYPE as TYPE from RDB$RELATION_FIELDS r "
      "join RDB$FIELDS f on f.RDB$FIELD_NAME = r.RDB$FIELD_SOURCE "
      "where r.RDB$RELATION_NAME = :T order by r.RDB$FIELD_POSITION");
  const auto typeCode = [](ColumnKind kind) {  // INTEGER, DOUBLE PRECISION, VARCHAR
    return kind == ColumnKind::kInteger ? 8 : kind == ColumnKind::kFloat ? 27 : 37;
  };
  for (const StagingTable* table : {&HoldingsTable(), &TransactionsTable()}) {
    std::string created, imported;
    q->SetText(0, table->name);
    q->Execute();
    while (q->Fetch()) {
      const std::string name = q->AsText("NAME");
      if (name != "AUFTRAGTYPTXT" && name != "TEILAUFTRAGTYPTXT") created += name + " " + q->AsText("TYPE") + ", ";
    }
    for (const StagingColumn& column : table->columns)
      imported += std::string(column.name) + " " + std::to_string(typeCode(column.kind)) + ", ";
    EXPECT_EQ(imported, created) << table->name;
  }
  EXPECT_EQ(HoldingsTable().keyColumn, nullptr);
  EXPECT_STREQ(TransactionsTable().keyColumn, "TRAID");
  EXPECT_STREQ(TransactionsTable().keyConstraint, "PK_TRANSAKTIONEN");
}

TEST(FirebirdParameterBlock, ClumpletsFollowTheVersion) {
  const FirebirdParameterBlock block = SysdbaParameters("pw").Number(isc_dpb_sql_dialect, 3, 4);
  const std::string expected = std::string{isc_dpb_version1, isc_dpb_user_name, 6} + "SYSDBA" +
                               std::string{isc_dpb_password, 2} + "pw" +
                               std::string{isc_dpb_sql_dialect, 4, 3, 0, 0, 0};
  EXPECT_EQ(std::string(block.data(), static_cast<size_t>(block.size())), expected);
  EXPECT_THROW(FirebirdParameterBlock().Text(isc_dpb_password, std::string(256, 'x')), DbError);
}

TEST_F(FirebirdClient, CreatingOverAnExistingFileFails) {
  EXPECT_THROW(CreateStagingDatabase(Env::Default(), path_, StagingSchemaSql()), DbError);
}

TEST_F(FirebirdClient, InsertsAndReadsBackByName) {
  auto insert = db_->Prepare(
      "insert into BESTAENDE (VERBERNR, VERVOE1, INHNACHNAME1, BESTSTK, INHKDNR1) "
      "values (:VERBERNR, :VERVOE1, :INHNACHNAME1, :BESTSTK, :INHKDNR1)");
  ASSERT_EQ(insert->ParameterCount(), 5);
  EXPECT_EQ(insert->ParameterIndex(":inhnachname1"), 2);
  EXPECT_EQ(insert->ParameterIndex("nothere"), -1);
  insert->SetInt(insert->ParameterIndex("VERBERNR"), 4711);
  insert->SetText(insert->ParameterIndex("VERVOE1"), "12345");
  insert->SetText(insert->ParameterIndex("INHNACHNAME1"), std::string(70, 'x') + "\xFC");
  insert->SetDouble(insert->ParameterIndex("BESTSTK"), 12.5);
  insert->SetNull(insert->ParameterIndex("INHKDNR1"));
  insert->Execute();
  // Executed again with other values: one prepared statement, many rows.
  insert->SetInt(0, 4712);
  insert->SetText(1, "M\xFCller");
  insert->SetText(2, "");
  insert->Execute();
  db_->CommitRetaining();

  auto select = db_->Prepare(
      "select VERBERNR, VERVOE1, INHNACHNAME1, BESTSTK, INHKDNR1 from BESTAENDE "
      "where VERBERNR >= :low order by VERBERNR");
  select->SetText(0, "4711");  // the server converts the text for the comparison
  select->Execute();
  ASSERT_TRUE(select->Fetch());
  EXPECT_EQ(select->AsInt("verbernr"), 4711);
  EXPECT_EQ(select->AsText("VERBERNR"), "4711");
  EXPECT_EQ(select->AsText("INHNACHNAME1"), std::string(60, 'x'));
  EXPECT_DOUBLE_EQ(select->AsDouble("BESTSTK"), 12.5);
  EXPECT_TRUE(select->IsNull("INHKDNR1"));
  EXPECT_EQ(select->AsText("INHKDNR1"), "");
  EXPECT_THROW(select->AsText("NOSUCHCOLUMN"), DbError);
  ASSERT_TRUE(select->Fetch());
  EXPECT_EQ(select->AsText("VERVOE1"), "M\xFCller");
  EXPECT_FALSE(select->IsNull("INHNACHNAME1"));
  EXPECT_EQ(select->AsText("INHNACHNAME1"), "");
  EXPECT_FALSE(select->Fetch());
  // A result can be opened again with new parameters.
  select->SetInt(0, 4712);
  select->Execute();
  int rows = 0;
  while (select->Fetch()) ++rows;
  EXPECT_EQ(rows, 1);
}

TEST_F(FirebirdClient, NumberTooLargeForItsColumnFailsWithServerText) {
  auto insert = db_->Prepare("insert into BESTAENDE (VERBERNR) values (:VERBERNR)");
  insert->SetDouble(0, 1e12);
  try {
    insert->Execute();
    FAIL() << "no error";
  } catch (const DbError& e) {
    EXPECT_NE(std::string(e.what()).find("overflow"), std::string::npos) << e.what();
  }
  // The transaction stays usable after a failed statement.
  insert->SetInt(0, 1);
  EXPECT_NO_THROW(insert->Execute());
}

TEST_F(FirebirdClient, DuplicateTransactionIdViolatesTheKey) {
  auto insert = db_->Prepare("insert into TRANSAKTIONEN (TRAID) values (:TRAID)");
  insert->SetText(0, "T1");
  insert->Execute();
  EXPECT_THROW(insert->Execute(), DbError);
}

TEST_F(FirebirdClient, BadStatementRaisesServerMessage) {
  try {
    db_->ExecuteImmediate("delete from NO_SUCH_TABLE");
    FAIL() << "no error";
  } catch (const DbError& e) {
    EXPECT_NE(std::string(e.what()).find("NO_SUCH_TABLE"), std::string::npos) << e.what();
  }
}

TEST_F(FirebirdClient, RowsCommittedBeforeDetachAreKept) {
  auto insert = db_->Prepare("insert into TRANSAKTIONEN (TRAID) values (:TRAID)");
  insert->SetText(0, "A");
  insert->Execute();
  insert.reset();
  db_.reset();  // an open transaction is committed when the connection goes
  auto again = AttachFirebird(Env::Default(), path_, kStagingPassword);
  again->StartTransaction();
  auto count = again->Prepare("select count(*) as N from TRANSAKTIONEN");
  count->Execute();
  ASSERT_TRUE(count->Fetch());
  EXPECT_EQ(count->AsInt("N"), 1);
}

TEST(FirebirdClientAttach, MissingDatabaseFileIsAnError) {
  TempDir dir;
  EXPECT_THROW(AttachFirebird(Env::Default(), dir.File("missing.idb"), kStagingPassword), DbError);
}

TEST(FirebirdClientLibrary, MissingClientIsAClearError) {
  struct NoClientEnv : testing::FakeEnv {
    void* LoadSharedLibrary(const std::string& name, std::string* error) override {
      *error = name + ": cannot open shared object file";
      return nullptr;
    }
  } env;
  try {
    ResolveFirebirdApi(env);
    FAIL() << "no error";
  } catch (const DbError& e) {
    EXPECT_NE(std::string(e.what()).find("Firebird-Client-Bibliothek konnte nicht geladen werden"),
              std::string::npos);
    EXPECT_NE(std::string(e.what()).find("libfbclient.so.2"), std::string::npos);
  }
}

TEST(FirebirdClientLibrary, ClientWithoutTheNeededFunctionsIsRefused) {
  struct EmptyLibraryEnv : testing::FakeEnv {
    void* FindSymbol(void*, const std::string&) override { return nullptr; }
  } env;
  try {
    ResolveFirebirdApi(env);
    FAIL() << "no error";
  } catch (const DbError& e) {
    const std::string text = e.what();
    EXPECT_NE(text.find("libfbclient.so.2 ohne isc_attach_database"), std::string::npos) << text;
    EXPECT_NE(text.find("libfbclient.so ohne isc_attach_database"), std::string::npos) << text;
  }
  EXPECT_EQ(env.releasedLibraries.size(), 2u);
}

// The first library name stands for a client that lacks some functions, as
// InterBase's lacks fb_interpret.
struct ClientLackingEnv : testing::FakeEnv {
  std::vector<std::string> lacking;
  std::vector<std::string> loads;
  void* LoadSharedLibrary(const std::string& name, std::string* error) override {
    loads.push_back(name);
    return FakeEnv::LoadSharedLibrary(name, error);
  }
  void* FindSymbol(void* library, const std::string& name) override {
    const bool first = loads.back() == FirebirdClientLibraries(Env::System::kPosix).front();
    if (first && std::find(lacking.begin(), lacking.end(), name) != lacking.end()) return nullptr;
    return FakeEnv::FindSymbol(library, name);
  }
};

// The messages of a status vector whose only message is its argument.
std::string MessageOf(const FirebirdApi& api) {
  char text[] = "Kein Zugriff auf B\xF6rse.fdb";
  const ISC_STATUS status[] = {isc_arg_gds, isc_random, isc_arg_string,
                               reinterpret_cast<ISC_STATUS>(text), isc_arg_end};
  return FirebirdStatusText(api, status);
}

TEST(FirebirdClientLibrary, InterBaseClientIsUsedWithItsOwnMessageFunction) {
  ClientLackingEnv env;
  env.lacking = {"fb_interpret"};
  const FirebirdApi api = ResolveFirebirdApi(env);
  EXPECT_EQ(env.loads.size(), 1u);
  EXPECT_EQ(api.interpret, nullptr);
  EXPECT_NE(api.interprete, nullptr);
  EXPECT_EQ(MessageOf(api), "Kein Zugriff auf B\xF6rse.fdb");
}

TEST(FirebirdClientLibrary, ClientWithoutAnyMessageFunctionIsReleasedForTheNext) {
  ClientLackingEnv env;
  env.lacking = {"fb_interpret", "isc_interprete"};
  const FirebirdApi api = ResolveFirebirdApi(env);
  EXPECT_EQ(env.loads, FirebirdClientLibraries(Env::System::kPosix));
  EXPECT_EQ(env.releasedLibraries.size(), 1u);
  EXPECT_NE(api.interpret, nullptr);
  EXPECT_EQ(MessageOf(api), "Kein Zugriff auf B\xF6rse.fdb");
}

// Where Windows installers recorded their client: each folder once, however
// its case is written, a root followed by its bin.
TEST(FirebirdClientLibrary, InstallerFoldersFromTheRegistry) {
  testing::FakeEnv env;
  env.SetString(kServerRegistryKey, "ServerDirectory", "C:\\IB");
  env.SetString(kServerRegistryKey, "RootDirectory", "c:\\ib\\");
  env.SetString("SOFTWARE\\Firebird Project\\Firebird Server\\Instances", "DefaultInstance",
                "D:\\Firebird\\");
  EXPECT_EQ(DatabaseClientFolders(env),
            (std::vector<std::string>{"C:\\IB\\", "c:\\ib\\bin\\", "D:\\Firebird\\",
                                      "D:\\Firebird\\bin\\"}));
}

}  // namespace
}  // namespace korvun
