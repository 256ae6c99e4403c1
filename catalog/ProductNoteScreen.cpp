#include "catalog/ProductNoteScreen.h"

#include <QLabel>

#include "catalog/NoteList.h"
#include "controls/ImageButton.h"
#include "platform/QtText.h"
#include "screens/ScreenKit.h"

namespace tarvik {

TFrmInfo::TFrmInfo(QWidget* parent, const std::string& mode, const std::string& productName,
                   const NoteLines& lines)
    : TClosableDialog(parent, "FrmInfo", 405, 470), mode_(mode), name_(productName), lines_(lines) {
  QWidget* header = AddWhiteHeader(56);
  auto* name = new QLabel(header);
  name->setObjectName("LblGN");
  name->setGeometry(10, 0, 405 - 70, 56);
  QPalette p = name->palette();
  p.setColor(QPalette::WindowText, QColor(0, 128, 128));
  name->setPalette(p);
  name->setFont(GridFont(15, true));
  auto* close = AddCloseButton(header);
  close->move(405 - close->width() - 8, 16);
  list_ = new NoteList(this, 390);
  list_->setGeometry(5, 61, 405, 470 - 56);
}

void TFrmInfo::showEvent(QShowEvent* e) {
  TClosableDialog::showEvent(e);
  findChild<QLabel*>("LblGN")->setText(Q(name_));
  list_->ShowLines(lines_);
}

}  // namespace tarvik
