// The various, injection, vectors, pressure and corrections pages against the simulated ECU:
// the controlled return to idle and the idle lock, the injection-sequence grid with its two
// lists, the level corrections and the temperature table with its order check, the pressure
// sensor presets; and, over every page, showing a page writes nothing; pictures of pages.
#include <QDir>
#include <QGroupBox>
#include <QLabel>

#include "ChainCheckBox.h"
#include "DrawGrid.h"
#include "EcuValueCodes.h"
#include "LayoutCheck.h"
#include "LiveDataRecord.h"
#include "LivePanel.h"
#include "PageCorrezioni.h"
#include "PageFixture.h"
#include "PageIniezione.h"
#include "PagePressione.h"
#include "PageTps.h"
#include "PageVarie.h"
#include "PageVettori.h"

namespace {
using PagesVarie = PageFixture;

void ClickCell(TDrawGrid* grid, int col, int row) {
  QTest::mouseClick(grid, Qt::LeftButton, {}, grid->CellRect(col, row).center());
}
}  // namespace

TEST_F(PagesVarie, ControlledIdleReturnAndIdleLock) {
  data_.SetValue(0x449, -5);
  auto* p = Show<TPageVarie>(TabVarie);
  EXPECT_TRUE(p->CheckRientroMin->isChecked());
  EXPECT_EQ(p->EditRientroMinimo->text(), "-5");
  EXPECT_EQ(QApplication::focusWidget(), p->CheckRientroMin);
  // Off writes 100; on again restores only a value above 0, so -5 comes back as 0.
  Click(p->CheckRientroMin);
  EXPECT_EQ(ecu_.Stored(0x449), 100);
  EXPECT_FALSE(p->EditRientroMinimo->isVisible());
  EXPECT_FALSE(p->LabelCorrMin->isVisible());
  Click(p->CheckRientroMin);
  EXPECT_EQ(ecu_.Stored(0x449), 0);
  EXPECT_EQ(p->EditRientroMinimo->text(), "0");
  Enter(p->EditRientroMinimo, "3");
  Click(p->CheckRientroMin);
  Click(p->CheckRientroMin);
  EXPECT_EQ(ecu_.Stored(0x449), 3);

  // The idle lock: minimum correction at idle 0; off again 80 (held negated by the ECU).
  EXPECT_FALSE(p->CheckBloccoMin->isChecked());
  EXPECT_EQ(p->EditMinErrIntegMin->text(), "80");
  Click(p->CheckBloccoMin);
  EXPECT_EQ(ecu_.Stored(0x629), 0);
  EXPECT_EQ(p->EditMinErrIntegMin->text(), "0");
  Click(p->CheckBloccoMin);
  EXPECT_EQ(ecu_.Stored(0x629), -80);
  EXPECT_EQ(p->EditMinErrIntegMin->text(), "80");
  // The box follows the field.
  Enter(p->EditMinErrIntegMin, "0");
  EXPECT_TRUE(p->CheckBloccoMin->isChecked());
}

