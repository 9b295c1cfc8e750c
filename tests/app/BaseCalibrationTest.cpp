// Base calibration loading: the file names, the choice of the nearest files, the interpolation,
// the load into the data set and the ECU, and the calibration entry around it.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <cmath>

#include "BaseCalibration.h"
#include "Calibra.h"
#include "Cilindrata.h"
#include "ConfigFileFormat.h"
#include "DropSweep.h"
#include "KeyComboBox.h"
#include "MainFixture.h"
#include "MainTara.h"
#include "NumericEdit.h"
#include "OnScreen.h"

TEST(BaseCalibration, DisplacementOfAName) {
  const std::pair<const char*, int> cases[] = {
      {"Punto_lpg_1600.gpl", 1600},     {"X_LPG t_2000.gpl", 2000}, {"Micra_cng_999.gpl", 999},
      {"Punto 1.2_lpg_1200.gpl", 1200},  // a dot in the name does not cut the number off
      {"Polo_lpg_1400 bis.gpl", 0},     {"Polo_lpg_.gpl", 0},       {"/a/b.c/Golf_lpg_1900.gpl", 1900},
      {"x_lpg_12000.gpl", 2000},
  };
  for (const auto& [name, cc] : cases)
    EXPECT_EQ(CalibrationDisplacement(QString::fromUtf8(name)), cc) << name;
  EXPECT_EQ(CalibrationTag(true, true), QStringLiteral("_CNG t_"));
  EXPECT_EQ(CalibrationTag(true, false), QStringLiteral("_CNG_"));
  EXPECT_EQ(CalibrationTag(false, true), QStringLiteral("_LPG t_"));
  EXPECT_EQ(CalibrationTag(false, false), QStringLiteral("_LPG_"));
}

TEST(BaseCalibration, NearestTwoFilesByDisplacement) {
  struct Case {
    QStringList names;
    int count;
    const char* nearest;
    int d1;
    const char* second;
    int d2;
  };
  const Case cases[] = {
      {{"a_lpg_1400.x", "b_lpg_1800.x"}, 2, "a_lpg_1400.x", -200, "b_lpg_1800.x", 200},
      {{"a_lpg_1400.x", "b_lpg_1500.x"}, 2, "b_lpg_1500.x", -100, "a_lpg_1400.x", -200},
      {{"a_lpg_1700.x", "b_lpg_1700.x"}, 2, "a_lpg_1700.x", 100, "b_lpg_1700.x", 100},
      {{"a_lpg_1700.x", "b_lpg_1700.x", "c_lpg_1700.x"}, 2, "a_lpg_1700.x", 100, "b_lpg_1700.x", 100},
      {{"a_lpg_2000.x"}, 1, "a_lpg_2000.x", 400, "", 20000},
      {{"a_lpg_1600.x", "b_lpg_1650.x", "c_lpg_1500.x"}, 2, "a_lpg_1600.x", 0, "b_lpg_1650.x", 50},
      {{}, 0, "", 20000, "", 20000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.names.join(QLatin1Char(' ')).toStdString());
    const TBaseCalibrationChoice choice = ChooseBaseCalibration(c.names, 1600);
    EXPECT_EQ(choice.count, c.count);
    EXPECT_EQ(choice.nearest, QString::fromLatin1(c.nearest));
    EXPECT_EQ(choice.d1, c.d1);
    EXPECT_EQ(choice.second, QString::fromLatin1(c.second));
    EXPECT_EQ(choice.d2, c.d2);
  }
  EXPECT_DOUBLE_EQ(InterpolatedCell(500, 700, -200, 200), 600 * 0.004);
  EXPECT_DOUBLE_EQ(InterpolatedCell(500, 400, -100, -200), 600 * 0.004);  // 2A - B
  EXPECT_DOUBLE_EQ(InterpolatedCell(500, 900, 100, 100), 500 * 0.004);
  // Raw cells far apart: their difference is taken without overflowing.
  EXPECT_DOUBLE_EQ(InterpolatedCell(INT32_MIN, INT32_MAX, -1, 1), -0.5 * 0.004);
  // Any displacement the data set holds: files are too far to be taken, nothing overflows.
  for (const int displacement : {INT32_MIN, INT32_MAX})
    EXPECT_EQ(ChooseBaseCalibration({"a_lpg_1400.x"}, displacement).count, 0) << displacement;
  EXPECT_DOUBLE_EQ(InterpolatedCell(500, 700, INT32_MAX, -INT32_MAX), 600 * 0.004);
}

