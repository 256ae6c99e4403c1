#include "catalog/CodePickerScreen.h"

#include <QLabel>

#include "platform/QtText.h"
#include "screens/RowGrid.h"
#include "screens/ScreenKit.h"
#include "session/Session.h"
#include "text/Text.h"

namespace tarvik {

namespace {

constexpr int kWidth = 293, kHeight = 552;
constexpr int kGridX = 4, kCaptionY = 7, kCaptionHeight = 22, kRowHeight = 19;
constexpr int kCodeWidth = 31, kNameWidth = 194;

ListScreenLayout PickerLayout() {
  ListScreenLayout l;
  l.width = kWidth;
  l.height = kHeight;
  l.columnWidth = 56;
  l.columnX = kWidth - l.columnWidth;
  l.columnTop = 7;
  l.buttonHeight = 60;
  l.countHeight = 60;
  l.escHint = "닫음";
  return l;
}

QLabel* Caption(QWidget* parent, const char* text, int x, int width) {
  auto* l = new QLabel(QString::fromUtf8(text), parent);
  l->setGeometry(x, kCaptionY, width, kCaptionHeight);
  l->setAlignment(Qt::AlignCenter);
  l->setFrameStyle(QFrame::Panel | QFrame::Raised);
  l->setFont(GridFont(12, true));
  return l;
}

}  // namespace

TFrmCodePickS::TFrmCodePickS(QWidget* parent, TDM& dm, const Seams& seams, const CodeListKind& kind)
    : TListScreen(parent, kind.screenName, PickerLayout()), picker_(dm, seams, kind) {
  setWindowTitle(QStringLiteral(" Tarvik Ⅲ"));
  Caption(this, "코드", kGridX, kCodeWidth + 1);
  Caption(this, kind.nameCaption, kGridX + kCodeWidth + 1, kNameWidth + 1);
  PagedGridOptions o;
  o.rowHeight = kRowHeight;
  o.widths = {kCodeWidth, kNameWidth};
  o.countText = [this](const PagedList&) { return Q(picker_.CountText()); };
  const QRect at(kGridX, kCaptionY + kCaptionHeight, kCodeWidth + kNameWidth + 4, kPagedRows * kRowHeight + 2);
  grid_ = AddPagedGrid("SGList", &picker_.List(), 2, at,
                       [](int, const std::string& raw) { return CellText{TrimRightBlanks(raw), false, 10, 4}; }, o);
}

void TFrmCodePickS::showEvent(QShowEvent* e) {
  TListScreen::showEvent(e);
  if (activated_) return;
  activated_ = true;
  picker_.Load();
  RefreshList();
  grid_->setFocus(Qt::OtherFocusReason);
}

void TFrmCodePickS::OnListButton(ListButton which) {
  if (which == ListButton::Enter) {
    if (picker_.Confirm())
      accept();
    else
      reject();
    return;
  }
  TListScreen::OnListButton(which);
}

void TFrmCodePickS::done(int r) {
  if (r != QDialog::Accepted) picker_.Cancel();
  TListScreen::done(r);
}

}  // namespace tarvik
