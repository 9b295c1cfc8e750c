// The adaptivity page and menu against the simulated ECU: the learning parameters shown from
// the data set and the idle corrections from the link, the enable box with its remembered
// maximum, the learning zone written as one value, clearing the corrections with Yes/No, the
// calculation parameters, and the new gas map computed from the ECU's learnt zones (with its
// undo and its failures); the map page's correction from the road-mapping points; pictures.
#include <QDir>
#include <QPushButton>
#include <set>

#include "ChainCheckBox.h"
#include "LayoutCheck.h"
#include "MapGridPage.h"
#include "PageAdatta.h"
#include "PageFixture.h"
#include "Paradatta.h"
#include "Paradattaecu.h"
#include "RoadMapping.h"

namespace {

class PageAdattaTest : public PageFixture {
 protected:
  TPageAdatta* Page() { return Show<TPageAdatta>(TabAdatta); }
  // Puts cell (row, col) of the ECU in zone and gives the zone a coefficient and a correction
  // whose per-cell value is perCell.
  void Learn(int row, int col, int zone, int coefficient, int perCell) {
    ecu_.Store(0x54, row * 12 + col, zone);
    ecu_.Store(0x3D, zone, coefficient);
    ecu_.Store(0x637, zone, perCell * coefficient / 4);
  }
  // Learnt zones in the three corners the calculation anchors the map at; every other cell
  // stays in zone 0, which has learnt nothing.
  void LearnCorners() {
    Learn(11, 0, 1, 50, 40);
    Learn(11, 11, 2, 60, 80);
    Learn(0, 11, 3, 70, -20);
  }
  const PromptRequest& LastPrompt() const { return prompts_.Shown().back(); }
  int32_t StoredGas(int row, int col) const { return ecu_.Stored(0x20E, row * 12 + col); }
};

TEST_F(PageAdattaTest, ShowFillsTheLearningParametersAndReadsTheIdleCorrectionsFromTheLink) {
  data_.SetValue(0x75, 3 + 16 * 5);
  data_.SetValue(0x74, 0.5);
  data_.SetValue(0x76, 12);
  data_.SetValue(0x277, 2.5);
  // The ECU has learnt since the data set was read.
  ecu_.Store(0x671, 0, -12);
  ecu_.Store(0x672, 0, 7);
  ecu_.ClearCalls();
  TPageAdatta* p = Page();
  EXPECT_EQ(AllWrites(), 0);
  EXPECT_TRUE(p->CheckAdatta->isChecked());
  EXPECT_EQ(p->EditMassimoValoreCorrezione->text(), "100");
  EXPECT_EQ(p->EditCorrezioneFuoriMinimo->text(), "-12");
  EXPECT_EQ(p->EditCorrezioneAlMinimo->text(), "7");
  EXPECT_EQ(p->EditRigheZonaApprendimento->text(), "3");
  EXPECT_EQ(p->EditColonneZonaApprendimento->text(), "5");
  EXPECT_NEAR(p->EditTempoTraCorrezioni->GetDouble(), 0.5, 1e-9);
  EXPECT_EQ(p->EditMinimoValoreCorrettore->text(), "12");
  EXPECT_NEAR(p->EditTempoPerCorrezione->GetDouble(), 2.5, 1e-9);
  EXPECT_TRUE(p->EditTempoPerCorrezione->isEnabled());
  EXPECT_EQ(CountCalls(SimOp::ReadVariable, 0x671), 1);

  // An ECU that does not answer the read: the data set's value.
  data_.SetValue(0x671, 4);
  ecu_.Store(0x671, 0, 9);
  ecu_.SetAbsent(0x671);
  p->ButtonRicAdatta->click();
  EXPECT_EQ(p->EditCorrezioneFuoriMinimo->text(), "4");
  EXPECT_EQ(p->EditCorrezioneAlMinimo->text(), "7");
}

TEST_F(PageAdattaTest, TheEnableBoxRemembersTheMaximumCorrection) {
  data_.SetValue(0x73, 60);
  TPageAdatta* p = Page();
  ecu_.ClearCalls();
  Click(p->CheckAdatta);
  EXPECT_EQ(LastWrite(0x73), 0);
  EXPECT_EQ(ecu_.Stored(0x73), 0);
  EXPECT_EQ(p->EditMassimoValoreCorrezione->text(), "0");
  for (TNumericEdit* e :
       {p->EditCorrezioneFuoriMinimo, p->EditCorrezioneAlMinimo, p->EditMassimoValoreCorrezione,
        p->EditTempoTraCorrezioni, p->EditRigheZonaApprendimento, p->EditColonneZonaApprendimento,
        p->EditMinimoValoreCorrettore, p->EditTempoPerCorrezione})
    EXPECT_FALSE(e->isEnabled()) << e->objectName().toStdString();
  // Shown again while off: the box follows the data set and nothing is written.
  ecu_.ClearCalls();
  p = Page();
  EXPECT_FALSE(p->CheckAdatta->isChecked());
  EXPECT_FALSE(p->EditTempoPerCorrezione->isEnabled());
  EXPECT_EQ(AllWrites(), 0);
  Click(p->CheckAdatta);
  EXPECT_EQ(ecu_.Stored(0x73), 60);
  EXPECT_EQ(p->EditMassimoValoreCorrezione->text(), "60");
  EXPECT_TRUE(p->EditTempoPerCorrezione->isEnabled());

  // A switch the ECU refuses leaves the box, the field and the data set as they were.
  ecu_.SetWriteRefused(0x73);
  Click(p->CheckAdatta);
  EXPECT_TRUE(p->CheckAdatta->isChecked());
  EXPECT_EQ(p->EditMassimoValoreCorrezione->text(), "60");
  EXPECT_TRUE(p->EditMassimoValoreCorrezione->isEnabled());
  EXPECT_EQ(data_.GetValue(0x73), 60);
}

TEST_F(PageAdattaTest, EditsWriteThroughAndTheLearningZoneGoesAsOneValue) {
  data_.SetValue(0x75, 3 + 16 * 5);
  TPageAdatta* p = Page();
  ecu_.ClearCalls();
  Enter(p->EditRigheZonaApprendimento, "4");
  EXPECT_EQ(LastWrite(0x75), 4 + 16 * 5);
  Enter(p->EditColonneZonaApprendimento, "2");
  EXPECT_EQ(LastWrite(0x75), 4 + 16 * 2);
  EXPECT_EQ(Writes(0x75), 2);
  // Refused: both fields show the held zone again.
  ecu_.SetWriteRefused(0x75);
  Enter(p->EditRigheZonaApprendimento, "9");
  EXPECT_EQ(p->EditRigheZonaApprendimento->text(), "4");
  EXPECT_EQ(p->EditColonneZonaApprendimento->text(), "2");

  // The other fields go through the editor's shared Enter handler.
  Enter(p->EditCorrezioneFuoriMinimo, "-20");
  EXPECT_EQ(ecu_.Stored(0x671), -20);
  Enter(p->EditTempoTraCorrezioni, Dec("0.3"));
  EXPECT_EQ(ecu_.Stored(0x74), 15);
  ecu_.SetWriteRefused(0x76);
  Enter(p->EditMinimoValoreCorrettore, "99");
  EXPECT_EQ(p->EditMinimoValoreCorrettore->text(), QString::number(ecu_.Stored(0x76)));
}

TEST_F(PageAdattaTest, ClearingTheIdleCorrectionsAsksFirst) {
  data_.SetValue(0x671, 15);
  data_.SetValue(0x672, -9);
  TPageAdatta* p = Page();
  ecu_.ClearCalls();
  prompts_.Answer(PromptNo);
  p->ButtonAzzAdatta->click();
  ASSERT_EQ(prompts_.Shown().size(), 1u);
  EXPECT_EQ(LastPrompt().icon, PromptIcon::Warning);
  EXPECT_EQ(LastPrompt().buttons, PromptYesNo);
  EXPECT_EQ(LastPrompt().caption, form_->windowTitle());
  EXPECT_FALSE(LastPrompt().text.isEmpty());
  EXPECT_EQ(AllWrites(), 0);
  EXPECT_EQ(p->EditCorrezioneFuoriMinimo->text(), "15");

  prompts_.Answer(PromptYes);
  p->ButtonAzzAdatta->click();
  EXPECT_EQ(LastWrite(0x671), 0);
  EXPECT_EQ(LastWrite(0x672), 0);
  EXPECT_EQ(AllWrites(), 2);
  EXPECT_EQ(p->EditCorrezioneFuoriMinimo->text(), "0");
  EXPECT_EQ(p->EditCorrezioneAlMinimo->text(), "0");
}

TEST_F(PageAdattaTest, CalculationParametersAreKeptForTheForm) {
  TPageAdatta* p = Page();
  const TParAdatta start = p->ParAdatta();
  EXPECT_EQ(start.minCorr, 30);
  EXPECT_FALSE(start.ascending);
  EXPECT_EQ(start.deltaX, 100);
  EXPECT_EQ(start.celleYD, 3);
  QString shown;
  WhileModal([&] {
    auto* d = qobject_cast<TFormParAdatta*>(QApplication::activeModalWidget());
    ASSERT_NE(d, nullptr);
    shown = d->EditMinCorr->text() + "/" + d->ComboOrdinamento->currentText() + "/" + d->EditDeltaY->text();
    d->EditMinCorr->setText("12");
    d->ComboOrdinamento->setCurrentIndex(1);
    d->EditCelleXD->setText("5");
    d->ButtonOk->click();
  });
  p->MenuParAdatta->trigger();
  EXPECT_EQ(shown, "30/Decrescente/100");
  EXPECT_EQ(p->ParAdatta().minCorr, 12);
  EXPECT_TRUE(p->ParAdatta().ascending);
  EXPECT_EQ(p->ParAdatta().celleXD, 5);
  EXPECT_FALSE(form_->IsLiveTimerActive());  // stopped before, stopped after

  // Cancel keeps the values.
  WhileModal([&] {
    auto* d = qobject_cast<TFormParAdatta*>(QApplication::activeModalWidget());
    ASSERT_NE(d, nullptr);
    d->EditMinCorr->setText("99");
    d->ButtonAnnulla->click();
  });
  p->MenuParAdatta->trigger();
  EXPECT_EQ(p->ParAdatta().minCorr, 12);

  // The ECU's parameters: the dialog writes them on OK; the live tick pauses meanwhile.
  ecu_.ClearCalls();
  form_->StartLiveTimer();
  bool tickDuringDialog = true;
  WhileModal([&] {
    auto* d = qobject_cast<TFormParAdattaEcu*>(QApplication::activeModalWidget());
    ASSERT_NE(d, nullptr);
    tickDuringDialog = form_->IsLiveTimerActive();
    d->EditZoneAcquisite->setText("7");
    d->ButtonOk->click();
  });
  p->MenuParCentralina->trigger();
  EXPECT_EQ(ecu_.Stored(0x61), 7);
  EXPECT_FALSE(tickDuringDialog);
  EXPECT_TRUE(form_->IsLiveTimerActive());
  form_->StopLiveTimer();
}

TEST_F(PageAdattaTest, TheLearntZonesGiveANewGasMapThatCanBeUndone) {
  data_.Flag1 |= 0x20;  // relative correction
  TPageAdatta* p = Page();
  // Learnt after the data set was read: the calculation reads the ECU's tables anew.
  LearnCorners();
  dati_.Add(2000, 1.0, 3000, 0);
  double before[12][12];
  for (int r = 0; r < 12; ++r)
    for (int c = 0; c < 12; ++c) before[r][c] = data_.GetMappa(r, c);
  ecu_.ClearCalls();

  // Acquired points would be lost: No ends.
  prompts_.Answer(PromptNo);
  p->MenuCalcolaAdatta->trigger();
  ASSERT_EQ(prompts_.Shown().size(), 1u);
  EXPECT_EQ(LastPrompt().icon, PromptIcon::Warning);
  EXPECT_EQ(LastPrompt().text,
            "Il proseguimento di questa procedura cancellerà eventuali dati acquisiti.\nProseguire?");
  EXPECT_EQ(AllWrites(), 0);
  EXPECT_EQ(dati_.Count(), 1);

  prompts_.Answer(PromptYes);
  p->MenuCalcolaAdatta->trigger();
  ASSERT_EQ(prompts_.Shown().size(), 3u);  // the question again, then the result
  EXPECT_EQ(LastPrompt().text, "Calcolo mappa avvenuto con successo");
  EXPECT_EQ(LastPrompt().icon, PromptIcon::None);
  EXPECT_EQ(CountCalls(SimOp::ReadRow, 0xC154), 12);
  // The road-mapping point is gone; the three corner points took its place.
  ASSERT_EQ(dati_.Count(), 3);
  std::multiset<int> values;
  for (const MapSample& s : dati_.Samples()) values.insert(s.value);
  EXPECT_EQ(values, (std::multiset<int>{-20, 40, 80}));
  // Each gas cell is scaled by 1 + the fitted per mille value, in the data set and the ECU.
  EXPECT_NEAR(data_.GetMappa(11, 0), before[11][0] * 1.04, 0.005);
  EXPECT_NEAR(data_.GetMappa(11, 11), before[11][11] * 1.08, 0.005);
  EXPECT_NEAR(data_.GetMappa(0, 11), before[0][11] * 0.98, 0.005);
  EXPECT_GT(CountCalls(SimOp::WriteCell, 0x20E), 0);
  for (int r = 0; r < 12; ++r)
    for (int c = 0; c < 12; ++c) ASSERT_EQ(StoredGas(r, c), data_.Mappa[r][c]) << r << "," << c;
  EXPECT_FALSE(form_->IsLiveTimerActive());

  // The map before the calculation is in the undo buffer.
  ASSERT_TRUE(data_.RestoreUndoMappa(false));
  for (int r = 0; r < 12; ++r)
    for (int c = 0; c < 12; ++c) ASSERT_EQ(data_.GetMappa(r, c), before[r][c]);
}

TEST_F(PageAdattaTest, CalculationRefusals) {
  TPageAdatta* p = Page();
  LearnCorners();
  dati_.Add(2000, 1.0, 3000, 0);
  const int32_t corner = StoredGas(11, 0);

  // With the absolute correction: at once, and nothing else happens.
  data_.Flag1 &= ~0x20;
  ecu_.ClearCalls();
  p->MenuCalcolaAdatta->trigger();
  ASSERT_EQ(prompts_.Shown().size(), 1u);
  EXPECT_EQ(LastPrompt().text, "Il calcolo della mappa non è possibile con correttore assoluto.");
  EXPECT_EQ(LastPrompt().icon, PromptIcon::Stop);
  EXPECT_TRUE(ecu_.Calls().empty());
  data_.Flag1 |= 0x20;

  // A corner without learnt data near it, or learnt tables the ECU does not deliver: nothing
  // to fit; the acquired points stay.
  const struct {
    const char* what;
    int missingCorner;  // zone of the corner unlearnt, or -1
    int absentTable;    // table the ECU lacks, or -1
  } cases[] = {{"corner (0, 11) unlearnt", 3, -1}, {"cell zones absent", -1, 0x54}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    LearnCorners();
    if (c.missingCorner >= 0) ecu_.Store(0x3D, c.missingCorner, 0);
    if (c.absentTable >= 0) ecu_.SetAbsent(c.absentTable);
    prompts_.Clear();
    ecu_.ClearCalls();
    prompts_.Answer(PromptYes);
    p->MenuCalcolaAdatta->trigger();
    ASSERT_EQ(prompts_.Shown().size(), 2u);
    EXPECT_EQ(LastPrompt().text, "Errore nella pre-elaborazione dei dati di adattatività");
    EXPECT_EQ(LastPrompt().icon, PromptIcon::Stop);
    EXPECT_EQ(AllWrites(), 0);
    EXPECT_EQ(dati_.Count(), 1);
    EXPECT_EQ(StoredGas(11, 0), corner);
    if (c.absentTable >= 0) ecu_.SetAbsent(c.absentTable, false);
  }
}

// The map page's button that corrects the map from the road-mapping points: fit, chart, and
// the offer to go back.
class MapCorrectionTest : public PageAdattaTest {
 protected:
  void SetUp() override {
    PageAdattaTest::SetUp();
    TRoadMapping::SetMapChartViewer([this](QWidget*) { ++charts_; });
    page_ = Show<TPageMappa>(TabMappa);
    for (int r = 0; r < 12; ++r)
      for (int c = 0; c < 12; ++c) before_[r][c] = data_.Mappa[r][c];
  }
  void TearDown() override {
    TRoadMapping::SetMapChartViewer(nullptr);
    PageAdattaTest::TearDown();
  }
  void AcquireFivePoints() {
    const struct {
      int rpm;
      double map;
      int us;
    } points[] = {
        {1000, 0.5, 3000}, {3000, 1.5, 5000}, {5000, 2.5, 8000}, {2000, 3.0, 7000}, {4000, 1.0, 4000}};
    for (const auto& p : points) dati_.Add(p.rpm, p.map, p.us, 0);
  }
  bool MapAsBefore() const {
    for (int r = 0; r < 12; ++r)
      for (int c = 0; c < 12; ++c)
        if (data_.Mappa[r][c] != before_[r][c]) return false;
    return true;
  }
  bool EcuHoldsTheDataSetsMap() const {
    for (int r = 0; r < 12; ++r)
      for (int c = 0; c < 12; ++c)
        if (StoredGas(r, c) != data_.Mappa[r][c]) return false;
    return true;
  }

