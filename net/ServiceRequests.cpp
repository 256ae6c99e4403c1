#include "net/ServiceRequests.h"

#include "net/CallIndex.h"
#include "wire/MessageFormat.h"

namespace tarvik {

ServiceLink ServiceLinkAtStart() {
  ServiceLink link;
  link.server = ServerAddressAtStart();
  link.limits = RequestLimitsAtStart();
  return link;
}

PostOutcome SendServiceCommand(const ServiceLink& link, const protocol::Command& cmd,
                               const std::string& dbKey, const std::vector<std::string>& extraValues,
                               const std::string& elements) {
  THTTPClient client;  // raises the request counter
  client.SetLimits(link.limits);
  const std::string callIndex = TodayStamp() + "-" + std::to_string(client.RequestNumber());
  const std::string request =
      WrapPostData(protocol::RequestText(cmd, callIndex, dbKey, extraValues, elements));
  // The request is numbered and built here; only the exchange may move to
  // another thread.
  const ServerAddress server = link.server;
  const std::string path = protocol::EndpointPath(cmd);
  PostOutcome out;
  const auto exchange = [&] { out = client.PostRequest(server.host, path, server.port, request); };
  if (link.runner)
    link.runner(exchange);
  else
    exchange();
  return out;
}

PostOutcome RequestMember(const ServiceLink& link, const std::string& elements) {
  return SendServiceCommand(link, protocol::kMember, std::string(), {}, elements);
}
PostOutcome RequestCustomer(const ServiceLink& link, const std::string& dbKey, const std::string& elements) {
  return SendServiceCommand(link, protocol::kCustomer, dbKey, {}, elements);
}
PostOutcome RequestCustomerPassword(const ServiceLink& link, const std::string& dbKey, const std::string& cCode,
                                    const std::string& elements) {
  return SendServiceCommand(link, protocol::kCustomerPassword, dbKey, {cCode}, elements);
}
PostOutcome RequestGoods(const ServiceLink& link, const std::string& dbKey, const std::string& elements) {
  return SendServiceCommand(link, protocol::kGoods, dbKey, {}, elements);
}
PostOutcome RequestUnitCosts(const ServiceLink& link, const std::string& dbKey, const std::string& elements) {
  return SendServiceCommand(link, protocol::kUnitCosts, dbKey, {}, elements);
}
PostOutcome RequestUnitCostDelete(const ServiceLink& link, const std::string& dbKey, const std::string& uCc,
                                  const std::string& uGc, const std::string& elements) {
  return SendServiceCommand(link, protocol::kUnitCostDelete, dbKey, {uCc, uGc}, elements);
}
PostOutcome RequestGoodByCode(const ServiceLink& link, const std::string& dbKey, const std::string& elements) {
  return SendServiceCommand(link, protocol::kGoodByCode, dbKey, {}, elements);
}
PostOutcome RequestGoodsMemo(const ServiceLink& link, const std::string& dbKey, const std::string& elements) {
  return SendServiceCommand(link, protocol::kGoodsMemo, dbKey, {}, elements);
}
PostOutcome RequestCarGroups(const ServiceLink& link, const std::string& dbKey, const std::string& elements) {
  return SendServiceCommand(link, protocol::kCarGroups, dbKey, {}, elements);
}
PostOutcome RequestCarMakes(const ServiceLink& link, const std::string& dbKey, const std::string& elements) {
  return SendServiceCommand(link, protocol::kCarMakes, dbKey, {}, elements);
}
PostOutcome RequestCarPartNums(const ServiceLink& link, const std::string& dbKey, const std::string& elements) {
  return SendServiceCommand(link, protocol::kCarPartNums, dbKey, {}, elements);
}
PostOutcome RequestOrderList(const ServiceLink& link, const std::string& dbKey, const std::string& elements) {
  return SendServiceCommand(link, protocol::kOrderList, dbKey, {}, elements);
}
PostOutcome RequestOrderSave(const ServiceLink& link, const std::string& dbKey, const std::string& elements) {
  return SendServiceCommand(link, protocol::kOrderSave, dbKey, {}, elements);
}
PostOutcome RequestOrderDelete(const ServiceLink& link, const std::string& dbKey, const std::string& ohCode,
                               const std::string& elements) {
  return SendServiceCommand(link, protocol::kOrderDelete, dbKey, {ohCode}, elements);
}
PostOutcome RequestOrderOpen(const ServiceLink& link, const std::string& dbKey, const std::string& ohCode,
                             const std::string& elements) {
  return SendServiceCommand(link, protocol::kOrderOpen, dbKey, {ohCode}, elements);
}
PostOutcome RequestOrderSample(const ServiceLink& link, const std::string& dbKey, const std::string& ohCode,
                               const std::string& elements) {
  return SendServiceCommand(link, protocol::kOrderSample, dbKey, {ohCode}, elements);
}
PostOutcome RequestOrderAuth(const ServiceLink& link, const std::string& elements) {
  return SendServiceCommand(link, protocol::kOrderAuth, std::string(), {}, elements);
}

}  // namespace tarvik
