#include "Graficodrt.h"

#include <QAction>
#include <QChart>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QGraphicsLayout>
#include <QLineSeries>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>
#include <QValueAxis>
#include <memory>

#include "ChartView.h"
#include "Language.h"
#include "PrintDialog.h"
#include "Prompt.h"
#include "ScreenScale.h"
#include "Tracce.h"
#include "TracePlot.h"
#include "WinColor.h"

namespace {

constexpr int kDesignWidth = 760, kDesignHeight = 520;
constexpr int kTitleAxisChars = 25;

}  // namespace

TFormGraficoDrt::TFormGraficoDrt(QWidget* owner, const QString& fileName)
    : TModalDialog(owner,
                   Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
  setObjectName(QStringLiteral("FormGraficoDrt"));
  const int screenWidth = FittedScreenWidth(QSize(kDesignWidth, kDesignHeight));
  ScaleFontToScreen(this, screenWidth);
  resize(ScaleToScreen(kDesignWidth, screenWidth), ScaleToScreen(kDesignHeight, screenWidth));

  MainMenu = new QMenuBar(this);
  MenuGraficoDrt = MainMenu->addMenu(Tr(368));
  MenuGraficoDrt->setObjectName(QStringLiteral("MenuGraficoDrt"));
  const auto item = [this](const char* name, int text, QKeySequence key, void (TFormGraficoDrt::*slot)()) {
    QAction* a = MenuGraficoDrt->addAction(Tr(text));
    a->setObjectName(QLatin1String(name));
    a->setShortcut(key);
    a->setShortcutContext(Qt::WindowShortcut);
    addAction(a);
    connect(a, &QAction::triggered, this, slot);
    return a;
  };
  MenuTracce = item("MenuTracce", 369, QKeySequence(), &TFormGraficoDrt::MenuTracceClick);
  MenuStampa = item("MenuStampa", 42, QKeySequence(Qt::CTRL | Qt::Key_P), &TFormGraficoDrt::MenuStampaClick);
  MenuAnnullaZoom = item("MenuAnnullaZoom", 370, QKeySequence(Qt::CTRL | Qt::Key_Z),
                         &TFormGraficoDrt::MenuAnnullaZoomClick);
  MenuEsci = item("MenuEsci", 44, QKeySequence(Qt::Key_Escape), &TFormGraficoDrt::MenuEsciClick);

  ChartDrt = new QChart;
  ChartDrt->setTitle(Tr(389));
  ChartDrt->setLocalizeNumbers(true);  // the locale's decimal separator
  ChartDrt->legend()->setAlignment(Qt::AlignRight);
  AxisTempo = new QValueAxis;
  AxisTempo->setTitleText(Tr(390, kTitleAxisChars + 1));
  AxisValori = new QValueAxis;
  ChartDrt->addAxis(AxisTempo, Qt::AlignBottom);
  ChartDrt->addAxis(AxisValori, Qt::AlignLeft);
  for (int i = 0; i < TTraceFile::kSeries; ++i) {
    const TTraceSeriesInfo& info = TTraceFile::kSeriesInfo[i];
    auto* s = new QLineSeries;
    s->setName(Tr(info.textId) + QLatin1String(info.suffix));
    QPen pen(WinColor(info.colour));
    pen.setWidth(2);
    s->setPen(pen);
    s->setPointsVisible(false);
    ChartDrt->addSeries(s);
    s->attachAxis(AxisTempo);
    s->attachAxis(AxisValori);
    connect(s, &QXYSeries::visibleChanged, this, &TFormGraficoDrt::UpdateAxes);
    Series.append(s);
  }
  ChartView = new TChartView(this);
  ChartView->setObjectName(QStringLiteral("ChartDrt"));
  ChartView->setChart(ChartDrt);
  connect(ChartView, &TChartView::ZoomRequested, this, [this](QPointF a, QPointF b) {
    zoom_.ZoomTo(a.x(), a.y(), b.x(), b.y());
    UpdateAxes();
  });
  connect(ChartView, &TChartView::UndoZoomRequested, this, &TFormGraficoDrt::MenuAnnullaZoomClick);

  Plot = new TTracePlot(ChartDrt, AxisTempo, AxisValori, &trace_, Series);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setMenuBar(MainMenu);
  layout->addWidget(ChartView);

  setWindowTitle(Tr(366));
  Load(fileName);
}

