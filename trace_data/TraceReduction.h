#pragma once
// The points of a long trace that decide its picture. The records are cut into runs of
// consecutive records that fall into the same pixel column; a polyline through the first, the
// lowest, the highest and the last record of each run (in record order) covers the same pixels
// as one through every record, so a trace of any length draws at most four points per column.
// Records beyond the drawn columns form runs of their own, one per side, of which only the
// ends that join a neighbouring run are kept: the lines between them lie outside the picture,
// while the lines entering and leaving it stay exactly as they are.
//
// A paint costs the runs, not the records: within a stretch of records whose times do not go
// back the columns cannot go back either, so each run ends where a binary search finds the
// next column, and its lowest and highest record come from the series' min/max pyramid. The
// recorder writes times in order (one stretch); a trace whose times jump back is cut into
// several stretches and draws the same way, at a cost that grows with its stretches.
#include <cstdint>
#include <span>
#include <vector>

#include "MinMaxPyramid.h"

class TTraceReduction {
 public:
  // The ends of the stretches of records whose times do not go back, the last being the
  // record count (none for no records).
  static std::vector<uint32_t> InOrderStretches(std::span<const double> time);

  // Cuts the records into runs: record k lies in pixel column floor(offset + scale x time[k]);
  // columns firstColumn..lastColumn are drawn (give them a margin for the pen's width).
  // stretches: InOrderStretches(time).
  void Build(std::span<const double> time, std::span<const uint32_t> stretches, double offset, double scale,
             int firstColumn, int lastColumn);

  // Appends to out the indices of the records that a series with these values needs, in
  // ascending order. values holds one value per record of the last Build; pyramid was built
  // from them.
  void Reduce(std::span<const float> values, const TMinMaxPyramid& pyramid, std::vector<uint32_t>& out) const;

  // How many runs the last Build made.
  size_t Runs() const { return runs_.size(); }

 private:
  struct TRun {
    uint32_t begin;
    uint32_t end;
    long long column;  // kLeft and kRight for the records beyond the drawn columns
  };
  std::vector<TRun> runs_;
};
