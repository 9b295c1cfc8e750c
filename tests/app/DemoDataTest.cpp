// The demo data set that scripts/run.sh writes into its data folder: the sample status-text list
// and base calibrations that the calibration entry finds by their names (the turbo option is
// the ECU's own, so only the name carries it).
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "BaseCalibration.h"
#include "BrandProfile.h"
#include "DemoData.h"
#include "EcuData.h"
#include "StatusTextList.h"

namespace {

QString Ext() { return QString::fromLatin1(GetBrandConfigExt()); }

}  // namespace

TEST(DemoData, BaseCalibrationsAreFoundByTheirNamesAndHoldWhatTheNamesSay) {
  SelectBrand(kThisBuildBrandBit);
  QTemporaryDir dir;
  ASSERT_EQ(WriteDemoDataSet(dir.path()), QStringList());
  const QString folder = dir.filePath("Taratura");
  EXPECT_EQ(QDir(folder).entryList(QDir::Files).size(), DemoCalibrations().size());
  TEcuData data("read");
  data.WriteThrough = false;  // no ECU: the loaded values are only stored
  data.SetFileKey(GetBrandFileKey());
  for (const TDemoCalibration& c : DemoCalibrations()) {
    const QString name = DemoCalibrationFileName(c);
    SCOPED_TRACE(name.toStdString());
    EXPECT_TRUE(BaseCalibrationFiles(folder, c.cng, c.turbo, Ext()).contains(name));
    EXPECT_FALSE(BaseCalibrationFiles(folder, !c.cng, c.turbo, Ext()).contains(name));
    EXPECT_FALSE(BaseCalibrationFiles(folder, c.cng, !c.turbo, Ext()).contains(name));
    EXPECT_EQ(CalibrationDisplacement(name), c.displacement);
    ASSERT_EQ(data.LoadConfiguration(QFile::encodeName(folder + QLatin1Char('/') + name).constData(), false),
              1);
    EXPECT_EQ(data.GetFlag1(4), c.cng);
    EXPECT_EQ(data.GetValue(0x24B), c.displacement);
    EXPECT_EQ(QString::fromLatin1(data.DescrizAuto) + QLatin1Char('.') + Ext(), name);
  }
  // The set has both fuels, turbo and not, and the simulated vehicle's 1600 cc LPG engine.
  EXPECT_EQ(DemoCalibrationFileName({false, false, 1600}), QStringLiteral("Demo_lpg_1600.") + Ext());
  EXPECT_TRUE(QFile::exists(folder + QStringLiteral("/Demo_lpg_1600.") + Ext()));
  EXPECT_TRUE(QFile::exists(folder + QStringLiteral("/Demo_cng t_1400.") + Ext()));

  // The sample list names the models and can be edited.
  const QString list = dir.filePath("Programmazione/Kiv2001.txt");
  EXPECT_EQ(ModelDisplayName(list, 1), QStringLiteral("Doppia sonda"));
  EXPECT_TRUE(QFile::permissions(list) & QFile::WriteOwner);
}

TEST(DemoData, WhatIsThereStaysAndWhatCannotBeWrittenIsSaid) {
  QTemporaryDir dir;
  const QString list = dir.filePath("Programmazione/Kiv2001.txt");
  const QString base = dir.filePath("Taratura/") + DemoCalibrationFileName({false, false, 1600});
  for (const QString& path : {list, base}) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("the workshop's own\n");
  }
  ASSERT_EQ(WriteDemoDataSet(dir.path()), QStringList());
  for (const QString& path : {list, base}) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), "the workshop's own\n");
  }

  // A file stands where the calibration folder would go.
  QTemporaryDir other;
  QFile blocker(other.filePath("Taratura"));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  const QStringList problems = WriteDemoDataSet(other.path());
  EXPECT_EQ(problems.size(), static_cast<qsizetype>(DemoCalibrations().size()));
  EXPECT_TRUE(QFile::exists(other.filePath("Programmazione/Kiv2001.txt")));
}
