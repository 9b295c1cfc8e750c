#include "visualizza.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTimer>

#include "DesignPlacer.h"
#include "EcuData.h"
#include "GaugeFaces.h"
#include "Language.h"
#include "NeedleOverlay.h"
#include "ScreenScale.h"
#include "SerialLink.h"
#include "WinColor.h"

namespace {

constexpr int kDesignWidth = kDesignScreenWidth;
constexpr int kDesignHeight = 566;
constexpr uint32_t kColorBlue = 0xFF0000;

}  // namespace

TFormVisualizza::TFormVisualizza(QWidget* owner) : TModalDialog(owner) {
  setObjectName(QStringLiteral("FormVisualizza"));
  setWindowTitle(QStringLiteral("Visualizzazione parametri vettura"));
  // Scale to the screen; a fixed dialog frame.
  screenWidth_ = FittedScreenWidth(QSize(kDesignWidth, kDesignHeight));
  ScaleFontToScreen(this, screenWidth_);
  BuildLayout();
  setFixedSize(Scaled(kDesignWidth), Scaled(kDesignHeight));
  // Texts.
  Translate();
  TEcuData& data = *EcuData;
  // The data-set values the ticks compare with.
  const TDashboardSetup setup = TDashboardSetup::FromData(data);
  TDashboardTexts texts;
  texts.volt = Tr(144);
  texts.bar = Tr(147);
  texts.celsius = Tr(145);
  texts.ms = Tr(149);
  TDashboardGeometry geometry;
  geometry.lambdaInner = PanelLambda->width() - 2;
  geometry.lambda2Inner = PanelLambda2->width() - 2;
  geometry.mapInner = PanelMap->width() - 2;
  // The thermometer's span and foot.
  MeasureThermometer(geometry);
  dashboard_ = std::make_unique<TLiveDashboard>(setup, texts, geometry);
  // The dials and the acceptable pressure window by the fuel.
  SetScales(*dashboard_);
  LabelTMedia->setText(QString::number(40));
  // Lambda scale by the probe type.
  for (QLabel* l : {LabelLambdaMin, LabelLambda2Min})
    l->setText(TLiveDashboard::ScaleText(dashboard_->LambdaMin()));
  for (QLabel* l : {LabelLambdaMax, LabelLambda2Max})
    l->setText(TLiveDashboard::ScaleText(dashboard_->LambdaMax()));
  // One probe: no second lambda group.
  if (!setup.twoProbes)
    for (QWidget* w : std::initializer_list<QWidget*>{BevelLambda2, PanelLambda2, LabelLambda2, LabLambda2,
                                                      LabelLambda2Min, LabelLambda2Max})
      w->hide();

  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setInterval(kTickMs);
  connect(Timer1, &QTimer::timeout, this, &TFormVisualizza::Timer1Timer);
  Timer1->start();
}

TFormVisualizza::~TFormVisualizza() = default;

int TFormVisualizza::Scaled(int v) const { return ScaleToScreen(v, screenWidth_); }

