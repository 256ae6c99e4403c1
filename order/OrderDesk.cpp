#include "order/OrderDesk.h"

#include "order/OrderPrint.h"
#include "platform/Printer.h"
#include "platform/Prompter.h"

namespace tarvik {

const char* const kClearQuestion = "작성중인 내역이 있습니다 \r\r취소하고 화면을 지우시겠습니까?";

void OrderDesk::SendOrder() {}

void OrderDesk::OpenOrder(bool) {}

void OrderDesk::DeleteOrder() {}

void OrderDesk::CopyOrder() {}

void OrderDesk::RegisterSample() {}

void OrderDesk::Print() { PrintOrderList(draft_, port_.PrintTitle(), CurrentPrinter()); }

void OrderDesk::ClearDraft() {
  draft_.ClearDraft();
  port_.RedrawBasket(true);
}

bool OrderDesk::ClearScreen() {
  // One key used to throw away a whole typed basket without a word. The
  // basket counts as holding a line as it does for Esc.
  const DraftLine& first = draft_.Line(0);
  const bool hasLine = !first.Empty() || !first.GoodsName.empty();
  if (hasLine && !AskYesNo(kClearQuestion)) return false;
  ClearDraft();
  return true;
}

bool OrderDesk::ConfirmExit() const { return tarvik::ConfirmExit(draft_); }

}  // namespace tarvik
