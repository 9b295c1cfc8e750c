// Where the editor's limit hint goes: inside its area, over nothing, the design place first.
#include <gtest/gtest.h>

#include "LimitHintPlace.h"

namespace {

// A row of label, field and unit on a page 400 x 300: the field at x 150, 80 wide.
const QRect kPage(0, 0, 400, 300);
const QRect kField(150, 100, 80, 22);
const QSize kHint(70, 16);
constexpr int kOffset = 130;
constexpr int kGap = 4;

}  // namespace

TEST(LimitHintPlace, FirstFreePlaceInsideTheArea) {
  struct Case {
    const char* what;
    QRect area;
    std::vector<QRect> taken;
    QPoint at;
  };
  const QRect unit(234, 103, 30, 16);       // the unit right of the field
  const QRect nextField(150, 126, 80, 22);  // the field of the next row
  const Case cases[] = {
      {"design place free", kPage, {kField}, {280, 103}},
      {"design place taken: right of the field", kPage, {kField, QRect(310, 103, 20, 16)}, {234, 103}},
      {"a wide unit beside the field: right of it", kPage, {kField, QRect(234, 103, 60, 16)}, {298, 103}},
      {"page too narrow for the row: below", QRect(0, 0, 300, 300), {kField, unit}, {150, 126}},
      {"next row taken: above", QRect(0, 0, 300, 300), {kField, unit, nextField}, {150, 80}},
  };
  for (const Case& c : cases) {
    const auto place = PlaceLimitHint(kField, kHint, kOffset, c.area, c.taken, kGap);
    ASSERT_TRUE(place.has_value()) << c.what;
    EXPECT_EQ(place->topLeft(), c.at) << c.what;
    EXPECT_TRUE(c.area.contains(*place)) << c.what;
    for (const QRect& t : c.taken) EXPECT_FALSE(t.intersects(*place)) << c.what;
  }
}

TEST(LimitHintPlace, NoPlaceInAFullArea) {
  // A group box just big enough for its fields: the caller tries the next container out.
  const QRect group(140, 95, 100, 32);
  EXPECT_FALSE(PlaceLimitHint(kField, kHint, kOffset, group, {kField}, kGap).has_value());
}
