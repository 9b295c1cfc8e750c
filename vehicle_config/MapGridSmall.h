#pragma once
// The two-row grids of the corrections and changeover pages: DrawGridTempGas (gas-temperature
// references and coefficients), DrawGridPressDiff (differential-pressure references and
// corrections) and DrawGridCicchetto (start-squirt temperatures and times). Row 0 holds the
// references, which must stay strictly increasing; the live value's column is highlighted on
// the first two.
#include <array>

#include "DrawGrid.h"
#include "MapGridModel.h"

class IGridHost;

class TSmallGrid final : public TDrawGrid {
  Q_OBJECT
 public:
  enum Kind { TempGas, PressDiff, Cicchetto };

  // host must outlive the grid.
  TSmallGrid(Kind kind, IGridHost* host, QWidget* parent = nullptr);
  Kind GetKind() const { return kind_; }
  int Columns() const { return kind_ == Cicchetto ? 3 : MapGrid::kSmallColumns; }

  // PressDiffBounds from the pressure references (the other kinds have none); the live
  // highlight is recomputed on the next tick.
  void RecomputeBounds();
  const std::array<double, 8>& PressDiffBounds() const { return pressBounds_; }

  // Live column highlights: the raw temperature byte (TempGas) or the gas pressure in
  // hundredths of a bar (PressDiff); recomputed only when the input changed.
  void LiveTick(int temperatureRaw, int pressureHundredths);
  int HighlightColumn() const { return highlight_; }

  // Enter or a double click: the cell dialog for the selected columns of the current row.
  void ChangeSelection();

  // The value a cell shows (gas coefficients as stored - 100) and what the store would hold
  // for a typed reference.
  double CellValue(int row, int col) const;
  double StoredReference(double v) const;
  // Integer rows take EditIntCell, the others EditFloatCell.
  bool IntegerRow(int row) const;

 private:
  void DrawCell(QPainter& p, int col, int row, const QRect& rect, int state);
  double StoredValue(int row, int col) const;
  void SetStoredValue(int row, int col, double v);

  Kind kind_;
  IGridHost* host_ = nullptr;
  std::array<double, 8> pressBounds_{};
  int highlight_ = -1;
  int lastInput_ = -1;
};
