#include "LivePanel.h"

#include <QLocale>
#include <cfenv>
#include <cmath>

namespace {

using Rec = LiveDataRecord;
double Hundredth(double v) { return std::round(v * 100.0) / 100.0; }

// Two decimals with the locale's decimal separator and no grouping (1234,50, never 1.234,50).
QString Fixed2(double v) {
  QLocale locale;
  locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
  return locale.toString(v, 'f', 2);
}

// The interval of value v on 12 ascending breakpoints: below the first (0, 0), above the
// last (11, 11), else the i with bp[i] < v < bp[i + 1]. A value on a breakpoint finds none.
template <class T, class V>
bool FindInterval(const T (&bp)[12], V v, int* lo, int* hi) {
  if (v < bp[0]) {
    *lo = *hi = 0;
    return true;
  }
  if (v > bp[11]) {
    *lo = *hi = 11;
    return true;
  }
  for (int i = 0; i < 11; ++i) {
    if (bp[i] < v && v < bp[i + 1]) {
      *lo = i;
      *hi = i + 1;
      return true;
    }
  }
  return false;
}

}  // namespace

TLiveValues TLivePanel::ValuesFrom(const LiveDataRecord& r, int pressure) {
  TLiveValues v;
  v.rpm = r.rpm;
  v.lambda = Rec::Volts(r.lambda);
  v.tps = Rec::Volts(r.tps);
  v.map = Rec::Volts(r.map);
  v.correction = r.correction;
  v.gasInjection = Rec::Ms(r.gasInjection);
  v.petrolInjection = Rec::Ms(r.petrolInjection);
  v.cumulo = r.cumulo;
  v.enrichment = Rec::Ms(r.enrichment);
  v.flag1 = r.flag1;
  v.temperatureRaw = r.temperature;
  v.level = r.level;
  v.lambda2 = Rec::Volts(r.lambda2);
  v.correction2 = r.correction2;
  v.injection2 = Rec::Ms(r.injection2);
  v.pressure = pressure;
  return v;
}

TPetrolCorrection TLivePanel::PetrolCorrection(const TLiveValues& v, const TPetrolMap* map) {
  TPetrolCorrection c;
  double expected = v.petrolInjection;
  int r0 = 0, r1 = 0, m0 = 0, m1 = 0;
  if (map && FindInterval(map->rpm, v.rpm, &r0, &r1) && FindInterval(map->load, v.map, &m0, &m1)) {
    const TPetrolMap& m = *map;
    const double p00 = m.cell[m0][r0];
    const double rpmSlope = r0 == r1 ? 0.0 : (m.cell[m0][r1] - p00) / (m.rpm[r1] - m.rpm[r0]);
    const double mapSlope = m0 == m1 ? 0.0 : (m.cell[m1][r0] - p00) / (m.load[m1] - m.load[m0]);
    expected = p00 + rpmSlope * (v.rpm - m.rpm[r0]) + mapSlope * (v.map - m.load[m0]);
  }
  if (v.petrolInjection == 0) return c;  // shows 0
  if (expected == 0) {
    c.available = false;
    return c;
  }
  c.perMille = (v.petrolInjection / expected - 1.0) * 1000.0;
  return c;
}

int TLivePanel::TracePetrolCorrection(const TPetrolCorrection& c) {
  if (!c.available || !std::isfinite(c.perMille)) return 0;
  const double clamped = std::fmax(-1e9, std::fmin(1e9, c.perMille));
  return static_cast<int>(std::lround(clamped));
}

QString TLivePanel::PetrolCorrectionText(double measured, const TPetrolCorrection& c,
                                         const TLivePanelTexts& texts) {
  if (measured == 0) return Fixed2(0);
  if (!c.available) return texts.notAvailable;
  return Fixed2(c.perMille);
}

int TLivePanel::TemperatureBand(int t, const int ref[9]) {
  if (ref[8] >= t) return 0;
  for (int band = 1; band <= 7; ++band)
    if (ref[9 - band] < t && t <= ref[8 - band]) return band;
  if (t > ref[1]) return 8;
  return 0;
}