namespace {

class BaseCalibrationLoad : public MainFixture {
 protected:
  BaseCalibrationLoad() {
    Connect();
    QDir().mkpath(Folder());
    prompts.Clear();
  }

  QString Folder() { return dir.path() + QStringLiteral("/Taratura"); }
  static QString Ext() { return QString::fromLatin1(GetBrandConfigExt()); }
  // A base calibration whose gas map cell (r, c) is base + r * 12 + c and whose last rpm
  // breakpoint is `lastRpm`; the data set is left as it was.
  void MakeBase(const QString& name, int base, int lastRpm = 6000) {
    int32_t map[12][12], rpm[12];
    std::memcpy(map, data.Mappa, sizeof map);
    std::memcpy(rpm, data.RifGiri, sizeof rpm);
    const bool changed = data.Changed;
    for (int r = 0; r < 12; ++r)
      for (int c = 0; c < 12; ++c) data.Mappa[r][c] = base + r * 12 + c;
    data.RifGiri[11] = lastRpm;
    const QString path = Folder() + QLatin1Char('/') + name + QLatin1Char('.') + Ext();
    ASSERT_EQ(data.SaveConfiguration(QFile::encodeName(path).constData(), true), 1);
    std::memcpy(data.Mappa, map, sizeof map);
    std::memcpy(data.RifGiri, rpm, sizeof rpm);
    data.Changed = changed;
  }
  void SetDisplacement(int cc) { data.SetValue(0x24B, cc); }
  int32_t EcuMap(int r, int c) const { return ecu.Stored(0x20E, r * 12 + c); }
  void ExpectMap(const std::function<int32_t(int, int)>& expected) {
    for (int r = 0; r < 12; ++r)
      for (int c = 0; c < 12; ++c) {
        ASSERT_EQ(data.Mappa[r][c], expected(r, c)) << r << "," << c;
        ASSERT_EQ(EcuMap(r, c), expected(r, c)) << r << "," << c;
      }
  }
};

}  // namespace

TEST_F(BaseCalibrationLoad, FilesOfTheFuelAndTurboInNameOrder) {
  for (const char* name : {"b_LPG_1800", "a_lpg_1400", "c_lpg t_1600", "d_cng_1600", "e_lpg1600"})
    MakeBase(QString::fromLatin1(name), 100);
  QFile other(Folder() + QStringLiteral("/f_lpg_1600.txt"));
  ASSERT_TRUE(other.open(QIODevice::WriteOnly));
  other.close();
  const QString ext = QLatin1Char('.') + Ext();
  EXPECT_EQ(BaseCalibrationFiles(Folder(), false, false, Ext()),
            (QStringList{QStringLiteral("a_lpg_1400") + ext, QStringLiteral("b_LPG_1800") + ext}));
  EXPECT_EQ(BaseCalibrationFiles(Folder(), false, true, Ext()),
            QStringList{QStringLiteral("c_lpg t_1600") + ext});
  EXPECT_EQ(BaseCalibrationFiles(Folder(), true, false, Ext()),
            QStringList{QStringLiteral("d_cng_1600") + ext});
  EXPECT_TRUE(BaseCalibrationFiles(Folder(), true, true, Ext()).isEmpty());
}

