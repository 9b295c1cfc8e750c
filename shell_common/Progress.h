#pragma once
// The progress rule of the wait and splash windows: mode 0 (ProgressSet) sets the position to
// the amount, any other mode adds the amount; the position stays within 0..100.
#include <cstdint>

constexpr int kProgressMax = 100;

inline int NextProgress(int position, intptr_t amount, intptr_t mode) {
  const long long next = mode == 0 ? static_cast<long long>(amount)
                                   : static_cast<long long>(position) + amount;
  return next < 0 ? 0 : (next > kProgressMax ? kProgressMax : static_cast<int>(next));
}
