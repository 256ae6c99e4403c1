// A decoded request text ("Good\n" + text): its elements, its conditions as SQL, and the command run on SQLite
// with every statement read against the service's own vocabulary.
#include <sqlite3.h>

#include <cctype>
#include <initializer_list>
#include <map>
#include <memory>
#include <set>

#include "protocol/CommandTable.h"
#include "service/admin/DemoData.h"
#include "service/commands/Commands.h"
#include "service/commands/Conditions.h"
#include "service/requests/RequestText.h"
#include "tests/fuzz/FuzzCheck.h"
#include "text/Text.h"
#include "wire/Gzip.h"
#include "wire/MessageFormat.h"

using namespace tarvik::service;
using namespace tarvik::fuzz;
using tarvik::DecodeUtf8;
using tarvik::EncodeUtf8;
using tarvik::IsValidUtf8;

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

struct SqlSeen {  // what SQLite reported: statements as written ('?' for bound values), errors "code: message"
  std::vector<std::string> statements, errors;
};
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

// IsValidUtf8 agrees with decoding and encoding again.
void CheckUtf8(const std::string& text) {
  const bool valid = IsValidUtf8(text);
  const bool roundTrip = EncodeUtf8(DecodeUtf8(text)) == text;
  Check(valid == roundTrip, std::string("IsValidUtf8 says ") + (valid ? "valid" : "invalid") + " but decoding " +
                                (roundTrip ? "keeps" : "changes") + " the bytes: " + Shown(text));
}

