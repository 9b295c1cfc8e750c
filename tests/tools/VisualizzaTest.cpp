// The live dashboard: needle geometry, the values one record makes, and the window's tick
// against the simulated ECU.
#include <gtest/gtest.h>

#include <QDir>
#include <QFrame>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <cmath>
#include <string>
#include <vector>

#include "DecimalText.h"
#include "EcuValueCodes.h"
#include "GaugeFaces.h"
#include "GaugeNeedles.h"
#include "LayoutCheck.h"
#include "LiveDashboard.h"
#include "NeedleOverlay.h"
#include "SimEcuFixture.h"
#include "WinColor.h"
#include "visualizza.h"

namespace {

// Records the drawing calls of the needles.
class RecordingCanvas final : public INeedleCanvas {
 public:
  void SetPen(uint32_t c, int w) override { calls.push_back("pen " + Hex(c) + " " + std::to_string(w)); }
  void MoveTo(int x, int y) override { calls.push_back("move " + Xy(x, y)); }
  void LineTo(int x, int y) override { calls.push_back("line " + Xy(x, y)); }
  void Ellipse(int l, int t, int r, int b) override {
    calls.push_back("ellipse " + Xy(l, t) + " " + Xy(r, b));
  }
  std::vector<std::string> calls;

 private:
  static std::string Hex(uint32_t c) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%06X", c);
    return buf;
  }
  static std::string Xy(int x, int y) { return std::to_string(x) + "," + std::to_string(y); }
};

// The dashboard's own geometry on an 800-pixel screen.
constexpr TRpmDial kRpmDial{304, 132, 112};
constexpr TPressureDial kLpgDial{612, 191, 55, 83, 107};

struct ItalianLocale {
  ItalianLocale() { QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy)); }
  ~ItalianLocale() { QLocale::setDefault(QLocale::c()); }
};

}  // namespace

TEST(GaugeNeedles, TipsFollowTheDialsAndStopAtTheirEnds) {
  struct Case {
    int value;
    TNeedlePoint tip;
  };
  // rpm: a 78-pixel needle, 0 down-left, 3500 up, 7000 down-right, clockwise; nothing beyond
  // 7000. Offsets are truncated toward zero (100 rpm: -57.9, +51.8).
  const Case rpm[] = {{0, {249, 187}},    {100, {246, 183}},  {1750, {232, 103}}, {3500, {304, 54}},
                      {5250, {376, 103}}, {7000, {359, 187}}, {7520, {359, 187}}};
  for (const Case& c : rpm) EXPECT_EQ(RpmNeedleTip(kRpmDial, c.value), c.tip) << c.value;
  // Pressure on 83..107 kPa: 55 pixels, minimum left, middle up, maximum right, clamped.
  const Case pressure[] = {{83, {557, 191}},  {89, {574, 153}}, {95, {612, 136}}, {101, {650, 153}},
                           {107, {667, 191}}, {50, {557, 191}}, {200, {667, 191}}};
  for (const Case& c : pressure) EXPECT_EQ(PressureNeedleTip(kLpgDial, c.value), c.tip) << c.value;
  // CNG scale 100..180 kPa: 140 straight up.
  EXPECT_EQ(PressureNeedleTip({612, 191, 55, 100, 180}, 140), (TNeedlePoint{612, 136}));
}

TEST(GaugeNeedles, EraseInGreyAndKeepTheHubNavy) {
  RecordingCanvas canvas;
  DrawRpmNeedle(canvas, kRpmDial, 3500, false);
  DrawPressureNeedle(canvas, kLpgDial, 107, true);
  const std::vector<std::string> expected = {
      "pen E0E0E0 5", "move 304,132", "line 304,54",  "pen 800000 5", "ellipse 299,127 309,137",
      "pen 800000 5", "move 612,191", "line 667,191", "pen 800000 5", "ellipse 607,186 617,196",
  };
  EXPECT_EQ(canvas.calls, expected);
}

