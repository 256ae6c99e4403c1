#include "tests/fuzz/SqlWatch.h"

#include <sqlite3.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace tarvik::fuzz {

namespace {

SqlSeen seen;

int OnTrace(unsigned type, void*, void*, void* x) {
  if (type == SQLITE_TRACE_STMT && x) seen.statements.emplace_back(static_cast<const char*>(x));
  return 0;
}

int OnOpen(sqlite3* db, const char**, const sqlite3_api_routines*) {
  sqlite3_trace_v2(db, SQLITE_TRACE_STMT, OnTrace, nullptr);
  return SQLITE_OK;
}

void OnLog(void*, int code, const char* message) {
  seen.errors.push_back(std::to_string(code) + ": " + (message ? message : ""));
}

// SQL words of the service's statements besides the schema's names. A new
// statement with a word not here stops the fuzz run: add the word.
const char* const kKeywords[] = {
    "SELECT", "FROM", "WHERE", "AND", "OR", "NOT", "NULL", "IN", "AS", "ON", "JOIN", "LEFT",
    "ORDER", "BY", "ASC", "DESC", "LIKE", "ILIKE", "ESCAPE", "INSERT", "INTO", "VALUES",
    "UPDATE", "SET", "DELETE", "CONFLICT", "DO", "BEGIN", "IMMEDIATE", "COMMIT", "ROLLBACK",
    "CAST", "TEXT", "INTEGER", "BIGINT", "COALESCE", "FOR", "SHARE", "PRAGMA", "WAL", "FULL",
    "strftime", "julianday", "busy_timeout", "journal_mode", "synchronous", "foreign_keys",
    // table aliases
    "G", "U", "M", "V", "L", "H", "C"};

const char* const kLiterals[] = {"", "0", "1", "A", "X", "YZ", "\\", "%Y%m%d%H%M%S", "now",
                                 "localtime"};
const char* const kNumbers[] = {"0", "1", "10000", "2440587.5", "86400000000.0"};

bool IsWordStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IsWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

template <std::size_t N>
bool Among(const char* const (&list)[N], const std::string& s) {
  for (const char* item : list) {
    if (s == item) return true;
  }
  return false;
}

}  // namespace

void WatchSqlite() {
  // The error log can only be set before SQLite starts.
  if (sqlite3_config(SQLITE_CONFIG_LOG, OnLog, nullptr) != SQLITE_OK) {
    sqlite3_shutdown();
    if (sqlite3_config(SQLITE_CONFIG_LOG, OnLog, nullptr) != SQLITE_OK) {
      std::fprintf(stderr, "cannot set SQLite's error log\n");
      std::abort();
    }
  }
  sqlite3_auto_extension(reinterpret_cast<void (*)()>(OnOpen));
}

SqlSeen TakeSqlSeen() {
  SqlSeen out;
  std::swap(out, seen);
  return out;
}

SqlVocabulary::SqlVocabulary() {
  for (const char* w : kKeywords) words_.insert(w);
}

void SqlVocabulary::AddNames(const std::vector<std::string>& names) {
  words_.insert(names.begin(), names.end());
}

std::string SqlVocabulary::Problem(const std::string& sql, bool postgres) const {
  const std::size_t n = sql.size();
  for (std::size_t i = 0; i < n;) {
    const char c = sql[i];
    if (c == ' ') {
      ++i;
    } else if (c == '\'') {
      std::size_t j = i + 1;
      std::string literal;
      for (;; ++j) {
        if (j >= n) return "an unclosed literal";
        if (sql[j] != '\'') {
          literal += sql[j];
        } else if (j + 1 < n && sql[j + 1] == '\'') {
          literal += '\'';
          ++j;
        } else {
          break;
        }
      }
      if (!Among(kLiterals, literal)) return "the literal '" + literal + "'";
      i = j + 1;
    } else if (IsWordStart(c)) {
      std::size_t j = i;
      while (j < n && IsWordChar(sql[j])) ++j;
      const std::string word = sql.substr(i, j - i);
      if (!words_.count(word)) return "the word " + word;
      i = j;
    } else if (IsDigit(c)) {
      std::size_t j = i;
      while (j < n && (IsDigit(sql[j]) || sql[j] == '.')) ++j;
      if (!Among(kNumbers, sql.substr(i, j - i))) return "the number " + sql.substr(i, j - i);
      i = j;
    } else if (postgres && c == '$' && i + 1 < n && IsDigit(sql[i + 1])) {
      i += 2;
      while (i < n && IsDigit(sql[i])) ++i;
    } else if (std::string("(),=?*.<>+-").find(c) != std::string::npos) {
      ++i;
    } else {
      return std::string("the character '") + c + "'";
    }
  }
  return std::string();
}

std::size_t Placeholders(const std::string& sql) {
  std::size_t count = 0;
  bool quoted = false;
  for (char c : sql) {
    if (c == '\'') quoted = !quoted;
    if (c == '?' && !quoted) ++count;
  }
  return count;
}

}  // namespace tarvik::fuzz
