#include "CoverageFill.h"

#include <algorithm>
#include <cmath>

namespace {

// x * a / 255 for each of the four bytes of x, rounded.
uint32_t ByteMul(uint32_t x, uint32_t a) {
  uint32_t t = (x & 0xff00ff) * a;
  t = ((t + ((t >> 8) & 0xff00ff) + 0x800080) >> 8) & 0xff00ff;
  x = ((x >> 8) & 0xff00ff) * a;
  x = (x + ((x >> 8) & 0xff00ff) + 0x800080) & 0xff00ff00;
  return x | t;
}

// The share of pixel `pixel` that the span from..to covers.
double Share(double from, double to, int pixel) {
  return std::min(to, pixel + 1.0) - std::max(from, static_cast<double>(pixel));
}

}  // namespace

void FillCovered(QImage& image, QRectF r, QRgb colour, bool antialiased) {
  Q_ASSERT(image.format() == QImage::Format_ARGB32_Premultiplied && !image.paintingActive());
  if (!antialiased)
    r = QRectF(QPointF(std::round(r.left()), std::round(r.top())),
               QPointF(std::round(r.right()), std::round(r.bottom())));
  const double left = std::max(r.left(), 0.0),
               right = std::min(r.right(), static_cast<double>(image.width()));
  const double top = std::max(r.top(), 0.0),
               bottom = std::min(r.bottom(), static_cast<double>(image.height()));
  if (!(right > left) || !(bottom > top)) return;
  const int x0 = static_cast<int>(left), x1 = static_cast<int>(std::ceil(right));
  const int y0 = static_cast<int>(top), y1 = static_cast<int>(std::ceil(bottom));
  uchar* const pixels = image.bits();
  const qsizetype stride = image.bytesPerLine();
  // One row of pixels covered by `down` of their height.
  const auto row = [&](int y, double down) {
    auto* line = reinterpret_cast<uint32_t*>(pixels + y * stride);
    for (int x = x0; x < x1; ++x) {
      const auto coverage = static_cast<uint32_t>(Share(left, right, x) * down * 255 + 0.5);
      const uint32_t source = coverage >= 255 ? colour : ByteMul(colour, coverage);
      line[x] = source + ByteMul(line[x], 255 - (source >> 24));
    }
  };
  const int first = y0 + 1, last = y1 - 1;  // the rows between the two ends, covered whole
  row(y0, Share(top, bottom, y0));
  if (last > y0) row(last, Share(top, bottom, last));
  // The rows between are all alike: the colour each column takes is worked out once.
  constexpr int kMostColumns = 16;
  if (last <= first) return;
  if (x1 - x0 > kMostColumns) {
    for (int y = first; y < last; ++y) row(y, 1);
    return;
  }
  uint32_t source[kMostColumns], keep[kMostColumns];
  for (int x = x0; x < x1; ++x) {
    const auto coverage = static_cast<uint32_t>(Share(left, right, x) * 255 + 0.5);
    source[x - x0] = coverage >= 255 ? colour : ByteMul(colour, coverage);
    keep[x - x0] = 255 - (source[x - x0] >> 24);
  }
  for (int y = first; y < last; ++y) {
    uint32_t* line = reinterpret_cast<uint32_t*>(pixels + y * stride) + x0;
    for (int i = 0; i < x1 - x0; ++i)
      line[i] = keep[i] == 0 ? source[i] : source[i] + ByteMul(line[i], keep[i]);
  }
}
