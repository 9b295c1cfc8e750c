#include "AcquisitionStore.h"

#include <QByteArray>
#include <QFile>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>

#include "DurableFile.h"
#include "EcuData.h"

TDatiMappati* DatiMappati = nullptr;

namespace {

int g_sortKey = SortByRpm;  // one key for the whole process

const char kHeader[] = "n.\tGiri\tTempo\tMap\n";

// The key field of a record; an unknown key gives 0, so every record compares equal.
int32_t KeyField(const MapSample& s, int key) {
  switch (key) {
    case SortByRpm:
      return s.rpm;
    case SortByMap:
      return s.map;
    case SortByValue:
      return s.value;
    case SortByOrder:
      return s.order;
    default:
      return 0;
  }
}

bool InGrid(int row, int col) { return row >= 0 && row < 12 && col >= 0 && col < 12; }

// One decimal integer after blanks, tabs or other white space; false on anything else or an
// overflow. pos moves past it.
bool ParseInteger(const QByteArray& line, qsizetype& pos, int32_t& out) {
  while (pos < line.size() && std::isspace(static_cast<unsigned char>(line[pos]))) ++pos;
  bool negative = false;
  if (pos < line.size() && (line[pos] == '-' || line[pos] == '+')) negative = line[pos++] == '-';
  const qsizetype start = pos;
  int64_t value = 0;
  while (pos < line.size() && line[pos] >= '0' && line[pos] <= '9') {
    value = value * 10 + (line[pos++] - '0');
    if (value > int64_t{std::numeric_limits<int32_t>::max()} + 1) return false;
  }
  if (pos == start) return false;
  value = negative ? -value : value;
  if (value > std::numeric_limits<int32_t>::max()) return false;
  out = static_cast<int32_t>(value);
  return true;
}

}  // namespace

void CellOfPoint(int rpm, double volts, int& row, int& col) {
  int i = 12, j = 12;
  for (int k = 0; k < 12 && i == 12; ++k)
    if ((EcuData ? EcuData->GetCentroGiri(k) : 0) >= rpm) i = k;
  for (int k = 0; k < 12 && j == 12; ++k)
    if ((EcuData ? EcuData->GetCentroMAP(k) : 0.0) >= volts) j = k;
  col = std::max(i, 1) - 1;
  row = std::max(j, 1) - 1;
}

TDatiMappati::TDatiMappati() = default;

TDatiMappati::~TDatiMappati() { Clear(); }

void TDatiMappati::Clear() {
  samples_.clear();
  changed_ = false;
  counter_ = 0;
}

bool TDatiMappati::SameCellElsewhere(int index) const {
  const MapSample& s = samples_[static_cast<size_t>(index)];
  for (int k = 0; k < Count(); ++k)
    if (k != index && samples_[static_cast<size_t>(k)].row == s.row &&
        samples_[static_cast<size_t>(k)].col == s.col)
      return true;
  return false;
}

void TDatiMappati::Delete(int index) {
  if (index < 0 || index >= Count()) return;
  const MapSample& s = samples_[static_cast<size_t>(index)];
  if (!SameCellElsewhere(index)) SetCella(s.row, s.col, 0);
  samples_.erase(samples_.begin() + index);
  changed_ = !samples_.empty();
}

int TDatiMappati::Add(int rpm, double map, int value, int order) {
  return AddMilliVolts(rpm, map, static_cast<int32_t>(std::trunc(map * 1000)), value, order);
}

int TDatiMappati::AddMilliVolts(int rpm, double volts, int32_t millivolts, int value, int order) {
  changed_ = true;
  int row = 0, col = 0;
  CellOfPoint(rpm, volts, row, col);
  SetCella(row, col, 1);
  const int32_t number = order >= 1 ? order : ++counter_;
  for (int k = 0; k < Count(); ++k) {
    MapSample& s = samples_[static_cast<size_t>(k)];
    if (s.row == row && s.col == col) {
      s.value = value;
      s.rpm = rpm;
      s.map = millivolts;
      s.order = number;
      return k;
    }
  }
  const MapSample added{rpm, millivolts, value, number, row, col};
  const int32_t key = KeyField(added, g_sortKey);
  const auto place = std::find_if(samples_.begin(), samples_.end(),
                                  [&](const MapSample& s) { return KeyField(s, g_sortKey) > key; });
  const auto inserted = samples_.insert(place, added);
  return static_cast<int>(inserted - samples_.begin());
}

void TDatiMappati::AssignList(std::vector<MapSample>& list) {
  Clear();
  samples_ = std::move(list);
  list.clear();
}

int TDatiMappati::GetOrdinamento() { return g_sortKey; }

void TDatiMappati::Ordina(int key) {
  g_sortKey = key;
  std::stable_sort(samples_.begin(), samples_.end(), [key](const MapSample& a, const MapSample& b) {
    return KeyField(a, key) < KeyField(b, key);
  });
}

int TDatiMappati::Aggiorna(int index) {
  if (index < 0 || index >= Count()) return -1;
  const MapSample s = samples_[static_cast<size_t>(index)];
  Delete(index);
  // The millivolts are kept as they are; volts only place the point in its cell.
  return AddMilliVolts(s.rpm, s.map / 1000.0, s.map, s.value, s.order);
}

MapSample* TDatiMappati::Sample(int index) {
  return index >= 0 && index < Count() ? &samples_[static_cast<size_t>(index)] : nullptr;
}

bool TDatiMappati::IsCellaOccupata(int row, int col) const {
  return InGrid(row, col) && grid_[row][col] != 0;
}

void TDatiMappati::SetCella(int row, int col, int flag) {
  if (InGrid(row, col)) grid_[row][col] = flag;
}

void TDatiMappati::ClearGriglia() {
  for (auto& row : grid_) std::fill(std::begin(row), std::end(row), 0);
}

int TDatiMappati::ReadFromFile(const QString& fileName, bool append) {
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly)) return 0;
  QList<QByteArray> lines = file.readAll().split('\n');
  if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();  // after the last line feed
  if (!append) Clear();
  // The first line is the header; a file without a point is not a points file.
  if (lines.size() < 2) return 0;
  for (qsizetype n = 1; n < lines.size(); ++n) {
    int32_t order = 0, rpm = 0, time = 0, mv = 0;
    qsizetype pos = 0;
    const QByteArray& line = lines[n];
    if (!ParseInteger(line, pos, order) || !ParseInteger(line, pos, rpm) || !ParseInteger(line, pos, time) ||
        !ParseInteger(line, pos, mv))
      return 0;
    AddMilliVolts(rpm, mv / 1000.0, mv, time, append ? 0 : order);
  }
  return 1;
}

int TDatiMappati::WriteToFile(const QString& fileName) const {
  if (samples_.empty()) return 0;
  QByteArray text(kHeader);
  for (const MapSample& s : samples_)
    text += QByteArray::number(s.order) + '\t' + QByteArray::number(s.rpm) + '\t' +
            QByteArray::number(s.value) + '\t' + QByteArray::number(s.map) + '\n';
  return WriteFileReplacing(fileName, text) ? 1 : 0;
}
