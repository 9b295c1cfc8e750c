#include "MapGridClipboard.h"

#include <algorithm>

#include "DecimalText.h"

namespace MapGridClipboard {

std::string FormatNumber(double v, char sep) { return DecimalText::Format(v, sep); }

double ParseNumber(std::string_view field, char sep) { return DecimalText::Parse(field, sep).value_or(0.0); }

std::string Format(const std::vector<std::vector<double>>& rows, char sep) {
  std::string out;
  for (size_t r = 0; r < rows.size(); ++r) {
    if (r > 0) out += "\r\n";
    for (size_t c = 0; c < rows[r].size(); ++c) {
      if (c > 0) out += '\t';
      out += FormatNumber(rows[r][c], sep);
    }
  }
  return out;
}

Parsed Parse(std::string_view text, char sep) {
  Parsed p;
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start <= text.size()) {
    const size_t lf = text.find('\n', start);
    std::string_view line = text.substr(start, lf == std::string_view::npos ? text.npos : lf - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    if (lf == std::string_view::npos) break;
    start = lf + 1;
  }
  // The line end after the last line of a spreadsheet block ends a line; it starts none.
  if (!lines.empty() && lines.back().empty()) lines.pop_back();
  for (std::string_view line : lines) {
    std::vector<double> fields;
    size_t from = 0;
    for (;;) {
      const size_t tab = line.find('\t', from);
      fields.push_back(ParseNumber(line.substr(from, tab == line.npos ? line.npos : tab - from), sep));
      if (tab == line.npos) break;
      from = tab + 1;
    }
    p.lines.push_back(std::move(fields));
  }
  if (!p.lines.empty()) p.columns = static_cast<int>(p.lines.front().size());
  return p;
}

PastePlan PlanPaste(const MapGrid::Block& sel, const Parsed& parsed, int lastRow, int lastCol) {
  PastePlan plan;
  const int lines = static_cast<int>(parsed.lines.size());
  plan.ask = !(sel.Single() || (sel.Height() == lines && sel.Width() == parsed.columns));
  plan.target.top = sel.top;
  plan.target.left = sel.left;
  plan.target.bottom = std::min(sel.top + std::max(lines, 1) - 1, lastRow);
  plan.target.right = std::min(sel.left + std::max(parsed.columns, 1) - 1, lastCol);
  return plan;
}

}  // namespace MapGridClipboard
