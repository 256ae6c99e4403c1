#include "order/OrderDesk.h"

#include "order/OrderPrint.h"
#include "platform/Printer.h"

namespace tarvik {

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

bool OrderDesk::ConfirmExit() const { return tarvik::ConfirmExit(draft_); }

}  // namespace tarvik
