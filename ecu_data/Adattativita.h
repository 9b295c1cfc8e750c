#pragma once
// Turns the adaptivity the ECU has learnt (a correction and a coefficient per zone, a zone per
// map cell) into points for the map fit: one point per zone group, merged when close together,
// plus anchors for three corners of the map.
#include <vector>

#include "AcquisitionStore.h"
#include "EcuData.h"

using MapSampleList = std::vector<MapSample>;

// minimum: cells whose zone coefficient is below it count as unlearnt. ascending: order of the
// zone points by coefficient before merging. deltaX (rpm) and deltaY (mV): merging distances,
// exclusive. numCellXS/YS, numCellXD/YD: how many breakpoint steps inward the anchor search
// reaches for the corner of column 0 and the corners of column 11. Returns an empty list when a
// corner has no learnt point near it.
MapSampleList CalcolaAdatta(int minimum, bool ascending, int deltaX, int deltaY, int numCellXS, int numCellYS,
                            int numCellXD, int numCellYD);

// One point per group of cells of one zone found from each non-zero cell of grid (which is
// consumed: the group's cells are zeroed). The walks stop at the grid's edge.
MapSampleList GroupZoneSamples(int (&grid)[TEcuData::kMapSize][TEcuData::kMapSize]);
// Appends the point of cell (row, col) with value and the cell's zone coefficient.
void AddCellSample(MapSampleList& list, int value, int row, int col);
// Mean of rpm, map and value (rounded down) with the first record's coefficient, row and col.
MapSample AverageSamples(const MapSampleList& list);
// One averaged point per group of points closer than deltaX and deltaY to a group's first
// point; points of value 0 start no group. Consumes list.
MapSampleList MergeNearSamples(MapSampleList&& list, int deltaX, int deltaY);
// Appends an anchor for corner (row, col), one of (11, 0), (11, 11), (0, 11), built from the
// learnt point nearest to it; true when appended or when a point lies in the corner's own rpm
// band already, false when no point lies near the corner.
bool AddAnchorSample(MapSampleList& list, int row, int col, int numCellXS, int numCellYS, int numCellXD,
                     int numCellYD);

// Orderings of MapSample lists, for stable sorts: by order (coefficient), by rpm.
bool OrderAscending(const MapSample& a, const MapSample& b);
bool OrderDescending(const MapSample& a, const MapSample& b);
bool RpmAscending(const MapSample& a, const MapSample& b);
bool RpmDescending(const MapSample& a, const MapSample& b);
