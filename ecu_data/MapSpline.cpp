#include "MapSpline.h"

#include <cmath>
#include <limits>

#include "EcuData.h"

int32_t TruncToInt32(double v) {
  if (std::isnan(v)) return 0;
  if (v >= 2147483647.0) return std::numeric_limits<int32_t>::max();
  if (v <= -2147483648.0) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(v);
}

double SplineDistance(double x1, double y1, double x2, double y2) {
  const double dx = x1 - x2;
  const double dy = y1 - y2;
  return std::sqrt(dx * dx + dy * dy);
}

double SplineKernel(double r) { return r >= 1e-15 ? r * r * std::log(r) : 0.0; }

double EvalSpline(double x, double y, std::span<const double> coefficients,
                  std::span<const SplinePoint> points) {
  const size_t n = points.size();
  double v = coefficients[n + 1] * x + coefficients[n] + coefficients[n + 2] * y;
  for (size_t i = 0; i < n; ++i)
    v += coefficients[i] * SplineKernel(SplineDistance(x, y, points[i].x, points[i].y));
  return v;
}

bool SolveLinearSystem(int n, std::span<double> rows, std::span<double> rhs, std::span<double> solution) {
  const auto a = [&](int i, int j) -> double& { return rows[static_cast<size_t>(i) * n + j]; };
  for (int k = 0; k + 1 < n; ++k) {
    int pivot = k;
    for (int i = k + 1; i < n; ++i)
      if (std::fabs(a(i, k)) > std::fabs(a(pivot, k))) pivot = i;
    if (pivot != k) {
      for (int j = k; j < n; ++j) std::swap(a(k, j), a(pivot, j));
      std::swap(rhs[k], rhs[pivot]);
    }
    if (std::fabs(a(k, k)) < 1e-15) return false;
    for (int i = k + 1; i < n; ++i) {
      const double f = a(i, k) / a(k, k);
      for (int j = k + 1; j < n; ++j) a(i, j) -= f * a(k, j);
      rhs[i] -= f * rhs[k];
    }
  }
  if (n < 1 || std::fabs(a(n - 1, n - 1)) < 1e-15) return false;
  for (int i = n - 1; i >= 0; --i) {
    double sum = rhs[i];
    for (int j = i + 1; j < n; ++j) sum -= a(i, j) * solution[j];
    solution[i] = sum / a(i, i);
  }
  return true;
}

bool SolveSpline(std::span<const SplinePoint> points, std::span<const double> targets,
                 std::vector<double>& coefficients) {
  const int n = static_cast<int>(points.size());
  const int m = n + 3;
  std::vector<double> rows(static_cast<size_t>(m) * m, 0.0);
  std::vector<double> rhs(static_cast<size_t>(m), 0.0);
  const auto a = [&](int i, int j) -> double& { return rows[static_cast<size_t>(i) * m + j]; };
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j)
      a(i, j) = SplineKernel(SplineDistance(points[i].x, points[i].y, points[j].x, points[j].y));
    a(i, n) = a(n, i) = 1.0;
    a(i, n + 1) = a(n + 1, i) = points[i].x;
    a(i, n + 2) = a(n + 2, i) = points[i].y;
    rhs[i] = targets[i];
  }
  coefficients.assign(static_cast<size_t>(m), 0.0);
  return SolveLinearSystem(m, rows, rhs, coefficients);
}

namespace {

// Whether the samples can define a surface: at least three points, no two at the same place and
// not all on one line. Checked exactly on the integers, so the answer never depends on rounding.
bool DefinesSurface(const std::vector<MapSample>& samples) {
  const size_t n = samples.size();
  if (n < 3) return false;
  for (size_t i = 0; i < n; ++i)
    for (size_t j = i + 1; j < n; ++j)
      if (samples[i].rpm == samples[j].rpm && samples[i].map == samples[j].map) return false;
  const int64_t dx = int64_t{samples[1].rpm} - samples[0].rpm;
  const int64_t dy = int64_t{samples[1].map} - samples[0].map;
  for (size_t k = 2; k < n; ++k)
    if (dx * (int64_t{samples[k].map} - samples[0].map) != dy * (int64_t{samples[k].rpm} - samples[0].rpm))
      return true;
  return false;
}

}  // namespace

bool FitMapSpline(const std::vector<MapSample>& samples, bool setPetrol, bool blend) {
  if (!EcuData || !DefinesSurface(samples)) return false;
  TEcuData& data = *EcuData;
  const double rpmTop = data.GetRifGiri(11);
  const double mapTop = data.GetRifMAP(11);
  if (rpmTop <= 0 || mapTop <= 0) return false;  // the axes cannot normalise the points
  std::vector<SplinePoint> points(samples.size());
  std::vector<double> targets(samples.size());
  for (size_t i = 0; i < samples.size(); ++i) {
    points[i] = {samples[i].rpm / rpmTop, samples[i].map / (mapTop * 1000)};
    targets[i] = samples[i].value;
  }
  std::vector<double> coefficients;
  if (!SolveSpline(points, targets, coefficients)) return false;
  for (double c : coefficients)
    if (!std::isfinite(c)) return false;

  for (int r = 0; r < 12; ++r) {
    for (int c = 0; c < 12; ++c) {
      const double y = data.GetRifMAP(r) / mapTop;
      const double x = data.GetRifGiri(c) / rpmTop;
      int32_t v = TruncToInt32(EvalSpline(x, y, coefficients, points) + 0.5);
      if (setPetrol) {
        data.SetMappaBenzina(r, c, v * 0.001);  // microseconds to milliseconds
        continue;
      }
      if (blend) {
        // v is a per-mille correction of the gas cell.
        data.SetZonaAdattativa(r, c, 5, v);
        const double g = data.GetMappa(r, c);
        v = TruncToInt32(g * v + g * 1000);
      }
      double t = v * 0.001;
      const double opening = data.GetTempoAperturaIniettore(1);
      if (t < opening) t = opening;
      data.SetMappa(r, c, t);
    }
  }
  return true;
}
