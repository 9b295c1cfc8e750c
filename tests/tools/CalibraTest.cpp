// The calibration wizard: its states tick by tick, the two measurements over lambda half periods,
// the refit of the gas map, the widened limits, and the window against the simulated engine.
#include <gtest/gtest.h>

#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cmath>
#include <functional>

#include "AcquisitionStore.h"
#include "Calibra.h"
#include "CalibraWizard.h"
#include "EcuValueCodes.h"
#include "Language.h"
#include "NumericEdit.h"
#include "SimEcuFixture.h"

namespace {

std::array<QString, TCalibraWizard::kTextCount> Texts() {
  std::array<QString, TCalibraWizard::kTextCount> t;
  for (int i = 0; i < TCalibraWizard::kTextCount; ++i) t[i] = QStringLiteral("T%1").arg(395 + i);
  t[399 - 395] = QStringLiteral("Portare il motore a circa %n giri, %n");
  return t;
}

constexpr double kRef = 0.45;  // lambda reference, V

// Feeds a wizard with records: rpm, and a lambda that stays `side` ticks on each side of the
// reference.
class Feeder {
 public:
  explicit Feeder(TCalibraWizard& w) : w_(w) {}
  TCalibraInput in{1000, 0.2, 0.8, 3.0, LiveDataRecord::kFlagGas, 60.0};

  // From the next tick on, `ticks` on each side, starting below the reference.
  void SetSide(int ticks) {
    side_ = ticks;
    count_ = 0;
  }

  // n ticks; returns whether the computation came due on the last one.
  bool Tick(int n = 1) {
    bool due = false;
    for (int i = 0; i < n; ++i) {
      in.lambda = (count_++ / side_) % 2 ? 0.7 : 0.2;
      due = w_.Tick(in);
    }
    return due;
  }
  // Up to the prompt of state 1 and Enter.
  void ToIdleMeasure() {
    Tick(10 + 21);
    ASSERT_TRUE(w_.KeyEnter());
  }

 private:
  TCalibraWizard& w_;
  int side_ = 6;
  int count_ = 0;
};

}  // namespace

TEST(CalibraWizard, WarmUpNeedsTenTicksOnGasAtFortyFiveDegrees) {
  TCalibraWizard w(Texts(), kRef, false);
  EXPECT_EQ(w.View().operazione, QStringLiteral("T396 T397"));
  EXPECT_EQ(w.View().messaggio, QStringLiteral("T395"));
  EXPECT_FALSE(w.View().messaggioVisible);
  EXPECT_FALSE(w.View().progressVisible);
  EXPECT_EQ(w.Text(399), QStringLiteral("Portare il motore a circa 2000 giri, %n"));
  Feeder f(w);
  f.in.temperature = 44.9;
  f.Tick(100);
  EXPECT_EQ(w.GetState(), TCalibraWizard::WarmUp);
  f.in.temperature = 45.0;
  f.Tick(9);
  f.in.flags = 0;  // one tick on petrol restarts the count
  f.Tick();
  f.in.flags = LiveDataRecord::kFlagGas;
  f.Tick(9);
  EXPECT_EQ(w.GetState(), TCalibraWizard::WarmUp);
  f.Tick();
  EXPECT_EQ(w.GetState(), TCalibraWizard::IdleCheck);
  EXPECT_EQ(w.View().operazione, QStringLiteral("T398"));
  EXPECT_FALSE(w.View().messaggioVisible);
}

TEST(CalibraWizard, IdlePromptOnTheTwentyFirstTickAndEnterOnlyThen) {
  TCalibraWizard w(Texts(), kRef, false);
  Feeder f(w);
  f.Tick(10);
  ASSERT_EQ(w.GetState(), TCalibraWizard::IdleCheck);
  f.Tick(15);
  f.in.rpm = 1100;  // not idle: the count starts again
  f.Tick();
  f.in.rpm = 900;
  f.Tick(20);
  EXPECT_FALSE(w.View().messaggioVisible);
  EXPECT_FALSE(w.KeyEnter());
  EXPECT_EQ(w.GetState(), TCalibraWizard::IdleCheck);
  f.Tick();
  EXPECT_TRUE(w.View().messaggioVisible);
  // A shown prompt stays when the engine revs.
  f.in.rpm = 3000;
  f.Tick(5);
  EXPECT_TRUE(w.View().messaggioVisible);
  EXPECT_TRUE(w.KeyEnter());
  EXPECT_EQ(w.GetState(), TCalibraWizard::IdleMeasure);
  EXPECT_EQ(w.View().operazione, QStringLiteral("T400"));
  EXPECT_FALSE(w.View().messaggioVisible);
  EXPECT_TRUE(w.View().progressVisible);
  EXPECT_EQ(w.View().progress, 0);
  EXPECT_FALSE(w.KeyEnter());
}

