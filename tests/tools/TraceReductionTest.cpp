#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <functional>
#include <random>
#include <vector>

#include "MinMaxPyramid.h"
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
      {"times going back within one column make one run",
       {0, 0.5, 0.2, 0.7, 0.1, 0.3, 3},
       {5, 1, 9, 5, 5, 5, 2},
       0,
       9,
       {0, 1, 2, 5, 6}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TTraceReduction reduction;
    reduction.Build(c.time, TTraceReduction::InOrderStretches(c.time), 0, 1, c.firstColumn, c.lastColumn);
    std::vector<uint32_t> kept;
    reduction.Reduce(c.values, TMinMaxPyramid(c.values), kept);
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
  reduction.Build(time, TTraceReduction::InOrderStretches(time), 5, 8, 5, 104);
  EXPECT_EQ(reduction.Runs(), 100u);
  std::vector<uint32_t> kept;
  reduction.Reduce(values, TMinMaxPyramid(values), kept);
  ASSERT_EQ(kept.size(), 300u);  // first (also the lowest), the peak, last
  EXPECT_EQ((std::vector<uint32_t>(kept.begin(), kept.begin() + 6)),
            (std::vector<uint32_t>{0, 3, 7, 8, 11, 15}));
}

TEST(MinMaxPyramid, FindsTheFirstLowestAndHighestOfAnyRange) {
  std::mt19937 random(11);
  // Few distinct values, so that most ranges hold several equal lowest and highest ones.
  for (const uint32_t n : {1u, 31u, 32u, 33u, 64u, 95u, 1000u, 4099u}) {
    SCOPED_TRACE(n);
    std::vector<float> values(n);
    for (float& v : values) v = static_cast<float>(random() % 7) - 3;
    const TMinMaxPyramid pyramid(values);
    std::vector<std::pair<uint32_t, uint32_t>> ranges = {{0, n}, {0, 1}, {n - 1, n}};
    for (int r = 0; r < 2000; ++r) {
      const uint32_t a = random() % n, b = random() % n;
      ranges.push_back({std::min(a, b), std::max(a, b) + 1});
    }
    for (const auto& [begin, end] : ranges) {
      const auto first = values.begin() + begin, last = values.begin() + end;
      const uint32_t low = static_cast<uint32_t>(std::min_element(first, last) - values.begin());
      // max_element gives the first of equal highest ones too.
      const uint32_t high =
          static_cast<uint32_t>(std::max_element(first, last, std::less<float>()) - values.begin());
      const TMinMaxPyramid::TExtremes e = pyramid.Find(values, begin, end);
      ASSERT_EQ(e.low, low) << begin << ".." << end;
      ASSERT_EQ(e.high, high) << begin << ".." << end;
    }
  }
}

namespace {

// The reduction by its definition: walk every record, cut the runs, walk each run.
std::vector<uint32_t> ReducedByWalking(const std::vector<double>& time, const std::vector<float>& values,
                                       double offset, double scale, int firstColumn, int lastColumn) {
  const auto column = [&](double t) -> long long {
    const double px = std::floor(offset + scale * t);
    return px < firstColumn ? LLONG_MIN : px <= lastColumn ? static_cast<long long>(px) : LLONG_MAX;
  };
  std::vector<std::pair<uint32_t, uint32_t>> runs;
  std::vector<bool> drawn;
  for (uint32_t k = 0; k < time.size(); ++k) {
    if (k > 0 && column(time[k]) == column(time[k - 1])) {
      runs.back().second = k + 1;
      continue;
    }
    runs.push_back({k, k + 1});
    drawn.push_back(column(time[k]) != LLONG_MIN && column(time[k]) != LLONG_MAX);
  }
  std::vector<uint32_t> out;
  const auto add = [&out](uint32_t k) {
    if (out.empty() || out.back() != k) out.push_back(k);
  };
  for (size_t r = 0; r < runs.size(); ++r) {
    const auto [begin, end] = runs[r];
    if (!drawn[r]) {
      if (r > 0) add(begin);
      if (r + 1 < runs.size()) add(end - 1);
      continue;
    }
    uint32_t low = begin, high = begin;
    for (uint32_t k = begin + 1; k < end; ++k) {
      if (values[k] < values[low]) low = k;
      if (values[k] > values[high]) high = k;
    }
    add(begin);
    add(std::min(low, high));
    add(std::max(low, high));
    add(end - 1);
  }
  return out;
}

}  // namespace

TEST(TraceReduction, KeepsWhatWalkingEveryRecordKeeps) {
  std::mt19937 random(5);
  const auto uniform = [&random](double a, double b) {
    return std::uniform_real_distribution<double>(a, b)(random);
  };
  // How the times of 3000 records run: in order, with equal times, restarting, jumping back now
  // and then, backwards, in no order.
  const std::vector<std::pair<const char*, std::function<double(int)>>> timings = {
      {"in order", [](int k) { return k * 0.17; }},
      {"equal times", [](int k) { return (k / 5) * 0.17; }},
      {"a second recording appended", [](int k) { return (k % 1500) * 0.34; }},
      {"now and then a record from before", [&](int k) { return k % 97 == 0 ? uniform(0, 500) : k * 0.17; }},
      {"backwards", [](int k) { return (3000 - k) * 0.17; }},
      {"in no order", [&](int k) { return uniform(0, 510) + 0 * k; }},
  };
  for (const auto& [what, timing] : timings) {
    std::vector<double> time(3000);
    std::vector<float> values(3000);
    for (int k = 0; k < 3000; ++k) {
      time[k] = timing(k);
      values[k] = static_cast<float>(std::round(10 * std::sin(k / 40.0) + uniform(-3, 3)));
    }
    const TMinMaxPyramid pyramid(values);
    const std::vector<uint32_t> stretches = TTraceReduction::InOrderStretches(time);
    // The whole trace, zoomed in, zoomed out, mirrored, finer than the records.
    const struct {
      double offset, scale;
      int first, last;
    } views[] = {{0, 1, 0, 510}, {-200, 8, 0, 800}, {10, 0.5, 0, 300}, {600, -1, 90, 600}, {0, 40, 0, 20000}};
    for (const auto& v : views) {
      SCOPED_TRACE(::testing::Message() << what << ", scale " << v.scale);
      TTraceReduction reduction;
      reduction.Build(time, stretches, v.offset, v.scale, v.first, v.last);
      std::vector<uint32_t> kept;
      reduction.Reduce(values, pyramid, kept);
      EXPECT_EQ(kept, ReducedByWalking(time, values, v.offset, v.scale, v.first, v.last));
    }
  }
}
