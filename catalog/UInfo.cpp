#include "catalog/UInfo.h"

#include <QKeyEvent>
#include <QLabel>

#include "catalog/NoteList.h"
#include "catalog/ScreenKit.h"
#include "controls/ImageButton.h"
#include "platform/QtText.h"
#include "platform/Window.h"

namespace tarvik {

TFrmInfo::TFrmInfo(QWidget* parent, const std::string& mode, const std::string& productName,
                   const NoteLines& lines)
    : QDialog(parent), mode_(mode), name_(productName), lines_(lines) {
  setObjectName("FrmInfo");
  MakeFramedWindow(this);
  setFixedSize(405 + 10, 470 + 10);
  auto* header = new QLabel(this);
  header->setObjectName("LblGN");
  header->setGeometry(5, 5, 405, 56);
  header->setAutoFillBackground(true);
  QPalette p = header->palette();
  p.setColor(QPalette::Window, Qt::white);
  p.setColor(QPalette::WindowText, QColor(0, 128, 128));
  header->setPalette(p);
  header->setFont(GridFont(15, true));
  header->setContentsMargins(10, 0, 60, 0);
  MakeDragHandle(header);
  auto* close = MakeCloseButton(this);
  close->move(5 + 405 - close->width() - 8, 5 + 16);
  connect(close, &TImageButton::OnClick, this, [this] { reject(); });
  list_ = new NoteList(this, 390);
  list_->setGeometry(5, 61, 405, 470 - 56);
}

void TFrmInfo::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  findChild<QLabel*>("LblGN")->setText(Q(name_));
  list_->ShowLines(lines_);
}

void TFrmInfo::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Escape) {
    reject();
    return;
  }
  if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) return;
  QDialog::keyPressEvent(e);
}

}  // namespace tarvik
