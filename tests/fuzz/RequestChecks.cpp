#include "tests/fuzz/RequestChecks.h"

#include <sqlite3.h>

#include <cctype>
#include <initializer_list>
#include <map>

#include "service/commands/Conditions.h"
#include "tests/fuzz/FuzzCheck.h"
#include "text/Text.h"

namespace tarvik::fuzz {

using service::Backend;
using service::Dialect;
using service::FieldMap;
using service::SqlFilter;

namespace {

// Every wire field name the commands accept in each place, mapped to columns "t.<place><n>" unlike any wire name.
FieldMap Columns(const char* place, std::initializer_list<const char*> wireNames) {
  FieldMap map;
  for (const char* name : wireNames) map[name] = "t." + std::string(place) + std::to_string(map.size());
  return map;
}
const FieldMap kSame = Columns("s", {"G_CODE", "G_BCODE", "G_GPN1", "G_GPN2", "U_CC", "M_ID", "C_ID",
                                     "CG_CODE", "CM_CODE", "CPN_GROUP", "CPN_MAKE"});
const FieldMap kLike = Columns("l", {"G_NAME", "G_BCODE", "CG_NAME", "CM_NAME", "CPN_NAME", "CPN_BODY"});
const FieldMap kOrder = Columns(
    "o", {"G_GPSORT1", "G_GPSORT2", "G_SORT", "G_NAME", "G_CODE", "G_BCODE", "G_GPN1", "G_GPN2", "U_DATE",
          "M_ID", "M_CODE", "C_CODE", "GM_NO", "CG_CODE", "CG_NAME", "CM_CODE", "CM_NAME", "CPN_NAME",
          "CPN_BODY", "CPN_YEAR", "CPN_TYPE", "OH_SD", "OH_CODE", "OH_AT", "OH_DD", "OH_IOG"});
const FieldMap kWhere = Columns("w", {"OH_CC", "OH_SG", "OH_IOG"});
const char* const kFallback = "t.fallback";

// Consumes `word` at p.
bool Take(const std::string& s, std::size_t& p, const std::string& word) {
  if (s.compare(p, word.size(), word) != 0) return false;
  p += word.size();
  return true;
}

// A column of map at p.
bool TakeColumn(const std::string& s, std::size_t& p, const FieldMap& map) {
  std::size_t e = p;
  while (e < s.size() && s[e] != ' ' && s[e] != ',') ++e;
  for (const auto& [wire, sql] : map)
    if (sql == s.substr(p, e - p)) return (p = e), true;
  return false;
}

// where: (" AND " column (" = ?" | " LIKE ? ESCAPE '\'"))*; isLike: whether each '?' is a LIKE pattern.
void CheckWhere(const SqlFilter& f, const Dialect& d, std::vector<bool>& isLike) {
  const std::string& w = f.where;
  const std::string like = std::string(" ") + d.Like() + " ? ESCAPE '\\'";
  isLike.clear();
  for (std::size_t p = 0; p < w.size();) {
    Check(Take(w, p, " AND "), "WHERE piece without AND: " + Shown(w));
    const std::size_t column = p;
    if (TakeColumn(w, p, kSame) && Take(w, p, " = ?")) {
      isLike.push_back(false);
      continue;
    }
    p = column;
    Check(TakeColumn(w, p, kLike) && Take(w, p, like), "WHERE piece not of the grammar: " + Shown(w));
    isLike.push_back(true);
  }
  Check(isLike.size() == f.params.size(), "WHERE has " + std::to_string(isLike.size()) + " '?' for " +
                                              std::to_string(f.params.size()) + " values");
}

// " ORDER BY " fallback | " ORDER BY " column (" ASC"|" DESC") (", " ...)*
void CheckOrderBy(const std::string& o) {
  std::size_t p = 0;
  Check(Take(o, p, " ORDER BY "), "ORDER BY missing: " + Shown(o));
  if (o.substr(p) == kFallback) return;
  for (;;) {
    Check(TakeColumn(o, p, kOrder), "ORDER BY names what is no column: " + Shown(o));
    Check(Take(o, p, " ASC") || Take(o, p, " DESC"), "ORDER BY without direction: " + Shown(o));
    if (p == o.size()) return;
    Check(Take(o, p, ", "), "ORDER BY items not joined by ', ': " + Shown(o));
  }
}

// A LIKE pattern: '\' escapes only '\' and '_', no bare '_': '%' is its only wildcard.
void CheckPattern(const std::string& pattern) {
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '_') Fail("a bare '_' in a LIKE pattern: " + Shown(pattern));
    if (pattern[i] != '\\') continue;
    Check(i + 1 < pattern.size() && (pattern[i + 1] == '\\' || pattern[i + 1] == '_'),
          "a '\\' that escapes nothing in a LIKE pattern: " + Shown(pattern));
    ++i;
  }
}

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

// SQL words of the service's statements besides the schema's names; a new statement's new word goes here.

const std::set<std::string> kKeywords = {
    "SELECT", "FROM", "WHERE", "AND", "OR", "NOT", "NULL", "IN", "AS", "ON", "JOIN", "LEFT", "ORDER", "BY",
    "ASC", "DESC", "LIKE", "ILIKE", "ESCAPE", "INSERT", "INTO", "VALUES", "UPDATE", "SET", "DELETE",
    "CONFLICT", "DO", "BEGIN", "IMMEDIATE", "COMMIT", "ROLLBACK", "CAST", "TEXT", "INTEGER", "BIGINT",
    "COALESCE", "FOR", "SHARE", "PRAGMA", "WAL", "FULL", "strftime", "julianday", "busy_timeout",
    "journal_mode", "synchronous", "foreign_keys",
    "G", "U", "M", "V", "L", "H", "C"};  // table aliases
