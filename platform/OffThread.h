#pragma once
// A blocking call (a service request) run on a worker thread while the
// window stays alive: the GUI thread keeps painting with the wait cursor and
// answering the window system, so Windows never marks the window as not
// responding, and the clerk's input waits. Keys pressed meanwhile are handed
// to their widgets, in order, once the call has ended (as the window system
// would have delivered them to a busy window); clicks, wheel turns and close
// requests are dropped.
#include <functional>

namespace tarvik {

// Runs work to its end and returns after it. On the GUI thread of a running
// QGuiApplication it runs on a thread of its own while a local event loop
// turns; anywhere else (no application, another thread) it runs in place.
void RunOffGuiThread(const std::function<void()>& work);

}  // namespace tarvik
