#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <vector>

#include "EcuData.h"
#include "EcuFieldList.h"
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
  EXPECT_EQ(Vec(data.RifGiri),
            (std::vector<int32_t>{500, 1000, 1500, 2000, 2500, 3000, 3500, 4000, 4500, 5000, 5500, 6000}));
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

  // No default reaches the ECU, the emulation preset included (its setter writes whatever the
  // write-through flag says, so the defaults do not use it).
  EXPECT_TRUE(link.log.empty()) << link.log.front();
  EXPECT_EQ(data.GetTipoEmulazione(), 2);
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

TEST_F(EcuDataTest, EdgeCasesOfTheTypedAccessors) {
  data.SetMappa(0, 0, 0.019);
  EXPECT_EQ(data.Mappa[0][0], 0);
  data.SetMappa(0, 0, 25.0);
  EXPECT_EQ(data.Mappa[0][0], 5000);
  EXPECT_DOUBLE_EQ(data.GetMappa(0, 0), 20.0);
  data.SetMappa(0, 0, -1.0);
  EXPECT_EQ(data.Mappa[0][0], 0);
  data.SetMappa(12, 0, 5.0);  // outside: nothing happens
  EXPECT_EQ(data.GetMappa(12, 0), 0.0);

  data.SetPassi(0, 3, 1276);
  EXPECT_EQ(data.PassiIngr[0], 24);
  data.SetPassi(0, 3, 1275);
  EXPECT_EQ(data.PassiIngr[0], 255);
  EXPECT_EQ(data.GetPassi(0, 3), 1275);

  ASSERT_TRUE(data.IsSensoreLivelloInvertito());
  data.SetRifSensore(1, 200);
  EXPECT_EQ(data.RifSensore[1], 55);
  EXPECT_EQ(data.GetRifSensore(1), 200);

  data.SetCorrezioneLivello(2, -15);
  EXPECT_EQ(data.CorrezioneLivello[2], 99);
  EXPECT_EQ(data.GetCorrezioneLivello(2), -10);

  EXPECT_EQ(data.GetCentroGiri(12), 6750);
  EXPECT_EQ(data.GetCentroGiri(1), 750);
  EXPECT_EQ(data.GetCentroGiri(0), 0);
  EXPECT_NEAR(data.GetCentroMAP(12), (87 + 95) / 2.0 * 5 / 255 + 0.1, 1e-12);
  EXPECT_EQ(data.GetGiriCentroFascia(1), 750);
  EXPECT_EQ(data.GetGiriCentroFascia(6), 0);

  data.SetMappaArr(0, 0, 255);
  EXPECT_EQ(data.MappaArr[0][0], 125);
  data.SetArricchimento(0, 1, 300);
  EXPECT_EQ(data.ArrPerTps[0], 250);
  data.SetCoeffPressDiff(0, -6.5);
  EXPECT_EQ(data.CoeffPressDiff[0], -13);
  data.SetCoeffPressDiff(0, 100);
  EXPECT_EQ(data.CoeffPressDiff[0], 120);
  data.SetCoeffTemp(0, -0.03);  // -1.5 rounds away from zero
  EXPECT_EQ(data.Coeff[0], -2);
  data.SetCoeffTemp(0, 5.0);
  EXPECT_EQ(data.Coeff[0], 127);
  data.SetTempoCicchettoTemp(0, 9.0);
  EXPECT_EQ(data.TempoCicchettoTemp[0], 250);
  data.SetTempCicchetto(0, -40);
  EXPECT_EQ(data.GetTempCicchetto(0), -20);
  data.SetRifTemp(0, 55);
  data.SetRifTemp(9, 55);
  EXPECT_EQ(data.Rif[0], 0);
  EXPECT_EQ(data.Rif[9], 255);
  data.SetOpzioneVettura(1, true);
  EXPECT_TRUE(data.GetOpzioneVettura(1));
  EXPECT_FALSE(data.GetOpzioneVettura(2));
  data.SetSequenzaIniezione(5, 1, 8);  // order numbers stop at 7
  EXPECT_EQ(data.SequenzaIniezione[5], 0);
  data.SetSequenzaIniezione(5, 2, 1);
  EXPECT_EQ(data.GetSequenzaIniezione(5, 2), 1);
  EXPECT_EQ(data.SequenzaIniezione[5], 0x80);
}

TEST_F(EcuDataTest, RifPressDiffGivesBackTheHundredthShown) {
  for (int raw = 0; raw <= 255; ++raw) {
    data.RifPressDiff[0] = raw;
    data.SetRifPressDiff(0, data.GetRifPressDiff(0));
    ASSERT_EQ(data.RifPressDiff[0], raw);
  }
  data.SetRifPressDiff(1, 0.62);
  EXPECT_EQ(data.RifPressDiff[1], 62);
}

