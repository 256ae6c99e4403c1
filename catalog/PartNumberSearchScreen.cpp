#include "catalog/PartNumberSearchScreen.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>

#include "catalog/CodePickerScreen.h"
#include "platform/ModalRunner.h"
#include "platform/QtText.h"
#include "screens/RowGrid.h"
#include "screens/ScreenKit.h"
#include "session/Session.h"
#include "text/Text.h"

namespace tarvik {

namespace {

// The list runs from the left edge to the button column, so its five columns
// and the scroll bar fit side by side.
constexpr int kWidth = 875, kHeight = 576, kStrip = 5;
constexpr int kTopY = kStrip + 4, kFieldHeight = 26;
constexpr int kCaptionY = kTopY + kFieldHeight + 4, kCaptionHeight = 20;
constexpr int kListY = kCaptionY + kCaptionHeight, kRowHeight = 18;
constexpr int kColumnWidth = 53, kColumnX = kWidth - kColumnWidth;
constexpr int kStatusHeight = 22;
const int kWidths[5] = {256, 241, 63, 102, 143};
const char* const kCaptions[5] = {"모델/배기량", "원동기형식", "출력", "연식", "차대번호"};

ListScreenLayout SearchLayout() {
  ListScreenLayout l;
  l.width = kWidth;
  l.height = kHeight;
  l.columnX = kColumnX;
  l.columnTop = kCaptionY;
  l.columnWidth = kColumnWidth;
  l.buttonHeight = 60;
  l.countHeight = 60;
  return l;
}

QPushButton* TopButton(QWidget* parent, const char* name, const char* caption, int x, int width) {
  return SpeedButton(parent, name, QString::fromUtf8(caption), QRect(x, kTopY, width, kFieldHeight));
}

// Rows 0, 2, 4 ... in their own tint, the selected row black on pale blue.
void PaintRows(RowGrid* grid) {
  grid->setAlternatingRowColors(true);
  QPalette p = grid->palette();
  for (auto group : {QPalette::Active, QPalette::Inactive}) {
    p.setColor(group, QPalette::Base, QColor(252, 248, 250));
    p.setColor(group, QPalette::AlternateBase, Qt::white);
    p.setColor(group, QPalette::Highlight, QColor(216, 228, 248));
    p.setColor(group, QPalette::HighlightedText, Qt::black);
  }
  grid->setPalette(p);
}

}  // namespace

TFrmCarPartNumFind::TFrmCarPartNumFind(QWidget* parent, TDM& dm, const Seams& seams, BasketPort& basket,
                                       std::function<void()> basketChanged, QPoint quantityAt)
    : TListScreen(parent, "FrmCarPartNumFind", SearchLayout()),
      dm_(dm),
      seams_(seams),
      basket_(basket),
      basketChanged_(std::move(basketChanged)),
      quantityAt_(quantityAt),
      search_(dm, seams, *this) {
  setWindowTitle(QStringLiteral(" 수입차 부품 검색"));
  Build();
}

QLineEdit* TFrmCarPartNumFind::AddEdit(const char* name, int x, int width, std::size_t maxBytes,
                                       const char* hint) {
  auto* e = new QLineEdit(this);
  e->setObjectName(name);
  e->setGeometry(x, kTopY, width, kFieldHeight);
  e->setFont(GridFont(13, true));
  LimitEdit(e, maxBytes, true);
  if (hint) e->setToolTip(QString::fromUtf8(hint));
  e->installEventFilter(this);
  return e;
}

void TFrmCarPartNumFind::Build() {
  auto* make = TopButton(this, "BtnMFind", "차종선택", 8, 66);
  connect(make, &QPushButton::clicked, this, [this] { OpenMakePicker(); });
  edtCMN_ = AddEdit("EdtCMN", 76, 150, 20, "차종선택 [Enter] (빈 칸에서) 또는 [차종선택]");
  auto* group = TopButton(this, "BtnGCFind", "부품선택", 230, 66);
  connect(group, &QPushButton::clicked, this, [this] { OpenGroupPicker(); });
  edtCGN_ = AddEdit("EdtCGN", 298, 150, 20, "부품선택 [Enter] (빈 칸에서) 또는 [부품선택]");
  // The two captions also search, as Enter in their field does.
  auto* model = TopButton(this, "BtnModel", "모델검색", 452, 62);
  connect(model, &QPushButton::clicked, this, [this] { SearchPartNumbers(PartSearchKind::Model); });
  edtModel_ = AddEdit("EdtModel", 516, 130, 20, "모델명 앞부분 입력후 [Enter] 검색");
  edtModel_->setInputMethodHints(Qt::ImhLatinOnly | Qt::ImhPreferUppercase);
  auto* body = TopButton(this, "BtnBody", "차대검색", 650, 62);
  connect(body, &QPushButton::clicked, this, [this] { SearchPartNumbers(PartSearchKind::Body); });
  edtBody_ = AddEdit("EdtBody", 714, 151, 18, "차대번호 일부 입력후 [Enter] 검색");
  for (QLineEdit* e : {edtCMN_, edtCGN_, edtBody_}) e->setInputMethodHints(Qt::ImhPreferUppercase);
  // The hints in the empty fields themselves: a tooltip was the only place
  // that said Enter in an empty field opens the picker.
  edtCMN_->setPlaceholderText(QStringLiteral("[Enter] 차종 목록"));
  edtCGN_->setPlaceholderText(QStringLiteral("[Enter] 부품 목록"));
  edtModel_->setPlaceholderText(QStringLiteral("앞부분 입력 후 [Enter]"));
  edtBody_->setPlaceholderText(QStringLiteral("일부 입력 후 [Enter]"));
  // The codes only the pickers set.
  edtCMC_ = new QLineEdit(this);
  edtCMC_->setObjectName("EdtCMC");
  edtCGC_ = new QLineEdit(this);
  edtCGC_->setObjectName("EdtCGC");
  for (QLineEdit* e : {edtCMC_, edtCGC_}) {
    e->setReadOnly(true);
    e->hide();
  }

  int x = 0;
  for (int c = 0; c < 5; ++c) {
    auto* l = new QLabel(QString::fromUtf8(kCaptions[c]), this);
    l->setGeometry(x, kCaptionY, kWidths[c] + 1, kCaptionHeight);
    l->setAlignment(Qt::AlignCenter);
    l->setFrameStyle(QFrame::Panel | QFrame::Raised);
    l->setFont(GridFont(12, true));
    x += kWidths[c] + 1;
  }

  PagedGridOptions o;
  o.rowHeight = kRowHeight;
  o.widths.assign(std::begin(kWidths), std::end(kWidths));
  o.buttonsFocusList = false;
  const QRect at(0, kListY, kColumnX, kPagedRows * kRowHeight + 2);
  grid_ = AddPagedGrid("SGList", &search_.List(), 6, at,
                       [](int, const std::string& raw) { return CellText{TrimRightBlanks(raw), false, 4, 3}; }, o);
  grid_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  grid_->setToolTip(QStringLiteral("제품선택 [Enter] or [더블클릭]  모델검색란 이동 [SpaceBar]"));
  // A 17-character chassis number is wider than its column in our font: the
  // whole number shows on hover.
  grid_->SetCellTips([this](int r, int c) {
    return c == 4 ? TrimRightBlanks(search_.List().Cell(r, c)) : std::string();
  });
  PaintRows(grid_);

  auto* status = new QStatusBar(this);
  status->setObjectName("StatusBar");
  status->setSizeGripEnabled(false);
  status->setGeometry(0, kHeight - kStatusHeight, kWidth, kStatusHeight);

  setTabOrder(edtCMN_, edtCGN_);
  setTabOrder(edtCGN_, edtModel_);
  setTabOrder(edtModel_, edtBody_);
  setTabOrder(edtBody_, grid_);
}

void TFrmCarPartNumFind::showEvent(QShowEvent* e) {
  TListScreen::showEvent(e);
  if (activated_) return;
  activated_ = true;
  edtCMN_->setFocus(Qt::OtherFocusReason);
}

void TFrmCarPartNumFind::ReadFields() {
  PartSearchFields& f = search_.Fields;
  f.MakeName = S(edtCMN_->text());
  f.MakeCode = S(edtCMC_->text());
  f.GroupName = S(edtCGN_->text());
  f.GroupCode = S(edtCGC_->text());
  f.Model = S(edtModel_->text());
  f.Body = S(edtBody_->text());
}

void TFrmCarPartNumFind::ShowFields() {
  const PartSearchFields& f = search_.Fields;
  const std::pair<QLineEdit*, const std::string*> fields[] = {
      {edtCMN_, &f.MakeName},   {edtCMC_, &f.MakeCode}, {edtCGN_, &f.GroupName},
      {edtCGC_, &f.GroupCode}, {edtModel_, &f.Model},  {edtBody_, &f.Body}};
  for (const auto& [edit, value] : fields) {
    if (S(edit->text()) != *value) edit->setText(Q(*value));
  }
}

void TFrmCarPartNumFind::OpenMakePicker() {
  ReadFields();
  std::optional<CodeAndName> chosen;
  {
    TFrmMakeS picker(this, dm_, seams_);
    picker.move(pos() + QPoint(80, 20));
    if (RunModal(picker) == QDialog::Accepted) chosen = picker.Picker().Chosen();
  }
  activateWindow();  // the keys come back here also where no window manager hands them back
  search_.MakePicked(chosen);
  ShowFields();
  (chosen ? edtCGN_ : edtCMN_)->setFocus(Qt::OtherFocusReason);
}

void TFrmCarPartNumFind::OpenGroupPicker() {
  ReadFields();
  std::optional<CodeAndName> chosen;
  {
    TFrmGroupS picker(this, dm_, seams_);
    picker.move(pos() + QPoint(280, 20));
    if (RunModal(picker) == QDialog::Accepted) chosen = picker.Picker().Chosen();
  }
  activateWindow();
  search_.GroupPicked(chosen);
  ShowFields();
  (chosen ? edtModel_ : edtCGN_)->setFocus(Qt::OtherFocusReason);
}

void TFrmCarPartNumFind::SearchPartNumbers(PartSearchKind kind) {
  ReadFields();
  const CarPartSearch::Outcome outcome = search_.Search(kind);
  activateWindow();  // after a message box
  ShowFields();
  RefreshList();
  if (outcome == CarPartSearch::Outcome::Records) grid_->setFocus(Qt::OtherFocusReason);
}

void TFrmCarPartNumFind::AddSelectedProduct() {
  search_.AddSelectedProduct();
  activateWindow();  // after a message box or the quantity dialog
  RefreshList();
}

Offer TFrmCarPartNumFind::OfferToBasket(const OfferedProduct& p) {
  return basket_.AskAndAdd(p, this, quantityAt_);
}

void TFrmCarPartNumFind::BasketChanged() {
  if (basketChanged_) basketChanged_();
}

void TFrmCarPartNumFind::OnListButton(ListButton which) {
  if (which == ListButton::Enter) {
    AddSelectedProduct();  // the screen stays open
    return;
  }
  TListScreen::OnListButton(which);
}

bool TFrmCarPartNumFind::FieldEnter(QObject* field) {
  const bool empty = TrimRightBlanks(S(qobject_cast<QLineEdit*>(field)->text())).empty();
  if (field == edtCMN_) {
    if (empty)
      OpenMakePicker();
    else
      edtCGN_->setFocus(Qt::TabFocusReason);
  } else if (field == edtCGN_) {
    if (empty)
      OpenGroupPicker();
    else
      edtModel_->setFocus(Qt::TabFocusReason);
  } else if (field == edtModel_) {
    SearchPartNumbers(PartSearchKind::Model);
  } else if (field == edtBody_) {
    SearchPartNumbers(PartSearchKind::Body);
  } else {
    return false;
  }
  return true;
}

void TFrmCarPartNumFind::StepFocus(QObject* from, int step) {
  QWidget* const ring[] = {edtCMN_, edtCGN_, edtModel_, edtBody_, grid_};
  constexpr int n = 5;
  for (int i = 0; i < n; ++i) {
    if (ring[i] == from) {
      ring[(i + step + n) % n]->setFocus(step > 0 ? Qt::TabFocusReason : Qt::BacktabFocusReason);
      return;
    }
  }
}

bool TFrmCarPartNumFind::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
      static_cast<QWidget*>(watched)->window() == this) {
    auto* k = static_cast<QKeyEvent*>(event);
    const bool field = qobject_cast<QLineEdit*>(watched) != nullptr;
    switch (k->key()) {
      case Qt::Key_Escape:
        reject();
        return true;
      case Qt::Key_F10:
        if (field) static_cast<QLineEdit*>(watched)->clear();
        return true;
      case Qt::Key_Space:
        if (watched != grid_) break;
        edtModel_->setFocus(Qt::OtherFocusReason);
        return true;
      case Qt::Key_Up:
      case Qt::Key_Down:
        if (!field) break;
        StepFocus(watched, k->key() == Qt::Key_Down ? 1 : -1);
        return true;
      case Qt::Key_Return:
      case Qt::Key_Enter:
        if (field && FieldEnter(watched)) return true;
        break;
      default:
        break;
    }
  }
  return TListScreen::eventFilter(watched, event);
}

}  // namespace tarvik