TEST_F(BaseCalibrationLoad, BetweenTheTwoNearestCellByCell) {
  MakeBase(QStringLiteral("a_lpg_1400"), 500);
  MakeBase(QStringLiteral("b_lpg_1800"), 700, 6500);
  SetDisplacement(1600);
  const int32_t lastRpm = data.RifGiri[11];
  ecu.ClearCalls();
  ASSERT_TRUE(LoadBaseCalibration(Main()));
  // The mean of both files' cells, written cell by cell; the axes stay the data set's.
  ExpectMap([](int r, int c) { return 600 + r * 12 + c; });
  EXPECT_EQ(ecu.CountCalls(SimOp::WriteCell, 0x20E), 144);
  EXPECT_EQ(data.RifGiri[11], lastRpm);
  EXPECT_TRUE(prompts.Shown().empty());
  // Both below: extrapolated from the nearer (1500) through the other (1400).
  QFile::remove(Folder() + QStringLiteral("/b_lpg_1800.") + Ext());
  MakeBase(QStringLiteral("b_lpg_1500"), 550);
  ASSERT_TRUE(LoadBaseCalibration(Main()));
  ExpectMap([](int r, int c) { return 600 + r * 12 + c; });  // 2 x 550 - 500

  // A file that lacks cells (here all but one): those cells take the data set's map in its place.
  QFile::remove(Folder() + QStringLiteral("/b_lpg_1500.") + Ext());
  QFile few(Folder() + QStringLiteral("/b_lpg_1800.") + Ext());
  ASSERT_TRUE(few.open(QIODevice::WriteOnly));
  few.write("DECRYPTED_DOZA_FILE\r\n[MappaCarburazione]\r\nMappa0_0=800\r\n");
  few.close();
  for (int k = 0; k < 144; ++k) data.Mappa[k / 12][k % 12] = 1000 + k % 2;  // even sums: exact means
  ASSERT_TRUE(LoadBaseCalibration(Main())) << prompts.Shown().size();
  ExpectMap([](int r, int c) {
    const int k = r * 12 + c;
    return k == 0 ? 650 : (500 + k + 1000 + k % 2) / 2;
  });
}

TEST_F(BaseCalibrationLoad, ExactOrOnlyFileIsLoadedWholeAndWritten) {
  MakeBase(QStringLiteral("a_lpg_1600"), 300, 6800);
  MakeBase(QStringLiteral("b_lpg_1700"), 900);
  SetDisplacement(1600);
  ecu.ClearCalls();
  ASSERT_TRUE(LoadBaseCalibration(Main()));
  ExpectMap([](int r, int c) { return 300 + r * 12 + c; });
  EXPECT_EQ(data.RifGiri[11], 6800);  // the file's breakpoints too
  EXPECT_EQ(ecu.Stored(0x20C, 11), 6800);
  // One file far away: loaded all the same.
  QFile::remove(Folder() + QStringLiteral("/a_lpg_1600.") + Ext());
  SetDisplacement(1000);
  ASSERT_TRUE(LoadBaseCalibration(Main()));
  ExpectMap([](int r, int c) { return 900 + r * 12 + c; });
}

// The base written to the ECU reports to its wait window, which is on the screen meanwhile.
TEST_F(BaseCalibrationLoad, ProgressReachesTheWaitWindow) {
  MakeBase(QStringLiteral("a_lpg_1600"), 300);
  SetDisplacement(1600);
  ProgressOnScreen watch(QStringLiteral("wait-base-calibration"));
  ASSERT_TRUE(LoadBaseCalibration(Main()));
  ExpectFollowed(watch, "TFormAttesa");
}