TEST_F(PagesVarie, InjectionSequenceGridAndItsLists) {
  auto* p = Show<TPageIniezione>(TabIniezione);
  ASSERT_EQ(p->EditCil->text(), "4");
  EXPECT_EQ(p->CellText(2, 0), "Secondo");
  EXPECT_EQ(p->CellText(0, 2), "N° bancata");
  EXPECT_EQ(p->CellText(2, 1), "C");  // element 1 holds order 2
  EXPECT_EQ(p->CellText(2, 2), "1");
  EXPECT_EQ(p->SequenceColumn(), 1);

  // Beyond the cylinder count a column cannot be selected.
  ClickCell(p->GridSequenza, 6, 1);
  EXPECT_EQ(p->SequenceColumn(), 1);
  EXPECT_EQ(p->GridSequenza->Col(), 1);
  ClickCell(p->GridSequenza, 2, 1);
  EXPECT_EQ(p->SequenceColumn(), 2);
  EXPECT_EQ(QApplication::focusWidget(), p->ComboColori);
  EXPECT_TRUE(p->LabelIstruzioni->isVisible());
  EXPECT_EQ(p->ComboColori->currentText(), "C");
  // The wire of cylinder 2 to "E": the low 3 bits of element 1.
  Choose(p->ComboColori, 4);
  EXPECT_EQ(ecu_.Stored(0x4E, 1) & 7, 4);
  EXPECT_EQ(p->CellText(2, 1), "E");
  // Right goes to the next cylinder, not beyond the fourth; Left not before the first.
  for (int i = 0; i < 4; ++i) QTest::keyClick(p->ComboColori, Qt::Key_Right);
  EXPECT_EQ(p->SequenceColumn(), 4);
  EXPECT_EQ(p->ComboColori->currentText(), "B");  // element 3 holds order 1
  for (int i = 0; i < 5; ++i) QTest::keyClick(p->ComboColori, Qt::Key_Left);
  EXPECT_EQ(p->SequenceColumn(), 1);
  // Down leaves the wire for the bank; Shift+Down changes the bank.
  QTest::keyClick(p->ComboColori, Qt::Key_Down);
  EXPECT_EQ(QApplication::focusWidget(), p->ComboBancata);
  EXPECT_EQ(p->GridSequenza->Row(), 2);
  QTest::keyClick(p->ComboBancata, Qt::Key_Down, Qt::ShiftModifier);
  EXPECT_EQ(ecu_.Stored(0x4E, 0) & 0x80, 0x80);
  EXPECT_EQ(p->CellText(1, 2), "2");
  QTest::keyClick(p->ComboBancata, Qt::Key_Down);
  EXPECT_EQ(QApplication::focusWidget(), p->EditAperturaInj);
  EXPECT_FALSE(p->LabelIstruzioni->isVisible());

  // Six cylinders: their default sequence, and the sixth column can be chosen.
  Enter(p->EditCil, "6");
  EXPECT_EQ(ecu_.Stored(0x34) & 7, 5);
  for (int c = 0; c < 6; ++c)
    EXPECT_EQ(p->CellText(c + 1, 1), QString(QChar('A' + (data_.GetSequenzaIniezione(c, 1)))));
  ClickCell(p->GridSequenza, 6, 2);
  EXPECT_EQ(p->SequenceColumn(), 6);
  EXPECT_EQ(QApplication::focusWidget(), p->ComboBancata);

  // Opening time to the ECU, closing time kept in the data set.
  Enter(p->EditChiusuraInj, Dec("1.5"));
  Enter(p->EditAperturaInj, Dec("2.5"));
  EXPECT_EQ(ecu_.Stored(0x253), 625);
  EXPECT_DOUBLE_EQ(data_.GetTempoAperturaIniettore(2), 1.5);
}

TEST_F(PagesVarie, InjectorCurrentFieldsShowWhatTheEcuHolds) {
  // 1.5 ms of maximum current (steps of 4 us): shown as held, and Enter writes it back unchanged.
  ASSERT_EQ(data_.SetValue(0x24A, 1.5), 1);
  ASSERT_EQ(ecu_.Stored(0x24A), 375);
  auto* p = Show<TPageIniezione>(TabIniezione);
  EXPECT_EQ(p->EditGiriArrBenzina->text(), Dec("1.5"));
  ASSERT_EQ(QApplication::focusWidget(), p->EditGiriArrBenzina);
  QTest::keyClick(p->EditGiriArrBenzina, Qt::Key_Return);
  EXPECT_EQ(ecu_.Stored(0x24A), 375);
  EXPECT_EQ(p->EditGiriArrBenzina->text(), Dec("1.5"));
}

TEST_F(PagesVarie, LevelCorrectionsAndTheTemperatureTable) {
  auto* p = Show<TPageVettori>(TabVettori);
  EXPECT_EQ(p->EditRifTemp[0]->text(), "10");  // element 8
  EXPECT_EQ(p->EditRifTemp[7]->text(), "80");  // element 1
  Enter(p->EditCorrLivello[1], "30");
  EXPECT_EQ(ecu_.Stored(0x50, 1), 103);
  EXPECT_EQ(p->EditCorrLivello[1]->text(), "30");
  Enter(p->EditCoeffTemp[0], Dec("0.5"));
  EXPECT_EQ(ecu_.Stored(0x478, 8), 25);

  // The table's fields show no limit hint; the level corrections do.
  p->EditRifTemp[3]->setFocus();
  EXPECT_FALSE(form_->LimitHint()->isVisible());
  p->EditCorrLivello[0]->setFocus();
  EXPECT_TRUE(form_->LimitHint()->isVisible());

  // Out of order (30 after 30): nothing written, the field back to its value, the focus stays.
  ecu_.ClearCalls();
  Enter(p->EditRifTemp[1], "30");
  EXPECT_EQ(AllWrites(), 0);
  EXPECT_EQ(p->EditRifTemp[1]->text(), "20");
  EXPECT_EQ(QApplication::focusWidget(), p->EditRifTemp[1]);
  // In order: written as the NTC reading and shown as read back.
  Enter(p->EditRifTemp[1], "25");
  EXPECT_EQ(ecu_.Stored(0x2A, 7), CalcTemperaturaRaw(25));
  EXPECT_EQ(p->EditRifTemp[1]->text(), QString::number(data_.GetRifTemp(7)));
  EXPECT_EQ(QApplication::focusWidget(), p->EditRifTemp[2]);
}

