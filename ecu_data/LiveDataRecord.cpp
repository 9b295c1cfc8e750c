#include "LiveDataRecord.h"

#include <cstring>

namespace {

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
void PutU16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v & 0xFF);
  p[1] = static_cast<uint8_t>(v >> 8);
}

}  // namespace

void LiveDataRecord::Encode(uint8_t out[kSize]) const {
  std::memset(out, 0, kSize);
  PutU16(out + kRpm, rpm);
  out[kLambda] = lambda;
  out[kTps] = tps;
  out[kMap] = map;
  PutU16(out + kCorrection, static_cast<uint16_t>(correction));
  PutU16(out + kGasInjection, gasInjection);
  PutU16(out + kPetrolInjection, petrolInjection);
  out[kCumulo] = cumulo;
  PutU16(out + kEnrichment, enrichment);
  out[kFlag1] = flag1;
  out[kTemperature] = temperature;
  out[kLevel] = level;
  out[kPressure] = pressure;
  out[kLambda2] = lambda2;
  PutU16(out + kCorrection2, static_cast<uint16_t>(correction2));
  PutU16(out + kInjection2, injection2);
}

void LiveDataRecord::Decode(const uint8_t* data, int size, bool withBank2) {
  if (!data || size <= 0) return;
  // A short delivery carries only the fields that fit in it; the rest keep their values.
  auto has = [size](int offset, int width) { return offset + width <= size; };
  if (has(kRpm, 2)) rpm = U16(data + kRpm);
  if (has(kLambda, 1)) lambda = data[kLambda];
  if (has(kTps, 1)) tps = data[kTps];
  if (has(kMap, 1)) map = data[kMap];
  if (has(kCorrection, 2)) correction = static_cast<int16_t>(U16(data + kCorrection));
  if (has(kGasInjection, 2)) gasInjection = U16(data + kGasInjection);
  if (has(kPetrolInjection, 2)) petrolInjection = U16(data + kPetrolInjection);
  if (has(kCumulo, 1)) cumulo = data[kCumulo];
  if (has(kEnrichment, 2)) enrichment = U16(data + kEnrichment);
  if (has(kFlag1, 1)) flag1 = data[kFlag1];
  if (has(kTemperature, 1)) temperature = data[kTemperature];
  if (has(kLevel, 1)) level = data[kLevel];
  if (has(kPressure, 1)) pressure = data[kPressure];
  // Second-bank fields: only with two probes and a delivery of the minimum size; each one is
  // taken when its own bytes arrived.
  if (withBank2 && size >= kMinSizeForBank2) {
    if (has(kLambda2, 1)) lambda2 = data[kLambda2];
    if (has(kCorrection2, 2)) correction2 = static_cast<int16_t>(U16(data + kCorrection2));
    if (has(kInjection2, 2)) injection2 = U16(data + kInjection2);
  }
}
