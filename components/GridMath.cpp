#include "GridMath.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "NumericEditCore.h"

namespace GridMath {

namespace {
int Sum(const std::vector<int>& v, size_t from) {
  return std::accumulate(v.begin() + std::min(from, v.size()), v.end(), 0);
}
// Index 0 takes the rest of avail less one pixel; below kMinCell the client grows to hold it.
void FillFirst(TFit& f, int lines, int avail) {
  const int sum = Sum(f.sizes, 1);
  f.sizes[0] = avail - sum - 1;
  if (f.sizes[0] < kMinCell) {
    f.sizes[0] = kMinCell;
    f.client = lines + sum + kMinCell + 1;
  }
}
}  // namespace

TFit Adjust(TFit f, int lines, bool fit, const std::vector<double>* proportions) {
  if (f.sizes.empty()) return f;
  const int total = Sum(f.sizes, 0);
  const int avail = f.client - lines;
  if (total == avail) return f;
  if (fit) {
    f.client = lines + total;
    return f;
  }
  const int n = static_cast<int>(f.sizes.size());
  const bool byShare = proportions && proportions->size() == f.sizes.size();
  for (int i = 1; i < n; ++i) {
    const int w = byShare ? static_cast<int>(std::lround(avail * (*proportions)[i])) : avail / n;
    f.sizes[i] = std::max(w, kMinCell);
  }
  FillFirst(f, lines, avail);
  return f;
}

TFit Expand(TFit f, int lines) {
  if (f.sizes.empty()) return f;
  const int total = Sum(f.sizes, 0);
  const int avail = f.client - lines;
  if (total == avail || total <= 0) return f;
  const int n = static_cast<int>(f.sizes.size());
  const double factor = double(f.client - n) / total;
  for (int i = 1; i < n; ++i) f.sizes[i] = std::max(static_cast<int>(f.sizes[i] * factor), kMinCell);
  FillFirst(f, lines, avail);
  return f;
}

namespace {
// The mid-points before and after the breakpoint `active`; after the last one, 1.2 x it.
void Mids(const std::vector<double>& ref, int active, double* lo, double* hi) {
  const int n = static_cast<int>(ref.size());
  *lo = active > 0 ? (ref[active - 1] + ref[active]) * 0.5 : 0;
  *hi = active < n - 1 ? (ref[active] + ref[active + 1]) * 0.5 : ref[n - 1] * 1.2;
}
}  // namespace

int ActiveIndex(const std::vector<double>& ref, double position) {
  const int n = static_cast<int>(ref.size());
  for (int i = 0; i + 1 < n; ++i)
    if (position < (ref[i] + ref[i + 1]) * 0.5) return i;
  return n > 0 ? n - 1 : 0;
}

int MarkerPixel(const std::vector<double>& ref, int active, double position, int lo, int hi) {
  const int n = static_cast<int>(ref.size());
  if (n == 0 || active < 0 || active >= n) return lo;
  double midLo = 0, midHi = 0;
  Mids(ref, active, &midLo, &midHi);
  const double c = ref[active];
  if (ref[n - 1] * 1.2 < position || c == midLo) return hi;
  const int h = (hi - lo) / 2;
  if (position <= c) return static_cast<int>(lo + h * (position - midLo) / (c - midLo));
  return static_cast<int>(hi - h * (midHi - position) / (midHi - c));
}

QString FormatDataNumber(double value, const QString& pattern) {
  if (pattern.isEmpty()) return TNumericEditCore::FormatDouble(value);
  int first = -1, last = -1;
  for (int i = 0; i < pattern.size(); ++i) {
    const QChar ch = pattern.at(i);
    if (ch == u'0' || ch == u'#' || ch == u'.' || ch == u',') {
      if (first < 0) first = i;
      last = i;
    }
  }
  if (first < 0) return pattern;
  const QString digits = pattern.mid(first, last - first + 1);
  const int point = digits.indexOf(u'.');
  const QString intPart = point < 0 ? digits : digits.left(point);
  const QString fracPart = point < 0 ? QString() : digits.mid(point + 1);
  const int minInt = intPart.count(u'0');
  const int minFrac = fracPart.count(u'0');
  const int maxFrac = fracPart.count(u'0') + fracPart.count(u'#');
  const bool grouping = intPart.contains(u',');

  QString text = QString::number(std::fabs(value), 'f', maxFrac);
  QString whole = text.section(u'.', 0, 0);
  QString frac = text.section(u'.', 1);
  while (frac.size() > minFrac && frac.endsWith(u'0')) frac.chop(1);
  if (whole == u'0' && minInt == 0 && !frac.isEmpty()) whole.clear();
  while (whole.size() < minInt) whole.prepend(u'0');
  if (grouping) {
    const QString sep = QString(TNumericEditCore::ThousandsSeparator());
    for (int i = whole.size() - 3; i > 0; i -= 3) whole.insert(i, sep);
  }
  const QString shown = whole + frac;
  const bool negative =
      value < 0 && std::any_of(shown.begin(), shown.end(), [](QChar ch) { return ch >= u'1' && ch <= u'9'; });
  QString out = negative ? QStringLiteral("-") : QString();
  out += whole;
  if (!frac.isEmpty()) out += TNumericEditCore::DecimalSeparator() + frac;
  return pattern.left(first) + out + pattern.mid(last + 1);
}

}  // namespace GridMath
