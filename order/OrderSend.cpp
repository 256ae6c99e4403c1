// Sending the draft (F7) and the message to the supplier that follows.
#include "net/ServiceRequests.h"
#include "wire/MessageFormat.h"
#include "order/NotSold.h"
#include "order/OrderDesk.h"
#include "order/OrderWire.h"
#include "order/SendCheck.h"
#include "platform/Prompter.h"
#include "platform/BusyCursor.h"
#include "session/Seams.h"
#include "session/Session.h"
#include "text/Text.h"

namespace tarvik {

void OrderDesk::SendOrder() {
  if (!draft_.HasLines()) {
    seams_.prompter.Show("발주할 제품이 없습니다.");
    return;
  }
  if (!CheckYymmdd(draft_.DeliveryDate, true)) {
    seams_.prompter.Show("배송일을 정확히 입력해 주십시요.");
    return;
  }
  // The service refuses an order with a product it no longer sells.
  if (const std::string notSold = NotSoldLines(draft_); !notSold.empty()) {
    seams_.prompter.Show(notSold);
    return;
  }
  if (!draft_.Unsure.Empty() && !SettleUnsureSend()) return;
  if (draft_.OpenedStatus == "I") {
    seams_.prompter.Show("접수중인 내용은 수정할수 없습니다.");
    return;
  }
  if (draft_.OpenedStatus == "O") {
    seams_.prompter.Show("이미 접수된 내용은 수정할수 없습니다.");
    return;
  }
  draft_.Select(draft_.LineCount() - 1);  // the walk over the lines ends on the last
  draft_.RaiseSendCount();
  const std::string kind = SendKindOf(draft_.SendCount);
  const std::string body = OrderSaveBody(draft_, dm_.CustomerInfo.C_CODE);
  PostOutcome sent;
  {
    BusyCursor wait;
    sent = RequestOrderSave(seams_.service, dm_.MasterInfo.M_CODE, body);
  }
  const std::string& reply = sent.reply;
  const SaveOutcome outcome = SaveOutcomeOf(sent);
  if (outcome != SaveOutcome::Stored) {
    // A re-send names its order, so sending it again changes that one; a new
    // order that may be stored must be looked for before it goes again.
    const bool unsure = outcome == SaveOutcome::Unknown && draft_.OpenedCode.empty();
    if (unsure) draft_.SetUnsure({body, UnsureStamp(seams_.clock())});
    port_.RedrawBasket(false);
    if (unsure) {
      seams_.prompter.Show(kUnsureSendMessage);
    } else if (!ExplainRefusal(reply, ReceivedMessage)) {
      seams_.prompter.Show(FailureText("발주 전송 실패입니다.", reply, "\r\r인터넷 연결을 확인하십시요."));
    }
    return;
  }
  const bool beingWritten = draft_.BeingWritten;
  // The order is stored: a failed message is told but changes nothing.
  SendSupplierMessage(dm_.MasterInfo.M_CODE, dm_.CustomerInfo.C_CODE, kind,
                      OrderNotice(dm_.CustomerInfo.C_NAME, kind));
  seams_.prompter.Show("발주 내용을 전송하였습니다.\r\r[발주열기]를 클릭하여 내용을 학인하십시요.");
  ClearDraft();
  if (beingWritten) port_.ShowNote("작성중으로 전송하였습니다: 거래처에서 아직 접수할 수 없습니다.");
}

bool OrderDesk::SendSupplierMessage(const std::string& supplierCode, const std::string& ordererCode,
                                    const std::string& sendKind, const std::string& notice) {
  std::string reply;
  {
    BusyCursor wait;
    reply = RequestOrderAuth(seams_.service, SupplierMessageBody(supplierCode, ordererCode, sendKind, notice)).reply;
  }
  if (ReplySucceeded(reply)) return true;
  seams_.prompter.Show(FailureText("메세지 보내기 오류입니다", reply, "\r\r인터넷을 확인 하십시요."));
  return false;
}

}  // namespace tarvik
