// The diagnosis window against the simulated ECU: the list by probe count, the state column,
// enabling and clearing checks, the running times and their reset, and refused writes.
#include <gtest/gtest.h>

#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include "Diagnosi.h"
#include "DiagnosiCore.h"
#include "SimEcuFixture.h"

namespace {

class Diagnosis : public SimEcuFixture {
 protected:
  Diagnosis() {
    // Both words in the data set as the ECU holds them.
    data_.Abilitazione[0] = ecu_.Stored(0x23A, 0);
    data_.Stato[0] = ecu_.Stored(0x239, 0);
  }
  void SetWords(int enable, int errors) {
    ecu_.Store(0x23A, 0, enable);
    ecu_.Store(0x239, 0, errors);
    data_.Abilitazione[0] = enable;
    data_.Stato[0] = errors;
  }
  static std::vector<int> Bits(const TFormDiagnosi& form) {
    std::vector<int> bits;
    for (int row = 0; row < form.ListDiagnosi->rowCount(); ++row)
      bits.push_back(form.ListDiagnosi->item(row, 0)->data(Qt::UserRole).toInt());
    return bits;
  }
  static QString State(const TFormDiagnosi& form, int bit) {
    return form.ListDiagnosi->item(form.RowOfBit(bit), TFormDiagnosi::kStateColumn)->text();
  }
  static bool Checked(const TFormDiagnosi& form, int bit) {
    return form.ListDiagnosi->item(form.RowOfBit(bit), 0)->checkState() == Qt::Checked;
  }
  // The writes of the two diagnosis words, as "code index value".
  std::vector<std::string> WordWrites() const {
    std::vector<std::string> out;
    for (const SimCall& c : ecu_.Calls())
      if (c.op == SimOp::WriteElement && (c.code == 0x239 || c.code == 0x23A)) out.push_back(c.Text());
    return out;
  }
  int Writes() const {
    int n = 0;
    for (const SimCall& c : ecu_.Calls())
      n += c.op == SimOp::WriteVariable || c.op == SimOp::WriteElement || c.op == SimOp::WriteArray;
    return n;
  }
};

}  // namespace

