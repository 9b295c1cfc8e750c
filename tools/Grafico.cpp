#include "Grafico.h"

#include <QAbstractButton>
#include <QAction>
#include <QActionGroup>
#include <QCategoryAxis>
#include <QChart>
#include <QCloseEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLineSeries>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValueAxis>
#include <cmath>

#include "ChartView.h"
#include "DecimalText.h"
#include "EcuData.h"
#include "Language.h"
#include "Prompt.h"
#include "ScreenScale.h"
#include "WinColor.h"

namespace {

constexpr int kDesignWidth = 760, kDesignHeight = 520;
constexpr int kDragPixels = 3;
constexpr int kMarkerSize = 9;

enum class Pointer { Rectangle, Circle, Triangle, DownTriangle };
struct TSeriesLook {
  uint32_t colour;
  Pointer pointer;
};
constexpr TSeriesLook kLooks[TMapChartModel::kRows] = {
    {0xFFFF80, Pointer::Rectangle},    {0x00FFFF, Pointer::Circle},       {0xFFFFFF, Pointer::Triangle},
    {0xFF80FF, Pointer::DownTriangle}, {0xC0C0C0, Pointer::Rectangle},    {0x0080FF, Pointer::Circle},
    {0x0000FF, Pointer::Triangle},     {0xFF8000, Pointer::DownTriangle}, {0x80FFFF, Pointer::Rectangle},
    {0x80FF80, Pointer::Circle},       {0xFFFFFF, Pointer::Triangle},     {0xC0C0C0, Pointer::DownTriangle},
};

QImage PointerImage(const TSeriesLook& look) {
  QImage img(kMarkerSize, kMarkerSize, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(Qt::black, 1));
  p.setBrush(WinColor(look.colour));
  const double m = kMarkerSize - 1;
  switch (look.pointer) {
    case Pointer::Rectangle:
      p.drawRect(QRectF(0.5, 0.5, m - 1, m - 1));
      break;
    case Pointer::Circle:
      p.drawEllipse(QRectF(0.5, 0.5, m - 1, m - 1));
      break;
    case Pointer::Triangle:
      p.drawPolygon(QPolygonF({QPointF(m / 2, 0.5), QPointF(m - 0.5, m - 0.5), QPointF(0.5, m - 0.5)}));
      break;
    case Pointer::DownTriangle:
      p.drawPolygon(QPolygonF({QPointF(0.5, 0.5), QPointF(m - 0.5, 0.5), QPointF(m / 2, m - 0.5)}));
      break;
  }
  return img;
}

std::optional<QString> ToolkitInputBox(QWidget* owner, const QString& caption, const QString& prompt) {
  bool ok = false;
  const QString text = QInputDialog::getText(owner, caption, prompt, QLineEdit::Normal, QString(), &ok);
  if (!ok) return std::nullopt;
  return text;
}

TFormGrafico::InputBox& InputBoxFn() {
  static TFormGrafico::InputBox box = &ToolkitInputBox;
  return box;
}

char Separator() { return DecimalText::UserDecimalSeparator(); }

}  // namespace

void TFormGrafico::SetInputBox(InputBox box) {
  InputBoxFn() = box ? std::move(box) : InputBox(&ToolkitInputBox);
}

