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
bool TakesActivation(const QWidget* window) { return !window->testAttribute(Qt::WA_ShowWithoutActivating); }

bool Up(const QWidget* window) { return Exposed(window) && (!TakesActivation(window) || Active(window)); }

// Gives the activation back when its window is hidden (not merely minimised by the user) or
// deleted; a child of that window, so it goes with it.
class ActivationReturn final : public QObject {
 public:
  static constexpr const char* kName = "ActivationReturn";
  explicit ActivationReturn(QWidget* window) : QObject(window), window_(window) {
    setObjectName(QLatin1String(kName));
    window->installEventFilter(this);
  }
  void SetPrevious(QWidget* previous) {
    if (!previous || previous == window_) return;
    previous_ = previous;
    focus_ = previous->focusWidget();
  }

 protected:
  bool eventFilter(QObject* o, QEvent* e) override {
    if (o == window_ && e->type() == QEvent::Hide && !e->spontaneous()) GiveBack();
    return false;
  }

 private:
  QWidget* Target() const {
    QWidget* target = previous_;
    if ((!target || !target->isVisible()) && window_->parentWidget())
      target = window_->parentWidget()->window();
    // A modal dialog still open takes the keys whatever is activated under it.
    QWidget* modal = QApplication::activeModalWidget();
    if (modal && modal != window_ && modal->isVisible() && modal != target) target = modal;
    return target && target != window_ && target->isVisible() ? target : nullptr;
  }
  void GiveBack() {
    // Another window that took the activation meanwhile (a message box) keeps it.
    const QWidget* active = QApplication::activeWindow();
    if (active && active != window_ && active->isVisible()) return;
    QWidget* target = Target();
    if (!target) return;
    target->activateWindow();  // the window system's focus
    // Qt's own, at once: the menu shortcuts and the keys work before the window system answers.
    if (QApplication::activeWindow() != target) QApplication::setActiveWindow(target);
    if (focus_ && focus_->window() == target && focus_->isVisible() && focus_->isEnabled())
      focus_->setFocus(Qt::ActiveWindowFocusReason);
  }

  QWidget* window_;
  QPointer<QWidget> previous_;
  QPointer<QWidget> focus_;
};

// Ends the wait once the window is up (`up`); watches the events that can change that
// (exposure, activation, visibility), the window's and the application's.
class WindowUpWatcher final : public QObject {
 public:
  WindowUpWatcher(QWidget* window, QEventLoop* loop, bool (*up)(const QWidget*))
      : window_(window), loop_(loop), up_(up) {
    window->installEventFilter(this);
    if (QWindow* handle = window->windowHandle()) handle->installEventFilter(this);
    connect(qApp, &QGuiApplication::focusWindowChanged, this, [this] { Check(); });
  }
  void Check() {
    if (!window_ || up_(window_) || !window_->isVisible()) loop_->quit();
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
  bool (*up_)(const QWidget*);
};

// Runs the event loop, user input held back, until the window is up or timeoutMs has passed.
void WaitUntilUp(QWidget* window, int timeoutMs, bool (*up)(const QWidget*)) {
  if (up(window)) return;
  ++g_waiting;
  QEventLoop loop;
  WindowUpWatcher watcher(window, &loop, up);
  QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
  // Events already queued (the show's own exposure, offscreen) may settle it at once.
  QTimer::singleShot(0, &loop, [&watcher] { watcher.Check(); });
  loop.exec(QEventLoop::ExcludeUserInputEvents);
  --g_waiting;
}

}  // namespace

void ReturnActivationOnHide(QWidget* window, QWidget* previous) {
  if (!window) return;
  // The class has no meta-object of its own: it is found by its name.
  auto* giveBack = static_cast<ActivationReturn*>(
      window->findChild<QObject*>(QLatin1String(ActivationReturn::kName), Qt::FindDirectChildrenOnly));
  if (!giveBack) giveBack = new ActivationReturn(window);
  giveBack->SetPrevious(previous);
}

bool ShowActive(QWidget* window, int timeoutMs) {
  if (!window) return false;
  QPointer<QWidget> guard(window);
  ReturnActivationOnHide(window, QApplication::activeWindow());
  window->show();
  window->raise();
  if (TakesActivation(window)) window->activateWindow();
  WaitUntilUp(window, timeoutMs, &Up);
  if (!guard) return false;
  const bool up = Up(window);
  // Not activated by the window system (none, or one that does not give this kind of window
  // the focus): the application makes it its active window, where progress is sent.
  if (TakesActivation(window) && !Active(window)) QApplication::setActiveWindow(window);
  window->repaint();
  return up;
}

bool PaintExposed(QWidget* window, int timeoutMs) {
  if (!window || !window->isVisible()) return false;
  QPointer<QWidget> guard(window);
  // What the window system sent meanwhile (a new size, an exposure) first.
  ++g_waiting;
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  --g_waiting;
  if (!guard) return false;
  WaitUntilUp(window, timeoutMs, &Exposed);
  if (!guard) return false;
  window->repaint();
  return Exposed(window);
}

bool ShowActiveWaiting() { return g_waiting > 0; }
