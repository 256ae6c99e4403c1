#include "net/HC.h"

#include "net/CallIndex.h"
#include "net/HTTP_CLIENT.h"
#include "net/MessageFormat.h"
#include "net/ServerAddress.h"

namespace tarvik {
namespace {

enum Cmd {
  kMember, kCustomer, kCustomerPassword, kGoods, kUnitCosts, kUnitCostDelete, kGoodByCode,
  kGoodsMemo, kCarGroups, kCarMakes, kCarPartNums, kOrderList, kOrderSave, kOrderDelete,
  kOrderOpen, kOrderSample, kOrderAuth
};

}  // namespace

const std::vector<ServiceCommand>& ServiceCommands() {
  using H = HeaderKind;
  // Order matches the Cmd enum above.
  static const std::vector<ServiceCommand> table = {
      {"RequestMember", "100000", "/NET/KorvanMember.php", H::Bare, {}},
      {"RequestCustomer", "100200", "/NET/Customer.php", H::Full, {}},
      {"RequestCustomerPassword", "100202", "/NET/Customer.php", H::Full, {"C_CODE"}},
      {"RequestGoods", "100106", "/NET/Good.php", H::Full, {}},
      {"RequestUnitCosts", "100300", "/NET/UCost.php", H::Short, {}},
      {"RequestUnitCostDelete", "100303", "/NET/UCost.php", H::Short, {"U_CC", "U_GC"}},
      {"RequestGoodByCode", "100102", "/NET/Good.php", H::Full, {}},
      {"RequestGoodsMemo", "100102", "/NET/GMemo.php", H::Full, {}},
      {"RequestCarGroups", "100102", "/NET/CarGroup.php", H::Full, {}},
      {"RequestCarMakes", "100102", "/NET/CarMake.php", H::Full, {}},
      {"RequestCarPartNums", "100102", "/NET/CarPartNum.php", H::Full, {}},
      {"RequestOrderList", "100400", "/NET/Order.php", H::Full, {}},
      {"RequestOrderSave", "100401", "/NET/Order.php", H::Full, {}},
      {"RequestOrderDelete", "100403", "/NET/Order.php", H::Full, {"OH_CODE"}},
      {"RequestOrderOpen", "100406", "/NET/Order.php", H::Full, {"OH_CODE"}},
      {"RequestOrderSample", "100411", "/NET/Order.php", H::Short, {"OH_CODE"}},
      {"RequestOrderAuth", "100001", "/NET/OrderAuth.php", H::Bare, {}},
  };
  return table;
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
  std::string reply;
  const bool replied = client.PostRequest(ServerHost(), cmd.path, reply, ServerPort(), request);
  if (transportError) *transportError = client.TransportError();
  if (replyDate) *replyDate = replied ? client.ReplyDate() : std::string();
  if (delivery) {
    *delivery = replied                    ? Delivery::Replied
                : client.RequestWritten() ? Delivery::Unknown
                                          : Delivery::NotSent;
  }
  return reply;
}

namespace {

std::string Send(Cmd which, const std::string& dbKey, const std::vector<std::string>& extras,
                 const std::string& elements, Delivery* delivery = nullptr) {
  return SendServiceCommand(ServiceCommands()[which], dbKey, extras, elements, nullptr, delivery);
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
  return SendServiceCommand(ServiceCommands()[kOrderList], dbKey, {}, elements, nullptr, nullptr, replyDate);
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