void TFormGraficoDrt::Load(const QString& fileName) {
  if (!QFileInfo::exists(fileName)) return;
  setWindowTitle(windowTitle() + QStringLiteral(" - ") + QFileInfo(fileName).fileName().section('.', 0, 0));
  TTraceFile trace = TTraceFile::Read(fileName);
  if (trace.status == TTraceFile::Status::TooLarge) {
    constexpr double kMb = 1024.0 * 1024.0;
    ShowPrompt(this, windowTitle(),
               Tr(690)
                   .arg(QDir::toNativeSeparators(fileName))
                   .arg(QLocale().toString(static_cast<double>(trace.bytes) / kMb, 'f', 0))
                   .arg(QLocale().toString(static_cast<double>(TTraceFile::MaxBytes()) / kMb, 'f', 0)),
               PromptIcon::Stop);
    return;
  }
  if (trace.status == TTraceFile::Status::Unreadable) {
    ShowPrompt(this, windowTitle(), Tr(645) + QDir::toNativeSeparators(fileName), PromptIcon::Stop);
    return;
  }
  if (trace.status != TTraceFile::Status::Ok) {
    ShowPrompt(this, windowTitle(), Tr(371), PromptIcon::Stop);
    return;
  }
  trace_ = std::move(trace);
  for (const double t : trace_.time) timeExtent_.Include(t);
  for (int i = 0; i < TTraceFile::kSeries; ++i) {
    const std::span<const float> values = trace_.values[i];
    if (values.empty()) continue;
    const TMinMaxPyramid::TExtremes e =
        trace_.pyramids[i].Find(values, 0, static_cast<uint32_t>(values.size()));
    valueExtent_[i].Include(values[e.low]);
    valueExtent_[i].Include(values[e.high]);
  }
  // A format-1 trace has no second bank: those series leave the chart.
  QList<QLineSeries*> removed;
  while (Series.size() > trace_.SeriesCount()) removed.append(Series.takeLast());
  Plot->SetSeries(Series);
  for (QLineSeries* s : removed) {
    ChartDrt->removeSeries(s);
    delete s;
  }
  loaded_ = true;
  UpdateAxes();
}

void TFormGraficoDrt::Show(QWidget* owner, const QString& fileName) {
  auto form = std::make_unique<TFormGraficoDrt>(owner, fileName);
  if (form->Loaded()) form->ShowModal();
}

void TFormGraficoDrt::UpdateAxes() {
  if (zoom_.IsZoomed()) {
    ApplyValueAxis(AxisTempo, zoom_.X(), 0);
    ApplyValueAxis(AxisValori, zoom_.Y(), 0);
  } else {
    TAxisExtent x, y;
    for (int i = 0; i < Series.size(); ++i) {
      if (!Series[i]->isVisible() || valueExtent_[i].IsEmpty()) continue;
      x.Include(timeExtent_);
      y.Include(valueExtent_[i]);
    }
    ApplyValueAxis(AxisTempo, x.Range(), 0);
    ApplyValueAxis(AxisValori, y.Range(), 0);
  }
  // New labels may move the plot area: place it now, so the chart paints once, not twice.
  if (QGraphicsLayout* layout = ChartDrt->layout()) layout->activate();
}

void TFormGraficoDrt::MenuTracceClick() {
  auto dialog = std::make_unique<TFormGestioneTracce>(this);
  dialog->setWindowTitle(Tr(367));
  dialog->ButtonOk->setText(Tr(103));
  dialog->ButtonAnnulla->setText(Tr(104));
  QList<QCheckBox*> checks;
  int widest = 0;
  for (int i = 0; i < Series.size(); ++i) {
    auto* check = new QCheckBox(Series[i]->name(), dialog->PanelTracce);
    check->setObjectName(QStringLiteral("CheckTrack%1").arg(i));
    check->setChecked(Series[i]->isVisible());
    widest = std::max(widest, check->sizeHint().width());
    checks.append(check);
  }
  // As wide as the longest title: the boxes 20 pixels from the left, 10 free on the right.
  const int width = widest + 30;
  int y = 20;
  QWidget* previous = nullptr;
  for (QCheckBox* check : checks) {
    const int h = check->sizeHint().height();
    check->setGeometry(20, y, width - 30, h);
    y = static_cast<int>(y + 1.5 * h);
    if (previous) QWidget::setTabOrder(previous, check);
    previous = check;
  }
  dialog->PanelTracce->setMinimumSize(width, y);
  if (previous) QWidget::setTabOrder(previous, dialog->ButtonOk);
  QWidget::setTabOrder(dialog->ButtonOk, dialog->ButtonAnnulla);
  if (dialog->ShowModal() != TModalDialog::mrOk) return;
  for (int i = 0; i < Series.size(); ++i)
    if (QCheckBox* check = dialog->CheckTrack(i)) Series[i]->setVisible(check->isChecked());
}

void TFormGraficoDrt::MenuStampaClick() {
  // The traces are drawn at the printer's own resolution.
  QPrinter printer(QPrinter::HighResolution);
  if (!PrintDialogs().Run(this, printer)) return;
  ChartView->PrintChart(printer);
}

void TFormGraficoDrt::MenuAnnullaZoomClick() {
  zoom_.Reset();
  UpdateAxes();
}

void TFormGraficoDrt::MenuEsciClick() { close(); }
