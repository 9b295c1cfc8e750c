#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "EcuValueCodes.h"
#include "MapGridArr.h"
#include "MapGridHost.h"
#include "MapGridMap.h"
#include "MapGridSmall.h"
#include "Modmappa.h"
#include "ScopedLocale.h"
#include "SimEcuFixture.h"

namespace {

// The form side of the grids: one kept cell dialog; counts the live-tick stops and starts.
class TestHost final : public IGridHost {
 public:
  TFormModMappa dialog{nullptr};
  int stops = 0;
  int starts = 0;
  bool running = true;
  bool stoppedDuringDialog = false;

  TFormModMappa* CellDialog() override { return &dialog; }
  void StopLiveTimer() override {
    ++stops;
    running = false;
  }
  void StartLiveTimer() override {
    ++starts;
    running = true;
  }
  QString Text(int, const QString& fallback) const override { return fallback; }
  QWidget* DialogOwner() override { return nullptr; }

  // Answers the next cell dialog: checks what it shows, types `text`, picks `mode`, OK.
  void Answer(const QString& text, int mode, std::function<void(TFormModMappa&)> check = {}) {
    QTimer::singleShot(0, [this, text, mode, check] {
      stoppedDuringDialog = !running;
      if (check) check(dialog);
      dialog.Edit1->selectAll();
      QTest::keyClicks(dialog.Edit1, text);
      dialog.ModeItems[mode]->setChecked(true);
      dialog.ButtonOK->click();
    });
  }
};

class MapGridWidget : public SimEcuFixture {
 protected:
  MapGridWidget() : grid_(&host_) {
    grid_.FitCells(13 * 50, 13 * 30);
    QGuiApplication::clipboard()->clear();
  }
  // Selects data cells (row, col)..(row2, col2) of the map grid.
  void Select(int row, int col, int row2, int col2) {
    grid_.SetSelection({row + 1, col + 1, row2 + 1, col2 + 1});
  }

  TestHost host_;
  TMapGrid grid_;
};

}  // namespace

TEST_F(MapGridWidget, BoundsFromTheDataSetAtConstructionAndOnRecompute) {
  EXPECT_EQ(grid_.MapRpmBounds()[1], 750);
  EXPECT_EQ(grid_.MapRpmBounds()[12], 6750);
  EXPECT_DOUBLE_EQ(grid_.MapLoadBounds()[0], 0.0);
  data_.SetRifGiri(0, 800);
  grid_.RecomputeBounds();
  EXPECT_EQ(grid_.MapRpmBounds()[1], 900);
}

TEST_F(MapGridWidget, MarkerFollowsTheWorkingPoint) {
  EXPECT_TRUE(grid_.UpdateMarker(1000, data_.GetRifMAP(2)));
  EXPECT_EQ(grid_.Marker().Col(), 1);
  EXPECT_EQ(grid_.Marker().Row(), 2);
  const QRect cell = grid_.CellRect(2, 3);
  EXPECT_EQ(grid_.Marker().X(), cell.left() + cell.width() / 2);
  EXPECT_FALSE(grid_.UpdateMarker(1000, data_.GetRifMAP(2)));  // nothing changed
  grid_.ForceMarker();
  EXPECT_FALSE(grid_.UpdateMarker(1000, data_.GetRifMAP(2)));  // recomputed, same cell
  EXPECT_TRUE(grid_.Marker().Placed());
  // A MAP breakpoint of 0 V and a load of 0 V: the marker sits on the top edge of row 0.
  data_.SetRifMAP(0, 0.0);
  grid_.RecomputeBounds();
  grid_.UpdateMarker(500, 0.0);
  EXPECT_EQ(grid_.Marker().Row(), 0);
  EXPECT_EQ(grid_.Marker().Y(), grid_.CellRect(1, 1).top());
}

TEST_F(MapGridWidget, BothMapsViewChangesNothing) {
  grid_.SetView(TMapGrid::ViewEntrambe);
  Select(0, 0, 0, 0);
  const double before = data_.GetMappa(0, 0);
  QTest::keyClick(&grid_, Qt::Key_Return);
  ASSERT_EQ(prompts_.Shown().size(), 1u);
  EXPECT_EQ(prompts_.Shown()[0].text.toStdString(), TMapGrid::kBothMapsMessage);
  EXPECT_EQ(prompts_.Shown()[0].icon, PromptIcon::Information);
  EXPECT_EQ(host_.stops, 0);
  EXPECT_EQ(data_.GetMappa(0, 0), before);
}

