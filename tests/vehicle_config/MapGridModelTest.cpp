#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "MapGridClipboard.h"
#include "MapGridModel.h"

using namespace MapGrid;

namespace {

const std::array<int, 12> kRpm = {500, 1000, 1500, 2000, 2500, 3000, 3500, 4000, 4500, 5000, 5500, 6000};
const std::array<double, 12> kMap = {0.18, 0.33, 0.47, 0.63, 0.78, 0.93, 1.08, 1.24, 1.39, 1.54, 1.70, 1.86};

template <size_t N, typename T>
std::array<double, N> AsDouble(const std::array<T, N>& a) {
  std::array<double, N> d{};
  for (size_t i = 0; i < N; ++i) d[i] = a[i];
  return d;
}

// Cells of 40 x 20 pixels, data cell (0, 0) at (40, 20).
CellRect Rect(int row, int col) { return {40 + col * 40, 20 + row * 20, 80 + col * 40, 40 + row * 20}; }

}  // namespace

TEST(MapGridBounds, MidpointsAndEnds) {
  const auto rpm = RpmBounds(kRpm);
  EXPECT_EQ(rpm[0], 0);
  EXPECT_EQ(rpm[1], 750);
  EXPECT_EQ(rpm[11], 5750);
  EXPECT_EQ(rpm[12], 6750);
  // Integer halving.
  const std::array<int, 12> odd = {501, 1000, 1500, 2000, 2500, 3000, 3500, 4000, 4500, 5000, 5500, 6000};
  EXPECT_EQ(RpmBounds(odd)[1], 750);

  const auto load = LoadBounds(kMap);
  EXPECT_DOUBLE_EQ(load[0], 0.0);
  EXPECT_DOUBLE_EQ(load[1], (0.18 + 0.33) * 0.5);
  EXPECT_DOUBLE_EQ(load[12], (1.70 + 1.86) * 0.5 + 0.1);

  // Toward zero for negative references.
  const std::array<int, 5> cum = {-15, -10, 20, 30, 41};
  const auto cb = CumuloBounds(cum);
  EXPECT_EQ((std::array<int, 6>{0, -12, 5, 25, 35, 45}), cb);
  // Four rows in use: the last bound follows the fourth reference.
  EXPECT_EQ((std::array<int, 6>{0, -12, 5, 25, 35, 0}), CumuloBounds(std::span<const int>(cum.data(), 4)));

  const std::array<double, 9> press = {0.47, 0.55, 0.61, 0.68, 0.76, 0.82, 0.90, 1.00, 1.10};
  const auto pb = PressDiffBounds(press);
  EXPECT_DOUBLE_EQ(pb[0], (0.47 + 0.55) * 0.5);
  EXPECT_DOUBLE_EQ(pb[7], (1.00 + 1.10) * 0.5);
}

TEST(MapGridMarker, CellAndPixelTable) {
  const auto rb = AsDouble(RpmBounds(kRpm));
  const auto rp = AsDouble(kRpm);
  const auto lb = LoadBounds(kMap);
  const Axis cols{rb, rp};
  const Axis rows{lb, kMap};
  struct Case {
    double rpm, load;
    int row, col, x, y;
  };
  const Case cases[] = {
      // On the breakpoints: the middle of the cell.
      {500, 0.18, 0, 0, 60, 30},
      {3000, 0.93, 5, 5, 260, 130},
      // On a midpoint: the higher column, its left edge.
      {750, 0.18, 0, 1, 80, 30},
      // Three quarters between breakpoint and upper bound.
      {687.5, 0.18, 0, 0, 75, 30},
      // Below the first breakpoint: lower half spans 0..500.
      {250, 0.09, 0, 0, 50, 25},
      // Beyond the last bound: right and bottom edges of the last cell.
      {9000, 4.0, 11, 11, 520, 260},
      // Between the last breakpoint and bound [12].
      {6375, 1.86, 11, 11, 510, 250},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.rpm << " rpm " << c.load << " V");
    TWorkingPointMarker m;
    ASSERT_TRUE(m.Update(c.rpm, c.load, cols, rows, Rect));
    EXPECT_EQ(m.Row(), c.row);
    EXPECT_EQ(m.Col(), c.col);
    EXPECT_EQ(m.X(), c.x);
    EXPECT_EQ(m.Y(), c.y);
  }
}

