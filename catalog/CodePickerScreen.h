#pragma once
// TFrmMakeS and TFrmGroupS: the car make and car group pickers of the
// part-number search, one list screen over a CodePicker. The screen loads the
// list at its first showing, pages it with the keys, the side buttons and the
// wheel, and closes with OK (Picker().Chosen() set) or cancel (nothing
// chosen).
#include "catalog/CodePicker.h"
#include "screens/ListScreen.h"

namespace tarvik {

class TDM;

class TFrmCodePickS : public TListScreen {
  Q_OBJECT
 public:
  // dm and seams must outlive the screen.
  TFrmCodePickS(QWidget* parent, TDM& dm, const Seams& seams, const CodeListKind& kind);

  CodePicker& Picker() { return picker_; }
  void done(int r) override;

 protected:
  void OnListButton(ListButton which) override;
  void showEvent(QShowEvent* e) override;

 private:
  CodePicker picker_;
  RowGrid* grid_ = nullptr;
  bool activated_ = false;
};

class TFrmMakeS : public TFrmCodePickS {
  Q_OBJECT
 public:
  TFrmMakeS(QWidget* parent, TDM& dm, const Seams& seams) : TFrmCodePickS(parent, dm, seams, kCarMakeList) {}
};

class TFrmGroupS : public TFrmCodePickS {
  Q_OBJECT
 public:
  TFrmGroupS(QWidget* parent, TDM& dm, const Seams& seams) : TFrmCodePickS(parent, dm, seams, kCarGroupList) {}
};

}  // namespace tarvik
