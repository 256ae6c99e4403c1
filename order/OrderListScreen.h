#pragma once
// TFrmOrderS: the order list (or the sample list) over the main screen. Its
// first activation loads the list once (OrderList); Enter, the "Enter"
// button or a double-click close it with OK and the chosen order's OH_CODE
// in Chosen(); an empty row, Esc or the "Esc" button close it with cancel and
// nothing chosen.
#include <string>

#include "order/OrderList.h"
#include "screens/ListScreen.h"

namespace tarvik {

class RowGrid;
class TDM;
struct Seams;

class TFrmOrderS : public TListScreen {
  Q_OBJECT
 public:
  // sampleMode: the samples instead of the sent orders; dm and seams must
  // outlive the screen.
  TFrmOrderS(QWidget* parent, TDM& dm, const Seams& seams, bool sampleMode);
  // The OH_CODE of the order chosen with OK; empty otherwise.
  const std::string& Chosen() const { return chosen_; }

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
  const Seams& seams_;
  bool sampleMode_;
  bool activated_ = false;
  OrderList orders_;
  RowGrid* grid_ = nullptr;
  std::string chosen_;
};

}  // namespace tarvik
