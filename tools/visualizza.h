#pragma once
// "Visualizzazione parametri vettura": the live dashboard. Every 150 ms it reads the ECU's
// real-time record and shows it on an rpm dial, a gas-pressure dial, a thermometer, bars for
// lambda (one or two probes), TPS and MAP and the fuel icons. It writes nothing to the ECU. The
// caller shows it modally and deletes it.
#include <memory>

#include "GaugeCluster.h"
#include "LiveDashboard.h"
#include "ModalDialog.h"

class QFrame;
class QLabel;
class QPushButton;
class QTimer;

class TFormVisualizza final : public TModalDialog, public TGaugeCluster {
  Q_OBJECT
 public:
  static constexpr int kTickMs = 150;

  explicit TFormVisualizza(QWidget* owner);
  ~TFormVisualizza() override;

  // The tick: reads the record and updates the dashboard; nothing changes on screen when the
  // link is closed or the record does not come.
  void Timer1Timer();
  // The form was repainted: the next tick draws both needles again.
  void FormPaint();
  // Draw (navy) or erase (light grey) one needle on the form's canvas.
  void DrawRpmNeedle(int rpm, bool draw);
  void DrawPressureNeedle(int pressure, bool draw);

  const TLiveDashboard& Dashboard() const { return *dashboard_; }

  QLabel* LabPressione = nullptr;
  QLabel* LabelTMedia = nullptr;
  QLabel* LabTemp = nullptr;
  QLabel* LabelLambda = nullptr;
  QFrame* PanelLambda = nullptr;
  QFrame* ShapeLambda = nullptr;
  QLabel* LabLambda = nullptr;
  QLabel* LabelLambdaMin = nullptr;
  QLabel* LabelLambdaMax = nullptr;
  QFrame* BevelLambda2 = nullptr;
  QLabel* LabelLambda2 = nullptr;
  QFrame* PanelLambda2 = nullptr;
  QFrame* ShapeLambda2 = nullptr;
  QLabel* LabLambda2 = nullptr;
  QLabel* LabelLambda2Min = nullptr;
  QLabel* LabelLambda2Max = nullptr;
  QLabel* LabelTps = nullptr;
  QFrame* PanelTps = nullptr;
  QFrame* ShapeTpsMin = nullptr;
  QFrame* ShapeTps = nullptr;
  QFrame* ShapeTpsMax = nullptr;
  QLabel* LabTps = nullptr;
  QLabel* LabelMap = nullptr;
  QFrame* PanelMap = nullptr;
  QFrame* ShapeMap = nullptr;
  QLabel* LabMap = nullptr;
  QFrame* BevelTIniez = nullptr;
  QLabel* LabelTIniez = nullptr;
  QLabel* LabTIniez = nullptr;
  QFrame* BevelTIniezBenz = nullptr;
  QLabel* LabelTIniezBenz = nullptr;
  QLabel* LabTIniezBenz = nullptr;
  QPushButton* ButtonEsci = nullptr;
  QTimer* Timer1 = nullptr;

 protected:
  void paintEvent(QPaintEvent* e) override;

 private:
  void BuildLayout();
  void Translate();
  void Apply(const TDashboardView& v);
  // Design pixels (800-pixel screen) to this screen's.
  int Scaled(int v) const;

  int screenWidth_ = 800;
  std::unique_ptr<TLiveDashboard> dashboard_;
};
