#include <gtest/gtest.h>

#include <QLocale>

#include "LivePanel.h"

namespace {

// A petrol map whose cells grow by 0.1 ms per rpm column and 1 ms per MAP row.
TPetrolMap SampleMap() {
  TPetrolMap m;
  for (int i = 0; i < 12; ++i) {
    m.rpm[i] = 1000 + 500 * i;
    m.load[i] = 0.4 * (i + 1);  // 0.4 .. 4.8 V
  }
  for (int r = 0; r < 12; ++r)
    for (int c = 0; c < 12; ++c) m.cell[r][c] = 2.0 + r + 0.1 * c;
  return m;
}

TLiveValues Live(int rpm, double map, double petrol) {
  TLiveValues v;
  v.rpm = rpm;
  v.map = map;
  v.petrolInjection = petrol;
  return v;
}

struct CLocale {
  CLocale() { QLocale::setDefault(QLocale::c()); }
  ~CLocale() { QLocale::setDefault(QLocale::system()); }
};

}  // namespace

TEST(LivePanel, PetrolCorrectionTable) {
  const TPetrolMap m = SampleMap();
  struct Case {
    int rpm;
    double map, petrol;
    bool available;
    double perMille;
    const char* text;
    int trace;
  } cases[] = {
      // Inside one cell: expected = 2 + 1 (row 1) + 0.1 x 250/500 + 1 x 0.2/0.4 = 3.55 ms.
      {1250, 1.0, 3.55 * 1.1, true, 100.0, "100.00", 100},
      // On an rpm breakpoint inside the map: no interval, so the expected time is the measured one.
      {1500, 1.0, 4.0, true, 0.0, "0.00", 0},
      // On a MAP breakpoint likewise.
      {1250, 0.8, 4.0, true, 0.0, "0.00", 0},
      // Below the first breakpoints: the corner cell, slopes 0.
      {500, 0.2, 2.0 * 0.95, true, -50.0, "-50.00", -50},
      // Above the last breakpoints: the far corner (2 + 11 + 1.1 = 14.1 ms).
      {9000, 5.0, 14.1 * 1.0123456, true, 12.3456, "12.35", 12},
      // Measured 0 shows 0.
      {1250, 1.0, 0.0, true, 0.0, "0.00", 0},
  };
  CLocale c;
  for (const auto& k : cases) {
    SCOPED_TRACE(k.rpm);
    const TPetrolCorrection got = TLivePanel::PetrolCorrection(Live(k.rpm, k.map, k.petrol), &m);
    EXPECT_EQ(got.available, k.available);
    EXPECT_NEAR(got.perMille, k.perMille, 1e-6);
    EXPECT_EQ(TLivePanel::PetrolCorrectionText(k.petrol, got, TLivePanelTexts{}), k.text);
    EXPECT_EQ(TLivePanel::TracePetrolCorrection(got), k.trace);
  }
  // Expected time 0 (a petrol map of zeros): "n.d." on the panel, 0 in the trace.
  TPetrolMap zero = m;
  for (auto& row : zero.cell)
    for (double& cell : row) cell = 0;
  const TPetrolCorrection nd = TLivePanel::PetrolCorrection(Live(1250, 1.0, 3.0), &zero);
  EXPECT_FALSE(nd.available);
  EXPECT_EQ(TLivePanel::PetrolCorrectionText(3.0, nd, TLivePanelTexts{}), "n.d.");
  EXPECT_EQ(TLivePanel::TracePetrolCorrection(nd), 0);
  // Without a map the correction is 0.
  EXPECT_EQ(TLivePanel::PetrolCorrection(Live(1250, 1.0, 3.0), nullptr).perMille, 0.0);
}

