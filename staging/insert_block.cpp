#include "staging/insert_block.hpp"

namespace korvun {
namespace {

// Both limits of the engine are 64 KB; the block stays below them.
constexpr size_t kMaxStatementBytes = 60000;
constexpr size_t kMaxMessageBytes = 60000;

std::string Type(const StagingColumn& column, size_t width) {
  switch (column.kind) {
    case ColumnKind::kInteger: return "integer";
    case ColumnKind::kFloat: return "double precision";
    case ColumnKind::kText: break;
  }
  return "varchar(" + std::to_string(width) + ")";
}

// What one value takes in the message, its null flag included.
size_t MessageBytes(const StagingColumn& column, size_t width) {
  switch (column.kind) {
    case ColumnKind::kInteger: return 8;
    case ColumnKind::kFloat: return 16;
    case ColumnKind::kText: break;
  }
  return width + 6;
}

// Parameter n of the block. In the body it is quoted, so that it stays the
// block's variable and is not taken for a parameter of the statement.
std::string Name(size_t n) { return "P" + std::to_string(n); }

}  // namespace

InsertBlock MakeInsertBlock(const StagingTable& table, const std::vector<size_t>& widths, int maxRows) {
  const size_t columns = table.columns.size();
  size_t rowMessage = 0;
  for (size_t c = 0; c < columns; ++c) {
    if (table.columns[c].kind == ColumnKind::kText && widths[c] == 0) return {};
    rowMessage += MessageBytes(table.columns[c], widths[c]);
  }
  const std::string insert = "insert into " + std::string(table.name) + " (" + ColumnList(table) + ") values (";

  std::string declarations, body;
  int rows = 0;
  while (rows < maxRows) {
    std::string rowDeclarations, rowBody = insert;
    for (size_t c = 0; c < columns; ++c) {
      const std::string name = Name(static_cast<size_t>(rows) * columns + c);
      rowDeclarations += (rows || c ? ", " : "") + name + " " + Type(table.columns[c], widths[c]) + " = :" + name;
      rowBody += (c ? ", :\"" : ":\"") + name + "\"";
    }
    rowBody += ");\n";
    const size_t text = 40 + declarations.size() + rowDeclarations.size() + body.size() + rowBody.size();
    if (text > kMaxStatementBytes || rowMessage * static_cast<size_t>(rows + 1) > kMaxMessageBytes) break;
    declarations += rowDeclarations;
    body += rowBody;
    ++rows;
  }
  if (rows < 2) return {};
  return {rows, "execute block (" + declarations + ")\nas\nbegin\n" + body + "end"};
}

}  // namespace korvun
