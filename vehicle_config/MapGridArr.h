#pragma once
// DrawGridArr: the enrichment grid of the enrichment page. With the enrichment map (map
// layout) it shows the idle-exit enrichment, the rows of the enrichment map and the
// accumulation decay over the first six rpm breakpoints, with the working-point marker on rpm
// and accumulation; without it (vector layout) the TPS enrichment and the decay, with the
// column of the live rpm highlighted.
#include <array>

#include "DrawGrid.h"
#include "MapGridModel.h"

class IGridHost;

class TEnrichmentGrid final : public TDrawGrid {
  Q_OBJECT
 public:
  // host must outlive the grid.
  TEnrichmentGrid(IGridHost* host, QWidget* parent = nullptr);

  // Layout and row count from the data set (map layout: enrichment rows + 3, else 3).
  void RefreshLayout();
  bool MapLayout() const { return mapLayout_; }
  int MapRows() const { return mapRows_; }

  // Bounds: the rpm cells of the first six breakpoints and CumuloBounds on the references in
  // use. The marker is recomputed on the next tick.
  void RecomputeBounds();
  const std::array<int, 6>& CumuloBounds() const { return cumuloBounds_; }

  // Live tick while the enrichment page shows: column highlight (vector layout) and marker
  // (map layout).
  void LiveTick(int rpm, int cumulo);
  int HighlightColumn() const { return highlight_; }

  // Enter or a double click: the cell dialog for the selection.
  void ChangeSelection();
  // Value of a data cell (grid row, data column 0..5) and its setter.
  int CellValue(int gridRow, int col) const;
  void SetCellValue(int gridRow, int col, int v);

 private:
  void DrawCell(QPainter& p, int col, int row, const QRect& rect, int state);

  IGridHost* host_ = nullptr;
  bool mapLayout_ = false;
  int mapRows_ = 0;
  std::array<double, 7> rpmBounds_{};
  std::array<double, 6> rpmBreakpoints_{};
  std::array<int, 6> cumuloBounds_{};
  std::array<double, 6> cumuloBoundsD_{};
  std::array<double, 5> cumuloRefs_{};
  int highlight_ = -1;
  int lastRpm_ = -1;
};
