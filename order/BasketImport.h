#pragma once
// Filling the basket from a list of products a shop already has: cells copied
// from a spreadsheet, a CSV file, a colleague's message. Each row names a
// product by barcode (G_BCODE) or code (G_CODE), then optionally a quantity.
// Reading, matching and the plan of what Enter will do live here, without
// widgets; the dialog TFrmListPaste only shows the plan.
#include <string>
#include <vector>

#include "order/OrderDraft.h"
#include "session/GoodsRecord.h"

namespace tarvik {

class Prompter;

// Limits of one list: a file larger than this is not read, a list with more
// rows than this is not taken.
constexpr long long kListFileBytes = 1 << 20;
constexpr int kListRows = 2000;

// The bytes of a file as UTF-8: a UTF-8 byte order mark is dropped, valid
// UTF-8 stays as it is, anything else (also after the mark) is read as CP949.
std::string DecodeListBytes(const std::string& bytes);

// Reads a list file. False with a Korean message when it cannot be read or
// is larger than kListFileBytes.
bool ReadListFile(const std::string& path, std::string& text, std::string& message);

// One row of a list as written.
struct ListRow {
  int rowNo = 0;           // line of the text, from 1 (a header row counts)
  std::vector<std::string> keys;  // code or barcode candidates, in column order
  std::string quantity;    // as written, blanks trimmed; empty: none given
};

// Splits text into rows. Fields are separated by tab, else semicolon, else
// comma, else blanks (decided per line: a line holding a tab is split at
// tabs, and so on; a comma line whose first field holds a blank is split at
// blanks, so "P1 1,200" keeps its thousands separator); double quotes protect
// separators ("P1,\"1,200\""). Without a header the first field is the
// product and the second the quantity.
// A first row naming a code column ("G_CODE", "제품코드", "바코드", "code"…) is
// a header: its code and barcode columns and its quantity column ("수량",
// "qty"…) are used. Blank lines are skipped but counted.
std::vector<ListRow> SplitListRows(const std::string& text);

// What Enter does with one row.
enum class RowVerdict {
  Add,        // a new basket line
  Raise,      // raises the quantity of a line already in the basket
  Merged,     // the product of an earlier row of this list: added to it
  Unknown,    // no product has this code or barcode
  NotNumber,  // the quantity is not a number (or has more than two decimals, or is too large)
  NotPositive,// the quantity is zero or below
  Full        // the basket has no free line left for it
};

struct PlannedRow {
  int rowNo = 0;
  std::string key;       // the code or barcode as written
  std::string quantity;  // as written; "1" when the row gave none
  RowVerdict verdict = RowVerdict::Unknown;
  std::string code, name, box;  // the product found (good and Full rows)
  int mergedInto = 0;    // Merged: the row number it joins
  std::string before;    // Raise: the line's quantity before
  std::string after;     // Add, Raise: the line's quantity once every row is in

  bool Good() const {
    return verdict == RowVerdict::Add || verdict == RowVerdict::Raise || verdict == RowVerdict::Merged;
  }
  // The result column: "새 줄", "3 → 8", "2행에 더함", or why the row is refused.
  std::string ResultText() const;
};

// A product table to look in, with its count.
struct GoodsTable {
  const std::vector<GoodsRecord>* rows = nullptr;
  long long count = 0;
};

class ListPlan {
 public:
  // Looks each row up in tables in their order (the visible list's table,
  // then all products): a row's code first, then its barcode. Rows naming one
  // product are merged into its first row. A product not yet in draft takes a
  // free line while there is one. The plan is made on a copy of draft through
  // the operations Apply uses, so it shows what Apply will do.
  ListPlan(const std::vector<ListRow>& rows, const std::vector<GoodsTable>& tables,
           const OrderDraft& draft);

  const std::vector<PlannedRow>& Rows() const { return rows_; }
  int GoodRows() const;
  int RefusedRows() const;
  // "넣을 행 8 (새 줄 6, 수량 더함 1, 합침 1) · 제외 2행"
  std::string Summary() const;

  // Good rows whose quantity lies above kPlausibleQuantity (a barcode in the
  // quantity column) are asked about in one question naming each row's
  // product and quantity, No by default. True when there are none or Yes.
  bool ConfirmQuantities(Prompter& prompter) const;

  // Adds every good row through AddOrRaise (merged rows as one quantity),
  // in the order of the rows. Returns the number of lines added or raised.
  int Apply(OrderDraft& draft) const;

 private:
  struct Product {
    std::string code, name, box;
    long long hundredths = 0;
  };
  // Where the good rows go as the plan is made: the draft's free lines, the
  // first row of each product, the products refused for want of a line.
  struct Placing;
  // The verdict of r, a row of a known product and a positive quantity;
  // its product kept when it takes a line or raises one.
  void Place(PlannedRow& r, long long hundredths, const OrderDraft& draft, Placing& placing);

  std::vector<PlannedRow> rows_;
  std::vector<Product> products_;  // good products, in the order of their first row
};

}  // namespace tarvik
