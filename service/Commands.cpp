#include "service/Commands.h"

#include <ctime>
#include <map>
#include <utility>

namespace tarvik::service {

namespace {

using Handler = std::string (*)(Context&);

struct Route {
  Handler handler;
  bool needsDbKey;
};

// (endpoint, COMMAND) -> command. "100102" means five things, told apart by path.
const std::map<std::pair<std::string, std::string>, Route>& Routes() {
  static const std::map<std::pair<std::string, std::string>, Route> routes = {
      {{"KorvanMember", "100000"}, {CmdMember, false}},
      {{"Customer", "100200"}, {CmdCustomer, true}},
      {{"Customer", "100202"}, {CmdCustomerPassword, true}},
      {{"Good", "100106"}, {CmdGoods, true}},
      {{"Good", "100102"}, {CmdGoodByCode, true}},
      {{"UCost", "100300"}, {CmdUnitCosts, true}},
      {{"UCost", "100303"}, {CmdUnitCostDelete, true}},
      {{"GMemo", "100102"}, {CmdGoodsMemo, true}},
      {{"CarGroup", "100102"}, {CmdCarGroups, true}},
      {{"CarMake", "100102"}, {CmdCarMakes, true}},
      {{"CarPartNum", "100102"}, {CmdCarPartNums, true}},
      {{"Order", "100400"}, {CmdOrderList, true}},
      {{"Order", "100401"}, {CmdOrderSave, true}},
      {{"Order", "100403"}, {CmdOrderDelete, true}},
      {{"Order", "100406"}, {CmdOrderOpen, true}},
      {{"Order", "100411"}, {CmdOrderSample, true}},
      {{"OrderAuth", "100001"}, {CmdOrderAuth, false}},
  };
  return routes;
}

std::string Stamp(const char* format) {
  const std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  char buf[32];
  std::strftime(buf, sizeof buf, format, &tm);
  return buf;
}

}  // namespace

bool IsKnownEndpoint(const std::string& endpoint) {
  for (const auto& r : Routes()) {
    if (r.first.first == endpoint) return true;
  }
  return false;
}

std::string HandleRequest(ConnectionPool& pool, const std::string& endpoint,
                          const std::string& text) {
  Request req;
  req.endpoint = endpoint;
  std::string error;
  if (!ScanElements(text, req.elements, kMaxElements, &error)) return FailureReply(error);
  const auto it = Routes().find({endpoint, req.Value("COMMAND")});
  if (it == Routes().end()) return FailureReply("unknown command for this endpoint");
  for (const auto& e : req.elements) {
    // Records are checked field by field by their commands; plain values here.
    if (e.name != "ORDERH_DATA" && e.name != "ORDERL_DATA" && e.value.size() > kMaxFieldBytes)
      return FailureReply("value too long: " + e.name);
  }
  auto db = pool.Acquire(&error);
  if (!db) return FailureReply("database: " + error);
  Context c{*db, req, std::string(), pool.WriteMutex()};
  if (it->second.needsDbKey) {
    const std::string key = req.Value("DB_KEY");
    if (key.empty()) return FailureReply("no DB_KEY");
    Rows rows;
    if (!db->Query("SELECT M_CODE FROM M_ WHERE M_CODE = ?", {key}, 1, rows, &error))
      return FailureReply("database: " + error);
    if (rows.empty()) return FailureReply("unknown DB_KEY");
    c.supplier = key;
  }
  return it->second.handler(c);
}

std::string SelectReply(Connection& db, const std::string& sql,
                        const std::vector<std::string>& params,
                        const std::vector<std::string>& names) {
  Rows rows;
  std::string error;
  if (!db.Query(sql, params, names.size(), rows, &error)) return FailureReply("database: " + error);
  ReplyBuilder reply;
  for (const auto& row : rows) reply.AddRecord(names, row);
  return reply.Finish();
}

std::string WriteOneRow(Context& c, const std::string& sql, const std::vector<std::string>& params,
                        const std::string& missing) {
  std::string error;
  const bool ok = WriteTransaction(
      c, [&] { return c.db.Exec(sql, params, &error) && c.db.Changed() == 1; }, error);
  return ok ? SuccessReply() : FailureReply(error.empty() ? missing : error);
}

std::string TodayYymmdd() { return Stamp("%y%m%d"); }
std::string NowHhmm() { return Stamp("%H%M"); }
std::string NowHhmmss() { return Stamp("%H%M%S"); }

}  // namespace tarvik::service
