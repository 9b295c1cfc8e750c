#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include "FunctionKeyTabStrip.h"

namespace {

// Five pages, the third hidden.
struct Strip {
  TFunctionKeyTabStrip strip;
  Strip() {
    for (const char* c : {"Uno", "Due", "Tre", "Quattro", "Cinque"}) strip.AddPage(c);
    strip.SetPageVisible(2, false);
    strip.resize(130, 400);
    strip.SetActivePage(0);
  }
};

}  // namespace

TEST(FunctionKeyTabStrip, TabsNumberOnlyTheVisiblePages) {
  Strip s;
  EXPECT_EQ(s.strip.VisibleCount(), 4);
  EXPECT_EQ(s.strip.TabIndexOf(3), 2);
  EXPECT_EQ(s.strip.TabIndexOf(2), -1);
  EXPECT_EQ(s.strip.PageOfTab(2), 3);
  EXPECT_EQ(s.strip.PageOfTab(4), -1);
  EXPECT_EQ(s.strip.TabText(2), "F3  Quattro");
  EXPECT_EQ(s.strip.FirstVisiblePage(), 0);
  EXPECT_EQ(s.strip.LastVisiblePage(), 4);
  // Walking skips the hidden page and wraps at both ends.
  EXPECT_EQ(s.strip.NextVisiblePage(1, true), 3);
  EXPECT_EQ(s.strip.NextVisiblePage(3, false), 1);
  EXPECT_EQ(s.strip.NextVisiblePage(4, true), 0);
  EXPECT_EQ(s.strip.NextVisiblePage(0, false), 4);
  // Each tab takes the strip's height / visible pages - 1.
  EXPECT_EQ(s.strip.TabRect(1), QRect(0, 100, 130, 99));
  EXPECT_TRUE(s.strip.TabRect(4).isEmpty());
  // A hidden page cannot become active.
  s.strip.SetActivePage(2);
  EXPECT_EQ(s.strip.ActivePage(), 0);
}

TEST(FunctionKeyTabStrip, AClickAsksFirstAndMayBeRefused) {
  Strip s;
  QSignalSpy changed(&s.strip, &TFunctionKeyTabStrip::PageChanged);
  bool allow = false;
  int asked = 0;
  s.strip.Changing = [&](int from, int to) {
    ++asked;
    EXPECT_EQ(from, 0);
    EXPECT_EQ(to, 3);
    return allow;
  };
  const QPoint third = s.strip.TabRect(2).center();
  QTest::mouseClick(&s.strip, Qt::LeftButton, {}, third);
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(s.strip.ActivePage(), 0);
  EXPECT_EQ(changed.count(), 0);
  allow = true;
  QTest::mouseClick(&s.strip, Qt::LeftButton, {}, third);
  EXPECT_EQ(s.strip.ActivePage(), 3);
  ASSERT_EQ(changed.count(), 1);
  EXPECT_EQ(changed[0][0].toInt(), 3);
  // A click on the active tab asks nothing.
  QTest::mouseClick(&s.strip, Qt::LeftButton, {}, third);
  EXPECT_EQ(asked, 2);
}

TEST(FunctionKeyTabStrip, HidingTheActivePageMovesOn) {
  Strip s;
  s.strip.SetActivePage(4);
  s.strip.SetPageVisible(4, false);
  EXPECT_EQ(s.strip.ActivePage(), 0);
  s.strip.SetPageVisible(2, true);
  EXPECT_EQ(s.strip.TabText(2), "F3  Tre");
}
