#include "catalog/UMessage.h"

#include <QKeyEvent>

#include "catalog/NoteList.h"
#include "catalog/ScreenKit.h"
#include "controls/ImageButton.h"

namespace tarvik {

TFrmMessage::TFrmMessage(QWidget* parent, const NoteLines& lines) : QDialog(parent), lines_(lines) {
  setObjectName("FrmMessage");
  MakeFramedWindow(this);
  setFixedSize(405 + 10, 415 + 10);
  list_ = new NoteList(this, 403);
  list_->setGeometry(5, 5, 405, 415);
  auto* close = MakeCloseButton(this);
  close->move(5 + 405 - close->width() - 4, 8);
  close->raise();
  connect(close, &TImageButton::OnClick, this, [this] { reject(); });
}

void TFrmMessage::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  list_->ShowLines(lines_);
}

void TFrmMessage::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Escape) {
    reject();
    return;
  }
  if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) return;
  QDialog::keyPressEvent(e);
}

}  // namespace tarvik
