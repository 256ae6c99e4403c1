#pragma once
// TFrmListPaste: the small modal dialog that shows a pasted or opened list of
// products before it goes into the basket, one grid row per list row: its row
// number, the code as written, the product's name, the quantity and what
// Enter will do or why the row is refused (in red). Enter (or "넣기") closes
// with OK, Esc (or "취소") with Cancel; the caller applies the plan on OK.
#include <QDialog>

#include <string>

#include "order/BasketImport.h"

namespace tarvik {

class RowGrid;

class TFrmListPaste : public QDialog {
  Q_OBJECT
 public:
  // source: where the list came from, shown in the title strip ("클립보드"
  // or a file name). plan must outlive the dialog.
  TFrmListPaste(QWidget* parent, const ListPlan& plan, const std::string& source);

  RowGrid* Grid() const { return grid_; }

  // Columns of the grid.
  enum Column { kColRowNo, kColKey, kColName, kColQuantity, kColResult, kColumns };
  // The text of a grid cell.
  std::string Cell(int row, int col) const;

 protected:
  void keyPressEvent(QKeyEvent* e) override;

 private:
  const ListPlan& plan_;
  RowGrid* grid_ = nullptr;
};

}  // namespace tarvik
