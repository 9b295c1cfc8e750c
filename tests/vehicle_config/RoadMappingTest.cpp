// Road mapping: the acquisition rules per tick (which cell, which time, the occupancy grid)
// against the simulated engine on a fake clock, the mapping mode, interpolation into the ECU,
// undo, the points file through the scripted file dialog, and pictures of the map page during
// an acquisition.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "AcquisitionStore.h"
#include "Config.h"
#include "Datimappati.h"
#include "DropSweep.h"
#include "DurableFile.h"
#include "EcuValueCodes.h"
#include "FileDialog.h"
#include "Grafico.h"
#include "MapChartModel.h"
#include "MapGridMap.h"
#include "MapGridPage.h"
#include "NumericEdit.h"
#include "PageFixture.h"
#include "RoadMapping.h"
#include "SmallDisk.h"
#include "WinColor.h"

namespace {

constexpr uint32_t kInfoTipColour = 0xE1FFFF;  // cells that hold a point

TEST(RoadMappingRules, GasTemperatureCoefficient) {
  const std::array<int, 9> refs = {0, 10, 20, 30, 40, 50, 60, 70, 80};
  const std::array<int, 9> coeffs = {120, 110, 100, 100, 90, 95, 100, 105, 130};
  struct Case {
    int t;
    int k;
  } const cases[] = {
      {-5, 120}, {0, 120}, {80, 130}, {95, 130},  // the end values
      {10, 110},                                  // on a reference
      {5, 115},                                   // halfway between 120 and 110
      {33, 97},                                   // 100 - 10 x 3 / 10 = 97
      {37, 93},                                   // 100 - 10 x 7 / 10 = 93
      {41, 90},                                   // 90 + 5 x 1 / 10 = 90 (toward zero)
      {79, 127},                                  // 105 + 25 x 9 / 10 = 127
  };
  for (const Case& c : cases)
    EXPECT_EQ(RoadMapping::GasTemperatureCoefficient(c.t, refs, coeffs), c.k) << "t " << c.t;
  // Equal neighbouring references (only possible in data from outside the editor) give the
  // upper one's coefficient, no division by zero.
  const std::array<int, 9> flat = {0, 10, 20, 20, 40, 50, 60, 70, 80};
  EXPECT_EQ(RoadMapping::GasTemperatureCoefficient(20, flat, coeffs), 100);
  EXPECT_EQ(RoadMapping::GasTemperatureCoefficient(15, flat, coeffs), 105);
}

TEST(RoadMappingRules, PressureFactor) {
  const std::array<double, 9> refs = {0.5, 0.7, 0.9, 1.1, 1.3, 1.5, 1.7, 1.9, 2.1};
  const std::array<double, 9> corr = {10, 8, 6, 4, 2, 0, -2, -4, -6};
  EXPECT_DOUBLE_EQ(RoadMapping::PressureFactor(0.2, refs, corr), 110.0);
  EXPECT_DOUBLE_EQ(RoadMapping::PressureFactor(2.5, refs, corr), 94.0);
  EXPECT_DOUBLE_EQ(RoadMapping::PressureFactor(1.5, refs, corr), 100.0);
  EXPECT_NEAR(RoadMapping::PressureFactor(1.55, refs, corr), 99.5, 1e-9);   // above its reference
  EXPECT_NEAR(RoadMapping::PressureFactor(1.45, refs, corr), 100.5, 1e-9);  // below it
  EXPECT_NEAR(RoadMapping::PressureFactor(0.55, refs, corr), 109.5, 1e-9);
}

class RoadMappingTest : public PageFixture {
 protected:
  void SetUp() override {
    PageFixture::SetUp();
    map_ = static_cast<TPageMappa*>(form_->Page(TabMappa));
    rm_ = form_->Mapping();
    ASSERT_NE(rm_, nullptr);
  }
  void Space() { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space); }
  // Neutral coefficients: the stored time is the live gas time.
  void NeutralCoefficients() {
    for (int i = 0; i < 9; ++i) {
      data_.SetCoeffGas(i, 100);
      data_.SetCoeffPressDiff(i, 0);
    }
  }
  std::array<int32_t, 144> EcuMap(int code) const {
    std::array<int32_t, 144> m{};
    for (int i = 0; i < 144; ++i) m[i] = ecu_.Stored(code, i);
    return m;
  }
  std::array<int32_t, 144> DataMap(const int32_t (&map)[12][12]) const {
    std::array<int32_t, 144> m{};
    for (int i = 0; i < 144; ++i) m[i] = map[i / 12][i % 12];
    return m;
  }
  // Points spread over the map plane, so that a fit exists.
  void SpreadPoints() {
    const int rpm[] = {900, 1800, 3000, 4200, 2500};
    const double map[] = {0.4, 1.5, 2.6, 3.8, 3.0};
    for (int i = 0; i < 5; ++i) dati_.Add(rpm[i], map[i], 2000 + 700 * i, 0);
  }
  int Shown(const QString& text) const {
    int n = 0;
    for (const PromptRequest& r : prompts_.Shown()) n += r.text == text;
    return n;
  }

