#include "EcuValueCodes.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>

#include "LinkTransfer.h"
#include "SerialWord.h"

// ---- conversions ------------------------------------------------------------------------------

namespace EcuConv {

int32_t Trunc(double v) {
  if (std::isnan(v)) return 0;
  if (v >= 2147483647.0) return std::numeric_limits<int32_t>::max();
  if (v <= -2147483648.0) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(v);  // toward zero
}

int32_t RoundHalfAway(double v) { return Trunc(std::round(v)); }

double RawToVolt(int32_t raw) { return raw * (1.0 / 255.0) * 5.0; }

int32_t VoltToRaw(double volts) { return Trunc(volts * 255.0 * 0.2 + 0.5); }

}  // namespace EcuConv

using EcuConv::RawToVolt;
using EcuConv::Trunc;
using EcuConv::VoltToRaw;

// ---- the code table ---------------------------------------------------------------------------

const int32_t kLambdaTypes[6] = {2, 40, 25, 4, 0, 0};
const int32_t kCylinderTypes[8] = {3, 4, 5, 6, 8, 2, 1, 0};

namespace {
using C = ValueConversion;
using D = TEcuData;
}  // namespace

const ValueCode kValueCodes[] = {
    {0x04, &D::TipoDiLambda, C::LambdaType, false},
    {0x05, &D::RifLambda, C::Volt, true},
    {0x06, &D::RitardoLetturaSonda, C::Raw, false},
    {0x07, &D::TempoSondaFredda, C::Raw, false},
    {0x08, &D::RifSupSondaFredda, C::Volt, true},
    {0x09, &D::RifInfSondaFredda, C::Volt, true},
    {0x0A, &D::RifSupSondaCalda, C::Volt, true},
    {0x0B, &D::RifInfSondaCalda, C::Volt, true},
    {0x0F, &D::TemperaturaCambio, C::Temperature, false},
    {0x11, &D::RitardoMinimoCambio, C::Raw, false},
    {0x12, &D::Cambio12, C::Raw, false},
    {0x14, &D::NumeroCilindri, C::CylinderType, false},
    {0x17, &D::RampaChiusura, C::Raw, false},
    {0x18, &D::RampaValida, C::Raw, false},
    {0x1A, &D::TipoDiTps, C::Raw, false},
    {0x1B, &D::Isteresi, C::Volt, false},
    {0x20, &D::TempoAlto, C::Time20ms, false},
    {0x21, &D::TempoBasso, C::Time20ms, false},
    {0x23, &D::NumeroOnde, C::Raw, false},
    {0x2C, &D::TpsSbana, C::TpsVolt, false},
    {0x2E, &D::TempiInversioneSbana, C::Raw, false},
    {0x2F, &D::OffsetLambda, C::Volt, false},
    {0x33, &D::MinCumulo, C::Raw, false},
    {0x34, &D::TipoIniezione, C::Raw, false},
    {0x38, &D::CorrenteMantenimento, C::Current, false},
    {0x3E, &D::TempoRitBenzina, C::Raw, false},
    {0x3F, &D::TpsMoltoFuori, C::Volt, false},
    {0x43, &D::Live43, C::Raw, true},
    {0x44, &D::Live44, C::Raw, true},
    {0x45, &D::TempoChSbana, C::Times5, false},
    {0x46, &D::TempoApSbana, C::Times5, false},
    {0x47, &D::LivelloAlto, C::Volt, true},
    {0x48, &D::LivelloBasso, C::Volt, true},
    {0x4D, &D::RampaApertura, C::Raw, false},
    {0x56, &D::NumeroInjUscitaMin, C::Raw, false},
    {0x5D, &D::Live5D, C::Raw, true},
    {0x5F, &D::Live5F, C::Times4, true},
    {0x60, &D::Live60, C::Raw, true},
    {0x61, &D::Live61, C::Raw, true},
    {0x62, &D::Live62, C::Raw, true},
    {0x64, &D::CoefficienteUscitaMinimo, C::Raw, false},
    {0x65, &D::TempoCoefficienteUscitaMinimo, C::Raw, false},
    {0x66, &D::TempoPer100, C::TempoPer100, false},
    {0x70, &D::LivelloGasAlcol, C::Level, false},
    {0x73, &D::MassimoValoreCorrezione, C::Raw, false},
    {0x74, &D::TempoTraCorrezioni, C::Time20ms, false},
    {0x75, &D::ZonaApprendimentoFuoriMinimo, C::Raw, false},
    {0x76, &D::MinimoValoreCorrettore, C::Raw, false},
    {0x7F, &D::DutyCorrenteHold, C::Raw, false},
    {0x203, &D::Flag1, C::Raw, false},
    {0x210, &D::GiriPerCambio, C::GiriCambio, false},
    {0x213, &D::FuoriGiri, C::Raw, false},
    {0x215, &D::FasciaGiriMinimo, C::Raw, false},
    {0x216, &D::GiriCutoff, C::Raw, false},
    {0x222, &D::TempoSondaSconnessa, C::Time20ms, false},
    {0x22D, &D::GiriSbana, C::Raw, false},
    {0x23B, &D::MinutiGas, C::Minutes20, true},
    {0x23C, &D::MinutiBenzina, C::Minutes20, true},
    {0x24A, &D::TempoMaxCorrente, C::Time4us, false},
    {0x24B, &D::Cilindrata, C::RoundedRaw, false},
    {0x25E, &D::Live25E, C::Raw, true},
    {0x263, &D::Live263, C::Raw, true},
    {0x26D, &D::TempoCicchetto, C::Time20ms, false},
    {0x277, &D::TempoPerCorrezione, C::Time4us, false},
    {0x449, &D::CorrRientroMin, C::Raw, false},
    {0x626, &D::MaxErroreIntegrale, C::Raw, false},
    {0x627, &D::MinErroreIntegrale, C::Negated, false},
    {0x628, &D::MaxErroreIntegraleAlMinimo, C::Raw, false},
    {0x629, &D::MinErroreIntegraleAlMinimo, C::Negated, false},
    {0x66C, &D::CorrezioneInRilascio, C::Raw, false},
    {0x671, &D::CorrezioneFuoriMinimo, C::Raw, false},
    {0x672, &D::CorrezioneAlMinimo, C::Raw, false},
    {0x150001A, &D::TipoDiTps, C::Field, false},
    {0x170001A, &D::TipoDiTps, C::Field, false},
    {0x230001A, &D::TipoDiTps, C::Field, false},
    {0x300001A, &D::TipoDiTps, C::Field, false},
    {0x3000034, &D::TipoIniezione, C::FieldPlusOne, false},
    {0x3300034, &D::TipoIniezione, C::FieldPlusOne, false},
    {0x5000263, &D::Live263, C::FieldTimes5, true},
    {0x5500263, &D::Live263, C::FieldTimes5, true},
    {0x5A00263, &D::Live263, C::FieldTimes5, true},
};

