#include "EcuData.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>

#include "BrandProfile.h"
#include "EcuValueCodes.h"
#include "EcuWords.h"
#include "IniFile.h"
#include "LinkTransfer.h"
#include "MessageSink.h"
#include "SerialWord.h"

TEcuData* EcuData = nullptr;

using EcuConv::RoundHalfAway;
using EcuConv::Trunc;

namespace {

constexpr const char* kDefaultFileKey = "OggiPioveSullaCollinaBlu";

// Default gas map in ms, [MAP row][rpm column].
constexpr double kDefaultMappa[12][12] = {
    {4.008, 4.176, 4.332, 4.492, 4.664, 4.864, 5.096, 5.356, 5.644, 5.96, 6.296, 6.64},
    {4.728, 4.888, 5.032, 5.18, 5.344, 5.544, 5.776, 6.044, 6.344, 6.676, 7.024, 7.376},
    {5.452, 5.608, 5.736, 5.868, 6.028, 6.228, 6.468, 6.74, 7.056, 7.404, 7.764, 8.128},
    {6.372, 6.532, 6.644, 6.756, 6.912, 7.124, 7.376, 7.668, 8.008, 8.38, 8.756, 9.124},
    {7.068, 7.236, 7.336, 7.436, 7.596, 7.828, 8.112, 8.432, 8.796, 9.176, 9.552, 9.92},
    {7.716, 7.896, 7.976, 8.072, 8.256, 8.528, 8.868, 9.236, 9.62, 10.0, 10.368, 10.728},
    {8.428, 8.58, 8.668, 8.8, 9.056, 9.42, 9.852, 10.292, 10.704, 11.08, 11.432, 11.768},
    {9.012, 9.132, 9.232, 9.396, 9.744, 10.204, 10.72, 11.228, 11.656, 12.02, 12.36, 12.684},
    {9.544, 9.668, 9.784, 9.98, 10.384, 10.9, 11.456, 12.004, 12.444, 12.804, 13.14, 13.46},
    {10.3, 10.452, 10.632, 10.904, 11.312, 11.816, 12.364, 12.896, 13.352, 13.744, 14.088, 14.416},
    {11.036, 11.224, 11.456, 11.764, 12.168, 12.648, 13.16, 13.664, 14.124, 14.528, 14.896, 15.236},
    {11.8, 11.932, 12.196, 12.4, 12.8, 13.3, 13.8, 14.2, 14.6, 15.0, 15.3, 15.6},
};

constexpr double kDefaultRifMAP[12] = {0.18, 0.33, 0.47, 0.63, 0.78, 0.93,
                                       1.08, 1.24, 1.39, 1.54, 1.70, 1.86};

// Level-sensor type table (type index -> TipoSensore code) and the threshold presets of the
// first two types, as readings.
constexpr int32_t kSensorTypes[8] = {129, 2, 4, 131, 193, 66, 68, 195};
constexpr int kSensorPresets[2][4] = {{199, 140, 93, 39}, {17, 44, 77, 100}};

// Lambda emulation presets: TempoAlto, TempoBasso, TempoSondaSconnessa, NumeroOnde.
constexpr int32_t kEmulationPresets[3][4] = {{0, 0, 50, 1}, {0, 50, 0, 1}, {18, 18, 0, 1}};
constexpr int kEmulationCodes[4] = {0x20, 0x21, 0x222, 0x23};

// Differential-pressure presets for LPG and CNG.
constexpr double kRifPressDiffGpl[9] = {0.48, 0.55, 0.62, 0.69, 0.76, 0.83, 0.90, 1.00, 1.10};
constexpr double kCoeffPressDiffGpl[9] = {35, 28, 21, 15, 10, 6, 0, -6.5, -13};
constexpr double kRifPressDiffMetano[9] = {1.2, 1.3, 1.4, 1.5, 1.6, 1.7, 1.8, 1.95, 2.1};
constexpr double kCoeffPressDiffMetano[9] = {23, 18, 14, 10, 6, 3, 0, -5, -10};
// The LPG breakpoints as the ECU has always received them by default (0.48 and 0.62 bar come
// out one hundredth low under the original extended-precision truncation).
constexpr int32_t kRifPressDiffDefault[9] = {47, 55, 61, 68, 76, 82, 90, 100, 110};

// The four pressure-sensor calibration fields, elements 0-3 of 0x67A.
int32_t TEcuData::*const kOffsetPendenza[4] = {&TEcuData::OffsetMapEsterno, &TEcuData::PendenzaMapEsterno,
                                               &TEcuData::OffsetDiff, &TEcuData::PendenzaDiff};

// Default injector sequences: order numbers and bank bits per cylinder.
struct Sequence {
  int cylinders;
  int probes;  // 0 = either
  int order[8];
  int bank[8];
};
constexpr Sequence kSequences[] = {
    {2, 0, {0, 1}, {}},
    {3, 0, {0, 2, 1}, {}},
    {4, 0, {0, 2, 3, 1}, {}},
    {5, 0, {0, 1, 3, 4, 2}, {}},
    {6, 1, {0, 5, 2, 6, 1, 4}, {}},
    {6, 2, {0, 4, 1, 5, 2, 6}, {0, 1, 0, 1, 0, 1}},
    {8, 1, {0, 4, 3, 7, 5, 2, 6, 1}, {}},
    {8, 2, {0, 4, 3, 7, 5, 2, 6, 1}, {0, 1, 0, 1, 1, 0, 1, 0}},
};

constexpr bool InRange(int i, int n) { return i >= 0 && i < n; }

// Fields can hold any int32: every conversion of one is worked out in 64 bits and saturates.
int32_t Saturated(int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

template <size_t N>
void CopyText(char (&dest)[N], const char* src) {
  std::memset(dest, 0, N);
  if (src) std::strncpy(dest, src, N - 1);
}

// A vehicle text as a configuration file line can carry it: a control character (an ECU
// description may hold any byte) becomes a blank.
template <size_t N>
void CopyLineText(char (&dest)[N], const char* src) {
  CopyText(dest, src);
  for (char& ch : dest) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (c != 0 && (c < 0x20 || c == 0x7F)) ch = ' ';
  }
}

// Integer temperature of a reading for the tables edited in whole degrees.
int RoundedTemperature(int32_t raw) { return RoundHalfAway(CalcTemperatura(raw)); }

}  // namespace

