#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "CentriCelle.h"
#include "CentriCelleArr.h"
#include "KeyComboBox.h"
#include "NumericEdit.h"
#include "Paradatta.h"
#include "Paradattaecu.h"
#include "SimEcuFixture.h"

namespace {

using Dialogs = SimEcuFixture;

int Count(const SimulatedEcu& ecu, SimOp op, int code) {
  int n = 0;
  for (const SimCall& c : ecu.Calls()) n += c.op == op && c.code == code;
  return n;
}

}  // namespace

TEST_F(Dialogs, CentriCelleChecksEachRowBeforeStoringIt) {
  struct Case {
    const char* what;
    std::vector<std::pair<int, const char*>> rpm;  // edits changed: index, text
    std::vector<std::pair<int, const char*>> map;
    const char* message;  // nullptr: stored and closed
    int focusRpm, focusMap;
    bool rpmStored, mapStored;
  };
  const Case cases[] = {
      {"equal rpm",
       {{0, "800"}, {1, "800"}},
       {},
       "Attenzione: i riferimenti GIRI non sono corretti!",
       0,
       -1,
       false,
       false},
      {"rpm going down",
       {{5, "2900"}, {6, "2800"}},
       {},
       "Attenzione: i riferimenti GIRI non sono corretti!",
       5,
       -1,
       false,
       false},
      {"equal MAP rows 3 and 4",
       {{0, "600"}},
       {{3, "0,70"}, {4, "0,70"}},
       "Attenzione: i riferimenti MAP non sono corretti!",
       -1,
       3,
       true,
       false},
      // 0.19 V and 0.20 V make the same reading (trunc(V x 51 + 0.5) = 10): refused too.
      {"MAP rows one reading apart",
       {{0, "600"}},
       {{0, "0,19"}, {1, "0,20"}},
       "Attenzione: i riferimenti MAP non sono corretti!",
       -1,
       0,
       true,
       false},
      {"valid", {{0, "600"}}, {{0, "0,15"}}, nullptr, -1, -1, true, true},
  };
  QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    data_.SetRifGiri(0, 500);
    data_.SetRifMAP(0, 0.18);
    prompts_.Clear();
    ecu_.ClearCalls();
    TFormCentriCelle dlg(nullptr);
    EXPECT_EQ(dlg.EditRifGiri[0]->text(), "500");
    EXPECT_EQ(dlg.NumEditRifMap[0]->text(), "0,18");
    for (auto [i, t] : c.rpm) dlg.EditRifGiri[i]->setText(t);
    for (auto [i, t] : c.map) dlg.NumEditRifMap[i]->setText(t);
    dlg.ButtonOkClick();
    if (c.message) {
      ASSERT_EQ(prompts_.Shown().size(), 1u);
      EXPECT_EQ(prompts_.Shown()[0].text, c.message);
      EXPECT_EQ(prompts_.Shown()[0].icon, PromptIcon::Stop);
      EXPECT_EQ(prompts_.Shown()[0].owner, &dlg);
      EXPECT_EQ(dlg.focusWidget(), c.focusRpm >= 0 ? static_cast<QWidget*>(dlg.EditRifGiri[c.focusRpm])
                                                   : dlg.NumEditRifMap[c.focusMap]);
      EXPECT_EQ(dlg.result(), 0);  // still open
    } else {
      EXPECT_TRUE(prompts_.Shown().empty());
      EXPECT_EQ(dlg.result(), TFormCentriCelle::mrOk);
    }
    EXPECT_EQ(data_.GetRifGiri(0), c.rpmStored ? 600 : 500);
    EXPECT_EQ(Count(ecu_, SimOp::WriteElement, 0x20C), c.rpmStored ? 12 : 0);
    EXPECT_EQ(Count(ecu_, SimOp::WriteElement, 0x0D), c.mapStored ? 12 : 0);
    if (c.mapStored) {
      EXPECT_NEAR(data_.GetRifMAP(0), 0.15, 0.01);
    }
  }
  QLocale::setDefault(QLocale::c());
}

