#pragma once
// The trace chart's acceptance rule for trace files, written out for the tests: line 1 must
// give one value for "Ver. %*d %d", line 2 is skipped, and every further line (an empty last
// line included) must give exactly 15 values for format 1, else 18. The scan below follows
// the C library's conversion rules for %d and %f without depending on the process locale.
#include <QByteArray>
#include <QList>
#include <cctype>
#include <string>

namespace trace_rule {

// Number of conversions of a pattern made of literals, blanks, %d, %*d and %f that match
// line; -1 when the input ends before the first conversion (the C library's EOF).
inline int ScanCount(const std::string& line, const std::string& pattern) {
  size_t i = 0;
  int count = 0;
  bool converted = false;
  auto skipBlanks = [&] {
    while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i]))) ++i;
  };
  auto digits = [&] {
    size_t n = 0;
    while (i < line.size() && std::isdigit(static_cast<unsigned char>(line[i]))) ++i, ++n;
    return n;
  };
  for (size_t p = 0; p < pattern.size(); ++p) {
    const char c = pattern[p];
    if (std::isspace(static_cast<unsigned char>(c))) {
      skipBlanks();
      continue;
    }
    if (c != '%') {
      if (i >= line.size()) return converted ? count : -1;
      if (line[i] != c) return count;
      ++i;
      continue;
    }
    bool store = true;
    if (pattern[p + 1] == '*') {
      store = false;
      ++p;
    }
    const char conv = pattern[++p];
    skipBlanks();
    if (i >= line.size()) return converted ? count : -1;
    if (line[i] == '+' || line[i] == '-') ++i;
    size_t n = digits();
    if (conv == 'f') {
      if (i < line.size() && line[i] == '.') {
        ++i;
        n += digits();
      }
      if (n > 0 && i < line.size() && (line[i] == 'e' || line[i] == 'E')) {
        const size_t save = i++;
        if (i < line.size() && (line[i] == '+' || line[i] == '-')) ++i;
        if (digits() == 0) i = save;
      }
    }
    if (n == 0) return count;
    converted = true;
    if (store) ++count;
  }
  return count;
}

constexpr const char* kFormat1 = "%d %d %f %d %f %f %f %d %f %d %d %f %f %f %d";
constexpr const char* kFormat2 = "%d %d %f %d %f %f %f %d %f %d %d %f %f %f %d %f %d %f";

struct Result {
  bool accepted = false;
  int format = 0;
  int records = 0;
};

inline Result Check(const QByteArray& file) {
  Result r;
  QList<QByteArray> lines = file.split('\n');
  if (lines.size() < 1) return r;
  int format = 0;
  {
    const std::string l1 = lines[0].toStdString();
    // One stored value for "Ver. %*d %d".
    if (ScanCount(l1, "Ver. %*d %d") != 1) return r;
    size_t pos = l1.find("Ver.") + 4;
    while (std::isspace(static_cast<unsigned char>(l1[pos]))) ++pos;
    while (std::isdigit(static_cast<unsigned char>(l1[pos]))) ++pos;
    format = std::stoi(l1.substr(pos));
  }
  r.format = format;
  const std::string pattern = format == 1 ? kFormat1 : kFormat2;
  const int want = format == 1 ? 15 : 18;
  for (int k = 2; k < lines.size(); ++k) {
    if (ScanCount(lines[k].toStdString(), pattern) != want) return r;
    ++r.records;
  }
  r.accepted = true;
  return r;
}

}  // namespace trace_rule