// ---- construction and defaults ----------------------------------------------------------------

TEcuData::TEcuData(const char* name) {
  CopyText(FilePath, name);
  IniOpen = false;
  CopyText(FileKey, kDefaultFileKey);
  WriteThrough = false;
  SetDefaults();
  WriteThrough = true;
  UndoValida = false;
}

TEcuData::~TEcuData() = default;

void TEcuData::SetDefaults() {
  const bool writeThrough = WriteThrough;
  WriteThrough = false;

  MajorVersionProg = 3;
  MinorVersionProg = 6;
  HasMappaBenzina = true;
  for (int r = 0; r < kMapSize; ++r)
    for (int c = 0; c < kMapSize; ++c) {
      SetMappa(r, c, kDefaultMappa[r][c]);
      SetMappaBenzina(r, c, 0.0);
      ZonaCella[r][c] = 0;
      ValoreCella[r][c] = 0;
    }
  for (int r = 0; r < kArrRows; ++r)
    for (int c = 0; c < kArrCols; ++c) SetMappaArr(r, c, kMappaArrGpl[r][c]);
  NumeroRigheArr = 4;
  std::fill(std::begin(CorrezioneZona), std::end(CorrezioneZona), 0);
  std::fill(std::begin(CoefficienteZona), std::end(CoefficienteZona), 0);
  std::fill(std::begin(ValoreZona), std::end(ValoreZona), 0);
  NumeroZone = 0;
  for (int i = 0; i < kMapSize; ++i) {
    SetRifGiri(i, 500 * (i + 1));
    SetRifOpenLoop(i, 1, 0);
    SetRifOpenLoop(i, 2, 0);
    SetPassi(i, 2, 2);
    SetPassi(i, 1, 2);
    SetPassi(i, 3, i < 2 ? 120 : 20);
    SetPassi(i, 4, i < 2 ? 120 : 20);
  }
  SetPassi(2, 3, 60);
  SetPassi(2, 4, 60);
  for (int i = 0; i < kMapSize; ++i) SetRifMAP(i, kDefaultRifMAP[i]);

  // Plain fields.
  Flag1 = 0x6C;
  TipoDiLambda = 2;
  RifLambda = 28;
  OffsetLambda = 0;
  RitardoLetturaSonda = 0;
  TempoSondaFredda = 5;
  RifSupSondaFredda = 31;
  RifInfSondaFredda = 15;
  RifSupSondaCalda = 31;
  RifInfSondaCalda = 15;
  LivelloGasAlcol = 0;
  Cambio12 = 0;
  RitardoMinimoCambio = 0;
  FuoriGiri = 6500;
  NumeroCilindri = 4;
  FasciaGiriMinimo = 1200;
  GiriCutoff = 1800;
  GiriCutoffMemo = 1800;
  TipoDiTps = 0;
  Isteresi = 5;
  CoefficienteUscitaMinimo = 100;
  TempoCoefficienteUscitaMinimo = 100;
  TempoPer100 = 0;
  MaxErroreIntegrale = 200;
  MinErroreIntegrale = -200;
  MaxErroreIntegraleAlMinimo = 80;
  MinErroreIntegraleAlMinimo = -80;
  TpsSbana = 204;
  GiriSbana = 6000;
  TempiInversioneSbana = 10;
  MinCumulo = 3;
  TipoIniezione = 3;
  CorrenteMantenimento = 100;
  DutyCorrenteHold = 100;
  MinutiGas = 0;
  MinutiBenzina = 0;
  RampaChiusura = 80;
  RampaApertura = 20;
  RampaValida = 1;
  ChiusuraCutoff = 20;
  AperturaCutoff = 20;
  CicliCutoff = 0x33;
  CorrezioneInRilascio = 1000;
  TempoRitBenzina = 255;
  TpsMoltoFuori = 10;
  Live43 = 0;
  Live44 = 0;
  TempoApSbana = 5;
  TempoChSbana = 20;
  LivelloAlto = 42;
  LivelloBasso = 0;
  CorrRientroMin = 100;
  TempoMaxCorrente = 2000;
  Cilindrata = 0;
  NumeroInjUscitaMin = 15;
  Live5D = Live25E = Live5F = Live60 = Live61 = Live62 = Live263 = 0;
  SetTempoAperturaIniettore(1, 4.0);
  SetTempoAperturaIniettore(2, 1.0);
  ArricchimentoAccelerazione = 0;
  MonoFuel = 0;
  TempoCicchetto = 0;
  std::fill(std::begin(SequenzaIniezione), std::end(SequenzaIniezione), 0);
  std::fill(std::begin(DatiEcu35), std::end(DatiEcu35), 0);
  std::fill(std::begin(Descrizione), std::end(Descrizione), '\0');
  CopyText(ProgFile, "");
  CopyText(DescrizAuto, "");
  CopyText(Euro, "");
  CopyText(Motore, "");
  CopyText(Centralina, "");
  CopyText(Cambio, "");
  CentCubici = Valvole = NCilindri = AnnoVettura = 0;
  Potenza = 0.0f;

  TemperaturaCambio = CalcTemperaturaRaw(20.0f);
  CambioDisattivo = false;
  GiriCambioMemo = 0;
  GiriPerCambio = 1800;
  SetModoCambio(1);
  SetTipoSensore(0);
  // The preset's values only: SetTipoEmulazione writes to the ECU whatever the write-through
  // flag says, and the defaults never reach an ECU.
  TempoAlto = kEmulationPresets[2][0];
  TempoBasso = kEmulationPresets[2][1];
  TempoSondaSconnessa = kEmulationPresets[2][2];
  NumeroOnde = kEmulationPresets[2][3];
  static constexpr int kArrPerTps[kArrCols] = {20, 40, 30, 20, 20, 20};
  for (int i = 0; i < kArrCols; ++i) {
    SetArricchimento(i, 1, kArrPerTps[i]);
    SetArricchimento(i, 5, 50);
    SetArrUscitaMin(i, kArrUscitaMinGpl[i]);
  }
  for (int i = 0; i < kArrRows; ++i) SetRifCumulo(i, 10 * (i + 1));
  SetSequenzaDefault();
  SetDescription("Standard");
  SetUfficiale(false);
  Stato[0] = Stato[1] = 0;
  Abilitazione[0] = Abilitazione[1] = 0x41;
  Identita[0] = GetBrandEcuCode(kThisBuildBrandBit);
  Identita[1] = 10;
  Identita[2] = 1;
  Identita[3] = 1;
  static constexpr int kRifTemp[kTempTable] = {0, 80, 70, 60, 50, 40, 30, 20, 10, 0};
  for (int i = 0; i < kTempTable; ++i) SetRifTemp(i, kRifTemp[i]);
  for (int i = 0; i < kCurve; ++i) SetCoeffTemp(i, 0.0);
  for (int i = 0; i < 5; ++i) SetCorrezioneLivello(i, 0);
  CorrezioneFuoriMinimo = 0;
  CorrezioneAlMinimo = 0;
  MassimoValoreCorrezione = 100;
  TempoTraCorrezioni = 250;
  ZonaApprendimentoFuoriMinimo = 100;
  MinimoValoreCorrettore = 40;
  TempoPerCorrezione = 1250;
  static constexpr double kPrimingTime[kPriming] = {2.5, 1.5, 1.0};
  static constexpr int kPrimingTemp[kPriming] = {-5, 20, 40};
  for (int i = 0; i < kPriming; ++i) {
    SetTempoCicchettoTemp(i, kPrimingTime[i]);
    SetTempCicchetto(i, kPrimingTemp[i]);
  }
  static constexpr int kOffsetPendenzaDefault[4] = {100, 500, 35, 826};
  for (int i = 0; i < 4; ++i) SetOffsetPendenza(i, kOffsetPendenzaDefault[i]);
  static constexpr int kRifGasDefault[kCurve] = {0, 5, 10, 20, 32, 45, 56, 68, 80};
  for (int i = 0; i < kCurve; ++i) {
    RifPressDiff[i] = kRifPressDiffDefault[i];
    SetCoeffPressDiff(i, kCoeffPressDiffGpl[i]);
    SetRifGas(i, kRifGasDefault[i]);
    SetCoeffGas(i, 85 + 3 * i);
  }
  HasMappaBenzina = true;
  HasDatiAggiuntivi = true;
  HasTempoCicchetto = false;
  HasCicchettoTemp = true;
  HasMonoFuel = false;
  HasCoeffTemp = true;
  Changed = false;

  WriteThrough = writeThrough;
}

