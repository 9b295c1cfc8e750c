#include "Transformations.h"

int TLinearTransformation::Transform(double x, double* y) {
  const double d = CoeffC * x + CoeffD;
  if (d == 0) return 1;
  *y = (CoeffA * x + CoeffB) / d;
  return 0;
}

int TLinearTransformation::AntiTransform(double y, double* x) {
  const double d = y * CoeffC - CoeffA;
  if (d == 0) return 1;
  *x = (CoeffB - y * CoeffD) / d;
  return 0;
}

bool IsKivTransformation(const QObject* c) { return dynamic_cast<const TBaseTransformation*>(c) != nullptr; }