const int kValueCodeCount = static_cast<int>(std::size(kValueCodes));

const ValueCode* FindValueCode(int code) {
  for (const ValueCode& row : kValueCodes)
    if (row.code == code) return &row;
  return nullptr;
}

namespace {

// Mask of a bit-field code's width, not yet shifted.
uint32_t FieldMask(int code) { return (1u << SerialWord::BitWidth(code)) - 1u; }

double ToPhysical(const TEcuData& d, ValueConversion conversion, int32_t raw) {
  switch (conversion) {
    case C::Raw:
    case C::RoundedRaw:
    case C::Field:
      return raw;
    case C::Volt:
      return RawToVolt(raw);
    case C::LambdaType:
      return TEcuData::IndexOf(kLambdaTypes, 6, raw & ~0x40);
    case C::Temperature:
      return CalcTemperatura(raw);
    case C::CylinderType:
      return TEcuData::IndexOf(kCylinderTypes, 8, raw);
    case C::Time20ms:
      return raw * 0.02;
    case C::TpsVolt:
      return d.GetTipoTpsBit0() ? 5.0 - RawToVolt(raw) : RawToVolt(raw);
    case C::Current:
      return raw * 0.04;
    case C::Times5:
    case C::FieldTimes5:
      return raw * 5.0;
    case C::Times4:
      return raw * 4.0;
    case C::TempoPer100:
      return (100.0 - d.CoefficienteUscitaMinimo) * raw;
    case C::Level:
      return d.IsSensoreLivelloInvertito() ? 255.0 - raw : raw;
    case C::GiriCambio:
      return raw & ~1;
    case C::Minutes20:
      return raw * 20.0;
    case C::Time4us:
      return raw * 0.004;
    case C::Negated:
      return -static_cast<double>(raw);
    case C::FieldPlusOne:
      return raw + 1.0;
  }
  return TEcuData::kUnknownValue;
}

// The raw value (or field value of a bit-field code) of v; false when v names no entry of an
// index table, which is refused.
bool ToRaw(const TEcuData& d, ValueConversion conversion, int32_t present, double v, int32_t* raw) {
  switch (conversion) {
    case C::Raw:
    case C::Field:
      *raw = Trunc(v);
      return true;
    case C::Volt:
      *raw = VoltToRaw(v);
      return true;
    case C::LambdaType:
    case C::CylinderType: {
      const int index = Trunc(v);
      const bool lambda = conversion == C::LambdaType;
      if (index < 0 || index >= (lambda ? 6 : 8)) return false;
      *raw = lambda ? kLambdaTypes[index] : kCylinderTypes[index];
      return true;
    }
    case C::Temperature:
      *raw = CalcTemperaturaRaw(static_cast<float>(v));
      return true;
    case C::Time20ms:
      *raw = Trunc(50.0 * v + 0.5);
      return true;
    case C::TpsVolt:
      *raw = VoltToRaw(d.GetTipoTpsBit0() ? 5.0 - v : v);
      return true;
    case C::Current:
      *raw = Trunc(25.0 * v + 0.1);
      return true;
    case C::Times5:
      *raw = Trunc(0.2 * v + 0.5);
      return true;
    case C::Times4:
      *raw = Trunc(v * 0.25);
      return true;
    case C::TempoPer100: {
      const int32_t c = d.CoefficienteUscitaMinimo;
      *raw = c == 100 ? 1 : std::min(Trunc(v / (100.0 - c)), 255);
      return true;
    }
    case C::Level:
      *raw = d.IsSensoreLivelloInvertito() ? Trunc(255.0 - v) : Trunc(v);
      return true;
    case C::GiriCambio:
      *raw = (Trunc(v) & ~1 & 0xFFFF) | (present & 1);
      return true;
    case C::Minutes20:
      *raw = Trunc(0.05 * v + 0.5);
      return true;
    case C::Time4us:
      *raw = Trunc(250.0 * v + 0.5);
      return true;
    case C::RoundedRaw:
      *raw = Trunc(v + 0.5);
      return true;
    case C::Negated:
      *raw = Trunc(-v);
      return true;
    case C::FieldPlusOne:
      *raw = Trunc(v - 1.0);
      return true;
    case C::FieldTimes5:
      *raw = Trunc(v) / 5;
      return true;
  }
  return false;
}

}  // namespace

