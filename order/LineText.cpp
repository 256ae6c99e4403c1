#include "order/LineText.h"

#include "order/NotSold.h"
#include "text/Text.h"

namespace tarvik {

namespace {
constexpr std::uint32_t kMarkRed = 0xD01010, kWhite = 0xFFFFFF;
}  // namespace

std::string DraftCellTip(const DraftLine& line, int col) {
  if (line.Empty()) return std::string();
  const std::string text =
      col == kDColName || col == kDColNote ? TrimRightBlanks(line.Cell(col)) : std::string();
  if (!line.NotSold) return text;
  return text.empty() ? kNotSoldTip : text + "\n" + kNotSoldTip;
}

CellText DraftLineCell(const DraftLine& line, int col, const std::string& raw) {
  CellText c = DraftCell(col, raw);
  if (!line.NotSold) return c;
  if (col == kDColLineNo) {
    c.background = kMarkRed;
    c.rgb = kWhite;
  } else if (col == kDColName) {
    // The code tells the clerk which product it was, also without a name.
    c.text = "[" + line.GoodsCode + "]" + (c.text.empty() ? "" : " " + c.text);
    c.rgb = kMarkRed;
  }
  return c;
}

std::string DraftLineStatus(const DraftLine& line) {
  if (line.Empty()) return std::string();
  std::string s = line.LineNo + ". " + TrimRightBlanks(line.GoodsName);
  const std::string note = TrimRightBlanks(line.LineNote);
  if (!note.empty()) s += "   비고: " + note;
  return s;
}

}  // namespace tarvik
