#pragma once
// The product lists of the main screen (the grids SGU and SGA) without
// widgets: their columns, their rows read from a product table, and how their
// cells are drawn.
#include <string>
#include <vector>

#include "screens/CellFormat.h"
#include "screens/PagedList.h"
#include "session/GoodsRecord.h"

namespace tarvik {

constexpr int kPageSize = kPagedRows;
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

// A product table as list rows: row n is record n of the table (columns
// above); a row at or past the count, or below 0, is empty and carries -1.
class GoodsTableSource : public RowSource {
 public:
  // A count beyond the table's size or below 0 is clamped, so a count that
  // overstates the table never reads past it.
  void SetTable(const std::vector<GoodsRecord>* rows, long long count);
  // Column 4 shows U_DATE instead of U_COST.
  void SetShowDate(bool showDate) { showDate_ = showDate; }

  long long Count() const override { return count_; }
  PagedRow Row(long long n) const override;

 private:
  const std::vector<GoodsRecord>* table_ = nullptr;
  long long count_ = 0;
  bool showDate_ = false;
};

// One 25-row page of a product list (the grids SGU and SGA): a PagedList over
// a product table. Only a wheel notch on row 24 (or 0) itself moves the page.
class ProductPage : public PagedList {
 public:
  ProductPage();

  void SetSource(const std::vector<GoodsRecord>* rows, long long count) { source_.SetTable(rows, count); }
  void SetShowDate(bool showDate) { source_.SetShowDate(showDate); }

 private:
  GoodsTableSource source_;
};

}  // namespace tarvik