// A fuel lamp's name, short or long (as in English), lies whole inside its round lamp, within
// its ring, at the sizes of the design screen and of wide screens.
TEST(FuelLamps, NameLiesInsideTheRing) {
  for (int size : {44, 56, 70})
    for (const char* name : {"GAS", "BENZ", "PETROL"}) {
      const QImage lamp = FuelIcon(size, QLatin1String(name), Qt::green, true).toImage();
      // The ring's inner edge: the lamp is drawn 2 pixels in from the picture's edge with a
      // 2-pixel pen.
      const double centre = size / 2.0, inner = size / 2.0 - 3;
      int text = 0, outside = 0;
      for (int y = 0; y < lamp.height(); ++y)
        for (int x = 0; x < lamp.width(); ++x) {
          if (lamp.pixel(x, y) != qRgb(255, 255, 255)) continue;
          ++text;
          if (std::hypot(x + 0.5 - centre, y + 0.5 - centre) > inner) ++outside;
        }
      EXPECT_GT(text, 5) << name << " at " << size;
      EXPECT_EQ(outside, 0) << name << " at " << size;
    }
}

TEST(DashboardText, FixedFormatsRoundOnSignificantDigits) {
  struct Case {
    double v;
    int precision;
    const char* text;
  };
  const Case cases[] = {
      {1.4, 3, "1,40"},      {12.345, 4, "12,35"},    {-0.9, 3, "-0,90"},     {1.6, 3, "1,60"},
      {0.0, 3, "0,00"},      {0.004, 3, "0,00"},      {0.005, 3, "0,01"},     {99.96, 3, "100,00"},
      {2.345, 3, "2,35"},    {1234.0, 3, "1,23E+03"}, {999.6, 3, "1,00E+03"}, {-0.001, 3, "0,00"},
      {262.14, 4, "262,10"}, {0.996, 3, "1,00"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(DecimalText::FixedSignificant(c.v, c.precision, 2, ','), c.text) << c.v;
}

class DashboardModel : public ::testing::Test {
 protected:
  DashboardModel() { geometry_ = {260, 260, 300, 276, 340}; }

  TLiveDashboard Make() const { return TLiveDashboard(setup_, texts_, geometry_); }
  static std::vector<uint8_t> Record(const LiveDataRecord& r) {
    std::vector<uint8_t> b(LiveDataRecord::kSize);
    r.Encode(b.data());
    return b;
  }
  const TDashboardView& Take(TLiveDashboard& d, const LiveDataRecord& r, int size = 30,
                             bool twoProbes = false) {
    const std::vector<uint8_t> b = Record(r);
    return d.Take(b.data(), size, twoProbes, false);
  }

  ItalianLocale locale_;
  TDashboardSetup setup_;
  TDashboardTexts texts_{QStringLiteral("V"), QStringLiteral("°C"), QStringLiteral("bar"),
                         QStringLiteral("ms")};
  TDashboardGeometry geometry_;
};

TEST_F(DashboardModel, ReadoutMapAndTemperatureFromTheRecord) {
  struct Case {
    uint16_t rpm;
    uint8_t map, temperature;
    const char* giri;
    int mapKpa, mapWidth;
    const char* mapText;
    const char* temperatureText;
    int thermoHeight;
  };
  const uint8_t hot = static_cast<uint8_t>(CalcTemperaturaRaw(95.0f));
  const uint8_t warm = static_cast<uint8_t>(CalcTemperaturaRaw(40.0f));
  const int warmHeight = static_cast<int>(276 * CalcTemperatura(warm) * 0.0125);
  const std::string warmText = std::to_string(static_cast<int>(CalcTemperatura(warm))) + "°C";
  const Case cases[] = {
      {9, 0, 0, "0000", 10, 15, "-0,90bar", "0°C", 0},
      {123, 255, 255, "0120", 260, 300, "1,60bar", "-1000°C", 0},     // bar clamped, no sensor
      {12345, 102, hot, "12340", 110, 165, "0,10bar", nullptr, 276},  // above 80 deg: full column
      {7520, 51, warm, "7520", 60, 90, "-0,40bar", warmText.c_str(), warmHeight},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.giri);
    TLiveDashboard d = Make();
    LiveDataRecord r;
    r.rpm = c.rpm;
    r.map = c.map;
    r.temperature = c.temperature;
    const TDashboardView& v = Take(d, r);
    EXPECT_EQ(v.giri, c.giri);
    EXPECT_EQ(d.Map(), c.mapKpa);
    EXPECT_EQ(v.mapWidth, c.mapWidth);
    EXPECT_EQ(v.map, c.mapText);
    if (c.temperatureText) {
      EXPECT_EQ(v.temperatura, QString::fromUtf8(c.temperatureText));
    }
    EXPECT_EQ(v.thermoHeight, c.thermoHeight);
    EXPECT_EQ(v.thermoTop, 340 - c.thermoHeight);  // the column grows upward from its foot
    EXPECT_EQ(v.rpmTo, c.rpm);
  }
}

TEST_F(DashboardModel, PressureIsTheMeanOfTheLastTenSamples) {
  LiveDataRecord r;
  r.pressure = 180;
  r.map = 60;
  const int sample = CalcPressioneGas(r.pressure, r.map, true, false);
  ASSERT_GT(sample, 0);
  TLiveDashboard d = Make();
  // The empty ring's zeros count in the first nine means.
  for (int tick = 1; tick <= 12; ++tick) {
    const TDashboardView& v = Take(d, r);
    const int expected = sample * std::min(tick, 10) / 10;
    EXPECT_EQ(d.CurrentPressure(), expected) << tick;
    EXPECT_EQ(v.pressureTo, expected);
    EXPECT_EQ(v.pressione, TLiveDashboard::Fixed(expected * 0.01) + "bar");
    // The needle moves while the mean changes, and once at the start.
    EXPECT_EQ(v.movePressureNeedle, tick <= 10) << tick;
  }
}

TEST_F(DashboardModel, NeedlesMoveOnChangeOrAfterARepaint) {
  TLiveDashboard d = Make();
  LiveDataRecord r;
  r.rpm = 900;
  EXPECT_TRUE(Take(d, r).moveRpmNeedle);  // the first record draws
  EXPECT_FALSE(Take(d, r).moveRpmNeedle);
  d.RequestRedraw();
  const TDashboardView& again = Take(d, r);
  EXPECT_TRUE(again.moveRpmNeedle);
  EXPECT_TRUE(again.movePressureNeedle);
  EXPECT_FALSE(d.RedrawNeedles());
  r.rpm = 950;
  const TDashboardView& moved = Take(d, r);
  EXPECT_TRUE(moved.moveRpmNeedle);
  EXPECT_EQ(moved.rpmFrom, 900);
  EXPECT_EQ(moved.rpmTo, 950);
}

TEST_F(DashboardModel, LambdaBarsByProbeTypeAndColour) {
  struct Case {
    int lambdaType;
    uint8_t lambda;
    uint8_t flags;
    bool typeBit0;
    int width;
    uint32_t color;
  };
  setup_.lambdaReference = 0.45f;
  const Case cases[] = {
      {0, 51, 0x00, false, 260, kColorButtonFace},  // 1.0 V on 0..1 V; bit 5 clear
      {0, 12, 0x20, false, 61, kColorGreen},        // 0.235 V below the reference
      {0, 40, 0x20, false, 203, kColorRed},
      {0, 40, 0x20, true, 203, kColorGreen},  // above the reference with type bit 0
      {1, 128, 0x20, false, 130, kColorRed},  // 0..5 V
      {2, 255, 0x20, false, 0, kColorRed},    // 5..0 V: 5 V empty
      {2, 0, 0x20, false, 260, kColorGreen},  //         0 V full
      {3, 10, 0x20, false, 0, kColorGreen},   // below 0.8 V: empty, not negative
      {3, 255, 0x20, false, 260, kColorRed},  // beyond 1.6 V: full
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.lambdaType << " " << int(c.lambda));
    setup_.lambdaType = c.lambdaType;
    setup_.lambdaTypeBit0 = c.typeBit0;
    TLiveDashboard d = Make();
    LiveDataRecord r;
    r.lambda = c.lambda;
    r.flag1 = c.flags;
    const TDashboardView& v = Take(d, r);
    EXPECT_EQ(v.lambda.width, c.width);
    EXPECT_EQ(v.lambda.color, c.color);
    EXPECT_EQ(v.lambda.text, TLiveDashboard::Fixed(c.lambda * 5.0 / 255.0) + "V");
    EXPECT_FALSE(v.lambda2Shown);
  }
  setup_.lambdaType = 2;
  TLiveDashboard reversed = Make();
  EXPECT_EQ(TLiveDashboard::ScaleText(reversed.LambdaMin()), "5");
  EXPECT_EQ(TLiveDashboard::ScaleText(reversed.LambdaMax()), "0");
  setup_.lambdaType = 3;
  TLiveDashboard narrow = Make();
  EXPECT_EQ(TLiveDashboard::ScaleText(narrow.LambdaMin()), "0,8");
  EXPECT_EQ(TLiveDashboard::ScaleText(narrow.LambdaMax()), "1,6");
}

