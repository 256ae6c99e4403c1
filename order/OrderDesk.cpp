#include "order/OrderDesk.h"

namespace tarvik {

void OrderDesk::SendOrder() {}

void OrderDesk::OpenOrder(bool) {}

void OrderDesk::DeleteOrder() {}

void OrderDesk::CopyOrder() {}

void OrderDesk::RegisterSample() {}

void OrderDesk::Print() {}

void OrderDesk::ClearDraft() {
  draft_.ClearDraft();
  port_.RedrawBasket(true);
}

bool OrderDesk::ConfirmExit() const { return tarvik::ConfirmExit(draft_); }

}  // namespace tarvik