// Every setter group: where Changed is set and whether the official flag is cleared.
TEST_F(EcuDataTest, SetterGroupsOnAcceptedAndRefusedWrites) {
  enum Group { A, B, C, D };
  struct Case {
    const char* name;
    Group group;
    std::function<void(TEcuData&)> set;
    std::function<int64_t(const TEcuData&)> held;
  };
  const std::vector<Case> cases = {
      {"SetMappa", A, [](TEcuData& d) { d.SetMappa(1, 1, 5.0); }, [](auto& d) { return d.Mappa[1][1]; }},
      {"SetMappaBenzina", A, [](TEcuData& d) { d.SetMappaBenzina(1, 1, 5.0); },
       [](auto& d) { return d.MappaBenzina[1][1]; }},
      {"SetZonaAdattativa", A, [](TEcuData& d) { d.SetZonaAdattativa(0, 0, 1, 7); },
       [](auto& d) { return d.ZonaCella[0][0]; }},
      {"SetRifMAP", A, [](TEcuData& d) { d.SetRifMAP(3, 2.0); }, [](auto& d) { return d.RifMAP[3]; }},
      {"SetRifGiri", A, [](TEcuData& d) { d.SetRifGiri(0, 700); }, [](auto& d) { return d.RifGiri[0]; }},
      {"SetRifOpenLoop", A, [](TEcuData& d) { d.SetRifOpenLoop(0, 2, 3); },
       [](auto& d) { return d.RifOpenLoop[0]; }},
      {"SetPassi", A, [](TEcuData& d) { d.SetPassi(0, 4, 500); }, [](auto& d) { return d.PassiSmag[0]; }},
      {"SetTipoEmulazione", A, [](TEcuData& d) { d.SetTipoEmulazione(1); },
       [](auto& d) { return d.TempoBasso; }},
      {"SetTipoSensore", A, [](TEcuData& d) { d.SetTipoSensore(2); }, [](auto& d) { return d.TipoSensore; }},
      {"SetRifSensore", A, [](TEcuData& d) { d.SetRifSensore(0, 10); },
       [](auto& d) { return d.RifSensore[0]; }},
      {"SetCorrezioneLivello", A, [](TEcuData& d) { d.SetCorrezioneLivello(0, 50); },
       [](auto& d) { return d.CorrezioneLivello[0]; }},
      {"SetArricchimento", A, [](TEcuData& d) { d.SetArricchimento(0, 5, 100); },
       [](auto& d) { return d.VarCumulo[0]; }},
      {"SetMappaArr", A, [](TEcuData& d) { d.SetMappaArr(0, 0, 100); },
       [](auto& d) { return d.MappaArr[0][0]; }},
      {"SetRifCumulo", A, [](TEcuData& d) { d.SetRifCumulo(0, -20); },
       [](auto& d) { return d.RifCumulo[0]; }},
      {"SetOffsetPendenza", A, [](TEcuData& d) { d.SetOffsetPendenza(3, 7); },
       [](auto& d) { return d.PendenzaDiff; }},
      {"SetRifPressDiff", A, [](TEcuData& d) { d.SetRifPressDiff(0, 0.5); },
       [](auto& d) { return d.RifPressDiff[0]; }},
      {"SetRifGas", A, [](TEcuData& d) { d.SetRifGas(0, 15); }, [](auto& d) { return d.RifGas[0]; }},
      {"SetCoeffGas", A, [](TEcuData& d) { d.SetCoeffGas(0, 90); }, [](auto& d) { return d.CoeffGas[0]; }},
      {"SetDiagnosi", A, [](TEcuData& d) { d.SetDiagnosi(0, 2, 5); },
       [](auto& d) { return d.Abilitazione[0]; }},
      {"SetCoeffTemp", A, [](TEcuData& d) { d.SetCoeffTemp(0, 0.5); }, [](auto& d) { return d.Coeff[0]; }},
      {"SetRifTemp", A, [](TEcuData& d) { d.SetRifTemp(3, 55); }, [](auto& d) { return d.Rif[3]; }},
      {"SetModoCambio", B, [](TEcuData& d) { d.SetModoCambio(2); }, [](auto& d) { return d.GiriPerCambio; }},
      {"SetTempoCutoff", B, [](TEcuData& d) { d.SetTempoCutoff(1, 1.0); },
       [](auto& d) { return d.AperturaCutoff; }},
      {"SetCoeffPressDiff", B, [](TEcuData& d) { d.SetCoeffPressDiff(0, 5); },
       [](auto& d) { return d.CoeffPressDiff[0]; }},
      {"SetTempoCicchettoTemp", B, [](TEcuData& d) { d.SetTempoCicchettoTemp(0, 3.0); },
       [](auto& d) { return d.TempoCicchettoTemp[0]; }},
      {"SetTempCicchetto", B, [](TEcuData& d) { d.SetTempCicchetto(0, 0); },
       [](auto& d) { return d.TempCicchetto[0]; }},
      {"SetMonoFuel", B, [](TEcuData& d) { d.SetMonoFuel(1); }, [](auto& d) { return d.MonoFuel; }},
      {"SetSequenzaIniezione", B, [](TEcuData& d) { d.SetSequenzaIniezione(0, 1, 5); },
       [](auto& d) { return d.SequenzaIniezione[0]; }},
      {"SetSegnaleGiri", C, [](TEcuData& d) { d.SetSegnaleGiri(true); }, [](auto& d) { return d.Flag1; }},
      {"SetFlag1", C, [](TEcuData& d) { d.SetFlag1(3, true); }, [](auto& d) { return d.Flag1; }},
      {"SetArrUscitaMin", C, [](TEcuData& d) { d.SetArrUscitaMin(0, 20); },
       [](auto& d) { return d.ArrUscitaMin[0]; }},
      {"SetCicliCutoff", C, [](TEcuData& d) { d.SetCicliCutoff(1, 5); },
       [](auto& d) { return d.CicliCutoff; }},
      {"SetTempoAperturaIniettore", D, [](TEcuData& d) { d.SetTempoAperturaIniettore(1, 2.0); },
       [](auto& d) { return d.TempoAperturaIniettore; }},
      {"SetOpzioneVettura", D, [](TEcuData& d) { d.SetOpzioneVettura(1, true); },
       [](auto& d) { return d.DatiEcu35[1]; }},
  };
  for (const Case& c : cases) {
    for (const bool accept : {false, true}) {
      SCOPED_TRACE(std::string(c.name) + (accept ? " accepted" : " refused"));
      TEcuData d("groups");
      d.DatiEcu35[0] |= 0x80;  // official
      d.NumeroZone = TEcuData::kZone;
      const int64_t before = c.held(d);
      link.open = accept;  // a closed fake link refuses every write
      c.set(d);
      if (accept) {
        EXPECT_NE(c.held(d), before);
        EXPECT_EQ(d.Changed, c.group != D);
        EXPECT_EQ(d.IsUfficiale(), c.group == C || c.group == D);
      } else {
        EXPECT_EQ(c.held(d), before);
        EXPECT_EQ(d.Changed, c.group == A);
        EXPECT_TRUE(d.IsUfficiale());
      }
    }
  }
}

