#include "staging/firebird_statement.hpp"

#include "base/strings.hpp"
#include "staging/firebird_values.hpp"
#include "staging/named_parameters.hpp"

namespace korvun {

FirebirdStatement::FirebirdStatement(std::shared_ptr<FirebirdSession> session, const std::string& sql)
    : session_(std::move(session)) {
  session_->RequireTransaction();
  const FirebirdApi& api = *session_->api;
  ISC_STATUS_ARRAY st;
  PositionalSql positional = ToPositionalSql(sql);
  // An insert, or a block of inserts, stores its texts cut to the widths.
  const std::string_view start = TrimControl(sql);
  const bool insert =
      EqualsIgnoreCase(start.substr(0, 6), "insert") || EqualsIgnoreCase(start.substr(0, 13), "execute block");
  names_ = std::move(positional.names);
  for (auto& n : names_) n = AsciiUpper(n);

  if (api.dsql_allocate_statement(st, &session_->db, &handle_)) session_->Fail(st);
  try {
    Describe(positional.sql, sql, insert);
  } catch (...) {
    api.dsql_free_statement(st, &handle_, DSQL_drop);
    throw;
  }
}

FirebirdStatement::~FirebirdStatement() {
  if (handle_ && session_->db) {
    ISC_STATUS_ARRAY st;
    session_->api->dsql_free_statement(st, &handle_, DSQL_drop);
  }
}

void FirebirdStatement::Describe(const std::string& positionalSql, const std::string& sql, bool insert) {
  const FirebirdApi& api = *session_->api;
  ISC_STATUS_ARRAY st;
  Sqlda out = MakeSqlda(1);
  if (api.dsql_prepare(st, &session_->tr, &handle_, 0, positionalSql.c_str(), kFirebirdDialect, out.get())) {
    session_->Fail(st);
  }
  if (out->sqld > out->sqln) {
    out = MakeSqlda(out->sqld);
    if (api.dsql_describe(st, &handle_, kFirebirdDialect, out.get())) session_->Fail(st);
  }
  Sqlda in = MakeSqlda(1);
  if (api.dsql_describe_bind(st, &handle_, kFirebirdDialect, in.get())) session_->Fail(st);
  if (in->sqld > in->sqln) {
    in = MakeSqlda(in->sqld);
    if (api.dsql_describe_bind(st, &handle_, kFirebirdDialect, in.get())) session_->Fail(st);
  }
  if (static_cast<int>(names_.size()) != in->sqld) {
    throw DbError("Parameter der Anweisung passen nicht zu ihrem Text: " + sql);
  }
  bindings_.SetUp(std::move(in), insert);
  columns_.SetUp(std::move(out));
}

int FirebirdStatement::ParameterIndex(const std::string& name) const {
  std::string key = AsciiUpper(name);
  if (!key.empty() && key[0] == ':') key.erase(0, 1);
  for (size_t i = 0; i < names_.size(); ++i) {
    if (names_[i] == key) return static_cast<int>(i);
  }
  return -1;
}

void FirebirdStatement::Execute() {
  session_->RequireTransaction();
  CloseCursorIfOpen();
  onRow_ = false;
  cursorOpen_ = false;
  if (bindings_.NoRowCanMatch()) return;  // nothing to run
  ISC_STATUS_ARRAY st;
  if (session_->api->dsql_execute(st, &session_->tr, &handle_, kFirebirdDialect, bindings_.Descriptor())) {
    session_->Fail(st);
  }
  cursorOpen_ = columns_.Count() > 0;
  onRow_ = false;
}

bool FirebirdStatement::Fetch() {
  if (!cursorOpen_) return false;
  ISC_STATUS_ARRAY st;
  const ISC_STATUS rc = session_->api->dsql_fetch(st, &handle_, kFirebirdDialect, columns_.Descriptor());
  if (rc == 100) {
    CloseResult();
    return false;
  }
  if (rc != 0) session_->Fail(st);
  onRow_ = true;
  return true;
}

void FirebirdStatement::CloseResult() {
  CloseCursorIfOpen();
  onRow_ = false;
}

std::string FirebirdStatement::AsTextAt(int column) const { return ValueAsText(ColumnAt(column)); }
int64_t FirebirdStatement::AsIntAt(int column) const { return ValueAsInt(ColumnAt(column)); }
double FirebirdStatement::AsDoubleAt(int column) const { return ValueAsDouble(ColumnAt(column)); }

std::string FirebirdStatement::AsText(const std::string& column) const { return ValueAsText(Column(column)); }
int64_t FirebirdStatement::AsInt(const std::string& column) const { return ValueAsInt(Column(column)); }
double FirebirdStatement::AsDouble(const std::string& column) const { return ValueAsDouble(Column(column)); }

const XSQLVAR& FirebirdStatement::ColumnAt(int position) const {
  if (!onRow_) throw DbError("Kein aktueller Datensatz");
  return columns_.At(position);
}

const XSQLVAR& FirebirdStatement::Column(const std::string& name) const {
  if (!onRow_) throw DbError("Kein aktueller Datensatz");
  const int position = columns_.IndexOf(name);
  if (position < 0) throw DbError("Spalte " + name + " nicht gefunden");
  return columns_.At(position);
}

void FirebirdStatement::CloseCursorIfOpen() {
  if (!cursorOpen_) return;
  cursorOpen_ = false;
  ISC_STATUS_ARRAY st;
  if (session_->api->dsql_free_statement(st, &handle_, DSQL_close)) session_->Fail(st);
}

}  // namespace korvun