TEST_F(MapGridWidget, BlockChangeInTheThreeModes) {
  // One cell: its value and absolute; the live tick is stopped while the dialog is open.
  Select(0, 0, 0, 0);
  host_.Answer("3", 0, [&](TFormModMappa& d) {
    EXPECT_EQ(d.Edit1->text(), "4.008");
    EXPECT_TRUE(d.ModeItems[0]->isChecked());
  });
  QTest::keyClick(&grid_, Qt::Key_Return);
  EXPECT_TRUE(host_.stoppedDuringDialog);
  EXPECT_EQ(host_.starts, 1);
  EXPECT_TRUE(host_.running);
  EXPECT_DOUBLE_EQ(data_.GetMappa(0, 0), 3.0);

  // A block: 0 and linear.
  Select(1, 1, 2, 2);
  const double b11 = data_.GetMappa(1, 1), b22 = data_.GetMappa(2, 2);
  ecu_.ClearCalls();
  host_.Answer("0.5", 1, [&](TFormModMappa& d) {
    EXPECT_EQ(d.Edit1->text(), "0");
    EXPECT_TRUE(d.ModeItems[1]->isChecked());
  });
  QTest::keyClick(&grid_, Qt::Key_Return);
  EXPECT_NEAR(data_.GetMappa(1, 1), b11 + 0.5, 1e-9);
  EXPECT_NEAR(data_.GetMappa(2, 2), b22 + 0.5, 1e-9);
  EXPECT_EQ(CountCalls(SimOp::WriteCell, 0x20E), 4);

  // Percent: 10 % on 2.00 ms gives 2.2 ms; the petrol view writes the petrol map.
  grid_.SetView(TMapGrid::ViewBenzina);
  data_.SetMappaBenzina(5, 5, 2.0);
  const int32_t gas = data_.Mappa[5][5];
  Select(5, 5, 5, 5);
  ecu_.ClearCalls();
  host_.Answer("10", 2);
  QTest::keyClick(&grid_, Qt::Key_Return);
  EXPECT_DOUBLE_EQ(data_.GetMappaBenzina(5, 5), 2.2);
  EXPECT_EQ(data_.Mappa[5][5], gas);
  EXPECT_EQ(CountCalls(SimOp::WriteCell, 0x24F), 1);

  // Cancel changes nothing but still restarts the tick.
  QTimer::singleShot(0, [&] { host_.dialog.ButtonAnnulla->click(); });
  QTest::keyClick(&grid_, Qt::Key_Return);
  EXPECT_DOUBLE_EQ(data_.GetMappaBenzina(5, 5), 2.2);
  EXPECT_EQ(host_.starts, host_.stops);
}