TEST_F(EcuDataTest, WithoutWriteThroughSettersStoreAndWriteNothing) {
  data.WriteThrough = false;
  link.Clear();
  data.SetRifGiri(0, 700);
  data.SetMappa(0, 0, 3.0);
  data.SetFlag1(3, true);
  EXPECT_EQ(data.RifGiri[0], 700);
  EXPECT_EQ(data.Mappa[0][0], 750);
  EXPECT_TRUE(data.GetFlag1(3));
  EXPECT_TRUE(link.log.empty());
  // The zone kinds written to the ECU store only what the ECU took: nothing here.
  data.SetZonaAdattativa(0, 0, 1, 3);
  EXPECT_EQ(data.ZonaCella[0][0], 0);
}

TEST_F(EcuDataTest, DescriptionWritesItsCharactersAndATerminatorWhenShort) {
  link.Clear();
  data.SetDescription("ABCDEFGHIJKLMNOPQRSTUVWXY");
  ASSERT_EQ(link.log.size(), 18u);
  EXPECT_EQ(link.log.front(), "WE 0x35 2 65");
  EXPECT_EQ(link.log.back(), "WE 0x35 19 82");
  EXPECT_STREQ(data.GetDescription(), "ABCDEFGHIJKLMNOPQR");

  link.Clear();
  data.SetDescription("");
  EXPECT_EQ(link.log, (std::vector<std::string>{"WE 0x35 2 0"}));
  EXPECT_STREQ(data.GetDescription(), "");

  link.Clear();
  data.SetDescription("Ok");
  EXPECT_EQ(link.log, (std::vector<std::string>{"WE 0x35 2 79", "WE 0x35 3 107", "WE 0x35 4 0"}));
  EXPECT_STREQ(data.GetDescription(), "Ok");
  EXPECT_FALSE(data.Changed);
  const RecordingSink::Message posted{WM_ECUCHANGED, 0, EcuDescriptionChanged};
  EXPECT_EQ(sink.posted, (std::vector<RecordingSink::Message>(3, posted)));

  // A refusal stores nothing and tells nobody.
  link.refused.insert(0x35);
  sink.posted.clear();
  data.SetDescription("Other");
  EXPECT_STREQ(data.GetDescription(), "Ok");
  EXPECT_TRUE(sink.posted.empty());
}

TEST_F(EcuDataTest, FuelFlagIsAnnouncedWithItsOldValueBeforeTheWrite) {
  ASSERT_FALSE(data.GetFlag1(4));
  data.SetFlag1(4, true);
  EXPECT_TRUE(data.GetFlag1(4));
  EXPECT_EQ(data.Flag1, 0x6E);
  EXPECT_EQ(sink.posted, (std::vector<RecordingSink::Message>{{WM_ECUCHANGED, 0, EcuFuelChanged}}));
  data.SetFlag1(4, false);
  EXPECT_EQ(sink.posted.back().wParam, 1);
  // Kinds 1 and 2 are set by clearing their bit.
  data.SetFlag1(1, false);
  EXPECT_EQ(data.Flag1 & 0x20, 0x20);
  EXPECT_FALSE(data.GetFlag1(1));
}

