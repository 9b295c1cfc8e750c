#pragma once
// A numeric entry field with a caption label that the user can move and resize with the mouse
// at run time. The numbers follow TNumericEdit, except that the thousands separator is not
// taken for the decimal separator and with Precision 0 no decimals can be typed. It has no
// focus chain: Enter (after confirming), Up and Down go to the next or previous control in the
// window's tab order.
// Mouse: hovering over the left/right (ResizingMode raHorizontal) or top/bottom (raVertical)
// band of ResizingBorder pixels selects an edge; a left press (raMove must be offered) drags
// that edge, or moves the field on a 10-pixel grid when no edge is selected. SetLockControl(true)
// stops all of that.
#include <QLabel>
#include <QPointer>

#include "ComponentResizer.h"
#include "LabelPlacement.h"
#include "NumericEdit.h"

// The mouse rules of the field, apart from any widget.
namespace LabeledEditMouse {
// Zone (0 none, 1 top, 2 bottom, 3 left, 4 right) and cursor of a hover at (x, y).
ResizerGeometry::THit HitTest(int x, int y, int w, int h, int border, TResizingMode mode);
// One drag step in zone (9 = move) from anchor (ax, ay) to (x, y): the new bounds; the anchor
// advances for the bottom and right edges. Sizes stay at least ResizerGeometry::kMinSize.
QRect Drag(const QRect& r, int zone, int& ax, int& ay, int x, int y);
}  // namespace LabeledEditMouse

class TKivLabeledEdit : public TNumericEdit {
  Q_OBJECT

 public:
  explicit TKivLabeledEdit(QWidget* parent = nullptr);
  ~TKivLabeledEdit() override;

  QLabel* EditLabel() const { return label_; }
  TLabelPosition LabelPosition() const { return labelPosition_; }
  void SetLabelPosition(TLabelPosition p);
  int LabelSpacing() const { return labelSpacing_; }
  void SetLabelSpacing(int s);

  int ResizingBorder() const { return border_; }
  // Taken only when >= 0 and smaller than the field's smaller side.
  void SetResizingDistance(int v);
  TResizingMode ResizingMode() const { return mode_; }
  void SetResizingMode(TResizingMode m) { mode_ = m; }
  bool Locked() const { return lock_; }
  void SetLockControl(bool lock);
  int Zone() const { return zone_; }

  void FocusNextControl() { focusNextPrevChild(true); }
  void FocusPrevControl() { focusNextPrevChild(false); }

 protected:
  bool event(QEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void inputMethodEvent(QInputMethodEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void moveEvent(QMoveEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;

 private:
  // The field has no focus chain of its own.
  using TNumericEdit::SetNextControl;
  using TNumericEdit::SetPrevControl;
  bool Refuses(QChar key) const;
  void PlaceLabel();

  QPointer<QLabel> label_;
  TLabelPosition labelPosition_ = TLabelPosition::lpAbove;
  int labelSpacing_ = 3;
  int border_ = 8;
  TResizingMode mode_{TResizingKind::raHorizontal, TResizingKind::raMove};
  bool lock_ = false;
  bool dragging_ = false;
  int zone_ = 0;
  int anchorX_ = 0;
  int anchorY_ = 0;
};
