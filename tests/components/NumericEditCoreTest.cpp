// The numeric rules of the entry field, driven directly, under the C and an Italian locale.
// In the tables 'D' stands for the locale's decimal separator and 'T' for its thousands
// separator, so one table serves both locales.
#include <gtest/gtest.h>

#include <QLocale>

#include "NumericEditCore.h"
#include "QtPrint.h"

namespace {

QString Loc(const char* s) {
  QString out = QString::fromUtf8(s);
  out.replace(u'D', TNumericEditCore::DecimalSeparator());
  out.replace(u'T', TNumericEditCore::ThousandsSeparator());
  return out;
}

struct Field {
  double min = 0, max = 0, precision = 0;
  bool disableLimit = false;
};

TNumericEditCore Make(const Field& f, double accepted = 0) {
  TNumericEditCore c;
  c.SetLimit(1, f.max);
  c.SetLimit(2, f.min);
  c.SetLimit(1, f.max);  // a negative maximum needs the minimum first
  c.SetDisableLimit(f.disableLimit);
  QString t;
  c.SetDouble(t, accepted);  // sets the accepted value, unrounded
  c.SetPrecision(f.precision);
  return c;
}

class NumericCore : public ::testing::TestWithParam<QLocale> {
 protected:
  void SetUp() override {
    saved_ = QLocale();
    QLocale::setDefault(GetParam());
  }
  void TearDown() override { QLocale::setDefault(saved_); }

 private:
  QLocale saved_;
};

std::string LocaleName(const ::testing::TestParamInfo<QLocale>& info) {
  return info.param.language() == QLocale::C ? "C" : "Italian";
}

INSTANTIATE_TEST_SUITE_P(Locales, NumericCore,
                         ::testing::Values(QLocale::c(), QLocale(QLocale::Italian, QLocale::Italy)),
                         LocaleName);

TEST_P(NumericCore, SeparatorsComeFromTheLocale) {
  const bool italian = QLocale().language() == QLocale::Italian;
  EXPECT_EQ(TNumericEditCore::DecimalSeparator(), italian ? u',' : u'.');
  EXPECT_EQ(TNumericEditCore::ThousandsSeparator(), italian ? u'.' : u',');
}

// Typed text confirmed by Enter: the text shown and the value taken, which GetDouble also gives.
TEST_P(NumericCore, EnterShowsTheLimitedRoundedEntry) {
  struct Case {
    Field field;
    double accepted;
    const char* typed;
    const char* shown;
    double value;
  };
  const Case cases[] = {
      {{0, 255, 0}, 0, "300", "255", 255},
      {{0, 255, 0}, 0, "-5", "0", 0},
      {{0, 255, 1}, 0, "12D4", "12", 12},
      {{0, 255, 1}, 0, "12D5", "13", 13},  // ties go to the greater multiple
      {{0, 0, 0}, 0, "-12D5", "-12D5", -12.5},
      {{0, 0, 50}, 0, "75", "100", 100},
      {{0, 0, 50}, 0, "-75", "-50", -50},
      {{0, 0, 1}, 0, "-0D3", "0", 0},  // never "-0"
      {{0, 5, 0.01}, 0, "2D54", "2D54", 2.54},
      {{-10, 10, 0.1}, 0, "-3D26", "-3D3", -3.3},
      // A limit that is not a multiple of the step: the rounded value stays inside the limits.
      {{0, 7.6, 1}, 0, "9", "7D6", 7.6},
      {{-7.6, 0, 1}, 0, "-9", "-7D6", -7.6},
      {{0, 7.5, 1}, 0, "7D5", "7D5", 7.5},
      {{0, 2.54, 0.1}, 0, "3", "2D5", 2.5},
      {{0, 255, 0, true}, 0, "300", "300", 300},
      {{0, 255, 0, true}, 0, "-300", "-300", -300},
      // Not a number: the value confirmed last.
      {{0, 0, 0}, 42, "", "42", 42},
      {{0, 0, 0}, 42, "abc", "42", 42},
      {{0, 0, 0}, 42, "-", "42", 42},
      {{0, 0, 0}, 42, "1T5", "42", 42},  // the other locale's decimal separator
      {{0, 0, 0}, 42, "1D5D", "42", 42},
      {{0, 0, 0}, 42, "inf", "42", 42},
      {{0, 100, 0}, 42, "", "42", 42},
      {{0, 0, 0}, 0, " 12D5 ", "12D5", 12.5},
      {{0, 0, 0}, 0, "+3", "3", 3},
      {{0, 0, 0}, 0, "1e3", "1000", 1000},
      {{0, 0, 0}, 0, "1234567D5", "1234567D5", 1234567.5},  // no grouping
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("typed ") + c.typed + " in " + std::to_string(c.field.min) + ".." +
                 std::to_string(c.field.max) + " step " + std::to_string(c.field.precision));
    TNumericEditCore core = Make(c.field, c.accepted);
    EXPECT_DOUBLE_EQ(core.GetDouble(Loc(c.typed)), c.value);
    QString text = Loc(c.typed);
    core.Confirm(text);
    EXPECT_EQ(text, Loc(c.shown));
    EXPECT_DOUBLE_EQ(core.Accepted(), c.value);
  }
}

