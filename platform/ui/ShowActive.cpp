#include "ShowActive.h"

#include <QApplication>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace {

int g_waiting = 0;

bool Exposed(const QWidget* window) {
  const QWindow* handle = window->windowHandle();
  return handle && handle->isExposed();
}

bool Active(const QWidget* window) {
  const QWindow* handle = window->windowHandle();
  return handle && QGuiApplication::focusWindow() == handle;
}

// A notice shown without activation leaves the active window as it is.
bool TakesActivation(const QWidget* window) {
  return !window->testAttribute(Qt::WA_ShowWithoutActivating);
}

bool Up(const QWidget* window) {
  return Exposed(window) && (!TakesActivation(window) || Active(window));
}

// Ends the wait once the window is exposed and active; watches the events that can change
// either (exposure, activation, visibility), the window's and the application's.
class WindowUpWatcher final : public QObject {
 public:
  WindowUpWatcher(QWidget* window, QEventLoop* loop) : window_(window), loop_(loop) {
    window->installEventFilter(this);
    if (QWindow* handle = window->windowHandle()) handle->installEventFilter(this);
    connect(qApp, &QGuiApplication::focusWindowChanged, this, [this] { Check(); });
  }
  void Check() {
    if (!window_ || Up(window_) || !window_->isVisible()) loop_->quit();
  }

 protected:
  bool eventFilter(QObject*, QEvent* e) override {
    switch (e->type()) {
      case QEvent::Expose:
      case QEvent::WindowActivate:
      case QEvent::Hide:
        // The expose event is filtered before the window paints: look again afterwards.
        QTimer::singleShot(0, this, [this] { Check(); });
        break;
      default:
        break;
    }
    return false;
  }

 private:
  QPointer<QWidget> window_;
  QEventLoop* loop_;
};

}  // namespace

bool ShowActive(QWidget* window, int timeoutMs) {
  if (!window) return false;
  QPointer<QWidget> guard(window);
  window->show();
  window->raise();
  if (TakesActivation(window)) window->activateWindow();
  if (!Up(window)) {
    ++g_waiting;
    QEventLoop loop;
    WindowUpWatcher watcher(window, &loop);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    // Events already queued (the show's own exposure, offscreen) may settle it at once.
    QTimer::singleShot(0, &loop, [&watcher] { watcher.Check(); });
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    --g_waiting;
  }
  if (!guard) return false;
  const bool up = Up(window);
  // Not activated by the window system (none, or one that does not give this kind of window
  // the focus): the application makes it its active window, where progress is sent.
  if (TakesActivation(window) && !Active(window)) QApplication::setActiveWindow(window);
  window->repaint();
  return up;
}

bool ShowActiveWaiting() { return g_waiting > 0; }