  TPageMappa* map_ = nullptr;
  TRoadMapping* rm_ = nullptr;
};

}  // namespace

TEST_F(RoadMappingTest, SpaceOnTheMapPageStoresTheWorkingPointInItsCell) {
  NeutralCoefficients();
  ecu_.StartEngine(60.0);
  ecu_.HoldRpm(2000);
  form_->SetActivePage(TabMappa);
  Tick(40);
  const TLiveValues live = form_->Live().Values();
  ASSERT_GT(live.rpm, 1500);
  Space();
  ASSERT_EQ(dati_.Count(), 1);
  const MapSample s = dati_.Samples()[0];
  int row = -1, col = -1;
  CellOfPoint(live.rpm, live.map, row, col);
  EXPECT_EQ(s.rpm, live.rpm);
  EXPECT_EQ(s.map, static_cast<int>(live.map * 1000));
  EXPECT_EQ(s.row, row);
  EXPECT_EQ(s.col, col);
  EXPECT_EQ(s.order, 1);
  // With neutral coefficients the stored time is the live gas time, in microseconds.
  EXPECT_EQ(s.value, static_cast<int>(std::nearbyint(live.gasInjection * 1000)));
  EXPECT_TRUE(dati_.IsCellaOccupata(row, col));
  // Space disabled the view controls and the use-petrol option.
  EXPECT_FALSE(rm_->MenuUsaBenzina->isEnabled());
  EXPECT_FALSE(map_->CheckMappaGas->isEnabled());
  EXPECT_FALSE(map_->CheckEntrambeMappe->isEnabled());
  EXPECT_TRUE(form_->SpacePressed);

  // Another press in the same cell keeps one point, with the newer values.
  Tick(3);
  Space();
  EXPECT_EQ(dati_.Count(), 1);
  EXPECT_EQ(dati_.Samples()[0].order, 2);

  // Another working point goes to its own cell; the occupied cells are drawn on the info-tip
  // colour.
  ecu_.HoldRpm(4000);
  Tick(40);
  Space();
  ASSERT_EQ(dati_.Count(), 2);
  QApplication::processEvents();
  const QImage image = map_->DrawGridMap->grab().toImage();
  for (const MapSample& p : dati_.Samples()) {
    const QRect cell = map_->DrawGridMap->CellRect(p.col + 1, p.row + 1);
    EXPECT_EQ(image.pixelColor(cell.left() + 2, cell.top() + 2), WinColor(kInfoTipColour))
        << "cell " << p.row << "," << p.col;
  }
  const QRect empty = map_->DrawGridMap->CellRect(12, 1);
  EXPECT_NE(image.pixelColor(empty.left() + 2, empty.top() + 2), WinColor(kInfoTipColour));
}

