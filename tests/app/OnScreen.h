#pragma once
// What a window shows on the screen, as the window system has it (on a real X server the pixels
// of the server, offscreen those of the platform's backing store), against what the window
// draws. A pass that blocks the user-interface thread can only be followed on the screen when
// its window was exposed and painted before it started.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPointer>
#include <QProgressBar>
#include <QScreen>
#include <QWidget>
#include <string>
#include <utility>
#include <vector>

#include "PrivateMessage.h"

// The window's pixels on the screen (null when the window system has none to give).
inline QImage OnScreen(QWidget* window) {
  QScreen* screen = window->screen();
  if (!screen || !window->windowHandle()) return {};
  return screen->grabWindow(window->winId()).toImage().convertToFormat(QImage::Format_RGB32);
}

// The share of the control's pixels (0..1) that the screen shows as the window draws them.
// A control the screen image does not cover counts as not shown.
inline double ShownAsDrawn(const QImage& screen, QWidget* window, QWidget* control) {
  const QImage drawn = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
  const QRect r(control->mapTo(window, QPoint(0, 0)), control->size());
  if (screen.isNull() || !screen.rect().contains(r) || !drawn.rect().contains(r)) return 0.0;
  long same = 0;
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x)
      if (screen.pixel(x, y) == drawn.pixel(x, y)) ++same;
  return static_cast<double>(same) / (static_cast<double>(r.width()) * r.height());
}

// The controls whose drawing follows a pass: labels with a text and progress bars, visible.
inline std::vector<QWidget*> FollowingControls(QWidget* window) {
  std::vector<QWidget*> controls;
  for (QWidget* w : window->findChildren<QWidget*>()) {
    if (!w->isVisible()) continue;
    auto* label = qobject_cast<QLabel*>(w);
    if ((label && !label->text().isEmpty()) || qobject_cast<QProgressBar*>(w)) controls.push_back(w);
  }
  return controls;
}

inline QString ScreenshotPath(const QString& name) {
  const QString dir = QDir::current().filePath(QStringLiteral("test-results/screenshots"));
  QDir().mkpath(dir);
  return dir + QLatin1Char('/') + QGuiApplication::platformName() + QLatin1Char('-') + name +
         QStringLiteral(".png");
}

// Watches the WM_PROGRESS messages of a pass: the class of the window each reaches, and, for
// each one, whether that window's labels and bars are on the screen as the window draws them at
// that moment (before it handles the message). Kept for a person to look at, under
// test-results/screenshots: <platform>-<shot>.png, the window at its last message, and
// <platform>-<shot>-screen.png, the whole screen at its first (a second window of the same pass
// adds "-2" to the names).
class ProgressOnScreen final : public QObject {
 public:
  explicit ProgressOnScreen(QString shot) : shot_(std::move(shot)) { qApp->installEventFilter(this); }
  ~ProgressOnScreen() override { qApp->removeEventFilter(this); }

  std::vector<std::string> receivers;
  // "<control>: <share>" for every control that the screen did not show as drawn.
  std::vector<std::string> notShown;
  int checkedControls = 0;

 protected:
  bool eventFilter(QObject* o, QEvent* e) override {
    if (!AsPrivateMessage(e, WM_PROGRESS)) return false;
    receivers.push_back(o->metaObject()->className());
    auto* window = qobject_cast<QWidget*>(o);
    if (!window || !window->isWindow()) return false;
    const QImage screen = OnScreen(window);
    for (QWidget* control : FollowingControls(window)) {
      ++checkedControls;
      const double share = ShownAsDrawn(screen, window, control);
      if (share < kShownShare)
        notShown.push_back(control->objectName().toStdString() + ": " + std::to_string(share));
    }
    // One picture per window that took the pass's progress: the window at the last message,
    // and the whole screen at the first.
    if (window != lastWindow_) {
      lastWindow_ = window;
      ++windows_;
      if (QScreen* s = window->screen())
        s->grabWindow(0).save(ScreenshotPath(Shot() + QStringLiteral("-screen")), "PNG");
    }
    if (!screen.isNull()) screen.save(ScreenshotPath(Shot()), "PNG");
    return false;
  }

 private:
  QString Shot() const { return windows_ > 1 ? shot_ + QLatin1Char('-') + QString::number(windows_) : shot_; }
  QPointer<QWidget> lastWindow_;  // null again once that window is gone
  int windows_ = 0;
  // Text antialiasing may differ by a few pixels between the two paths.
  static constexpr double kShownShare = 0.98;
  QString shot_;
};

// Every progress message of the pass reaches the window that waits for it, and that window is
// on the screen, drawn, while the pass runs (on a real display too, where a window is exposed
// and activated only through the event loop).
inline void ExpectFollowed(const ProgressOnScreen& watch, const char* window) {
  ASSERT_FALSE(watch.receivers.empty());
  EXPECT_EQ(watch.receivers, std::vector<std::string>(watch.receivers.size(), window));
  EXPECT_GT(watch.checkedControls, 0);
  EXPECT_EQ(watch.notShown, std::vector<std::string>{});
}
