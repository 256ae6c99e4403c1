#include "catalog/ProductList.h"

#include <algorithm>

#include "session/UDM.h"

namespace tarvik {

ProductPage::ProductPage() : rows_(kPageSize) {}

void ProductPage::SetSource(const std::vector<GoodsRecord>* rows, long long count) {
  table_ = rows;
  const long long size = rows ? static_cast<long long>(rows->size()) : 0;
  count_ = static_cast<int>(std::clamp(count, 0LL, size));
}

ProductPage::Row ProductPage::MakeRow(int index) const {
  Row r;
  if (index < 0 || index >= count_) {
    r[kColRowNo] = "-1";
    return r;
  }
  const GoodsRecord& g = (*table_)[static_cast<std::size_t>(index)];
  r[kColMajor] = g.G_GPN1;
  r[kColMinor] = g.G_GPN2;
  r[kColName] = g.G_NAME;
  r[kColBox] = g.G_BOX;
  r[kColPrice] = showDate_ ? g.U_DATE : g.U_COST;
  r[kColRowNo] = std::to_string(g.RowNo);
  r[kColCount] = g.U_CNT;
  r[kColBarcode] = g.G_BCODE;
  r[kColCode] = g.G_CODE;
  return r;
}

void ProductPage::FillPageRow(int start, int row) {
  Row made = MakeRow(start + row);
  Row& r = rows_.at(row);
  for (int c : {0, 1, 2, 3, 4, 10, 11, 12, 13}) r[c] = std::move(made[c]);
}

void ProductPage::FillPage(int start, int direction) {
  if (direction < 0) {
    std::rotate(rows_.rbegin(), rows_.rbegin() + 1, rows_.rend());
    FillPageRow(start, 0);
  } else if (direction > 0) {
    std::rotate(rows_.begin(), rows_.begin() + 1, rows_.end());
    FillPageRow(start, kPageSize - 1);
  } else {
    for (int r = 0; r < kPageSize; ++r) FillPageRow(start, r);
  }
}

void ProductPage::Clear() {
  for (auto& r : rows_) {
    r = Row();
    r[kColRowNo] = "-1";
  }
}

int ProductPage::RowNoAt(int row) const {
  const std::string& t = rows_.at(row)[kColRowNo];
  if (t.empty()) return -1;
  try {
    return std::stoi(t);
  } catch (...) {
    return -1;
  }
}

void ProductPage::Select(int row) { selected_ = std::clamp(row, 0, kPageSize - 1); }

void ProductPage::SelectUpWhileEmpty() {
  while (selected_ > 0 && RowEmpty(selected_)) --selected_;
}

void ProductPage::KeyUp() {
  if (selected_ == 0) {
    if (Top() > 0) FillPage(Top() - 1, -1);
    return;
  }
  --selected_;
}

void ProductPage::KeyDown() {
  if (Current() + 1 >= count_) return;  // swallowed on the last record
  if (selected_ == kPageSize - 1) {
    FillPage(Top() + 1, +1);
    return;
  }
  ++selected_;
}

void ProductPage::Home() {
  FillPage(0, 0);
  selected_ = 0;
}

void ProductPage::End() {
  if (count_ > kPageSize - 1) FillPage(count_ - kPageSize, 0);
  selected_ = kPageSize - 1;
}

void ProductPage::PgUp() {
  const int top = Top();
  if (top >= kPageSize) FillPage(top - kPageSize, 0);
}

void ProductPage::PgDn() {
  const int top = Top();
  if (count_ - top - 1 > kPageSize - 1) {
    FillPage(top + kPageSize, 0);
    SelectUpWhileEmpty();
  }
}

void ProductPage::Wheel(int delta) {
  const int before = selected_;
  const auto d = static_cast<short>(delta);
  if (d <= 0) {
    if (selected_ < kPageSize - 1) ++selected_;
    if (Current() + 1 < count_ && before == kPageSize - 1) FillPage(Top() + 1, +1);
    SelectUpWhileEmpty();
  } else {
    if (selected_ > 0) --selected_;
    // Only a notch on row 0 scrolls; a notch from row 1 just reaches row 0.
    if (before == 0 && Top() > 0) FillPage(Top() - 1, -1);
  }
}

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