TFormGrafico::TFormGrafico(QWidget* owner, bool interpolation)
    : TModalDialog(owner), model_(*EcuData), interpolation_(interpolation) {
  setObjectName(QStringLiteral("FormGrafico"));
  const int screenWidth = FittedScreenWidth(QSize(kDesignWidth, kDesignHeight));
  ScaleFontToScreen(this, screenWidth);
  resize(ScaleToScreen(kDesignWidth, screenWidth), ScaleToScreen(kDesignHeight, screenWidth));

  Chart1 = new QChart;
  Chart1->setTheme(QChart::ChartThemeDark);
  Chart1->setLocalizeNumbers(true);  // the locale's decimal separator
  Chart1->legend()->setAlignment(Qt::AlignRight);
  AxisLeft = new QValueAxis;
  AxisLeft->setTitleText(Tr(483));
  AxisBottom = new QCategoryAxis;
  AxisBottom->setTitleText(Tr(484));
  AxisBottom->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
  Chart1->addAxis(AxisBottom, Qt::AlignBottom);
  Chart1->addAxis(AxisLeft, Qt::AlignLeft);
  for (int s = 0; s < TMapChartModel::kRows; ++s) {
    auto* series = new QLineSeries;
    series->setColor(WinColor(kLooks[s].colour));
    series->setLightMarker(PointerImage(kLooks[s]));
    series->setMarkerSize(kMarkerSize);
    series->setPointLabelsFormat(QStringLiteral("@yPoint"));
    series->setPointLabelsColor(WinColor(kLooks[s].colour));
    series->setPointLabelsClipping(false);
    Chart1->addSeries(series);
    series->attachAxis(AxisBottom);
    series->attachAxis(AxisLeft);
    connect(series, &QXYSeries::pressed, this, [this, s] {
      if (QGuiApplication::mouseButtons() & Qt::LeftButton) Chart1ClickSeries(s);
    });
    Series.append(series);
  }
  ChartView = new TChartView(this);
  ChartView->setObjectName(QStringLiteral("Chart1"));
  ChartView->setChart(Chart1);
  ChartView->setFocusPolicy(Qt::NoFocus);  // the form takes every key
  ChartView->MouseDown = [this](QMouseEvent* e) { return Chart1MouseDown(e); };
  ChartView->MouseMove = [this](QMouseEvent* e) { return Chart1MouseMove(e); };
  ChartView->MouseUp = [this](QMouseEvent* e) { return Chart1MouseUp(e); };
  connect(ChartView, &TChartView::ZoomRequested, this, [this](QPointF a, QPointF b) {
    zoom_.ZoomTo(RpmOfAxis(a.x()), a.y(), RpmOfAxis(b.x()), b.y());
    increment_ = 0;  // Chart1Zoom
    UpdateAxes();
  });
  connect(ChartView, &TChartView::UndoZoomRequested, this, &TFormGrafico::MenuAnnullaZoomClick);

  PopupMenu1 = new QMenu(this);
  PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
  const auto item = [this](const char* name, int text, QKeySequence key) {
    QAction* a = PopupMenu1->addAction(Tr(text));
    a->setObjectName(QLatin1String(name));
    a->setShortcut(key);  // shown in the menu; the form's key handler runs the keys
    return a;
  };
  MenuInsert = item("MenuInsert", 475, QKeySequence(Qt::Key_Insert));
  MenuDelete = item("MenuDelete", 476, QKeySequence(Qt::Key_Delete));
  MenuScalaLog = item("MenuScalaLog", 477, QKeySequence());
  MenuScalaLog->setCheckable(true);
  MenuScalaLog->setChecked(true);
  MenuStampa = item("MenuStampa", 478, QKeySequence(Qt::CTRL | Qt::Key_P));
  MenuStampa->setVisible(false);
  MenuAnnullaZoom = item("MenuAnnullaZoom", 370, QKeySequence(Qt::CTRL | Qt::Key_Z));
  N3 = PopupMenu1->addSeparator();
  N3->setObjectName(QStringLiteral("N3"));
  MenuAnnullaInterpola = item("MenuAnnullaInterpola", 479, QKeySequence(Qt::Key_Backspace));
  MenuScaricaMappa = item("MenuScaricaMappa", 468, QKeySequence(Qt::Key_F12));
  PopupMenu1->addSeparator();
  MenuMappaGas = item("MenuMappaGas", 240, QKeySequence());
  MenuMappaBenzina = item("MenuMappaBenzina", 241, QKeySequence());
  auto* group = new QActionGroup(this);
  for (QAction* a : {MenuMappaGas, MenuMappaBenzina}) {
    a->setCheckable(true);
    group->addAction(a);
    connect(a, &QAction::triggered, this, [this, a] { MenuSelezionaMappaClick(a); });
  }
  connect(MenuInsert, &QAction::triggered, this, &TFormGrafico::MenuInsertClick);
  connect(MenuDelete, &QAction::triggered, this, &TFormGrafico::MenuDeleteClick);
  connect(MenuScalaLog, &QAction::triggered, this, &TFormGrafico::MenuScalaLogClick);
  connect(MenuAnnullaZoom, &QAction::triggered, this, &TFormGrafico::MenuAnnullaZoomClick);
  connect(MenuAnnullaInterpola, &QAction::triggered, this, &TFormGrafico::MenuAnnullaInterpolaClick);
  connect(MenuScaricaMappa, &QAction::triggered, this, &TFormGrafico::MenuScaricaMappaClick);
  ChartView->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(ChartView, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& pos) { PopupMenu1->popup(ChartView->mapToGlobal(pos)); });

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(ChartView);

  // The petrol map is offered only when the ECU holds one; the editor's view picks the map.
  MenuMappaBenzina->setEnabled(EcuData->HasMappaBenzina);
  MenuMappaBenzina->setVisible(EcuData->HasMappaBenzina);
  const QWidget* editor = owner ? owner->window() : nullptr;
  const auto* check = editor ? editor->findChild<QAbstractButton*>(QStringLiteral("CheckMappaBenzina"))
                             : nullptr;
  const bool benzina = check && check->isChecked();
  (benzina ? MenuMappaBenzina : MenuMappaGas)->setChecked(true);
  model_.SetBenzina(benzina);

  setWindowTitle(Tr(486));
  texts_.riga = Tr(487, 7);
  texts_.colonna = Tr(488, 9);
  texts_.map = Tr(489, 7).toLower();
  texts_.valore = Tr(490, 9);
  caption491_ = Tr(491, 21);
  prompt492_ = Tr(492, 41);
  caption493_ = Tr(493, 21);
  prompt494_ = Tr(494, 41);
  question495_ = Tr(495, 256);
  SetTitle();

  N3->setVisible(interpolation);
  MenuAnnullaInterpola->setVisible(interpolation);
  MenuScaricaMappa->setVisible(interpolation);
  interpolationUndone_ = false;
}

