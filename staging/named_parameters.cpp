#include "staging/named_parameters.hpp"

namespace korvun {
namespace {

bool IsNameStart(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
bool IsNameChar(char c) { return IsNameStart(c) || (c >= '0' && c <= '9') || c == '$'; }

}  // namespace

PositionalSql ToPositionalSql(const std::string& sql) {
  PositionalSql out;
  out.sql.reserve(sql.size());
  const size_t n = sql.size();
  size_t i = 0;
  while (i < n) {
    const char c = sql[i];
    if (c == '\'' || c == '"') {
      // Copy the quoted part; a doubled quote stays inside it.
      out.sql += c;
      ++i;
      while (i < n) {
        out.sql += sql[i];
        if (sql[i] == c) {
          if (i + 1 < n && sql[i + 1] == c) {
            out.sql += c;
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        ++i;
      }
    } else if (c == '-' && i + 1 < n && sql[i + 1] == '-') {
      const size_t end = sql.find('\n', i);
      const size_t stop = end == std::string::npos ? n : end;
      out.sql.append(sql, i, stop - i);
      i = stop;
    } else if (c == '/' && i + 1 < n && sql[i + 1] == '*') {
      const size_t end = sql.find("*/", i + 2);
      const size_t stop = end == std::string::npos ? n : end + 2;
      out.sql.append(sql, i, stop - i);
      i = stop;
    } else if (c == ':' && i + 1 < n && IsNameStart(sql[i + 1])) {
      size_t j = i + 1;
      while (j < n && IsNameChar(sql[j])) ++j;
      out.names.push_back(sql.substr(i + 1, j - i - 1));
      out.sql += '?';
      i = j;
    } else {
      out.sql += c;
      ++i;
    }
  }
  return out;
}

}  // namespace korvun
