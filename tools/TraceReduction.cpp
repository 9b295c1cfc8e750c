#include "TraceReduction.h"

#include <algorithm>
#include <climits>
#include <cmath>

void TTraceReduction::Build(std::span<const double> time, double offset, double scale, int firstColumn,
                            int lastColumn) {
  runs_.clear();
  // The column of a record; every record left of the drawn columns shares one key, every
  // record right of them another (also a time that maps to no number at all).
  const auto column = [&](double t) -> long long {
    const double px = std::floor(offset + scale * t);
    if (px < firstColumn) return LLONG_MIN;
    if (px <= lastColumn) return static_cast<long long>(px);
    return LLONG_MAX;
  };
  const uint32_t n = static_cast<uint32_t>(time.size());
  long long current = 0;
  for (uint32_t k = 0; k < n; ++k) {
    const long long c = column(time[k]);
    if (k > 0 && c == current) continue;
    if (k > 0) runs_.back().end = k;
    runs_.push_back({k, n, c != LLONG_MIN && c != LLONG_MAX});
    current = c;
  }
}

void TTraceReduction::Reduce(std::span<const float> values, std::vector<uint32_t>& out) const {
  const auto add = [&out](uint32_t k) {
    if (out.empty() || out.back() != k) out.push_back(k);
  };
  for (size_t r = 0; r < runs_.size(); ++r) {
    const TRun& run = runs_[r];
    const uint32_t last = run.end - 1;
    if (!run.drawn) {
      // Only the lines from and to the neighbouring runs can show.
      if (r > 0) add(run.begin);
      if (r + 1 < runs_.size()) add(last);
      continue;
    }
    uint32_t low = run.begin, high = run.begin;
    for (uint32_t k = run.begin + 1; k < run.end; ++k) {
      if (values[k] < values[low]) low = k;
      if (values[k] > values[high]) high = k;
    }
    add(run.begin);
    add(std::min(low, high));
    add(std::max(low, high));
    add(last);
  }
}
