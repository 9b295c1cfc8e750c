#include "ScreenCursor.h"

#include <QApplication>
#include <QCursor>

void SetScreenCursor(ScreenCursor cursor) {
  if (cursor == ScreenCursor::Default) {
    while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
    return;
  }
  const Qt::CursorShape shape = cursor == ScreenCursor::HourGlass ? Qt::WaitCursor : Qt::BusyCursor;
  if (QApplication::overrideCursor())
    QApplication::changeOverrideCursor(QCursor(shape));
  else
    QApplication::setOverrideCursor(QCursor(shape));
}

ScreenCursor CurrentScreenCursor() {
  const QCursor* c = QApplication::overrideCursor();
  if (!c) return ScreenCursor::Default;
  return c->shape() == Qt::WaitCursor ? ScreenCursor::HourGlass : ScreenCursor::AppStart;
}
