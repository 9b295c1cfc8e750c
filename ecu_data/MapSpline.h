#pragma once
// Map interpolation: a thin-plate spline through scattered points (rpm, MAP, value), evaluated
// at every breakpoint pair of the 12x12 maps.
#include <cstdint>
#include <span>
#include <vector>

#include "AcquisitionStore.h"

// A point of the fit, in normalised coordinates (rpm / rpm breakpoint 11, MAP / MAP breakpoint 11).
struct SplinePoint {
  double x = 0;
  double y = 0;
};

// Truncation toward zero into an int32, saturating at its limits (0 for NaN): results of a wild
// fit never overflow the conversion.
int32_t TruncToInt32(double v);

double SplineDistance(double x1, double y1, double x2, double y2);
// r^2 ln r, 0 for r below 1e-15.
double SplineKernel(double r);
// coefficients: one weight per point, then a0, a1, a2.
double EvalSpline(double x, double y, std::span<const double> coefficients,
                  std::span<const SplinePoint> points);
// Gaussian elimination with partial pivoting on the n x n row-major matrix rows and the right-hand
// side rhs, both changed in place. False when a pivot is below 1e-15 (singular matrix).
bool SolveLinearSystem(int n, std::span<double> rows, std::span<double> rhs, std::span<double> solution);
// Builds and solves the spline system: on success coefficients holds the points.size() weights
// followed by a0, a1, a2.
bool SolveSpline(std::span<const SplinePoint> points, std::span<const double> targets,
                 std::vector<double>& coefficients);

// Fits the spline through samples and writes every cell: the petrol map (setPetrol), or the gas
// map scaled per mille by the fitted value (blend, which also stores the value as the cell's
// local adaptive value), or the gas map itself, raised to the injector opening time. Returns
// false, with no map touched, when the points cannot define a surface (fewer than three,
// duplicates, all on one line, or a numerically singular system) or when the last breakpoint
// of an axis is not positive.
bool FitMapSpline(const std::vector<MapSample>& samples, bool setPetrol, bool blend);
