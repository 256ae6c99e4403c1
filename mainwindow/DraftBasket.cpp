#include "mainwindow/DraftBasket.h"

#include "order/OrderDraft.h"
#include "order/QuantityDialog.h"
#include "platform/ModalRunner.h"

namespace tarvik {

Offer DraftBasket::AskAndAdd(const OfferedProduct& p, QWidget* over, const QPoint& at) {
  QuantityEntry::Inputs in;
  in.mode = CntMode::Add;
  in.name = p.name;
  in.box = p.box;
  in.unitQty = p.unitQty;
  in.defaultQty = "0";
  TFrmCnt dlg(over, prompter_, in);
  dlg.move(at);
  if (RunModal(dlg) != QDialog::Accepted || !dlg.Result()) return Offer::Cancelled;
  const EnteredLine& e = *dlg.Result();
  return draft_.AddLine(p.code, e.name, e.box, e.qty, e.note) ? Offer::Added : Offer::NotAdded;
}

}  // namespace tarvik
