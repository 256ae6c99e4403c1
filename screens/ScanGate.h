#pragma once
// The one place where a barcode scan is told from typing, for every screen
// of the program: an application-wide key filter. Printable keys that may
// belong to a scan are held back (ScanRule) and given back in their order as
// soon as they turn out to be typing. A scan in the home window (the main
// screen) goes to the sink. In another window it goes to the sink too when
// the focus is anywhere but an ordinary text field (a button, a list, the
// calendar, a message box, a field given to RefuseScans), and the Enter or
// Tab that ended it goes nowhere, so no dialog is ever confirmed or closed by
// it. An ordinary text field of another window (a search or code field)
// takes the scan as typed over its whole text, Enter included: a code there
// is what the field is for, and a tool may type it at a scanner's pace.
//
// Only keys of the window system count: a key without a time (sent by the
// program itself or by a test) is typing.
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "screens/ScanRule.h"

class QKeyEvent;
class QWidget;

namespace tarvik {

class ScanGate : public QObject {
  Q_OBJECT
 public:
  // Gets each scan after the key that ended it has gone by: the code and the
  // window that had the keys (null when it has closed since).
  using Sink = std::function<void(const std::string& code, QWidget* window)>;
  // Installs itself on the application until destroyed. Filters installed
  // later see keys before it: make it last.
  explicit ScanGate(QWidget* home, Sink sink, ScanTiming timing = ScanTiming());
  ~ScanGate() override;

  // A quantity, date or note field of a dialog: a scan never types into it.
  static void RefuseScans(QWidget* field);

  // Keys typed into window (and its children) pass untouched: the log-in and
  // the password change hold no basket, and their IDs and passwords are
  // typed, pasted or filled in by a tool at any speed.
  static void LeaveKeysTo(QWidget* window);

 protected:
  bool eventFilter(QObject* o, QEvent* e) override;

 private:
  struct Held {
    QPointer<QObject> to;
    std::unique_ptr<QKeyEvent> key;
  };
  void Hold(QObject* to, const QKeyEvent& k);
  // Sends the held keys to where they were going, in order.
  void GiveBack();

  // Whether a scan ending at key in window goes to the sink (else it is
  // typed over the focused field's text).
  bool ToSink(QObject* to, QWidget* window) const;

  QPointer<QWidget> home_;
  Sink sink_;
  ScanRule rule_;
  std::vector<Held> held_;
  QTimer timeout_;       // a pause longer than a scan's gives the held keys back
  QEvent* replaying_ = nullptr;  // the held key being given back passes
  int swallowRelease_ = 0;       // the release of the key that ended a scan
};

}  // namespace tarvik