TEST_F(EcuDataTest, ChangeoverModeKeepsTheRememberedRpm) {
  data.SetValue(0x210, 2500);
  ASSERT_EQ(data.GiriPerCambio, 2501);
  data.SetModoCambio(2);
  data.SetModoCambio(2);
  EXPECT_EQ(data.GetModoCambio(), 2);
  EXPECT_EQ(data.GiriPerCambio, 0);
  data.SetModoCambio(0);
  EXPECT_EQ(data.GiriPerCambio, 2500);
  EXPECT_EQ(link.Only("WV").back(), "WV 0x210 2500");

  // An ECU read with rpm 0 and nothing remembered switches on at 1000 rpm, never at 0 or 1.
  TEcuData fresh("read");
  fresh.GiriPerCambio = 0;
  fresh.CambioDisattivo = false;
  fresh.GiriCambioMemo = 0;
  fresh.SetModoCambio(1);
  EXPECT_EQ(fresh.GiriPerCambio, 1001);
}

TEST_F(EcuDataTest, CutoffModeRemembersTheRpmInUse) {
  data.SetValue(0x216, 2200);
  data.SetModoCutoff(0);
  data.SetModoCutoff(0);
  EXPECT_EQ(data.GiriCutoff, 10000);
  EXPECT_EQ(data.GetModoCutoff(), 0);
  data.SetModoCutoff(1);
  EXPECT_EQ(data.GiriCutoff, 2200);
  EXPECT_EQ(data.CicliCutoff, 0x13);
  EXPECT_EQ(data.GetModoCutoff(), 1);
  data.SetModoCutoff(2);
  EXPECT_EQ(data.CicliCutoff, 0x33);
  EXPECT_EQ(data.GetModoCutoff(), 2);
}

TEST_F(EcuDataTest, CutoffRampSteps) {
  link.Clear();
  data.SetTempoCutoff(1, 1.0);  // 50 ticks over 2 gaps
  EXPECT_EQ(data.AperturaCutoff, 25);
  EXPECT_DOUBLE_EQ(data.GetTempoCutoff(1), 1.0);
  data.SetTempoCutoff(2, 0.01);  // rounds to 1 tick: the step is raised to 1
  EXPECT_EQ(data.ChiusuraCutoff, 1);
  EXPECT_EQ(link.Only("WV"), (std::vector<std::string>{"WV 0x5a 25", "WV 0x59 1"}));

  // Older ECUs (version byte 0) take the legacy ramp instead.
  data.Identita[3] = 0;
  link.Clear();
  data.SetTempoCutoff(2, 1.0);
  data.SetTempoCutoff(1, 0.4);
  EXPECT_EQ(link.Only("WV"), (std::vector<std::string>{"WV 0x17 50", "WV 0x18 1", "WV 0x4d 80"}));
  EXPECT_EQ(data.RampaChiusura, 50);
  EXPECT_EQ(data.RampaApertura, 80);
  EXPECT_EQ(data.ChiusuraCutoff, 25);
  EXPECT_EQ(data.AperturaCutoff, 10);

  data.RampFromSteps();
  EXPECT_EQ(data.RampaChiusura, 50);
  EXPECT_EQ(data.RampaApertura, 80);
  data.RampaChiusura = 60;
  data.RampaApertura = 99;
  data.StepsFromRamp();
  EXPECT_EQ(data.ChiusuraCutoff, 30);
  EXPECT_EQ(data.AperturaCutoff, 1);  // 1 / 2 = 0, raised to 1
}

TEST_F(EcuDataTest, CutoffWithOneCycleOrNoneLeavesTheSteps) {
  for (const int cycles : {0, 1}) {
    SCOPED_TRACE(cycles);
    data.CicliCutoff = 0x30 | cycles;
    data.ChiusuraCutoff = 7;
    data.AperturaCutoff = 8;
    link.Clear();
    data.SetTempoCutoff(1, 1.0);
    data.SetTempoCutoff(2, 1.0);
    data.StepsFromRamp();
    EXPECT_EQ(data.ChiusuraCutoff, 7);
    EXPECT_EQ(data.AperturaCutoff, 8);
    EXPECT_TRUE(link.log.empty());
    EXPECT_EQ(data.GetTempoCutoff(1), 0.0);
    data.RampFromSteps();
    EXPECT_EQ(data.RampaChiusura, 0);
    EXPECT_EQ(data.RampaApertura, 100);
  }
}

