#pragma once
// The hourglass cursor for the lifetime of the guard (or until Release).
#include <QApplication>

class TWaitCursor {
 public:
  TWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~TWaitCursor() { Release(); }
  TWaitCursor(const TWaitCursor&) = delete;
  TWaitCursor& operator=(const TWaitCursor&) = delete;

  void Release() {
    if (!active_) return;
    active_ = false;
    QApplication::restoreOverrideCursor();
  }

 private:
  bool active_ = true;
};