TEST_F(DashboardModel, SecondProbeOnlyWithTwoProbesAndAFullEnoughRecord) {
  TLiveDashboard d = Make();
  LiveDataRecord r;
  r.lambda2 = 51;
  r.flag1 = 0x40;
  const TDashboardView& one = Take(d, r, 30, false);
  EXPECT_FALSE(one.lambda2Shown);
  EXPECT_EQ(d.Lambda2(), 0.0);
  const TDashboardView& two = Take(d, r, 30, true);
  EXPECT_TRUE(two.lambda2Shown);
  EXPECT_DOUBLE_EQ(d.Lambda2(), 1.0);
  EXPECT_EQ(two.lambda2.width, 260);
  EXPECT_EQ(two.lambda2.color, kColorRed);
  r.lambda2 = 0;
  Take(d, r, 15, true);  // a short record keeps the second probe's value
  EXPECT_DOUBLE_EQ(d.Lambda2(), 1.0);
}

TEST_F(DashboardModel, TpsSegmentsAndFuelIcons) {
  struct Case {
    uint8_t flags;
    uint8_t tps;  // 1.0 V threshold below
    uint16_t rpm;
    bool typeBit0;
    int lit;  // 0 min (aqua), 1 middle (green), 2 max (red)
  };
  setup_.tpsThreshold = 1.0f;
  setup_.rpmThreshold = 1500;
  const Case cases[] = {
      {0x01, 200, 3000, false, 0},  // throttle-closed flag wins
      {0x00, 200, 3000, false, 2},  // above the threshold, high rpm
      {0x00, 200, 1500, false, 1},  // rpm not above its threshold
      {0x00, 20, 3000, false, 1},   // below the threshold
      {0x00, 20, 3000, true, 2},    // inverted sensor: below is open
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << int(c.flags) << " " << int(c.tps) << " " << c.rpm);
    setup_.tpsTypeBit0 = c.typeBit0;
    TLiveDashboard d = Make();
    LiveDataRecord r;
    r.flag1 = c.flags;
    r.tps = c.tps;
    r.rpm = c.rpm;
    const TDashboardView& v = Take(d, r);
    const uint32_t expected[3] = {c.lit == 0 ? kColorAqua : kColorLightGrey,
                                  c.lit == 1 ? kColorGreen : kColorLightGrey,
                                  c.lit == 2 ? kColorRed : kColorLightGrey};
    EXPECT_EQ(v.tpsMinColor, expected[0]);
    EXPECT_EQ(v.tpsColor, expected[1]);
    EXPECT_EQ(v.tpsMaxColor, expected[2]);
  }
  TLiveDashboard d = Make();
  LiveDataRecord r;
  r.flag1 = 0x10;
  r.gasInjection = 3086;     // 12.344 ms
  r.petrolInjection = 2500;  // 10 ms
  const TDashboardView& v = Take(d, r);
  EXPECT_TRUE(v.onGas);
  EXPECT_EQ(v.tIniez, "12,34ms");
  EXPECT_EQ(v.tIniezBenz, "10,00ms");
}

