#include <gtest/gtest.h>

#include <QDir>
#include <QSettings>
#include <QTemporaryDir>
#include <functional>

#include "AppSettings.h"
#include "BrandProfile.h"
#include "DurableFile.h"
#include "SmallDisk.h"

namespace {

// Points the native settings store at a temporary folder, so no test touches the user's own.
class AppSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SelectBrand(kThisBuildBrandBit);
    ASSERT_TRUE(dir_.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir_.path());
  }

  static QSettings Store() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, "Tarn", "2001");
  }

  static void Put(const char* name, const QVariant& value) {
    QSettings s(QSettings::NativeFormat, QSettings::UserScope, "Tarn", "2001");
    s.setValue(name, value);
    s.sync();
  }

  static void ExpectStored(int comPort, const QString& mainPath, int language, int lastWarning) {
    QSettings s(QSettings::NativeFormat, QSettings::UserScope, "Tarn", "2001");
    EXPECT_EQ(s.value("ComPort").toInt(), comPort);
    EXPECT_EQ(s.value("MainPath").toString(), mainPath);
    EXPECT_EQ(s.value("Language").toInt(), language);
    EXPECT_EQ(s.value("LastWarning").toInt(), lastWarning);
  }

  QTemporaryDir dir_;
};

TEST_F(AppSettingsTest, FirstRunAsksForResetAndWritesAllFourValues) {
  {
    TAppSettings settings(nullptr);
    EXPECT_TRUE(settings.ResetNeeded());
    EXPECT_EQ(settings.GetSetting(SettingComPort), 1);
    EXPECT_EQ(settings.GetSetting(SettingLanguage), 0);
    EXPECT_EQ(settings.GetSetting(SettingFifteen), 2);
    EXPECT_EQ(settings.GetSetting(SettingLastWarning), 0);
    EXPECT_EQ(settings.GetMainPath(), QDir::currentPath());
    EXPECT_EQ(settings.GetConfigurationsFolder(), QDir::currentPath() + "/Configurazioni");
    EXPECT_TRUE(settings.GetRunFlag());
  }
  ExpectStored(1, QDir::currentPath(), 0, 0);
  TAppSettings again(nullptr);
  EXPECT_FALSE(again.ResetNeeded());
}

TEST_F(AppSettingsTest, StoredValuesReadAndChangesWrittenAtExit) {
  Put("ComPort", 3);
  Put("MainPath", "/data/officina");
  Put("Language", 2);
  Put("LastWarning", 45000);
  {
    TAppSettings settings(nullptr);
    EXPECT_FALSE(settings.ResetNeeded());
    EXPECT_EQ(settings.GetSetting(SettingComPort), 3);
    EXPECT_EQ(settings.GetMainPath(), "/data/officina");
    EXPECT_EQ(settings.GetConfigurationsFolder(), "/data/officina/Configurazioni");
    EXPECT_EQ(settings.GetSetting(SettingLanguage), 2);
    EXPECT_EQ(settings.GetSetting(SettingLastWarning), 45000);
    EXPECT_EQ(settings.SetSetting(SettingLanguage, 1), 1);
    EXPECT_EQ(settings.SetSetting(SettingLastWarning, 45001), 1);
    // Setting a value changes only the object until destruction.
    ExpectStored(3, "/data/officina", 2, 45000);
  }
  ExpectStored(3, "/data/officina", 1, 45001);
}

TEST_F(AppSettingsTest, MissingLanguageKeepsEarlierValuesAndDefaultsTheRest) {
  Put("ComPort", 4);
  Put("MainPath", "/data/x");
  Put("LastWarning", 44000);  // after the failing read: not read
  {
    TAppSettings settings(nullptr);
    EXPECT_TRUE(settings.ResetNeeded());
    EXPECT_EQ(settings.GetSetting(SettingComPort), 4);
    EXPECT_EQ(settings.GetMainPath(), "/data/x");
    EXPECT_EQ(settings.GetSetting(SettingLanguage), 0);
    EXPECT_EQ(settings.GetSetting(SettingLastWarning), 0);
  }
  ExpectStored(4, "/data/x", 0, 0);
}

TEST_F(AppSettingsTest, ComPortOfWrongTypeKeepsEveryDefault) {
  Put("ComPort", "COM1");
  Put("MainPath", "/data/y");
  Put("Language", 1);
  Put("LastWarning", 1);
  TAppSettings settings(nullptr);
  EXPECT_TRUE(settings.ResetNeeded());
  EXPECT_EQ(settings.GetSetting(SettingComPort), 1);
  EXPECT_EQ(settings.GetMainPath(), QDir::currentPath());
  EXPECT_EQ(settings.GetSetting(SettingLanguage), 0);
  EXPECT_EQ(settings.GetSetting(SettingLastWarning), 0);
}

