// The changeover, lambda and TPS pages against the simulated ECU: the changeover modes and the
// mono-fuel item, the start-squirt fields, the ground offset of a 0-1 V probe with the presets
// of the next tick, the probe count, the TPS switch against the manual idle value and the soft
// exit from idle with its off state kept in the ECU variables.
#include <QLabel>

#include "ChainCheckBox.h"
#include "EcuValueCodes.h"
#include "MapGridSmall.h"
#include "PageCambio.h"
#include "PageFixture.h"
#include "PageLambda.h"
#include "PageTps.h"

namespace {
using PagesCambioLambdaTps = PageFixture;
}  // namespace

TEST_F(PagesCambioLambdaTps, ChangeoverModesKeepTheThresholdAndTheMonoFuelByte) {
  auto* p = Show<TPageCambio>(TabCambio);
  ASSERT_EQ(p->ComboCambio->count(), 4);  // the ECU has the mono-fuel variable
  EXPECT_EQ(p->ComboCambio->itemText(3), "Monofuel");
  EXPECT_EQ(p->ComboCambio->currentIndex(), 1);  // 1801: by rpm, decelerating
  EXPECT_EQ(p->EditGiriCambio->text(), "1800");

  // Start on gas: the threshold word goes to 0 and the threshold is hidden.
  Choose(p->ComboCambio, 2);
  EXPECT_EQ(ecu_.Stored(0x210), 0);
  EXPECT_FALSE(p->EditGiriCambio->isVisible());
  EXPECT_FALSE(p->LabelGiriCambio->isVisible());
  EXPECT_FALSE(p->LabelRpm1->isVisible());
  // Accelerating again: the remembered threshold comes back.
  Choose(p->ComboCambio, 0);
  EXPECT_EQ(ecu_.Stored(0x210), 1800);
  EXPECT_TRUE(p->EditGiriCambio->isVisible());
  EXPECT_EQ(p->EditGiriCambio->text(), "1800");

  // Mono-fuel is its own byte: the mode stays; a changeover item clears it again.
  Choose(p->ComboCambio, 3);
  EXPECT_EQ(ecu_.Stored(0x81), 1);
  EXPECT_EQ(ecu_.Stored(0x210), 1800);
  EXPECT_EQ(p->ComboCambio->currentIndex(), 3);
  Choose(p->ComboCambio, 1);
  EXPECT_EQ(ecu_.Stored(0x81), 0);
  EXPECT_EQ(ecu_.Stored(0x210), 1801);
  EXPECT_EQ(p->ComboCambio->currentIndex(), 1);

  // A refused write: the list shows the mode held and the threshold stays.
  ecu_.SetWriteRefused(0x210);
  Choose(p->ComboCambio, 2);
  EXPECT_EQ(p->ComboCambio->currentIndex(), 1);
  EXPECT_EQ(ecu_.Stored(0x210), 1801);
  EXPECT_TRUE(p->EditGiriCambio->isVisible());

  // The rpm signal is bit 0 of the option word; a refused write shows the signal held.
  Choose(p->ComboSegnaleGiri, 1);
  EXPECT_EQ(ecu_.Stored(0x203) & 1, 1);
  ecu_.SetWriteRefused(0x203);
  Choose(p->ComboSegnaleGiri, 0);
  EXPECT_EQ(p->ComboSegnaleGiri->currentIndex(), 1);
  EXPECT_EQ(ecu_.Stored(0x203) & 1, 1);
}

TEST_F(PagesCambioLambdaTps, WithoutTheMonoFuelVariableThreeChangeoverItems) {
  ecu_.SetAbsent(0x81);
  ASSERT_EQ(data_.ReadAll(), 1);
  ASSERT_FALSE(data_.HasMonoFuel);
  ReshowForm();
  auto* p = Show<TPageCambio>(TabCambio);
  EXPECT_EQ(p->ComboCambio->count(), 3);
  EXPECT_EQ(p->ComboCambio->itemText(2), "Partenza a gas");
}

