// The send after one whose outcome is unknown: the service is asked first
// whether the earlier send was stored, so that the supplier never gets the
// same order twice.
#include <cstdlib>

#include "net/HC.h"
#include "net/MessageFormat.h"
#include "order/OrderDesk.h"
#include "order/OrderWire.h"
#include "order/SendCheck.h"
#include "platform/BusyCursor.h"
#include "platform/Prompter.h"
#include "session/UDM.h"

namespace tarvik {

const char* const kUnsureSendMessage =
    "발주 전송 결과를 확인하지 못했습니다.\r\r인터넷 연결을 확인하신 후 다시 [주문전송]을 누르십시요."
    "\r\r이미 접수된 발주가 있으면 다시 보내기 전에 알려 드립니다.";

namespace {

const char kCannotCheck[] =
    "조금 전에 전송한 발주가 접수되었는지 확인하지 못했습니다.\r\r인터넷 연결을 확인하시고 다시 시도하십시요.";

std::string Arrived(const UnsureCandidate& c, int lines) {
  return "조금 전에 전송한 발주가 이미 접수되어 있습니다.\r\r발주일: " + FormatYymmdd(c.date) + " " +
         c.time.substr(0, 2) + ":" + c.time.substr(2, 2) + "   제품 " + std::to_string(lines) + "개";
}

}  // namespace

bool OrderDesk::SettleUnsureSend() {
  std::string list;
  std::vector<std::string> reads;
  std::vector<UnsureCandidate> candidates;
  {
    BusyCursor wait;
    list = RequestOrderList(dm_.MasterInfo.M_CODE, OrderListBody(dm_.CustomerInfo.C_CODE, false));
    if (ReplySucceeded(list)) {
      candidates = UnsureCandidates(list, draft_.Unsure, QDateTime::currentDateTime());
      for (const UnsureCandidate& c : candidates) reads.push_back(RequestOrderOpen(dm_.MasterInfo.M_CODE, c.code));
    }
  }
  if (!ReplySucceeded(list)) {
    ShowMessage(kCannotCheck);
    return false;
  }
  std::size_t match = candidates.size();
  for (std::size_t i = 0; i < candidates.size(); ++i) {
    if (!ReplySucceeded(reads[i])) {
      ShowMessage(kCannotCheck);
      return false;
    }
    if (match == candidates.size() && StoredOrderMatches(draft_.Unsure.body, reads[i])) match = i;
  }
  const UnsureSend unsure = draft_.Unsure;
  if (match == candidates.size()) {  // not stored: this send is the only one
    draft_.SetUnsure(UnsureSend());
    return true;
  }

  const UnsureCandidate& found = candidates[match];
  const int lines = std::atoi(TagValue("OH_RCOUNT", TagValue("ORDERH_DATA", unsure.body)).c_str());
  const bool unchanged = OrderSaveBody(draft_, dm_.CustomerInfo.C_CODE) == unsure.body;
  const std::string question =
      Arrived(found, lines) + (unchanged ? "\r\r다시 전송하지 않고 접수된 발주를 여시겠습니까?"
                                         : "\r\r그 뒤에 바뀐 내용으로 접수된 발주를 수정하여 전송하시겠습니까?") +
      "\r\r[아니요]를 누르면 새 발주로 한 번 더 전송합니다.";
  if (!AskYesNo(question)) {  // the clerk wants it twice
    draft_.SetUnsure(UnsureSend());
    return true;
  }
  if (unchanged) {
    ReadOrder(found.code, false);  // replaces the draft; a failed read keeps it unsure
    // The lost reply also kept the supplier's message back: it goes now, as
    // after any stored order.
    if (draft_.OpenedCode == found.code) {
      const std::string kind = SendKindOf(draft_.SendCount);
      SendSupplierMessage(dm_.MasterInfo.M_CODE, dm_.CustomerInfo.C_CODE, kind,
                          OrderNotice(dm_.CustomerInfo.C_NAME, kind));
    }
    return false;
  }
  // Changed since: the changes go to the order that arrived.
  const std::string head = TagValue("ORDERH_DATA", reads[match]);
  OrderDraft::ChangeBatch batch(draft_);
  draft_.SetUnsure(UnsureSend());
  draft_.SetOpened(found.code, TagValue("OH_SD", head), TagValue("OH_AT", head), TagValue("OH_IOG", head),
                   SendCountOf(TagValue("OH_MCOUNT", head)));
  port_.RedrawBasket(false);
  return true;
}

}  // namespace tarvik