// ---- the window ------------------------------------------------------------------------------

class Dashboard : public SimEcuFixture {
 protected:
  static bool DesignScreen() {
    const QScreen* s = QGuiApplication::primaryScreen();
    return s && s->geometry().width() == 800;
  }
  int Writes() const {
    int n = 0;
    for (const SimCall& c : ecu_.Calls())
      n += c.op == SimOp::WriteVariable || c.op == SimOp::WriteElement || c.op == SimOp::WriteArray ||
           c.op == SimOp::WriteCell || c.op == SimOp::WriteRow;
    return n;
  }
  // Ticks the window with the clock moving on by one interval each time.
  void Tick(TFormVisualizza& form, int n) {
    for (int i = 0; i < n; ++i) {
      clock_.Advance(TFormVisualizza::kTickMs);
      form.Timer1Timer();
    }
  }
  static QColor CanvasAt(const TFormVisualizza& form, TNeedlePoint p) {
    return form.Canvas()->Image().pixelColor(p.x, p.y);
  }

  ItalianLocale locale_;
};

TEST_F(Dashboard, LayoutGeometryAndScalesFromTheDataSet) {
  if (!DesignScreen()) GTEST_SKIP() << "needs an 800-pixel screen";
  data_.SetFlag1(4, true);  // CNG
  TFormVisualizza form(nullptr);
  EXPECT_EQ(form.windowTitle(), "Visualizzazione parametri vettura");
  EXPECT_EQ(form.RpmDial().centreX, 304);
  EXPECT_EQ(form.RpmDial().centreY, 132);
  EXPECT_EQ(RpmNeedleTip(form.RpmDial(), 3500), (TNeedlePoint{304, 132 - 78}));
  EXPECT_EQ(form.PressureDial().pivotX, 612);
  EXPECT_EQ(form.PressureDial().pivotY, 191);
  EXPECT_EQ(form.PressureDial().length, 55);
  EXPECT_EQ(form.PressureDial().scaleMin, 100);
  EXPECT_EQ(form.PressureDial().scaleMax, 180);
  EXPECT_EQ(form.LabelTMin->y() - form.LabelTMax->y(), 276);
  EXPECT_EQ(form.ShapeT->y(), 340);
  EXPECT_EQ(form.LabelPMin->text(), "1,30");
  EXPECT_EQ(form.LabelPOk->text(), "1,40");
  EXPECT_EQ(form.LabelPMax->text(), "1,50");
  EXPECT_EQ(form.LabelTMax->text(), "80");
  EXPECT_EQ(form.LabelTMedia->text(), "40");
  EXPECT_TRUE(form.Timer1->isActive());
  EXPECT_EQ(form.Timer1->interval(), 150);
  EXPECT_TRUE(form.LabTIniez->isHidden());
  EXPECT_TRUE(form.LabTIniezBenz->isHidden());
  EXPECT_TRUE(form.ButtonEsci->text() == "&Esci");
  // One probe (the data set's default): no second lambda group.
  EXPECT_TRUE(form.PanelLambda2->isHidden());
  EXPECT_TRUE(form.LabLambda2->isHidden());
  data_.SetFlag1(4, false);
  TFormVisualizza lpg(nullptr);
  EXPECT_EQ(lpg.LabelPMin->text(), "0,92");
  EXPECT_EQ(lpg.LabelPOk->text(), "0,95");
  EXPECT_EQ(lpg.LabelPMax->text(), "0,98");
  EXPECT_EQ(lpg.PressureDial().scaleMin, 83);
}

