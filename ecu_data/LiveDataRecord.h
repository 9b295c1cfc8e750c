#pragma once
// The ECU's real-time record (packet code 0): 30 bytes, little-endian, no padding. One layout
// for the simulated ECU that builds it and for every window that reads it.
#include <cstdint>

struct LiveDataRecord {
  static constexpr int kSize = 30;
  // Smallest delivery from which the second-bank fields (offsets 18-22) are taken at all.
  static constexpr int kMinSizeForBank2 = 16;

  enum Offset : int {
    kRpm = 0,              // u16, rpm
    kLambda = 2,           // u8, volts = raw x 5 / 255
    kTps = 3,              // u8, volts = raw x 5 / 255
    kMap = 4,              // u8, volts = raw x 5 / 255
    kCorrection = 5,       // i16, bank 1 closed-loop correction
    kGasInjection = 7,     // u16, ms = raw x 0.004
    kPetrolInjection = 9,  // u16, ms = raw x 0.004
    kCumulo = 11,          // u8, enrichment accumulator
    kEnrichment = 12,      // u16, ms = raw x 0.004
    kFlag1 = 14,           // u8, status bits
    kTemperature = 15,     // u8, NTC reading, 0 = no sensor
    kLevel = 16,           // u8, gas level reading
    kPressure = 17,        // u8, gas pressure reading
    kLambda2 = 18,         // u8, volts = raw x 5 / 255
    kCorrection2 = 19,     // i16, bank 2 correction
    kInjection2 = 21,      // u16, bank 2 gas injection, ms = raw x 0.004
  };

  // Status bits of kFlag1.
  enum Flag1Bit : uint8_t {
    kFlagTps = 0x01,
    kFlagMarker = 0x02,
    kFlagCutoff = 0x04,
    kFlagGas = 0x10,
    kFlagLambdaEnabled = 0x20,
    kFlagLambda2Enabled = 0x40,
  };

  uint16_t rpm = 0;
  uint8_t lambda = 0;
  uint8_t tps = 0;
  uint8_t map = 0;
  int16_t correction = 0;
  uint16_t gasInjection = 0;
  uint16_t petrolInjection = 0;
  uint8_t cumulo = 0;
  uint16_t enrichment = 0;
  uint8_t flag1 = 0;
  uint8_t temperature = 0;
  uint8_t level = 0;
  uint8_t pressure = 0;
  uint8_t lambda2 = 0;
  int16_t correction2 = 0;
  uint16_t injection2 = 0;

  // The scalings every reader applies.
  static double Volts(uint8_t raw) { return raw * 5.0 / 255.0; }
  static double Ms(uint16_t raw) { return raw * 0.004; }
  // A lambda reading on the good side of its reference: above it when the probe type's bit 0
  // is set, below it otherwise.
  static bool LambdaGood(double lambda, double reference, bool typeBit0) {
    return typeBit0 ? lambda > reference : lambda < reference;
  }

  // Writes the record into a 30-byte buffer (reserved bytes zero).
  void Encode(uint8_t out[kSize]) const;
  // Reads the fields a delivery of `size` bytes carries; a field whose bytes did not arrive keeps
  // its present value. The bank-2 fields are taken only when withBank2 is set and the delivery is
  // at least kMinSizeForBank2 bytes long.
  void Decode(const uint8_t* data, int size, bool withBank2);
};
