#include <gtest/gtest.h>

#include <climits>

#include "KivNumber.h"
#include "KivTestSupport.h"
#include "SerialData.h"
#include "Transformations.h"

namespace {

struct ItemSetup {
  int length = 1;
  bool isSigned = false;
  TransformationType t = ttNone;
  double a = 1, b = 0, c = 0, d = 1;
  double precision = 0;
};

void Apply(TKivNumber& n, const ItemSetup& s) {
  n.SetDataLength(s.length);
  n.SetDataSigned(s.isSigned);
  n.SetTransformation(s.t);
  n.CoeffA = s.a;
  n.CoeffB = s.b;
  n.CoeffC = s.c;
  n.CoeffD = s.d;
  n.SetPrecision(s.precision);
}

}  // namespace

TEST(KivSerialData, ConvertsRawToUser) {
  struct Case {
    ItemSetup s;
    int raw;
    double user;
  } cases[] = {
      {{2, true}, 0xFFFF, -1},
      {{1, true}, 0x80, -128},
      {{1, false}, 0x180, 0x80},  // bits outside the mask are dropped
      {{2, false}, 0xFFFF, 65535},
      {{1, false, ttFormula, 1, 0, 0, 0}, 7, kZeroDenominatorValue},
      {{1, false, ttFormula, 2, 10, 0, 4}, 3, 4.0},  // (2·3 + 10) / 4
      {{1, false, ttFormula, 1, 0, 1, 0}, 0, kZeroDenominatorValue},
      {{1, false, ttNone, 1, 0, 0, 1, 0.5}, 1, 1.0},
  };
  for (const Case& c : cases) {
    TKivNumber n(nullptr, 0x21);
    Apply(n, c.s);
    EXPECT_DOUBLE_EQ(n.ConvertValueToUser(c.raw), c.user) << "raw " << c.raw;
  }
}

TEST(KivSerialData, PrecisionRoundsToTheNearerMultipleTiesUp) {
  TKivNumber n(nullptr, 0x21);
  n.SetTransformation(ttFormula);
  n.CoeffD = 100;  // user = raw / 100
  n.SetPrecision(0.5);
  EXPECT_DOUBLE_EQ(n.ConvertValueToUser(125), 1.5);
  EXPECT_DOUBLE_EQ(n.ConvertValueToUser(120), 1.0);
  EXPECT_DOUBLE_EQ(n.ConvertValueToUser(-125 & 0xFF), 1.5);  // 131 / 100 -> 1.5
  n.SetPrecision(-1);
  EXPECT_DOUBLE_EQ(n.Precision(), 0.5);
}

TEST(KivSerialData, ConvertsUserToRawWithLimits) {
  struct Case {
    ItemSetup s;
    double min, max;
    bool disable;
    double user;
    int raw;
  } cases[] = {
      {{}, 0, 0, false, 2.9, 2},
      {{}, 0, 0, false, -2.9, -2},
      {{1, false, ttFormula, 1, 0, 0, 1}, 0, 0, false, 2.5, 3},
      {{1, false, ttFormula, 1, 0, 0, 1}, 0, 0, false, -2.5, -3},
      {{1, false, ttFormula, 0, 0, 0, 1}, 0, 0, false, 0.0, kZeroDenominatorRaw},
      {{}, 10, 20, false, 25, 20},
      {{}, 10, 20, false, 5, 10},
      {{}, 10, 20, true, 25, 25},
      {{}, 0, 0, false, 1e12, INT_MAX},  // far outside: saturated, no overflow
  };
  for (const Case& c : cases) {
    TKivNumber n(nullptr, 0x21);
    Apply(n, c.s);
    n.SetMaxValue(c.max);
    n.SetMinValue(c.min);
    n.DisableLimits = c.disable;
    EXPECT_EQ(n.ConvertValueToEcu(c.user, nullptr), c.raw) << "user " << c.user;
  }
}

