#pragma once
// One request function per service command of the table
// (protocol/CommandTable.h). Each creates one THTTPClient (which raises the
// request counter), builds
//   [CALL_INDEX] COMMAND [DB_KEY] fixed extras... caller's elements
// wraps it with WrapPostData, posts it to ServerHost():ServerPort() and the
// command's endpoint, and returns the reply text unchanged (on a failed
// exchange the transport's error text). The functions inspect nothing and
// show nothing; the caller checks RESULT_CODE.
//
// dbKey is the supplier's M_CODE. elements is the caller's element text,
// built with MakeTag, sent as it stands after the fixed part.
#include <functional>
#include <string>
#include <vector>

#include "protocol/CommandTable.h"

namespace tarvik {

// How far an exchange got, for a caller that must know whether the service
// may have acted on a request whose reply it never read. The bytes on the
// wire are the same either way.
enum class Delivery {
  Replied,  // a reply was read and decoded, whatever it says
  NotSent,  // the request never left whole (refused connection, broken send)
  Unknown   // the request left whole, but no reply was read (time-out, cut)
};

// Where the blocking exchange of every request runs. The default runs it in
// place; the program installs one that runs it off the GUI thread
// (platform/OffThread.h) so the window stays alive meanwhile. The request's
// text, its number and every byte sent are the same either way.
using ExchangeRunner = std::function<void(const std::function<void()>& exchange)>;
void SetExchangeRunner(ExchangeRunner runner);  // empty: in place again

// Sends any command of the table (what every function below does); extraValues
// pair with the command's fixed extras (missing ones empty). When the
// transfer fails and transportError is given, it gets libcurl's own words;
// delivery, when given, tells how far the exchange got; replyDate, when
// given, gets the reply's Date header (the service's clock; empty when none).
std::string SendServiceCommand(const protocol::Command& cmd, const std::string& dbKey,
                               const std::vector<std::string>& extraValues,
                               const std::string& elements, std::string* transportError = nullptr,
                               Delivery* delivery = nullptr, std::string* replyDate = nullptr);

// Supplier check (bare).
std::string RequestMember(const std::string& elements);
// Orderer check.
std::string RequestCustomer(const std::string& dbKey, const std::string& elements);
// Password change; cCode is the orderer's C_CODE.
std::string RequestCustomerPassword(const std::string& dbKey, const std::string& cCode,
                                    const std::string& elements);
// All products (with the orderer's unit costs).
std::string RequestGoods(const std::string& dbKey, const std::string& elements);
// Traded products (short).
std::string RequestUnitCosts(const std::string& dbKey, const std::string& elements);
// Removes a traded product (short); uCc orderer code, uGc product code.
std::string RequestUnitCostDelete(const std::string& dbKey, const std::string& uCc,
                                  const std::string& uGc, const std::string& elements = std::string());
std::string RequestGoodByCode(const std::string& dbKey, const std::string& elements);
std::string RequestGoodsMemo(const std::string& dbKey, const std::string& elements);
std::string RequestCarGroups(const std::string& dbKey, const std::string& elements);
std::string RequestCarMakes(const std::string& dbKey, const std::string& elements);
std::string RequestCarPartNums(const std::string& dbKey, const std::string& elements);
std::string RequestOrderList(const std::string& dbKey, const std::string& elements,
                             std::string* replyDate = nullptr);
std::string RequestOrderSave(const std::string& dbKey, const std::string& elements,
                             Delivery* delivery = nullptr);
std::string RequestOrderDelete(const std::string& dbKey, const std::string& ohCode,
                               const std::string& elements = std::string());
std::string RequestOrderOpen(const std::string& dbKey, const std::string& ohCode,
                             const std::string& elements = std::string());
// Registers a sample (short); ohCode is the opened order's code.
std::string RequestOrderSample(const std::string& dbKey, const std::string& ohCode,
                               const std::string& elements);
// Message to the supplier (bare).
std::string RequestOrderAuth(const std::string& elements);

}  // namespace tarvik
