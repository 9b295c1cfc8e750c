// The cut-off, enrichment and gas-level pages against the simulated ECU: the cut-off modes and
// their fields, the ramp fields with their own Enter handler, the two exclusive cut-off options,
// release leaning with its off state in the correction; the acceleration enrichment; the level
// sensor type, the threshold order check and the return to petrol with its remembered time.
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include "ChainCheckBox.h"
#include "PageArricchimento.h"
#include "PageCutoff.h"
#include "PageFixture.h"
#include "PageSensore.h"

namespace {
using PagesCutoffSensore = PageFixture;
}  // namespace

TEST_F(PagesCutoffSensore, CutoffModesShowTheirFields) {
  auto* p = Show<TPageCutoff>(TabCutoff);
  ASSERT_EQ(p->ComboCutoff->currentIndex(), 2);  // 3 cycles, 3 partial cycles: full cut-off
  const struct {
    int mode;
    int32_t endRpm, cycles;  // variables 0x216 and 0x57 afterwards
    bool endRpmShown, rampsShown;
  } cases[] = {
      {0, 10000, 0x33, false, false},  // the end rpm parked, only the options remain
      {1, 1800, 0x13, true, false},    // leaning only: the end rpm back, one partial cycle
      {2, 1800, 0x33, true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mode);
    Choose(p->ComboCutoff, c.mode);
    EXPECT_EQ(ecu_.Stored(0x216), c.endRpm);
    EXPECT_EQ(ecu_.Stored(0x57), c.cycles);
    EXPECT_EQ(p->ComboCutoff->currentIndex(), c.mode);
    EXPECT_EQ(p->EditCfTot->isVisible(), c.endRpmShown);
    EXPECT_EQ(p->LabelRpm3->isVisible(), c.endRpmShown);
    for (QWidget* w :
         std::initializer_list<QWidget*>{p->EditChiusuraCutoff, p->LabelS13, p->EditAperturaCutoff,
                                         p->EditPassiCutoff, p->LabelCutoffParziale})
      EXPECT_EQ(w->isVisible(), c.rampsShown) << w->objectName().toStdString();
    for (QWidget* w : std::initializer_list<QWidget*>{p->CheckCutoffConIniettori, p->CheckCutoffTotale,
                                                      p->CheckSmagrInRilascio})
      EXPECT_TRUE(w->isVisible());
  }
  // Switching off with the end rpm refused: the list shows the mode held.
  ecu_.SetWriteRefused(0x216);
  Choose(p->ComboCutoff, 0);
  EXPECT_EQ(p->ComboCutoff->currentIndex(), 2);
  EXPECT_TRUE(p->EditCfTot->isVisible());
}

TEST_F(PagesCutoffSensore, RampFieldsWriteTheRampAndShowItAgain) {
  data_.Identita[3] = 1;  // the ECU takes the ramp steps themselves
  auto* p = Show<TPageCutoff>(TabCutoff);
  EXPECT_DOUBLE_EQ(p->EditChiusuraCutoff->GetDouble(), 0.8);  // 2 steps of 20 x 0.02 s
  // 0.4 s over 3 cycles: 20 ticks, 10 per step. The field shows the ramp read back, not the
  // value of an unknown value code.
  Enter(p->EditChiusuraCutoff, Dec("0.4"));
  EXPECT_EQ(ecu_.Stored(0x59), 10);
  EXPECT_DOUBLE_EQ(p->EditChiusuraCutoff->GetDouble(), 0.4);
  Enter(p->EditAperturaCutoff, Dec("1.2"));
  EXPECT_EQ(ecu_.Stored(0x5A), 30);
  EXPECT_DOUBLE_EQ(p->EditAperturaCutoff->GetDouble(), 1.2);
  // A new cycle count changes both ramp times.
  Enter(p->EditPassiCutoff, "5");
  EXPECT_EQ(ecu_.Stored(0x57), 0x35);
  EXPECT_DOUBLE_EQ(p->EditChiusuraCutoff->GetDouble(), 0.8);  // 4 x 10 x 0.02
  EXPECT_DOUBLE_EQ(p->EditAperturaCutoff->GetDouble(), 2.4);  // 4 x 30 x 0.02
  Enter(p->EditPassiCutoffParziale, "2");
  EXPECT_EQ(ecu_.Stored(0x57), 0x25);
  EXPECT_EQ(p->EditPassiCutoffParziale->text(), "2");
}

