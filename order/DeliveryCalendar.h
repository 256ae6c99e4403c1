#pragma once
// TFrmCA: the delivery-date calendar. Opened with the text of the delivery
// date box; a double-click on a day (or the arrows, then Enter) chooses it
// (Chosen(), yymmdd) and closes with OK; Esc or the close button cancels.
#include <QDate>
#include <QDialog>

#include <optional>
#include <string>

class QCalendarWidget;

namespace tarvik {

// The day the calendar opens on: text as yymmdd (20yy) when it is a valid
// date, otherwise today.
QDate CalendarStartDate(const std::string& text, const QDate& today);
// A date as yymmdd.
std::string PickCodeOf(const QDate& date);

class TFrmCA : public QDialog {
  Q_OBJECT
 public:
  TFrmCA(QWidget* parent, const std::string& deliveryText);

  QCalendarWidget* Calendar() const { return mca_; }
  // The double-click: the selected day is chosen, close with OK.
  void Choose();
  const std::optional<std::string>& Chosen() const { return chosen_; }

 protected:
  bool eventFilter(QObject* o, QEvent* e) override;
  void showEvent(QShowEvent* e) override;

 private:
  std::string text_;
  std::optional<std::string> chosen_;
  bool activated_ = false;
  QCalendarWidget* mca_ = nullptr;
};

}  // namespace tarvik
