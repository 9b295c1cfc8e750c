#pragma once
// The calibration wizard without widgets: the six states (warm-up on gas, idle check, idle
// measurement, measurement at about 2000 rpm, computation, done), the two measurements taken
// over lambda half periods, and the refit of the gas map from the two measured points and five
// anchors of the present map. The window reads the live record, feeds each one to Tick and
// shows the view.
#include <QString>
#include <array>

class TDatiMappati;
class TEcuData;

// What the wizard reads from one live record.
struct TCalibraInput {
  int rpm = 0;
  double lambda = 0.0;       // V
  double mapVolts = 0.0;     // V
  double injectionMs = 0.0;  // gas injection time
  int flags = 0;             // FLAG1
  double temperature = 0.0;  // deg C
};

// The mean of one measurement.
struct TCalibraPoint {
  int rpm = 0;
  double mapVolts = 0.0;
  double injectionMs = 0.0;
};

// The wizard's instruction, prompt and progress as the window shows them.
struct TCalibraView {
  QString operazione;  // LabelOperazione
  bool operazioneVisible = true;
  QString messaggio;  // LabelMessaggio
  bool messaggioVisible = false;
  int progress = 0;  // ProgressBarCalibra, 0..100
  bool progressVisible = false;
};

class TCalibraWizard {
 public:
  enum State : int { WarmUp = 0, IdleCheck = 1, IdleMeasure = 2, Measure2000 = 3, Computation = 4, Done = 5 };

  static constexpr int kFirstText = 395;  // message texts 395..404
  static constexpr int kTextCount = 10;
  static constexpr int kTargetRpm = 2000;
  static constexpr double kWarmCelsius = 45.0;
  static constexpr int kWarmTicks = 10;
  static constexpr int kIdlePromptTicks = 20;
  static constexpr int kIdleRpmLimit = 1100;  // idle below this
  static constexpr int kBandLow = 1850;       // the 2000 rpm window, both ends excluded
  static constexpr int kBandHigh = 2150;
  static constexpr int kOutOfBandTicks = 40;
  static constexpr int kSamples = 5;
  static constexpr int kMinHalfPeriod = 2;  // in-band ticks without a lambda transition
  static constexpr int kMaxHalfPeriod = 39;

  // texts: message texts 395..404 in order; text 399's first "%n" is replaced by 2000 here.
  TCalibraWizard(const std::array<QString, kTextCount>& texts, double lambdaReference, bool lambdaTypeBit0);

  // One live record: the lambda side, then one step of the state machine. True when the
  // computation is due (state 4): the caller runs ComputeCalibration and hands the result to
  // ComputationDone before the next tick.
  bool Tick(const TCalibraInput& in);
  // Enter: in state 1 with the prompt shown it starts the idle measurement. True when it did.
  bool KeyEnter();
  // The result of the computation: the final message, state 5.
  void ComputationDone(bool ok);

  int GetState() const { return state_; }
  const TCalibraView& View() const { return view_; }
  bool LambdaState() const { return lambdaState_; }
  int SampleCount() const { return sampleCount_; }
  int HalfPeriodCounter() const { return halfPeriod_; }
  const TCalibraPoint& IdleMean() const { return idle_; }
  const TCalibraPoint& Mean2000() const { return at2000_; }
  // Message text k (395..404) as the wizard uses it.
  const QString& Text(int k) const { return texts_[k - kFirstText]; }

 private:
  // Sampling on an in-band tick; true when the measurement is complete.
  bool Sample(const TCalibraInput& in, bool transition);
  void RestartSampling();

  std::array<QString, kTextCount> texts_;
  double lambdaReference_ = 0.0;
  bool lambdaTypeBit0_ = false;
  int state_ = WarmUp;
  int phase_ = 0;
  int halfPeriod_ = 0;
  int outOfBand_ = 0;
  int sampleCount_ = 0;
  long long rpmSum_ = 0;
  double mapSum_ = 0.0;
  double injectionSum_ = 0.0;
  bool lambdaState_ = false;
  bool previousLambdaState_ = false;
  TCalibraPoint idle_;
  TCalibraPoint at2000_;
  TCalibraView view_;
};

// The map cells whose present values anchor the refit, as (MAP row, rpm column), in the order
// they are added.
constexpr std::array<std::array<int, 2>, 5> kCalibraAnchors{{{0, 11}, {11, 0}, {11, 11}, {11, 3}, {5, 11}}};

// Empties the store, adds the idle point, the 2000 rpm point and the five anchors of the data
// set's gas map (injection in microseconds), and fits the whole gas map of the data set
// (EcuData) through them, which writes it to the ECU. False when
// the fit cannot be made: the map then stays as it was. The store keeps the points.
bool ComputeCalibration(const TCalibraPoint& idle, const TCalibraPoint& at2000, TDatiMappati& store);

// The four closed-loop limits (value codes 0x626..0x629) widened while the wizard runs.
class TCalibraLimits {
 public:
  static constexpr std::array<int, 4> kCodes{0x626, 0x627, 0x628, 0x629};
  static constexpr double kWide = 400.0;

  // Saves the present values (truncated) and sets each to 400.0, in code order.
  void Widen(TEcuData& data);
  // Writes the saved values back, in code order.
  void Restore(TEcuData& data) const;
  const std::array<int, 4>& Saved() const { return saved_; }

 private:
  std::array<int, 4> saved_{};
};
