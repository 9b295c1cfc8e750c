#include "MinMaxPyramid.h"

#include <algorithm>

namespace {

// Takes the extremes of `other` into `best`; on equal values the first position wins.
void Take(std::span<const float> values, TMinMaxPyramid::TExtremes& best,
          const TMinMaxPyramid::TExtremes& other) {
  const float low = values[other.low], bestLow = values[best.low];
  if (low < bestLow || (low == bestLow && other.low < best.low)) best.low = other.low;
  const float high = values[other.high], bestHigh = values[best.high];
  if (high > bestHigh || (high == bestHigh && other.high < best.high)) best.high = other.high;
}

}  // namespace

TMinMaxPyramid::TMinMaxPyramid(std::span<const float> values) {
  // Only whole blocks: a range's last, partial block is walked value by value.
  const size_t blocks = values.size() / kBlock;
  if (blocks == 0) return;
  std::vector<TExtremes> level(blocks);
  for (size_t j = 0; j < blocks; ++j) {
    // The lowest and highest value without a branch on the values, four at a time; then the
    // first of each.
    const uint32_t first = static_cast<uint32_t>(j * kBlock);
    const float* v = values.data() + first;
    float low[4] = {v[0], v[1], v[2], v[3]}, high[4] = {v[0], v[1], v[2], v[3]};
    for (uint32_t k = 4; k < kBlock; k += 4)
      for (int i = 0; i < 4; ++i) {
        low[i] = v[k + i] < low[i] ? v[k + i] : low[i];
        high[i] = v[k + i] > high[i] ? v[k + i] : high[i];
      }
    const float lowest = std::min({low[0], low[1], low[2], low[3]});
    const float highest = std::max({high[0], high[1], high[2], high[3]});
    uint32_t k = 0;
    while (!(v[k] == lowest)) ++k;
    level[j].low = first + k;
    for (k = 0; !(v[k] == highest);) ++k;
    level[j].high = first + k;
  }
  levels_.push_back(std::move(level));
  while (levels_.back().size() > 1) {
    const std::vector<TExtremes>& below = levels_.back();
    std::vector<TExtremes> above((below.size() + 1) / 2);
    for (size_t j = 0; j < above.size(); ++j) {
      above[j] = below[2 * j];
      if (2 * j + 1 < below.size()) Take(values, above[j], below[2 * j + 1]);
    }
    levels_.push_back(std::move(above));
  }
}

TMinMaxPyramid::TExtremes TMinMaxPyramid::Find(std::span<const float> values, uint32_t begin,
                                               uint32_t end) const {
  TExtremes best{begin, begin};
  uint32_t lo = begin, hi = end;
  // The values before the first and after the last whole block of the range.
  for (; lo < hi && lo % kBlock != 0; ++lo) Take(values, best, {lo, lo});
  for (; hi > lo && hi % kBlock != 0; --hi) Take(values, best, {hi - 1, hi - 1});
  lo /= kBlock;
  hi /= kBlock;
  // Blocks lo..hi-1 of each level: an odd one at either end is taken at this level, the rest
  // pair up into the level above.
  for (size_t l = 0; lo < hi; ++l) {
    const std::vector<TExtremes>& level = levels_[l];
    if (lo & 1) Take(values, best, level[lo++]);
    if (hi & 1) Take(values, best, level[--hi]);
    lo /= 2;
    hi /= 2;
  }
  return best;
}