// ---- shared setter steps --------------------------------------------------------------------

void TEcuData::ClearUfficiale() {
  if (IsUfficiale()) SetUfficiale(false);
}

void TEcuData::MarkEdited() {
  Changed = true;
  ClearUfficiale();
}

bool TEcuData::WriteVar(int code, int32_t v) { return !WriteThrough || LinkTransfer::WriteVariable(code, v); }

bool TEcuData::WriteElem(int code, int index, int32_t v) {
  return !WriteThrough || LinkTransfer::WriteElement(code, index, v);
}

bool TEcuData::WriteCel(int code, int row, int col, int32_t v) {
  return !WriteThrough || LinkTransfer::WriteCell(code, row, col, v);
}

bool TEcuData::StoreElement(int code, int32_t* table, int index, int32_t raw) {
  if (!WriteElem(code, index, raw)) return false;
  table[index] = raw;
  MarkEdited();
  return true;
}

bool TEcuData::StoreElementA(int code, int32_t* table, int index, int32_t raw) {
  Changed = true;
  return StoreElement(code, table, index, raw);
}

bool TEcuData::StoreFlag1(int32_t value) {
  if (!WriteVar(0x203, value)) return false;
  Flag1 = value;
  Changed = true;
  return true;
}

// ---- maps and axes ------------------------------------------------------------------------------

double TEcuData::GetMappa(int row, int col) const {
  return InRange(row, kMapSize) && InRange(col, kMapSize) ? Mappa[row][col] * 0.004 : 0.0;
}

double TEcuData::GetMappaBenzina(int row, int col) const {
  return InRange(row, kMapSize) && InRange(col, kMapSize) ? MappaBenzina[row][col] * 0.004 : 0.0;
}

void TEcuData::SetMappaCell(int32_t (&map)[kMapSize][kMapSize], int code, int row, int col, double ms) {
  if (!InRange(row, kMapSize) || !InRange(col, kMapSize)) return;
  Changed = true;
  if (ms > 20.0) ms = 20.0;
  if (ms < 0.0) ms = 0.0;
  const int32_t raw = ms < 0.02 ? 0 : Trunc(ms * 250.0 + 0.5);
  if (!WriteCel(code, row, col, raw)) return;
  map[row][col] = raw;
  ClearUfficiale();
}

void TEcuData::SetMappa(int row, int col, double ms) { SetMappaCell(Mappa, 0x20E, row, col, ms); }

void TEcuData::SetMappaBenzina(int row, int col, double ms) {
  SetMappaCell(MappaBenzina, 0x24F, row, col, ms);
}

double TEcuData::GetRifMAP(int i) const {
  // raw x 5 / 255: one rounding only, so a breakpoint of a whole number of millivolts and the
  // midpoint of two breakpoints come out exact (a point halfway stays with the lower one).
  return InRange(i, kMapSize) ? RifMAP[i] * 5.0 / 255.0 : 0.0;
}

void TEcuData::SetRifMAP(int i, double volts) {
  if (!InRange(i, kMapSize) || !(volts >= 0.0 && volts <= 5.0)) return;
  StoreElementA(0x0D, RifMAP, i, EcuConv::VoltToRaw(volts));
}

int TEcuData::GetRifGiri(int i) const { return InRange(i, kMapSize) ? RifGiri[i] : 0; }

void TEcuData::SetRifGiri(int i, int rpm) {
  if (!InRange(i, kMapSize) || rpm < 0 || rpm > 10000) return;
  StoreElementA(0x20C, RifGiri, i, rpm);
}