TEST(MapGridMarker, BreakpointOnItsLowerBoundPutsTheMarkerOnTheEdge) {
  // MAP breakpoint 0 at 0 V equals bound [0]; a load of 0 V used to divide 0 by 0.
  std::array<double, 12> map = kMap;
  map[0] = 0.0;
  const auto lb = LoadBounds(map);
  const auto rb = AsDouble(RpmBounds(kRpm));
  const auto rp = AsDouble(kRpm);
  TWorkingPointMarker m;
  ASSERT_TRUE(m.Update(500, 0.0, Axis{rb, rp}, Axis{lb, map}, Rect));
  EXPECT_EQ(m.Row(), 0);
  EXPECT_EQ(m.Y(), 20);  // top edge of the cell
  // Two equal rpm breakpoints: the second one's lower half has no width.
  std::array<int, 12> rpm = kRpm;
  rpm[1] = 500;
  const auto rb2 = AsDouble(RpmBounds(rpm));
  const auto rp2 = AsDouble(rpm);
  m.Invalidate();  // new bounds: the caller forces the recomputation
  ASSERT_TRUE(m.Update(500, 0.0, Axis{rb2, rp2}, Axis{lb, map}, Rect));
  EXPECT_EQ(m.Col(), 1);
  EXPECT_EQ(m.X(), 80);  // left edge of column 1
}

TEST(MapGridMarker, RecomputesOnChangeOrEveryFiftyTicks) {
  const auto rb = AsDouble(RpmBounds(kRpm));
  const auto rp = AsDouble(kRpm);
  const auto lb = LoadBounds(kMap);
  const Axis cols{rb, rp}, rows{lb, kMap};
  TWorkingPointMarker m;
  EXPECT_TRUE(m.Update(1000, 0.33, cols, rows, Rect));
  EXPECT_TRUE(m.CellChanged());
  for (int i = 0; i < TWorkingPointMarker::kRefreshTicks; ++i)
    EXPECT_FALSE(m.Update(1000, 0.33, cols, rows, Rect));
  EXPECT_TRUE(m.Update(1000, 0.33, cols, rows, Rect));
  EXPECT_FALSE(m.CellChanged());
  EXPECT_TRUE(m.Update(1010, 0.33, cols, rows, Rect));  // same cell, new point
  EXPECT_FALSE(m.CellChanged());
  m.Invalidate();
  EXPECT_TRUE(m.Update(1010, 0.33, cols, rows, Rect));
}

TEST(MapGridHighlight, ColumnTables) {
  // GetGiriCentroFascia(0..5) with the default breakpoints (0 outside 1..5).
  const std::array<int, 6> centres = {0, 750, 1250, 1750, 2250, 2750};
  const std::map<int, int> arr = {{0, 0},    {1, 0},    {750, 0},  {751, 1}, {1250, 1},
                                  {2000, 3}, {2750, 4}, {2751, 5}, {9000, 5}};
  for (const auto& [rpm, col] : arr) EXPECT_EQ(EnrichmentColumn(rpm, centres), col) << rpm << " rpm";

  const std::array<int, 9> refs = {0, 5, 10, 20, 32, 45, 56, 68, 80};
  const std::map<int, int> temp = {{-10, 0}, {0, 0}, {1, 1}, {20, 3}, {21, 4}, {68, 7}, {69, 8}, {200, 8}};
  for (const auto& [t, col] : temp) EXPECT_EQ(TempGasColumn(t, refs), col) << t << " C";

  const std::array<double, 9> press = {0.47, 0.55, 0.61, 0.68, 0.76, 0.82, 0.90, 1.00, 1.10};
  const auto pb = PressDiffBounds(press);
  const std::map<double, int> pr = {{0.0, 0}, {0.50, 0}, {0.52, 1}, {1.04, 7}, {1.06, 8}, {3.0, 8}};
  for (const auto& [p, col] : pr) EXPECT_EQ(PressDiffColumn(p, pb), col) << p << " bar";
}

