#pragma once
// Arithmetic of the editor's table grids, apart from any widget: the cell bounds around the
// breakpoints, where the live working point falls, which column the live values highlight,
// the three change modes of a block of cells and the strictly-increasing rule of the
// reference rows. The grid widgets call these; tests drive them directly.
#include <array>
#include <cstdint>
#include <functional>
#include <span>

#include "EcuData.h"

namespace MapGrid {

constexpr int kArrColumns = 6;    // rpm columns of the enrichment grid
constexpr int kCumuloRefs = 5;    // accumulation references
constexpr int kSmallColumns = 9;  // columns of the gas-temperature and pressure grids

// Change modes of the cell dialog.
enum ChangeMode : uint8_t { ModeAbsolute = 0, ModeLinear = 1, ModePercent = 2 };

// Bounds of the map's rpm cells: [0] = 0, [i] = (bp[i-1] + bp[i]) / 2 (integer halving),
// [12] = [11] + 1000.
std::array<int, TEcuData::kMapSize + 1> RpmBounds(std::span<const int, TEcuData::kMapSize> rpmBreakpoints);
// The same on the MAP breakpoints in volts: [0] = 0, midpoints, [12] = [11] + 0.1.
std::array<double, TEcuData::kMapSize + 1> LoadBounds(std::span<const double, TEcuData::kMapSize> mapVolts);
// Accumulation bounds on the n references in use (at most 5): [0] = 0, [i] = (ref[i-1] +
// ref[i]) / 2 toward zero, [n] = [n-1] + 10; entries after [n] are 0.
std::array<int, kCumuloRefs + 1> CumuloBounds(std::span<const int> refs);
// Differential-pressure bounds: [i] = (ref[i] + ref[i+1]) x 0.5.
std::array<double, kSmallColumns - 1> PressDiffBounds(std::span<const double, kSmallColumns> refs);

// One axis of a grid for the working point: `cells` cells, bounds[0..cells] around the cells
// and the breakpoint of each cell.
struct Axis {
  std::span<const double> bounds;       // cells + 1 entries
  std::span<const double> breakpoints;  // cells entries
  int Cells() const { return static_cast<int>(breakpoints.size()); }
};

// The cell a value falls in: the number of bounds[1..cells-1] at or below it (a value on a
// bound belongs to the higher cell).
int AxisCell(const Axis& axis, double v);
// Pixel position of v inside cell `cell` spanning lo..hi: the breakpoint sits in the middle,
// the lower half spans lower bound..breakpoint, the upper half breakpoint..upper bound. A value
// beyond the last bound gives hi; a half of zero width puts the point on its outer edge; the
// result stays inside lo..hi and is rounded to whole pixels.
int AxisPixel(const Axis& axis, int cell, double v, int lo, int hi);

// Pixel rectangle of a data cell (inclusive left/top, exclusive right/bottom).
struct CellRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

// The working-point marker of one grid: it follows the live values, recomputing only when they
// changed or every kRefreshTicks ticks.
class TWorkingPointMarker {
 public:
  static constexpr int kRefreshTicks = 50;

  // One live tick with the live rpm (columns) and load (rows). cellRect maps a data cell
  // (row, column) to its pixels. Returns false when nothing was recomputed.
  bool Update(double rpm, double load, const Axis& columns, const Axis& rows,
              const std::function<CellRect(int row, int col)>& cellRect);
  // The next Update recomputes whatever the inputs.
  void Invalidate() { valid_ = false; }

  bool Placed() const { return placed_; }
  int Row() const { return row_; }
  int Col() const { return col_; }
  int X() const { return x_; }
  int Y() const { return y_; }
  // The last Update moved the marker into another cell.
  bool CellChanged() const { return cellChanged_; }

 private:
  bool valid_ = false;
  bool placed_ = false;
  bool cellChanged_ = false;
  double lastRpm_ = 0.0;
  double lastLoad_ = 0.0;
  int idleTicks_ = 0;
  int row_ = 0;
  int col_ = 0;
  int x_ = 0;
  int y_ = 0;
};

// Enrichment column of the live rpm: (first i in 0..5 with centres[i] >= rpm) - 1, or 5 when
// none is; never below 0. centres[i] = TEcuData::GetGiriCentroFascia(i).
int EnrichmentColumn(int rpm, std::span<const int, kArrColumns> centres);
// Gas-temperature column: the first reference at or above t when reference 7 is, else 8.
int TempGasColumn(int temperature, std::span<const int, kSmallColumns> refs);
// Pressure column: the first bound above p when bound 7 is, else 8.
int PressDiffColumn(double bar, std::span<const double, kSmallColumns - 1> bounds);

// Round-half-even, as the program rounds percent results of integer cells.
int RoundHalfEven(double v);

// New value of a cell: value (absolute), old + value (linear) or old x (value x 0.01 + 1)
// (percent); percent results of integer cells are rounded to the nearest integer.
double ApplyChange(ChangeMode mode, double old, double value, bool integer);

// A rectangular block of data cells, inclusive.
struct Block {
  int top = 0;
  int left = 0;
  int bottom = 0;
  int right = 0;
  int Height() const { return bottom - top + 1; }
  int Width() const { return right - left + 1; }
  bool Single() const { return top == bottom && left == right; }
};

// Start value and mode of the cell dialog: one cell gives its own value and absolute, a block
// 0 and linear.
struct DialogStart {
  double value = 0.0;
  ChangeMode mode = ModeAbsolute;
};
DialogStart BlockDialogStart(const Block& block, const std::function<double(int, int)>& get);

// Applies a change to every cell of the block, row by row from the top, left to right.
void ChangeBlock(const Block& block, ChangeMode mode, double value, bool integer,
                 const std::function<double(int row, int col)>& get,
                 const std::function<void(int row, int col, double v)>& set);

// True when `value` may replace refs[col] in a row that must stay strictly increasing: the
// first column below the second, the last above the one before it, any other strictly between
// its neighbours.
bool KeepsOrder(std::span<const double> refs, int col, double value);

// Changes columns left..right of a row of `count` cells. For an ordered row (references) each
// new value, as the store would hold it (`stored`; identity when empty), must keep the row
// strictly increasing as it stands when that column is processed (`get` reads it); a column
// that would break the order is left unchanged. Returns the number of columns written.
int ChangeRow(int count, int left, int right, ChangeMode mode, double value, bool integer, bool ordered,
              const std::function<double(int col)>& get, const std::function<void(int col, double v)>& set,
              const std::function<double(double)>& stored = {});

}  // namespace MapGrid
