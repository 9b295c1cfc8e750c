#pragma once
// The pictures and styles the live dashboard and the calibration wizard share: the rpm and
// gas-pressure dial faces, the thermometer glass and column, the fuel lamps, the rpm readout.
#include <QColor>
#include <QPixmap>
#include <QRect>
#include <QString>
#include <cstdint>

#include "GaugeNeedles.h"

class QFrame;
class QLabel;
class QWidget;
struct TDashboardView;

constexpr uint32_t kColorPurple = 0x800080;
constexpr uint32_t kColorFuchsia = 0xFF00FF;

// Grows a label, around its middle, to its font's height where the scaled design is lower: the
// font does not scale in whole pixels as the design does.
void FitLabelHeight(QLabel* label);
// Brush of a shape or panel (0x00BBGGRR); the button-face colour is the system's.
void Fill(QWidget* w, uint32_t bbggrr);
// The rpm dial face: light grey background under the needle, marks every 100 rpm over 270
// degrees from down-left clockwise, figures 0 to 7 beyond the needle's reach, the last
// thousand in red.
QPixmap RpmFace(int size, int needleReach);
// The pressure dial face: a half circle with marks every 5 % of the arc and the acceptable
// window (37.5 % to 62.5 %) in green.
QPixmap PressureFace(int width, int height);
// The thermometer's glass: a tube down to the foot of the column and the bulb under it.
QPixmap ThermometerGlass(int width, int tubeTop, int foot, int columnWidth);
// A fuel icon: a round lamp with the fuel's name on one line inside it (a smaller font for a
// longer name), lit or dark.
QPixmap FuelIcon(int size, const QString& name, const QColor& lit, bool on);
// The thermometer column: purple brush, fuchsia pen.
void StyleThermometerColumn(QFrame* column);
// The four-digit rpm readout: seven-segment face, green on black, sunken.
void StyleRpmReadout(QLabel* readout, int pixels);
// The four fuel lamps (gas lit and dark, petrol lit and dark), `size` pixels square, named in
// the current language; the petrol-on and gas-off pair shows first.
void SetFuelIcons(QLabel* gasOn, QLabel* gasOff, QLabel* benzOn, QLabel* benzOff, int size);
// Shows the fuel state: the gas-on and petrol-off lamps while on gas, the others otherwise.
void ShowFuelState(QLabel* gasOn, QLabel* gasOff, QLabel* benzOn, QLabel* benzOff, bool onGas);
// The rpm dial of a face: centre in its middle, needle base 45 % of its height.
TRpmDial RpmDialOf(const QRect& face);
// The pressure dial of a face: pivot at the middle of its bottom edge, needle 20 % of its width.
TPressureDial PressureDialOf(const QRect& face, int scaleMin, int scaleMax);
// Moves the needles the view asks for (erase at the old value, draw at the new one); true when
// the rpm needle moved, so the caller repaints what lies over it.
bool MoveNeedles(INeedleCanvas& canvas, const TRpmDial& rpmDial, const TPressureDial& pressureDial,
                 const TDashboardView& v);
