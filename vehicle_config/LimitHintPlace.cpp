#include "LimitHintPlace.h"

#include <algorithm>

namespace {

bool Free(const QRect& r, const QRect& area, const std::vector<QRect>& obstacles) {
  if (!area.contains(r)) return false;
  return std::none_of(obstacles.begin(), obstacles.end(), [&r](const QRect& o) { return o.intersects(r); });
}

}  // namespace

std::optional<QRect> PlaceLimitHint(const QRect& field, QSize hint, int offset, const QRect& area,
                                    const std::vector<QRect>& obstacles, int gap) {
  const int centredTop = field.top() + (field.height() - hint.height()) / 2;
  // What stands in the field's row right of it ends where the hint may start.
  int rowEnd = field.right();
  const QRect row(field.right() + 1, centredTop, std::max(0, area.right() - field.right()), hint.height());
  for (const QRect& o : obstacles)
    if (o.intersects(row)) rowEnd = std::max(rowEnd, o.right());
  const QRect places[] = {
      QRect(QPoint(field.left() + offset, centredTop), hint),
      QRect(QPoint(field.right() + 1 + gap, centredTop), hint),
      QRect(QPoint(rowEnd + 1 + gap, centredTop), hint),
      QRect(QPoint(field.left(), field.bottom() + 1 + gap), hint),
      QRect(QPoint(field.left(), field.top() - gap - hint.height()), hint),
  };
  for (const QRect& r : places)
    if (Free(r, area, obstacles)) return r;
  return std::nullopt;
}
