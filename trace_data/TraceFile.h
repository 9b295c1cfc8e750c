#pragma once
// Reader of the real-time trace files that the configuration editor records. Line 1 must start
// with "Ver." and two integers, the second being the format; line 2 holds the column titles and
// is skipped; every further line is one record of 15 numbers (format 1) or 18 (any other
// format), separated by blanks or tabs, read with the C library's %d and %f rules but never
// with the process locale. A record that does not give exactly that many numbers makes the
// whole file invalid, and so does a line longer than kLongestLine (a record is some hundred
// bytes). A line end after the last record is accepted.
//
// The file is read once, block by block, and its records parsed as they come (on several
// threads for a long trace): no copy of its text is kept. The values are reserved from the
// file's size at once; a file whose values the chart could not hold is refused before anything
// is reserved for it.
#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "HeldArray.h"
#include "MinMaxPyramid.h"

struct TTracePoint {
  double x = 0;  // s
  double y = 0;
};

// One plotted trace: its title text, the fixed suffix of its title and its colour (0xBBGGRR).
struct TTraceSeriesInfo {
  int textId = 0;
  const char* suffix = "";
  uint32_t colour = 0;
};

class TTraceFile {
 public:
  enum class Status { Missing, Unreadable, TooLarge, Invalid, Ok };
  static constexpr int kSeries = 15;
  static constexpr int kSeriesFormat1 = 12;
  static const std::array<TTraceSeriesInfo, kSeries> kSeriesInfo;
  // The longest line a trace file may hold, line end left out.
  static constexpr size_t kLongestLine = size_t(1) << 16;

  // Reads the file at path; Missing when it does not exist, TooLarge (nothing read) when it is
  // larger than MaxBytes(). The file is read `blockBytes` at a time (0: a part of text for each
  // thread that parses); a line too long is refused as soon as more than kLongestLine of it
  // has been read, so the reader never holds more than a block and the longest line.
  static TTraceFile Read(const QString& path, size_t blockBytes = 0);
  // The largest trace file the chart takes: one whose values, at the most records its size
  // allows, fit in a quarter of the machine's memory and in the address space.
  static qint64 MaxBytes();
  // Reads the bytes of a trace file.
  static TTraceFile Parse(const QByteArray& content);

  // How many conversions of `kinds` ('i' an integer, 'f' a real, 's' an integer not stored)
  // a line gives, each after optional blanks; -1 when the line ends before the first one
  // (the C library's end of input). Stored values go to out (at least as many as kinds holds).
  static int ScanNumbers(std::string_view line, std::string_view kinds, double* out);
  // The format number of a first line "Ver. <n> <format> ...", or none when it does not give one.
  static std::optional<int> HeaderFormat(std::string_view line);

  Status status = Status::Missing;
  // The file's size in bytes (also when it is refused as too large).
  qint64 bytes = 0;
  int format = 0;
  int records = 0;
  // The time of every record in seconds (TEMPO x 0.001), held once for all series.
  THeldArray<double> time;
  // The y of every record for each series of the chart, in chart order; format 1 and formats
  // above 2 plot only the first 12, the others stay empty. Values beyond the range of a float
  // are held at its largest.
  std::array<THeldArray<float>, kSeries> values;
  // The min/max pyramid of each series' values (empty for the series without values).
  std::array<TMinMaxPyramid, kSeries> pyramids;
  // Where the times stop running in order: TTraceReduction::InOrderStretches(time), one entry
  // for a trace recorded in one go.
  std::vector<uint32_t> stretches;
  // Point k of series s.
  TTracePoint Point(int s, size_t k) const { return {time[k], values[s][k]}; }
  // How many series the chart keeps: 12 with format 1, else 15.
  int SeriesCount() const { return format == 1 ? kSeriesFormat1 : kSeries; }
};
