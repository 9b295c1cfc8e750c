#pragma once
// A plain owner-drawn grid: fixed rows and columns, one current cell, one rectangular
// selection, cell text painted by the owner on every paint. The editor's table grids are built
// on it.
#include <QColor>
#include <QWidget>
#include <functional>
#include <vector>

#include "MapGridModel.h"

class TDrawGrid : public QWidget {
  Q_OBJECT
 public:
  enum DrawStateFlag { gdSelected = 0x1, gdFocused = 0x2, gdFixed = 0x4 };

  explicit TDrawGrid(QWidget* parent = nullptr);

  void SetSize(int cols, int rows, int fixedCols, int fixedRows);
  int ColCount() const { return cols_; }
  int RowCount() const { return rows_; }
  int FixedCols() const { return fixedCols_; }
  int FixedRows() const { return fixedRows_; }

  // Cell sizes in pixels; one-pixel grid lines lie between the cells.
  void SetDefaultCellSize(int width, int height);
  void SetColWidth(int col, int width);
  void SetRowHeight(int row, int height);
  int ColWidth(int col) const;
  int RowHeight(int row) const;
  // Cells of (width / cols - 1) x (height / rows - 1), then the grid shrinks to fit them.
  void FitCells(int width, int height);
  // Width and height the cells and lines take.
  QSize GridExtent() const;

  // Pixel rectangle of a cell.
  QRect CellRect(int col, int row) const;
  // The cell at a point, or false.
  bool CellAt(const QPoint& p, int* col, int* row) const;

  int Col() const { return col_; }
  int Row() const { return row_; }
  // Grid coordinates of the selection (left, top, right, bottom inclusive).
  const MapGrid::Block& Selection() const { return sel_; }
  // Makes (col, row) current with a selection of that one cell.
  void SetCurrent(int col, int row);
  // Sets the selection (clipped to the non-fixed cells); the current cell moves to its
  // top-left corner.
  void SetSelection(const MapGrid::Block& grid);

  // Text in a cell: `margin` pixels from the edge it is aligned to, centred vertically unless
  // the alignment says top or bottom; a text too wide for the cell is drawn smaller.
  static void DrawCellText(QPainter& p, const QRect& cell, const QString& text, Qt::Alignment align,
                           int margin);
  // The working-point marker: a filled circle of 20 x 20 pixels centred on `centre`; only the
  // part inside the cell being painted shows.
  static void DrawMarker(QPainter& p, const QPoint& centre, const QColor& color);
  // The pixels the marker centred on `centre` may cover.
  static QRect MarkerSquare(const QPoint& centre);

  // The working-point marker of the grid (grids without one never move it).
  const MapGrid::TWorkingPointMarker& Marker() const { return marker_; }
  // The next MoveMarker recomputes whatever its inputs.
  void ForceMarker() { marker_.Invalidate(); }
  void SetMarkerColor(const QColor& color);
  const QColor& MarkerColor() const { return markerColor_; }

  QColor Color = QColor(Qt::white);  // background of the data cells
  QColor FixedColor = QColor(Qt::lightGray);
  QColor LineColor = QColor(Qt::darkGray);

  // Paints a cell over its background: painter, column, row, rectangle, gd* flags.
  std::function<void(QPainter&, int, int, const QRect&, int)> OnDrawCell;

 signals:
  void EnterPressed();
  void CellDoubleClicked(int col, int row);
  void SelectionChanged();

 protected:
  void paintEvent(QPaintEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;
  QSize sizeHint() const override;
  void resizeEvent(QResizeEvent* e) override;

  // One live tick of the marker: x on the column axis, y on the row axis; marker cell (r, c)
  // is grid cell (c + firstCol, r + firstRow). Repaints only the old and the new marker
  // squares. True when it was recomputed.
  bool MoveMarker(double x, double y, const MapGrid::Axis& cols, const MapGrid::Axis& rows, int firstRow,
                  int firstCol);
  // Draws the marker (when placed) in the cell being painted.
  void PaintMarker(QPainter& p) const;

 private:
  void MoveTo(int col, int row, bool extend);
  // Focus to the previous or next control of the same page (the grid's parent).
  void LeaveGrid(bool next);
  int ColLeft(int col) const;
  int RowTop(int row) const;

  int cols_ = 0;
  int rows_ = 0;
  int fixedCols_ = 0;
  int fixedRows_ = 0;
  std::vector<int> colWidths_;
  std::vector<int> rowHeights_;
  int col_ = 0;
  int row_ = 0;
  int anchorCol_ = 0;
  int anchorRow_ = 0;
  MapGrid::Block sel_;
  MapGrid::TWorkingPointMarker marker_;
  QColor markerColor_ = QColor(Qt::black);
};
