#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCategoryAxis>
#include <QCursor>
#include <QDir>
#include <QLineSeries>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QValueAxis>

#include "ChartView.h"
#include "Grafico.h"
#include "LayoutCheck.h"
#include "MapChartModel.h"
#include "SimEcuFixture.h"

namespace {

constexpr int kGas = 0x20E, kBenzina = 0x24F;

class MapChart : public SimEcuFixture {
 protected:
  MapChart() {
    for (int j = 0; j < 12; ++j) data_.RifGiri[j] = 800 + 520 * j;
    for (int i = 0; i < 12; ++i) data_.RifMAP[i] = 20 + 18 * i;
    for (int i = 0; i < 12; ++i)
      for (int j = 0; j < 12; ++j) {
        data_.Mappa[i][j] = 500 + 60 * i + 25 * j;         // 2.0 .. 6.84 ms
        data_.MappaBenzina[i][j] = 400 + 50 * i + 20 * j;  // 1.6 .. 5.96 ms
      }
    TFormGrafico::SetInputBox([this](QWidget*, const QString& caption, const QString& prompt) {
      asked_.append(caption + "|" + prompt);
      return answer_;
    });
  }
  ~MapChart() override { TFormGrafico::SetInputBox(nullptr); }

  // A shown window, 800 x 600.
  void Show(TFormGrafico& form) {
    form.resize(800, 600);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  }
  static QPoint At(TFormGrafico& form, int s, int p) { return form.PointPosition(s, p).toPoint(); }
  // The view position of value y above point p.
  static QPoint AtValue(TFormGrafico& form, int p, double y) {
    const QPointF pos = form.PointPosition(0, p);
    const QPointF target = form.ChartView->PositionOf(QPointF(form.ChartView->ValueAt(pos).x(), y));
    return QPoint(qRound(pos.x()), qRound(target.y()));
  }
  static void Drag(TFormGrafico& form, QPoint from, std::initializer_list<QPoint> path) {
    QWidget* vp = form.ChartView->viewport();
    QTest::mousePress(vp, Qt::LeftButton, {}, from);
    for (const QPoint& to : path) QTest::mouseMove(vp, to);
    QTest::mouseRelease(vp, Qt::LeftButton, {}, *(path.end() - 1));
  }

  std::optional<QString> answer_;
  QStringList asked_;
};

}  // namespace

TEST(MapChartRules, DragValueTruncatesToATenthInsideTheLimits) {
  struct Case {
    double axis;
    std::optional<double> want;
  } cases[] = {{7.46, 7.4},          {7.4, 7.4},    {0.04, 0.0},          {-0.05, 0.0},
               {-0.1, std::nullopt}, {20.04, 20.0}, {20.1, std::nullopt}, {35, std::nullopt}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.axis);
    const std::optional<double> v = TMapChartModel::DragValue(c.axis);
    ASSERT_EQ(v.has_value(), c.want.has_value());
    if (v) {
      EXPECT_NEAR(*v, *c.want, 1e-12);
    }
  }
  using P = std::pair<int, int>;
  EXPECT_EQ(TMapChartModel::StepCursor(5, 5, -9, 0, 100, 80), P(0, 5));
  EXPECT_EQ(TMapChartModel::StepCursor(95, 75, 9, 9, 100, 80), P(99, 79));
}

TEST_F(MapChart, RowPromptsHideAndShowOnlyValidRows) {
  TMapChartModel m(data_);
  m.Refresh();
  struct Case {
    bool show;
    const char* answer;
    bool changed;
  } cases[] = {{false, "13", false}, {false, "0", false},   {false, "x", false}, {false, "", false},
               {false, "3", true},   {false, " 12 ", true}, {true, "13", false}, {true, "-1", false},
               {true, "3", true},    {true, "0", true}};
  const int visibleAfter[] = {12, 12, 12, 12, 11, 10, 10, 10, 11, 12};
  int k = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answer);
    EXPECT_EQ(c.show ? m.ShowRow(c.answer) : m.HideRow(c.answer), c.changed);
    int visible = 0;
    for (int s = 0; s < 12; ++s) visible += m.Visible(s);
    EXPECT_EQ(visible, visibleAfter[k++]);
  }
  EXPECT_FALSE(m.HideHighlighted());
  m.SetHighlighted(4, true);
  EXPECT_TRUE(m.HideHighlighted());
  EXPECT_FALSE(m.Visible(4));
  EXPECT_FALSE(m.Highlighted(4));
}

