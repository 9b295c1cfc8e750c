// The pages' options kept as values of their own variable (release leaning, return to petrol,
// controlled idle return, soft exit) when the ECU refuses the click's write: the box, the
// option's field and the data set stay as they were.
#include <QLabel>

#include "PageFixture.h"

namespace {
using PagesOffState = PageFixture;

struct OffStateCase {
  ConfigPageId page;
  const char* box;
  const char* field;
  int code;
  int onValue;
  int offValue;
};

const OffStateCase kCases[] = {
    {TabCutoff, "CheckSmagrInRilascio", "EditCorrInRilascio", 0x66C, -20, 1000},
    {TabSensore, "CheckRitornoBenzina", "EditRitornoBenzina", 0x3E, 8, 255},
    {TabVarie, "CheckRientroMin", "EditRientroMinimo", 0x449, -5, 100},
    {TabTps, "CheckUscitaSoft", "EditCoefficienteUscitaMinimo", 0x64, 80, 100},
};
}  // namespace

TEST_F(PagesOffState, ARefusedClickLeavesTheBoxAsTheDataSetHoldsIt) {
  for (const OffStateCase& c : kCases) {
    SCOPED_TRACE(c.box);
    for (bool on : {true, false}) {
      SCOPED_TRACE(on ? "option on" : "option off");
      ecu_.SetWriteRefused(c.code, false);
      ASSERT_EQ(data_.SetValue(c.code, on ? c.onValue : c.offValue), 1);
      Show<TConfigPage>(c.page);
      auto* box = form_->findChild<QCheckBox*>(QString::fromLatin1(c.box));
      auto* field = form_->findChild<TNumericEdit*>(QString::fromLatin1(c.field));
      ASSERT_TRUE(box && field);
      ASSERT_EQ(box->isChecked(), on);
      ecu_.SetWriteRefused(c.code);
      Click(box);
      EXPECT_EQ(box->isChecked(), on);
      EXPECT_EQ(field->isVisible(), on);
      EXPECT_EQ(data_.GetValue(c.code), on ? c.onValue : c.offValue);
      if (on) {
        EXPECT_EQ(field->text(), QString::number(c.onValue));
      }
    }
    ecu_.SetWriteRefused(c.code, false);
  }
}
