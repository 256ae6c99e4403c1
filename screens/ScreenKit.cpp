#include "screens/ScreenKit.h"

#include <QLineEdit>
#include <QPalette>

#include "controls/ImageButton.h"
#include "controls/KeyPicture.h"
#include "platform/QtText.h"
#include "platform/Text.h"

namespace tarvik {

QColor SkyBlue() { return QColor(166, 202, 240); }

QFont GridFont(int pixelSize, bool bold) {
  QFont f(KoreanFontFamily());
  f.setPixelSize(pixelSize);
  f.setBold(bold);
  return f;
}

void LimitEdit(QLineEdit* edit, std::size_t maxBytes, bool upper) {
  QObject::connect(edit, &QLineEdit::textChanged, edit, [edit, maxBytes, upper](const QString& t) {
    QString fixed = upper ? t.toUpper() : t;
    const std::string s = S(fixed);
    if (Cp949Length(s) > maxBytes) fixed = Q(CutCp949(s, maxBytes));
    if (fixed != t) {
      const int pos = std::min(edit->cursorPosition(), static_cast<int>(fixed.size()));
      edit->setText(fixed);
      edit->setCursorPosition(pos);
    }
  });
}

TImageButton* MakeCloseButton(QWidget* parent) {
  auto* b = new TImageButton(parent);
  b->setObjectName("ImgBtnEsc");
  b->SetPictureAlign(TPictureAlign::paBottom);
  b->SetPicture(KeyStrip(44, 24, "Esc", KeyTone::Red));
  return b;
}

void MakeFramedWindow(QWidget* w, int frame) {
  w->setWindowFlags(w->windowFlags() | Qt::FramelessWindowHint);
  QPalette p = w->palette();
  p.setColor(QPalette::Window, SkyBlue());
  w->setPalette(p);
  w->setAutoFillBackground(true);
  w->setContentsMargins(frame, frame, frame, frame);
}

}  // namespace tarvik
