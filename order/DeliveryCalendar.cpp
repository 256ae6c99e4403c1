#include "order/DeliveryCalendar.h"

#include <QCalendarWidget>
#include <QKeyEvent>
#include <QLocale>
#include <QStatusBar>
#include <QTableView>
#include <QTextCharFormat>
#include <QVBoxLayout>

#include <cstdio>

#include "screens/ScreenKit.h"
#include "text/Text.h"

namespace tarvik {

QDate CalendarStartDate(const std::string& text, const QDate& today) {
  if (!CheckYymmdd(text, false)) return today;
  const std::string t = TrimRightBlanks(text);
  const QDate d(2000 + std::stoi(t.substr(0, 2)), std::stoi(t.substr(2, 2)), std::stoi(t.substr(4, 2)));
  return d.isValid() ? d : today;
}

std::string PickCodeOf(const QDate& date) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d%02d%02d", date.year() % 100, date.month(), date.day());
  return buf;
}

TFrmCA::TFrmCA(QWidget* parent, const std::string& deliveryText)
    : QDialog(parent), text_(deliveryText) {
  setObjectName("FrmCA");
  setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  setWindowTitle(QStringLiteral("배송일"));
  resize(226, 369);

  auto* lay = new QVBoxLayout(this);
  lay->setContentsMargins(0, 0, 0, 0);
  lay->setSpacing(0);
  mca_ = new QCalendarWidget(this);
  mca_->setObjectName("MCa");
  // The day numbers must fit seven columns of 212 pixels.
  mca_->setFont(GridFont(15, true));
  mca_->setLocale(QLocale(QLocale::Korean, QLocale::SouthKorea));
  mca_->setMinimumSize(212, 313);
  mca_->setGridVisible(false);
  mca_->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
  lay->addWidget(mca_, 1);
  auto* status = new QStatusBar(this);
  status->setSizeGripEnabled(true);
  status->showMessage(QStringLiteral("날짜 이동 [화살표]  선택 [Enter]"));
  lay->addWidget(status);
  // Enter on the selected day chooses it as a double-click does: the
  // calendar is usable without the mouse.
  connect(mca_, &QCalendarWidget::activated, this, [this] { Choose(); });

  // A double-click on a day cell chooses it; the cells live in the calendar's
  // own table view.
  if (auto* view = mca_->findChild<QTableView*>()) view->viewport()->installEventFilter(this);
  installEventFilter(this);
}

void TFrmCA::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  if (activated_) return;
  activated_ = true;
  const QDate start = CalendarStartDate(text_, QDate::currentDate());
  mca_->setSelectedDate(start);
  mca_->setCurrentPage(start.year(), start.month());
  mca_->setFocus();
}

void TFrmCA::Choose() {
  chosen_ = PickCodeOf(mca_->selectedDate());
  accept();
}

bool TFrmCA::eventFilter(QObject* o, QEvent* e) {
  if (e->type() == QEvent::MouseButtonDblClick && o != this) {
    // The press of the double-click has already selected the day under it.
    Choose();
    return true;
  }
  if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape) {
    reject();
    return true;
  }
  return QDialog::eventFilter(o, e);
}

}  // namespace tarvik