TEST_P(NumericCore, SetIntAndSetDoubleShowAndAccept) {
  struct Case {
    Field field;
    bool integer;
    double v;
    const char* shown;
    double accepted;
  };
  const Case cases[] = {
      {{0, 2.54, 0}, true, 300, "2D54", 2.54},  // the limit in decimal form
      {{0, 255, 0}, true, -5, "0", 0},
      {{-10, 10, 0}, true, -20, "-10", -10},
      {{0, 0, 50}, true, 75, "75", 75},  // SetInt never rounds
      {{0, 0, 0}, false, 12.5, "12D5", 12.5},
      {{0, 254.5, 1}, false, 300, "254D5", 254.5},  // the limit, unrounded
      {{0.55, 10, 1}, false, 0, "0D55", 0.55},
      {{0, 7.5, 1}, false, 7.5, "7D5", 7.5},  // rounding would step over the limit
      {{0, 0, 50}, false, 75, "100", 100},
      {{0, 0, 1}, false, -0.3, "0", 0},
      {{0, 0, 0}, false, 0.1 + 0.2, "0D3", 0.1 + 0.2},
      {{0, 0, 0}, false, 1234567.5, "1234567D5", 1234567.5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.integer ? "SetInt " : "SetDouble ") + std::to_string(c.v));
    TNumericEditCore core = Make(c.field, 1);
    QString text;
    if (c.integer)
      core.SetInt(text, int(c.v));
    else
      core.SetDouble(text, c.v);
    EXPECT_EQ(text, Loc(c.shown));
    EXPECT_DOUBLE_EQ(core.Accepted(), c.accepted);
  }
}

TEST_P(NumericCore, GetIntCutsTowardZeroAndCorrectsTheText) {
  struct Case {
    Field field;
    double accepted;
    const char* typed;
    int result;
    const char* shownAfter;
  };
  const Case cases[] = {
      {{0, 0, 50}, 0, "75", 50, "50"},
      {{0, 0, 50}, 0, "-75", -50, "-50"},
      {{0, 0, 0}, 0, "-75", -75, "-75"},
      {{0, 2.54, 0}, 0, "300", 2, "2"},
      {{0, 2.54, 1}, 0, "300", 2, "2D54"},  // the step starts again from 300; SetInt limits it
      {{0, 255, 1}, 0, "-4", 0, "0"},
      {{0, 0, 0}, 7.9, "", 7, ""},  // not an integer: the accepted value cut, text as it was
      {{0, 0, 0}, -7.9, "12D5", -7, "12D5"},
      {{0, 0, 0}, 3, "99999999999", 3, "99999999999"},  // beyond int: not an integer
      {{0, 0, 0}, 1e12, "", 2147483647, ""},            // saturates
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("typed ") + c.typed);
    TNumericEditCore core = Make(c.field, c.accepted);
    QString text = Loc(c.typed);
    EXPECT_EQ(core.GetInt(text), c.result);
    EXPECT_EQ(text, Loc(c.shownAfter));
  }
}

