#pragma once
// The seventeen commands of the web service. Each runs on one connection in at
// most one transaction and returns the whole reply text (a failure reply when
// it refuses; nothing is then stored).
#include <string>
#include <vector>

#include "service/Database.h"
#include "service/Wire.h"

namespace tarvik::service {

struct Context {
  Connection& db;
  const Request& req;
  std::string supplier;  // DB_KEY, checked to name a supplier (empty for bare commands)
  std::mutex& writeMutex;
};

// Decoded request text posted to /NET/<endpoint>.php -> reply text.
std::string HandleRequest(ConnectionPool& pool, const std::string& endpoint,
                          const std::string& text);

// True for the ten endpoint names ("Good", "Order", ...).
bool IsKnownEndpoint(const std::string& endpoint);

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

// Runs body as one transaction of this process's writers (they queue on the
// write mutex rather than spin in SQLite's busy handler); false with error when
// body or the commit fails, and then nothing is stored.
template <class F>
bool WriteTransaction(Context& c, F&& body, std::string& error) {
  std::lock_guard<std::mutex> lock(c.writeMutex);
  return InTransaction(c.db, body, &error);
}

// One writing statement that must change exactly one row: the success reply, or
// a failure reply (`missing` when no row matched).
std::string WriteOneRow(Context& c, const std::string& sql, const std::vector<std::string>& params,
                        const std::string& missing);

// The service's clock, local time: "yymmdd", "HHMM" and "HHMMSS".
std::string TodayYymmdd();
std::string NowHhmm();
std::string NowHhmmss();

}  // namespace tarvik::service
