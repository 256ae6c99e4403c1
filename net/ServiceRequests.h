#pragma once
// One request function per service command of the table
// (protocol/CommandTable.h). Each creates one THTTPClient (which raises the
// request counter), builds
//   [CALL_INDEX] COMMAND [DB_KEY] fixed extras... caller's elements
// wraps it with WrapPostData, posts it to the link's server and the command's
// endpoint, and returns the exchange's outcome (net/HttpClient.h,
// PostOutcome): the reply text unchanged (on a failed exchange the
// transport's error text), how far the request got, libcurl's words for a
// failed transfer and the reply's Date. The functions inspect nothing and
// show nothing; the caller checks RESULT_CODE.
//
// dbKey is the supplier's M_CODE. elements is the caller's element text,
// built with MakeTag, sent as it stands after the fixed part.
#include <functional>
#include <string>
#include <vector>

#include "net/CurlTransfer.h"
#include "net/HttpClient.h"
#include "net/ServerAddress.h"
#include "protocol/CommandTable.h"

namespace tarvik {

// Where the blocking exchange of a request runs. Empty: in place; the program
// runs it off the GUI thread (platform/OffThread.h) so the window stays alive
// meanwhile. The request's text, its number and every byte sent are the same
// either way.
using ExchangeRunner = std::function<void(const std::function<void()>& exchange)>;

// How requests reach the service: made once at a program's start and handed
// to whatever sends them.
struct ServiceLink {
  ServerAddress server;                    // where every request goes
  TransferLimits limits = kRequestLimits;  // the transfer's time limits
  ExchangeRunner runner = {};              // where the exchange runs
};

// The link as the environment sets it at start (ServerAddressAtStart,
// RequestLimitsAtStart), exchanges in place.
ServiceLink ServiceLinkAtStart();

// Sends any command of the table (what every function below does); extraValues
// pair with the command's fixed extras (missing ones empty).
PostOutcome SendServiceCommand(const ServiceLink& link, const protocol::Command& cmd,
                               const std::string& dbKey, const std::vector<std::string>& extraValues,
                               const std::string& elements);

// Supplier check (bare).
PostOutcome RequestMember(const ServiceLink& link, const std::string& elements);
// Orderer check.
PostOutcome RequestCustomer(const ServiceLink& link, const std::string& dbKey, const std::string& elements);
// Password change; cCode is the orderer's C_CODE.
PostOutcome RequestCustomerPassword(const ServiceLink& link, const std::string& dbKey, const std::string& cCode,
                                    const std::string& elements);
// All products (with the orderer's unit costs).
PostOutcome RequestGoods(const ServiceLink& link, const std::string& dbKey, const std::string& elements);
// Traded products (short).
PostOutcome RequestUnitCosts(const ServiceLink& link, const std::string& dbKey, const std::string& elements);
// Removes a traded product (short); uCc orderer code, uGc product code.
PostOutcome RequestUnitCostDelete(const ServiceLink& link, const std::string& dbKey, const std::string& uCc,
                                  const std::string& uGc, const std::string& elements = std::string());
PostOutcome RequestGoodByCode(const ServiceLink& link, const std::string& dbKey, const std::string& elements);
PostOutcome RequestGoodsMemo(const ServiceLink& link, const std::string& dbKey, const std::string& elements);
PostOutcome RequestCarGroups(const ServiceLink& link, const std::string& dbKey, const std::string& elements);
PostOutcome RequestCarMakes(const ServiceLink& link, const std::string& dbKey, const std::string& elements);
PostOutcome RequestCarPartNums(const ServiceLink& link, const std::string& dbKey, const std::string& elements);
PostOutcome RequestOrderList(const ServiceLink& link, const std::string& dbKey, const std::string& elements);
PostOutcome RequestOrderSave(const ServiceLink& link, const std::string& dbKey, const std::string& elements);
PostOutcome RequestOrderDelete(const ServiceLink& link, const std::string& dbKey, const std::string& ohCode,
                               const std::string& elements = std::string());
PostOutcome RequestOrderOpen(const ServiceLink& link, const std::string& dbKey, const std::string& ohCode,
                             const std::string& elements = std::string());
// Registers a sample (short); ohCode is the opened order's code.
PostOutcome RequestOrderSample(const ServiceLink& link, const std::string& dbKey, const std::string& ohCode,
                               const std::string& elements);
// Message to the supplier (bare).
PostOutcome RequestOrderAuth(const ServiceLink& link, const std::string& elements);

}  // namespace tarvik
