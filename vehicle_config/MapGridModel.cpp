#include "MapGridModel.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace MapGrid {

std::array<int, TEcuData::kMapSize + 1> RpmBounds(std::span<const int, TEcuData::kMapSize> bp) {
  std::array<int, TEcuData::kMapSize + 1> b{};
  b[0] = 0;
  for (int i = 1; i < TEcuData::kMapSize; ++i) b[i] = (bp[i - 1] + bp[i]) / 2;
  b[TEcuData::kMapSize] = b[TEcuData::kMapSize - 1] + 1000;
  return b;
}

std::array<double, TEcuData::kMapSize + 1> LoadBounds(std::span<const double, TEcuData::kMapSize> bp) {
  std::array<double, TEcuData::kMapSize + 1> b{};
  b[0] = 0.0;
  for (int i = 1; i < TEcuData::kMapSize; ++i) b[i] = (bp[i - 1] + bp[i]) * 0.5;
  b[TEcuData::kMapSize] = b[TEcuData::kMapSize - 1] + 0.1;
  return b;
}

std::array<int, kCumuloRefs + 1> CumuloBounds(std::span<const int> refs) {
  std::array<int, kCumuloRefs + 1> b{};
  const int n = std::clamp(static_cast<int>(refs.size()), 1, kCumuloRefs);
  for (int i = 1; i < n; ++i) b[i] = (refs[i - 1] + refs[i]) / 2;  // toward zero
  b[n] = b[n - 1] + 10;
  return b;
}

std::array<double, kSmallColumns - 1> PressDiffBounds(std::span<const double, kSmallColumns> refs) {
  std::array<double, kSmallColumns - 1> b{};
  for (int i = 0; i < kSmallColumns - 1; ++i) b[i] = (refs[i] + refs[i + 1]) * 0.5;
  return b;
}

int AxisCell(const Axis& axis, double v) {
  int cell = 0;
  for (int i = 1; i < axis.Cells(); ++i)
    if (axis.bounds[i] <= v) ++cell;
  return cell;
}

int RoundHalfEven(double v) { return static_cast<int>(std::nearbyint(v)); }

int AxisPixel(const Axis& axis, int cell, double v, int lo, int hi) {
  const int cells = axis.Cells();
  if (cells <= 0 || cell < 0 || cell >= cells) return lo;
  if (v > axis.bounds[cells]) return hi;
  const double bp = axis.breakpoints[cell];
  const double lower = axis.bounds[cell];
  const double upper = axis.bounds[cell + 1];
  const double half = (hi - lo) / 2.0;
  double pos;
  if (v > bp) {
    const double span = upper - bp;
    pos = span > 0.0 ? lo + half + half * std::min(1.0, (v - bp) / span) : hi;
  } else {
    // A breakpoint on its lower bound leaves no lower half: the point sits on the edge.
    const double span = bp - lower;
    pos = span > 0.0 ? lo + half * std::max(0.0, (v - lower) / span) : lo;
  }
  return std::clamp(RoundHalfEven(pos), lo, hi);
}

bool TWorkingPointMarker::Update(double rpm, double load, const Axis& columns, const Axis& rows,
                                 const std::function<CellRect(int, int)>& cellRect) {
  if (valid_ && rpm == lastRpm_ && load == lastLoad_ && idleTicks_ < kRefreshTicks) {
    ++idleTicks_;
    return false;
  }
  valid_ = true;
  lastRpm_ = rpm;
  lastLoad_ = load;
  idleTicks_ = 0;
  const int col = AxisCell(columns, rpm);
  const int row = AxisCell(rows, load);
  cellChanged_ = !placed_ || col != col_ || row != row_;
  col_ = col;
  row_ = row;
  const CellRect r = cellRect(row, col);
  x_ = AxisPixel(columns, col, rpm, r.left, r.right);
  y_ = AxisPixel(rows, row, load, r.top, r.bottom);
  placed_ = true;
  return true;
}

int EnrichmentColumn(int rpm, std::span<const int, kArrColumns> centres) {
  for (int i = 0; i < kArrColumns; ++i)
    if (centres[i] >= rpm) return std::max(0, i - 1);
  return kArrColumns - 1;
}

int TempGasColumn(int temperature, std::span<const int, kSmallColumns> refs) {
  if (refs[7] < temperature) return 8;
  int i = 0;
  while (refs[i] < temperature) ++i;
  return i;
}

int PressDiffColumn(double bar, std::span<const double, kSmallColumns - 1> bounds) {
  if (!(bar < bounds[7])) return 8;
  int i = 0;
  while (!(bar < bounds[i])) ++i;
  return i;
}

double ApplyChange(ChangeMode mode, double old, double value, bool integer) {
  switch (mode) {
    case ModeLinear:
      return old + value;
    case ModePercent: {
      const double v = old * (value * 0.01 + 1.0);
      return integer ? RoundHalfEven(v) : v;
    }
    case ModeAbsolute:
    default:
      return value;
  }
}

DialogStart BlockDialogStart(const Block& block, const std::function<double(int, int)>& get) {
  if (block.Single()) return {get(block.top, block.left), ModeAbsolute};
  return {0.0, ModeLinear};
}

void ChangeBlock(const Block& block, ChangeMode mode, double value, bool integer,
                 const std::function<double(int, int)>& get,
                 const std::function<void(int, int, double)>& set) {
  for (int r = block.top; r <= block.bottom; ++r)
    for (int c = block.left; c <= block.right; ++c) set(r, c, ApplyChange(mode, get(r, c), value, integer));
}

bool KeepsOrder(std::span<const double> refs, int col, double value) {
  const int n = static_cast<int>(refs.size());
  if (col < 0 || col >= n) return false;
  if (col > 0 && !(refs[col - 1] < value)) return false;
  if (col < n - 1 && !(value < refs[col + 1])) return false;
  return true;
}

int ChangeRow(int count, int left, int right, ChangeMode mode, double value, bool integer, bool ordered,
              const std::function<double(int)>& get, const std::function<void(int, double)>& set,
              const std::function<double(double)>& stored) {
  left = std::max(left, 0);
  right = std::min(right, count - 1);
  int written = 0;
  std::vector<double> row(static_cast<size_t>(std::max(count, 0)));
  for (int c = left; c <= right; ++c) {
    const double v = ApplyChange(mode, get(c), value, integer);
    if (ordered) {
      for (int i = 0; i < count; ++i) row[i] = get(i);
      if (!KeepsOrder(row, c, stored ? stored(v) : v)) continue;
    }
    set(c, v);
    ++written;
  }
  return written;
}

}  // namespace MapGrid
