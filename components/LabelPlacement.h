#pragma once
// Where a caption label goes beside its control: above, below, left or right of it, at a given
// spacing, with the label's alignment shifting it along the control.
#include <QPoint>
#include <QRect>
#include <QSize>
#include <Qt>

enum class TLabelPosition { lpAbove, lpBelow, lpLeft, lpRight };

// The owned caption of a data-bound value editor: left of the control, spacing counted from
// the control's left edge to the label's left edge (so the label fills the space in between);
// right-aligned labels end at that point, centred ones straddle it.
QPoint ChildLabelPos(const QRect& control, QSize label, TLabelPosition position, int spacing,
                     Qt::Alignment alignment);
// The caption of the labeled numeric edit: spacing is the gap between label and control.
QPoint EditLabelPos(const QRect& control, QSize label, TLabelPosition position, int spacing);
