#include "ComponentResizer.h"

#include <QAbstractScrollArea>
#include <QMouseEvent>
#include <QWidget>
#include <algorithm>

#include "MessageSink.h"
#include "PrivateMessage.h"

namespace ResizerGeometry {

THit HitTest(int x, int y, int w, int h, int border, TResizingMode mode) {
  const int b = border;
  const bool move = mode.Has(TResizingKind::raMove);
  if (mode.Has(TResizingKind::raCorner)) {
    if (x < b && y < b && move) return {5, Qt::SizeFDiagCursor};
    if (x > w - b && y > h - b) return {7, Qt::SizeFDiagCursor};
    if (x < b && y > h - b && move) return {6, Qt::SizeBDiagCursor};
    if (x > w - b && y < b && move) return {8, Qt::SizeBDiagCursor};
  }
  if (mode.Has(TResizingKind::raHorizontal)) {
    if (x < b && move) return {3, Qt::SizeHorCursor};
    if (x > w - b) return {4, Qt::SizeHorCursor};
  }
  if (mode.Has(TResizingKind::raVertical)) {
    if (y < b && move) return {1, Qt::SizeVerCursor};
    if (y > h - b) return {2, Qt::SizeVerCursor};
  }
  if (move) return {9, Qt::SizeAllCursor};
  return {0, Qt::ArrowCursor};
}

int Snap(int d, int g) { return g > 0 ? (d / g) * g : d; }

namespace {
// One axis: origin and size after a resize by d (already snapped).
void ResizeAxis(int& origin, int& size, int d, bool fromOrigin) {
  if (fromOrigin) {
    origin -= d;
    if (origin < 0) {
      origin = 0;
      return;
    }
  }
  size = std::max(size + d, kMinSize);
}
}  // namespace

QRect Resize(const QRect& r, int dW, bool fromLeft, int dH, bool fromTop, int g) {
  int l = r.left(), t = r.top(), w = r.width(), h = r.height();
  ResizeAxis(l, w, Snap(dW, g), fromLeft);
  ResizeAxis(t, h, Snap(dH, g), fromTop);
  return QRect(l, t, w, h);
}

}  // namespace ResizerGeometry

TResizer::TResizer(QObject* owner, QWidget* control) : QObject(owner) {
  setObjectName(QStringLiteral("Resizer"));
  if (control) Attach(control);
}

TResizer::~TResizer() { Detach(); }

void TResizer::Attach(QWidget* control) {
  control_ = control;
  control->installEventFilter(this);
  control->setMouseTracking(true);
  if (auto* area = qobject_cast<QAbstractScrollArea*>(control)) {
    viewport_ = area->viewport();
    viewport_->installEventFilter(this);
    viewport_->setMouseTracking(true);
  }
  connect(control, &QObject::destroyed, this, &TResizer::ControlDestroyed);
  anchorX_ = control->x();
  anchorY_ = control->y();
}

void TResizer::Detach() {
  if (viewport_) viewport_->removeEventFilter(this);
  if (control_) {
    control_->removeEventFilter(this);
    disconnect(control_, &QObject::destroyed, this, &TResizer::ControlDestroyed);
  }
  control_ = nullptr;
  viewport_ = nullptr;
}

void TResizer::ControlDestroyed() {
  control_ = nullptr;
  viewport_ = nullptr;
  dragging_ = false;
  zone_ = 0;
  lock_ = true;
}

void TResizer::SetControl(QWidget* control) {
  const bool wasLocked = lock_;
  SetLockControl(true);
  Detach();
  if (control) Attach(control);
  lock_ = wasLocked;
}

void TResizer::Loaded() {
  dragging_ = false;
  zone_ = 0;
  lock_ = true;
}

void TResizer::SetResizingDistance(int v) {
  if (v < 0) return;
  if (control_ && v >= std::min(control_->width(), control_->height())) return;
  border_ = v;
}

void TResizer::SetLockControl(bool lock) {
  dragging_ = false;
  lock_ = lock;
  SetCursorShape(Qt::ArrowCursor);
}

void TResizer::SetCursorShape(Qt::CursorShape shape) {
  if (!control_) return;
  control_->setCursor(shape);
  if (viewport_) viewport_->setCursor(shape);
}

QPoint TResizer::ControlPos(QObject* watched, const QMouseEvent* e) const {
  const QPoint p = e->position().toPoint();
  if (watched == viewport_ && control_) return viewport_->mapTo(control_, p);
  return p;
}

