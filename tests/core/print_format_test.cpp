#include "core/print_format.h"

#include <gtest/gtest.h>

#include <cmath>

namespace curvalis {
namespace {

struct DoubleCase {
  double v;
  const char* text;
};

TEST(PrintRules, DoublesTo15Digits) {
  const DoubleCase cases[] = {
      {0.5, " .5 "},
      {-0.5, "-.5 "},
      {0, " 0 "},
      {-0.0, " 0 "},
      {3, " 3 "},
      {-2.5, "-2.5 "},
      {1e-5, " 1E-05 "},
      {-1.5e20, "-1.5E+20 "},
      {0.0001, " .0001 "},
      {123456789012345.0, " 123456789012345 "},
      {1234567890123456.0, " 1.23456789012346E+15 "},
      {0.1 + 0.2, " .3 "},
      {1.0 / 3, " .333333333333333 "},
  };
  for (const auto& c : cases) EXPECT_EQ(PrintDouble(c.v), c.text) << c.v;
}

TEST(PrintRules, SinglesTo7Digits) {
  const DoubleCase cases[] = {
      {1.57f, " 1.57 "},  {-1.415f, "-1.415 "}, {12345678.0f, " 1.234568E+07 "},
      {0.999f, " .999 "}, {-0.001f, "-.001 "},  {1e-5f, " 1E-05 "},
  };
  for (const auto& c : cases) EXPECT_EQ(PrintSingle(static_cast<float>(c.v)), c.text) << c.v;
}

// "Wide rounding": the scaled value is a wide integer, so any size prints; ties go to even.
TEST(PrintRules, RoundedPrintValueWideRounding) {
  EXPECT_EQ(RoundedPrintValue(1.5705, 1000), 1.57f);  // 1570.5 -> 1570 (even)
  EXPECT_EQ(RoundedPrintValue(0.0025, 1000), 0.002f);
  EXPECT_EQ(RoundedPrintValue(-1.5707963, 100), -1.57f);
  EXPECT_EQ(RoundedPrintValue(40000.1234, 1000), 40000.123f);  // beyond 16 bits, still printed
  EXPECT_FALSE(RoundedPrintValue(std::nan(""), 1000).has_value());
  EXPECT_FALSE(RoundedPrintValue(1e300, 1000).has_value());
}

TEST(PrintRules, FloorThousandths) {
  EXPECT_DOUBLE_EQ(FloorThousandths(1.41421), 1.414);
  EXPECT_DOUBLE_EQ(FloorThousandths(-1.41421), -1.415);
  EXPECT_DOUBLE_EQ(FloorThousandths(-0.0000001), -0.001);
}

TEST(GeneralFormat, LocaleSeparatorNoGrouping) {
  EXPECT_EQ(FormatGeneral(0.333, ","), "0,333");
  EXPECT_EQ(FormatGeneral(9), "9");
  EXPECT_EQ(FormatGeneral(-0.0), "0");
  EXPECT_EQ(FormatGeneral(1234567.5, ","), "1234567,5");
  EXPECT_EQ(FormatGeneral(1e-7), "1E-07");
  EXPECT_EQ(FormatGeneral(1.0 / 3), "0.333333333333333");
}

}  // namespace
}  // namespace curvalis
