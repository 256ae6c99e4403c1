#include "catalog/ProductList.h"

#include <algorithm>

#include "session/Session.h"
#include "text/Text.h"

namespace tarvik {

void GoodsTableSource::SetTable(const std::vector<GoodsRecord>* rows, long long count) {
  table_ = rows;
  const long long size = rows ? static_cast<long long>(rows->size()) : 0;
  count_ = std::clamp(count, 0LL, size);
}

PagedRow GoodsTableSource::Row(long long n) const {
  PagedRow row;
  row.cells.resize(kListColumns);
  auto& r = row.cells;
  if (n < 0 || n >= count_) {
    r[kColRowNo] = "-1";
    return row;
  }
  const GoodsRecord& g = (*table_)[static_cast<std::size_t>(n)];
  r[kColMajor] = g.G_GPN1;
  r[kColMinor] = g.G_GPN2;
  r[kColName] = g.G_NAME;
  r[kColBox] = g.G_BOX;
  r[kColPrice] = showDate_ ? g.U_DATE : g.U_COST;
  r[kColRowNo] = std::to_string(g.RowNo);
  r[kColCount] = g.U_CNT;
  r[kColBarcode] = g.G_BCODE;
  r[kColCode] = g.G_CODE;
  row.position = g.RowNo;
  row.empty = g.G_CODE.empty();
  return row;
}

ProductPage::ProductPage() : PagedList(WheelRule::ScrollFromEdgeOnly) { SetRowSource(&source_); }

CellText ProductCell(int col, const std::string& raw, bool showDate) {
  CellText c;
  c.text = TrimRightBlanks(raw);
  c.indent = col <= 2 ? 6 : 4;
  if (col != 4) return c;
  if (showDate) {
    c.text = c.text.size() == 6 ? FormatYymmdd(c.text) : std::string();
    return c;
  }
  const auto v = ParseNumber(c.text);
  if (v && *v != 0) {
    c.text = FormatGrouped(*v, 2);
    c.rightAligned = true;
  }
  return c;
}

}  // namespace tarvik
