#pragma once
// "Taratura centralina": the automatic calibration of the gas map. Every 150 ms it reads the
// ECU's real-time record, shows it on the rpm and gas-pressure dials, the thermometer, the fuel
// lamps and the lambda lamp, and moves the wizard (CalibraWizard.h) on by one step: warm-up on
// gas, idle check, idle measurement, measurement at about 2000 rpm, the refit of the whole gas
// map, done. While the window is open the four closed-loop limits of the ECU are widened to
// 400; closing it in any state restores them. The caller shows it modally and deletes it.
#include <memory>

#include "CalibraWizard.h"
#include "GaugeCluster.h"
#include "ModalDialog.h"

class QFrame;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;
class TLiveDashboard;
class TNumericEdit;

class TFormCalibra final : public TModalDialog, public TGaugeCluster {
  Q_OBJECT
 public:
  static constexpr int kTickMs = 150;
  static constexpr int kCodeCilindrata = 0x24B;

  explicit TFormCalibra(QWidget* owner);
  ~TFormCalibra() override;

  // The tick: the live display, then one step of the wizard. A record that does not come
  // skips the tick.
  void TimerBlinkTimer();
  // Enter (13) from any control: consumed; in state 1 with the prompt shown it starts the idle
  // measurement.
  void FormKeyPress(int key);
  // Restores the four limits.
  void FormClose();
  // The form was repainted: the next tick draws both needles again.
  void FormPaint();
  // Fits the gas map through the two measured points and five anchors; false when it cannot.
  bool ComputeCalibration();

  const TCalibraWizard& Wizard() const { return *wizard_; }
  const TCalibraLimits& Limits() const { return limits_; }
  const TLiveDashboard& Dashboard() const { return *dashboard_; }

  QFrame* PanelMessaggio = nullptr;
  QLabel* LabelOperazione = nullptr;
  QLabel* LabelMessaggio = nullptr;
  QProgressBar* ProgressBarCalibra = nullptr;
  QLabel* LabelLambda = nullptr;
  QLabel* LabelTOk = nullptr;
  QLabel* LabelCilindrata = nullptr;
  TNumericEdit* EditCilindrata = nullptr;
  QLabel* LabelSvitare = nullptr;
  QLabel* LabelAvvitare = nullptr;
  QLabel* LabelOk = nullptr;
  QPushButton* ButtonEsci = nullptr;
  QTimer* TimerBlink = nullptr;

 protected:
  void done(int r) override;
  void paintEvent(QPaintEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  // KeyPreview: Enter reaches FormKeyPress from every control.
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  void CalibrationInit();
  void BuildLayout();
  void ApplyView();
  int Scaled(int v) const;

  int screenWidth_ = 800;
  std::unique_ptr<TLiveDashboard> dashboard_;
  std::unique_ptr<TCalibraWizard> wizard_;
  TCalibraLimits limits_;
  bool limitsRestored_ = false;
};
