#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "EcuData.h"
#include "FakeLink.h"
#include "MapSpline.h"

namespace {

// An independent solver for comparison: Gauss-Jordan with complete pivoting in long double.
std::vector<double> SolveIndependently(int n, std::vector<double> a, std::vector<double> b) {
  std::vector<long double> m(a.begin(), a.end()), r(b.begin(), b.end());
  std::vector<int> column(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) column[static_cast<size_t>(i)] = i;
  const auto at = [&](int i, int j) -> long double& { return m[static_cast<size_t>(i * n + j)]; };
  for (int k = 0; k < n; ++k) {
    int pi = k, pj = k;
    for (int i = k; i < n; ++i)
      for (int j = k; j < n; ++j)
        if (std::fabs(at(i, j)) > std::fabs(at(pi, pj))) pi = i, pj = j;
    for (int j = 0; j < n; ++j) std::swap(at(k, j), at(pi, j));
    std::swap(r[static_cast<size_t>(k)], r[static_cast<size_t>(pi)]);
    for (int i = 0; i < n; ++i) std::swap(at(i, k), at(i, pj));
    std::swap(column[static_cast<size_t>(k)], column[static_cast<size_t>(pj)]);
    const long double p = at(k, k);
    for (int j = 0; j < n; ++j) at(k, j) /= p;
    r[static_cast<size_t>(k)] /= p;
    for (int i = 0; i < n; ++i) {
      if (i == k) continue;
      const long double f = at(i, k);
      for (int j = 0; j < n; ++j) at(i, j) -= f * at(k, j);
      r[static_cast<size_t>(i)] -= f * r[static_cast<size_t>(k)];
    }
  }
  std::vector<double> x(static_cast<size_t>(n));
  for (int k = 0; k < n; ++k)
    x[static_cast<size_t>(column[static_cast<size_t>(k)])] = static_cast<double>(r[static_cast<size_t>(k)]);
  return x;
}

// The spline system written out directly from its definition, for the independent solver.
void BuildSystem(const std::vector<SplinePoint>& p, const std::vector<double>& t, std::vector<double>& a,
                 std::vector<double>& b) {
  const int n = static_cast<int>(p.size()), m = n + 3;
  a.assign(static_cast<size_t>(m * m), 0.0);
  b.assign(static_cast<size_t>(m), 0.0);
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) {
      const double r = std::hypot(p[i].x - p[j].x, p[i].y - p[j].y);
      a[static_cast<size_t>(i * m + j)] = r > 0 ? r * r * std::log(r) : 0.0;
    }
    const double row[3] = {1.0, p[i].x, p[i].y};
    for (int k = 0; k < 3; ++k)
      a[static_cast<size_t>(i * m + n + k)] = a[static_cast<size_t>((n + k) * m + i)] = row[k];
    b[static_cast<size_t>(i)] = t[static_cast<size_t>(i)];
  }
}

TEST(SplineKernel, DistanceAndKernel) {
  EXPECT_DOUBLE_EQ(SplineDistance(0, 0, 3, 4), 5.0);
  EXPECT_DOUBLE_EQ(SplineDistance(1, 2, 1, 2), 0.0);
  EXPECT_EQ(SplineKernel(0.0), 0.0);
  EXPECT_EQ(SplineKernel(1e-16), 0.0);
  EXPECT_EQ(SplineKernel(1.0), 0.0);
  EXPECT_DOUBLE_EQ(SplineKernel(2.0), 4.0 * std::log(2.0));
  EXPECT_DOUBLE_EQ(SplineKernel(0.5), 0.25 * std::log(0.5));
}

