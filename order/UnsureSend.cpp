// The send after one whose outcome is unknown: the service is asked first
// whether the earlier send was stored, so that the supplier never gets the
// same order twice. A journal left by a send is asked about the same way.
#include <cstdlib>

#include "net/ServiceRequests.h"
#include "wire/MessageFormat.h"
#include "order/OrderDesk.h"
#include "order/OrderWire.h"
#include "order/SendCheck.h"
#include "platform/BusyCursor.h"
#include "platform/Prompter.h"
#include "session/Seams.h"
#include "session/Session.h"
#include "text/Text.h"

namespace tarvik {

const char* const kUnsureSendMessage =
    "발주 전송 결과를 확인하지 못했습니다.\r\r인터넷 연결을 확인하신 후 다시 [주문전송]을 누르십시요."
    "\r\r이미 접수된 발주가 있으면 다시 보내기 전에 알려 드립니다.";

namespace {

const char kCannotCheck[] =
    "조금 전에 전송한 발주가 접수되었는지 확인하지 못했습니다.\r\r인터넷 연결을 확인하시고 다시 시도하십시요.";

std::string Arrived(const char* lead, const UnsureCandidate& c, const UnsureSend& sent) {
  const int lines = std::atoi(TagValue("OH_RCOUNT", TagValue("ORDERH_DATA", sent.body)).c_str());
  return std::string(lead) + "\r\r발주일: " + FormatYymmdd(c.date) + " " + c.time.substr(0, 2) + ":" +
         c.time.substr(2, 2) + "   제품 " + std::to_string(lines) + "개";
}

// The stored order that holds every line of a journal's basket.
std::string HeldBy(const UnsureCandidate& c, const std::string& read) {
  return "저장되어 있던 발주 내용의 제품이 모두 이미 전송된 발주에 들어 있습니다.\r\r발주일: " + FormatYymmdd(c.date) +
         " " + c.time.substr(0, 2) + ":" + c.time.substr(2, 2) + "   제품 " +
         TrimBlanks(TagValue("OH_RCOUNT", TagValue("ORDERH_DATA", read))) + "개";
}

}  // namespace

OrderDesk::Lookup OrderDesk::LookUpStored(const UnsureSend& unsure, UnsureCandidate& found,
                                          std::string& openReply, bool journal) {
  PostOutcome listed;
  std::vector<std::string> reads;
  std::vector<UnsureCandidate> candidates;
  const std::string& list = listed.reply;
  {
    BusyCursor wait;
    listed = RequestOrderList(seams_.service, dm_.MasterInfo.M_CODE, OrderListBody(dm_.CustomerInfo.C_CODE, false));
    if (ReplySucceeded(list)) {
      const QDateTime now = seams_.clock(), serviceNow = ServiceTimeOf(listed.date);
      candidates = journal ? JournalCandidates(list, unsure.at, now, serviceNow)
                           : UnsureCandidates(list, unsure, now, serviceNow);
      for (const UnsureCandidate& c : candidates)
        reads.push_back(RequestOrderOpen(seams_.service, dm_.MasterInfo.M_CODE, c.code).reply);
    }
  }
  if (!ReplySucceeded(list)) return Lookup::CannotCheck;
  for (const std::string& read : reads)
    if (!ReplySucceeded(read)) return Lookup::CannotCheck;
  for (std::size_t i = 0; i < candidates.size(); ++i) {
    if (journal ? StoredOrderHoldsLines(unsure.body, reads[i]) : StoredOrderMatches(unsure.body, reads[i])) {
      found = candidates[i];
      openReply = reads[i];
      return Lookup::Found;
    }
  }
  return Lookup::NotFound;
}

bool OrderDesk::SettleUnsureSend() {
  UnsureCandidate found;
  std::string read;
  const Lookup lookup = LookUpStored(draft_.Unsure, found, read, draft_.Unsure.fromJournal);
  if (lookup == Lookup::CannotCheck) {
    seams_.prompter.Show(kCannotCheck);
    return false;
  }
  const UnsureSend unsure = draft_.Unsure;
  if (lookup == Lookup::NotFound) {  // not stored: this send is the only one
    draft_.SetUnsure(UnsureSend());
    return true;
  }
  if (unsure.fromJournal) {  // the order found may hold more: never changed from here
    const bool again = seams_.prompter.AskYesNo(
        HeldBy(found, read) + "\r\r그래도 새 발주로 전송하시겠습니까?\r\r[아니요]를 누르면 전송하지 않습니다. "
                              "전송된 발주는 [주문열기]로 볼 수 있습니다.",
        std::string(), true);
    if (again) draft_.SetUnsure(UnsureSend());
    return again;
  }

  const bool unchanged = OrderSaveBody(draft_, dm_.CustomerInfo.C_CODE) == unsure.body;
  const std::string question =
      Arrived("조금 전에 전송한 발주가 이미 접수되어 있습니다.", found, unsure) +
      (unchanged ? "\r\r다시 전송하지 않고 접수된 발주를 여시겠습니까?"
                 : "\r\r그 뒤에 바뀐 내용으로 접수된 발주를 수정하여 전송하시겠습니까?") +
      "\r\r[아니요]를 누르면 새 발주로 한 번 더 전송합니다.";
  if (!seams_.prompter.AskYesNo(question)) {  // the clerk wants it twice
    draft_.SetUnsure(UnsureSend());
    return true;
  }
  if (unchanged) {
    ReadOrder(found.code, false);  // replaces the draft; a failed read keeps it unsure
    if (draft_.OpenedCode == found.code) {
      origin_ = BasketOrigin::FoundAfterLostReply;
      port_.RedrawBasket(false);
    }
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
  const std::string head = TagValue("ORDERH_DATA", read);
  {
    OrderDraft::ChangeBatch batch(draft_);
    draft_.SetUnsure(UnsureSend());
    draft_.SetOpened(found.code, TagValue("OH_SD", head), TagValue("OH_AT", head), TagValue("OH_IOG", head),
                     SendCountOf(TagValue("OH_MCOUNT", head)));
  }
  origin_ = BasketOrigin::FoundAfterLostReply;
  port_.RedrawBasket(false);
  // The supplier first hears of the order the lost reply stored, then (after
  // this send) of its change.
  const std::string kind = SendKindOf(draft_.SendCount);
  SendSupplierMessage(dm_.MasterInfo.M_CODE, dm_.CustomerInfo.C_CODE, kind,
                      OrderNotice(dm_.CustomerInfo.C_NAME, kind));
  return true;
}

bool OrderDesk::OfferLeftJournal(OrderDraft& left, const std::string& saved) {
  // A reopened order sent again changes that order, and an unsure send is
  // settled by the next F7: only a new order can be stored twice from here.
  if (!left.OpenedCode.empty() || !left.Unsure.Empty() || !left.HasLines())
    return seams_.prompter.AskYesNo(RestoreQuestion(left, saved));
  // A journal that could not be removed after its send holds the basket as
  // last written: the order sent holds all of its lines, maybe more.
  const UnsureSend sent{OrderSaveBody(left, dm_.CustomerInfo.C_CODE), saved};
  UnsureCandidate found;
  std::string read;
  std::string question;
  switch (LookUpStored(sent, found, read, true)) {
    case Lookup::NotFound:
      return seams_.prompter.AskYesNo(RestoreQuestion(left, saved));
    case Lookup::CannotCheck:
      left.SetUnsure({sent.body, sent.at, true});  // F7 asks the service first
      question = RestoreQuestion(left, saved, "이미 전송된 발주인지 서버에 확인하지 못했습니다.");
      break;
    case Lookup::Found:
      question = HeldBy(found, read) + "\r\r저장된 내용(제품 " + std::to_string(left.LineCount()) +
                 "개)을 그래도 불러오시겠습니까?\r\r[아니요]를 누르면 저장된 내용은 지워집니다. "
                 "전송된 발주는 [주문열기]로 볼 수 있습니다.";
      break;
  }
  // An Enter by habit must not make it a second order.
  return seams_.prompter.AskYesNo(question, std::string(), true);
}

}  // namespace tarvik
