#pragma once
// Coefficient transformations: applied to the value of a data object's external coefficient
// before it takes the place of the coefficient (see TKivSerialData::GetFormulaCoefficients).
#include <QObject>

class TBaseTransformation : public QObject {
 public:
  explicit TBaseTransformation(QObject* owner = nullptr) : QObject(owner) {}
  // Each returns 0 on success and nonzero on failure, leaving the output untouched.
  virtual int Transform(double x, double* y) = 0;
  virtual int AntiTransform(double y, double* x) = 0;
};

// y = (A·x + B) / (C·x + D), and its inverse x = (B − y·D) / (y·C − A).
class TLinearTransformation : public TBaseTransformation {
 public:
  explicit TLinearTransformation(QObject* owner = nullptr) : TBaseTransformation(owner) {}
  int Transform(double x, double* y) override;
  int AntiTransform(double y, double* x) override;

  double CoeffA = 1;
  double CoeffB = 0;
  double CoeffC = 0;
  double CoeffD = 1;
};

// True for a non-null transformation object.
bool IsKivTransformation(const QObject* c);
