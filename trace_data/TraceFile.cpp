#include "TraceFile.h"

#include <QFile>
#include <QFileInfo>
#include <QtGlobal>
#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>

#include "ParallelRun.h"
#include "TraceReduction.h"

#if defined(Q_OS_UNIX)
#include <unistd.h>
#elif defined(Q_OS_WIN)
#define NOMINMAX
#include <windows.h>
#endif

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
    {384, " x 10", 0x00FF00},  // lime
    {385, "", 0xC0C0C0},       // silver
    {386, " x 10", 0x808000},  // teal
    {387, "", 0x808080},       // gray
}};

int TTraceFile::ScanNumbers(std::string_view line, std::string_view kinds, double* out) {
  const char* p = line.data();
  const char* const end = p + line.size();
  int count = 0;
  bool converted = false;
  for (const char kind : kinds) {
    while (p < end && IsBlank(*p)) ++p;
    if (p >= end) return converted ? count : -1;
    const char* start = p;
    double value = 0;
    if (kind == 'f') {
      // strtod's form without hexadecimals, infinities and NaNs, which from_chars reads as it
      // does once a '+' is passed over and a digit is sure to come.
      const char* q = start;
      if (*q == '+')
        start = ++q;
      else if (*q == '-')
        ++q;
      if (q < end && *q == '.') ++q;
      if (q >= end || !IsDigit(*q)) return count;
      const std::from_chars_result r = std::from_chars(start, end, value);
      if (r.ec != std::errc()) return count;
      p = r.ptr;
    } else {
      const bool negative = *p == '-';
      if (*p == '+' || *p == '-') ++p;
      const char* digits = p;
      // Past the magnitude of the smallest int the digits only tell that the field is out of
      // range: the count stops growing there (leading zeros keep it small), so it cannot wrap.
      constexpr long long kBeyond = -static_cast<long long>(INT_MIN) + 1;
      long long n = 0;
      while (p < end && IsDigit(*p)) {
        n = std::min(n * 10 + (*p - '0'), kBeyond);
        ++p;
      }
      if (p == digits) return count;
      if (negative) n = -n;
      if (n < INT_MIN || n > INT_MAX) return count;
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

namespace {

// Text parsed by one thread at a time, the most threads that parse (more cost memory and gain
// little: the parse then waits on memory), and the least records whose pyramids are built on
// several threads.
constexpr size_t kPartBytes = 1 << 20;
constexpr size_t kReadThreads = 4;
constexpr int kParallelRecords = 1 << 16;

// Where the records of a piece of text go: its first record's slot in every array.
struct TSlots {
  double* time = nullptr;
  std::array<float*, TTraceFile::kSeries> values{};
};

// The reader of a trace's text, fed with its lines as they are read.
class TTraceReader {
 public:
  TTraceReader(TTraceFile& trace, qint64 totalBytes) : trace_(trace), totalBytes_(totalBytes) {}

  // Whole lines, each with its line end. False when the trace is invalid.
  bool Lines(std::string_view text);
  // The text after the last line end, at the end of the file.
  bool End(std::string_view rest);
  // The trace is read: its values are trimmed to their count and the pyramids built.
  void Finish();
  // The reader ran out of memory.
  bool OutOfMemory() const { return outOfMemory_; }

 private:
  // Marks the reader out of memory; false.
  bool RanOutOfMemory() {
    outOfMemory_ = true;
    return false;
  }

  bool HeadLine(std::string_view line);
  bool Records(std::string_view text);
  bool Parse(std::string_view text, const TSlots& out) const;

  TTraceFile& trace_;
  qint64 totalBytes_;
  int headLines_ = 0;  // of the two lines before the records
  std::string_view kinds_;
  int plotted_ = 0;
  bool outOfMemory_ = false;
};

bool TTraceReader::Lines(std::string_view text) {
  while (headLines_ < 2 && !text.empty()) {
    const size_t end = text.find('\n');
    if (!HeadLine(text.substr(0, end))) return false;
    text.remove_prefix(end + 1);
  }
  return text.empty() || Records(text);
}

bool TTraceReader::End(std::string_view rest) {
  // No line at all is a missing first line; no titles line, or none after the records, is fine.
  if (headLines_ < 2) return HeadLine(rest);
  return rest.empty() || Records(rest);
}

bool TTraceReader::HeadLine(std::string_view line) {
  if (line.size() > TTraceFile::kLongestLine) return false;
  if (headLines_++ == 1) return true;  // the column titles
  const std::optional<int> format = TTraceFile::HeaderFormat(line);
  if (!format) return false;
  trace_.format = *format;
  kinds_ = *format == 1 ? kKinds1 : kKinds2;
  plotted_ = *format == 2 ? TTraceFile::kSeries : TTraceFile::kSeriesFormat1;
  // No record is shorter than two characters a field (one for the first, with its line end):
  // a reserve for that many records is never outgrown, and what stays unused is never touched.
  const size_t most = static_cast<size_t>(totalBytes_) / (2 * kinds_.size()) + 1;
  trace_.time.reserve(most);
  for (int s = 0; s < plotted_; ++s) trace_.values[s].reserve(most);
  return true;
}

bool TTraceReader::Records(std::string_view text) {
  while (!text.empty()) {
    // Up to one part for each thread, each cut after a line end.
    std::string_view pieces[kReadThreads];
    size_t count = 0;
    for (; count < ParallelThreads(kReadThreads) && !text.empty(); ++count) {
      size_t end = text.size();
      if (end > kPartBytes) {
        end = text.find('\n', kPartBytes);
        end = end == std::string_view::npos ? text.size() : end + 1;
      }
      pieces[count] = text.substr(0, end);
      text.remove_prefix(end);
    }
    // Every line of a part is one record (or the trace is invalid), so its line ends say where
    // its records go, and each part is parsed straight into the trace's arrays.
    size_t lines[kReadThreads] = {};
    bool good[kReadThreads] = {};
    const auto countLines = [&](size_t i) {
      lines[i] = static_cast<size_t>(std::count(pieces[i].begin(), pieces[i].end(), '\n'));
      if (pieces[i].back() != '\n') ++lines[i];
    };
    if (!RunParallel(count, countLines)) return RanOutOfMemory();
    size_t total = 0;
    for (size_t i = 0; i < count; ++i) total += lines[i];
    TSlots place[kReadThreads];
    place[0].time = trace_.time.extend(total);
    for (int s = 0; s < plotted_; ++s) place[0].values[s] = trace_.values[s].extend(total);
    for (size_t i = 1; i < count; ++i) {
      place[i].time = place[i - 1].time + lines[i - 1];
      for (int s = 0; s < plotted_; ++s) place[i].values[s] = place[i - 1].values[s] + lines[i - 1];
    }
    trace_.records += static_cast<int>(total);
    if (!RunParallel(count, [&](size_t i) { good[i] = Parse(pieces[i], place[i]); })) return RanOutOfMemory();
    for (size_t i = 0; i < count; ++i)
      if (!good[i]) return false;
  }
  return true;
}

bool TTraceReader::Parse(std::string_view text, const TSlots& out) const {
  double v[18] = {};
  for (size_t k = 0; !text.empty(); ++k) {
    const size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.size() > TTraceFile::kLongestLine ||
        TTraceFile::ScanNumbers(line, kinds_, v) != static_cast<int>(kinds_.size()))
      return false;
    out.time[k] = v[0] * 0.001;
    for (int s = 0; s < plotted_; ++s) {
      const TColumn& c = kColumns[s];
      const double y = c.factor == 0 ? static_cast<double>(static_cast<int>(v[c.column]) / 10)
                                     : v[c.column] * c.factor;
      constexpr double kFloatMax = std::numeric_limits<float>::max();
      out.values[s][k] = static_cast<float>(std::clamp(y, -kFloatMax, kFloatMax));
    }
  }
  return true;
}

void TTraceReader::Finish() {
  trace_.time.shrink_to_fit();
  for (THeldArray<float>& v : trace_.values) v.shrink_to_fit();
  trace_.stretches = TTraceReduction::InOrderStretches(trace_.time);
  // Threads pay for a long trace only.
  if (!RunParallel(
          static_cast<size_t>(plotted_),
          [this](size_t s) { trace_.pyramids[s] = TMinMaxPyramid(trace_.values[s]); },
          trace_.records < kParallelRecords ? 1 : ParallelThreads(kReadThreads)))
    outOfMemory_ = true;
}

// A trace that could not be read holds nothing.
TTraceFile Failed(TTraceFile::Status status, qint64 bytes) {
  TTraceFile failed;
  failed.status = status;
  failed.bytes = bytes;
  return failed;
}

}  // namespace

qint64 TTraceFile::MaxBytes() {
  qint64 memory = qint64(1) << 32;  // where the machine does not say
#if defined(Q_OS_UNIX) && defined(_SC_PHYS_PAGES)
  const long pages = sysconf(_SC_PHYS_PAGES), pageSize = sysconf(_SC_PAGESIZE);
  if (pages > 0 && pageSize > 0) memory = static_cast<qint64>(pages) * pageSize;
#elif defined(Q_OS_WIN)
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof status;
  if (GlobalMemoryStatusEx(&status)) memory = static_cast<qint64>(status.ullTotalPhys);
#endif
  // Format 2 at its shortest lines, 36 bytes a record, holds 68 bytes of values and 8 of
  // pyramids a record: some 2 bytes for each byte of the file (a recorded trace, about 77
  // bytes a record, holds less than one).
  constexpr qint64 kHeldPerByte = 2;
  const qint64 addressSpace = static_cast<qint64>(std::min<uint64_t>(SIZE_MAX, INT64_MAX) / 4);
  // Records are counted in an int; no record is shorter than 30 bytes.
  const qint64 countable = qint64(30) * INT_MAX;
  return std::min({memory / 4 / kHeldPerByte, addressSpace / kHeldPerByte, countable});
}

TTraceFile TTraceFile::Read(const QString& path, size_t blockBytes) {
  const QFileInfo info(path);
  if (!info.exists()) return {};
  const qint64 bytes = info.size();
  if (bytes > MaxBytes()) return Failed(Status::TooLarge, bytes);
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) return Failed(Status::Unreadable, bytes);
  try {
    TTraceFile result;
    result.bytes = bytes;
    TTraceReader reader(result, bytes);
    // A block of text for each thread; its last, unfinished line moves to the front for the next.
    const qint64 block =
        static_cast<qint64>(blockBytes > 0 ? blockBytes : kPartBytes * ParallelThreads(kReadThreads));
    std::vector<char> buffer(static_cast<size_t>(std::clamp<qint64>(bytes, 1, block)));
    size_t kept = 0;
    for (;;) {
      // A block without a line end: the line goes on in the next one, up to the longest.
      if (kept == buffer.size()) buffer.resize(std::min(2 * buffer.size(), kLongestLine + 1));
      const qint64 got = file.read(buffer.data() + kept, static_cast<qint64>(buffer.size() - kept));
      if (got < 0) return Failed(Status::Unreadable, bytes);
      if (got == 0) {
        if (!reader.End({buffer.data(), kept})) break;
        reader.Finish();
        if (reader.OutOfMemory()) break;
        result.status = Status::Ok;
        return result;
      }
      const std::string_view text(buffer.data(), kept + static_cast<size_t>(got));
      const size_t lastEnd = text.rfind('\n');
      const size_t whole = lastEnd == std::string_view::npos ? 0 : lastEnd + 1;
      if (whole > 0 && !reader.Lines(text.substr(0, whole))) break;
      // The unfinished line: refused once it is longer than any line may be.
      kept = text.size() - whole;
      if (kept > kLongestLine) break;
      std::memmove(buffer.data(), buffer.data() + whole, kept);
    }
    return Failed(reader.OutOfMemory() ? Status::TooLarge : Status::Invalid, bytes);
  } catch (const std::bad_alloc&) {
    return Failed(Status::TooLarge, bytes);
  }
}

TTraceFile TTraceFile::Parse(const QByteArray& content) {
  TTraceFile result;
  result.bytes = content.size();
  TTraceReader reader(result, content.size());
  const std::string_view text(content.constData(), static_cast<size_t>(content.size()));
  const size_t lastEnd = text.rfind('\n');
  const size_t rest = lastEnd == std::string_view::npos ? 0 : lastEnd + 1;
  if (!reader.Lines(text.substr(0, rest)) || !reader.End(text.substr(rest)))
    return Failed(Status::Invalid, result.bytes);
  reader.Finish();
  result.status = Status::Ok;
  return result;
}
