#include "staging/column_widths.hpp"

#include <string>

namespace korvun {

std::vector<size_t> TextColumnWidths(DbConnection& db, const StagingTable& table) {
  std::vector<size_t> widths(table.columns.size(), 0);
  auto q = db.Prepare(
      "select trim(R.RDB$FIELD_NAME) as NAME, F.RDB$CHARACTER_LENGTH as WIDTH "
      "from RDB$RELATION_FIELDS R join RDB$FIELDS F on F.RDB$FIELD_NAME = R.RDB$FIELD_SOURCE "
      "where R.RDB$RELATION_NAME = :TABLE_NAME");
  q->SetText(0, table.name);
  q->Execute();
  while (q->Fetch()) {
    if (q->IsNull("WIDTH")) continue;
    const std::string name = q->AsText("NAME");
    for (size_t c = 0; c < table.columns.size(); ++c)
      if (table.columns[c].kind == ColumnKind::kText && name == table.columns[c].name)
        widths[c] = static_cast<size_t>(q->AsInt("WIDTH"));
  }
  q->CloseResult();
  return widths;
}

}  // namespace korvun
