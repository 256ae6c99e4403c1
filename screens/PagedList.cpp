#include "screens/PagedList.h"

#include <algorithm>

namespace tarvik {

PagedList::PagedList(WheelRule wheel) : rows_(kPagedRows), wheel_(wheel) {}

long long PagedList::Count() const { return source_ ? std::max(source_->Count(), 0LL) : 0; }

PagedRow PagedList::Read(long long n) const { return source_ ? source_->Row(n) : PagedRow(); }

void PagedList::FillPage(long long start, int direction) {
  if (direction < 0) {
    std::rotate(rows_.rbegin(), rows_.rbegin() + 1, rows_.rend());
    rows_.front() = Read(start);
  } else if (direction > 0) {
    std::rotate(rows_.begin(), rows_.begin() + 1, rows_.end());
    rows_.back() = Read(start + kPagedRows - 1);
  } else {
    for (int r = 0; r < kPagedRows; ++r) rows_[static_cast<std::size_t>(r)] = Read(start + r);
  }
}

void PagedList::Clear() {
  for (auto& r : rows_) r = PagedRow();
}

const std::string& PagedList::Cell(int row, int col) const {
  static const std::string kNone;
  const auto& cells = RowAt(row).cells;
  return col >= 0 && static_cast<std::size_t>(col) < cells.size() ? cells[static_cast<std::size_t>(col)]
                                                                   : kNone;
}

void PagedList::Select(int row) { selected_ = std::clamp(row, 0, kPagedRows - 1); }

void PagedList::SelectUpWhileEmpty() {
  while (selected_ > 0 && RowEmpty(selected_)) --selected_;
}

void PagedList::KeyUp() {
  if (selected_ == 0) {
    if (Top() > 0) FillPage(Top() - 1, -1);
    return;
  }
  --selected_;
}

void PagedList::KeyDown() {
  if (Current() + 1 >= Count()) return;  // used up on the last record
  if (selected_ == kPagedRows - 1) {
    FillPage(Top() + 1, +1);
    return;
  }
  ++selected_;
}

void PagedList::Home() {
  FillPage(0, 0);
  selected_ = 0;
}

void PagedList::End() {
  if (Count() >= kPagedRows) FillPage(Count() - kPagedRows, 0);
  selected_ = kPagedRows - 1;  // also when row 24 is empty
}

void PagedList::PgUp() {
  if (Top() >= kPagedRows) FillPage(Top() - kPagedRows, 0);
}

void PagedList::PgDn() {
  if (Count() - Top() - 1 >= kPagedRows) {
    FillPage(Top() + kPagedRows, 0);
    SelectUpWhileEmpty();
  }
}

void PagedList::Press(PageKey key) {
  switch (key) {
    case PageKey::Up: KeyUp(); break;
    case PageKey::Down: KeyDown(); break;
    case PageKey::Home: Home(); break;
    case PageKey::End: End(); break;
    case PageKey::PgUp: PgUp(); break;
    case PageKey::PgDn: PgDn(); break;
  }
}

void PagedList::Wheel(int delta) {
  // A sideways scroll (a tilted wheel, a touchpad) has no vertical step: it
  // must not read as a step towards the user.
  if (delta == 0) return;
  const int before = selected_;
  const bool towardsUser = static_cast<short>(delta) <= 0;
  if (towardsUser) {
    if (selected_ < kPagedRows - 1) ++selected_;
  } else if (selected_ > 0) {
    --selected_;
  }
  if (wheel_ == WheelRule::WithinWindow) return;
  const int edgeRow = wheel_ == WheelRule::ScrollAtEdge ? selected_ : before;
  if (towardsUser) {
    if (edgeRow == kPagedRows - 1 && Current() + 1 < Count()) FillPage(Top() + 1, +1);
    SelectUpWhileEmpty();
  } else if (edgeRow == 0 && Top() > 0) {
    FillPage(Top() - 1, -1);
  }
}

}  // namespace tarvik