// The ramp values of a hand-edited configuration file can be anything: converting them must
// neither trap (INT_MIN / -1) nor overflow; the steps come out within the ECU's step bytes.
TEST_F(EcuDataTest, CutoffRampConversionsOfWildValuesSaturate) {
  constexpr int32_t kMin = INT32_MIN, kMax = INT32_MAX;
  struct Case {
    int32_t chiusura, valida, apertura;  // ramp read from a file
    int32_t stepChiusura, stepApertura;  // steps over one gap (CicliCutoff low nibble 2)
  } cases[] = {
      {kMin, -1, kMin, 255, 255},
      {kMax, 1, kMax, 255, 1},  // an opening past the ramp's end: no step, raised to 1
      {60, 2, 80, 30, 20},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.chiusura);
    data.CicliCutoff = 0x32;
    data.RampaChiusura = c.chiusura;
    data.RampaValida = c.valida;
    data.RampaApertura = c.apertura;
    data.StepsFromRamp();
    EXPECT_EQ(data.ChiusuraCutoff, c.stepChiusura);
    EXPECT_EQ(data.AperturaCutoff, c.stepApertura);
  }
  data.CicliCutoff = 0x3F;  // 14 gaps
  data.ChiusuraCutoff = kMax;
  data.AperturaCutoff = kMin;
  data.RampFromSteps();
  EXPECT_EQ(data.RampaChiusura, kMax);
  EXPECT_EQ(data.RampaApertura, kMax);
  data.AperturaCutoff = kMax;
  data.RampFromSteps();
  EXPECT_EQ(data.RampaApertura, kMin);
}

// Every int32 field of a data set set to one value, the other fields left alone.
void FillInts(int32_t& field, int32_t v) { field = v; }
template <size_t N>
void FillInts(int32_t (&field)[N], int32_t v) {
  std::fill(std::begin(field), std::end(field), v);
}
template <size_t R, size_t C>
void FillInts(int32_t (&field)[R][C], int32_t v) {
  std::fill(&field[0][0], &field[0][0] + R * C, v);
}
template <class T>
void FillInts(T&, int32_t) {}

// Fields can hold any int32 (set by code, or by an ECU that answers with wider words than it
// should): every conversion of a stored field works in 64 bits or saturates, which the
// sanitizer build checks. The getters give the saturated results.
TEST_F(EcuDataTest, ExtremeFieldValuesConvertWithoutOverflow) {
  TEcuData* const previous = EcuData;
  EcuData = &data;
  for (const int32_t v : {INT32_MIN, INT32_MAX, -1}) {
    SCOPED_TRACE(v);
#define FILL(field) FillInts(data.field, v);
    ECU_FIELDS(FILL)
#undef FILL
    data.NumeroZone = TEcuData::kZone;
    data.TipoSensore = 0x80;  // inverted level sensor: thresholds read 255 - raw
    std::fill(&data.ZonaCella[0][0], &data.ZonaCella[0][0] + 144, 3);
    data.CoefficienteZona[3] = v == -1 ? -1 : 2;
    double sink = 0;
    const auto add = [&](std::initializer_list<double> values) {
      for (const double x : values) sink += x;
    };
    for (int i = 0; i < TEcuData::kZone; ++i) add({double(data.GetPassi(i % 12, 1 + i % 4))});
    for (int kind = 1; kind <= 6; ++kind) add({double(data.GetZonaAdattativa(2, 2, kind))});
    for (int i = 0; i <= 12; ++i)
      add({double(data.GetCentroGiri(i)), data.GetCentroMAP(i), double(data.GetGiriCentroFascia(i))});
    for (int i = 0; i < 12; ++i)
      add({data.GetMappa(i, i), data.GetMappaBenzina(i, i), data.GetRifMAP(i), double(data.GetRifGiri(i)),
           double(data.GetRifOpenLoop(i, 2))});
    for (int i = 0; i < 10; ++i) {
      add({double(data.GetRifSensore(i % 4)), double(data.GetCorrezioneLivello(i % 5)),
           double(data.GetArricchimento(i % 6, 1)), double(data.GetMappaArr(i % 5, i % 6)),
           double(data.GetRifCumulo(i % 5)), double(data.GetArrUscitaMin(i % 6)),
           double(data.GetOffsetPendenza(i % 4)), data.GetCoeffPressDiff(i % 9), data.GetRifPressDiff(i % 9),
           double(data.GetRifGas(i % 9)), double(data.GetCoeffGas(i % 9)), data.GetTempoCicchettoTemp(i % 3),
           double(data.GetTempCicchetto(i % 3)), double(data.GetSequenzaIniezione(i % 8, 1 + i % 2)),
           double(data.GetDiagnosi(i % 2, 2)), data.GetCoeffTemp(i % 9), double(data.GetRifTemp(i))});
    }
    add({data.GetTempoCutoff(1), data.GetTempoCutoff(2), double(data.GetCicliCutoff(2)),
         double(data.GetModoCambio()), double(data.GetModoCutoff()), double(data.GetTipoEmulazione()),
         double(data.GetTipoSensore()), double(data.GetNumeroSonde()),
         double(data.GetArricchimentoAccelerazione()), data.GetTempoAperturaIniettore(1)});
    for (int k = 0; k < kValueCodeCount; ++k) add({data.GetValue(kValueCodes[k].code)});
    for (const bool coefficients : {false, true})
      for (const int reading : {0, 1, 255, INT32_MAX, INT32_MIN})
        add({double(CalcPressioneGas(reading, reading, true, coefficients)),
             double(CalcPressioneGas(reading, 0, false, coefficients))});
    EXPECT_FALSE(std::isnan(sink));
    if (v != -1) {
      const int32_t far = v == INT32_MAX ? INT32_MAX : INT32_MIN;
      EXPECT_EQ(data.GetCorrezioneLivello(0), far);
      EXPECT_EQ(data.GetMappaArr(0, 0), far);
      EXPECT_EQ(data.GetPassi(0, 3), far);
      EXPECT_EQ(data.GetCentroGiri(5), far);
      EXPECT_EQ(data.GetRifSensore(0), v == INT32_MAX ? 255 - INT32_MAX : INT32_MAX);
    }
    // Writes computed from stored fields.
    data.SetValue(0x66, 1.0e12);
    data.SetValue(0x70, 1.0);
    data.SetArricchimentoAccelerazione(v == INT32_MIN ? INT32_MAX : INT32_MIN);
    data.SetZonaAdattativa(2, 2, 4, 400);
    data.StepsFromRamp();
    data.RampFromSteps();
  }
  EcuData = previous;
}

