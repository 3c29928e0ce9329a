#include "staging/firebird_client.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "base/strings.hpp"
#include "staging/database_path.hpp"
#include "staging/firebird_api.hpp"
#include "staging/named_parameters.hpp"

namespace korvun {
namespace {

constexpr unsigned short kDialect = 3;

// What a connection and its statements share, so that a statement outliving
// its connection does not touch freed handles.
struct Session {
  const FirebirdApi* api = nullptr;
  isc_db_handle db = 0;
  isc_tr_handle tr = 0;

  [[noreturn]] void Fail(const ISC_STATUS* status) const {
    throw DbError(FirebirdStatusText(*api, status), status[0] == 1 ? static_cast<long>(status[1]) : 0);
  }
  void Check(const ISC_STATUS* status) const {
    if (status[0] == 1 && status[1] != 0) Fail(status);
  }
  void RequireTransaction() const {
    if (db == 0) throw DbError("Keine Verbindung zur Datenbank");
    if (tr == 0) throw DbError("Keine Transaktion aktiv");
  }
};

struct SqldaDeleter {
  void operator()(XSQLDA* p) const { std::free(p); }
};
using Sqlda = std::unique_ptr<XSQLDA, SqldaDeleter>;

Sqlda MakeSqlda(int vars) {
  const int n = std::max(vars, 1);
  auto* p = static_cast<XSQLDA*>(std::calloc(1, XSQLDA_LENGTH(n)));
  if (!p) throw std::bad_alloc();
  p->version = SQLDA_VERSION1;
  p->sqln = static_cast<ISC_SHORT>(n);
  return Sqlda(p);
}

bool IsTextType(int type) { return type == SQL_TEXT || type == SQL_VARYING; }

int64_t Pow10(int n) {
  int64_t r = 1;
  while (n-- > 0) r *= 10;
  return r;
}

// Decimal digits of a scaled integer, with the German decimal comma.
std::string ScaledText(int64_t value, int scale) {
  if (scale >= 0) return std::to_string(value * Pow10(scale));
  const int64_t div = Pow10(-scale);
  const bool neg = value < 0;
  const uint64_t mag = neg ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  std::string frac = std::to_string(mag % static_cast<uint64_t>(div));
  frac.insert(0, static_cast<size_t>(-scale) - frac.size(), '0');
  std::string text = neg ? "-" : "";
  text += std::to_string(mag / static_cast<uint64_t>(div));
  text += ',';
  text += frac;
  return text;
}

std::string DoubleText(double value) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.15g", value);
  std::string text = buf;
  std::replace(text.begin(), text.end(), '.', ',');
  return text;
}

class FirebirdStatement final : public DbStatement {
 public:
  FirebirdStatement(std::shared_ptr<Session> session, const std::string& sql)
      : session_(std::move(session)) {
    session_->RequireTransaction();
    const FirebirdApi& api = *session_->api;
    ISC_STATUS_ARRAY st;
    PositionalSql positional = ToPositionalSql(sql);
    // An insert, or a block of inserts, stores its texts cut to the widths.
    const std::string_view start = TrimControl(sql);
    insert_ = EqualsIgnoreCase(start.substr(0, 6), "insert") || EqualsIgnoreCase(start.substr(0, 13), "execute block");
    names_ = std::move(positional.names);
    for (auto& n : names_) n = AsciiUpper(n);

    if (api.dsql_allocate_statement(st, &session_->db, &handle_)) session_->Fail(st);
    try {
      Describe(positional.sql, sql);
    } catch (...) {
      api.dsql_free_statement(st, &handle_, DSQL_drop);
      throw;
    }
  }

  ~FirebirdStatement() override {
    if (handle_ && session_->db) {
      ISC_STATUS_ARRAY st;
      session_->api->dsql_free_statement(st, &handle_, DSQL_drop);
    }
  }

  int ParameterCount() const override { return static_cast<int>(params_.size()); }

  int ParameterIndex(const std::string& name) const override {
    std::string key = AsciiUpper(name);
    if (!key.empty() && key[0] == ':') key.erase(0, 1);
    for (size_t i = 0; i < names_.size(); ++i) {
      if (names_[i] == key) return static_cast<int>(i);
    }
    return -1;
  }

