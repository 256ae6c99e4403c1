#include "catalog/CategoryBrowserScreen.h"

#include <algorithm>

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QWheelEvent>

#include "catalog/ProductNoteScreen.h"
#include "platform/ModalRunner.h"
#include "platform/QtText.h"
#include "platform/Window.h"
#include "screens/RowGrid.h"
#include "screens/ScreenKit.h"
#include "session/Session.h"
#include "text/Text.h"

namespace tarvik {
namespace {

constexpr int kWidth = 628, kHeight = 638, kFrame = 5;
constexpr int kBarHeight = 30;
constexpr int kListTop = kFrame + kBarHeight + 3;
constexpr int kListHeight = kHeight - kFrame - kListTop;
constexpr int kRowHeight = 19;
constexpr int kMajorsX = kFrame, kMajorsWidth = 153;
constexpr int kMinorsX = kMajorsX + kMajorsWidth, kMinorsWidth = 153;
constexpr int kProductsX = kMinorsX + kMinorsWidth, kProductsWidth = 259;
constexpr int kColumnX = kProductsX + kProductsWidth + 4, kColumnWidth = 45;

ListScreenLayout Layout() {
  ListScreenLayout l;
  l.width = kWidth;
  l.height = kHeight;
  l.frameAllSides = true;
  l.columnX = kColumnX;
  l.columnTop = kListTop;
  l.columnWidth = kColumnWidth;
  l.buttonHeight = 40;
  l.buttonGap = 2;
  l.countHeight = 40;
  return l;
}

constexpr BrowserList kLists[3] = {BrowserList::Majors, BrowserList::Minors, BrowserList::Products};

int IndexOf(BrowserList list) { return static_cast<int>(list); }

}  // namespace

TFrmGPartS::TFrmGPartS(QWidget* main, TDM& dm, const Seams& seams, BasketPort& basket,
                       std::function<void()> basketChanged)
    : TListScreen(main, "FrmGPartS", Layout()),
      browser_(dm, seams),
      basket_(basket),
      dm_(dm),
      basketChanged_(std::move(basketChanged)) {
  BuildTopBar();
  AddList(BrowserList::Majors, "SGP1", kMajorsX, kMajorsWidth);
  AddList(BrowserList::Minors, "SGP2", kMinorsX, kMinorsWidth);
  AddList(BrowserList::Products, "SGN", kProductsX, kProductsWidth);
  setTabOrder(grids_[0], grids_[1]);
  setTabOrder(grids_[1], grids_[2]);
  Refresh();
}

void TFrmGPartS::BuildTopBar() {
  auto* bar = new QWidget(this);
  bar->setObjectName("PnlTop");
  bar->setGeometry(kFrame, kFrame, kWidth - 2 * kFrame, kBarHeight);
  bar->setAutoFillBackground(true);
  QPalette p = bar->palette();
  p.setColor(QPalette::Window, Qt::white);
  bar->setPalette(p);
  MakeDragHandle(bar);  // the label drags too: it leaves its presses to the bar

  auto* title = new QLabel(QStringLiteral("분류로 제품검색"), bar);
  title->setObjectName("LblTitle");
  title->setGeometry(8, 0, 170, kBarHeight);
  title->setFont(GridFont(15, true));
  QPalette tp = title->palette();
  tp.setColor(QPalette::WindowText, QColor(0, 128, 128));
  title->setPalette(tp);

  rdBtnOnly_ = new QRadioButton(QStringLiteral("거래된 제품만"), bar);
  rdBtnOnly_->setObjectName("RdBtnOnly");
  rdBtnOnly_->setGeometry(190, 0, 115, kBarHeight);
  rdBtnOnly_->setChecked(true);
  rdBtnAll_ = new QRadioButton(QStringLiteral("모든 제품"), bar);
  rdBtnAll_->setObjectName("RdBtnAll");
  rdBtnAll_->setGeometry(310, 0, 95, kBarHeight);
  for (QRadioButton* r : {rdBtnOnly_, rdBtnAll_}) {
    r->setFocusPolicy(Qt::NoFocus);  // the keyboard stays in the lists; F12 switches
    r->setFont(GridFont(12, true));
  }
  // The two views have no focus of their own: say on screen which key switches.
  auto* f12 = new QLabel(QStringLiteral("[F12] 보기 전환"), bar);
  f12->setObjectName("LblViewKey");
  f12->setGeometry(410, 0, 110, kBarHeight);
  for (QRadioButton* r : {rdBtnOnly_, rdBtnAll_}) r->setToolTip(QStringLiteral("단축키[F12] 거래된 제품만 / 모든 제품"));
  connect(rdBtnOnly_, &QRadioButton::toggled, this, [this](bool on) {
    if (!on) return;
    browser_.ShowTradedView();
    Refresh();
  });
  connect(rdBtnAll_, &QRadioButton::toggled, this, [this](bool on) {
    if (!on) return;
    browser_.ShowAllView();
    Refresh();
  });

  QPushButton* info = SpeedButton(bar, "SBInfo", QStringLiteral("제품설명"), QRect(bar->width() - 88, 3, 84, kBarHeight - 6));
  info->setToolTip(QStringLiteral("단축키[F1] 제품의 적용 차종등 설명을 볼수 있습니다."));
  connect(info, &QPushButton::clicked, this, [this] { ShowProductNote(); });
}

RowGrid* TFrmGPartS::AddList(BrowserList list, const char* name, int x, int width) {
  auto* g = new RowGrid(
      this, name, 1, 1, [this, list](int r, int) { return browser_.Shown(list, r); },
      [](int, const std::string& raw) { return CellText{TrimRightBlanks(raw), false, 6}; });
  g->setGeometry(x, kListTop, width, kListHeight);
  g->SetVisibleWidths({width - 2 * g->frameWidth()});
  g->verticalHeader()->setMinimumSectionSize(kRowHeight);
  g->verticalHeader()->setDefaultSectionSize(kRowHeight);
  g->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  g->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  g->installEventFilter(this);
  g->viewport()->installEventFilter(this);
  connect(g, &RowGrid::RowChosen, this, [this, list](int row) {
    browser_.Select(list, row);
    Refresh();
  });
  if (list == BrowserList::Products)
    connect(g, &RowGrid::RowDoubleClicked, this, [this](int) { AddSelectedProduct(); });
  grids_[IndexOf(list)] = g;
  return g;
}

void TFrmGPartS::showEvent(QShowEvent* event) {
  TListScreen::showEvent(event);
  FirstActivation();
}

void TFrmGPartS::FirstActivation() {
  if (activated_) return;
  activated_ = true;
  browser_.ShowTradedView();
  Refresh();
  grids_[0]->setFocus(Qt::OtherFocusReason);
}

void TFrmGPartS::Refresh() {
  for (BrowserList list : kLists) {
    RowGrid* g = grids_[IndexOf(list)];
    g->SetRowCount(browser_.RowCount(list));
    g->Refresh(browser_.Selected(list));
  }
  SetCountText(Q(browser_.CountText()));
}

void TFrmGPartS::ChooseView(bool all) {
  // Checking a radio button rebuilds the lists (its toggled handler).
  (all ? rdBtnAll_ : rdBtnOnly_)->setChecked(true);
}

int TFrmGPartS::PageRows() const {
  return std::max(1, grids_[IndexOf(BrowserList::Products)]->viewport()->height() / kRowHeight);
}

QPoint TFrmGPartS::MainCorner() const {
  return parentWidget() ? parentWidget()->window()->pos() : QPoint();
}

void TFrmGPartS::AddSelectedProduct() {
  browser_.AddSelectedProduct([this](const OfferedProduct& p) {
    return basket_.AskAndAdd(p, this, MainCorner() + QPoint(670, 180));
  });
  if (basketChanged_) basketChanged_();
  Refresh();
}

void TFrmGPartS::ShowProductNote() {
  browser_.ShowProductNote([this](const std::string& name, const NoteLines& lines) {
    TFrmInfo dlg(this, "GPARTS", name, lines);
    dlg.move(pos() + QPoint(100, 100));
    RunModal(dlg);
  });
}

void TFrmGPartS::OnListButton(ListButton which) {
  PageKey key;
  if (!PageKeyOf(which, &key)) {
    TListScreen::OnListButton(which);  // Esc cancels, Enter closes with OK
    return;
  }
  browser_.Key(BrowserList::Products, key, PageRows());  // the focus stays where it is
  Refresh();
}

bool TFrmGPartS::FocusedList(BrowserList* list) const {
  for (BrowserList l : kLists) {
    if (focusWidget() == grids_[IndexOf(l)]) {  // also while another window is active
      *list = l;
      return true;
    }
  }
  return false;
}

void TFrmGPartS::FocusList(int index) {
  if (index >= 0 && index < 3) grids_[index]->setFocus(Qt::OtherFocusReason);
}

bool TFrmGPartS::ScreenKey(int key) {
  switch (key) {
    case Qt::Key_F1: ShowProductNote(); return true;
    case Qt::Key_F12: ChooseView(!browser_.AllView()); return true;
    case Qt::Key_Escape: OnListButton(ListButton::Esc); return true;
    case Qt::Key_Return:
    case Qt::Key_Enter: return true;  // never a character
    default: return false;
  }
}

bool TFrmGPartS::ListKey(BrowserList list, int key) {
  const int index = IndexOf(list);
  PageKey move;
  if (PageKeyOf(key, &move)) {
    const int page = std::max(1, grids_[index]->viewport()->height() / kRowHeight);
    browser_.Key(list, move, page);
    Refresh();
    return true;
  }
  switch (key) {
    case Qt::Key_Left: FocusList(index - 1); return true;
    case Qt::Key_Right: FocusList(index + 1); return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (list == BrowserList::Products)
        AddSelectedProduct();
      else
        FocusList(index + 1);
      return true;
    default: return ScreenKey(key);
  }
}

bool TFrmGPartS::eventFilter(QObject* watched, QEvent* event) {
  for (BrowserList list : kLists) {
    RowGrid* g = grids_[IndexOf(list)];
    if (!g) continue;
    if (watched == g && event->type() == QEvent::KeyPress) {
      auto* k = static_cast<QKeyEvent*>(event);
      const auto mods = k->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier);
      if (mods == Qt::NoModifier && ListKey(list, k->key())) return true;
    }
    if (watched == g->viewport() && event->type() == QEvent::Wheel) {
      wheelEvent(static_cast<QWheelEvent*>(event));
      return true;  // no scrolling of its own: the wheel moves the selection
    }
  }
  return TListScreen::eventFilter(watched, event);
}

void TFrmGPartS::wheelEvent(QWheelEvent* event) {
  event->accept();
  BrowserList list;
  const int delta = event->angleDelta().y();
  if (delta == 0 || !FocusedList(&list)) return;
  browser_.Key(list, delta > 0 ? PageKey::Up : PageKey::Down, 1);
  Refresh();
}

void TFrmGPartS::keyPressEvent(QKeyEvent* event) {
  if (ScreenKey(event->key())) return;
  TListScreen::keyPressEvent(event);
}

}  // namespace tarvik
