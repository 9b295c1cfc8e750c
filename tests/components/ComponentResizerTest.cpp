#include <gtest/gtest.h>

#include <QTest>
#include <memory>
#include <vector>

#include "ComponentResizer.h"
#include "MessageSink.h"
#include "MouseHelpers.h"
#include "PrivateMessage.h"

using ResizerGeometry::HitTest;

namespace {

// A control that records the resizer's messages and the mouse events that reach it.
class Target : public QWidget {
 public:
  using QWidget::QWidget;
  struct Msg {
    unsigned msg;
    intptr_t w, l;
  };
  std::vector<Msg> messages;
  int presses = 0;
  int moves = 0;

 protected:
  void customEvent(QEvent* e) override {
    for (unsigned m : {WM_STARTRESIZING, WM_ENDRESIZING})
      if (auto* pm = AsPrivateMessage(e, m)) messages.push_back({m, pm->WParam(), pm->LParam()});
  }
  void mousePressEvent(QMouseEvent*) override { ++presses; }
  void mouseMoveEvent(QMouseEvent*) override { ++moves; }
};

class ResizerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    parent.resize(400, 300);
    target = new Target(&parent);
    target->setGeometry(100, 100, 80, 40);
    resizer = std::make_unique<TResizer>(&parent, target);
    parent.show();
  }
  QWidget parent;
  Target* target = nullptr;
  std::unique_ptr<TResizer> resizer;
};

}  // namespace

TEST(ResizerGeometryTest, HoverZonesFollowTheModeInOrder) {
  const TResizingMode def{TResizingKind::raHorizontal, TResizingKind::raMove};
  const TResizingMode horOnly{TResizingKind::raHorizontal};
  const TResizingMode all = TResizingMode::All();
  const TResizingMode cornerNoMove{TResizingKind::raCorner, TResizingKind::raVertical};
  struct Case {
    TResizingMode mode;
    int x, y, zone;
    Qt::CursorShape cursor;
  } cases[] = {
      {def, 2, 20, 3, Qt::SizeHorCursor},
      {def, 77, 20, 4, Qt::SizeHorCursor},
      {def, 40, 20, 9, Qt::SizeAllCursor},
      {def, 40, 2, 9, Qt::SizeAllCursor},
      {horOnly, 2, 20, 0, Qt::ArrowCursor},
      {horOnly, 77, 20, 4, Qt::SizeHorCursor},
      {all, 2, 2, 5, Qt::SizeFDiagCursor},
      {all, 77, 37, 7, Qt::SizeFDiagCursor},
      {all, 2, 37, 6, Qt::SizeBDiagCursor},
      {all, 77, 2, 8, Qt::SizeBDiagCursor},
      {all, 40, 2, 1, Qt::SizeVerCursor},
      {all, 40, 37, 2, Qt::SizeVerCursor},
      {cornerNoMove, 2, 2, 0, Qt::ArrowCursor},  // top-left needs raMove; then top needs it too
      {cornerNoMove, 77, 37, 7, Qt::SizeFDiagCursor},
      {cornerNoMove, 40, 37, 2, Qt::SizeVerCursor},
      {TResizingMode{}, 40, 20, 0, Qt::ArrowCursor},
  };
  for (const Case& c : cases) {
    const auto hit = HitTest(c.x, c.y, 80, 40, 8, c.mode);
    EXPECT_EQ(hit.zone, c.zone) << c.x << "," << c.y;
    EXPECT_EQ(hit.cursor, c.cursor) << c.x << "," << c.y;
  }
}

TEST(ResizerGeometryTest, ResizeSnapsKeepsMinimumAndStopsAtTheOrigin) {
  EXPECT_EQ(ResizerGeometry::Snap(-19, 10), -10);
  EXPECT_EQ(ResizerGeometry::Resize({100, 100, 80, 40}, 27, false, 0, false, 10), QRect(100, 100, 100, 40));
  EXPECT_EQ(ResizerGeometry::Resize({100, 100, 80, 40}, -200, false, -100, false, 10), QRect(100, 100, 6, 6));
  // From the left past the parent's origin: Left 0, width unchanged.
  EXPECT_EQ(ResizerGeometry::Resize({30, 100, 80, 40}, 50, true, 0, false, 10), QRect(0, 100, 80, 40));
  EXPECT_EQ(ResizerGeometry::Resize({30, 20, 80, 40}, 20, true, 10, true, 10), QRect(10, 10, 100, 50));
}

TEST_F(ResizerTest, LockedPassesEveryMouseEventToTheControl) {
  EXPECT_TRUE(resizer->Locked());
  resizer->Loaded();
  EXPECT_TRUE(resizer->Locked());
  DragFrom(target, {40, 20}, {{170, 130}});
  EXPECT_EQ(target->geometry(), QRect(100, 100, 80, 40));
  EXPECT_EQ(target->presses, 1);
  EXPECT_GT(target->moves, 0);
  EXPECT_TRUE(target->messages.empty());
}

