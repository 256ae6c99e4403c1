#pragma once
// The 25-row window of a list screen and the rules that move it over its
// records: the keys, the wheel and the count display. No widgets: a screen
// forwards keys to a PagedList and draws the rows it holds. The records come
// from a RowSource (a product table, or the RDC_n records of a reply).
#include <string>
#include <vector>

namespace tarvik {

constexpr int kPagedRows = 25;

// The keys that move the selection of a list (here, in the main screen's
// product lists and in the category browser's three lists).
enum class PageKey { Up, Down, Home, End, PgUp, PgDn };

// One window row as a source gives it.
struct PagedRow {
  std::vector<std::string> cells;  // the source's columns; fewer read as empty
  long long position = -1;         // the position the row carries (see RowSource)
  bool empty = true;               // no record stands in the row
};

class RowSource {
 public:
  virtual ~RowSource() = default;
  // The number of records the list pages over (a negative count, after a read
  // error, counts as none).
  virtual long long Count() const = 0;
  // The row that shows position n, for any n. Its position is what the window
  // reads its top and the selected record from: a reply's rows carry n even
  // where no record stands, a product table's empty rows carry -1.
  virtual PagedRow Row(long long n) const = 0;
};

class PagedList {
 public:
  // What a wheel notch does besides moving the selection one row.
  enum class WheelRule {
    ScrollAtEdge,        // the window moves when the moved selection is on row 24 (or 0)
    ScrollFromEdgeOnly,  // only a notch on row 24 (or 0) itself moves the window
    WithinWindow,        // the window never moves
  };

  explicit PagedList(WheelRule wheel = WheelRule::ScrollAtEdge);
  PagedList(const PagedList&) = delete;
  PagedList& operator=(const PagedList&) = delete;
  virtual ~PagedList() = default;

  // source is not owned and must outlive the list (or be replaced first).
  void SetRowSource(const RowSource* source) { source_ = source; }
  // N: the source's count, never below 0.
  long long Count() const;

  // direction 0: rows hold positions start .. start+24; -1: rows move down and
  // row 0 takes start (reading one record); +1: rows move up and row 24 takes
  // start+24.
  void FillPage(long long start, int direction);
  // Every row empty, carrying no position; the selection stays.
  void Clear();

  // The keys of a list (each including what the grid itself would do).
  void KeyUp();
  void KeyDown();
  void Home();
  void End();
  void PgUp();
  void PgDn();
  // The one of the six above that key names.
  void Press(PageKey key);
  // One wheel notch; delta is the wheel delta, read as a signed 16-bit number
  // (<= 0 towards the user).
  void Wheel(int delta);

  int Selected() const { return selected_; }
  void Select(int row);  // clamped to 0 .. 24
  const PagedRow& RowAt(int row) const { return rows_.at(static_cast<std::size_t>(row)); }
  // A cell's text; empty past the row's columns.
  const std::string& Cell(int row, int col) const;
  bool RowEmpty(int row) const { return RowAt(row).empty; }
  long long PositionAt(int row) const { return RowAt(row).position; }
  // The position row 0 carries, and the selected row's.
  long long Top() const { return PositionAt(0); }
  long long Current() const { return PositionAt(selected_); }
  // What the count display shows: the selected row's position, 1-based.
  long long Position() const { return Current() + 1; }

 private:
  void SelectUpWhileEmpty();
  PagedRow Read(long long n) const;

  std::vector<PagedRow> rows_;
  const RowSource* source_ = nullptr;
  WheelRule wheel_;
  int selected_ = 0;
};

}  // namespace tarvik