TEST(CalibraWizard, SamplesOnlyOverHalfPeriodsOfTwoToThirtyNineTicks) {
  // Ticks on each side of the reference -> half-period counter at each transition.
  struct Case {
    int side;
    bool samples;
  };
  for (const Case c : {Case{1, false}, Case{2, false}, Case{3, true}, Case{40, true}, Case{41, false}}) {
    SCOPED_TRACE(c.side);
    TCalibraWizard w(Texts(), kRef, false);
    Feeder f(w);
    f.ToIdleMeasure();
    f.SetSide(c.side);
    f.Tick(c.side * 12);
    EXPECT_EQ(w.SampleCount() > 0 || w.GetState() == TCalibraWizard::Measure2000, c.samples);
  }
}

TEST(CalibraWizard, IdleMeasurementTakesFiveSamplesAndTheirMeans) {
  TCalibraWizard w(Texts(), kRef, true);  // probe type bit set: above the reference is good
  Feeder f(w);
  f.ToIdleMeasure();
  // Samples at each transition: rpm 800 + 10 k, MAP and injection growing.
  int taken = 0;
  int rpmSum = 0;
  double mapSum = 0, injSum = 0;
  for (int tick = 0; w.GetState() == TCalibraWizard::IdleMeasure && tick < 200; ++tick) {
    f.in.rpm = 800 + tick;
    f.in.mapVolts = 0.5 + 0.01 * tick;
    f.in.injectionMs = 2.0 + 0.1 * tick;
    const bool before = w.LambdaState();
    const int counter = w.HalfPeriodCounter();
    f.Tick();
    if (before != w.LambdaState() && counter > 1 && counter < 40) {
      ++taken;
      rpmSum += f.in.rpm;
      mapSum += f.in.mapVolts;
      injSum += f.in.injectionMs;
      if (taken < 5) {
        EXPECT_EQ(w.View().progress, taken * 20);
      }
    }
  }
  ASSERT_EQ(taken, 5);
  ASSERT_EQ(w.GetState(), TCalibraWizard::Measure2000);
  EXPECT_EQ(w.IdleMean().rpm, rpmSum / 5);
  EXPECT_DOUBLE_EQ(w.IdleMean().mapVolts, 0.2 * mapSum);
  EXPECT_DOUBLE_EQ(w.IdleMean().injectionMs, 0.2 * injSum);
  EXPECT_EQ(w.View().operazione, QStringLiteral("Portare il motore a circa 2000 giri, %n"));
  EXPECT_EQ(w.View().messaggio, QStringLiteral("T401"));
  EXPECT_FALSE(w.View().messaggioVisible);
  EXPECT_EQ(w.View().progress, 0);
  EXPECT_EQ(w.SampleCount(), 0);
}

TEST(CalibraWizard, OneTickOffIdleDiscardsTheIdleSamples) {
  TCalibraWizard w(Texts(), kRef, false);
  Feeder f(w);
  f.ToIdleMeasure();
  f.Tick(6 * 4);
  ASSERT_GT(w.SampleCount(), 0);
  f.in.rpm = 1100;
  f.Tick();
  EXPECT_EQ(w.SampleCount(), 0);
  EXPECT_EQ(w.View().progress, 0);
  EXPECT_EQ(w.GetState(), TCalibraWizard::IdleMeasure);
}