TEST_F(BaseCalibrationLoad, NoFileOrAnUnreadableOneLeavesTheMap) {
  int32_t before[12][12];
  std::memcpy(before, data.Mappa, sizeof before);
  MakeBase(QStringLiteral("a_cng_1600"), 300);  // another fuel
  SetDisplacement(1600);
  ecu.ClearCalls();
  EXPECT_FALSE(LoadBaseCalibration(Main()));
  ASSERT_EQ(prompts.Shown().size(), 1u);
  EXPECT_EQ(prompts.Shown()[0].text, Text(95));
  EXPECT_EQ(prompts.Shown()[0].icon, PromptIcon::Stop);
  // A damaged file, alone or with another.
  for (bool two : {false, true}) {
    SCOPED_TRACE(two);
    QFile bad(Folder() + QStringLiteral("/z_lpg_1600.") + Ext());
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("not a configuration\n");
    bad.close();
    if (two) MakeBase(QStringLiteral("y_lpg_1800"), 300);
    prompts.Clear();
    EXPECT_FALSE(LoadBaseCalibration(Main()));
    ASSERT_EQ(prompts.Shown().size(), 1u);
    EXPECT_EQ(prompts.Shown()[0].text, QString::fromLatin1(kConfigFileErrorText));
    EXPECT_EQ(std::memcmp(before, data.Mappa, sizeof before), 0);
  }
  // A base map with cells beyond the ECU's word, alone (read whole) or with another (read as a
  // map): the message names the first cell the ECU cannot hold.
  for (const QString& name : QDir(Folder()).entryList(QDir::Files))
    QFile::remove(Folder() + QLatin1Char('/') + name);
  MakeBase(QStringLiteral("w_lpg_1600"), 65530);
  for (bool two : {false, true}) {
    SCOPED_TRACE(two);
    if (two) {
      ASSERT_TRUE(QFile::rename(Folder() + QStringLiteral("/w_lpg_1600.") + Ext(),
                                Folder() + QStringLiteral("/w_lpg_1500.") + Ext()));
      MakeBase(QStringLiteral("v_lpg_1700"), 300);
    }
    prompts.Clear();
    EXPECT_FALSE(LoadBaseCalibration(Main()));
    ASSERT_EQ(prompts.Shown().size(), 1u);
    EXPECT_EQ(
        prompts.Shown()[0].text,
        QString::fromLatin1(kConfigFileErrorText) +
            QStringLiteral("\nValore non valido nel file: [MappaCarburazione] Mappa1_0=65542 (la centralina "
                           "accetta da 0 a 65535). Correggere il valore e riaprire il file."));
    EXPECT_EQ(std::memcmp(before, data.Mappa, sizeof before), 0);
  }
  EXPECT_EQ(ecu.CountCalls(SimOp::WriteCell, 0x20E), 0);
  EXPECT_EQ(ecu.CountCalls(SimOp::WriteRow, 0x20E), 0);
}

using BaseCalibrationDropSweep = BaseCalibrationLoad;  // a sweep: the drop-sweep label runs it

TEST_F(BaseCalibrationDropSweep, LinkDropAnywhereIsReported) {
  MakeBase(QStringLiteral("a_lpg_1400"), 500);
  MakeBase(QStringLiteral("b_lpg_1800"), 700);
  // Between two files (cell by cell), then an exact file (loaded whole, written as a pass).
  for (bool exact : {false, true}) {
    SCOPED_TRACE(exact);
    if (exact) MakeBase(QStringLiteral("c_lpg_1600"), 300);
    const int32_t base = exact ? 300 : 600;
    bool loaded = false;
    for (const LinkFault fault : {LinkFault::Drop, LinkFault::Silence}) {
      SCOPED_TRACE(LinkFaultName(fault));
      const DropSweepResult sweep = DropSweep(
          ecu,
          [&] {
            ReopenLink();
            ecu.ResetMemory();
            SetDisplacement(1600);
            for (int i = 0; i < 144; ++i) data.Mappa[i / 12][i % 12] = 1;  // not the base map
            prompts.Clear();
          },
          [&] {
            loaded = LoadBaseCalibration(Main());
            Pump();
          },
          [&]() -> std::string {
            for (int i = 0; i < 144; ++i)
              if (data.Mappa[i / 12][i % 12] != base + i) return "the base map is not in memory whole";
            if (loaded == Told())
              return loaded ? "reported, and the calibration went on" : "failed without a word";
            if (!loaded) return "";
            if (!LinkOpen()) return "the link dropped without a word";
            for (int i = 0; i < 144; ++i)
              if (EcuMap(i / 12, i % 12) != base + i) return "the ECU holds the base map in part";
            return "";
          },
          fault);
      EXPECT_GT(sweep.positions, exact ? 10 : 140);
      EXPECT_TRUE(sweep.wrong.empty()) << sweep.Text();
    }
  }
}

