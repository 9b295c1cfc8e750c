#include "Adattativita.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "MapSpline.h"

namespace {

int FloorMilliVolts(double volts) { return TruncToInt32(std::floor(volts * 1000)); }

int32_t FloorMean(int64_t sum, int64_t count) {
  int64_t q = sum / count;
  if (sum % count != 0 && (sum < 0) != (count < 0)) --q;
  return static_cast<int32_t>(q);
}

// A closed or half-open interval test on 64-bit bounds.
bool Within(int64_t v, int64_t low, bool lowIncluded, int64_t high) {
  return (lowIncluded ? v >= low : v > low) && v <= high;
}

// The last cell k (0 .. TEcuData::kMapSize - 1) whose bounds k and k+1 enclose v, 0 when none does.
template <typename Bound>
int CellByBounds(int64_t v, Bound bound) {
  int cell = 0;
  for (int k = 0; k < TEcuData::kMapSize; ++k)
    if (bound(k) <= v && v <= bound(k + 1)) cell = k;
  return cell;
}

}  // namespace

bool OrderAscending(const MapSample& a, const MapSample& b) { return a.order < b.order; }
bool OrderDescending(const MapSample& a, const MapSample& b) { return a.order > b.order; }
bool RpmAscending(const MapSample& a, const MapSample& b) { return a.rpm < b.rpm; }
bool RpmDescending(const MapSample& a, const MapSample& b) { return a.rpm > b.rpm; }

void AddCellSample(MapSampleList& list, int value, int row, int col) {
  MapSample s;
  s.rpm = EcuData->GetRifGiri(col);
  s.map = FloorMilliVolts(EcuData->GetRifMAP(row));
  s.value = value;
  s.order = EcuData->GetZonaAdattativa(row, col, 3);
  s.row = row;
  s.col = col;
  list.push_back(s);
}

MapSample AverageSamples(const MapSampleList& list) {
  MapSample mean = list.front();
  int64_t rpm = 0, map = 0, value = 0;
  for (const MapSample& s : list) {
    rpm += s.rpm;
    map += s.map;
    value += s.value;
  }
  const auto n = static_cast<int64_t>(list.size());
  mean.rpm = FloorMean(rpm, n);
  mean.map = FloorMean(map, n);
  mean.value = FloorMean(value, n);
  return mean;
}

MapSampleList GroupZoneSamples(int (&grid)[TEcuData::kMapSize][TEcuData::kMapSize]) {
  MapSampleList result;
  for (int r = 0; r < TEcuData::kMapSize; ++r) {
    for (int c = 0; c < TEcuData::kMapSize; ++c) {
      if (grid[r][c] == 0) continue;
      const int zone = EcuData->GetZonaAdattativa(r, c, 1);
      MapSampleList group;
      for (int r2 = r; r2 < TEcuData::kMapSize && EcuData->GetZonaAdattativa(r2, c, 1) == zone; ++r2) {
        AddCellSample(group, grid[r2][c], r2, c);
        grid[r2][c] = 0;
        for (int c2 = c + 1; c2 < TEcuData::kMapSize && EcuData->GetZonaAdattativa(r2, c2, 1) == zone; ++c2) {
          AddCellSample(group, grid[r2][c2], r2, c2);
          grid[r2][c2] = 0;
        }
      }
      result.push_back(AverageSamples(group));
    }
  }
  return result;
}

MapSampleList MergeNearSamples(MapSampleList&& list, int deltaX, int deltaY) {
  MapSampleList merged;
  for (size_t i = 0; i < list.size(); ++i) {
    if (list[i].value == 0) continue;
    MapSample first = list[i];
    first.order = first.row = first.col = 0;
    MapSampleList group{first};
    list[i].value = 0;
    for (size_t j = i + 1; j < list.size(); ++j) {
      MapSample& s = list[j];
      if (s.value == 0) continue;
      const int64_t dr = int64_t{s.rpm} - first.rpm, dm = int64_t{s.map} - first.map;
      if (-deltaX < dr && dr < deltaX && -deltaY < dm && dm < deltaY) {
        group.push_back(s);
        s.value = 0;
      }
    }
    merged.push_back(AverageSamples(group));
  }
  list.clear();
  return merged;
}