// ScanElements' result: names of [A-Z0-9_], each "<NAME>value</NAME>" in the text in order; a refusal says why.
void CheckElements(const std::string& text, const std::vector<Element>& elements, bool scanned,
                   const std::string& error) {
  if (!scanned) return Check(!error.empty(), "ScanElements refused without a reason");
  Check(elements.size() <= kMaxElements, "more elements than the limit");
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

// SAME/LIKE, ORDERBY and WHERE_OPTION as SQL on both databases: their grammar, only mapped columns, one '?' per value.
void CheckConditions(const Request& request) {
  std::string error;
  for (const Backend backend : {Backend::SQLite, Backend::PostgreSQL}) {
    const Dialect dialect(backend);
    SqlFilter f;
    error.clear();
    if (!AddConditions(request, kSame, kLike, dialect, f, &error)) {
      Check(!error.empty(), "AddConditions refused without a reason");
      continue;
    }
    std::vector<bool> isLike;
    CheckWhere(f, dialect, isLike);
    for (std::size_t i = 0; i < f.params.size(); ++i)
      if (isLike[i]) CheckPattern(f.params[i]);  // an '=' value may hold anything
    Check(f.orderBy.empty(), "AddConditions wrote an ORDER BY");
    if (SetOrderBy(request, kOrder, kFallback, f, &error)) CheckOrderBy(f.orderBy);
  }
  std::map<std::string, std::string> terms;
  error.clear();
  if (!ParseWhereOption(request.Value("WHERE_OPTION"), kWhere, terms, &error))
    return Check(!error.empty(), "WHERE_OPTION refused without a reason");
  Check(!terms.empty(), "WHERE_OPTION read as no term");
  for (const auto& [field, value] : terms) {
    Check(kWhere.count(field) == 1, "WHERE_OPTION term of a field outside the map: " + Shown(field));
    Check(value.find('\'') == std::string::npos, "a WHERE_OPTION value holding a quote");
  }
}

// SQLite reports every statement's text and error; once, before the first connection opens.
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

// Empty when every piece of sql is the service's own (words: kKeywords and the schema's names), else what is not;
// postgres: placeholders are $1, $2, ...
std::string Problem(const std::set<std::string>& words, const std::string& sql, bool postgres) {
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
      if (!words.count(sql.substr(i, j - i))) return "the word " + sql.substr(i, j - i);
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

// '?' outside quoted literals.
std::size_t Placeholders(const std::string& sql) {
  std::size_t count = 0;
  bool quoted = false;
  for (char c : sql) {
    if (c == '\'') quoted = !quoted;
    count += c == '?' && !quoted;
  }
  return count;
}


struct World {
  std::unique_ptr<Database> db;
  std::unique_ptr<ReplyCache> cache;
  std::set<std::string> vocabulary = kKeywords;  // and the schema's names
  std::string lastOrder, lastMessage;  // rowids of the data set's own rows
  std::size_t runs = 0;
};
World* world = nullptr;

void Must(bool ok, const std::string& what, const std::string& error) {
  if (!ok) Fail("setting up: " + what + ": " + error);
}

Rows Query(Connection& c, const std::string& sql, const std::vector<std::string>& params = {}) {
  Rows rows;
  std::string error;
  Must(c.Query(sql, params, 1, rows, &error), sql, error);
  return rows;
}

// Seeds' orders O0000001 (open), O0000002 (being received); NEWSHOP without password. Forget() puts them back.
const char* const kFixedRows[] = {
    "DELETE FROM OH_ WHERE OH_CODE IN ('O0000001', 'O0000002')",
    "INSERT INTO OH_ (OH_CODE, M_CODE, OH_SD, OH_AT, OH_CC, OH_IOG, OH_RCOUNT) VALUES"
    " ('O0000001', 'S00001', '240131', '0930', 'C00001', 'A', '1'),"
    " ('O0000002', 'S00001', '240130', '1015', 'C00001', 'I', '1')",
    "INSERT INTO OL_ (OH_CODE, OL_NO, OL_CC, OL_GC, OL_GN, OL_GBOX, OL_LC) VALUES"
    " ('O0000001', 0, 'C00001', 'P00001', 'n', '1', '2'), ('O0000002', 0, 'C00001', 'YZ', 'n', '1', '3')",
    "UPDATE C_ SET C_SS = '' WHERE C_CODE = 'C00003'"};

void Exec(Connection& c, const std::string& sql, const std::vector<std::string>& params = {}) {
  std::string error;
  Must(c.Exec(sql, params, &error), sql, error);
}

// The demo data set thinned so that no reply is long, with every account and the two orders.
void MakeDatabase(World& w) {
  const std::string dir = TempFolder();
  std::atexit([] { delete world; });  // before the folder goes: the pool thread would hold up the exit
  std::string error;
  w.db = Database::Open(dir + "/service.db", 2, &error);
  Must(w.db != nullptr, "open", error);
  auto c = w.db->Acquire(&error);
  Must(c && c->EnsureSchema(&error) && WriteDemoData(*c, &error), "demo data", error);
  Exec(*c, "DELETE FROM CPN_ WHERE rowid % 50 <> 1");
  Exec(*c, "DELETE FROM G_ WHERE rowid % 100 <> 1");
  for (const char* sql : kFixedRows) Exec(*c, sql);
  w.lastOrder = Query(*c, "SELECT CAST(COALESCE(MAX(rowid), 0) AS TEXT) FROM OH_")[0][0];
  w.lastMessage = Query(*c, "SELECT CAST(COALESCE(MAX(rowid), 0) AS TEXT) FROM OA_")[0][0];
  std::vector<std::string> names;
  for (const auto& r : Query(*c, "SELECT name FROM sqlite_master WHERE type IN ('table', 'index')")) {
    names.push_back(r[0]);
    for (const auto& col : Query(*c, "SELECT name FROM pragma_table_info(?)", {r[0]})) names.push_back(col[0]);
  }
  w.vocabulary.insert(names.begin(), names.end());
  w.cache = std::make_unique<ReplyCache>(1u << 20);
}

// Now and then what the runs saved goes again, so the lists stay short.
void Forget(World& w) {
  std::string error;
  auto c = w.db->Acquire(&error);
  Must(c != nullptr, "forget", error);
  Exec(*c, "DELETE FROM OH_ WHERE rowid > ?", {w.lastOrder});
  Exec(*c, "DELETE FROM OA_ WHERE rowid > ?", {w.lastMessage});
  for (const char* sql : kFixedRows) Exec(*c, sql);
}

void RunCommand(World& w, const std::string& endpoint, const std::string& text) {
  TakeSqlSeen();
  Service service{*w.db, w.cache.get()};
  const Reply reply = HandleRequest(service, endpoint, text);
  const SqlSeen seen = TakeSqlSeen();
  const Dialect postgres(Backend::PostgreSQL);
  for (const std::string& sql : seen.statements) {
    const std::string problem = Problem(w.vocabulary, sql, false);
    if (!problem.empty()) Fail("request bytes in SQL (" + problem + "): " + Shown(sql, 2000));
    const std::string pg = postgres.Prepare(sql);
    const std::string pgProblem = Problem(w.vocabulary, pg, true);
    if (!pgProblem.empty()) Fail("PostgreSQL text holds " + pgProblem + ": " + Shown(pg, 2000));
    Check(Placeholders(pg) == 0, "a '?' left for PostgreSQL: " + Shown(pg, 2000));
  }
  // Code 1 is SQLITE_ERROR: SQL that does not parse or names what is not there.
  for (const std::string& e : seen.errors)
    if (e.rfind("1: ", 0) == 0) Fail("SQLite refused a statement: " + Shown(e, 2000));
  std::string plain;
  Check(tarvik::GzipDecompress(reply.Body(), plain), "a reply body that is no gzip member");
  Check(plain.rfind("<RESULT_CODE>", 0) == 0, "a reply without RESULT_CODE first");
  const std::string why = tarvik::TagValue("RESULT_MSG", plain);
  Check(why.rfind("database:", 0) != 0, "the database refused: " + Shown(why, 2000));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  WatchSqlite();
  world = new World;
  MakeDatabase(*world);
  return 0;
}

TARVIK_FUZZ(input) {
  const std::size_t lf = input.find('\n');
  const std::string endpoint = lf == std::string::npos ? std::string() : input.substr(0, lf);
  const std::string text = lf == std::string::npos ? input : input.substr(lf + 1);
  CheckUtf8(text);
  std::vector<Element> elements;
  std::string error;
  const bool scanned = ScanElements(text, elements, kMaxElements, &error);
  CheckElements(text, elements, scanned, error);
  if (scanned) CheckConditions(Request{endpoint, elements});
  // Only UTF-8 gets this far in the service (DecodePostBody).
  if (tarvik::protocol::IsEndpoint(endpoint) && tarvik::IsValidUtf8(text)) {
    RunCommand(*world, endpoint, text);
    if (++world->runs % 256 == 0) Forget(*world);
  }
}
