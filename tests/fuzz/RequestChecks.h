#pragma once
// Checks of the service's request handling on one text; each stops the run when its property does not hold.
#include <set>
#include <string>
#include <vector>

#include "service/requests/RequestText.h"

namespace tarvik::fuzz {

// IsValidUtf8 agrees with decoding and encoding again.
void CheckUtf8(const std::string& text);
// ScanElements' result: names of [A-Z0-9_], each "<NAME>value</NAME>" in the text in order; a refusal says why.
void CheckElements(const std::string& text, const std::vector<service::Element>& elements,
                   bool scanned, const std::string& error);
// SAME/LIKE, ORDERBY and WHERE_OPTION as SQL pieces on both databases: their grammar, only mapped columns, one '?'
// per bound value, a LIKE key's '_' and '\' escaped.
void CheckConditions(const service::Request& request);

// SQLite reports every statement's text and error; WatchSqlite once, before the first connection opens.
void WatchSqlite();
struct SqlSeen {
  std::vector<std::string> statements;  // as written, '?' for bound values
  std::vector<std::string> errors;      // "code: message"
};
SqlSeen TakeSqlSeen();  // since the last call

// The service's own SQL words, names and literals: a request byte in SQL text shows up as something outside them.
class SqlVocabulary {
 public:
  SqlVocabulary();
  void AddNames(const std::vector<std::string>& names);  // the schema's tables, columns, indexes
  // Empty when every piece of sql is the service's own, else what is not; postgres: placeholders are $1, $2, ...

  std::string Problem(const std::string& sql, bool postgres) const;

 private:
  std::set<std::string> words_;
};
std::size_t Placeholders(const std::string& sql);  // '?' outside quoted literals

}  // namespace tarvik::fuzz
