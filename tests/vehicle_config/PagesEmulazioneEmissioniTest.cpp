// The emulation and emissions pages against the simulated ECU: the emulation kinds with their
// wave values and fields; in-place editing of the emission tables with Esc, invalid text and the
// limits; a block set through the cell dialog; the walk between the tables; the live marks.
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "EmissionGrid.h"
#include "Modmappa.h"
#include "PageEmissioni.h"
#include "PageEmulazione.h"
#include "PageFixture.h"

namespace {
using PagesEmulazioneEmissioni = PageFixture;

// Types into the cell editor of a grid and ends with `key`.
void EditCell(TEmissionGrid* grid, int col, int row, const QString& text, Qt::Key key = Qt::Key_Return) {
  grid->setFocus();
  grid->SetCurrent(col, row);
  QTest::keyClick(grid, Qt::Key_Return);
  ASSERT_TRUE(grid->IsEditing());
  grid->Editor()->selectAll();
  QTest::keyClicks(grid->Editor(), text);
  QTest::keyClick(grid->Editor(), key);
}
}  // namespace

TEST_F(PagesEmulazioneEmissioni, EmulationKindsSetTheirWavesAndFields) {
  auto* p = Show<TPageEmulazione>(TabEmulazione);
  ASSERT_EQ(p->ComboEmulazione->count(), 5);  // with the petrol map: "Feedback benzina"
  EXPECT_EQ(p->ComboEmulazione->itemText(4), "Feedback benzina");
  const struct {
    int kind;
    int32_t waves, high, low, disconnected;  // raw, 0.02 s steps
    bool times, waveCount;
  } cases[] = {
      {3, 1, 18, 18, 0, true, true},     // built square wave: 1 wave, 0.36 s, 0.36 s, 0 s
      {4, 255, 30, 20, 0, true, false},  // petrol feedback: 255 waves, 0.6 s, 0.4 s
      {0, 1, 0, 0, 50, false, false},    // presets of the data set
      {2, 1, 18, 18, 0, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.kind);
    Choose(p->ComboEmulazione, c.kind);
    EXPECT_EQ(ecu_.Stored(0x23), c.waves);
    EXPECT_EQ(ecu_.Stored(0x20), c.high);
    EXPECT_EQ(ecu_.Stored(0x21), c.low);
    EXPECT_EQ(ecu_.Stored(0x222), c.disconnected);
    EXPECT_EQ(p->ComboEmulazione->currentIndex(), c.kind);
    for (QWidget* w : {static_cast<QWidget*>(p->EditTempoAlto), static_cast<QWidget*>(p->LabelS6),
                       static_cast<QWidget*>(p->EditTempoTri), static_cast<QWidget*>(p->LabelTempoBasso)})
      EXPECT_EQ(w->isVisible(), c.times) << w->objectName().toStdString();
    EXPECT_EQ(p->EditOnde->isVisible(), c.waveCount);
    EXPECT_EQ(p->LabelOnde->isVisible(), c.waveCount);
    EXPECT_TRUE(p->EditLivEmulAlto->isVisible());
  }
  // The wave fields show what was written.
  Choose(p->ComboEmulazione, 3);
  EXPECT_EQ(p->EditOnde->text(), "1");
  EXPECT_DOUBLE_EQ(p->EditTempoAlto->GetDouble(), 0.36);

  // Without the petrol map there is no petrol feedback.
  data_.HasMappaBenzina = false;
  ReshowForm();
  EXPECT_EQ(p->ComboEmulazione->count(), 4);
}