TEST_F(PagesCutoffSensore, AtMostOneCutoffOptionIsOn) {
  auto* p = Show<TPageCutoff>(TabCutoff);
  Click(p->CheckCutoffTotale);
  EXPECT_EQ(ecu_.Stored(0x203) & 0x180, 0x80);
  ecu_.ClearCalls();
  Click(p->CheckCutoffConIniettori);
  // The other option goes off first (bit 7 written 0), then this one on (bit 8 written 1).
  std::vector<int32_t> words;
  for (const SimCall& c : ecu_.Calls())
    if (c.op == SimOp::WriteVariable && c.code == 0x203) words.push_back(c.value);
  ASSERT_EQ(words.size(), 2u);
  EXPECT_EQ(words[0] & 0x180, 0);
  EXPECT_EQ(words[1] & 0x180, 0x100);
  EXPECT_FALSE(p->CheckCutoffTotale->isChecked());
  EXPECT_TRUE(p->CheckCutoffConIniettori->isChecked());
  // A refused click leaves the box as the ECU holds it.
  ecu_.SetWriteRefused(0x203);
  Click(p->CheckCutoffConIniettori);
  EXPECT_TRUE(p->CheckCutoffConIniettori->isChecked());
}

TEST_F(PagesCutoffSensore, ReleaseLeaningKeepsItsOffStateInTheCorrection) {
  auto* p = Show<TPageCutoff>(TabCutoff);
  // 1000: off; showing the page hides the correction and writes nothing.
  EXPECT_FALSE(p->CheckSmagrInRilascio->isChecked());
  EXPECT_FALSE(p->EditCorrInRilascio->isVisible());
  EXPECT_FALSE(p->LabelCorrInRilascio->isVisible());
  Click(p->CheckSmagrInRilascio);
  EXPECT_EQ(ecu_.Stored(0x66C), 0);
  EXPECT_TRUE(p->EditCorrInRilascio->isVisible());
  EXPECT_EQ(p->EditCorrInRilascio->text(), "0");
  Enter(p->EditCorrInRilascio, "-20");
  EXPECT_EQ(ecu_.Stored(0x66C), -20);
  Click(p->CheckSmagrInRilascio);
  EXPECT_EQ(ecu_.Stored(0x66C), 1000);
  EXPECT_FALSE(p->EditCorrInRilascio->isVisible());
  Click(p->CheckSmagrInRilascio);  // on again starts from 0
  EXPECT_EQ(ecu_.Stored(0x66C), 0);
  // Shown with a correction in use: checked, the field shows it.
  data_.SetValue(0x66C, -35);
  p = Show<TPageCutoff>(TabCutoff);
  EXPECT_TRUE(p->CheckSmagrInRilascio->isChecked());
  EXPECT_EQ(p->EditCorrInRilascio->text(), "-35");
}

TEST_F(PagesCutoffSensore, AccelerationEnrichmentNeedsTheEcuSoftwareAndShiftsTheMap) {
  data_.Identita[3] = 0;
  auto* p = Show<TPageArricchimentoParametri>(TabArricchimento);
  EXPECT_FALSE(p->EditArrAccelerazione->isEnabled());
  EXPECT_EQ(p->EditCumuloArricc->text(), "3");
  EXPECT_EQ(p->EditIniezioni->text(), "15");
  data_.Identita[3] = 1;
  p = Show<TPageArricchimentoParametri>(TabArricchimento);
  ASSERT_TRUE(p->EditArrAccelerazione->isEnabled());
  EXPECT_EQ(QApplication::focusWidget(), p->EditArrAccelerazione);
  const int exit0 = data_.GetArrUscitaMin(0);
  Enter(p->EditArrAccelerazione, "10");
  EXPECT_EQ(ecu_.Stored(0x458), 10);
  EXPECT_EQ(data_.GetArrUscitaMin(0), exit0 + 10);
  EXPECT_EQ(p->EditArrAccelerazione->text(), "10");
  // Refused: the field shows the value held.
  ecu_.SetWriteRefused(0x458);
  Enter(p->EditArrAccelerazione, "20");
  EXPECT_EQ(p->EditArrAccelerazione->text(), "10");
  EXPECT_EQ(data_.GetArrUscitaMin(0), exit0 + 10);
}