TEST(LivePanel, TemperatureBandTable) {
  // References 1..8 descending: 90, 80, ..., 20.
  const int ref[9] = {0, 90, 80, 70, 60, 50, 40, 30, 20};
  const struct {
    int t, band;
  } cases[] = {{-1000, 0}, {20, 0}, {21, 1}, {30, 1}, {31, 2}, {55, 4}, {80, 6}, {81, 7}, {90, 7}, {91, 8}};
  for (const auto& k : cases) EXPECT_EQ(TLivePanel::TemperatureBand(k.t, ref), k.band) << k.t;
  // References out of order: the first band that matches, counting from reference 8.
  const int unordered[9] = {0, 10, 20, 30, 40, 50, 60, 70, 5};
  EXPECT_EQ(TLivePanel::TemperatureBand(8, unordered), 1);
}

TEST(LivePanel, MarkerColourAndLambdaSide) {
  EXPECT_EQ(TLivePanel::MarkerColor(0x00), 0x000000u);
  EXPECT_EQ(TLivePanel::MarkerColor(0x02), 0x000000u);
  EXPECT_EQ(TLivePanel::MarkerColor(0x10), 0x0000FFu);
  EXPECT_EQ(TLivePanel::MarkerColor(0x12), 0x008000u);
  EXPECT_TRUE(LiveDataRecord::LambdaGood(0.8, 0.45, true));
  EXPECT_FALSE(LiveDataRecord::LambdaGood(0.2, 0.45, true));
  EXPECT_TRUE(LiveDataRecord::LambdaGood(0.2, 0.45, false));
  EXPECT_FALSE(LiveDataRecord::LambdaGood(0.45, 0.45, false));
}

TEST(LivePanel, TickDecodesConvertsAndPacesTheSlowFields) {
  LiveDataRecord in;
  in.rpm = 2150;
  in.lambda = 204;  // 4.00 V
  in.tps = 51;      // 1.00 V
  in.map = 102;     // 2.00 V
  in.correction = -12;
  in.gasInjection = 1000;  // 4.00 ms
  in.petrolInjection = 0;
  in.cumulo = 3;
  in.enrichment = 25;  // 0.10 ms
  in.flag1 = 0x35;     // TPS, cut-off, gas, lambda enabled
  in.temperature = 128;
  in.level = 77;
  in.pressure = 100;
  in.lambda2 = 51;
  in.correction2 = -300;
  in.injection2 = 990;
  uint8_t buf[LiveDataRecord::kSize];
  in.Encode(buf);

  CLocale c;
  TLivePanel panel;
  TLiveTickInputs inputs;
  inputs.twoProbes = true;
  inputs.lambdaReference = 2.5;
  inputs.lambdaTypeBit0 = true;
  inputs.temperatureC = 24.5f;  // rounds half to even: 24
  int pressureCalls = 0;
  auto pressure = [&](const LiveDataRecord& r) {
    ++pressureCalls;
    return r.pressure == 0 ? 0 : 108;
  };
  const TLivePanelView& v = panel.Tick(buf, 30, inputs, pressure);
  EXPECT_EQ(pressureCalls, 1);
  EXPECT_EQ(v.lambda, "4.00V");
  EXPECT_EQ(v.tps, "1.00V");
  EXPECT_EQ(v.map, "2.00V");
  EXPECT_EQ(v.gasInjection, "4.00");
  EXPECT_EQ(v.correction, "-12");
  EXPECT_EQ(v.correction2, "-300");
  EXPECT_EQ(v.lambda2, "1.00V");
  EXPECT_EQ(v.gasInjection2, "3.96");
  EXPECT_EQ(v.pressure, "1.08bar");
  EXPECT_EQ(v.enrichment, "0.10");
  EXPECT_EQ(v.rpm, "2150rpm");
  EXPECT_EQ(v.petrolCorrection, "0.00");
  EXPECT_TRUE(v.tpsRed);
  EXPECT_TRUE(v.cutoff);
  EXPECT_TRUE(v.lambdaEnabled);
  EXPECT_TRUE(v.lambdaGreen);
  EXPECT_FALSE(v.lambda2Green);
  EXPECT_EQ(v.markerColor, 0x0000FFu);
  EXPECT_FALSE(v.slowRefresh);
  EXPECT_TRUE(v.temperature.isEmpty());

  // A tick without a new record repeats the values; the 10th tick refreshes the slow fields.
  for (int i = 2; i <= 9; ++i) EXPECT_FALSE(panel.Tick(nullptr, 0, inputs, pressure).slowRefresh);
  const TLivePanelView& tenth = panel.Tick(nullptr, 0, inputs, pressure);
  EXPECT_EQ(pressureCalls, 1);
  EXPECT_TRUE(tenth.slowRefresh);
  EXPECT_EQ(tenth.temperature, QString::fromUtf8("24\u00B0C"));
  EXPECT_EQ(tenth.level, "77");
  EXPECT_EQ(tenth.fuel, "GAS");
  EXPECT_EQ(tenth.rpm, "2150rpm");

  // A bank-2 field is taken once its bytes arrived: 21 bytes carry correction 2 but not the
  // bank-2 injection time, 23 bytes carry both.
  LiveDataRecord next = in;
  next.rpm = 900;
  next.correction2 = 44;
  next.injection2 = 500;
  next.temperature = 0;
  next.pressure = 0;
  next.flag1 = 0;
  next.Encode(buf);
  panel.Tick(buf, 21, inputs, pressure);
  EXPECT_EQ(panel.Values().rpm, 900);
  EXPECT_EQ(panel.Values().correction2, 44);
  EXPECT_EQ(panel.Record().injection2, 990);
  EXPECT_EQ(panel.View().pressure, "n.d.");
  panel.Tick(buf, 23, inputs, pressure);
  EXPECT_EQ(panel.Record().injection2, 500);
  // One probe: the second bank is never taken.
  inputs.twoProbes = false;
  next.correction2 = 7;
  next.Encode(buf);
  for (int i = 0; i < 8; ++i) panel.Tick(buf, 30, inputs, pressure);
  EXPECT_EQ(panel.Values().correction2, 44);
  EXPECT_TRUE(panel.View().slowRefresh);
  EXPECT_EQ(panel.View().temperature, "n.d.");
  EXPECT_EQ(panel.View().fuel, "BENZINA");

  // The trace record of the tick.
  const TTraceRecord rec = panel.TraceRecord();
  EXPECT_EQ(rec.rpm, 900);
  EXPECT_DOUBLE_EQ(rec.map, 2.0);
  EXPECT_EQ(rec.pressure, 0.0);
  EXPECT_EQ(rec.temperatureRaw, 0);
}