TEST_F(MapGridWidget, CopyPasteRoundTripAndTheSizeQuestion) {
  ScopedLocale italian(QLocale(QLocale::Italian, QLocale::Italy));
  grid_.PopupMenuGridPopup();
  EXPECT_FALSE(grid_.MenuIncolla->isEnabled());  // empty clipboard

  // A 3 x 2 block of the gas map: two lines of three values.
  data_.SetMappa(0, 1, 4.332);
  Select(0, 0, 1, 2);
  grid_.MenuCopiaClick();
  const QString text = QGuiApplication::clipboard()->text();
  EXPECT_EQ(text, "4,008\t4,332\t4,332\r\n4,728\t4,888\t5,032");
  grid_.PopupMenuGridPopup();
  EXPECT_TRUE(grid_.MenuIncolla->isEnabled());

  // Into one cell: no question; the pasted block becomes the selection.
  Select(6, 6, 6, 6);
  grid_.MenuIncollaClick();
  EXPECT_TRUE(prompts_.Shown().empty());
  for (int r = 0; r < 2; ++r)
    for (int c = 0; c < 3; ++c) EXPECT_EQ(data_.Mappa[6 + r][6 + c], data_.Mappa[r][c]) << r << "," << c;
  EXPECT_EQ(grid_.Selection().top, 7);
  EXPECT_EQ(grid_.Selection().right, 9);

  // Into a 3 x 3 selection: the question first (warning, Yes/No, No by default); No pastes nothing.
  const int32_t before = data_.Mappa[9][9];
  Select(9, 9, 11, 11);
  prompts_.Answer(PromptNo);
  grid_.MenuIncollaClick();
  ASSERT_EQ(prompts_.Shown().size(), 1u);
  EXPECT_EQ(prompts_.Shown()[0].text, "Le aree di copia ed incolla hanno dimensioni diverse.\n\nContinuare?");
  EXPECT_EQ(prompts_.Shown()[0].icon, PromptIcon::Warning);
  EXPECT_EQ(prompts_.Shown()[0].buttons, PromptYesNo);
  EXPECT_EQ(prompts_.Shown()[0].defaultButton, PromptNo);
  EXPECT_EQ(data_.Mappa[9][9], before);
  // Yes pastes the block at the selection's corner; the pasted block becomes the selection.
  prompts_.Answer(PromptYes);
  grid_.MenuIncollaClick();
  EXPECT_EQ(data_.Mappa[9][9], data_.Mappa[0][0]);
  EXPECT_EQ(data_.Mappa[10][11], data_.Mappa[1][2]);
  EXPECT_EQ(grid_.Selection().bottom, 11);
  EXPECT_EQ(grid_.Selection().right, 12);
  // Near the edge the cells outside the map are dropped and the selection clipped to the grid.
  const int32_t last = data_.Mappa[11][11];
  Select(11, 10, 11, 10);
  grid_.MenuIncollaClick();
  EXPECT_EQ(data_.Mappa[11][10], data_.Mappa[0][0]);
  EXPECT_EQ(data_.Mappa[11][11], data_.Mappa[0][1]);
  EXPECT_NE(last, data_.Mappa[0][1]);
  EXPECT_EQ(grid_.Selection().bottom, 12);
  EXPECT_EQ(grid_.Selection().right, 12);

  // A spreadsheet's block ends with a line end: still 2 x 2, no question, the row below kept.
  prompts_.Clear();
  const int32_t below = data_.Mappa[2][0];
  QGuiApplication::clipboard()->setText("1,5\t2\r\n3\tx\r\n");
  Select(0, 0, 1, 1);
  grid_.MenuIncollaClick();
  EXPECT_TRUE(prompts_.Shown().empty());
  EXPECT_DOUBLE_EQ(data_.GetMappa(0, 0), 1.5);
  EXPECT_DOUBLE_EQ(data_.GetMappa(1, 0), 3.0);
  EXPECT_DOUBLE_EQ(data_.GetMappa(1, 1), 0.0);  // not a number: 0
  EXPECT_EQ(data_.Mappa[2][0], below);

  // The both-maps view copies the gas map.
  grid_.SetView(TMapGrid::ViewEntrambe);
  data_.SetMappaBenzina(0, 0, 9.0);
  Select(0, 0, 0, 0);
  grid_.MenuCopiaClick();
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "1,5");
}

TEST_F(MapGridWidget, EnrichmentGridLayoutsHighlightAndChange) {
  data_.Flag1 &= ~0x08;  // vector layout
  TEnrichmentGrid arr(&host_);
  EXPECT_FALSE(arr.MapLayout());
  EXPECT_EQ(arr.RowCount(), 3);
  // 0 rpm highlights the first column, not column -1.
  arr.LiveTick(0, 0);
  EXPECT_EQ(arr.HighlightColumn(), 0);
  arr.LiveTick(9000, 0);
  EXPECT_EQ(arr.HighlightColumn(), 5);
  // A block of the TPS enrichment row: percent, rounded.
  data_.SetArricchimento(0, 1, 25);
  data_.SetArricchimento(1, 1, 45);
  arr.SetSelection({1, 1, 1, 2});
  host_.Answer("10", 2);
  QTest::keyClick(&arr, Qt::Key_Return);
  EXPECT_EQ(data_.GetArricchimento(0, 1), 28);
  EXPECT_EQ(data_.GetArricchimento(1, 1), 50);

  data_.Flag1 |= 0x08;  // map layout, five rows
  data_.NumeroRigheArr = 5;
  arr.RefreshLayout();
  EXPECT_EQ(arr.RowCount(), 8);
  EXPECT_EQ(arr.CumuloBounds()[5], arr.CumuloBounds()[4] + 10);
  // Rows: idle exit, map rows 0..4, decay.
  arr.SetSelection({7, 3, 7, 3});
  host_.Answer("77", 0);
  QTest::keyClick(&arr, Qt::Key_Return);
  EXPECT_EQ(data_.GetArricchimento(2, 5), 77);
  arr.SetSelection({3, 1, 3, 1});
  host_.Answer("100", 0);
  QTest::keyClick(&arr, Qt::Key_Return);
  EXPECT_EQ(data_.GetMappaArr(1, 0), 100);
  // The marker on the accumulation rows; a reference on its lower bound puts it on the top edge.
  arr.FitCells(7 * 60, 8 * 25);
  data_.SetRifCumulo(0, 0);
  arr.RecomputeBounds();
  arr.LiveTick(500, 0);
  EXPECT_EQ(arr.Marker().Row(), 0);
  EXPECT_EQ(arr.Marker().Y(), arr.CellRect(1, 2).top());
}

