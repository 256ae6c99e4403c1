#pragma once
// TFrmCarPartNumFind: the imported-car part-number search. The orderer picks
// a car make and a part group (TFrmMakeS, TFrmGroupS), searches by the start
// of a model (Enter in EdtModel) or a piece of a chassis number (Enter in
// EdtBody), and puts the product of a found entry into the basket
// through the quantity dialog; the screen stays open for the next one. The
// rules live in CarPartSearch; this screen holds the fields and forwards keys.
#include <QPoint>

#include <functional>

#include "catalog/CarPartSearch.h"
#include "screens/ListScreen.h"

class QLineEdit;

namespace tarvik {

class BasketPort;
class RowGrid;
class TDM;
struct Seams;

class TFrmCarPartNumFind : public TListScreen, private CarPartSearchPort {
  Q_OBJECT
 public:
  // dm, seams and basket must outlive the screen. basketChanged runs after a
  // line was added; the quantity dialog opens at quantityAt (global position).
  TFrmCarPartNumFind(QWidget* parent, TDM& dm, const Seams& seams, BasketPort& basket,
                     std::function<void()> basketChanged, QPoint quantityAt);

  CarPartSearch& Search() { return search_; }

  // The operations behind the keys and buttons.
  void OpenMakePicker();
  void OpenGroupPicker();
  void SearchPartNumbers(PartSearchKind kind);
  void AddSelectedProduct();

 protected:
  void OnListButton(ListButton which) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* e) override;

 private:
  void Build();
  QLineEdit* AddEdit(const char* name, int x, int width, std::size_t maxBytes, const char* hint);
  // Enter in a text field; true when the key was used.
  bool FieldEnter(QObject* field);
  // Up (-1) or Down (+1) outside the list: the next in the ring EdtCMN,
  // EdtCGN, EdtModel, EdtBody, list.
  void StepFocus(QObject* from, int step);
  void ReadFields();
  void ShowFields();
  // CarPartSearchPort
  Offer OfferToBasket(const OfferedProduct& p) override;
  void BasketChanged() override;

  TDM& dm_;
  const Seams& seams_;
  BasketPort& basket_;
  std::function<void()> basketChanged_;
  QPoint quantityAt_;
  CarPartSearch search_;
  bool activated_ = false;
  RowGrid* grid_ = nullptr;
  QLineEdit* edtCMN_ = nullptr;
  QLineEdit* edtCMC_ = nullptr;
  QLineEdit* edtCGN_ = nullptr;
  QLineEdit* edtCGC_ = nullptr;
  QLineEdit* edtModel_ = nullptr;
  QLineEdit* edtBody_ = nullptr;
};

}  // namespace tarvik