TEST_F(PagesCutoffSensore, LevelThresholdsAreWrittenOnlyInOrder) {
  auto* p = Show<TPageSensore>(TabSensore);
  EXPECT_EQ(p->ComboSensore->currentIndex(), 0);  // K.I.V.
  EXPECT_FALSE(p->GroupRifSensore->isVisible());
  const struct {
    int type;
    int v[4];
    bool accepted;
  } cases[] = {
      {2, {10, 60, 120, 200}, true},
      {2, {10, 60, 60, 200}, false},
      {3, {200, 120, 60, 10}, true},  // inverted: falling, stored as 255 - v
      {3, {10, 60, 120, 200}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.type << " " << c.v[2]);
    Choose(p->ComboSensore, c.type);
    ASSERT_TRUE(p->GroupRifSensore->isVisible());
    const std::vector<int32_t> before = ecu_.StoredValues(0x25);
    ecu_.ClearCalls();
    prompts_.Clear();
    for (int i = 0; i < 4; ++i) Enter(p->EditLivello[i], QString::number(c.v[i]));
    EXPECT_EQ(AllWrites(), 0);  // Enter in a threshold writes nothing
    // The last threshold hands the focus to "Conferma", and Return presses it.
    ASSERT_EQ(QApplication::focusWidget(), p->ButtonAccetta);
    QTest::keyClick(p->ButtonAccetta, Qt::Key_Return);
    if (c.accepted) {
      EXPECT_TRUE(prompts_.Shown().empty());
      for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(ecu_.Stored(0x25, i), c.type == 3 ? 255 - c.v[i] : c.v[i]);
        EXPECT_EQ(p->EditLivello[i]->text(), QString::number(c.v[i]));
      }
    } else {
      ASSERT_EQ(prompts_.Shown().size(), 1u);
      EXPECT_EQ(prompts_.Shown()[0].text, "Attenzione: i riferimenti LIVELLO non sono corretti!");
      EXPECT_EQ(prompts_.Shown()[0].icon, PromptIcon::Stop);
      EXPECT_EQ(prompts_.Shown()[0].caption, form_->windowTitle());
      EXPECT_EQ(AllWrites(), 0);
      EXPECT_EQ(ecu_.StoredValues(0x25), before);
    }
  }
  // The standard types bring their thresholds and hide the group.
  Choose(p->ComboSensore, 1);
  EXPECT_EQ(ecu_.Stored(0x24), 2);
  EXPECT_FALSE(p->GroupRifSensore->isVisible());
  EXPECT_EQ(ecu_.Stored(0x25, 3), 100);
}

TEST_F(PagesCutoffSensore, ReturnToPetrolRemembersItsLeanTime) {
  auto* p = Show<TPageSensore>(TabSensore);
  EXPECT_FALSE(p->CheckRitornoBenzina->isChecked());  // 255: off
  EXPECT_FALSE(p->EditRitornoBenzina->isVisible());
  Click(p->CheckRitornoBenzina);  // nothing remembered yet: 6 s
  EXPECT_EQ(ecu_.Stored(0x3E), 6);
  EXPECT_TRUE(p->EditRitornoBenzina->isVisible());
  EXPECT_EQ(p->EditRitornoBenzina->text(), "6");
  Enter(p->EditRitornoBenzina, "8");
  EXPECT_EQ(ecu_.Stored(0x3E), 8);
  Click(p->CheckRitornoBenzina);
  EXPECT_EQ(ecu_.Stored(0x3E), 255);
  EXPECT_FALSE(p->LabelS12->isVisible());
  Click(p->CheckRitornoBenzina);
  EXPECT_EQ(ecu_.Stored(0x3E), 8);
  EXPECT_EQ(p->EditRitornoBenzina->text(), "8");
  // The focus chain passes through the box.
  EXPECT_EQ(p->ComboSensore->NextControl(), p->CheckRitornoBenzina);
  EXPECT_EQ(p->EditRitornoBenzina->PrevControl(), p->CheckRitornoBenzina);
}
