#include "mainwindow/MainWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QLinearGradient>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>

#include "session/Seams.h"
#include "session/Session.h"
#include "screens/RowGrid.h"
#include "screens/ScanGate.h"
#include "screens/ScreenKit.h"
#include "controls/ImageButton.h"
#include "platform/Folders.h"
#include "platform/Prompter.h"
#include "platform/ScreenFit.h"
#include "platform/QtText.h"
#include "platform/Window.h"

namespace tarvik {

namespace {

constexpr int kFrame = 5, kHeader = 78, kLeftWidth = 497, kHeight = 705;
constexpr int kTop = kFrame + kHeader;  // top of the columns

// The built-in header pictures, used when the icon files are missing.
QPixmap DefaultLeftPicture() {
  QPixmap pm(290, kHeader);
  QPainter p(&pm);
  QLinearGradient g(0, 0, 290, 0);
  g.setColorAt(0, QColor(20, 60, 140));
  g.setColorAt(1, QColor(70, 130, 210));
  p.fillRect(pm.rect(), g);
  p.setPen(Qt::white);
  p.setFont(GridFont(30, true));
  p.drawText(QRect(16, 6, 270, 42), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Tarvik"));
  p.setFont(GridFont(13, true));
  p.drawText(QRect(18, 48, 270, 24), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("온라인 주문시스템"));
  return pm;
}

QPixmap DefaultRightPicture(int width) {
  QPixmap pm(width, kHeader);
  QPainter p(&pm);
  QLinearGradient g(0, 0, width, 0);
  g.setColorAt(0, QColor(70, 130, 210));
  g.setColorAt(0.08, Qt::white);
  g.setColorAt(1, SkyBlue());
  p.fillRect(pm.rect(), g);
  return pm;
}

}  // namespace

TFrmMain::TFrmMain(TDM& dm, const Seams& seams, const LoginFunction& login, QWidget* parent)
    : TFrmMain(dm, seams, AlreadyLoggedIn{}, parent) {
  // The log-in runs before anything is shown; cancelling it ends the program.
  loggedIn_ = login && login(this);
}

TFrmMain::TFrmMain(TDM& dm, const Seams& seams, AlreadyLoggedIn, QWidget* parent)
    : QWidget(parent),
      dm_(dm),
      seams_(seams),
      desk_(dm, seams, *this),
      draft_(desk_.Draft()),
      basket_(draft_, seams.prompter),
      prices_(dm) {
  setObjectName("FrmMain");
  loggedIn_ = true;
  panel_ = std::make_unique<ProductPanel>(dm_, seams_, draft_);
  Build();
  qApp->installEventFilter(this);
  // After the screen's own key filter: scans are told from typing first.
  scanGate_ = std::make_unique<ScanGate>(this, [this](const std::string& code, QWidget* w) { TakeScan(code, w); });
}

TFrmMain::~TFrmMain() {
  scanGate_.reset();
  qApp->removeEventFilter(this);
}

QPushButton* TFrmMain::Button(QWidget* parent, const char* name, const char* caption,
                              const char* hint, int x, int y, int w, int h) {
  QPushButton* b = SpeedButton(parent, name, QString::fromUtf8(caption), QRect(x, y, w, h));
  if (hint && *hint) b->setToolTip(QString::fromUtf8(hint));
  return b;
}

void TFrmMain::Build() {
  MakeFramedWindow(this, kFrame);
  setWindowTitle(Q(kAppTitle));
  resize(1150, kHeight);
  BuildHeader();
  BuildDraftColumn();
  BuildProductColumn();
  sga_->hide();
  sgu_->show();
}

void TFrmMain::BuildHeader() {
  imgLeft_ = new QLabel(this);
  imgLeft_->setObjectName("ImgLeft");
  imgLeft_->setGeometry(kFrame, kFrame, 290, kHeader);
  imgLeft_->setPixmap(DefaultLeftPicture());
  MakeDragHandle(imgLeft_);
  imgRight_ = new QLabel(this);
  imgRight_->setObjectName("ImgRight");
  imgRight_->setGeometry(kFrame + 290, kFrame, 1150 - 2 * kFrame - 290, kHeader);
  imgRight_->setPixmap(DefaultRightPicture(imgRight_->width()));
  imgRight_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  MakeDragHandle(imgRight_);
  lblTitle_ = new QLabel(this);
  lblTitle_->setObjectName("LblTitle");
  lblTitle_->setGeometry(kFrame + 310, kFrame + 26, 560, 26);
  lblTitle_->setAutoFillBackground(true);
  QPalette p = lblTitle_->palette();
  p.setColor(QPalette::Window, Qt::white);
  lblTitle_->setPalette(p);
  lblTitle_->setFont(GridFont(16, true));
  imgBtnEsc_ = MakeCloseButton(this);
  imgBtnEsc_->move(1150 - kFrame - imgBtnEsc_->width() - 16, kFrame + 8);
  connect(imgBtnEsc_, &TImageButton::OnClick, this, [this] { ExitMain(); });
}

void TFrmMain::ApplyWidthRule() {
  const std::string icons = IconFolder(dm_.ProgramFolder());
  auto load = [](QLabel* l, const std::string& file) {
    QPixmap pm;
    if (QFileInfo::exists(Q(file)) && pm.load(Q(file))) l->setPixmap(pm);
  };
  load(imgLeft_, icons + "ClientLeft.bmp");
  const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
  const int screenWidth = s ? s->geometry().width() : 1280;
  if (screenWidth >= 1152) {
    resize(1150, height());
    load(imgRight_, icons + "ClientRight.bmp");
  } else {
    setGeometry(1, y(), 1024, height());
    imgBtnEsc_->move(imgBtnEsc_->x() - 128, imgBtnEsc_->y());
    load(imgRight_, icons + "Client1000.bmp");
  }
  KeepInside(this);  // the whole window within the usable area, above the taskbar
}

void TFrmMain::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  if (firstActivation_) QTimer::singleShot(0, this, [this] { FirstActivation(); });
}

void TFrmMain::FirstActivation() {
  if (!firstActivation_) return;
  firstActivation_ = false;
  ApplyWidthRule();
  sgu_->SetVisibleWidths({129, 108, 261 + 16, 49, 68});
  sga_->SetVisibleWidths({129, 108, 277, 49, 68});
  lblTitle_->setText(Q(dm_.MasterInfo.M_BIGO));
  ClearDraft();  // also puts the focus in the search box, which shows the list
  chkBxOCost_->setVisible(dm_.CustomerInfo.C_GU != "2");
  if (!journalFolder_.empty()) desk_.StartJournal(journalFolder_);
  if (!updateNote_.empty()) seams_.prompter.Show(updateNote_);
  ShowNotices();
}

QPoint TFrmMain::At(int left, int top) const { return pos() + QPoint(left, top); }

}  // namespace tarvik
