#include "app/LoginScreen.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>
#include <QScreen>

#include <climits>

#include "app/LoginFields.h"
#include "app/LoginPictures.h"
#include "app/PasswordDialog.h"
#include "controls/ImageButton.h"
#include "controls/KeyPicture.h"
#include "platform/ModalRunner.h"
#include "platform/Prompter.h"
#include "platform/QtText.h"
#include "platform/Window.h"
#include "screens/ScanGate.h"
#include "session/Seams.h"
#include "session/Session.h"

namespace tarvik {
namespace {

constexpr int kBorder = 5;
const QPoint kRightAt(kBorder + kLoginLeftWidth + kBorder, kBorder);

int ToInt(long long v) { return static_cast<int>(std::min<long long>(std::max<long long>(v, 0), INT_MAX)); }

}  // namespace

bool RunLogin(TDM& dm, const Seams& seams, QWidget* parent) {
  TFrmSecS screen(dm, seams, parent);
  const QRect around = parent && parent->isVisible() ? parent->frameGeometry()
                       : QGuiApplication::primaryScreen()
                           ? QGuiApplication::primaryScreen()->availableGeometry()
                           : QRect(0, 0, 1024, 768);
  screen.move(around.center() - screen.rect().center());
  return RunModal(screen) == QDialog::Accepted;
}

TFrmSecS::TFrmSecS(TDM& dm, const Seams& seams, QWidget* parent) : QDialog(parent), dm_(dm), seams_(seams) {
  ScanGate::LeaveKeysTo(this);
  setObjectName(QStringLiteral("FrmSecS"));
  setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
  setFixedSize(719, 278);
  setWindowTitle(Q(kAppTitle));

  ImgLeft = new QLabel(this);
  ImgLeft->setObjectName(QStringLiteral("ImgLeft"));
  ImgLeft->setPixmap(QPixmap::fromImage(LoginLeftPicture()));
  ImgLeft->setGeometry(kBorder, kBorder, kLoginLeftWidth, kLoginPictureHeight);
  ImgRight = new QLabel(this);
  ImgRight->setObjectName(QStringLiteral("ImgRight"));
  ImgRight->setPixmap(QPixmap::fromImage(LoginRightPicture()));
  ImgRight->setGeometry(QRect(kRightAt, QSize(kLoginRightWidth, kLoginPictureHeight)));
  MakeDragHandle(ImgLeft);
  MakeDragHandle(ImgRight);

  QFont fieldFont(KoreanFontFamily());
  fieldFont.setPixelSize(14);
  fieldFont.setBold(true);
  EdtMID = MakeCapitalsEdit(this, "EdtMID", 13);
  EdtCID = MakeCapitalsEdit(this, "EdtCID", 13);
  MEdtS = MakePasswordEdit(this, "MEdtS", 11);
  QLineEdit* fields[3] = {EdtMID, EdtCID, MEdtS};
  for (int i = 0; i < 3; ++i) {
    fields[i]->setGeometry(LoginFieldRect(i).translated(kRightAt));
    fields[i]->setFrame(false);
    fields[i]->setFont(fieldFont);
    fields[i]->installEventFilter(this);
  }
  setTabOrder(EdtMID, EdtCID);
  setTabOrder(EdtCID, MEdtS);

  SBLogin = new TImageButton(this);
  SBLogin->setObjectName(QStringLiteral("SBLogin"));
  SBLogin->SetPictureAlign(TPictureAlign::paBottom);
  SBLogin->SetPicture(KeyStrip(102, 31, "로그인", KeyTone::Blue, 14));
  SBLogin->move(LoginButtonRect(0).topLeft() + kRightAt);
  SBEsc = new TImageButton(this);
  SBEsc->setObjectName(QStringLiteral("SBEsc"));
  SBEsc->SetPictureAlign(TPictureAlign::paBottom);
  SBEsc->SetPicture(KeyStrip(102, 31, "취소", KeyTone::Grey, 14));
  SBEsc->move(LoginButtonRect(1).topLeft() + kRightAt);
  connect(SBLogin, &TImageButton::OnClick, this, [this] { SBLoginClick(); });
  connect(SBEsc, &TImageButton::OnClick, this, &QDialog::reject);

  PBrS = new QProgressBar(this);
  PBrS->setObjectName(QStringLiteral("PBrS"));
  PBrS->setGeometry(0, height() - 14, width(), 14);
  PBrS->setTextVisible(false);
  PBrS->hide();
}

void TFrmSecS::Activated() {
  EdtMID->setText(Q(dm_.MasterInfo.M_ID));
  EdtCID->setText(Q(dm_.CustomerInfo.C_ID));
  (EdtMID->text().isEmpty() ? EdtMID : MEdtS)->setFocus();
}

void TFrmSecS::SBLoginClick() {
  LoginFlow flow(dm_, seams_, *this);
  const LoginOutcome outcome = flow.Login(S(EdtMID->text()), S(EdtCID->text()), S(MEdtS->text()));
  if (outcome == LoginOutcome::WrongPassword) MEdtS->clear();
  if (outcome == LoginOutcome::Done) accept();
}

void TFrmSecS::Message(const std::string& text) {
  seams_.prompter.Show(text);
  // The box has closed: the screen is the active window again.
  Activated();
}

bool TFrmSecS::RunPasswordChange() {
  TFrmSecModi change(dm_, seams_, this);
  change.move(pos() + QPoint(80, 50));
  const bool ok = RunModal(change) == QDialog::Accepted;
  Activated();
  return ok;
}

void TFrmSecS::Begin(long long maximum) {
  PBrS->setRange(0, ToInt(maximum));
  PBrS->setValue(0);
  PBrS->show();
  PBrS->repaint();
}

void TFrmSecS::Step(long long position) { PBrS->setValue(ToInt(position)); }

void TFrmSecS::End() { PBrS->hide(); }

void TFrmSecS::MoveFocus(QObject* from, int step) {
  QLineEdit* fields[3] = {EdtMID, EdtCID, MEdtS};
  int at = 0;
  for (int i = 0; i < 3; ++i) {
    if (fields[i] == from) at = i;
  }
  fields[(at + step + 3) % 3]->setFocus();
}

bool TFrmSecS::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
  switch (static_cast<QKeyEvent*>(event)->key()) {
    case Qt::Key_Escape:
      reject();
      return true;
    case Qt::Key_Up:
      MoveFocus(watched, -1);
      return true;
    case Qt::Key_Down:
      MoveFocus(watched, 1);
      return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (watched == MEdtS) {
        SBLoginClick();
      } else {
        MoveFocus(watched, 1);
      }
      return true;
    default:
      return QDialog::eventFilter(watched, event);
  }
}

void TFrmSecS::changeEvent(QEvent* event) {
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) Activated();
  QDialog::changeEvent(event);
}

void TFrmSecS::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  Activated();
}

void TFrmSecS::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), FrameBlue());
}

}  // namespace tarvik