TEST_F(Dashboard, TickShowsTheLiveRecordAndWritesNothing) {
  ecu_.StartEngine();
  ecu_.HoldRpm(3000);
  data_.Flag1 |= 0x10;  // unused bits: the data set's own view does not matter here
  TFormVisualizza form(nullptr);
  form.Timer1->stop();
  ecu_.ClearCalls();
  Tick(form, 40);
  EXPECT_EQ(ecu_.CountCalls(SimOp::ReadPacket, 0), 40);
  EXPECT_EQ(Writes(), 0);
  const LiveDataRecord last = ecu_.LiveRecord();
  EXPECT_EQ(form.LabelGiri->text(), TLiveDashboard::RpmText(form.Dashboard().CurrentRpm()));
  EXPECT_NEAR(form.Dashboard().CurrentRpm(), last.rpm, 200);
  EXPECT_GT(form.Dashboard().CurrentRpm(), 2000);
  EXPECT_EQ(form.LabPressione->text(), form.Dashboard().View().pressione);
  EXPECT_EQ(form.ShapeMap->width(), form.Dashboard().View().mapWidth);
  EXPECT_EQ(form.ShapeT->height(), form.Dashboard().View().thermoHeight);
  EXPECT_EQ(form.ImageGasOn->isVisibleTo(&form), form.Dashboard().View().onGas);
  EXPECT_EQ(form.ImageBenzOn->isVisibleTo(&form), !form.Dashboard().View().onGas);
  // The needle is drawn at the present rpm.
  const TNeedlePoint tip = RpmNeedleTip(form.RpmDial(), form.Dashboard().CurrentRpm());
  const TNeedlePoint mid{(tip.x + form.RpmDial().centreX) / 2, (tip.y + form.RpmDial().centreY) / 2};
  EXPECT_EQ(CanvasAt(form, mid), WinColor(kNeedleColor));
}