// ---- value interface of the data set ------------------------------------------------------------

double TEcuData::GetValue(int code) {
  const ValueCode* row = FindValueCode(code);
  if (!row) return kUnknownValue;
  int32_t& field = this->*row->field;
  if (row->live) LinkTransfer::Read(SerialWord::Plain(code), &field, 1);  // failure keeps the field
  int32_t raw = field;
  if (SerialWord::IsBitField(code))
    raw =
        static_cast<int32_t>((static_cast<uint32_t>(field) >> SerialWord::BitShift(code)) & FieldMask(code));
  return ToPhysical(*this, row->conversion, raw);
}

int TEcuData::SetValue(int code, double v) {
  Changed = true;
  if (code < 0) return -1;
  const ValueCode* row = FindValueCode(code);
  if (!row) return 0;
  int32_t& field = this->*row->field;
  int32_t raw = 0;
  if (!ToRaw(*this, row->conversion, field, v, &raw)) return 0;
  // Never more than the ECU word holds: the value is cut to the word's range before it is sent,
  // so the field keeps what the ECU keeps.
  if (SerialWord::IsBitField(code)) {
    // The ECU takes the whole variable: the present word with the field replaced, in the word's
    // width.
    const uint32_t mask = FieldMask(code) << SerialWord::BitShift(code);
    raw = SerialWord::Fit(
        SerialWord::Plain(code),
        static_cast<int32_t>((static_cast<uint32_t>(field) & ~mask) |
                             ((static_cast<uint32_t>(raw) << SerialWord::BitShift(code)) & mask)));
  } else {
    raw = SerialWord::Clamp(code, raw);
  }
  if (!LinkTransfer::WriteVariable(code, raw)) return 0;
  if (raw != field) {
    field = raw;
    ClearUfficiale();
  }
  if (code == 0x3000034) SetSequenzaDefault();
  return 1;
}

