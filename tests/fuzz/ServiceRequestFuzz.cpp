// The service's handling of a decoded request text: its elements, its
// condition elements as SQL pieces (checked against their grammar for both
// databases), and the whole command run against a small SQLite database,
// with every statement it runs read against the service's own vocabulary
// (fuzz/SqlWatch.h). Input: the endpoint ("Good"), a line feed, the text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "tests/fuzz/FuzzCheck.h"
#include "tests/fuzz/RequestChecks.h"
#include "tests/fuzz/SqlWatch.h"
#include "wire/Gzip.h"
#include "wire/MessageFormat.h"
#include "wire/Text.h"
#include "service/Commands.h"
#include "service/DemoData.h"
#include "service/Wire.h"

using namespace tarvik::service;
using tarvik::fuzz::Check;
using tarvik::fuzz::Fail;
using tarvik::fuzz::Shown;

namespace {

struct World {
  std::string dir;
  std::unique_ptr<Database> db;
  std::unique_ptr<ReplyCache> cache;
  tarvik::fuzz::SqlVocabulary vocabulary;
  std::string lastOrder = "0", lastMessage = "0";  // rowids of the data set's own rows
  std::size_t runs = 0;
};
World* world = nullptr;

void Must(bool ok, const std::string& what, const std::string& error) {
  if (!ok) Fail("setting up: " + what + ": " + error);
}

std::string LastRowid(Connection& c, const std::string& table) {
  Rows rows;
  std::string error;
  Must(c.Query("SELECT CAST(COALESCE(MAX(rowid), 0) AS TEXT) FROM " + table, {}, 1, rows, &error),
       table, error);
  return rows[0][0];
}

// Two orders the seeds name: O0000001 still open, O0000002 being received.
// Forget() puts them back as they were.
const char* const kFixedOrders[] = {
    "DELETE FROM OH_ WHERE OH_CODE IN ('O0000001', 'O0000002')",
    "INSERT INTO OH_ (OH_CODE, M_CODE, OH_SD, OH_AT, OH_CC, OH_IOG, OH_RCOUNT) VALUES"
    " ('O0000001', 'S00001', '240131', '0930', 'C00001', 'A', '1'),"
    " ('O0000002', 'S00001', '240130', '1015', 'C00001', 'I', '1')",
    "INSERT INTO OL_ (OH_CODE, OL_NO, OL_CC, OL_GC, OL_GN, OL_GBOX, OL_LC) VALUES"
    " ('O0000001', 0, 'C00001', 'P00001', 'n', '1', '2'),"
    " ('O0000002', 0, 'C00001', 'YZ', 'n', '1', '3')",
    // NEWSHOP may register its first password again.
    "UPDATE C_ SET C_SS = '' WHERE C_CODE = 'C00003'"};

// The demo data set, thinned so that no reply is long (a few products and
// prices of each supplier, a few part numbers), every account and two orders.
void MakeDatabase(World& w) {
  w.dir = tarvik::fuzz::TempFolder();
  // Before the folder goes: the database's pool thread would hold up the exit.
  std::atexit([] { delete world; });
  std::string error;
  w.db = Database::Open(w.dir + "/service.db", 2, &error);
  Must(w.db != nullptr, "open", error);
  auto c = w.db->Acquire(&error);
  Must(c && c->EnsureSchema(&error) && WriteDemoData(*c, &error), "demo data", error);
  for (const char* thin : {"DELETE FROM CPN_ WHERE rowid % 50 <> 1",
                           "DELETE FROM G_ WHERE rowid % 100 <> 1"})
    Must(c->Exec(thin, {}, &error), thin, error);
  for (const char* sql : kFixedOrders) Must(c->Exec(sql, {}, &error), sql, error);
  w.lastOrder = LastRowid(*c, "OH_");
  w.lastMessage = LastRowid(*c, "OA_");
  Rows rows;
  Must(c->Query("SELECT name FROM sqlite_master WHERE type IN ('table', 'index')", {}, 1, rows,
                &error),
       "schema", error);
  std::vector<std::string> names;
  for (const auto& r : rows) {
    names.push_back(r[0]);
    Rows columns;
    Must(c->Query("SELECT name FROM pragma_table_info(?)", {r[0]}, 1, columns, &error), r[0], error);
    for (const auto& col : columns) names.push_back(col[0]);
  }
  w.vocabulary.AddNames(names);
  w.cache = std::make_unique<ReplyCache>(1u << 20);
}

// Now and then the orders and supplier messages the runs saved go again, so
// the lists stay short, and the fixed rows are as they were.
void Forget(World& w) {
  std::string error;
  auto c = w.db->Acquire(&error);
  Must(c && c->Exec("DELETE FROM OH_ WHERE rowid > ?", {w.lastOrder}, &error) &&
           c->Exec("DELETE FROM OA_ WHERE rowid > ?", {w.lastMessage}, &error),
       "forget", error);
  for (const char* sql : kFixedOrders) Must(c->Exec(sql, {}, &error), sql, error);
}

void RunCommand(World& w, const std::string& endpoint, const std::string& text) {
  tarvik::fuzz::TakeSqlSeen();
  Service service{*w.db, w.cache.get()};
  const Reply reply = HandleRequest(service, endpoint, text);
  const tarvik::fuzz::SqlSeen seen = tarvik::fuzz::TakeSqlSeen();
  const Dialect postgres(Backend::PostgreSQL);
  for (const std::string& sql : seen.statements) {
    const std::string problem = w.vocabulary.Problem(sql, false);
    if (!problem.empty()) Fail("request bytes in SQL (" + problem + "): " + Shown(sql, 2000));
    const std::string pg = postgres.Prepare(sql);
    const std::string pgProblem = w.vocabulary.Problem(pg, true);
    if (!pgProblem.empty()) Fail("PostgreSQL text holds " + pgProblem + ": " + Shown(pg, 2000));
    Check(tarvik::fuzz::Placeholders(pg) == 0, "a '?' left for PostgreSQL: " + Shown(pg, 2000));
  }
  for (const std::string& e : seen.errors) {
    // Code 1 is SQLITE_ERROR: SQL that does not parse or names what is not there.
    if (e.rfind("1: ", 0) == 0) Fail("SQLite refused a statement: " + Shown(e, 2000));
  }
  std::string plain;
  Check(tarvik::GzipDecompress(reply.Body(), plain), "a reply body that is no gzip member");
  Check(plain.rfind("<RESULT_CODE>", 0) == 0, "a reply without RESULT_CODE first");
  const std::string why = tarvik::TagValue("RESULT_MSG", plain);
  Check(why.rfind("database:", 0) != 0, "the database refused: " + Shown(why, 2000));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  tarvik::fuzz::WatchSqlite();
  world = new World;
  MakeDatabase(*world);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::size_t lf = input.find('\n');
  const std::string endpoint = lf == std::string::npos ? std::string() : input.substr(0, lf);
  const std::string text = lf == std::string::npos ? input : input.substr(lf + 1);

  tarvik::fuzz::CheckUtf8(text);
  std::vector<Element> elements;
  std::string error;
  const bool scanned = ScanElements(text, elements, kMaxElements, &error);
  tarvik::fuzz::CheckElements(text, elements, scanned, error);
  if (scanned) tarvik::fuzz::CheckConditions(Request{endpoint, elements});
  // Only UTF-8 gets this far in the service (DecodePostBody).
  if (IsKnownEndpoint(endpoint) && tarvik::IsValidUtf8(text)) {
    RunCommand(*world, endpoint, text);
    if (++world->runs % 256 == 0) Forget(*world);
  }
  return 0;
}
