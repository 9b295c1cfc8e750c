#pragma once
// Run-time moving and resizing of one control with the mouse. The resizer watches the control's
// mouse events (and those of its viewport, for scroll areas): while locked every event reaches
// the control unchanged; unlocked, hovering over the edge bands and the body selects a zone and
// a cursor, and a drag with the left button moves or resizes the control on a grid of
// GridDimension pixels. The control is sent WM_STARTRESIZING when a drag in a zone starts and
// WM_ENDRESIZING when the button is released. A resizer is locked after construction; a
// double-click on the control locks it again (FixDblClick).
#include <QObject>
#include <QPointer>
#include <QRect>
#include <Qt>
#include <cstdint>
#include <functional>

class QWidget;
class QMouseEvent;

enum class TResizingKind : uint8_t { raVertical, raHorizontal, raCorner, raMove };

// A set of TResizingKind (one bit per kind).
class TResizingMode {
 public:
  constexpr TResizingMode() = default;
  constexpr TResizingMode(std::initializer_list<TResizingKind> kinds) {
    for (TResizingKind k : kinds) bits_ |= Bit(k);
  }
  static constexpr TResizingMode All() {
    return {TResizingKind::raVertical, TResizingKind::raHorizontal, TResizingKind::raCorner,
            TResizingKind::raMove};
  }
  constexpr bool Has(TResizingKind k) const { return (bits_ & Bit(k)) != 0; }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr bool operator==(const TResizingMode&) const = default;

 private:
  static constexpr uint8_t Bit(TResizingKind k) { return uint8_t(1u << unsigned(k)); }
  uint8_t bits_ = 0;
};

// The geometry of the resizer, apart from any widget.
namespace ResizerGeometry {
// Zones: 0 none, 1 top, 2 bottom, 3 left, 4 right edge, 5 top-left, 6 bottom-left,
// 7 bottom-right, 8 top-right corner, 9 move.
struct THit {
  int zone = 0;
  Qt::CursorShape cursor = Qt::ArrowCursor;
};
// The zone and cursor that hovering at (x, y) of a w x h control selects. Zones that shift the
// control's origin are offered only with raMove.
THit HitTest(int x, int y, int w, int h, int border, TResizingMode mode);
// (d div g) x g, the division cut toward zero.
int Snap(int d, int g);
// Bounds after a resize by raw deltas (snapped to g here): from the left (top) the origin moves
// and stops at 0 without growing the control; the size never drops below kMinSize.
QRect Resize(const QRect& r, int dW, bool fromLeft, int dH, bool fromTop, int g);
constexpr int kMinSize = 6;
}  // namespace ResizerGeometry

class TResizer : public QObject {
  Q_OBJECT

 public:
  // The control may be nullptr (attach it later with SetControl).
  TResizer(QObject* owner, QWidget* control);
  ~TResizer() override;

  QWidget* Control() const { return control_; }

  int ResizingBorder() const { return border_; }
  // Negative values are ignored; with a control only values smaller than its smaller side.
  void SetResizingDistance(int v);
  TResizingMode ResizingMode() const { return mode_; }
  void SetResizingMode(TResizingMode m) { mode_ = m; }
  int GridDimension() const { return grid_; }
  // A value <= 0 is stored as 1.
  void SetGridSpacing(int v) { grid_ = v <= 0 ? 1 : v; }
  bool FixDblClick() const { return fixDblClick_; }
  void SetFixDblClick(bool v) { fixDblClick_ = v; }

  bool Locked() const { return lock_; }
  // Stops any drag, stores the lock and gives the control the default cursor.
  void SetLockControl(bool lock);
  bool Dragging() const { return dragging_; }
  int Zone() const { return zone_; }

  // May adjust a move (Left, Top) before it is applied.
  std::function<void(TResizer*, int& left, int& top)> OnMove;
  // Told the raw deltas of a resize.
  std::function<void(TResizer*, int dWidth, int dHeight)> OnResize;

  // Clears dragging and zone and locks, as after loading a form.
  void Loaded();

 protected:
  virtual void DoMove(int left, int top);
  virtual void DoResize(int dW, bool fromLeft, int dH, bool fromTop);
  // Re-points the resizer to another control (nullptr detaches); the lock state is kept.
  void SetControl(QWidget* control);
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  void Attach(QWidget* control);
  void Detach();
  void ControlDestroyed();
  QPoint ControlPos(QObject* watched, const QMouseEvent* e) const;
  void MouseMove(QPoint p);
  void MouseDown(QPoint p);
  void MouseUp();
  void SetCursorShape(Qt::CursorShape shape);

  QPointer<QWidget> control_;
  QPointer<QWidget> viewport_;  // the scroll area's viewport, which gets the mouse events
  int anchorX_ = 0;
  int anchorY_ = 0;
  bool dragging_ = false;
  int zone_ = 0;
  int border_ = 8;
  TResizingMode mode_{TResizingKind::raHorizontal, TResizingKind::raMove};
  bool lock_ = true;
  int grid_ = 10;
  bool fixDblClick_ = true;
};

// The form-placeable resizer: the controlled control is chosen with SetComponent.
class TComponentResizer : public TResizer {
  Q_OBJECT

 public:
  explicit TComponentResizer(QObject* owner) : TResizer(owner, nullptr) {}
  QWidget* Component() const { return Control(); }
  void SetComponent(QWidget* control) { SetControl(control); }
};