TEST_F(Dashboard, NeedleMovesErasingTheOldOne) {
  ecu_.StartEngine();
  ecu_.HoldRpm(1000);
  TFormVisualizza form(nullptr);
  form.Timer1->stop();
  Tick(form, 60);
  const TNeedlePoint before = RpmNeedleTip(form.RpmDial(), form.Dashboard().CurrentRpm());
  ecu_.HoldRpm(6000);
  Tick(form, 60);
  const TNeedlePoint after = RpmNeedleTip(form.RpmDial(), form.Dashboard().CurrentRpm());
  ASSERT_NE(before, after);
  // Three quarters of the way out: away from the hub, on the old and the new needle.
  const auto out = [&](TNeedlePoint p) {
    const TRpmDial& d = form.RpmDial();
    return TNeedlePoint{d.centreX + (p.x - d.centreX) * 3 / 4, d.centreY + (p.y - d.centreY) * 3 / 4};
  };
  EXPECT_EQ(CanvasAt(form, out(before)), WinColor(kNeedleEraseColor));
  EXPECT_EQ(CanvasAt(form, out(after)), WinColor(kNeedleColor));
  EXPECT_EQ(CanvasAt(form, {form.RpmDial().centreX, form.RpmDial().centreY}), WinColor(kNeedleColor));
}

TEST_F(Dashboard, SkippedTicksChangeNothing) {
  ecu_.StartEngine();
  ecu_.HoldRpm(2500);
  TFormVisualizza form(nullptr);
  form.Timer1->stop();
  Tick(form, 30);
  const QString giri = form.LabelGiri->text();
  const QString pressure = form.LabPressione->text();
  const int map = form.ShapeMap->width();
  // The record does not come.
  ecu_.SetNoAnswer(true);
  ecu_.HoldRpm(5000);
  ecu_.ClearCalls();
  Tick(form, 20);
  EXPECT_EQ(ecu_.CountCalls(SimOp::ReadPacket, 0), 20);
  EXPECT_EQ(form.LabelGiri->text(), giri);
  EXPECT_EQ(form.LabPressione->text(), pressure);
  EXPECT_EQ(form.ShapeMap->width(), map);
  // The link is closed: nothing is asked for.
  ecu_.SetNoAnswer(false);
  link_.Disconnect();
  ecu_.ClearCalls();
  Tick(form, 5);
  EXPECT_EQ(ecu_.CountCalls(SimOp::ReadPacket), 0);
  EXPECT_EQ(form.LabelGiri->text(), giri);
}

TEST_F(Dashboard, ScreenshotWithTheEngineRunning) {
  data_.ReadAll();
  data_.SetNumeroSonde(2);
  ecu_.StartEngine();
  TFormVisualizza form(nullptr);
  form.Timer1->stop();
  // Warm up at idle, then hold 3200 rpm on gas.
  for (int i = 0; i < 200; ++i) {
    clock_.Advance(3000);
    form.Timer1Timer();
  }
  ecu_.HoldRpm(3200);
  Tick(form, 40);
  EXPECT_FALSE(form.PanelLambda2->isHidden());
  form.show();
  form.FormPaint();
  Tick(form, 1);
  const QPixmap shot = form.grab();
  const QString dir = QDir::current().filePath(QStringLiteral("test-results/screenshots"));
  QDir().mkpath(dir);
  EXPECT_TRUE(shot.save(dir + QStringLiteral("/visualizza.png"), "PNG"));
  EXPECT_TRUE(ControlsKeepLayout(&form));
}
