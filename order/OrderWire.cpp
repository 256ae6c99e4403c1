#include "order/OrderWire.h"

#include "wire/MessageFormat.h"
#include "order/OrderDraft.h"
#include "wire/Text.h"

namespace tarvik {

std::string OrderSaveBody(const OrderDraft& draft, const std::string& ordererCode) {
  const int lines = draft.LineCount();
  const std::string head =
      MakeTag("OH_CODE", draft.OpenedCode) + MakeTag("OH_SD", draft.OpenedDate) +
      MakeTag("OH_AT", draft.OpenedTime) + MakeTag("OH_MT", "") +
      MakeTag("OH_MCOUNT", std::to_string(draft.SendCount)) + MakeTag("OH_DD", draft.DeliveryDate) +
      MakeTag("OH_CC", ordererCode) + MakeTag("OH_TYPE", "C") +
      MakeTag("OH_IOG", draft.BeingWritten ? "X" : "A") + MakeTag("OH_SG", "0") +
      MakeTag("OH_SCODE", "") + MakeTag("OH_RCOUNT", std::to_string(lines)) +
      MakeTag("OH_NOTE", TrimBlanks(draft.Note));
  std::string records;
  for (int r = 0; r < lines; ++r) {
    const DraftLine& l = draft.Line(r);
    const bool direct = l.GoodsCode == kDirectCode;
    records += MakeTag("OLD_" + std::to_string(r),
                       MakeTag("OL_NO", std::to_string(r)) + MakeTag("OL_CC", ordererCode) +
                           MakeTag("OL_OC", "") + MakeTag("OL_GC", l.GoodsCode) +
                           MakeTag("OL_GN", direct ? l.GoodsName : "") +
                           MakeTag("OL_GBOX", direct ? l.GoodsBox : "") +
                           MakeTag("OL_LC", StripCommas(l.Quantity)) +
                           MakeTag("OL_LN", TrimRightBlanks(l.LineNote)));
  }
  return MakeTag("ORDERH_DATA", head) + MakeTag("ORDERL_DATA", records);
}

std::string SendKindOf(int sendCount) { return sendCount == 1 ? "O" : "R"; }

std::string OrderNotice(const std::string& ordererName, const std::string& sendKind) {
  return "거래처\r\n\r\n" + ordererName + " 에서\r\n\r\n" +
         (sendKind == "O" ? "발주가 왔습니다." : "발주가 수정되었습니다.");
}

std::string SupplierMessageBody(const std::string& supplierCode, const std::string& ordererCode,
                                const std::string& sendKind, const std::string& notice) {
  return MakeTag("OA_CODE", "") + MakeTag("OA_SC", supplierCode) + MakeTag("OA_CC", ordererCode) +
         MakeTag("OA_IOG", sendKind) + MakeTag("OA_STATUS", "W") + MakeTag("OA_WDATE", "") +
         MakeTag("OA_WTIME", "") + MakeTag("OA_RTIME", "") + MakeTag("OA_MSG", notice);
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
  return condition + MakeTag("WHERE_OPTION", condition) + MakeTag("ORDERBY", "OH_SD DESC,OH_CODE DESC");
}

std::string SampleBody(const std::string& orderCode) {
  return MakeTag("ORDERH_DATA", MakeTag("OH_CODE", orderCode) + MakeTag("OH_SG", "1"));
}

std::string FailureText(const std::string& lead, const std::string& reply, const std::string& advice) {
  const std::string why = TrimBlanks(TagValue("RESULT_MSG", reply));
  if (TagValue("RESULT_CODE", reply) == "0" && !why.empty()) return lead + "\r\r" + why;
  return lead + advice;
}

}  // namespace tarvik
