#include "bench/raw_insert_floor.hpp"

#include <ibase.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "platform/env.hpp"
#include "staging/firebird_api.hpp"
#include "staging/firebird_parameter_block.hpp"
#include "staging/staging_database.hpp"
#include "staging/staging_reset.hpp"

namespace korvun::bench {
namespace {

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point t) {
  return std::chrono::duration<double>(Clock::now() - t).count();
}

// The schema's tables alone: no key, no index.
std::string TablesWithoutIndexes() {
  std::string script;
  for (const std::string& table : SplitStagingSchema(StagingSchemaSql()).tables) script += table + ";\n";
  return script;
}

void Check(const FirebirdApi& api, const ISC_STATUS* st, bool failed) {
  if (failed) throw std::runtime_error(FirebirdStatusText(api, st));
}

// One column's bound value: the engine reads it where sqldata points.
struct Slot {
  short indicator = 0;
  int32_t integer = 0;
  double number = 0;
  std::vector<char> varying;  // length (2 bytes) and text
};

double LoadTable(const FirebirdApi& api, isc_db_handle* db, isc_tr_handle* tr,
                 const FloorInput& input) {
  const StagingTable& table = *input.table;
  const size_t n = table.columns.size();
  std::string sql = "insert into " + std::string(table.name) + " (";
  std::string marks;
  for (size_t c = 0; c < n; ++c) {
    sql += (c ? ", " : "") + std::string(table.columns[c].name);
    marks += c ? ", ?" : "?";
  }
  sql += ") values (" + marks + ")";

  ISC_STATUS_ARRAY st;
  isc_stmt_handle stmt = 0;
  Check(api, st, api.dsql_allocate_statement(st, db, &stmt));
  Check(api, st, api.dsql_prepare(st, tr, &stmt, 0, sql.c_str(), 3, nullptr));
  std::unique_ptr<char[]> storage(new char[XSQLDA_LENGTH(n)]());
  auto* params = reinterpret_cast<XSQLDA*>(storage.get());
  params->version = SQLDA_VERSION1;
  params->sqln = static_cast<short>(n);
  Check(api, st, api.dsql_describe_bind(st, &stmt, 1, params));

  std::vector<Slot> slots(n);
  for (size_t c = 0; c < n; ++c) {
    XSQLVAR& v = params->sqlvar[c];
    Slot& s = slots[c];
    v.sqlind = &s.indicator;
    switch (table.columns[c].kind) {
      case ColumnKind::kInteger:
        v.sqltype = SQL_LONG + 1;
        v.sqllen = sizeof(int32_t);
        v.sqlscale = 0;
        v.sqldata = reinterpret_cast<char*>(&s.integer);
        break;
      case ColumnKind::kFloat:
        v.sqltype = SQL_DOUBLE + 1;
        v.sqllen = sizeof(double);
        v.sqldata = reinterpret_cast<char*>(&s.number);
        break;
      case ColumnKind::kText:
        v.sqltype = SQL_VARYING + 1;
        s.varying.assign(sizeof(short) + static_cast<size_t>(v.sqllen), 0);
        v.sqldata = s.varying.data();
        break;
    }
  }

  RowReader reader(input.csv, input.map, table);
  double seconds = 0;
  for (auto rows = reader.Next(20000); !rows.empty(); rows = reader.Next(20000)) {
    const auto start = Clock::now();
    for (const Row& row : rows) {
      for (size_t c = 0; c < n; ++c) {
        Slot& s = slots[c];
        s.indicator = row[c].null ? -1 : 0;
        if (row[c].null) continue;
        switch (table.columns[c].kind) {
          case ColumnKind::kInteger: s.integer = row[c].i; break;
          case ColumnKind::kFloat: s.number = row[c].d; break;
          case ColumnKind::kText: {
            const size_t room = s.varying.size() - sizeof(short);
            const short length = static_cast<short>(std::min(room, row[c].text.size()));
            std::memcpy(s.varying.data(), &length, sizeof length);
            std::memcpy(s.varying.data() + sizeof length, row[c].text.data(),
                        static_cast<size_t>(length));
            break;
          }
        }
      }
      Check(api, st, api.dsql_execute(st, tr, &stmt, 1, params));
    }
    seconds += Since(start);
  }
  api.dsql_free_statement(st, &stmt, DSQL_drop);
  return seconds;
}

}  // namespace

RowReader::RowReader(const std::filesystem::path& csv, const std::filesystem::path& mapPath,
                     const StagingTable& table)
    : lines_(Env::Default(), csv.string()),
      table_(table),
      fieldOf_(FieldNumbers(table, ReadFileLines(Env::Default(), mapPath.string()))) {
  std::string_view header;
  lines_.Next(&header);
}

std::vector<Row> RowReader::Next(size_t count) {
  std::vector<Row> rows;
  std::string_view line;
  std::vector<std::string_view> fields;
  while (rows.size() < count && lines_.Next(&line)) {
    if (line.empty()) continue;
    SplitFields(line, &fields);
    Row row(table_.columns.size());
    for (size_t c = 0; c < table_.columns.size(); ++c) {
      Value& out = row[c];
      out.null = true;
      const size_t field = fieldOf_[c];
      if (field == 0 || field > fields.size()) continue;
      std::string v(fields[field - 1]);
      if (v.empty() || v == "Null") continue;
      out.null = false;
      if (table_.columns[c].kind == ColumnKind::kInteger) {
        out.i = static_cast<int32_t>(std::strtol(v.c_str(), nullptr, 10));
      } else if (table_.columns[c].kind == ColumnKind::kFloat) {
        for (char& ch : v)
          if (ch == ',') ch = '.';
        out.d = std::strtod(v.c_str(), nullptr);
      } else {
        out.text = std::move(v);
      }
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

double RawInsertFloor(const std::string& dbPath, const std::vector<FloorInput>& inputs) {
  Env& env = Env::Default();
  CreateStagingDatabase(env, dbPath, TablesWithoutIndexes());
  const FirebirdApi& api = LoadFirebirdApi(env);

  const FirebirdParameterBlock parameters = SysdbaParameters(kStagingPassword);
  ISC_STATUS_ARRAY st;
  isc_db_handle db = 0;
  isc_tr_handle tr = 0;
  Check(api, st, api.attach_database(st, 0, dbPath.c_str(), &db, parameters.size(), parameters.data()));
  struct {
    isc_db_handle* database;
    int parameterLength;
    const char* parameters;
  } entry{&db, 0, nullptr};
  Check(api, st, api.start_multiple(st, &tr, 1, &entry));
  double seconds = 0;
  for (const FloorInput& input : inputs) seconds += LoadTable(api, &db, &tr, input);
  const auto start = Clock::now();
  Check(api, st, api.commit_transaction(st, &tr));
  seconds += Since(start);
  api.detach_database(st, &db);
  return seconds;
}

}  // namespace korvun::bench
