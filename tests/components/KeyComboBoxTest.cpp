// The option list as the user drives it: the key table with the list open and closed, picks
// with the mouse, the wheel, programmatic changes and the focus chain.
#include <QAbstractItemView>
#include <QPushButton>
#include <QSignalSpy>
#include <QWheelEvent>

#include "ComponentsTestWindow.h"
#include "KeyComboBox.h"
#include "NumericEdit.h"

namespace {

class KeyComboWidget : public ComponentsWindowTest {
 protected:
  void SetUp() override {
    ComponentsWindowTest::SetUp();
    prev = new TNumericEdit(window.get());
    combo = new TKeyComboBox(window.get());
    next = new TNumericEdit(window.get());
    button = new QPushButton("Ok", window.get());
    combo->addItems({"A", "B", "C", "D"});
    prev->move(0, 0);
    combo->move(0, 40);
    next->move(0, 80);
    button->move(0, 120);
    combo->SetPrevControl(prev);
    combo->SetNextControl(next);
    QObject::connect(combo, &TKeyComboBox::enterPressed, [this] {
      ++enters;
      openAtEnter = combo->DroppedDown();
    });
    QObject::connect(combo, &TKeyComboBox::userChanged, [this] { ++changes; });
    ShowWindow();
    button->setFocus(Qt::TabFocusReason);
  }
  void TearDown() override {
    combo->SetDroppedDown(false);
    ComponentsWindowTest::TearDown();
  }

  // Enter the list at index start, optionally open it, and count from there.
  void Start(int start, bool open) {
    combo->SetDroppedDown(false);
    button->setFocus(Qt::TabFocusReason);
    combo->setCurrentIndex(start);
    combo->setFocus(Qt::TabFocusReason);
    if (open) combo->SetDroppedDown(true);
    ASSERT_EQ(combo->DroppedDown(), open);
    enters = 0;
    changes = 0;
  }