int TEcuData::GetRifOpenLoop(int i, int kind) const {
  if (!InRange(i, kMapSize)) return 0;
  return kind == 1 ? (RifOpenLoop[i] & 7) : ((RifOpenLoop[i] >> 3) & 7);
}

void TEcuData::SetRifOpenLoop(int i, int kind, int v) {
  if (!InRange(i, kMapSize) || !InRange(v, 8)) return;
  const int32_t raw = kind == 1 ? ((RifOpenLoop[i] & ~0x07) | v) : ((RifOpenLoop[i] & ~0x38) | (v << 3));
  StoreElementA(0x1C, RifOpenLoop, i, raw);
}

int TEcuData::GetPassi(int i, int kind) const {
  if (!InRange(i, kMapSize)) return 0;
  switch (kind) {
    case 1:
      return PassiInvArr[i];
    case 2:
      return PassiInvSmg[i];
    case 3:
      return Saturated(int64_t{PassiIngr[i]} * 5);
    case 4:
      return Saturated(int64_t{PassiSmag[i]} * 5);
    default:
      return 0;
  }
}

void TEcuData::SetPassi(int i, int kind, int v) {
  if (!InRange(i, kMapSize)) return;
  switch (kind) {
    case 1:
    case 2:
      if (!InRange(v, 256)) return;
      if (kind == 1)
        StoreElementA(0x1D, PassiInvArr, i, v);
      else
        StoreElementA(0x19, PassiInvSmg, i, v);
      return;
    case 3:
    case 4: {
      if (!InRange(v, 1276)) return;
      const int32_t raw = Trunc(v * 0.2 + 0.5);
      if (kind == 3)
        StoreElementA(0x1E, PassiIngr, i, raw);
      else
        StoreElementA(0x1F, PassiSmag, i, raw);
      return;
    }
    default:
      return;
  }
}

// ---- adaptivity -------------------------------------------------------------------------------

int TEcuData::GetZonaAdattativa(int row, int col, int kind) const {
  if (!InRange(row, kMapSize) || !InRange(col, kMapSize)) return 0;
  const int zone = ZonaCella[row][col];
  const bool zoneOk = InRange(zone, std::min(NumeroZone, kZone));
  switch (kind) {
    case 1:
      return zone;
    case 2:
      return zoneOk ? Saturated(int64_t{CorrezioneZona[zone]} * 4) : 0;
    case 3:
      return zoneOk ? CoefficienteZona[zone] : 0;
    case 4:
      return zoneOk && CoefficienteZona[zone] != 0
                 ? Saturated(int64_t{CorrezioneZona[zone]} * 4 / CoefficienteZona[zone])
                 : 0;
    case 5:
      return ValoreCella[row][col];
    case 6:
      return zoneOk ? Saturated(int64_t{ValoreZona[zone]} * 4) : 0;
    default:
      return 0;
  }
}

void TEcuData::SetZonaAdattativa(int row, int col, int kind, int v) {
  if (!InRange(row, kMapSize) || !InRange(col, kMapSize)) return;
  if (kind != 1 && kind != 3 && kind != 4 && kind != 5 && kind != 6) return;
  Changed = true;
  const int zone = ZonaCella[row][col];
  const bool zoneOk = InRange(zone, std::min(NumeroZone, kZone));
  const int32_t q = std::clamp(v / 4, -127, 127);
  // The ECU-backed kinds store only what the ECU took: nothing at all without write-through.
  auto write = [this](int code, int index, int32_t value, int32_t& field) {
    if (!WriteThrough || !LinkTransfer::WriteElement(code, index, value)) return;
    field = value;
    ClearUfficiale();
  };
  switch (kind) {
    case 1: {
      int32_t id = std::max(v, 0);
      if (NumeroZone >= 1 && id >= NumeroZone) id = NumeroZone - 1;
      if (!WriteThrough || !LinkTransfer::WriteCell(0x54, row, col, id)) return;
      ZonaCella[row][col] = id;
      ClearUfficiale();
      return;
    }
    case 3:
      if (zoneOk) write(0x3D, zone, std::clamp(v, 0, 255), CoefficienteZona[zone]);
      return;
    case 4:
      if (zoneOk) write(0x637, zone, Saturated(int64_t{CoefficienteZona[zone]} * q), CorrezioneZona[zone]);
      return;
    case 5:
      ValoreCella[row][col] = v;
      ClearUfficiale();
      return;
    case 6:
      if (zoneOk) write(0x45C, zone, q, ValoreZona[zone]);
      return;
  }
}

bool TEcuData::AzzeraAdatta() {
  bool ok = true;
  for (int z = 0; z < kZone; ++z) {
    const struct {
      int code;
      int32_t* table;
    } tables[] = {{0x637, CorrezioneZona}, {0x3D, CoefficienteZona}, {0x45C, ValoreZona}};
    for (const auto& t : tables) {
      if (LinkTransfer::WriteElement(t.code, z, 0))
        t.table[z] = 0;
      else
        ok = false;
    }
  }
  for (auto& row : ValoreCella) std::fill(std::begin(row), std::end(row), 0);
  return ok;
}

// ---- emulation, level sensor, enrichment ------------------------------------------------------

int TEcuData::GetTipoEmulazione() const {
  if (NumeroOnde == 255) return 4;
  for (int p = 0; p < 3; ++p) {
    const int32_t* preset = kEmulationPresets[p];
    if (TempoAlto == preset[0] && TempoBasso == preset[1] && TempoSondaSconnessa == preset[2] &&
        NumeroOnde == preset[3])
      return p;
  }
  return 3;
}

void TEcuData::SetTipoEmulazione(int preset) {
  if (!InRange(preset, 3)) return;
  Changed = true;
  const int32_t* values = kEmulationPresets[preset];
  // Written whatever the write-through flag says, stopping at the first refusal.
  bool all = true;
  for (int k = 0; k < 4 && all; ++k) all = LinkTransfer::WriteVariable(kEmulationCodes[k], values[k]);
  if (WriteThrough && !all) return;
  TempoAlto = values[0];
  TempoBasso = values[1];
  TempoSondaSconnessa = values[2];
  NumeroOnde = values[3];
  ClearUfficiale();
}

