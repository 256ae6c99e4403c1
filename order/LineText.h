#pragma once
// The whole texts of a basket line, for where its grid cells cut them: the
// name column (254 pixels) cuts long names and the note column (109 pixels)
// cuts notes of 20 characters.
#include <string>

#include "order/OrderDraft.h"

namespace tarvik {

// The tooltip of a basket cell: the whole name (column kDColName) or note
// (kDColNote) without trailing blanks; empty for other columns, empty rows and
// empty texts (the grid's own hint shows then). On a line marked NotSold
// every cell says so, under the whole name or note where there is one.
std::string DraftCellTip(const DraftLine& line, int col);

// How a basket cell of line is drawn: DraftCell, and on a line marked
// NotSold a red line-number cell with white text and a red name.
CellText DraftLineCell(const DraftLine& line, int col, const std::string& raw);

// The status line for the selected basket line: "3. name" and, when the line
// has a note, "   비고: note"; empty for an empty row.
std::string DraftLineStatus(const DraftLine& line);

}  // namespace tarvik
