#include <QTest>

#include "ChildLabel.h"
#include "ComponentsTestWindow.h"
#include "KivComboBox.h"
#include "KivTestSupport.h"
#include "QtPrint.h"
#include "ValueEditEx.h"

namespace {

// A one-byte ECU variable (0x21) over the fake serial library, bound to a numeric editor and
// an option list in a shown window.
class ValueEditorsTest : public LinkTest {
 protected:
  void SetUp() override {
    LinkTest::SetUp();
    saved_ = QLocale();
    QLocale::setDefault(QLocale::c());
    number.SetConnection(&conn);
    number.SetMaxValue(200);
    window.resize(400, 300);
    edit = new TValueEditEx(&window);
    edit->move(100, 20);
    edit->SetNumber(&number);
    combo = new TKivComboBox(&window);
    combo->addItems({"zero", "uno", "due", "tre", "quattro"});
    combo->move(100, 80);
    after = new QLineEdit(&window);
    after->move(100, 140);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    after->setFocus(Qt::TabFocusReason);  // the editors are entered by each test
  }
  void TearDown() override {
    QLocale::setDefault(saved_);
    LinkTest::TearDown();
  }

  TKivNumber number{nullptr, 0x21};
  QWidget window;
  TValueEditEx* edit = nullptr;
  TKivComboBox* combo = nullptr;
  QLineEdit* after = nullptr;

 private:
  QLocale saved_;
};

}  // namespace

TEST_F(ValueEditorsTest, EditShowsTheEcuValueAndWritesOnEnter) {
  ecu->WriteVariable(0x21, 42);
  EXPECT_TRUE(edit->InitData());
  EXPECT_EQ(edit->text(), "42");
  edit->SetNextControl(after);
  edit->setFocus(Qt::TabFocusReason);
  EXPECT_EQ(edit->selectedText(), "42");
  QTest::keyClicks(edit, "77");
  ecu->ClearCalls();
  QTest::keyClick(edit, Qt::Key_Return);
  EXPECT_EQ(ecu->Stored(0x21), 77);
  EXPECT_TRUE(after->hasFocus());
  EXPECT_EQ(edit->text(), "77");
  // Another change of the value reaches the field through its message.
  number.SetData(12);
  EXPECT_EQ(edit->text(), "12");
}

TEST_F(ValueEditorsTest, RefreshedValuesArriveAsDataAvailable) {
  combo->SetNumber(&number);
  const int32_t buffer[1] = {3};  // a variable's read: one integer
  SendPrivateMessage(edit, WM_DATAAVAILABLE, reinterpret_cast<intptr_t>(buffer), 0);
  EXPECT_EQ(edit->text(), "3");
  EXPECT_TRUE(number.DataValid());
  SendPrivateMessage(combo, WM_DATAAVAILABLE, reinterpret_cast<intptr_t>(buffer), 0);
  EXPECT_EQ(combo->currentIndex(), 3);
  // Unbinding leaves the value's notification list.
  edit->SetNumber(nullptr);
  number.SetData(1);
  EXPECT_EQ(edit->text(), "3");
  EXPECT_EQ(combo->currentIndex(), 1);
}

TEST_F(ValueEditorsTest, RefusedEnterRestoresTheValueAndKeepsTheFocus) {
  ecu->WriteVariable(0x21, 42);
  edit->InitData();
  edit->setFocus(Qt::TabFocusReason);
  ecu->SetWriteRefused(0x21);
  QTest::keyClicks(edit, "99");
  QTest::keyClick(edit, Qt::Key_Return);
  EXPECT_EQ(ecu->Stored(0x21), 42);
  EXPECT_EQ(edit->text(), "42");
  EXPECT_EQ(edit->selectedText(), "42");
  EXPECT_TRUE(edit->hasFocus());
  // An empty text does not convert: refused the same way.
  ecu->SetWriteRefused(0x21, false);
  edit->clear();
  QTest::keyClick(edit, Qt::Key_Return);
  EXPECT_EQ(edit->text(), "42");
  EXPECT_TRUE(edit->hasFocus());
}

TEST_F(ValueEditorsTest, KeysFollowTheValuesPrecisionAndRange) {
  edit->setFocus(Qt::TabFocusReason);
  number.SetPrecision(1);
  edit->clear();
  QTest::keyClicks(edit, "-1.5");
  EXPECT_EQ(edit->text(), "15");  // no decimals with a step of 1, no minus above 0
  number.SetPrecision(0);
  edit->clear();
  QTest::keyClicks(edit, "1.5.2");
  EXPECT_EQ(edit->text(), "1.52");
  number.SetPrecision(0.5);
  edit->clear();
  QTest::keyClicks(edit, "2x.5");
  EXPECT_EQ(edit->text(), "2.5");
  number.SetMinValue(-10);
  edit->clear();
  QTest::keyClicks(edit, "-3-");
  EXPECT_EQ(edit->text(), "-3");
  // Esc shows the value again.
  QTest::keyClick(edit, Qt::Key_Escape);
  EXPECT_EQ(edit->text(), QString::number(number.GetDouble()));
}

