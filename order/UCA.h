#pragma once
// TFrmCA: the delivery-date calendar. Opened with the text of the delivery
// date box; a double-click on a day (or the arrows, then Enter) leaves it in
// the session's PickCode as yymmdd and closes with OK; Esc or the close
// button cancels.
#include <QDate>
#include <QDialog>

#include <string>

class QCalendarWidget;

namespace tarvik {

class TDM;

// The day the calendar opens on: text as yymmdd (20yy) when it is a valid
// date, otherwise today.
QDate CalendarStartDate(const std::string& text, const QDate& today);
// A date as yymmdd.
std::string PickCodeOf(const QDate& date);

class TFrmCA : public QDialog {
  Q_OBJECT
 public:
  // Empties the PickCode of dm, which must outlive the dialog.
  TFrmCA(QWidget* parent, TDM& dm, const std::string& deliveryText);

  QCalendarWidget* Calendar() const { return mca_; }
  // The double-click: PickCode = the selected day, close with OK.
  void Choose();

 protected:
  bool eventFilter(QObject* o, QEvent* e) override;
  void showEvent(QShowEvent* e) override;

 private:
  TDM& dm_;
  std::string text_;
  bool activated_ = false;
  QCalendarWidget* mca_ = nullptr;
};

}  // namespace tarvik
