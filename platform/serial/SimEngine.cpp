#include "SimEngine.h"

#include <algorithm>
#include <cmath>

#include "SerialWord.h"
#include "SimMemory.h"
#include "SimNtc.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kHotCelsius = 85.0;
constexpr double kWarmUpMs = 120000.0;        // time constant of the warm-up
constexpr uint64_t kProbeWarmMs = 20000;      // the lambda probe answers after this
constexpr uint64_t kCounterUnitMs = 1200000;  // running-time counters count 20 minutes
constexpr double kRiseRpmPerMs = 2.5;
constexpr double kFallRpmPerMs = 1.5;
constexpr int kLevelReading = 128;

uint8_t Byte(double v) { return static_cast<uint8_t>(std::clamp(std::lround(v), 0L, 255L)); }
uint8_t Volts(double v) { return Byte(v * 51.0); }

// Position of x among 12 breakpoints: the cell below it and the fraction towards the next.
void Locate(const int32_t bp[12], double x, int& i, double& f) {
  i = 0;
  f = 0.0;
  if (x <= bp[0]) return;
  for (; i < 10; ++i)
    if (x < bp[i + 1]) break;
  const double span = bp[i + 1] - bp[i];
  f = span > 0 ? std::min(1.0, (x - bp[i]) / span) : 0.0;
}

// Gas map (ms x 250) at the working point, bilinear between the breakpoints.
double GasMapAt(const SimMemory& m, double rpm, int mapByte) {
  int32_t rpmBp[12], mapBp[12];
  for (int k = 0; k < 12; ++k) {
    rpmBp[k] = m.Get(0x20C, k);
    mapBp[k] = m.Get(0x0D, k);
  }
  int c, r;
  double fc, fr;
  Locate(rpmBp, rpm, c, fc);
  Locate(mapBp, mapByte, r, fr);
  const auto cell = [&m](int row, int col) { return double(m.Get(0x20E, row * 12 + col)); };
  const double low = cell(r, c) + (cell(r, c + 1) - cell(r, c)) * fc;
  const double high = cell(r + 1, c) + (cell(r + 1, c + 1) - cell(r + 1, c)) * fc;
  return low + (high - low) * fr;
}

// Gas pressure reading that puts the reducer the nominal differential above the manifold,
// through the ECU's own pressure-sensor calibration.
uint8_t PressureByte(const SimMemory& m, int mapByte) {
  const int word = SerialWord::Make(0x7A, true, true);
  const int32_t offMap = m.Read(word, 0), slopeMap = m.Read(word, 1);
  int32_t offGas = m.Read(word, 2), slopeGas = m.Read(word, 3);
  if (slopeGas <= 0) {
    slopeGas = 826;
    offGas = 35;
  }
  const int pMap = static_cast<int>(slopeMap * 2 * mapByte / 1020.0 + offMap * 0.1);
  const int nominal = (m.Get(0x203, 0) & 0x02) ? 140 : 95;  // CNG or LPG reducer
  const double reading = (pMap + nominal - offGas * 0.1) * 1020.0 / (2.0 * slopeGas);
  return Byte(std::ceil(reading));
}

}  // namespace

void SimEngine::Start(uint32_t now, double ambientCelsius) {
  running_ = true;
  lastTick_ = now;
  engineMs_ = 0;
  ambient_ = temperature_ = ambientCelsius;
  rpm_ = target_ = IdleRpm();
  throttleClosed_ = true;
  cutoff_ = false;
  onGas_ = false;
  lambdaPhase_ = 0.0;
  cumulo_ = 0.0;
}

void SimEngine::Stop() {
  running_ = false;
  rpm_ = target_ = 0.0;
  onGas_ = false;
  cutoff_ = false;
  cumulo_ = 0.0;
}

void SimEngine::ScheduleHold(int rpm, uint64_t startMs, uint64_t lengthMs) {
  holdRpm_ = std::max(0, rpm);
  holdStart_ = startMs;
  holdLength_ = lengthMs;
}

void SimEngine::SetFault(int bit, bool active) {
  if (bit < 0 || bit > 15) return;
  const uint32_t mask = 1u << bit;
  faults_ = active ? (faults_ | mask) : (faults_ & ~mask);
}

bool SimEngine::HoldActive() const {
  return holdRpm_ > 0 && engineMs_ >= holdStart_ &&
         (holdLength_ == 0 || engineMs_ < holdStart_ + holdLength_);
}

double SimEngine::IdleRpm() const {
  // A cold engine idles faster.
  return 1000.0 - 200.0 * std::clamp((temperature_ - 20.0) / 15.0, 0.0, 1.0);
}

bool SimEngine::ProbeReady() const { return running_ && engineMs_ >= kProbeWarmMs; }

void SimEngine::Advance(uint32_t now, SimMemory& memory) {
  if (running_) {
    uint32_t elapsed = now - lastTick_;
    while (elapsed >= 50) {
      // Long gaps are caught up in coarse steps.
      const uint32_t dt = elapsed > 60000 ? 1000 : 50;
      Step(dt, memory);
      elapsed -= dt;
      lastTick_ += dt;
    }
  }
  // Failing self-checks show in the error word while enabled, also after it was cleared.
  const uint32_t failing = faults_ & static_cast<uint32_t>(memory.Get(0x23A, 0));
  if (failing) memory.Set(0x239, 0, memory.Get(0x239, 0) | static_cast<int32_t>(failing));
}

