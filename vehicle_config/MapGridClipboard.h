#pragma once
// The clipboard block of the map grid: one line per row, cells separated by one tab, lines by
// CR LF and no line end after the last; each value in milliseconds in general format with up
// to 15 significant digits and the user's decimal separator. Qt-free: the grid hands over the
// text and the separator.
#include <string>
#include <string_view>
#include <vector>

#include "MapGridModel.h"

namespace MapGridClipboard {

// Full-precision decimal text of a value (general format, 15 significant digits).
std::string FormatNumber(double v, char decimalSeparator);
// A field as a decimal number with the given separator; 0 when it is not one (blanks around
// the number are allowed).
double ParseNumber(std::string_view field, char decimalSeparator);

// The block as clipboard text.
std::string Format(const std::vector<std::vector<double>>& rows, char decimalSeparator);

struct Parsed {
  std::vector<std::vector<double>> lines;  // the fields of each line
  int columns = 0;                         // 1 + the tabs of the first line
};
// Splits clipboard text into lines (CR LF, or LF alone) and fields. One line end after the last
// line, as spreadsheets put it, adds no empty line. Empty text gives no lines.
Parsed Parse(std::string_view text, char decimalSeparator);

// What a paste onto the selection does.
struct PastePlan {
  bool ask = false;       // the sizes differ: ask before pasting
  MapGrid::Block target;  // the pasted block, clipped to the grid
};
// sel is the selection in data cells (0-based), lastRow/lastCol the last data cell of the grid.
PastePlan PlanPaste(const MapGrid::Block& sel, const Parsed& parsed, int lastRow, int lastCol);

}  // namespace MapGridClipboard
