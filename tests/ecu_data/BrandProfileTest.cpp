#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "BrandProfile.h"

class BrandProfileTest : public ::testing::Test {
 protected:
  void SetUp() override { SelectBrand(kThisBuildBrandBit); }
};

TEST_F(BrandProfileTest, ThisBuildsRow) {
  EXPECT_EQ(GetBrandBit(), 8);
  EXPECT_STREQ(GetBrandConfigExt(), "trm");
  EXPECT_STREQ(GetBrandProgramExt(), "ptn");
  EXPECT_STREQ(GetBrandRegistryKey(), "Tarn\\2001");
  EXPECT_STREQ(GetBrandTitle(), "TARN - Nimbo XXI Injection System");
  const size_t keyLength = std::strlen(GetBrandFileKey());
  EXPECT_GT(keyLength, 0u);
  EXPECT_LE(keyLength, 16u);
}

TEST_F(BrandProfileTest, LabelIndexOfCustomerCodes) {
  struct Case {
    int code;
    int index;
  } cases[] = {{-1, 8}, {0, 0}, {10, 3}, {255, 12}, {77, 8}};
  for (const auto& c : cases) EXPECT_EQ(GetBrandLabelIndex(c.code), c.index) << c.code;
}

TEST_F(BrandProfileTest, LabelsAndOutOfRangeSlots) {
  EXPECT_STREQ(GetBrandLabel(0), "K.I.V.");
  EXPECT_STREQ(GetBrandLabel(3), "Tarn");
  EXPECT_STREQ(GetBrandLabel(12), "NEUTRO");
  // Outside 0..12 the slot numbered as the brand bit answers.
  EXPECT_EQ(GetBrandLabel(13), GetBrandLabel(8));
  EXPECT_EQ(GetBrandLabel(-5), GetBrandLabel(8));
}

TEST_F(BrandProfileTest, LabelOfABrandBitBeyondTheTableIsEmptyNotAnOverrun) {
  SelectBrand(2048);
  EXPECT_STREQ(GetBrandLabel(99), "");
  EXPECT_STREQ(GetBrandConfigExt(), "");  // an unknown row leaves the fields empty
  EXPECT_EQ(GetBrandBit(), 2048);
}

TEST_F(BrandProfileTest, EcuCodeAndCopiesWithFallbacks) {
  EXPECT_EQ(GetBrandEcuCode(0), 10);
  EXPECT_EQ(GetBrandEcuCode(8), 10);
  EXPECT_EQ(GetBrandEcuCode(12), 255);
  char ext[kBrandExtSize] = "xxx";
  EXPECT_STREQ(GetBrandConfigExtFor(ext, 0), "trm");
  char key[kBrandFileKeySize] = {};
  EXPECT_STREQ(GetBrandFileKeyFor(key, 8), GetBrandFileKey());
  char other[kBrandFileKeySize] = {};
  EXPECT_STREQ(GetBrandFileKeyFor(other, 3), GetBrandFileKey());
}

TEST_F(BrandProfileTest, EmptyBeforeSelection) {
  SelectBrand(0);
  EXPECT_STREQ(GetBrandTitle(), "");
  EXPECT_STREQ(GetBrandFileKey(), "");
  EXPECT_EQ(GetBrandEcuCode(0), 0);
}
