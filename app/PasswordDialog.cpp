#include "app/PasswordDialog.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

#include "app/LoginFields.h"
#include "app/PasswordChange.h"
#include "controls/KeyPicture.h"
#include "platform/QtText.h"
#include "platform/Window.h"
#include "screens/ScanGate.h"

namespace tarvik {
namespace {

QPushButton* MakeLabel(QWidget* parent, const char* text, const QRect& r) {
  auto* b = new QPushButton(QString::fromUtf8(text), parent);
  b->setFlat(true);
  b->setFocusPolicy(Qt::NoFocus);
  b->setGeometry(r);
  // Dragging a label moves the borderless window.
  MakeDragHandle(b);
  return b;
}

}  // namespace

TFrmSecModi::TFrmSecModi(TDM& dm, const Seams& seams, QWidget* parent)
    : QDialog(parent), dm_(dm), seams_(seams) {
  ScanGate::LeaveKeysTo(this);
  setObjectName(QStringLiteral("FrmSecModi"));
  setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
  setFixedSize(263, 180);
  QFont f(KoreanFontFamily());
  f.setPixelSize(12);
  setFont(f);

  MakeLabel(this, "변경할 비밀번호", QRect(11, 16, 111, 28));
  MakeLabel(this, "비밀번호 재입력", QRect(11, 54, 111, 28))->setObjectName(QStringLiteral("SpeedButton1"));

  QFont editFont(KoreanFontFamily());
  editFont.setPixelSize(13);
  editFont.setBold(true);
  MEdtS = MakePasswordEdit(this, "MEdtS", 11);
  MEdtS->setGeometry(129, 20, 115, 20);
  MEdtS->setFont(editFont);
  MEdtV = MakePasswordEdit(this, "MEdtV", 11);
  MEdtV->setGeometry(129, 58, 115, 20);
  MEdtV->setFont(editFont);
  setTabOrder(MEdtS, MEdtV);

  SBEsc = new QPushButton(QStringLiteral("취소"), this);
  SBEsc->setObjectName(QStringLiteral("SBEsc"));
  SBEsc->setGeometry(58, 115, 69, 43);
  SBEsc->setFocusPolicy(Qt::NoFocus);
  SBEsc->setAutoDefault(false);
  SBLogin = new QPushButton(QStringLiteral("등록"), this);
  SBLogin->setObjectName(QStringLiteral("SBLogin"));
  SBLogin->setGeometry(131, 114, 69, 43);
  SBLogin->setFocusPolicy(Qt::NoFocus);
  SBLogin->setAutoDefault(false);
  connect(SBEsc, &QPushButton::clicked, this, &QDialog::reject);
  connect(SBLogin, &QPushButton::clicked, this, &TFrmSecModi::SBLoginClick);

  MEdtS->installEventFilter(this);
  MEdtV->installEventFilter(this);
  MEdtS->setFocus();
}

void TFrmSecModi::SBLoginClick() {
  PasswordChange change(dm_, seams_);
  if (change.Register(S(MEdtS->text()), S(MEdtV->text()))) accept();
}

bool TFrmSecModi::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
  const int key = static_cast<QKeyEvent*>(event)->key();
  QWidget* other = watched == MEdtS ? MEdtV : MEdtS;
  switch (key) {
    case Qt::Key_Escape:
      reject();
      return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
      other->setFocus();
      return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (watched == MEdtV) {
        SBLoginClick();
      } else {
        other->setFocus();
      }
      return true;
    default:
      return QDialog::eventFilter(watched, event);
  }
}

void TFrmSecModi::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), palette().window());
  const QColor blue = FrameBlue();
  p.fillRect(QRect(0, 0, width(), 5), blue);
  p.fillRect(QRect(0, height() - 5, width(), 5), blue);
  p.fillRect(QRect(0, 0, 5, height()), blue);
  p.fillRect(QRect(width() - 5, 0, 5, height()), blue);
  p.fillRect(QRect(0, 104, width(), 5), blue);
}

}  // namespace tarvik
