#pragma once
// The arithmetic of the data-bound grid, apart from any widget: fitting the columns (rows) to
// the control, the working-point marker's active cell and pixel, and the number texts.
#include <QString>
#include <vector>

namespace GridMath {

// Sizes of the columns (or rows) and the client extent they should fill.
struct TFit {
  std::vector<int> sizes;
  int client = 0;
};
constexpr int kMinCell = 5;

// Fits sizes to client - lines. With fit the client follows the sizes (client = lines + total);
// otherwise the sizes from index 1 on share the space (by proportions when given, rounded to
// nearest; else evenly), each at least kMinCell, and index 0 takes the rest less one pixel
// (at least kMinCell, the client growing to hold it). Nothing changes when they already fill it.
TFit Adjust(TFit in, int lines, bool fit, const std::vector<double>* proportions);
// After a resize: the sizes from index 1 on scale by (client - count) / total, cut toward zero,
// at least kMinCell; index 0 and the client as in Adjust.
TFit Expand(TFit in, int lines);

// The cell a position falls in along breakpoints ref: the first i whose mid-point to the next
// breakpoint lies above the position, else the last.
int ActiveIndex(const std::vector<double>& ref, double position);
// The marker's pixel inside the active cell [lo, hi) (hi exclusive): at the cell's start for
// the mid-point before the breakpoint, at its middle for the breakpoint itself, at its end for
// the mid-point after it; above 1.2 x the last breakpoint, the end of the last cell.
int MarkerPixel(const std::vector<double>& ref, int active, double position, int lo, int hi);

// A number in a display pattern: '0' a digit always shown, '#' a digit shown when significant,
// '.' the decimal separator, ',' anywhere in the digits thousands grouping; other characters
// before and after the digits are shown as they stand. An empty pattern gives the general
// decimal form. The locale's separators are used.
QString FormatDataNumber(double value, const QString& pattern);

}  // namespace GridMath
