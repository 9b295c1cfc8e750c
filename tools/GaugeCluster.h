#pragma once
// The gauge cluster the live dashboard and the calibration wizard share, at the same places on
// both windows: the thermometer with its 80 and 0 marks, the rpm dial with its readout, the fuel
// lamps and the gas-pressure dial with the marks of its acceptable window, the needles drawn
// over them on a canvas that covers the window. A window inherits the cluster, so its widgets
// are the window's own (children of it, by the names below), and adds its other widgets
// around them.
#include "GaugeNeedles.h"

class QFrame;
class QLabel;
class QWidget;
class TDesignPlacer;
class TLiveDashboard;
class TNeedleOverlay;
struct TDashboardGeometry;
struct TDashboardView;

class TGaugeCluster {
 public:
  // The dials at the scales of the live values, once the window has them.
  const TRpmDial& RpmDial() const { return rpmDial_; }
  const TPressureDial& PressureDial() const { return pressureDial_; }
  TNeedleOverlay* Canvas() const { return canvas_; }

  QLabel* ImageTermometro = nullptr;
  QLabel* LabelTMax = nullptr;
  QLabel* LabelTMin = nullptr;
  QFrame* ShapeT = nullptr;
  QFrame* BevelGiri = nullptr;
  QLabel* ImageGiri = nullptr;
  QLabel* LabelScalaGiri = nullptr;
  QLabel* LabelGiri = nullptr;
  QLabel* ImageGasOn = nullptr;
  QLabel* ImageGasOff = nullptr;
  QLabel* ImageBenzOn = nullptr;
  QLabel* ImageBenzOff = nullptr;
  QLabel* LabelPressione = nullptr;
  QFrame* Shape1 = nullptr;
  QLabel* ImagePressione = nullptr;
  QLabel* LabelPMin = nullptr;
  QLabel* LabelPOk = nullptr;
  QLabel* LabelPMax = nullptr;

 protected:
  ~TGaugeCluster() = default;

  // Makes the cluster's widgets on `window`, bottom to top: thermometer, rpm dial and readout,
  // fuel lamps, pressure dial.
  void BuildGauges(QWidget* window, const TDesignPlacer& at);
  // Last of the layout: the window at its design height, covered by the needles' canvas; the rpm
  // texts stay in front of the needles.
  void CoverWithNeedleCanvas(QWidget* window, const TDesignPlacer& at, int designHeight);
  // The thermometer's span (80 mark to 0 mark) and the column's foot.
  void MeasureThermometer(TDashboardGeometry& geometry) const;
  // The dials and the marks of the thermometer and of the acceptable pressure window, by the
  // dashboard's scales.
  void SetScales(const TLiveDashboard& dashboard);
  // One view of the live values: the rpm readout, both needles, the thermometer column and the
  // fuel lamps.
  void ShowGauges(const TDashboardView& v);

 private:
  TRpmDial rpmDial_;
  TPressureDial pressureDial_;
  TNeedleOverlay* canvas_ = nullptr;
};