TEST_F(RoadMappingTest, StoredTimeFollowsTheUsePetrolOptionAndTheCorrections) {
  TLiveValues live;
  live.rpm = 2500;
  live.map = 1.8;
  live.gasInjection = 4.1234;
  live.petrolInjection = 5.4321;
  live.temperatureRaw = CalcTemperaturaRaw(35.0f);
  live.pressure = 120;  // 1.20 bar
  // Use petrol: the live petrol time, rounded to microseconds.
  RoadMapping::Acquire(dati_, live, true, data_);
  EXPECT_EQ(dati_.Samples().back().value, 5432);

  // Gas with the ECU's additional data: normalised by the temperature coefficient and the
  // pressure factor at the live values.
  for (int i = 0; i < 9; ++i) {
    data_.SetCoeffGas(i, 110);
    data_.SetCoeffPressDiff(i, 10);
  }
  const int k = data_.GetCoeffGas(4);
  const double factor = data_.GetCoeffPressDiff(4) + 100;
  EXPECT_NEAR(RoadMapping::AcquisitionTime(live, false, data_), 10000 * 4.1234 / (k * factor), 1e-9);
  dati_.Clear();
  RoadMapping::Acquire(dati_, live, false, data_);
  EXPECT_EQ(dati_.Samples().back().value,
            static_cast<int>(std::nearbyint(10000 * 4.1234 / (k * factor) * 1000)));
  // Without the additional data: the gas time as measured.
  data_.HasDatiAggiuntivi = false;
  EXPECT_DOUBLE_EQ(RoadMapping::AcquisitionTime(live, false, data_), 4.1234);
  // A zero coefficient cannot normalise: the gas time as measured, never a division by zero.
  data_.HasDatiAggiuntivi = true;
  for (int i = 0; i < 9; ++i) data_.CoeffGas[i] = 0;
  EXPECT_DOUBLE_EQ(RoadMapping::AcquisitionTime(live, false, data_), 4.1234);
}

TEST_F(RoadMappingTest, MappingModeTogglesTheMenuTheBannerAndTheViewControls) {
  form_->SetActivePage(TabMappa);
  EXPECT_FALSE(rm_->MappingMode());
  EXPECT_FALSE(rm_->MenuAcqMappatura->isEnabled());
  EXPECT_FALSE(map_->LabelMappatura->isVisibleTo(map_));
  rm_->MenuToggleMappatura->trigger();
  EXPECT_TRUE(rm_->MappingMode());
  EXPECT_EQ(rm_->MenuToggleMappatura->text(), QString::fromUtf8("Termina mo&dalità mappatura"));
  EXPECT_EQ(rm_->MenuToggleMappatura->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_T));
  EXPECT_TRUE(map_->LabelMappatura->isVisibleTo(map_));
  EXPECT_FALSE(rm_->MenuUsaBenzina->isEnabled());
  EXPECT_FALSE(rm_->MenuCancellaDati->isEnabled());
  for (QRadioButton* b : {map_->CheckMappaGas, map_->CheckMappaBenzina, map_->CheckEntrambeMappe})
    EXPECT_FALSE(b->isEnabled());

  // In mapping mode Space acquires on any page, not only on the map page.
  form_->SetActivePage(TabCambio);
  Tick(2);
  Space();
  EXPECT_EQ(dati_.Count(), 1);

  // Leaving: the caption and shortcut come back, the view controls stay disabled.
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_T, Qt::ControlModifier);
  EXPECT_FALSE(rm_->MappingMode());
  EXPECT_EQ(rm_->MenuToggleMappatura->text(), QString::fromUtf8("Attiva mo&dalità mappatura"));
  EXPECT_EQ(rm_->MenuToggleMappatura->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_A));
  EXPECT_FALSE(map_->LabelMappatura->isVisibleTo(map_));
  EXPECT_TRUE(rm_->MenuCancellaDati->isEnabled());
  EXPECT_FALSE(map_->CheckMappaGas->isEnabled());
  EXPECT_FALSE(rm_->MenuUsaBenzina->isEnabled());
  // Outside mapping mode Space off the map page stores nothing.
  Space();
  EXPECT_EQ(dati_.Count(), 1);

  // Clearing the points (No keeps them, Yes clears) enables the view controls again.
  prompts_.Answer(PromptNo);
  rm_->MenuCancellaDati->trigger();
  EXPECT_EQ(dati_.Count(), 1);
  prompts_.Answer(PromptYes);
  rm_->MenuCancellaDati->trigger();
  EXPECT_EQ(dati_.Count(), 0);
  EXPECT_FALSE(dati_.IsChanged());
  for (int r = 0; r < 12; ++r)
    for (int c = 0; c < 12; ++c) EXPECT_FALSE(dati_.IsCellaOccupata(r, c));
  EXPECT_TRUE(rm_->MenuUsaBenzina->isEnabled());
  EXPECT_TRUE(map_->CheckMappaGas->isEnabled());
  EXPECT_EQ(map_->CheckMappaBenzina->isEnabled(), data_.HasMappaBenzina);
  EXPECT_EQ(map_->CheckEntrambeMappe->isEnabled(), data_.HasMappaBenzina);
  ASSERT_EQ(prompts_.Shown().size(), 2u);
  EXPECT_EQ(prompts_.Shown()[0].text,
            QString::fromUtf8("Sei sicuro di voler cancellare tutti i dati acquisiti?"));
  EXPECT_EQ(prompts_.Shown()[0].caption, form_->windowTitle());
  EXPECT_EQ(prompts_.Shown()[0].icon, PromptIcon::Question);
}