double TEcuData::GetVectorValue(int, int) { return kUnknownValue; }

double TEcuData::SetVectorValue(int, int, double) { return 1.0; }

int32_t* TEcuData::GetValuePtr(int code) {
  const ValueCode* row = FindValueCode(code);
  return row ? &(this->*row->field) : nullptr;
}

// ---- temperature and pressure -----------------------------------------------------------------

const float NtcRatioTable[kNtcPoints] = {
    97.578f,  67.65f,  47.538f,  33.831f,  24.359f,  17.753f,  13.067f,  9.7228f,  7.3006f,  5.5361f,
    4.2332f,  3.266f,  2.5392f,  1.9902f,  1.5709f,  1.2492f,  1.0f,     0.805f,   0.65326f, 0.5329f,
    0.4371f,  0.36f,   0.299f,   0.2493f,  0.2088f,  0.1757f,  0.148f,   0.1262f,  0.1076f,  0.09215f,
    0.07922f, 0.0683f, 0.05924f, 0.05153f, 0.04492f, 0.0392f,  0.0343f,  0.03018f, 0.02665f, 0.023594f,
    0.0209f,  0.0186f, 0.0166f,  0.01486f, 0.01332f, 0.01198f, 0.01079f,
};

float CalcTemperatura(int reading) {
  const int v = std::clamp(reading, 0, 255);
  const float r = v == 255 ? 0.0f : static_cast<float>(v) / static_cast<float>(255 - v);
  if (r == 0.0f) return -1000.0f;  // no sensor
  int i = 0;
  while (i < kNtcPoints - 1 && NtcRatioTable[i] > r) ++i;
  // Between entries i-1 and i; beyond the cold end the first segment's slope continues, so the
  // readings 253 and 254 stay colder than 252.
  const float span = i == 0 ? NtcRatioTable[0] - NtcRatioTable[1] : NtcRatioTable[i - 1] - NtcRatioTable[i];
  return (static_cast<float>(i) - (r - NtcRatioTable[i]) / span) * 5.0f - 55.0f;
}

int CalcTemperaturaRaw(float celsius) {
  if (std::isnan(celsius)) celsius = 0.0f;
  const float x = (std::clamp(celsius, -1.0e6f, 1.0e6f) + 55.0f) * 0.2f;
  // The segment is clamped to the table, so temperatures beyond it extrapolate from its ends.
  const int i = std::clamp(static_cast<int>(x), 0, kNtcPoints - 2);
  float r = NtcRatioTable[i] + (NtcRatioTable[i + 1] - NtcRatioTable[i]) * (x - static_cast<float>(i));
  if (r < 0.0f) r = 0.0f;
  return std::clamp(Trunc(255.0 * r / (1.0 + r) + 0.5), 0, 255);
}

int CalcPressioneGas(int gas, int map, bool differential, bool useCoefficients) {
  if (gas == 0) return 0;
  int pMap = 0;
  int pGas = 0;
  if (useCoefficients && EcuData) {
    // The products of any stored slope and reading, exact in double for every value a sensor
    // and the ECU's words give.
    pMap = Trunc(static_cast<double>(EcuData->PendenzaMapEsterno) * 2 * map / 1020.0 +
                 EcuData->OffsetMapEsterno * 0.1);
    pGas = Trunc(static_cast<double>(EcuData->PendenzaDiff) * 2 * gas / 1020.0 + EcuData->OffsetDiff * 0.1);
  } else {
    pMap = Trunc(static_cast<double>(map) * 1000 / 1020.0 + 10.0);
    pGas = Trunc(static_cast<double>(gas) * 1000 / 1020.0 + 10.0);
  }
  if (differential) return static_cast<int>(std::clamp<int64_t>(int64_t{pGas} - pMap, 0, INT32_MAX));
  return pGas;
}
