// A statement prepared on a Firebird attachment: its parameters bound by
// position or name, executed, and its result fetched a row at a time.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "staging/db_client.hpp"
#include "staging/firebird_bindings.hpp"
#include "staging/firebird_result_columns.hpp"
#include "staging/firebird_session.hpp"

namespace korvun {

class FirebirdStatement final : public DbStatement {
 public:
  // Prepares `sql` (":NAME" markers) in the session's transaction.
  FirebirdStatement(std::shared_ptr<FirebirdSession> session, const std::string& sql);
  ~FirebirdStatement() override;

  int ParameterCount() const override { return bindings_.Count(); }
  int ParameterIndex(const std::string& name) const override;
  void SetNull(int index) override { bindings_.SetNull(index); }
  void SetInt(int index, int32_t value) override { bindings_.SetInt(index, value); }
  void SetDouble(int index, double value) override { bindings_.SetDouble(index, value); }
  void SetText(int index, const std::string& value) override { bindings_.SetText(index, value); }
  void SetTextView(int index, std::string_view value) override { bindings_.SetText(index, value); }

  void Execute() override;
  bool Fetch() override;
  void CloseResult() override;

  int ColumnIndex(const std::string& column) const override { return columns_.IndexOf(column); }
  bool IsNullAt(int column) const override { return *ColumnAt(column).sqlind < 0; }
  std::string AsTextAt(int column) const override;
  int64_t AsIntAt(int column) const override;
  double AsDoubleAt(int column) const override;

  bool IsNull(const std::string& column) const override { return *Column(column).sqlind < 0; }
  std::string AsText(const std::string& column) const override;
  int64_t AsInt(const std::string& column) const override;
  double AsDouble(const std::string& column) const override;

  // The client serialises the calls of an attachment's threads.
  bool ReadableOnAnyThread() const override { return true; }

 private:
  void Describe(const std::string& positionalSql, const std::string& sql, bool insert);
  const XSQLVAR& ColumnAt(int position) const;
  const XSQLVAR& Column(const std::string& name) const;
  void CloseCursorIfOpen();

  std::shared_ptr<FirebirdSession> session_;
  isc_stmt_handle handle_ = 0;
  std::vector<std::string> names_;  // of the parameters, upper case
  FirebirdBindings bindings_;
  FirebirdResultColumns columns_;
  bool cursorOpen_ = false;
  bool onRow_ = false;
};

}  // namespace korvun