TEST(KivSerialData, TabledConversions) {
  TKivNumber n(nullptr, 0x21);
  n.SetTransformation(ttTabled);
  EXPECT_DOUBLE_EQ(n.ConvertValueToUser(1), kNoTableValue);
  EXPECT_EQ(n.ConvertValueToEcu(1, nullptr), kNoTableRaw);
  const double ecu[] = {1, 2, 2, 4};
  const double user[] = {10, 20, 30, 40};
  n.SetConversionTable(ecu, user, 4);
  EXPECT_DOUBLE_EQ(n.ConvertValueToUser(2), 30);  // the later of two equal rows
  EXPECT_DOUBLE_EQ(n.ConvertValueToUser(3), kNoTableValue);
  EXPECT_EQ(n.ConvertValueToEcu(20, nullptr), 2);
  EXPECT_EQ(n.ConvertValueToEcu(25, nullptr), kNoTableRaw);
  EXPECT_DOUBLE_EQ(n.GetUserTableValue(9), 0.0);
  n.SetUserTableValue(9, 1);  // outside: nothing
  n.SetEcuTableValue(3, 5);
  EXPECT_DOUBLE_EQ(n.GetEcuTableValue(3), 5);
  n.DeleteConversionTable();
  EXPECT_FALSE(n.HasConversionTable());
  EXPECT_DOUBLE_EQ(n.GetEcuTableValue(0), 0.0);
}

TEST(KivSerialData, NonLinearTableInterpolatesAndExtrapolates) {
  TKivNumber n(nullptr, 0x21);
  n.SetTransformation(ttNonLinearTabled);
  const double one[] = {1};
  n.SetConversionTable(one, one, 1);  // one row gives no segment
  EXPECT_DOUBLE_EQ(n.ConvertValueToUser(1), kNoTableValue);
  EXPECT_EQ(n.ConvertValueToEcu(1, nullptr), kNoTableRaw);

  const double rising[] = {0, 100, 200};
  const double user[] = {0, 10, 30};
  n.SetConversionTable(rising, user, 3);
  EXPECT_DOUBLE_EQ(n.ConvertValueToUser(50), 5);
  EXPECT_DOUBLE_EQ(n.ConvertValueToUser(150), 20);
  EXPECT_DOUBLE_EQ(n.ConvertValueToUser(250), 40);  // along the last segment
  EXPECT_EQ(n.ConvertValueToEcu(20, nullptr), 150);
  EXPECT_EQ(n.ConvertValueToEcu(-5, nullptr), -50);  // along the first segment

  const double falling[] = {200, 100, 0};
  n.SetConversionTable(falling, user, 3);
  EXPECT_DOUBLE_EQ(n.ConvertValueToUser(150), 5);
  EXPECT_DOUBLE_EQ(n.ConvertValueToUser(50), 20);

  const double flat[] = {0, 0};
  n.SetConversionTable(flat, user, 2);  // a segment of no width takes its end value
  EXPECT_DOUBLE_EQ(n.ConvertValueToUser(0), 10);
}

TEST(KivSerialData, SettersIgnoreInvalidArguments) {
  TKivNumber n(nullptr, 0x1F5);
  EXPECT_EQ(n.SerialCode(), 0x1F5);  // the constructor keeps the whole code
  EXPECT_EQ(n.SerialWord(), 0xF5);
  n.SetSerialCode(-1);
  EXPECT_EQ(n.SerialWord(), 0xF5);
  n.SetSerialCode(0x123);
  EXPECT_EQ(n.SerialCode(), 0x23);

  n.SetDataLength(3);
  EXPECT_EQ(n.DataLength(), 1);
  n.SetDataLength(2);
  EXPECT_EQ(n.DataMask(), 0xFFFF);
  EXPECT_EQ(n.SerialWord(), 0x223);
  n.SetDataMask(0x0F0F);  // two runs of bits
  EXPECT_EQ(n.DataMask(), 0xFFFF);
  n.DefaultValue = 5;
  n.SetDataMask(0x0FF0);
  EXPECT_EQ(n.DataMask(), 0x0FF0);
  EXPECT_EQ(n.DefaultValue, 0);  // the mask setter clears the held values
  n.SetDataSigned(true);
  EXPECT_EQ(n.SerialWord(), 0x623);
  n.SetDataLength(1);
  EXPECT_EQ(n.SerialWord(), 0x423);
  EXPECT_EQ(n.DataMask(), 0xFF);

  n.SetMaxValue(10);
  n.SetMinValue(20);  // would cross
  EXPECT_EQ(n.ValueMin(), 0);
  n.BeginLoading();
  n.SetMinValue(20);
  n.Loaded();
  EXPECT_EQ(n.ValueMin(), 20);
}

