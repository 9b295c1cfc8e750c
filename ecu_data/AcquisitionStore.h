#pragma once
// The acquisition store: the working points (rpm, MAP, petrol injection time) acquired while
// mapping the engine, and a 12x12 grid that marks the map cells holding a point. One point is
// kept per cell: a new point in an occupied cell replaces the old one.
#include <QString>
#include <cstdint>
#include <vector>

// One point of the store and of the map fit (24 bytes, six signed 32-bit integers).
struct MapSample {
  int32_t rpm = 0;
  int32_t map = 0;    // manifold pressure, millivolts of the sensor
  int32_t value = 0;  // injection time in microseconds, or a correction
  int32_t order = 0;  // order number, or a zone coefficient
  int32_t row = 0;    // MAP index 0..11
  int32_t col = 0;    // rpm index 0..11
};
static_assert(sizeof(MapSample) == 24);

// Sort keys of the store.
enum MapSampleKey : int { SortByRpm = 0, SortByMap = 1, SortByValue = 2, SortByOrder = 3 };

class TDatiMappati {
 public:
  TDatiMappati();
  ~TDatiMappati();
  TDatiMappati(const TDatiMappati&) = delete;
  TDatiMappati& operator=(const TDatiMappati&) = delete;

  // Empties the list, clears the changed flag and the order counter; the grid stays as it is.
  void Clear();
  // Removes one point; its grid cell is cleared unless another point lies in it. An index
  // outside the list does nothing.
  void Delete(int index);
  // Adds a point (map in volts; order below 1 = the next automatic number) and returns the index
  // of the record written: the record of the same cell when there is one (overwritten in its
  // place), else a new record placed by the sort key.
  int Add(int rpm, double map, int value, int order);
  // Clear, then takes over every record of list in its order; list is left empty.
  void AssignList(std::vector<MapSample>& list);
  static int GetOrdinamento();
  // Sets the process-wide sort key and sorts the list by it (stable; an unknown key keeps the
  // order).
  void Ordina(int key);
  // Re-files a record after its fields were edited: recomputes its cell and its place. Returns
  // the new index, or -1 for an index outside the list (nothing happens).
  int Aggiorna(int index);

  bool IsCellaOccupata(int row, int col) const;
  void SetCella(int row, int col, int flag);
  void ClearGriglia();

  // Acquired-points text file: a header line "n.\tGiri\tTempo\tMap", then one line per point:
  // order, rpm, time, map (mV), tab-separated, LF line ends.
  // Returns 1 when read to the end, 0 when the file cannot be opened, holds no point after the
  // header, or a line does not hold four integers (the points read before it are kept). Unless
  // appending, the store is cleared first; appended points get new order numbers.
  int ReadFromFile(const QString& fileName, bool append);
  // Returns 1 when written, 0 when the list is empty or the file could not be written (an
  // existing file is then left as it was).
  int WriteToFile(const QString& fileName) const;

  int Count() const { return static_cast<int>(samples_.size()); }
  const std::vector<MapSample>& Samples() const { return samples_; }
  // The record at index for editing (call Aggiorna afterwards), nullptr outside the list.
  MapSample* Sample(int index);
  // Set by every addition, cleared by Clear; after a deletion it says whether points remain.
  bool IsChanged() const { return changed_; }
  // The points were used (a map was interpolated from them): nothing unsaved is left to lose.
  void ClearChanged() { changed_ = false; }

 private:
  int AddMilliVolts(int rpm, double volts, int32_t millivolts, int value, int order);
  bool SameCellElsewhere(int index) const;

  bool changed_ = false;
  int counter_ = 0;
  int32_t grid_[12][12] = {};
  std::vector<MapSample> samples_;
};

extern TDatiMappati* DatiMappati;

// The map cell of a point (rpm, MAP in volts) by the data set's cell bounds: the nearest
// breakpoint on each axis, a value exactly halfway going to the lower one.
void CellOfPoint(int rpm, double volts, int& row, int& col);