void TFormVisualizza::BuildLayout() {
  const TDesignPlacer at(screenWidth_);
  const Qt::Alignment centre = Qt::AlignCenter;
  const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;

  BuildGauges(this, at);
  // The thermometer's 40 mark between the 80 and 0 marks, and its reading under it, each
  // stacked where it lies among the cluster's widgets.
  LabelTMedia = at.Label(this, "LabelTMedia", QStringLiteral("40"), 24, 198, 36, 14, right);
  LabelTMedia->stackUnder(LabelTMin);
  LabTemp = at.Label(this, "LabTemp", QString(), 20, 384, 118, 18, centre);
  LabTemp->stackUnder(BevelGiri);
  // The pressure reading under the dial.
  LabPressione = at.Label(this, "LabPressione", QString(), 562, 196, 100, 20, centre);

  // Bars: lambda and lambda 2 on the left, TPS and MAP on the right.
  const auto panel = [&](const char* name, int x, int y, int w) {
    QFrame* f = at.Frame(this, name, x, y, w, 22);
    f->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    f->setLineWidth(1);
    Fill(f, kColorButtonFace);
    return f;
  };
  const auto bar = [&](QFrame* parent, const char* name, int x, int w) {
    QFrame* f = new QFrame(parent);
    f->setObjectName(QLatin1String(name));
    f->setGeometry(1 + Scaled(x), 1, Scaled(w), parent->height() - 2);
    Fill(f, kColorButtonFace);
    return f;
  };
  LabelLambda = at.Label(this, "LabelLambda", QStringLiteral("Lambda"), 20, 402, 240, 16);
  PanelLambda = panel("PanelLambda", 20, 420, 262);
  ShapeLambda = bar(PanelLambda, "ShapeLambda", 0, 0);
  LabLambda = at.Label(this, "LabLambda", QString(), 290, 422, 80, 18);
  LabelLambdaMin = at.Label(this, "LabelLambdaMin", QString(), 20, 444, 40, 14);
  LabelLambdaMax = at.Label(this, "LabelLambdaMax", QString(), 242, 444, 40, 14, right);

  BevelLambda2 = at.Frame(this, "BevelLambda2", 12, 460, 366, 64);
  BevelLambda2->setFrameStyle(QFrame::Box | QFrame::Sunken);
  LabelLambda2 = at.Label(this, "LabelLambda2", QStringLiteral("Lambda 2"), 20, 464, 240, 16);
  PanelLambda2 = panel("PanelLambda2", 20, 482, 262);
  ShapeLambda2 = bar(PanelLambda2, "ShapeLambda2", 0, 0);
  LabLambda2 = at.Label(this, "LabLambda2", QString(), 290, 484, 80, 18);
  LabelLambda2Min = at.Label(this, "LabelLambda2Min", QString(), 20, 506, 40, 14);
  LabelLambda2Max = at.Label(this, "LabelLambda2Max", QString(), 242, 506, 40, 14, right);

  LabelTps = at.Label(this, "LabelTps", QStringLiteral("TPS"), 410, 402, 240, 16);
  PanelTps = panel("PanelTps", 410, 420, 302);
  const int third = (PanelTps->width() - 2) / 3;
  ShapeTpsMin = bar(PanelTps, "ShapeTpsMin", 0, 0);
  ShapeTps = bar(PanelTps, "ShapeTps", 0, 0);
  ShapeTpsMax = bar(PanelTps, "ShapeTpsMax", 0, 0);
  for (int i = 0; QFrame * s : {ShapeTpsMin, ShapeTps, ShapeTpsMax}) {
    s->setGeometry(1 + i++ * third, 1, third, PanelTps->height() - 2);
    s->setFrameStyle(QFrame::Box | QFrame::Plain);
    Fill(s, kColorLightGrey);
  }
  LabTps = at.Label(this, "LabTps", QString(), 720, 422, 70, 18);

  LabelMap = at.Label(this, "LabelMap", QStringLiteral("MAP"), 410, 464, 240, 16);
  PanelMap = panel("PanelMap", 410, 482, 302);
  ShapeMap = bar(PanelMap, "ShapeMap", 0, 0);
  Fill(ShapeMap, kColorBlue);
  LabMap = at.Label(this, "LabMap", QString(), 720, 484, 70, 18);
  at.Label(this, "LabelMapMeno1", QStringLiteral("-1"), 401, 506, 20, 14, centre);
  at.Label(this, "LabelMap0", QStringLiteral("0"), 551, 506, 20, 14, centre);
  at.Label(this, "LabelMap1", QStringLiteral("1"), 701, 506, 20, 14, centre);

  // Injection times: kept up to date, never shown.
  BevelTIniez = at.Frame(this, "BevelTIniez", 450, 300, 160, 44);
  LabelTIniez = at.Label(this, "LabelTIniez", QStringLiteral("T. iniezione GAS"), 456, 304, 150, 16);
  LabTIniez = at.Label(this, "LabTIniez", QString(), 456, 322, 150, 18);
  BevelTIniezBenz = at.Frame(this, "BevelTIniezBenz", 620, 300, 160, 44);
  LabelTIniezBenz =
      at.Label(this, "LabelTIniezBenz", QStringLiteral("T. iniezione benzina"), 626, 304, 150, 16);
  LabTIniezBenz = at.Label(this, "LabTIniezBenz", QString(), 626, 322, 150, 18);
  for (QWidget* w : std::initializer_list<QWidget*>{BevelTIniez, LabelTIniez, LabTIniez, BevelTIniezBenz,
                                                    LabelTIniezBenz, LabTIniezBenz})
    w->hide();

  ButtonEsci = AddCloseButton(QStringLiteral("&Esci"), QStringLiteral("ButtonEsci"), mrCancel);
  at.Place(ButtonEsci, "ButtonEsci", 690, 532, 100, 28);

  CoverWithNeedleCanvas(this, at, kDesignHeight);
}

