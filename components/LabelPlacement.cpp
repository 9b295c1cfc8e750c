#include "LabelPlacement.h"

QPoint ChildLabelPos(const QRect& c, QSize label, TLabelPosition position, int s, Qt::Alignment alignment) {
  const int w = label.width(), h = label.height();
  const bool right = alignment & Qt::AlignRight;
  const bool centre = alignment & Qt::AlignHCenter;
  int x = 0, y = 0;
  switch (position) {
    case TLabelPosition::lpAbove:
    case TLabelPosition::lpBelow:
      x = c.left();
      y = position == TLabelPosition::lpAbove ? c.top() - h - s : c.top() + c.height() + s;
      if (right) x += c.width() - w;
      if (centre) x += (c.width() - w) / 2;
      break;
    case TLabelPosition::lpLeft:
    case TLabelPosition::lpRight:
      x = position == TLabelPosition::lpLeft ? c.left() - s : c.left() + c.width() + s;
      y = c.top() + (c.height() - h) / 2;
      if (right) x -= w;
      if (centre) x -= w / 2;
      break;
  }
  return {x, y};
}

QPoint EditLabelPos(const QRect& c, QSize label, TLabelPosition position, int s) {
  const int mid = c.top() + (c.height() - label.height()) / 2;
  switch (position) {
    case TLabelPosition::lpAbove:
      return {c.left(), c.top() - label.height() - s};
    case TLabelPosition::lpBelow:
      return {c.left(), c.top() + c.height() + s};
    case TLabelPosition::lpLeft:
      return {c.left() - label.width() - s, mid};
    case TLabelPosition::lpRight:
      return {c.left() + c.width() + s, mid};
  }
  return c.topLeft();
}
