#include <QCheckBox>

#include "ComponentsTestWindow.h"
#include "KivLabeledEdit.h"
#include "MouseHelpers.h"
#include "QtPrint.h"

namespace {

class LabeledEditTest : public ComponentsWindowTest {
 protected:
  void SetUp() override {
    ComponentsWindowTest::SetUp();
    before = new QCheckBox("before", window.get());
    before->move(0, 0);
    edit = new TKivLabeledEdit(window.get());
    edit->setGeometry(100, 100, 80, 24);
    edit->EditLabel()->setText("Giri");
    after = new QCheckBox("after", window.get());
    after->move(0, 200);
    ShowWindow();
    edit->setFocus(Qt::TabFocusReason);
  }
  QCheckBox* before = nullptr;
  TKivLabeledEdit* edit = nullptr;
  QCheckBox* after = nullptr;
};

}  // namespace

TEST_F(LabeledEditTest, LabelFollowsTheFieldAndItsVisibility) {
  QLabel* label = edit->EditLabel();
  EXPECT_EQ(edit->text(), "0");
  EXPECT_EQ(label->parentWidget(), window.get());
  EXPECT_TRUE(label->isVisible());
  EXPECT_EQ(label->geometry().bottom() + 1 + 3, edit->y());  // above, 3 pixels apart
  EXPECT_EQ(label->x(), edit->x());
  edit->move(150, 150);
  EXPECT_EQ(label->geometry().bottom() + 1 + 3, 150);
  edit->SetLabelPosition(TLabelPosition::lpLeft);
  EXPECT_EQ(label->geometry().right() + 1 + 3, 150);
  EXPECT_EQ(label->y(), 150 + (24 - label->height()) / 2);
  edit->hide();
  EXPECT_FALSE(label->isVisible());
}

TEST_F(LabeledEditTest, DecimalSeparatorFollowsPrecisionAndThousandsIsNoDecimal) {
  edit->SetPrecision(0);
  edit->selectAll();
  Type("12.5");
  EXPECT_EQ(edit->text(), "125");
  edit->SetPrecision(0.5);
  edit->selectAll();
  Type("1.2.5");
  EXPECT_EQ(edit->text(), "1.25");
  edit->selectAll();
  Type("3,5");  // the C locale's thousands separator is discarded, not made a decimal point
  EXPECT_EQ(edit->text(), "35");
}

TEST_F(LabeledEditTest, EnterConfirmsAndArrowsFollowTheTabOrder) {
  edit->SetMinValue(0);
  edit->SetMaxValue(100);
  edit->selectAll();
  Type("250");
  Press(Qt::Key_Return);
  EXPECT_EQ(edit->text(), "100");
  EXPECT_EQ(edit->GetDouble(), 100);
  EXPECT_TRUE(after->hasFocus());
  edit->setFocus(Qt::TabFocusReason);
  Press(Qt::Key_Up);
  EXPECT_TRUE(before->hasFocus());
  edit->setFocus(Qt::TabFocusReason);
  Press(Qt::Key_Down);
  EXPECT_TRUE(after->hasFocus());
}

TEST_F(LabeledEditTest, DragsMoveOnTenPixelsAndResizeFromTheEdges) {
  DragFrom(edit, {40, 12}, {{147, 95}});  // +7, -17: Top 83 -> 80, Left 107 -> 100
  EXPECT_EQ(edit->pos(), QPoint(100, 80));
  DragFrom(edit, {40, 12}, {{-50, -50}});
  EXPECT_EQ(edit->pos(), QPoint(0, 0));
  EXPECT_EQ(edit->size(), QSize(80, 24));
  DragFrom(edit, {78, 12}, {{91, 12}});  // right edge at 78, +13, unsnapped
  EXPECT_EQ(edit->width(), 93);
  edit->move(50, 50);
  DragFrom(edit, {2, 12}, {{40, 62}});  // left edge at 52, -12 outward
  EXPECT_EQ(edit->geometry(), QRect(38, 50, 105, 24));
  DragFrom(edit, {2, 12}, {{300, 62}});  // inward past the right edge: the minimum width
  EXPECT_EQ(edit->width(), ResizerGeometry::kMinSize);
  EXPECT_EQ(edit->geometry().right(), 38 + 105 - 1);
}

TEST_F(LabeledEditTest, CornerHoverIsInertButStartsAMoveAndLockStopsAll) {
  edit->SetResizingMode(TResizingMode::All());
  HoverAt(edit, {2, 2});
  EXPECT_EQ(edit->cursor().shape(), Qt::ArrowCursor);
  EXPECT_EQ(edit->Zone(), 0);
  DragFrom(edit, {2, 2}, {{123, 102}});
  EXPECT_EQ(edit->pos(), QPoint(120, 100));
  edit->SetLockControl(true);
  DragFrom(edit, {40, 12}, {{250, 250}});
  EXPECT_EQ(edit->pos(), QPoint(120, 100));
  edit->SetResizingDistance(24);  // the height, the smaller side
  EXPECT_EQ(edit->ResizingBorder(), 8);
  edit->SetResizingDistance(23);
  EXPECT_EQ(edit->ResizingBorder(), 23);
}
