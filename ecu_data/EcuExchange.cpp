// Moving a whole configuration between the ECU and the data set, and the exchanges outside the
// single-value setters. Every pass blocks the caller; progress goes to the active form.
#include <algorithm>
#include <cstring>

#include "Clock.h"
#include "EcuData.h"
#include "EcuValueCodes.h"
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
    case 0x24: return &TipoSensore;
    case 0x57: return &CicliCutoff;
    case 0x59: return &ChiusuraCutoff;
    case 0x5A: return &AperturaCutoff;
    case 0x81: return &MonoFuel;
    case 0x253: return &TempoAperturaIniettore;
    case 0x458: return &ArricchimentoAccelerazione;
    default: return GetValuePtr(code);
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
  LinkTransfer::Read(2, &state, 1);
  const uint32_t start = Clock().GetTickCount();
  // Elapsed time, so that a wrap of the tick counter does not end the wait early or never.
  while (state != kEcuReady && Clock().GetTickCount() - start < timeoutMs) {
    Clock().Sleep(kReadyPoll);
    LinkTransfer::Read(2, &state, 1);
  }
  return state == kEcuReady;
}

bool TEcuData::ReadIdentificazione() { return LinkTransfer::ReadEcuIdentity(Identita); }

bool TEcuData::SetCodiceCliente(uint8_t code) {
  if (!LinkTransfer::WriteVariable(0x40, code)) return false;
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
  ReadCodes({0x203});
  ReadCodes({0x81});
  HasMonoFuel = !ItemMissing();
  Read(0xC30C, RifGiri);
  Read(0xC10D, RifMAP);
  Progress(5);

  // Maps.
  for (int row = 0; row < kMapSize; ++row) {
    Progress(2);
    LinkTransfer::ReadRow(0xC30E, row, Mappa[row], kMapSize);
  }
  HasMappaBenzina = true;
  for (int row = 0; row < kMapSize; ++row) {
    Progress(1);
    LinkTransfer::ReadRow(0xC34F, row, MappaBenzina[row], kMapSize);
    if (ItemMissing()) HasMappaBenzina = false;
  }

  // Lambda, level, changeover.
  ReadCodes({0x04, 0x05, 0x2F, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x70});
  Progress(5);
  ReadCodes({0x0F, 0x210, 0x12, 0x11, 0x213});
  Progress(5);

  // Cut-off: the legacy ramp gives the steps; ECUs that hold the steps overwrite them.
  ReadCodes({0x14, 0x215, 0x216, 0x17, 0x4D, 0x18});
  StepsFromRamp();
  ReadCodes({0x59, 0x5A, 0x57});

  // TPS; older ECUs get the idle-exit coefficients set before they are read.
  ReadCodes({0x1A, 0x1B, 0x3F});
  if (Identita[3] < 4 && Identita[2] < 109) {
    LinkTransfer::WriteVariable(0x64, 100);
    LinkTransfer::WriteVariable(0x65, 100);
    LinkTransfer::WriteVariable(0x66, 0);
  }
  ReadCodes({0x64, 0x65, 0x66});
  Progress(5);

  // Open loop and stepper.
  Read(0xC11C, RifOpenLoop);
  Read(0xC11D, PassiInvArr);
  Read(0xC119, PassiInvSmg);
  Progress(5);
  Read(0xC11E, PassiIngr);
  Read(0xC11F, PassiSmag);
  Progress(5);

  // Emulation and level sensor.
  ReadCodes({0x20, 0x21, 0x222, 0x23, 0x47, 0x48, 0x24});
  Read(0x4125, RifSensore);
  Progress(5);

  // Carburation.
  ReadCodes({0x627, 0x626, 0x628, 0x629, 0x2C, 0x22D, 0x2E, 0x46, 0x45});

  // Enrichment, as a map or per throttle step.
  if (IsMappaArricchimento()) {
    // Signed, as the references are written (0x432): what goes in reads back the same.
    Read(0x5532, RifCumulo);
    NumeroRigheArr = 4;
    uint8_t rows = 0;
    int count = 1;
    if (LinkTransfer::ReadBytes(4, &rows, &count, 1) && count >= 1) NumeroRigheArr = rows;
    NumeroRigheArr = std::min(NumeroRigheArr, kArrRows);
    for (int row = 0; row < NumeroRigheArr; ++row)
      LinkTransfer::ReadRow(0x6136, row, MappaArr[row], kArrCols);
  } else {
    Read(0x6131, ArrPerTps);
  }
  Read(0x6130, VarCumulo);
  Progress(4);

  // Injection, description and official flag.
  ReadCodes({0x33, 0x34, 0x38, 0x7F});
  Read(0x14135, DatiEcu35);
  SetUfficiale((DatiEcu35[0] & 0x80) != 0);
  Progress(2);

  // Diagnosis, running times, sequence, level correction.
  Read(0x2339, Stato);
  Read(0x233A, Abilitazione);
  ReadCodes({0x43, 0x44, 0x23B, 0x23C, 0x3E, 0x449, 0x66C, 0x24A, 0x24B});
  Read(0x814E, SequenzaIniezione);
  Read(0x5150, CorrezioneLivello);
  Progress(2);

  // Adaptivity.
  ReadCodes({0x253});
  const bool coefficients = Read(0x9113D, CoefficienteZona);
  const bool corrections = Read(0x91737, CorrezioneZona);
  if (coefficients || corrections) NumeroZone = kZone;
  ReadCodes({0x56});
  Read(0x6555, ArrUscitaMin);
  ReadCodes({0x458, 0x671, 0x672, 0x73, 0x74, 0x75, 0x76, 0x277});

  // Temperature, priming, pressure tables.
  Read(0xA12A, Rif);
  Read(0x9578, Coeff);
  HasCoeffTemp = !ItemMissing();
  ReadCodes({0x26D});
  HasTempoCicchetto = !ItemMissing();
  Read(0x3184, TempoCicchettoTemp);
  HasCicchettoTemp = !ItemMissing();
  Read(0x3185, TempCicchetto);
  int32_t calibration[4] = {OffsetMapEsterno, PendenzaMapEsterno, OffsetDiff, PendenzaDiff};
  if (Read(0x477A, calibration)) {
    OffsetMapEsterno = calibration[0];
    PendenzaMapEsterno = calibration[1];
    OffsetDiff = calibration[2];
    PendenzaDiff = calibration[3];
  }
  HasDatiAggiuntivi = !ItemMissing();
  Read(0x917B, RifPressDiff);
  Read(0x957C, CoeffPressDiff);
  Read(0xA17D, RifGas);  // the word carries 10 elements: the tenth has no field
  Read(0x917E, CoeffGas);

  if (pass.Outcome() == LinkTransfer::PassOutcome::LinkLost) {
    static_cast<TEcuDataFields&>(*this) = before;
    return 0;
  }

  // The vehicle data start again from what the ECU knows.
  ProgressTo(100);
  SetDatoVetturaStr(1, GetDescription());
  for (int id = 2; id <= 5; ++id) SetDatoVetturaStr(id, "");
  CentCubici = Trunc(GetValue(0x24B));
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
  Write(0xC30C, RifGiri);
  Write(0xC10D, RifMAP);
  Progress(mapsOnly ? 15 : 5);
  for (int row = 0; row < kMapSize; ++row) {
    LinkTransfer::WriteRow(0xC30E, row, Mappa[row], kMapSize);
    Progress(mapsOnly ? 9 : 2);
  }
  if (mapsOnly) return 0;

  // Petrol map.
  for (int row = 0; row < kMapSize; ++row) {
    LinkTransfer::WriteRow(0xC34F, row, MappaBenzina[row], kMapSize);
    Progress(2);
  }

  // Flags, lambda, level, changeover.
  WriteCodes({0x203});
  if (HasMonoFuel) WriteCodes({0x81});
  WriteCodes({0x04, 0x05, 0x2F, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x70});
  Progress(5);
  WriteCodes({0x0F, 0x210, 0x12, 0x11, 0x213});
  Progress(5);
  WriteCodes({0x14, 0x215, 0x216});

  // Cut-off: older ECUs (version byte 0) hold the legacy ramp.
  if (Identita[3] == 0) {
    RampFromSteps();
    WriteCodes({0x17, 0x4D, 0x18});
  } else {
    WriteCodes({0x59, 0x5A, 0x57});
  }

  // TPS, open loop and stepper.
  WriteCodes({0x1A, 0x1B, 0x3F, 0x64, 0x65, 0x66});
  Progress(5);
  Write(0xC11C, RifOpenLoop);
  Write(0xC11D, PassiInvArr);
  Write(0xC119, PassiInvSmg);
  Progress(5);
  Write(0xC11E, PassiIngr);
  Write(0xC11F, PassiSmag);
  Progress(5);

  // Emulation and level sensor.
  WriteCodes({0x20, 0x21, 0x222, 0x23, 0x47, 0x48, 0x24});
  Write(0x4125, RifSensore);
  Progress(5);

  // Carburation.
  WriteCodes({0x627, 0x626, 0x628, 0x629, 0x2C, 0x22D, 0x2E, 0x46, 0x45});

  // Enrichment.
  if (IsMappaArricchimento()) {
    const int rows = std::clamp(NumeroRigheArr, 0, kArrRows);
    for (int row = 0; row < rows; ++row) LinkTransfer::WriteRow(0x6136, row, MappaArr[row], kArrCols);
    for (int i = 0; i < rows; ++i) LinkTransfer::WriteElement(0x432, i, RifCumulo[i]);
  } else {
    Write(0x6131, ArrPerTps);
  }
  Write(0x6130, VarCumulo);
  Progress(4);

  // Injection and description.
  WriteCodes({0x33, 0x34, 0x38, 0x7F});
  Write(0x14135, DatiEcu35);
  Progress(2);

  // Diagnosis, running times, sequence, level correction, injector, idle exit.
  Write(0x2339, Stato);
  Write(0x233A, Abilitazione);
  WriteCodes({0x23B, 0x23C, 0x3E, 0x449, 0x66C, 0x24A, 0x24B});
  Write(0x814E, SequenzaIniezione);
  Write(0x5150, CorrezioneLivello);
  WriteCodes({0x253, 0x56});
  Write(0x6555, ArrUscitaMin);
  WriteCodes({0x458});

  // The idle corrections start again from 0 in the ECU.
  LinkTransfer::WriteVariable(0x671, 0);
  LinkTransfer::WriteVariable(0x672, 0);

  // Adaptivity parameters, temperature, priming and pressure tables.
  WriteCodes({0x73, 0x74, 0x75, 0x76, 0x277});
  Write(0xA12A, Rif);
  if (HasCoeffTemp) Write(0x9578, Coeff);
  if (HasTempoCicchetto) WriteCodes({0x26D});
  if (HasCicchettoTemp) Write(0x3184, TempoCicchettoTemp);
  Write(0x3185, TempCicchetto);
  if (HasDatiAggiuntivi) {
    const int32_t calibration[4] = {OffsetMapEsterno, PendenzaMapEsterno, OffsetDiff, PendenzaDiff};
    Write(0x477A, calibration);
  }
  Write(0x917B, RifPressDiff);
  Write(0x957C, CoeffPressDiff);
  Write(0xA17D, RifGas);  // the tenth element of the word goes as 0
  Write(0x917E, CoeffGas);

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
        if (!LinkTransfer::ReadRow(0xC154, row, ZonaCella[row], kMapSize)) return false;
      return true;
    case 0x3D: ok = Read(0x9113D, CoefficienteZona); break;
    case 0x45C: ok = Read(0x9155C, ValoreZona); break;
    case 0x637: ok = Read(0x91737, CorrezioneZona); break;
    default: return true;
  }
  if (ok) NumeroZone = kZone;
  return ok;
}

bool TEcuData::ApplyPresetLambda() {
  static constexpr int32_t kTypes[4] = {2, 40, 25, 4};
  static constexpr int kCodes[7] = {0x05, 0x09, 0x08, 0x0B, 0x0A, 0x48, 0x47};
  static constexpr double kVolts[7][4] = {
      {0.55, 2.5, 2.5, 1.35}, {0.3, 2.0, 2.0, 1.1}, {0.6, 3.0, 3.0, 1.4}, {0.3, 2.0, 2.0, 1.1},
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
