#include "visualizza.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <cmath>
#include <numbers>

#include "EcuData.h"
#include "GaugeFaces.h"
#include "Language.h"
#include "NeedleOverlay.h"
#include "SerialLink.h"
#include "ScreenScale.h"
#include "WinColor.h"

namespace {

constexpr int kDesignWidth = kDesignScreenWidth;
constexpr int kDesignHeight = 566;
constexpr uint32_t kColorBlue = 0xFF0000;
constexpr double kPi = std::numbers::pi;

}  // namespace

TFormVisualizza::TFormVisualizza(QWidget* owner) : TModalDialog(owner) {
  setObjectName(QStringLiteral("FormVisualizza"));
  setWindowTitle(QStringLiteral("Visualizzazione parametri vettura"));
  // 1. Scale to the screen; a fixed dialog frame.
  screenWidth_ = FittedScreenWidth(QSize(kDesignWidth, kDesignHeight));
  ScaleFontToScreen(this, screenWidth_);
  BuildLayout();
  setFixedSize(Scaled(kDesignWidth), Scaled(kDesignHeight));
  // 2. Texts.
  Translate();
  TEcuData& data = *EcuData;
  // 3. The data-set values the ticks compare with.
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
  // 7. The thermometer's span and foot.
  geometry.thermoSpan = LabelTMin->y() - LabelTMax->y();
  geometry.thermoBase = ShapeT->y();
  dashboard_ = std::make_unique<TLiveDashboard>(setup, texts, geometry);
  // 4. rpm dial.
  rpmDial_ = RpmDialOf(BevelGiri->geometry());
  // 5. Pressure dial: pivot at the middle of the face's bottom edge.
  pressureDial_ =
      PressureDialOf(ImagePressione->geometry(), dashboard_->PressureMin(), dashboard_->PressureMax());
  // 6. The acceptable pressure window by the fuel.
  LabelPMin->setText(TLiveDashboard::Fixed(dashboard_->PressureMarkMin()));
  LabelPMax->setText(TLiveDashboard::Fixed(dashboard_->PressureMarkMax()));
  LabelPOk->setText(TLiveDashboard::Fixed(dashboard_->PressureMarkOk()));
  LabelTMax->setText(QString::number(80));
  LabelTMedia->setText(QString::number(40));
  // 8. Lambda scale by the probe type.
  for (QLabel* l : {LabelLambdaMin, LabelLambda2Min})
    l->setText(TLiveDashboard::ScaleText(dashboard_->LambdaMin()));
  for (QLabel* l : {LabelLambdaMax, LabelLambda2Max})
    l->setText(TLiveDashboard::ScaleText(dashboard_->LambdaMax()));
  // 9. One probe: no second lambda group.
  if (!setup.twoProbes)
    for (QWidget* w : std::initializer_list<QWidget*>{BevelLambda2, PanelLambda2, LabelLambda2,
                                                      LabLambda2, LabelLambda2Min, LabelLambda2Max})
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
  const auto place = [this](QWidget* w, const char* name, int x, int y, int width, int height) {
    w->setObjectName(QLatin1String(name));
    w->setGeometry(Scaled(x), Scaled(y), Scaled(width), Scaled(height));
    return w;
  };
  const auto label = [&](const char* name, const QString& text, int x, int y, int w, int h,
                         Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter) {
    auto* l = new QLabel(text, this);
    l->setAlignment(align);
    place(l, name, x, y, w, h);
    FitLabelHeight(l);
    return l;
  };
  const auto frame = [&](QWidget* parent, const char* name, int x, int y, int w, int h) {
    auto* f = new QFrame(parent);
    place(f, name, x, y, w, h);
    return f;
  };
  const Qt::Alignment centre = Qt::AlignCenter;
  const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;

  // Thermometer: marks 80, 40 and 0, the column growing up from its foot.
  label("LabelT", QStringLiteral("T"), 66, 30, 26, 16, centre);
  ImageTermometro = label("ImageTermometro", QString(), 62, 52, 34, 0);
  LabelTMax = label("LabelTMax", QStringLiteral("80"), 24, 60, 36, 14, right);
  LabelTMedia = label("LabelTMedia", QStringLiteral("40"), 24, 198, 36, 14, right);
  LabelTMin = label("LabelTMin", QStringLiteral("0"), 24, 336, 36, 14, right);
  ShapeT = frame(this, "ShapeT", 73, 340, 12, 0);
  StyleThermometerColumn(ShapeT);
  ImageTermometro->setPixmap(ThermometerGlass(Scaled(34), Scaled(60 - 52), Scaled(340 - 52), Scaled(12)));
  ImageTermometro->resize(ImageTermometro->pixmap().size());
  LabTemp = label("LabTemp", QString(), 20, 384, 118, 18, centre);

  // rpm dial and readout.
  BevelGiri = frame(this, "BevelGiri", 179, 7, 250, 250);
  BevelGiri->setFrameStyle(QFrame::Box | QFrame::Sunken);
  ImageGiri = label("ImageGiri", QString(), 181, 9, 246, 246);
  // Needle reach from the face's centre: its length and half the pen.
  ImageGiri->setPixmap(RpmFace(Scaled(246), static_cast<int>(0.7 * static_cast<int>(0.45 * BevelGiri->height())) + 3));
  LabelScalaGiri = label("LabelScalaGiri", QStringLiteral("rpm x 1000"), 271, 168, 66, 14, centre);
  {
    QFont f = LabelScalaGiri->font();
    f.setPixelSize(Scaled(10));
    LabelScalaGiri->setFont(f);
  }
  LabelGiri = label("LabelGiri", QStringLiteral("0000"), 259, 192, 90, 36, centre);
  StyleRpmReadout(LabelGiri, Scaled(27));

  // Fuel state.
  label("LabelG", QStringLiteral("G"), 196, 282, 16, 16, centre);
  ImageGasOn = label("ImageGasOn", QString(), 214, 268, 44, 44);
  ImageGasOff = label("ImageGasOff", QString(), 214, 268, 44, 44);
  ImageBenzOn = label("ImageBenzOn", QString(), 350, 268, 44, 44);
  ImageBenzOff = label("ImageBenzOff", QString(), 350, 268, 44, 44);
  SetFuelIcons(ImageGasOn, ImageGasOff, ImageBenzOn, ImageBenzOff, Scaled(44));

  // Gas-pressure dial; the marks of the acceptable window at 37.5 %, 50 % and 62.5 % of the arc.
  LabelPressione = label("LabelPressione", QStringLiteral("Pressione gas"), 474, 28, 276, 18, centre);
  // The dial's light grey background also lies under the needle's foot.
  Shape1 = frame(this, "Shape1", 474, 186, 276, 10);
  Fill(Shape1, kColorLightGrey);
  ImagePressione = label("ImagePressione", QString(), 474, 53, 276, 138);
  ImagePressione->setPixmap(PressureFace(Scaled(276), Scaled(138)));
  const auto mark = [&](const char* name, double fraction) {
    const double a = kPi * fraction;
    const int x = 612 + static_cast<int>(-100 * std::cos(a));
    const int y = 191 + static_cast<int>(-100 * std::sin(a));
    return label(name, QString(), x - 17, y - 7, 34, 14, centre);  // narrower than the marks lie apart
  };
  LabelPMin = mark("LabelPMin", 0.375);
  LabelPOk = mark("LabelPOk", 0.5);
  LabelPMax = mark("LabelPMax", 0.625);
  label("LabelBar", QStringLiteral("bar"), 500, 172, 30, 14, centre);
  LabPressione = label("LabPressione", QString(), 562, 196, 100, 20, centre);

  // Bars: lambda and lambda 2 on the left, TPS and MAP on the right.
  const auto panel = [&](const char* name, int x, int y, int w) {
    QFrame* f = frame(this, name, x, y, w, 22);
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
  LabelLambda = label("LabelLambda", QStringLiteral("Lambda"), 20, 402, 240, 16);
  PanelLambda = panel("PanelLambda", 20, 420, 262);
  ShapeLambda = bar(PanelLambda, "ShapeLambda", 0, 0);
  LabLambda = label("LabLambda", QString(), 290, 422, 80, 18);
  LabelLambdaMin = label("LabelLambdaMin", QString(), 20, 444, 40, 14);
  LabelLambdaMax = label("LabelLambdaMax", QString(), 242, 444, 40, 14, right);

  BevelLambda2 = frame(this, "BevelLambda2", 12, 460, 366, 64);
  BevelLambda2->setFrameStyle(QFrame::Box | QFrame::Sunken);
  LabelLambda2 = label("LabelLambda2", QStringLiteral("Lambda 2"), 20, 464, 240, 16);
  PanelLambda2 = panel("PanelLambda2", 20, 482, 262);
  ShapeLambda2 = bar(PanelLambda2, "ShapeLambda2", 0, 0);
  LabLambda2 = label("LabLambda2", QString(), 290, 484, 80, 18);
  LabelLambda2Min = label("LabelLambda2Min", QString(), 20, 506, 40, 14);
  LabelLambda2Max = label("LabelLambda2Max", QString(), 242, 506, 40, 14, right);

  LabelTps = label("LabelTps", QStringLiteral("TPS"), 410, 402, 240, 16);
  PanelTps = panel("PanelTps", 410, 420, 302);
  const int third = (PanelTps->width() - 2) / 3;
  ShapeTpsMin = bar(PanelTps, "ShapeTpsMin", 0, 0);
  ShapeTps = bar(PanelTps, "ShapeTps", 0, 0);
  ShapeTpsMax = bar(PanelTps, "ShapeTpsMax", 0, 0);
  for (int i = 0; QFrame* s : {ShapeTpsMin, ShapeTps, ShapeTpsMax}) {
    s->setGeometry(1 + i++ * third, 1, third, PanelTps->height() - 2);
    s->setFrameStyle(QFrame::Box | QFrame::Plain);
    Fill(s, kColorLightGrey);
  }
  LabTps = label("LabTps", QString(), 720, 422, 70, 18);

  LabelMap = label("LabelMap", QStringLiteral("MAP"), 410, 464, 240, 16);
  PanelMap = panel("PanelMap", 410, 482, 302);
  ShapeMap = bar(PanelMap, "ShapeMap", 0, 0);
  Fill(ShapeMap, kColorBlue);
  LabMap = label("LabMap", QString(), 720, 484, 70, 18);
  label("LabelMapMeno1", QStringLiteral("-1"), 401, 506, 20, 14, centre);
  label("LabelMap0", QStringLiteral("0"), 551, 506, 20, 14, centre);
  label("LabelMap1", QStringLiteral("1"), 701, 506, 20, 14, centre);

  // Injection times: kept up to date, never shown.
  BevelTIniez = frame(this, "BevelTIniez", 450, 300, 160, 44);
  LabelTIniez = label("LabelTIniez", QStringLiteral("T. iniezione GAS"), 456, 304, 150, 16);
  LabTIniez = label("LabTIniez", QString(), 456, 322, 150, 18);
  BevelTIniezBenz = frame(this, "BevelTIniezBenz", 620, 300, 160, 44);
  LabelTIniezBenz = label("LabelTIniezBenz", QStringLiteral("T. iniezione benzina"), 626, 304, 150, 16);
  LabTIniezBenz = label("LabTIniezBenz", QString(), 626, 322, 150, 18);
  for (QWidget* w : std::initializer_list<QWidget*>{BevelTIniez, LabelTIniez, LabTIniez,
                                                    BevelTIniezBenz, LabelTIniezBenz, LabTIniezBenz})
    w->hide();

  ButtonEsci = AddCloseButton(QStringLiteral("&Esci"), QStringLiteral("ButtonEsci"), mrCancel);
  ButtonEsci->setGeometry(Scaled(690), Scaled(532), Scaled(100), Scaled(28));

  // The needles' canvas over the whole form; the rpm texts stay in front of it.
  resize(Scaled(kDesignWidth), Scaled(kDesignHeight));
  canvas_ = new TNeedleOverlay(this);
  canvas_->raise();
  LabelScalaGiri->raise();
  LabelGiri->raise();
}

void TFormVisualizza::Translate() {
  TranslateCaption(this, 320, 255);
  TranslateCaption(ButtonEsci, 325, 20);
  const std::pair<QLabel*, int> labels[] = {
      {LabelLambda, 279}, {LabelLambda2, 321}, {LabelTps, 281},    {LabelMap, 280},
      {LabelPressione, 286}, {LabelTIniez, 283}, {LabelTIniezBenz, 288},
  };
  for (auto [l, k] : labels) TranslateCaption(l, k, 30);
}

void TFormVisualizza::DrawRpmNeedle(int rpm, bool draw) { ::DrawRpmNeedle(*canvas_, rpmDial_, rpm, draw); }

void TFormVisualizza::DrawPressureNeedle(int pressure, bool draw) {
  ::DrawPressureNeedle(*canvas_, pressureDial_, pressure, draw);
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
  LabelGiri->setText(v.giri);
  LabPressione->setText(v.pressione);
  if (MoveNeedles(*canvas_, rpmDial_, pressureDial_, v)) LabelScalaGiri->update();
  ShapeT->setGeometry(ShapeT->x(), v.thermoTop, ShapeT->width(), v.thermoHeight);
  LabTemp->setText(v.temperatura);
  ShowFuelState(ImageGasOn, ImageGasOff, ImageBenzOn, ImageBenzOff, v.onGas);
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
