#include "CalibraWizard.h"

#include "AcquisitionStore.h"
#include "EcuData.h"
#include "EcuValueCodes.h"
#include "LiveDataRecord.h"
#include "MapSpline.h"

TCalibraWizard::TCalibraWizard(const std::array<QString, kTextCount>& texts, double lambdaReference,
                               bool lambdaTypeBit0)
    : texts_(texts), lambdaReference_(lambdaReference), lambdaTypeBit0_(lambdaTypeBit0) {
  QString& target = texts_[399 - kFirstText];
  const qsizetype at = target.indexOf(QStringLiteral("%n"));
  if (at >= 0) target.replace(at, 2, QString::number(kTargetRpm));
  view_.messaggio = Text(395);
  view_.operazione = Text(396) + QLatin1Char(' ') + Text(397);
}

void TCalibraWizard::RestartSampling() {
  sampleCount_ = 0;
  rpmSum_ = 0;
  mapSum_ = 0.0;
  injectionSum_ = 0.0;
}

bool TCalibraWizard::Sample(const TCalibraInput& in, bool transition) {
  if (!transition) {
    ++halfPeriod_;
  } else {
    if (halfPeriod_ >= kMinHalfPeriod && halfPeriod_ <= kMaxHalfPeriod) {
      rpmSum_ += in.rpm;
      mapSum_ += in.mapVolts;
      injectionSum_ += in.injectionMs;
      ++sampleCount_;
      view_.progress = sampleCount_ * 100 / kSamples;
    }
    halfPeriod_ = 0;
  }
  return sampleCount_ >= kSamples;
}

bool TCalibraWizard::Tick(const TCalibraInput& in) {
  previousLambdaState_ = lambdaState_;
  lambdaState_ = LiveDataRecord::LambdaGood(in.lambda, lambdaReference_, lambdaTypeBit0_);
  const bool transition = lambdaState_ != previousLambdaState_;
  const auto mean = [this] {
    TCalibraPoint p;
    p.rpm = static_cast<int>(rpmSum_ / kSamples);
    p.mapVolts = 0.2 * mapSum_;
    p.injectionMs = 0.2 * injectionSum_;
    return p;
  };

  switch (state_) {
    case WarmUp:
      if ((in.flags & LiveDataRecord::kFlagGas) && in.temperature >= kWarmCelsius)
        ++phase_;
      else
        phase_ = 0;
      if (phase_ >= kWarmTicks) {
        view_.operazione = Text(398);
        view_.messaggio = Text(395);
        phase_ = 0;
        state_ = IdleCheck;
      }
      break;
    case IdleCheck:
      if (in.rpm < kIdleRpmLimit) {
        if (phase_ < kIdlePromptTicks)
          ++phase_;
        else
          view_.messaggioVisible = true;
      } else {
        phase_ = 0;  // a prompt already shown stays
      }
      break;
    case IdleMeasure:
      if (in.rpm < kIdleRpmLimit) {
        if (Sample(in, transition)) {
          idle_ = mean();
          RestartSampling();
          state_ = Measure2000;
          view_.operazione = Text(399);
          view_.messaggioVisible = false;
          view_.messaggio = Text(401);
          view_.progress = 0;
          outOfBand_ = kOutOfBandTicks;
        }
      } else {
        RestartSampling();
        view_.progress = 0;
        view_.messaggioVisible = false;
      }
      break;
    case Measure2000:
      if (in.rpm > kBandLow && in.rpm < kBandHigh) {
        outOfBand_ = 0;
        view_.messaggioVisible = true;
        if (Sample(in, transition)) {
          at2000_ = mean();
          state_ = Computation;
          view_.messaggio = Text(404);
          view_.progress = 0;
        }
      } else if (outOfBand_ >= kOutOfBandTicks) {
        RestartSampling();
        view_.progress = 0;
        view_.messaggioVisible = false;
      } else {
        ++outOfBand_;
      }
      break;
    case Computation:
      return true;
    default:
      break;
  }
  return false;
}

bool TCalibraWizard::KeyEnter() {
  if (state_ != IdleCheck || !view_.messaggioVisible) return false;
  state_ = IdleMeasure;
  view_.progress = 0;
  view_.progressVisible = true;
  view_.messaggioVisible = false;
  view_.operazione = Text(400);
  return true;
}

void TCalibraWizard::ComputationDone(bool ok) {
  view_.progressVisible = false;
  view_.messaggio = Text(ok ? 402 : 403);
  view_.messaggioVisible = true;
  view_.operazioneVisible = false;
  state_ = Done;
}

bool ComputeCalibration(const TCalibraPoint& idle, const TCalibraPoint& at2000, TDatiMappati& store) {
  store.Clear();
  if (!EcuData) return false;
  const TEcuData& data = *EcuData;
  for (const TCalibraPoint& p : {idle, at2000})
    store.Add(p.rpm, p.mapVolts, EcuConv::Trunc(p.injectionMs * 1000), 0);
  for (const auto& [row, col] : kCalibraAnchors)
    store.Add(data.GetRifGiri(col), data.GetRifMAP(row), EcuConv::Trunc(data.GetMappa(row, col) * 1000), 0);
  return FitMapSpline(store.Samples(), false, false);
}

void TCalibraLimits::Widen(TEcuData& data) {
  for (size_t i = 0; i < kCodes.size(); ++i) saved_[i] = EcuConv::Trunc(data.GetValue(kCodes[i]));
  for (int code : kCodes) data.SetValue(code, kWide);
}

void TCalibraLimits::Restore(TEcuData& data) const {
  for (size_t i = 0; i < kCodes.size(); ++i) data.SetValue(kCodes[i], saved_[i]);
}
