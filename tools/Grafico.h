#pragma once
// "Grafico della mappa": the 12 x 12 carburation map as 12 line charts, one per MAP row, over
// the rpm breakpoints. The user reshapes the map by dragging points with the mouse (written on
// the drop) or by moving the cursor with Shift and the arrow keys (written at each step). The
// creator sets the Tag (bit i: row i shown), shows the window modally and deletes it.
#include <QList>
#include <functional>
#include <optional>

#include "ChartZoom.h"
#include "MapChartModel.h"
#include "ModalDialog.h"

class QAction;
class QActionGroup;
class QCategoryAxis;
class QChart;
class QLineSeries;
class QMenu;
class QMouseEvent;
class QValueAxis;
class TChartView;

class TFormGrafico final : public TModalDialog {
  Q_OBJECT
 public:
  // interpolation: the window shows a freshly interpolated map (undo and write items, the
  // question on closing). The shown map follows the editor's "CheckMappaBenzina" button when
  // the owner's window has one.
  TFormGrafico(QWidget* owner, bool interpolation);

  // The map chart command: flag false, all 12 rows, modal, then deleted.
  static void ShowMapChart(QWidget* owner);

  // The row prompts (caption, prompt; the answer, or none when cancelled). Tests script them.
  using InputBox =
      std::function<std::optional<QString>(QWidget* owner, const QString& caption, const QString& prompt)>;
  static void SetInputBox(InputBox box);

  int Tag = TMapChartModel::kAllRows;

  void RefreshMapChart();
  void FormShow();
  void MenuInsertClick();
  void MenuDeleteClick();
  void MenuScalaLogClick();
  void MenuAnnullaZoomClick();
  void MenuAnnullaInterpolaClick();
  void MenuScaricaMappaClick();
  void MenuSelezionaMappaClick(QAction* sender);

  const TMapChartModel& Model() const { return model_; }
  const TChartZoom& Zoom() const { return zoom_; }
  // The bottom axis' label step: 1000 on the logarithmic axis while not zoomed, else 0
  // (automatic).
  double Increment() const { return increment_; }
  // The hint of the point under the mouse; empty when hints are off.
  const QString& Hint() const { return hint_; }
  // The view position of point p of series s.
  QPointF PointPosition(int s, int p) const;

  QChart* Chart1 = nullptr;
  TChartView* ChartView = nullptr;
  QValueAxis* AxisLeft = nullptr;
  QCategoryAxis* AxisBottom = nullptr;
  QList<QLineSeries*> Series;
  QMenu* PopupMenu1 = nullptr;
  QAction* MenuInsert = nullptr;
  QAction* MenuDelete = nullptr;
  QAction* MenuScalaLog = nullptr;
  QAction* MenuStampa = nullptr;
  QAction* MenuAnnullaZoom = nullptr;
  QAction* N3 = nullptr;
  QAction* MenuAnnullaInterpola = nullptr;
  QAction* MenuScaricaMappa = nullptr;
  QAction* MenuMappaGas = nullptr;
  QAction* MenuMappaBenzina = nullptr;

 protected:
  void showEvent(QShowEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void keyReleaseEvent(QKeyEvent* e) override;
  void closeEvent(QCloseEvent* e) override;

 private:
  bool Chart1MouseDown(QMouseEvent* e);
  bool Chart1MouseMove(QMouseEvent* e);
  bool Chart1MouseUp(QMouseEvent* e);
  void Chart1ClickSeries(int s);
  void ArrowKey(int dx, int dy, bool shift);
  void SetTitle();
  // Redraws series s from the model (points, highlight).
  void PaintSeries(int s);
  void UpdateAxes();
  double AxisX(double rpm) const;
  double RpmOfAxis(double x) const;
  TMapChartModel::PixelOf PixelOf() const;
  QPointF CursorInView() const;

  TMapChartModel model_;
  TMapChartTexts texts_;
  TChartZoom zoom_;
  double increment_ = 1000;
  bool interpolation_ = false;
  bool interpolationUndone_ = false;
  bool pressed_ = false;  // a point was pressed: the drag starts after 3 pixels
  bool dragStarted_ = false;
  QPoint pressPos_;
  QString hint_;
  QString prompt492_, prompt494_, caption491_, caption493_, question495_;
};
