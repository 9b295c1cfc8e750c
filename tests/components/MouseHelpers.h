#pragma once
// Mouse input for the resizer tests. Points are given in the parent's coordinates, as a mouse
// that stays put while the control moves under it would give them.
#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <QWidget>

// Hover (no button held): Qt Test would move the real cursor, so the event is sent directly.
inline void HoverAt(QWidget* w, QPoint local) {
  QMouseEvent e(QEvent::MouseMove, local, w->mapToGlobal(local), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(w, &e);
}

// Press at a point of the control, drag through points of the parent, release at the last one.
inline void DragFrom(QWidget* w, QPoint local, std::initializer_list<QPoint> parentPoints) {
  HoverAt(w, local);
  QTest::mousePress(w, Qt::LeftButton, Qt::NoModifier, local);
  QPoint last = local;
  for (QPoint p : parentPoints) {
    last = p - w->pos();
    QTest::mouseMove(w, last);
  }
  QTest::mouseRelease(w, Qt::LeftButton, Qt::NoModifier, last);
}
