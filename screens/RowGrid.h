#pragma once
// A string grid without headers over rows held elsewhere (a ProductPage, the
// order draft): whole-row selection, cells drawn by a format function. The
// grid never changes the rows; the screen refreshes it after each change.
#include <QAbstractTableModel>
#include <QTableView>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "screens/CellFormat.h"

namespace tarvik {

// The WCAG contrast ratio of two colours (1 to 21).
double Contrast(const QColor& a, const QColor& b);
// Background and text of a selected row, with and without the focus: the
// palette's highlight pair (the background made darker or lighter until the
// text reads at 4.5 : 1) with it; without it the palette's inactive pair
// where that reads and stands out from the rows, else a pale tint of the
// highlight under the normal text colour.
std::pair<QColor, QColor> SelectionColours(const QPalette& palette, bool focused);

class RowGrid : public QTableView {
  Q_OBJECT
 public:
  using CellFn = std::function<std::string(int row, int col)>;
  using FormatFn = std::function<CellText(int col, const std::string& raw)>;
  using RowFormatFn = std::function<CellText(int row, int col, const std::string& raw)>;

  RowGrid(QWidget* parent, const char* name, int rows, int cols, CellFn cell, FormatFn format);

  // Shows the first widths.size() columns with these widths, hides the rest.
  void SetVisibleWidths(std::initializer_list<int> widths);
  void SetVisibleWidths(const std::vector<int>& widths);
  // Cells whose text tip gives a non-empty text show it as their tooltip on
  // hover; elsewhere the grid's own tooltip (its hint) shows.
  void SetCellTips(CellFn tip);
  // Cells are drawn by format, which is told the row as well (for marks a
  // row carries beside its texts), instead of the format function.
  void SetRowFormat(RowFormatFn format);
  // Redraws every cell and puts the selection on row (no signal).
  void Refresh(int selectedRow);
  // For lists whose length follows their content: the grid gets rows rows;
  // column widths and hidden columns stay (no signal).
  void SetRowCount(int rows);
  // The row count changed (the basket is fixed, a page too).
  int SelectedRow() const;

 signals:
  // The user moved the selection (click or a key the grid handled itself).
  void RowChosen(int row);
  void RowDoubleClicked(int row);

 private:
  class Model;
  class Delegate;
  Model* model_;
  Delegate* delegate_;
  bool refreshing_ = false;
};

}  // namespace tarvik