TEST_F(MapChart, TitlesHintsAndTheTagComeFromTheDataSet) {
  TMapChartModel m(data_);
  m.SetTag(0b101);
  m.Refresh();
  EXPECT_TRUE(m.Visible(0));
  EXPECT_FALSE(m.Visible(1));
  EXPECT_TRUE(m.Visible(2));
  EXPECT_FALSE(m.Visible(11));
  const TMapChartTexts t;
  EXPECT_EQ(m.Title(0, t, ','), "riga 1 - map 0,39");  // 20 x 5 / 255 = 0.392 V
  EXPECT_EQ(m.Title(11, t, ','), "riga 12 - map 4,3");
  EXPECT_EQ(m.Hint({2, 1}, t, ','), "riga 3\ncolonna 1300\nvalore 2,58");  // 1320 rpm div 50 x 50
  EXPECT_DOUBLE_EQ(m.Y(2, 1), 2.58);
}

TEST_F(MapChart, TheConstructorFollowsTheEditorsMapViewAndThePetrolFlag) {
  QWidget editor;
  auto* petrol = new QRadioButton(&editor);
  petrol->setObjectName("CheckMappaBenzina");
  petrol->setChecked(true);
  {
    TFormGrafico form(&editor, false);
    EXPECT_TRUE(form.MenuMappaBenzina->isChecked());
    EXPECT_TRUE(form.Model().Benzina());
    EXPECT_EQ(form.Chart1->title(), "Mappa di carburazione<br>BENZINA");
    EXPECT_EQ(form.windowTitle(), "Grafico della mappa");
    EXPECT_FALSE(form.MenuAnnullaInterpola->isVisible());
    EXPECT_FALSE(form.MenuStampa->isVisible());
    EXPECT_EQ(form.AxisLeft->titleText(), "Apertura attuatore");
    EXPECT_EQ(form.AxisBottom->titleText(), "Giri motore");
  }
  data_.HasMappaBenzina = false;
  petrol->setChecked(false);
  TFormGrafico form(&editor, true);
  EXPECT_TRUE(form.MenuMappaGas->isChecked());
  EXPECT_FALSE(form.MenuMappaBenzina->isVisible());
  EXPECT_FALSE(form.MenuMappaBenzina->isEnabled());
  EXPECT_TRUE(form.MenuAnnullaInterpola->isVisible());
  EXPECT_TRUE(form.MenuScaricaMappa->isVisible());
}

TEST_F(MapChart, DraggingAPointTruncatesToATenthAndWritesTheCellOnTheDrop) {
  TFormGrafico form(nullptr, false);
  Show(form);
  EXPECT_EQ(form.Series[2]->at(5).y(), 2.98);  // 500 + 120 + 125 = 745 raw
  const QPoint from = At(form, 2, 5);
  const QPoint to = AtValue(form, 5, 5.46);
  Drag(form, from, {from + QPoint(0, -4), to});
  EXPECT_NEAR(form.ChartView->ValueAt(to).y(), 5.46, 0.02);
  EXPECT_EQ(data_.Mappa[2][5], 1350);  // 5.4 ms
  EXPECT_EQ(ecu_.Stored(kGas, 2 * 12 + 5), 1350);
  EXPECT_EQ(CountCalls(SimOp::WriteCell, kGas), 1);
  EXPECT_EQ(CountCalls(SimOp::WriteCell, kBenzina), 0);
  EXPECT_TRUE(form.Model().Highlighted(2));
  EXPECT_EQ(form.Series[2]->pen().width(), 2);
  EXPECT_TRUE(form.Series[2]->pointLabelsVisible());
}