  TNumericEdit* prev = nullptr;
  TKeyComboBox* combo = nullptr;
  TNumericEdit* next = nullptr;
  QPushButton* button = nullptr;
  int enters = 0;
  int changes = 0;
  bool openAtEnter = false;
};

TEST_F(KeyComboWidget, StartsUnbound) {
  EXPECT_EQ(combo->DataCode(), -1);
  EXPECT_EQ(combo->DataIndex(), -1);
  EXPECT_TRUE(combo->MoveFocus());
  EXPECT_FALSE(combo->isEditable());
}

TEST_F(KeyComboWidget, KeyTable) {
  enum Focus { Stays, Prev, Next };
  struct Case {
    bool open;
    Qt::Key key;
    int start;
    int index;  // afterwards
    bool openAfter;
    int enters;  // enterPressed signals
    Focus focus;
  };
  const Case cases[] = {
      // List closed.
      {false, Qt::Key_Up, 2, 2, false, 0, Prev},
      {false, Qt::Key_Down, 2, 2, false, 0, Next},
      {false, Qt::Key_Left, 2, 2, false, 0, Stays},
      {false, Qt::Key_Right, 2, 2, false, 0, Stays},
      {false, Qt::Key_PageUp, 2, 2, false, 0, Stays},
      {false, Qt::Key_PageDown, 2, 2, false, 0, Stays},
      {false, Qt::Key_Escape, 2, 2, false, 0, Stays},
      {false, Qt::Key_Home, 2, 0, false, 1, Stays},  // a change with the list closed confirms
      {false, Qt::Key_End, 1, 3, false, 1, Stays},
      {false, Qt::Key_Return, 2, 2, true, 1, Stays},  // unchanged: opens the list
      {false, Qt::Key_C, 0, 0, false, 0, Stays},      // characters reach nothing
      {false, Qt::Key_Space, 0, 0, false, 0, Stays},
      // List open.
      {true, Qt::Key_Up, 0, 3, true, 0, Stays},  // wraps
      {true, Qt::Key_Down, 3, 0, true, 0, Stays},
      {true, Qt::Key_Up, 2, 1, true, 0, Stays},
      {true, Qt::Key_Down, 1, 2, true, 0, Stays},
      {true, Qt::Key_PageDown, 0, 3, true, 0, Stays},
      {true, Qt::Key_PageUp, 3, 0, true, 0, Stays},
      {true, Qt::Key_Left, 1, 1, true, 0, Stays},
      {true, Qt::Key_Right, 1, 1, true, 0, Stays},
      {true, Qt::Key_C, 0, 0, true, 0, Stays},
      {true, Qt::Key_Escape, 1, 1, false, 0, Stays},
      {true, Qt::Key_Return, 1, 1, false, 1, Stays},
      {true, Qt::Key_Enter, 2, 2, false, 1, Stays},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(QString("%1 key %2 from %3")
                     .arg(c.open ? "open" : "closed")
                     .arg(QKeySequence(c.key).toString())
                     .arg(c.start)
                     .toStdString());
    Start(c.start, c.open);
    Press(c.key);
    EXPECT_EQ(combo->currentIndex(), c.index);
    EXPECT_EQ(combo->DroppedDown(), c.openAfter);
    EXPECT_EQ(enters, c.enters);
    QWidget* focus = c.focus == Prev   ? static_cast<QWidget*>(prev)
                     : c.focus == Next ? static_cast<QWidget*>(next)
                                       : static_cast<QWidget*>(combo);
    if (!combo->DroppedDown()) {
      EXPECT_EQ(QApplication::focusWidget(), focus);
    }
  }
}

TEST_F(KeyComboWidget, EscOnTheOpenListRestoresTheEntrySelection) {
  Start(1, true);
  Press(Qt::Key_Down);
  Press(Qt::Key_Down);
  EXPECT_EQ(combo->currentIndex(), 3);
  EXPECT_EQ(changes, 2);
  Press(Qt::Key_Escape);
  EXPECT_FALSE(combo->DroppedDown());
  EXPECT_EQ(combo->currentIndex(), 1);
  EXPECT_EQ(enters, 0);
  EXPECT_EQ(changes, 2);  // the restore is the list's own, not the user's
  EXPECT_TRUE(combo->hasFocus());
}

TEST_F(KeyComboWidget, EnterOpensThenConfirms) {
  Start(1, false);
  Press(Qt::Key_Return);  // unchanged: opens, and the form sees Enter on the open list
  EXPECT_EQ(enters, 1);
  EXPECT_TRUE(openAtEnter);
  Press(Qt::Key_Down);
  Press(Qt::Key_Return);  // confirms; the form sees Enter with the list closed
  EXPECT_EQ(enters, 2);
  EXPECT_FALSE(openAtEnter);
  EXPECT_EQ(combo->currentIndex(), 2);
  EXPECT_EQ(combo->EntryIndex(), 2);
  combo->SetDroppedDown(true);
  Press(Qt::Key_Up);
  Press(Qt::Key_Escape);  // back to the confirmed selection, not the one on entering
  EXPECT_EQ(combo->currentIndex(), 2);
}

// A pick with the mouse closes the list first and changes the selection after: a change with
// the list closed, confirmed at once.
TEST_F(KeyComboWidget, AMousePickIsConfirmedAtOnce) {
  Start(0, true);
  QAbstractItemView* list = combo->view();
  const QPoint at(list->viewport()->width() / 2, list->visualRect(list->model()->index(2, 0)).center().y());
  QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
  EXPECT_FALSE(combo->DroppedDown());
  EXPECT_EQ(combo->currentIndex(), 2);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(enters, 1);
  EXPECT_FALSE(openAtEnter);
  EXPECT_EQ(combo->EntryIndex(), 2);
  EXPECT_TRUE(combo->hasFocus());
  Press(Qt::Key_Return);  // confirmed already: Enter opens the list again
  EXPECT_EQ(enters, 2);
  EXPECT_TRUE(combo->DroppedDown());
  Press(Qt::Key_Up);
  Press(Qt::Key_Escape);  // back to the picked selection
  EXPECT_EQ(combo->currentIndex(), 2);
}

TEST_F(KeyComboWidget, ProgrammaticChangesAreNotTheUsers) {
  Start(0, false);
  combo->setCurrentIndex(3);
  combo->setCurrentText("B");
  EXPECT_EQ(combo->currentIndex(), 1);
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(enters, 0);
}

TEST_F(KeyComboWidget, WheelChangesOnlyAFocusedList) {
  auto wheel = [&] {
    const QPoint at = combo->rect().center();
    QWheelEvent e(at, combo->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                  Qt::NoScrollPhase, false);
    QApplication::sendEvent(combo, &e);
  };
  Start(1, false);
  button->setFocus(Qt::TabFocusReason);
  wheel();
  EXPECT_EQ(combo->currentIndex(), 1);
  EXPECT_EQ(changes, 0);
  combo->setFocus(Qt::TabFocusReason);
  wheel();
  EXPECT_EQ(combo->currentIndex(), 2);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(enters, 1);  // a change with the list closed is confirmed at once
}

TEST_F(KeyComboWidget, EnterNeverFiresTheDialogsDefaultButton) {
  QDialog dialog;
  auto* list = new TKeyComboBox(&dialog);
  list->addItems({"GPL", "Metano"});
  ShowWithDefaultButton(dialog, list);
  QSignalSpy accepted(&dialog, &QDialog::accepted);
  Press(Qt::Key_Return);  // opens
  ASSERT_TRUE(list->DroppedDown());
  Press(Qt::Key_Down);
  Press(Qt::Key_Return);  // confirms
  EXPECT_FALSE(list->DroppedDown());
  EXPECT_EQ(list->currentIndex(), 1);
  EXPECT_EQ(accepted.count(), 0);
  QSignalSpy rejected(&dialog, &QDialog::rejected);
  list->SetDroppedDown(true);
  Press(Qt::Key_Escape);  // the open list takes Esc
  EXPECT_EQ(rejected.count(), 0);
  Press(Qt::Key_Escape);  // the closed list passes it on
  EXPECT_EQ(rejected.count(), 1);
}

TEST_F(KeyComboWidget, ChainPassesANumericFieldThatCannotTakeTheFocus) {
  next->SetNextControl(button);
  next->setEnabled(false);
  Start(0, false);
  Press(Qt::Key_Down);
  EXPECT_TRUE(button->hasFocus());
  // From a numeric field the walk passes a list that cannot take the focus.
  prev->SetNextControl(combo);
  combo->hide();
  prev->setFocus(Qt::TabFocusReason);
  Press(Qt::Key_Return);
  EXPECT_TRUE(button->hasFocus());
}

TEST_F(KeyComboWidget, DestroyedNeighbourAndNoLinkKeepTheFocus) {
  delete prev;
  prev = nullptr;
  EXPECT_EQ(combo->PrevControl(), nullptr);
  Start(2, false);
  Press(Qt::Key_Up);
  EXPECT_TRUE(combo->hasFocus());
  EXPECT_EQ(combo->currentIndex(), 2);
}

TEST_F(KeyComboWidget, LeavingClosesTheList) {
  Start(0, true);
  Press(Qt::Key_Down);
  next->setFocus(Qt::TabFocusReason);
  EXPECT_FALSE(combo->DroppedDown());
  EXPECT_EQ(combo->currentIndex(), 1);  // nothing restored on leaving
}

// A character typed with Alt, AltGr (Ctrl+Alt on Windows) or Meta reaches nothing either: no
// search by initial letter, open or closed.
TEST_F(KeyComboWidget, CharactersTypedWithModifiersReachNothing) {
  for (bool open : {false, true}) {
    for (Qt::KeyboardModifiers mods :
         {Qt::KeyboardModifiers(Qt::AltModifier), Qt::ControlModifier | Qt::AltModifier,
          Qt::KeyboardModifiers(Qt::MetaModifier)}) {
      SCOPED_TRACE(QString("%1 mods %2").arg(open ? "open" : "closed").arg(int(mods), 0, 16).toStdString());
      Start(0, open);
      QKeyEvent press(QEvent::KeyPress, Qt::Key_C, mods, QStringLiteral("c"));
      QApplication::sendEvent(KeyTarget(), &press);
      if (open) Press(Qt::Key_Return);  // takes what the open list highlights
      EXPECT_EQ(combo->currentIndex(), 0);
      EXPECT_EQ(changes, 0);
    }
  }
}

}  // namespace
