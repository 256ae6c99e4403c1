#include "protocol/CommandTable.h"

#include "wire/MessageFormat.h"

namespace tarvik::protocol {

namespace {

using H = Header;

const char* const kSame[] = {"SAME_FIELD", "SAME_KEY"};
const char* const kCCode[] = {"C_CODE"};
const char* const kCSs[] = {"C_SS"};
const char* const kAllGoods[] = {"C_CODE", "LIKE_FIELD", "LIKE_KEY", "ORDERBY"};
const char* const kSameOrdered[] = {"SAME_FIELD", "SAME_KEY", "ORDERBY"};
const char* const kProduct[] = {"U_CC", "U_GC"};
const char* const kNote[] = {"GM_GC", "ORDERBY"};
const char* const kLikeOrdered[] = {"LIKE_FIELD", "LIKE_KEY", "ORDERBY"};
const char* const kPartNumbers[] = {"SAME_FIELD", "SAME_KEY", "SAME_FIELD", "SAME_KEY",
                                    "LIKE_FIELD", "LIKE_KEY", "ORDERBY"};
// The order list's condition goes once untagged, then as WHERE_OPTION.
const char* const kListed[] = {"", "WHERE_OPTION", "ORDERBY"};
const char* const kOrder[] = {"ORDERH_DATA", "ORDERL_DATA"};
const char* const kOrderCode[] = {"OH_CODE"};
const char* const kSampleOf[] = {"ORDERH_DATA"};
const char* const kMessage[] = {"OA_CODE",  "OA_SC",    "OA_CC",    "OA_IOG", "OA_STATUS",
                                "OA_WDATE", "OA_WTIME", "OA_RTIME", "OA_MSG"};
const char* const kHeaderFields[] = {"OH_CODE", "OH_SD",  "OH_AT",    "OH_MT",     "OH_MCOUNT",
                                     "OH_DD",   "OH_CC",  "OH_TYPE",  "OH_IOG",    "OH_SG",
                                     "OH_SCODE", "OH_RCOUNT", "OH_NOTE"};
const char* const kLineFields[] = {"OL_NO", "OL_CC", "OL_OC",   "OL_GC",
                                   "OL_GN", "OL_GBOX", "OL_LC", "OL_LN"};

// Plain characters, not strings: usable from other static objects' constructors.
constexpr char kNet[] = "/NET/", kPhp[] = ".php";
constexpr std::size_t kNetSize = sizeof kNet - 1, kPhpSize = sizeof kPhp - 1;

}  // namespace

// function, COMMAND, endpoint, header, fixed extras, the caller's elements.
const Command kMember{"RequestMember", "100000", "KorvanMember", H::Bare, {}, kSame};
const Command kCustomer{"RequestCustomer", "100200", "Customer", H::Full, {}, kSame};
const Command kCustomerPassword{"RequestCustomerPassword", "100202", "Customer", H::Full, kCCode, kCSs};
const Command kGoods{"RequestGoods", "100106", "Good", H::Full, {}, kAllGoods};
const Command kUnitCosts{"RequestUnitCosts", "100300", "UCost", H::Short, {}, kSameOrdered};
const Command kUnitCostDelete{"RequestUnitCostDelete", "100303", "UCost", H::Short, kProduct, {}};
const Command kGoodByCode{"RequestGoodByCode", "100102", "Good", H::Full, {}, kSame};
const Command kGoodsMemo{"RequestGoodsMemo", "100102", "GMemo", H::Full, {}, kNote};
const Command kCarGroups{"RequestCarGroups", "100102", "CarGroup", H::Full, {}, kLikeOrdered};
const Command kCarMakes{"RequestCarMakes", "100102", "CarMake", H::Full, {}, kLikeOrdered};
const Command kCarPartNums{"RequestCarPartNums", "100102", "CarPartNum", H::Full, {}, kPartNumbers};
const Command kOrderList{"RequestOrderList", "100400", "Order", H::Full, {}, kListed};
const Command kOrderSave{"RequestOrderSave", "100401", "Order", H::Full, {}, kOrder};
const Command kOrderDelete{"RequestOrderDelete", "100403", "Order", H::Full, kOrderCode, {}};
const Command kOrderOpen{"RequestOrderOpen", "100406", "Order", H::Full, kOrderCode, {}};
const Command kOrderSample{"RequestOrderSample", "100411", "Order", H::Short, kOrderCode, kSampleOf};
const Command kOrderAuth{"RequestOrderAuth", "100001", "OrderAuth", H::Bare, {}, kMessage};

const Names kOrderHeader{kHeaderFields};
const Names kOrderLine{kLineFields};

const std::vector<const Command*>& Commands() {
  static const std::vector<const Command*> all = {
      &kMember,     &kCustomer,   &kCustomerPassword, &kGoods,     &kUnitCosts,
      &kUnitCostDelete, &kGoodByCode, &kGoodsMemo,    &kCarGroups, &kCarMakes,
      &kCarPartNums, &kOrderList, &kOrderSave,        &kOrderDelete, &kOrderOpen,
      &kOrderSample, &kOrderAuth};
  return all;
}

const Command* FindCommand(const std::string& function) {
  for (const Command* c : Commands()) {
    if (function == c->function) return c;
  }
  return nullptr;
}

const Command* FindCommand(const std::string& endpoint, const std::string& code) {
  for (const Command* c : Commands()) {
    if (endpoint == c->endpoint && code == c->code) return c;
  }
  return nullptr;
}

bool IsEndpoint(const std::string& endpoint) {
  for (const Command* c : Commands()) {
    if (endpoint == c->endpoint) return true;
  }
  return false;
}

std::string EndpointPath(const Command& command) {
  return std::string(kNet) + command.endpoint + kPhp;
}

std::string EndpointOfPath(const std::string& path) {
  if (path.size() <= kNetSize + kPhpSize || path.compare(0, kNetSize, kNet) != 0 ||
      path.compare(path.size() - kPhpSize, kPhpSize, kPhp) != 0)
    return std::string();
  return path.substr(kNetSize, path.size() - kNetSize - kPhpSize);
}

std::string RequestText(const Command& command, const std::string& callIndex,
                        const std::string& dbKey, const std::vector<std::string>& extraValues,
                        const std::string& elements) {
  std::string text;
  if (command.header == Header::Full) text += MakeTag("CALL_INDEX", callIndex);
  text += MakeTag("COMMAND", command.code);
  if (command.header != Header::Bare) text += MakeTag("DB_KEY", dbKey);
  return text + Elements(command.extras, extraValues) + elements;
}

std::string Elements(Names names, const std::vector<std::string>& values) {
  std::string text;
  for (std::size_t i = 0; i < names.size(); ++i) {
    const std::string value = i < values.size() ? values[i] : std::string();
    text += *names[i] ? MakeTag(names[i], value) : value;
  }
  return text;
}

}  // namespace tarvik::protocol
