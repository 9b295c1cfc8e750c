#include "DrawGrid.h"

#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

TDrawGrid::TDrawGrid(QWidget* parent) : QWidget(parent) {
  setFocusPolicy(Qt::StrongFocus);
  SetSize(5, 5, 1, 1);
}

void TDrawGrid::SetSize(int cols, int rows, int fixedCols, int fixedRows) {
  cols_ = std::max(cols, 1);
  rows_ = std::max(rows, 1);
  fixedCols_ = std::clamp(fixedCols, 0, cols_ - 1);
  fixedRows_ = std::clamp(fixedRows, 0, rows_ - 1);
  colWidths_.resize(cols_, colWidths_.empty() ? 64 : colWidths_.back());
  rowHeights_.resize(rows_, rowHeights_.empty() ? 24 : rowHeights_.back());
  SetCurrent(std::clamp(col_, fixedCols_, cols_ - 1), std::clamp(row_, fixedRows_, rows_ - 1));
  updateGeometry();
  update();
}

void TDrawGrid::SetDefaultCellSize(int width, int height) {
  std::fill(colWidths_.begin(), colWidths_.end(), std::max(width, 1));
  std::fill(rowHeights_.begin(), rowHeights_.end(), std::max(height, 1));
  updateGeometry();
  update();
}

void TDrawGrid::SetColWidth(int col, int width) {
  if (col < 0 || col >= cols_) return;
  colWidths_[col] = std::max(width, 1);
  update();
}

void TDrawGrid::SetRowHeight(int row, int height) {
  if (row < 0 || row >= rows_) return;
  rowHeights_[row] = std::max(height, 1);
  update();
}

int TDrawGrid::ColWidth(int col) const { return col >= 0 && col < cols_ ? colWidths_[col] : 0; }
int TDrawGrid::RowHeight(int row) const { return row >= 0 && row < rows_ ? rowHeights_[row] : 0; }

void TDrawGrid::FitCells(int width, int height) {
  SetDefaultCellSize(width / cols_ - 1, height / rows_ - 1);
  resize(GridExtent());
}

QSize TDrawGrid::GridExtent() const { return {ColLeft(cols_) + 1, RowTop(rows_) + 1}; }

QSize TDrawGrid::sizeHint() const { return GridExtent(); }

int TDrawGrid::ColLeft(int col) const {
  int x = 0;
  for (int i = 0; i < col && i < cols_; ++i) x += colWidths_[i] + 1;
  return x;
}

int TDrawGrid::RowTop(int row) const {
  int y = 0;
  for (int i = 0; i < row && i < rows_; ++i) y += rowHeights_[i] + 1;
  return y;
}

QRect TDrawGrid::CellRect(int col, int row) const {
  if (col < 0 || col >= cols_ || row < 0 || row >= rows_) return {};
  return QRect(ColLeft(col), RowTop(row), colWidths_[col], rowHeights_[row]);
}

bool TDrawGrid::CellAt(const QPoint& p, int* col, int* row) const {
  int c = -1, r = -1;
  for (int i = 0, x = 0; i < cols_; x += colWidths_[i] + 1, ++i)
    if (p.x() >= x && p.x() < x + colWidths_[i] + 1) c = i;
  for (int i = 0, y = 0; i < rows_; y += rowHeights_[i] + 1, ++i)
    if (p.y() >= y && p.y() < y + rowHeights_[i] + 1) r = i;
  if (c < 0 || r < 0) return false;
  *col = c;
  *row = r;
  return true;
}

void TDrawGrid::SetCurrent(int col, int row) {
  col_ = anchorCol_ = std::clamp(col, fixedCols_, cols_ - 1);
  row_ = anchorRow_ = std::clamp(row, fixedRows_, rows_ - 1);
  sel_ = {row_, col_, row_, col_};
  update();
  emit SelectionChanged();
}