int TEcuData::GetTipoSensore() const { return IndexOf(kSensorTypes, 8, TipoSensore); }

void TEcuData::SetTipoSensore(int index) {
  if (!InRange(index, 8)) return;
  Changed = true;
  if (!WriteVar(0x24, kSensorTypes[index])) return;
  TipoSensore = kSensorTypes[index];
  ClearUfficiale();
  if (index <= 1)
    for (int k = 0; k < 4; ++k) SetRifSensore(k, kSensorPresets[index][k]);
}

int TEcuData::GetRifSensore(int i) const {
  if (!InRange(i, 4)) return 0;
  return IsSensoreLivelloInvertito() ? Saturated(255 - int64_t{RifSensore[i]}) : RifSensore[i];
}

void TEcuData::SetRifSensore(int i, int v) {
  if (!InRange(i, 4) || !InRange(v, 256)) return;
  StoreElementA(0x25, RifSensore, i, IsSensoreLivelloInvertito() ? Saturated(255 - int64_t{v}) : v);
}

int TEcuData::GetCorrezioneLivello(int i) const {
  return InRange(i, 5) ? Saturated(int64_t{CorrezioneLivello[i]} * 10 - 1000) : 0;
}

void TEcuData::SetCorrezioneLivello(int i, int v) {
  if (!InRange(i, 5)) return;
  StoreElementA(0x50, CorrezioneLivello, i, SerialWord::Clamp(0x50, int64_t{v} / 10 + 100));
}

int TEcuData::GetArricchimento(int i, int kind) const {
  if (!InRange(i, kArrCols)) return 0;
  if (kind == 1) return ArrPerTps[i];
  if (kind == 5) return VarCumulo[i];
  return 0;
}

void TEcuData::SetArricchimento(int i, int kind, int v) {
  if (!InRange(i, kArrCols) || (kind != 1 && kind != 5)) return;
  v = std::clamp(v, 0, 250);
  if (kind == 1)
    StoreElementA(0x31, ArrPerTps, i, v);
  else
    StoreElementA(0x30, VarCumulo, i, v);
}

int TEcuData::GetMappaArr(int row, int col) const {
  return InRange(row, kArrRows) && InRange(col, kArrCols) ? Saturated(int64_t{MappaArr[row][col]} * 2) : 0;
}

void TEcuData::SetMappaArr(int row, int col, int v) {
  if (!InRange(row, kArrRows) || !InRange(col, kArrCols)) return;
  Changed = true;
  const int32_t raw = std::clamp(v, 0, 250) / 2;
  if (!WriteCel(0x36, row, col, raw)) return;
  MappaArr[row][col] = raw;
  ClearUfficiale();
}

int TEcuData::GetRifCumulo(int i) const { return InRange(i, kArrRows) ? RifCumulo[i] : 0; }

void TEcuData::SetRifCumulo(int i, int v) {
  // The ECU keeps each reference in one byte, written signed and read unsigned: a value neither
  // word can carry is refused.
  if (!InRange(i, kArrRows) || v < SerialWord::MinValue(EcuWord::kRifCumuloWrite) ||
      v > SerialWord::MaxValue(EcuWord::kRifCumuloRead))
    return;
  StoreElementA(EcuWord::kRifCumuloWrite, RifCumulo, i, v);
}

int TEcuData::GetArrUscitaMin(int i) const {
  return InRange(i, kArrCols) ? Saturated(int64_t{ArrUscitaMin[i]} * 2) : 0;
}

void TEcuData::SetArrUscitaMin(int i, int v) {
  if (!InRange(i, kArrCols)) return;
  const int32_t raw = std::clamp(v, 0, 250) / 2;
  if (!WriteElem(0x455, i, raw)) return;
  ArrUscitaMin[i] = raw;
  Changed = true;
}

int TEcuData::GetArricchimentoAccelerazione() const { return ArricchimentoAccelerazione; }

void TEcuData::SetArricchimentoAccelerazione(int v) {
  v = SerialWord::Clamp(0x458, v);
  if (!WriteVar(0x458, v)) return;
  const int64_t delta = int64_t{v} - ArricchimentoAccelerazione;
  const int rows = std::clamp(NumeroRigheArr, 0, kArrRows);
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < kArrCols; ++c) SetMappaArr(r, c, Saturated(GetMappaArr(r, c) + delta));
  for (int i = 0; i < kArrCols; ++i) SetArrUscitaMin(i, Saturated(GetArrUscitaMin(i) + delta));
  ArricchimentoAccelerazione = v;
  ClearUfficiale();
}

// ---- changeover and cut-off -------------------------------------------------------------------

int TEcuData::GetModoCambio() const { return GiriPerCambio == 0 ? 2 : (GiriPerCambio & 1); }

void TEcuData::SetModoCambio(int mode) {
  constexpr int32_t kFallbackRpm = 1000;
  if (mode == 2) {
    if (!WriteVar(0x210, 0)) return;
    // Switching off twice must not forget the rpm remembered the first time.
    if ((GiriPerCambio & ~1) != 0)
      GiriCambioMemo = GiriPerCambio;
    else if ((GiriCambioMemo & ~1) == 0)
      GiriCambioMemo = kFallbackRpm;
    CambioDisattivo = true;
    GiriPerCambio = 0;
    MarkEdited();
    return;
  }
  if (mode != 0 && mode != 1) return;
  // An rpm of 0 means changeover by rpm is off (as after reading such an ECU): take the
  // remembered rpm, and never switch on with an rpm of 0.
  int32_t rpm = (CambioDisattivo || (GiriPerCambio & ~1) == 0) ? GiriCambioMemo : GiriPerCambio;
  if ((rpm & ~1) == 0) rpm = kFallbackRpm;
  const int32_t value = (rpm & ~1) | mode;
  if (!WriteVar(0x210, value)) return;
  GiriPerCambio = value;
  CambioDisattivo = false;
  MarkEdited();
}

int TEcuData::GetModoCutoff() {
  if (GetValue(0x216) > 6000) return 0;
  return GetCicliCutoff(2) < GetCicliCutoff(1) ? 1 : 2;
}