TEST_F(MapGridWidget, SmallGridsKeepTheReferencesIncreasing) {
  TSmallGrid temp(TSmallGrid::TempGas, &host_);
  const int ref3 = data_.GetRifGas(3);
  // A temperature typed above its right neighbour is not stored.
  temp.SetSelection({0, 3, 0, 3});
  host_.Answer(QString::number(data_.GetRifGas(4) + 5), 0, [&](TFormModMappa& d) {
    EXPECT_EQ(d.Edit1->text(), QString::number(ref3));
    EXPECT_TRUE(d.GroupModalita->isEnabled());
  });
  QTest::keyClick(&temp, Qt::Key_Return);
  EXPECT_EQ(data_.GetRifGas(3), ref3);
  EXPECT_TRUE(prompts_.Shown().empty());  // skipped silently
  // The coefficient row shows stored - 100; absolute stores value + 100, linear adds.
  temp.SetSelection({1, 0, 1, 1});
  host_.Answer("-7", 0, [&](TFormModMappa& d) {
    EXPECT_EQ(d.Edit1->text(), QString::number(data_.GetCoeffGas(0) - 100));
  });
  QTest::keyClick(&temp, Qt::Key_Return);
  EXPECT_EQ(data_.GetCoeffGas(0), 93);
  EXPECT_EQ(data_.GetCoeffGas(1), 93);
  host_.Answer("2", 1);
  QTest::keyClick(&temp, Qt::Key_Return);
  EXPECT_EQ(data_.GetCoeffGas(0), 95);
  // Live highlight: the first reference at or above the temperature.
  temp.LiveTick(CalcTemperaturaRaw(20.0f), 0);
  EXPECT_EQ(temp.HighlightColumn(), 3);

  // Pressure references: one that would be stored equal to its neighbour is refused; the
  // bounds follow a stored change.
  TSmallGrid press(TSmallGrid::PressDiff, &host_);
  const double p1 = data_.GetRifPressDiff(1);
  press.SetSelection({0, 1, 0, 1});
  host_.Answer(QString::number(data_.GetRifPressDiff(0) + 0.004), 0);
  QTest::keyClick(&press, Qt::Key_Return);
  EXPECT_EQ(data_.GetRifPressDiff(1), p1);
  host_.Answer("0.58", 0);
  QTest::keyClick(&press, Qt::Key_Return);
  EXPECT_DOUBLE_EQ(data_.GetRifPressDiff(1), 0.58);
  EXPECT_DOUBLE_EQ(press.PressDiffBounds()[0], (data_.GetRifPressDiff(0) + 0.58) * 0.5);
  press.LiveTick(0, 300);  // 3 bar: beyond the last bound
  EXPECT_EQ(press.HighlightColumn(), 8);

  // Squirt grid: temperatures are clamped to -20..80 before the order check; times in seconds.
  TSmallGrid squirt(TSmallGrid::Cicchetto, &host_);
  EXPECT_EQ(squirt.ColCount(), 3);
  squirt.SetSelection({0, 2, 0, 2});
  host_.Answer("95", 0);
  QTest::keyClick(&squirt, Qt::Key_Return);
  EXPECT_EQ(data_.GetTempCicchetto(2), 80);
  squirt.SetSelection({1, 0, 1, 2});
  host_.Answer("0.5", 1, [&](TFormModMappa& d) { EXPECT_EQ(d.Edit1->text(), "2.5"); });
  QTest::keyClick(&squirt, Qt::Key_Return);
  EXPECT_DOUBLE_EQ(data_.GetTempoCicchettoTemp(0), 3.0);
  EXPECT_DOUBLE_EQ(data_.GetTempoCicchettoTemp(2), 1.5);
}

