#include <gtest/gtest.h>

#include <QLocale>

#include "GridMath.h"
#include "QtPrint.h"
#include "RiferimentiMappa.h"

using GridMath::TFit;

TEST(GridMathTest, AdjustFillsTheClientOrFitsTheControl) {
  // Evenly: 300 / 4 = 75 for columns 1..3, column 0 the rest less one pixel.
  TFit f = GridMath::Adjust({{64, 64, 64, 64}, 300}, 0, false, nullptr);
  EXPECT_EQ(f.sizes, (std::vector<int>{74, 75, 75, 75}));
  EXPECT_EQ(f.client, 300);
  // By proportions, rounded to nearest.
  const std::vector<double> shares{0.1, 0.2, 0.3, 0.4};
  f = GridMath::Adjust({{10, 20, 30, 40}, 205}, 0, false, &shares);
  EXPECT_EQ(f.sizes, (std::vector<int>{19, 41, 62, 82}));
  // Grid lines take their room; fitting the control to its columns.
  f = GridMath::Adjust({{50, 60}, 100}, 2, true, nullptr);
  EXPECT_EQ(f.client, 112);
  EXPECT_EQ(f.sizes, (std::vector<int>{50, 60}));
  // Already filling: nothing changes.
  f = GridMath::Adjust({{50, 49}, 100}, 1, false, nullptr);
  EXPECT_EQ(f.sizes, (std::vector<int>{50, 49}));
  // Too small a client: every column at least 5, column 0 too, the client grows to hold it.
  f = GridMath::Adjust({{64, 64, 64}, 12}, 0, false, nullptr);
  EXPECT_EQ(f.sizes, (std::vector<int>{5, 5, 5}));
  EXPECT_EQ(f.client, 16);
}

TEST(GridMathTest, ExpandScalesFromColumnOne) {
  TFit f = GridMath::Expand({{40, 40, 40}, 243}, 0);   // factor (243 - 3) / 120 = 2
  EXPECT_EQ(f.sizes, (std::vector<int>{82, 80, 80}));  // column 0: 243 - 160 - 1
  f = GridMath::Expand({{40, 40, 40}, 10}, 0);
  EXPECT_EQ(f.sizes, (std::vector<int>{5, 5, 5}));
  EXPECT_EQ(f.client, 16);
}

TEST(GridMathTest, WorkingPointFollowsTheMidPoints) {
  const std::vector<double> ref{500, 1000, 2000};
  // The cell spans [100, 160): h = 30.
  EXPECT_EQ(GridMath::ActiveIndex(ref, 1499), 1);
  EXPECT_EQ(GridMath::MarkerPixel(ref, 1, 1499, 100, 160), 159);  // just left of the right edge
  EXPECT_EQ(GridMath::ActiveIndex(ref, 1500), 2);
  EXPECT_EQ(GridMath::MarkerPixel(ref, 2, 1500, 100, 160), 100);  // the mid: the left edge
  EXPECT_EQ(GridMath::MarkerPixel(ref, 2, 2000, 100, 160), 130);  // on the breakpoint: the middle
  EXPECT_EQ(GridMath::MarkerPixel(ref, 2, 2200, 100, 160), 145);
  EXPECT_EQ(GridMath::MarkerPixel(ref, 2, 2401, 100, 160), 160);  // past 1.2 x the last
  EXPECT_EQ(GridMath::ActiveIndex(ref, 100), 0);
  EXPECT_EQ(GridMath::MarkerPixel(ref, 0, 250, 0, 60), 15);  // from 0 up to the first breakpoint
  // A breakpoint equal to its mid-point before it (all zero) puts the marker at the cell's end.
  EXPECT_EQ(GridMath::MarkerPixel({0, 0}, 1, 0, 0, 60), 60);
}

TEST(GridMathTest, DataFormatPatterns) {
  const QLocale saved;
  QLocale::setDefault(QLocale::c());
  struct Case {
    double v;
    const char* pattern;
    const char* text;
  } cases[] = {
      {3.14159, "0.00", "3.14"}, {2.5, "0.00", "2.50"},
      {2.5, "0.##", "2.5"},      {0.5, "#.##", ".5"},
      {7, "000", "007"},         {-0.001, "0.00", "0.00"},
      {-12.5, "0.0", "-12.5"},   {1234567, "#,##0", "1,234,567"},
      {12, "0 ms", "12 ms"},     {1.25, "", "1.25"},
  };
  for (const Case& c : cases) EXPECT_EQ(GridMath::FormatDataNumber(c.v, c.pattern), c.text) << c.pattern;
  QLocale::setDefault(QLocale(QLocale::Italian));
  EXPECT_EQ(GridMath::FormatDataNumber(1234.5, "#,##0.00"), "1.234,50");
  QLocale::setDefault(saved);
}

TEST(GridMathTest, BreakpointOrderCheck) {
  using F = TFormRiferimenti;
  EXPECT_EQ(F::FirstDisorder({1, 2, 2, 3}, TRefSortType::stAscent), 1);
  EXPECT_EQ(F::FirstDisorder({1, 2, 3}, TRefSortType::stAscent), -1);
  EXPECT_EQ(F::FirstDisorder({3, 2, 2}, TRefSortType::stDescent), 1);
  EXPECT_EQ(F::FirstDisorder({1, 3, 2}, TRefSortType::stDescent), 0);
  EXPECT_EQ(F::FirstDisorder({2, 2}, TRefSortType::stNone), -1);
}