void TFormVisualizza::Translate() {
  TranslateCaption(this, 320, 255);
  TranslateCaption(ButtonEsci, 325, 20);
  const std::pair<QLabel*, int> labels[] = {
      {LabelLambda, 279},    {LabelLambda2, 321}, {LabelTps, 281},        {LabelMap, 280},
      {LabelPressione, 286}, {LabelTIniez, 283},  {LabelTIniezBenz, 288},
  };
  for (auto [l, k] : labels) TranslateCaption(l, k, 30);
}

void TFormVisualizza::DrawRpmNeedle(int rpm, bool draw) { ::DrawRpmNeedle(*Canvas(), RpmDial(), rpm, draw); }

void TFormVisualizza::DrawPressureNeedle(int pressure, bool draw) {
  ::DrawPressureNeedle(*Canvas(), PressureDial(), pressure, draw);
}

void TFormVisualizza::FormPaint() { dashboard_->RequestRedraw(); }

void TFormVisualizza::paintEvent(QPaintEvent* e) {
  TModalDialog::paintEvent(e);
  FormPaint();
}

void TFormVisualizza::Timer1Timer() {
  if (!SerialLink || SerialLink->IsLinkOpen() == 0) return;
  static_assert(LiveDataRecord::kSize == 30);
  uint8_t buffer[LiveDataRecord::kSize] = {};
  int size = LiveDataRecord::kSize;
  if (!SerialLink->ReadPacket(0, buffer, &size)) return;
  size = std::min(size, static_cast<int>(LiveDataRecord::kSize));
  Apply(dashboard_->Take(buffer, size, EcuData->IsDoppiaSonda(), EcuData->HasDatiAggiuntivi));
}

void TFormVisualizza::Apply(const TDashboardView& v) {
  ShowGauges(v);
  LabPressione->setText(v.pressione);
  LabTemp->setText(v.temperatura);
  const auto lambda = [](QFrame* shape, QLabel* text, const TLambdaBar& bar) {
    shape->resize(bar.width, shape->height());
    Fill(shape, bar.color);
    text->setText(bar.text);
  };
  lambda(ShapeLambda, LabLambda, v.lambda);
  if (v.lambda2Shown) lambda(ShapeLambda2, LabLambda2, v.lambda2);
  LabTps->setText(v.tps);
  Fill(ShapeTpsMin, v.tpsMinColor);
  Fill(ShapeTps, v.tpsColor);
  Fill(ShapeTpsMax, v.tpsMaxColor);
  ShapeMap->resize(v.mapWidth, ShapeMap->height());
  LabMap->setText(v.map);
  LabTIniez->setText(v.tIniez);
  LabTIniezBenz->setText(v.tIniezBenz);
}
