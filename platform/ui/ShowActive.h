#pragma once
// Bringing a window up before a pass that blocks the user-interface thread (a connect, a
// programming, a load, the silent connect under the splash). While such a pass runs no event is
// processed: a window the window system has not yet mapped, exposed and activated stays blank,
// and the pass's progress messages, which go to the active window, reach another window or none.
// So the window must be on the screen, painted and active before the pass starts; and when it
// goes, the activation and the keyboard focus must go back where they were, or the keys of the
// user reach no window at all.
class QWidget;

// How long ShowActive waits for the window system at most.
constexpr int kShowActiveTimeoutMs = 2000;

// Shows and raises the window, asks the window system to activate it, and runs the event loop
// (user input held back until later) until the window is exposed, painted and the active window,
// or timeoutMs has passed. A window the window system did not activate in time becomes the
// application's active window all the same, so the progress messages still reach it. A window
// shown without activation (Qt::WA_ShowWithoutActivating, a notice) is only waited for until it
// is exposed and painted. True when the window system did all it had to in time.
// When the window is hidden or deleted, the activation goes back as ReturnActivationOnHide says,
// to the window that was active before.
bool ShowActive(QWidget* window, int timeoutMs = kShowActiveTimeoutMs);

// From now on, whenever `window` is hidden or deleted while it, or no window, is the active one,
// the activation goes to `previous` (when null, or gone by then, to the window's owner) and the
// keyboard focus to the control of that window that had it when this was called. Neither the
// window system nor the offscreen platform does that by itself after a window that took the
// activation goes. A later call for the same window names another `previous`; a null or the
// window itself keeps the one named before.
void ReturnActivationOnHide(QWidget* window, QWidget* previous);

// Runs the event loop (user input held back) until the window is exposed, or timeoutMs has
// passed, then paints it at once: a window that must be seen whole before a question or a pass
// that comes next. True when it is exposed.
bool PaintExposed(QWidget* window, int timeoutMs = kShowActiveTimeoutMs);

// True while ShowActive waits: the idle moments of that wait are not the message loop's own.
bool ShowActiveWaiting();