// A setter never holds more than the ECU word it writes: beyond it the value is cut to the word
// (or refused, for the accumulation references, whose editor range already lies inside the byte
// they are written and read as), and
// what is held is what was sent.
TEST_F(EcuDataTest, SettersHoldOnlyWhatTheirWordHolds) {
  struct Case {
    const char* what;
    std::function<void(TEcuData&)> set;
    std::function<int32_t(const TEcuData&)> held;
    int32_t expected;
    const char* sent;  // the write, or "" for none
  } cases[] = {
      {"level correction up", [](TEcuData& d) { d.SetCorrezioneLivello(1, 2000); },
       [](const TEcuData& d) { return d.CorrezioneLivello[1]; }, 255, "WE 0x50 1 255"},
      {"level correction down", [](TEcuData& d) { d.SetCorrezioneLivello(1, -2000); },
       [](const TEcuData& d) { return d.CorrezioneLivello[1]; }, 0, "WE 0x50 1 0"},
      {"pressure breakpoint", [](TEcuData& d) { d.SetRifPressDiff(2, 3.0); },
       [](const TEcuData& d) { return d.RifPressDiff[2]; }, 255, "WE 0x7b 2 255"},
      {"negative pressure breakpoint", [](TEcuData& d) { d.SetRifPressDiff(2, -0.5); },
       [](const TEcuData& d) { return d.RifPressDiff[2]; }, 0, "WE 0x7b 2 0"},
      {"closing ramp of 100 s", [](TEcuData& d) { d.SetTempoCutoff(2, 100.0); },
       [](const TEcuData& d) { return d.ChiusuraCutoff; }, 255, "WV 0x59 255"},
      {"opening ramp below 0", [](TEcuData& d) { d.SetTempoCutoff(1, -1.0); },
       [](const TEcuData& d) { return d.AperturaCutoff; }, 0, "WV 0x5a 0"},
      {"acceleration enrichment", [](TEcuData& d) { d.SetArricchimentoAccelerazione(300); },
       [](const TEcuData& d) { return d.ArricchimentoAccelerazione; }, 127, "WV 0x458 127"},
      {"accumulation reference 255", [](TEcuData& d) { d.SetRifCumulo(0, 255); },
       [](const TEcuData& d) { return d.RifCumulo[0]; }, 255, "WE 0x432 0 255"},
      {"accumulation reference 256", [](TEcuData& d) { d.SetRifCumulo(0, 256); },
       [](const TEcuData& d) { return d.RifCumulo[0]; }, 10, ""},
      {"accumulation reference -128", [](TEcuData& d) { d.SetRifCumulo(0, -128); },
       [](const TEcuData& d) { return d.RifCumulo[0]; }, -128, "WE 0x432 0 -128"},
      {"accumulation reference -129", [](TEcuData& d) { d.SetRifCumulo(0, -129); },
       [](const TEcuData& d) { return d.RifCumulo[0]; }, 10, ""},
      {"sensor offset", [](TEcuData& d) { d.SetOffsetPendenza(0, 40000); },
       [](const TEcuData& d) { return d.OffsetMapEsterno; }, 32767, "WE 0x67a 0 32767"},
      {"diagnosis enable word", [](TEcuData& d) { d.SetDiagnosi(1, 2, 70000); },
       [](const TEcuData& d) { return d.Abilitazione[1]; }, 65535, "WE 0x23a 1 65535"},
      {"injector opening", [](TEcuData& d) { d.SetTempoAperturaIniettore(1, 1000.0); },
       [](const TEcuData& d) { return d.TempoAperturaIniettore; }, 65535, "WV 0x253 65535"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TEcuData d("clamp");
    link.Clear();
    c.set(d);
    EXPECT_EQ(c.held(d), c.expected);
    const std::vector<std::string> writes = link.log;
    if (*c.sent)
      EXPECT_NE(std::find(writes.begin(), writes.end(), c.sent), writes.end())
          << ::testing::PrintToString(writes);
    else
      EXPECT_TRUE(writes.empty()) << writes.front();
  }
  // The power: the file carries hundredths of a non-negative int32.
  for (const auto& [set, held] : {std::pair{-5.0f, 0.0f}, std::pair{std::nanf(""), 0.0f},
                                  std::pair{1e30f, 21474836.0f}, std::pair{85.5f, 85.5f}}) {
    data.SetPotenza(set);
    EXPECT_EQ(data.Potenza, held) << set;
  }
}

TEST_F(EcuDataTest, AccelerationEnrichmentShiftsTheEnrichmentTables) {
  data.SetArricchimentoAccelerazione(30);
  EXPECT_EQ(data.ArricchimentoAccelerazione, 30);
  EXPECT_EQ(data.GetMappaArr(0, 0), 110);
  EXPECT_EQ(data.GetMappaArr(3, 5), 50);
  EXPECT_EQ(data.GetMappaArr(4, 5), 20);  // row 4 is not in use
  EXPECT_EQ(data.GetArrUscitaMin(0), 180);
  // -200 is beyond the ECU's signed byte: -128 is held, so the shift is -158; the cells clamp at 0.
  data.SetArricchimentoAccelerazione(-200);
  EXPECT_EQ(data.ArricchimentoAccelerazione, -128);
  EXPECT_NE(std::find(link.log.begin(), link.log.end(), "WV 0x458 -128"), link.log.end());
  EXPECT_EQ(data.GetMappaArr(0, 0), 0);
  EXPECT_EQ(data.GetArrUscitaMin(0), 22);

  link.refused.insert(0x58);
  data.SetArricchimentoAccelerazione(10);
  EXPECT_EQ(data.ArricchimentoAccelerazione, -128);
  EXPECT_EQ(data.GetMappaArr(0, 0), 0);
}

TEST_F(EcuDataTest, AdaptiveZones) {
  data.ZonaCella[2][3] = 7;
  data.CoefficienteZona[7] = 10;
  data.CorrezioneZona[7] = 30;
  data.ValoreZona[7] = -5;
  // Before the zone tables are known, zone kinds read 0 and are not set.
  for (const int kind : {2, 3, 4, 6}) EXPECT_EQ(data.GetZonaAdattativa(2, 3, kind), 0) << kind;
  data.SetZonaAdattativa(2, 3, 3, 50);
  EXPECT_EQ(data.CoefficienteZona[7], 10);

  data.NumeroZone = TEcuData::kZone;
  EXPECT_EQ(data.GetZonaAdattativa(2, 3, 1), 7);
  EXPECT_EQ(data.GetZonaAdattativa(2, 3, 2), 120);
  EXPECT_EQ(data.GetZonaAdattativa(2, 3, 3), 10);
  EXPECT_EQ(data.GetZonaAdattativa(2, 3, 4), 12);
  EXPECT_EQ(data.GetZonaAdattativa(2, 3, 6), -20);
  data.SetZonaAdattativa(2, 3, 3, 300);
  EXPECT_EQ(data.CoefficienteZona[7], 255);
  data.SetZonaAdattativa(2, 3, 4, -1000);  // q = -250 -> -127
  EXPECT_EQ(data.CorrezioneZona[7], 255 * -127);
  data.SetZonaAdattativa(2, 3, 6, 41);
  EXPECT_EQ(data.ValoreZona[7], 10);
  data.SetZonaAdattativa(2, 3, 5, 99);
  EXPECT_EQ(data.GetZonaAdattativa(2, 3, 5), 99);
  data.SetZonaAdattativa(2, 3, 1, 500);
  EXPECT_EQ(data.ZonaCella[2][3], 144);
  data.SetZonaAdattativa(2, 3, 1, -4);
  EXPECT_EQ(data.ZonaCella[2][3], 0);

  data.ValoreZona[7] = 3;
  EXPECT_TRUE(data.AzzeraAdatta());
  EXPECT_EQ(data.CoefficienteZona[7], 0);
  EXPECT_EQ(data.ValoreZona[7], 0);
  EXPECT_EQ(data.ValoreCella[2][3], 0);
  EXPECT_EQ(link.Only("WE").size(), 3u * 145u + 3u);
  data.CoefficienteZona[7] = 4;
  link.refused.insert(0x3D);
  EXPECT_FALSE(data.AzzeraAdatta());
  EXPECT_EQ(data.CoefficienteZona[7], 4);  // the ECU kept it, so does the data set
}

TEST_F(EcuDataTest, EmulationPresetsAndSensorTypes) {
  data.NumeroOnde = 255;
  EXPECT_EQ(data.GetTipoEmulazione(), 4);
  data.NumeroOnde = 2;
  EXPECT_EQ(data.GetTipoEmulazione(), 3);
  link.refused.insert(0x222);
  link.Clear();
  data.SetTipoEmulazione(0);
  EXPECT_EQ(link.log, (std::vector<std::string>{"WV 0x20 0", "WV 0x21 0", "WV 0x222 50"}));
  EXPECT_EQ(data.GetTipoEmulazione(), 3);
  data.WriteThrough = false;  // written anyway, stored anyway
  data.SetTipoEmulazione(0);
  EXPECT_EQ(data.GetTipoEmulazione(), 0);

  data.WriteThrough = true;
  data.SetTipoSensore(1);
  EXPECT_EQ(data.TipoSensore, 2);
  EXPECT_EQ(data.GetTipoSensore(), 1);
  EXPECT_EQ(Vec(data.RifSensore), (std::vector<int32_t>{17, 44, 77, 100}));
  data.SetTipoSensore(8);
  EXPECT_EQ(data.TipoSensore, 2);
  data.TipoSensore = 5;
  EXPECT_EQ(data.GetTipoSensore(), -1);
}

TEST_F(EcuDataTest, ProbeCountRewritesDiagnosisAndSequence) {
  link.At(0x239, 0) = 0x7FF;
  data.TipoIniezione = 5;  // six cylinders
  link.Clear();
  data.SetNumeroSonde(2);
  EXPECT_EQ(data.GetNumeroSonde(), 2);
  EXPECT_FALSE(data.Flag1 & 0x04);
  EXPECT_EQ(data.Stato[0], 0xFF);
  EXPECT_EQ(Vec(data.SequenzaIniezione), (std::vector<int32_t>{0, 0x84, 1, 0x85, 2, 0x86, 0, 0}));
  EXPECT_TRUE(data.IsDoppiaSonda());
  data.SetNumeroSonde(1);
  EXPECT_EQ(Vec(data.SequenzaIniezione), (std::vector<int32_t>{0, 5, 2, 6, 1, 4, 0, 0}));
}

TEST_F(EcuDataTest, DefaultSequenceByCylinderCount) {
  struct Case {
    int cylinders;
    int probes;
    std::vector<int32_t> sequence;
  } cases[] = {
      {2, 1, {0, 1, 7, 7, 7, 7, 7, 7}},
      {3, 1, {0, 2, 1, 7, 7, 7, 7, 7}},
      {5, 2, {0, 1, 3, 4, 2, 7, 7, 7}},
      {8, 1, {0, 4, 3, 7, 5, 2, 6, 1}},
      {8, 2, {0, 0x84, 3, 0x87, 0x85, 2, 0x86, 1}},
      {7, 1, {7, 7, 7, 7, 7, 7, 7, 7}},  // no default: left as it is
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.cylinders);
    std::fill(std::begin(data.SequenzaIniezione), std::end(data.SequenzaIniezione), 7);
    data.Flag1 = c.probes == 1 ? 0x6C : 0x68;
    data.TipoIniezione = c.cylinders - 1;
    data.SetSequenzaDefault();
    EXPECT_EQ(Vec(data.SequenzaIniezione), c.sequence);
  }
}

