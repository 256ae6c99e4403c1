#include "order/OrderWire.h"

#include "protocol/CommandTable.h"
#include "wire/MessageFormat.h"
#include "order/OrderDraft.h"
#include "text/Text.h"

namespace tarvik {

std::string OrderSaveBody(const OrderDraft& draft, const std::string& ordererCode) {
  const int lines = draft.LineCount();
  const std::string head = protocol::Elements(
      protocol::kOrderHeader,
      {draft.OpenedCode, draft.OpenedDate, draft.OpenedTime, "", std::to_string(draft.SendCount),
       draft.DeliveryDate, ordererCode, "C", draft.BeingWritten ? "X" : "A", "0", "",
       std::to_string(lines), TrimBlanks(draft.Note)});
  std::string records;
  for (int r = 0; r < lines; ++r) {
    const DraftLine& l = draft.Line(r);
    const bool direct = l.GoodsCode == kDirectCode;
    records += MakeTag("OLD_" + std::to_string(r),
                       protocol::Elements(protocol::kOrderLine,
                                          {std::to_string(r), ordererCode, "", l.GoodsCode,
                                           direct ? l.GoodsName : "", direct ? l.GoodsBox : "",
                                           StripCommas(l.Quantity), TrimRightBlanks(l.LineNote)}));
  }
  return protocol::Elements(protocol::kOrderSave.carries, {head, records});
}

std::string SendKindOf(int sendCount) { return sendCount == 1 ? "O" : "R"; }

std::string OrderNotice(const std::string& ordererName, const std::string& sendKind) {
  return "거래처\r\n\r\n" + ordererName + " 에서\r\n\r\n" +
         (sendKind == "O" ? "발주가 왔습니다." : "발주가 수정되었습니다.");
}

std::string SupplierMessageBody(const std::string& supplierCode, const std::string& ordererCode,
                                const std::string& sendKind, const std::string& notice) {
  return protocol::Elements(protocol::kOrderAuth.carries,
                            {"", supplierCode, ordererCode, sendKind, "W", "", "", "", notice});
}

short SendCountOf(const std::string& mcount) {
  if (mcount.empty() || mcount.size() > 5 || mcount.find_first_not_of("0123456789") != std::string::npos) return 0;
  const int v = std::stoi(mcount);
  return v <= 32767 ? static_cast<short>(v) : 0;
}

std::string OrderListCondition(const std::string& ordererCode, bool samples) {
  return " OH_CC = '" + ordererCode + "' AND OH_SG='" + (samples ? "1" : "0") + "' ";
}

std::string OrderListBody(const std::string& ordererCode, bool samples) {
  const std::string condition = OrderListCondition(ordererCode, samples);
  return protocol::Elements(protocol::kOrderList.carries,
                            {condition, condition, "OH_SD DESC,OH_CODE DESC"});
}

std::string SampleBody(const std::string& orderCode) {
  return protocol::Elements(protocol::kOrderSample.carries,
                            {MakeTag("OH_CODE", orderCode) + MakeTag("OH_SG", "1")});
}

std::string FailureText(const std::string& lead, const std::string& reply, const std::string& advice) {
  const std::string why = TrimBlanks(TagValue("RESULT_MSG", reply));
  if (TagValue("RESULT_CODE", reply) == "0" && !why.empty()) return lead + "\r\r" + why;
  return lead + advice;
}

}  // namespace tarvik
