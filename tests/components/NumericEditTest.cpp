// The numeric entry field as the user drives it: typing, Enter, Esc, leaving, and the focus chain.
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QPushButton>
#include <QSignalSpy>

#include "ComponentsTestWindow.h"
#include "NumericEdit.h"
#include "QtPrint.h"

namespace {

// Counts the arrow keys that reach the window: a key the field consumes never gets there.
class KeyCounter : public QObject {
 public:
  int arrows = 0;

 protected:
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::KeyPress) {
      const int k = static_cast<QKeyEvent*>(e)->key();
      if (k == Qt::Key_Up || k == Qt::Key_Down) ++arrows;
    }
    return false;
  }
};

class NumericEditWidget : public ComponentsWindowTest {
 protected:
  void SetUp() override {
    ComponentsWindowTest::SetUp();
    a = new TNumericEdit(window.get());
    b = new TNumericEdit(window.get());
    c = new TNumericEdit(window.get());
    button = new QPushButton("Ok", window.get());
    a->move(0, 0);
    b->move(0, 40);
    c->move(0, 80);
    button->move(0, 120);
    ShowWindow();
    button->setFocus(Qt::TabFocusReason);  // each test enters its fields itself
  }

  TNumericEdit* a = nullptr;
  TNumericEdit* b = nullptr;
  TNumericEdit* c = nullptr;
  QPushButton* button = nullptr;
};

TEST_F(NumericEditWidget, StartsAtZeroWithNoBinding) {
  EXPECT_EQ(a->text(), "0");
  EXPECT_EQ(a->DataCode(), -1);
  EXPECT_EQ(a->DataIndex(), -1);
  EXPECT_TRUE(a->Validation());
  EXPECT_FALSE(a->DisableLimit());
  EXPECT_EQ(a->NextControl(), nullptr);
}

TEST_F(NumericEditWidget, TypingPassesOnlyWhatMakesANumber) {
  a->SetMaxValue(100);
  a->SetPrecision(0.5);
  for (const QLocale& locale : {QLocale::c(), QLocale(QLocale::Italian, QLocale::Italy)}) {
    QLocale::setDefault(locale);
    SCOPED_TRACE(locale.name().toStdString());
    const QString dec = locale.decimalPoint();
    a->SetDouble(0);
    a->setFocus(Qt::TabFocusReason);  // entering selects the text: typing replaces it
    Type("-1a2" + locale.groupSeparator() + "5" + dec + "x");  // minus refused (0..100)
    EXPECT_EQ(a->text(), "12" + dec + "5");  // the thousands key typed the decimal separator
    Press(Qt::Key_Backspace);
    EXPECT_EQ(a->text(), "12" + dec);
    button->setFocus(Qt::TabFocusReason);
  }
}

TEST_F(NumericEditWidget, InputMethodTextGoesThroughTheFilter) {
  a->SetPrecision(1);
  a->setFocus(Qt::TabFocusReason);
  QInputMethodEvent composed;
  composed.setCommitString("1a,2.-3");
  QApplication::sendEvent(a, &composed);
  EXPECT_EQ(a->text(), "123");
}

TEST_F(NumericEditWidget, EnterConfirmsTellsTheFormAndMovesOn) {
  a->SetMaxValue(255);
  a->SetNextControl(b);
  QString seen;
  QObject::connect(a, &TNumericEdit::enterPressed, [&] { seen = a->text(); });
  QSignalSpy enters(a, &TNumericEdit::enterPressed);
  QSignalSpy edits(a, &QLineEdit::textEdited);
  a->setFocus(Qt::TabFocusReason);
  Type("300");
  EXPECT_EQ(edits.count(), 3);
  Press(Qt::Key_Return);
  EXPECT_EQ(enters.count(), 1);
  EXPECT_EQ(seen, "255");  // the form sees the confirmed text
  EXPECT_EQ(a->text(), "255");
  EXPECT_EQ(a->AcceptedValue(), 255);
  EXPECT_TRUE(b->hasFocus());
  a->SetDouble(12);  // set by the program: not an edit of the user's
  EXPECT_EQ(edits.count(), 3);
}

