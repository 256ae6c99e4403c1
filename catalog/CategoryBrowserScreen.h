#pragma once
// TFrmGPartS: the category browser. Three lists side by side (SGP1 major
// names, SGP2 the minors of the selected major, SGN the products of the
// selected pair) over the traded or the all-products tables, a top bar with
// the two view buttons and "제품설명", and the right-hand button column with
// the count. The rules live in CategoryBrowser; the screen forwards keys,
// clicks and the wheel to it and draws what it holds.
//
// Keys: Up/Down/Home/End/PgUp/PgDn move in the focused list; Left and Right
// (and Tab / Shift+Tab) move the focus between the lists; Enter in SGP1 or
// SGP2 moves on to the next list, Enter in SGN adds the product; F1 the
// product note; F12 switches the view; Esc closes.
#include <functional>

#include "catalog/CategoryBrowser.h"
#include "screens/ListScreen.h"

class QRadioButton;

namespace tarvik {

class BasketPort;
class RowGrid;
class TDM;

class TFrmGPartS : public TListScreen {
  Q_OBJECT
 public:
  // main is the main screen: the parent, and the corner the quantity dialog
  // is placed from. Lines go into basket; basketChanged runs after each line
  // added so the basket can be redrawn behind the browser. dm, seams and
  // basket must outlive the screen.
  TFrmGPartS(QWidget* main, TDM& dm, const Seams& seams, BasketPort& basket,
             std::function<void()> basketChanged = {});

  CategoryBrowser& Browser() { return browser_; }
  // Builds the traded view; runs once, at the first activation.
  void FirstActivation();
  void AddSelectedProduct();
  void ShowProductNote();
  // "거래된 제품만" / "모든 제품" and F12.
  void ChooseView(bool all);

 protected:
  void OnListButton(ListButton which) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void BuildTopBar();
  RowGrid* AddList(BrowserList list, const char* name, int x, int width);
  // Draws the three lists, their selections and the count.
  void Refresh();
  // The list whose grid has the focus; false when none has.
  bool FocusedList(BrowserList* list) const;
  bool ScreenKey(int key);
  bool ListKey(BrowserList list, int key);
  void FocusList(int index);
  int PageRows() const;
  QPoint MainCorner() const;

  CategoryBrowser browser_;
  BasketPort& basket_;
  TDM& dm_;
  std::function<void()> basketChanged_;
  bool activated_ = false;
  RowGrid* grids_[3] = {};
  QRadioButton* rdBtnOnly_ = nullptr;
  QRadioButton* rdBtnAll_ = nullptr;
};

}  // namespace tarvik