TEST_F(MapChart, APointDraggedPastTheLimitKeepsItsLastValueInside) {
  data_.Mappa[11][0] = 4750;  // 19 ms: the axis reaches past 20
  TFormGrafico form(nullptr, false);
  Show(form);
  ASSERT_GT(form.AxisLeft->max(), 19.6);
  const QPoint from = At(form, 11, 0);
  const QPoint below20 = AtValue(form, 0, 19.55);
  const QPoint above = AtValue(form, 0, 20.3);
  ASSERT_GT(above.y(), 0);
  Drag(form, from, {from + QPoint(0, -5), below20, above});
  EXPECT_EQ(data_.Mappa[11][0], 4875);  // 19.5 ms
  EXPECT_DOUBLE_EQ(form.Model().Y(11, 0), 19.5);
}

TEST_F(MapChart, ADragDroppedOutsideTheChartWritesNothing) {
  QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
  TFormGrafico form(nullptr, false);
  Show(form);
  const QPoint from = At(form, 4, 3);
  const QPoint to = AtValue(form, 3, 5.0);
  QWidget* vp = form.ChartView->viewport();
  QTest::mousePress(vp, Qt::LeftButton, {}, from);
  QTest::mouseMove(vp, from + QPoint(0, -5));
  QTest::mouseMove(vp, to);
  QTest::mouseRelease(vp, Qt::LeftButton, {}, QPoint(-20, to.y()));
  EXPECT_NEAR(form.Model().Y(4, 3), 5.0, 0.1);  // moved on the chart
  EXPECT_EQ(data_.Mappa[4][3], 815);            // not written
  EXPECT_EQ(CountCalls(SimOp::WriteCell, kGas), 0);
  // A click on a point without moving writes nothing, and hints come back afterwards.
  QTest::mouseClick(vp, Qt::LeftButton, {}, At(form, 6, 6));
  QTest::mouseMove(vp, At(form, 6, 6));
  EXPECT_EQ(CountCalls(SimOp::WriteCell, kGas), 0);
  EXPECT_EQ(form.Hint(), "riga 7\ncolonna 3900\nvalore 4,04");
  QLocale::setDefault(QLocale::c());
}

TEST_F(MapChart, ShiftAndArrowsMoveThePointByGrowingStepsAndWriteEachStep) {
  QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
  TFormGrafico form(nullptr, false);
  Show(form);
  const QPoint start = At(form, 3, 4);
  QCursor::setPos(form.ChartView->mapToGlobal(start));
  QTest::keyPress(&form, Qt::Key_Shift, Qt::ShiftModifier);
  EXPECT_EQ(form.Model().KeyPoint(), (TMapChartModel::TPointRef{3, 4}));
  EXPECT_TRUE(form.Model().Highlighted(3));
  EXPECT_EQ(form.ChartView->viewport()->cursor().shape(), Qt::SizeVerCursor);
  // Held Up: 1, 2, 3 pixels per repeat.
  int y = start.y();
  for (int step = 1; step <= 3; ++step) {
    QTest::keyPress(&form, Qt::Key_Up, Qt::ShiftModifier);
    y -= step;
    const QPoint now = form.ChartView->mapFromGlobal(QCursor::pos());
    EXPECT_EQ(now.y(), y);
    const double v = form.ChartView->ValueAt(now).y();  // not rounded to a tenth
    EXPECT_DOUBLE_EQ(form.Model().Y(3, 4), v);
    EXPECT_EQ(data_.Mappa[3][4], static_cast<int>(v * 250 + 0.5));
  }
  EXPECT_EQ(CountCalls(SimOp::WriteCell, kGas), 3);
  EXPECT_EQ(form.Model().Step(), 4);
  // A key-up restarts the step; Shift up drops the keyboard point.
  QTest::keyRelease(&form, Qt::Key_Up, Qt::ShiftModifier);
  EXPECT_EQ(form.Model().Step(), 1);
  QTest::keyRelease(&form, Qt::Key_Shift, Qt::NoModifier);
  EXPECT_FALSE(form.Model().KeyPoint().IsValid());
  EXPECT_FALSE(form.Model().Highlighted(3));
  EXPECT_EQ(form.ChartView->viewport()->cursor().shape(), Qt::ArrowCursor);
  // Arrows without Shift only move the cursor.
  QTest::keyPress(&form, Qt::Key_Right);
  EXPECT_EQ(form.ChartView->mapFromGlobal(QCursor::pos()), QPoint(start.x() + 1, y));
  EXPECT_EQ(CountCalls(SimOp::WriteCell, kGas), 3);
  QLocale::setDefault(QLocale::c());
}

