#pragma once
// Value codes: the integers by which the forms name an ECU value in TEcuData::GetValue and
// TEcuData::SetValue, with their fields and unit conversions, plus the temperature and pressure
// conversions used throughout the program.
//
// A plain code is the ECU variable's SerialWord. A bit-field code is
// (width << 24) | (shift << 20) | variable and names `width` bits from bit `shift` of the
// variable; it is recognised by bits 20-27 being set (SerialWord::IsBitField).
#include <cstdint>

#include "EcuData.h"

// Raw <-> physical helpers shared by the value codes and the typed accessors.
namespace EcuConv {
// Toward zero, saturated to the int32 range; NaN gives 0.
int32_t Trunc(double v);
// Nearest integer, halves away from zero, saturated like Trunc.
int32_t RoundHalfAway(double v);
// Volts of an 8-bit reading: raw x (1/255) x 5.
double RawToVolt(int32_t raw);
// Reading of a voltage: trunc(V x 255 x 0.2 + 0.5).
int32_t VoltToRaw(double volts);
}  // namespace EcuConv

enum class ValueConversion {
  Raw,           // raw; trunc(v)
  Volt,          // x 5/255 V; trunc(V x 51 + 0.5)
  LambdaType,    // index in the lambda-type table
  Temperature,   // NTC reading <-> deg C
  CylinderType,  // index in the cylinder table
  Time20ms,      // x 0.02 s; trunc(50 v + 0.5)
  TpsVolt,       // volts, mirrored (5 - V) when TipoDiTps bit 0 is set
  Current,       // x 0.04; trunc(25 v + 0.1)
  Times5,        // x 5; trunc(0.2 v + 0.5)
  Times4,        // x 4; trunc(0.25 v)
  TempoPer100,   // x (100 - CoefficienteUscitaMinimo)
  Level,         // raw, or 255 - raw with an inverted level sensor
  GiriCambio,    // rpm without the mode bit 0; the present mode bit is kept
  Minutes20,     // x 20 minutes; trunc(0.05 v + 0.5)
  Time4us,       // x 0.004; trunc(250 v + 0.5)
  RoundedRaw,    // raw; trunc(v + 0.5)
  Negated,       // -raw; trunc(-v)
  Field,         // bit field: field value; trunc(v)
  FieldPlusOne,  // bit field: field value + 1; trunc(v - 1)
  FieldTimes5,   // bit field: field value x 5; trunc(v) / 5
};

struct ValueCode {
  int code;
  int32_t TEcuData::*field;
  ValueConversion conversion;
  bool live;  // re-read from the ECU every time GetValue asks for it
};

// Every code GetValue and SetValue accept, in ascending order of plain codes, bit fields last.
extern const ValueCode kValueCodes[];
extern const int kValueCodeCount;
// The row of a code; nullptr when the code is unknown.
const ValueCode* FindValueCode(int code);

// Lambda-type and cylinder tables (editor index -> ECU code).
extern const int32_t kLambdaTypes[6];
extern const int32_t kCylinderTypes[8];

// NTC resistance ratios for T = -55 + 5 i deg C, i = 0..46, descending.
constexpr int kNtcPoints = 47;
extern const float NtcRatioTable[kNtcPoints];

// Degrees C of an 8-bit NTC reading; -1000.0 for 0 and 255 (no sensor). Readings beyond the
// table extrapolate linearly with the slope of the end segment.
float CalcTemperatura(int reading);
// 8-bit NTC reading of a temperature; outside -55..170 deg C it extrapolates from the end
// segment and saturates at 0..255.
int CalcTemperaturaRaw(float celsius);
// Gas pressure from the 8-bit gas and MAP readings. With useCoefficients the pressure-sensor
// calibration of the global data set applies (none when there is no data set); differential
// gives gas minus manifold pressure, never below 0.
int CalcPressioneGas(int gas, int map, bool differential, bool useCoefficients);