TEST_P(NumericCore, KeyFilter) {
  using V = TNumericEditCore::TKeyVerdict;
  struct Case {
    Field field;
    const char* text;
    int caret;
    const char* selected;
    char16_t key;
    V verdict;
    char16_t keyAfter;
  };
  const char16_t D = 'D', T = 'T';
  const Case cases[] = {
      {{0, 255, 1}, "12", 2, "", '7', V::Pass, '7'},
      {{0, 255, 1}, "12", 2, "", 8, V::Pass, 8},  // backspace
      {{0, 255, 1}, "12", 2, "", 'a', V::Discard, 'a'},
      {{0, 255, 1}, "12", 2, "", ' ', V::Discard, ' '},
      {{0, 255, 1}, "12", 2, "", '+', V::Discard, '+'},
      {{0, 255, 1}, "12", 2, "", 1, V::Discard, 1},  // a control character
      {{0, 255, 1}, "12", 2, "", 13, V::Confirm, 13},
      // Decimal separator: only with Precision 0 or a Precision that has decimals.
      {{0, 0, 0}, "12", 2, "", D, V::Pass, D},
      {{0, 5, 0.02}, "1", 1, "", D, V::Pass, D},
      {{0, 5, 0.02}, "1", 1, "", T, V::Pass, D},  // the thousands separator becomes it
      {{0, 255, 1}, "12", 2, "", D, V::Discard, D},
      {{0, 255, 1}, "12", 2, "", T, V::Discard, D},
      {{0, 0, 50}, "12", 2, "", D, V::Discard, D},
      {{0, 5, 0.02}, "1D2", 3, "", D, V::Discard, D},  // a second one
      {{0, 5, 0.02}, "1D2", 1, "D2", D, V::Pass, D},   // replaces the selected one
      // Minus: at the start, with negatives possible, once.
      {{-10, 10, 0}, "5", 0, "", '-', V::Pass, '-'},
      {{-10, 10, 0}, "5", 1, "", '-', V::Discard, '-'},
      {{0, 255, 0}, "5", 0, "", '-', V::Discard, '-'},
      {{0, 0, 0}, "5", 0, "", '-', V::Pass, '-'},
      {{0, 255, 0, true}, "5", 0, "", '-', V::Pass, '-'},
      {{-10, 10, 0}, "-5", 0, "", '-', V::Discard, '-'},
      {{-10, 10, 0}, "-5", 0, "-5", '-', V::Pass, '-'},
  };
  for (const Case& c : cases) {
    QChar key = c.key == D   ? TNumericEditCore::DecimalSeparator()
                : c.key == T ? TNumericEditCore::ThousandsSeparator()
                             : QChar(c.key);
    const QChar keyAfter = c.keyAfter == D ? TNumericEditCore::DecimalSeparator() : QChar(c.keyAfter);
    SCOPED_TRACE(std::string("text ") + c.text + " key " + QString(key).toStdString());
    const TNumericEditCore core = Make(c.field);
    EXPECT_EQ(core.FilterKey(key, Loc(c.text), c.caret, Loc(c.selected)), c.verdict);
    EXPECT_EQ(key, keyAfter);
  }
}

TEST_P(NumericCore, EnteringEscapeAndLeaving) {
  TNumericEditCore core = Make({0, 100, 0.5});
  QString text = Loc("7D3");
  core.Enter(text);  // the text becomes the accepted value, normalised
  EXPECT_EQ(text, Loc("7D5"));
  EXPECT_DOUBLE_EQ(core.Accepted(), 7.5);

  text = "123";
  core.Escape(text);
  EXPECT_EQ(text, Loc("7D5"));

  text = "123";  // Validation: leaving discards
  core.Exit(text);
  EXPECT_EQ(text, Loc("7D5"));

  core.SetValidation(false);  // no Validation: leaving confirms, limited
  text = "123";
  core.Exit(text);
  EXPECT_EQ(text, "100");
  EXPECT_DOUBLE_EQ(core.Accepted(), 100);

  text = "abc";  // entering with no number keeps the accepted value
  core.Enter(text);
  EXPECT_EQ(text, "100");
}

}  // namespace

TEST(NumericCoreLimits, SetLimitKeepsMinNotAboveMax) {
  TNumericEditCore core;
  EXPECT_FALSE(core.LimitsActive());
  core.SetLimit(1, -10);  // below the minimum 0: refused
  EXPECT_EQ(core.GetLimit(1), 0);
  core.SetLimit(1, 255);
  EXPECT_TRUE(core.LimitsActive());
  core.SetLimit(2, 300);  // above the maximum: refused
  EXPECT_EQ(core.GetLimit(2), 0);
  core.SetLimit(2, -5);
  EXPECT_EQ(core.GetLimit(2), -5);
  EXPECT_EQ(core.GetLimit(7), -5);  // any other index reads the minimum
  core.SetLimit(3, 50);             // and sets nothing
  EXPECT_EQ(core.GetLimit(1), 255);
  EXPECT_EQ(core.GetLimit(2), -5);
  core.SetDisableLimit(true);
  EXPECT_FALSE(core.LimitsActive());
}
