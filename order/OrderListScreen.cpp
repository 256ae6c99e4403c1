#include "order/OrderListScreen.h"

#include <QLabel>

#include "platform/QtText.h"
#include "screens/RowGrid.h"
#include "screens/ScreenKit.h"
#include "session/Session.h"

namespace tarvik {
namespace {

constexpr int kWidth = 749, kHeight = 552;
constexpr int kGridX = 5, kCaptionY = 8, kGridY = 28;
constexpr int kColumnX = kWidth - 56 - 5;
const int kWidths[6] = {63, 44, 44, 49, 63, 413};
const char* const kCaptions[6] = {"발주일", "시간", "수정", "상태", "배송일", "전    달    내    용"};

ListScreenLayout Layout() {
  ListScreenLayout l;
  l.width = kWidth;
  l.height = kHeight;
  l.columnX = kColumnX;
  l.columnTop = kGridY;
  l.columnWidth = 56;
  l.buttonHeight = 40;
  l.buttonGap = 2;
  l.countHeight = 40;
  l.escHint = "닫음";
  return l;
}

}  // namespace

TFrmOrderS::TFrmOrderS(QWidget* parent, TDM& dm, const Seams& seams, bool sampleMode)
    : TListScreen(parent, "FrmOrderS", Layout()), dm_(dm), seams_(seams), sampleMode_(sampleMode) {
  setWindowTitle(Q("  " + dm_.MasterInfo.M_BIGO));
  int x = kGridX + 1;  // inside the grid's frame
  for (int c = 0; c < 6; ++c) {
    auto* caption = new QLabel(QString::fromUtf8(kCaptions[c]), this);
    caption->setObjectName(QStringLiteral("LblCaption%1").arg(c));
    caption->setGeometry(x, kCaptionY, kWidths[c], kGridY - kCaptionY - 2);
    caption->setAlignment(Qt::AlignCenter);
    caption->setFont(GridFont(12, true));
    x += kWidths[c];
  }
  PagedGridOptions o;
  o.rowHeight = 19;
  o.widths.assign(std::begin(kWidths), std::end(kWidths));
  o.buttonsFocusList = true;
  int gridWidth = 2;
  for (int w : kWidths) gridWidth += w;
  grid_ = AddPagedGrid("SGOrder", &orders_.Paged(), OrderList::kColumns,
                       QRect(kGridX, kGridY, gridWidth, 25 * o.rowHeight + 2), OrderListCell, o);
}

void TFrmOrderS::showEvent(QShowEvent* e) {
  TListScreen::showEvent(e);
  Activate();
}

void TFrmOrderS::Activate() {
  if (activated_) return;
  activated_ = true;
  if (orders_.LoadOrderList(dm_, seams_, sampleMode_)) {
    grid_->setFocus(Qt::OtherFocusReason);
    RefreshList();
  } else {
    grid_->Refresh(orders_.Paged().Selected());  // no record: the count keeps its "1"
  }
}

void TFrmOrderS::OnListButton(ListButton which) {
  switch (which) {
    case ListButton::Enter:
      chosen_ = orders_.SelectedCode();
      if (chosen_.empty())
        reject();
      else
        accept();
      break;
    case ListButton::Esc:
      chosen_.clear();
      reject();
      break;
    default:
      TListScreen::OnListButton(which);
      break;
  }
}

}  // namespace tarvik
