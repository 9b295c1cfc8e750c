#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

#include "EcuData.h"
#include "EcuValueCodes.h"
#include "FakeLink.h"
#include "MessageSink.h"

namespace {

template <typename T, size_t N>
std::vector<int32_t> Vec(const T (&a)[N]) {
  return std::vector<int32_t>(std::begin(a), std::end(a));
}

// Records what the data set posts to the forms.
class RecordingSink final : public IMessageSink {
 public:
  struct Message {
    unsigned msg;
    intptr_t wParam, lParam;
    bool operator==(const Message&) const = default;
  };
  std::vector<Message> posted, sentActive;
  void PostToForms(unsigned msg, intptr_t w, intptr_t l) override { posted.push_back({msg, w, l}); }
  void SendToForms(unsigned, intptr_t, intptr_t) override {}
  void SendToActive(unsigned msg, intptr_t w, intptr_t l) override { sentActive.push_back({msg, w, l}); }
};

class EcuDataTest : public ::testing::Test {
 protected:
  EcuDataTest() : scope_(&link), previousSink_(&MessageSink()) { SetMessageSink(&sink); }
  ~EcuDataTest() override { SetMessageSink(previousSink_); }

  FakeLink link;
  ScopedLink scope_;
  IMessageSink* previousSink_;
  RecordingSink sink;
  TEcuData data{"default"};
};

TEST_F(EcuDataTest, ConstructionSetsEveryDefaultWithoutWritingThrough) {
  EXPECT_STREQ(data.FilePath, "default");
  EXPECT_STREQ(data.FileKey, "OggiPioveSullaCollinaBlu");
  EXPECT_TRUE(data.WriteThrough);
  EXPECT_FALSE(data.Changed);
  EXPECT_FALSE(data.UndoValida);
  EXPECT_FALSE(data.IniOpen);
  EXPECT_EQ(data.MajorVersionProg, 3);
  EXPECT_EQ(data.MinorVersionProg, 6);

  EXPECT_EQ(data.Mappa[0][0], 1002);
  EXPECT_EQ(data.Mappa[5][9], 2500);
  EXPECT_EQ(data.Mappa[11][11], 3900);
  EXPECT_EQ(data.MappaBenzina[3][3], 0);
  EXPECT_EQ(Vec(data.RifGiri), (std::vector<int32_t>{500, 1000, 1500, 2000, 2500, 3000, 3500, 4000,
                                                      4500, 5000, 5500, 6000}));
  EXPECT_EQ(Vec(data.RifMAP), (std::vector<int32_t>{9, 17, 24, 32, 40, 47, 55, 63, 71, 79, 87, 95}));
  EXPECT_EQ(Vec(data.PassiIngr), (std::vector<int32_t>{24, 24, 12, 4, 4, 4, 4, 4, 4, 4, 4, 4}));
  EXPECT_EQ(Vec(data.PassiSmag), Vec(data.PassiIngr));
  EXPECT_EQ(data.PassiInvArr[7], 2);
  EXPECT_EQ(data.PassiInvSmg[11], 2);
  EXPECT_EQ(Vec(data.MappaArr[0]), (std::vector<int32_t>{40, 40, 30, 30, 20, 20}));
  EXPECT_EQ(Vec(data.MappaArr[4]), (std::vector<int32_t>{20, 20, 15, 10, 10, 10}));
  EXPECT_EQ(data.NumeroRigheArr, 4);
  EXPECT_EQ(Vec(data.ArrPerTps), (std::vector<int32_t>{20, 40, 30, 20, 20, 20}));
  EXPECT_EQ(Vec(data.VarCumulo), (std::vector<int32_t>{50, 50, 50, 50, 50, 50}));
  EXPECT_EQ(Vec(data.ArrUscitaMin), (std::vector<int32_t>{75, 75, 50, 40, 30, 30}));
  EXPECT_EQ(Vec(data.RifCumulo), (std::vector<int32_t>{10, 20, 30, 40, 50}));

  // Level sensor type 0 is inverted: the threshold readings are stored as 255 - v.
  EXPECT_EQ(data.TipoSensore, 129);
  EXPECT_EQ(Vec(data.RifSensore), (std::vector<int32_t>{56, 115, 162, 216}));
  EXPECT_EQ(data.GetRifSensore(0), 199);
  EXPECT_EQ(Vec(data.CorrezioneLivello), (std::vector<int32_t>{100, 100, 100, 100, 100}));

  EXPECT_EQ(data.GiriPerCambio, 1801);
  EXPECT_EQ(data.GetModoCambio(), 1);
  EXPECT_EQ(data.TemperaturaCambio, CalcTemperaturaRaw(20.0f));
  EXPECT_EQ(data.GetTipoEmulazione(), 2);
  EXPECT_EQ(data.TempoAlto, 18);
  EXPECT_EQ(data.NumeroOnde, 1);
  EXPECT_EQ(Vec(data.SequenzaIniezione), (std::vector<int32_t>{0, 2, 3, 1, 0, 0, 0, 0}));
  EXPECT_STREQ(data.GetDescription(), "Standard");
  EXPECT_FALSE(data.IsUfficiale());
  EXPECT_EQ(Vec(data.Stato), (std::vector<int32_t>{0, 0}));
  EXPECT_EQ(Vec(data.Abilitazione), (std::vector<int32_t>{65, 65}));
  EXPECT_EQ(data.Identita[0], 10);
  EXPECT_EQ(data.Identita[1], 10);
  EXPECT_EQ(data.Identita[2], 1);
  EXPECT_EQ(data.Identita[3], 1);

  EXPECT_EQ(data.Rif[0], 0);
  EXPECT_EQ(data.Rif[9], 255);
  for (int i = 1; i <= 8; ++i) EXPECT_EQ(data.GetRifTemp(i), 90 - 10 * i) << i;
  EXPECT_EQ(Vec(data.Coeff), std::vector<int32_t>(9, 0));
  EXPECT_EQ(data.TempoAperturaIniettore, 1000);
  EXPECT_EQ(data.TempoAperturaLocale, 250);
  EXPECT_EQ(data.ChiusuraCutoff, 20);
  EXPECT_EQ(data.AperturaCutoff, 20);
  EXPECT_EQ(data.CicliCutoff, 0x33);
  EXPECT_EQ(data.GiriCutoffMemo, 1800);
  EXPECT_EQ(data.OffsetMapEsterno, 100);
  EXPECT_EQ(data.PendenzaMapEsterno, 500);
  EXPECT_EQ(data.OffsetDiff, 35);
  EXPECT_EQ(data.PendenzaDiff, 826);
  EXPECT_EQ(Vec(data.RifPressDiff), (std::vector<int32_t>{47, 55, 61, 68, 76, 82, 90, 100, 110}));
  EXPECT_EQ(Vec(data.CoeffPressDiff), (std::vector<int32_t>{70, 56, 42, 30, 20, 12, 0, -13, -26}));
  const int gas[9] = {0, 5, 10, 20, 32, 45, 56, 68, 80};
  for (int i = 0; i < 9; ++i) {
    EXPECT_EQ(data.GetRifGas(i), gas[i]) << i;
    EXPECT_EQ(data.CoeffGas[i], 85 + 3 * i) << i;
  }
  EXPECT_EQ(Vec(data.TempoCicchettoTemp), (std::vector<int32_t>{125, 75, 50}));
  EXPECT_EQ(data.GetTempCicchetto(0), -5);
  EXPECT_EQ(data.GetTempCicchetto(1), 20);
  EXPECT_EQ(data.GetTempCicchetto(2), 40);

  EXPECT_EQ(data.Flag1, 0x6C);
  EXPECT_EQ(data.MinErroreIntegrale, -200);
  EXPECT_EQ(data.TempoPerCorrezione, 1250);
  EXPECT_EQ(data.NumeroZone, 0);
  EXPECT_TRUE(data.HasMappaBenzina);
  EXPECT_TRUE(data.HasDatiAggiuntivi);
  EXPECT_TRUE(data.HasCicchettoTemp);
  EXPECT_TRUE(data.HasCoeffTemp);
  EXPECT_FALSE(data.HasTempoCicchetto);
  EXPECT_FALSE(data.HasMonoFuel);
  EXPECT_STREQ(data.DescrizAuto, "");
  EXPECT_EQ(data.Potenza, 0.0f);

  // The emulation preset is the one default that reaches the ECU whatever the flag says.
  EXPECT_EQ(link.log, (std::vector<std::string>{"WV 0x20 18", "WV 0x21 18", "WV 0x222 0",
                                                "WV 0x23 1"}));
}

TEST_F(EcuDataTest, DefaultsNeedNoLinkObject) {
  ScopedLink none(nullptr);
  TEcuData alone("x");
  EXPECT_EQ(alone.GetTipoEmulazione(), 2);
  EXPECT_EQ(alone.Mappa[0][0], 1002);
  // Write-through setters store nothing without a link.
  alone.SetRifGiri(0, 700);
  EXPECT_EQ(alone.RifGiri[0], 500);
}

}  // namespace