TEST_F(PagesEmulazioneEmissioni, CellsAreEditedInPlaceThroughTheEcu) {
  auto* p = Show<TPageEmissioni>(TabEmissioni);
  TEmissionGrid* steps = p->GridPassi;
  EXPECT_EQ(steps->CellText(1, 0), "500");  // the rpm breakpoints
  EXPECT_EQ(steps->CellText(13, 0), "Max P");
  EXPECT_EQ(steps->CellText(3, 1), "2");
  EXPECT_EQ(steps->CellText(13, 2), "0");
  EXPECT_EQ(p->GridTempi->CellText(1, 0), "120");  // 24 x 5 ms

  // Not a number: the value held stays and nothing goes to the ECU.
  EditCell(steps, 3, 1, "abc");
  EXPECT_FALSE(steps->IsEditing());
  EXPECT_EQ(steps->CellText(3, 1), "2");
  EXPECT_EQ(AllWrites(), 0);
  // A number: written as element 2 of the enrich steps and shown as read back.
  EditCell(steps, 3, 1, "40");
  EXPECT_EQ(ecu_.Stored(0x1D, 2), 40);
  EXPECT_EQ(steps->CellText(3, 1), "40");
  // Esc puts the value back, writes nothing and does not close the form.
  ecu_.ClearCalls();
  EditCell(steps, 3, 1, "99", Qt::Key_Escape);
  EXPECT_FALSE(steps->IsEditing());
  EXPECT_EQ(steps->CellText(3, 1), "40");
  EXPECT_EQ(AllWrites(), 0);
  EXPECT_TRUE(form_->isVisible());
  QTest::keyClick(steps, Qt::Key_Escape);
  EXPECT_TRUE(form_->isVisible());
  // Out of range for the steps: refused by the data set, the cell shows the value held.
  EditCell(steps, 3, 2, "300");
  EXPECT_EQ(steps->CellText(3, 2), "2");
  // A refused write shows the value held.
  ecu_.SetWriteRefused(0x1D);
  EditCell(steps, 4, 1, "7");
  EXPECT_EQ(steps->CellText(4, 1), "2");

  // Limits: a time limit is capped at what its one-byte variable holds (255 x 5 ms), so the
  // ECU holds what the cell shows; the steps limit at 255; the "0" under the steps limit
  // cannot be edited.
  EditCell(p->GridTempi, 13, 0, "6000");
  EXPECT_EQ(LastWrite(0x46), 255);
  EXPECT_EQ(ecu_.Stored(0x46), 255);
  EXPECT_EQ(p->GridTempi->CellText(13, 0), "1275");
  EditCell(p->GridTempi, 13, 1, "-5");
  EXPECT_EQ(ecu_.Stored(0x45), 0);
  EditCell(steps, 13, 1, "300");
  EXPECT_EQ(ecu_.Stored(0x2E), 255);
  EXPECT_EQ(steps->CellText(13, 1), "255");
  steps->SetCurrent(13, 2);
  QTest::keyClick(steps, Qt::Key_Return);
  EXPECT_FALSE(steps->IsEditing());
  // Stepper times go in steps of 5 ms.
  EditCell(p->GridTempi, 2, 1, "62");
  EXPECT_EQ(ecu_.Stored(0x1F, 1), 12);
  EXPECT_EQ(p->GridTempi->CellText(2, 1), "60");
  // Open-loop rows take 0..7.
  EditCell(p->GridOpenLoop, 5, 2, "6");
  EXPECT_EQ(ecu_.Stored(0x1C, 4), 6 << 3);
  EXPECT_EQ(p->GridOpenLoop->CellText(5, 2), "6");
}

