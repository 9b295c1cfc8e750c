#pragma once
// A cursor over the whole program for the lifetime of the guard (or until Release): the
// hourglass, or another busy shape (the start-up cursor while connecting). Guards nest; each
// takes back only its own.
#include <QApplication>

class TWaitCursor {
 public:
  explicit TWaitCursor(Qt::CursorShape shape = Qt::WaitCursor) { QApplication::setOverrideCursor(shape); }
  ~TWaitCursor() { Release(); }
  TWaitCursor(const TWaitCursor&) = delete;
  TWaitCursor& operator=(const TWaitCursor&) = delete;

  // Another shape while the guard holds, when it is the innermost one.
  void Change(Qt::CursorShape shape) {
    if (active_) QApplication::changeOverrideCursor(shape);
  }
  void Release() {
    if (!active_) return;
    active_ = false;
    QApplication::restoreOverrideCursor();
  }

 private:
  bool active_ = true;
};