TEST_F(PagesVarie, TheLiveTemperatureBandIsHighlightedOnTheReferenceTable) {
  auto* p = Show<TPageVettori>(TabVettori);  // references 10, 20, ..., 80 (fields 1..8)
  auto navyOnLight = [&](QLineEdit* e) {
    return e->palette().color(QPalette::Text) == QColor(0, 0, 0x80) &&
           e->palette().color(QPalette::Base) == QColor(0xE3, 0xE3, 0xE3);
  };
  auto whiteOnNavy = [&](QLineEdit* e) {
    return e->palette().color(QPalette::Text) == QColor(Qt::white) &&
           e->palette().color(QPalette::Base) == QColor(0, 0, 0x80);
  };
  auto fieldOf = [&](int band) -> QLineEdit* {
    return band < TPageVettori::kBreakpoints ? static_cast<QLineEdit*>(p->EditRifTemp[band])
                                             : p->EditRifTemp9;
  };
  // Band 0 up to the first reference, then one band per reference, "Oltre" above the last.
  const struct {
    float celsius;
    int band;
  } cases[] = {{5, 0}, {15, 1}, {45, 4}, {79, 7}, {95, 8}};
  for (const auto& c : cases) {
    LiveDataRecord rec;
    rec.temperature = static_cast<uint8_t>(CalcTemperaturaRaw(c.celsius));
    uint8_t buf[LiveDataRecord::kSize];
    rec.Encode(buf);
    TLivePanel live;
    live.Decode(buf, LiveDataRecord::kSize, false, [](const LiveDataRecord&) { return 0; });
    p->LiveTick(live, true);
    EXPECT_EQ(p->HighlightedBand(), c.band) << c.celsius;
    for (int b = 0; b <= TPageVettori::kBreakpoints; ++b)
      EXPECT_TRUE(b == c.band ? navyOnLight(fieldOf(b)) : whiteOnNavy(fieldOf(b))) << c.celsius << " " << b;
  }

  // Driven by the editor's live timer while the page shows, and only then.
  Tick();
  const int band = p->HighlightedBand();
  const int t = TLivePanel::RoundEven(CalcTemperatura(ecu_.LiveRecord().temperature));
  int ref[9] = {};
  for (int i = 1; i <= 8; ++i) ref[i] = data_.GetRifTemp(i);
  EXPECT_EQ(band, TLivePanel::TemperatureBand(t, ref));
  EXPECT_TRUE(navyOnLight(fieldOf(band)));
}

TEST_F(PagesVarie, AnUnknownGasPressureCalibrationShowsACustomSensor) {
  data_.SetOffsetPendenza(2, 40);
  auto* p = Show<TPageCorrezioniParametri>(TabCorrezioni);
  EXPECT_EQ(p->ComboMisuratorePressione->currentText(), "Custom");
  EXPECT_EQ(p->EditOffsetDiff->text(), "40");
}

