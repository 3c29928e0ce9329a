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

// The name an index statement creates: the word after INDEX.
std::string IndexName(const std::string& statement) {
  const std::vector<std::string> words = LeadingWords(statement, 6);
  for (size_t i = 0; i + 1 < words.size(); ++i)
    if (words[i] == "INDEX") return words[i + 1];
  return {};
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
    if (create && words.size() > 1 && words[1] == "TABLE") {
      parts.tables.push_back(std::move(statement));
    } else if (create && !IndexName(statement).empty()) {
      parts.indexes.push_back(std::move(statement));
    } else {
      parts.others.push_back(std::move(statement));
    }
  }
  return parts;
}

bool ClearStagingTables(DbConnection& db, const std::string& schemaSql) {
  const StagingSchemaParts schema = SplitStagingSchema(schemaSql);
  try {
    // RECREATE drops the table with its indexes when it is there; all
    // tables go in one commit, so a refusal leaves every one as it was.
    for (const std::string& table : schema.tables) db.ExecuteImmediate("RE" + table);
    db.CommitRetaining();
    return true;
  } catch (const DbError&) {
    db.Rollback();
    db.StartTransaction();
  }
  for (const std::string& table : schema.tables)
    db.ExecuteImmediate("delete from " + TableName(table));
  db.CommitRetaining();
  return false;
}

void CreateMissingIndexes(DbConnection& db, const std::string& schemaSql) {
  const StagingSchemaParts schema = SplitStagingSchema(schemaSql);
  std::set<std::string> present;
  {
    auto q = db.Prepare("select trim(RDB$INDEX_NAME) as NAME from RDB$INDICES");
    q->Execute();
    while (q->Fetch()) present.insert(q->AsText("NAME"));
  }
  bool created = false;
  for (const std::string& index : schema.indexes) {
    if (present.count(IndexName(index))) continue;
    db.ExecuteImmediate(index);
    created = true;
  }
  // The indexes are built when their creation is committed.
  if (created) db.CommitRetaining();
}

}  // namespace korvun