TEST_F(RoadMappingTest, InterpolationWritesTheNewMapIntoTheEcuAndUndoRestoresIt) {
  SpreadPoints();
  const auto before = DataMap(data_.Mappa);
  ASSERT_EQ(EcuMap(0x20E), before);
  // No: nothing happens.
  prompts_.Answer(PromptNo);
  rm_->MenuInterpola->trigger();
  EXPECT_EQ(DataMap(data_.Mappa), before);

  form_->StartLiveTimer();
  prompts_.Answer(PromptYes);
  rm_->MenuInterpola->trigger();
  EXPECT_TRUE(form_->IsLiveTimerActive());  // started again after the fit
  const auto fitted = DataMap(data_.Mappa);
  EXPECT_NE(fitted, before);
  EXPECT_EQ(EcuMap(0x20E), fitted);  // each cell went through the setter to the ECU
  EXPECT_FALSE(dati_.IsChanged());   // the points were used: leaving the page does not ask
  EXPECT_EQ(Shown(QString::fromUtf8("Impossibile effettuare l'interpolazione dei dati!")), 0);

  // Undo: question, restore, maps written to the ECU.
  ecu_.ClearCalls();
  prompts_.Answer(PromptYes);
  rm_->MenuUndo->trigger();
  EXPECT_EQ(DataMap(data_.Mappa), before);
  EXPECT_EQ(EcuMap(0x20E), before);
  EXPECT_EQ(CountCalls(SimOp::WriteRow, 0xC30E), 12);
  EXPECT_EQ(CountCalls(SimOp::WriteArray, 0xC30C), 1);
  EXPECT_TRUE(form_->IsLiveTimerActive());
  form_->StopLiveTimer();
  // A second undo has nothing left.
  prompts_.Answer(PromptYes);
  rm_->MenuUndo->trigger();
  EXPECT_EQ(Shown("Nessun dato da ripristinare!"), 1);
  EXPECT_EQ(prompts_.Shown().back().icon, PromptIcon::Warning);
  EXPECT_EQ(prompts_.Shown().back().caption, form_->windowTitle());
}

TEST_F(RoadMappingTest, MenuShortcutsWinOverAFocusedNumericField) {
  form_->SetActivePage(TabCambio);
  auto* field = form_->findChild<TNumericEdit*>(QStringLiteral("EditGiriCambio"));
  ASSERT_NE(field, nullptr);
  field->setFocus();
  ASSERT_EQ(QApplication::focusWidget(), field);
  // Ctrl+A toggles mapping mode instead of selecting the field's text.
  QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
  EXPECT_TRUE(rm_->MappingMode());
  EXPECT_FALSE(field->hasSelectedText());
  QTest::keyClick(field, Qt::Key_T, Qt::ControlModifier);
  EXPECT_FALSE(rm_->MappingMode());
  // Ctrl+Z asks to undo the interpolation instead of undoing the field's typing.
  prompts_.Answer(PromptNo);
  QTest::keyClick(field, Qt::Key_Z, Qt::ControlModifier);
  ASSERT_FALSE(prompts_.Shown().empty());
  EXPECT_EQ(prompts_.Shown().back().text, QString::fromUtf8("Annullare l'ultima interpolazione fatta?"));
}

using RoadMappingDropSweep = RoadMappingTest;  // a sweep: the drop-sweep label runs it