  TPageMappa* page_ = nullptr;
  int charts_ = 0;
  int32_t before_[12][12] = {};
};

TEST_F(MapCorrectionTest, TheCorrectedMapIsShownAndKeptOrTakenBack) {
  AcquireFivePoints();
  ecu_.ClearCalls();
  prompts_.Answer(PromptNo);
  page_->ButtonScaricaMappa->click();
  EXPECT_EQ(charts_, 1);
  ASSERT_EQ(prompts_.Shown().size(), 1u);
  EXPECT_EQ(LastPrompt().text, "La mappa è stata corretta.Tornare alla precedente ?");
  EXPECT_EQ(LastPrompt().icon, PromptIcon::Question);
  EXPECT_FALSE(MapAsBefore());
  EXPECT_TRUE(EcuHoldsTheDataSetsMap());
  EXPECT_TRUE(form_->IsLiveTimerActive());
  // The correction does not count as saving the points: the page's guard still asks.
  EXPECT_TRUE(dati_.IsChanged());
  form_->StopLiveTimer();

  // Yes: the map before this correction, in the data set and in the ECU.
  for (int r = 0; r < 12; ++r)
    for (int c = 0; c < 12; ++c) before_[r][c] = data_.Mappa[r][c];
  dati_.Add(3500, 2.0, 9000, 0);
  prompts_.Answer(PromptYes);
  page_->ButtonScaricaMappa->click();
  EXPECT_EQ(charts_, 2);
  EXPECT_TRUE(MapAsBefore());
  EXPECT_TRUE(EcuHoldsTheDataSetsMap());
  form_->StopLiveTimer();
}

TEST_F(MapCorrectionTest, TooFewPointsOrAClickFiredBySpace) {
  dati_.Add(1000, 0.5, 3000, 0);
  dati_.Add(3000, 1.5, 5000, 0);
  page_->ButtonScaricaMappa->click();
  ASSERT_EQ(prompts_.Shown().size(), 1u);
  EXPECT_EQ(LastPrompt().text, "Impossibile effettuare l'interpolazione dei dati!");
  EXPECT_EQ(LastPrompt().icon, PromptIcon::Stop);
  EXPECT_EQ(charts_, 0);
  EXPECT_TRUE(MapAsBefore());
  form_->StopLiveTimer();

  // The click Space fires on a focused button does nothing but clear the flag.
  AcquireFivePoints();
  prompts_.Clear();
  for (QPushButton* b : {page_->ButtonScaricaMappa, page_->ButtonVisualizzaMappa}) {
    form_->SpacePressed = true;
    b->click();
    EXPECT_FALSE(form_->SpacePressed);
  }
  EXPECT_TRUE(prompts_.Shown().empty());
  EXPECT_EQ(charts_, 0);
  EXPECT_TRUE(MapAsBefore());
  page_->ButtonVisualizzaMappa->click();
  EXPECT_EQ(charts_, 1);
}

TEST_F(PageAdattaTest, PictureOfThePageConnectedToTheSimulator) {
  ecu_.StartEngine(60.0);
  ecu_.Store(0x671, 0, -6);
  ecu_.Store(0x672, 0, 3);
  data_.SetValue(0x75, 2 + 16 * 3);
  Page();
  Tick(12);
  QApplication::processEvents();
  const QString dir = QDir::current().filePath("test-results/screenshots");
  QDir().mkpath(dir);
  EXPECT_TRUE(form_->grab().save(dir + "/page-adatta.png", "PNG"));
  EXPECT_TRUE(ControlsKeepLayout(form_.get()));
  Show<TPageMappa>(TabMappa);
  Tick(3);
  QApplication::processEvents();
  EXPECT_TRUE(form_->grab().save(dir + "/page-mappa-buttons.png", "PNG"));
  EXPECT_TRUE(ControlsKeepLayout(form_.get()));
}

}  // namespace
