#include "DemoData.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "BaseCalibration.h"
#include "BrandProfile.h"
#include "DurableFile.h"
#include "EcuData.h"

namespace {

constexpr int kFlagFuelCng = 4;
constexpr int kVehicleDisplacement = 6;
// The engine the data set's default map stands for.
constexpr double kDefaultMapCc = 1600.0;

QString Ext() { return QString::fromLatin1(GetBrandConfigExt()); }

bool WriteCalibration(TEcuData& data, const TDemoCalibration& c, const QString& path) {
  data.SetDefaults();
  // The file holds fuel and displacement; the turbo option is the ECU's, only the name says it.
  data.SetFlag1(kFlagFuelCng, c.cng);
  data.Cilindrata = c.displacement;  // cc, as the ECU holds it
  data.SetDatoVettura(kVehicleDisplacement, c.displacement);
  data.SetDatoVetturaStr(1, QFileInfo(path).completeBaseName().toLatin1().constData());
  // The injector's opening time does not grow with the engine: only part of the time scales.
  double factor = 0.6 + 0.4 * c.displacement / kDefaultMapCc;
  if (c.cng) factor *= 1.25;
  for (int r = 0; r < TEcuData::kMapSize; ++r) {
    const double boost = c.turbo ? 1.0 + 0.02 * r : 1.0;
    for (int col = 0; col < TEcuData::kMapSize; ++col)
      data.SetMappa(r, col, data.GetMappa(r, col) * factor * boost);
  }
  return data.SaveConfiguration(QFile::encodeName(path).constData(), false) != 0;
}

}  // namespace

const std::vector<TDemoCalibration>& DemoCalibrations() {
  static const std::vector<TDemoCalibration> set = {
      {false, false, 1200}, {false, false, 1600}, {false, false, 2000},
      {false, true, 1400},  {false, true, 2000},  {true, false, 1200},
      {true, false, 1600},  {true, false, 2000},  {true, true, 1400},
  };
  return set;
}

QString DemoCalibrationFileName(const TDemoCalibration& c) {
  return QStringLiteral("Demo") + CalibrationSaveSuffix(c.cng, c.turbo, c.displacement) + QLatin1Char('.') +
         Ext();
}

QStringList WriteDemoDataSet(const QString& dataFolder) {
  QStringList problems;
  const QString programming = dataFolder + QStringLiteral("/Programmazione");
  const QString list = programming + QStringLiteral("/Kiv2001.txt");
  if (!QFileInfo::exists(list)) {
    QDir().mkpath(programming);
    // A new file, not a copy of the built-in one, which would be read-only: the workshop edits
    // its list.
    QByteArray sample;
    if (!ReadWholeFile(QStringLiteral(":/demo/Kiv2001.txt"), &sample) || !WriteFileReplacing(list, sample))
      problems << list;
  }
  const QString calibrations = dataFolder + QStringLiteral("/Taratura");
  QDir().mkpath(calibrations);
  SelectBrand(kThisBuildBrandBit);
  TEcuData data("demo");
  data.WriteThrough = false;  // no ECU behind this data set: its setters only store
  data.SetFileKey(GetBrandFileKey());
  for (const TDemoCalibration& c : DemoCalibrations()) {
    const QString path = calibrations + QLatin1Char('/') + DemoCalibrationFileName(c);
    if (!QFileInfo::exists(path) && !WriteCalibration(data, c, path)) problems << path;
  }
  return problems;
}
