#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "Modmappa.h"
#include "ScopedLocale.h"
#include "Tracce.h"

namespace {

// Runs `act` once the modal dialog is up.
void WhileModal(std::function<void()> act) { QTimer::singleShot(0, std::move(act)); }

}  // namespace

TEST(FormModMappa, KeyFilter) {
  ScopedLocale italian(QLocale(QLocale::Italian, QLocale::Italy));
  TFormModMappa dlg(nullptr);
  struct Case {
    bool isFloat;
    const char* text;
    int selStart, selLength;  // selLength 0: caret at selStart
    char key;
    const char* expect;
  };
  const Case cases[] = {
      {false, "-12", 0, 0, '-', "-12"},  // a second minus at the start: dropped
      {false, "-12", 0, 3, '-', "-"},    // the whole text selected: accepted
      {false, "12", 1, 0, '-', "12"},    // not at the start
      {false, "12", 0, 0, '-', "-12"},     {true, "1,5", 3, 0, ',', "1,5"},  // a second separator: dropped
      {true, "1,5", 1, 1, ',', "1,5"},  // the selection holds the first: replaced
      {true, "15", 1, 0, ',', "1,5"},      {true, "15", 1, 0, '.', "15"},  // not this locale's separator
      {false, "15", 1, 0, ',', "15"},                                      // integers take no separator
      {false, "1234", 4, 0, '5', "12345"}, {false, "12345", 5, 0, '6', "12345"},  // five characters at most
      {false, "12345", 0, 5, '6', "6"},    {false, "12", 2, 0, 'a', "12"},
      {false, "12", 2, 0, '+', "12"},
  };
  for (const Case& c : cases) {
    // Fill through the dialog's own entry point, then type.
    int v = 0;
    uint8_t m = 0;
    WhileModal([&] {
      dlg.Edit1->setText(c.text);
      if (c.selLength > 0)
        dlg.Edit1->setSelection(c.selStart, c.selLength);
      else
        dlg.Edit1->setCursorPosition(c.selStart);
      QTest::keyClick(dlg.Edit1, c.key);
      EXPECT_EQ(dlg.Edit1->text().toStdString(), c.expect) << c.text << " + " << c.key;
      dlg.ButtonAnnulla->click();
    });
    double d = 0;
    if (c.isFloat)
      dlg.EditFloatCell(&d, &m);
    else
      dlg.EditIntCell(&v, &m);
  }
  // Backspace always works; a text set from code is not cut to five characters.
  double third = 1.0 / 3.0;
  uint8_t mode = 0;
  WhileModal([&] {
    EXPECT_EQ(dlg.Edit1->text(), "0,333333333333333");
    EXPECT_TRUE(dlg.Edit1->hasSelectedText());
    dlg.Edit1->setCursorPosition(dlg.Edit1->text().size());
    QTest::keyClick(dlg.Edit1, Qt::Key_Backspace);
    EXPECT_EQ(dlg.Edit1->text(), "0,33333333333333");
    dlg.ButtonOK->click();
  });
  EXPECT_EQ(dlg.EditFloatCell(&third, &mode), TFormModMappa::mrOk);
  EXPECT_DOUBLE_EQ(third, 0.33333333333333);
}

TEST(FormModMappa, ResultsAndModes) {
  TFormModMappa dlg(nullptr);
  // Start value and mode are shown; OK returns 1 with what the dialog holds.
  double v = 2.5;
  uint8_t mode = 1;
  WhileModal([&] {
    EXPECT_EQ(dlg.Edit1->text(), "2.5");
    EXPECT_TRUE(dlg.ModeItems[1]->isChecked());
    QTest::keyClicks(dlg.Edit1, "10");
    dlg.ModeItems[2]->setChecked(true);
    QTest::keyClick(dlg.Edit1, Qt::Key_Return);  // the default button
  });
  EXPECT_EQ(dlg.EditFloatCell(&v, &mode), TFormModMappa::mrOk);
  EXPECT_EQ(v, 10.0);
  EXPECT_EQ(mode, 2);

  // An empty text closed with OK gives 0.
  int n = 7;
  mode = 0;
  WhileModal([&] {
    QTest::keyClick(dlg.Edit1, Qt::Key_Backspace);
    dlg.ButtonOK->click();
  });
  EXPECT_EQ(dlg.EditIntCell(&n, &mode), TFormModMappa::mrOk);
  EXPECT_EQ(n, 0);
  EXPECT_EQ(mode, 0);

  // Esc is Cancel; the value and mode are still written back, the caller ignores them.
  n = -40;
  mode = 1;
  WhileModal([&] {
    EXPECT_EQ(dlg.Edit1->text(), "-40");
    QTest::keyClicks(dlg.Edit1, "5");
    QTest::keyClick(dlg.Edit1, Qt::Key_Escape);
  });
  EXPECT_EQ(dlg.EditIntCell(&n, &mode), TFormModMappa::mrCancel);
  EXPECT_EQ(n, 5);

  // The mode choice can be taken away.
  dlg.SetModeChoiceEnabled(false);
  EXPECT_FALSE(dlg.GroupModalita->isEnabled());
  dlg.SetModeChoiceEnabled(true);
  EXPECT_TRUE(dlg.GroupModalita->isEnabled());
}

TEST(FormGestioneTracce, ChecksAddedByTheChartAndResult) {
  TFormGestioneTracce dlg(nullptr);
  for (int i = 0; i < 3; ++i) {
    auto* c = new QCheckBox(QString("T%1").arg(i), dlg.PanelTracce);
    c->setObjectName(QString("CheckTrack%1").arg(i));
  }
  ASSERT_NE(dlg.CheckTrack(2), nullptr);
  EXPECT_EQ(dlg.CheckTrack(3), nullptr);
  WhileModal([&] { dlg.ButtonOk->click(); });
  EXPECT_EQ(dlg.ShowModal(), TFormGestioneTracce::mrOk);
  WhileModal([&] { dlg.reject(); });
  EXPECT_EQ(dlg.ShowModal(), TFormGestioneTracce::mrCancel);
}
