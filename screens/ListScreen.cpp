#include "screens/ListScreen.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QWheelEvent>

#include "platform/Window.h"
#include "screens/PagedList.h"
#include "screens/RowGrid.h"
#include "screens/ScreenKit.h"

namespace tarvik {
namespace {

constexpr int kStrip = 5;

struct SideButtonDef {
  ListButton which;
  const char* name;
  const char* caption;
};

const SideButtonDef kSideButtons[6] = {
    {ListButton::Esc, "SBEsc", "Esc"},    {ListButton::Home, "SBHome", "Home"},
    {ListButton::PgUp, "SBPgUp", "PgUp"}, {ListButton::PgDn, "SBPgDn", "PgDn"},
    {ListButton::End, "SBEnd", "End"},    {ListButton::Enter, "SBEnter", "Enter"},
};

void SetTextColour(QPushButton* b, const QColor& colour) {
  QPalette p = b->palette();
  p.setColor(QPalette::ButtonText, colour);
  b->setPalette(p);
}

}  // namespace

bool PageKeyOf(int qtKey, PageKey* out) {
  switch (qtKey) {
    case Qt::Key_Up: *out = PageKey::Up; return true;
    case Qt::Key_Down: *out = PageKey::Down; return true;
    case Qt::Key_Home: *out = PageKey::Home; return true;
    case Qt::Key_End: *out = PageKey::End; return true;
    case Qt::Key_PageUp: *out = PageKey::PgUp; return true;
    case Qt::Key_PageDown: *out = PageKey::PgDn; return true;
    default: return false;
  }
}

bool PageKeyOf(ListButton button, PageKey* out) {
  switch (button) {
    case ListButton::Home: *out = PageKey::Home; return true;
    case ListButton::PgUp: *out = PageKey::PgUp; return true;
    case ListButton::PgDn: *out = PageKey::PgDn; return true;
    case ListButton::End: *out = PageKey::End; return true;
    default: return false;
  }
}

TListScreen::TListScreen(QWidget* parent, const char* objectName, const ListScreenLayout& layout)
    : QDialog(parent) {
  setObjectName(objectName);
  setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
  setFixedSize(layout.width, layout.height);
  if (layout.frameAllSides) {
    MakeFramedWindow(this, kStrip);
  } else {
    auto* strip = new QWidget(this);
    strip->setObjectName("PnlTop");
    strip->setGeometry(0, 0, layout.width, kStrip);
    strip->setAutoFillBackground(true);
    QPalette p = strip->palette();
    p.setColor(QPalette::Window, SkyBlue());
    strip->setPalette(p);
    MakeDragHandle(strip);
  }

  int y = layout.columnTop;
  for (const SideButtonDef& button : kSideButtons) {
    QPushButton* b = SpeedButton(this, button.name, QString::fromUtf8(button.caption),
                                 QRect(layout.columnX, y, layout.columnWidth, layout.buttonHeight));
    const ListButton which = button.which;
    connect(b, &QPushButton::clicked, this, [this, which] { OnListButton(which); });
    buttons_[static_cast<int>(button.which)] = b;
    y += layout.buttonHeight + layout.buttonGap;
  }
  SetTextColour(buttons_[static_cast<int>(ListButton::Esc)], Qt::red);
  if (layout.escHint && *layout.escHint) {
    buttons_[static_cast<int>(ListButton::Esc)]->setToolTip(QString::fromUtf8(layout.escHint));
  }
  count_ = new QPushButton(QStringLiteral("1"), this);
  count_->setObjectName("SBCount");
  count_->setGeometry(layout.columnX, y, layout.columnWidth, layout.countHeight);
  count_->setFont(GridFont(12, true));
  count_->setFocusPolicy(Qt::NoFocus);
  SetTextColour(count_, QColor(0, 128, 128));
}

QPushButton* TListScreen::SideButton(ListButton which) const { return buttons_[static_cast<int>(which)]; }

void TListScreen::SetCountText(const QString& text) { count_->setText(text); }

void TListScreen::OnListButton(ListButton which) {
  switch (which) {
    case ListButton::Esc: reject(); break;
    case ListButton::Enter: accept(); break;
    default: {
      PageKey key;
      if (!grid_ || !PageKeyOf(which, &key)) break;
      if (options_.buttonsFocusList) grid_->setFocus(Qt::OtherFocusReason);
      Page(key);
      break;
    }
  }
}

RowGrid* TListScreen::AddPagedGrid(const char* name, PagedList* list, int columns, const QRect& geometry,
                                   std::function<CellText(int, const std::string&)> format,
                                   const PagedGridOptions& options) {
  list_ = list;
  options_ = options;
  grid_ = new RowGrid(
      this, name, kPagedRows, columns, [list](int r, int c) { return list->Cell(r, c); },
      [format](int c, const std::string& raw) { return format ? format(c, raw) : CellText{raw}; });
  grid_->setGeometry(geometry);
  grid_->SetVisibleWidths(options.widths);
  grid_->verticalHeader()->setMinimumSectionSize(options.rowHeight);
  grid_->verticalHeader()->setDefaultSectionSize(options.rowHeight);
  grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  grid_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  grid_->installEventFilter(this);
  grid_->viewport()->installEventFilter(this);
  connect(grid_, &RowGrid::RowChosen, this, [this](int row) {
    list_->Select(row);
    RefreshList();
  });
  connect(grid_, &RowGrid::RowDoubleClicked, this, [this](int) { OnListButton(ListButton::Enter); });
  return grid_;
}

void TListScreen::RefreshList() {
  if (!grid_) return;
  grid_->Refresh(list_->Selected());
  SetCountText(options_.countText ? options_.countText(*list_) : QString::number(list_->Position()));
}

void TListScreen::Page(PageKey key) {
  list_->Press(key);
  RefreshList();
}

bool TListScreen::eventFilter(QObject* watched, QEvent* event) {
  if (grid_ && watched == grid_ && event->type() == QEvent::KeyPress) {
    auto* k = static_cast<QKeyEvent*>(event);
    PageKey key;
    if (PageKeyOf(k->key(), &key)) {
      Page(key);
      return true;
    }
    if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
      OnListButton(ListButton::Enter);
      return true;
    }
  }
  if (grid_ && watched == grid_->viewport() && event->type() == QEvent::Wheel) {
    if (grid_->hasFocus()) {
      list_->Wheel(static_cast<QWheelEvent*>(event)->angleDelta().y());
      RefreshList();
    }
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

void TListScreen::keyPressEvent(QKeyEvent* event) {
  // Esc closes as the "Esc" button does; Enter outside the list does nothing.
  if (event->key() == Qt::Key_Escape) {
    OnListButton(ListButton::Esc);
    return;
  }
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) return;
  QDialog::keyPressEvent(event);
}

}  // namespace tarvik
