#include "order/QuantityDialog.h"

#include <cmath>

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

#include "controls/CEdit.h"
#include "controls/ImageButton.h"
#include "controls/KeyPicture.h"
#include "platform/QtText.h"
#include "platform/Window.h"
#include "screens/ScanGate.h"
#include "screens/ScreenKit.h"

namespace tarvik {

namespace {

constexpr int kWidth = 356, kHeight = 406;

QLineEdit* MakeField(QWidget* parent, const char* name, int x, int y, int w, int h) {
  auto* e = new QLineEdit(parent);
  e->setObjectName(name);
  e->setGeometry(x, y, w, h);
  ScanGate::RefuseScans(e);
  return e;
}

}  // namespace

TFrmCnt::TFrmCnt(QWidget* parent, Prompter& prompter, const QuantityEntry::Inputs& in,
                 QuantityEntry::AddDirect addDirect)
    : QDialog(parent), entry_(in, prompter), addDirect_(std::move(addDirect)) {
  setObjectName("FrmCnt");
  MakeFramedWindow(this, 0);
  setFixedSize(kWidth, kHeight);

  // The top strip is the drag handle; the white panel holds the fields.
  auto* strip = new QLabel(this);
  strip->setGeometry(0, 0, kWidth, 22);
  strip->setText(entry_.Mode() == CntMode::New ? " 직접입력" : entry_.Mode() == CntMode::Modi ? " 수량변경" : " 수량입력");
  strip->setFont(GridFont(12, true));
  MakeDragHandle(strip);

  auto* panel = new QWidget(this);
  panel->setObjectName("PnlCnt");
  panel->setGeometry(10, 22, kWidth - 20, kHeight - 32);
  panel->setAutoFillBackground(true);
  QPalette p = panel->palette();
  p.setColor(QPalette::Window, Qt::white);
  panel->setPalette(p);

  const int lx = 8, fx = 80, fw = 240;
  const char* labels[] = {"제 품 명", "포장단위", "입 수 량", "주문수량", "비    고"};
  for (int i = 0; i < 5; ++i) {
    auto* l = new QLabel(Q(labels[i]), panel);
    l->setFont(GridFont(12, true));
    l->setGeometry(lx, 10 + i * 32, 70, 26);
  }
  edtGN_ = MakeField(panel, "EdtGN", fx, 10, fw, 26);
  edtGN_->setFrame(false);
  edtGN_->setFont(GridFont(16, true));
  LimitEdit(edtGN_, 50, true);
  edtGB_ = MakeField(panel, "EdtGB", fx, 42, 110, 26);
  LimitEdit(edtGB_, 6, true);
  edtGU_ = MakeField(panel, "EdtGU", fx, 74, 110, 26);
  edtGU_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  edtGU_->setMaxLength(6);
  edtGU_->setReadOnly(true);
  edtGU_->setFocusPolicy(Qt::NoFocus);
  cedtCnt_ = new TCEdit(panel);
  cedtCnt_->setObjectName("CEdtCnt");
  cedtCnt_->setGeometry(fx, 106, 110, 26);
  cedtCnt_->setFont(GridFont(16, true));
  cedtCnt_->Rules().SetCurrencyPoint(true);
  cedtCnt_->Rules().SetCurrencyNegative(true);
  cedtCnt_->Rules().SetCurrencySignChar(0);
  cedtCnt_->Rules().SetCurrencySetdigit(2);
  cedtCnt_->setMaxLength(4);
  cedtCnt_->Refresh();
  edtNote_ = MakeField(panel, "EdtNote", fx, 138, fw, 26);
  LimitEdit(edtNote_, 20, true);

  const bool editable = entry_.Mode() == CntMode::New;
  for (QLineEdit* e : {edtGN_, edtGB_}) {
    e->setReadOnly(!editable);
    e->setFocusPolicy(editable ? Qt::StrongFocus : Qt::ClickFocus);
  }
  // Typed into in direct input: framed like the other fields, or an emptied
  // name field shows nowhere to type.
  edtGN_->setFrame(editable);
  setTabOrder(edtGN_, edtGB_);
  setTabOrder(edtGB_, cedtCnt_);
  setTabOrder(cedtCnt_, edtNote_);
  BuildKeypad();
  for (QWidget* w : std::initializer_list<QWidget*>{edtGN_, edtGB_, edtGU_, cedtCnt_, edtNote_})
    w->installEventFilter(this);
  installEventFilter(this);
}

void TFrmCnt::BuildKeypad() {
  QWidget* panel = findChild<QWidget*>("PnlCnt");
  const int kx = 24, ky = 180, kw = 63, kh = 44, gap = 4;
  const char* keys[12] = {"1", "2", "3", "4", "5", "6", "7", "8", "9", ".", "0", "C"};
  const char* names[12] = {"SB1", "SB2", "SB3", "SB4", "SB5", "SB6", "SB7", "SB8", "SB9", "SBP", "SB0", "SBDel"};
  for (int i = 0; i < 12; ++i) {
    auto* b = new TImageButton(panel);
    b->setObjectName(names[i]);
    b->SetPictureAlign(TPictureAlign::paBottom);
    b->SetPicture(KeyStrip(kw, kh, keys[i], i == 11 ? KeyTone::Grey : KeyTone::Blue));
    b->move(kx + (i % 3) * (kw + gap), ky + (i / 3) * (kh + gap));
    const int digit = i < 9 ? i + 1 : (i == 10 ? 0 : -1);
    if (digit >= 0)
      connect(b, &TImageButton::OnClick, this, [this, digit] { PressDigit(digit); });
    else if (i == 11)
      connect(b, &TImageButton::OnClick, this, [this] { PressDel(); });
    // The point key does nothing: decimals are typed in the quantity box.
  }
  auto* ok = new TImageButton(panel);
  ok->setObjectName("SBOK");
  ok->SetPictureAlign(TPictureAlign::paBottom);
  ok->SetPicture(KeyStrip(80, 3 * kh + 2 * gap, "확인", KeyTone::Green, 22));
  ok->move(kx + 3 * (kw + gap) + 6, ky);
  connect(ok, &TImageButton::OnClick, this, [this] { Confirm(); });
  auto* esc = new TImageButton(panel);
  esc->setObjectName("SBEsc");
  esc->SetPictureAlign(TPictureAlign::paBottom);
  esc->SetPicture(KeyStrip(80, kh, "취소", KeyTone::Red));
  esc->move(kx + 3 * (kw + gap) + 6, ky + 3 * (kh + gap));
  connect(esc, &TImageButton::OnClick, this, [this] { reject(); });
}

void TFrmCnt::ShowFields() {
  edtGN_->setText(Q(entry_.Name));
  edtGB_->setText(Q(entry_.Box));
  edtGU_->setText(Q(entry_.UnitQty));
  edtNote_->setText(Q(entry_.Note));
  cedtCnt_->SetValue(entry_.Quantity);
}

void TFrmCnt::ReadFields() {
  entry_.Name = S(edtGN_->text());
  entry_.Box = S(edtGB_->text());
  entry_.Note = S(edtNote_->text());
  entry_.Quantity = cedtCnt_->Value();
}

void TFrmCnt::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  if (activated_) return;
  activated_ = true;
  ShowFields();
  if (entry_.Mode() == CntMode::New) {
    edtGN_->setFocus();
    edtGN_->selectAll();
  } else {
    cedtCnt_->setFocus();
    cedtCnt_->selectAll();
  }
}

