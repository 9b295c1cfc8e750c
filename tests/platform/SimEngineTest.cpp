// The live record of the simulated ECU over the ticks the live windows poll with (150 ms).
#include <gtest/gtest.h>

#include <algorithm>

#include "Clock.h"
#include "LiveDataRecord.h"
#include "SimLink.h"
#include "SimNtc.h"

namespace {

class SimLiveTest : public ::testing::Test {
 protected:
  SimLiveTest() : use_(&clock_), link_(ecu_) {
    link_.OpenLink();  // key on: a cold engine
    link_.Connect();
  }

  LiveDataRecord Tick(uint32_t ms = 150) {
    clock_.Advance(ms);
    uint8_t buf[LiveDataRecord::kSize] = {};
    int size = LiveDataRecord::kSize;
    EXPECT_TRUE(link_.ReadPacket(0, buf, &size));
    EXPECT_EQ(size, LiveDataRecord::kSize);
    LiveDataRecord r;
    r.Decode(buf, size, true);
    return r;
  }
  static double Celsius(const LiveDataRecord& r) { return SimNtc::Celsius(r.temperature); }
  static bool OnGas(const LiveDataRecord& r) { return r.flag1 & LiveDataRecord::kFlagGas; }
  // Ticks until the engine runs warm on gas (at most 3 minutes).
  void WarmUp() {
    for (int i = 0; i < 1200; ++i) {
      const LiveDataRecord r = Tick();
      if (OnGas(r) && Celsius(r) >= 50.0) return;
    }
    FAIL() << "engine never warm on gas";
  }
  int32_t Read(int code) {
    int32_t v = -1;
    EXPECT_TRUE(link_.ReadVariable(code, &v));
    return v;
  }