  void SetNull(int index) override {
    Param& p = At(index);
    XSQLVAR& v = in_->sqlvar[index];
    p.ind = -1;
    p.unmatchable = false;
    // In the type the statement describes, so that a null does not change
    // the message the client sends (each change makes it build the message
    // anew).
    v.sqlscale = 0;
    if (p.type == SQL_VARYING) {
      BindVarying(p, v, 0);
    } else if (p.type == SQL_DOUBLE) {
      v.sqltype = SQL_DOUBLE | 1;
      v.sqllen = sizeof(double);
      v.sqldata = reinterpret_cast<ISC_SCHAR*>(&p.d);
    } else {
      v.sqltype = SQL_LONG | 1;
      v.sqllen = sizeof(int32_t);
      v.sqldata = reinterpret_cast<ISC_SCHAR*>(&p.i);
    }
  }

  void SetInt(int index, int32_t value) override {
    Param& p = At(index);
    XSQLVAR& v = in_->sqlvar[index];
    p.ind = 0;
    p.unmatchable = false;
    p.i = value;
    v.sqltype = SQL_LONG | 1;
    v.sqllen = sizeof(int32_t);
    v.sqlscale = 0;
    v.sqldata = reinterpret_cast<ISC_SCHAR*>(&p.i);
  }

  void SetDouble(int index, double value) override {
    Param& p = At(index);
    XSQLVAR& v = in_->sqlvar[index];
    p.ind = 0;
    p.unmatchable = false;
    p.d = value;
    v.sqltype = SQL_DOUBLE | 1;
    v.sqllen = sizeof(double);
    v.sqlscale = 0;
    v.sqldata = reinterpret_cast<ISC_SCHAR*>(&p.d);
  }

  void SetText(int index, const std::string& value) override {
    SetTextView(index, value);
  }

  void SetTextView(int index, std::string_view value) override {
    Param& p = At(index);
    XSQLVAR& v = in_->sqlvar[index];
    // An inserted text takes at most its column's width; the rest is cut off,
    // never rejected. A text compared with a column but longer than it
    // (trailing blanks aside) equals no value of the column. Other columns
    // get the whole text for the server to convert.
    size_t len = value.size();
    p.unmatchable = false;
    if (IsTextType(p.type)) {
      if (!insert_ && value.find_last_not_of(' ') + 1 > static_cast<size_t>(p.len)) {
        p.unmatchable = true;
        len = 0;
      }
      len = std::min(len, static_cast<size_t>(p.len));
    } else {
      len = std::min<size_t>(len, 32767);
    }
    p.ind = 0;
    v.sqlscale = 0;
    if (p.type == SQL_VARYING) {
      // As described, with its length in front: the message stays the same
      // from row to row whatever the text's length.
      BindVarying(p, v, len);
      std::memcpy(p.varying.data() + sizeof(uint16_t), value.data(), len);
      return;
    }
    v.sqlsubtype = IsTextType(p.type) ? p.subtype : 0;
    p.text.assign(value.data(), len);
    v.sqltype = SQL_TEXT | 1;
    v.sqllen = static_cast<ISC_SHORT>(len);
    // An empty text still needs a valid address.
    v.sqldata = p.text.data();
  }

  void Execute() override {
    session_->RequireTransaction();
    CloseCursorIfOpen();
    onRow_ = false;
    cursorOpen_ = false;
    if (!insert_)
      for (const Param& p : params_)
        if (p.unmatchable) return;  // no row can match: nothing to run
    ISC_STATUS_ARRAY st;
    XSQLDA* in = params_.empty() ? nullptr : in_.get();
    if (session_->api->dsql_execute(st, &session_->tr, &handle_, kDialect, in)) {
      session_->Fail(st);
    }
    cursorOpen_ = out_->sqld > 0;
    onRow_ = false;
  }

