// A decoded request text ("Good\n" + text): its elements, and the command run on SQLite with every statement
// read against the service's own vocabulary (conditions included: request bytes never become SQL).
#include <sqlite3.h>

#include <memory>
#include <regex>
#include <set>
#include <utility>

#include "protocol/CommandTable.h"
#include "service/admin/DemoData.h"
#include "service/commands/Commands.h"
#include "service/requests/RequestText.h"
#include "tests/fuzz/FuzzCheck.h"
#include "text/Text.h"
#include "wire/Gzip.h"
#include "wire/MessageFormat.h"

using namespace tarvik::service;
using namespace tarvik::fuzz;

namespace {

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

// ScanElements' result: names of [A-Z0-9_], each "<NAME>value</NAME>" in the text in order; a refusal says why.
void CheckElements(const std::string& text, const std::vector<Element>& elements, bool scanned,
                   const std::string& error) {
  if (!scanned) return Check(!error.empty(), "ScanElements refused without a reason");
  Check(elements.size() <= kMaxElements, "more elements than the limit");
  std::size_t pos = 0;
  for (const auto& e : elements) {
    const bool plain = e.name.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_") == std::string::npos;
    Check(!e.name.empty() && plain, "an element name " + Shown(e.name));
    const std::string close = "</" + e.name + ">";
    Check(e.value.find(close) == std::string::npos, "a value holding its own close: " + e.name);
    const std::string whole = "<" + e.name + ">" + e.value + close;
    const std::size_t at = text.find(whole, pos);
    Check(at != std::string::npos, "element " + e.name + " is not in the text as read");
    pos = at + whole.size();
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

SqlSeen TakeSqlSeen() { return std::exchange(seen, SqlSeen{}); }

// Empty when every token of sql is the service's own (words: kKeywords and the schema's names), else
// the first that is not; postgres: placeholders are $1, $2, ... and no '?' is left.
std::string Problem(const std::set<std::string>& words, const std::string& sql, bool postgres) {
  static const std::regex token(
      R"('((?:[^']|'')*)'|([A-Za-z_]\w*)|([0-9][0-9.]*)|(\$[0-9]+)|([ (),=*.<>+-])|([\s\S]))");
  for (std::sregex_iterator it(sql.begin(), sql.end(), token), end; it != end; ++it) {
    const std::smatch& m = *it;
    if (m[1].matched && !kLiterals.count(std::regex_replace(m[1].str(), std::regex("''"), "'")))
      return "the literal " + m.str();
    if (m[2].matched && !words.count(m[2])) return "the word " + m.str();
    if (m[3].matched && !kNumbers.count(m[3])) return "the number " + m.str();
    if ((m[4].matched && !postgres) || (m[6].matched && (postgres || m.str() != "?")))
      return "the character " + m.str();
  }
  return std::string();
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
  std::vector<Element> elements;
  std::string error;
  const bool scanned = ScanElements(text, elements, kMaxElements, &error);
  CheckElements(text, elements, scanned, error);
  // Only UTF-8 gets this far in the service (DecodePostBody).
  if (tarvik::protocol::IsEndpoint(endpoint) && tarvik::IsValidUtf8(text)) {
    RunCommand(*world, endpoint, text);
    if (++world->runs % 256 == 0) Forget(*world);
  }
}
