#include "TraceFile.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <charconv>
#include <climits>
#include <limits>

namespace {

// Chart order: the file column each series plots and the factor of its y (0 = integer
// division by 10).
struct TColumn {
  int column;
  double factor;
};
constexpr std::array<TColumn, TTraceFile::kSeries> kColumns = {{
    {1, 0.001},  // GIRI
    {2, 1},      // MAP
    {3, 0.01},   // CUMULO
    {4, 1},      // TPS
    {5, 1},      // LAMBDA
    {6, 1},      // INJ
    {7, 0.1},    // COR.
    {8, 1},      // INJ.BNZ
    {9, 0.1},    // COR.BNZ
    {11, 1},     // ARR.
    {12, 1},     // PRESS.
    {13, 0.1},   // TEMP.
    {15, 1},     // LAMBDA2
    {16, 0},     // CORRET2, div 10
    {17, 1},     // INJ2
}};

// 'i' an integer, 'f' a real: the columns TEMPO .. LIVELLO, then LAMBDA2, CORRET2, INJ2.
constexpr std::string_view kKinds1 = "iififffifiifffi";
constexpr std::string_view kKinds2 = "iififffifiifffifif";

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

const std::array<TTraceSeriesInfo, TTraceFile::kSeries> TTraceFile::kSeriesInfo = {{
    {373, " x 1000", 0x0000FF},  // red
    {374, "", 0x008000},         // green
    {375, " x 100", 0x00FFFF},   // yellow
    {376, "", 0xFF0000},         // blue
    {377, "", 0xC0C0C0},         // silver
    {378, "", 0x808080},         // gray
    {380, " x 10", 0x808000},    // teal
    {379, "", 0xFF00FF},         // fuchsia
    {381, " x 10", 0x808000},    // teal
    {382, "", 0x0000FF},         // red
    {383, "", 0x80FFFF},
    {384, " x 10", 0x00FF00},    // lime
    {385, "", 0xC0C0C0},         // silver
    {386, " x 10", 0x808000},    // teal
    {387, "", 0x808080},         // gray
}};

int TTraceFile::ScanNumbers(std::string_view line, std::string_view kinds, double* out) {
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

std::optional<int> TTraceFile::HeaderFormat(std::string_view line) {
  constexpr std::string_view kWord = "Ver.";
  if (line.substr(0, kWord.size()) != kWord) return std::nullopt;
  double format = 0;
  if (ScanNumbers(line.substr(kWord.size()), "si", &format) != 1) return std::nullopt;
  return static_cast<int>(format);
}

TTraceFile TTraceFile::Read(const QString& path) {
  TTraceFile result;
  if (!QFileInfo::exists(path)) return result;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    result.status = Status::Unreadable;
    return result;
  }
  return Parse(file.readAll());
}

TTraceFile TTraceFile::Parse(const QByteArray& content) {
  TTraceFile result;
  result.status = Status::Invalid;
  std::string_view rest(content.constData(), static_cast<size_t>(content.size()));
  // The lines one by one; the line end after the last record ends the file, it does not
  // start an empty record.
  const auto nextLine = [&rest](std::string_view& line) {
    const size_t end = rest.find('\n');
    line = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
  };
  std::string_view line;
  nextLine(line);
  const std::optional<int> header = HeaderFormat(line);
  if (!header) return result;
  const int format = *header;
  const std::string_view kinds = format == 1 ? kKinds1 : kKinds2;
  const int plotted = format == 2 ? kSeries : kSeriesFormat1;
  nextLine(line);  // the column titles
  const size_t expected = static_cast<size_t>(std::max<qsizetype>(0, content.count('\n') - 1));
  result.time.reserve(expected);
  for (int s = 0; s < plotted; ++s) result.values[s].reserve(expected);
  double v[18] = {};
  while (!rest.empty()) {
    nextLine(line);
    if (ScanNumbers(line, kinds, v) != static_cast<int>(kinds.size())) {
      result.time = {};
      result.values = {};
      return result;
    }
    result.time.push_back(v[0] * 0.001);
    for (int s = 0; s < plotted; ++s) {
      const TColumn& c = kColumns[s];
      const double y = c.factor == 0 ? static_cast<double>(static_cast<int>(v[c.column]) / 10)
                                     : v[c.column] * c.factor;
      constexpr double kFloatMax = std::numeric_limits<float>::max();
      result.values[s].push_back(static_cast<float>(std::clamp(y, -kFloatMax, kFloatMax)));
    }
    ++result.records;
  }
  result.format = format;
  result.status = Status::Ok;
  return result;
}