TEST_F(Dialogs, CentriCelleArrUsesTheRowsInUse) {
  data_.NumeroRigheArr = 4;
  for (int i = 0; i < 5; ++i) data_.SetRifCumulo(i, 10 * (i + 1));
  TFormCentriCelleArr dlg(nullptr);
  EXPECT_EQ(dlg.RowCount(), 4);
  EXPECT_FALSE(dlg.NumEditRifMap[4]->isVisibleTo(&dlg));
  EXPECT_FALSE(dlg.LabelRifMap[4]->isVisibleTo(&dlg));
  EXPECT_EQ(dlg.NumEditRifMap[3]->text(), "40");

  // Not increasing: message 107 and the focus on the first of the pair.
  dlg.NumEditRifMap[2]->setText("20");
  dlg.ButtonOkClick();
  ASSERT_EQ(prompts_.Shown().size(), 1u);
  EXPECT_EQ(prompts_.Shown()[0].text, "Attensione: i riferimenti VARIAZIONE TPS non sono corretti!");
  EXPECT_EQ(dlg.focusWidget(), dlg.NumEditRifMap[1]);
  EXPECT_EQ(data_.GetRifCumulo(2), 30);

  // Only the four shown are checked and stored (the hidden fifth would break the order).
  ecu_.ClearCalls();
  dlg.NumEditRifMap[2]->setText("35");
  dlg.NumEditRifMap[4]->setText("0");
  dlg.ButtonOkClick();
  EXPECT_EQ(dlg.result(), TFormCentriCelleArr::mrOk);
  EXPECT_EQ(data_.GetRifCumulo(2), 35);
  EXPECT_EQ(data_.GetRifCumulo(4), 50);
  EXPECT_EQ(Count(ecu_, SimOp::WriteElement, 0x432), 4);
}

TEST_F(Dialogs, CentriCelleArrFocusWrapSkipsTheHiddenField) {
  data_.NumeroRigheArr = 4;
  TFormCentriCelleArr dlg(nullptr);
  dlg.show();
  QApplication::setActiveWindow(&dlg);
  dlg.ButtonOk->setFocus();
  QTest::keyClick(dlg.ButtonOk, Qt::Key_Backtab);
  EXPECT_EQ(QApplication::focusWidget(), dlg.NumEditRifMap[3]);
  dlg.ButtonAnnulla->setFocus();
  QTest::keyClick(dlg.ButtonAnnulla, Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), dlg.NumEditRifMap[0]);
}

TEST_F(Dialogs, ParAdattaEcuReadsAndWritesItsNineCodes) {
  const int codes[9] = {0x5D, 0x25E, 0x5F, 0x60, 0x61, 0x62, 0x5500263, 0x5000263, 0x5A00263};
  TFormParAdattaEcu dlg(nullptr);
  for (int i = 0; i < 9; ++i) {
    EXPECT_EQ(dlg.Fields()[i]->DataCode(), codes[i]);
    EXPECT_EQ(dlg.Fields()[i]->GetInt(), static_cast<int>(data_.GetValue(codes[i]))) << i;
  }
  dlg.EditSaturazione->setText("203");   // multiples of 4
  dlg.EditZoneSaturate->setText("300");  // at most 255
  dlg.EditMaxCorr->setText("47");        // multiples of 5
  ecu_.ClearCalls();
  dlg.ButtonOkClick();
  EXPECT_EQ(dlg.result(), TFormParAdattaEcu::mrOk);
  std::vector<int> written;
  for (const SimCall& c : ecu_.Calls())
    if (c.op == SimOp::WriteVariable) written.push_back(c.code);
  EXPECT_EQ(written, std::vector<int>(std::begin(codes), std::end(codes)));
  EXPECT_EQ(data_.GetValue(0x5F), 200);
  EXPECT_EQ(data_.GetValue(0x60), 255);
  EXPECT_EQ(data_.GetValue(0x5500263), 45);
}

TEST_F(Dialogs, ParAdattaHandsBackWhatWasTyped) {
  TFormParAdatta dlg(nullptr);
  ASSERT_EQ(dlg.ComboOrdinamento->count(), 2);
  EXPECT_EQ(dlg.ComboOrdinamento->itemText(1), "Crescente");
  dlg.EditMinCorr->SetInt(30);
  dlg.EditDeltaX->SetInt(100);
  QTimer::singleShot(0, [&] {
    dlg.EditDeltaX->setText("150");
    dlg.ComboOrdinamento->setCurrentIndex(1);
    dlg.ButtonOk->click();
  });
  EXPECT_EQ(dlg.ShowModal(), TFormParAdatta::mrOk);
  EXPECT_EQ(dlg.EditMinCorr->GetInt(), 30);
  EXPECT_EQ(dlg.EditDeltaX->GetInt(), 150);
  EXPECT_EQ(dlg.ComboOrdinamento->currentIndex(), 1);
  EXPECT_EQ(dlg.EditDeltaX->NextControl(), dlg.EditDeltaY);
  EXPECT_EQ(dlg.EditMinCorr->NextControl(), dlg.ComboOrdinamento);
}
