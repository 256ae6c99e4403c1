#pragma once
// TFrmHelp: how to use the program, a fixed text.
#include "screens/ClosableDialog.h"

namespace tarvik {

// The help text shown (UTF-8, ten numbered points).
const char* HelpText();

class TFrmHelp : public TClosableDialog {
  Q_OBJECT
 public:
  explicit TFrmHelp(QWidget* parent);
};

}  // namespace tarvik
