#pragma once
// TFrmMessage: the supplier's notices (the notes of code "999999").
#include "screens/ClosableDialog.h"

#include "catalog/ProductNote.h"

namespace tarvik {

class NoteList;

class TFrmMessage : public TClosableDialog {
  Q_OBJECT
 public:
  // lines is the main screen's table; it is read at each activation.
  TFrmMessage(QWidget* parent, const NoteLines& lines);

 protected:
  void showEvent(QShowEvent* e) override;

 private:
  const NoteLines& lines_;
  NoteList* list_ = nullptr;
};

}  // namespace tarvik