void TEcuData::SetModoCutoff(int mode) {
  constexpr int32_t kCutoffOff = 10000;
  if (mode == 0) {
    // Only a cut-off rpm that is in use is remembered, so switching off twice keeps it.
    if (GiriCutoff <= 6000) GiriCutoffMemo = GiriCutoff;
    SetValue(0x216, kCutoffOff);
    return;
  }
  if (mode != 1 && mode != 2) return;
  if (GetValue(0x216) > 6000) SetValue(0x216, GiriCutoffMemo);
  SetCicliCutoff(2, mode == 1 ? 1 : GetCicliCutoff(1));
}

double TEcuData::GetTempoCutoff(int phase) const {
  const int cycles = CicliCutoff & 15;
  if (cycles <= 1) return 0.0;
  const int step = phase == 1 ? AperturaCutoff : ChiusuraCutoff;
  return (cycles - 1) * static_cast<double>(step) * 0.02;
}

void TEcuData::SetTempoCutoff(int phase, double s) {
  const int cycles = CicliCutoff & 15;
  // With one cycle or none there is no ramp to spread over the cycles: nothing changes.
  if (cycles <= 1) return;
  const int32_t ticks = std::max(Trunc(50.0 * s + 0.5), 0);
  // The ECU keeps a step in a byte: a longer ramp is cut to the longest step it holds.
  int32_t step = SerialWord::Clamp(0x59, ticks / (cycles - 1));
  if (s > 0.0 && step == 0) step = 1;
  if (WriteThrough) {
    if (Identita[3] != 0) {
      if (!LinkTransfer::WriteVariable(phase == 1 ? 0x5A : 0x59, step)) return;
    } else if (phase != 1) {
      // Older ECUs hold the legacy ramp values; each is kept as the ECU took it.
      const int32_t chiusura = std::min(ticks, 100);
      if (!LinkTransfer::WriteVariable(0x17, chiusura)) return;
      RampaChiusura = chiusura;
      if (!LinkTransfer::WriteVariable(0x18, 1)) return;
      RampaValida = 1;
    } else {
      const int32_t apertura = std::max(100 - ticks, 0);
      if (!LinkTransfer::WriteVariable(0x4D, apertura)) return;
      RampaApertura = apertura;
    }
  }
  (phase == 1 ? AperturaCutoff : ChiusuraCutoff) = step;
  MarkEdited();
}

int TEcuData::GetCicliCutoff(int which) const {
  return which == 2 ? ((CicliCutoff >> 4) & 15) : (CicliCutoff & 15);
}

void TEcuData::SetCicliCutoff(int which, int n) {
  n &= 15;
  const int32_t value = which == 2 ? ((CicliCutoff & ~0xF0) | (n << 4)) : ((CicliCutoff & ~0x0F) | n);
  if (!WriteVar(0x57, value)) return;
  CicliCutoff = value;
  Changed = true;
}

void TEcuData::RampFromSteps() {
  const int64_t k = std::max((CicliCutoff & 15) - 1, 0);
  RampaValida = 1;
  RampaChiusura = Saturated(k * ChiusuraCutoff);
  RampaApertura = Saturated(100 - k * AperturaCutoff);
}

void TEcuData::StepsFromRamp() {
  const int cycles = CicliCutoff & 15;
  if (cycles <= 1) return;
  const int64_t k = cycles - 1;
  // Steps the ECU's byte words hold: a ramp that opens past its end gives no opening step.
  ChiusuraCutoff = RampaValida != 0 ? SerialWord::Clamp(0x59, int64_t{RampaChiusura} / RampaValida / k) : 1;
  AperturaCutoff = SerialWord::Clamp(0x5A, (100 - int64_t{RampaApertura}) / k);
  if (RampaChiusura != 0) {
    if (ChiusuraCutoff == 0) ChiusuraCutoff = 1;
    if (AperturaCutoff == 0) AperturaCutoff = 1;
  }
}

// ---- cell centres -------------------------------------------------------------------------------

int TEcuData::GetCentroGiri(int i) const {
  if (i >= 1 && i < kMapSize)
    return Saturated((int64_t{RifGiri[i - 1]} + RifGiri[i]) >> 1);  // halved downwards
  if (i == kMapSize) return Saturated(int64_t{GetCentroGiri(kMapSize - 1)} + 1000);
  return 0;
}

double TEcuData::GetCentroMAP(int i) const {
  if (i >= 1 && i < kMapSize) return (GetRifMAP(i - 1) + GetRifMAP(i)) / 2.0;
  if (i == kMapSize) return GetCentroMAP(kMapSize - 1) + 0.1;
  return 0.0;
}

int TEcuData::GetGiriCentroFascia(int i) const {
  if (i < 1 || i > 5) return 0;
  return Saturated((int64_t{RifGiri[i]} + RifGiri[i - 1]) / 2 / 10 * 10);
}

// ---- Flag1 --------------------------------------------------------------------------------------

bool TEcuData::GetSegnaleGiri() const { return (Flag1 & 0x01) != 0; }

void TEcuData::SetSegnaleGiri(bool v) { StoreFlag1(v ? (Flag1 | 0x01) : (Flag1 & ~0x01)); }

namespace {
// Flag1 bit of a SetFlag1 kind, and whether true means the bit clear; 0 for an unknown kind.
int Flag1Bit(int kind, bool* inverted) {
  *inverted = kind == 1 || kind == 2;
  switch (kind) {
    case 1:
      return 0x20;
    case 2:
      return 0x40;
    case 3:
      return 0x80;
    case 4:
      return 0x02;
    case 5:
      return 0x100;
    default:
      return 0;
  }
}
}  // namespace

bool TEcuData::GetFlag1(int kind) const {
  bool inverted = false;
  const int bit = Flag1Bit(kind, &inverted);
  if (!bit) return false;
  return ((Flag1 & bit) != 0) != inverted;
}

