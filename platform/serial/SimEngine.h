#pragma once
// The small engine model behind the simulated ECU's live record: an engine that starts cold
// at idle and warms up, changes over to gas once warm and above the changeover rpm, with a
// lambda probe swinging across its reference, MAP and TPS following rpm, and an rpm hold at
// a chosen speed. It advances with the tick count handed to Advance and feeds the ECU's
// running-time counters and diagnosis word.
#include <cstdint>

#include "LiveDataRecord.h"

class SimMemory;

class SimEngine {
 public:
  // Key on: a cold engine at idle on petrol, at `now`.
  void Start(uint32_t now, double ambientCelsius = 15.0);
  void Stop();
  bool Running() const { return running_; }

  // Holds the engine at rpm (0 releases it to idle) from engine time startMs on, for lengthMs
  // (0: until released).
  void ScheduleHold(int rpm, uint64_t startMs, uint64_t lengthMs);
  // Holds rpm from now on until released with Hold(0).
  void Hold(int rpm) { ScheduleHold(rpm, engineMs_, 0); }
  // A self-check of the ECU that fails while active: its diagnosis bit (0..15) is set in the
  // error word whenever the check is enabled.
  void SetFault(int bit, bool active);

  // Moves the model on to `now`.
  void Advance(uint32_t now, SimMemory& memory);
  LiveDataRecord Record(const SimMemory& memory) const;

  uint64_t EngineMs() const { return engineMs_; }
  double Temperature() const { return temperature_; }
  double Rpm() const { return rpm_; }
  bool OnGas() const { return onGas_; }

 private:
  void Step(uint32_t dt, SimMemory& memory);
  bool HoldActive() const;
  double IdleRpm() const;
  bool ProbeReady() const;

  bool running_ = false;
  uint32_t lastTick_ = 0;
  uint64_t engineMs_ = 0;
  double ambient_ = 15.0;
  double temperature_ = 15.0;
  double rpm_ = 0.0;
  double target_ = 0.0;
  bool throttleClosed_ = true;
  bool cutoff_ = false;
  bool onGas_ = false;
  double lambdaPhase_ = 0.0;
  double cumulo_ = 0.0;
  uint64_t gasMs_ = 0;
  uint64_t petrolMs_ = 0;
  int holdRpm_ = 0;
  uint64_t holdStart_ = 0;
  uint64_t holdLength_ = 0;
  uint32_t faults_ = 0;
};
