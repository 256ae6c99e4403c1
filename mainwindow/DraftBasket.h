#pragma once
// The basket port of the catalogue's screens over the order draft: the
// quantity dialog for adding, then the draft's AddLine.
#include "catalog/BasketPort.h"

namespace tarvik {

class OrderDraft;

class DraftBasket : public BasketPort {
 public:
  // draft must outlive this.
  explicit DraftBasket(OrderDraft& draft) : draft_(draft) {}
  Offer AskAndAdd(const OfferedProduct& p, QWidget* over, const QPoint& at) override;

 private:
  OrderDraft& draft_;
};

}  // namespace tarvik