TEST(CalibraWizard, MeasurementAt2000KeepsSamplesForFortyTicksOutside) {
  TCalibraWizard w(Texts(), kRef, false);
  Feeder f(w);
  f.ToIdleMeasure();
  f.Tick(6 * 7);
  ASSERT_EQ(w.GetState(), TCalibraWizard::Measure2000);
  // The window's ends are outside; the first tick outside restarts at once, prompt hidden.
  for (int rpm : {1850, 2150}) {
    f.in.rpm = rpm;
    f.Tick();
    EXPECT_FALSE(w.View().messaggioVisible);
  }
  f.in.rpm = 1851;
  f.SetSide(3);
  f.Tick();
  EXPECT_TRUE(w.View().messaggioVisible);
  f.Tick(10);
  const int kept = w.SampleCount();
  ASSERT_GT(kept, 0);
  ASSERT_LT(kept, 5);
  f.in.rpm = 2150;
  f.Tick(40);
  EXPECT_EQ(w.SampleCount(), kept);
  EXPECT_TRUE(w.View().messaggioVisible);
  f.Tick();
  EXPECT_EQ(w.SampleCount(), 0);
  EXPECT_FALSE(w.View().messaggioVisible);
  // Back inside: five samples, then the computation is due on the next tick.
  f.in.rpm = 2149;
  for (int i = 0; i < 100 && w.GetState() == TCalibraWizard::Measure2000; ++i) EXPECT_FALSE(f.Tick());
  ASSERT_EQ(w.GetState(), TCalibraWizard::Computation);
  EXPECT_EQ(w.Mean2000().rpm, 2149);
  EXPECT_EQ(w.View().messaggio, QStringLiteral("T404"));
  EXPECT_TRUE(f.Tick());
  w.ComputationDone(false);
  EXPECT_EQ(w.GetState(), TCalibraWizard::Done);
  EXPECT_EQ(w.View().messaggio, QStringLiteral("T403"));
  EXPECT_TRUE(w.View().messaggioVisible);
  EXPECT_FALSE(w.View().operazioneVisible);
  EXPECT_FALSE(w.View().progressVisible);
  EXPECT_FALSE(f.Tick(50));
  EXPECT_FALSE(w.KeyEnter());
}

// ---- against the simulated ECU ------------------------------------------------------------

namespace {

class Calibra : public SimEcuFixture {
 protected:
  Calibra() {
    previousStore_ = DatiMappati;
    DatiMappati = &store_;
    data_.ReadAll();
    ecu_.ClearCalls();
  }
  ~Calibra() override { DatiMappati = previousStore_; }

  int32_t EcuMap(int r, int c) const { return ecu_.Stored(0x20E, r * 12 + c); }
  int Limit(int i) { return ecu_.Stored(TCalibraLimits::kCodes[i]); }

  // Ticks 150 ms apart until pred holds; false after maxTicks.
  bool RunUntil(TFormCalibra& form, const std::function<bool()>& pred, int maxTicks = 3000) {
    for (int i = 0; i < maxTicks; ++i) {
      if (pred()) return true;
      clock_.Advance(TFormCalibra::kTickMs);
      form.TimerBlinkTimer();
    }
    return pred();
  }

  TDatiMappati store_;
  TDatiMappati* previousStore_ = nullptr;
};

}  // namespace

TEST_F(Calibra, ComputationFitsTheGasMapThroughTheMeasuredPointsAndAnchors) {
  int32_t before[12][12];
  std::memcpy(before, data_.Mappa, sizeof before);
  const TCalibraPoint idle{820, 0.52, 2.6};
  const TCalibraPoint at2000{2010, 0.78, 4.1};
  ASSERT_TRUE(ComputeCalibration(idle, at2000, store_));
  // The seven points: the two measured ones first, the anchors by the present map, in us.
  ASSERT_EQ(store_.Count(), 7);
  std::vector<std::array<int, 2>> values;
  for (const MapSample& s : store_.Samples()) values.push_back({s.rpm, s.value});
  EXPECT_NE(std::find(values.begin(), values.end(), std::array<int, 2>{820, 2600}), values.end());
  EXPECT_NE(std::find(values.begin(), values.end(), std::array<int, 2>{2010, 4100}), values.end());
  for (const auto& [r, c] : kCalibraAnchors) {
    const std::array<int, 2> anchor{data_.GetRifGiri(c), EcuConv::Trunc(before[r][c] * 0.004 * 1000)};
    EXPECT_NE(std::find(values.begin(), values.end(), anchor), values.end()) << r << "," << c;
  }
  // The whole map is written to the ECU; the anchors keep their cells (to within the
  // millivolt the store keeps MAP in).
  EXPECT_EQ(CountCalls(SimOp::WriteCell, 0x20E), 144);
  for (int r = 0; r < 12; ++r)
    for (int c = 0; c < 12; ++c) ASSERT_EQ(EcuMap(r, c), data_.Mappa[r][c]);
  for (const auto& [r, c] : kCalibraAnchors) EXPECT_NEAR(data_.Mappa[r][c], before[r][c], 3);
  EXPECT_NE(std::memcmp(before, data_.Mappa, sizeof before), 0);
}