TEST(DiagnosisRules, ListedChecksAndRunningTimes) {
  EXPECT_EQ(TDiagnosiCore::ListedBits(1), (std::vector<int>{0, 2, 3, 4, 5, 6, 7}));
  EXPECT_EQ(TDiagnosiCore::ListedBits(2), (std::vector<int>{0, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  const std::pair<int, const char*> times[] = {
      {0, "0 : 00"}, {5, "0 : 05"}, {65, "1 : 05"}, {600, "10 : 00"}, {1439, "23 : 59"}};
  for (auto [minutes, text] : times) EXPECT_EQ(TDiagnosiCore::RunningTime(minutes), text);
}

TEST_F(Diagnosis, ActivationBuildsTheListOnceByProbeCount) {
  SetWords(0x0FD, 0x002);  // bit 1 enabled and failing: never listed anyway
  for (int probes : {1, 2}) {
    SCOPED_TRACE(probes);
    data_.Flag1 = probes == 1 ? (data_.Flag1 | 0x04) : (data_.Flag1 & ~0x04);
    TFormDiagnosi form(nullptr);
    EXPECT_TRUE(form.ListDiagnosi->isHidden());
    EXPECT_TRUE(form.GroupTempi->isHidden());
    ecu_.ClearCalls();
    form.FormActivate();
    EXPECT_FALSE(form.ListDiagnosi->isHidden());
    EXPECT_FALSE(form.GroupTempi->isHidden());
    EXPECT_EQ(Bits(form), TDiagnosiCore::ListedBits(probes));
    EXPECT_EQ(form.RowOfBit(1), -1);
    EXPECT_EQ(form.windowTitle(), "Diagnosi centralina");
    EXPECT_EQ(form.ListDiagnosi->item(0, 0)->text(), "Autodiagnosi centralina");
    EXPECT_EQ(form.ListDiagnosi->horizontalHeaderItem(1)->text(), "Stato");
    // The check boxes show the enable word; filling them wrote nothing.
    for (int bit : TDiagnosiCore::ListedBits(probes))
      EXPECT_EQ(Checked(form, bit), ((0x0FD >> bit) & 1) != 0) << bit;
    EXPECT_EQ(Writes(), 0);
    EXPECT_EQ(State(form, 0), "OK");
    EXPECT_EQ(form.ListDiagnosi->currentRow(), 0);
    EXPECT_TRUE(form.ListDiagnosi->selectionModel()->selectedRows().isEmpty());
    // Every item in view without scrolling; the buttons under the list.
    const QRect last =
        form.ListDiagnosi->visualItemRect(form.ListDiagnosi->item(form.ListDiagnosi->rowCount() - 1, 0));
    EXPECT_LE(last.bottom(), form.ListDiagnosi->viewport()->height());
    EXPECT_EQ(form.ButtonAzzeraErrori->y(), form.ListDiagnosi->y() + form.ListDiagnosi->height() + 10);
    EXPECT_EQ(form.Image1->y() >= form.ButtonAzzeraErrori->y(), true);
    // Another activation rebuilds nothing.
    form.FormActivate();
    EXPECT_EQ(Bits(form), TDiagnosiCore::ListedBits(probes));
  }
}

TEST_F(Diagnosis, StateColumnFollowsTheErrorWord) {
  SetWords(0x7FD, 0x000);
  TFormDiagnosi form(nullptr);
  form.FormActivate();
  EXPECT_EQ(form.Timer1->interval(), 5000);
  EXPECT_TRUE(form.Timer1->isActive());
  form.Timer1->stop();
  ecu_.Store(0x239, 0, 0x090);  // bits 4 and 7
  form.Timer1Timer();
  for (int bit : TDiagnosiCore::ListedBits(1))
    EXPECT_EQ(State(form, bit), bit == 4 || bit == 7 ? "ERRORE" : "OK") << bit;
  // The same word again does not rewrite the column.
  form.ListDiagnosi->item(form.RowOfBit(2), 1)->setText(QStringLiteral("x"));
  form.Timer1Timer();
  EXPECT_EQ(State(form, 2), "x");
  // With the link closed the timer reads nothing.
  link_.Disconnect();
  ecu_.ClearCalls();
  form.Timer1Timer();
  for (const SimCall& c : ecu_.Calls()) EXPECT_EQ(c.op, SimOp::IsLinkOpen) << c.Text();
}

TEST_F(Diagnosis, ClearingErrorsShowsOkUntilTheEcuReportsThemAgain) {
  SetWords(0x7FD, 0x030);
  ecu_.SetDiagnosisFault(4);  // still failing
  TFormDiagnosi form(nullptr);
  form.Timer1->stop();
  form.FormActivate();
  EXPECT_EQ(State(form, 4), "ERRORE");
  EXPECT_EQ(State(form, 5), "ERRORE");
  ecu_.ClearCalls();
  form.ButtonAzzeraErroriClick();
  EXPECT_TRUE(prompts_.Shown().empty());  // no question
  EXPECT_EQ(WordWrites(),
            (std::vector<std::string>{"WriteElement(0x239, 0, 0) -> 1", "WriteElement(0x239, 1, 0) -> 1"}));
  for (int bit : TDiagnosiCore::ListedBits(1)) EXPECT_EQ(State(form, bit), "OK") << bit;
  clock_.Advance(5000);
  form.Timer1Timer();
  EXPECT_EQ(State(form, 4), "ERRORE");
  EXPECT_EQ(State(form, 5), "OK");
}

TEST_F(Diagnosis, UncheckingACheckDisablesItAndClearsItsError) {
  SetWords(0x0FD, 0x030);
  TFormDiagnosi form(nullptr);
  form.Timer1->stop();
  form.FormActivate();
  ecu_.Store(0x239, 0, 0x0B0);  // the ECU found bit 7 meanwhile
  ecu_.ClearCalls();
  form.ListDiagnosi->item(form.RowOfBit(4), 0)->setCheckState(Qt::Unchecked);
  // The enable word as the window holds it, the error word as just read, bit 4 cleared in both.
  EXPECT_EQ(WordWrites(), (std::vector<std::string>{"WriteElement(0x23A, 0, 237) -> 1",
                                                    "WriteElement(0x239, 0, 160) -> 1"}));
  EXPECT_EQ(ecu_.Stored(0x23A, 0), 0x0ED);
  EXPECT_EQ(form.Core().EnableMask(), 0x0ED);
  EXPECT_EQ(State(form, 4), "OK");
  EXPECT_EQ(State(form, 5), "ERRORE");
  EXPECT_EQ(State(form, 7), "ERRORE");
  // Enter toggles the selected item back on; with nothing selected it does nothing.
  form.ListDiagnosi->clearSelection();
  ecu_.ClearCalls();
  QTest::keyClick(form.ListDiagnosi, Qt::Key_Return);
  EXPECT_TRUE(WordWrites().empty());
  form.ListDiagnosi->selectRow(form.RowOfBit(4));
  QTest::keyClick(form.ListDiagnosi, Qt::Key_Return);
  EXPECT_TRUE(Checked(form, 4));
  EXPECT_EQ(ecu_.Stored(0x23A, 0), 0x0FD);
  EXPECT_EQ(WordWrites().size(), 2u);
}

TEST_F(Diagnosis, RefusedWritesLeaveWhatTheEcuHolds) {
  SetWords(0x0FD, 0x010);
  TFormDiagnosi form(nullptr);
  form.Timer1->stop();
  form.FormActivate();
  ecu_.SetWriteRefused(0x23A);
  form.ListDiagnosi->item(form.RowOfBit(3), 0)->setCheckState(Qt::Unchecked);
  EXPECT_TRUE(Checked(form, 3));  // shown again as the data set holds it
  EXPECT_EQ(form.Core().EnableMask(), 0x0FD);
  EXPECT_EQ(data_.Abilitazione[0], 0x0FD);
  ecu_.SetWriteRefused(0x239);
  form.ButtonAzzeraErroriClick();
  EXPECT_EQ(State(form, 4), "ERRORE");  // the error word was not cleared
  EXPECT_EQ(data_.Stato[0], 0x010);
  ecu_.Store(0x23B, 0, 3);  // 60 minutes on gas
  ecu_.SetWriteRefused(0x23B);
  form.ButtonAzzeraTempiClick();
  EXPECT_EQ(form.LabelTGas->text(), "1 : 00");
  EXPECT_EQ(form.LabelTBenz->text(), "0 : 00");
  EXPECT_EQ(prompts_.Shown().size(), 1u);  // the question only: refusals are not reported
}

TEST_F(Diagnosis, RunningTimesAndTheirReset) {
  ecu_.Store(0x23B, 0, 6);   // 120 minutes on gas
  ecu_.Store(0x23C, 0, 30);  // 600 minutes on petrol
  TFormDiagnosi form(nullptr);
  form.Timer1->stop();
  form.FormActivate();
  EXPECT_EQ(form.LabelTGas->text(), "2 : 00");
  EXPECT_EQ(form.LabelTBenz->text(), "10 : 00");
  ecu_.ClearCalls();
  prompts_.Answer(PromptNo);
  form.ButtonAzzeraTempiClick();
  ASSERT_EQ(prompts_.Shown().size(), 1u);
  const PromptRequest& asked = prompts_.Shown()[0];
  EXPECT_EQ(asked.text, "Sei sicuro di effettuare l'operazione richiesta?");
  EXPECT_EQ(asked.caption, form.windowTitle());
  EXPECT_EQ(asked.icon, PromptIcon::Warning);
  EXPECT_EQ(asked.buttons, PromptYesNo);
  EXPECT_EQ(Writes(), 0);
  EXPECT_EQ(form.LabelTGas->text(), "2 : 00");
  prompts_.Answer(PromptYes);
  form.ButtonAzzeraTempiClick();
  EXPECT_EQ(CountCalls(SimOp::WriteVariable, 0x23B), 1);
  EXPECT_EQ(CountCalls(SimOp::WriteVariable, 0x23C), 1);
  EXPECT_EQ(ecu_.Stored(0x23B, 0), 0);
  EXPECT_EQ(ecu_.Stored(0x23C, 0), 0);
  EXPECT_EQ(form.LabelTGas->text(), "0 : 00");
  EXPECT_EQ(form.LabelTBenz->text(), "0 : 00");
}

TEST_F(Diagnosis, OpensOnTheHeldWordsWithoutALink) {
  SetWords(0x0FD, 0x008);
  link_.Disconnect();
  data_.Stato[0] = 0x004;  // what the data set last read
  TFormDiagnosi form(nullptr);
  form.Timer1->stop();
  form.FormActivate();
  EXPECT_EQ(State(form, 2), "ERRORE");
  EXPECT_EQ(State(form, 3), "OK");
}

TEST_F(Diagnosis, Screenshot) {
  data_.Flag1 &= ~0x04;  // two probes
  SetWords(0x7FD, 0x210);
  ecu_.Store(0x23B, 0, 7);
  ecu_.Store(0x23C, 0, 4);
  TFormDiagnosi form(nullptr);
  form.Timer1->stop();
  form.show();
  EXPECT_FALSE(form.ListDiagnosi->isHidden());
  const QPixmap shot = form.grab();
  const QString dir = QDir::current().filePath(QStringLiteral("test-results/screenshots"));
  QDir().mkpath(dir);
  EXPECT_TRUE(shot.save(dir + QStringLiteral("/diagnosi.png"), "PNG"));
}
