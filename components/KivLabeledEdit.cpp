#include "KivLabeledEdit.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <algorithm>

namespace LabeledEditMouse {

ResizerGeometry::THit HitTest(int x, int y, int w, int h, int b, TResizingMode mode) {
  if (mode.Has(TResizingKind::raCorner) &&
      ((x < b && y < b) || (x > w - b && y > h - b) || (x < b && y > h - b) || (x > w - b && y < b)))
    return {0, Qt::ArrowCursor};
  if (mode.Has(TResizingKind::raHorizontal)) {
    if (x < b) return {3, Qt::SizeHorCursor};
    if (x > w - b) return {4, Qt::SizeHorCursor};
  }
  if (mode.Has(TResizingKind::raVertical)) {
    if (y < b) return {1, Qt::SizeVerCursor};
    if (y > h - b) return {2, Qt::SizeVerCursor};
  }
  if (mode.Has(TResizingKind::raMove)) return {0, Qt::SizeAllCursor};
  return {0, Qt::ArrowCursor};
}

namespace {
// Grows (d > 0) or shrinks one side; a shrink stops at the minimum size. From the origin side
// the origin moves by the opposite amount.
void Grow(int& origin, int& size, int d, bool fromOrigin) {
  d = std::max(d, ResizerGeometry::kMinSize - size);
  if (d < 0 && size < ResizerGeometry::kMinSize) d = 0;
  size += d;
  if (fromOrigin) origin -= d;
}
int SnapMove(int v) { return v >= 0 ? (v / 10) * 10 : 0; }
}  // namespace

QRect Drag(const QRect& r, int zone, int& ax, int& ay, int x, int y) {
  int l = r.left(), t = r.top(), w = r.width(), h = r.height();
  switch (zone) {
    case 1:
      Grow(t, h, ay - y, true);
      break;
    case 2:
      Grow(t, h, y - ay, false);
      ay = y;
      break;
    case 3:
      Grow(l, w, ax - x, true);
      break;
    case 4:
      Grow(l, w, x - ax, false);
      ax = x;
      break;
    case 9:
      t = SnapMove(t - (ay - y));
      l = SnapMove(l - (ax - x));
      break;
    default:
      break;
  }
  return QRect(l, t, w, h);
}

}  // namespace LabeledEditMouse

TKivLabeledEdit::TKivLabeledEdit(QWidget* parent) : TNumericEdit(parent) {
  label_ = new QLabel(parent);
  setMouseTracking(true);
  anchorX_ = x();
  anchorY_ = y();
  setText(QStringLiteral("0"));
  PlaceLabel();
}

TKivLabeledEdit::~TKivLabeledEdit() { delete label_; }

void TKivLabeledEdit::SetLabelPosition(TLabelPosition p) {
  labelPosition_ = p;
  PlaceLabel();
}

void TKivLabeledEdit::SetLabelSpacing(int s) {
  labelSpacing_ = s;
  PlaceLabel();
}

void TKivLabeledEdit::PlaceLabel() {
  if (!label_) return;
  label_->adjustSize();
  label_->move(EditLabelPos(geometry(), label_->size(), labelPosition_, labelSpacing_));
}

void TKivLabeledEdit::SetResizingDistance(int v) {
  if (v >= 0 && v < std::min(width(), height())) border_ = v;
}

void TKivLabeledEdit::SetLockControl(bool lock) {
  dragging_ = false;
  lock_ = lock;
  setCursor(Qt::ArrowCursor);
}

bool TKivLabeledEdit::event(QEvent* e) {
  switch (e->type()) {
    case QEvent::ParentChange:
      if (label_) {
        label_->setParent(parentWidget());
        label_->setVisible(isVisibleTo(parentWidget()));
        PlaceLabel();
      }
      break;
    case QEvent::ShowToParent:
    case QEvent::HideToParent:
      if (label_) label_->setVisible(e->type() == QEvent::ShowToParent);
      break;
    default:
      break;
  }
  return TNumericEdit::event(e);
}

void TKivLabeledEdit::moveEvent(QMoveEvent* e) {
  TNumericEdit::moveEvent(e);
  PlaceLabel();
}

void TKivLabeledEdit::resizeEvent(QResizeEvent* e) {
  TNumericEdit::resizeEvent(e);
  PlaceLabel();
}

// The thousands separator stays what it is (a key the field discards), and with Precision 0
// the decimal separator is refused; the rest is the entry field's filter.
bool TKivLabeledEdit::Refuses(QChar key) const {
  if (key == TNumericEditCore::ThousandsSeparator() && key != TNumericEditCore::DecimalSeparator())
    return true;
  return key == TNumericEditCore::DecimalSeparator() && GetPrecision() == 0;
}

void TKivLabeledEdit::keyPressEvent(QKeyEvent* e) {
  switch (e->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
      if (e->key() == Qt::Key_Down)
        FocusNextControl();
      else
        FocusPrevControl();
      e->accept();
      return;
    case Qt::Key_Return:
    case Qt::Key_Enter: {
      QPointer<TKivLabeledEdit> alive(this);
      TNumericEdit::keyPressEvent(e);  // confirms (no chain: the text gets selected)
      if (alive) FocusNextControl();
      return;
    }
    default:
      break;
  }
  if (TypesCharacter(e) && Refuses(e->text().at(0))) {
    e->accept();
    return;
  }
  TNumericEdit::keyPressEvent(e);
}

void TKivLabeledEdit::inputMethodEvent(QInputMethodEvent* e) {
  QString commit;
  for (QChar key : e->commitString())
    if (!Refuses(key)) commit += key;
  QInputMethodEvent filtered(e->preeditString(), e->attributes());
  filtered.setCommitString(commit, e->replacementStart(), e->replacementLength());
  TNumericEdit::inputMethodEvent(&filtered);
  e->accept();
}

void TKivLabeledEdit::mouseMoveEvent(QMouseEvent* e) {
  const QPoint p = e->position().toPoint();
  if (!lock_ && !dragging_) {
    const auto hit = LabeledEditMouse::HitTest(p.x(), p.y(), width(), height(), border_, mode_);
    zone_ = hit.zone;
    setCursor(hit.cursor);
  } else if (!lock_) {
    const QRect r = LabeledEditMouse::Drag(geometry(), zone_, anchorX_, anchorY_, p.x(), p.y());
    if (r != geometry()) setGeometry(r);
  }
  TNumericEdit::mouseMoveEvent(e);
}

void TKivLabeledEdit::mousePressEvent(QMouseEvent* e) {
  if (!lock_ && e->button() == Qt::LeftButton && mode_.Has(TResizingKind::raMove)) {
    anchorX_ = e->position().toPoint().x();
    anchorY_ = e->position().toPoint().y();
    dragging_ = true;
    if (zone_ == 0) {
      zone_ = 9;
      setCursor(Qt::SizeAllCursor);
    }
  }
  TNumericEdit::mousePressEvent(e);
}

void TKivLabeledEdit::mouseReleaseEvent(QMouseEvent* e) {
  zone_ = 0;
  dragging_ = false;
  setCursor(Qt::ArrowCursor);
  TNumericEdit::mouseReleaseEvent(e);
}
