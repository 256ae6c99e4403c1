#pragma once
// TFrmHelp: how to use the program, a fixed text.
#include <QDialog>

namespace tarvik {

// The help text shown (UTF-8, ten numbered points).
const char* HelpText();

class TFrmHelp : public QDialog {
  Q_OBJECT
 public:
  explicit TFrmHelp(QWidget* parent);

 protected:
  void keyPressEvent(QKeyEvent* e) override;
};

}  // namespace tarvik