TEST_F(MapGridWidget, UpAndDownAtTheEdgesLeaveTheGrid) {
  QWidget page;
  auto* before = new QLineEdit(&page);
  TSmallGrid* grid = new TSmallGrid(TSmallGrid::PressDiff, &host_, &page);
  auto* after = new QLineEdit(&page);
  QWidget::setTabOrder(before, grid);
  QWidget::setTabOrder(grid, after);
  page.show();
  QApplication::setActiveWindow(&page);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&page));
  grid->setFocus();
  grid->SetCurrent(2, 0);
  QTest::keyClick(grid, Qt::Key_Down);  // row 0 -> row 1, inside the grid
  EXPECT_EQ(grid->Row(), 1);
  QTest::keyClick(grid, Qt::Key_Down, Qt::ShiftModifier);  // with Shift: stays
  EXPECT_EQ(QApplication::focusWidget(), grid);
  QTest::keyClick(grid, Qt::Key_Down);
  EXPECT_EQ(QApplication::focusWidget(), after);
  grid->setFocus();
  grid->SetCurrent(2, 0);
  QTest::keyClick(grid, Qt::Key_Up);
  EXPECT_EQ(QApplication::focusWidget(), before);
  // Shift+arrows extend the selection from the current cell.
  grid->setFocus();
  grid->SetCurrent(2, 1);
  QTest::keyClick(grid, Qt::Key_Right, Qt::ShiftModifier);
  QTest::keyClick(grid, Qt::Key_Right, Qt::ShiftModifier);
  EXPECT_EQ(grid->Selection().left, 2);
  EXPECT_EQ(grid->Selection().right, 4);
}

TEST_F(MapGridWidget, CtrlCThenCtrlVWorksAfterAMenuOnAnEmptyClipboard) {
  grid_.show();
  QApplication::setActiveWindow(&grid_);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&grid_));
  grid_.setFocus();
  grid_.PopupMenuGridPopup();  // the menu opened on an empty clipboard: paste disabled
  ASSERT_FALSE(grid_.MenuIncolla->isEnabled());
  // The keys of the grid's menu, without opening it again.
  Select(0, 0, 0, 0);
  QTest::keyClick(&grid_, Qt::Key_C, Qt::ControlModifier);
  EXPECT_TRUE(grid_.MenuIncolla->isEnabled());
  Select(4, 4, 4, 4);
  ASSERT_NE(data_.Mappa[4][4], data_.Mappa[0][0]);
  QTest::keyClick(&grid_, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(data_.Mappa[4][4], data_.Mappa[0][0]);
  // Text another program puts on the clipboard enables it as well; emptying it disables it.
  QGuiApplication::clipboard()->clear();
  EXPECT_FALSE(grid_.MenuIncolla->isEnabled());
  QGuiApplication::clipboard()->setText("1,5");
  EXPECT_TRUE(grid_.MenuIncolla->isEnabled());
}

TEST_F(MapGridWidget, HighlightFollowsANewReferenceAtASteadyTemperature) {
  TSmallGrid temp(TSmallGrid::TempGas, &host_);
  const int raw = CalcTemperaturaRaw(20.0f);
  ASSERT_EQ(data_.GetRifGas(3), 20);
  temp.LiveTick(raw, 0);
  EXPECT_EQ(temp.HighlightColumn(), 3);
  // Reference 3 lowered to 15: 20 °C now lies in column 4, with the same temperature byte.
  temp.SetSelection({0, 3, 0, 3});
  host_.Answer("15", 0);
  QTest::keyClick(&temp, Qt::Key_Return);
  ASSERT_EQ(data_.GetRifGas(3), 15);
  temp.LiveTick(raw, 0);
  EXPECT_EQ(temp.HighlightColumn(), 4);
  // The same after references read anew.
  data_.SetRifGas(3, 20);
  temp.RecomputeBounds();
  temp.LiveTick(raw, 0);
  EXPECT_EQ(temp.HighlightColumn(), 3);
}

TEST_F(MapGridWidget, EnrichmentHighlightFollowsNewRpmBreakpointsAtASteadyRpm) {
  data_.Flag1 &= ~0x08;  // vector layout
  TEnrichmentGrid arr(&host_);
  arr.LiveTick(1100, 0);
  EXPECT_EQ(arr.HighlightColumn(), 1);  // band centres 750, 1250, ...
  // Breakpoints edited in the map page's editor: centres 550, 1050, 1550, ...; the page shows again.
  for (int i = 0; i < 12; ++i) data_.SetRifGiri(i, 300 + 500 * i);
  arr.RefreshLayout();
  arr.LiveTick(1100, 0);
  EXPECT_EQ(arr.HighlightColumn(), 2);
}