  FakeClock clock_;
  ScopedClock use_;
  SimulatedEcu ecu_;
  SimLink link_;
};

// Counts lambda half periods as the calibration wizard does: ticks between two crossings of
// the reference, and how many of them fall in its 2..39 window.
struct LambdaCrossings {
  int reference = 28;
  bool side = false;
  bool started = false;
  int ticks = 0;
  int good = 0;
  int bad = 0;
  void Add(const LiveDataRecord& r) {
    const bool now = r.lambda < reference;
    if (started && now != side) {
      (ticks > 1 && ticks < 40 ? good : bad) += 1;
      ticks = 0;
    } else {
      ++ticks;
    }
    side = now;
    started = true;
  }
};

TEST_F(SimLiveTest, PacketRules) {
  uint8_t buf[LiveDataRecord::kSize] = {};
  int size = 16;
  ASSERT_TRUE(link_.ReadPacket(0, buf, &size));
  EXPECT_EQ(size, 16);  // a short buffer gets what fits
  size = 30;
  EXPECT_FALSE(link_.ReadPacket(5, buf, &size));
  EXPECT_EQ(link_.GetLastErrorCode() & kGetLastErrorItemMissing, kGetLastErrorItemMissing);
  size = 0;
  EXPECT_FALSE(link_.ReadPacket(0, buf, &size));
  link_.Disconnect();
  size = 30;
  EXPECT_FALSE(link_.ReadPacket(0, buf, &size));
}

TEST_F(SimLiveTest, WarmUpStaysInRangeAndChangesOverToGas) {
  double lastCelsius = -100.0;
  int gasAt = -1, warmAt = -1, probeAt = -1, run = 0;
  LambdaCrossings lambda;
  for (int tick = 0; tick < 1200; ++tick) {  // three minutes
    SCOPED_TRACE(tick);
    const LiveDataRecord r = Tick();
    EXPECT_GE(r.rpm, 700);
    EXPECT_LE(r.rpm, 2600);
    EXPECT_GE(r.map, 12);  // 0.25 V
    EXPECT_LE(r.map, 97);  // 1.9 V
    EXPECT_LE(r.tps, 235);
    EXPECT_GT(r.petrolInjection, 0);
    const double c = Celsius(r);
    EXPECT_GE(c, lastCelsius - 0.5);  // warming, never cooling
    EXPECT_LT(c, 86.0);
    lastCelsius = c;
    if (OnGas(r)) {
      if (gasAt < 0) gasAt = tick;
      if (!(r.flag1 & LiveDataRecord::kFlagCutoff)) {
        EXPECT_GT(r.gasInjection, 900);  // about the gas map's range
        EXPECT_LT(r.gasInjection, 4000);
      }
      // Reducer pressure, as the dashboard computes it from the default calibration.
      const int pMap = static_cast<int>(500 * 2 * r.map / 1020.0 + 10);
      const int pGas = static_cast<int>(826 * 2 * r.pressure / 1020.0 + 3.5);
      EXPECT_GE(pGas - pMap, 83);
      EXPECT_LE(pGas - pMap, 107);
    } else {
      EXPECT_EQ(gasAt, -1) << "back on petrol";
      EXPECT_EQ(r.gasInjection, 0);
      EXPECT_EQ(r.pressure, 0);
    }
    if (probeAt < 0 && (r.flag1 & LiveDataRecord::kFlagLambdaEnabled)) probeAt = tick;
    if (probeAt >= 0 && r.rpm < 1100) lambda.Add(r);
    // The calibration wizard's warm-up check: 10 ticks in a row on gas at 45 C or more.
    run = OnGas(r) && c >= 45.0 ? run + 1 : 0;
    if (run == 10 && warmAt < 0) warmAt = tick;
  }
  EXPECT_GT(gasAt, 0);
  EXPECT_LT(gasAt, 150);  // changeover within the first 20 s
  EXPECT_GT(warmAt, 300);
  EXPECT_LT(warmAt, 700);  // warm within about 100 s
  EXPECT_GT(probeAt, 100);
  EXPECT_GT(lambda.good, 50);
  EXPECT_EQ(lambda.bad, 0);
}

TEST_F(SimLiveTest, RpmHoldAndRelease) {
  WarmUp();
  const LiveDataRecord idle = Tick();
  EXPECT_LT(idle.rpm, 1100);
  EXPECT_TRUE(idle.flag1 & LiveDataRecord::kFlagTps);

  ecu_.HoldRpm(2000);
  for (int i = 0; i < 7; ++i) Tick();
  LambdaCrossings lambda;
  for (int i = 0; i < 60; ++i) {
    const LiveDataRecord r = Tick();
    EXPECT_GT(r.rpm, 1850);
    EXPECT_LT(r.rpm, 2150);
    EXPECT_GT(r.map, idle.map);
    EXPECT_GT(r.tps, idle.tps);
    EXPECT_FALSE(r.flag1 & LiveDataRecord::kFlagTps);
    lambda.Add(r);
  }
  EXPECT_GE(lambda.good, 5);  // enough samples for the wizard's measurement
  EXPECT_EQ(lambda.bad, 0);

  ecu_.HoldRpm(4000);
  for (int i = 0; i < 10; ++i) Tick();
  ecu_.HoldRpm(0);
  bool cutoff = false;
  for (int i = 0; i < 20; ++i) {
    const LiveDataRecord r = Tick(50);
    if (r.flag1 & LiveDataRecord::kFlagCutoff) {
      cutoff = true;
      EXPECT_EQ(r.gasInjection, 0);
    }
  }
  EXPECT_TRUE(cutoff);
  for (int i = 0; i < 10; ++i) Tick();
  EXPECT_LT(Tick().rpm, 1100);

  // A scheduled hold in engine time.
  const uint32_t now = static_cast<uint32_t>(ecu_.Engine().EngineMs());
  ecu_.ScheduleRpmHold(2500, now + 3000, 3000);
  EXPECT_LT(Tick(2000).rpm, 1100);
  EXPECT_NEAR(Tick(2000).rpm, 2500, 5);
  EXPECT_LT(Tick(4000).rpm, 1100);
}

TEST_F(SimLiveTest, ChangeoverByTemperatureAloneAndLambdaReference) {
  ASSERT_TRUE(link_.WriteVariable(0x210, 0));   // changeover by rpm off
  ASSERT_TRUE(link_.WriteVariable(0x05, 128));  // 2.5 V reference
  int gasAt = -1, low = 255, high = 0;
  for (int tick = 0; tick < 400; ++tick) {
    const LiveDataRecord r = Tick();
    EXPECT_LT(r.rpm, 1100);  // nobody needs to rev the engine
    if (gasAt < 0 && OnGas(r)) gasAt = tick;
    if (tick > 200) {
      low = std::min<int>(low, r.lambda);
      high = std::max<int>(high, r.lambda);
    }
  }
  EXPECT_GT(gasAt, 0);
  EXPECT_LT(gasAt, 150);
  EXPECT_LT(low, 128);
  EXPECT_GT(high, 128);
}

TEST_F(SimLiveTest, RunningTimesAndFailingSelfChecks) {
  clock_.Advance(41 * 60 * 1000);
  EXPECT_EQ(Read(0x23B), 2);  // units of 20 minutes on gas
  EXPECT_EQ(Read(0x23C), 0);  // a few seconds on petrol
  ecu_.StopEngine();
  clock_.Advance(60 * 60 * 1000);
  EXPECT_EQ(Read(0x23B), 2);
  EXPECT_EQ(Tick().rpm, 0);

  int32_t stato[2] = {};
  ecu_.SetDiagnosisFault(4);
  ASSERT_TRUE(link_.ReadVariable(0x2339, stato));
  EXPECT_EQ(stato[0], 0);  // the check is not enabled (0x41)
  ASSERT_TRUE(link_.WriteElement(0x23A, 0, 0x51));
  ASSERT_TRUE(link_.ReadVariable(0x2339, stato));
  EXPECT_EQ(stato[0], 0x10);
  ASSERT_TRUE(link_.WriteElement(0x239, 0, 0));
  ASSERT_TRUE(link_.ReadVariable(0x2339, stato));
  EXPECT_EQ(stato[0], 0x10);  // still failing: reported again
  ecu_.SetDiagnosisFault(4, false);
  ASSERT_TRUE(link_.WriteElement(0x239, 0, 0));
  ASSERT_TRUE(link_.ReadVariable(0x2339, stato));
  EXPECT_EQ(stato[0], 0);
}

}  // namespace