void TDrawGrid::SetSelection(const MapGrid::Block& b) {
  sel_.left = std::clamp(std::min(b.left, b.right), fixedCols_, cols_ - 1);
  sel_.right = std::clamp(std::max(b.left, b.right), fixedCols_, cols_ - 1);
  sel_.top = std::clamp(std::min(b.top, b.bottom), fixedRows_, rows_ - 1);
  sel_.bottom = std::clamp(std::max(b.top, b.bottom), fixedRows_, rows_ - 1);
  col_ = anchorCol_ = sel_.left;
  row_ = anchorRow_ = sel_.top;
  update();
  emit SelectionChanged();
}

void TDrawGrid::MoveTo(int col, int row, bool extend) {
  col = std::clamp(col, fixedCols_, cols_ - 1);
  row = std::clamp(row, fixedRows_, rows_ - 1);
  if (!extend) {
    SetCurrent(col, row);
    return;
  }
  col_ = col;
  row_ = row;
  sel_ = {std::min(row, anchorRow_), std::min(col, anchorCol_), std::max(row, anchorRow_),
          std::max(col, anchorCol_)};
  update();
  emit SelectionChanged();
}

void TDrawGrid::paintEvent(QPaintEvent* e) {
  QPainter p(this);
  p.fillRect(rect(), palette().window());
  const QSize extent = GridExtent();
  p.fillRect(QRect(QPoint(0, 0), extent), LineColor);
  const bool focused = hasFocus();
  for (int r = 0; r < rows_; ++r) {
    for (int c = 0; c < cols_; ++c) {
      const QRect cell = CellRect(c, r);
      if (!e->rect().intersects(cell)) continue;
      int state = 0;
      const bool fixed = c < fixedCols_ || r < fixedRows_;
      if (fixed) {
        state |= gdFixed;
      } else {
        if (c >= sel_.left && c <= sel_.right && r >= sel_.top && r <= sel_.bottom) state |= gdSelected;
        if (focused && c == col_ && r == row_) state |= gdFocused;
      }
      p.save();
      p.setClipRect(cell);
      p.fillRect(cell, fixed ? FixedColor : Color);
      p.setFont(font());
      if (OnDrawCell) OnDrawCell(p, c, r, cell, state);
      p.restore();
    }
  }
}

void TDrawGrid::mousePressEvent(QMouseEvent* e) {
  setFocus(Qt::MouseFocusReason);
  int c = 0, r = 0;
  if (e->button() != Qt::LeftButton || !CellAt(e->position().toPoint(), &c, &r)) return;
  if (c < fixedCols_ || r < fixedRows_) return;
  MoveTo(c, r, (e->modifiers() & Qt::ShiftModifier) != 0);
}

void TDrawGrid::mouseMoveEvent(QMouseEvent* e) {
  int c = 0, r = 0;
  if (!(e->buttons() & Qt::LeftButton) || !CellAt(e->position().toPoint(), &c, &r)) return;
  if (c != col_ || r != row_) MoveTo(c, r, true);
}

void TDrawGrid::mouseDoubleClickEvent(QMouseEvent* e) {
  int c = 0, r = 0;
  if (e->button() == Qt::LeftButton && CellAt(e->position().toPoint(), &c, &r)) emit CellDoubleClicked(c, r);
}

void TDrawGrid::keyPressEvent(QKeyEvent* e) {
  const bool shift = (e->modifiers() & Qt::ShiftModifier) != 0;
  switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      emit EnterPressed();
      return;
    case Qt::Key_Up:
      if (!shift && row_ == fixedRows_) return LeaveGrid(false);
      return MoveTo(col_, row_ - 1, shift);
    case Qt::Key_Down:
      if (!shift && row_ == rows_ - 1) return LeaveGrid(true);
      return MoveTo(col_, row_ + 1, shift);
    case Qt::Key_Left:
      return MoveTo(col_ - 1, row_, shift);
    case Qt::Key_Right:
      return MoveTo(col_ + 1, row_, shift);
    case Qt::Key_Home:
      return MoveTo(fixedCols_, row_, shift);
    case Qt::Key_End:
      return MoveTo(cols_ - 1, row_, shift);
    default:
      QWidget::keyPressEvent(e);
  }
}