TEST_F(PagesEmulazioneEmissioni, ABlockTakesOneValueThroughTheCellDialog) {
  auto* p = Show<TPageEmissioni>(TabEmissioni);
  TEmissionGrid* steps = p->GridPassi;
  steps->setFocus();
  steps->SetSelection({1, 3, 2, 5});  // rows 1..2, columns 3..5
  TFormModMappa* dialog = form_->FormModMappa();
  bool modeChoice = true;
  WhileModal([&] {
    modeChoice = dialog->GroupModalita->isEnabled();
    dialog->Edit1->setText("20");
    dialog->ButtonOK->click();
  });
  QTest::keyClick(steps, Qt::Key_Return);
  EXPECT_FALSE(modeChoice);  // absolute values only
  EXPECT_TRUE(dialog->GroupModalita->isEnabled());
  EXPECT_EQ(CountCalls(SimOp::WriteElement, 0x1D) + CountCalls(SimOp::WriteElement, 0x19), 6);
  for (int c = 3; c <= 5; ++c)
    for (int r = 1; r <= 2; ++r) {
      EXPECT_EQ(steps->CellText(c, r), "20");
      EXPECT_EQ(ecu_.Stored(r == 1 ? 0x1D : 0x19, c - 1), 20);
    }
  EXPECT_TRUE(form_->IsLiveTimerActive());  // the tick runs again after the dialog
  form_->StopLiveTimer();

  // Cancel changes nothing.
  ecu_.ClearCalls();
  WhileModal([&] { dialog->ButtonAnnulla->click(); });
  QTest::keyClick(steps, Qt::Key_Return);
  EXPECT_EQ(AllWrites(), 0);
}

TEST_F(PagesEmulazioneEmissioni, DownAndUpWalkThroughTheTables) {
  auto* p = Show<TPageEmissioni>(TabEmissioni);
  ASSERT_TRUE(p->GridOpenLoop->isVisible());
  const struct {
    TEmissionGrid* from;
    int col, row;
    Qt::Key key;
    TEmissionGrid* to;
    int toCol, toRow;
  } cases[] = {
      {p->GridPassi, 4, 2, Qt::Key_Down, p->GridTempi, 4, 0},
      {p->GridTempi, 13, 1, Qt::Key_Down, p->GridOpenLoop, 12, 1},  // clamped to the last column
      {p->GridOpenLoop, 2, 2, Qt::Key_Down, p->GridPassi, 2, 1},
      {p->GridPassi, 6, 1, Qt::Key_Up, p->GridOpenLoop, 6, 2},
      {p->GridTempi, 6, 0, Qt::Key_Up, p->GridPassi, 6, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.from->objectName().toStdString() + " " + std::to_string(c.key));
    c.from->setFocus();
    c.from->SetCurrent(c.col, c.row);
    QTest::keyClick(c.from, c.key);
    EXPECT_EQ(QApplication::focusWidget(), c.to);
    EXPECT_EQ(c.to->Col(), c.toCol);
    EXPECT_EQ(c.to->Row(), c.toRow);
  }
  // A hidden open-loop table is skipped.
  p->GridOpenLoop->hide();
  p->GridTempi->setFocus();
  p->GridTempi->SetCurrent(5, 1);
  QTest::keyClick(p->GridTempi, Qt::Key_Down);
  EXPECT_EQ(QApplication::focusWidget(), p->GridPassi);
  EXPECT_EQ(p->GridPassi->Row(), 1);
}

TEST_F(PagesEmulazioneEmissioni, TheStepsTableMarksTheBreakpointOfTheEngineSpeed) {
  auto* p = Show<TPageEmissioni>(TabEmissioni);
  ecu_.StartEngine(60.0);
  ecu_.HoldRpm(2000);
  Tick(40);
  EXPECT_EQ(p->GridPassi->NearestBreakpoint(), 3);  // 2000 rpm
}

TEST_F(PagesEmulazioneEmissioni, TheGridsAreBoldButOnASmallScreen) {
  auto* p = Show<TPageEmissioni>(TabEmissioni);
  ASSERT_NE(form_->ScreenWidth(), 640);
  for (const QWidget* g : {static_cast<QWidget*>(p->GridPassi), static_cast<QWidget*>(p->GridTempi),
                           static_cast<QWidget*>(p->GridOpenLoop)})
    EXPECT_TRUE(g->font().bold());
  p->ApplyScreenWidth(640);
  for (const QWidget* g : {static_cast<QWidget*>(p->GridPassi), static_cast<QWidget*>(p->GridTempi),
                           static_cast<QWidget*>(p->GridOpenLoop)})
    EXPECT_FALSE(g->font().bold());
}