TEST_F(MapChart, AKeyStepOutOfRangeShowsTheNoCursorAndWritesNothing) {
  data_.Mappa[0][0] = 2;  // 0.008 ms, right at the bottom
  TFormGrafico form(nullptr, false);
  Show(form);
  const QPoint start = At(form, 0, 0);
  QCursor::setPos(form.ChartView->mapToGlobal(start));
  QTest::keyPress(&form, Qt::Key_Shift, Qt::ShiftModifier);
  ASSERT_TRUE(form.Model().KeyPoint().IsValid());
  for (int k = 0; k < 6; ++k) QTest::keyPress(&form, Qt::Key_Down, Qt::ShiftModifier);
  EXPECT_LT(form.ChartView->ValueAt(form.ChartView->mapFromGlobal(QCursor::pos())).y(), 0);
  EXPECT_EQ(form.ChartView->viewport()->cursor().shape(), Qt::ForbiddenCursor);
  EXPECT_GE(form.Model().Y(0, 0), 0);
  EXPECT_EQ(CountCalls(SimOp::WriteCell, kGas), 0);
}

TEST_F(MapChart, WithThePetrolMapShownEveryEditChangesThePetrolMapOnly) {
  TFormGrafico form(nullptr, false);
  Show(form);
  form.MenuMappaBenzina->trigger();
  EXPECT_EQ(form.Chart1->title(), "Mappa di carburazione<br>BENZINA");
  EXPECT_DOUBLE_EQ(form.Series[1]->at(2).y(), 1.96);  // 400 + 50 + 40 = 490 raw
  const QPoint from = At(form, 1, 2);
  Drag(form, from, {from + QPoint(0, -4), AtValue(form, 2, 3.05)});
  EXPECT_EQ(data_.MappaBenzina[1][2], 750);  // 3.0 ms
  QCursor::setPos(form.ChartView->mapToGlobal(At(form, 5, 5)));
  QTest::keyPress(&form, Qt::Key_Shift, Qt::ShiftModifier);
  QTest::keyPress(&form, Qt::Key_Up, Qt::ShiftModifier);
  EXPECT_EQ(CountCalls(SimOp::WriteCell, kBenzina), 2);
  EXPECT_EQ(CountCalls(SimOp::WriteCell, kGas), 0);
  EXPECT_EQ(data_.Mappa[1][2], 610);
  EXPECT_EQ(data_.Mappa[5][5], 925);
  // Back to gas: the chart shows the gas map again.
  form.MenuMappaGas->trigger();
  EXPECT_DOUBLE_EQ(form.Series[1]->at(2).y(), 2.44);
}

TEST_F(MapChart, EscClearsHighlightsFirstAndClosesWhenThereAreNone) {
  TFormGrafico form(nullptr, false);
  Show(form);
  QTest::mouseClick(form.ChartView->viewport(), Qt::LeftButton, {}, At(form, 8, 2));
  ASSERT_TRUE(form.Model().Highlighted(8));
  QTest::keyClick(&form, Qt::Key_Escape);
  EXPECT_FALSE(form.Model().Highlighted(8));
  EXPECT_EQ(form.Series[8]->pen().width(), 1);
  EXPECT_TRUE(form.isVisible());
  QTest::keyClick(&form, Qt::Key_Escape);
  EXPECT_FALSE(form.isVisible());
}

