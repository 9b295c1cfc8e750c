// Moving a whole configuration between the ECU and the data set, and the exchanges outside the
// single-value setters. Every pass blocks the caller; progress goes to the active form.
#include <algorithm>
#include <cstring>

#include "Clock.h"
#include "EcuData.h"
#include "EcuValueCodes.h"
#include "EcuWords.h"
#include "LinkTransfer.h"
#include "MessageSink.h"
#include "SerialLink.h"
#include "SerialWord.h"

using EcuConv::Trunc;

namespace {

constexpr int32_t kEcuReady = 172;
constexpr uint32_t kReadyPoll = 500;
constexpr uint32_t kPassPause = 400;

void Progress(int amount) { SendProgress(amount, ProgressAdd); }
void ProgressTo(int position) { SendProgress(position, ProgressSet); }

template <size_t N>
bool Read(int code, int32_t (&field)[N]) {
  return LinkTransfer::Read(code, field, static_cast<int>(N));
}
template <size_t N>
void Write(int code, const int32_t (&field)[N]) {
  LinkTransfer::WriteArray(code, field, static_cast<int>(N));
}

}  // namespace

// Scalars that whole-configuration passes move but that have no value code.
int32_t* TEcuData::ExchangeField(int code) {
  switch (code) {
    case EcuWord::kTipoSensore:
      return &TipoSensore;
    case EcuWord::kCicliCutoff:
      return &CicliCutoff;
    case EcuWord::kChiusuraCutoff:
      return &ChiusuraCutoff;
    case EcuWord::kAperturaCutoff:
      return &AperturaCutoff;
    case EcuWord::kMonoFuel:
      return &MonoFuel;
    case EcuWord::kTempoAperturaIniettore:
      return &TempoAperturaIniettore;
    case EcuWord::kArricchimentoAccelerazione:
      return &ArricchimentoAccelerazione;
    default:
      return GetValuePtr(code);
  }
}

void TEcuData::ReadCodes(std::initializer_list<int> codes) {
  for (int code : codes)
    if (int32_t* field = ExchangeField(code)) LinkTransfer::Read(code, field, 1);
}

void TEcuData::WriteCodes(std::initializer_list<int> codes) {
  for (int code : codes)
    if (int32_t* field = ExchangeField(code)) LinkTransfer::WriteVariable(code, *field);
}

bool TEcuData::WaitEcuState(uint32_t timeoutMs) {
  if (!LinkTransfer::IsOpen()) return false;
  int32_t state = 0;
  LinkTransfer::Read(EcuWord::kEcuState, &state, 1);
  const uint32_t start = Clock().GetTickCount();
  // Elapsed time, so that a wrap of the tick counter does not end the wait early or never.
  while (state != kEcuReady && Clock().GetTickCount() - start < timeoutMs) {
    Clock().Sleep(kReadyPoll);
    LinkTransfer::Read(EcuWord::kEcuState, &state, 1);
  }
  return state == kEcuReady;
}

bool TEcuData::ReadIdentificazione() { return LinkTransfer::ReadEcuIdentity(Identita); }

bool TEcuData::SetCodiceCliente(uint8_t code) {
  if (!LinkTransfer::WriteVariable(EcuWord::kCodiceCliente, code)) return false;
  Identita[0] = code;
  return true;
}