TEST_F(PagesCambioLambdaTps, StartSquirtFieldsFollowWhatTheEcuHolds) {
  const struct { bool time, table; } cases[] = {{false, false}, {true, false}, {false, true}, {true, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.time << c.table);
    data_.HasTempoCicchetto = c.time;
    data_.HasCicchettoTemp = c.table;
    auto* p = Show<TPageCambio>(TabCambio);
    EXPECT_EQ(p->LabelTempoCicchetto->isVisible(), c.time || c.table);
    EXPECT_EQ(p->EditTempoCicchetto->isVisible(), c.time);
    EXPECT_EQ(p->LabTempoCicchetto->isVisible(), c.time);
    EXPECT_EQ(p->DrawGridCicchetto->isVisible(), c.table);
    EXPECT_EQ(p->LabelRifTempCicchetto->isVisible(), c.table);
    EXPECT_EQ(p->LabTempoCicchettoTemp->isVisible(), c.table);
  }
}

TEST_F(PagesCambioLambdaTps, GroundOffsetMovesTheReferencesAndZeroBringsThePresetsBack) {
  auto* p = Show<TPageLambda>(TabLambda);
  ASSERT_EQ(p->ComboTipoLambda->currentIndex(), 0);  // "0 - 1 Volt"
  ASSERT_TRUE(p->EditOffsetLambda->isVisible());
  ASSERT_EQ(p->EditOffsetLambda->text(), "0");
  data_.SetValue(0x47, 4.8);  // near the top: the move stops at 4.9 V
  const int moved[] = {0x5, 0xA, 0x8, 0x47, 0x48};
  double before[5];
  for (int i = 0; i < 5; ++i) before[i] = data_.GetValue(moved[i]);

  Enter(p->EditOffsetLambda, Dec("0.2"));
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(moved[i]);
    EXPECT_EQ(ecu_.Stored(moved[i]), EcuConv::VoltToRaw(std::min(before[i] + 0.2, 4.9)));
  }
  EXPECT_EQ(ecu_.Stored(0x47), 250);  // 4.9 V
  EXPECT_EQ(ecu_.Stored(0xB), EcuConv::VoltToRaw(0.39));
  EXPECT_EQ(ecu_.Stored(0x9), EcuConv::VoltToRaw(0.39));
  EXPECT_EQ(ecu_.Stored(0x2F), EcuConv::VoltToRaw(0.2));
  EXPECT_DOUBLE_EQ(p->EditRifInfCalda->GetDouble(), 0.4);  // the page shows 20 / 51 V again
  EXPECT_FALSE(form_->LambdaTypeChanged);

  // Offset 0: the lower references at 0.29 V and the type confirmed again, so the next slow
  // tick applies the type's presets.
  Enter(p->EditOffsetLambda, "0");
  EXPECT_EQ(ecu_.Stored(0x2F), 0);
  EXPECT_EQ(ecu_.Stored(0xB), EcuConv::VoltToRaw(0.29));
  EXPECT_EQ(ecu_.Stored(0x9), EcuConv::VoltToRaw(0.29));
  EXPECT_TRUE(form_->LambdaTypeChanged);
  Tick(10);
  EXPECT_FALSE(form_->LambdaTypeChanged);
  EXPECT_EQ(ecu_.Stored(0x5), EcuConv::VoltToRaw(0.55));
  EXPECT_EQ(ecu_.Stored(0x47), EcuConv::VoltToRaw(0.82));
  EXPECT_DOUBLE_EQ(p->EditRifLambda->GetDouble(), 0.54);  // 28 / 51 V
}

