#include "net/ServiceRequests.h"

#include "net/CallIndex.h"
#include "net/HttpClient.h"
#include "wire/MessageFormat.h"
#include "net/ServerAddress.h"

namespace tarvik {

namespace {

ExchangeRunner& Runner() {
  static ExchangeRunner runner;
  return runner;
}

}  // namespace

void SetExchangeRunner(ExchangeRunner runner) { Runner() = std::move(runner); }

std::string SendServiceCommand(const protocol::Command& cmd, const std::string& dbKey,
                               const std::vector<std::string>& extraValues,
                               const std::string& elements, std::string* transportError,
                               Delivery* delivery, std::string* replyDate) {
  THTTPClient client;  // raises the request counter
  const std::string callIndex = TodayStamp() + "-" + std::to_string(client.RequestNumber());
  const std::string request =
      WrapPostData(protocol::RequestText(cmd, callIndex, dbKey, extraValues, elements));
  // The request is numbered and built here; only the exchange may move to
  // another thread.
  const std::string host = ServerHost();
  const std::uint16_t port = ServerPort();
  const std::string path = protocol::EndpointPath(cmd);
  PostOutcome out;
  const auto exchange = [&] { out = client.PostRequest(host, path, port, request); };
  if (Runner())
    Runner()(exchange);
  else
    exchange();
  if (transportError) *transportError = out.transportError;
  if (replyDate) *replyDate = out.date;
  if (delivery) *delivery = out.delivery;
  return std::move(out.reply);
}

namespace {

std::string Send(const protocol::Command& cmd, const std::string& dbKey,
                 const std::vector<std::string>& extras, const std::string& elements,
                 Delivery* delivery = nullptr) {
  return SendServiceCommand(cmd, dbKey, extras, elements, nullptr, delivery);
}

}  // namespace

std::string RequestMember(const std::string& elements) {
  return Send(protocol::kMember, std::string(), {}, elements);
}
std::string RequestCustomer(const std::string& dbKey, const std::string& elements) {
  return Send(protocol::kCustomer, dbKey, {}, elements);
}
std::string RequestCustomerPassword(const std::string& dbKey, const std::string& cCode,
                                    const std::string& elements) {
  return Send(protocol::kCustomerPassword, dbKey, {cCode}, elements);
}
std::string RequestGoods(const std::string& dbKey, const std::string& elements) {
  return Send(protocol::kGoods, dbKey, {}, elements);
}
std::string RequestUnitCosts(const std::string& dbKey, const std::string& elements) {
  return Send(protocol::kUnitCosts, dbKey, {}, elements);
}
std::string RequestUnitCostDelete(const std::string& dbKey, const std::string& uCc,
                                  const std::string& uGc, const std::string& elements) {
  return Send(protocol::kUnitCostDelete, dbKey, {uCc, uGc}, elements);
}
std::string RequestGoodByCode(const std::string& dbKey, const std::string& elements) {
  return Send(protocol::kGoodByCode, dbKey, {}, elements);
}
std::string RequestGoodsMemo(const std::string& dbKey, const std::string& elements) {
  return Send(protocol::kGoodsMemo, dbKey, {}, elements);
}
std::string RequestCarGroups(const std::string& dbKey, const std::string& elements) {
  return Send(protocol::kCarGroups, dbKey, {}, elements);
}
std::string RequestCarMakes(const std::string& dbKey, const std::string& elements) {
  return Send(protocol::kCarMakes, dbKey, {}, elements);
}
std::string RequestCarPartNums(const std::string& dbKey, const std::string& elements) {
  return Send(protocol::kCarPartNums, dbKey, {}, elements);
}
std::string RequestOrderList(const std::string& dbKey, const std::string& elements,
                             std::string* replyDate) {
  return SendServiceCommand(protocol::kOrderList, dbKey, {}, elements, nullptr, nullptr, replyDate);
}
std::string RequestOrderSave(const std::string& dbKey, const std::string& elements,
                             Delivery* delivery) {
  return Send(protocol::kOrderSave, dbKey, {}, elements, delivery);
}
std::string RequestOrderDelete(const std::string& dbKey, const std::string& ohCode,
                               const std::string& elements) {
  return Send(protocol::kOrderDelete, dbKey, {ohCode}, elements);
}
std::string RequestOrderOpen(const std::string& dbKey, const std::string& ohCode,
                             const std::string& elements) {
  return Send(protocol::kOrderOpen, dbKey, {ohCode}, elements);
}
std::string RequestOrderSample(const std::string& dbKey, const std::string& ohCode,
                               const std::string& elements) {
  return Send(protocol::kOrderSample, dbKey, {ohCode}, elements);
}
std::string RequestOrderAuth(const std::string& elements) {
  return Send(protocol::kOrderAuth, std::string(), {}, elements);
}

}  // namespace tarvik
