#include "screens/ClosableDialog.h"

#include <QKeyEvent>
#include <QPalette>

#include "controls/ImageButton.h"
#include "platform/Window.h"
#include "screens/ScreenKit.h"

namespace tarvik {

TClosableDialog::TClosableDialog(QWidget* parent, const char* objectName, int clientWidth,
                                 int clientHeight)
    : QDialog(parent) {
  setObjectName(objectName);
  MakeFramedWindow(this);
  setFixedSize(clientWidth + 10, clientHeight + 10);
}

TImageButton* TClosableDialog::AddCloseButton(QWidget* on) {
  auto* close = MakeCloseButton(on);
  connect(close, &TImageButton::OnClick, this, [this] { reject(); });
  return close;
}

QWidget* TClosableDialog::AddWhiteHeader(int height) {
  auto* header = new QWidget(this);
  header->setGeometry(5, 5, width() - 10, height);
  header->setAutoFillBackground(true);
  QPalette p = header->palette();
  p.setColor(QPalette::Window, Qt::white);
  header->setPalette(p);
  MakeDragHandle(header);
  return header;
}

void TClosableDialog::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Escape) {
    reject();
    return;
  }
  if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) return;
  QDialog::keyPressEvent(e);
}

}  // namespace tarvik
