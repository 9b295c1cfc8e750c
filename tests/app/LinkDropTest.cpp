// The link dropping at every exchange of connect and of File Apri's load-and-write: the data
// set keeps what it held (or the whole file), and whatever did not reach its end is said.
#include <QDir>
#include <QFile>

#include "ConfigFileFormat.h"
#include "DropSweep.h"
#include "MainFixture.h"

namespace {

// Values the ECU's factory configuration lacks, in the first, a middle and the last item a
// whole read or write moves.
constexpr int32_t kFirstRpm = 6789;  // RifGiri[11], 0xC30C
constexpr int32_t kCell = 1234;      // Mappa[2][3], 0xC30E
constexpr int32_t kLastCoeff = 77;   // CoeffGas[8], 0x917E

class LinkDropSweep : public MainFixture {
 protected:
  void Mark(TEcuDataFields& f, int32_t shift) {
    f.RifGiri[11] = kFirstRpm + shift;
    f.Mappa[2][3] = kCell + shift;
    f.CoeffGas[8] = kLastCoeff + shift;
  }
  bool HoldsMarks(const TEcuDataFields& f, int32_t shift) {
    return f.RifGiri[11] == kFirstRpm + shift && f.Mappa[2][3] == kCell + shift &&
           f.CoeffGas[8] == kLastCoeff + shift;
  }
  bool EcuHoldsMarks(int32_t shift) {
    return ecu.Stored(0xC30C, 11) == kFirstRpm + shift && ecu.Stored(0xC30E, 27) == kCell + shift &&
           ecu.Stored(0x917E, 8) == kLastCoeff + shift;
  }
};

}  // namespace

TEST_F(LinkDropSweep, ConnectCutShortKeepsTheDataSetAndSaysSo) {
  Main();
  for (const LinkFault fault : {LinkFault::Drop, LinkFault::Silence}) {
    SCOPED_TRACE(LinkFaultName(fault));
    TEcuDataFields before;
    const DropSweepResult sweep = DropSweep(
        ecu,
        [&] {
          link.Disconnect();
          Pump();
          ecu.ResetMemory();
          Mark(data, 0);  // the data set holds a saved configuration ...
          data.Changed = false;
          data.GetDescription();  // the description buffer holds what the window shows
          before = data;
          ecu.Store(0xC30C, 11, kFirstRpm + 1);  // ... and the ECU another one
          ecu.Store(0xC30E, 27, kCell + 1);
          ecu.Store(0x917E, 8, kLastCoeff + 1);
          prompts.Clear();
        },
        [&] {
          Main().ActionConnettiExecute();
          Pump();
        },
        [&]() -> std::string {
          if (QApplication::overrideCursor()) return "the cursor left set";
          if (LinkOpen() && !Told())
            return HoldsMarks(data, 1) ? "" : "connected over a data set read only in part";
          if (!Told()) return "the connect failed without a word";
          if (!(static_cast<const TEcuDataFields&>(data) == before)) return "the data set changed";
          if (data.Changed) return "an unchanged data set marked changed";
          if (LinkOpen()) return "left connected to an ECU the data set does not mirror";
          return "";
        },
        fault);
    EXPECT_GT(sweep.positions, 100);
    EXPECT_TRUE(sweep.wrong.empty()) << sweep.Text();
  }
}

TEST_F(LinkDropSweep, LoadAndWriteCutShortIsReported) {
  Connect();
  QDir().mkpath(dir.filePath("Configurazioni"));
  const QString file = dir.filePath("Configurazioni/drop.") + QString::fromLatin1(GetBrandConfigExt());
  Mark(data, 2);
  ASSERT_EQ(data.SaveConfiguration(QFile::encodeName(file).constData()), 1);
  for (const LinkFault fault : {LinkFault::Drop, LinkFault::Silence}) {
    SCOPED_TRACE(LinkFaultName(fault));
    const DropSweepResult sweep = DropSweep(
        ecu,
        [&] {
          ReopenLink();
          ecu.ResetMemory();
          Mark(data, 0);
          data.Changed = false;
          fileDialogs.Choose(file);
          prompts.Clear();
        },
        [&] {
          Main().ActionApriExecute();
          Pump();
        },
        [&]() -> std::string {
          if (!HoldsMarks(data, 2)) return "the file is not in memory";
          if (Told()) return "";
          if (!LinkOpen()) return "the link dropped without a word";
          return EcuHoldsMarks(2) ? "" : "the ECU holds the file only in part, without a word";
        },
        fault);
    EXPECT_GT(sweep.positions, 100);
    EXPECT_TRUE(sweep.wrong.empty()) << sweep.Text();
  }
}