  bool Fetch() override {
    if (!cursorOpen_) return false;
    ISC_STATUS_ARRAY st;
    const ISC_STATUS rc = session_->api->dsql_fetch(st, &handle_, kDialect, out_.get());
    if (rc == 100) {
      CloseResult();
      return false;
    }
    if (rc != 0) session_->Fail(st);
    onRow_ = true;
    return true;
  }

  void CloseResult() override {
    CloseCursorIfOpen();
    onRow_ = false;
  }

  int ColumnIndex(const std::string& column) const override {
    // Reads by name run for every value of every row: the names' tags are
    // compared first, and only a matching tag's name in full.
    const uint32_t tag = NameTag(column);
    for (const ColumnName& c : columns_)
      if (c.tag == tag && SameName(c.name, column)) return c.position;
    return -1;  // reading it fails
  }
  bool IsNullAt(int column) const override { return IsNull(ColumnAt(column)); }
  std::string AsTextAt(int column) const override { return AsText(ColumnAt(column)); }
  int64_t AsIntAt(int column) const override { return AsInt(ColumnAt(column)); }
  double AsDoubleAt(int column) const override { return AsDouble(ColumnAt(column)); }

  bool IsNull(const std::string& column) const override { return IsNull(Column(column)); }
  std::string AsText(const std::string& column) const override { return AsText(Column(column)); }
  int64_t AsInt(const std::string& column) const override { return AsInt(Column(column)); }
  double AsDouble(const std::string& column) const override { return AsDouble(Column(column)); }

  // The client serialises the calls of an attachment's threads.
  bool ReadableOnAnyThread() const override { return true; }

 private:
  static bool IsNull(const XSQLVAR& v) {
    return *v.sqlind < 0;
  }

  static std::string AsText(const XSQLVAR& v) {
    if (*v.sqlind < 0) return {};
    switch (v.sqltype & ~1) {
      case SQL_VARYING: {
        uint16_t len;
        std::memcpy(&len, v.sqldata, sizeof len);
        return std::string(v.sqldata + 2, len);
      }
      case SQL_TEXT:
        return std::string(v.sqldata, static_cast<size_t>(v.sqllen));
      case SQL_SHORT:
      case SQL_LONG:
      case SQL_INT64:
        return ScaledText(IntegerValue(v), v.sqlscale);
      case SQL_FLOAT:
      case SQL_DOUBLE:
      case SQL_D_FLOAT:
        return DoubleText(FloatValue(v));
      case SQL_BOOLEAN:
        return *v.sqldata ? "True" : "False";
      default:
        throw DbError("Spalte " + Name(v) + ": Datentyp wird nicht unterst\xFCtzt");
    }
  }

  static int64_t AsInt(const XSQLVAR& v) {
    if (*v.sqlind < 0) return 0;
    switch (v.sqltype & ~1) {
      case SQL_SHORT:
      case SQL_LONG:
      case SQL_INT64: {
        const int64_t raw = IntegerValue(v);
        return v.sqlscale >= 0 ? raw * Pow10(v.sqlscale) : raw / Pow10(-v.sqlscale);
      }
      case SQL_FLOAT:
      case SQL_DOUBLE:
      case SQL_D_FLOAT:
        return std::llround(FloatValue(v));
      case SQL_BOOLEAN:
        return *v.sqldata ? 1 : 0;
      default: {
        const std::string text = AsText(v);
        char* end = nullptr;
        const long long value = std::strtoll(text.c_str(), &end, 10);
        if (text.empty() || *end != '\0') {
          throw DbError("Spalte " + Name(v) + ": \"" + text + "\" ist keine ganze Zahl");
        }
        return value;
      }
    }
  }

  static double AsDouble(const XSQLVAR& v) {
    if (*v.sqlind < 0) return 0;
    switch (v.sqltype & ~1) {
      case SQL_SHORT:
      case SQL_LONG:
      case SQL_INT64:
        return static_cast<double>(IntegerValue(v)) / std::pow(10.0, -v.sqlscale);
      case SQL_FLOAT:
      case SQL_DOUBLE:
      case SQL_D_FLOAT:
        return FloatValue(v);
      default: {
        std::string text = AsText(v);
        std::replace(text.begin(), text.end(), ',', '.');
        char* end = nullptr;
        const double value = std::strtod(text.c_str(), &end);
        if (text.empty() || *end != '\0') {
          throw DbError("Spalte " + Name(v) + ": \"" + text + "\" ist keine Zahl");
        }
        return value;
      }
    }
  }

