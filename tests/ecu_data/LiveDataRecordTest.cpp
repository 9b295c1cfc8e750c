#include <gtest/gtest.h>

#include "LiveDataRecord.h"

namespace {

LiveDataRecord Sample() {
  LiveDataRecord r;
  r.rpm = 2500;
  r.lambda = 130;
  r.tps = 40;
  r.map = 77;
  r.correction = -12;
  r.gasInjection = 1500;
  r.petrolInjection = 1200;
  r.cumulo = 9;
  r.enrichment = 300;
  r.flag1 = 0x31;
  r.temperature = 120;
  r.level = 200;
  r.pressure = 150;
  r.lambda2 = 100;
  r.correction2 = -300;
  r.injection2 = 1490;
  return r;
}

}  // namespace

TEST(LiveDataRecord, LittleEndianLayout) {
  uint8_t buf[LiveDataRecord::kSize];
  Sample().Encode(buf);
  EXPECT_EQ(buf[0], 2500 & 0xFF);
  EXPECT_EQ(buf[1], 2500 >> 8);
  EXPECT_EQ(buf[5], 0xF4);  // -12 as i16
  EXPECT_EQ(buf[6], 0xFF);
  EXPECT_EQ(buf[14], 0x31);
  EXPECT_EQ(buf[19], static_cast<uint8_t>(-300 & 0xFF));
  for (int i = 23; i < 30; ++i) EXPECT_EQ(buf[i], 0) << i;
}

TEST(LiveDataRecord, DecodeRoundTripAndBank2Rules) {
  uint8_t buf[LiveDataRecord::kSize];
  const LiveDataRecord in = Sample();
  in.Encode(buf);

  LiveDataRecord full;
  full.Decode(buf, 30, true);
  EXPECT_EQ(full.rpm, in.rpm);
  EXPECT_EQ(full.correction, -12);
  EXPECT_EQ(full.correction2, -300);
  EXPECT_EQ(full.injection2, 1490);

  // Each second-bank field is taken once its bytes arrived (two probes, at least 16 bytes).
  struct Case {
    int size;
    bool twoProbes;
    bool lambda2, correction2, injection2;
  } cases[] = {{30, false, false, false, false}, {15, true, false, false, false},
               {16, true, false, false, false},  {19, true, true, false, false},
               {22, true, true, true, false},    {23, true, true, true, true}};
  for (const auto& c : cases) {
    LiveDataRecord out;
    out.lambda2 = 7;
    out.correction2 = 8;
    out.injection2 = 9;
    out.Decode(buf, c.size, c.twoProbes);
    EXPECT_EQ(out.rpm, in.rpm) << c.size;
    EXPECT_EQ(out.lambda2, c.lambda2 ? in.lambda2 : 7) << c.size;
    EXPECT_EQ(out.correction2, c.correction2 ? in.correction2 : 8) << c.size;
    EXPECT_EQ(out.injection2, c.injection2 ? in.injection2 : 9) << c.size;
  }
}

TEST(LiveDataRecord, ShortDeliveryKeepsFieldsItDoesNotCarry) {
  uint8_t buf[LiveDataRecord::kSize];
  Sample().Encode(buf);
  LiveDataRecord out;
  out.pressure = 42;
  out.Decode(buf, 10, false);  // carries rpm .. gas injection only
  EXPECT_EQ(out.rpm, 2500);
  EXPECT_EQ(out.gasInjection, 1500);
  EXPECT_EQ(out.petrolInjection, 0);
  EXPECT_EQ(out.pressure, 42);
  out.Decode(nullptr, 30, true);
  EXPECT_EQ(out.rpm, 2500);
}
