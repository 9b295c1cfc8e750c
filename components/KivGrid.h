#pragma once
// The data-bound grid: shows a TKivMatrix as a grid of numbers, with an optional header column
// and header row of breakpoints (TGridReference), a working-point marker that follows two live
// values (TGridWorkingPoint), cell editing written through to the matrix, a dialog that changes
// the selected cells (absolute, relative, percent), a breakpoint dialog (TFormRiferimenti),
// columns and rows fitted to the control, and run-time moving and resizing through its own
// TResizer (locked until its owner unlocks it).
// The header column is column 0 when RowReferences is visible, the header row row 0 when
// ColReferences is visible. Messages: WM_DATACHANGED and WM_CHANGEDATADIM from the data,
// WM_STARTRESIZING and WM_ENDRESIZING from the resizer.
#include <QPointer>
#include <QStringList>
#include <QTableView>
#include <memory>
#include <optional>
#include <vector>

#include "ComponentResizer.h"
#include "GridReference.h"
#include "GridWorkingPoint.h"
#include "KivMatrix.h"

class TGridModifyDialog;
class TKivGridModel;

// How the modify dialog's value applies to the selected cells.
enum ModifyMode { mmAbsolute = 0, mmRelative = 1, mmPercent = 2 };

class TKivGrid : public QTableView {
  Q_OBJECT

 public:
  explicit TKivGrid(QWidget* parent = nullptr);
  ~TKivGrid() override;

  bool AutoSize() const { return autoSize_; }
  // With true the columns and rows are fitted to the control again.
  void SetAutoSize(bool v);
  QWidget* NextControl() const { return next_; }
  QWidget* PrevControl() const { return prev_; }
  void SetNextControl(QWidget* w) { next_ = w; }
  void SetPrevControl(QWidget* w) { prev_ = w; }
  // The link when it can take the focus, else nullptr.
  QWidget* GetNextControl() const;
  QWidget* GetPrevControl() const;
  bool ArrowMoveFocus() const { return arrowMoveFocus_; }
  void SetArrowMoveFocus(bool v) { arrowMoveFocus_ = v; }
  TResizer* Resizer() const { return resizer_; }
  Qt::Alignment Alignment() const { return alignment_; }
  void SetAlignment(Qt::Alignment a);
  TKivMatrix* Data() const { return matrix_; }
  void SetMatrix(TKivMatrix* m);
  const QString& DataFormat() const { return dataFormat_; }
  void SetDataFormat(const QString& f);
  TGridReference* ColReferences() const { return colRefs_; }
  TGridReference* RowReferences() const { return rowRefs_; }
  const QStringList& MsgStrings() const { return msgStrings_; }
  void SetMsgStrings(const QStringList& m);
  TGridWorkingPoint* WorkingPoint() const { return point_; }
  // In-place editing of the data cells (Enter and a double-click then open no dialog).
  bool Editing() const { return editing_; }
  void SetEditing(bool v);

  int ColCount() const { return colCount_; }
  int RowCount() const { return rowCount_; }
  int FixedCols() const { return fixedCols_; }
  int FixedRows() const { return fixedRows_; }
  void SetDimensions(int cols, int rows);

  // Dimensions from the matrix and the references' visibility.
  void Refresh();
  // Repaints every cell.
  void Repaint();
  // The text a cell shows: header values or descriptions, the measure unit in the corner, the
  // matrix values.
  QString CellText(int row, int col) const;

  // Index 1 sets the horizontal position, any other the vertical; then the marker follows.
  void SetCursorPosition(int index, double value);
  void CalcolaCoordinateWorkPoint();
  QPoint MarkerPoint() const { return marker_; }
  int ActiveCol() const { return activeCol_; }
  int ActiveRow() const { return activeRow_; }

  // Changes the selected data cells by v in the given mode and writes them to the matrix.
  void ModificaValoriMappa(double v, ModifyMode mode);
  // The modify dialog over the selected cells.
  void EditValoriMappa();
  // The breakpoint dialog of the column (true) or row references.
  void EditRiferimentiMappa(bool columns);
  // The dialog, made on first use (nullptr before).
  TGridModifyDialog* ModifyDialog() const { return modifyDialog_; }

  virtual void AdjustColWidths(bool fitControl);
  virtual void AdjustRowHeights(bool fitControl);
  void ExpandColWidths();
  void ExpandRowHeights();
  // After construction and settings: the marker starts at the first data cell's corner.
  void Loaded();

  // The text of a cell's in-place editor ("" when the cell cannot be read); nullopt when the
  // matrix is read-only (no editor).
  std::optional<QString> GetEditText(int row, int col) const;
  // The editor closed with text: written to the matrix cell unless read-only or no number.
  void SetEditText(int row, int col, const QString& text);

 protected:
  void customEvent(QEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  bool event(QEvent* e) override;
  void showEvent(QShowEvent* e) override;
  void paintEvent(QPaintEvent* e) override;

 private:
  friend class TKivGridModel;
  bool IsDataCell(int row, int col) const { return row >= fixedRows_ && col >= fixedCols_; }
  void SizeChanged();
  void Resized();
  void SectionResized(bool columns);
  void Fit(bool columns, bool expand, bool fitControl);
  QRect MarkerRect() const;
  void UpdateHeaderCell(bool columns, int index);
  std::vector<QModelIndex> SelectedDataCells() const;
  void InitModifyDialog();

  TKivGridModel* model_ = nullptr;
  bool autoSize_ = true;
  QPointer<QWidget> next_;
  QPointer<QWidget> prev_;
  bool arrowMoveFocus_ = true;
  TResizer* resizer_ = nullptr;
  Qt::Alignment alignment_ = Qt::AlignHCenter;
  QPointer<TKivMatrix> matrix_;
  QString dataFormat_;
  TGridReference* colRefs_ = nullptr;
  TGridReference* rowRefs_ = nullptr;
  QStringList msgStrings_;
  TGridWorkingPoint* point_ = nullptr;
  bool editing_ = false;
  int colCount_ = 5;
  int rowCount_ = 5;
  int fixedCols_ = 1;
  int fixedRows_ = 1;
  TGridModifyDialog* modifyDialog_ = nullptr;
  std::optional<std::vector<double>> colShares_;
  std::optional<std::vector<double>> rowShares_;
  bool adjusting_ = false;
  bool resizing_ = false;
  double hPos_ = 0;
  double vPos_ = 0;
  double hLast_ = 0;
  double vLast_ = 0;
  int unchangedCalls_ = 0;
  QPoint marker_;
  int activeCol_ = 0;
  int activeRow_ = 0;
};