void TFrmCnt::PressDigit(int d) {
  ReadFields();
  entry_.Digit(d);
  cedtCnt_->SetValue(entry_.Quantity);
}

void TFrmCnt::PressDel() {
  ReadFields();
  entry_.Del();
  cedtCnt_->SetValue(entry_.Quantity);
}

void TFrmCnt::Confirm() {
  ReadFields();
  switch (entry_.Confirm(addDirect_)) {
    case QuantityEntry::Outcome::Stay:
      if (std::fabs(entry_.Quantity) > kPlausibleQuantity) {  // No to the question: typed anew
        cedtCnt_->setFocus();
        cedtCnt_->selectAll();
      }
      break;
    case QuantityEntry::Outcome::CloseOk:
      accept();
      break;
    case QuantityEntry::Outcome::Added:
      ShowFields();
      edtGN_->setFocus();
      break;
  }
}

void TFrmCnt::done(int r) {
  if (r != QDialog::Accepted) entry_.Entered.reset();
  QDialog::done(r);
}

bool TFrmCnt::eventFilter(QObject* o, QEvent* e) {
  if (e->type() != QEvent::KeyPress) return QDialog::eventFilter(o, e);
  auto* k = static_cast<QKeyEvent*>(e);
  switch (k->key()) {
    case Qt::Key_Escape:
      reject();
      return true;
    case Qt::Key_Up:
      focusNextPrevChild(false);
      return true;
    case Qt::Key_Down:
      focusNextPrevChild(true);
      return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (o == cedtCnt_ || o == edtNote_)
        Confirm();
      else
        focusNextPrevChild(true);
      return true;
    default:
      return QDialog::eventFilter(o, e);
  }
}

}  // namespace tarvik
