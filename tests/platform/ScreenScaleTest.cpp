// The screen scaling of the windows: the width rule, limited so the window fits the screen.
#include <gtest/gtest.h>

#include "ScreenScale.h"

TEST(ScreenScale, WidthRuleLimitedToTheAvailableArea) {
  struct Case {
    QSize design;
    int screenWidth;
    QRect available;
    int fitted;
  };
  const Case cases[] = {
      // The width rule where the window fits.
      {{800, 566}, 800, {0, 0, 800, 600}, 800},
      {{800, 566}, 1024, {0, 0, 1024, 768}, 1024},
      {{470, 430}, 1920, {0, 0, 1920, 1080}, 1920},
      // 16:10 and 16:9 screens: 566 x 1280 / 800 = 905 rows would not fit; the height decides.
      {{800, 566}, 1280, {0, 0, 1280, 800}, (800 - kWindowFrameHeight) * 800 / 566},
      {{800, 566}, 1920, {0, 0, 1920, 1080}, (1080 - kWindowFrameHeight) * 800 / 566},
      // A panel takes part of the screen.
      {{800, 566}, 1024, {0, 40, 1024, 728}, (728 - kWindowFrameHeight) * 800 / 566},
      // A design wider than the screen.
      {{900, 300}, 800, {0, 0, 800, 600}, 800 * 800 / 900},
  };
  for (const Case& c : cases) {
    const int w = FittedScreenWidth(c.design, c.screenWidth, c.available);
    EXPECT_EQ(w, c.fitted) << c.design.width() << "x" << c.design.height() << " on " << c.screenWidth;
    EXPECT_LE(ScaleToScreen(c.design.width(), w) + kWindowFrameWidth, c.available.width());
    EXPECT_LE(ScaleToScreen(c.design.height(), w) + kWindowFrameHeight, c.available.height());
  }
}
