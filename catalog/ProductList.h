#pragma once
// One 25-row page of a product list (the grids SGU and SGA) and the paging
// rules that move it over its table. No widgets: the screen forwards keys to a
// ProductPage and draws the rows it holds.
#include <array>
#include <string>
#include <vector>

#include "screens/CellFormat.h"
#include "session/GoodsRecord.h"

namespace tarvik {

constexpr int kPageSize = 25;
constexpr int kListColumns = 14;

// Columns of a product list row.
enum ListColumn {
  kColMajor = 0,    // G_GPN1
  kColMinor = 1,    // G_GPN2
  kColName = 2,     // G_NAME
  kColBox = 3,      // G_BOX
  kColPrice = 4,    // U_DATE (orderer class "2") or U_COST
  kColUnitQty = 9,  // never filled
  kColRowNo = 10,   // RowNo as decimal text, "-1" for an empty row
  kColCount = 11,   // U_CNT
  kColBarcode = 12, // G_BCODE
  kColCode = 13     // G_CODE; empty marks an empty row
};

// How a product list cell is drawn; showDate: the orderer's class is "2"
// (column 4 holds U_DATE).
CellText ProductCell(int col, const std::string& raw, bool showDate);

class ProductPage {
 public:
  using Row = std::array<std::string, kListColumns>;

  ProductPage();

  // The table shown and its count. Counts beyond the table's size or below 0
  // are clamped, so a count that overstates the table never reads past it.
  void SetSource(const std::vector<GoodsRecord>* rows, long long count);
  int Count() const { return count_; }
  // Column 4 shows U_DATE instead of U_COST.
  void SetShowDate(bool showDate) { showDate_ = showDate; }

  // direction 0: rows hold records start .. start+24; -1: rows shift down and
  // row 0 takes record start; +1: rows shift up and row 24 takes start+24.
  void FillPage(int start, int direction);
  // Writes record start+row into the row (columns 0-4 and 10-13).
  void FillPageRow(int start, int row);
  // Every row empty.
  void Clear();

  // The keys of the list, each including the grid's own default move.
  void KeyUp();
  void KeyDown();
  void Home();
  void End();
  void PgUp();
  void PgDn();
  // One wheel notch; delta is the wheel delta (<= 0 towards the user).
  void Wheel(int delta);

  int RowCount() const { return static_cast<int>(rows_.size()); }
  int Selected() const { return selected_; }
  void Select(int row);
  const Row& RowAt(int row) const { return rows_.at(row); }
  const std::string& Cell(int row, int col) const { return rows_.at(row).at(col); }
  bool RowEmpty(int row) const { return rows_.at(row)[kColCode].empty(); }
  // RowNo held in a row (-1 for an empty row).
  int RowNoAt(int row) const;
  int Top() const { return RowNoAt(0); }
  int Current() const { return RowNoAt(selected_); }
  // What SBCount shows: the selected record's position, 1-based (0 when empty).
  int Position() const { return Current() + 1; }

 private:
  void SelectUpWhileEmpty();
  Row MakeRow(int index) const;

  std::vector<Row> rows_;
  const std::vector<GoodsRecord>* table_ = nullptr;
  int count_ = 0;
  int selected_ = 0;
  bool showDate_ = false;
};

}  // namespace tarvik