int TEcuData::ReadAll() {
  if (!SerialLink) return 0;  // no link object: nothing can be read
  using LinkTransfer::ItemMissing;
  // A pass cut short puts every value back: the data set never mixes the ECU's values with
  // earlier ones.
  const TEcuDataFields before = *this;
  const LinkTransfer::PassRecord pass;

  // Flags, axes.
  ProgressTo(0);
  ReadCodes({EcuWord::kFlag1});
  ReadCodes({EcuWord::kMonoFuel});
  HasMonoFuel = !ItemMissing();
  Read(EcuWord::kRifGiri, RifGiri);
  Read(EcuWord::kRifMAP, RifMAP);
  Progress(5);

  // Maps.
  for (int row = 0; row < kMapSize; ++row) {
    Progress(2);
    LinkTransfer::ReadRow(EcuWord::kMappa, row, Mappa[row], kMapSize);
  }
  HasMappaBenzina = true;
  for (int row = 0; row < kMapSize; ++row) {
    Progress(1);
    LinkTransfer::ReadRow(EcuWord::kMappaBenzina, row, MappaBenzina[row], kMapSize);
    if (ItemMissing()) HasMappaBenzina = false;
  }

  // Lambda, level, changeover.
  ReadCodes({EcuWord::kTipoDiLambda, EcuWord::kRifLambda, EcuWord::kOffsetLambda,
             EcuWord::kRitardoLetturaSonda, EcuWord::kTempoSondaFredda, EcuWord::kRifSupSondaFredda,
             EcuWord::kRifInfSondaFredda, EcuWord::kRifSupSondaCalda, EcuWord::kRifInfSondaCalda,
             EcuWord::kLivelloGasAlcol});
  Progress(5);
  ReadCodes({EcuWord::kTemperaturaCambio, EcuWord::kGiriPerCambio, EcuWord::kCambio12,
             EcuWord::kRitardoMinimoCambio, EcuWord::kFuoriGiri});
  Progress(5);

  // Cut-off: the legacy ramp gives the steps; ECUs that hold the steps overwrite them.
  ReadCodes({EcuWord::kNumeroCilindri, EcuWord::kFasciaGiriMinimo, EcuWord::kGiriCutoff,
             EcuWord::kRampaChiusura, EcuWord::kRampaApertura, EcuWord::kRampaValida});
  StepsFromRamp();
  ReadCodes({EcuWord::kChiusuraCutoff, EcuWord::kAperturaCutoff, EcuWord::kCicliCutoff});

  // TPS; older ECUs get the idle-exit coefficients set before they are read.
  ReadCodes({EcuWord::kTipoDiTps, EcuWord::kIsteresi, EcuWord::kTpsMoltoFuori});
  if (Identita[3] < 4 && Identita[2] < 109) {
    LinkTransfer::WriteVariable(EcuWord::kCoefficienteUscitaMinimo, 100);
    LinkTransfer::WriteVariable(EcuWord::kTempoCoefficienteUscitaMinimo, 100);
    LinkTransfer::WriteVariable(EcuWord::kTempoPer100, 0);
  }
  ReadCodes(
      {EcuWord::kCoefficienteUscitaMinimo, EcuWord::kTempoCoefficienteUscitaMinimo, EcuWord::kTempoPer100});
  Progress(5);

  // Open loop and stepper.
  Read(EcuWord::kRifOpenLoop, RifOpenLoop);
  Read(EcuWord::kPassiInvArr, PassiInvArr);
  Read(EcuWord::kPassiInvSmg, PassiInvSmg);
  Progress(5);
  Read(EcuWord::kPassiIngr, PassiIngr);
  Read(EcuWord::kPassiSmag, PassiSmag);
  Progress(5);

  // Emulation and level sensor.
  ReadCodes({EcuWord::kTempoAlto, EcuWord::kTempoBasso, EcuWord::kTempoSondaSconnessa, EcuWord::kNumeroOnde,
             EcuWord::kLivelloAlto, EcuWord::kLivelloBasso, EcuWord::kTipoSensore});
  Read(EcuWord::kRifSensore, RifSensore);
  Progress(5);

  // Carburation.
  ReadCodes({EcuWord::kMinErroreIntegrale, EcuWord::kMaxErroreIntegrale, EcuWord::kMaxErroreIntegraleAlMinimo,
             EcuWord::kMinErroreIntegraleAlMinimo, EcuWord::kTpsSbana, EcuWord::kGiriSbana,
             EcuWord::kTempiInversioneSbana, EcuWord::kTempoApSbana, EcuWord::kTempoChSbana});

  // Enrichment, as a map or per throttle step.
  if (IsMappaArricchimento()) {
    // Unsigned, like the live accumulator they are compared with; a reference written signed
    // (0x432) below 0 reads back as its byte (the loader takes both).
    Read(EcuWord::kRifCumuloRead, RifCumulo);
    NumeroRigheArr = 4;
    uint8_t rows = 0;
    int count = 1;
    if (LinkTransfer::ReadBytes(EcuWord::kNumeroRigheArr, &rows, &count, 1) && count >= 1)
      NumeroRigheArr = rows;
    NumeroRigheArr = std::min(NumeroRigheArr, kArrRows);
    for (int row = 0; row < NumeroRigheArr; ++row)
      LinkTransfer::ReadRow(EcuWord::kMappaArr, row, MappaArr[row], kArrCols);
  } else {
    Read(EcuWord::kArrPerTps, ArrPerTps);
  }
  Read(EcuWord::kVarCumulo, VarCumulo);
  Progress(4);

  // Injection, description and official flag.
  ReadCodes({EcuWord::kMinCumulo, EcuWord::kTipoIniezione, EcuWord::kCorrenteMantenimento,
             EcuWord::kDutyCorrenteHold});
  Read(EcuWord::kDatiEcu35, DatiEcu35);
  SetUfficiale((DatiEcu35[0] & 0x80) != 0);
  Progress(2);

  // Diagnosis, running times, sequence, level correction.
  Read(EcuWord::kStato, Stato);
  Read(EcuWord::kAbilitazione, Abilitazione);
  ReadCodes({EcuWord::kLive43, EcuWord::kLive44, EcuWord::kMinutiGas, EcuWord::kMinutiBenzina,
             EcuWord::kTempoRitBenzina, EcuWord::kCorrRientroMin, EcuWord::kCorrezioneInRilascio,
             EcuWord::kTempoMaxCorrente, EcuWord::kCilindrata});
  Read(EcuWord::kSequenzaIniezione, SequenzaIniezione);
  Read(EcuWord::kCorrezioneLivello, CorrezioneLivello);
  Progress(2);

  // Adaptivity.
  ReadCodes({EcuWord::kTempoAperturaIniettore});
  const bool coefficients = Read(EcuWord::kCoefficienteZona, CoefficienteZona);
  const bool corrections = Read(EcuWord::kCorrezioneZona, CorrezioneZona);
  if (coefficients || corrections) NumeroZone = kZone;
  ReadCodes({EcuWord::kNumeroInjUscitaMin});
  Read(EcuWord::kArrUscitaMin, ArrUscitaMin);
  ReadCodes({EcuWord::kArricchimentoAccelerazione, EcuWord::kCorrezioneFuoriMinimo,
             EcuWord::kCorrezioneAlMinimo, EcuWord::kMassimoValoreCorrezione, EcuWord::kTempoTraCorrezioni,
             EcuWord::kZonaApprendimentoFuoriMinimo, EcuWord::kMinimoValoreCorrettore,
             EcuWord::kTempoPerCorrezione});

  // Temperature, priming, pressure tables.
  Read(EcuWord::kRifTemp, Rif);
  Read(EcuWord::kCoeffTemp, Coeff);
  HasCoeffTemp = !ItemMissing();
  ReadCodes({EcuWord::kTempoCicchetto});
  HasTempoCicchetto = !ItemMissing();
  Read(EcuWord::kTempoCicchettoTemp, TempoCicchettoTemp);
  HasCicchettoTemp = !ItemMissing();
  Read(EcuWord::kTempCicchetto, TempCicchetto);
  int32_t calibration[4] = {OffsetMapEsterno, PendenzaMapEsterno, OffsetDiff, PendenzaDiff};
  if (Read(EcuWord::kDatiAggiuntivi, calibration)) {
    OffsetMapEsterno = calibration[0];
    PendenzaMapEsterno = calibration[1];
    OffsetDiff = calibration[2];
    PendenzaDiff = calibration[3];
  }
  HasDatiAggiuntivi = !ItemMissing();
  Read(EcuWord::kRifPressDiff, RifPressDiff);
  Read(EcuWord::kCoeffPressDiff, CoeffPressDiff);
  Read(EcuWord::kRifGas, RifGas);  // the word carries 10 elements: the tenth has no field
  Read(EcuWord::kCoeffGas, CoeffGas);

  if (pass.Outcome() == LinkTransfer::PassOutcome::LinkLost) {
    static_cast<TEcuDataFields&>(*this) = before;
    return 0;
  }

  // The vehicle data start again from what the ECU knows.
  ProgressTo(100);
  SetDatoVetturaStr(1, GetDescription());
  for (int id = 2; id <= 5; ++id) SetDatoVetturaStr(id, "");
  CentCubici = Trunc(GetValue(EcuWord::kCilindrata));
  Valvole = NCilindri = AnnoVettura = 0;
  Potenza = 0.0f;

  // A pause before the next exchange; what was read is in no file yet.
  Clock().Sleep(kPassPause);
  Changed = true;
  return 1;
}

