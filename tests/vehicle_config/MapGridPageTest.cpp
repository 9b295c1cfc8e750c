// The grid pages plugged into the configuration editor, against the simulated ECU: the
// working-point marker from the live tick, bounds that follow a new read, the live tick
// stopped around a change, the Space click on the view buttons, and a picture of the editor on
// the map page.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include "AcquisitionStore.h"
#include "CentriCelle.h"
#include "Config.h"
#include "MapGridArr.h"
#include "MapGridMap.h"
#include "MapGridPage.h"
#include "MapGridPageArr.h"
#include "MapGridPageCorrezioni.h"
#include "MapGridSmall.h"
#include "Modmappa.h"
#include "NumericEdit.h"
#include "PageFixture.h"
#include "RoadMapping.h"
#include "WinColor.h"

namespace {

class MapGridPageTest : public PageFixture {
 protected:
  void SetUp() override {
    PageFixture::SetUp();
    map_ = static_cast<TPageMappa*>(form_->Page(TabMappa));
    arr_ = static_cast<TPageArricchimento*>(form_->Page(TabArricchimento));
    corr_ = static_cast<TPageCorrezioni*>(form_->Page(TabCorrezioni));
  }

  TPageMappa* map_ = nullptr;
  TPageArricchimento* arr_ = nullptr;
  TPageCorrezioni* corr_ = nullptr;
};

}  // namespace

TEST_F(MapGridPageTest, MarkerFollowsTheEngineOnTheMapPage) {
  ecu_.StartEngine(60.0);
  ecu_.HoldRpm(2000);
  form_->SetActivePage(TabMappa);
  Tick(40);
  const TMapGrid* grid = map_->DrawGridMap;
  ASSERT_TRUE(grid->Marker().Placed());
  const int rpm = form_->Live().Values().rpm;
  EXPECT_NEAR(rpm, 2000, 150);
  // The column is the rpm cell around the live rpm; the marker lies inside that cell.
  int col = 0;
  for (int i = 1; i < 12; ++i) col += grid->MapRpmBounds()[i] <= rpm;
  EXPECT_EQ(grid->Marker().Col(), col);
  const QRect cell = grid->CellRect(grid->Marker().Col() + 1, grid->Marker().Row() + 1);
  EXPECT_GE(grid->Marker().X(), cell.left());
  EXPECT_LE(grid->Marker().X(), cell.left() + cell.width());
  EXPECT_EQ(grid->MarkerColor(), WinColor(form_->MarkerColor()));

  // A picture of the editor on the map page with the marker.
  map_->DrawGridMap->SetSelection({4, 3, 5, 5});
  const QString dir = QDir::current().filePath("test-results/screenshots");
  QDir().mkpath(dir);
  QApplication::processEvents();
  EXPECT_TRUE(form_->grab().save(dir + "/editor-map-page.png", "PNG"));
  map_->DrawGridMap->SetView(TMapGrid::ViewEntrambe);
  QApplication::processEvents();
  EXPECT_TRUE(form_->grab().save(dir + "/editor-map-page-both.png", "PNG"));
}

TEST_F(MapGridPageTest, BoundsFollowEveryNewReadNotOnlyThePageShow) {
  // Built before any page was shown, the grids already hold the data set's bounds.
  EXPECT_EQ(map_->DrawGridMap->MapRpmBounds()[1], (data_.GetRifGiri(0) + data_.GetRifGiri(1)) / 2);
  const double p0 = data_.GetRifPressDiff(0), p1 = data_.GetRifPressDiff(1);
  EXPECT_DOUBLE_EQ(corr_->DrawGridPressDiff->PressDiffBounds()[0], (p0 + p1) * 0.5);
  // A read that brings other breakpoints: the frame tells the pages.
  ASSERT_TRUE(link_.WriteElement(0x20C, 0, 700));
  ASSERT_TRUE(link_.WriteElement(0x7B, 0, 40));
  ASSERT_EQ(data_.ReadAll(), 1);
  form_->DataReloaded();
  EXPECT_EQ(map_->DrawGridMap->MapRpmBounds()[1], (700 + data_.GetRifGiri(1)) / 2);
  EXPECT_DOUBLE_EQ(corr_->DrawGridPressDiff->PressDiffBounds()[0], (0.40 + p1) * 0.5);
  // Showing the form again does it as well.
  ASSERT_TRUE(link_.WriteElement(0x20C, 0, 600));
  ASSERT_EQ(data_.ReadAll(), 1);
  form_->hide();
  form_->show();
  form_->StopLiveTimer();
  EXPECT_EQ(map_->DrawGridMap->MapRpmBounds()[1], (600 + data_.GetRifGiri(1)) / 2);
}