bool AddAnchorSample(MapSampleList& list, int row, int col, int numCellXS, int numCellYS, int numCellXD,
                     int numCellYD) {
  TEcuData& data = *EcuData;
  const bool left = col == 0;  // column 0: the anchor search reaches right, else left
  const int sc = left ? 1 : -1;
  const int sr = row == 0 ? 1 : -1;
  // Half distances to the inner neighbour on each axis (breakpoints increase, so both are
  // positive; a non-increasing pair gives 0).
  const int64_t b = data.GetRifGiri(col);
  const int64_t hR = std::max<int64_t>(0, (int64_t{data.GetRifGiri(col + sc)} - b) * sc) / 2;
  const int64_t m = FloorMilliVolts(data.GetRifMAP(row));
  const int64_t hM = std::max<int64_t>(0, (FloorMilliVolts(data.GetRifMAP(row + sr)) - m) * sr) / 2;

  // Search window: the corner's own band plus numCell steps inward.
  const int64_t rpmLow = left ? b - hR : b - hR - 2 * hR * numCellXD;
  const int64_t rpmHigh = left ? b + hR + 2 * hR * numCellXS : b + hR;
  // Points beyond the corner's own rpm band.
  const int64_t innerLow = left ? b + hR : rpmLow;
  const int64_t innerHigh = left ? rpmHigh : b - hR;
  int64_t mapLow = m - hM, mapHigh = m + hM;
  if (row == 11)
    mapLow -= 2 * hM * (left ? numCellYS : numCellYD);
  else
    mapHigh += 2 * hM * numCellYD;

  MapSampleList collected;
  for (const MapSample& s : list) {
    if (!Within(s.rpm, rpmLow, true, rpmHigh) || !Within(s.map, mapLow, false, mapHigh)) continue;
    if (!Within(s.rpm, innerLow, true, innerHigh)) return true;  // the corner is covered
    collected.push_back(s);
  }
  if (collected.empty()) return false;
  std::stable_sort(collected.begin(), collected.end(), left ? RpmAscending : RpmDescending);
  MapSample anchor = collected.front();

  if (left) {
    // Carry the correction over to the corner cell in proportion to the two gas cells.
    const int c = CellByBounds(anchor.rpm, [&](int k) { return int64_t{data.GetCentroGiri(k)}; });
    const int r =
        CellByBounds(anchor.map, [&](int k) { return int64_t{FloorMilliVolts(data.GetCentroMAP(k))}; });
    const double corner = data.GetMappa(11, 0), found = data.GetMappa(r, c);
    if (corner > found)
      anchor.value = TruncToInt32(std::floor((anchor.value + 1000.0) * found / corner)) - 1000;
  }
  anchor.rpm = static_cast<int32_t>(b);
  anchor.order = anchor.row = anchor.col = 0;
  list.push_back(anchor);
  return true;
}

MapSampleList CalcolaAdatta(int minimum, bool ascending, int deltaX, int deltaY, int numCellXS, int numCellYS,
                            int numCellXD, int numCellYD) {
  if (!EcuData) return {};
  int grid[TEcuData::kMapSize][TEcuData::kMapSize];
  for (int r = 0; r < TEcuData::kMapSize; ++r)
    for (int c = 0; c < TEcuData::kMapSize; ++c)
      grid[r][c] = EcuData->GetZonaAdattativa(r, c, 3) < minimum ? 0 : EcuData->GetZonaAdattativa(r, c, 4);
  MapSampleList zones = GroupZoneSamples(grid);
  std::stable_sort(zones.begin(), zones.end(), ascending ? OrderAscending : OrderDescending);
  MapSampleList list = MergeNearSamples(std::move(zones), deltaX, deltaY);
  const int corners[3][2] = {{11, 0}, {11, 11}, {0, 11}};
  for (const auto& corner : corners)
    if (!AddAnchorSample(list, corner[0], corner[1], numCellXS, numCellYS, numCellXD, numCellYD)) return {};
  return list;
}