int TEcuData::WriteAll(bool mapsOnly) {
  if (!SerialLink) return 0;

  // Axes and gas map: all a maps-only pass writes.
  ProgressTo(0);
  Write(EcuWord::kRifGiri, RifGiri);
  Write(EcuWord::kRifMAP, RifMAP);
  Progress(mapsOnly ? 15 : 5);
  for (int row = 0; row < kMapSize; ++row) {
    LinkTransfer::WriteRow(EcuWord::kMappa, row, Mappa[row], kMapSize);
    Progress(mapsOnly ? 9 : 2);
  }
  if (mapsOnly) return 0;

  // Petrol map.
  for (int row = 0; row < kMapSize; ++row) {
    LinkTransfer::WriteRow(EcuWord::kMappaBenzina, row, MappaBenzina[row], kMapSize);
    Progress(2);
  }

  // Flags, lambda, level, changeover.
  WriteCodes({EcuWord::kFlag1});
  if (HasMonoFuel) WriteCodes({EcuWord::kMonoFuel});
  WriteCodes({EcuWord::kTipoDiLambda, EcuWord::kRifLambda, EcuWord::kOffsetLambda,
              EcuWord::kRitardoLetturaSonda, EcuWord::kTempoSondaFredda, EcuWord::kRifSupSondaFredda,
              EcuWord::kRifInfSondaFredda, EcuWord::kRifSupSondaCalda, EcuWord::kRifInfSondaCalda,
              EcuWord::kLivelloGasAlcol});
  Progress(5);
  WriteCodes({EcuWord::kTemperaturaCambio, EcuWord::kGiriPerCambio, EcuWord::kCambio12,
              EcuWord::kRitardoMinimoCambio, EcuWord::kFuoriGiri});
  Progress(5);
  WriteCodes({EcuWord::kNumeroCilindri, EcuWord::kFasciaGiriMinimo, EcuWord::kGiriCutoff});

  // Cut-off: older ECUs (version byte 0) hold the legacy ramp.
  if (Identita[3] == 0) {
    RampFromSteps();
    WriteCodes({EcuWord::kRampaChiusura, EcuWord::kRampaApertura, EcuWord::kRampaValida});
  } else {
    WriteCodes({EcuWord::kChiusuraCutoff, EcuWord::kAperturaCutoff, EcuWord::kCicliCutoff});
  }

  // TPS, open loop and stepper.
  WriteCodes({EcuWord::kTipoDiTps, EcuWord::kIsteresi, EcuWord::kTpsMoltoFuori,
              EcuWord::kCoefficienteUscitaMinimo, EcuWord::kTempoCoefficienteUscitaMinimo,
              EcuWord::kTempoPer100});
  Progress(5);
  Write(EcuWord::kRifOpenLoop, RifOpenLoop);
  Write(EcuWord::kPassiInvArr, PassiInvArr);
  Write(EcuWord::kPassiInvSmg, PassiInvSmg);
  Progress(5);
  Write(EcuWord::kPassiIngr, PassiIngr);
  Write(EcuWord::kPassiSmag, PassiSmag);
  Progress(5);

  // Emulation and level sensor.
  WriteCodes({EcuWord::kTempoAlto, EcuWord::kTempoBasso, EcuWord::kTempoSondaSconnessa, EcuWord::kNumeroOnde,
              EcuWord::kLivelloAlto, EcuWord::kLivelloBasso, EcuWord::kTipoSensore});
  Write(EcuWord::kRifSensore, RifSensore);
  Progress(5);

  // Carburation.
  WriteCodes({EcuWord::kMinErroreIntegrale, EcuWord::kMaxErroreIntegrale,
              EcuWord::kMaxErroreIntegraleAlMinimo, EcuWord::kMinErroreIntegraleAlMinimo, EcuWord::kTpsSbana,
              EcuWord::kGiriSbana, EcuWord::kTempiInversioneSbana, EcuWord::kTempoApSbana,
              EcuWord::kTempoChSbana});

  // Enrichment.
  if (IsMappaArricchimento()) {
    const int rows = std::clamp(NumeroRigheArr, 0, kArrRows);
    for (int row = 0; row < rows; ++row)
      LinkTransfer::WriteRow(EcuWord::kMappaArr, row, MappaArr[row], kArrCols);
    for (int i = 0; i < rows; ++i) LinkTransfer::WriteElement(EcuWord::kRifCumuloWrite, i, RifCumulo[i]);
  } else {
    Write(EcuWord::kArrPerTps, ArrPerTps);
  }
  Write(EcuWord::kVarCumulo, VarCumulo);
  Progress(4);

  // Injection and description.
  WriteCodes({EcuWord::kMinCumulo, EcuWord::kTipoIniezione, EcuWord::kCorrenteMantenimento,
              EcuWord::kDutyCorrenteHold});
  Write(EcuWord::kDatiEcu35, DatiEcu35);
  Progress(2);

  // Diagnosis, running times, sequence, level correction, injector, idle exit.
  Write(EcuWord::kStato, Stato);
  Write(EcuWord::kAbilitazione, Abilitazione);
  WriteCodes({EcuWord::kMinutiGas, EcuWord::kMinutiBenzina, EcuWord::kTempoRitBenzina,
              EcuWord::kCorrRientroMin, EcuWord::kCorrezioneInRilascio, EcuWord::kTempoMaxCorrente,
              EcuWord::kCilindrata});
  Write(EcuWord::kSequenzaIniezione, SequenzaIniezione);
  Write(EcuWord::kCorrezioneLivello, CorrezioneLivello);
  WriteCodes({EcuWord::kTempoAperturaIniettore, EcuWord::kNumeroInjUscitaMin});
  Write(EcuWord::kArrUscitaMin, ArrUscitaMin);
  WriteCodes({EcuWord::kArricchimentoAccelerazione});

  // The idle corrections start again from 0 in the ECU.
  LinkTransfer::WriteVariable(EcuWord::kCorrezioneFuoriMinimo, 0);
  LinkTransfer::WriteVariable(EcuWord::kCorrezioneAlMinimo, 0);

  // Adaptivity parameters, temperature, priming and pressure tables.
  WriteCodes({EcuWord::kMassimoValoreCorrezione, EcuWord::kTempoTraCorrezioni,
              EcuWord::kZonaApprendimentoFuoriMinimo, EcuWord::kMinimoValoreCorrettore,
              EcuWord::kTempoPerCorrezione});
  Write(EcuWord::kRifTemp, Rif);
  if (HasCoeffTemp) Write(EcuWord::kCoeffTemp, Coeff);
  if (HasTempoCicchetto) WriteCodes({EcuWord::kTempoCicchetto});
  if (HasCicchettoTemp) Write(EcuWord::kTempoCicchettoTemp, TempoCicchettoTemp);
  Write(EcuWord::kTempCicchetto, TempCicchetto);
  if (HasDatiAggiuntivi) {
    const int32_t calibration[4] = {OffsetMapEsterno, PendenzaMapEsterno, OffsetDiff, PendenzaDiff};
    Write(EcuWord::kDatiAggiuntivi, calibration);
  }
  Write(EcuWord::kRifPressDiff, RifPressDiff);
  Write(EcuWord::kCoeffPressDiff, CoeffPressDiff);
  Write(EcuWord::kRifGas, RifGas);  // the tenth element of the word goes as 0
  Write(EcuWord::kCoeffGas, CoeffGas);

  // A pause before the next exchange.
  ProgressTo(100);
  Clock().Sleep(kPassPause);
  return 0;
}

