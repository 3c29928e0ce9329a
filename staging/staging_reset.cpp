#include "staging/staging_reset.hpp"

#include <cctype>
#include <set>
#include <sstream>

#include "staging/staging_database.hpp"

namespace korvun {
namespace {

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// The first words of a statement, upper case.
std::vector<std::string> LeadingWords(const std::string& statement, size_t count) {
  std::istringstream in(statement);
  std::vector<std::string> words;
  std::string word;
  while (words.size() < count && in >> word) {
    const size_t paren = word.find('(');
    if (paren != std::string::npos) word.resize(paren);
    words.push_back(Upper(word));
  }
  return words;
}

// The name a statement gives what it makes: the word after `kind` (INDEX,
// CONSTRAINT) among its first words.
std::string NameAfter(const std::string& statement, const char* kind) {
  const std::vector<std::string> words = LeadingWords(statement, 8);
  for (size_t i = 0; i + 1 < words.size(); ++i)
    if (words[i] == kind) return words[i + 1];
  return {};
}

// The names of the database's objects of one kind.
std::set<std::string> Names(DbConnection& db, const char* sql) {
  std::set<std::string> names;
  auto q = db.Prepare(sql);
  q->Execute();
  while (q->Fetch()) names.insert(q->AsText("NAME"));
  return names;
}

std::string TableName(const std::string& statement) {
  const std::vector<std::string> words = LeadingWords(statement, 3);
  return words.size() == 3 ? words[2] : std::string();
}

}  // namespace

StagingSchemaParts SplitStagingSchema(const std::string& schemaSql) {
  StagingSchemaParts parts;
  for (std::string& statement : SplitSqlScript(schemaSql)) {
    const std::vector<std::string> words = LeadingWords(statement, 3);
    const bool create = !words.empty() && words[0] == "CREATE";
    const bool alter = !words.empty() && words[0] == "ALTER";
    if (create && words.size() > 1 && words[1] == "TABLE") {
      parts.tables.push_back(std::move(statement));
    } else if (alter && !NameAfter(statement, "CONSTRAINT").empty()) {
      parts.keys.push_back(std::move(statement));
    } else if (create && !NameAfter(statement, "INDEX").empty()) {
      parts.indexes.push_back(std::move(statement));
    } else {
      parts.others.push_back(std::move(statement));
    }
  }
  return parts;
}

bool ClearStagingTables(DbConnection& db, const std::string& schemaSql) {
  const StagingSchemaParts schema = SplitStagingSchema(schemaSql);
  // Without waiting: an attachment that reads the tables would hold the
  // change up for as long as it stays.
  db.StartTransaction(LockWait::kNoWait);
  try {
    // RECREATE drops the table with its keys and indexes when it is there;
    // all tables go in one commit, so a refusal leaves every one as it was.
    for (const std::string& table : schema.tables) db.ExecuteImmediate("RE" + table);
    db.Commit();
    db.StartTransaction();
    return true;
  } catch (const DbError&) {
    db.Rollback();
  }
  db.StartTransaction();
  for (const std::string& table : schema.tables)
    db.ExecuteImmediate("delete from " + TableName(table));
  db.CommitRetaining();
  return false;
}

void AddMissingKeysAndIndexes(DbConnection& db, const std::string& schemaSql) {
  const StagingSchemaParts schema = SplitStagingSchema(schemaSql);
  const std::set<std::string> keys =
      Names(db, "select trim(RDB$CONSTRAINT_NAME) as NAME from RDB$RELATION_CONSTRAINTS");
  const std::set<std::string> indexes =
      Names(db, "select trim(RDB$INDEX_NAME) as NAME from RDB$INDICES");
  bool added = false;
  for (const std::string& key : schema.keys) {
    if (keys.count(NameAfter(key, "CONSTRAINT"))) continue;
    db.ExecuteImmediate(key);
    added = true;
  }
  for (const std::string& index : schema.indexes) {
    if (indexes.count(NameAfter(index, "INDEX"))) continue;
    db.ExecuteImmediate(index);
    added = true;
  }
  // Keys and indexes are built when their creation is committed.
  if (added) db.CommitRetaining();
}

}  // namespace korvun
