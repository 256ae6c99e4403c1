#include "screens/ScreenKit.h"

#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QValidator>

#include <algorithm>

#include "controls/ImageButton.h"
#include "controls/KeyPicture.h"
#include "platform/QtText.h"
#include "text/Text.h"

namespace tarvik {

QColor SkyBlue() { return QColor(166, 202, 240); }

QFont GridFont(int pixelSize, bool bold) {
  QFont f(KoreanFontFamily());
  f.setPixelSize(pixelSize);
  f.setBold(bold);
  return f;
}

QPushButton* SpeedButton(QWidget* parent, const char* name, const QString& caption, const QRect& at) {
  auto* b = new QPushButton(caption, parent);
  b->setObjectName(name);
  b->setGeometry(at);
  b->setFont(GridFont(12, true));
  b->setFocusPolicy(Qt::NoFocus);
  b->setAutoDefault(false);
  return b;
}

namespace {

bool Refused(QChar c) { return c == u'<' || c == u'>'; }

// A validator that mends rather than refuses: QLineEdit takes the mended
// text before it tells anyone of the change. (Mending in a textChanged slot
// left the slots connected after it with the text before the mend.)
class LimitValidator : public QValidator {
 public:
  LimitValidator(QObject* parent, std::size_t maxBytes, bool upper)
      : QValidator(parent), maxBytes_(maxBytes), upper_(upper) {}
  State validate(QString& input, int& pos) const override {
    int removedBefore = 0;
    for (int i = 0; i < input.size() && i < pos; ++i)
      if (Refused(input[i])) ++removedBefore;
    input = LimitedText(input, maxBytes_, upper_);
    pos = std::min(pos - removedBefore, static_cast<int>(input.size()));
    return Acceptable;
  }

 private:
  std::size_t maxBytes_;
  bool upper_;
};

}  // namespace

QString LimitedText(const QString& text, std::size_t maxBytes, bool upper) {
  QString fixed;
  fixed.reserve(text.size());
  for (QChar c : text)
    if (!Refused(c)) fixed += c;
  if (upper) fixed = fixed.toUpper();
  const std::string s = S(fixed);
  if (Cp949Length(s) > maxBytes) fixed = Q(CutCp949(s, maxBytes));
  return fixed;
}

void LimitEdit(QLineEdit* edit, std::size_t maxBytes, bool upper) {
  edit->setValidator(new LimitValidator(edit, maxBytes, upper));
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
