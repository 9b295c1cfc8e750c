#pragma once
// The rules of the live dashboard without widgets: what one real-time record makes of the rpm
// readout and needle, the averaged gas pressure and its needle, the thermometer column, the
// lambda, TPS and MAP bars, the fuel icons and the figures. The window reads the record and
// applies the view.
#include <QString>
#include <cstdint>

#include "GaugeNeedles.h"
#include "LiveDataRecord.h"

class TEcuData;

// The button-face system colour (the class library's clBtnFace) among 0x00BBGGRR colours.
constexpr uint32_t kColorButtonFace = 0x8000000F;
constexpr uint32_t kColorGreen = 0x008000;
constexpr uint32_t kColorRed = 0x0000FF;
constexpr uint32_t kColorAqua = 0xFFFF00;
constexpr uint32_t kColorLightGrey = 0xE0E0E0;

// What the dashboard reads from the data set once, when it is made.
struct TDashboardSetup {
  float lambdaReference = 0;  // value code 5, V
  float tpsThreshold = 0;     // value code 0x2C, V
  int rpmThreshold = 0;       // value code 0x22D, truncated
  bool lambdaTypeBit0 = false;
  bool tpsTypeBit0 = false;
  int lambdaType = 0;  // value code 4, truncated
  bool cng = false;    // fuel flag (kind 4)
  bool twoProbes = false;

  static TDashboardSetup FromData(TEcuData& data);
};

// Unit texts in the current language; empty when the language lacks them.
struct TDashboardTexts {
  QString volt;     // 144
  QString celsius;  // 145
  QString bar;      // 147
  QString ms;       // 149
};

// Sizes of the window the bars and the thermometer are scaled to.
struct TDashboardGeometry {
  int lambdaInner = 0;   // PanelLambda width - 2
  int lambda2Inner = 0;  // PanelLambda2 width - 2
  int mapInner = 0;      // PanelMap width - 2
  int thermoSpan = 0;    // LabelTMin top - LabelTMax top
  int thermoBase = 0;    // ShapeT top when the window was made (the column's foot)
};

struct TLambdaBar {
  int width = 0;
  uint32_t color = kColorButtonFace;
  QString text;
};

// What the window shows after one record.
struct TDashboardView {
  QString giri;  // LabelGiri
  // Needles to move: erase at `from`, draw at `to`.
  bool moveRpmNeedle = false;
  int rpmFrom = 0, rpmTo = 0;
  bool movePressureNeedle = false;
  int pressureFrom = 0, pressureTo = 0;
  QString pressione;  // LabPressione
  int thermoHeight = 0;
  int thermoTop = 0;
  QString temperatura;  // LabTemp
  bool onGas = false;   // FLAG1 bit 4
  TLambdaBar lambda;
  bool lambda2Shown = false;  // two probes: the second group is updated
  TLambdaBar lambda2;
  QString tps;
  uint32_t tpsMinColor = kColorLightGrey, tpsColor = kColorLightGrey, tpsMaxColor = kColorLightGrey;
  int mapWidth = 0;
  QString map;
  QString tIniez, tIniezBenz;  // hidden figures, kept up to date
};

class TLiveDashboard {
 public:
  static constexpr int kRingSize = 10;

  TLiveDashboard(const TDashboardSetup& setup, const TDashboardTexts& texts,
                 const TDashboardGeometry& geometry);

  // Takes one delivered record (size: the bytes the link delivered). twoProbes: the data set's
  // probe count now; withCoefficients: its pressure-sensor calibration applies.
  const TDashboardView& Take(const uint8_t* data, int size, bool twoProbes, bool withCoefficients);
  // The form was repainted: the next record draws both needles again.
  void RequestRedraw() { redrawNeedles_ = true; }

  // Scales chosen by the setup: lambda by the probe type, pressure by the fuel.
  double LambdaMin() const { return lambdaMin_; }
  double LambdaMax() const { return lambdaMax_; }
  int PressureMin() const { return pressureMin_; }
  int PressureMax() const { return pressureMax_; }
  // The marks of the acceptable pressure window: lower end, middle, upper end (bar).
  double PressureMarkMin() const { return setup_.cng ? 1.30 : 0.92; }
  double PressureMarkOk() const { return setup_.cng ? 1.40 : 0.95; }
  double PressureMarkMax() const { return setup_.cng ? 1.50 : 0.98; }

  bool RedrawNeedles() const { return redrawNeedles_; }
  int CurrentRpm() const { return rpm_; }
  int CurrentPressure() const { return pressure_; }
  int Map() const { return map_; }
  double Temperature() const { return temperature_; }
  double Lambda2() const { return lambda2_; }
  const TDashboardView& View() const { return view_; }
  // The record the last Take decoded.
  const LiveDataRecord& Record() const { return record_; }

  // Texts as the window writes them.
  // 3 significant digits, 2 decimals, the locale's decimal separator.
  static QString Fixed(double v);
  // 4 significant digits, 2 decimals.
  static QString Fixed4(double v);
  // (rpm div 10) x 10, zero-padded to 4 digits.
  static QString RpmText(int rpm);
  // A scale end in the shortest general form (0, 5, 0,8).
  static QString ScaleText(double v);

 private:
  TLambdaBar LambdaBar(double lambda, int inner, bool enabled) const;

  TDashboardSetup setup_;
  TDashboardTexts texts_;
  TDashboardGeometry geometry_;
  double lambdaMin_ = 0.0;
  double lambdaMax_ = 1.0;
  int pressureMin_ = 83;
  int pressureMax_ = 107;

  LiveDataRecord record_;
  int rpm_ = 0;
  int prevRpm_ = 0;
  int ring_[kRingSize] = {};
  int ringIndex_ = 0;
  int pressure_ = 0;
  int prevPressure_ = 0;
  double lambda_ = 0;
  double lambda2_ = 0;
  double tps_ = 0;
  int map_ = 0;
  double temperature_ = 0;
  double gasInjection_ = 0;
  double petrolInjection_ = 0;
  int flags_ = 0;
  bool redrawNeedles_ = true;
  TDashboardView view_;
};
