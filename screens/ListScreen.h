#pragma once
// The dialog-style list screens (order and sample list, car make and group
// pickers, category browser, part-number search) share this frame: a
// frameless modal dialog with a 5-pixel sky-blue strip along the top (or a
// 5-pixel frame on all sides) that moves the window when dragged, and on the
// right a column of bold buttons "Esc" (red), "Home", "PgUp", "PgDn", "End",
// "Enter" and the count display SBCount (teal). Sizes and places differ per
// screen and come in a ListScreenLayout.
//
// A screen whose list is a PagedList shows it with AddPagedGrid: the list's
// keys, its wheel, the four paging buttons and the count display are then
// wired here, and the screen only says what Enter and Esc mean (OnListButton).
#include <QDialog>

#include <functional>
#include <vector>

#include "screens/CellFormat.h"
#include "screens/PagedList.h"

class QPushButton;

namespace tarvik {

class RowGrid;

enum class ListButton { Esc, Home, PgUp, PgDn, End, Enter };

// The paging key a Qt key (Up, Down, Home, End, PageUp, PageDown) or a side
// button ("Home", "PgUp", "PgDn", "End") stands for; false for any other.
bool PageKeyOf(int qtKey, PageKey* out);
bool PageKeyOf(ListButton button, PageKey* out);

struct ListScreenLayout {
  int width = 0, height = 0;  // the window (its client area)
  bool frameAllSides = false;  // false: the strip along the top only
  // The button column, in window coordinates: the buttons stand one below the
  // other from columnTop, each buttonHeight high with buttonGap between, and
  // the count display follows the "Enter" button.
  int columnX = 0, columnTop = 5, columnWidth = 56;
  int buttonHeight = 40, buttonGap = 1, countHeight = 40;
  const char* escHint = "";  // tooltip of the "Esc" button
};

// How AddPagedGrid ties a grid to its PagedList.
struct PagedGridOptions {
  int rowHeight = 19;
  // The column widths shown; the other columns stay hidden.
  std::vector<int> widths;
  // The paging buttons first give the list the focus (the order list, the
  // pickers), or act on it where the focus stands (the part-number search).
  bool buttonsFocusList = true;
  // The count display's text; empty: the selected record's 1-based position.
  std::function<QString(const PagedList&)> countText;
};

class TListScreen : public QDialog {
  Q_OBJECT
 public:
  QPushButton* SideButton(ListButton which) const;
  QPushButton* CountDisplay() const { return count_; }
  void SetCountText(const QString& text);

 protected:
  TListScreen(QWidget* parent, const char* objectName, const ListScreenLayout& layout);

  // What a side button (and the Esc and Enter keys, and a double-click on the
  // paged grid) does: Esc rejects, Enter accepts, the paging buttons act on
  // the paged grid. Screens override it for Enter and Esc.
  virtual void OnListButton(ListButton which);

  // A grid over list at geometry (window coordinates), cells drawn by format.
  // The grid's Up, Down, Home, End, PgUp and PgDn keys and its wheel move the
  // list; Enter and a double-click act as the "Enter" button.
  RowGrid* AddPagedGrid(const char* name, PagedList* list, int columns, const QRect& geometry,
                        std::function<CellText(int col, const std::string& raw)> format,
                        const PagedGridOptions& options);
  // Redraws the paged grid and the count display from the list.
  void RefreshList();

  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void Page(PageKey key);

  QPushButton* buttons_[6] = {};
  QPushButton* count_ = nullptr;
  RowGrid* grid_ = nullptr;
  PagedList* list_ = nullptr;
  PagedGridOptions options_;
  std::function<QString(const PagedList&)> countText_;
};

}  // namespace tarvik
