#include "MainLayout.h"

#include <algorithm>
#include <cmath>

namespace {

// Round to nearest, halves to even.
int RoundHalfEven(double v) { return static_cast<int>(std::nearbyint(v)); }

}  // namespace

MenuRows LayoutMenuRows(int clientHeight, const std::array<bool, kMenuCount>& visible,
                        const std::array<int, kMenuCount>& oldTops) {
  MenuRows r;
  r.tops = oldTops;
  r.rowHeight = std::max(0, clientHeight / (kMenuCount + 3));
  const int third = r.rowHeight / 3;
  r.titleTop = third;
  r.firstRowTop = RoundHalfEven(third + r.rowHeight * 1.5);
  int n = 0;
  for (int i = 0; i < kMenuCount - 1; ++i)
    if (visible[static_cast<size_t>(i)]) r.tops[static_cast<size_t>(i)] = r.rowHeight * n++ + r.firstRowTop;
  r.tops[kMenuCount - 1] = RoundHalfEven(r.tops[kMenuCount - 2] + r.rowHeight * 1.5);
  return r;
}

MenuColumns CentreMenuColumns(int windowWidth, int titleWidth, const std::array<int, kMenuCount>& widths,
                              const std::array<bool, kMenuCount>& visible) {
  MenuColumns c;
  c.titleLeft = (windowWidth - titleWidth) / 2;
  int widest = 0;
  for (size_t i = 0; i < widths.size(); ++i)
    if (visible[i]) widest = std::max(widest, widths[i]);
  c.entryLeft = (windowWidth - widest) / 2;
  c.arrowLeft = c.entryLeft - 50;
  return c;
}

int MenuSelectionAfterKey(int selected, bool down, const std::array<bool, kMenuCount>& visible) {
  if (down) {
    int i = selected + 1;
    while (i < kMenuCount && !visible[static_cast<size_t>(i)]) ++i;
    return i < kMenuCount ? i : -1;
  }
  if (selected <= 0) return -1;
  int i = selected - 1;
  while (i > 0 && !visible[static_cast<size_t>(i)]) --i;  // entry 0 is always visible
  return i;
}
