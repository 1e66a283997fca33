#pragma once
// Ending the program from outside: the desktop ends a session with SIGTERM
// (or SIGHUP when its terminal goes). Such a signal ends the program the way
// its close box does: the main window closes, the work of the open
// transaction is committed, the program quits. The handler itself only
// writes a byte to a pipe; the closing runs in the event loop.
#include <functional>

// Routes SIGTERM and SIGHUP to `close`, called once in the event loop.
// Call again after anything that may have taken the signals over (the
// embedded database engine installs handlers of its own when it attaches).
void QuitOnSignals(std::function<void()> close);
