#include "screens/RowGrid.h"

#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>

#include <algorithm>
#include <cmath>

#include "platform/QtText.h"
#include "screens/ScreenKit.h"

namespace tarvik {

class RowGrid::Model : public QAbstractTableModel {
 public:
  Model(QObject* parent, int rows, int cols, CellFn cell)
      : QAbstractTableModel(parent), rows_(rows), cols_(cols), cell_(std::move(cell)) {}
  int rowCount(const QModelIndex& p) const override { return p.isValid() ? 0 : rows_; }
  int columnCount(const QModelIndex& p) const override { return p.isValid() ? 0 : cols_; }
  QVariant data(const QModelIndex& i, int role) const override {
    if (role == Qt::DisplayRole || role == Qt::EditRole) return Q(cell_(i.row(), i.column()));
    if (role == Qt::ToolTipRole && tip_) {
      const std::string t = tip_(i.row(), i.column());
      if (!t.empty()) return Q(t);
    }
    return QVariant();
  }
  void SetTips(CellFn tip) { tip_ = std::move(tip); }
  void Changed() {
    if (rows_ > 0) emit dataChanged(index(0, 0), index(rows_ - 1, cols_ - 1));
  }
  // Rows are inserted or removed rather than the model reset, which would
  // give the header back its default sections.
  void SetRows(int rows) {
    if (rows > rows_) {
      beginInsertRows(QModelIndex(), rows_, rows - 1);
      rows_ = rows;
      endInsertRows();
    } else if (rows < rows_) {
      beginRemoveRows(QModelIndex(), rows, rows_ - 1);
      rows_ = rows;
      endRemoveRows();
    }
  }