TEST_F(PagesCambioLambdaTps, ProbeTypeAndProbeCount) {
  auto* p = Show<TPageLambda>(TabLambda);
  // "0 - 5 Volt" has no ground offset.
  Choose(p->ComboTipoLambda, 1);
  EXPECT_EQ(ecu_.Stored(0x4), 40);
  EXPECT_FALSE(p->EditOffsetLambda->isVisible());
  EXPECT_FALSE(p->LabelRifLambdaMassa->isVisible());
  EXPECT_FALSE(p->LabelV1->isVisible());
  EXPECT_TRUE(form_->LambdaTypeChanged);

  // The probe count: option-word bit 2 clear for two probes; the second bank then shows on a
  // model that takes it.
  data_.Identita[2] = 1;
  auto* bank2 = form_->findChild<QLabel*>("LabLambda2");
  EXPECT_EQ(p->ComboNumeroSonde->currentIndex(), 0);
  EXPECT_FALSE(bank2->isVisible());
  Choose(p->ComboNumeroSonde, 1);
  EXPECT_EQ(ecu_.Stored(0x203) & 0x04, 0);
  EXPECT_EQ(data_.GetNumeroSonde(), 2);
  EXPECT_TRUE(bank2->isVisible());
  QApplication::processEvents();  // the panel's layout follows
  // Two probes: each second-bank reading beside its first-bank one, on the same line, the two
  // halves either side of the caption's centre; one probe: the first bank alone, centred.
  auto centreX = [&](const QWidget* w) { return w->mapTo(form_.get(), w->rect().center()).x(); };
  auto topY = [&](const QWidget* w) { return w->mapTo(form_.get(), QPoint(0, 0)).y(); };
  const struct {
    const char *caption, *bank1, *bank2;
  } readings[] = {{"LabelLambda", "LabLambda", "LabLambda2"},
                  {"LabelInj", "LabApMot", "LabApMot2"},
                  {"LabelCorr", "LabCorr", "LabCorr2"}};
  for (const auto& r : readings) {
    const auto* caption = form_->findChild<QLabel*>(r.caption);
    const auto* first = form_->findChild<QLabel*>(r.bank1);
    const auto* second = form_->findChild<QLabel*>(r.bank2);
    EXPECT_TRUE(second->isVisible()) << r.bank2;
    EXPECT_EQ(topY(first), topY(second)) << r.bank2;
    EXPECT_LT(centreX(first), centreX(caption)) << r.bank1;
    EXPECT_GT(centreX(second), centreX(caption)) << r.bank2;
  }
  Choose(p->ComboNumeroSonde, 0);
  QApplication::processEvents();
  for (const auto& r : readings) {
    const auto* caption = form_->findChild<QLabel*>(r.caption);
    const auto* first = form_->findChild<QLabel*>(r.bank1);
    EXPECT_FALSE(form_->findChild<QLabel*>(r.bank2)->isVisible()) << r.bank2;
    EXPECT_NEAR(centreX(first), centreX(caption), 2) << r.bank1;
  }
  // Only a model byte other than 0 lets the count be chosen while connected.
  data_.Identita[2] = 0;
  ReshowForm();
  EXPECT_FALSE(p->ComboNumeroSonde->isEnabled());
  link_.CloseLink();
  ReshowForm();
  EXPECT_TRUE(p->ComboNumeroSonde->isEnabled());
}

TEST_F(PagesCambioLambdaTps, TpsSwitchRulesOutTheManualIdleValue) {
  auto* p = Show<TPageTps>(TabTps);
  EXPECT_FALSE(p->CheckDriveByWire1->isVisibleTo(p));
  EXPECT_EQ(p->LabelIstTps->text(), "Isteresi TPS");
  // Enter on the box toggles it as a click: bit 7 of variable 0x1A.
  p->CheckTpsBloc->setFocus();
  QTest::keyClick(p->CheckTpsBloc, Qt::Key_Return);
  EXPECT_TRUE(p->CheckTpsBloc->isChecked());
  EXPECT_EQ(ecu_.Stored(0x1A) & 0x80, 0x80);
  EXPECT_EQ(p->LabelIstTps->text(), "Valore del TPS al minimo");
  EXPECT_EQ(p->EditIstTps->PrevControl(), p->CheckTpsBloc);

  // A switch: the manual value is cleared (bit 7 written 0) and the idle fields disabled.
  Choose(p->ComboTpsSwitch, 1);
  EXPECT_EQ(ecu_.Stored(0x1A), 1 << 3);
  EXPECT_FALSE(p->CheckTpsBloc->isChecked());
  EXPECT_FALSE(p->CheckTpsBloc->isEnabled());
  EXPECT_FALSE(p->EditIstTps->isEnabled());
  EXPECT_FALSE(p->LabelIstTps->isEnabled());
  EXPECT_FALSE(p->LabelV6->isEnabled());
  EXPECT_EQ(p->LabelIstTps->text(), "Isteresi TPS");
  EXPECT_EQ(p->EditIstTps->PrevControl(), p->CheckDriveByWire1);
  // Down from the switch list walks past the disabled box to the field after it.
  p->ComboTpsSwitch->setFocus();
  QTest::keyClick(p->ComboTpsSwitch, Qt::Key_Down);
  EXPECT_EQ(QApplication::focusWidget(), p->EditTpsMoltoFMin);

  Choose(p->ComboTpsSwitch, 0);
  EXPECT_EQ(ecu_.Stored(0x1A), 0);
  EXPECT_TRUE(p->CheckTpsBloc->isEnabled());
  EXPECT_TRUE(p->EditIstTps->isEnabled());

  // A refused click: the box shows what the ECU holds.
  ecu_.SetWriteRefused(0x1A);
  Click(p->CheckTpsBloc);
  EXPECT_FALSE(p->CheckTpsBloc->isChecked());
  EXPECT_EQ(p->LabelIstTps->text(), "Isteresi TPS");
}

