#include "BaseCalibration.h"

#include <QDir>
#include <algorithm>
#include <cstdint>
#include <cstdlib>

QString CalibrationTag(bool cng, bool turbo) {
  if (cng) return turbo ? QStringLiteral("_CNG t_") : QStringLiteral("_CNG_");
  return turbo ? QStringLiteral("_LPG t_") : QStringLiteral("_LPG_");
}

QString CalibrationSaveSuffix(bool cng, bool turbo, int displacement) {
  return CalibrationTag(cng, turbo).toLower() + QString::number(displacement);
}

int CalibrationDisplacement(const QString& fileName) {
  // Only the name counts, and only up to its extension: a dot elsewhere in the name (a model
  // called "1.2") does not cut the number off, and a three-digit displacement reads as itself.
  QString name = fileName.mid(fileName.lastIndexOf(QLatin1Char('/')) + 1);
  const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
  if (dot >= 0) name.truncate(dot);
  int value = 0;
  int scale = 1;
  for (qsizetype i = name.size() - 1, digits = 0; i >= 0 && digits < 4; --i, ++digits) {
    const QChar c = name.at(i);
    if (c < QLatin1Char('0') || c > QLatin1Char('9')) break;
    value += (c.unicode() - '0') * scale;
    scale *= 10;
  }
  return value;
}

QStringList BaseCalibrationFiles(const QString& folder, bool cng, bool turbo, const QString& ext) {
  const QString pattern = QLatin1Char('*') + CalibrationTag(cng, turbo) + QStringLiteral("*.") + ext;
  QDir dir(folder);
  // No CaseSensitive flag: the names match whatever their case, as the save dialog writes the
  // tag in lower case.
  return dir.entryList({pattern}, QDir::Files | QDir::Readable, QDir::Name | QDir::IgnoreCase);
}

TBaseCalibrationChoice ChooseBaseCalibration(const QStringList& names, int displacement) {
  TBaseCalibrationChoice c;
  for (const QString& name : names) {
    // Any displacement the data set holds: the difference is taken in 64 bits and kept within
    // what an int and its absolute value hold.
    const int d = static_cast<int>(
        std::clamp<int64_t>(int64_t{CalibrationDisplacement(name)} - displacement, -INT32_MAX, INT32_MAX));
    if (std::abs(d) < std::abs(c.d1)) {
      c.second = c.nearest;
      c.d2 = c.d1;
      c.nearest = name;
      c.d1 = d;
      ++c.count;
    } else if (std::abs(d) < std::abs(c.d2)) {
      c.second = name;
      c.d2 = d;
      ++c.count;
    }
  }
  return c;
}

double InterpolatedCell(int32_t a, int32_t b, int d1, int d2) {
  if (d1 == d2) return a * 0.004;
  // In floating point throughout: the difference of two raw cells read from files may not fit
  // an int.
  return (a + (static_cast<double>(b) - a) * d1 / (static_cast<double>(d1) - d2)) * 0.004;
}
