#pragma once
// TFrmOrderS: the order list (or the sample list) over the main screen. Its
// first activation loads the list once (OrderList); Enter, the "Enter"
// button or a double-click close it with OK and leave the chosen order's
// OH_CODE in the session's PickCode; an empty row, Esc or the "Esc" button
// close it with cancel and an empty PickCode.
#include <string>

#include "order/OrderList.h"
#include "screens/ListScreen.h"

namespace tarvik {

class RowGrid;
class TDM;

class TFrmOrderS : public TListScreen {
  Q_OBJECT
 public:
  // sampleMode: the samples instead of the sent orders. Empties PickCode;
  // dm must outlive the screen.
  TFrmOrderS(QWidget* parent, TDM& dm, bool sampleMode);

  bool SampleMode() const { return sampleMode_; }
  OrderList& Orders() { return orders_; }
  RowGrid* Grid() const { return grid_; }
  // The first activation: loads the list (once) and shows it.
  void Activate();

 protected:
  void OnListButton(ListButton which) override;
  void showEvent(QShowEvent* e) override;

 private:
  TDM& dm_;
  bool sampleMode_;
  bool activated_ = false;
  OrderList orders_;
  RowGrid* grid_ = nullptr;
};

}  // namespace tarvik
