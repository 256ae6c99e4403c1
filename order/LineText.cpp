#include "order/LineText.h"

#include "session/UDM.h"

namespace tarvik {

std::string DraftCellTip(const DraftLine& line, int col) {
  if (line.Empty() || (col != kDColName && col != kDColNote)) return std::string();
  return TrimRightBlanks(line.Cell(col));
}

std::string DraftLineStatus(const DraftLine& line) {
  if (line.Empty()) return std::string();
  std::string s = line.LineNo + ". " + TrimRightBlanks(line.GoodsName);
  const std::string note = TrimRightBlanks(line.LineNote);
  if (!note.empty()) s += "   비고: " + note;
  return s;
}

}  // namespace tarvik