TEST_F(PagesVarie, PressureSensorCalibration) {
  auto* pressure = Show<TPagePressione>(TabPressione);
  Enter(pressure->EditOffset, "-150");
  EXPECT_EQ(ecu_.Stored(0x67A, 0), -150);
  Enter(pressure->EditPendenza, "2500");  // slopes 0..2000
  EXPECT_EQ(ecu_.Stored(0x67A, 1), 2000);
  EXPECT_EQ(pressure->EditPendenza->text(), "2000");

  auto* p = Show<TPageCorrezioniParametri>(TabCorrezioni);
  EXPECT_EQ(p->ComboMisuratorePressione->currentText(), "SNR520");  // (35, 826)
  EXPECT_TRUE(p->GroupMisuratorePressione->isVisible());
  data_.SetOffsetPendenza(2, 892);
  data_.SetOffsetPendenza(3, 542);
  p = Show<TPageCorrezioniParametri>(TabCorrezioni);
  EXPECT_EQ(p->ComboMisuratorePressione->currentText(), "SNR410");
  EXPECT_EQ(p->EditOffsetDiff->text(), "892");
  // Any other pair keeps the list as it was.
  data_.SetOffsetPendenza(3, 600);
  p = Show<TPageCorrezioniParametri>(TabCorrezioni);
  EXPECT_EQ(p->ComboMisuratorePressione->currentText(), "SNR410");
  EXPECT_EQ(p->EditPendenzaDiff->text(), "600");
  Choose(p->ComboMisuratorePressione, 1);
  EXPECT_EQ(ecu_.Stored(0x67A, 2), 35);
  EXPECT_EQ(ecu_.Stored(0x67A, 3), 826);
  EXPECT_EQ(p->EditPendenzaDiff->text(), "826");
  ecu_.ClearCalls();
  Choose(p->ComboMisuratorePressione, 2);  // "Custom": entered by hand
  EXPECT_EQ(AllWrites(), 0);
  Enter(p->EditOffsetDiff, "40");
  EXPECT_EQ(ecu_.Stored(0x67A, 2), 40);
}

TEST_F(PagesVarie, ShowingAPageWritesNothing) {
  // States that make the show rules run: soft exit and release leaning in use, return to petrol
  // and controlled idle return on. (The TPS page is left out: its show rules clear a manual idle
  // value ruled out by a switch and switch a cleared soft exit off in the ECU.)
  data_.CoefficienteUscitaMinimo = 80;
  data_.CorrezioneInRilascio = -20;
  data_.TempoRitBenzina = 8;
  data_.CorrRientroMin = -5;
  for (int pass = 0; pass < 2; ++pass) {
    for (int id = 0; id < kConfigPageCount; ++id) {
      if (!form_->IsPageVisible(static_cast<ConfigPageId>(id)) || id == TabTps) continue;
      SCOPED_TRACE(testing::Message() << "pass " << pass << " page " << id);
      ecu_.ClearCalls();
      Show<TConfigPage>(static_cast<ConfigPageId>(id));
      EXPECT_EQ(AllWrites(), 0) << ecu_.CallText();
    }
    // Second pass: every option off in the data set, so the boxes change the other way.
    data_.CoefficienteUscitaMinimo = 100;
    data_.CorrezioneInRilascio = 1000;
    data_.TempoRitBenzina = 255;
    data_.CorrRientroMin = 100;
  }
}

TEST_F(PagesVarie, TranslationLoadsNumberedTextsAndKeepsTheOthers) {
  form_->TranslateConfigForm();
  auto* tps = static_cast<TPageTps*>(form_->Page(TabTps));
  EXPECT_EQ(tps->CheckTpsBloc->text(), "Valore TPS al minimo impostato manualmente");  // 499
  EXPECT_EQ(tps->ComboTpsSwitch->itemText(0), "Assente");                              // 193
  EXPECT_EQ(tps->LabelTipoTps->text(), "Tipo TPS");  // 189: the language has none
  auto* vettori = static_cast<TPageVettori*>(form_->Page(TabVettori));
  EXPECT_EQ(vettori->GroupCorrLivello->title(), "Correzione livello carburante");  // 277
  EXPECT_EQ(vettori->EditRifTemp9->text(), "Oltre");
}

TEST_F(PagesVarie, PicturesOfPagesConnectedToTheSimulator) {
  ecu_.StartEngine(60.0);
  data_.CoefficienteUscitaMinimo = 80;
  const QString dir = QDir::current().filePath("test-results/screenshots");
  QDir().mkpath(dir);
  const struct {
    ConfigPageId id;
    const char* file;
  } pages[] = {{TabCambio, "page-cambio.png"},
               {TabTps, "page-tps.png"},
               {TabEmissioni, "page-emissioni.png"},
               {TabIniezione, "page-iniezione.png"}};
  for (const auto& page : pages) {
    Show<TConfigPage>(page.id);
    Tick(12);
    QApplication::processEvents();
    EXPECT_TRUE(form_->grab().save(dir + "/" + page.file, "PNG"));
    EXPECT_TRUE(ControlsKeepLayout(form_.get())) << page.file;
  }
}
