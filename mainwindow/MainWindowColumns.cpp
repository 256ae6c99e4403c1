// The two columns of the main screen: the order draft on the left, the
// product lists on the right.
#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>
#include <iterator>

#include "mainwindow/MainWindow.h"
#include "order/LineText.h"
#include "platform/QtText.h"
#include "screens/RowGrid.h"
#include "screens/ScreenKit.h"

namespace tarvik {

namespace {
constexpr int kFrame = 5, kTop = 83, kLeftWidth = 497, kRightX = kFrame + kLeftWidth;
constexpr int kRightWidth = 1150 - kFrame - kRightX;
constexpr int kBar = 30, kListRowHeight = 22;
constexpr int kAmountBar = 22;  // the amounts under the basket
constexpr int kListHeight = 25 * kListRowHeight + 4;
}  // namespace

// A button of an operation; MainAction::None: a button without one.
struct ActionButton {
  const char* name;
  const char* caption;
  const char* hint;
  MainAction act;
};

void TFrmMain::BuildDraftColumn() {
  BuildDraftTopBar(kTop + 2);
  BuildBasketGrid(kTop + kBar);
  const int y = sgs_->geometry().bottom() + 2;
  BuildAmountBar(y);
  BuildDraftButtons(y + kAmountBar + 1);
  BuildNoteAndStatus(y + kAmountBar + 1 + kBar);
}

int TFrmMain::ActionButtons(const ActionButton* buttons, std::size_t count, int x, int y, int width) {
  for (std::size_t i = 0; i < count; ++i) {
    const ActionButton& b = buttons[i];
    auto* btn = Button(this, b.name, b.caption, b.hint, x, y, width, 26);
    const MainAction act = b.act;
    if (act != MainAction::None) connect(btn, &QPushButton::clicked, this, [this, act] { Act(act); });
    x += width + 1;
  }
  return x;
}

void TFrmMain::BuildDraftTopBar(int y) {
  const int x = kFrame;
  auto* sbDate = Button(this, "SBDate", "배송일", "단축키[Ctrl+D] 달력표시", x, y, 52, 26);
  connect(sbDate, &QPushButton::clicked, this, [this] { PickDeliveryDate(); });
  edtDD_ = new QLineEdit(this);
  edtDD_->setObjectName("EdtDD");
  edtDD_->setGeometry(x + 54, y, 62, 26);
  edtDD_->setMaxLength(6);
  edtDD_->setFont(GridFont(15, true));
  edtDD_->setToolTip(QStringLiteral("특별한 배송일을 원할 경우만 적습니다."));
  connect(edtDD_, &QLineEdit::textChanged, this, [this](const QString& t) { draft_.SetDeliveryDate(S(t)); });

  const ActionButton top[] = {
      {"SBF5", "직접입력", "발주할 제품의 품명을 직접 입력합니다. 단축키[F5]", MainAction::DirectInput},
      {"SBPaste", "붙여넣기",
       "복사한 바코드(제품코드)와 수량 목록을 발주에 넣습니다. 단축키[Ctrl]+[V], 목록 파일은 [Ctrl]+[O] 또는 끌어놓기",
       MainAction::PasteList},
      {"SBF4", "한줄삭제", "한 제품을 발주 취소합니다.(줄삭제)  단축키[F4] or [Delete]", MainAction::DeleteLine},
      {"SBF9", "화면취소", "현제 화면을 저장,수정 없이 지웁니다. 단축키[F9]", MainAction::ClearScreen},
      {"SBF8", "주문삭제", "다시 가져온 발주 내역을 삭제합니다. 단축키[F8]", MainAction::DeleteOrder},
      {"SBF3", "주문열기", "전송한 발주 내역을 수정이나 삭제를 위해서 가져옵니다. 단축키[F3]", MainAction::OpenOrder},
      {"SBF7", "주문전송", "작성한 발주 내역을 전송합니다. 단축키[F7]", MainAction::SendOrder},
  };
  // SBF4 always deletes the selected line; only the F4 key needs the basket focused.
  ActionButtons(top, std::size(top), x + 120, y, 53);
}

void TFrmMain::BuildBasketGrid(int y) {
  const int x = kFrame;
  sgs_ = new RowGrid(
      this, "SGS", kMaxDraftLines, kDraftColumns,
      [this](int r, int c) { return draft_.Line(r).Cell(c); },
      [](int c, const std::string& raw) { return DraftCell(c, raw); });
  sgs_->setGeometry(x, y, kLeftWidth - 4, kListHeight - 2 * kBar + 2 - kAmountBar);
  sgs_->SetVisibleWidths({20, 254, 36, 52, 109});
  sgs_->verticalHeader()->setMinimumSectionSize(19);
  sgs_->verticalHeader()->setDefaultSectionSize(19);
  sgs_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  sgs_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  sgs_->setToolTip(QStringLiteral("제품수정선택 [Enter] or [더블클릭], 제품삭제[F4]"));
  sgs_->SetCellTips([this](int r, int c) { return DraftCellTip(draft_.Line(r), c); });
  sgs_->SetRowFormat([this](int r, int c, const std::string& raw) { return DraftLineCell(draft_.Line(r), c, raw); });
  // A list file dropped on the basket goes in as a pasted list does (the
  // window's event filter takes the drag events).
  sgs_->setAcceptDrops(true);
  sgs_->viewport()->setAcceptDrops(true);
  connect(sgs_, &RowGrid::RowChosen, this, [this](int r) {
    draft_.Select(r);
    ShowLineStatus();
  });
  connect(sgs_, &RowGrid::RowDoubleClicked, this, [this](int r) {
    draft_.Select(r);
    ModifyLine();
  });
}

void TFrmMain::BuildAmountBar(int y) {
  const int x = kFrame;
  // The amounts need no column of their own: the name and note columns use
  // the basket's whole width, and the bar reads like a receipt's last line.
  auto amountLabel = [this, x, y](const char* name, int left, int width, Qt::Alignment align) {
    auto* l = new QLabel(this);
    l->setObjectName(name);
    l->setGeometry(x + left, y, width, kAmountBar);
    l->setFont(GridFont(12, true));
    l->setAlignment(align | Qt::AlignVCenter);
    l->setContentsMargins(6, 0, 6, 0);
    return l;
  };
  lblLineAmount_ = amountLabel("LblLineAmount", 0, 230, Qt::AlignLeft);
  lblTotal_ = amountLabel("LblTotal", 230, kLeftWidth - 4 - 230, Qt::AlignRight);
}

void TFrmMain::BuildDraftButtons(int y) {
  const int x = kFrame;
  auto* help = Button(this, "SBHelp", "사용방법", "단축키[Ctrl+H] 프로그램 사용방법을 보여 줍니다.", x, y, 54, 26);
  QPalette hp = help->palette();
  hp.setColor(QPalette::ButtonText, Qt::red);
  help->setPalette(hp);
  connect(help, &QPushButton::clicked, this, [this] { ShowHelp(); });
  const ActionButton bottom[] = {
      {"SBF3S", "샘플열기", "등록한 샘플 내용을 불러옵니다. 단축키[Ctrl]+[F3]", MainAction::OpenSample},
      {"SBF7S", "샘플등록", "자주 사용하는 내용을 샘플 등록합니다. 단축키[Ctrl]+[F7]", MainAction::RegisterSample},
      {"SBF6", "내용복사", "발주한 내용을 열기하여 복사합니다. 단축키[F6]", MainAction::CopyOrder},
      {"SBSetup", "환경설정", "", MainAction::None},
      {"SBF11", "주문인쇄", "발주내역을 인쇄합니다. 단축키[F11]", MainAction::Print},
  };
  const int bx = ActionButtons(bottom, std::size(bottom), x + 55, y, 54);
  chkBxIOG_ = new QCheckBox(QStringLiteral("작성중"), this);
  chkBxIOG_->setObjectName("ChkBxIOG");
  chkBxIOG_->setGeometry(bx + 2, y, 62, 26);
  chkBxIOG_->setFont(GridFont(12, true));
  chkBxIOG_->setToolTip(QStringLiteral("단축키[Ctrl+W] 체크하여 발주를 전송할 경우 발주가  접수되지 않습니다. (수정을 위해서)"));
  connect(chkBxIOG_, &QCheckBox::toggled, this, [this](bool on) { draft_.SetBeingWritten(on); });
  auto* pgUp = Button(this, "SpeedButton5", "PgUp", "", bx + 66, y, 40, 26);
  auto* pgDn = Button(this, "SpeedButton6", "PgDn", "", bx + 107, y, 40, 26);
  // They send PgUp and PgDn to the basket, which pages as its own keys do.
  auto sendKey = [this](int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(sgs_, &press);
  };
  connect(pgUp, &QPushButton::clicked, this, [sendKey] { sendKey(Qt::Key_PageUp); });
  connect(pgDn, &QPushButton::clicked, this, [sendKey] { sendKey(Qt::Key_PageDown); });
}

void TFrmMain::BuildNoteAndStatus(int y) {
  const int x = kFrame;
  auto* noteCaption = Button(this, "SBNoteCaption", "전달내용", "단축키[Ctrl+M] 전달내용 입력란으로 갑니다.", x, y, 70, 26);
  connect(noteCaption, &QPushButton::clicked, this, [this] { Act(MainAction::FocusNote); });
  edtNote_ = new QLineEdit(this);
  edtNote_->setObjectName("EdtNote");
  edtNote_->setGeometry(x + 72, y, kLeftWidth - 76, 26);
  edtNote_->setToolTip(QStringLiteral("단축키[Ctrl+M] 발주처에 전달할 내용을 입력하십시요."));
  LimitEdit(edtNote_, OrderDraft::kNoteChars, true);
  connect(edtNote_, &QLineEdit::textChanged, this, [this](const QString& t) { draft_.SetNote(S(t)); });
  setTabOrder(edtDD_, sgs_);

  y += 29;
  lblStatus_ = new QLabel(this);
  lblStatus_->setObjectName("LblStatus");
  lblStatus_->setGeometry(x, y, kLeftWidth - 4, 24);
  lblStatus_->setFont(GridFont(12, true));
  lblStatus_->setAutoFillBackground(true);
  QPalette sp = lblStatus_->palette();
  sp.setColor(QPalette::Window, Qt::white);
  lblStatus_->setPalette(sp);
  lblStatus_->setContentsMargins(6, 0, 6, 0);
  // The right end of the status line says what the basket holds: a reopened
  // order looks like a new basket otherwise.
  lblBasket_ = new QLabel(this);
  lblBasket_->setObjectName("LblBasketState");
  lblBasket_->setGeometry(x + kLeftWidth - 4, y, 0, 24);  // FitStatusLine sizes both
  lblBasket_->setFont(GridFont(11, true));
  lblBasket_->setAutoFillBackground(true);
  sp.setColor(QPalette::WindowText, QColor(0, 0, 160));
  lblBasket_->setPalette(sp);
  lblBasket_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  lblBasket_->setContentsMargins(6, 0, 6, 0);
}

void TFrmMain::FitStatusLine() {
  // The basket's state takes the width its text needs (a lost reply's
  // "접수 확인된 발주 ..." was cut at a fixed width); the note or the selected
  // line gets the rest, cut with "…" when it must be, whole in its hint.
  const int whole = kLeftWidth - 4, margins = 12;
  const int stateWidth = std::min(lblBasket_->fontMetrics().horizontalAdvance(basketText_) + margins + 2, whole - 120);
  const QRect line = lblStatus_->geometry();
  lblBasket_->setGeometry(kFrame + whole - stateWidth, line.y(), stateWidth, line.height());
  lblBasket_->setText(lblBasket_->fontMetrics().elidedText(basketText_, Qt::ElideRight, stateWidth - margins));
  lblBasket_->setToolTip(basketText_);
  lblStatus_->setGeometry(kFrame, line.y(), whole - stateWidth, line.height());
  lblStatus_->setText(lblStatus_->fontMetrics().elidedText(statusText_, Qt::ElideRight, whole - stateWidth - margins));
  lblStatus_->setToolTip(statusText_);
}

void TFrmMain::BuildProductColumn() {
  BuildProductTopBar(kTop + 2);
  BuildProductLists(kTop + kBar);
  BuildProductButtons(kTop + kBar + kListHeight + 2);
}

void TFrmMain::BuildProductTopBar(int y) {
  const int x = kRightX;
  auto* gpart = Button(this, "SBGPart", "분류로 검색", "단축키[Ctrl+G] 대분류와 소분류로 제품을 찾습니다.", x, y, 84, 26);
  connect(gpart, &QPushButton::clicked, this, [this] { Act(MainAction::CategoryBrowser); });
  rdBtnOnly_ = new QRadioButton(QStringLiteral("거래된제품만"), this);
  rdBtnOnly_->setObjectName("RdBtnOnly");
  rdBtnOnly_->setGeometry(x + 88, y, 100, 26);
  rdBtnOnly_->setChecked(true);
  rdBtnAll_ = new QRadioButton(QStringLiteral("모든제품"), this);
  rdBtnAll_->setObjectName("RdBtnAll");
  rdBtnAll_->setGeometry(x + 188, y, 78, 26);
  for (QRadioButton* r : {rdBtnOnly_, rdBtnAll_}) {
    r->setFocusPolicy(Qt::NoFocus);
    r->setFont(GridFont(12, true));
    // A click only moves the focus to the search box, which switches the list.
    connect(r, &QRadioButton::clicked, this, [this] { FocusSearchBox(); });
  }
  Button(this, "SBGNCaption", "품명검색", "", x + 266, y, 62, 26);
  edtGN_ = new QLineEdit(this);
  edtGN_->setObjectName("EdtGN");
  edtGN_->setGeometry(x + 330, y, 130, 26);
  edtGN_->setFont(GridFont(13, true));
  edtGN_->setToolTip(QStringLiteral("검색어 입력후 [Enter]검색, [F11] 앞 검색"));
  edtGN_->setAttribute(Qt::WA_InputMethodEnabled, true);
  LimitEdit(edtGN_, 30, true);
  auto* info = Button(this, "SBInfo", "제품설명", "단축키[F1] 제품의 적용 차종등 설명을 볼수 있습니다.",
                      x + 462, y, 66, 26);
  connect(info, &QPushButton::clicked, this, [this] { ShowProductNote(); });
  auto* parts = Button(this, "SpeedButton2", "수입차 부품 검색",
                      "단축키[Ctrl+I] 차종, 부품그룹, 모델, 차대번호로 수입차 부품을 찾습니다.", x + 530, y, 110, 26);
  connect(parts, &QPushButton::clicked, this, [this] { Act(MainAction::PartNumberSearch); });
}

void TFrmMain::BuildProductLists(int y) {
  const int x = kRightX;
  pnlG_ = new QFrame(this);
  pnlG_->setObjectName("PnlG");
  pnlG_->setGeometry(x, y, kRightWidth, kListHeight);
  pnlG_->setAutoFillBackground(true);
  QPalette wp = pnlG_->palette();
  wp.setColor(QPalette::Window, Qt::white);
  pnlG_->setPalette(wp);
  auto makeList = [this](const char* name, bool traded) {
    auto* g = new RowGrid(
        pnlG_, name, kPageSize, kListColumns,
        [this, traded](int r, int c) { return (traded ? panel_->Traded() : panel_->All()).Cell(r, c); },
        [this](int c, const std::string& raw) { return ProductCell(c, raw, panel_->ShowsDate()); });
    g->setGeometry(0, 0, kRightWidth, kListHeight);
    g->SetVisibleWidths({129, 108, 261, 49, 60});
    g->verticalHeader()->setMinimumSectionSize(kListRowHeight);
    g->verticalHeader()->setDefaultSectionSize(kListRowHeight);
    g->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    g->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    g->setToolTip(QStringLiteral("제품선택 [Enter] or [더블클릭]  검색란이동[SpaceBar] or [F2]"));
    g->viewport()->installEventFilter(this);
    connect(g, &RowGrid::RowChosen, this, [this, traded](int r) {
      (traded ? panel_->Traded() : panel_->All()).Select(r);
      sbCount_->setText(QString::number(panel_->Visible().Position()));
    });
    connect(g, &RowGrid::RowDoubleClicked, this, [this](int) { AddFromList(); });
    return g;
  };
  sgu_ = makeList("SGU", true);
  sga_ = makeList("SGA", false);
}

void TFrmMain::BuildProductButtons(int y) {
  const int x = kRightX;
  sbF8U_ = Button(this, "SBF8U", "제품삭제", "단축키[Ctrl+R] 거래된 제품 목록에서 삭제합니다.", x, y, 70, 26);
  connect(sbF8U_, &QPushButton::clicked, this, [this] { DeleteTradedProduct(); });
  auto* msg = Button(this, "SBMessage", "공지사항", "단축키[Ctrl+N] 공지사항을 봅니다.", x + 72, y, 70, 26);
  connect(msg, &QPushButton::clicked, this, [this] { ShowNotices(); });
  chkBxOCost_ = new QCheckBox(QStringLiteral("단가검색"), this);
  chkBxOCost_->setObjectName("ChkBxOCost");
  chkBxOCost_->setGeometry(x + 150, y, 84, 26);
  chkBxOCost_->setToolTip(QStringLiteral("단축키[Ctrl+U] 체크하여 스케닝하면 단가검색"));
  chkBxOCost_->setFocusPolicy(Qt::NoFocus);
  chkBxOCost_->hide();
  lblSearchCount_ = new QLabel(this);
  lblSearchCount_->setObjectName("LblSearchCount");
  lblSearchCount_->setGeometry(x + 238, y, 110, 26);
  lblSearchCount_->setFont(GridFont(12, true));
  lblSearchCount_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  const struct { const char* name; const char* caption; int key; } paging[] = {
      {"SBHome", "Home", Qt::Key_Home}, {"SBPgUp", "PgUp", Qt::Key_PageUp},
      {"SBPgDn", "PgDn", Qt::Key_PageDown}, {"SBEnd", "End", Qt::Key_End}};
  int bx = x + 350;
  for (const auto& p : paging) {
    auto* b = Button(this, p.name, p.caption, "", bx, y, 50, 26);
    const int key = p.key;
    connect(b, &QPushButton::clicked, this, [this, key] {
      HandleListKey(key);
    });
    bx += 51;
  }
  sbCount_ = Button(this, "SBCount", "0", "", bx + 4, y, 80, 26);
}

}  // namespace tarvik
