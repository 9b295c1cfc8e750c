#pragma once
// DrawGridMap: the 12 x 12 injection map of the map page, as the gas map, the petrol map or
// both at once, with the live working-point marker, block changes through the cell dialog and
// copy and paste in the clipboard block format. Every value lives in the ECU data set.
#include <array>

#include "DrawGrid.h"
#include "MapGridModel.h"

class IGridHost;
class QAction;
class QMenu;

class TMapGrid final : public TDrawGrid {
  Q_OBJECT
 public:
  enum View { ViewGas = 0, ViewBenzina = 1, ViewEntrambe = 2 };

  // host must outlive the grid.
  TMapGrid(IGridHost* host, QWidget* parent = nullptr);

  // What the grid shows and edits; the fixed cells take the view's colour.
  void SetView(View view);
  View GetView() const { return view_; }

  // Cell bounds from the breakpoints of the data set; the marker is recomputed on the next tick.
  void RecomputeBounds();
  const std::array<int, 13>& MapRpmBounds() const { return rpmBounds_; }
  const std::array<double, 13>& MapLoadBounds() const { return loadBounds_; }

  // Live tick while the map page shows: moves the working-point marker to rpm and the MAP
  // voltage, repainting only the old and new marker squares. True when the cell changed.
  bool UpdateMarker(int rpm, double mapVolts);

  // Enter or a double click: the cell dialog for the selection.
  void ChangeSelection();
  // Clipboard.
  void MenuCopiaClick();
  void MenuIncollaClick();
  void PopupMenuGridPopup();

  // Whether the acquisition store holds points in map cell (row, col); such cells are drawn
  // on the info-tip colour.
  std::function<bool(int row, int col)> CellOccupied;

  QMenu* PopupMenuGrid = nullptr;
  QAction* MenuCopia = nullptr;
  QAction* MenuIncolla = nullptr;
  QAction* MenuPopupGraficoMappa = nullptr;

  // The message of a change in the both-maps view.
  static const char* const kBothMapsMessage;

 signals:
  // "Visualizza grafico mappa" was chosen.
  void MapChartRequested();

 private:
  void DrawCell(QPainter& p, int col, int row, const QRect& rect, int state);
  double Value(bool benzina, int row, int col) const;
  void SetValue(int row, int col, double ms);
  MapGrid::Block DataSelection() const;

  IGridHost* host_ = nullptr;
  View view_ = ViewGas;
  std::array<int, 13> rpmBounds_{};
  std::array<double, 13> loadBounds_{};
  std::array<double, 13> rpmBoundsD_{};
  std::array<double, 12> rpmBreakpoints_{};
  std::array<double, 12> loadBreakpoints_{};
};
