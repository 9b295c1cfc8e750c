#include "MapGridClipboard.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace MapGridClipboard {

std::string FormatNumber(double v, char sep) {
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 15);
  std::string s(buf, res.ptr);
  if (sep != '.') std::replace(s.begin(), s.end(), '.', sep);
  return s;
}

double ParseNumber(std::string_view field, char sep) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!field.empty() && blank(field.front())) field.remove_prefix(1);
  while (!field.empty() && blank(field.back())) field.remove_suffix(1);
  if (!field.empty() && field.front() == '+') field.remove_prefix(1);
  if (field.empty()) return 0.0;
  std::string s(field);
  if (sep != '.') {
    if (s.find('.') != std::string::npos) return 0.0;  // not a number in the user's form
    std::replace(s.begin(), s.end(), sep, '.');
  }
  // Only digits, one sign, the point and an exponent make a number here (no inf or nan).
  if (s.find_first_not_of("0123456789.-eE") != std::string::npos) return 0.0;
  double v = 0.0;
  const auto res = std::from_chars(s.data(), s.data() + s.size(), v);
  if (res.ec != std::errc() || res.ptr != s.data() + s.size() || !std::isfinite(v)) return 0.0;
  return v;
}

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