void TDrawGrid::LeaveGrid(bool next) {
  QWidget* page = parentWidget();
  QWidget* w = this;
  for (int guard = 0; guard < 1000; ++guard) {
    w = next ? w->nextInFocusChain() : w->previousInFocusChain();
    if (!w || w == this) return;
    if (page && !page->isAncestorOf(w)) continue;
    if (w->isVisibleTo(window()) && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus)) {
      w->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
      return;
    }
  }
}

void TDrawGrid::focusInEvent(QFocusEvent* e) {
  QWidget::focusInEvent(e);
  update();
}

void TDrawGrid::focusOutEvent(QFocusEvent* e) {
  QWidget::focusOutEvent(e);
  update();
}

void TDrawGrid::DrawCellText(QPainter& p, const QRect& cell, const QString& text, Qt::Alignment align,
                             int margin) {
  QRect r = cell;
  if (align & Qt::AlignRight) r.setRight(r.right() - margin);
  if (align & Qt::AlignLeft) r.setLeft(r.left() + margin);
  if (!(align & (Qt::AlignTop | Qt::AlignBottom))) align |= Qt::AlignVCenter;
  // A text wider than its cell is drawn in a smaller font, down to 5 points.
  const qreal needed = QFontMetricsF(p.font(), p.device()).horizontalAdvance(text);
  if (needed > r.width() && r.width() > 0 && p.font().pointSizeF() > 0) {
    p.save();
    // The glyphs do not scale in proportion: a smaller size may still be too wide.
    QFont f = p.font();
    qreal size = f.pointSizeF() * r.width() / needed;
    do {
      f.setPointSizeF(std::max(5.0, size));
      size -= 0.25;
    } while (size >= 5.0 && QFontMetricsF(f, p.device()).horizontalAdvance(text) > r.width());
    p.setFont(f);
    p.drawText(r, static_cast<int>(align) | Qt::TextSingleLine, text);
    p.restore();
    return;
  }
  p.drawText(r, static_cast<int>(align) | Qt::TextSingleLine, text);
}

void TDrawGrid::DrawMarker(QPainter& p, const QPoint& centre, const QColor& color) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setPen(Qt::NoPen);
  p.setBrush(color);
  p.drawEllipse(QRect(centre.x() - 10, centre.y() - 10, 20, 20));
  p.restore();
}

QRect TDrawGrid::MarkerSquare(const QPoint& centre) {
  return QRect(centre.x() - 10, centre.y() - 10, 21, 21);
}

void TDrawGrid::SetMarkerColor(const QColor& color) {
  if (color == markerColor_) return;
  markerColor_ = color;
  if (marker_.Placed()) update(MarkerSquare(QPoint(marker_.X(), marker_.Y())));
}

bool TDrawGrid::MoveMarker(double x, double y, const MapGrid::Axis& cols, const MapGrid::Axis& rows,
                           int firstRow, int firstCol) {
  const bool wasPlaced = marker_.Placed();
  const QPoint old(marker_.X(), marker_.Y());
  const auto cellRect = [&](int r, int c) {
    const QRect cell = CellRect(c + firstCol, r + firstRow);
    return MapGrid::CellRect{cell.left(), cell.top(), cell.left() + cell.width(), cell.top() + cell.height()};
  };
  if (!marker_.Update(x, y, cols, rows, cellRect)) return false;
  if (wasPlaced) update(MarkerSquare(old));
  update(MarkerSquare(QPoint(marker_.X(), marker_.Y())));
  return true;
}

void TDrawGrid::PaintMarker(QPainter& p) const {
  if (marker_.Placed()) DrawMarker(p, QPoint(marker_.X(), marker_.Y()), markerColor_);
}

void TDrawGrid::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  marker_.Invalidate();  // the cells moved: place the marker again on the next tick
}
