#include <gtest/gtest.h>

#include <cmath>

#include "Adattativita.h"
#include "EcuData.h"
#include "MapSpline.h"

namespace {

class AdattativitaTest : public ::testing::Test {
 protected:
  void SetUp() override {
    data_.WriteThrough = false;
    data_.NumeroZone = TEcuData::kZone;
    previous_ = EcuData;
    EcuData = &data_;
  }
  void TearDown() override { EcuData = previous_; }

  // Puts cell (row, col) in zone and gives the zone a coefficient and a correction whose
  // per-cell value (kind 4) is perCell.
  void Learn(int row, int col, int zone, int coefficient, int perCell) {
    data_.ZonaCella[row][col] = zone;
    data_.CoefficienteZona[zone] = coefficient;
    data_.CorrezioneZona[zone] = perCell * coefficient / 4;
  }
  int Mv(int row) const { return static_cast<int>(std::floor(data_.GetRifMAP(row) * 1000)); }
  MapSample Cell(int row, int col, int value) const {
    return {data_.GetRifGiri(col), Mv(row), value, 0, row, col};
  }

  // Learnt points in the three corner cells the anchors look at.
  void LearnCorners() {
    Learn(11, 0, 1, 50, 40);
    Learn(11, 11, 2, 60, 80);
    Learn(0, 11, 3, 70, -20);
  }

  TEcuData data_{"default"};
  TEcuData* previous_ = nullptr;
};

TEST_F(AdattativitaTest, ZoneWalksStopAtTheGridsEdge) {
  int grid[12][12];
  for (auto& row : grid)
    for (int& v : row) v = 40;
  // Every cell is in zone 0: one group of all 144 cells.
  const MapSampleList all = GroupZoneSamples(grid);
  ASSERT_EQ(all.size(), 1u);
  EXPECT_EQ(all[0].value, 40);
  EXPECT_EQ(all[0].rpm, 3250);
  int mvSum = 0;
  for (int r = 0; r < 12; ++r) mvSum += Mv(r);
  EXPECT_EQ(all[0].map, mvSum / 12);
  for (auto& row : grid)
    for (int v : row) EXPECT_EQ(v, 0);

  // A zone in the bottom-right corner, started from its first cell.
  for (int r = 10; r < 12; ++r)
    for (int c = 10; c < 12; ++c) data_.ZonaCella[r][c] = 5;
  data_.CoefficienteZona[5] = 9;
  grid[10][10] = 8;
  grid[11][11] = 3;  // part of the same group
  const MapSampleList corner = GroupZoneSamples(grid);
  ASSERT_EQ(corner.size(), 1u);
  EXPECT_EQ(corner[0].value, 11 / 4);
  EXPECT_EQ(corner[0].rpm, (5500 + 6000) / 2);
  EXPECT_EQ(corner[0].map, (2 * Mv(10) + 2 * Mv(11)) / 4);
  EXPECT_EQ(corner[0].order, 9);
  EXPECT_EQ(corner[0].row, 10);
  EXPECT_EQ(corner[0].col, 10);
}

TEST_F(AdattativitaTest, AveragesRoundDownAlsoBelowZero) {
  const MapSample mean = AverageSamples({{1000, 500, -3, 7, 2, 3}, {1001, 501, -4, 9, 4, 5}});
  EXPECT_EQ(mean.rpm, 1000);
  EXPECT_EQ(mean.map, 500);
  EXPECT_EQ(mean.value, -4);
  EXPECT_EQ(mean.order, 7);
  EXPECT_EQ(mean.row, 2);
  EXPECT_EQ(mean.col, 3);
}

TEST_F(AdattativitaTest, MergingDistancesAreExclusive) {
  const MapSampleList pair = {{2000, 800, 10, 5, 1, 1}, {2100, 800, 30, 6, 1, 2}, {4000, 800, 0, 7, 1, 3}};
  MapSampleList merged = MergeNearSamples(MapSampleList(pair), 101, 1);
  ASSERT_EQ(merged.size(), 1u);  // the zero-valued point starts no group
  EXPECT_EQ(merged[0].rpm, 2050);
  EXPECT_EQ(merged[0].value, 20);
  EXPECT_EQ(merged[0].order, 0);
  EXPECT_EQ(merged[0].col, 0);
  EXPECT_EQ(MergeNearSamples(MapSampleList(pair), 100, 1).size(), 2u);
  EXPECT_EQ(MergeNearSamples(MapSampleList(pair), 101, 0).size(), 2u);
}

TEST_F(AdattativitaTest, CornerCellPointsNeedNoAnchorAndUnlearntZonesGiveNoPoint) {
  LearnCorners();
  Learn(5, 5, 4, 3, 100);  // below the minimum of 10
  const MapSampleList list = CalcolaAdatta(10, true, 1, 1, 1, 1, 1, 1);
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[0].rpm, data_.GetRifGiri(0));
  EXPECT_EQ(list[0].value, 40);
  EXPECT_EQ(list[1].value, 80);
  EXPECT_EQ(list[2].value, -20);
  EXPECT_EQ(CalcolaAdatta(3, true, 1, 1, 1, 1, 1, 1).size(), 4u);
  // The three corner points fit a plane.
  EXPECT_TRUE(FitMapSpline(list, false, true));
}