TEST_F(PagesCambioLambdaTps, SoftExitKeepsItsOffStateInTheEcuVariables) {
  // Off in the ECU: coefficient 100.
  auto* p = Show<TPageTps>(TabTps);
  EXPECT_FALSE(p->CheckUscitaSoft->isChecked());
  EXPECT_FALSE(p->EditCoefficienteUscitaMinimo->isVisible());
  EXPECT_FALSE(p->LabelMsec2->isVisible());

  // On: the values remembered (none yet: 100, 100, 0) and the fields to set them.
  Click(p->CheckUscitaSoft);
  EXPECT_TRUE(p->EditCoefficienteUscitaMinimo->isVisible());
  EXPECT_TRUE(p->EditTempoPer100->isVisible());
  EXPECT_EQ(ecu_.Stored(0x64), 100);
  Enter(p->EditCoefficienteUscitaMinimo, "80");
  Enter(p->EditTempoCoefficienteUscitaMinimo, "50");
  Enter(p->EditTempoPer100, "200");
  EXPECT_EQ(ecu_.Stored(0x64), 80);
  EXPECT_EQ(ecu_.Stored(0x65), 50);
  EXPECT_EQ(ecu_.Stored(0x66), 10);  // 200 ms in steps of 100 - 80
  EXPECT_EQ(p->EditTempoPer100->text(), "200");

  // Off: 100, 100, 0 written; on again: the values in use before.
  Click(p->CheckUscitaSoft);
  EXPECT_EQ(ecu_.Stored(0x64), 100);
  EXPECT_EQ(ecu_.Stored(0x65), 100);
  EXPECT_EQ(ecu_.Stored(0x66), 1);  // no steps at 100 %
  EXPECT_FALSE(p->EditTempoPer100->isVisible());
  Click(p->CheckUscitaSoft);
  EXPECT_EQ(ecu_.Stored(0x64), 80);
  EXPECT_EQ(ecu_.Stored(0x65), 50);
  EXPECT_EQ(p->EditCoefficienteUscitaMinimo->text(), "80");

  // Showing the page sets the box from the coefficient; setting it writes nothing.
  ecu_.ClearCalls();
  p = Show<TPageTps>(TabTps);
  EXPECT_TRUE(p->CheckUscitaSoft->isChecked());
  EXPECT_EQ(AllWrites(), 0);
  // The page clearing the box switches the soft exit off as a click does: 100, 100 and 0.
  data_.SetValue(0x64, 100);
  ecu_.ClearCalls();
  p = Show<TPageTps>(TabTps);
  EXPECT_FALSE(p->CheckUscitaSoft->isChecked());
  EXPECT_FALSE(p->EditTempoPer100->isVisible());
  EXPECT_EQ(ecu_.Stored(0x64), 100);
  EXPECT_EQ(ecu_.Stored(0x65), 100);
  EXPECT_EQ(ecu_.Stored(0x66), 1);  // no steps at 100 %
  EXPECT_GT(Writes(0x65), 0);
  // Showing it again with the box already clear writes nothing.
  ecu_.ClearCalls();
  p = Show<TPageTps>(TabTps);
  EXPECT_EQ(AllWrites(), 0);
}

TEST_F(PagesCambioLambdaTps, ShowingThePageWithASwitchClearsTheManualIdleValue) {
  // The ECU holds a TPS switch and the manual idle value together.
  data_.SetValue(0x230001A, 1);
  data_.SetValue(0x170001A, 1);
  ASSERT_NE(ecu_.Stored(0x1A) & 0x80, 0);
  ecu_.ClearCalls();
  auto* p = Show<TPageTps>(TabTps);
  EXPECT_EQ(ecu_.Stored(0x1A) & 0x80, 0);      // bit 7 written 0 as by a click
  EXPECT_EQ((ecu_.Stored(0x1A) >> 3) & 3, 1);  // the switch stays
  EXPECT_FALSE(p->CheckTpsBloc->isChecked());
  EXPECT_FALSE(p->CheckTpsBloc->isEnabled());
  EXPECT_EQ(p->LabelIstTps->text(), "Isteresi TPS");
}