 private:
  int rows_, cols_;
  CellFn cell_;
  CellFn tip_;
};

namespace {

// WCAG's relative luminance and contrast ratio.
double Luminance(const QColor& c) {
  auto lin = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
  return 0.2126 * lin(c.redF()) + 0.7152 * lin(c.greenF()) + 0.0722 * lin(c.blueF());
}

QColor Mix(const QColor& a, const QColor& b, double share) {
  return QColor::fromRgbF(a.redF() * share + b.redF() * (1 - share), a.greenF() * share + b.greenF() * (1 - share),
                          a.blueF() * share + b.blueF() * (1 - share));
}

// The background darkened (light text) or lightened (dark text) until the
// pair reads at 4.5 : 1.
QColor Readable(QColor back, const QColor& text) {
  const bool lightText = Luminance(text) > 0.5;
  for (int i = 0; i < 20 && Contrast(back, text) < 4.5; ++i) back = lightText ? back.darker(112) : back.lighter(108);
  return back;
}

}  // namespace

double Contrast(const QColor& a, const QColor& b) {
  const double la = Luminance(a), lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

std::pair<QColor, QColor> SelectionColours(const QPalette& p, bool focused) {
  const QColor text = p.color(QPalette::Active, QPalette::HighlightedText);
  const QColor back = p.color(QPalette::Active, QPalette::Highlight);
  if (focused) return {Readable(back, text), text};
  // Without the focus the palette's own inactive pair where it reads and
  // stands out from the rows (a grid that set its own); else a pale tint of
  // the highlight under the normal text. What the platform's style draws for
  // it (Windows: near white, under white text) is never used.
  const QColor base = p.color(QPalette::Inactive, QPalette::Base);
  const QColor inactive = p.color(QPalette::Inactive, QPalette::Highlight);
  const QColor inactiveText = p.color(QPalette::Inactive, QPalette::HighlightedText);
  if (Contrast(inactive, inactiveText) >= 4.5 && Contrast(inactive, base) >= 1.25) return {inactive, inactiveText};
  const QColor normal = p.color(QPalette::Inactive, QPalette::Text);
  return {Readable(Mix(back, base, 0.35), normal), normal};
}

class RowGrid::Delegate : public QStyledItemDelegate {
 public:
  Delegate(QObject* parent, FormatFn format) : QStyledItemDelegate(parent), format_(std::move(format)) {}
  void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const std::string raw = S(index.data().toString());
    const CellText c = rowFormat_ ? rowFormat_(index.row(), index.column(), raw) : format_(index.column(), raw);
    opt.text.clear();
    // The selected row's background and text are one pair chosen here: the
    // style's own selection (on Windows a near-white one without the focus)
    // would lie under a text colour it did not choose.
    const bool selected = opt.state & QStyle::State_Selected;
    const bool focused = opt.widget && opt.widget->hasFocus() && (opt.state & QStyle::State_Active);
    opt.state &= ~(QStyle::State_Selected | QStyle::State_HasFocus);
    QStyle* style = opt.widget ? opt.widget->style() : nullptr;
    if (style) style->drawControl(QStyle::CE_ItemViewItem, &opt, p, opt.widget);
    const auto pair = SelectionColours(opt.palette, focused);
    if (selected) p->fillRect(opt.rect, pair.first);
    if (c.background) p->fillRect(opt.rect, QColor(static_cast<QRgb>(*c.background)));
    p->save();
    p->setFont(opt.font);
    p->setPen(c.rgb ? QColor(static_cast<QRgb>(*c.rgb)) : selected ? pair.second : opt.palette.color(QPalette::Text));
    QRect r = opt.rect.adjusted(c.rightAligned ? 0 : c.indent, c.top, c.rightAligned ? -c.indent : 0, 0);
    p->setClipRect(opt.rect);
    p->drawText(r, (c.rightAligned ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignTop, Q(c.text));
    p->restore();
  }
  void SetRowFormat(RowFormatFn f) { rowFormat_ = std::move(f); }

 private:
  FormatFn format_;
  RowFormatFn rowFormat_;
};

RowGrid::RowGrid(QWidget* parent, const char* name, int rows, int cols, CellFn cell, FormatFn format)
    : QTableView(parent) {
  setObjectName(name);
  model_ = new Model(this, rows, cols, std::move(cell));
  setModel(model_);
  delegate_ = new Delegate(this, std::move(format));
  setItemDelegate(delegate_);
  horizontalHeader()->hide();
  verticalHeader()->hide();
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setTabKeyNavigation(false);
  setFont(GridFont());
  setWordWrap(false);
  setShowGrid(true);
  connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& cur, const QModelIndex&) {
            if (!refreshing_ && cur.isValid()) emit RowChosen(cur.row());
          });
  connect(this, &QTableView::doubleClicked, this, [this](const QModelIndex& i) {
    if (i.isValid()) emit RowDoubleClicked(i.row());
  });
}

void RowGrid::SetVisibleWidths(std::initializer_list<int> widths) {
  SetVisibleWidths(std::vector<int>(widths));
}

void RowGrid::SetVisibleWidths(const std::vector<int>& widths) {
  int c = 0;
  for (int w : widths) {
    setColumnHidden(c, false);
    setColumnWidth(c, w);
    ++c;
  }
  for (; c < model_->columnCount(QModelIndex()); ++c) setColumnHidden(c, true);
}

void RowGrid::SetCellTips(CellFn tip) { model_->SetTips(std::move(tip)); }

void RowGrid::SetRowFormat(RowFormatFn format) {
  delegate_->SetRowFormat(std::move(format));
  viewport()->update();
}

void RowGrid::Refresh(int selectedRow) {
  refreshing_ = true;
  model_->Changed();
  const QModelIndex i = model_->index(selectedRow, 0);
  selectionModel()->setCurrentIndex(i, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  scrollTo(i);
  viewport()->update();
  refreshing_ = false;
}

void RowGrid::SetRowCount(int rows) {
  refreshing_ = true;
  model_->SetRows(rows < 0 ? 0 : rows);
  refreshing_ = false;
}

int RowGrid::SelectedRow() const {
  const QModelIndex i = currentIndex();
  return i.isValid() ? i.row() : 0;
}

}  // namespace tarvik