TEST_F(AdattativitaTest, TheSortOrderDecidesHowChainsMerge) {
  LearnCorners();
  data_.SetRifGiri(4, 2080);
  data_.SetRifGiri(5, 2160);
  Learn(5, 3, 4, 20, 12);
  Learn(5, 4, 5, 30, 12);
  Learn(5, 5, 6, 40, 12);
  const MapSampleList up = CalcolaAdatta(10, true, 100, 1, 1, 1, 1, 1);
  ASSERT_EQ(up.size(), 5u);
  EXPECT_EQ(up[0].rpm, 2040);
  EXPECT_EQ(up[1].rpm, 2160);
  const MapSampleList down = CalcolaAdatta(10, false, 100, 1, 1, 1, 1, 1);
  ASSERT_EQ(down.size(), 5u);
  EXPECT_EQ(down[3].rpm, 2120);
  EXPECT_EQ(down[4].rpm, 2000);
}

TEST_F(AdattativitaTest, AnchorFromTheNearestPointScaledToTheCornerCell) {
  MapSampleList list = {Cell(10, 1, 60), Cell(10, 2, 90)};
  ASSERT_TRUE(AddAnchorSample(list, 11, 0, 1, 1, 1, 1));
  ASSERT_EQ(list.size(), 3u);
  const MapSample& anchor = list[2];
  EXPECT_EQ(anchor.rpm, data_.GetRifGiri(0));
  EXPECT_EQ(anchor.map, Mv(10));
  const double expected = std::floor(1060 * data_.GetMappa(10, 1) / data_.GetMappa(11, 0)) - 1000;
  EXPECT_EQ(anchor.value, static_cast<int>(expected));
  EXPECT_LT(anchor.value, 60);
  EXPECT_EQ(anchor.order, 0);
  EXPECT_EQ(anchor.row, 0);

  // Column 11 takes the nearest point in rpm and keeps its value.
  MapSampleList right = {Cell(10, 9, 10), Cell(10, 10, 20)};
  ASSERT_TRUE(AddAnchorSample(right, 11, 11, 1, 1, 1, 1));
  ASSERT_EQ(right.size(), 3u);
  EXPECT_EQ(right[2].rpm, data_.GetRifGiri(11));
  EXPECT_EQ(right[2].value, 20);
}

TEST_F(AdattativitaTest, AnchorWindowBounds) {
  const int b = data_.GetRifGiri(0), hR = (data_.GetRifGiri(1) - b) / 2;
  const int m = Mv(11), hM = (m - Mv(10)) / 2;
  const struct {
    int rpm, map;
    bool found;
  } cases[] = {
      {b + hR + 2 * hR, m, true},                                             // far rpm bound included
      {b + hR + 2 * hR + 1, m, false},  {b + hR, m - hM - 2 * hM + 1, true},  // lowest map inside
      {b + hR, m - hM - 2 * hM, false},                                       // lower map bound excluded
      {b + hR, m + hM, true},           {b + hR, m + hM + 1, false},
  };
  for (const auto& c : cases) {
    MapSampleList list = {{c.rpm, c.map, 5, 0, 0, 0}};
    EXPECT_EQ(AddAnchorSample(list, 11, 0, 1, 1, 1, 1), c.found) << c.rpm << " rpm, " << c.map << " mV";
    EXPECT_EQ(list.size(), c.found ? 2u : 1u);
  }
  // A point in the corner's own band covers it: nothing added, true.
  MapSampleList own = {{b + hR - 1, m, 5, 0, 0, 0}};
  EXPECT_TRUE(AddAnchorSample(own, 11, 0, 1, 1, 1, 1));
  EXPECT_EQ(own.size(), 1u);
}

TEST_F(AdattativitaTest, MissingCornerGivesAnEmptyList) {
  Learn(11, 0, 1, 50, 40);
  Learn(11, 11, 2, 60, 80);
  EXPECT_TRUE(CalcolaAdatta(10, true, 1, 1, 1, 1, 1, 1).empty());
  EXPECT_TRUE(CalcolaAdatta(10, true, 1, 1, 1, 1, 1, 1).empty());
  Learn(1, 10, 3, 70, 16);  // one step inward from corner (0, 11): found with NumCellYD 1
  EXPECT_EQ(CalcolaAdatta(10, true, 1, 1, 1, 1, 1, 1).size(), 4u);
  EXPECT_TRUE(CalcolaAdatta(10, true, 1, 1, 1, 1, 1, 0).empty());
}

}  // namespace
