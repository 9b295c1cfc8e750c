#pragma once
// The three tables of the emissions page, one column per rpm breakpoint of the map and a
// thirteenth column of limits: GridOpenLoop (open-loop upper and lower rows), GridPassi (stepper
// steps to enrich and to lean, limit: the maximum steps) and GridTempi (stepper times, limits:
// the maximum times). Cells are edited in place: Enter starts editing a single cell and Enter
// again commits it through the data set, showing the value read back; Esc puts the value back.
// Enter on a block of cells sets them all to one value through the cell dialog. Down on the
// last row and Up on the first go on to the next and previous table of the page.
#include <QString>
#include <vector>

#include "DrawGrid.h"

class IGridHost;
class QLineEdit;

class TEmissionGrid final : public TDrawGrid {
  Q_OBJECT
 public:
  enum Kind { OpenLoop, Passi, Tempi };
  static constexpr int kBreakpoints = 12;
  static constexpr int kLimitColumn = 13;

  // host must outlive the grid.
  TEmissionGrid(Kind kind, IGridHost* host, QWidget* parent = nullptr);
  Kind GetKind() const { return kind_; }

  // Titles of column 0 (and "Max P" over the limits of the steps), by grid row.
  void SetTitle(int row, const QString& title);
  // Every cell from the data set.
  void Load();
  QString CellText(int col, int row) const { return cells_[col][row]; }

  // The tables of the cycle Down and Up walk through (a hidden table is skipped).
  void SetCycle(TEmissionGrid* previous, TEmissionGrid* next);

  // In-place editing of the current cell.
  bool IsEditing() const { return editor_ != nullptr && editing_; }
  QLineEdit* Editor() const { return editor_; }
  bool CanEdit(int col, int row) const;
  void StartEditing();
  // Ends editing: commit writes the text through the data set; otherwise the cell goes back to
  // the value remembered when editing began.
  void EndEditing(bool commit);
  // Writes a typed text into a cell through the data set and shows the value read back; a text
  // that is not an integer gives the value held so far.
  void CommitText(int col, int row, const QString& text);
  // Enter on a block: one value for every cell of the selection through the cell dialog.
  void ChangeBlock();

  // Live state of the steps table: the engine speed (its nearest breakpoint is marked) and the
  // step-limit flag. Repaints only what changed.
  void SetLive(int rpm, bool stepLimit);
  int NearestBreakpoint() const { return nearest_; }

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  bool event(QEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;

 private:
  int CellValue(int col, int row) const;
  void ShowCell(int col, int row);
  void DrawCell(QPainter& p, int col, int row, const QRect& rect, int state);
  // Focus to the next (previous) table of the cycle, same column, first (last) data row.
  void MoveToTable(bool next);

  Kind kind_;
  IGridHost* host_ = nullptr;
  std::vector<std::vector<QString>> cells_;  // [col][row]
  TEmissionGrid* previous_ = nullptr;
  TEmissionGrid* next_ = nullptr;
  QLineEdit* editor_ = nullptr;
  bool editing_ = false;
  int editCol_ = 0;
  int editRow_ = 0;
  int editValue_ = 0;  // the value when editing began (Esc puts it back)
  int nearest_ = -1;
  bool stepLimit_ = false;
};
