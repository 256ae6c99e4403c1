#include "service/commands/Commands.h"

#include <utility>

#include "protocol/CommandTable.h"
#include "wire/Gzip.h"
#include "wire/MessageFormat.h"

namespace tarvik::service {

namespace {

using Handler = std::string (*)(Context&);

struct Route {
  const protocol::Command& command;
  Handler handler;
  bool cached;  // a catalogue read: its reply depends on the request and the catalogue only
};

// Each command of the table and what answers it. One code may mean several
// things, told apart by the endpoint.
const Route kRoutes[] = {
    {protocol::kMember, CmdMember, false},
    {protocol::kCustomer, CmdCustomer, false},
    {protocol::kCustomerPassword, CmdCustomerPassword, false},
    {protocol::kGoods, CmdGoods, true},
    {protocol::kGoodByCode, CmdGoodByCode, true},
    {protocol::kUnitCosts, CmdUnitCosts, true},
    {protocol::kUnitCostDelete, CmdUnitCostDelete, false},
    {protocol::kGoodsMemo, CmdGoodsMemo, true},
    {protocol::kCarGroups, CmdCarGroups, true},
    {protocol::kCarMakes, CmdCarMakes, true},
    {protocol::kCarPartNums, CmdCarPartNums, true},
    {protocol::kOrderList, CmdOrderList, false},
    {protocol::kOrderSave, CmdOrderSave, false},
    {protocol::kOrderDelete, CmdOrderDelete, false},
    {protocol::kOrderOpen, CmdOrderOpen, false},
    {protocol::kOrderSample, CmdOrderSample, false},
    {protocol::kOrderAuth, CmdOrderAuth, false},
};

// The route of a request, or null when its endpoint has no such command.
const Route* FindRoute(const Request& req) {
  const protocol::Command* command = protocol::FindCommand(req.endpoint, req.Value("COMMAND"));
  for (const Route& r : kRoutes) {
    if (&r.command == command) return &r;
  }
  return nullptr;
}

// Requests bigger than this are answered without the cache.
constexpr std::size_t kMaxCacheKey = 4096;

// The cache key: supplier, catalogue version, endpoint and every element but
// CALL_INDEX (which changes with every request), each with its length so no
// two requests share a key.
std::string CacheKey(const std::string& supplier, const std::string& version,
                     const Request& req) {
  std::string key = supplier + '\n' + version + '\n' + req.endpoint + '\n';
  for (const auto& e : req.elements) {
    if (e.name == "CALL_INDEX") continue;
    key += e.name + ' ' + std::to_string(e.value.size()) + ' ' + e.value;
  }
  return key;
}

// The value of SAME_KEY paired with SAME_FIELD `field`; empty when none.
std::string SameKey(const Request& req, const std::string& field) {
  for (std::size_t i = 0; i + 1 < req.elements.size(); ++i) {
    if (req.elements[i].name == "SAME_FIELD" && req.elements[i].value == field &&
        req.elements[i + 1].name == "SAME_KEY")
      return req.elements[i + 1].value;
  }
  return std::string();
}

// The quoted value of `field = '...'` in a WHERE_OPTION; empty when none.
std::string QuotedAfter(const std::string& where, const std::string& field) {
  const auto at = where.find(field);
  const auto open = at == std::string::npos ? at : where.find('\'', at);
  const auto close = open == std::string::npos ? open : where.find('\'', open + 1);
  return close == std::string::npos ? std::string() : where.substr(open + 1, close - open - 1);
}

// Who a request is about, as far as it says: for the request log.
void Describe(const Request& req, ReplyFacts& f) {
  f.supplier = req.Value("DB_KEY");
  f.supplierId = SameKey(req, "M_ID");
  f.ordererId = SameKey(req, "C_ID");
  for (const char* name : {"C_CODE", "U_CC", "OA_CC"}) {
    if (f.orderer.empty()) f.orderer = req.Value(name);
  }
  if (f.orderer.empty()) f.orderer = SameKey(req, "U_CC");
  const std::string head = req.Value("ORDERH_DATA");
  if (f.orderer.empty()) f.orderer = TagValue("OH_CC", head);
  if (f.orderer.empty()) f.orderer = QuotedAfter(req.Value("WHERE_OPTION"), "OH_CC");
  f.order = req.Has("OH_CODE") ? req.Value("OH_CODE") : TagValue("OH_CODE", head);
}

}  // namespace

std::string Reply::Body() const { return gzip ? *gzip : GzipCompress(text); }

namespace {

Reply Answer(Service& service, const Request& req, const std::string& text, ReplyFacts& facts) {
  std::string error;
  const Route* found = FindRoute(req);
  if (!found) return {FailureReply("unknown command for this endpoint"), {}};
  const Route& route = *found;
  facts.command = route.command.code;
  for (const auto& e : req.elements) {
    // Records are checked field by field by their commands; plain values here.
    if (e.name != "ORDERH_DATA" && e.name != "ORDERL_DATA" && e.value.size() > kMaxFieldBytes)
      return {FailureReply("value too long: " + e.name), {}};
  }
  auto db = service.db.Acquire(&error);
  if (!db) return {FailureReply("database: " + error), {}};
  Context c{*db, req, std::string()};
  std::string key;
  // Every command but the bare ones names its supplier.
  if (route.command.header != protocol::Header::Bare) {
    const std::string dbKey = req.Value("DB_KEY");
    if (dbKey.empty()) return {FailureReply("no DB_KEY"), {}};
    Rows rows;
    if (!db->Query("SELECT M.M_CODE, CAST(COALESCE(V.CV_VERSION, 0) AS TEXT) FROM M_ M"
                   " LEFT JOIN CV_ V ON V.M_CODE = M.M_CODE WHERE M.M_CODE = ?",
                   {dbKey}, 2, rows, &error))
      return {FailureReply("database: " + error), {}};
    if (rows.empty()) return {FailureReply("unknown DB_KEY"), {}};
    c.supplier = dbKey;
    // The version is read before the catalogue: a reply built from a newer
    // catalogue may sit under an older version, never the other way round.
    if (route.cached && service.cache && text.size() <= kMaxCacheKey) {
      key = CacheKey(dbKey, rows[0][1], req);
      auto hit = service.cache->Find(key);
      facts.cache = hit ? ReplyFacts::Cache::kHit : ReplyFacts::Cache::kMiss;
      if (hit) return {std::string(), hit};
    }
  }
  Reply reply{route.handler(c), {}};
  if (c.unknown) return {std::string(), {}, true};
  if (!key.empty() && TagValue("RESULT_CODE", reply.text) == "1") {
    reply.gzip = std::make_shared<const std::string>(GzipCompress(reply.text));
    service.cache->Store(key, reply.gzip);
  }
  return reply;
}

}  // namespace

Reply HandleRequest(Service& service, const std::string& endpoint, const std::string& text,
                    ReplyFacts* told) {
  Request req;
  req.endpoint = endpoint;
  std::string error;
  ReplyFacts facts;
  if (!ScanElements(text, req.elements, kMaxElements, &error)) {
    if (told) told->result = "0";
    return {FailureReply(error), {}};
  }
  Describe(req, facts);
  Reply reply = Answer(service, req, text, facts);
  // Only successful replies are cached, so a reply from the cache is one.
  facts.result = reply.gzip && reply.text.empty() ? "1" : TagValue("RESULT_CODE", reply.text);
  if (!reply.text.empty() && reply.text.find("<RESULT_RECORD_COUNT>") != std::string::npos)
    facts.records = TagInt("RESULT_RECORD_COUNT", reply.text);
  if (facts.command == protocol::kOrderSave.code && facts.result == "1") {
    facts.orderSaved = true;
    facts.order = TagValue("OH_CODE", reply.text);
  }
  if (told) *told = std::move(facts);
  return reply;
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

}  // namespace tarvik::service
