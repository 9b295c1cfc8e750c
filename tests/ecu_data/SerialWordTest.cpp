#include <gtest/gtest.h>

#include "SerialWord.h"

TEST(SerialWord, FieldsOfTheCodesInUse) {
  struct Case {
    int code;
    int variable;
    bool array, twoBytes, isSigned;
    int count;
    int key;
  } cases[] = {
      {0x216, 0x16, false, true, false, 1, 0x216},   {0xC30C, 0x0C, true, true, false, 12, 0x20C},
      {0xC30E, 0x0E, true, true, false, 12, 0x20E},  {0x91737, 0x37, true, true, true, 145, 0x237},
      {0x14135, 0x35, true, false, false, 20, 0x35}, {0x5132, 0x32, true, false, false, 5, 0x32},
      {0x432, 0x32, false, false, true, 1, 0x32},    {0x477A, 0x7A, true, true, true, 4, 0x27A},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    EXPECT_EQ(SerialWord::Variable(c.code), c.variable);
    EXPECT_EQ(SerialWord::IsArray(c.code), c.array);
    EXPECT_EQ(SerialWord::IsTwoBytes(c.code), c.twoBytes);
    EXPECT_EQ(SerialWord::IsSigned(c.code), c.isSigned);
    EXPECT_EQ(SerialWord::Count(c.code), c.count);
    EXPECT_EQ(SerialWord::Key(c.code), c.key);
  }
}

TEST(SerialWord, BitFieldCodes) {
  // 0x14135 is above 0xFFFF but carries no bit field; 0x5500263 does.
  EXPECT_FALSE(SerialWord::IsBitField(0x14135));
  EXPECT_FALSE(SerialWord::IsBitField(0x91737));
  ASSERT_TRUE(SerialWord::IsBitField(0x5500263));
  EXPECT_EQ(SerialWord::BitWidth(0x5500263), 5);
  EXPECT_EQ(SerialWord::BitShift(0x5500263), 5);
  EXPECT_EQ(SerialWord::Plain(0x5500263), 0x263);
  EXPECT_EQ(SerialWord::BitWidth(0x150001A), 1);
  EXPECT_EQ(SerialWord::BitShift(0x150001A), 5);
}

TEST(SerialWord, FitToWidthAndSign) {
  EXPECT_EQ(SerialWord::Fit(0x432, 200), -56);
  EXPECT_EQ(SerialWord::Fit(0x32, 300), 44);
  EXPECT_EQ(SerialWord::Fit(0x637, -2), -2);
  EXPECT_EQ(SerialWord::Fit(0x216, 70000), 70000 - 65536);
  EXPECT_EQ(SerialWord::Make(0x0C, true, false, 12), 0xC30C);
}
