#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <set>

#include "EcuData.h"
#include "EcuValueCodes.h"
#include "FakeLink.h"
#include "SerialWord.h"

namespace {

std::string WriteLine(int code, int32_t value) {
  char text[64];
  std::snprintf(text, sizeof text, "WV 0x%x %d", code, value);
  return text;
}

class ValueCodesTest : public ::testing::Test {
 protected:
  ValueCodesTest() : scope_(&link) {}
  FakeLink link;
  ScopedLink scope_;
  TEcuData data{"codes"};
};

TEST(ValueCodeTable, HoldsEveryCodeOnceWithAField) {
  EXPECT_EQ(kValueCodeCount, 81);
  std::set<int> codes;
  int bitFields = 0;
  TEcuData data("table");
  for (int i = 0; i < kValueCodeCount; ++i) {
    const ValueCode& row = kValueCodes[i];
    EXPECT_TRUE(codes.insert(row.code).second) << std::hex << row.code;
    EXPECT_EQ(data.GetValuePtr(row.code), &(data.*row.field));
    if (SerialWord::IsBitField(row.code)) ++bitFields;
  }
  EXPECT_EQ(bitFields, 9);
  EXPECT_EQ(data.GetValuePtr(0x99), nullptr);
  EXPECT_EQ(FindValueCode(0x14135), nullptr);  // above 0xFFFF, but not a value code
}

// One row per conversion family: raw held -> value shown; value entered -> raw written.
TEST_F(ValueCodesTest, ConversionsOfEveryFamily) {
  struct Case {
    int code;
    int32_t raw;
    double shown;
    double entered;
    int32_t written;
  } cases[] = {
      {0x06, 7, 7, 9.9, 9},                         // raw
      {0x05, 51, 1.0, 1.0, 51},                     // volts
      {0x1B, 10, 10 * 5.0 / 255, 0.3, 15},          // volts, 0.3 x 51 + 0.5
      {0x04, 40 | 0x40, 1, 2, 25},                  // lambda type, bit 6 ignored
      {0x14, 8, 4, 0, 3},                           // cylinder table
      {0x0F, 128, CalcTemperatura(128), 25, 128},   // NTC
      {0x20, 18, 0.36, 0.36, 18},                   // x 0.02 s
      {0x38, 100, 4.0, 4.0, 100},                   // x 0.04, trunc(25 v + 0.1)
      {0x45, 20, 100, 100, 20},                     // x 5
      {0x5F, 3, 12, 13, 3},                         // x 4
      {0x23B, 6, 120, 130, 7},                      // x 20 minutes, 0.05 v + 0.5
      {0x24A, 2000, 8.0, 8.0, 2000},                // x 0.004
      {0x24B, 1598, 1598, 1597.5, 1598},            // trunc(v + 0.5)
      {0x627, -200, 200, 150, -150},                // negated
      {0x449, -100, -100, -80, -80},                // signed raw
      {0x150001A, 0x20, 1, 0, 0},                   // TipoDiTps bit 5
      {0x230001A, 0x18 | 0x01, 3, 2, 0x10 | 0x01},  // bits 3-4, others kept
      {0x3300034, 0x08 | 0x03, 2, 4, 0x18 | 0x03},  // bits 3-5, + 1
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << std::hex << "code 0x" << c.code);
    *data.GetValuePtr(c.code) = c.raw;
    link.At(c.code) = c.raw;  // live codes are read again
    EXPECT_NEAR(data.GetValue(c.code), c.shown, 1e-9);
    link.Clear();
    ASSERT_EQ(data.SetValue(c.code, c.entered), 1);
    EXPECT_EQ(*data.GetValuePtr(c.code), c.written);
    ASSERT_EQ(link.log.size(), 1u);
    EXPECT_EQ(link.log[0], WriteLine(c.code, c.written));
  }
}

// A value beyond the ECU word of its code is cut to the word before it is sent: the field then
// holds what the ECU holds.
TEST_F(ValueCodesTest, ValuesBeyondTheWordAreCutToIt) {
  struct Case {
    int code;
    double entered;
    int32_t written;
  } cases[] = {
      {0x05, 10.0, 255},      // 510 in a byte
      {0x06, -3, 0},          // unsigned byte
      {0x213, 70000, 65535},  // word
      {0x626, 1e6, 32767},    // signed word
      {0x627, 1e6, -32768},   // signed word, negated
      {0x449, -1000, -128},   // signed byte
      {0x24B, 1e12, 65535},   // saturated first, then cut
      {0x23B, -1e12, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << std::hex << "code 0x" << c.code);
    link.Clear();
    ASSERT_EQ(data.SetValue(c.code, c.entered), 1);
    EXPECT_EQ(*data.GetValuePtr(c.code), c.written);
    ASSERT_EQ(link.log.size(), 1u);
    EXPECT_EQ(link.log[0], WriteLine(c.code, c.written));
  }
}

