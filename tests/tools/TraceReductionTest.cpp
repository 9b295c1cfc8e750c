#include <gtest/gtest.h>

#include <vector>

#include "TraceReduction.h"

// Times map to pixel columns one to one (column = floor(time)); columns 0..9 are drawn unless a
// case says otherwise.
TEST(TraceReduction, KeepsTheRecordsThatDecideEachColumn) {
  struct Case {
    const char* what;
    std::vector<double> time;
    std::vector<float> values;
    int firstColumn, lastColumn;
    std::vector<uint32_t> kept;
  } cases[] = {
      {"no records", {}, {}, 0, 9, {}},
      {"few records per column are all kept", {0, 0.5, 1, 1.5, 2}, {1, 2, 3, 4, 5}, 0, 9, {0, 1, 2, 3, 4}},
      {"first, lowest, highest, last of a column",
       {0, 0.1, 0.2, 0.3, 0.4, 0.5, 0.6},
       {3, 1, 2, 9, 2, 8, 4},
       0,
       9,
       {0, 1, 3, 6}},
      {"the highest before the lowest keeps record order",
       {0, 0.1, 0.2, 0.3, 0.4, 0.5},
       {3, 9, 5, 1, 5, 4},
       0,
       9,
       {0, 1, 3, 5}},
      {"a spike one record wide in a flat column",
       {1, 1.1, 1.2, 1.3, 1.4, 1.5, 1.6},
       {5, 5, 5, 50, 5, 5, 5},
       0,
       9,
       {0, 3, 6}},
      {"a dip one record wide next to a spike",
       {0, 0.2, 0.4, 0.6, 0.8, 1, 1.2, 1.4, 1.6, 1.8},
       {5, 5, -40, 5, 5, 5, 5, 60, 5, 5},
       0,
       9,
       {0, 2, 4, 5, 7, 9}},
      {"records beyond the drawn columns keep only the ends that join them",
       {0, 0.5, 1, 1.5, 2, 2.5, 3, 3.5, 4, 4.5, 5},
       {1, 9, 2, 8, 3, 4, 5, 6, 7, 1, 9},
       2,
       3,
       {3, 4, 5, 6, 7, 8}},
      {"time running back: each run of one column stands alone",
       {0, 0.5, 5, 6, 7, 8, 0.2, 0.7},
       {1, 2, 3, 4, 5, 6, 7, 8},
       0,
       1,
       {0, 1, 2, 5, 6, 7}},
      {"every record beyond the drawn columns", {20, 21, 22}, {1, 2, 3}, 0, 9, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TTraceReduction reduction;
    reduction.Build(c.time, 0, 1, c.firstColumn, c.lastColumn);
    std::vector<uint32_t> kept;
    reduction.Reduce(c.values, kept);
    EXPECT_EQ(kept, c.kept);
  }
}

TEST(TraceReduction, ColumnsFollowTheOffsetAndScale) {
  // 64 records a second, 8 pixels a second from pixel 5: eight records per column, each
  // column with a peak on its fourth record.
  std::vector<double> time;
  std::vector<float> values;
  for (int k = 0; k < 800; ++k) {
    time.push_back(k / 64.0);
    values.push_back(k % 8 == 3 ? 1.0f : 0.0f);
  }
  TTraceReduction reduction;
  reduction.Build(time, 5, 8, 5, 104);
  EXPECT_EQ(reduction.Runs(), 100u);
  std::vector<uint32_t> kept;
  reduction.Reduce(values, kept);
  ASSERT_EQ(kept.size(), 300u);  // first (also the lowest), the peak, last
  EXPECT_EQ((std::vector<uint32_t>(kept.begin(), kept.begin() + 6)), (std::vector<uint32_t>{0, 3, 7, 8, 11, 15}));
}