 private:
  void Describe(const std::string& positionalSql, const std::string& sql) {
    const FirebirdApi& api = *session_->api;
    ISC_STATUS_ARRAY st;
    out_ = MakeSqlda(1);
    if (api.dsql_prepare(st, &session_->tr, &handle_, 0, positionalSql.c_str(), kDialect,
                         out_.get())) {
      session_->Fail(st);
    }
    if (out_->sqld > out_->sqln) {
      out_ = MakeSqlda(out_->sqld);
      if (api.dsql_describe(st, &handle_, kDialect, out_.get())) session_->Fail(st);
    }
    in_ = MakeSqlda(1);
    if (api.dsql_describe_bind(st, &handle_, kDialect, in_.get())) session_->Fail(st);
    if (in_->sqld > in_->sqln) {
      in_ = MakeSqlda(in_->sqld);
      if (api.dsql_describe_bind(st, &handle_, kDialect, in_.get())) session_->Fail(st);
    }
    if (static_cast<int>(names_.size()) != in_->sqld) {
      throw DbError("Parameter der Anweisung passen nicht zu ihrem Text: " + sql);
    }
    SetUpParameters();
    SetUpColumns();
  }

  struct Param {
    short type = 0;     // as described, without the null flag
    short len = 0;
    short subtype = 0;  // character set of a text
    bool unmatchable = false;  // a compared text longer than its column
    std::string text;
    std::vector<char> varying;  // length and bytes of a VARCHAR value
    int32_t i = 0;
    double d = 0;
    short ind = -1;
  };

  void SetUpParameters() {
    params_.resize(static_cast<size_t>(in_->sqld));
    for (int i = 0; i < in_->sqld; ++i) {
      XSQLVAR& v = in_->sqlvar[i];
      Param& p = params_[static_cast<size_t>(i)];
      p.type = static_cast<short>(v.sqltype & ~1);
      p.len = v.sqllen;
      p.subtype = v.sqlsubtype;
      v.sqlind = &p.ind;
      SetNull(i);
    }
  }

  void SetUpColumns() {
    size_t total = 0;
    std::vector<size_t> offsets;
    for (int i = 0; i < out_->sqld; ++i) {
      const XSQLVAR& v = out_->sqlvar[i];
      size_t size = static_cast<size_t>(v.sqllen) + ((v.sqltype & ~1) == SQL_VARYING ? 2 : 0);
      size = (size + 7) & ~static_cast<size_t>(7);
      offsets.push_back(total);
      total += size;
    }
    rowBuffer_.assign(total / 8 + 1, 0);
    indicators_.assign(static_cast<size_t>(std::max<int>(out_->sqld, 1)), 0);
    for (int i = 0; i < out_->sqld; ++i) {
      XSQLVAR& v = out_->sqlvar[i];
      v.sqltype = static_cast<ISC_SHORT>(v.sqltype | 1);
      v.sqldata = reinterpret_cast<ISC_SCHAR*>(rowBuffer_.data()) + offsets[static_cast<size_t>(i)];
      v.sqlind = &indicators_[static_cast<size_t>(i)];
      std::string name = AsciiUpper(std::string(v.aliasname, static_cast<size_t>(v.aliasname_length)));
      bool seen = false;  // the first of equal names wins
      for (const auto& column : columns_) seen = seen || column.name == name;
      if (!seen) {
        const uint32_t tag = NameTag(name);
        columns_.push_back({std::move(name), tag, i});
      }
    }
  }

  static void BindVarying(Param& p, XSQLVAR& v, size_t length) {
    if (p.varying.empty()) p.varying.assign(static_cast<size_t>(p.len) + sizeof(uint16_t), 0);
    const uint16_t n = static_cast<uint16_t>(length);
    std::memcpy(p.varying.data(), &n, sizeof n);
    v.sqltype = SQL_VARYING | 1;
    v.sqllen = p.len;
    v.sqlsubtype = p.subtype;
    v.sqldata = p.varying.data();
  }