void TEcuData::SetFlag1(int kind, bool v) {
  bool inverted = false;
  const int bit = Flag1Bit(kind, &inverted);
  if (!bit) return;
  if (kind == 4) MessageSink().PostToForms(WM_ECUCHANGED, (Flag1 >> 1) & 1, EcuFuelChanged);
  const bool set = v != inverted;
  StoreFlag1(set ? (Flag1 | bit) : (Flag1 & ~bit));
}

int TEcuData::GetNumeroSonde() const { return (Flag1 & 0x04) ? 1 : 2; }

void TEcuData::SetNumeroSonde(int n) {
  if (!StoreFlag1(n == 2 ? (Flag1 & ~0x04) : (Flag1 | 0x04))) return;
  SetDiagnosi(0, 1, GetDiagnosi(0, 1) & ~0x700);
  SetSequenzaDefault();
}

// ---- injection ----------------------------------------------------------------------------------

double TEcuData::GetTempoAperturaIniettore(int kind) const {
  return (kind == 1 ? TempoAperturaIniettore : TempoAperturaLocale) * 0.004;
}

void TEcuData::SetTempoAperturaIniettore(int kind, double ms) {
  int32_t raw = Trunc(ms * 250.0 + 0.5);
  if (kind != 1) {
    TempoAperturaLocale = raw;
    return;
  }
  raw = SerialWord::Clamp(0x253, raw);
  if (!WriteVar(0x253, raw)) return;
  TempoAperturaIniettore = raw;
}

int TEcuData::GetSequenzaIniezione(int cyl, int which) const {
  if (!InRange(cyl, kCylinders)) return 0;
  return which == 1 ? (SequenzaIniezione[cyl] & 7) : ((SequenzaIniezione[cyl] >> 7) & 1);
}

void TEcuData::SetSequenzaIniezione(int cyl, int which, int v) {
  if (!InRange(cyl, kCylinders)) return;
  const int32_t old = SequenzaIniezione[cyl];
  if (which == 1) {
    if (!InRange(v, 8)) return;
    StoreElement(0x4E, SequenzaIniezione, cyl, (old & ~0x07) | v);
  } else {
    StoreElement(0x4E, SequenzaIniezione, cyl, v ? (old | 0x80) : (old & ~0x80));
  }
}

void TEcuData::SetSequenzaDefault() {
  const int cylinders = (TipoIniezione & 7) + 1;  // value code 0x3000034
  const int probes = GetNumeroSonde();
  for (const Sequence& s : kSequences) {
    if (s.cylinders != cylinders || (s.probes != 0 && s.probes != probes)) continue;
    // One element write per cylinder carries both its order number and its bank bit.
    for (int c = 0; c < cylinders; ++c)
      StoreElement(0x4E, SequenzaIniezione, c,
                   (SequenzaIniezione[c] & ~0x87) | s.order[c] | (s.bank[c] ? 0x80 : 0));
    return;
  }
}

// ---- pressure and temperature tables ----------------------------------------------------------

int TEcuData::GetOffsetPendenza(int i) const { return InRange(i, 4) ? this->*kOffsetPendenza[i] : 0; }

void TEcuData::SetOffsetPendenza(int i, int v) {
  if (!InRange(i, 4)) return;
  Changed = true;
  v = SerialWord::Clamp(0x67A, v);
  if (!WriteElem(0x67A, i, v)) return;
  this->*kOffsetPendenza[i] = v;
  ClearUfficiale();
}

double TEcuData::GetCoeffPressDiff(int i) const { return InRange(i, kCurve) ? CoeffPressDiff[i] * 0.5 : 0.0; }

void TEcuData::SetCoeffPressDiff(int i, double v) {
  if (!InRange(i, kCurve)) return;
  const int32_t raw = std::clamp(RoundHalfAway(std::clamp(v, -60.0, 60.0) * 2.0), -128, 127);
  StoreElement(0x47C, CoeffPressDiff, i, raw);
}

double TEcuData::GetRifPressDiff(int i) const { return InRange(i, kCurve) ? RifPressDiff[i] * 0.01 : 0.0; }

void TEcuData::SetRifPressDiff(int i, double bar) {
  if (!InRange(i, kCurve)) return;
  // Rounded, so that entering the value shown gives back the same hundredth; cut to the byte the
  // ECU keeps it in.
  StoreElementA(0x7B, RifPressDiff, i, SerialWord::Clamp(0x7B, RoundHalfAway(bar * 100.0)));
}

double TEcuData::GetRifPressDiffGpl(int i) { return InRange(i, kCurve) ? kRifPressDiffGpl[i] : 0.0; }
double TEcuData::GetRifPressDiffMetano(int i) { return InRange(i, kCurve) ? kRifPressDiffMetano[i] : 0.0; }
double TEcuData::GetCoeffPressDiffGpl(int i) { return InRange(i, kCurve) ? kCoeffPressDiffGpl[i] : 0.0; }
double TEcuData::GetCoeffPressDiffMetano(int i) {
  return InRange(i, kCurve) ? kCoeffPressDiffMetano[i] : 0.0;
}

int TEcuData::GetRifGas(int i) const {
  return InRange(i, kCurve) ? Trunc(CalcTemperatura(RifGas[i]) + 0.5) : 0;
}

void TEcuData::SetRifGas(int i, int celsius) {
  if (!InRange(i, kCurve)) return;
  StoreElementA(0x7D, RifGas, i, CalcTemperaturaRaw(static_cast<float>(celsius)));
}

int TEcuData::GetCoeffGas(int i) const { return InRange(i, kCurve) ? CoeffGas[i] : 0; }

void TEcuData::SetCoeffGas(int i, int v) {
  if (!InRange(i, kCurve)) return;
  StoreElementA(0x7E, CoeffGas, i, std::clamp(v, 0, 200));
}

double TEcuData::GetTempoCicchettoTemp(int i) const {
  return InRange(i, kPriming) ? TempoCicchettoTemp[i] * 0.02 : 0.0;
}

void TEcuData::SetTempoCicchettoTemp(int i, double s) {
  if (!InRange(i, kPriming)) return;
  const int32_t raw = Trunc(50.0 * std::clamp(s, 0.0, 5.0) + 0.5);
  StoreElement(0x84, TempoCicchettoTemp, i, raw);
}

