#include <gtest/gtest.h>

#include "Clock.h"
#include "SimLink.h"
#include "SimScenario.h"

namespace {

TEST(SimScenario, KeysConfigureTheEcu) {
  FakeClock clock;
  ScopedClock use(&clock);
  SimulatedEcu ecu;
  SimLink link(ecu);
  const auto problems = ApplySimScenario(ecu,
                                         "# bench set-up\r\n"
                                         "\n"
                                         "ready_delay_ms = 5000\n"
                                         "identity = 255, 10, 7, 3\n"
                                         "boot_identity = 10, 3\n"
                                         "versions = 0x8307, 774\n"
                                         "port = /dev/ttyUSB0\n"
                                         "absent = 0x24F, 0x81\n"
                                         "refuse = 0x40\n"
                                         "program_results = 1, 0\n"
                                         "connect_failures = 1\n"
                                         "var.0x203 = 0x68\n"
                                         "var.0x20C = 600, 1100\n"
                                         "enrichment_rows = 4\n"
                                         "diagnosis_faults = 0\n"
                                         "silent_after = 500\n");
  EXPECT_TRUE(problems.empty()) << problems.front();
  EXPECT_STREQ(link.GetPortName(), "/dev/ttyUSB0");
  ASSERT_TRUE(link.OpenLink());
  EXPECT_EQ(link.Connect(), 0);
  EXPECT_EQ(link.Connect(), 1);
  uint8_t id[4] = {};
  ASSERT_TRUE(link.ReadEcuIdentity(id));
  EXPECT_EQ(id[0], 255);
  EXPECT_EQ(id[2], 7);
  EXPECT_FALSE(link.WriteVariable(0x40, 10));
  int32_t v = 0;
  ASSERT_TRUE(link.ReadVariable(0x24C, &v));
  EXPECT_EQ(v, 0x8307);
  ASSERT_TRUE(link.ReadVariable(2, &v));
  EXPECT_EQ(v, 0);
  clock.Advance(5000);
  ASSERT_TRUE(link.ReadVariable(2, &v));
  EXPECT_EQ(v, 172);
  EXPECT_FALSE(link.ReadVariable(0x81, &v));
  int32_t axis[12] = {};
  ASSERT_TRUE(link.ReadVariable(0xC30C, axis));
  EXPECT_EQ(axis[0], 600);
  EXPECT_EQ(axis[1], 1100);
  EXPECT_EQ(axis[2], 1500);
  // Scenario values are the factory configuration a reset restores.
  ASSERT_TRUE(link.WriteVariable(0x203, 0x6C));
  ASSERT_TRUE(link.WriteVariable(2, 240));
  ASSERT_TRUE(link.ReadVariable(0x203, &v));
  EXPECT_EQ(v, 0x68);
  int32_t stato[2] = {};
  ASSERT_TRUE(link.ReadVariable(0x2339, stato));
  EXPECT_EQ(stato[0], 1);
  uint8_t boot[2] = {};
  ASSERT_TRUE(link.ReadBootIdentity(boot));
  EXPECT_EQ(boot[1], 3);
  link.BeginProgramming();
  EXPECT_EQ(link.ProgramFromFile("a.s19", 2, 0, 1), 1);
  EXPECT_EQ(link.ProgramFromFile("a.s19", 2, 0, 1), 0);
  EXPECT_TRUE(ecu.SilencePending());
}

TEST(SimScenario, BadLinesAreReportedAndSkipped) {
  SimulatedEcu ecu;
  const auto problems = ApplySimScenario(ecu,
                                         "ready_delay_ms = 200\n"
                                         "no such key = 1\n"
                                         "identity = 1, 2\n"
                                         "ready_delay_ms = 1.5\n"
                                         "var.0x99 = 3\n"
                                         "var.0x24 = 1, 2\n"
                                         "diagnosis_faults = 16\n"
                                         "just text\n"
                                         "customer = 12\n");
  ASSERT_EQ(problems.size(), 7u);
  EXPECT_EQ(problems[0], "line 2: no such key = 1");
  EXPECT_EQ(problems[6], "line 8: just text");
  EXPECT_EQ(ecu.CustomerCode(), 12);
  EXPECT_EQ(LoadSimScenario(ecu, "/nonexistent/scenario.txt").size(), 1u);
}

}  // namespace
