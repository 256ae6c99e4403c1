#include "order/ListPasteDialog.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include "platform/QtText.h"
#include "platform/Window.h"
#include "screens/RowGrid.h"
#include "screens/ScreenKit.h"

namespace tarvik {

namespace {
constexpr int kWidth = 660, kHeight = 440, kStrip = 24, kRowHeight = 20;
constexpr std::uint32_t kRefusedRed = 0xC00000;
}  // namespace

TFrmListPaste::TFrmListPaste(QWidget* parent, const ListPlan& plan, const std::string& source)
    : QDialog(parent), plan_(plan) {
  setObjectName("FrmListPaste");
  MakeFramedWindow(this, 5);
  setFixedSize(kWidth, kHeight);

  auto* strip = new QLabel(this);
  strip->setObjectName("LblTitle");
  strip->setGeometry(5, 0, kWidth - 10, kStrip);
  strip->setFont(GridFont(12, true));
  strip->setText(Q(" 제품 목록 넣기 - " + source));
  MakeDragHandle(strip);

  auto* panel = new QWidget(this);
  panel->setGeometry(5, kStrip, kWidth - 10, kHeight - kStrip - 5);
  panel->setAutoFillBackground(true);
  QPalette p = panel->palette();
  p.setColor(QPalette::Window, Qt::white);
  panel->setPalette(p);

  const int rows = static_cast<int>(plan_.Rows().size());
  grid_ = new RowGrid(
      panel, "SGRows", rows, kColumns, [this](int r, int c) { return Cell(r, c); },
      [](int, const std::string& raw) { return CellText{raw}; });
  grid_->SetRowFormat([this](int r, int c, const std::string& raw) {
    CellText t{raw};
    t.top = 3;
    if (c == kColRowNo || c == kColQuantity) t.rightAligned = true;
    if (r >= 0 && r < static_cast<int>(plan_.Rows().size()) && !plan_.Rows()[r].Good() &&
        (c == kColResult || c == kColRowNo))
      t.rgb = kRefusedRed;
    return t;
  });
  grid_->setGeometry(6, 6, kWidth - 22, kHeight - kStrip - 86);
  grid_->SetVisibleWidths({40, 120, 236, 70, 150});
  grid_->verticalHeader()->setDefaultSectionSize(kRowHeight);
  grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  grid_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  grid_->setToolTip(QStringLiteral("[Enter] 발주에 넣기  [Esc] 취소"));

  const int y = grid_->geometry().bottom() + 6;
  auto* summary = new QLabel(panel);
  summary->setObjectName("LblSummary");
  summary->setGeometry(8, y, kWidth - 30, 22);
  summary->setFont(GridFont(12, true));
  summary->setText(Q(plan_.Summary()));

  auto* hint = new QLabel(panel);
  hint->setObjectName("LblHint");
  hint->setGeometry(8, y + 26, 380, 24);
  hint->setFont(GridFont(12));
  hint->setText(plan_.RefusedRows() > 0 ? QStringLiteral("빨간 행은 넣지 않습니다.  [Enter] 넣기  [Esc] 취소")
                                        : QStringLiteral("[Enter] 넣기  [Esc] 취소"));

  auto button = [&](const char* name, const char* caption, int x) {
    return SpeedButton(panel, name, Q(caption), QRect(x, y + 24, 100, 28));
  };
  connect(button("SBOK", "넣기 [Enter]", kWidth - 230), &QPushButton::clicked, this, &QDialog::accept);
  connect(button("SBEsc", "취소 [Esc]", kWidth - 124), &QPushButton::clicked, this, &QDialog::reject);

  grid_->Refresh(0);
  grid_->setFocus(Qt::OtherFocusReason);
}

std::string TFrmListPaste::Cell(int row, int col) const {
  if (row < 0 || row >= static_cast<int>(plan_.Rows().size())) return std::string();
  const PlannedRow& r = plan_.Rows()[static_cast<std::size_t>(row)];
  switch (col) {
    case kColRowNo: return std::to_string(r.rowNo);
    case kColKey: return r.key;
    case kColName: return r.name;
    case kColQuantity: return r.quantity;
    case kColResult: return r.ResultText();
    default: return std::string();
  }
}

void TFrmListPaste::keyPressEvent(QKeyEvent* e) {
  switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: accept(); return;
    case Qt::Key_Escape: reject(); return;
    default: QDialog::keyPressEvent(e);
  }
}

}  // namespace tarvik