TEST(LivePanel, PanelTextsUseTheLocaleSeparator) {
  QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
  TLivePanel panel;
  LiveDataRecord r;
  r.map = 100;
  r.pressure = 1;
  uint8_t buf[LiveDataRecord::kSize];
  r.Encode(buf);
  TLiveTickInputs inputs;
  const auto& v = panel.Tick(buf, 30, inputs, [](const LiveDataRecord&) { return 125; });
  EXPECT_EQ(v.map, "1,96V");
  EXPECT_EQ(v.pressure, "1,25bar");
  QLocale::setDefault(QLocale::system());
  // The trace keeps the point whatever the locale.
  QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
  EXPECT_TRUE(TTraceRecorder::RecordLine(0, panel.TraceRecord(), 1).contains("\t1.96\t"));
  QLocale::setDefault(QLocale::system());
}

// Values of 1000 and more show without grouping, in every locale.
TEST(LivePanel, PanelNumbersHaveNoThousandsSeparator) {
  const struct {
    QLocale locale;
    double perMille;
    const char* text;
  } cases[] = {
      {QLocale(QLocale::Italian, QLocale::Italy), 1234.5, "1234,50"},
      {QLocale(QLocale::Italian, QLocale::Italy), -2000, "-2000,00"},
      {QLocale(QLocale::English, QLocale::UnitedStates), 1234.5, "1234.50"},
      {QLocale(QLocale::German, QLocale::Germany), 1000000, "1000000,00"},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.text);
    QLocale::setDefault(k.locale);
    TPetrolCorrection c;
    c.perMille = k.perMille;
    EXPECT_EQ(TLivePanel::PetrolCorrectionText(3.0, c, TLivePanelTexts{}), k.text);
  }
  QLocale::setDefault(QLocale::system());
}
