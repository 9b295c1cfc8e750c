#include "MapGridSmall.h"

#include <QPainter>

#include "DecimalText.h"
#include "EcuData.h"
#include "EcuValueCodes.h"
#include "MapGridHost.h"
#include "Modmappa.h"
#include "WinColor.h"

namespace {
constexpr uint32_t kNavy = 0x800000;
constexpr uint32_t kRed = 0x0000FF;
constexpr uint32_t kMenu = 0xF0F0F0;

// The NTC reading the data set stores for a temperature reference.
int32_t TemperatureRaw(double celsius) {
  return CalcTemperaturaRaw(static_cast<float>(static_cast<int>(celsius)));
}
}  // namespace

TSmallGrid::TSmallGrid(Kind kind, IGridHost* host, QWidget* parent)
    : TDrawGrid(parent), kind_(kind), host_(host) {
  setObjectName(kind == TempGas     ? "DrawGridTempGas"
                : kind == PressDiff ? "DrawGridPressDiff"
                                    : "DrawGridCicchetto");
  SetSize(Columns(), 2, 0, 0);
  Color = QColor(Qt::white);
  FixedColor = WinColor(kRed);
  OnDrawCell = [this](QPainter& p, int c, int r, const QRect& rect, int state) {
    DrawCell(p, c, r, rect, state);
  };
  connect(this, &TDrawGrid::EnterPressed, this, &TSmallGrid::ChangeSelection);
  connect(this, &TDrawGrid::CellDoubleClicked, this, [this](int, int) { ChangeSelection(); });
  RecomputeBounds();
}

void TSmallGrid::RecomputeBounds() {
  // The highlight follows the new references on the next tick, even with the same live value.
  lastInput_ = -1;
  if (kind_ == PressDiff) {
    std::array<double, 9> refs{};
    for (int i = 0; i < 9; ++i) refs[i] = EcuData ? EcuData->GetRifPressDiff(i) : 0.0;
    pressBounds_ = MapGrid::PressDiffBounds(refs);
  }
  update();
}

bool TSmallGrid::IntegerRow(int row) const { return kind_ == TempGas || (kind_ == Cicchetto && row == 0); }

double TSmallGrid::StoredValue(int row, int col) const {
  if (!EcuData) return 0.0;
  switch (kind_) {
    case TempGas:
      return row == 0 ? EcuData->GetRifGas(col) : EcuData->GetCoeffGas(col);
    case PressDiff:
      return row == 0 ? EcuData->GetRifPressDiff(col) : EcuData->GetCoeffPressDiff(col);
    case Cicchetto:
    default:
      return row == 0 ? EcuData->GetTempCicchetto(col) : EcuData->GetTempoCicchettoTemp(col);
  }
}

double TSmallGrid::CellValue(int row, int col) const {
  const double v = StoredValue(row, col);
  return kind_ == TempGas && row == 1 ? v - 100 : v;
}

void TSmallGrid::SetStoredValue(int row, int col, double v) {
  if (!EcuData) return;
  const int n = static_cast<int>(v);
  switch (kind_) {
    case TempGas:
      row == 0 ? EcuData->SetRifGas(col, n) : EcuData->SetCoeffGas(col, n);
      break;
    case PressDiff:
      row == 0 ? EcuData->SetRifPressDiff(col, v) : EcuData->SetCoeffPressDiff(col, v);
      break;
    case Cicchetto:
      row == 0 ? EcuData->SetTempCicchetto(col, n) : EcuData->SetTempoCicchettoTemp(col, v);
      break;
  }
}

// The reference as the data set stores it and reads it back (its setter and getter rules).
double TSmallGrid::StoredReference(double v) const {
  switch (kind_) {
    case TempGas:
      return EcuConv::Trunc(CalcTemperatura(TemperatureRaw(v)) + 0.5);
    case PressDiff:
      return EcuConv::RoundHalfAway(v * 100.0) * 0.01;
    case Cicchetto:
    default:
      return EcuConv::RoundHalfAway(CalcTemperatura(TemperatureRaw(std::clamp(v, -20.0, 80.0))));
  }
}

void TSmallGrid::LiveTick(int temperatureRaw, int pressureHundredths) {
  if (kind_ == Cicchetto) return;
  const int input = kind_ == TempGas ? temperatureRaw : pressureHundredths;
  if (input == lastInput_) return;
  lastInput_ = input;
  int col = 0;
  if (kind_ == TempGas) {
    std::array<int, 9> refs{};
    for (int i = 0; i < 9; ++i) refs[i] = EcuData ? EcuData->GetRifGas(i) : 0;
    col = MapGrid::TempGasColumn(MapGrid::RoundHalfEven(CalcTemperatura(temperatureRaw)), refs);
  } else {
    col = MapGrid::PressDiffColumn(pressureHundredths * 0.01, pressBounds_);
  }
  if (col == highlight_) return;
  if (highlight_ >= 0) update(CellRect(highlight_, 0));
  highlight_ = col;
  update(CellRect(highlight_, 0));
}

void TSmallGrid::DrawCell(QPainter& p, int col, int row, const QRect& rect, int state) {
  const bool marked = (state & (gdSelected | gdFocused)) != 0;
  QColor back = Color, ink = Qt::black;
  if (row == 0 && !marked) {
    back = FixedColor;
    ink = Color;
    if (kind_ != Cicchetto && col == highlight_) {
      back = WinColor(kMenu);
      ink = WinColor(kRed);
    }
  } else if (marked && hasFocus()) {
    back = WinColor(kNavy);
    ink = Color;
  }
  p.fillRect(rect, back);
  p.setPen(ink);
  const double v = CellValue(row, col);
  const QString text =
      IntegerRow(row) ? QString::number(static_cast<int>(v))
                      : QString::fromStdString(DecimalText::Fixed(v, 2, DecimalText::UserDecimalSeparator()));
  if (row == 0)
    DrawCellText(p, rect, text, Qt::AlignRight, 4);
  else
    DrawCellText(p, rect, text, Qt::AlignHCenter, 0);
}

void TSmallGrid::ChangeSelection() {
  const int row = Row();
  const int left = Selection().left, right = Selection().right;
  const bool integer = IntegerRow(row);
  const bool coefficients = kind_ == TempGas && row == 1;
  double fvalue = CellValue(row, Col());
  int ivalue = static_cast<int>(fvalue);
  uint8_t mode = MapGrid::ModeAbsolute;
  if (TFormModMappa* dialog = host_->CellDialog()) dialog->SetModeChoiceEnabled(true);
  RunCellDialog(
      *host_, this,
      [&](TFormModMappa& d) {
        return integer ? d.EditIntCell(&ivalue, &mode) : d.EditFloatCell(&fvalue, &mode);
      },
      [&](uint8_t m) {
        const auto changeMode = static_cast<MapGrid::ChangeMode>(m);
        const double value = integer ? ivalue : fvalue;
        MapGrid::ChangeRow(
            Columns(), left, right, changeMode, value, integer, row == 0,
            [&](int c) { return StoredValue(row, c); },
            [&](int c, double v) {
              // An absolute gas coefficient is typed as shown: stored - 100.
              SetStoredValue(row, c, coefficients && changeMode == MapGrid::ModeAbsolute ? v + 100 : v);
            },
            [this](double v) { return StoredReference(v); });
        if (row == 0) RecomputeBounds();
      });
}