void TFormGrafico::ShowMapChart(QWidget* owner) {
  TFormGrafico form(owner, false);
  form.Tag = TMapChartModel::kAllRows;
  form.ShowModal();
}

void TFormGrafico::SetTitle() {
  Chart1->setTitle(Tr(482) + QStringLiteral("<br>") + (model_.Benzina() ? Tr(241) : Tr(240)));
}

void TFormGrafico::showEvent(QShowEvent* e) {
  TModalDialog::showEvent(e);
  if (!e->spontaneous()) FormShow();
}

void TFormGrafico::FormShow() {
  pressed_ = dragStarted_ = false;
  model_.EndDrag(false);
  model_.ResetStep();
  RefreshMapChart();
}

double TFormGrafico::AxisX(double rpm) const {
  return MenuScalaLog->isChecked() ? std::log10(std::max(rpm, 1.0)) : rpm;
}

double TFormGrafico::RpmOfAxis(double x) const { return MenuScalaLog->isChecked() ? std::pow(10.0, x) : x; }

void TFormGrafico::RefreshMapChart() {
  model_.SetTag(Tag);
  model_.Refresh();
  for (int s = 0; s < TMapChartModel::kRows; ++s) {
    Series[s]->setName(model_.Title(s, texts_, Separator()));
    PaintSeries(s);
  }
  UpdateAxes();
}

void TFormGrafico::PaintSeries(int s) {
  QList<QPointF> points;
  for (int p = 0; p < TMapChartModel::kCols; ++p) points.append(QPointF(AxisX(model_.X(p)), model_.Y(s, p)));
  Series[s]->replace(points);
  const bool highlighted = model_.Highlighted(s);
  QPen pen = Series[s]->pen();
  pen.setWidth(highlighted ? 2 : 1);
  Series[s]->setPen(pen);
  Series[s]->setPointLabelsVisible(highlighted);
  Series[s]->setVisible(model_.Visible(s));
}

void TFormGrafico::UpdateAxes() {
  TAxisRange rpm, y;
  if (zoom_.IsZoomed()) {
    rpm = zoom_.X();
    y = zoom_.Y();
  } else {
    TAxisExtent xs, ys;
    for (int p = 0; p < TMapChartModel::kCols; ++p) xs.Include(model_.X(p));
    for (int s = 0; s < TMapChartModel::kRows; ++s)
      if (model_.Visible(s))
        for (int p = 0; p < TMapChartModel::kCols; ++p) ys.Include(model_.Y(s, p));
    rpm = xs.Range();
    y = ys.Range();
    // A margin round the points, so the outer ones can be picked.
    const double dy = (y.max - y.min) * 0.05;
    y = {y.min - dy, y.max + dy};
    const double lo = AxisX(rpm.min), hi = AxisX(rpm.max), dx = (hi - lo) * 0.03;
    rpm = {RpmOfAxis(lo - dx), RpmOfAxis(hi + dx)};
  }
  ApplyValueAxis(AxisLeft, y, 0);
  for (const QString& label : AxisBottom->categoriesLabels()) AxisBottom->remove(label);
  AxisBottom->setStartValue(AxisX(rpm.min));
  AxisBottom->setRange(AxisX(rpm.min), AxisX(rpm.max));
  for (const double t : AxisTicks(rpm, increment_))
    if (t > 0 || !MenuScalaLog->isChecked()) AxisBottom->append(QString::number(t), AxisX(t));
}

