#pragma once
// The hourglass over the whole program while a blocking request runs: the
// screens do not answer until the reply is in, and the cursor says so.
#include <QApplication>

namespace tarvik {

class WaitCursor {
 public:
  WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WaitCursor() { QApplication::restoreOverrideCursor(); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace tarvik