TEST(SolveLinearSystem, PartialPivotingAndSingularRule) {
  // A zero in the leading position forces a row exchange.
  std::vector<double> a = {0, 2, 1, 1, 1, 1, 2, 1, 0}, b = {5, 4, 4}, x(3);
  ASSERT_TRUE(SolveLinearSystem(3, a, b, x));
  EXPECT_NEAR(x[0], 1, 1e-12);
  EXPECT_NEAR(x[1], 2, 1e-12);
  EXPECT_NEAR(x[2], 1, 1e-12);

  std::vector<double> s = {1, 2, 2, 4}, sb = {1, 2}, sx(2);
  EXPECT_FALSE(SolveLinearSystem(2, s, sb, sx));
  std::vector<double> tiny = {1e-16}, tb = {1}, tx(1);
  EXPECT_FALSE(SolveLinearSystem(1, tiny, tb, tx));
}

TEST(SolveSpline, PlaneThroughThreePointsHasNoWeights) {
  const std::vector<SplinePoint> p = {{0.2, 0.3}, {0.8, 0.4}, {0.5, 0.9}};
  const std::vector<double> t = {1000, 2000, 3000};
  std::vector<double> c;
  ASSERT_TRUE(SolveSpline(p, t, c));
  ASSERT_EQ(c.size(), 6u);
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(c[static_cast<size_t>(i)], 0.0, 1e-9);
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(EvalSpline(p[i].x, p[i].y, c, p), t[static_cast<size_t>(i)], 1e-9);
  // Linear in between: the mean of the three points has the mean value.
  EXPECT_NEAR(EvalSpline(0.5, 1.6 / 3, c, p), 2000.0, 1e-9);
}

TEST(SolveSpline, SingularSetsAreRefused) {
  const std::vector<std::vector<SplinePoint>> sets = {
      {},
      {{0.5, 0.5}},
      {{0.1, 0.2}, {0.7, 0.4}},
      {{0.1, 0.1}, {0.2, 0.2}, {0.3, 0.3}, {0.9, 0.9}},  // one line
      {{0.1, 0.5}, {0.4, 0.5}, {0.9, 0.5}},              // one MAP
      {{0.1, 0.2}, {0.1, 0.2}, {0.6, 0.9}, {0.8, 0.1}},  // a duplicate
  };
  for (const auto& p : sets) {
    std::vector<double> t(p.size(), 1000.0), c;
    EXPECT_FALSE(SolveSpline(p, t, c)) << p.size() << " points";
  }
}

TEST(SolveSpline, FiftyRandomPointsAgreeWithAnIndependentSolver) {
  std::mt19937 random(2024);
  std::uniform_real_distribution<double> coord(0.05, 1.0), value(1000, 16000);
  std::vector<SplinePoint> p(50);
  std::vector<double> t(50);
  for (size_t i = 0; i < p.size(); ++i) {
    p[i] = {coord(random), coord(random)};
    t[i] = value(random);
  }
  std::vector<double> c;
  ASSERT_TRUE(SolveSpline(p, t, c));
  std::vector<double> a, b;
  BuildSystem(p, t, a, b);
  const std::vector<double> reference = SolveIndependently(53, a, b);
  for (size_t i = 0; i < p.size(); ++i) EXPECT_NEAR(EvalSpline(p[i].x, p[i].y, c, p), t[i], 1e-6);
  for (int r = 0; r < 12; ++r)
    for (int k = 0; k < 12; ++k) {
      const double x = (k + 1) / 12.0, y = (r + 1) / 12.0;
      EXPECT_NEAR(EvalSpline(x, y, c, p), EvalSpline(x, y, reference, p), 0.5) << r << "," << k;
    }
}

// The map setters' rule: ms clamped to 0..20, below 0.02 -> 0, else trunc(ms x 250 + 0.5).
int RawOfMs(double ms) {
  if (ms > 20) ms = 20;
  if (ms < 0.02) return 0;
  return static_cast<int>(ms * 250 + 0.5);
}

// Value of the fitted surface at cell (r, c) as the fit rounds it: half up, then toward zero.
int Rounded(double v) { return static_cast<int>(v + 0.5); }

class FitMapSplineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    data_.WriteThrough = false;
    // Two MAP breakpoints of whole millivolts, so points can lie exactly on them.
    data_.SetRifMAP(5, 1.0);
    data_.SetRifMAP(11, 2.0);
    previous_ = EcuData;
    EcuData = &data_;
  }
  void TearDown() override { EcuData = previous_; }

  MapSample Node(int row, int col, int value) const {
    return {data_.GetRifGiri(col),
            static_cast<int32_t>(std::lround(data_.GetRifMAP(row) * 1000)),
            value,
            0,
            row,
            col};
  }
  double X(int c) const { return data_.GetRifGiri(c) / static_cast<double>(data_.GetRifGiri(11)); }
  double Y(int r) const { return data_.GetRifMAP(r) / data_.GetRifMAP(11); }
  int PetrolRaw(int r, int c) const { return data_.MappaBenzina[r][c]; }

  // A plane through three samples, evaluated in normalised coordinates.
  static double Plane(const std::vector<MapSample>& s, double x, double y, double rpmTop, double mvTop) {
    const double x0 = s[0].rpm / rpmTop, y0 = s[0].map / mvTop;
    const double x1 = s[1].rpm / rpmTop - x0, y1 = s[1].map / mvTop - y0;
    const double x2 = s[2].rpm / rpmTop - x0, y2 = s[2].map / mvTop - y0;
    const double v1 = s[1].value - s[0].value, v2 = s[2].value - s[0].value;
    const double det = x1 * y2 - x2 * y1;
    const double gx = (v1 * y2 - v2 * y1) / det, gy = (x1 * v2 - x2 * v1) / det;
    return s[0].value + gx * (x - x0) + gy * (y - y0);
  }

  TEcuData data_{"default"};
  TEcuData* previous_ = nullptr;
};

TEST_F(FitMapSplineTest, ThreePointsGiveAPlaneInMilliseconds) {
  const std::vector<MapSample> s = {Node(5, 0, 1000), Node(5, 11, 2000), Node(11, 0, 3000)};
  ASSERT_TRUE(FitMapSpline(s, true, false));
  for (int r = 0; r < 12; ++r)
    for (int c = 0; c < 12; ++c) {
      const int v = Rounded(Plane(s, X(c), Y(r), data_.GetRifGiri(11), 2000.0));
      EXPECT_EQ(PetrolRaw(r, c), RawOfMs(v * 0.001)) << r << "," << c;
    }
  EXPECT_EQ(PetrolRaw(5, 0), 250);
  EXPECT_EQ(PetrolRaw(5, 11), 500);
  EXPECT_EQ(PetrolRaw(11, 0), 750);
  EXPECT_EQ(PetrolRaw(11, 11), 1000);
}

// Equal neighbouring breakpoints (an ECU or a file may hold them) are one position on the
// plane: both cells of such a pair get the same value, and the rest of the map is as before.
TEST_F(FitMapSplineTest, EqualNeighbouringBreakpointsShareTheirValue) {
  data_.SetRifGiri(4, data_.GetRifGiri(3));  // 2000, 2000
  data_.SetRifMAP(8, data_.GetRifMAP(7));
  const std::vector<MapSample> s = {Node(5, 0, 1000), Node(5, 11, 2000), Node(11, 0, 3000), Node(2, 6, 1500)};
  ASSERT_TRUE(FitMapSpline(s, true, false));
  for (int r = 0; r < 12; ++r) EXPECT_EQ(PetrolRaw(r, 3), PetrolRaw(r, 4)) << r;
  for (int c = 0; c < 12; ++c) EXPECT_EQ(PetrolRaw(7, c), PetrolRaw(8, c)) << c;
  EXPECT_EQ(PetrolRaw(5, 0), 250);  // the nodes are still met
  EXPECT_EQ(PetrolRaw(2, 6), 375);
  EXPECT_EQ(data_.GetCentroGiri(4), 2000);  // the cell between them has no width
}

