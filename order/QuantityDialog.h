#pragma once
// TFrmCnt: the modal quantity dialog ("ADD", "MODI", "NEW"). Its rules are in
// QuantityEntry; this screen shows the fields, forwards the keypad and keys,
// and closes; Result() is the line entered with OK.
#include <QDialog>

#include "order/QuantityEntry.h"

class QLineEdit;

namespace tarvik {

class TCEdit;
class TImageButton;

class TFrmCnt : public QDialog {
  Q_OBJECT
 public:
  // addDirect receives every line confirmed in mode "NEW"; the checks ask
  // through prompter, which must outlive the dialog.
  TFrmCnt(QWidget* parent, Prompter& prompter, const QuantityEntry::Inputs& in,
          QuantityEntry::AddDirect addDirect = {});

  const QuantityEntry& Entry() const { return entry_; }
  // The line entered, after a close with OK.
  const std::optional<EnteredLine>& Result() const { return entry_.Entered; }
  // The keypad and OK/Esc, as the buttons do.
  void PressDigit(int d);
  void PressDel();
  void Confirm();

  void done(int r) override;

 protected:
  bool eventFilter(QObject* o, QEvent* e) override;
  void showEvent(QShowEvent* e) override;

 private:
  void BuildKeypad();
  void ReadFields();
  void ShowFields();

  QuantityEntry entry_;
  QuantityEntry::AddDirect addDirect_;
  bool activated_ = false;
  QLineEdit* edtGN_ = nullptr;
  QLineEdit* edtGB_ = nullptr;
  QLineEdit* edtGU_ = nullptr;
  TCEdit* cedtCnt_ = nullptr;
  QLineEdit* edtNote_ = nullptr;
};

}  // namespace tarvik
