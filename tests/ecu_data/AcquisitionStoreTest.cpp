#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "AcquisitionStore.h"
#include "EcuData.h"

namespace {

class DatiMappatiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    data_.WriteThrough = false;  // no link: the breakpoints are set locally
    previous_ = EcuData;
    EcuData = &data_;
    store_.Ordina(SortByRpm);
  }
  void TearDown() override {
    store_.Ordina(SortByRpm);
    EcuData = previous_;
  }

  QString Path(const char* name) const { return dir_.filePath(name); }

  void WriteText(const char* name, const QByteArray& text) const {
    QFile f(Path(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
  }

  QByteArray ReadText(const char* name) const {
    QFile f(Path(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }

  // Breakpoint k: rpm 500 (k + 1), MAP volts as the defaults hold them.
  int Rpm(int k) const { return data_.GetRifGiri(k); }
  double Volts(int k) const { return data_.GetRifMAP(k); }

  TEcuData data_{"default"};
  TEcuData* previous_ = nullptr;
  TDatiMappati store_;
  QTemporaryDir dir_;
};

TEST_F(DatiMappatiTest, PointsGoToTheNearestBreakpointHalfwayToTheLower) {
  data_.SetRifGiri(0, 800);
  data_.SetRifGiri(1, 1200);
  int row = -1, col = -1;
  CellOfPoint(1000, Volts(0), row, col);
  EXPECT_EQ(col, 0);
  EXPECT_EQ(row, 0);
  CellOfPoint(1001, Volts(0), row, col);
  EXPECT_EQ(col, 1);
  CellOfPoint(0, 0.0, row, col);
  EXPECT_EQ(col, 0);
  EXPECT_EQ(row, 0);
  CellOfPoint(20000, 4.9, row, col);
  EXPECT_EQ(col, 11);
  EXPECT_EQ(row, 11);
  const double halfway = data_.GetCentroMAP(4);  // between MAP breakpoints 3 and 4
  CellOfPoint(3000, halfway, row, col);
  EXPECT_EQ(row, 3);
  CellOfPoint(3000, halfway + 0.001, row, col);
  EXPECT_EQ(row, 4);
}

// Breakpoint pairs whose midpoint is a whole number of millivolts: a point read from a file
// at exactly that midpoint goes to the lower breakpoint, whatever the rounding of the volts.
TEST_F(DatiMappatiTest, PointExactlyHalfwayBetweenMapBreakpointsGoesToTheLower) {
  struct Case {
    int32_t lower, upper;  // raw breakpoints 3 and 4
    int millivolts;        // their midpoint
  } cases[] = {{49, 53, 1000}, {98, 106, 2000}, {148, 209, 3500}, {196, 212, 4000}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.lower);
    for (int k = 0; k < 12; ++k) data_.RifMAP[k] = k < 3 ? 10 * k : k == 3 ? c.lower : c.upper + (k - 4) * 3;
    ASSERT_EQ((c.lower + c.upper) * 2500, c.millivolts * 255);
    int row = -1, col = -1;
    CellOfPoint(3000, c.millivolts / 1000.0, row, col);
    EXPECT_EQ(row, 3);
    WriteText("half.txt", "n.\tGiri\tTempo\tMap\n1\t3000\t4000\t" + QByteArray::number(c.millivolts) + "\n");
    ASSERT_EQ(store_.ReadFromFile(Path("half.txt"), false), 1);
    EXPECT_EQ(store_.Samples().at(0).row, 3);
  }
}

TEST_F(DatiMappatiTest, SecondPointOfACellOverwritesTheFirstInItsPlace) {
  EXPECT_EQ(store_.Add(Rpm(5), Volts(2), 4000, 0), 0);
  EXPECT_EQ(store_.Add(Rpm(1), Volts(2), 3000, 0), 0);  // lower rpm goes first
  EXPECT_TRUE(store_.IsChanged());
  const int index = store_.Add(Rpm(5) + 20, Volts(2) + 0.01, 4500, 0);
  EXPECT_EQ(index, 1);
  ASSERT_EQ(store_.Count(), 2);
  const MapSample& s = store_.Samples()[1];
  EXPECT_EQ(s.rpm, Rpm(5) + 20);
  EXPECT_EQ(s.value, 4500);
  EXPECT_EQ(s.order, 3);  // the counter moved on
  EXPECT_EQ(s.row, 2);
  EXPECT_EQ(s.col, 5);
  EXPECT_TRUE(store_.IsCellaOccupata(2, 5));
  EXPECT_TRUE(store_.IsCellaOccupata(2, 1));
  EXPECT_EQ(store_.Add(Rpm(7), Volts(7), 1, 40), 2);  // a given order number is kept
  EXPECT_EQ(store_.Samples()[2].order, 40);
  EXPECT_EQ(store_.Add(Rpm(8), Volts(7), 1, 0), 3);
  EXPECT_EQ(store_.Samples()[3].order, 4);
}

TEST_F(DatiMappatiTest, NewPointsArePlacedByTheSortKey) {
  store_.Add(Rpm(3), Volts(3), 100, 0);
  store_.Add(Rpm(6), Volts(1), 200, 0);
  store_.Ordina(SortByOrder);
  EXPECT_EQ(TDatiMappati::GetOrdinamento(), SortByOrder);
  EXPECT_EQ(store_.Add(Rpm(0), Volts(0), 300, 0), 2);  // the highest number goes to the end
  store_.Ordina(SortByRpm);
  EXPECT_EQ(store_.Samples()[0].rpm, Rpm(0));
  EXPECT_EQ(store_.Add(Rpm(4), Volts(9), 50, 0), 2);  // before the first point of higher rpm
  store_.Ordina(SortByValue);
  const std::vector<int> values = {50, 100, 200, 300};
  for (size_t i = 0; i < values.size(); ++i) EXPECT_EQ(store_.Samples()[i].value, values[i]);
  store_.Ordina(SortByMap);
  for (int i = 1; i < store_.Count(); ++i) EXPECT_LE(store_.Samples()[i - 1].map, store_.Samples()[i].map);
  // Ties keep their order.
  std::vector<MapSample> tied = {{1, 5, 0, 1, 0, 0}, {1, 3, 0, 2, 0, 1}, {0, 9, 0, 3, 0, 2}};
  store_.AssignList(tied);
  store_.Ordina(SortByRpm);
  EXPECT_EQ(store_.Samples()[0].order, 3);
  EXPECT_EQ(store_.Samples()[1].order, 1);
  EXPECT_EQ(store_.Samples()[2].order, 2);
}

TEST_F(DatiMappatiTest, DeleteClearsTheCellOnlyWhenNoOtherPointLiesInIt) {
  std::vector<MapSample> list = {{1000, 500, 1, 1, 4, 4}, {1100, 510, 2, 2, 4, 4}, {3000, 900, 3, 3, 6, 6}};
  store_.SetCella(4, 4, 1);
  store_.SetCella(6, 6, 1);
  store_.AssignList(list);
  EXPECT_TRUE(list.empty());
  EXPECT_FALSE(store_.IsChanged());
  store_.Delete(0);
  EXPECT_TRUE(store_.IsCellaOccupata(4, 4));
  EXPECT_TRUE(store_.IsChanged());
  store_.Delete(0);
  EXPECT_FALSE(store_.IsCellaOccupata(4, 4));
  store_.Delete(5);
  store_.Delete(-1);
  EXPECT_EQ(store_.Count(), 1);
  store_.Delete(0);
  EXPECT_FALSE(store_.IsChanged());
  EXPECT_FALSE(store_.IsCellaOccupata(6, 6));
}

TEST_F(DatiMappatiTest, GridAccessOutsideTheMapIsIgnored) {
  store_.SetCella(12, 0, 1);
  store_.SetCella(0, -1, 1);
  EXPECT_FALSE(store_.IsCellaOccupata(12, 0));
  EXPECT_FALSE(store_.IsCellaOccupata(-1, 3));
  store_.SetCella(11, 11, 1);
  EXPECT_TRUE(store_.IsCellaOccupata(11, 11));
  store_.Add(Rpm(2), Volts(2), 1, 0);
  store_.Clear();
  EXPECT_TRUE(store_.IsCellaOccupata(2, 2));  // Clear leaves the grid
  store_.ClearGriglia();
  EXPECT_FALSE(store_.IsCellaOccupata(2, 2));
  EXPECT_FALSE(store_.IsCellaOccupata(11, 11));
}

TEST_F(DatiMappatiTest, AggiornaKeepsMillivoltsExactAndRefilesThePoint) {
  store_.Add(Rpm(0), Volts(0), 1000, 0);
  for (int mv = 0; mv <= 10000; ++mv) {
    store_.Sample(0)->map = mv;
    ASSERT_EQ(store_.Aggiorna(0), 0);
    ASSERT_EQ(store_.Samples()[0].map, mv);
  }
  store_.Add(Rpm(9), Volts(9), 2000, 0);
  store_.Add(Rpm(4), Volts(4), 3000, 0);
  MapSample* moved = store_.Sample(2);
  ASSERT_NE(moved, nullptr);
  moved->rpm = Rpm(2);
  moved->map = static_cast<int>(Volts(6) * 1000);
  EXPECT_EQ(store_.Aggiorna(2), 1);  // refiled by rpm
  EXPECT_FALSE(store_.IsCellaOccupata(9, 9));
  EXPECT_TRUE(store_.IsCellaOccupata(6, 2));
  EXPECT_EQ(store_.Samples()[1].order, 2);
  EXPECT_EQ(store_.Aggiorna(3), -1);
  EXPECT_EQ(store_.Aggiorna(-1), -1);
  EXPECT_EQ(store_.Sample(3), nullptr);
  EXPECT_EQ(store_.Count(), 3);
}

TEST_F(DatiMappatiTest, FileRoundTripKeepsEveryRecordAndMillivolt) {
  // Millivolt values that a pass through volts would change, one rpm column each.
  const int mvs[] = {1001, 1003, 1005, 1007, 1009, 1011, 2002, 2006, 0, 1, 999, 1860};
  for (int k = 0; k < 12; ++k) store_.Add(Rpm(k), 0.0, 3000 + k, 20 + k);
  for (int k = 0; k < 12; ++k) {
    store_.Sample(k)->map = mvs[k];
    store_.Aggiorna(k);
  }
  const std::vector<MapSample> before = store_.Samples();
  ASSERT_EQ(store_.WriteToFile(Path("a.dma")), 1);
  EXPECT_TRUE(ReadText("a.dma").startsWith("n.\tGiri\tTempo\tMap\n20\t500\t3000\t1001\n"));

  TDatiMappati other;
  other.Add(Rpm(3), Volts(3), 1, 0);
  ASSERT_EQ(other.ReadFromFile(Path("a.dma"), false), 1);
  ASSERT_EQ(other.Count(), 12);
  for (int k = 0; k < 12; ++k) {
    EXPECT_EQ(other.Samples()[k].map, before[k].map);
    EXPECT_EQ(other.Samples()[k].order, before[k].order);
    EXPECT_EQ(other.Samples()[k].rpm, before[k].rpm);
    EXPECT_EQ(other.Samples()[k].value, before[k].value);
    EXPECT_EQ(other.Samples()[k].row, before[k].row);
  }
  other.Clear();
  EXPECT_EQ(other.Samples().size(), 0u);
  ASSERT_EQ(other.ReadFromFile(Path("a.dma"), false), 1);
  EXPECT_EQ(other.Samples()[other.Add(0, 0.0, 1, 0)].order, 1);  // the counter was 0 after the read
}

TEST_F(DatiMappatiTest, AppendedPointsGetNewNumbers) {
  WriteText("b.dma", "n.\tGiri\tTempo\tMap\n7\t500\t1000\t300\n9\t6000\t2000\t1800\n");
  store_.Add(Rpm(5), Volts(5), 5, 0);
  ASSERT_EQ(store_.ReadFromFile(Path("b.dma"), true), 1);
  ASSERT_EQ(store_.Count(), 3);
  EXPECT_EQ(store_.Samples()[0].order, 2);
  EXPECT_EQ(store_.Samples()[2].order, 3);
  EXPECT_EQ(store_.Samples()[2].map, 1800);
}

TEST_F(DatiMappatiTest, ReadingStopsAtTheFirstBadLine) {
  const struct {
    const char* name;
    QByteArray text;
    int result;
    int count;
  } cases[] = {
      {"header only", "n.\tGiri\tTempo\tMap\n", 0, 0},
      {"empty", "", 0, 0},
      {"bad second line", "h\n1\t500\t10\t300\n2 x 3 4\n3\t1500\t10\t300\n", 0, 1},
      {"three numbers", "h\n1\t500\t10\n", 0, 0},
      {"blanks and signs", "h\n  1  500 \t -10\t300\n", 1, 1},
      {"CR LF lines", "h\r\n1\t500\t10\t300\r\n2\t1500\t10\t300\r\n", 1, 2},
      {"no final line feed", "h\n1\t500\t10\t300\n2\t1500\t10\t300", 1, 2},
      {"overflow", "h\n1\t500\t99999999999\t300\n", 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    WriteText("c.dma", c.text);
    store_.Add(Rpm(11), Volts(11), 1, 0);
    EXPECT_EQ(store_.ReadFromFile(Path("c.dma"), false), c.result);
    EXPECT_EQ(store_.Count(), c.count);
  }
  store_.Add(Rpm(11), Volts(11), 1, 0);
  EXPECT_EQ(store_.ReadFromFile(Path("missing.dma"), false), 0);
  EXPECT_EQ(store_.Count(), 1);  // a file that cannot be opened changes nothing
}

TEST_F(DatiMappatiTest, FailedOrEmptyWritesLeaveTheFileAlone) {
  WriteText("d.dma", "old");
  EXPECT_EQ(store_.WriteToFile(Path("d.dma")), 0);
  EXPECT_EQ(ReadText("d.dma"), "old");
  store_.Add(Rpm(1), Volts(1), 1, 0);
  EXPECT_EQ(store_.WriteToFile(Path("no/such/folder/e.dma")), 0);
  ASSERT_EQ(store_.WriteToFile(Path("d.dma")), 1);
  EXPECT_EQ(ReadText("d.dma"), QByteArray("n.\tGiri\tTempo\tMap\n1\t1000\t1\t") +
                                   QByteArray::number(static_cast<int>(Volts(1) * 1000)) + "\n");
}

}  // namespace