void SimEngine::Step(uint32_t dt, SimMemory& m) {
  engineMs_ += dt;
  temperature_ += (kHotCelsius - temperature_) * std::min(1.0, dt / kWarmUpMs);

  // Changeover: once the reducer is warm enough, and above the changeover rpm unless the
  // changeover by rpm is off (0).
  const int changeRpm = m.Get(0x210, 0) & ~1;
  const bool warm = temperature_ >= SimNtc::Celsius(m.Get(0x0F, 0));
  if (!onGas_ && warm && (changeRpm == 0 || rpm_ > changeRpm)) onGas_ = true;

  if (HoldActive()) {
    target_ = holdRpm_;
    throttleClosed_ = false;
  } else if (!onGas_ && warm && changeRpm > 0) {
    // The fitter blips the throttle past the changeover rpm.
    target_ = std::min(changeRpm + 300, 7000);
    throttleClosed_ = false;
  } else {
    target_ = IdleRpm();
    throttleClosed_ = true;
  }

  if (rpm_ < target_) {
    if (target_ - rpm_ > 50) cumulo_ = std::min(60.0, cumulo_ + 0.05 * dt);
    rpm_ = std::min(target_, rpm_ + kRiseRpmPerMs * dt);
  } else {
    rpm_ = std::max(target_, rpm_ - kFallRpmPerMs * dt);
  }
  if (rpm_ >= target_) cumulo_ = std::max(0.0, cumulo_ - 0.02 * dt);
  cutoff_ = throttleClosed_ && rpm_ > m.Get(0x216, 0) && rpm_ > target_ + 100;

  const double halfPeriodMs = rpm_ < 1500 ? 900.0 : 500.0;
  lambdaPhase_ = std::fmod(lambdaPhase_ + kPi * dt / halfPeriodMs, 2 * kPi);

  uint64_t& runMs = onGas_ ? gasMs_ : petrolMs_;
  runMs += dt;
  if (runMs >= kCounterUnitMs) {
    runMs -= kCounterUnitMs;
    const int counter = onGas_ ? 0x23B : 0x23C;
    m.Set(counter, 0, std::min(0xFFFF, m.Get(counter, 0) + 1));
  }
}

LiveDataRecord SimEngine::Record(const SimMemory& m) const {
  LiveDataRecord r;
  r.temperature = static_cast<uint8_t>(SimNtc::Reading(static_cast<float>(temperature_)));
  r.level = kLevelReading;
  if (!running_) return r;

  double rpm = rpm_;
  if (throttleClosed_ && !cutoff_) rpm += 12.0 * std::sin(2 * kPi * double(engineMs_) / 1300.0);
  r.rpm = static_cast<uint16_t>(std::max(0L, std::lround(rpm)));

  const double mapVolts =
      cutoff_ ? 0.30 : std::clamp(0.50 + 0.22 * (rpm_ - 800.0) / 1000.0 + 0.004 * cumulo_, 0.25, 1.85);
  r.map = Volts(mapVolts);
  const double tpsVolts = throttleClosed_ ? 0.45 : std::min(4.5, 0.75 + 0.5 * (rpm_ - 800.0) / 1000.0);
  r.tps = Volts(tpsVolts);
  if (m.Get(0x1A, 0) & 1) r.tps = static_cast<uint8_t>(255 - r.tps);  // inverted sensor

  const bool probe = ProbeReady() && !cutoff_;
  const bool twoProbes = (m.Get(0x203, 0) & 0x04) == 0;
  const double ref = m.Get(0x05, 0);
  const double swing = std::clamp(ref * 0.6, 6.0, 60.0);
  const auto lambda = [&](double shift) {
    return Byte(probe ? ref + swing * std::sin(lambdaPhase_ + shift) : ref - swing);
  };
  const bool closedLoop = probe && onGas_;
  const auto correction = [&](double shift) {
    return static_cast<int16_t>(closedLoop ? std::lround(10.0 * std::sin(lambdaPhase_ + shift - kPi / 2))
                                           : 0);
  };
  r.lambda = lambda(0.0);
  r.lambda2 = lambda(2.1);
  r.correction = correction(0.0);
  r.correction2 = correction(2.1);

  const double gas = onGas_ && !cutoff_ ? GasMapAt(m, rpm_, r.map) : 0.0;
  r.gasInjection = static_cast<uint16_t>(std::lround(gas * (1000 + r.correction) / 1000.0));
  r.injection2 = twoProbes ? static_cast<uint16_t>(std::lround(gas * (1000 + r.correction2) / 1000.0)) : 0;
  r.petrolInjection = cutoff_ ? 0 : static_cast<uint16_t>(std::lround((1.0 + 4.5 * mapVolts) * 250.0));
  r.cumulo = Byte(cumulo_);
  r.enrichment = static_cast<uint16_t>(r.cumulo * 10);
  r.pressure = onGas_ ? PressureByte(m, r.map) : 0;

  r.flag1 = (throttleClosed_ ? LiveDataRecord::kFlagTps : 0) |
            (closedLoop ? LiveDataRecord::kFlagMarker : 0) | (cutoff_ ? LiveDataRecord::kFlagCutoff : 0) |
            (onGas_ ? LiveDataRecord::kFlagGas : 0) |
            (ProbeReady() ? LiveDataRecord::kFlagLambdaEnabled : 0) |
            (ProbeReady() && twoProbes ? LiveDataRecord::kFlagLambda2Enabled : 0);
  return r;
}
