#pragma once
// Where the editor's limit hint goes beside its field, as plain geometry: the hint must lie
// inside the area it is drawn in and cover nothing there.
#include <QRect>
#include <QSize>
#include <optional>
#include <vector>

// The first of these places for a hint of `hint` size next to `field` that lies inside `area`
// and meets none of `obstacles` (the field itself among them): at `offset` from the field's
// left edge, vertically centred on it (the design place); just right of the field; right of
// whatever stands beside the field in its row; below the field; above it. None when no place
// fits. `gap` is the room kept between the hint and what it sits beside.
std::optional<QRect> PlaceLimitHint(const QRect& field, QSize hint, int offset, const QRect& area,
                                    const std::vector<QRect>& obstacles, int gap);