uint32_t TLivePanel::MarkerColor(int flag1) {
  if (!(flag1 & LiveDataRecord::kFlagGas)) return 0x000000;
  return (flag1 & LiveDataRecord::kFlagMarker) ? 0x008000 : 0x0000FF;
}

int TLivePanel::RoundEven(double v) {
  if (!std::isfinite(v)) return 0;
  const double clamped = std::fmax(-2e9, std::fmin(2e9, v));
  // nearbyint follows the rounding mode, which is to-nearest-even unless changed.
  return static_cast<int>(std::nearbyint(clamped));
}

TTraceRecord TLivePanel::TraceRecordFrom(const TLiveValues& v, const TPetrolCorrection& c) {
  TTraceRecord r;
  r.rpm = v.rpm;
  r.map = Hundredth(v.map);
  r.cumulo = v.cumulo;
  r.tps = Hundredth(v.tps);
  r.lambda = Hundredth(v.lambda);
  r.gasInjection = v.gasInjection;
  r.correction = v.correction;
  r.petrolInjection = v.petrolInjection;
  r.petrolCorrection = TracePetrolCorrection(c);
  r.flag1 = v.flag1;
  r.enrichment = v.enrichment;
  r.pressure = v.pressure == 0 ? 0.0 : v.pressure * 0.01;
  r.temperatureRaw = v.temperatureRaw;
  r.level = v.level;
  r.lambda2 = Hundredth(v.lambda2);
  r.correction2 = v.correction2;
  r.injection2 = v.injection2;
  return r;
}

void TLivePanel::Refresh(const TLiveTickInputs& in) {
  const TLiveValues& v = values_;
  TLivePanelView& w = view_;
  w.lambda = Fixed2(v.lambda) + texts_.volt;
  w.tps = Fixed2(v.tps) + texts_.volt;
  w.map = Fixed2(v.map) + texts_.volt;
  w.gasInjection = Fixed2(v.gasInjection);
  w.correction = QString::number(v.correction);
  if (in.twoProbes) {
    w.lambda2 = Fixed2(v.lambda2) + texts_.volt;
    w.gasInjection2 = Fixed2(v.injection2);
    w.correction2 = QString::number(v.correction2);
  }
  w.pressure = v.pressure == 0 ? texts_.notAvailable : Fixed2(v.pressure * 0.01) + texts_.bar;
  w.petrolInjection = Fixed2(v.petrolInjection);
  w.cumulo = QString::number(v.cumulo);
  w.enrichment = Fixed2(v.enrichment);
  w.rpm = QString::number(v.rpm) + texts_.rpm;
  w.tpsRed = (v.flag1 & LiveDataRecord::kFlagTps) != 0;
  w.lambdaGreen = Rec::LambdaGood(v.lambda, in.lambdaReference, in.lambdaTypeBit0);
  w.lambda2Green = Rec::LambdaGood(v.lambda2, in.lambdaReference, in.lambdaTypeBit0);
  w.lambdaEnabled = (v.flag1 & LiveDataRecord::kFlagLambdaEnabled) != 0;
  w.cutoff = (v.flag1 & LiveDataRecord::kFlagCutoff) != 0;
  w.markerColor = MarkerColor(v.flag1);

  w.slowRefresh = ++slowCounter_ >= 10;
  if (w.slowRefresh) {
    slowCounter_ = 0;
    w.temperature = v.temperatureRaw == 0 ? texts_.notAvailable
                                          : QString::number(RoundEven(in.temperatureC)) + texts_.celsius;
    w.level = QString::number(v.level);
    w.onGas = (v.flag1 & LiveDataRecord::kFlagGas) != 0;
    w.fuel = w.onGas ? texts_.gas : texts_.petrol;
  }

  correction_ = PetrolCorrection(v, in.petrolMap);
  w.petrolCorrection = PetrolCorrectionText(v.petrolInjection, correction_, texts_);
}
