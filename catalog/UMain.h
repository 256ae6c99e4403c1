#pragma once
#include <QWidget>

namespace tarvik {

// The main window. Its creation runs the log-in modally.
class TFrmMain : public QWidget {
  Q_OBJECT
 public:
  explicit TFrmMain(QWidget* parent = nullptr);
  // False when the log-in was cancelled: the program ends.
  bool LoggedIn() const { return loggedIn_; }

 private:
  bool loggedIn_ = false;
};

}  // namespace tarvik
