#include "net/ServiceRequests.h"

#include "net/CallIndex.h"
#include "net/HttpClient.h"
#include "wire/MessageFormat.h"
#include "net/ServerAddress.h"

namespace tarvik {
namespace {

using H = HeaderKind;
const ServiceCommand kMember{"RequestMember", "100000", "/NET/KorvanMember.php", H::Bare, {}};
const ServiceCommand kCustomer{"RequestCustomer", "100200", "/NET/Customer.php", H::Full, {}};
const ServiceCommand kCustomerPassword{"RequestCustomerPassword", "100202", "/NET/Customer.php", H::Full, {"C_CODE"}};
const ServiceCommand kGoods{"RequestGoods", "100106", "/NET/Good.php", H::Full, {}};
const ServiceCommand kUnitCosts{"RequestUnitCosts", "100300", "/NET/UCost.php", H::Short, {}};
const ServiceCommand kUnitCostDelete{"RequestUnitCostDelete", "100303", "/NET/UCost.php", H::Short, {"U_CC", "U_GC"}};
const ServiceCommand kGoodByCode{"RequestGoodByCode", "100102", "/NET/Good.php", H::Full, {}};
const ServiceCommand kGoodsMemo{"RequestGoodsMemo", "100102", "/NET/GMemo.php", H::Full, {}};
const ServiceCommand kCarGroups{"RequestCarGroups", "100102", "/NET/CarGroup.php", H::Full, {}};
const ServiceCommand kCarMakes{"RequestCarMakes", "100102", "/NET/CarMake.php", H::Full, {}};
const ServiceCommand kCarPartNums{"RequestCarPartNums", "100102", "/NET/CarPartNum.php", H::Full, {}};
const ServiceCommand kOrderList{"RequestOrderList", "100400", "/NET/Order.php", H::Full, {}};
const ServiceCommand kOrderSave{"RequestOrderSave", "100401", "/NET/Order.php", H::Full, {}};
const ServiceCommand kOrderDelete{"RequestOrderDelete", "100403", "/NET/Order.php", H::Full, {"OH_CODE"}};
const ServiceCommand kOrderOpen{"RequestOrderOpen", "100406", "/NET/Order.php", H::Full, {"OH_CODE"}};
const ServiceCommand kOrderSample{"RequestOrderSample", "100411", "/NET/Order.php", H::Short, {"OH_CODE"}};
const ServiceCommand kOrderAuth{"RequestOrderAuth", "100001", "/NET/OrderAuth.php", H::Bare, {}};

ExchangeRunner& Runner() {
  static ExchangeRunner runner;
  return runner;
}

}  // namespace

void SetExchangeRunner(ExchangeRunner runner) { Runner() = std::move(runner); }

const std::vector<ServiceCommand>& ServiceCommands() {
  static const std::vector<ServiceCommand> all = {
      kMember,     kCustomer,   kCustomerPassword, kGoods,      kUnitCosts, kUnitCostDelete,
      kGoodByCode, kGoodsMemo,  kCarGroups,        kCarMakes,   kCarPartNums, kOrderList,
      kOrderSave,  kOrderDelete, kOrderOpen,       kOrderSample, kOrderAuth};
  return all;
}

const ServiceCommand* FindServiceCommand(const std::string& function) {
  for (const auto& c : ServiceCommands()) {
    if (function == c.function) return &c;
  }
  return nullptr;
}

std::string BuildRequestText(const ServiceCommand& cmd, const std::string& callIndex,
                             const std::string& dbKey, const std::vector<std::string>& extraValues,
                             const std::string& elements) {
  std::string text;
  if (cmd.header == HeaderKind::Full) text += MakeTag("CALL_INDEX", callIndex);
  text += MakeTag("COMMAND", cmd.command);
  if (cmd.header != HeaderKind::Bare) text += MakeTag("DB_KEY", dbKey);
  for (std::size_t i = 0; i < cmd.extras.size(); ++i) {
    text += MakeTag(cmd.extras[i], i < extraValues.size() ? extraValues[i] : std::string());
  }
  text += elements;
  return text;
}

std::string SendServiceCommand(const ServiceCommand& cmd, const std::string& dbKey,
                               const std::vector<std::string>& extraValues,
                               const std::string& elements, std::string* transportError,
                               Delivery* delivery, std::string* replyDate) {
  THTTPClient client;  // raises the request counter
  const std::string callIndex = TodayStamp() + "-" + std::to_string(client.RequestNumber());
  const std::string request =
      WrapPostData(BuildRequestText(cmd, callIndex, dbKey, extraValues, elements));
  // The request is numbered and built here; only the exchange may move to
  // another thread.
  const std::string host = ServerHost();
  const std::uint16_t port = ServerPort();
  PostOutcome out;
  const auto exchange = [&] { out = client.PostRequest(host, cmd.path, port, request); };
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

std::string Send(const ServiceCommand& cmd, const std::string& dbKey, const std::vector<std::string>& extras,
                 const std::string& elements, Delivery* delivery = nullptr) {
  return SendServiceCommand(cmd, dbKey, extras, elements, nullptr, delivery);
}

}  // namespace

std::string RequestMember(const std::string& elements) {
  return Send(kMember, std::string(), {}, elements);
}
std::string RequestCustomer(const std::string& dbKey, const std::string& elements) {
  return Send(kCustomer, dbKey, {}, elements);
}
std::string RequestCustomerPassword(const std::string& dbKey, const std::string& cCode,
                                    const std::string& elements) {
  return Send(kCustomerPassword, dbKey, {cCode}, elements);
}
std::string RequestGoods(const std::string& dbKey, const std::string& elements) {
  return Send(kGoods, dbKey, {}, elements);
}
std::string RequestUnitCosts(const std::string& dbKey, const std::string& elements) {
  return Send(kUnitCosts, dbKey, {}, elements);
}
std::string RequestUnitCostDelete(const std::string& dbKey, const std::string& uCc,
                                  const std::string& uGc, const std::string& elements) {
  return Send(kUnitCostDelete, dbKey, {uCc, uGc}, elements);
}
std::string RequestGoodByCode(const std::string& dbKey, const std::string& elements) {
  return Send(kGoodByCode, dbKey, {}, elements);
}
std::string RequestGoodsMemo(const std::string& dbKey, const std::string& elements) {
  return Send(kGoodsMemo, dbKey, {}, elements);
}
std::string RequestCarGroups(const std::string& dbKey, const std::string& elements) {
  return Send(kCarGroups, dbKey, {}, elements);
}
std::string RequestCarMakes(const std::string& dbKey, const std::string& elements) {
  return Send(kCarMakes, dbKey, {}, elements);
}
std::string RequestCarPartNums(const std::string& dbKey, const std::string& elements) {
  return Send(kCarPartNums, dbKey, {}, elements);
}
std::string RequestOrderList(const std::string& dbKey, const std::string& elements,
                             std::string* replyDate) {
  return SendServiceCommand(kOrderList, dbKey, {}, elements, nullptr, nullptr, replyDate);
}
std::string RequestOrderSave(const std::string& dbKey, const std::string& elements,
                             Delivery* delivery) {
  return Send(kOrderSave, dbKey, {}, elements, delivery);
}
std::string RequestOrderDelete(const std::string& dbKey, const std::string& ohCode,
                               const std::string& elements) {
  return Send(kOrderDelete, dbKey, {ohCode}, elements);
}
std::string RequestOrderOpen(const std::string& dbKey, const std::string& ohCode,
                             const std::string& elements) {
  return Send(kOrderOpen, dbKey, {ohCode}, elements);
}
std::string RequestOrderSample(const std::string& dbKey, const std::string& ohCode,
                               const std::string& elements) {
  return Send(kOrderSample, dbKey, {ohCode}, elements);
}
std::string RequestOrderAuth(const std::string& elements) {
  return Send(kOrderAuth, std::string(), {}, elements);
}

}  // namespace tarvik
