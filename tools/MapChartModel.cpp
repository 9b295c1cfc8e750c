#include "MapChartModel.h"

#include <algorithm>
#include <cmath>

#include "DecimalText.h"
#include "EcuData.h"

void TMapChartModel::Refresh() {
  for (int p = 0; p < kCols; ++p) rpm_[p] = data_.GetRifGiri(p);
  for (int s = 0; s < kRows; ++s) {
    for (int p = 0; p < kCols; ++p) y_[s][p] = benzina_ ? data_.GetMappaBenzina(s, p) : data_.GetMappa(s, p);
    visible_[s] = (tag_ >> s) & 1;
  }
}

TMapChartModel::TPointRef TMapChartModel::FindPoint(const PixelOf& pixelOf, double mx, double my,
                                                    bool lastFirst) const {
  for (int k = 0; k < kRows; ++k) {
    const int s = lastFirst ? kRows - 1 - k : k;
    if (!visible_[s]) continue;
    for (int p = 0; p < kCols; ++p) {
      const auto [px, py] = pixelOf(s, p);
      if (std::abs(px - mx) <= kHitPixels && std::abs(py - my) <= kHitPixels) return {s, p};
    }
  }
  return {};
}

std::optional<double> TMapChartModel::DragValue(double axisValue) {
  const double v = std::trunc(axisValue * 10) * 0.1 + 0.0;  // + 0.0: no "-0"
  if (v < kMinValue || v > kMaxValue) return std::nullopt;
  return v;
}

bool TMapChartModel::DragOver(double axisValue) {
  if (!dragging_ || !drag_.IsValid()) return false;
  const std::optional<double> v = DragValue(axisValue);
  if (!v) return false;
  y_[drag_.series][drag_.point] = *v;
  return true;
}

void TMapChartModel::EndDrag(bool dropped) {
  dragging_ = false;
  if (dropped && drag_.IsValid()) Write(drag_);
}

bool TMapChartModel::ChooseKeyPoint(const PixelOf& pixelOf, double mx, double my) {
  if (key_.IsValid()) return false;
  const TPointRef p = FindPoint(pixelOf, mx, my, false);
  if (!p.IsValid()) return false;
  highlighted_[p.series] = true;
  key_ = p;
  return true;
}

bool TMapChartModel::KeyValue(double axisValue) {
  if (!key_.IsValid() || axisValue < kMinValue || axisValue > kMaxValue) return false;
  highlighted_[key_.series] = true;
  y_[key_.series][key_.point] = axisValue;
  Write(key_);
  return true;
}

void TMapChartModel::ReleaseKeyPoint() {
  if (key_.IsValid()) highlighted_[key_.series] = false;
  key_ = {};
}

std::pair<int, int> TMapChartModel::StepCursor(int x, int y, int dx, int dy, int width, int height) {
  return {std::clamp(x + dx, 0, std::max(0, width - 1)), std::clamp(y + dy, 0, std::max(0, height - 1))};
}

bool TMapChartModel::ClearHighlights() {
  const bool any = std::find(highlighted_.begin(), highlighted_.end(), true) != highlighted_.end();
  highlighted_.fill(false);
  return any;
}

bool TMapChartModel::HideHighlighted() {
  bool any = false;
  for (int s = 0; s < kRows; ++s) {
    if (!highlighted_[s] || !visible_[s]) continue;
    visible_[s] = false;
    highlighted_[s] = false;
    any = true;
  }
  return any;
}

std::optional<int> TMapChartModel::RowNumber(const QString& answer) {
  return DecimalText::ParseInt(answer.toStdString());
}

bool TMapChartModel::HideRow(const QString& answer) {
  const std::optional<int> n = RowNumber(answer);
  if (!n || *n < 1 || *n > kRows) return false;
  visible_[*n - 1] = false;
  highlighted_[*n - 1] = false;
  return true;
}

bool TMapChartModel::ShowRow(const QString& answer) {
  const std::optional<int> n = RowNumber(answer);
  if (!n || *n < 0 || *n > kRows) return false;
  if (*n == 0)
    visible_.fill(true);
  else
    visible_[*n - 1] = true;
  return true;
}

QString TMapChartModel::Title(int s, const TMapChartTexts& t, char decimalSeparator) const {
  return t.riga + QLatin1Char(' ') + QString::number(s + 1) + QStringLiteral(" - ") + t.map +
         QLatin1Char(' ') +
         QString::fromStdString(DecimalText::Format(data_.GetRifMAP(s), decimalSeparator, 2));
}

QString TMapChartModel::Hint(TPointRef p, const TMapChartTexts& t, char decimalSeparator) const {
  if (!p.IsValid()) return {};
  const int rpm = static_cast<int>(rpm_[p.point]) / 50 * 50;
  return t.riga + QLatin1Char(' ') + QString::number(p.series + 1) + QLatin1Char('\n') + t.colonna +
         QLatin1Char(' ') + QString::number(rpm) + QLatin1Char('\n') + t.valore + QLatin1Char(' ') +
         QString::fromStdString(DecimalText::Format(y_[p.series][p.point], decimalSeparator));
}

void TMapChartModel::Write(TPointRef p) {
  const double v = y_[p.series][p.point];
  if (benzina_)
    data_.SetMappaBenzina(p.series, p.point, v);
  else
    data_.SetMappa(p.series, p.point, v);
}