TEST(KivSerialData, ExternalCoefficientReplacesTheCoefficientAndForwardsChanges) {
  TKivNumber coeff(nullptr, 0x21);
  int raw = 4;
  coeff.InitData(&raw);
  TKivNumber n(nullptr, 0x22);
  n.SetTransformation(ttFormula);
  n.SetExtCoeff(1, &n);  // itself: ignored
  EXPECT_EQ(n.GetExtCoeff(1), nullptr);
  n.SetExtCoeff(1, &coeff);
  EXPECT_DOUBLE_EQ(n.ConvertValueToUser(3), 12);  // A = 4
  TLinearTransformation t;
  t.CoeffA = 2;
  t.CoeffB = 1;
  n.SetCoeffTransformation(1, &t);
  EXPECT_DOUBLE_EQ(n.ConvertValueToUser(3), 27);  // A = 2·4 + 1

  MessageProbe control;
  n.AddNotificationList(&control);
  raw = 7;
  coeff.InitData(&raw);
  coeff.NotifyChanged();
  ASSERT_EQ(control.Count(WM_DATACHANGED), 1);
  EXPECT_EQ(control.received[0].wParam, reinterpret_cast<intptr_t>(&coeff));

  n.SetExtCoeff(1, nullptr);
  coeff.NotifyChanged();
  EXPECT_EQ(control.Count(WM_DATACHANGED), 1);
  n.RemoveNotificationList(&control);
  n.NotifyChanged();
  EXPECT_EQ(control.Count(WM_DATACHANGED), 1);
}

TEST(KivSerialData, DeletedPartnersAreForgotten) {
  TKivNumber n(nullptr, 0x22);
  {
    TKivNumber coeff(nullptr, 0x21);
    n.SetExtCoeff(2, &coeff);
    TLinearTransformation t;
    n.SetCoeffTransformation(2, &t);
    EXPECT_EQ(n.GetCoeffTransformation(2), &t);
  }
  EXPECT_EQ(n.GetExtCoeff(2), nullptr);
  EXPECT_EQ(n.GetCoeffTransformation(2), nullptr);
  {
    MessageProbe control;
    n.AddNotificationList(&control);
  }
  n.NotifyChanged();  // the deleted control is skipped
}

TEST(KivLinearTransformation, TransformsBothWaysAndRefusesAZeroDenominator) {
  TLinearTransformation t;
  t.CoeffA = 2;
  t.CoeffB = 1;
  t.CoeffC = 1;
  t.CoeffD = 1;
  double y = -1;
  EXPECT_EQ(t.Transform(1, &y), 0);
  EXPECT_DOUBLE_EQ(y, 1.5);
  double x = -1;
  EXPECT_EQ(t.AntiTransform(1.5, &x), 0);
  EXPECT_DOUBLE_EQ(x, 1);
  y = 99;
  EXPECT_NE(t.Transform(-1, &y), 0);
  EXPECT_EQ(y, 99);
  EXPECT_NE(t.AntiTransform(2, &x), 0);
  EXPECT_TRUE(IsKivTransformation(&t));
  EXPECT_FALSE(IsKivTransformation(nullptr));
  EXPECT_FALSE(IsKivSerialData(&t));
}
