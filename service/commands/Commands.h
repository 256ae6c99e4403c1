#pragma once
// The seventeen commands of the web service. Each runs on one connection in at
// most one transaction and returns the whole reply text (a failure reply when
// it refuses; nothing is then stored). Every check a write depends on is made
// in the statement or transaction that writes, so several instances and the
// supplier's side may work on one database at once.
#include <memory>
#include <string>
#include <vector>

#include "service/store/Database.h"
#include "service/requests/HttpFraming.h"
#include "service/commands/ReplyCache.h"
#include "service/requests/RequestText.h"

namespace tarvik::service {

struct Context {
  Connection& db;
  const Request& req;
  std::string supplier;  // DB_KEY, checked to name a supplier (empty for bare commands)
  // Set by a write whose COMMIT may or may not have stored it: its reply
  // text is then not sent (HandleRequest).
  bool unknown = false;
};

// What the commands share in one process.
struct Service {
  Database& db;
  ReplyCache* cache = nullptr;  // null: every reply is built afresh
};

// A reply: its text, or (from the cache) the compressed body already; or
// none, when a write's outcome is unknown (the client must ask, not be told
// "not stored").
struct Reply {
  std::string text;
  ReplyCache::Body gzip;
  bool unknown = false;
  // The body to send: gzip, or text compressed now.
  std::string Body() const;
};

// Decoded request text posted to /NET/<endpoint>.php -> reply. facts, when
// given, gets the command, whose request it was and the result (the
// endpoint is the caller's).
Reply HandleRequest(Service& service, const std::string& endpoint, const std::string& text,
                    ReplyFacts* facts = nullptr);

// Catalogue and log-in commands (CatalogCommands.cpp).
std::string CmdMember(Context& c);
std::string CmdCustomer(Context& c);
std::string CmdCustomerPassword(Context& c);
std::string CmdGoods(Context& c);
std::string CmdGoodByCode(Context& c);
std::string CmdUnitCosts(Context& c);
std::string CmdUnitCostDelete(Context& c);
std::string CmdGoodsMemo(Context& c);
std::string CmdCarGroups(Context& c);
std::string CmdCarMakes(Context& c);
std::string CmdCarPartNums(Context& c);

// Order commands (OrderCommands.cpp).
std::string CmdOrderList(Context& c);
std::string CmdOrderSave(Context& c);
std::string CmdOrderDelete(Context& c);
std::string CmdOrderOpen(Context& c);
std::string CmdOrderSample(Context& c);
std::string CmdOrderAuth(Context& c);

// Runs sql and answers every row as one record of `names` (one name per column).
std::string SelectReply(Connection& db, const std::string& sql,
                        const std::vector<std::string>& params,
                        const std::vector<std::string>& names);

// Runs body as one writing transaction; false with error when body or the
// commit fails, and then nothing is stored, unless c.unknown is set: the
// COMMIT's outcome could not be learnt. Writers of every instance wait for
// each other in the database (SQLite's file lock, PostgreSQL's row locks),
// never in a lock of one process.
template <class F>
bool WriteTransaction(Context& c, F&& body, std::string& error) {
  bool unknown = false;
  const bool ok = InTransaction(c.db, body, &error, &unknown);
  c.unknown = c.unknown || unknown;
  return ok;
}

// One writing statement that must change exactly one row: the success reply, or
// a failure reply (`missing` when no row matched).
std::string WriteOneRow(Context& c, const std::string& sql, const std::vector<std::string>& params,
                        const std::string& missing);

}  // namespace tarvik::service
