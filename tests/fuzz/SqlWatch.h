#pragma once
// Watching the SQL the service runs, for the request fuzz target: SQLite
// reports the text of every statement it runs and every error it meets, and
// each statement is read word by word against what the service itself writes
// (its keywords, the schema's names, its own few literals). A byte of a
// request that reached the SQL text would show up as a word, literal or
// character outside that vocabulary.
#include <set>
#include <string>
#include <vector>

namespace tarvik::fuzz {

// Starts watching every SQLite connection opened from now on. Call once,
// before the first connection opens.
void WatchSqlite();

struct SqlSeen {
  std::vector<std::string> statements;  // as written, '?' for bound values
  std::vector<std::string> errors;      // SQLite's error log: "code: message"
};
// What was seen since the last call.
SqlSeen TakeSqlSeen();

class SqlVocabulary {
 public:
  SqlVocabulary();
  // Names of tables, columns and indexes of the schema.
  void AddNames(const std::vector<std::string>& names);
  // Empty when every piece of sql is the service's own; else what is not.
  // postgres: the placeholders are $1, $2, ... (Dialect::Prepare).
  std::string Problem(const std::string& sql, bool postgres) const;

 private:
  std::set<std::string> words_;
};

// Number of '?' outside quoted literals.
std::size_t Placeholders(const std::string& sql);

}  // namespace tarvik::fuzz
