// The simulated ECU against the data set's whole-configuration passes: a read-all gives the
// data set's own defaults with every item present, and what a write-all sends comes back.
#include <gtest/gtest.h>

#include <cstring>

#include "Clock.h"
#include "EcuData.h"
#include "SerialLink.h"
#include "SimLink.h"

namespace {

class SimEcuDataTest : public ::testing::Test {
 protected:
  SimEcuDataTest() : use_(&clock_), link_(ecu_) {
    previous_ = SerialLink;
    SerialLink = &link_;
    link_.OpenLink();
    link_.Connect();
  }
  ~SimEcuDataTest() override { SerialLink = previous_; }

  FakeClock clock_;
  ScopedClock use_;
  SimulatedEcu ecu_;
  SimLink link_;
  TSerialLink* previous_ = nullptr;
};

// Compares the configuration fields the passes move between two data sets.
void ExpectSameConfiguration(const TEcuData& a, const TEcuData& b) {
// clang-format off
#define SAME(field) \
  EXPECT_EQ(std::memcmp(&a.field, &b.field, sizeof a.field), 0) << #field
  SAME(Mappa); SAME(MappaBenzina); SAME(SequenzaIniezione); SAME(RifGiri); SAME(RifMAP);
  SAME(RifOpenLoop); SAME(PassiInvArr); SAME(PassiInvSmg); SAME(PassiIngr); SAME(PassiSmag);
  SAME(TipoSensore); SAME(RifSensore); SAME(CorrezioneLivello); SAME(ArrPerTps);
  SAME(VarCumulo); SAME(MappaArr); SAME(RifCumulo); SAME(CorrezioneZona);
  SAME(CoefficienteZona); SAME(DatiEcu35); SAME(Stato); SAME(Abilitazione); SAME(Coeff);
  SAME(Rif); SAME(TempoAperturaIniettore); SAME(ArrUscitaMin); SAME(ArricchimentoAccelerazione);
  SAME(ChiusuraCutoff); SAME(AperturaCutoff); SAME(CicliCutoff); SAME(OffsetMapEsterno);
  SAME(PendenzaMapEsterno); SAME(OffsetDiff); SAME(PendenzaDiff); SAME(RifPressDiff);
  SAME(CoeffPressDiff); SAME(RifGas); SAME(CoeffGas); SAME(TempoCicchettoTemp);
  SAME(TempCicchetto); SAME(MonoFuel); SAME(Flag1); SAME(TipoDiLambda); SAME(RifLambda);
  SAME(OffsetLambda); SAME(RitardoLetturaSonda); SAME(TempoSondaFredda);
  SAME(RifSupSondaFredda); SAME(RifInfSondaFredda); SAME(RifSupSondaCalda);
  SAME(RifInfSondaCalda); SAME(LivelloGasAlcol); SAME(TemperaturaCambio); SAME(GiriPerCambio);
  SAME(Cambio12); SAME(RitardoMinimoCambio); SAME(FuoriGiri); SAME(NumeroCilindri);
  SAME(FasciaGiriMinimo); SAME(GiriCutoff); SAME(TipoDiTps); SAME(Isteresi);
  SAME(CoefficienteUscitaMinimo); SAME(TempoCoefficienteUscitaMinimo); SAME(TempoPer100);
  SAME(TempoAlto); SAME(TempoBasso); SAME(TempoSondaSconnessa); SAME(NumeroOnde);
  SAME(MaxErroreIntegrale); SAME(MinErroreIntegrale); SAME(MaxErroreIntegraleAlMinimo);
  SAME(MinErroreIntegraleAlMinimo); SAME(TpsSbana); SAME(GiriSbana); SAME(TempiInversioneSbana);
  SAME(MinCumulo); SAME(TipoIniezione); SAME(CorrenteMantenimento); SAME(DutyCorrenteHold);
  SAME(MinutiGas); SAME(MinutiBenzina); SAME(RampaChiusura); SAME(RampaApertura);
  SAME(RampaValida); SAME(CorrezioneInRilascio); SAME(TempoRitBenzina); SAME(TpsMoltoFuori);
  SAME(TempoApSbana); SAME(TempoChSbana); SAME(LivelloAlto); SAME(LivelloBasso);
  SAME(CorrRientroMin); SAME(TempoMaxCorrente); SAME(Cilindrata); SAME(NumeroInjUscitaMin);
  SAME(MassimoValoreCorrezione); SAME(TempoTraCorrezioni); SAME(ZonaApprendimentoFuoriMinimo);
  SAME(MinimoValoreCorrettore); SAME(TempoPerCorrezione); SAME(TempoCicchetto);
#undef SAME
  // clang-format on
}

TEST_F(SimEcuDataTest, ReadAllGivesTheDefaultVehicleWithEverythingPresent) {
  TEcuData defaults("defaults");
  defaults.Cilindrata = 1600;  // the simulated vehicle's engine (a data set's default is 0)
  TEcuData data("read");
  ASSERT_TRUE(data.WaitEcuState(20000));
  ASSERT_TRUE(data.ReadIdentificazione());
  EXPECT_EQ(std::memcmp(data.Identita, defaults.Identita, 4), 0);
  data.ReadAll();
  ExpectSameConfiguration(defaults, data);
  EXPECT_TRUE(data.HasMappaBenzina);
  EXPECT_TRUE(data.HasMonoFuel);
  EXPECT_TRUE(data.HasDatiAggiuntivi);
  EXPECT_TRUE(data.HasTempoCicchetto);
  EXPECT_TRUE(data.HasCicchettoTemp);
  EXPECT_TRUE(data.HasCoeffTemp);
  EXPECT_EQ(data.NumeroRigheArr, 5);
}

// Every exchange of a pass succeeds: a word the ECU lacks or that carries a different count
// than the ECU's variable would fail here with error 4.
void ExpectEveryTransferDone(const SimulatedEcu& ecu, const char* pass) {
  int transfers = 0;
  for (const SimCall& call : ecu.Calls()) {
    switch (call.op) {
      case SimOp::ReadVariable:
      case SimOp::ReadRow:
      case SimOp::ReadBytes:
      case SimOp::WriteVariable:
      case SimOp::WriteElement:
      case SimOp::WriteArray:
      case SimOp::WriteRow:
        ++transfers;
        EXPECT_EQ(call.result, 1) << pass << ": " << call.Text();
        break;
      case SimOp::GetLastErrorCode:
        EXPECT_EQ(call.result, 0) << pass << " after " << transfers << " transfers";
        break;
      default:
        break;
    }
  }
  EXPECT_GT(transfers, 100) << pass;
}

TEST_F(SimEcuDataTest, EveryTransferOfReadAllAndWriteAllSucceeds) {
  TEcuData data("data");
  ecu_.ClearCalls();
  ASSERT_EQ(data.ReadAll(), 1);
  ExpectEveryTransferDone(ecu_, "ReadAll");
  ecu_.ClearCalls();
  data.WriteAll(false);
  ExpectEveryTransferDone(ecu_, "WriteAll");
}

// Gives every element of a field a new value inside lo..hi, different from the one it holds.
template <class T>
void Change(T& field, int32_t lo, int32_t hi) {
  int32_t* v = reinterpret_cast<int32_t*>(&field);
  for (size_t k = 0; k < sizeof field / sizeof(int32_t); ++k) {
    const int32_t step = 1 + static_cast<int32_t>(k % 3);
    v[k] = v[k] + step <= hi ? v[k] + step : v[k] - step;
    ASSERT_GE(v[k], lo);
  }
}

TEST_F(SimEcuDataTest, WhatWriteAllWritesReadAllReadsBack) {
  // An ECU of a newer version: the idle-exit coefficients are read as they are, the cut-off goes
  // as steps; the enrichment is a map (Flag1 bit 3).
  ecu_.SetIdentity(ecu_.CustomerCode(), SimulatedEcu::kEcuType, 1, 4);
  // Made first: the defaults write the lambda emulation preset to a connected ECU.
  TEcuData defaults("defaults");
  defaults.Cilindrata = 1600;  // the simulated vehicle's engine
  TEcuData back("back");
  TEcuData written("written");
  ASSERT_TRUE(written.ReadIdentificazione());
  written.ReadAll();
  ExpectSameConfiguration(defaults, written);

  // Every field the write-all moves gets a new value.
// clang-format off
#define BYTES(field) Change(written.field, 0, 255)
#define WORDS(field) Change(written.field, 0, 65535)
#define SIGNED(field) Change(written.field, -128, 127)
#define SIGNED_WORDS(field) Change(written.field, -32768, 32767)
  WORDS(Mappa); WORDS(MappaBenzina); BYTES(SequenzaIniezione); WORDS(RifGiri); BYTES(RifMAP);
  BYTES(RifOpenLoop); BYTES(PassiInvArr); BYTES(PassiInvSmg); BYTES(PassiIngr); BYTES(PassiSmag);
  BYTES(TipoSensore); BYTES(RifSensore); BYTES(CorrezioneLivello); BYTES(VarCumulo);
  BYTES(MappaArr); BYTES(RifCumulo); BYTES(DatiEcu35); WORDS(Stato); WORDS(Abilitazione);
  SIGNED(Coeff); BYTES(Rif); WORDS(TempoAperturaIniettore); SIGNED(ArrUscitaMin);
  SIGNED(ArricchimentoAccelerazione); BYTES(ChiusuraCutoff); BYTES(AperturaCutoff);
  BYTES(CicliCutoff); SIGNED_WORDS(OffsetMapEsterno); SIGNED_WORDS(PendenzaMapEsterno);
  SIGNED_WORDS(OffsetDiff); SIGNED_WORDS(PendenzaDiff); BYTES(RifPressDiff); SIGNED(CoeffPressDiff);
  BYTES(RifGas); BYTES(CoeffGas); BYTES(TempoCicchettoTemp); BYTES(TempCicchetto); BYTES(MonoFuel);
  BYTES(TipoDiLambda); BYTES(RifLambda); BYTES(OffsetLambda); BYTES(RitardoLetturaSonda);
  BYTES(TempoSondaFredda); BYTES(RifSupSondaFredda); BYTES(RifInfSondaFredda);
  BYTES(RifSupSondaCalda); BYTES(RifInfSondaCalda); BYTES(LivelloGasAlcol);
  BYTES(TemperaturaCambio); WORDS(GiriPerCambio); BYTES(Cambio12); BYTES(RitardoMinimoCambio);
  WORDS(FuoriGiri); BYTES(NumeroCilindri); WORDS(FasciaGiriMinimo); WORDS(GiriCutoff);
  BYTES(TipoDiTps); BYTES(Isteresi); BYTES(CoefficienteUscitaMinimo);
  BYTES(TempoCoefficienteUscitaMinimo); BYTES(TempoPer100); BYTES(TempoAlto); BYTES(TempoBasso);
  WORDS(TempoSondaSconnessa); BYTES(NumeroOnde); SIGNED_WORDS(MaxErroreIntegrale);
  SIGNED_WORDS(MinErroreIntegrale); SIGNED_WORDS(MaxErroreIntegraleAlMinimo);
  SIGNED_WORDS(MinErroreIntegraleAlMinimo); BYTES(TpsSbana); WORDS(GiriSbana);
  BYTES(TempiInversioneSbana); BYTES(MinCumulo); BYTES(TipoIniezione);
  BYTES(CorrenteMantenimento); BYTES(DutyCorrenteHold); WORDS(MinutiGas); WORDS(MinutiBenzina);
  SIGNED_WORDS(CorrezioneInRilascio); BYTES(TempoRitBenzina); BYTES(TpsMoltoFuori);
  BYTES(TempoApSbana); BYTES(TempoChSbana); BYTES(LivelloAlto); BYTES(LivelloBasso);
  SIGNED(CorrRientroMin); WORDS(TempoMaxCorrente); WORDS(Cilindrata); BYTES(NumeroInjUscitaMin);
  BYTES(MassimoValoreCorrezione); BYTES(TempoTraCorrezioni); BYTES(ZonaApprendimentoFuoriMinimo);
  BYTES(MinimoValoreCorrettore); WORDS(TempoPerCorrezione); WORDS(TempoCicchetto);
#undef BYTES
#undef WORDS
#undef SIGNED
#undef SIGNED_WORDS
  // clang-format on
  written.Flag1 ^= 0x05;  // other signal type and probes; the enrichment stays a map
  ASSERT_TRUE(written.IsMappaArricchimento());
  ASSERT_TRUE(written.HasMonoFuel && written.HasTempoCicchetto && written.HasCoeffTemp &&
              written.HasCicchettoTemp && written.HasDatiAggiuntivi);
  ecu_.ClearCalls();
  written.WriteAll(false);
  ExpectEveryTransferDone(ecu_, "WriteAll");

  ASSERT_TRUE(back.ReadIdentificazione());
  back.ReadAll();
  // The two idle corrections are reset by the write-all, not written from the fields; the
  // adaptive tables and the legacy ramp of older ECUs are not written at all.
  written.CorrezioneFuoriMinimo = written.CorrezioneAlMinimo = 0;
  ExpectSameConfiguration(written, back);
}

TEST_F(SimEcuDataTest, OlderEcuGetsTheEnrichmentPerThrottleStepAndTheCutoffAsARamp) {
  ecu_.SetIdentity(ecu_.CustomerCode(), SimulatedEcu::kEcuType, 1, 0);
  for (const int code : {0x59, 0x5A, 0x57}) ecu_.SetAbsent(code);
  TEcuData back("back");
  TEcuData written("written");
  ASSERT_TRUE(written.ReadIdentificazione());
  written.Flag1 &= ~0x08;  // enrichment per throttle step
  Change(written.ArrPerTps, 0, 250);
  written.ChiusuraCutoff = 30;  // ramp 60 over the 3 cycles
  written.AperturaCutoff = 35;  // ramp 100 - 70
  written.WriteAll(false);

  ASSERT_TRUE(back.ReadIdentificazione());
  back.ReadAll();
  EXPECT_EQ(std::memcmp(back.ArrPerTps, written.ArrPerTps, sizeof back.ArrPerTps), 0);
  EXPECT_EQ(back.RampaChiusura, 60);
  EXPECT_EQ(back.RampaApertura, 30);
  EXPECT_EQ(back.RampaValida, 1);
  EXPECT_EQ(back.ChiusuraCutoff, 30);
  EXPECT_EQ(back.AperturaCutoff, 35);
}

}  // namespace
