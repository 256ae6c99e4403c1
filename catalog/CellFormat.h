#pragma once
// How the product lists and the basket draw their cells (texts only; the
// grids' delegates paint them).
#include <optional>
#include <string>

namespace tarvik {

// The text as a number (blanks around it allowed), or nothing.
std::optional<double> ParseNumber(const std::string& text);

// Thousands separators and at most maxDecimals decimals without trailing
// zeros: the patterns "##,###,##0.##" (2) and "#,0" (0).
std::string FormatGrouped(double value, int maxDecimals);

struct CellText {
  std::string text;
  bool rightAligned = false;
  int indent = 4;  // pixels from the aligned edge
};

// A product list cell; showDate: the orderer's class is "2" (column 4 holds
// U_DATE).
CellText ProductCell(int col, const std::string& raw, bool showDate);
// A basket cell.
CellText DraftCell(int col, const std::string& raw);

}  // namespace tarvik
