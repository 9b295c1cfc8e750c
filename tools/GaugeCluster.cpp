#include "GaugeCluster.h"

#include <QFrame>
#include <QLabel>
#include <cmath>
#include <numbers>

#include "DesignPlacer.h"
#include "GaugeFaces.h"
#include "LiveDashboard.h"
#include "NeedleOverlay.h"
#include "ScreenScale.h"

void TGaugeCluster::BuildGauges(QWidget* window, const TDesignPlacer& at) {
  const Qt::Alignment centre = Qt::AlignCenter;
  const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;

  // Thermometer: the column grows up from its foot between the 80 and 0 marks.
  at.Label(window, "LabelT", QStringLiteral("T"), 66, 30, 26, 16, centre);
  ImageTermometro = at.Label(window, "ImageTermometro", QString(), 62, 52, 34, 0);
  LabelTMax = at.Label(window, "LabelTMax", QStringLiteral("80"), 24, 60, 36, 14, right);
  LabelTMin = at.Label(window, "LabelTMin", QStringLiteral("0"), 24, 336, 36, 14, right);
  ShapeT = at.Frame(window, "ShapeT", 73, 340, 12, 0);
  StyleThermometerColumn(ShapeT);
  ImageTermometro->setPixmap(
      ThermometerGlass(at.Scaled(34), at.Scaled(60 - 52), at.Scaled(340 - 52), at.Scaled(12)));
  ImageTermometro->resize(ImageTermometro->pixmap().size());

  // rpm dial and readout.
  BevelGiri = at.Frame(window, "BevelGiri", 179, 7, 250, 250);
  BevelGiri->setFrameStyle(QFrame::Box | QFrame::Sunken);
  ImageGiri = at.Label(window, "ImageGiri", QString(), 181, 9, 246, 246);
  // Needle reach from the face's centre: its length and half the pen.
  ImageGiri->setPixmap(
      RpmFace(at.Scaled(246), static_cast<int>(0.7 * static_cast<int>(0.45 * BevelGiri->height())) + 3));
  LabelScalaGiri = at.Label(window, "LabelScalaGiri", QStringLiteral("rpm x 1000"), 271, 168, 66, 14, centre);
  {
    QFont f = LabelScalaGiri->font();
    f.setPixelSize(at.Scaled(10));
    LabelScalaGiri->setFont(f);
  }
  LabelGiri = at.Label(window, "LabelGiri", QStringLiteral("0000"), 259, 192, 90, 36, centre);
  StyleRpmReadout(LabelGiri, at.Scaled(27));

  // Fuel state.
  at.Label(window, "LabelG", QStringLiteral("G"), 196, 282, 16, 16, centre);
  ImageGasOn = at.Label(window, "ImageGasOn", QString(), 214, 268, 44, 44);
  ImageGasOff = at.Label(window, "ImageGasOff", QString(), 214, 268, 44, 44);
  ImageBenzOn = at.Label(window, "ImageBenzOn", QString(), 350, 268, 44, 44);
  ImageBenzOff = at.Label(window, "ImageBenzOff", QString(), 350, 268, 44, 44);
  SetFuelIcons(ImageGasOn, ImageGasOff, ImageBenzOn, ImageBenzOff, at.Scaled(44));

  // Gas-pressure dial; the marks of the acceptable window at 37.5 %, 50 % and 62.5 % of the arc.
  LabelPressione =
      at.Label(window, "LabelPressione", QStringLiteral("Pressione gas"), 474, 28, 276, 18, centre);
  // The dial's light grey background also lies under the needle's foot.
  Shape1 = at.Frame(window, "Shape1", 474, 186, 276, 10);
  Fill(Shape1, kColorLightGrey);
  ImagePressione = at.Label(window, "ImagePressione", QString(), 474, 53, 276, 138);
  ImagePressione->setPixmap(PressureFace(at.Scaled(276), at.Scaled(138)));
  const auto mark = [&](const char* name, double fraction) {
    const double a = std::numbers::pi * fraction;
    const int x = 612 + static_cast<int>(-100 * std::cos(a));
    const int y = 191 + static_cast<int>(-100 * std::sin(a));
    // Narrower than the marks lie apart.
    return at.Label(window, name, QString(), x - 17, y - 7, 34, 14, centre);
  };
  LabelPMin = mark("LabelPMin", 0.375);
  LabelPOk = mark("LabelPOk", 0.5);
  LabelPMax = mark("LabelPMax", 0.625);
  at.Label(window, "LabelBar", QStringLiteral("bar"), 500, 172, 30, 14, centre);
}

void TGaugeCluster::CoverWithNeedleCanvas(QWidget* window, const TDesignPlacer& at, int designHeight) {
  window->resize(at.Scaled(kDesignScreenWidth), at.Scaled(designHeight));
  canvas_ = new TNeedleOverlay(window);
  canvas_->raise();
  LabelScalaGiri->raise();
  LabelGiri->raise();
}

void TGaugeCluster::MeasureThermometer(TDashboardGeometry& geometry) const {
  geometry.thermoSpan = LabelTMin->y() - LabelTMax->y();
  geometry.thermoBase = ShapeT->y();
}

void TGaugeCluster::SetScales(const TLiveDashboard& dashboard) {
  rpmDial_ = RpmDialOf(BevelGiri->geometry());
  // The pressure needle pivots at the middle of the face's bottom edge.
  pressureDial_ =
      PressureDialOf(ImagePressione->geometry(), dashboard.PressureMin(), dashboard.PressureMax());
  LabelPMin->setText(TLiveDashboard::Fixed(dashboard.PressureMarkMin()));
  LabelPMax->setText(TLiveDashboard::Fixed(dashboard.PressureMarkMax()));
  LabelPOk->setText(TLiveDashboard::Fixed(dashboard.PressureMarkOk()));
  LabelTMax->setText(QString::number(80));
}

void TGaugeCluster::ShowGauges(const TDashboardView& v) {
  LabelGiri->setText(v.giri);
  if (MoveNeedles(*canvas_, rpmDial_, pressureDial_, v)) LabelScalaGiri->update();
  ShapeT->setGeometry(ShapeT->x(), v.thermoTop, ShapeT->width(), v.thermoHeight);
  ShowFuelState(ImageGasOn, ImageGasOff, ImageBenzOn, ImageBenzOff, v.onGas);
}