QPointF TFormGrafico::PointPosition(int s, int p) const {
  return ChartView->PositionOf(QPointF(AxisX(model_.X(p)), model_.Y(s, p)));
}

TMapChartModel::PixelOf TFormGrafico::PixelOf() const {
  return [this](int s, int p) {
    const QPointF q = PointPosition(s, p);
    return std::pair<double, double>(q.x(), q.y());
  };
}

QPointF TFormGrafico::CursorInView() const { return ChartView->mapFromGlobal(QCursor::pos()); }

bool TFormGrafico::Chart1MouseDown(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return false;
  const QPointF pos = e->position();
  const TMapChartModel::TPointRef p = model_.FindPoint(PixelOf(), pos.x(), pos.y(), true);
  if (!p.IsValid()) {
    if (!(e->modifiers() & Qt::ControlModifier) && model_.ClearHighlights())
      for (int s = 0; s < TMapChartModel::kRows; ++s) PaintSeries(s);
    return false;  // the rubber band may zoom
  }
  model_.BeginDrag(p);
  pressed_ = true;
  dragStarted_ = false;
  pressPos_ = pos.toPoint();
  hint_.clear();
  QToolTip::hideText();
  Chart1ClickSeries(p.series);
  return true;
}

void TFormGrafico::Chart1ClickSeries(int s) {
  model_.SetHighlighted(s, true);
  PaintSeries(s);
}

bool TFormGrafico::Chart1MouseMove(QMouseEvent* e) {
  const QPointF pos = e->position();
  if (pressed_) {
    if (!dragStarted_ && (pos.toPoint() - pressPos_).manhattanLength() >= kDragPixels) dragStarted_ = true;
    // The chart is its own drop target: over it the point follows the mouse.
    if (dragStarted_ && ChartView->rect().contains(pos.toPoint()) &&
        model_.DragOver(ChartView->ValueAt(pos).y()))
      PaintSeries(model_.DragPoint().series);
    return true;
  }
  const TMapChartModel::TPointRef p = model_.FindPoint(PixelOf(), pos.x(), pos.y(), true);
  hint_ = model_.Hint(p, texts_, Separator());
  if (hint_.isEmpty())
    QToolTip::hideText();
  else
    QToolTip::showText(ChartView->mapToGlobal(pos.toPoint()), hint_, ChartView);
  return false;
}

bool TFormGrafico::Chart1MouseUp(QMouseEvent* e) {
  if (!pressed_) return false;
  pressed_ = false;
  // A press that never moved 3 pixels started no drag: nothing is dropped, and hints come back.
  const bool dropped = dragStarted_ && ChartView->rect().contains(e->position().toPoint());
  dragStarted_ = false;
  const TMapChartModel::TPointRef p = model_.DragPoint();
  model_.EndDrag(dropped);
  if (dropped) {
    PaintSeries(p.series);
    UpdateAxes();
  }
  return true;
}

void TFormGrafico::keyPressEvent(QKeyEvent* e) {
  const bool ctrl = e->modifiers() & Qt::ControlModifier;
  const bool shift = e->modifiers() & Qt::ShiftModifier;
  const bool gasShown = !model_.Benzina();
  switch (e->key()) {
    case Qt::Key_Insert:
      MenuInsertClick();
      return;
    case Qt::Key_Delete:
      MenuDeleteClick();
      return;
    case Qt::Key_Z:
    case Qt::Key_F11:
      if (ctrl) MenuAnnullaZoomClick();
      return;
    case Qt::Key_Backspace:
      if (gasShown && MenuAnnullaInterpola->isVisible()) MenuAnnullaInterpolaClick();
      return;
    case Qt::Key_F12:
      if (gasShown && MenuScaricaMappa->isVisible()) MenuScaricaMappaClick();
      return;
    case Qt::Key_Escape:
      if (model_.ClearHighlights())
        for (int s = 0; s < TMapChartModel::kRows; ++s) PaintSeries(s);
      else
        close();
      return;
    case Qt::Key_Shift: {
      const QPointF c = CursorInView();
      if (model_.ChooseKeyPoint(PixelOf(), c.x(), c.y())) {
        PaintSeries(model_.KeyPoint().series);
        ChartView->viewport()->setCursor(Qt::SizeVerCursor);
      }
      return;
    }
    case Qt::Key_Left:
      ArrowKey(-1, 0, shift);
      return;
    case Qt::Key_Right:
      ArrowKey(1, 0, shift);
      return;
    case Qt::Key_Up:
      ArrowKey(0, -1, shift);
      return;
    case Qt::Key_Down:
      ArrowKey(0, 1, shift);
      return;
    default:
      TModalDialog::keyPressEvent(e);
  }
}

