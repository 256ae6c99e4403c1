#include "platform/ScreenFit.h"

namespace tarvik {

// X11 and Wayland tell the screen only through the toolkit: Qt's own scale
// stays, and KeepInside still keeps the windows on the screen.
ScreenRoom PrimaryScreenRoom() { return ScreenRoom{}; }

}  // namespace tarvik