TEST_F(NumericEditWidget, EnterWithNowhereToGoSelectsTheText) {
  a->setFocus(Qt::TabFocusReason);
  Type("42");
  Press(Qt::Key_Enter);  // the keypad key works as Return
  EXPECT_TRUE(a->hasFocus());
  EXPECT_EQ(a->selectedText(), "42");
}

TEST_F(NumericEditWidget, ReturnNeverFiresTheDialogsDefaultButton) {
  QDialog dialog;
  auto* field = new TNumericEdit(&dialog);
  ShowWithDefaultButton(dialog, field);
  QSignalSpy accepted(&dialog, &QDialog::accepted);
  Press(Qt::Key_Return);
  Press(Qt::Key_Enter);
  EXPECT_EQ(accepted.count(), 0);
  EXPECT_TRUE(dialog.isVisible());
  QSignalSpy rejected(&dialog, &QDialog::rejected);
  Press(Qt::Key_Escape);  // Esc restores and goes on to the dialog
  EXPECT_EQ(rejected.count(), 1);
}

TEST_F(NumericEditWidget, EscRestoresTheValueConfirmedLast) {
  a->SetMaxValue(100);
  a->SetDouble(7);
  a->setFocus(Qt::TabFocusReason);
  Type("99");
  Press(Qt::Key_Escape);
  EXPECT_EQ(a->text(), "7");
  EXPECT_EQ(a->selectedText(), "7");
  Type("20");
  Press(Qt::Key_Return);
  Type("5");
  Press(Qt::Key_Escape);
  EXPECT_EQ(a->text(), "20");
}

