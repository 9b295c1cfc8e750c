#pragma once
// What the trace chart's reader makes of a recorded file: the editor's tests check their traces
// against the real reader, so the recorder and the reader cannot drift apart. Reference() is a
// second reader of the same rules, written apart from the real one and as plainly as it goes
// (the whole text, line by line, each field cut out first and then converted by
// std::from_chars): the reader's tests compare the two on every kind of field and line.
#include <QByteArray>
#include <algorithm>
#include <array>
#include <charconv>
#include <climits>
#include <limits>
#include <string_view>
#include <vector>

#include "TraceFile.h"

namespace trace_rule {

struct Result {
  bool accepted = false;
  int format = 0;
  int records = 0;
};

inline Result Check(const QByteArray& file) {
  const TTraceFile trace = TTraceFile::Parse(file);
  Result r;
  r.accepted = trace.status == TTraceFile::Status::Ok;
  r.format = trace.format;
  r.records = trace.records;
  return r;
}

// A trace as the reference reader reads it: the values of every series in chart order.
struct Trace {
  bool accepted = false;
  int format = 0;
  std::vector<double> time;
  std::array<std::vector<float>, TTraceFile::kSeries> values;
};

namespace detail {

inline bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}
inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The C library's count of conversions of kinds ('i' %d, 'f' %f, 's' %*d) in line; -1 when the
// line ends before the first.
inline int Scan(std::string_view line, std::string_view kinds, double* out) {
  size_t i = 0;
  int count = 0;
  bool converted = false;
  for (const char kind : kinds) {
    while (i < line.size() && IsBlank(line[i])) ++i;
    if (i >= line.size()) return converted ? count : -1;
    const size_t start = i;
    if (line[i] == '+' || line[i] == '-') ++i;
    size_t digits = 0;
    while (i < line.size() && IsDigit(line[i])) ++i, ++digits;
    if (kind == 'f') {
      if (i < line.size() && line[i] == '.') {
        ++i;
        while (i < line.size() && IsDigit(line[i])) ++i, ++digits;
      }
      if (digits > 0 && i < line.size() && (line[i] == 'e' || line[i] == 'E')) {
        const size_t mark = i++;
        if (i < line.size() && (line[i] == '+' || line[i] == '-')) ++i;
        size_t expDigits = 0;
        while (i < line.size() && IsDigit(line[i])) ++i, ++expDigits;
        if (expDigits == 0) i = mark;
      }
    }
    if (digits == 0) return count;
    const char* first = line.data() + start + (line[start] == '+' ? 1 : 0);
    const char* last = line.data() + i;
    double value = 0;
    if (kind == 'f') {
      if (std::from_chars(first, last, value).ec != std::errc()) return count;
    } else {
      long long n = 0;
      if (std::from_chars(first, last, n).ec != std::errc() || n < INT_MIN || n > INT_MAX) return count;
      value = static_cast<double>(n);
    }
    converted = true;
    if (kind != 's') out[count++] = value;
  }
  return count;
}

}  // namespace detail

inline Trace Reference(const QByteArray& file) {
  // Chart order: the column each series plots and its factor (0: integer division by 10).
  constexpr int kColumn[TTraceFile::kSeries] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 12, 13, 15, 16, 17};
  constexpr double kFactor[TTraceFile::kSeries] = {0.001, 1, 0.01, 1, 1, 1, 0.1, 1, 0.1, 1, 1, 0.1, 1, 0, 1};
  std::vector<std::string_view> lines;
  std::string_view rest(file.constData(), static_cast<size_t>(file.size()));
  for (;;) {
    const size_t end = rest.find('\n');
    lines.push_back(rest.substr(0, end));
    if (end == std::string_view::npos) break;
    rest.remove_prefix(end + 1);
  }
  // A line end after the last record ends the file.
  if (lines.size() > 2 && lines.back().empty()) lines.pop_back();
  Trace t;
  for (const std::string_view line : lines)
    if (line.size() > TTraceFile::kLongestLine) return t;
  double format = 0;
  if (lines[0].substr(0, 4) != "Ver." || detail::Scan(lines[0].substr(4), "si", &format) != 1) return t;
  const std::string_view kinds = format == 1 ? "iififffifiifffi" : "iififffifiifffifif";
  const int plotted = format == 2 ? TTraceFile::kSeries : TTraceFile::kSeriesFormat1;
  for (size_t k = 2; k < lines.size(); ++k) {
    double v[18] = {};
    if (detail::Scan(lines[k], kinds, v) != static_cast<int>(kinds.size())) return t;
    t.time.push_back(v[0] * 0.001);
    for (int s = 0; s < plotted; ++s) {
      const double y = kFactor[s] == 0 ? static_cast<double>(static_cast<int>(v[kColumn[s]]) / 10)
                                       : v[kColumn[s]] * kFactor[s];
      constexpr double kFloatMax = std::numeric_limits<float>::max();
      t.values[s].push_back(static_cast<float>(std::clamp(y, -kFloatMax, kFloatMax)));
    }
  }
  t.accepted = true;
  t.format = static_cast<int>(format);
  return t;
}

}  // namespace trace_rule