TEST_F(AppSettingsTest, UnknownIdsAndPathLimits) {
  Put("ComPort", 1);
  Put("MainPath", QString(200, 'p'));
  Put("Language", 0);
  Put("LastWarning", 0);
  TAppSettings settings(nullptr);
  EXPECT_EQ(settings.GetMainPath(), QString(kMainPathMaxLength, 'p'));
  EXPECT_EQ(settings.GetSetting(12), 0);
  EXPECT_EQ(settings.SetSetting(12, 7), 0);
  EXPECT_EQ(settings.GetSetting(12), 0);
  EXPECT_EQ(settings.SetSetting(SettingFifteen, 9), 1);
  EXPECT_EQ(settings.GetSetting(SettingFifteen), 9);
  const QStringList lines = TAppSettings::ResetMessage().split('\n');
  ASSERT_EQ(lines.size(), 3);
  EXPECT_EQ(lines[1], "Queste verranno ora resettate: controllarne la correttezza.");
}

TEST_F(AppSettingsTest, AbsentMainPathKeepsTheCurrentDirectory) {
  Put("ComPort", 2);
  Put("Language", 1);
  Put("LastWarning", 7);
  TAppSettings settings(nullptr);
  EXPECT_FALSE(settings.ResetNeeded());
  EXPECT_EQ(settings.GetMainPath(), QDir::currentPath());
  EXPECT_EQ(settings.GetSetting(SettingLastWarning), 7);
}

TEST_F(AppSettingsTest, OwnSubKeyUsesItsOwnStore) {
  {
    TAppSettings settings("Other\\Tool");
    settings.SetSetting(SettingComPort, 8);
  }
  QSettings other(QSettings::NativeFormat, QSettings::UserScope, "Other", "Tool");
  EXPECT_EQ(other.value("ComPort").toInt(), 8);
  EXPECT_FALSE(Store().contains("ComPort"));
}

// Settings written at exit on a full disk, on a disk with room for one or two small files only
// (the store takes a lock file first) or into a read-only folder: nothing is said (a store that
// cannot be written is silent), but the stored values stay as they were.
TEST_F(AppSettingsTest, SettingsThatFindNoRoomKeepTheStoredValues) {
  SmallDisk disk;
  SKIP_WITHOUT_SMALL_DISK(disk);
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, disk.Path());
  struct Case {
    const char* name;
    std::function<void()> enter, leave;
  };
  const Case cases[] = {
      {"full disk", [&] { disk.Fill(); }, [&] { disk.Free(); }},
      {"one page free", [&] { disk.Fill(4096); }, [&] { disk.Free(); }},
      {"two pages free", [&] { disk.Fill(8192); }, [&] { disk.Free(); }},
      {"read-only folder", [&] { disk.MakeReadOnly(); }, [&] { disk.MakeReadOnly(false); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // A store of its own for each case: this process's settings objects keep in memory what
    // they could not write, and would write it as soon as there is room.
    const QByteArray subKey = QByteArray("Tarn\\") + QByteArray(c.name).replace(' ', '_');
    const QString file = disk.FilePath("Tarn/" + QString::fromLatin1(subKey.mid(5)) + ".conf");
    {
      TAppSettings settings(subKey.constData());
      settings.SetSetting(SettingComPort, 3);
      settings.SetSetting(SettingLanguage, 2);
      settings.SetSetting(SettingLastWarning, 45000);
    }
    QByteArray before;
    ASSERT_TRUE(ReadWholeFile(file, &before));
    EXPECT_TRUE(before.contains("Language=2\n")) << before.constData();
    {
      TAppSettings settings(subKey.constData());
      settings.SetSetting(SettingLanguage, 1);
      c.enter();
    }
    c.leave();
    QByteArray after;
    ASSERT_TRUE(ReadWholeFile(file, &after));
    EXPECT_EQ(after, before);
  }
  EXPECT_EQ(QDir(disk.FilePath("Tarn")).entryList(QDir::Files).size(), 4);
}

TEST(DayNumber, CountsDaysSinceTheEpochOfThePlatformDate) {
  EXPECT_EQ(DayNumber(QDate(1899, 12, 30)), 0);
  EXPECT_EQ(DayNumber(QDate(1900, 1, 1)), 2);
  EXPECT_EQ(DayNumber(QDate(2000, 1, 1)), 36526);
  {
    ScopedToday today(QDate(2024, 3, 1));
    EXPECT_EQ(TodayDayNumber(), 45352);
  }
  EXPECT_EQ(TodayDayNumber(), DayNumber(QDate::currentDate()));
}

}  // namespace
