#include "order/OrderDesk.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "net/ServiceRequests.h"
#include "wire/MessageFormat.h"
#include "order/NotSold.h"
#include "order/OrderList.h"
#include "order/BasketJournal.h"
#include "order/OrderPrint.h"
#include "order/OrderWire.h"
#include "platform/Printer.h"
#include "platform/Prompter.h"
#include "platform/BusyCursor.h"
#include "session/Seams.h"
#include "session/Session.h"

namespace tarvik {

const char* const kClearQuestion = "작성중인 내역이 있습니다 \r\r취소하고 화면을 지우시겠습니까?";

namespace {

// A count as the draft keeps it: 0 when the text is not a whole number that
// fits.
int CountOrZero(const std::string& text) {
  if (text.empty() || text.size() > 9) return 0;
  for (char c : text)
    if (c < '0' || c > '9') return 0;
  return std::stoi(text);
}

}  // namespace

bool ReceivedNow(const std::string& status) { return status == "I" || status == "O"; }

std::string ReceivedMessage(const std::string& status) {
  return std::string(status == "O" ? "거래처에서 발주가 이미 접수되었습니다."
                                   : "거래처에서 발주가 접수중입니다.") +
         "\r\r내용을 수정하여 저장해도 거래처에 다시 전송되지 않습니다.\r\r변경을 원할 경우 "
         "[복사]를 클릭하시여 다시 전송하십시요.\r\r신규로 전송됩니다.";
}

std::string BasketStateText(const OrderDraft& draft, BasketOrigin origin) {
  if (draft.OpenedCode.empty()) {
    return origin == BasketOrigin::Sample && draft.HasLines() ? "새 발주 (샘플)" : "새 발주";
  }
  // Date, time and status word as the order list shows them.
  std::string text = origin == BasketOrigin::FoundAfterLostReply ? "접수 확인된 발주" : "발주";
  for (const auto& [col, raw] : {std::pair{OrderList::kColDate, draft.OpenedDate},
                                 std::pair{OrderList::kColTime, draft.OpenedTime}}) {
    const std::string shown = OrderListCell(col, raw).text;
    if (!shown.empty()) text += " " + shown;
  }
  const std::string word = OrderListCell(OrderList::kColStatus, draft.OpenedStatus).text;
  if (!word.empty()) text += " · " + word;
  return text + " · 전송 " + std::to_string(draft.StoredSendCount) + "회";
}

OrderDesk::OrderDesk(TDM& dm, const Seams& seams, OrderDeskPort& port)
    : dm_(dm), seams_(seams), port_(port), draft_(seams.prompter) {}

OrderDesk::~OrderDesk() = default;

void OrderDesk::OpenOrder(bool samples) {
  const std::string code = port_.PickFromOrderList(samples);
  if (code.empty()) return;
  if (HoldsWork(draft_) &&
      !seams_.prompter.AskToDiscard(samples ? "작성중인 내역이 있습니다 \r\r취소하고 샘플을 여시겠습니까?"
                                            : "작성중인 내역이 있습니다 \r\r취소하고 발주를 여시겠습니까?"))
    return;
  ReadOrder(code, samples);
}

void OrderDesk::ReadOrder(const std::string& code, bool samples) {
  std::string reply;
  {
    BusyCursor wait;
    reply = RequestOrderOpen(seams_.service, dm_.MasterInfo.M_CODE, code).reply;
  }
  if (!ReplySucceeded(reply)) {
    seams_.prompter.Show(FailureText("발주 내용 읽기 실패입니다.", reply, "\r\r인터넷 연결을 확인하십시요."));
    return;
  }
  OrderDraft::ChangeBatch batch(draft_);  // the journal takes the opened order in one write
  ClearDraft();
  origin_ = samples ? BasketOrigin::Sample : BasketOrigin::Opened;
  if (!samples) {
    const std::string head = TagValue("ORDERH_DATA", reply);
    draft_.OpenedCode = TagValue("OH_CODE", head);
    draft_.OpenedDate = TagValue("OH_SD", head);
    draft_.OpenedTime = TagValue("OH_AT", head);
    draft_.SendCount = draft_.StoredSendCount = SendCountOf(TagValue("OH_MCOUNT", head));
    draft_.DeliveryDate = TagValue("OH_DD", head);
    draft_.Note = TagValue("OH_NOTE", head);
    draft_.OpenedStatus = TagValue("OH_IOG", head);
    if (draft_.OpenedStatus == "X") draft_.BeingWritten = true;
    if (draft_.OpenedStatus == "O" || draft_.OpenedStatus == "I") {
      port_.RedrawBasket(false);  // the header shows behind the message
      seams_.prompter.Show(ReceivedMessage(draft_.OpenedStatus));
    }
  }
  const std::string lines = TagValue("ORDERL_DATA", reply);
  const ReplyReader records(lines);
  const RecordFields fields({"OL_GC", "OL_GN", "OL_GBOX", "OL_LC", "OL_LN", "G_NAME", "G_BOX"});
  const int count = std::min(CountOrZero(TagValue("OH_RCOUNT", TagValue("ORDERH_DATA", reply))),
                             kMaxDraftLines);
  bool complete = true;
  std::vector<std::string> f;
  for (int r = 0; r < count; ++r) {
    const std::string record = records.Record(static_cast<std::size_t>(r));
    if (record.empty()) {
      complete = false;
      break;
    }
    fields.Read(record, f);
    const bool direct = f[0] == kDirectCode;
    draft_.LoadLine(r, f[0], direct ? f[1] : f[5], direct ? f[2] : f[6], f[3], f[4]);
  }
  const int notSold = MarkLinesNotSold(draft_, dm_.Catalogue.AllGoods, dm_.Catalogue.AllCount);
  port_.RedrawBasket(false);
  if (!complete) seams_.prompter.Show("발주 제품 라인수량 불일치 입니다.\r\r인터넷 연결을 확인하십시요.");
  if (notSold > 0) seams_.prompter.Show(NotSoldMessage(notSold));
}

void OrderDesk::DeleteOrder() {
  if (draft_.OpenedStatus == "I") {
    seams_.prompter.Show("접수중인 내용은 삭제할수 없습니다.");
    return;
  }
  if (draft_.OpenedStatus == "O") {
    seams_.prompter.Show("이미 접수된 내용은 삭제할수 없습니다.");
    return;
  }
  if (draft_.OpenedCode.empty()) return;
  if (!seams_.prompter.AskToDiscard("발주일: " + draft_.OpenedDate + "\r\r" + "발주 내역을 삭제합니다.")) return;
  std::string reply;
  {
    BusyCursor wait;
    reply = RequestOrderDelete(seams_.service, dm_.MasterInfo.M_CODE, draft_.OpenedCode).reply;
  }
  if (!ReplySucceeded(reply)) {
    if (!ExplainRefusal(reply, [](const std::string& status) {
          return status == "O" ? "이미 접수된 내용은 삭제할수 없습니다." : "접수중인 내용은 삭제할수 없습니다.";
        }))
      seams_.prompter.Show(FailureText("발주내역 삭제 오류입니다.", reply, ""));
    return;
  }
  ClearDraft();
  port_.ShowNote("발주 내역을 삭제하였습니다.");
}

void OrderDesk::CopyOrder() {
  if (draft_.OpenedCode.empty()) {
    seams_.prompter.Show("복사할 내용을 열기하여 먼저 선택하십시요.");
    return;
  }
  draft_.SetOpened("", "", "", "", 0);
  origin_ = BasketOrigin::New;
  port_.RedrawBasket(false);
  seams_.prompter.Show("새로운 발주로 복사 돠었습니다.");
}

void OrderDesk::RegisterSample() {
  if (draft_.OpenedCode.empty()) {
    seams_.prompter.Show("먼저 샘플로 등록할 내용을 발주열기하여 선택해 주십시요.");
    return;
  }
  // The supplier may have begun receiving the order since it was opened.
  if ((draft_.OpenedStatus == "X" || draft_.OpenedStatus == "A") && !ReceivedNow(ReadStatusAgain())) {
    seams_.prompter.Show(draft_.OpenedStatus == "X" ? "작성중인 내용은 샘플등록을 할수 없습니다."
                                           : "미접수 내용은 샘플등록을 할수 없습니다.");
    return;
  }
  std::string reply;
  {
    BusyCursor wait;
    reply = RequestOrderSample(seams_.service, dm_.MasterInfo.M_CODE, draft_.OpenedCode, SampleBody(draft_.OpenedCode))
                .reply;
  }
  if (!ReplySucceeded(reply)) {
    if (!ExplainRefusal(reply, ReceivedMessage)) seams_.prompter.Show(FailureText("샘플 등록 오류입니다.", reply, ""));
    return;
  }
  ClearDraft();
  port_.ShowNote("샘플로 등록하였습니다.");
}

std::string OrderDesk::ReadStatusAgain() {
  std::string reply;
  {
    BusyCursor wait;
    reply = RequestOrderOpen(seams_.service, dm_.MasterInfo.M_CODE, draft_.OpenedCode).reply;
  }
  if (!ReplySucceeded(reply)) return std::string();
  const std::string head = TagValue("ORDERH_DATA", reply);
  const std::string status = TagValue("OH_IOG", head);
  if (status.empty()) return status;  // a reply without the header tells nothing
  const short stored = SendCountOf(TagValue("OH_MCOUNT", head));
  // The basket stays as typed; its header learns what the service holds, so
  // the next key refuses at once with the same reason.
  if (status != draft_.OpenedStatus || stored != draft_.StoredSendCount) {
    draft_.SetOpened(draft_.OpenedCode, draft_.OpenedDate, draft_.OpenedTime, status, draft_.SendCount, stored);
    port_.RedrawBasket(false);
  }
  return status;
}

bool OrderDesk::ExplainRefusal(
    const std::string& refused, const std::function<std::string(const std::string& status)>& statusMessage) {
  if (draft_.OpenedCode.empty() || TagValue("RESULT_CODE", refused) != "0") return false;
  const std::string status = ReadStatusAgain();
  if (!ReceivedNow(status)) return false;
  seams_.prompter.Show(statusMessage(status));
  return true;
}

void OrderDesk::Print() { PrintOrderList(draft_, port_.PrintTitle(), seams_.printer, seams_.prompter); }

void OrderDesk::ClearDraft() {
  origin_ = BasketOrigin::New;
  undo_ = UndoStep();
  draft_.ClearDraft();
  port_.RedrawBasket(true);
}

bool OrderDesk::ClearScreen() {
  // One key used to throw away a whole typed basket without a word.
  if (HoldsWork(draft_) && !seams_.prompter.AskToDiscard(kClearQuestion)) return false;
  UndoStep step;
  step.kind = draft_.IsBlank() ? UndoStep::Kind::None : UndoStep::Kind::Basket;
  step.basket = draft_;
  step.origin = origin_;
  ClearDraft();
  undo_ = step;
  return true;
}

void OrderDesk::DeleteLine(int row) {
  draft_.Select(row);
  const DraftLine line = draft_.Line(draft_.Selected());
  if (!draft_.DeleteLine()) return;
  undo_ = UndoStep();
  undo_.kind = UndoStep::Kind::Line;
  undo_.row = row;
  undo_.line = line;
}

bool OrderDesk::Undo() {
  const UndoStep step = undo_;
  switch (step.kind) {
    case UndoStep::Kind::None:
      return false;
    case UndoStep::Kind::Line:
      if (!draft_.InsertLine(step.row, step.line)) return false;
      break;
    case UndoStep::Kind::Basket:
      if (!draft_.IsBlank()) {
        seams_.prompter.Show("화면을 지운 뒤에 작성한 내용이 있어 지운 발주 내역을 되살리지 않았습니다.");
        return false;
      }
      draft_.ReplaceWith(step.basket);
      origin_ = step.origin;
      break;
  }
  undo_ = UndoStep();
  port_.RedrawBasket(false);
  return true;
}

bool OrderDesk::ConfirmExit() {
  if (!tarvik::ConfirmExit(draft_, seams_.prompter)) return false;
  DropJournal();
  // Leaving: whatever the screen does while it closes is no change to keep.
  draft_.SetChangeHook(nullptr);
  journal_.reset();
  return true;
}

}  // namespace tarvik
