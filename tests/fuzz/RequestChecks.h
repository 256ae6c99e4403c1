#pragma once
// Checks of the service's request handling on one text, for the request fuzz
// target; each stops the run (FuzzCheck.h) when its property does not hold.
#include <set>
#include <string>
#include <vector>

#include "service/requests/RequestText.h"

namespace tarvik::fuzz {

// IsValidUtf8 agrees with decoding and encoding again.
void CheckUtf8(const std::string& text);
// ScanElements' result: names of capitals, digits and '_'; each element
// "<NAME>value</NAME>" in the text in order; a refusal says why.
void CheckElements(const std::string& text, const std::vector<service::Element>& elements,
                   bool scanned, const std::string& error);
// The SAME/LIKE pairs, ORDERBY and WHERE_OPTION read with field maps whose
// SQL columns are spelt unlike any wire name: the SQL pieces follow their
// grammar on both databases, hold only those columns and one '?' per bound
// value, and a LIKE key's '_' and '\' are escaped.
void CheckConditions(const service::Request& request);

// Watching the SQL the service runs: SQLite reports every statement's text
// and every error. WatchSqlite once, before the first connection opens.
void WatchSqlite();
struct SqlSeen {
  std::vector<std::string> statements;  // as written, '?' for bound values
  std::vector<std::string> errors;      // "code: message"
};
SqlSeen TakeSqlSeen();  // since the last call

// What the service itself writes (its keywords, the schema's names, its few
// literals): a byte of a request that reached the SQL text shows up as a
// word, literal or character outside it.
class SqlVocabulary {
 public:
  SqlVocabulary();
  void AddNames(const std::vector<std::string>& names);  // the schema's tables, columns, indexes
  // Empty when every piece of sql is the service's own; else what is not.
  // postgres: placeholders are $1, $2, ... (Dialect::Prepare).
  std::string Problem(const std::string& sql, bool postgres) const;

 private:
  std::set<std::string> words_;
};
std::size_t Placeholders(const std::string& sql);  // '?' outside quoted literals

}  // namespace tarvik::fuzz