void TFormGrafico::ArrowKey(int dx, int dy, bool shift) {
  const int step = model_.TakeStep();
  const QPoint at = mapFromGlobal(QCursor::pos());
  const auto [x, y] = TMapChartModel::StepCursor(at.x(), at.y(), dx * step, dy * step, width(), height());
  QCursor::setPos(mapToGlobal(QPoint(x, y)));
  if (!shift || !model_.KeyPoint().IsValid()) {
    model_.DropKeyPoint();
    return;
  }
  const double value = ChartView->ValueAt(ChartView->mapFrom(this, QPoint(x, y))).y();
  if (model_.KeyValue(value)) {
    ChartView->viewport()->setCursor(Qt::SizeVerCursor);
    PaintSeries(model_.KeyPoint().series);
  } else {
    ChartView->viewport()->setCursor(Qt::ForbiddenCursor);
  }
}

void TFormGrafico::keyReleaseEvent(QKeyEvent* e) {
  if (e->isAutoRepeat()) return;
  if (e->key() == Qt::Key_Shift) {
    const TMapChartModel::TPointRef p = model_.KeyPoint();
    model_.ReleaseKeyPoint();
    if (p.IsValid()) PaintSeries(p.series);
    ChartView->viewport()->unsetCursor();
  }
  model_.ResetStep();
}

void TFormGrafico::MenuDeleteClick() {
  if (!model_.HideHighlighted()) {
    const std::optional<QString> answer =
        InputBoxFn()(this, caption491_, prompt492_ + QStringLiteral(" (1-12)"));
    if (!answer || !model_.HideRow(*answer)) return;
  }
  for (int s = 0; s < TMapChartModel::kRows; ++s) PaintSeries(s);
  UpdateAxes();
}

void TFormGrafico::MenuInsertClick() {
  const std::optional<QString> answer =
      InputBoxFn()(this, caption493_, prompt494_ + QStringLiteral(" (1-12)"));
  if (!answer || !model_.ShowRow(*answer)) return;
  for (int s = 0; s < TMapChartModel::kRows; ++s) PaintSeries(s);
  UpdateAxes();
}

void TFormGrafico::MenuScalaLogClick() {
  // The action toggled its check before this runs.
  increment_ = MenuScalaLog->isChecked() && !zoom_.IsZoomed() ? 1000 : 0;
  for (int s = 0; s < TMapChartModel::kRows; ++s) PaintSeries(s);
  UpdateAxes();
}

void TFormGrafico::MenuAnnullaZoomClick() {
  zoom_.Reset();
  if (MenuScalaLog->isChecked()) increment_ = 1000;
  UpdateAxes();
}

void TFormGrafico::MenuAnnullaInterpolaClick() {
  RefreshMapChart();
  interpolationUndone_ = true;
}

void TFormGrafico::MenuScaricaMappaClick() {
  // The interpolated map is in the data set already: the item has nothing of its own to do.
}

void TFormGrafico::MenuSelezionaMappaClick(QAction* sender) {
  sender->setChecked(true);
  model_.SetBenzina(sender == MenuMappaBenzina);
  RefreshMapChart();
  SetTitle();
}

void TFormGrafico::closeEvent(QCloseEvent* e) {
  if (interpolation_ && !interpolationUndone_) {
    if (ShowPrompt(this, windowTitle(), question495_, PromptIcon::Warning, PromptYesNo) == PromptYes)
      MenuScaricaMappaClick();
    else
      MenuAnnullaInterpolaClick();
  }
  TModalDialog::closeEvent(e);
}