TEST_F(NumericEditWidget, LeavingDiscardsOrConfirmsByValidation) {
  a->SetMaxValue(100);
  a->SetPrecision(1);
  a->SetDouble(7);
  b->SetMaxValue(100);
  b->SetPrecision(1);
  b->SetValidation(false);
  b->SetDouble(7);

  a->setFocus(Qt::TabFocusReason);
  Type("55");
  // Switching to another window, or a context menu, is no leaving.
  QFocusEvent away(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
  QApplication::sendEvent(a, &away);
  EXPECT_EQ(a->text(), "55");
  QSignalSpy exits(a, &TNumericEdit::exited);
  button->setFocus(Qt::TabFocusReason);
  EXPECT_EQ(a->text(), "7");  // unconfirmed entry discarded
  EXPECT_EQ(exits.count(), 1);

  b->setFocus(Qt::TabFocusReason);
  Type("355");
  button->setFocus(Qt::TabFocusReason);
  EXPECT_EQ(b->text(), "100");  // kept, limited
  EXPECT_EQ(b->AcceptedValue(), 100);
}

TEST_F(NumericEditWidget, EnteringNormalisesTheText) {
  a->SetMaxValue(10);
  a->setText("25");  // text put in by the program, beyond the limit
  QSignalSpy enters(a, &TNumericEdit::entered);
  a->setFocus(Qt::TabFocusReason);
  EXPECT_EQ(a->text(), "10");
  EXPECT_EQ(enters.count(), 1);
  Type("3");
  Press(Qt::Key_Escape);
  EXPECT_EQ(a->text(), "10");
}

TEST_F(NumericEditWidget, ChainPassesFieldsThatCannotTakeTheFocus) {
  a->SetNextControl(b);
  b->SetNextControl(c);
  c->SetPrevControl(b);
  b->SetPrevControl(a);

  b->setEnabled(false);
  a->setFocus(Qt::TabFocusReason);
  Press(Qt::Key_Return);
  EXPECT_TRUE(c->hasFocus());
  Press(Qt::Key_Up);
  EXPECT_TRUE(a->hasFocus());

  b->setEnabled(true);
  b->hide();
  Press(Qt::Key_Down);
  EXPECT_TRUE(c->hasFocus());

  b->show();
  QWidget box(window.get());  // a hidden parent hides the field too
  b->setParent(&box);
  box.hide();
  a->setFocus(Qt::TabFocusReason);
  Press(Qt::Key_Down);
  EXPECT_TRUE(c->hasFocus());
  b->setParent(window.get());
}

TEST_F(NumericEditWidget, ChainEndsAtOtherControlsThatCannotTakeTheFocus) {
  a->SetNextControl(button);
  button->setEnabled(false);
  a->setFocus(Qt::TabFocusReason);
  Type("5");
  Press(Qt::Key_Return);
  EXPECT_TRUE(a->hasFocus());
  EXPECT_EQ(a->selectedText(), "5");
  EXPECT_EQ(a->GetNextControl(), nullptr);
}

TEST_F(NumericEditWidget, ChainClosedOnItselfEnds) {
  a->SetNextControl(b);
  b->SetNextControl(c);
  c->SetNextControl(b);
  b->setEnabled(false);
  c->setEnabled(false);
  EXPECT_EQ(a->GetNextControl(), nullptr);
  a->setFocus(Qt::TabFocusReason);
  Press(Qt::Key_Down);
  EXPECT_TRUE(a->hasFocus());
}

TEST_F(NumericEditWidget, DestroyedNeighbourBecomesNoLink) {
  auto* gone = new TNumericEdit(window.get());
  gone->show();
  a->SetNextControl(gone);
  a->SetPrevControl(gone);
  delete gone;
  EXPECT_EQ(a->NextControl(), nullptr);
  EXPECT_EQ(a->PrevControl(), nullptr);
  a->setFocus(Qt::TabFocusReason);
  Type("8");
  Press(Qt::Key_Return);
  EXPECT_TRUE(a->hasFocus());
  EXPECT_EQ(a->selectedText(), "8");
}

TEST_F(NumericEditWidget, ArrowsWithNoLinkAreConsumed) {
  KeyCounter counter;
  window->installEventFilter(&counter);
  a->setFocus(Qt::TabFocusReason);
  Press(Qt::Key_Up);
  Press(Qt::Key_Down);
  EXPECT_TRUE(a->hasFocus());
  EXPECT_EQ(counter.arrows, 0);
}

TEST_F(NumericEditWidget, MaxLengthLimitsTypingOnly) {
  a->SetMaxLength(4);
  a->setFocus(Qt::TabFocusReason);
  Type("12345");
  EXPECT_EQ(a->text(), "1234");
  a->SetDouble(12345.5);
  EXPECT_EQ(a->text(), "12345.5");
}

// A character typed with Alt, AltGr (Ctrl+Alt on Windows) or Meta is still a typed character:
// it goes through the key filter. Ctrl alone makes a shortcut (copy, paste...).
TEST_F(NumericEditWidget, CharactersTypedWithModifiersGoThroughTheFilter) {
  struct Case {
    Qt::KeyboardModifiers mods;
    Qt::Key key;
    const char* text;
    const char* after;
  };
  const Case cases[] = {
      {Qt::AltModifier, Qt::Key_A, "a", "12"},
      {Qt::ControlModifier | Qt::AltModifier, Qt::Key_At, "@", "12"},
      {Qt::MetaModifier, Qt::Key_X, "x", "12"},
      {Qt::GroupSwitchModifier, Qt::Key_BracketLeft, "[", "12"},
      {Qt::AltModifier, Qt::Key_Period, ".", "12"},  // Precision 1: no separator
      {Qt::ControlModifier | Qt::AltModifier, Qt::Key_3, "3", "123"},
  };
  a->SetPrecision(1);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    a->SetInt(12);
    a->setFocus(Qt::TabFocusReason);
    a->deselect();
    a->end(false);
    QKeyEvent press(QEvent::KeyPress, c.key, c.mods, QString::fromLatin1(c.text));
    QApplication::sendEvent(a, &press);
    EXPECT_EQ(a->text(), c.after);
    button->setFocus(Qt::TabFocusReason);
  }
}

}  // namespace
