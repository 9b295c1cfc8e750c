#pragma once
// The lowest and the highest value of any range of a long series, found without walking it:
// the series is cut into blocks of kBlock values, each block keeps where its lowest and its
// highest value lie, and each level above keeps the same for pairs of the level below. A range
// costs the values of its two unaligned ends (under 2 x kBlock) and two blocks per level. The
// pyramid holds positions, not values: it is asked with the very values it was built from.
#include <cstdint>
#include <span>
#include <vector>

class TMinMaxPyramid {
 public:
  static constexpr uint32_t kBlock = 32;

  // Where the lowest and the highest value of a range lie (the first of equal ones).
  struct TExtremes {
    uint32_t low = 0;
    uint32_t high = 0;
  };

  TMinMaxPyramid() = default;
  explicit TMinMaxPyramid(std::span<const float> values);

  // The extremes of values[begin..end), begin < end <= values.size().
  TExtremes Find(std::span<const float> values, uint32_t begin, uint32_t end) const;

 private:
  // levels_[0][j]: block j of the values; levels_[l + 1][j]: blocks 2j and 2j + 1 of level l.
  std::vector<std::vector<TExtremes>> levels_;
};