TEST_F(EcuDataTest, FirmwareVersionOnFailureIsZero) {
  link.At(0x24C) = 700;
  link.At(0x25B) = 0x8310;
  bool ok = false;
  EXPECT_EQ(data.ReadVersioneEcu(1, &ok), 700);
  EXPECT_TRUE(ok);
  EXPECT_EQ(data.ReadVersioneEcu(2), 0x8310);
  link.missing.insert(0x24C);
  EXPECT_EQ(data.ReadVersioneEcu(1, &ok), 0);
  EXPECT_FALSE(ok);
}

TEST_F(EcuDataTest, VehicleDataAndLookups) {
  data.SetDatoVetturaStr(2, "Euro 6 molto lungo");
  EXPECT_STREQ(data.Euro, "Euro 6 mol");
  data.SetDatoVetturaStr(1, nullptr);
  EXPECT_STREQ(data.DescrizAuto, "");
  data.SetDatoVettura(8, 6);
  data.SetDatoVettura(10, 1);
  EXPECT_EQ(data.NCilindri, 6);
  data.SetPotenza(75.5f);
  EXPECT_EQ(data.Potenza, 75.5f);

  const int32_t table[] = {4, 7, 7};
  EXPECT_EQ(TEcuData::IndexOf(table, 3, 7), 1);
  EXPECT_EQ(TEcuData::IndexOf(table, 3, 5), -1);
  EXPECT_EQ(TEcuData::IndexOf(table, 0, 4), -1);

  EXPECT_TRUE(data.HasAdattativita());
  EXPECT_TRUE(data.IsMappaArricchimento());
  EXPECT_FALSE(data.IsDoppiaSonda());  // one probe
  EXPECT_FALSE(data.GetTipoLambdaBit0());
  data.TipoDiLambda = 25;
  EXPECT_TRUE(data.GetTipoLambdaBit0());
  EXPECT_EQ(TEcuData::GetRifPressDiffMetano(7), 1.95);
  EXPECT_EQ(TEcuData::GetCoeffPressDiffGpl(9), 0.0);
}

}  // namespace