TEST_F(Calibra, ComputationThatCannotFitLeavesTheMap) {
  for (int32_t& v : data_.RifMAP) v = 0;  // no MAP axis to fit over
  int32_t before[12][12];
  std::memcpy(before, data_.Mappa, sizeof before);
  EXPECT_FALSE(ComputeCalibration({800, 0.5, 2.5}, {2000, 0.8, 4.0}, store_));
  EXPECT_EQ(std::memcmp(before, data_.Mappa, sizeof before), 0);
  EXPECT_EQ(CountCalls(SimOp::WriteCell, 0x20E), 0);
}

TEST_F(Calibra, LimitsAreWidenedWhileOpenAndRestoredOnClose) {
  const int saved[4] = {Limit(0), Limit(1), Limit(2), Limit(3)};
  {
    TFormCalibra form(nullptr);
    form.TimerBlink->stop();
    EXPECT_EQ(Limit(0), 400);
    EXPECT_EQ(Limit(1), -400);
    EXPECT_EQ(Limit(2), 400);
    EXPECT_EQ(Limit(3), -400);
    EXPECT_EQ(form.EditCilindrata->GetInt(), EcuConv::Trunc(data_.GetValue(0x24B)));
    ecu_.ClearCalls();
    form.ButtonEsci->click();
    EXPECT_EQ(form.result(), TModalDialog::mrCancel);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(Limit(i), saved[i]);
    // In code order.
    std::vector<int> order;
    for (const SimCall& c : ecu_.Calls())
      if (c.op == SimOp::WriteVariable) order.push_back(c.code);
    EXPECT_EQ(order, std::vector<int>(TCalibraLimits::kCodes.begin(), TCalibraLimits::kCodes.end()));
    ecu_.ClearCalls();
  }
  // Deleting the closed window writes nothing more.
  EXPECT_EQ(ecu_.CountCalls(SimOp::WriteVariable), 0);
  {
    // Deleted without being closed: restored all the same.
    TFormCalibra form(nullptr);
    EXPECT_EQ(Limit(0), 400);
  }
  for (int i = 0; i < 4; ++i) EXPECT_EQ(Limit(i), saved[i]);
}

TEST_F(Calibra, RefusedRecordSkipsTheTick) {
  ecu_.StartEngine(60.0);
  TFormCalibra form(nullptr);
  form.TimerBlink->stop();
  ecu_.SetNoAnswer(true);
  ASSERT_FALSE(RunUntil(
      form, [&] { return form.Wizard().GetState() != TCalibraWizard::WarmUp; }, 200));
  EXPECT_EQ(form.LabelGiri->text(), QStringLiteral("0000"));
  ecu_.SetNoAnswer(false);
  EXPECT_TRUE(RunUntil(
      form, [&] { return form.Wizard().GetState() == TCalibraWizard::IdleCheck; }, 400));
}