TEST_F(ResizerTest, MoveSnapsToTheGridAndSendsStartAndEnd) {
  resizer->SetLockControl(false);
  HoverAt(target, {40, 20});
  EXPECT_EQ(target->cursor().shape(), Qt::SizeAllCursor);
  // Press at (140, 120) of the parent, drag by (+37, -13).
  DragFrom(target, {40, 20}, {{160, 115}, {177, 107}});
  // Each step snaps the new origin: +20 -5 gives (120, 90), then +17 -3 more (130, 80).
  EXPECT_EQ(target->pos(), QPoint(130, 80));
  EXPECT_EQ(target->size(), QSize(80, 40));
  EXPECT_EQ(target->presses, 0);
  ASSERT_EQ(target->messages.size(), 2u);
  EXPECT_EQ(target->messages[0].msg, WM_STARTRESIZING);
  EXPECT_EQ(target->messages[0].w, 9);
  EXPECT_EQ(target->messages[0].l, 40 | (20 << 16));
  EXPECT_EQ(target->messages[1].msg, WM_ENDRESIZING);
  EXPECT_EQ(resizer->Zone(), 0);
  EXPECT_FALSE(resizer->Dragging());
  EXPECT_EQ(target->cursor().shape(), Qt::ArrowCursor);
  // Far up and left: never a negative position.
  DragFrom(target, {40, 20}, {{5, 3}});
  EXPECT_EQ(target->pos(), QPoint(0, 0));
}

TEST_F(ResizerTest, EdgeAndCornerDragsResize) {
  resizer->SetLockControl(false);
  resizer->SetResizingMode(TResizingMode::All());
  DragFrom(target, {78, 20}, {{205, 120}});  // right edge at x 178, +27
  EXPECT_EQ(target->geometry(), QRect(100, 100, 100, 40));
  DragFrom(target, {2, 20}, {{81, 120}});  // left edge at x 102, -21
  EXPECT_EQ(target->geometry(), QRect(80, 100, 120, 40));
  DragFrom(target, {118, 38}, {{40, 50}});  // bottom-right corner, shrinks to the minimum
  EXPECT_EQ(target->size(), QSize(6, 6));
  // A left-edge drag past the parent's origin stops at 0 without widening.
  target->setGeometry(30, 100, 80, 40);
  DragFrom(target, {2, 20}, {{-30, 120}});
  EXPECT_EQ(target->geometry(), QRect(0, 100, 80, 40));
}

TEST_F(ResizerTest, OnMoveAdjustsAndOnResizeSeesRawDeltas) {
  resizer->SetLockControl(false);
  int rawW = 0;
  resizer->OnResize = [&](TResizer*, int dW, int) { rawW = dW; };
  resizer->OnMove = [](TResizer*, int& left, int& top) { left += 1, top = 50; };
  DragFrom(target, {40, 20}, {{160, 120}});
  EXPECT_EQ(target->pos(), QPoint(121, 50));
  DragFrom(target, {78, 20}, {{121 + 78 + 13, 70}});
  EXPECT_EQ(rawW, 13);
  EXPECT_EQ(target->width(), 90);
}

TEST_F(ResizerTest, EmptyModeStartsNoDragAndDoubleClickLocks) {
  resizer->SetLockControl(false);
  resizer->SetResizingMode({});
  DragFrom(target, {40, 20}, {{170, 140}});
  EXPECT_EQ(target->pos(), QPoint(100, 100));
  ASSERT_EQ(target->messages.size(), 1u);  // only the release's end message
  EXPECT_EQ(target->messages[0].msg, WM_ENDRESIZING);
  EXPECT_EQ(target->presses, 0);

  QTest::mouseDClick(target, Qt::LeftButton, Qt::NoModifier, {40, 20});
  EXPECT_TRUE(resizer->Locked());
  resizer->SetLockControl(false);
  resizer->SetFixDblClick(false);
  QTest::mouseDClick(target, Qt::LeftButton, Qt::NoModifier, {40, 20});
  EXPECT_FALSE(resizer->Locked());
}

TEST_F(ResizerTest, SettersGuardTheirValues) {
  resizer->SetGridSpacing(0);
  EXPECT_EQ(resizer->GridDimension(), 1);
  resizer->SetGridSpacing(-4);
  EXPECT_EQ(resizer->GridDimension(), 1);
  resizer->SetResizingDistance(40);  // the control's height, its smaller side
  EXPECT_EQ(resizer->ResizingBorder(), 8);
  resizer->SetResizingDistance(-1);
  EXPECT_EQ(resizer->ResizingBorder(), 8);
  resizer->SetResizingDistance(39);
  EXPECT_EQ(resizer->ResizingBorder(), 39);
}

TEST_F(ResizerTest, DestroyedControlLocksAndRepointingRestoresTheControl) {
  TComponentResizer placed(&parent);
  auto* a = new Target(&parent);
  a->setGeometry(10, 10, 80, 40);
  placed.SetComponent(a);
  placed.SetLockControl(false);
  auto* b = new Target(&parent);
  b->setGeometry(10, 200, 80, 40);
  placed.SetComponent(b);
  EXPECT_FALSE(placed.Locked());
  DragFrom(a, {40, 20}, {{90, 60}});
  EXPECT_EQ(a->pos(), QPoint(10, 10));  // a is its own again
  EXPECT_EQ(a->presses, 1);
  DragFrom(b, {40, 20}, {{90, 250}});
  EXPECT_EQ(b->pos(), QPoint(50, 230));
  delete b;
  EXPECT_EQ(placed.Component(), nullptr);
  EXPECT_TRUE(placed.Locked());
}