int TEcuData::GetTempCicchetto(int i) const {
  return InRange(i, kPriming) ? RoundedTemperature(TempCicchetto[i]) : 0;
}

void TEcuData::SetTempCicchetto(int i, int celsius) {
  if (!InRange(i, kPriming)) return;
  const int32_t raw = CalcTemperaturaRaw(static_cast<float>(std::clamp(celsius, -20, 80)));
  StoreElement(0x85, TempCicchetto, i, raw);
}

double TEcuData::GetCoeffTemp(int i) const { return InRange(i, kCurve) ? Coeff[i] * 0.02 : 0.0; }

void TEcuData::SetCoeffTemp(int i, double v) {
  if (!InRange(i, kCurve)) return;
  StoreElementA(0x478, Coeff, i, std::clamp(RoundHalfAway(50.0 * v), -128, 127));
}

int TEcuData::GetRifTemp(int i) const {
  if (!InRange(i, kTempTable)) return 0;
  if (i == 0 || i == kTempTable - 1) return Rif[i];
  return RoundedTemperature(Rif[i]);
}

void TEcuData::SetRifTemp(int i, int celsius) {
  if (!InRange(i, kTempTable)) return;
  const int32_t raw = i == 0                ? 0
                      : i == kTempTable - 1 ? 255
                                            : CalcTemperaturaRaw(static_cast<float>(celsius));
  StoreElementA(0x2A, Rif, i, raw);
}

// ---- mono-fuel, description, official flag, options ------------------------------------------

bool TEcuData::IsMonoFuel() const { return MonoFuel != 0; }

void TEcuData::SetMonoFuel(int v) {
  v &= 255;
  if (!WriteVar(0x81, v)) return;
  MonoFuel = v;
  MarkEdited();
}

const char* TEcuData::GetDescription() {
  for (int k = 0; k < kDescriptionLen; ++k) Descrizione[k] = static_cast<char>(DatiEcu35[2 + k] & 0xFF);
  Descrizione[kDescriptionLen] = '\0';
  Descrizione[kDescriptionLen + 1] = '\0';
  return Descrizione;
}

void TEcuData::SetDescription(const char* text) {
  if (!text) text = "";
  const int n = static_cast<int>(std::min<size_t>(std::strlen(text), kDescriptionLen));
  for (int k = 0; k < n; ++k)
    if (!WriteElem(0x35, 2 + k, static_cast<uint8_t>(text[k]))) return;
  for (int k = 0; k < n; ++k) DatiEcu35[2 + k] = static_cast<uint8_t>(text[k]);
  if (n < kDescriptionLen) {
    if (!WriteElem(0x35, 2 + n, 0)) return;
    DatiEcu35[2 + n] = 0;
  }
  MessageSink().PostToForms(WM_ECUCHANGED, 0, EcuDescriptionChanged);
}

bool TEcuData::IsUfficiale() const { return (DatiEcu35[0] & 0x80) != 0; }

void TEcuData::SetUfficiale(bool v) {
  const int32_t value = v ? (DatiEcu35[0] | 0x80) : (DatiEcu35[0] & ~0x80);
  if (!WriteElem(0x35, 0, value)) return;
  DatiEcu35[0] = value;
}

bool TEcuData::GetOpzioneVettura(int n) const { return n == 1 && (DatiEcu35[1] & 1) != 0; }

void TEcuData::SetOpzioneVettura(int n, bool v) {
  if (n != 1) return;
  const int32_t value = v ? (DatiEcu35[1] | 1) : (DatiEcu35[1] & ~1);
  if (!WriteElem(0x35, 1, value)) return;
  DatiEcu35[1] = value;
}

// ---- diagnosis ----------------------------------------------------------------------------------

int TEcuData::GetDiagnosi(int i, int which) {
  if (!InRange(i, 2)) return 0;
  if (which == 1) {
    LinkTransfer::Read(0x2339, Stato, 2);  // a failed read keeps the held words
    return Stato[i];
  }
  return which == 2 ? Abilitazione[i] : 0;
}

void TEcuData::SetDiagnosi(int i, int which, int v) {
  if (!InRange(i, 2)) return;
  if (which == 1)
    StoreElementA(0x239, Stato, i, SerialWord::Clamp(0x239, v));
  else if (which == 2)
    StoreElementA(0x23A, Abilitazione, i, SerialWord::Clamp(0x23A, v));
}

// ---- vehicle data -------------------------------------------------------------------------------

void TEcuData::SetDatoVettura(int id, int v) {
  switch (id) {
    case 6:
      CentCubici = v;
      break;
    case 7:
      Valvole = v;
      break;
    case 8:
      NCilindri = v;
      break;
    case 9:
      AnnoVettura = v;
      break;
    default:
      break;
  }
}

void TEcuData::SetPotenza(float v) {
  // The file carries the power in hundredths, trunc(v x 100 + 0.5), as an int32: a value beyond
  // that, none at all, or a negative one (which that rounding moves on every save) could be
  // saved but not opened again as it was.
  constexpr float kLargest = 21474836.0f;
  Potenza = std::isfinite(v) ? std::clamp(v, 0.0f, kLargest) : 0.0f;
}

void TEcuData::SetDatoVetturaStr(int id, const char* text) {
  switch (id) {
    case 1:
      CopyLineText(DescrizAuto, text);
      break;
    case 2:
      CopyLineText(Euro, text);
      break;
    case 3:
      CopyLineText(Motore, text);
      break;
    case 4:
      CopyLineText(Centralina, text);
      break;
    case 5:
      CopyLineText(Cambio, text);
      break;
    default:
      break;
  }
}

// ---- version and lookup -------------------------------------------------------------------------

int TEcuData::ReadVersioneEcu(int n, bool* ok) {
  int32_t value = 0;
  const bool read = LinkTransfer::Read(n == 2 ? 0x25B : 0x24C, &value, 1);
  if (ok) *ok = read;
  return read ? value : 0;
}

int TEcuData::IndexOf(const int32_t* table, int count, int32_t value) {
  if (!table) return -1;
  for (int i = 0; i < count; ++i)
    if (table[i] == value) return i;
  return -1;
}