TEST(MapGridChange, BlockInTheThreeModes) {
  // A 2 x 2 block of a small map held in a table.
  std::map<std::pair<int, int>, double> cells = {
      {{1, 1}, 2.0}, {{1, 2}, 3.0}, {{2, 1}, 4.0}, {{2, 2}, 5.0}, {{0, 0}, 9.0}};
  const auto get = [&](int r, int c) { return cells[{r, c}]; };
  const auto set = [&](int r, int c, double v) { cells[{r, c}] = v; };
  const Block block{1, 1, 2, 2};
  EXPECT_EQ(BlockDialogStart(block, get).mode, ModeLinear);
  EXPECT_EQ(BlockDialogStart(block, get).value, 0.0);
  const DialogStart one = BlockDialogStart(Block{2, 1, 2, 1}, get);
  EXPECT_EQ(one.mode, ModeAbsolute);
  EXPECT_EQ(one.value, 4.0);

  ChangeBlock(block, ModeLinear, 0.5, false, get, set);
  EXPECT_EQ(cells[std::make_pair(1, 1)], 2.5);
  EXPECT_EQ(cells[std::make_pair(2, 2)], 5.5);
  ChangeBlock(block, ModePercent, 10, false, get, set);
  EXPECT_DOUBLE_EQ(cells[std::make_pair(1, 1)], 2.75);
  ChangeBlock(block, ModeAbsolute, 7, false, get, set);
  for (auto rc : {std::make_pair(1, 1), {1, 2}, {2, 1}, {2, 2}}) EXPECT_EQ(cells[rc], 7.0);
  EXPECT_EQ(cells[std::make_pair(0, 0)], 9.0);  // outside the block

  EXPECT_DOUBLE_EQ(ApplyChange(ModePercent, 2.0, 10, false), 2.2);
  // Integer cells: percent results rounded half to even.
  EXPECT_EQ(ApplyChange(ModePercent, 5, 50, true), 8);     // 7.5
  EXPECT_EQ(ApplyChange(ModePercent, 3, 50, true), 4);     // 4.5
  EXPECT_EQ(ApplyChange(ModePercent, 20, -12, true), 18);  // 17.6
  EXPECT_EQ(ApplyChange(ModeLinear, 15, -20, true), -5);
}

TEST(MapGridChange, ReferenceRowSkipsColumnsThatBreakTheOrder) {
  struct Case {
    int left, right;
    ChangeMode mode;
    double value;
    std::vector<double> expect;
    int written;
  };
  const std::vector<double> start = {0, 5, 10, 20, 32, 45, 56, 68, 80};
  const Case cases[] = {
      // Above the right neighbour: not stored.
      {2, 2, ModeAbsolute, 25, start, 0},
      {2, 2, ModeAbsolute, 15, {0, 5, 15, 20, 32, 45, 56, 68, 80}, 1},
      // Equal to a neighbour: not stored.
      {0, 0, ModeAbsolute, 5, start, 0},
      {8, 8, ModeAbsolute, 68, start, 0},
      {8, 8, ModeAbsolute, 90, {0, 5, 10, 20, 32, 45, 56, 68, 90}, 1},
      // A shift up of the whole row: each column is checked against the row as it stands when
      // it is processed, so the first three stay (their right neighbours have not moved yet).
      {0, 8, ModeLinear, 10, {0, 5, 10, 30, 42, 55, 66, 78, 90}, 6},
      // A shift down passes column by column from the left.
      {0, 8, ModeLinear, -2, {-2, 3, 8, 18, 30, 43, 54, 66, 78}, 9},
  };
  for (const Case& c : cases) {
    std::vector<double> row = start;
    const int n = ChangeRow(
        9, c.left, c.right, c.mode, c.value, true, true, [&](int i) { return row[i]; },
        [&](int i, double v) { row[i] = v; });
    EXPECT_EQ(row, c.expect) << c.left << ".." << c.right << " value " << c.value;
    EXPECT_EQ(n, c.written);
  }
  // The comparison uses the value as the store would hold it: 0.479 bar is stored as 0.47,
  // equal to its left neighbour.
  std::vector<double> press = {47 * 0.01, 55 * 0.01, 61 * 0.01};  // as the getter gives them
  const auto stored = [](double v) { return static_cast<int>(v * 100) * 0.01; };
  EXPECT_EQ(ChangeRow(
                3, 1, 1, ModeAbsolute, 0.479, false, true, [&](int i) { return press[i]; },
                [&](int i, double v) { press[i] = v; }, stored),
            0);
  // An unordered row takes every value.
  std::vector<double> coeff = {85, 88, 91};
  EXPECT_EQ(ChangeRow(
                3, 0, 2, ModeAbsolute, 100, true, false, [&](int i) { return coeff[i]; },
                [&](int i, double v) { coeff[i] = v; }),
            3);
  EXPECT_EQ(coeff, (std::vector<double>{100, 100, 100}));
}