namespace {

// Runs fn on the next modal dialog of type T once its loop runs. The watch ends with owner, so
// a dialog that never came cannot reach a later test.
template <typename T>
void OnModal(QObject* owner, std::function<void(T*)> fn) {
  auto* timer = new QTimer(owner);
  timer->setInterval(0);
  QObject::connect(timer, &QTimer::timeout, [timer, fn] {
    auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
    if (!dialog || !dialog->isVisible()) return;
    timer->stop();
    timer->deleteLater();
    fn(dialog);
  });
  timer->start();
}

class TaraAction : public BaseCalibrationLoad {
 protected:
  // Answers the start dialog (Cancel when cc is 0) and closes the wizard when it opens.
  void Run(int cc, bool cng = false, bool turbo = false) {
    wizardShown = false;
    OnModal<TFormCilindrata>(&watches, [=, this](TFormCilindrata* d) {
      startShown = {d->EditCilindrata->GetInt(), d->ComboCarburante->currentIndex(),
                    d->CheckTurbo->isChecked()};
      if (cc == 0) {
        d->ButtonAnnulla->click();
        return;
      }
      d->EditCilindrata->SetInt(cc);
      d->ComboCarburante->setCurrentIndex(cng ? 1 : 0);
      d->CheckTurbo->setChecked(turbo);
      OnModal<TFormCalibra>(&watches, [this](TFormCalibra* w) {
        wizardShown = true;
        limitDuringWizard = ecu.Stored(0x626);
        w->ButtonEsci->click();
      });
      d->ButtonOk->click();
    });
    Main().ActionTaraExecute();
    Pump();
  }

  QObject watches;  // the pending modal-dialog watches of this test
  std::array<int, 3> startShown{};
  bool wizardShown = false;
  int limitDuringWizard = 0;
};

}  // namespace

TEST_F(TaraAction, WithoutTheLinkNothingIsAsked) {
  link.Disconnect();
  Pump();
  Main().ActionTaraExecute();
  ASSERT_EQ(prompts.Shown().size(), 1u);
  EXPECT_EQ(prompts.Shown()[0].text, Text(90));
  EXPECT_EQ(prompts.Shown()[0].icon, PromptIcon::Stop);
}

TEST_F(TaraAction, SmallChangesKeepTheMapOthersLoadABase) {
  MakeBase(QStringLiteral("a_lpg_1400"), 500);
  MakeBase(QStringLiteral("b_lpg t_1600"), 800);
  SetDisplacement(1600);
  data.SetOpzioneVettura(1, false);
  int32_t before[12][12];
  std::memcpy(before, data.Mappa, sizeof before);
  const int limit = ecu.Stored(0x626);
  // Cancel: nothing changes.
  Run(0);
  EXPECT_EQ(startShown, (std::array<int, 3>{1600, 0, 0}));
  EXPECT_FALSE(wizardShown);
  // 50 cc less, then 50 cc more, same fuel and turbo: the wizard on the present map; it widened
  // and restored the limits.
  for (int cc : {1550, 1600}) {
    Run(cc);
    EXPECT_TRUE(wizardShown);
    EXPECT_EQ(limitDuringWizard, 400);
    EXPECT_EQ(ecu.Stored(0x626), limit);
    EXPECT_EQ(std::memcmp(before, data.Mappa, sizeof before), 0);
    EXPECT_EQ(data.GetValue(0x24B), cc);
  }
  // The turbo option: the turbo base for 1600 is loaded before the wizard.
  Run(1600, false, true);
  EXPECT_TRUE(wizardShown);
  ExpectMap([](int r, int c) { return 800 + r * 12 + c; });
  // 51 cc more: a base again.
  MakeBase(QStringLiteral("b_lpg t_1600"), 900);
  Run(1651, false, true);
  EXPECT_TRUE(wizardShown);
  ExpectMap([](int r, int c) { return 900 + r * 12 + c; });
  EXPECT_TRUE(prompts.Shown().empty());
}

TEST_F(TaraAction, NoBaseForTheNewFuelRestoresFuelAndDisplacement) {
  MakeBase(QStringLiteral("a_lpg_1600"), 500);
  SetDisplacement(1600);
  data.SetOpzioneVettura(1, false);
  int32_t before[12][12];
  std::memcpy(before, data.Mappa, sizeof before);
  Run(1600, true, true);
  EXPECT_FALSE(wizardShown);
  ASSERT_EQ(prompts.Shown().size(), 1u);
  EXPECT_EQ(prompts.Shown()[0].text, Text(95));
  EXPECT_FALSE(data.GetFlag1(4));
  EXPECT_EQ(data.GetValue(0x24B), 1600);
  EXPECT_TRUE(data.GetOpzioneVettura(1));  // the turbo option keeps its new value
  EXPECT_EQ(std::memcmp(before, data.Mappa, sizeof before), 0);
}
