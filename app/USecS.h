#pragma once
class QWidget;

namespace tarvik {

// Shows the log-in screen modally over parent. True when the log-in succeeded
// and the catalogue load has run; false when it was cancelled.
bool RunLogin(QWidget* parent);

}  // namespace tarvik