TEST_F(RoadMappingDropSweep, MapsWriteCutShortByTheLinkIsReported) {
  for (const LinkFault fault : {LinkFault::Drop, LinkFault::Silence}) {
    SCOPED_TRACE(LinkFaultName(fault));
    const DropSweepResult sweep = DropSweep(
        ecu_,
        [&] {
          form_->StopLiveTimer();
          if (!link_.IsLinkOpen()) {
            link_.OpenLink();
            link_.Connect();
            clock_.Advance(5000);
          }
          ecu_.ResetMemory();
          data_.Mappa[2][3] = 1234;  // a map the ECU does not hold yet
          data_.RifGiri[11] = 6789;
          prompts_.Clear();
        },
        [&] { rm_->MenuScaricaMappa->trigger(); },
        [&]() -> std::string {
          if (data_.Mappa[2][3] != 1234 || data_.RifGiri[11] != 6789) return "the map in memory changed";
          bool told = false;
          for (const PromptRequest& r : prompts_.Shown())
            told = told || (r.icon == PromptIcon::Stop && r.caption == form_->windowTitle());
          if (told) return "";
          if (!link_.IsLinkOpen()) return "the link dropped without a word";
          if (EcuMap(0x20E) != DataMap(data_.Mappa) || ecu_.Stored(0xC30C, 11) != 6789)
            return "the ECU holds the map in part, without a word";
          return "";
        },
        fault);
    form_->StopLiveTimer();
    EXPECT_EQ(sweep.positions, 14);  // two axes and twelve rows
    EXPECT_TRUE(sweep.wrong.empty()) << sweep.Text();
  }
}

TEST_F(RoadMappingTest, AFailedInterpolationChangesNothingAndKeepsTheLastUndo) {
  SpreadPoints();
  const auto before = DataMap(data_.Mappa);
  prompts_.Answer(PromptYes);
  rm_->MenuInterpola->trigger();
  const auto fitted = DataMap(data_.Mappa);
  ASSERT_NE(fitted, before);
  // Two points cannot define a surface.
  dati_.Clear();
  dati_.Add(1000, 1.0, 3000, 0);
  dati_.Add(3000, 2.0, 4000, 0);
  prompts_.Answer(PromptYes);
  rm_->MenuInterpola->trigger();
  EXPECT_EQ(Shown(QString::fromUtf8("Impossibile effettuare l'interpolazione dei dati!")), 1);
  EXPECT_EQ(prompts_.Shown().back().icon, PromptIcon::Stop);
  EXPECT_EQ(DataMap(data_.Mappa), fitted);
  EXPECT_TRUE(dati_.IsChanged());
  // Undo still takes back the interpolation that changed the map.
  prompts_.Answer(PromptYes);
  rm_->MenuUndo->trigger();
  EXPECT_EQ(DataMap(data_.Mappa), before);
  EXPECT_EQ(EcuMap(0x20E), before);
}

TEST_F(RoadMappingTest, WithUsePetrolTheFitAndTheUndoWorkOnThePetrolMapInTheEcu) {
  form_->SetActivePage(TabMappa);
  map_->CheckMappaBenzina->click();  // the petrol view checks the use-petrol option
  ASSERT_TRUE(rm_->MenuUsaBenzina->isChecked());
  SpreadPoints();
  const auto gas = DataMap(data_.Mappa);
  const auto petrol = DataMap(data_.MappaBenzina);
  prompts_.Answer(PromptYes);
  rm_->MenuInterpola->trigger();
  EXPECT_EQ(DataMap(data_.Mappa), gas);
  ASSERT_NE(DataMap(data_.MappaBenzina), petrol);
  EXPECT_EQ(EcuMap(0x24F), DataMap(data_.MappaBenzina));
  prompts_.Answer(PromptYes);
  rm_->MenuUndo->trigger();
  EXPECT_EQ(DataMap(data_.MappaBenzina), petrol);
  // The restored petrol map reached the ECU too, not only the data set.
  EXPECT_EQ(EcuMap(0x24F), petrol);
  EXPECT_EQ(EcuMap(0x20E), gas);
}