  Param& At(int index) {
    if (index < 0 || index >= static_cast<int>(params_.size())) {
      throw DbError("Parameter " + std::to_string(index) + " gibt es nicht");
    }
    return params_[static_cast<size_t>(index)];
  }

  const XSQLVAR& ColumnAt(int position) const {
    if (!onRow_) throw DbError("Kein aktueller Datensatz");
    if (position < 0 || position >= out_->sqld) throw DbError("Spalte " + std::to_string(position) + " gibt es nicht");
    return out_->sqlvar[position];
  }

  static std::string Name(const XSQLVAR& v) {
    return std::string(v.aliasname, static_cast<size_t>(v.aliasname_length));
  }

  const XSQLVAR& Column(const std::string& name) const {
    if (!onRow_) throw DbError("Kein aktueller Datensatz");
    const int position = ColumnIndex(name);
    if (position < 0) throw DbError("Spalte " + name + " nicht gefunden");
    return out_->sqlvar[position];
  }

  static char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

  // Length and three letters of a name, without regard to case.
  static uint32_t NameTag(const std::string& name) {
    if (name.empty()) return 0;
    const auto letter = [&](size_t i) { return static_cast<uint32_t>(static_cast<unsigned char>(Upper(name[i]))); };
    return static_cast<uint32_t>(name.size()) << 24 | letter(0) << 16 | letter(name.size() / 2) << 8 |
           letter(name.size() - 1);
  }

  // `upper` is upper case already.
  static bool SameName(const std::string& upper, const std::string& name) {
    if (upper.size() != name.size()) return false;
    for (size_t k = 0; k < name.size(); ++k)
      if (Upper(name[k]) != upper[k]) return false;
    return true;
  }

  static int64_t IntegerValue(const XSQLVAR& v) {
    switch (v.sqltype & ~1) {
      case SQL_SHORT: {
        int16_t x;
        std::memcpy(&x, v.sqldata, sizeof x);
        return x;
      }
      case SQL_LONG: {
        int32_t x;
        std::memcpy(&x, v.sqldata, sizeof x);
        return x;
      }
      default: {
        int64_t x;
        std::memcpy(&x, v.sqldata, sizeof x);
        return x;
      }
    }
  }

  static double FloatValue(const XSQLVAR& v) {
    if ((v.sqltype & ~1) == SQL_FLOAT) {
      float x;
      std::memcpy(&x, v.sqldata, sizeof x);
      return x;
    }
    double x;
    std::memcpy(&x, v.sqldata, sizeof x);
    return x;
  }

  void CloseCursorIfOpen() {
    if (!cursorOpen_) return;
    cursorOpen_ = false;
    ISC_STATUS_ARRAY st;
    if (session_->api->dsql_free_statement(st, &handle_, DSQL_close)) session_->Fail(st);
  }

  std::shared_ptr<Session> session_;
  isc_stmt_handle handle_ = 0;
  Sqlda in_, out_;
  std::vector<std::string> names_;
  std::vector<Param> params_;
  bool insert_ = false;  // values are cut to their columns' widths
  std::vector<int64_t> rowBuffer_;
  std::vector<short> indicators_;
  struct ColumnName {
    std::string name;  // upper case
    uint32_t tag;
    int position;
  };
  std::vector<ColumnName> columns_;
  bool cursorOpen_ = false;
  bool onRow_ = false;
};

class FirebirdConnection final : public DbConnection {
 public:
  FirebirdConnection(std::shared_ptr<Session> session, bool remote)
      : session_(std::move(session)), remote_(remote) {}

  bool Remote() const override { return remote_; }

  ~FirebirdConnection() override {
    // A transaction still open at the end is committed, as the staging
    // database's rows are meant to survive a failed run for inspection.
    try {
      Detach();
    } catch (...) {
    }
  }

