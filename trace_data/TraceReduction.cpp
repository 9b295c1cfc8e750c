#include "TraceReduction.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

constexpr long long kLeft = LLONG_MIN, kRight = LLONG_MAX;

}  // namespace

std::vector<uint32_t> TTraceReduction::InOrderStretches(std::span<const double> time) {
  std::vector<uint32_t> ends;
  const uint32_t n = static_cast<uint32_t>(time.size());
  for (uint32_t k = 1; k < n; ++k)
    if (!(time[k] >= time[k - 1])) ends.push_back(k);
  if (n > 0) ends.push_back(n);
  return ends;
}

void TTraceReduction::Build(std::span<const double> time, std::span<const uint32_t> stretches, double offset,
                            double scale, int firstColumn, int lastColumn) {
  runs_.clear();
  // The column of a record; every record left of the drawn columns shares one key, every
  // record right of them another (also a time that maps to no number at all). The key never
  // goes back while the time does not (nor always forward with a negative scale).
  const auto column = [&](double t) -> long long {
    const double px = std::floor(offset + scale * t);
    if (px < firstColumn) return kLeft;
    if (px <= lastColumn) return static_cast<long long>(px);
    return kRight;
  };
  uint32_t k = 0;
  for (const uint32_t end : stretches) {
    for (bool first = true; k < end; first = false) {
      const long long c = column(time[k]);
      // Within the stretch the records of this column come one after the other.
      const uint32_t next =
          static_cast<uint32_t>(std::partition_point(time.begin() + k + 1, time.begin() + end,
                                                     [&](double t) { return column(t) == c; }) -
                                time.begin());
      // A stretch that begins in the column where the one before ended goes on with its run.
      if (first && !runs_.empty() && runs_.back().column == c)
        runs_.back().end = next;
      else
        runs_.push_back({k, next, c});
      k = next;
    }
  }
}

void TTraceReduction::Reduce(std::span<const float> values, const TMinMaxPyramid& pyramid,
                             std::vector<uint32_t>& out) const {
  const auto add = [&out](uint32_t k) {
    if (out.empty() || out.back() != k) out.push_back(k);
  };
  for (size_t r = 0; r < runs_.size(); ++r) {
    const TRun& run = runs_[r];
    const uint32_t last = run.end - 1;
    if (run.column == kLeft || run.column == kRight) {
      // Only the lines from and to the neighbouring runs can show.
      if (r > 0) add(run.begin);
      if (r + 1 < runs_.size()) add(last);
      continue;
    }
    const TMinMaxPyramid::TExtremes e = pyramid.Find(values, run.begin, run.end);
    add(run.begin);
    add(std::min(e.low, e.high));
    add(std::max(e.low, e.high));
    add(last);
  }
}
