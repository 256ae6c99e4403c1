#pragma once
// How the grids draw their cells (texts only; RowGrid's delegate paints them):
// the text of a cell and the number format the lists share.
#include <cstdint>
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
  int top = 4;     // pixels below the cell's top
  // A fixed text colour 0xRRGGBB, also on the selected row; none: the grid's
  // own text colour (normal, or highlighted on the selected row).
  std::optional<std::uint32_t> rgb = std::nullopt;
  // A fixed cell background 0xRRGGBB, also on the selected row; none: the
  // grid's own.
  std::optional<std::uint32_t> background = std::nullopt;
};

}  // namespace tarvik