  void StartTransaction(LockWait wait) override {
    if (session_->db == 0) throw DbError("Keine Verbindung zur Datenbank");
    if (session_->tr != 0) throw DbError("Die Transaktion ist bereits aktiv");
    // The server's defaults (snapshot, read-write, wait), or the same
    // without waiting.
    static const char kNoWait[] = {isc_tpb_version3, isc_tpb_write, isc_tpb_concurrency,
                                   isc_tpb_nowait};
    // isc_start_multiple rather than the varargs isc_start_transaction: a
    // function pointer of the same calling convention on every platform.
    struct TransactionEntry {
      isc_db_handle* database;
      int parameterLength;
      const char* parameters;
    } entry{&session_->db, wait == LockWait::kNoWait ? static_cast<int>(sizeof kNoWait) : 0,
            wait == LockWait::kNoWait ? kNoWait : nullptr};
    ISC_STATUS_ARRAY st;
    if (session_->api->start_multiple(st, &session_->tr, 1, &entry)) {
      session_->Fail(st);
    }
  }

  void ExecuteImmediate(const std::string& sql) override {
    session_->RequireTransaction();
    ISC_STATUS_ARRAY st;
    if (session_->api->dsql_execute_immediate(st, &session_->db, &session_->tr, 0, sql.c_str(),
                                              kDialect, nullptr)) {
      session_->Fail(st);
    }
  }

  std::unique_ptr<DbStatement> Prepare(const std::string& sql) override {
    return std::make_unique<FirebirdStatement>(session_, sql);
  }

  void CommitRetaining() override {
    session_->RequireTransaction();
    ISC_STATUS_ARRAY st;
    if (session_->api->commit_retaining(st, &session_->tr)) session_->Fail(st);
  }

  void Commit() override {
    session_->RequireTransaction();
    ISC_STATUS_ARRAY st;
    if (session_->api->commit_transaction(st, &session_->tr)) session_->Fail(st);
    session_->tr = 0;
  }

  void Rollback() override {
    session_->RequireTransaction();
    ISC_STATUS_ARRAY st;
    if (session_->api->rollback_transaction(st, &session_->tr)) session_->Fail(st);
    session_->tr = 0;
  }

  void Detach() override {
    if (session_->db == 0) return;
    ISC_STATUS_ARRAY st;
    if (session_->tr != 0) {
      try {
        Commit();
      } catch (...) {
        // Not left attached with a transaction nobody can end.
        session_->api->rollback_transaction(st, &session_->tr);
        session_->tr = 0;
        session_->api->detach_database(st, &session_->db);
        session_->db = 0;
        throw;
      }
    }
    if (session_->api->detach_database(st, &session_->db)) session_->Fail(st);
    session_->db = 0;
  }

 private:
  std::shared_ptr<Session> session_;
  bool remote_;
};

void AddDpbText(std::string* dpb, char tag, const std::string& value) {
  if (value.size() > 255) throw DbError("Verbindungsparameter zu lang");
  dpb->push_back(tag);
  dpb->push_back(static_cast<char>(value.size()));
  dpb->append(value);
}

}  // namespace

std::unique_ptr<DbConnection> AttachFirebird(Env& env, const std::string& path,
                                             const std::string& password) {
  auto session = std::make_shared<Session>();
  session->api = &LoadFirebirdApi(env);
  std::string dpb(1, static_cast<char>(isc_dpb_version1));
  AddDpbText(&dpb, isc_dpb_user_name, "SYSDBA");
  AddDpbText(&dpb, isc_dpb_password, password);
  AddDpbText(&dpb, isc_dpb_lc_ctype, "ISO8859_1");
  dpb.push_back(static_cast<char>(isc_dpb_sql_dialect));
  dpb.push_back(4);
  dpb.append({static_cast<char>(kDialect), 0, 0, 0});
  ISC_STATUS_ARRAY st;
  // The client opens the file itself, by the system's name for it.
  const std::string nativePath = env.NativePath(path);
  const auto nativeNames = env.EnterNativePathScope();
  if (session->api->attach_database(st, 0, nativePath.c_str(), &session->db,
                                    static_cast<short>(dpb.size()), dpb.data())) {
    session->Fail(st);
  }
  return std::make_unique<FirebirdConnection>(std::move(session), NamesServer(path));
}

}  // namespace korvun
