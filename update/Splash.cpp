#include "update/Splash.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <climits>

#include "platform/ModalRunner.h"
#include "platform/QtText.h"
#include "platform/Window.h"

namespace tarvik {

const char* const kDefaultSkin = ":/tarvik/update/splash.png";

TFrmSplash::TFrmSplash(const UpdatePlaces& places, const Seams& seams, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      passes_(places, seams, this) {
  setObjectName("FrmSplash");
  setFixedSize(402, 268);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, QColor(0x1C, 0x24, 0x31));
  setPalette(pal);
  setAutoFillBackground(true);

  LblMsg = new QLabel(this);
  LblMsg->setObjectName("LblMsg");
  LblMsg->setGeometry(1, 128, 400, 33);
  LblMsg->setAlignment(Qt::AlignCenter);
  QFont font(QStringLiteral("굴림"));
  font.setPixelSize(13);
  LblMsg->setFont(font);
  LblMsg->setStyleSheet(QStringLiteral("color: black; background: transparent;"));

  Gauge1 = new QProgressBar(this);
  Gauge1->setObjectName("Gauge1");
  Gauge1->setGeometry(55, 202, 298, 16);
  Gauge1->setTextVisible(false);
  Gauge1->setStyleSheet(QStringLiteral(
      "QProgressBar { border: none; background-color: rgb(26, 48, 98); }"
      "QProgressBar::chunk { background-color: rgb(255, 162, 62); }"));
  Gauge1->hide();

  Timer1 = new QTimer(this);
  Timer1->setObjectName("Timer1");
  Timer1->setSingleShot(true);
  Timer1->setInterval(600);
  // A coarse timer may fire up to 5% early; the screen is to stay up the full 600 ms.
  Timer1->setTimerType(Qt::PreciseTimer);
  connect(Timer1, &QTimer::timeout, this, &TFrmSplash::Timer1Timer);

  passes_.Prepare();
  const QString skin = Q(passes_.SkinPath());
  if (QFileInfo::exists(skin)) {
    QImage img(skin);
    if (!img.isNull()) {
      setFixedSize(img.size());
      setMask(RegionFromBitmap(img, qRgb(0xFF, 0x00, 0xFF)));
      SkinBitmap = img.convertToFormat(QImage::Format_RGB888);
      HasSkin_ = true;
    }
  }
  // On the plain dark background the black status text could not be read.
  if (!HasSkin_) SkinBitmap = QImage(QString::fromLatin1(kDefaultSkin)).convertToFormat(QImage::Format_RGB888);
  LblMsg->setText(Q(kChecking));

  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect r = screen->availableGeometry();
    move(r.center() - QPoint(width() / 2, height() / 2));
  }
}

int TFrmSplash::RunCheck() {
  checkMode_ = true;
  LblMsg->clear();
  RunModal(*this);
  return result_;
}

int TFrmSplash::RunApply() {
  checkMode_ = false;
  show();
  repaint();
  QCoreApplication::processEvents();
  result_ = passes_.ApplyUpdate();
  return result_;
}

void TFrmSplash::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  if (checkMode_) Timer1->start();
}

void TFrmSplash::Timer1Timer() {
  Timer1->stop();
  result_ = passes_.CheckUpdate();
  done(0);
}

void TFrmSplash::paintEvent(QPaintEvent* e) {
  QDialog::paintEvent(e);
  if (!SkinBitmap.isNull()) {
    QPainter p(this);
    p.drawImage(0, 0, SkinBitmap);
  }
}

void TFrmSplash::ShowStatus(const std::string& text) {
  LblMsg->setText(Q(text));
  repaint();
  QCoreApplication::processEvents();
}

void TFrmSplash::ShowProgress(std::uint32_t max, std::uint32_t position) {
  if (Gauge1->isHidden()) Gauge1->show();
  const int m = static_cast<int>(std::min<std::uint32_t>(max, INT_MAX));
  Gauge1->setMaximum(m);
  Gauge1->setValue(static_cast<int>(std::min<std::uint32_t>(position, static_cast<std::uint32_t>(m))));
}

void TFrmSplash::HideProgress() { Gauge1->hide(); }

}  // namespace tarvik