TEST(MapGridClipboardTest, FormatAndParse) {
  using namespace MapGridClipboard;
  // A 3 x 2 block: two lines of three values, one CR LF between them, none at the end.
  const std::vector<std::vector<double>> block = {{4.008, 4.176, 4.332}, {4.728, 4.888, 5.032}};
  EXPECT_EQ(Format(block, '.'), "4.008\t4.176\t4.332\r\n4.728\t4.888\t5.032");
  EXPECT_EQ(Format(block, ','), "4,008\t4,176\t4,332\r\n4,728\t4,888\t5,032");
  // Full precision, whatever the value.
  EXPECT_EQ(FormatNumber(1002 * 0.004, '.'), "4.008");
  EXPECT_EQ(FormatNumber(1.0 / 3.0, '.'), "0.333333333333333");
  EXPECT_EQ(FormatNumber(20, ','), "20");

  for (char sep : {'.', ','}) {
    const Parsed p = Parse(Format(block, sep), sep);
    EXPECT_EQ(p.lines, block);
    EXPECT_EQ(p.columns, 3);
  }
  // A spreadsheet ends the last line too, and may use LF alone.
  EXPECT_EQ(Parse("1,5\t2\r\n3\t4\r\n", ',').lines, (std::vector<std::vector<double>>{{1.5, 2}, {3, 4}}));
  EXPECT_EQ(Parse("1\t2\n3\t4\n", '.').lines.size(), 2u);
  // Fields that are not numbers count as 0; a short line keeps its own fields.
  EXPECT_EQ(Parse("x\t\t1.5e1\r\n7", '.').lines, (std::vector<std::vector<double>>{{0, 0, 15}, {7}}));
  EXPECT_EQ(Parse("1.5\tnan\tinf", ',').lines, (std::vector<std::vector<double>>{{0, 0, 0}}));
  EXPECT_EQ(Parse(" -2,25 \t+3", ',').lines, (std::vector<std::vector<double>>{{-2.25, 3}}));
  EXPECT_TRUE(Parse("", '.').lines.empty());
}

TEST(MapGridClipboardTest, PastePlanAsksOnlyWhenSizesDiffer) {
  using namespace MapGridClipboard;
  const Parsed two = Parse("1\t2\r\n3\t4", '.');
  struct Case {
    Block sel;
    bool ask;
    Block target;
  };
  const Case cases[] = {
      {{3, 4, 3, 4}, false, {3, 4, 4, 5}},          // one cell: no question
      {{0, 0, 1, 1}, false, {0, 0, 1, 1}},          // same size
      {{0, 0, 2, 2}, true, {0, 0, 1, 1}},           // 3 x 3 selection
      {{11, 11, 11, 11}, false, {11, 11, 11, 11}},  // clipped to the grid
  };
  for (const Case& c : cases) {
    const PastePlan p = PlanPaste(c.sel, two, 11, 11);
    EXPECT_EQ(p.ask, c.ask);
    EXPECT_EQ(p.target.top, c.target.top);
    EXPECT_EQ(p.target.left, c.target.left);
    EXPECT_EQ(p.target.bottom, c.target.bottom);
    EXPECT_EQ(p.target.right, c.target.right);
  }
  // The trailing line end of a spreadsheet block does not make the sizes differ.
  EXPECT_FALSE(PlanPaste({0, 0, 1, 1}, Parse("1\t2\r\n3\t4\r\n", '.'), 11, 11).ask);
}