TEST_F(FitMapSplineTest, TheFitIsExactAtItsNodes) {
  std::mt19937 random(7);
  std::vector<MapSample> s;
  for (int c = 0; c < 12; ++c)
    for (int r : {5, 11}) s.push_back(Node(r, c, 4 * static_cast<int>(250 + random() % 3500)));
  s.push_back({1750, 400, 6000, 0, 0, 0});
  s.push_back({4250, 700, 9000, 0, 0, 0});
  ASSERT_TRUE(FitMapSpline(s, true, false));
  for (const MapSample& n : s) {
    if (n.row == 0) continue;  // the two points off the breakpoints
    EXPECT_EQ(PetrolRaw(n.row, n.col), n.value / 4) << n.row << "," << n.col;
  }
}

TEST_F(FitMapSplineTest, SingularSetsLeaveEveryMapUntouched) {
  data_.SetMappaBenzina(3, 3, 7.5);
  data_.ValoreCella[2][2] = 17;
  const auto gas = std::vector<int32_t>(&data_.Mappa[0][0], &data_.Mappa[0][0] + 144);
  const auto petrol = std::vector<int32_t>(&data_.MappaBenzina[0][0], &data_.MappaBenzina[0][0] + 144);
  const auto local = std::vector<int32_t>(&data_.ValoreCella[0][0], &data_.ValoreCella[0][0] + 144);
  const std::vector<std::vector<MapSample>> sets = {
      {},
      {Node(5, 5, 3000)},
      {Node(5, 5, 3000), Node(11, 2, 4000)},
      {{1000, 500, 1, 0, 0, 0}, {2000, 900, 2, 0, 0, 0}, {3000, 1300, 3, 0, 0, 0}},  // one line
      {{1000, 800, 1, 0, 0, 0}, {2500, 800, 2, 0, 0, 0}, {5000, 800, 3, 0, 0, 0}},   // one MAP
      {{1000, 500, 1, 0, 0, 0}, {1000, 500, 9, 0, 0, 0}, {4000, 1200, 3, 0, 0, 0}, {2000, 300, 4, 0, 0, 0}},
  };
  for (const auto& set : sets)
    for (int mode = 0; mode < 3; ++mode) {
      EXPECT_FALSE(FitMapSpline(set, mode == 0, mode == 2)) << set.size() << " points, mode " << mode;
      EXPECT_TRUE(std::equal(gas.begin(), gas.end(), &data_.Mappa[0][0]));
      EXPECT_TRUE(std::equal(petrol.begin(), petrol.end(), &data_.MappaBenzina[0][0]));
      EXPECT_TRUE(std::equal(local.begin(), local.end(), &data_.ValoreCella[0][0]));
    }
}

TEST_F(FitMapSplineTest, ZeroLastBreakpointIsRefused) {
  const std::vector<MapSample> s = {Node(5, 0, 1000), Node(5, 11, 2000), Node(11, 0, 3000)};
  data_.RifGiri[11] = 0;
  data_.SetMappaBenzina(4, 4, 7.5);
  EXPECT_FALSE(FitMapSpline(s, true, false));
  EXPECT_EQ(data_.MappaBenzina[4][4], 1875);
}

TEST_F(FitMapSplineTest, GasCellsAreRaisedToTheOpeningTimeAndCappedByTheMap) {
  const std::vector<MapSample> s = {Node(5, 0, 500), Node(5, 11, 30000), Node(11, 0, 9000)};
  ASSERT_TRUE(FitMapSpline(s, false, false));
  const double opening = data_.GetTempoAperturaIniettore(1);
  ASSERT_DOUBLE_EQ(opening, 4.0);
  int raised = 0, capped = 0;
  for (int r = 0; r < 12; ++r)
    for (int c = 0; c < 12; ++c) {
      const double t = std::max(opening, Rounded(Plane(s, X(c), Y(r), data_.GetRifGiri(11), 2000.0)) * 0.001);
      EXPECT_EQ(data_.Mappa[r][c], RawOfMs(t)) << r << "," << c;
      raised += data_.Mappa[r][c] == 1000;
      capped += data_.Mappa[r][c] == 5000;
    }
  EXPECT_GT(raised, 0);
  EXPECT_GT(capped, 0);
  EXPECT_EQ(data_.Mappa[5][0], 1000);
}

