#pragma once
// TFrmInfo: the note lines of one product ("MAIN" or "GPARTS" caller).
#include "screens/ClosableDialog.h"

#include <string>

#include "catalog/ProductNote.h"

namespace tarvik {

class NoteList;

class TFrmInfo : public TClosableDialog {
  Q_OBJECT
 public:
  // lines is the caller's table; it is read at each activation.
  TFrmInfo(QWidget* parent, const std::string& mode, const std::string& productName,
           const NoteLines& lines);
  const std::string& Mode() const { return mode_; }

 protected:
  void showEvent(QShowEvent* e) override;

 private:
  std::string mode_, name_;
  const NoteLines& lines_;
  NoteList* list_ = nullptr;
};

}  // namespace tarvik