TEST_F(MapChart, InsAndDelAskForARowOrHideTheHighlightedOnes) {
  TFormGrafico form(nullptr, false);
  Show(form);
  answer_ = "13";
  QTest::keyClick(&form, Qt::Key_Delete);
  ASSERT_EQ(asked_.size(), 1);
  EXPECT_EQ(asked_[0], "Cancella riga|Immettere la riga da cancellare (1-12)");
  for (QLineSeries* s : form.Series) EXPECT_TRUE(s->isVisible());
  answer_ = "4";
  QTest::keyClick(&form, Qt::Key_Delete);
  EXPECT_FALSE(form.Series[3]->isVisible());
  // A highlighted row is hidden without asking.
  QTest::mouseClick(form.ChartView->viewport(), Qt::LeftButton, {}, At(form, 9, 1));
  QTest::keyClick(&form, Qt::Key_Delete);
  EXPECT_EQ(asked_.size(), 2);
  EXPECT_FALSE(form.Series[9]->isVisible());
  answer_ = "0";
  QTest::keyClick(&form, Qt::Key_Insert);
  EXPECT_EQ(asked_.back(), "Inserisci riga|Immettere la riga da visualizzare (1-12)");
  for (QLineSeries* s : form.Series) EXPECT_TRUE(s->isVisible());
  // A new map choice brings back the Tag's rows.
  form.Tag = 1;
  form.MenuMappaGas->trigger();
  EXPECT_TRUE(form.Series[0]->isVisible());
  EXPECT_FALSE(form.Series[1]->isVisible());
}

TEST_F(MapChart, ZoomSetsTheAutomaticStepAndUndoingItBringsBackTheThousands) {
  TFormGrafico form(nullptr, false);
  Show(form);
  EXPECT_DOUBLE_EQ(form.Increment(), 1000);
  EXPECT_EQ(form.AxisBottom->categoriesLabels().first(), "1000");
  const QPoint a = At(form, 0, 2) + QPoint(-10, -200), b = At(form, 0, 6) + QPoint(10, 0);
  QWidget* vp = form.ChartView->viewport();
  QTest::mousePress(vp, Qt::LeftButton, {}, a);
  QTest::mouseMove(vp, b);
  QTest::mouseRelease(vp, Qt::LeftButton, {}, b);
  ASSERT_TRUE(form.Zoom().IsZoomed());
  EXPECT_DOUBLE_EQ(form.Increment(), 0);
  // In rpm, whatever the axis scale.
  EXPECT_NEAR(form.Zoom().X().min, 1840, 200);
  EXPECT_NEAR(form.Zoom().X().max, 3920, 200);
  // The log item off and on again while zoomed: still automatic.
  form.MenuScalaLog->trigger();
  EXPECT_DOUBLE_EQ(form.Increment(), 0);
  form.MenuScalaLog->trigger();
  EXPECT_DOUBLE_EQ(form.Increment(), 0);
  QTest::keyClick(&form, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_FALSE(form.Zoom().IsZoomed());
  EXPECT_DOUBLE_EQ(form.Increment(), 1000);
  form.MenuScalaLog->trigger();  // linear: automatic
  EXPECT_DOUBLE_EQ(form.Increment(), 0);
}

TEST_F(MapChart, InterpolationModeAsksOnClosing) {
  struct Case {
    int answer;
    bool undoneBefore;
    int asked;
  } cases[] = {{PromptYes, false, 1}, {PromptNo, false, 1}, {PromptYes, true, 0}};
  for (const Case& c : cases) {
    prompts_.Clear();
    prompts_.Answer(c.answer);
    TFormGrafico form(nullptr, true);
    Show(form);
    if (c.undoneBefore) QTest::keyClick(&form, Qt::Key_Backspace);
    form.close();
    ASSERT_EQ(static_cast<int>(prompts_.Shown().size()), c.asked);
    if (c.asked) {
      EXPECT_EQ(prompts_.Shown()[0].text, "Scaricare la mappa interpolata in centralina ?");
      EXPECT_EQ(prompts_.Shown()[0].caption, "Grafico della mappa");
      EXPECT_EQ(prompts_.Shown()[0].icon, PromptIcon::Warning);
      EXPECT_EQ(prompts_.Shown()[0].buttons, PromptYesNo);
    }
  }
}

TEST_F(MapChart, Screenshot) {
  QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
  TFormGrafico form(nullptr, false);
  Show(form);
  QTest::mouseClick(form.ChartView->viewport(), Qt::LeftButton, {}, At(form, 5, 4));
  const QString dir = QDir::current().filePath(QStringLiteral("test-results/screenshots"));
  QDir().mkpath(dir);
  EXPECT_TRUE(form.grab().save(dir + QStringLiteral("/grafico_mappa.png"), "PNG"));
  EXPECT_TRUE(ControlsKeepLayout(&form));
  QLocale::setDefault(QLocale::c());
}