TEST_F(Calibra, WholeRunAgainstTheSimulatedEngine) {
  int32_t before[12][12];
  std::memcpy(before, data_.Mappa, sizeof before);
  ecu_.StartEngine(15.0);
  TFormCalibra form(nullptr);
  form.TimerBlink->stop();
  form.show();
  const TCalibraWizard& w = form.Wizard();
  // Warm-up: the engine warms past 45 degrees and changes over to gas.
  ASSERT_TRUE(RunUntil(form, [&] { return w.GetState() == TCalibraWizard::IdleCheck; }));
  EXPECT_GE(ecu_.Engine().Temperature(), 45.0);
  EXPECT_TRUE(form.ImageGasOn->isVisibleTo(&form));
  EXPECT_EQ(form.LabelOperazione->text(), w.Text(398));
  // Idle: the prompt, and Enter from a control of the form.
  ASSERT_TRUE(RunUntil(
      form, [&] { return form.LabelMessaggio->isVisibleTo(&form); }, 100));
  QTest::keyClick(form.EditCilindrata, Qt::Key_Return);
  ASSERT_EQ(w.GetState(), TCalibraWizard::IdleMeasure);
  EXPECT_TRUE(form.ProgressBarCalibra->isVisibleTo(&form));
  ASSERT_TRUE(RunUntil(
      form, [&] { return form.ProgressBarCalibra->value() == 40; }, 400));
  ASSERT_TRUE(RunUntil(
      form, [&] { return w.GetState() == TCalibraWizard::Measure2000; }, 400));
  EXPECT_LT(w.IdleMean().rpm, 1100);
  EXPECT_GT(w.IdleMean().injectionMs, 0.0);
  // About 2000 rpm.
  EXPECT_EQ(form.LabelOperazione->text(), Tr(399).replace(QStringLiteral("%n"), QStringLiteral("2000")));
  ecu_.HoldRpm(2000);
  ASSERT_TRUE(RunUntil(
      form, [&] { return w.GetState() == TCalibraWizard::Computation; }, 400));
  EXPECT_EQ(w.Mean2000().rpm, 2000);
  EXPECT_TRUE(form.LabelMessaggio->isVisibleTo(&form));
  // The screenshot while the wizard measures is taken before the computation tick.
  form.FormPaint();
  const QString dir = QDir::current().filePath(QStringLiteral("test-results/screenshots"));
  QDir().mkpath(dir);
  EXPECT_TRUE(form.grab().save(dir + QStringLiteral("/calibra.png"), "PNG"));
  // The refit, written to the ECU.
  ecu_.ClearCalls();
  clock_.Advance(TFormCalibra::kTickMs);
  form.TimerBlinkTimer();
  ASSERT_EQ(w.GetState(), TCalibraWizard::Done);
  EXPECT_EQ(form.LabelMessaggio->text(), w.Text(402));
  EXPECT_TRUE(form.LabelOperazione->isHidden());
  EXPECT_TRUE(form.ProgressBarCalibra->isHidden());
  EXPECT_TRUE(form.TimerBlink->isActive());
  EXPECT_EQ(CountCalls(SimOp::WriteCell, 0x20E), 144);
  for (int r = 0; r < 12; ++r)
    for (int c = 0; c < 12; ++c) ASSERT_EQ(EcuMap(r, c), data_.Mappa[r][c]);
  EXPECT_NE(std::memcmp(before, data_.Mappa, sizeof before), 0);
  EXPECT_EQ(store_.Count(), 0);
  EXPECT_FALSE(store_.IsCellaOccupata(0, 11));
  // Done: the live part goes on, nothing more is written.
  ecu_.ClearCalls();
  RunUntil(
      form, [] { return false; }, 20);
  EXPECT_EQ(ecu_.CountCalls(SimOp::WriteCell), 0);
  EXPECT_EQ(ecu_.CountCalls(SimOp::ReadPacket, 0), 20);
  form.FormPaint();
  RunUntil(
      form, [] { return false; }, 1);
  EXPECT_TRUE(form.grab().save(dir + QStringLiteral("/calibra-done.png"), "PNG"));
}

TEST_F(Calibra, FailedFitShowsTheErrorAndKeepsTheMap) {
  ecu_.StartEngine(60.0);
  TFormCalibra form(nullptr);
  form.TimerBlink->stop();
  const TCalibraWizard& w = form.Wizard();
  ASSERT_TRUE(RunUntil(form, [&] { return form.LabelMessaggio->isVisibleTo(&form); }));
  form.FormKeyPress(13);
  ASSERT_TRUE(RunUntil(form, [&] { return w.GetState() == TCalibraWizard::Measure2000; }));
  ecu_.HoldRpm(2000);
  ASSERT_TRUE(RunUntil(form, [&] { return w.GetState() == TCalibraWizard::Computation; }));
  for (int32_t& v : data_.RifGiri) v = 0;  // nothing to fit over
  int32_t before[12][12];
  std::memcpy(before, data_.Mappa, sizeof before);
  ecu_.ClearCalls();
  RunUntil(
      form, [] { return false; }, 1);
  EXPECT_EQ(w.GetState(), TCalibraWizard::Done);
  EXPECT_EQ(form.LabelMessaggio->text(), QStringLiteral("ERRORE NELLA TARATURA"));
  EXPECT_EQ(std::memcmp(before, data_.Mappa, sizeof before), 0);
  EXPECT_EQ(CountCalls(SimOp::WriteCell, 0x20E), 0);
  EXPECT_EQ(store_.Count(), 0);
}

TEST_F(Calibra, EscapeLeavesTheWizardFromAnyControl) {
  const int saved = Limit(0);
  for (bool fromEdit : {false, true}) {
    TFormCalibra form(nullptr);
    form.TimerBlink->stop();
    form.show();
    QWidget* target = fromEdit ? static_cast<QWidget*>(form.EditCilindrata) : form.ButtonEsci;
    target->setFocus();
    QTest::keyClick(target, Qt::Key_Escape);
    EXPECT_TRUE(form.isHidden()) << fromEdit;
    EXPECT_EQ(form.result(), TModalDialog::mrCancel);
    EXPECT_EQ(Limit(0), saved);
  }
}
