#include "platform/RunningProgram.h"

namespace tarvik {

// The installer is Windows'; the lock file alone keeps one program per basket.
void MarkProgramRunning() {}

// X11 leaves raising another program's window to the window manager.
bool BringProgramForward(long long) { return false; }

}  // namespace tarvik