TEST_F(ValueCodesTest, ConversionsThatDependOnOtherFields) {
  // TPS read mirrored when TipoDiTps bit 0 is set.
  data.TpsSbana = 51;
  EXPECT_NEAR(data.GetValue(0x2C), 1.0, 1e-12);
  data.TipoDiTps = 1;
  EXPECT_NEAR(data.GetValue(0x2C), 4.0, 1e-12);
  data.SetValue(0x2C, 4.0);
  EXPECT_EQ(data.TpsSbana, 51);

  // Gas level with an inverted sensor (the default type).
  data.LivelloGasAlcol = 55;
  EXPECT_EQ(data.GetValue(0x70), 200);
  data.SetValue(0x70, 100);
  EXPECT_EQ(data.LivelloGasAlcol, 155);

  // Idle-exit time per 100.
  struct {
    int coefficient;
    int32_t written;
  } per100[] = {{95, 100}, {98, 250}, {97, 166}, {100, 1}};
  for (const auto& c : per100) {
    data.CoefficienteUscitaMinimo = c.coefficient;
    data.SetValue(0x66, 500);
    EXPECT_EQ(data.TempoPer100, c.written) << c.coefficient;
  }
  data.CoefficienteUscitaMinimo = 95;
  data.TempoPer100 = 100;
  EXPECT_EQ(data.GetValue(0x66), 500);

  // Changeover rpm keeps its mode bit.
  data.GiriPerCambio = 1801;
  data.SetValue(0x210, 2001);
  EXPECT_EQ(data.GiriPerCambio, 2001);
  EXPECT_EQ(data.GetValue(0x210), 2000);
  data.GiriPerCambio = 1800;
  data.SetValue(0x210, 2001);
  EXPECT_EQ(data.GiriPerCambio, 2000);
  data.SetValue(0x210, 70001);  // bits above 15 are cleared
  EXPECT_EQ(data.GiriPerCambio, 70000 & 0xFFFF);
}

TEST_F(ValueCodesTest, CylinderCountCodeLoadsTheDefaultSequence) {
  ASSERT_EQ(data.TipoIniezione, 3);
  EXPECT_EQ(data.GetValue(0x3000034), 4);
  link.Clear();
  EXPECT_EQ(data.SetValue(0x3000034, 6), 1);
  EXPECT_EQ(data.TipoIniezione, 5);
  EXPECT_EQ(link.log.front(), "WV 0x3000034 5");
  EXPECT_EQ(data.SequenzaIniezione[1], 5);  // six cylinders, one probe: 0 5 2 6 1 4
  EXPECT_EQ(data.SequenzaIniezione[5], 4);
  // Also when the count does not change.
  data.SequenzaIniezione[1] = 0;
  data.SetValue(0x3000034, 6);
  EXPECT_EQ(data.SequenzaIniezione[1], 5);
}

TEST_F(ValueCodesTest, LiveBitFieldsMergeIntoTheWholeWord) {
  data.Live263 = 0x7C1F;  // fields 0 and 2 full, field 1 empty
  link.At(0x263) = 0x7C1F;
  link.Clear();
  EXPECT_EQ(data.SetValue(0x5500263, 47), 1);
  EXPECT_EQ(link.log, (std::vector<std::string>{"WV 0x5500263 32063"}));  // 0x7C1F | 9 << 5
  EXPECT_EQ(data.Live263, 0x7C1F | (9 << 5));
  link.At(0x263) = 9 << 5;
  EXPECT_EQ(data.GetValue(0x5500263), 45);
  EXPECT_EQ(data.Live263, 9 << 5);  // re-read from the ECU
  EXPECT_EQ(link.log.back(), "R 0x263");
  link.missing.insert(0x263);  // a failed re-read shows the field as it was
  EXPECT_EQ(data.GetValue(0x5000263), 0);
  EXPECT_EQ(data.GetValue(0x5500263), 45);

  link.At(0x05) = 102;
  EXPECT_NEAR(data.GetValue(0x05), 2.0, 1e-12);
  EXPECT_EQ(data.RifLambda, 102);
}

