#pragma once
// The points of a long trace that decide its picture. The records are cut into runs of
// consecutive records that fall into the same pixel column; a polyline through the first, the
// lowest, the highest and the last record of each run (in record order) covers the same pixels
// as one through every record, so a trace of any length draws at most four points per column.
// Records beyond the drawn columns form runs of their own, one per side, of which only the
// ends that join a neighbouring run are kept: the lines between them lie outside the picture,
// while the lines entering and leaving it stay exactly as they are. Times need not be in order.
#include <cstdint>
#include <span>
#include <vector>

class TTraceReduction {
 public:
  // Cuts the records into runs: record k lies in pixel column floor(offset + scale x time[k]);
  // columns firstColumn..lastColumn are drawn (give them a margin for the pen's width).
  void Build(std::span<const double> time, double offset, double scale, int firstColumn, int lastColumn);

  // Appends to out the indices of the records that a series with these values needs, in
  // ascending order. values holds one value per record of the last Build.
  void Reduce(std::span<const float> values, std::vector<uint32_t>& out) const;

  // How many runs the last Build made.
  size_t Runs() const { return runs_.size(); }

 private:
  struct TRun {
    uint32_t begin;
    uint32_t end;
    bool drawn;  // inside the drawn columns
  };
  std::vector<TRun> runs_;
};