bool TResizer::eventFilter(QObject* watched, QEvent* e) {
  if (lock_ || !control_ || (watched != control_ && watched != viewport_))
    return QObject::eventFilter(watched, e);
  switch (e->type()) {
    case QEvent::MouseMove:
      MouseMove(ControlPos(watched, static_cast<QMouseEvent*>(e)));
      return true;
    case QEvent::MouseButtonPress: {
      auto* m = static_cast<QMouseEvent*>(e);
      if (m->button() != Qt::LeftButton) break;
      MouseDown(ControlPos(watched, m));
      return true;
    }
    case QEvent::MouseButtonRelease:
      if (static_cast<QMouseEvent*>(e)->button() != Qt::LeftButton) break;
      MouseUp();
      return true;
    case QEvent::MouseButtonDblClick:
      if (static_cast<QMouseEvent*>(e)->button() != Qt::LeftButton || !fixDblClick_) break;
      SetLockControl(true);
      return true;
    default:
      break;
  }
  return QObject::eventFilter(watched, e);
}

void TResizer::MouseMove(QPoint p) {
  const int x = p.x(), y = p.y();
  if (!dragging_) {
    const ResizerGeometry::THit hit =
        ResizerGeometry::HitTest(x, y, control_->width(), control_->height(), border_, mode_);
    zone_ = hit.zone;
    SetCursorShape(hit.cursor);
    return;
  }
  using ResizerGeometry::Snap;
  const int ax = anchorX_, ay = anchorY_;
  switch (zone_) {
    case 1:
      DoResize(0, false, ay - y, true);
      break;
    case 2:
      DoResize(0, false, y - ay, false);
      anchorY_ += Snap(y - ay, grid_);
      break;
    case 3:
      DoResize(ax - x, true, 0, false);
      break;
    case 4:
      DoResize(x - ax, false, 0, false);
      anchorX_ += Snap(x - ax, grid_);
      break;
    case 5:
      DoResize(ax - x, true, ay - y, true);
      break;
    case 6:
      DoResize(ax - x, true, y - ay, false);
      anchorY_ += Snap(y - ay, grid_);
      break;
    case 7:
      DoResize(x - ax, false, y - ay, false);
      anchorX_ += Snap(x - ax, grid_);
      anchorY_ += Snap(y - ay, grid_);
      break;
    case 8:
      DoResize(x - ax, false, ay - y, true);
      anchorX_ += Snap(x - ax, grid_);
      break;
    case 9: {
      const int top = std::max(Snap(control_->y() - (ay - y), grid_), 0);
      const int left = std::max(Snap(control_->x() - (ax - x), grid_), 0);
      DoMove(left, top);
      break;
    }
    default:
      break;
  }
}

void TResizer::MouseDown(QPoint p) {
  // The press already holds the mouse for the control until the release (Qt's implicit grab).
  if (mode_.Empty()) return;
  anchorX_ = p.x();
  anchorY_ = p.y();
  dragging_ = true;
  if (zone_ != 0)
    SendPrivateMessage(control_, WM_STARTRESIZING, zone_,
                       intptr_t((uint32_t(p.x()) & 0xFFFF) | ((uint32_t(p.y()) & 0xFFFF) << 16)));
}

void TResizer::MouseUp() {
  QPointer<TResizer> alive(this);
  SendPrivateMessage(control_, WM_ENDRESIZING, 0, 0);
  if (!alive) return;
  zone_ = 0;
  dragging_ = false;
  SetCursorShape(Qt::ArrowCursor);
}

void TResizer::DoMove(int left, int top) {
  if (OnMove) OnMove(this, left, top);
  if (!control_) return;
  control_->move(control_->x(), top);
  control_->move(left, top);
}

void TResizer::DoResize(int dW, bool fromLeft, int dH, bool fromTop) {
  if (!control_) return;
  const QRect old = control_->geometry();
  if (OnResize) OnResize(this, dW, dH);
  if (!control_) return;
  const QRect r = ResizerGeometry::Resize(old, dW, fromLeft, dH, fromTop, grid_);
  if (r.width() != control_->width()) control_->resize(r.width(), control_->height());
  if (r.height() != control_->height()) control_->resize(control_->width(), r.height());
  if (r.top() != control_->y()) control_->move(control_->x(), r.top());
  if (r.left() != control_->x()) control_->move(r.left(), control_->y());
}
