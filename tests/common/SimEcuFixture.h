#pragma once
// A data set connected to the simulated ECU, on a fake clock, with scripted message boxes:
// the process-wide SerialLink and EcuData point at them for the test's lifetime. Tests that
// use it link ecu_sim.
#include <gtest/gtest.h>

#include "Clock.h"
#include "EcuData.h"
#include "Prompt.h"
#include "SerialLink.h"
#include "SimLink.h"

class SimEcuFixture : public ::testing::Test {
 protected:
  SimEcuFixture() : useClock_(&clock_), link_(ecu_), usePrompts_(&prompts_), data_("default") {
    previousLink_ = SerialLink;
    previousData_ = EcuData;
    SerialLink = &link_;
    EcuData = &data_;
    link_.OpenLink();
    link_.Connect();
    clock_.Advance(5000);  // past the ECU's ready delay
    ecu_.ClearCalls();
  }
  ~SimEcuFixture() override {
    SerialLink = previousLink_;
    EcuData = previousData_;
  }

  // The cell writes of one code the ECU received since the last ClearCalls.
  int CountCalls(SimOp op, int code) const {
    int n = 0;
    for (const SimCall& c : ecu_.Calls())
      if (c.op == op && c.code == code) ++n;
    return n;
  }

  FakeClock clock_;
  ScopedClock useClock_;
  SimulatedEcu ecu_;
  SimLink link_;
  ScriptedPrompts prompts_;
  ScopedPrompts usePrompts_;
  TEcuData data_;
  TSerialLink* previousLink_ = nullptr;
  TEcuData* previousData_ = nullptr;
};
