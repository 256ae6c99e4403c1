#pragma once
// The basket port of the catalogue's screens over the order draft: the
// quantity dialog for adding, then the draft's AddLine.
#include "catalog/BasketPort.h"

namespace tarvik {

class OrderDraft;
class Prompter;

class DraftBasket : public BasketPort {
 public:
  // draft and prompter (the quantity dialog's) must outlive this.
  DraftBasket(OrderDraft& draft, Prompter& prompter) : draft_(draft), prompter_(prompter) {}
  Offer AskAndAdd(const OfferedProduct& p, QWidget* over, const QPoint& at) override;

 private:
  OrderDraft& draft_;
  Prompter& prompter_;
};

}  // namespace tarvik
