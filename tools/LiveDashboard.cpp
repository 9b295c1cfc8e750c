#include "LiveDashboard.h"

#include <algorithm>
#include <cmath>

#include "DecimalText.h"
#include "EcuData.h"
#include "EcuValueCodes.h"

namespace {

constexpr int kCodeTipoDiLambda = 4;
constexpr int kCodeRifLambda = 5;
constexpr int kCodeTpsSbana = 0x2C;
constexpr int kCodeGiriSbana = 0x22D;
constexpr int kFlagFuelCng = 4;  // GetFlag1 kind of the fuel flag

int Trunc(double v) { return EcuConv::Trunc(v); }

}  // namespace

TDashboardSetup TDashboardSetup::FromData(TEcuData& data) {
  TDashboardSetup s;
  s.lambdaTypeBit0 = data.GetTipoLambdaBit0();
  s.tpsTypeBit0 = data.GetTipoTpsBit0();
  s.lambdaReference = static_cast<float>(data.GetValue(kCodeRifLambda));
  s.tpsThreshold = static_cast<float>(data.GetValue(kCodeTpsSbana));
  s.rpmThreshold = Trunc(data.GetValue(kCodeGiriSbana));
  s.cng = data.GetFlag1(kFlagFuelCng);
  s.lambdaType = Trunc(data.GetValue(kCodeTipoDiLambda));
  s.twoProbes = data.IsDoppiaSonda();
  return s;
}

TLiveDashboard::TLiveDashboard(const TDashboardSetup& setup, const TDashboardTexts& texts,
                               const TDashboardGeometry& geometry)
    : setup_(setup), texts_(texts), geometry_(geometry) {
  if (setup.cng) {
    pressureMin_ = 100;
    pressureMax_ = 180;
  }
  switch (setup.lambdaType) {
    case 1:
      lambdaMin_ = 0.0, lambdaMax_ = 5.0;
      break;
    case 2:
      lambdaMin_ = 5.0, lambdaMax_ = 0.0;
      break;  // reversed
    case 3:
      lambdaMin_ = 0.8, lambdaMax_ = 1.6;
      break;
    default:
      lambdaMin_ = 0.0, lambdaMax_ = 1.0;
      break;
  }
}

QString TLiveDashboard::Fixed(double v) {
  return QString::fromStdString(DecimalText::FixedSignificant(v, 3, 2, DecimalText::UserDecimalSeparator()));
}

QString TLiveDashboard::Fixed4(double v) {
  return QString::fromStdString(DecimalText::FixedSignificant(v, 4, 2, DecimalText::UserDecimalSeparator()));
}

QString TLiveDashboard::RpmText(int rpm) {
  return QStringLiteral("%1").arg(rpm / 10 * 10, 4, 10, QLatin1Char('0'));
}

QString TLiveDashboard::ScaleText(double v) {
  return QString::fromStdString(DecimalText::Format(v, DecimalText::UserDecimalSeparator()));
}

TLambdaBar TLiveDashboard::LambdaBar(double lambda, int inner, bool enabled) const {
  TLambdaBar bar;
  // A reading beyond the scale's minimum would give a negative width: the bar stays empty.
  const int w = Trunc((lambda - lambdaMin_) * inner / (lambdaMax_ - lambdaMin_));
  bar.width = std::clamp(w, 0, std::max(inner, 0));
  if (enabled)
    bar.color = LiveDataRecord::LambdaGood(lambda, setup_.lambdaReference, setup_.lambdaTypeBit0)
                    ? kColorGreen
                    : kColorRed;
  bar.text = Fixed(lambda) + texts_.volt;
  return bar;
}

const TDashboardView& TLiveDashboard::Take(const uint8_t* data, int size, bool twoProbes,
                                           bool withCoefficients) {
  using Rec = LiveDataRecord;
  TDashboardView& v = view_;
  prevRpm_ = rpm_;
  prevPressure_ = pressure_;

  record_.Decode(data, size, twoProbes);
  rpm_ = record_.rpm;
  lambda_ = Rec::Volts(record_.lambda);
  tps_ = Rec::Volts(record_.tps);
  map_ = record_.map * 1000 / 1020 + 10;
  ring_[ringIndex_] = CalcPressioneGas(record_.pressure, record_.map, true, withCoefficients);
  ringIndex_ = (ringIndex_ + 1) % kRingSize;
  int sum = 0;
  for (int sample : ring_) sum += sample;
  pressure_ = sum / kRingSize;
  gasInjection_ = Rec::Ms(record_.gasInjection);
  petrolInjection_ = Rec::Ms(record_.petrolInjection);
  flags_ = record_.flag1;
  temperature_ = record_.temperature == 0 ? 0.0 : CalcTemperatura(record_.temperature);
  if (twoProbes) lambda2_ = Rec::Volts(record_.lambda2);

  v.giri = RpmText(rpm_);
  v.moveRpmNeedle = prevRpm_ != rpm_ || redrawNeedles_;
  v.rpmFrom = prevRpm_;
  v.rpmTo = rpm_;
  v.pressione = Fixed(pressure_ * 0.01) + texts_.bar;
  v.movePressureNeedle = prevPressure_ != pressure_ || redrawNeedles_;
  v.pressureFrom = prevPressure_;
  v.pressureTo = pressure_;
  redrawNeedles_ = false;

  const int span = geometry_.thermoSpan;
  if (temperature_ < 0.0)
    v.thermoHeight = 0;
  else if (temperature_ > 80.0)
    v.thermoHeight = span;
  else
    v.thermoHeight = Trunc(span * temperature_ * 0.0125);
  v.thermoTop = geometry_.thermoBase - v.thermoHeight;
  v.temperatura = QString::number(Trunc(temperature_)) + texts_.celsius;

  v.onGas = (flags_ & Rec::kFlagGas) != 0;
  v.lambda = LambdaBar(lambda_, geometry_.lambdaInner, (flags_ & Rec::kFlagLambdaEnabled) != 0);
  v.lambda2Shown = twoProbes;
  if (twoProbes)
    v.lambda2 = LambdaBar(lambda2_, geometry_.lambda2Inner, (flags_ & Rec::kFlagLambda2Enabled) != 0);

  v.tps = Fixed(tps_) + texts_.volt;
  v.tpsMinColor = v.tpsColor = v.tpsMaxColor = kColorLightGrey;
  if (flags_ & Rec::kFlagTps)
    v.tpsMinColor = kColorAqua;
  else if ((tps_ < setup_.tpsThreshold) == setup_.tpsTypeBit0 && rpm_ > setup_.rpmThreshold)
    v.tpsMaxColor = kColorRed;
  else
    v.tpsColor = kColorGreen;

  const int inner = geometry_.mapInner;
  v.mapWidth = std::min(inner, inner * map_ / 200);
  v.map = Fixed((map_ - 100) * 0.01) + texts_.bar;
  v.tIniez = Fixed4(gasInjection_) + texts_.ms;
  v.tIniezBenz = Fixed4(petrolInjection_) + texts_.ms;
  return v;
}
