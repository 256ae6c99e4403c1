#include "mainwindow/NoticeScreen.h"

#include "catalog/NoteList.h"
#include "controls/ImageButton.h"

namespace tarvik {

TFrmMessage::TFrmMessage(QWidget* parent, const NoteLines& lines)
    : TClosableDialog(parent, "FrmMessage", 405, 415), lines_(lines) {
  list_ = new NoteList(this, 403);
  list_->setGeometry(5, 5, 405, 415);
  auto* close = AddCloseButton(this);
  close->move(5 + 405 - close->width() - 4, 8);
  close->raise();
}

void TFrmMessage::showEvent(QShowEvent* e) {
  TClosableDialog::showEvent(e);
  list_->ShowLines(lines_);
}

}  // namespace tarvik