const std::set<std::string> kLiterals = {"", "0", "1", "A", "X", "YZ", "\\", "%Y%m%d%H%M%S", "now", "localtime"};
const std::set<std::string> kNumbers = {"0", "1", "10000", "2440587.5", "86400000000.0"};

bool IsWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

void CheckUtf8(const std::string& text) {
  const bool valid = IsValidUtf8(text);
  const bool roundTrip = EncodeUtf8(DecodeUtf8(text)) == text;
  Check(valid == roundTrip, std::string("IsValidUtf8 says ") + (valid ? "valid" : "invalid") + " but decoding " +
                                (roundTrip ? "keeps" : "changes") + " the bytes: " + Shown(text));
}

void CheckElements(const std::string& text, const std::vector<service::Element>& elements, bool scanned,
                   const std::string& error) {
  if (!scanned) return Check(!error.empty(), "ScanElements refused without a reason");
  Check(elements.size() <= service::kMaxElements, "more elements than the limit");
  std::size_t pos = 0;
  for (const auto& e : elements) {
    Check(!e.name.empty(), "an element without a name");
    for (char c : e.name)
      Check((c >= 'A' && c <= 'Z') || IsDigit(c) || c == '_', "an element name with " + Shown(std::string(1, c)));
    const std::string close = "</" + e.name + ">";
    Check(e.value.find(close) == std::string::npos, "a value holding its own close: " + e.name);
    const std::string whole = "<" + e.name + ">" + e.value + close;
    const std::size_t at = text.find(whole, pos);
    Check(at != std::string::npos, "element " + e.name + " is not in the text as read");
    pos = at + whole.size();
  }
}

void CheckConditions(const service::Request& request) {
  std::string error;
  for (const Backend backend : {Backend::SQLite, Backend::PostgreSQL}) {
    const Dialect dialect(backend);
    SqlFilter f;
    error.clear();
    if (!service::AddConditions(request, kSame, kLike, dialect, f, &error)) {
      Check(!error.empty(), "AddConditions refused without a reason");
      continue;
    }
    std::vector<bool> isLike;
    CheckWhere(f, dialect, isLike);
    for (std::size_t i = 0; i < f.params.size(); ++i)
      if (isLike[i]) CheckPattern(f.params[i]);  // an '=' value may hold anything
    Check(f.orderBy.empty(), "AddConditions wrote an ORDER BY");
    if (service::SetOrderBy(request, kOrder, kFallback, f, &error)) CheckOrderBy(f.orderBy);
  }
  std::map<std::string, std::string> terms;
  error.clear();
  if (!service::ParseWhereOption(request.Value("WHERE_OPTION"), kWhere, terms, &error))
    return Check(!error.empty(), "WHERE_OPTION refused without a reason");
  Check(!terms.empty(), "WHERE_OPTION read as no term");
  for (const auto& [field, value] : terms) {
    Check(kWhere.count(field) == 1, "WHERE_OPTION term of a field outside the map: " + Shown(field));
    Check(value.find('\'') == std::string::npos, "a WHERE_OPTION value holding a quote");
  }
}

void WatchSqlite() {
  // The error log can only be set before SQLite starts.
  if (sqlite3_config(SQLITE_CONFIG_LOG, OnLog, nullptr) != SQLITE_OK) {
    sqlite3_shutdown();
    if (sqlite3_config(SQLITE_CONFIG_LOG, OnLog, nullptr) != SQLITE_OK) Fail("cannot set SQLite's error log");
  }
  sqlite3_auto_extension(reinterpret_cast<void (*)()>(OnOpen));
}

SqlSeen TakeSqlSeen() {
  SqlSeen out;
  std::swap(out, seen);
  return out;
}

SqlVocabulary::SqlVocabulary() : words_(kKeywords) {}

void SqlVocabulary::AddNames(const std::vector<std::string>& names) { words_.insert(names.begin(), names.end()); }

std::string SqlVocabulary::Problem(const std::string& sql, bool postgres) const {
  const std::size_t n = sql.size();
  for (std::size_t i = 0; i < n;) {
    const char c = sql[i];
    std::size_t j = i + 1;
    if (c == '\'') {
      std::string literal;
      for (;; ++j) {
        if (j >= n) return "an unclosed literal";
        if (sql[j] != '\'') literal += sql[j];
        else if (j + 1 < n && sql[j + 1] == '\'') literal += sql[++j];
        else break;
      }
      if (!kLiterals.count(literal)) return "the literal '" + literal + "'";
      ++j;
    } else if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
      while (j < n && IsWordChar(sql[j])) ++j;
      if (!words_.count(sql.substr(i, j - i))) return "the word " + sql.substr(i, j - i);
    } else if (IsDigit(c)) {
      while (j < n && (IsDigit(sql[j]) || sql[j] == '.')) ++j;
      if (!kNumbers.count(sql.substr(i, j - i))) return "the number " + sql.substr(i, j - i);
    } else if (postgres && c == '$' && j < n && IsDigit(sql[j])) {
      while (j < n && IsDigit(sql[j])) ++j;
    } else if (std::string(" (),=?*.<>+-").find(c) == std::string::npos) {
      return std::string("the character '") + c + "'";
    }
    i = j;
  }
  return std::string();
}

std::size_t Placeholders(const std::string& sql) {
  std::size_t count = 0;
  bool quoted = false;
  for (char c : sql) {
    if (c == '\'') quoted = !quoted;
    count += c == '?' && !quoted;
  }
  return count;
}

}  // namespace tarvik::fuzz
