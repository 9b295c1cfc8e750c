#pragma once
// Every field of a data set, for tests that compare or fill them all: X(field) for each, in
// declaration order. Ini is left out. ECU_VALUE_FIELDS are those of the values (TEcuDataFields).
// clang-format off
#define ECU_FIELDS(X) X(FilePath) X(IniOpen) X(FileKey) X(Changed) X(WriteThrough) ECU_VALUE_FIELDS(X)
#define ECU_VALUE_FIELDS(X)                                                                       \
  X(Mappa) X(MappaBenzina)                                                                        \
  X(HasMappaBenzina) X(UndoMappa) X(UndoValida) X(SequenzaIniezione) X(RifGiri) X(RifMAP)         \
  X(RifOpenLoop) X(PassiInvArr) X(PassiInvSmg) X(PassiIngr) X(PassiSmag) X(TipoSensore)          \
  X(GiriCambioMemo) X(CambioDisattivo) X(RifSensore) X(CorrezioneLivello) X(ArrPerTps)           \
  X(VarCumulo) X(MappaArr) X(NumeroRigheArr) X(RifCumulo) X(CorrezioneZona) X(CoefficienteZona)   \
  X(ZonaCella) X(ValoreCella) X(ValoreZona) X(NumeroZone) X(Descrizione) X(DatiEcu35) X(Stato)    \
  X(Abilitazione) X(Coeff) X(Rif) X(TempoAperturaIniettore) X(TempoAperturaLocale)                \
  X(ArrUscitaMin) X(ArricchimentoAccelerazione) X(GiriCutoffMemo) X(ChiusuraCutoff)              \
  X(AperturaCutoff) X(CicliCutoff) X(MajorVersionProg) X(MinorVersionProg) X(OffsetMapEsterno)   \
  X(PendenzaMapEsterno) X(OffsetDiff) X(PendenzaDiff) X(HasDatiAggiuntivi) X(RifPressDiff)        \
  X(CoeffPressDiff) X(RifGas) X(CoeffGas) X(TempoCicchettoTemp) X(TempCicchetto)                \
  X(HasTempoCicchetto) X(HasCicchettoTemp) X(MonoFuel) X(HasMonoFuel) X(HasCoeffTemp) X(Flag1)    \
  X(TipoDiLambda) X(RifLambda) X(OffsetLambda) X(RitardoLetturaSonda) X(TempoSondaFredda)         \
  X(RifSupSondaFredda) X(RifInfSondaFredda) X(RifSupSondaCalda) X(RifInfSondaCalda)               \
  X(LivelloGasAlcol) X(TemperaturaCambio) X(GiriPerCambio) X(Cambio12) X(RitardoMinimoCambio)     \
  X(FuoriGiri) X(NumeroCilindri) X(FasciaGiriMinimo) X(GiriCutoff) X(TipoDiTps) X(Isteresi)       \
  X(CoefficienteUscitaMinimo) X(TempoCoefficienteUscitaMinimo) X(TempoPer100) X(TempoAlto)        \
  X(TempoBasso) X(TempoSondaSconnessa) X(NumeroOnde) X(MaxErroreIntegrale) X(MinErroreIntegrale)  \
  X(MaxErroreIntegraleAlMinimo) X(MinErroreIntegraleAlMinimo) X(TpsSbana) X(GiriSbana)            \
  X(TempiInversioneSbana) X(MinCumulo) X(TipoIniezione) X(CorrenteMantenimento)                   \
  X(DutyCorrenteHold) X(MinutiGas) X(MinutiBenzina) X(RampaChiusura) X(RampaApertura)             \
  X(RampaValida) X(CorrezioneInRilascio) X(TempoRitBenzina) X(TpsMoltoFuori) X(Live43) X(Live44)  \
  X(TempoApSbana) X(TempoChSbana) X(LivelloAlto) X(LivelloBasso) X(CorrRientroMin)                \
  X(TempoMaxCorrente) X(Cilindrata) X(NumeroInjUscitaMin) X(Live5D) X(Live25E) X(Live5F) X(Live60) \
  X(Live61) X(Live62) X(Live263) X(CorrezioneFuoriMinimo) X(CorrezioneAlMinimo)                   \
  X(MassimoValoreCorrezione) X(TempoTraCorrezioni) X(ZonaApprendimentoFuoriMinimo)                \
  X(MinimoValoreCorrettore) X(TempoPerCorrezione) X(TempoCicchetto) X(Identita) X(ProgFile)       \
  X(DescrizAuto) X(Euro) X(CentCubici) X(Valvole) X(NCilindri) X(Potenza) X(Motore)               \
  X(Centralina) X(Cambio) X(AnnoVettura)
// clang-format on
