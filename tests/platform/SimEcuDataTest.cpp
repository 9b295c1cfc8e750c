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

TEST_F(SimEcuDataTest, WhatWriteAllWritesReadAllReadsBack) {
  TEcuData written("written");
  written.ReadAll();
  written.WriteThrough = false;
  written.SetMappa(4, 7, 12.5);
  written.SetMappaBenzina(11, 0, 3.2);
  written.SetRifGiri(11, 6500);
  written.SetRifMAP(0, 0.2);
  written.SetRifCumulo(2, 33);
  written.SetCoeffPressDiff(8, -20);
  written.SetDescription("Bench car");
  written.Flag1 = 0x68;  // two probes
  written.GiriCutoff = 2100;
  written.MinErroreIntegrale = -150;
  written.WriteAll(false);

  TEcuData back("back");
  back.ReadAll();
  // The two idle corrections are reset by the write-all, not written from the fields.
  written.CorrezioneFuoriMinimo = written.CorrezioneAlMinimo = 0;
  ExpectSameConfiguration(written, back);
}

}  // namespace