TEST_F(ValueCodesTest, RefusedUnknownAndOutOfTableWritesStoreNothing) {
  data.DatiEcu35[0] |= 0x80;  // official
  link.refused.insert(0x213);
  data.Changed = false;
  EXPECT_EQ(data.SetValue(0x213, 7000), 0);
  EXPECT_EQ(data.FuoriGiri, 6500);
  EXPECT_TRUE(data.Changed);
  EXPECT_TRUE(data.IsUfficiale());

  data.Changed = false;
  EXPECT_EQ(data.SetValue(0x99, 1), 0);
  EXPECT_TRUE(data.Changed);
  EXPECT_EQ(data.SetValue(-1, 0), -1);
  EXPECT_EQ(data.GetValue(0x99), TEcuData::kUnknownValue);

  // Index tables refuse an index outside them without writing.
  link.Clear();
  for (const double index : {-1.0, 6.0, 99.0}) EXPECT_EQ(data.SetValue(0x04, index), 0);
  for (const double index : {-1.0, 8.0}) EXPECT_EQ(data.SetValue(0x14, index), 0);
  EXPECT_TRUE(link.log.empty());
  EXPECT_EQ(data.TipoDiLambda, 2);
  EXPECT_EQ(data.NumeroCilindri, 4);

  // An accepted write of the value already held keeps the official flag.
  EXPECT_EQ(data.SetValue(0x215, 1200), 1);
  EXPECT_TRUE(data.IsUfficiale());
  EXPECT_EQ(data.SetValue(0x215, 1300), 1);
  EXPECT_FALSE(data.IsUfficiale());

  EXPECT_EQ(data.GetVectorValue(0x0D, 1), TEcuData::kUnknownValue);
  link.Clear();
  EXPECT_EQ(data.SetVectorValue(0x0D, 1, 2.0), 1.0);
  EXPECT_TRUE(link.log.empty());
}

TEST(Ntc, TemperatureOfAReading) {
  EXPECT_EQ(CalcTemperatura(0), -1000.0f);
  EXPECT_EQ(CalcTemperatura(255), -1000.0f);
  EXPECT_NEAR(CalcTemperatura(128), 24.84, 0.01);
  // Table points: reading of ratio r is 255 r / (1 + r).
  EXPECT_NEAR(CalcTemperatura(CalcTemperaturaRaw(-40)), -40, 1.0);
  EXPECT_NEAR(CalcTemperatura(CalcTemperaturaRaw(100)), 100, 1.0);
  // Colder with every step of the reading, also beyond the table's cold end (252..254).
  for (int v = 2; v <= 254; ++v) EXPECT_LT(CalcTemperatura(v), CalcTemperatura(v - 1)) << v;
  EXPECT_LT(CalcTemperatura(254), -55.0f);
  EXPECT_GT(CalcTemperatura(1), 170.0f);
}

TEST(Ntc, ReadingOfATemperature) {
  EXPECT_EQ(CalcTemperaturaRaw(25), 128);
  for (int c = -55; c <= 170; c += 5) {
    const double r = NtcRatioTable[(c + 55) / 5];
    EXPECT_EQ(CalcTemperaturaRaw(static_cast<float>(c)), std::trunc(255 * r / (1 + r) + 0.5)) << c;
  }
  // Beyond the table the reading extrapolates from the end segments and stays a byte.
  int previous = 255;
  for (int c = -100; c <= 400; ++c) {
    const int raw = CalcTemperaturaRaw(static_cast<float>(c));
    ASSERT_GE(raw, 0) << c;
    ASSERT_LE(raw, previous) << c;
    previous = raw;
  }
  EXPECT_GT(CalcTemperaturaRaw(-60), CalcTemperaturaRaw(-55));
  EXPECT_EQ(CalcTemperaturaRaw(std::nanf("")), CalcTemperaturaRaw(0));
}

TEST(GasPressure, WithAndWithoutCalibration) {
  TEcuData data("pressure");
  TEcuData* previous = EcuData;
  EcuData = &data;
  EXPECT_EQ(CalcPressioneGas(0, 50, false, false), 0);
  EXPECT_EQ(CalcPressioneGas(100, 50, false, false), 108);
  EXPECT_EQ(CalcPressioneGas(100, 50, true, false), 49);
  EXPECT_EQ(CalcPressioneGas(40, 100, true, false), 0);  // never below 0
  // Defaults 100, 500, 35, 826: map 51 -> trunc(51000/1020 + 10) = 60; gas 102 -> 165 + 3.5.
  EXPECT_EQ(CalcPressioneGas(102, 51, false, true), 168);
  EXPECT_EQ(CalcPressioneGas(102, 51, true, true), 108);
  EcuData = nullptr;  // no data set: no calibration to apply
  EXPECT_EQ(CalcPressioneGas(100, 50, false, true), 108);
  EcuData = previous;
}

}  // namespace