TEST_F(RoadMappingTest, PointsFileSavedAndLoadedThroughTheFileDialog) {
  QTemporaryDir dir;
  ScriptedFileDialogs dialogs;
  ScopedFileDialogs use(&dialogs);
  // With no points the save item is disabled when the menu opens.
  emit rm_->MenuMappatura->aboutToShow();
  EXPECT_FALSE(rm_->MenuSalvaMappatura->isEnabled());
  SpreadPoints();
  emit rm_->MenuMappatura->aboutToShow();
  EXPECT_TRUE(rm_->MenuSalvaMappatura->isEnabled());

  const QString file = dir.filePath("strada.dma");
  dialogs.Choose(file);
  rm_->MenuSalvaMappatura->trigger();
  ASSERT_EQ(dialogs.Shown().size(), 1u);
  EXPECT_TRUE(dialogs.Shown()[0].save);
  EXPECT_EQ(dialogs.Shown()[0].title, "Salva dati mappati");
  EXPECT_EQ(dialogs.Shown()[0].filter, "Dati mappati|*.dma");
  EXPECT_TRUE(dialogs.Shown()[0].overwritePrompt);
  EXPECT_TRUE(dialogs.Shown()[0].initialDir.endsWith("Acquisizioni"));
  ASSERT_TRUE(QFile::exists(file));
  const std::vector<MapSample> saved = dati_.Samples();

  dati_.Clear();
  dati_.Add(5000, 4.0, 1, 0);
  dialogs.Choose(file);
  rm_->MenuApriMappatura->trigger();
  EXPECT_EQ(dialogs.Shown().back().title, "Apri dati mappati");
  EXPECT_EQ(dialogs.Shown().back().defaultExt, "dma");
  ASSERT_EQ(dati_.Count(), static_cast<int>(saved.size()));
  for (size_t i = 0; i < saved.size(); ++i) {
    EXPECT_EQ(dati_.Samples()[i].rpm, saved[i].rpm);
    EXPECT_EQ(dati_.Samples()[i].map, saved[i].map);
    EXPECT_EQ(dati_.Samples()[i].value, saved[i].value);
    EXPECT_EQ(dati_.Samples()[i].order, saved[i].order);
  }
  EXPECT_TRUE(prompts_.Shown().empty());

  // Errors: an unreadable file, an unwritable name; a cancelled dialog does nothing.
  dialogs.Choose(dir.filePath("missing.dma"));
  rm_->MenuApriMappatura->trigger();
  EXPECT_EQ(Shown("Errore nel caricamento del file!"), 1);
  EXPECT_EQ(prompts_.Shown().back().icon, PromptIcon::Stop);
  SpreadPoints();
  dialogs.Choose(dir.filePath("no/such/folder/x.dma"));
  rm_->MenuSalvaMappatura->trigger();
  EXPECT_EQ(Shown("Errore nel salvataggio del file!"), 1);
  dialogs.Cancel();
  rm_->MenuApriMappatura->trigger();
  EXPECT_EQ(prompts_.Shown().size(), 2u);
}

// A points file saved on a full disk or into a read-only folder: the message, the old file as it
// was, no new file and no stray file beside it.
TEST_F(RoadMappingTest, APointsFileThatFindsNoRoomKeepsTheOldFileAndSaysSo) {
  SmallDisk disk;
  SKIP_WITHOUT_SMALL_DISK(disk);
  ScriptedFileDialogs dialogs;
  ScopedFileDialogs use(&dialogs);
  const QString file = disk.FilePath("strada.dma");
  SpreadPoints();
  dialogs.Choose(file);
  rm_->MenuSalvaMappatura->trigger();
  QByteArray before;
  ASSERT_TRUE(ReadWholeFile(file, &before));
  ASSERT_FALSE(before.isEmpty());
  dati_.Add(6000, 4.5, 3000, 0);
  for (SmallDisk::State state : kNoRoomStates) {
    SCOPED_TRACE(SmallDisk::Name(state));
    prompts_.Clear();
    disk.Enter(state);
    for (const char* name : {"strada.dma", "nuova.dma"}) {
      dialogs.Choose(disk.FilePath(name));
      rm_->MenuSalvaMappatura->trigger();
    }
    disk.Leave(state);
    EXPECT_EQ(Shown("Errore nel salvataggio del file!"), 2);
    QByteArray after;
    ASSERT_TRUE(ReadWholeFile(file, &after));
    EXPECT_EQ(after, before);
    EXPECT_EQ(QDir(disk.Path()).entryList(QDir::Files), QStringList{"strada.dma"});
  }
}

