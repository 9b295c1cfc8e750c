#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "Cilindrata.h"
#include "KeyComboBox.h"
#include "NumericEdit.h"
#include "SimEcuFixture.h"
#include "WhenModal.h"

TEST(FormCilindrata, OkIsRefusedBelow500WhileTheDisplacementIsShown) {
  ScriptedPrompts prompts;
  ScopedPrompts use(&prompts);
  const struct {
    bool fuelOnly;
    int cc;
    bool ok;  // OK (else Annulla)
    int result;
    bool refused;
  } cases[] = {
      {false, 499, true, 0, true},
      {false, 500, true, TModalDialog::mrOk, false},
      {false, 0, false, TModalDialog::mrCancel, false},
      {true, 0, true, TModalDialog::mrOk, false},  // the field is hidden: any value goes
  };
  for (const auto& c : cases) {
    prompts.Clear();
    TFormCilindrata dialog(nullptr, c.fuelOnly);
    dialog.show();
    dialog.EditCilindrata->SetInt(c.cc);
    (c.ok ? dialog.ButtonOk : dialog.ButtonAnnulla)->click();
    EXPECT_EQ(dialog.result(), c.result) << c.cc;
    EXPECT_EQ(dialog.isVisible(), c.refused) << c.cc;
    ASSERT_EQ(prompts.Shown().size(), c.refused ? 1u : 0u) << c.cc;
    if (c.refused) {
      EXPECT_EQ(prompts.Shown()[0].text, "Immettere un valore corretto per la cilindrata");
      EXPECT_EQ(prompts.Shown()[0].caption, "Inizializzazione taratura");
      EXPECT_EQ(prompts.Shown()[0].icon, PromptIcon::Stop);
    }
  }
}

TEST(FormCilindrata, FullAndFuelOnlyForms) {
  TFormCilindrata full(nullptr, false);
  EXPECT_EQ(full.windowTitle(), "Inizializzazione taratura");
  EXPECT_EQ(full.LabelResetCarburazione->text(),
            "il proseguimento della procedura potrà cancellare i parametri attuali della "
            "carburazione");
  ASSERT_EQ(full.ComboCarburante->count(), 2);
  EXPECT_EQ(full.ComboCarburante->itemText(0), "GPL");
  EXPECT_EQ(full.ComboCarburante->itemText(1), "Metano");
  EXPECT_EQ(full.EditCilindrata->NextControl(), full.ComboCarburante);
  EXPECT_EQ(full.EditCilindrata->MaxValue(), 5000);
  EXPECT_FALSE(full.EditCilindrata->isHidden());
  EXPECT_FALSE(full.CheckTurbo->isHidden());

  TFormCilindrata fuel(nullptr, true);
  EXPECT_EQ(fuel.windowTitle(), "Selezionare il tipo di carburante");
  EXPECT_EQ(fuel.LabelResetCarburazione->text(),
            "La variazione del carburante potrà modificare alcuni parametri della carburazione");
  EXPECT_TRUE(fuel.LabelCilindrata->isHidden());
  EXPECT_TRUE(fuel.EditCilindrata->isHidden());
  EXPECT_TRUE(fuel.CheckTurbo->isHidden());
  fuel.show();
  QApplication::setActiveWindow(&fuel);
  EXPECT_EQ(QApplication::focusWidget(), fuel.ButtonOk);
  // The attention line stands above the fuel label and the buttons below the list.
  EXPECT_LT(fuel.LabelAttenzione->y(), fuel.LabelCarburante->y());
  EXPECT_GT(fuel.ButtonOk->y(), fuel.ComboCarburante->y());
}

// Return presses the button that has the focus; Enter in the displacement only confirms the
// field and moves on.
TEST(FormCilindrata, ReturnPressesTheFocusedButton) {
  ScriptedPrompts prompts;
  ScopedPrompts use(&prompts);
  enum Focus { AsShown, Ok, Annulla };
  const struct {
    bool fuelOnly;
    Focus focus;
    int result;  // 0: still open
  } cases[] = {
      {true, AsShown, TModalDialog::mrOk},  // the fuel question opens on OK
      {true, Annulla, TModalDialog::mrCancel},
      {false, AsShown, 0},  // the displacement field
      {false, Ok, TModalDialog::mrOk},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.fuelOnly << " " << c.focus);
    TFormCilindrata dialog(nullptr, c.fuelOnly);
    dialog.EditCilindrata->SetInt(1600);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    if (c.focus != AsShown) (c.focus == Ok ? dialog.ButtonOk : dialog.ButtonAnnulla)->setFocus();
    QWidget* focused = dialog.focusWidget();
    ASSERT_NE(focused, nullptr);
    QTest::keyClick(focused, Qt::Key_Return);
    EXPECT_EQ(dialog.result(), c.result);
    EXPECT_EQ(dialog.isVisible(), c.result == 0);
  }
  EXPECT_TRUE(prompts.Shown().empty());
}
