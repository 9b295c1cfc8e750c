#pragma once
// The base calibrations of the calibration folder: configuration files whose name carries a
// fuel/turbo tag ("_CNG t_", "_CNG_", "_LPG t_", "_LPG_", in any case) and ends, before the
// extension, in the engine displacement. For a displacement the nearest file is chosen, or the
// two nearest, between which the gas map is interpolated cell by cell.
#include <QString>
#include <QStringList>
#include <cstdint>

// The tag of a fuel (CNG or LPG) and turbo option.
QString CalibrationTag(bool cng, bool turbo);

// What a calibration save appends to the name the user typed (unless the name holds it already):
// the tag in lower case, then the displacement in decimal ("_lpg t_1600").
QString CalibrationSaveSuffix(bool cng, bool turbo, int displacement);

// The displacement a file name carries: the decimal digits (at most four) that end the name just
// before its extension; 0 when there are none.
int CalibrationDisplacement(const QString& fileName);

// The files of `folder` whose name holds the tag and ends in ".<ext>", without regard to case,
// in name order.
QStringList BaseCalibrationFiles(const QString& folder, bool cng, bool turbo, const QString& ext);

// The nearest file and the second nearest, by the difference d = (file's displacement -
// displacement). Both differences start at 20000; a file is taken only when strictly nearer, so
// among equally near files the first one in the list wins.
struct TBaseCalibrationChoice {
  int count = 0;  // files taken (0: none matched)
  QString nearest;
  int d1 = 20000;
  QString second;
  int d2 = 20000;

  // One file is enough: the displacement matched exactly, or only one file was taken.
  bool Single() const { return d1 == 0 || count == 1; }
};
TBaseCalibrationChoice ChooseBaseCalibration(const QStringList& names, int displacement);

// One cell (ms) between the nearest file's raw cell a and the second's b: the straight line
// through both files' displacements taken at the wanted one (a alone when d1 = d2).
double InterpolatedCell(int32_t a, int32_t b, int d1, int d2);
