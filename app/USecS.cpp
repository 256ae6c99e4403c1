#include "app/USecS.h"

namespace tarvik {

// Stand-in until the log-in screen lands.
bool RunLogin(QWidget*) { return false; }

}  // namespace tarvik