TEST_F(ValueEditorsTest, LeavingDiscardsWithValidationAndWritesWithout) {
  ecu->WriteVariable(0x21, 42);
  edit->InitData();
  edit->setFocus(Qt::TabFocusReason);
  QTest::keyClicks(edit, "55");
  after->setFocus(Qt::TabFocusReason);
  EXPECT_EQ(edit->text(), "42");
  EXPECT_EQ(ecu->Stored(0x21), 42);
  edit->SetValidation(false);
  edit->setFocus(Qt::TabFocusReason);
  QTest::keyClicks(edit, "55");
  after->setFocus(Qt::TabFocusReason);
  EXPECT_EQ(ecu->Stored(0x21), 55);
  EXPECT_EQ(edit->text(), "55");
  // A refused write on leaving shows the value again.
  ecu->SetWriteRefused(0x21);
  edit->setFocus(Qt::TabFocusReason);
  QTest::keyClicks(edit, "66");
  after->setFocus(Qt::TabFocusReason);
  EXPECT_EQ(edit->text(), "55");
}

TEST_F(ValueEditorsTest, ArrowsFollowTheLinksOrTheTabOrder) {
  edit->setFocus(Qt::TabFocusReason);
  QTest::keyClick(edit, Qt::Key_Down);  // no link: the next control of the tab order
  EXPECT_TRUE(combo->hasFocus());
  QTest::keyClick(combo, Qt::Key_Down);
  EXPECT_TRUE(after->hasFocus());
  combo->setFocus(Qt::TabFocusReason);
  combo->SetPrevControl(after);
  QTest::keyClick(combo, Qt::Key_Up);
  EXPECT_TRUE(after->hasFocus());
  // Without ArrowMoveFocus the closed list changes its selection.
  combo->SetArrowMoveFocus(false);
  combo->setFocus(Qt::TabFocusReason);
  combo->setCurrentIndex(1);
  QTest::keyClick(combo, Qt::Key_Down);
  EXPECT_TRUE(combo->hasFocus());
  EXPECT_EQ(combo->currentIndex(), 2);
}

TEST_F(ValueEditorsTest, ComboShowsTheRoundedValueAndWritesOnEnter) {
  number.SetTransformation(ttFormula);
  number.CoeffD = 10;  // user value = raw / 10
  combo->SetNumber(&number);
  ecu->WriteVariable(0x21, 25);
  EXPECT_TRUE(combo->InitData());
  EXPECT_EQ(combo->currentIndex(), 3);  // 2.5
  EXPECT_EQ(combo->EntryIndex(), 3);
  ecu->WriteVariable(0x21, 24);
  combo->InitData();
  EXPECT_EQ(combo->currentIndex(), 2);  // 2.4

  number.CoeffD = 1;
  combo->setFocus(Qt::TabFocusReason);
  combo->SetArrowMoveFocus(false);
  QTest::keyClick(combo, Qt::Key_Down);  // changes the selection with the list closed
  QTest::keyClick(combo, Qt::Key_Return);
  EXPECT_EQ(ecu->Stored(0x21), combo->currentIndex());

  // A refused write leaves the ECU as it was.
  const int stored = ecu->Stored(0x21);
  ecu->SetWriteRefused(0x21);
  QTest::keyClick(combo, Qt::Key_Down);
  QTest::keyClick(combo, Qt::Key_Return);
  EXPECT_EQ(ecu->Stored(0x21), stored);
}

TEST_F(ValueEditorsTest, LabelsSitBesideTheirControlsAndFollowThem) {
  TChildLabel* label = combo->ComboLabel();
  label->setText("Modalità");
  label->AdjustBounds();
  EXPECT_EQ(label->parentWidget(), &window);
  EXPECT_EQ(label->x(), combo->x() - 80);
  EXPECT_EQ(label->y(), combo->y() + (combo->height() - label->height()) / 2);
  combo->move(150, 90);
  EXPECT_EQ(label->x(), 70);
  label->SetLabelAlignment(Qt::AlignRight);
  EXPECT_EQ(label->x() + label->width(), 70);
  label->SetLabelPosition(TLabelPosition::lpAbove);
  label->SetLabelSpacing(4);
  EXPECT_EQ(label->y() + label->height() + 4, 90);
  EXPECT_EQ(label->x() + label->width(), 150 + combo->width());
  EXPECT_TRUE(label->isVisible());
  combo->hide();
  EXPECT_FALSE(label->isVisible());
  combo->show();
  EXPECT_TRUE(label->isVisible());
  // A click on the label focuses its control.
  QTest::mouseClick(edit->EditLabel(), Qt::LeftButton);
  EXPECT_TRUE(edit->hasFocus());
}
