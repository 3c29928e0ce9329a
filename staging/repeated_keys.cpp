#include "staging/repeated_keys.hpp"

#include <optional>

#include "staging/stored_order.hpp"

namespace korvun {
namespace {

// The key as the schema adds it to the table made anew.
std::string AddKeySql(const StagingTable& table) {
  return std::string("alter table ") + table.name + " add constraint " + table.keyConstraint + " primary key (" +
         table.keyColumn + ")";
}

bool HasConstraint(DbConnection& db, const char* name) {
  auto q = db.Prepare("select count(*) as N from RDB$RELATION_CONSTRAINTS where RDB$CONSTRAINT_NAME = :NAME");
  q->SetText(0, name);
  q->Execute();
  return q->Fetch() && q->AsInt("N") > 0;
}

// Deletes every row whose key value a row stored before it holds, in the
// order they were stored, and returns each one's key value. Only the values
// that repeat leave the engine's grouping; the engine compares them as the
// key does. The block's own variables are quoted, so that they are not
// taken for parameters of the statement.
std::string DeleteRepeatsSql(const StagingTable& table) {
  const std::string name = table.name, column = table.keyColumn;
  return "execute block returns (KEYVALUE type of column " + name + "." + column +
         ")\nas\ndeclare ROWKEY char(8) character set octets;\nbegin\n"
         "  for select T.RDB$DB_KEY, T." + column + " from " + name + " T join (select R." + column +
         ", min(" + StoredOrderSql("R") + ") as FIRSTROW from " + name + " R group by R." + column +
         " having count(*) > 1) D on D." + column + " = T." + column + " where " + StoredOrderSql("T") +
         " > D.FIRSTROW order by " + StoredOrderSql("T") + " into :\"ROWKEY\", :\"KEYVALUE\" do\n"
         "  begin\n"
         "    delete from " + name + " where RDB$DB_KEY = :\"ROWKEY\";\n"
         "    suspend;\n"
         "  end\n"
         "end";
}

}  // namespace

int AddKeyRefusingRepeats(DbConnection& db, const StagingTable& table, ImportErrorLog& log) {
  if (!table.keyConstraint || !table.keyColumn || HasConstraint(db, table.keyConstraint)) return 0;
  const std::string addKey = AddKeySql(table);

  // The load stays whatever becomes of the key.
  db.CommitRetaining();
  std::optional<DbError> failure;
  try {
    db.ExecuteImmediate(addKey);
    db.CommitRetaining();  // builds the key's index
    return 0;
  } catch (const DbError& e) {
    failure = e;
  }
  // The key is refused. Its creation is undone; the load was committed.
  db.Rollback();
  db.StartTransaction();
  auto repeats = db.Prepare(DeleteRepeatsSql(table));
  repeats->Execute();
  const int keyValue = repeats->ColumnIndex("KEYVALUE");
  int deleted = 0;
  while (repeats->Fetch()) {
    log.Failure(DuplicateKeyMessage(table, repeats->AsTextAt(keyValue)));
    ++deleted;
  }
  // Refused for another reason than repeated values.
  if (deleted == 0) throw *failure;
  db.ExecuteImmediate(addKey);
  db.CommitRetaining();
  return deleted;
}

std::string DuplicateKeyMessage(const StagingTable& table, std::string_view storedValue) {
  return std::string("violation of PRIMARY or UNIQUE KEY constraint \"") + table.keyConstraint +
         "\" on table \"" + table.name + "\"\nProblematic key value is (\"" + table.keyColumn +
         "\" = '" + std::string(storedValue) + "')";
}

}  // namespace korvun