TEST_F(RoadMappingTest, PicturesOfTheMapPageDuringAnAcquisition) {
  NeutralCoefficients();
  ecu_.StartEngine(60.0);
  form_->SetActivePage(TabMappa);
  rm_->MenuToggleMappatura->trigger();
  for (int rpm : {1500, 2500, 3500}) {
    ecu_.HoldRpm(rpm);
    Tick(40);
    Space();
  }
  EXPECT_GE(dati_.Count(), 2);
  const QString dir = QDir::current().filePath("test-results/screenshots");
  QDir().mkpath(dir);
  QApplication::processEvents();
  EXPECT_TRUE(form_->grab().save(dir + "/road-mapping-acquisition.png", "PNG"));
}

TEST_F(RoadMappingTest, ThePointsWindowEditsTheStoreAndTheGridShowsTheResult) {
  form_->SetActivePage(TabMappa);
  SpreadPoints();
  const MapSample first = dati_.Samples()[0];
  ASSERT_TRUE(dati_.IsCellaOccupata(first.row, first.col));
  int shownCount = -1;
  WhileModal([&] {
    auto* points = qobject_cast<TFormDatiMappati*>(QApplication::activeModalWidget());
    ASSERT_NE(points, nullptr);
    shownCount = points->GridValori->columnCount();
    points->GridValori->setCurrentCell(0, 0);
    prompts_.Answer(PromptYes);
    points->ButtonEliminaClick();
    points->ButtonOk->click();
  });
  rm_->MenuModMappatura->trigger();
  EXPECT_EQ(shownCount, 5);
  EXPECT_EQ(dati_.Count(), 4);
  EXPECT_FALSE(dati_.IsCellaOccupata(first.row, first.col));
  QApplication::processEvents();
  const QImage image = map_->DrawGridMap->grab().toImage();
  const QRect cell = map_->DrawGridMap->CellRect(first.col + 1, first.row + 1);
  EXPECT_NE(image.pixelColor(cell.left() + 2, cell.top() + 2), WinColor(kInfoTipColour));
}

TEST_F(RoadMappingTest, TheMapChartOpensFromTheMenuAndFromTheGridsPopup) {
  TRoadMapping::SetMapChartViewer(nullptr);
  emit rm_->MenuMappatura->aboutToShow();
  EXPECT_FALSE(rm_->MenuGraficoMappa->isEnabled());  // no chart registered
  std::vector<QWidget*> owners;
  TRoadMapping::SetMapChartViewer([&](QWidget* owner) { owners.push_back(owner); });
  emit rm_->MenuMappatura->aboutToShow();
  EXPECT_TRUE(rm_->MenuGraficoMappa->isEnabled());
  rm_->MenuGraficoMappa->trigger();
  map_->DrawGridMap->MenuPopupGraficoMappa->trigger();
  TRoadMapping::SetMapChartViewer(nullptr);
  EXPECT_EQ(owners, std::vector<QWidget*>({form_.get(), form_.get()}));
}

// The real chart window, as the program opens it (no viewer put in its place).
TEST_F(RoadMappingTest, TheMapGridsMenuOpensTheChartOnTheEditorsMap) {
  TRoadMapping::SetMapChartViewer(&TFormGrafico::ShowMapChart);
  emit rm_->MenuMappatura->aboutToShow();
  map_->CheckMappaBenzina->setChecked(true);
  bool opened = false;
  QTimer::singleShot(0, [&] {
    auto* chart = qobject_cast<TFormGrafico*>(QApplication::activeModalWidget());
    ASSERT_NE(chart, nullptr);
    opened = true;
    EXPECT_TRUE(chart->Model().Benzina());
    EXPECT_EQ(chart->Tag, TMapChartModel::kAllRows);
    EXPECT_FALSE(chart->MenuAnnullaInterpola->isVisible());
    chart->close();
  });
  map_->DrawGridMap->MenuPopupGraficoMappa->trigger();
  TRoadMapping::SetMapChartViewer(nullptr);
  EXPECT_TRUE(opened);
}
