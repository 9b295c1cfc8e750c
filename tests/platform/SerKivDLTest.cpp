// The built serial library, loaded as the program loads it.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLibrary>
#include <QTemporaryFile>
#include <array>

#include "Clock.h"
#include "SerialLink.h"
#include "SimulatedEcu.h"

namespace {

using SimulatedEcuFn = SimulatedEcu* (*)(TSerialLink*);

class SerKivDLTest : public ::testing::Test {
 protected:
  void SetUp() override {
    library_.setFileName(QCoreApplication::applicationDirPath() + "/SerKivDL");
    ASSERT_TRUE(library_.load()) << library_.errorString().toStdString();
    create_ = reinterpret_cast<CreateClassInstanceFn>(library_.resolve("_CreateClassInstance"));
    destroy_ = reinterpret_cast<DestroyClassInstanceFn>(library_.resolve("_DestroyClassInstance"));
    version_ = reinterpret_cast<GetDLLVersionFn>(library_.resolve("_GetDLLVersion"));
    simulated_ = reinterpret_cast<SimulatedEcuFn>(library_.resolve("_SimulatedEcu"));
    ASSERT_TRUE(create_ && destroy_ && version_ && simulated_);
  }
  void TearDown() override { library_.unload(); }

  QLibrary library_;
  CreateClassInstanceFn create_ = nullptr;
  DestroyClassInstanceFn destroy_ = nullptr;
  GetDLLVersionFn version_ = nullptr;
  SimulatedEcuFn simulated_ = nullptr;
};

TEST_F(SerKivDLTest, LinkObjectRunsTheSimulatedEcu) {
  FILE_VERSION_DATA v;
  ASSERT_TRUE(version_(&v));
  EXPECT_EQ(v.major, 4u);
  EXPECT_GE(v.minor * 1000 + v.release, 9003u);
  EXPECT_FALSE(version_(nullptr));

  TSerialLink* link = create_();
  ASSERT_NE(link, nullptr);
  SimulatedEcu* ecu = simulated_(link);
  ASSERT_NE(ecu, nullptr);
  FakeClock clock;
  ecu->UseClock(&clock);  // the library's own process clock would run for real

  link->SetLinkParamA(0);
  link->SetLinkParamB(5);
  link->SetScreen(nullptr);
  link->SetLinkParamC(600);
  link->SetLinkParamD(30, 600);
  EXPECT_STRNE(link->GetPortName(), "");
  ASSERT_TRUE(link->OpenLink());
  ASSERT_NE(link->Connect(), 0);
  EXPECT_NE(link->IsLinkOpen(), 0);

  uint8_t id[4] = {};
  ASSERT_TRUE(link->ReadEcuIdentity(id));
  EXPECT_EQ(id[1], 10);
  int32_t state = 0;
  ASSERT_TRUE(link->ReadVariable(2, &state));
  EXPECT_NE(state, 172);
  clock.Sleep(500);
  clock.Sleep(500);
  ASSERT_TRUE(link->ReadVariable(2, &state));
  EXPECT_EQ(state, 172);

  int32_t scalar = 0;
  ASSERT_TRUE(link->WriteVariable(0x216, 2400));
  ASSERT_TRUE(link->ReadVariable(0x216, &scalar));
  EXPECT_EQ(scalar, 2400);

  std::array<int32_t, 12> axis{}, back{};
  for (int i = 0; i < 12; ++i) axis[static_cast<size_t>(i)] = 700 + 500 * i;
  ASSERT_TRUE(link->WriteArray(0xC30C, axis.data()));
  ASSERT_TRUE(link->ReadVariable(0xC30C, back.data()));
  EXPECT_EQ(back, axis);

  ASSERT_TRUE(link->WriteRow(0xC30E, axis.data(), 4));
  ASSERT_TRUE(link->ReadRow(0xC30E, back.data(), 4));
  EXPECT_EQ(back, axis);

  int32_t cell = 0;
  ASSERT_TRUE(link->WriteCell(0x20E, 9, 2, 3333));
  ASSERT_TRUE(link->ReadCell(0xC30E, &cell, 9, 2));
  EXPECT_EQ(cell, 3333);

  link->Disconnect();
  EXPECT_EQ(link->IsLinkOpen(), 0);
  destroy_(link);
}

TEST_F(SerKivDLTest, ScenarioFileConfiguresNewLinks) {
  QTemporaryFile scenario;
  ASSERT_TRUE(scenario.open());
  scenario.write("# workshop bench\nidentity = 255, 10, 7, 3\nvar.0x24B = 1598\n");
  scenario.close();
  qputenv("ECU_SIM_SCENARIO", scenario.fileName().toLocal8Bit());
  TSerialLink* link = create_();
  qunsetenv("ECU_SIM_SCENARIO");
  SimulatedEcu* ecu = simulated_(link);
  ASSERT_NE(ecu, nullptr);
  FakeClock clock;
  ecu->UseClock(&clock);
  ASSERT_TRUE(link->OpenLink());
  uint8_t id[4] = {};
  ASSERT_TRUE(link->ReadEcuIdentity(id));
  EXPECT_EQ(id[0], 255);
  EXPECT_EQ(id[2], 7);
  EXPECT_EQ(id[3], 3);
  int32_t cc = 0;
  ASSERT_TRUE(link->ReadVariable(0x24B, &cc));
  EXPECT_EQ(cc, 1598);
  destroy_(link);
}

}  // namespace