bool TEcuData::ReadBlock(int code) {
  if (!LinkTransfer::IsOpen()) return false;
  bool ok = true;
  switch (code) {
    case 0x54:
      for (int row = 0; row < kMapSize; ++row)
        if (!LinkTransfer::ReadRow(EcuWord::kZonaCella, row, ZonaCella[row], kMapSize)) return false;
      return true;
    case 0x3D:
      ok = Read(EcuWord::kCoefficienteZona, CoefficienteZona);
      break;
    case 0x45C:
      ok = Read(EcuWord::kValoreZona, ValoreZona);
      break;
    case 0x637:
      ok = Read(EcuWord::kCorrezioneZona, CorrezioneZona);
      break;
    default:
      return true;
  }
  if (ok) NumeroZone = kZone;
  return ok;
}

bool TEcuData::ApplyPresetLambda() {
  static constexpr int32_t kTypes[4] = {2, 40, 25, 4};
  static constexpr int kCodes[7] = {EcuWord::kRifLambda,         EcuWord::kRifInfSondaFredda,
                                    EcuWord::kRifSupSondaFredda, EcuWord::kRifInfSondaCalda,
                                    EcuWord::kRifSupSondaCalda,  EcuWord::kLivelloBasso,
                                    EcuWord::kLivelloAlto};
  static constexpr double kVolts[7][4] = {
      {0.55, 2.5, 2.5, 1.35}, {0.3, 2.0, 2.0, 1.1}, {0.6, 3.0, 3.0, 1.4},  {0.3, 2.0, 2.0, 1.1},
      {0.6, 3.0, 3.0, 1.4},   {0.0, 0.0, 0.0, 0.8}, {0.82, 4.9, 4.9, 1.6},
  };
  const int type = IndexOf(kTypes, 4, TipoDiLambda & ~0x40);
  if (type < 0) return false;
  bool ok = true;
  for (int k = 0; k < 7; ++k) ok = SetValue(kCodes[k], kVolts[k][type]) == 1 && ok;
  return ok;
}

bool TEcuData::ApplyPresetArricchimento() {
  static constexpr int kCngUscita[kArrCols] = {10, 10, 10, 0, 0, 0};
  const bool cng = GetFlag1(4);
  bool held = true;
  for (int r = 0; r < kArrRows; ++r)
    for (int c = 0; c < kArrCols; ++c) {
      const int v = cng ? 0 : kMappaArrGpl[r][c];
      SetMappaArr(r, c, v);
      held = held && GetMappaArr(r, c) == v;
    }
  for (int i = 0; i < kArrCols; ++i) {
    const int v = cng ? kCngUscita[i] : kArrUscitaMinGpl[i];
    SetArrUscitaMin(i, v);
    held = held && GetArrUscitaMin(i) == v;
  }
  return held;
}

void TEcuData::SaveUndoMappa(bool benzina) {
  std::memcpy(UndoMappa, benzina ? MappaBenzina : Mappa, sizeof UndoMappa);
  UndoValida = true;
}

bool TEcuData::RestoreUndoMappa(bool benzina) {
  if (!UndoValida) return false;
  UndoValida = false;
  std::memcpy(benzina ? MappaBenzina : Mappa, UndoMappa, sizeof UndoMappa);
  return true;
}
