#pragma once
// Bringing a window up before a pass that blocks the user-interface thread (a connect, a
// programming, a load, the silent connect under the splash). While such a pass runs no event is
// processed: a window the window system has not yet mapped, exposed and activated stays blank,
// and the pass's progress messages, which go to the active window, reach another window or none.
// So the window must be on the screen, painted and active before the pass starts.
class QWidget;

// How long ShowActive waits for the window system at most.
constexpr int kShowActiveTimeoutMs = 2000;

// Shows and raises the window, asks the window system to activate it, and runs the event loop
// (user input held back until later) until the window is exposed, painted and the active window,
// or timeoutMs has passed. A window the window system did not activate in time becomes the
// application's active window all the same, so the progress messages still reach it. A window
// shown without activation (Qt::WA_ShowWithoutActivating, a notice) is only waited for until it
// is exposed and painted. True when the window system did all it had to in time.
bool ShowActive(QWidget* window, int timeoutMs = kShowActiveTimeoutMs);

// True while ShowActive waits: the idle moments of that wait are not the message loop's own.
bool ShowActiveWaiting();