TEST_F(FitMapSplineTest, BlendScalesTheGasMapPerMille) {
  for (int correction : {100, -950}) {
    SCOPED_TRACE(correction);
    TEcuData fresh("default");
    fresh.WriteThrough = false;
    std::memcpy(data_.Mappa, fresh.Mappa, sizeof data_.Mappa);
    double before[12][12];
    for (int r = 0; r < 12; ++r)
      for (int c = 0; c < 12; ++c) before[r][c] = data_.GetMappa(r, c);
    const std::vector<MapSample> s = {Node(5, 0, correction), Node(5, 11, correction),
                                      Node(11, 0, correction), Node(11, 11, correction)};
    ASSERT_TRUE(FitMapSpline(s, false, true));
    for (int r = 0; r < 12; ++r)
      for (int c = 0; c < 12; ++c) {
        const int v = Rounded(correction);  // half up, then toward zero: -950 gives -949
        EXPECT_EQ(data_.GetZonaAdattativa(r, c, 5), v);
        const double g = before[r][c];
        const double t = std::max(4.0, static_cast<int>(g * v + g * 1000) * 0.001);
        EXPECT_EQ(data_.Mappa[r][c], RawOfMs(t)) << r << "," << c;
      }
  }
}

TEST_F(FitMapSplineTest, CellsAreWrittenThroughToTheEcu) {
  FakeLink link;
  ScopedLink scoped(&link);
  data_.WriteThrough = true;
  const std::vector<MapSample> s = {Node(5, 0, 1000), Node(5, 11, 2000), Node(11, 0, 3000)};
  ASSERT_TRUE(FitMapSpline(s, true, false));
  const auto writes = link.Only("WC");
  ASSERT_EQ(writes.size(), 144u);
  EXPECT_EQ(writes[0].rfind("WC 0x24f 0 0 ", 0), 0u) << writes[0];
  EXPECT_EQ(link.At(0x24F, 5 * 256 + 11), 500);
  EXPECT_EQ(PetrolRaw(5, 11), 500);

  // Refused cells keep their value.
  link.refused.insert(FakeLink::KeyOf(0x20E));
  const int32_t before = data_.Mappa[7][7];
  ASSERT_TRUE(FitMapSpline(s, false, false));
  EXPECT_EQ(data_.Mappa[7][7], before);
}

TEST_F(FitMapSplineTest, FiftyRandomPointsAgreeWithAnIndependentSolverWithinOneRawUnit) {
  std::mt19937 random(99);
  std::vector<MapSample> s;
  while (s.size() < 50) {
    const MapSample p{static_cast<int32_t>(500 + random() % 5501),
                      static_cast<int32_t>(180 + random() % 1821),
                      static_cast<int32_t>(1000 + random() % 15001),
                      0,
                      0,
                      0};
    bool duplicate = false;
    for (const MapSample& q : s) duplicate |= q.rpm == p.rpm && q.map == p.map;
    if (!duplicate) s.push_back(p);
  }
  ASSERT_TRUE(FitMapSpline(s, true, false));

  std::vector<SplinePoint> p;
  std::vector<double> t;
  for (const MapSample& q : s) {
    p.push_back({q.rpm / 6000.0, q.map / 2000.0});
    t.push_back(q.value);
  }
  std::vector<double> a, b;
  BuildSystem(p, t, a, b);
  const std::vector<double> w = SolveIndependently(53, a, b);
  for (int r = 0; r < 12; ++r)
    for (int c = 0; c < 12; ++c) {
      const double x = X(c), y = Y(r);
      double v = w[50] + w[51] * x + w[52] * y;
      for (size_t i = 0; i < p.size(); ++i) {
        const double d = std::hypot(x - p[i].x, y - p[i].y);
        if (d > 0) v += w[i] * d * d * std::log(d);
      }
      EXPECT_NEAR(PetrolRaw(r, c), RawOfMs(Rounded(v) * 0.001), 1) << r << "," << c;
    }
}

}  // namespace