TEST_F(MapGridPageTest, TheLiveTickStopsWhileACellOrBreakpointDialogIsOpen) {
  form_->SetActivePage(TabMappa);
  form_->StartLiveTimer();
  bool activeDuringDialog = true;
  map_->DrawGridMap->SetSelection({1, 1, 1, 1});
  QTimer::singleShot(0, [&] {
    activeDuringDialog = form_->IsLiveTimerActive();
    form_->FormModMappa()->Edit1->setText("5");
    form_->FormModMappa()->ButtonOK->click();
  });
  QTest::keyClick(map_->DrawGridMap, Qt::Key_Return);
  EXPECT_FALSE(activeDuringDialog);
  EXPECT_TRUE(form_->IsLiveTimerActive());
  EXPECT_DOUBLE_EQ(data_.GetMappa(0, 0), 5.0);

  // The breakpoint editor: the grid's bounds follow what it stored.
  activeDuringDialog = true;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<TFormCentriCelle*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    activeDuringDialog = form_->IsLiveTimerActive();
    dialog->EditRifGiri[0]->setText("300");
    dialog->ButtonOkClick();
  });
  map_->ButtonCentriCelle->click();
  EXPECT_FALSE(activeDuringDialog);
  EXPECT_TRUE(form_->IsLiveTimerActive());
  EXPECT_EQ(data_.GetRifGiri(0), 300);
  EXPECT_EQ(map_->DrawGridMap->MapRpmBounds()[1], (300 + data_.GetRifGiri(1)) / 2);
  form_->StopLiveTimer();
}

TEST_F(MapGridPageTest, SpaceClickOnAViewButtonIsSwallowedOnce) {
  form_->SetActivePage(TabMappa);
  // Road mapping's use-petrol option follows the view.
  QAction* usaBenzina = form_->Mapping()->MenuUsaBenzina;
  form_->SpacePressed = true;
  map_->CheckMappaBenzina->click();
  EXPECT_FALSE(form_->SpacePressed);
  EXPECT_EQ(map_->DrawGridMap->GetView(), TMapGrid::ViewGas);
  EXPECT_TRUE(map_->CheckMappaGas->isChecked());
  map_->CheckMappaBenzina->click();
  EXPECT_EQ(map_->DrawGridMap->GetView(), TMapGrid::ViewBenzina);
  EXPECT_TRUE(usaBenzina->isChecked());
  // A mouse press clears the flag, so the click that follows counts.
  form_->SpacePressed = true;
  QTest::mouseClick(map_->CheckEntrambeMappe, Qt::LeftButton);
  EXPECT_EQ(map_->DrawGridMap->GetView(), TMapGrid::ViewEntrambe);
  EXPECT_FALSE(usaBenzina->isChecked());
}

TEST_F(MapGridPageTest, EnrichmentAndCorrectionHighlightsFromTheLiveTick) {
  // Engine stopped: 0 rpm highlights the first enrichment column (vector layout).
  ecu_.StopEngine();
  data_.Flag1 &= ~0x08;
  form_->SetActivePage(TabArricchimento);
  Tick();
  EXPECT_EQ(form_->Live().Values().rpm, 0);
  EXPECT_FALSE(arr_->DrawGridArr->MapLayout());
  EXPECT_EQ(arr_->DrawGridArr->HighlightColumn(), 0);
  EXPECT_FALSE(arr_->ButtonCentriCelleArr->isVisibleTo(arr_));
  // The correction grids follow every tick, whatever page shows.
  ecu_.StartEngine(60.0);
  Tick(20);
  EXPECT_GE(corr_->DrawGridTempGas->HighlightColumn(), 0);
  EXPECT_GE(corr_->DrawGridPressDiff->HighlightColumn(), 0);
  const QString dir = QDir::current().filePath("test-results/screenshots");
  QDir().mkpath(dir);
  QApplication::processEvents();
  EXPECT_TRUE(form_->grab().save(dir + "/editor-enrichment-vector.png", "PNG"));
  form_->SetActivePage(TabCorrezioni);
  QApplication::processEvents();
  EXPECT_TRUE(form_->grab().save(dir + "/editor-corrections.png", "PNG"));

  // With the enrichment map the marker follows rpm and accumulation.
  data_.Flag1 |= 0x08;
  form_->DataReloaded();
  form_->SetActivePage(TabArricchimento);
  Tick(5);
  EXPECT_TRUE(arr_->DrawGridArr->MapLayout());
  EXPECT_TRUE(arr_->DrawGridArr->Marker().Placed());
  EXPECT_TRUE(arr_->ButtonCentriCelleArr->isVisibleTo(arr_));
  QApplication::processEvents();
  EXPECT_TRUE(form_->grab().save(dir + "/editor-enrichment-map.png", "PNG"));
}
